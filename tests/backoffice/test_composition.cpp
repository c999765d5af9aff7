// What set menus and composites are made of, kept on the composition screen reached from the
// item screen: the candidates, adding and deleting components, the quantity edit, the price
// proposal, and the leaving that works out the expansion rows and the derived stock.
//
// Sample venue: set menu 6001 holds 1001, 1005, 3001 ×2 and 5001 ×2; the composite 1005 (egg
// and tomato) is 9001 ×3, 9002 ×0.5 and 9003 ×0.1, expanded in 6001; set menu 6002 holds 4001 ×6
// and 2001.
#include "ErrorGuard.h"
#include "SetupScreenTest.h"

#include <QLabel>
#include <QRegularExpression>
#include <QPushButton>

using kx::db::Dataset;

namespace {

class CompositionTest : public kx::test::SetupScreenTest {
  protected:
    // The item screen on the group, then its composition button.
    void openComposition(const QString& cls, const QString& group) {
        showItem(cls, group);
        auto* button = control<QPushButton>("SpeedButton1");
        ASSERT_TRUE(button->isEnabled()) << group.toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }
    // A code typed into the search edit, then Enter.
    void add(const QString& code) {
        QLineEdit* search = edit("EditDict");
        search->setFocus();
        search->selectAll();
        QTest::keyClicks(search, code);
        QTest::keyClick(search, Qt::Key_Return);
        QApplication::processEvents();
    }
    // A quantity typed over the current one, then Enter.
    void count(const QString& text) {
        QLineEdit* e = edit("dbe_GroupCount");
        EXPECT_TRUE(e->hasFocus());
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
        QApplication::processEvents();
    }
    void at(const QString& component) {
        ASSERT_TRUE(setup->adoqry_ConsItemGroup->locate("item_code", component)) << component.toStdString();
        edit("dbe_GroupCount")->setFocus();
    }
    // The rows of the condition as "group item count [composite per-composite]", sorted.
    QStringList rows(const QString& where) const {
        QStringList out;
        QSqlQuery q = kx::db::run(db(), "select grou_code, item_code, grou_coun, grou_mix_code, grou_mix_coun "
                                        "from itemgroup where " + where);
        auto n = [](const QVariant& v) { return v.isNull() ? QStringLiteral("-") : QString::number(v.toDouble()); };
        while (q.next()) {
            QString r = q.value(0).toString() + ' ' + q.value(1).toString() + ' ' + n(q.value(2));
            if (!q.value(3).toString().isEmpty()) r += ' ' + q.value(3).toString() + ' ' + n(q.value(4));
            out << r;
        }
        out.sort();
        return out;
    }
    double stock(const char* item) const {
        return kx::db::scalarNumber(db(), "select item_coun from itemlist where item_code = ?", {QString(item)});
    }
    QString label(const char* name) const { return control<QLabel>(name)->text(); }
};

// One way through the screen: the steps a manager takes, and the rows left behind.
struct CompositionCase {
    const char* name;
    friend void PrintTo(const CompositionCase& c, std::ostream* os) { *os << c.name; }
    const char* cls;
    const char* group;
    std::vector<const char*> prepare; // statements run before the screen opens
    // "add CODE" (search and Enter), "count TEXT", "at CODE", "delete", "back"
    std::vector<const char*> steps;
    const char* where; // the rows compared
    QStringList rows;
    const char* current = ""; // the component current at the end, if given
    std::vector<std::pair<const char*, double>> stock = {};
};

class CompositionCases : public CompositionTest, public ::testing::WithParamInterface<CompositionCase> {};

TEST_P(CompositionCases, LeaveTheRowsAHandCountGives) {
    const CompositionCase& c = GetParam();
    for (const char* sql : c.prepare)
        kx::db::exec(db(), sql);
    openComposition(c.cls, c.group);
    for (const QString step : c.steps) {
        const QString arg = step.section(' ', 1);
        if (step.startsWith("add ")) add(arg);
        else if (step.startsWith("count ")) count(arg);
        else if (step.startsWith("at ")) at(arg);
        else if (step == "delete") deleteCurrent();
        else if (step == "back") press(main->toolb_Back);
    }
    EXPECT_EQ(rows(c.where), c.rows);
    if (*c.current) EXPECT_EQ(setup->adoqry_ConsItemGroup->field("item_code").asString(), c.current);
    for (const auto& [item, count] : c.stock) {
        EXPECT_NEAR(stock(item), count, 1e-9) << item;
        // The item list shows it too.
        EXPECT_NEAR(setup->adoqry_ConsItem->lookupValue("item_code", QString(item), "item_coun").toDouble(), count,
                    1e-9)
            << item;
    }
    // Nothing shown but the delete question.
    EXPECT_TRUE(prompter.texts().filter(QRegularExpression("^(?!是否删除所选项目)")).isEmpty())
        << prompter.texts().join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Composition, CompositionCases,
    ::testing::Values(
        // Two units of the egg dish: each ingredient per dish, and two dishes' worth.
        CompositionCase{"TwoUnitsOfACompositeExpandIntoTheSet",
                        "T01",
                        "6002",
                        {},
                        {"add 1005", "count 2", "back"},
                        "grou_code = '6002'",
                        {"6002 1005 2", "6002 2001 1", "6002 4001 6", "6002 9001 6 1005 3", "6002 9002 1 1005 0.5",
                         "6002 9003 0.2 1005 0.1"},
                        "",
                        // 120 beers / 6 per set; 240 eggs / 6, 50 pounds of tomatoes / 1 are more.
                        {{"6002", 20}}},
        // Half a pound of tomatoes more and a side of cucumber: every set holding the dish follows.
        CompositionCase{"AChangedRecipeRebuildsEverySetHoldingIt",
                        "C01",
                        "1005",
                        {"insert into itemgroup (grou_code, item_code, grou_coun) values ('6002', '1005', 1)",
                         "insert into itemgroup (grou_code, item_code, grou_coun, grou_mix_code, grou_mix_coun) values "
                         "('6002', '9001', 3, '1005', 3), ('6002', '9002', 0.5, '1005', 0.5), "
                         "('6002', '9003', 0.1, '1005', 0.1)"},
                        {"at 9002", "count 1", "add 2001", "back"},
                        "grou_mix_code = '1005'",
                        {"6001 2001 1 1005 1", "6001 9001 3 1005 3", "6001 9002 1 1005 1", "6001 9003 0.1 1005 0.1",
                         "6002 2001 1 1005 1", "6002 9001 3 1005 3", "6002 9002 1 1005 1", "6002 9003 0.1 1005 0.1"}},
        CompositionCase{"AComponentAlreadyThereIsOnlyMovedTo",
                        "T01",
                        "6001",
                        {},
                        {"at 1001", "add 5001"},
                        "grou_code = '6001' and grou_mix_code is null",
                        {"6001 1001 1", "6001 1005 1", "6001 3001 2", "6001 5001 2"},
                        "5001"},
        CompositionCase{"AnEmptySetMenuCountsZero",
                        "T01",
                        "6002",
                        {},
                        {"delete", "delete", "back"},
                        "grou_code = '6002'",
                        {},
                        "",
                        {{"6002", 0}}},
        // Its expansion rows go with it, before the screen is left.
        CompositionCase{"ACompositeDeletedFromASetTakesItsExpansionRows",
                        "T01",
                        "6001",
                        {},
                        {"at 1005", "delete"},
                        "grou_code = '6001'",
                        {"6001 1001 1", "6001 3001 2", "6001 5001 2"}},
        CompositionCase{"ACompositeLeftWithoutIngredientsLeavesNoExpansionRows",
                        "C01",
                        "1005",
                        {},
                        {"delete", "delete", "delete", "back"},
                        "grou_mix_code = '1005' or grou_code = '1005'",
                        {},
                        "",
                        {{"1005", 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CompositionTest, OpensOnTheGroupWithItsCandidatesAndToolbar) {
    // A single item has no composition.
    showItem("C01", "1001");
    EXPECT_FALSE(control<QPushButton>("SpeedButton1")->isEnabled());

    openComposition("T01", "6001");
    Dataset* group = setup->adoqry_ConsItemGroup;
    EXPECT_EQ(main->CurrentDataset, group);
    EXPECT_TRUE(control<QWidget>("pnl_ConsItemGroup")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"删除", "回退"}));
    EXPECT_EQ(label("lbl_group"), "商务套餐-[套餐]");
    EXPECT_EQ(label("lbl_unit"), "68");
    EXPECT_EQ(label("lbl_cost"), "25");
    EXPECT_EQ(group->recordCount(), 4); // its direct rows only
    EXPECT_EQ(group->field("itemname").asString(), "宫保鸡丁"); // named from another class
    EXPECT_EQ(label("lbl_GroupItem"), "1001/宫保鸡丁  份");
    EXPECT_TRUE(edit("EditDict")->hasFocus());

    // A set menu is offered single items and composites; a composite single items and
    // ingredients; neither is offered itself or a set menu.
    auto offered = [&] {
        Dataset* q = main->ds_Temp->dataset();
        QStringList codes;
        for (q->first(); !q->eof(); q->next())
            codes << q->field("item_code").asString() + q->field("item_type_code").asString();
        return codes;
    };
    EXPECT_EQ(offered().filter(QRegularExpression("^(6001|....[24])")), QStringList());
    EXPECT_TRUE(offered().contains("10053"));
    EXPECT_TRUE(offered().contains("10011"));
    QTest::keyClicks(edit("EditDict"), "10");
    EXPECT_EQ(offered(), QStringList({"10011", "10021", "10031", "10041", "10053"}));
    edit("EditDict")->clear();
    QTest::keyClicks(edit("EditDict"), "gb"); // a short code
    EXPECT_EQ(offered(), QStringList({"10011"}));
    edit("EditDict")->clear();
    EXPECT_GT(offered().size(), 10);

    press(main->toolb_Back);
    openComposition("C01", "1005");
    EXPECT_EQ(label("lbl_group"), "番茄炒蛋-[合成]");
    const QStringList forComposite = offered();
    EXPECT_TRUE(forComposite.contains("90014"));
    EXPECT_TRUE(forComposite.filter(QRegularExpression("^(1005|....[23])")).isEmpty());
}

TEST_F(CompositionTest, TheQuantityEditTakesANumberAndAnEmptyEditBecomesOne) {
    openComposition("T01", "6002");
    at("4001");
    QLineEdit* e = edit("dbe_GroupCount");
    e->selectAll();
    QTest::keyClicks(e, "1x.5.7");
    EXPECT_EQ(e->text(), "1.57");
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    edit("EditDict")->setFocus(); // leaving it empty
    EXPECT_EQ(e->text(), "1");
    press(main->toolb_Back);
    EXPECT_EQ(rows("grou_code = '6002' and item_code = '4001'"), QStringList({"6002 4001 1"}));
}

TEST_F(CompositionTest, DoubleClickAddsTheCandidateAndEnterInTheQuantityGoesBackToTheSearch) {
    openComposition("T01", "6002");
    QLineEdit* search = edit("EditDict");
    QTest::keyClicks(search, "500");
    auto* list = control<QTableView>("DBGrid8");
    ASSERT_EQ(list->model()->rowCount(), 3);
    const QRect second = list->visualRect(list->model()->index(1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QApplication::processEvents();
    EXPECT_EQ(setup->adoqry_ConsItemGroup->field("item_code").asString(), "5002");
    count("4");
    EXPECT_TRUE(search->hasFocus());
    EXPECT_TRUE(search->text().isEmpty());
    press(main->toolb_Back);
    EXPECT_EQ(rows("grou_code = '6002' and item_code = '5002'"), QStringList({"6002 5002 4"}));
}

TEST_F(CompositionTest, TheProposalSumsOneUnitOfEveryRowAndIsAskedFirst) {
    kx::db::exec(db(), "update itemlist set item_unit_pric = 10, item_cost_pric = 4 where item_code = '4001'");
    kx::db::exec(db(), "update itemlist set item_unit_pric = 15, item_cost_pric = 5 where item_code = '2001'");
    setup->adoqry_ConsItem->refresh();
    openComposition("T01", "6002");
    auto* propose = control<QPushButton>("SpeedButton2");
    QString shownWhenAsked;
    prompter.onBox([&](const auto&) { shownWhenAsked = label("lbl_unit") + '/' + label("lbl_cost"); });
    prompter.answer(false);
    QTest::mouseClick(propose, Qt::LeftButton);
    prompter.onBox({});
    EXPECT_EQ(shownWhenAsked, "25/9"); // 6 beers count once
    EXPECT_EQ(prompter.texts(), QStringList({"请确定是否修改现在的[单价]和[成本价]!"}));
    EXPECT_EQ(label("lbl_unit") + '/' + label("lbl_cost"), "58/25"); // No: its own again

    prompter.answer(true);
    QTest::mouseClick(propose, Qt::LeftButton);
    EXPECT_EQ(label("lbl_unit") + '/' + label("lbl_cost"), "25/9");
    QSqlQuery q = kx::db::run(db(), "select item_unit_pric, item_cost_pric, item_dedu_pric from itemlist "
                                    "where item_code = '6002'");
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toDouble(), 25);
    EXPECT_EQ(q.value(1).toDouble(), 9);
    EXPECT_TRUE(q.value(2).isNull());
}

TEST_F(CompositionTest, AProposalTheItemsRulesRefuseChangesNothing) {
    kx::db::exec(db(), "update itemlist set item_unit_pric = 0, item_cost_pric = 0 where item_code in ('4001', '2001')");
    setup->adoqry_ConsItem->refresh();
    openComposition("T01", "6002");
    prompter.answer(true);
    QTest::mouseClick(control<QPushButton>("SpeedButton2"), Qt::LeftButton);
    EXPECT_EQ(lastText(), "项目[编号]、[名称]、[单价]、[成本]、[类型]不能为空！");
    EXPECT_EQ(setup->adoqry_ConsItem->state(), Dataset::Browse);
    EXPECT_EQ(label("lbl_unit"), "58");
    EXPECT_EQ(kx::db::scalarNumber(db(), "select item_unit_pric from itemlist where item_code = '6002'"), 58);
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsItemGroup);
}

// A tree click or the closing of the program finishes the composition as "回退" does.
TEST_F(CompositionTest, LeavingThroughTheTreeOrByClosingWorksOutTheQuantities) {
    openComposition("T01", "6002");
    add("1005");
    count("2");
    openLeaf("分类");
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsClass);
    EXPECT_EQ(rows("grou_code = '6002' and grou_mix_code = '1005'"),
              QStringList({"6002 9001 6 1005 3", "6002 9002 1 1005 0.5", "6002 9003 0.2 1005 0.1"}));
    EXPECT_EQ(toolbar(), QStringList({"增加", "删除", "取消", "保存"}));

    openComposition("T01", "6002");
    at("1005");
    count("4");
    prompter.answer(true); // the exit question
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(rows("grou_code = '6002' and grou_mix_code = '1005'"),
              QStringList({"6002 9001 12 1005 3", "6002 9002 2 1005 0.5", "6002 9003 0.4 1005 0.1"}));
}

struct LeavingFailure {
    const char* name;
    friend void PrintTo(const LeavingFailure& c, std::ostream* os) { *os << c.name; }
    const char* cls;
    const char* group;
    const char* component; // whose quantity is typed before leaving
    const char* trigger;   // makes one statement of the leaving fail
    const char* code;
};

class LeavingFailures : public CompositionTest, public ::testing::WithParamInterface<LeavingFailure> {};

TEST_P(LeavingFailures, RollBackShowTheCodeAndClose) {
    const LeavingFailure& c = GetParam();
    openComposition(c.cls, c.group);
    at(c.component);
    count("5"); // typed, posted by the leaving
    const QStringList before = rows("1 = 1");
    const double stockBefore = stock(c.group);
    kx::test::createRefusingTrigger(db(), c.trigger);
    press(main->toolb_Back);
    EXPECT_EQ(lastText(), kx::ErrorGuard::transactionFailedText(c.code));
    QApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(rows("1 = 1"), before);
    EXPECT_EQ(stock(c.group), stockBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Composition, LeavingFailures,
    ::testing::Values(
        LeavingFailure{"SetMenu", "T01", "6001", "3001",
                       "create trigger kx_refuse before update of grou_coun on itemgroup when new.grou_mix_code = "
                       "'1005' begin select raise(abort, 'refused'); end",
                       "A100006"},
        LeavingFailure{"Composite", "C01", "1005", "9001",
                       "create trigger kx_refuse before insert on itemgroup begin select raise(abort, 'refused'); end",
                       "A100007"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
