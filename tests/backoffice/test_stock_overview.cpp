// The stock overview of "库存管理" with its limit box, and the stock adjustment opened by the
// toolbar's "库存调整".
//
// Sample venue: 4001 青岛啤酒 counted (120), 2001 拍黄瓜 not counted; the set menu 6002 啤酒套餐
// holds 6 × 4001 and 1 × 2001 (so 20 of it can be sold). The composite 1005 番茄炒蛋 holds 3 ×
// 9001 鸡蛋 (240), 0.5 × 9002 番茄 (50), 0.1 × 9003 食用油 (20): 80 of it.
#include "Check.h"
#include "Connection.h"
#include "EnterAsTab.h"
#include "ErrorGuard.h"
#include "SetupScreenTest.h"

#include <QLabel>

using kx::db::Dataset;

namespace {

class StockOverviewTest : public kx::test::SetupScreenTest {
  protected:
    // The overview as the menu command "库存管理" shows it, on one item.
    void showItem(const QString& cls, const QString& item) {
        main->N8->trigger();
        QApplication::processEvents();
        prompter.clear();
        ASSERT_TRUE(setup->adoqry_ConsKind->locate("kind_code", cls.left(1)));
        ASSERT_TRUE(setup->adoqry_ConsClass->locate("clas_code", cls));
        ASSERT_TRUE(setup->adoqry_ConsItem->locate("item_code", item)) << item.toStdString();
    }
    void chooseLimit(const QString& mode) {
        auto* box = control<QComboBox>("DBComboBox3");
        const int at = box->findText(mode);
        ASSERT_GE(at, 0);
        box->setCurrentIndex(at);
        emit box->activated(at);
        QApplication::processEvents();
    }
    QString limitOf(const char* item) const {
        return kx::db::scalarText(db(), "select item_limi from itemlist where item_code = ?", {QString(item)});
    }
    double stock(const char* item) const {
        return kx::db::scalarNumber(db(), "select item_coun from itemlist where item_code = ?", {QString(item)});
    }
    // "库存调整" pressed on the overview.
    void openAdjustment() {
        main->N8->trigger();
        QApplication::processEvents();
        prompter.clear();
        press(main->toolb_store);
    }
    // The adjustment opened past its advice.
    void startAdjustment() {
        openAdjustment();
        ASSERT_EQ(prompter.texts(), QStringList({"建议使用[物流管理]来进行库存调整！"}));
        prompter.clear();
    }
    // An item looked for and added with Enter, then its quantity typed and Enter pressed.
    void adjust(const QString& item, const QString& quantity) {
        QLineEdit* search = edit("Edit1");
        ASSERT_TRUE(search->hasFocus());
        QTest::keyClicks(search, item);
        QTest::keyClick(search, Qt::Key_Return);
        QApplication::processEvents();
        ASSERT_TRUE(edit("DBEdit85")->hasFocus());
        QTest::keyClicks(edit("DBEdit85"), quantity);
        QTest::keyClick(edit("DBEdit85"), Qt::Key_Return);
        QApplication::processEvents();
    }
    QStringList candidates() const {
        QStringList out;
        Dataset* q = main->ds_Temp->dataset();
        for (int i = 0; q && i < q->recordCount(); ++i)
            out << q->valueAt(i, q->fieldIndex("item_code")).toString();
        return out;
    }
    qint64 listed() const { return kx::db::scalarInt(db(), "select count(*) from ItemListTemp"); }
    void elsewhere(const QString& sql) {
        kx::db::Connection other;
        other.open(path);
        kx::db::exec(other.db(), sql);
    }
};

// ---------------------------------------------------------------- the overview and its limit box

TEST_F(StockOverviewTest, TheMenuCommandShowsTheOverviewOfTheCurrentItem) {
    showItem("D01", "4001");
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsItem);
    EXPECT_TRUE(control<QWidget>("pnl_StoreAdd")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"取消", "保存", "库存调整"}));
    EXPECT_TRUE(main->toolb_store->isEnabled());
    EXPECT_EQ(control<QLabel>("lbl_StoreItemCoun")->text(), "120");
    EXPECT_EQ(control<QLabel>("lbl_StoreItemPric")->text(), "10.00");
    EXPECT_EQ(control<QLabel>("lbl_StoreItemCost")->text(), "4.00");
    EXPECT_EQ(control<QComboBox>("DBComboBox3")->currentText(), "有限");
    EXPECT_TRUE(control<QComboBox>("DBComboBox3")->isEnabled());
    // The same leaf clicked in the tree shows the same screen.
    openStockLeaf("库存调整");
    EXPECT_TRUE(control<QWidget>("pnl_StoreAdd")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"取消", "保存", "库存调整"}));
}

TEST_F(StockOverviewTest, TheLimitBoxIsForSingleItemsAndIngredientsOnly) {
    struct Case {
        const char* cls;
        const char* item;
        bool usable;
    };
    for (const Case& c : {Case{"D01", "4001", true}, Case{"M01", "9001", true}, Case{"T01", "6002", false},
                          Case{"C01", "1005", false}, Case{"C01", "1001", true}}) {
        showItem(c.cls, c.item);
        EXPECT_EQ(control<QComboBox>("DBComboBox3")->isEnabled(), c.usable) << c.item;
    }
}

// Each change of an item's limit mode works out every set menu and composite again.
TEST_F(StockOverviewTest, ASetMenuFollowsTheLimitOfItsComponents) {
    struct Step {
        const char* chosen;
        const char* setMenuLimit;
        double setMenuCount;
    };
    showItem("D01", "4001");
    for (const Step& s : {Step{"禁用", "禁用", 0}, Step{"有限", "有限", 20}, Step{"不限", "不限", 0},
                          Step{"有限", "有限", 20}}) {
        chooseLimit(s.chosen);
        EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
        EXPECT_EQ(limitOf("4001"), s.chosen);
        EXPECT_EQ(limitOf("6002"), s.setMenuLimit) << s.chosen;
        EXPECT_EQ(stock("6002"), s.setMenuCount) << s.chosen;
        // The screen stays on the item and shows the set menu as it is now.
        EXPECT_EQ(setup->adoqry_ConsItem->field("item_code").asString(), "4001");
        EXPECT_EQ(control<QComboBox>("DBComboBox3")->currentText(), s.chosen);
    }
    ASSERT_TRUE(setup->adoqry_ConsKind->locate("kind_code", "T"));
    ASSERT_TRUE(setup->adoqry_ConsItem->locate("item_code", "6002"));
    EXPECT_EQ(setup->adoqry_ConsItem->field("item_limi").asString(), "有限");
    // Its components, with the beer's mode as it was just set.
    Dataset* parts = setup->adoqry_ConsItemGroup;
    ASSERT_EQ(parts->recordCount(), 2);
    ASSERT_TRUE(parts->locate("item_code", "4001"));
    EXPECT_EQ(parts->field("itemlimi").asString(), "有限");
    EXPECT_EQ(parts->field("grou_coun").asFloat(), 6);
}

// A composite's ingredient disabled disables the composite and the set menu that holds it.
TEST_F(StockOverviewTest, ADisabledIngredientDisablesItsCompositeAndTheSetMenuAbove) {
    showItem("M01", "9002");
    chooseLimit("禁用");
    EXPECT_EQ(limitOf("1005"), "禁用");
    EXPECT_EQ(limitOf("6001"), "禁用");
    EXPECT_EQ(stock("1005"), 0);
    chooseLimit("有限");
    EXPECT_EQ(limitOf("9002"), "有限") << prompter.texts().join('|').toStdString();
    EXPECT_EQ(limitOf("1005"), "有限");
    EXPECT_EQ(stock("1005"), 80);
}

// ---------------------------------------------------------------- the adjustment

TEST_F(StockOverviewTest, TheAdjustmentOffersCountedItemsOnlyAndStartsEmpty) {
    kx::db::exec(db(), "insert into ItemListTemp (item_code, item_name, item_coun) values ('4001', 'x', 5)");
    openAdjustment();
    EXPECT_EQ(prompter.texts(), QStringList({"建议使用[物流管理]来进行库存调整！"}));
    EXPECT_TRUE(control<QWidget>("pnl_Storechange")->isVisible());
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsItemTemp);
    EXPECT_EQ(toolbar(), QStringList({"删除", "保存", "回退"}));
    EXPECT_FALSE(kx::EnterAsTab::isInstalled());
    EXPECT_TRUE(edit("Edit1")->hasFocus());
    // What an earlier adjustment left is gone.
    EXPECT_EQ(listed(), 0);
    EXPECT_TRUE(setup->adoqry_ConsItemTemp->isEmpty());
    // Neither set menus, composites, unlimited nor disabled items.
    EXPECT_EQ(candidates(), QStringList({"4001", "4002", "4003", "5001", "5003", "9001", "9002", "9003"}));

    // The search narrows by code or short code as it is typed, a quote included.
    struct Search {
        const char* text;
        QStringList shown;
    };
    for (const Search& s : {Search{"40", {"4001", "4002", "4003"}}, Search{"kq", {"5003"}},
                            Search{"'", {}}, Search{"", {"4001", "4002", "4003", "5001", "5003", "9001", "9002", "9003"}}}) {
        edit("Edit1")->clear();
        QTest::keyClicks(edit("Edit1"), s.text);
        QStringList shown;
        Dataset* q = main->ds_Temp->dataset();
        for (int i = 0; i < q->recordCount(); ++i)
            shown << q->valueAt(i, q->fieldIndex("item_code")).toString();
        EXPECT_EQ(shown, s.shown) << s.text;
    }
}

TEST_F(StockOverviewTest, TheQuantitiesTypedAreAddedToTheStockOnce) {
    kx::db::exec(db(), "update itemlist set item_coun = 2 where item_code = '4003'");
    startAdjustment();
    adjust("4003", "-3");
    adjust("9001", "60");
    // The same item again: still one row, with what was typed for it.
    QTest::keyClicks(edit("Edit1"), "9001");
    QTest::keyClick(edit("Edit1"), Qt::Key_Return);
    QApplication::processEvents();
    Dataset* rows = setup->adoqry_ConsItemTemp;
    EXPECT_EQ(rows->recordCount(), 2);
    EXPECT_EQ(rows->field("item_coun").asFloat(), 60);
    EXPECT_EQ(control<QLabel>("lbl_AdjustItem")->text(), "9001/鸡蛋  个");
    EXPECT_EQ(control<QLabel>("lbl_AdjustStock")->text(), "240");
    // A desk sells a bottle meanwhile.
    elsewhere("update itemlist set item_coun = item_coun - 1 where item_code = '4003'");

    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(stock("4003"), -2); // 2 − 1 sold − 3: stock may go negative
    EXPECT_EQ(stock("9001"), 300);
    EXPECT_EQ(stock("1005"), 100); // 300 eggs at 3 each
    EXPECT_EQ(listed(), 0);
    // Back on the overview, which shows the new stock.
    EXPECT_TRUE(control<QWidget>("pnl_StoreAdd")->isVisible());
    EXPECT_EQ(main->CurrentDataset, setup->adoqry_ConsItem);
    EXPECT_EQ(toolbar(), QStringList({"取消", "保存", "库存调整"}));
    EXPECT_TRUE(kx::EnterAsTab::isInstalled());
    ASSERT_TRUE(setup->adoqry_ConsKind->locate("kind_code", "M"));
    ASSERT_TRUE(setup->adoqry_ConsItem->locate("item_code", "9001"));
    EXPECT_EQ(setup->adoqry_ConsItem->field("item_coun").asFloat(), 300);

    // "保存" again adds nothing.
    press(main->toolb_Save);
    EXPECT_EQ(stock("4003"), -2);
    EXPECT_EQ(stock("9001"), 300);
    const QStringList failures = kx::db::checkDatabase(db());
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
}

TEST_F(StockOverviewTest, AnEmptiedQuantityCountsAsNothing) {
    startAdjustment();
    adjust("4001", "5");
    edit("DBEdit85")->setFocus();
    edit("DBEdit85")->selectAll();
    QTest::keyClick(edit("DBEdit85"), Qt::Key_Backspace);
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(stock("4001"), 120);
    EXPECT_FALSE(kx::db::scalar(db(), "select item_coun from itemlist where item_code = '4001'").isNull());
}

// However the adjustment is left without "保存", nothing is added and Enter moves on again.
TEST_F(StockOverviewTest, LeavingTheAdjustmentAppliesNothing) {
    struct Way {
        const char* name;
        std::function<void()> leave;
    };
    const std::vector<Way> ways = {
        {"回退", [this] { press(main->toolb_Back); }},
        {"a leaf", [this] { openStockLeaf("物流管理"); }},
        {"another menu", [this] {
             main->N3->trigger();
             QApplication::processEvents();
         }}};
    for (const Way& w : ways) {
        openAdjustment();
        adjust("4001", "7");
        w.leave();
        EXPECT_EQ(stock("4001"), 120) << w.name;
        EXPECT_TRUE(kx::EnterAsTab::isInstalled()) << w.name;
        EXPECT_NE(main->CurrentDataset, setup->adoqry_ConsItemTemp) << w.name;
        // The list stays until the next adjustment opens.
        EXPECT_EQ(listed(), 1) << w.name;
    }
    openAdjustment();
    EXPECT_EQ(listed(), 0);
    press(main->toolb_Back);
    EXPECT_TRUE(control<QWidget>("pnl_StoreAdd")->isVisible());
    EXPECT_EQ(toolbar(), QStringList({"取消", "保存", "库存调整"}));
}

TEST_F(StockOverviewTest, AFailedAdjustmentChangesNothingAndClosesTheProgram) {
    startAdjustment();
    adjust("4001", "7");
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before update on itemlist begin select raise(abort, 'refused'); end");
    press(main->toolb_Save);
    EXPECT_EQ(lastText(), kx::ErrorGuard::transactionFailedText("A100001"));
    QApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(stock("4001"), 120);
    EXPECT_EQ(listed(), 1);
}

} // namespace
