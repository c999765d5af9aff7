// The catalogue's kinds, classes and production points, kept by the manager from the setup
// tree: what each refuses and why, the defaults of a new class, the kinds over the classes.
#include "SetupScreenTest.h"
#include "Connection.h"
#include "DerivedStock.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

using kx::db::Dataset;

namespace {

class CatalogueTest : public kx::test::SetupScreenTest {
protected:
    // A type chosen in the item's type box.
    void chooseType(const QString& code) {
        auto* box = main->findChild<QComboBox*>("DBLookupComboBox2");
        ASSERT_TRUE(box->isEnabled());
        const int at = box->findData(code);
        ASSERT_GE(at, 0) << code.toStdString();
        box->setCurrentIndex(at);
        emit box->activated(at);
        QApplication::processEvents();
    }
};

TEST_F(CatalogueTest, KindsRefuseWhatTheyMustAndTakeNewOnes) {
    openLeaf("大类");
    Dataset* kinds = setup->adoqry_ConsKind;
    ASSERT_EQ(main->CurrentDataset, kinds);
    // A kind with classes keeps its row and its code.
    ASSERT_TRUE(kinds->locate("kind_code", QString("C")));
    deleteCurrent();
    EXPECT_EQ(lastText(), "[大类]下面设有[分类]，所以不能被删除！");
    prompter.clear();
    // (The code takes one character: what is typed replaces it.)
    type("dbe_CodeKind", "x");
    EXPECT_EQ(prompter.texts(), QStringList({"[大类]下面设有[分类]，所以不能被修改！"}));
    EXPECT_EQ(kinds->state(), Dataset::Browse);
    EXPECT_EQ(edit("dbe_CodeKind")->text(), "C");
    // The ingredients' kind is built in, once it has no classes.
    kx::db::exec(db(), "update classlist set kind_code = 'C' where kind_code = 'M'");
    ASSERT_TRUE(kinds->locate("kind_code", QString("M")));
    prompter.clear();
    deleteCurrent();
    EXPECT_EQ(lastText(), "[配料]为系统预设项目，所以不能被删除！");
    // Required fields, a duplicate, then a new kind that goes again.
    press(main->toolb_Add);
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "大类[编码]、[名称]不能为空！");
    type("dbe_CodeKind", "c");
    type("DBEdit2", "more");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "编号有重复，请从新输入！");
    type("dbe_CodeKind", "x");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select kind_name from kindlist where kind_code = 'X'"), "MORE");
    ASSERT_TRUE(kinds->locate("kind_code", QString("X")));
    prompter.clear();
    deleteCurrent();
    EXPECT_EQ(prompter.texts().size(), 1);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from kindlist where kind_code = 'X'"), 0);
}

TEST_F(CatalogueTest, ClassesFollowTheirKindAndKeepTheirRules) {
    openLeaf("分类");
    Dataset* kinds = setup->adoqry_ConsKind;
    Dataset* classes = setup->adoqry_ConsClass;
    ASSERT_EQ(main->CurrentDataset, classes);
    // Choosing a kind in the side list shows its classes.
    auto* side = main->findChild<QTableView*>("DBGrid4");
    ASSERT_NE(side, nullptr);
    ASSERT_TRUE(kinds->locate("kind_code", QString("D")));
    QStringList codes;
    for (int r = 0; r < classes->recordCount(); ++r) codes << classes->valueAt(r, classes->fieldIndex("clas_code")).toString();
    EXPECT_EQ(codes, QStringList({"D01", "D02"}));
    // A new class takes the kind, the first production point and no flags.
    press(main->toolb_Add);
    EXPECT_EQ(classes->field("kind_code").asString(), "D");
    EXPECT_EQ(classes->field("manu_code").asString(), "1");
    EXPECT_FALSE(classes->field("clas_allo_disc").asBool());
    type("dbe_CodeClass", "d09");
    type("DBEdit6", "juice");
    type("DBEdit7", "150");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "默认成本率不能大于100%！");
    type("DBEdit7", "45");
    press(main->toolb_Save);
    EXPECT_EQ(kx::db::scalarText(db(), "select kind_code || '/' || manu_code || '/' || clas_cost_perc from classlist "
                                       "where clas_code = 'D09'"),
              "D/1/45");
    // Shown as a percentage in the grid.
    auto* grid = main->findChild<QTableView*>("DBGrid3");
    ASSERT_TRUE(classes->locate("clas_code", QString("D09")));
    EXPECT_EQ(grid->model()->index(classes->recNo() - 1, 5).data().toString(), "45%");

    // Classes with items, or in a discount scheme, keep their rows and codes.
    ASSERT_TRUE(classes->locate("clas_code", QString("D01")));
    prompter.clear();
    deleteCurrent();
    EXPECT_EQ(lastText(), "[分类]下面设有[项目]，所以不能被删除！");
    kx::db::exec(db(), "insert into DiscItem (disc_code, clas_code, disc_clas_perc) values ('V1', 'D09', 90)");
    ASSERT_TRUE(classes->locate("clas_code", QString("D09")));
    prompter.clear();
    deleteCurrent();
    EXPECT_EQ(lastText(), "[折扣方案]中包含此[分类]，不能被删除!");
    type("dbe_CodeClass", "D08");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "[折扣方案]中包含此[分类]，不能被修改!");
    press(main->toolb_Cancel);
    // Typing over the code of a class with items is stopped at once.
    ASSERT_TRUE(classes->locate("clas_code", QString("D01")));
    prompter.clear();
    type("dbe_CodeClass", "x");
    EXPECT_EQ(prompter.texts(), QStringList({"[分类]下面设有[项目]，所以不能被修改！"}));
    EXPECT_EQ(classes->state(), Dataset::Browse);
}

TEST_F(CatalogueTest, ProductionPointsInUseOrBuiltInStayAndTheirNewNamesShowOnTheClasses) {
    openLeaf("出品");
    Dataset* points = setup->adoqry_Manu;
    ASSERT_EQ(main->CurrentDataset, points);
    ASSERT_TRUE(points->locate("manu_code", QString("2")));
    deleteCurrent();
    EXPECT_EQ(lastText(), "[出品类型]正在被设置使用，所以不能被删除！");
    type("dbe_CodeManu", "7");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), "[出品类型]正在被设置使用，所以不能被修改！");
    press(main->toolb_Cancel);
    // Point "1" is built in: not retyped, not deleted once unused.
    ASSERT_TRUE(points->locate("manu_code", QString("1")));
    prompter.clear();
    type("dbe_CodeManu", "9");
    EXPECT_EQ(prompter.texts(), QStringList({"[吧台]为系统预设项目，所以不能被修改！"}));
    kx::db::exec(db(), "update classlist set manu_code = '2'");
    prompter.clear();
    deleteCurrent();
    EXPECT_EQ(lastText(), "[吧台]为系统预设项目，所以不能被删除！");

    // A new name for the kitchen, then the classes show it.
    ASSERT_TRUE(points->locate("manu_code", QString("2")));
    type("DBEdit4", "hot kitchen");
    press(main->toolb_Save);
    openLeaf("分类");
    auto* grid = main->findChild<QTableView*>("DBGrid3");
    ASSERT_GT(grid->model()->rowCount(), 0);
    EXPECT_EQ(grid->model()->index(0, 6).data().toString(), "HOT KITCHEN");
}

TEST_F(CatalogueTest, ItemsTakeTheirClassesRatesAndRefuseWhatTheyMust) {
    openLeaf("项目");
    Dataset* classes = setup->adoqry_ConsClass;
    Dataset* items = setup->adoqry_ConsItem;
    ASSERT_EQ(main->CurrentDataset, items);
    ASSERT_TRUE(setup->adoqry_ConsKind->locate("kind_code", QString("C")));
    ASSERT_TRUE(classes->locate("clas_code", QString("C01")));
    // "+" in the grid adds an item of the class and goes to its code.
    auto* grid = main->findChild<QTableView*>("DBGrid5");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Plus);
    ASSERT_EQ(items->state(), Dataset::Insert);
    EXPECT_EQ(QApplication::focusWidget(), edit("DBEdit8"));
    EXPECT_EQ(items->field("clas_code").asString(), "C01");
    EXPECT_EQ(items->field("item_type_code").asString(), "1");
    EXPECT_EQ(items->field("item_limi").asString(), "不限");
    type("DBEdit8", "1099");
    type("DBEdit9", "dish");
    // The cost follows the class's rate (40 %) as the price is typed.
    type("dbe_UnitPric", "25");
    EXPECT_EQ(items->field("item_cost_pric").asFloat(), 10);
    // Compared in cents: 10.1 = 6.1 + 4 is allowed, a cent more commission is not.
    const struct {
        const char* price;
        const char* cost;
        const char* commission;
        const char* refusal;
    } cases[] = {{"0", "0", "0", "项目[编号]、[名称]、[单价]、[成本]、[类型]不能为空！"},
                 {"10", "10.01", "0", "[成本]不能大于[单价]！"},
                 {"10.1", "6.1", "4.01", "[提成]不能大于利润！"},
                 {"10.1", "6.1", "4", nullptr}};
    for (const auto& c : cases) {
        prompter.clear();
        type("dbe_UnitPric", c.price);
        type("dbe_CostPric", c.cost);
        type("DBEdit13", c.commission);
        press(main->toolb_Save);
        if (c.refusal) EXPECT_EQ(lastText(), QString::fromUtf8(c.refusal)) << c.price << "/" << c.cost << "/" << c.commission;
        else EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    }
    EXPECT_EQ(kx::test::joinedRows(db(), "select item_unit_pric, item_cost_pric, item_dedu_pric "
                                         "from itemlist where item_code = '1099'"),
              "10.1/6.1/4");
}

TEST_F(CatalogueTest, AnItemInUseStays) {
    kx::db::exec(db(), "insert into TableConsList (tabl_gues_auto_recn, item_code) values (9, '1002')");
    kx::db::exec(db(), "insert into StoreDetail (stor_bill_ID, item_code) values (1, '1003')");
    openLeaf("项目");
    Dataset* items = setup->adoqry_ConsItem;
    const struct {
        const char* cls;
        const char* item;
        const char* refusal;
    } cases[] = {{"T01", "6001", "[套餐/合成]中下设置有项目，不能被删除!"},
                 {"C01", "1001", "此[项目]包含在套餐/合成中，不能被删除!"},
                 {"C01", "1002", "此[项目]现在正在被[前台操作]使用，不能被删除!"},
                 {"C01", "1003", "此[项目]现在正在被[物流管理]使用，不能被删除!"},
                 {"C02", "2002", nullptr}};
    for (const auto& c : cases) {
        prompter.clear();
        ASSERT_TRUE(setup->adoqry_ConsKind->locate("kind_code", QString(c.cls).left(1)));
        ASSERT_TRUE(setup->adoqry_ConsClass->locate("clas_code", QString(c.cls)));
        ASSERT_TRUE(items->locate("item_code", QString(c.item))) << c.item;
        deleteCurrent();
        if (c.refusal) {
            EXPECT_EQ(lastText(), QString::fromUtf8(c.refusal)) << c.item;
        }
        EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from itemlist where item_code = ?", {QString(c.item)}),
                  c.refusal ? 1 : 0)
            << c.item;
    }
}

TEST_F(CatalogueTest, APriceEditedHereKeepsTheStockAFrontDeskCommitLowered) {
    showItem("C02", "2001");
    const double stock = kx::db::scalarNumber(db(), "select item_coun from itemlist where item_code = '2001'");
    type("dbe_UnitPric", "13");
    {
        kx::db::Connection desk;
        desk.open(path);
        kx::db::exec(desk.db(), "update itemlist set item_coun = item_coun - 2 where item_code = '2001'");
    }
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(kx::db::scalarNumber(db(), "select item_unit_pric from itemlist where item_code = '2001'"), 13);
    EXPECT_EQ(kx::db::scalarNumber(db(), "select item_coun from itemlist where item_code = '2001'"), stock - 2);
}

TEST_F(CatalogueTest, DerivedStockEqualsAHandCount) {
    using kx::db::exec;
    auto figures = [this] {
        QStringList out;
        QSqlQuery q = kx::db::run(db(), "select item_code || '=' || item_limi || '/' || cast(item_coun as integer) from itemlist "
                                        "where item_code in ('1005', '6001', '6002') order by item_code");
        while (q.next()) out << q.value(0).toString();
        return out;
    };
    exec(db(), "update itemlist set item_coun = 999, item_limi = '禁用' where item_code in ('1005', '6001', '6002')");
    kx::db::storeChange(db());
    // 1005: 9001 240/3, 9002 50/0.5, 9003 20/0.1 -> 80. 6001 holds 1005's components (80) and
    // 5001 200/2. 6002: 4001 120/6 -> 20; 2001 is unlimited.
    EXPECT_EQ(figures(), QStringList({"1005=有限/80", "6001=有限/80", "6002=有限/20"}));
    exec(db(), "update itemlist set item_limi = '禁用' where item_code = '9003'");
    exec(db(), "update itemlist set item_limi = '不限' where item_code = '4001'");
    kx::db::storeChange(db());
    EXPECT_EQ(figures(), QStringList({"1005=禁用/0", "6001=禁用/0", "6002=不限/0"}));
}

struct TypeCase {
    const char* name;
    const char* cls;
    const char* item;
    const char* to;
    bool answer;
    QStringList texts;
    const char* storedType;
    int compositionRows; // rows of itemgroup naming the item as a group or mix
};

class TypeChangeTest : public CatalogueTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(TypeChangeTest, FollowsTheRulesOfItsTypes) {
    const TypeCase& c = GetParam();
    showItem(c.cls, c.item);
    Dataset* items = setup->adoqry_ConsItem;
    prompter.answer(c.answer);
    chooseType(c.to);
    if (items->state() != Dataset::Browse) press(main->toolb_Save);
    EXPECT_EQ(prompter.texts(), c.texts);
    EXPECT_EQ(kx::db::scalarText(db(), "select item_type_code from itemlist where item_code = ?", {QString(c.item)}), c.storedType);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from itemgroup where grou_code = ? or grou_mix_code = ?",
                                {QString(c.item), QString(c.item)}),
              c.compositionRows);
    EXPECT_TRUE(main->isVisible());
}

const QString kClears = QStringLiteral("如果改变类型将清除其包含的项目?");

INSTANTIATE_TEST_SUITE_P(
    Changes, TypeChangeTest,
    ::testing::Values(
        TypeCase{"AComponentNeverASetMenu", "C01", "1001", "2", true,
                 {"此项目已经包含在某[组合项目]中，所以不能被修改为组合项目！"}, "1", 0},
        TypeCase{"AComponentBecomesAComposite", "C01", "1001", "3", true, {}, "3", 0},
        TypeCase{"ACompositeBecomesASingleItem", "C01", "1005", "1", true, {kClears}, "1", 0},
        TypeCase{"ACompositeKeptOnNo", "C01", "1005", "1", false, {kClears}, "3", 6},
        TypeCase{"ACompositeInASetMenuNeverASetMenu", "C01", "1005", "2", true,
                 {"此项目已经包含在某[组合项目]中，所以不能被修改为组合项目！"}, "3", 6},
        TypeCase{"ASetMenuBecomesASingleItem", "T01", "6002", "1", true, {kClears}, "1", 0},
        TypeCase{"ASetMenuBecomesAComposite", "T01", "6002", "3", true, {kClears}, "3", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CatalogueTest, ACompositeGivenUpRecomputesTheSetMenusItWasIn) {
    showItem("C01", "1005");
    prompter.answer(true);
    chooseType("1");
    // 6001 no longer holds 1005's components: it holds 1005 itself, now a single item keeping
    // the stock it had (80), and 5001 (200 / 2).
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from itemgroup where grou_code = '6001'"), 4);
    EXPECT_EQ(kx::db::scalarInt(db(), "select cast(item_coun as integer) from itemlist where item_code = '6001'"), 80);
    kx::db::exec(db(), "update itemlist set item_coun = 150 where item_code = '1005'");
    kx::db::storeChange(db());
    EXPECT_EQ(kx::db::scalarInt(db(), "select cast(item_coun as integer) from itemlist where item_code = '6001'"), 100);
}

TEST_F(CatalogueTest, ARefusedItemInsideATypeChangePutsTheOldTypeBack) {
    kx::db::exec(db(), "update itemlist set item_unit_pric = 0 where item_code = '6002'");
    setup->adoqry_ConsItem->refresh();
    showItem("T01", "6002");
    Dataset* items = setup->adoqry_ConsItem;
    prompter.answer(true);
    chooseType("1");
    EXPECT_EQ(prompter.texts(), QStringList({kClears, "项目[编号]、[名称]、[单价]、[成本]、[类型]不能为空！"}));
    EXPECT_EQ(items->field("item_type_code").asString(), "2");
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from itemgroup where grou_code = '6002'"), 2);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(CatalogueTest, AFailingStatementOfATypeChangeStoresNothingAndCloses) {
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before delete on itemgroup begin select raise(abort, 'refused'); end");
    showItem("T01", "6002");
    prompter.answer(true);
    chooseType("1");
    EXPECT_EQ(prompter.texts().last(), kx::ErrorGuard::transactionFailedText("A100011"));
    EXPECT_EQ(kx::db::scalarText(db(), "select item_type_code from itemlist where item_code = '6002'"), "2");
    EXPECT_FALSE(main->isVisible());
}

TEST_F(CatalogueTest, TheItemSearchFindsAcrossClassesAndGoesOnWithEnter) {
    openLeaf("项目");
    Dataset* items = setup->adoqry_ConsItem;
    auto* search = edit("EditItemSearch");
    ASSERT_NE(search, nullptr);
    auto find = [&](const QString& text) {
        prompter.clear();
        search->setFocus();
        search->selectAll();
        // (Chinese is typed through an input method; the edit takes the text as it commits it.)
        if (text.front().unicode() < 128) QTest::keyClicks(search, text);
        else search->setText(text);
        QTest::keyClick(search, Qt::Key_Return);
        return items->isEmpty() ? QString() : items->field("item_code").asString();
    };
    EXPECT_EQ(find("40"), "4001"); // a code that begins with the text, in another kind
    EXPECT_EQ(setup->adoqry_ConsKind->field("kind_code").asString(), "D");
    EXPECT_EQ(setup->adoqry_ConsClass->field("clas_code").asString(), "D01");
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(items->field("item_code").asString(), "4002"); // Enter: the next match
    EXPECT_EQ(find("gb"), "1001");                            // a short code
    EXPECT_EQ(find("鸡"), "9001");                            // part of a name, after the current item
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_EQ(items->field("item_code").asString(), "1001"); // from the first again
    EXPECT_EQ(find("zz9"), "1001");                           // not found: where it was
    EXPECT_EQ(prompter.texts(), QStringList({"[zz9]查无此项目,请重新查找!"}));
}

} // namespace
