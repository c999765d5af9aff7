// The order screen driven as a cashier drives it: opening and leaving, picking by number and
// from the lists, the line check against committed quantities and stock, set menus, deleting,
// and the commit with its line totals, stock and the visit's charges.
#include "OrderFixture.h"

#include "Permission.h"

#include <QAbstractItemModelTester>
#include <QProgressBar>
#include <QStatusBar>

using kx::test::Line;
using kx::test::OrderTest;

namespace {

const QString kStockWarning = QStringLiteral("库存数已小于[5],库存下限预警！");

TEST_F(OrderTest, OpensWithAnEmptyPadForItsVisitAndLeavesWithEsc) {
    const qint64 other = openVisit("A02");
    const qint64 key = openVisit("A01");
    // Pad rows another front desk is filling for its own table and for this one, and rows this
    // desk left behind for this visit.
    for (const auto& [k, desk] : {std::pair{other, QStringLiteral("another desk")}, std::pair{key, QStringLiteral("another desk")},
                                  std::pair{key, dm->deskId}})
        kx::db::exec(db(),
                     "INSERT INTO TableConsListTemp (tabl_gues_auto_recn, item_code, tabl_cons_coun, menu_type_code, desk_id) "
                     "VALUES (?, '1001', 1, '1', ?)",
                     {k, desk});
    openOrderScreen();

    EXPECT_EQ(currentPanel(), "pnl_ConsItem");
    EXPECT_TRUE(screen->pnl_number->isVisible());
    EXPECT_TRUE(screen->toolb_ByNumber->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), screen->EditDict_Number);
    EXPECT_TRUE(screen->EditDict_Number->text().isEmpty());
    for (QWidget* w : std::initializer_list<QWidget*>{screen->dbe_number, screen->dbe_unitpric, screen->dbl_Narr,
                                                      screen->dbl_ItemType, screen->dbl_worker})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(kx::EnterAsTab::isInstalled());
    EXPECT_NE(main->StatusBar1->findChild<QProgressBar*>(), nullptr);
    EXPECT_TRUE(dm->adoqry_TableConsTemp->isEmpty());
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from TableConsListTemp where tabl_gues_auto_recn=? and desk_id=?",
                                {key, dm->deskId}),
              0);
    EXPECT_EQ(pad(key).size(), 1u);   // what another desk orders for this visit is left alone
    EXPECT_EQ(pad(other).size(), 1u); // and so is the other table's pad
    EXPECT_EQ(screen->lbl_Table->text(), "A01  大厅1号台");

    // Nothing picked: Esc leaves at once, Enter moves on again.
    press(Qt::Key_Escape);
    EXPECT_TRUE(prompter.texts().isEmpty());
    EXPECT_EQ(currentPanel(), "pnl_Work");
    EXPECT_TRUE(kx::EnterAsTab::isInstalled());
    EXPECT_EQ(main->StatusBar1->findChild<QProgressBar*>(), nullptr);
}

TEST_F(OrderTest, OpeningIsRefusedForACheckedOutTableAndWithoutThePermission) {
    struct Case {
        const char* state;
        bool granted;
        QString message;
    } cases[] = {
        {"3", true, "现在台桌不在[使用]状态，所以不能进行[点菜]！"},
        {"2", false, "DB" + kx::NoPermissionText},
    };
    for (const Case& c : cases) {
        openVisit("A03");
        kx::db::exec(db(), "UPDATE Limitedlist SET limi_real = ? WHERE mana_code = ? AND limi_code = 'DB'",
                     {c.granted, dm->setup.text("mana_code")});
        kx::db::exec(db(), "UPDATE TableList SET tabl_stat_code = ? WHERE tabl_code = 'A03'", {c.state});
        dm->adoqry_table->refresh();
        ASSERT_TRUE(dm->adoqry_table->locate("tabl_code", "A03"));
        prompter.clear();
        const QString before = currentPanel();
        openOrderScreen();
        EXPECT_EQ(prompter.texts(), QStringList{c.message}) << c.state;
        EXPECT_EQ(currentPanel(), before);
        EXPECT_FALSE(screen->isOpen());
        kx::db::exec(db(), "UPDATE TableList SET tabl_stat_code = '1' WHERE tabl_code = 'A03'");
        kx::db::exec(db(), "UPDATE TableGuestlist SET tabl_gues_use = 0 WHERE tabl_code = 'A03'");
    }
}

TEST_F(OrderTest, NumberSearchFindsCodesAndShortCodesAndEnterPicksOrChooses) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    QAbstractItemModelTester tester(screen->DBGrid2->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    auto shown = [this] {
        QStringList codes;
        for (int r = 0; r < screen->DBGrid2->model()->rowCount(); ++r)
            codes << screen->DBGrid2->model()->index(r, 0).data().toString();
        return codes;
    };

    struct Case {
        QString typed;
        QString shows; // what the box shows after typing
        QStringList codes;
    } cases[] = {
        {"100", "100", {"1001", "1002", "1003", "1004", "1005"}},
        {"gb", "GB", {"1001"}},          // short code, typed in lower case
        {"60", "60", {"6001", "6002"}},  // set menus are ordered like any item
        {"90", "90", {}},                // ingredients are never ordered
        {"X9", "X9", {}},
    };
    for (const Case& c : cases) {
        screen->EditDict_Number->clear();
        QTest::keyClicks(screen->EditDict_Number, c.typed);
        EXPECT_EQ(screen->EditDict_Number->text(), c.shows);
        EXPECT_EQ(shown(), c.codes) << c.typed.toStdString();
    }

    // Several results: Enter moves to the grid, whose first column turns teal while choosing.
    screen->EditDict_Number->clear();
    QTest::keyClicks(screen->EditDict_Number, "100");
    QTest::keyClick(screen->EditDict_Number, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), screen->DBGrid2);
    EXPECT_TRUE(screen->choosingInGrid());
    EXPECT_EQ(screen->DBGrid2->model()->index(0, 0).data(Qt::BackgroundRole).value<QColor>(), QColor(0, 128, 128));
    QTest::keyClick(screen->DBGrid2, Qt::Key_Down);
    QTest::keyClick(screen->DBGrid2, Qt::Key_Return);
    EXPECT_EQ(pad(key), (std::vector<Line>{{"1002", 1, "1", 0, ""}}));
    EXPECT_TRUE(screen->EditDict_Number->text().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), screen->dbe_number);
    EXPECT_FALSE(screen->choosingInGrid());
    EXPECT_EQ(shown().size(), 17); // every orderable item again

    // One result: Enter picks it at once and moves to the quantity.
    pickByNumber("KL");
    EXPECT_EQ(pad(key).back().item, "5001");
    EXPECT_EQ(QApplication::focusWidget(), screen->dbe_number);
    EXPECT_EQ(screen->lbl_Item->text(), "5001/可乐  听");
    EXPECT_EQ(screen->lbl_Stock->text(), "200");
}

TEST_F(OrderTest, PickingTwiceGivesTwoAndARightDoubleClickTakesOneAwayDownToZero) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    auto count = [&] { return pad(key).empty() ? -1.0 : pad(key).front().count; };

    // A right double click on an item that has no line adds nothing.
    doubleClickItem(screen->DBGrid2, "1004", Qt::RightButton);
    EXPECT_TRUE(pad(key).empty());

    doubleClickItem(screen->DBGrid2, "1004", Qt::LeftButton);
    doubleClickItem(screen->DBGrid2, "1004", Qt::LeftButton);
    EXPECT_EQ(pad(key).size(), 1u);
    EXPECT_EQ(count(), 2);
    const double after[] = {1, 0, 0};
    for (double expected : after) {
        doubleClickItem(screen->DBGrid2, "1004", Qt::RightButton);
        EXPECT_EQ(count(), expected);
    }
    // The flag of the right button is spent: the next left double click adds again.
    doubleClickItem(screen->DBGrid2, "1004", Qt::LeftButton);
    EXPECT_EQ(count(), 1);
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(OrderTest, PickingFollowsTheStockRule) {
    struct Case {
        const char* item;
        double stock;
        const char* limit;
        int picks;
        double count;        // of the line after the picks; -1: no line
        QStringList messages;
    } cases[] = {
        {"4003", 0, "有限", 1, 0, {kStockWarning}},                 // no stock: a line of 0
        {"4003", 2, "有限", 3, 2, {kStockWarning, kStockWarning}},  // not above the stock
        {"4003", 0, "不限", 2, 2, {}},                              // not counted
        {"4003", 40, "有限", 2, 2, {}},                             // well stocked: no warning
        {"4003", 50, "禁用", 1, -1, {"此消费项目已禁用，所以不能进行[点单]！"}},
    };
    for (const Case& c : cases) {
        const qint64 key = openVisit("A05");
        setStock(c.item, c.stock, c.limit);
        openOrderScreen();
        prompter.clear();
        for (int i = 0; i < c.picks; ++i) pickByNumber(c.item);
        const auto lines = pad(key);
        EXPECT_EQ(lines.empty() ? -1.0 : lines.front().count, c.count) << c.stock << c.limit;
        EXPECT_EQ(prompter.texts(), c.messages) << c.stock << c.limit;
        if (QString(c.limit) == "禁用") {
            EXPECT_TRUE(screen->EditDict_Number->text().isEmpty());
            EXPECT_EQ(QApplication::focusWidget(), screen->EditDict_Number);
        }
        if (!pad(key).empty()) prompter.answer(true);
        press(Qt::Key_Escape);
        ASSERT_EQ(currentPanel(), "pnl_Work");
        kx::db::exec(db(), "UPDATE TableList SET tabl_stat_code = '1' WHERE tabl_code = 'A05'");
    }
}

TEST_F(OrderTest, TypingMoreThanTheStockIsRefusedAndTheQuantityEmptied) {
    const qint64 key = openVisit("A01");
    setStock("4003", 0, "有限");
    openOrderScreen();
    pickByNumber("4003");
    EXPECT_EQ(pad(key), (std::vector<Line>{{"4003", 0, "1", 0, ""}}));
    EXPECT_EQ(screen->dbe_number->text(), "0");
    prompter.clear();

    typeQuantity("1");
    EXPECT_EQ(prompter.texts(), QStringList{"[五粮液/0]点单数已经超过库存数，请重新输入数量！"});
    EXPECT_TRUE(screen->dbe_number->text().isEmpty());
    EXPECT_EQ(dm->adoqry_TableConsTemp->state(), kx::db::Dataset::Edit);
    // The line keeps what it had; committing stores it with 0.
    commitPad();
    EXPECT_EQ(committed(key), (std::vector<Line>{{"4003", 0, "1", 0, ""}}));
    EXPECT_EQ(stock("4003"), 0);
}

TEST_F(OrderTest, ReturnsAreLimitedByWhatTheVisitHasCommitted) {
    const qint64 key = openVisit("A01");
    orderAndCommit({{"4001", "3", Qt::Key_F5}, {"5001", "5", Qt::Key_F5}});
    orderAndCommit({{"5001", "2", Qt::Key_F7}});
    ASSERT_EQ(committed(key).size(), 3u);
    const QString returnRefused = "所选项目[退单数]超过[点单数]，所以不能退单！";
    const QString freeBackRefused = "所选项目[退赠数]超过[赠单数]，所以不能退赠！";

    struct Case {
        const char* item;
        int modeKey;
        const char* typed;
        QString message; // empty: accepted
        QString modeAfter;
    } cases[] = {
        {"4001", Qt::Key_F6, "4", returnRefused, "1"},
        {"4001", Qt::Key_F6, "3", QString(), "2"},
        {"1001", Qt::Key_F6, "1", returnRefused, "1"}, // nothing of it committed
        {"5001", Qt::Key_F8, "3", freeBackRefused, "1"}, // 2 free, though 5 ordered
        {"5001", Qt::Key_F8, "2", QString(), "4"},
    };
    for (const Case& c : cases) {
        openOrderScreen();
        pickByNumber(c.item);
        prompter.clear();
        typeQuantity(c.typed);
        press(c.modeKey);
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message}) << c.item << c.typed;
        EXPECT_EQ(dm->adoqry_TableConsTemp->field("menu_type_code").asString(), c.modeAfter) << c.item << c.typed;
        // An accepted mode keeps the quantity typed just before the key.
        if (c.message.isEmpty()) {
            EXPECT_EQ(dm->adoqry_TableConsTemp->field("tabl_cons_coun").asFloat(), QString(c.typed).toDouble());
        }
        prompter.answer(true);
        press(Qt::Key_Escape);
        ASSERT_EQ(currentPanel(), "pnl_Work");
    }
}

TEST_F(OrderTest, ModesSetTheSignsOfTheLine) {
    openVisit("A01");
    orderAndCommit({{"1001", "5", Qt::Key_F5}});
    orderAndCommit({{"1001", "5", Qt::Key_F7}});
    struct Case {
        int key;
        const char* mode;
        int priceSign;
        int stockSign;
    } cases[] = {
        {Qt::Key_F6, "2", -1, -1},
        {Qt::Key_F7, "3", 0, 1},
        {Qt::Key_F8, "4", 0, -1},
        {Qt::Key_F5, "1", 1, 1},
    };
    openOrderScreen();
    pickByNumber("1001");
    prompter.clear();
    for (const Case& c : cases) {
        press(c.key);
        const auto& line = *dm->adoqry_TableConsTemp;
        EXPECT_EQ(line.field("menu_type_code").asString(), c.mode);
        EXPECT_EQ(line.field("item_type_flag").asInt(), c.priceSign) << c.mode;
        EXPECT_EQ(line.field("item_coun_flag").asInt(), c.stockSign) << c.mode;
        EXPECT_EQ(screen->dbl_ItemType->currentText(), line.field("menutypename").asString());
    }
    EXPECT_EQ(prompter.texts(), QStringList());
}

// A waiter: tables and ordering, no free or returned lines.
class WaiterOrderTest : public OrderTest {
protected:
    void SetUp() override {
        user = "03";
        password = "2222";
        OrderTest::SetUp();
    }
};

TEST_F(WaiterOrderTest, FreeAndReturnedLinesNeedTheirPermissions) {
    openVisit("A01");
    openOrderScreen();
    pickByNumber("1001");
    for (const auto& [key, code] : {std::pair{Qt::Key_F7, QString("PB")}, std::pair{Qt::Key_F6, QString("CB")}}) {
        prompter.clear();
        press(key);
        EXPECT_EQ(prompter.texts(), QStringList{code + kx::NoPermissionText});
        EXPECT_EQ(dm->adoqry_TableConsTemp->field("menu_type_code").asString(), "1");
    }
}

TEST_F(OrderTest, ListModeFiltersKindsClassesAndItemsAndPicksByDoubleClick) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    QTest::mouseClick(screen->toolb_ByList, Qt::LeftButton);
    EXPECT_TRUE(screen->pnl_Change->isVisible());
    EXPECT_FALSE(screen->pnl_number->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), screen->DBGrid1);

    auto codes = [](QTableView* grid) {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r) out << grid->model()->index(r, 0).data().toString();
        return out;
    };
    EXPECT_EQ(codes(screen->DBGrid33), QStringList({"C", "D", "T"})); // no ingredients
    const QModelIndex drinks = screen->DBGrid33->model()->index(1, 0);
    screen->DBGrid33->setCurrentIndex(drinks);
    EXPECT_EQ(codes(screen->DBGrid5), QStringList({"D01", "D02"}));
    screen->DBGrid5->setCurrentIndex(screen->DBGrid5->model()->index(1, 0));
    EXPECT_EQ(codes(screen->DBGrid4), QStringList({"5001", "5002", "5003"}));
    // Unlimited items are drawn green, counted ones in the text colour.
    EXPECT_EQ(screen->DBGrid4->model()->index(1, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
    EXPECT_FALSE(screen->DBGrid4->model()->index(0, 1).data(Qt::ForegroundRole).isValid());

    doubleClickItem(screen->DBGrid4, "5002", Qt::LeftButton);
    doubleClickItem(screen->DBGrid4, "5002", Qt::LeftButton);
    doubleClickItem(screen->DBGrid4, "5002", Qt::RightButton);
    EXPECT_EQ(pad(key), (std::vector<Line>{{"5002", 1, "1", 0, ""}}));
    EXPECT_EQ(QApplication::focusWidget(), screen->dbe_number);

    // F11 goes back to the number search with every item.
    press(Qt::Key_F11);
    EXPECT_TRUE(screen->pnl_number->isVisible());
    EXPECT_TRUE(screen->toolb_ByNumber->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), screen->EditDict_Number);
    EXPECT_EQ(screen->DBGrid2->model()->rowCount(), 17);
    // The pad names its items whatever the items show.
    QTest::keyClicks(screen->EditDict_Number, "100");
    EXPECT_EQ(screen->DBGrid1->model()->index(0, 0).data().toString(), "鲜榨橙汁");
}

TEST_F(OrderTest, TheLineEditorFollowsTheLineAndItsKeys) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    // F12 does nothing while the quantity edit is disabled.
    press(Qt::Key_F12);
    EXPECT_EQ(QApplication::focusWidget(), screen->EditDict_Number);

    pickByNumber("1003"); // its price is typed when ordered
    EXPECT_TRUE(screen->dbe_unitpric->isEnabled());
    EXPECT_TRUE(screen->dbe_number->isEnabled());
    // Enter in the quantity moves to the price, Enter in the price back to the search.
    QTest::keyClick(screen->dbe_number, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), screen->dbe_unitpric);
    screen->dbe_unitpric->selectAll();
    QTest::keyClicks(screen->dbe_unitpric, "96.5");
    QTest::keyClick(screen->dbe_unitpric, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), screen->EditDict_Number);

    pickByNumber("1001");
    EXPECT_FALSE(screen->dbe_unitpric->isEnabled());
    QTest::keyClick(screen->dbe_number, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), screen->EditDict_Number);
    // Back on the first line the price can be typed again.
    screen->DBGrid1->setCurrentIndex(screen->DBGrid1->model()->index(0, 0));
    EXPECT_TRUE(screen->dbe_unitpric->isEnabled());
    EXPECT_EQ(screen->lbl_Item->text(), "1003/清蒸鲈鱼  条");
    press(Qt::Key_F12);
    EXPECT_EQ(QApplication::focusWidget(), screen->dbe_number);

    // Narrative and commission staff chosen in their boxes.
    screen->dbl_Narr->setCurrentIndex(0);
    emit screen->dbl_Narr->activated(0);
    screen->dbl_worker->setCurrentIndex(1);
    emit screen->dbl_worker->activated(1);
    // The amount column: with line totals kept to the cent it shows the product rounded as
    // sums are (四舍五入, halves to even); the line itself keeps 96.5.
    EXPECT_EQ(screen->DBGrid1->model()->index(0, 5).data().toString(), "96.00");
    commitPad();
    QSqlQuery q = kx::db::run(db(),
                              "SELECT item_unit_pric, cons_narr_code, dedu_oper_code, dedu_oper_name, oper_name "
                              "FROM TableConsList WHERE tabl_gues_auto_recn = ? ORDER BY tabl_cons_ID",
                              {key});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toDouble(), 96.5);
    EXPECT_EQ(q.value(1).toString(), "01");
    EXPECT_EQ(q.value(2).toString(), "002");
    EXPECT_EQ(q.value(3).toString(), "刘洋");
    EXPECT_EQ(q.value(4).toString(), "管理员");
}

TEST_F(OrderTest, DeletingALineAsksWithYesAsDefaultAndTakesSetMenuComponentsAlong) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    pickByNumber("1001");
    pickByNumber("6002"); // 啤酒套餐: 6 beers and a cucumber
    EXPECT_EQ(screen->DBGrid1->model()->rowCount(), 2); // components are not shown
    EXPECT_EQ(pad(key).size(), 4u);

    prompter.answer(false);
    press(Qt::Key_Minus, true);
    EXPECT_EQ(prompter.last().text, "请确定是否删除所选项目，删除后将不能恢复，请慎重!");
    EXPECT_TRUE(prompter.last().yesIsDefault);
    EXPECT_EQ(pad(key).size(), 4u);
    EXPECT_EQ(QApplication::focusWidget(), screen->EditDict_Number);

    prompter.answer(true);
    press(Qt::Key_Minus, true); // the set menu, the current line
    EXPECT_EQ(pad(key), (std::vector<Line>{{"1001", 1, "1", 0, ""}}));
    EXPECT_TRUE(screen->dbe_number->isEnabled());
    prompter.answer(true);
    press(Qt::Key_Minus, true);
    EXPECT_TRUE(pad(key).empty());
    EXPECT_FALSE(screen->dbe_number->isEnabled());
    // With an empty pad there is nothing to ask.
    prompter.clear();
    press(Qt::Key_Minus, true);
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(OrderTest, LeavingWithLinesAsksAndKeepsThePadRows) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    pickByNumber("1001");
    prompter.answer(false);
    press(Qt::Key_Escape);
    EXPECT_EQ(prompter.last().text, "请确定是否作废所选消费项目并返回操作界面，请选择(是/否)！");
    EXPECT_FALSE(prompter.last().yesIsDefault);
    EXPECT_EQ(currentPanel(), "pnl_ConsItem");
    prompter.answer(true);
    press(Qt::Key_Escape);
    EXPECT_EQ(currentPanel(), "pnl_Work");
    EXPECT_TRUE(committed(key).empty());
    EXPECT_EQ(pad(key).size(), 1u); // until the order screen opens again
    openOrderScreen();
    EXPECT_TRUE(pad(key).empty());
}

TEST_F(OrderTest, CommitAsksWithYesAsDefaultAndDoesNothingForAnEmptyPad) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    commitPad();
    EXPECT_EQ(prompter.last().text, "请确定是否将所选[消费项目]作落单处理，请选择(是/否)！");
    EXPECT_TRUE(prompter.last().yesIsDefault);
    EXPECT_EQ(currentPanel(), "pnl_ConsItem");
    pickByNumber("1001");
    prompter.answer(false);
    press(Qt::Key_Asterisk, true);
    EXPECT_EQ(currentPanel(), "pnl_ConsItem");
    EXPECT_TRUE(committed(key).empty());
    commitPad();
    EXPECT_EQ(currentPanel(), "pnl_Work");
    EXPECT_TRUE(kx::EnterAsTab::isInstalled());
    EXPECT_EQ(committed(key).size(), 1u);
    // The work screen's lines are the visit's.
    EXPECT_EQ(dm->adoqry_TableCons->recordCount(), 1);
    EXPECT_EQ(dm->adoqry_TableCons->field("item_code").asString(), "1001");
}

TEST_F(OrderTest, ASetMenuOrderedTwiceCommitsItsComponentsFreeAndMultiplied) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    pickByNumber("6002");
    pickByNumber("6002");
    EXPECT_EQ(screen->DBGrid1->model()->rowCount(), 1);
    commitPad();
    EXPECT_EQ(committed(key), (std::vector<Line>{{"6002", 2, "1", 116, ""},
                                                 {"4001", 12, "3", 0, "6002"},
                                                 {"2001", 2, "3", 0, "6002"}}));
    QSqlQuery q = kx::db::run(db(),
                              "SELECT cons_grou_narr, item_type_flag, item_coun_flag, serv_perc FROM TableConsList "
                              "WHERE grou_code = '6002' AND tabl_gues_auto_recn = ?",
                              {key});
    int components = 0;
    while (q.next()) {
        ++components;
        EXPECT_EQ(q.value(0).toString(), "套餐-啤酒套餐");
        EXPECT_EQ(q.value(1).toInt(), 0);
        EXPECT_EQ(q.value(2).toInt(), 1);
        EXPECT_EQ(q.value(3).toInt(), 100);
    }
    EXPECT_EQ(components, 2);
    EXPECT_EQ(stock("4001"), 108);
    EXPECT_EQ(stock("6002"), 18); // 108 beers make 18 more set menus
}

TEST_F(OrderTest, CommitReducesStockAsAHandCountDoesAndRecomputesTheVisit) {
    // 大包厢 (minimum 1200, service 10 %).
    const qint64 key = openVisit("B04");
    orderAndCommit({{"4001", "3", Qt::Key_F5}, {"1005", "2", Qt::Key_F5}, {"6001", "1", Qt::Key_F5}});
    EXPECT_EQ(currentPanel(), "pnl_Work");

    // By hand: 3 beers; the egg dish twice directly and once in the set menu (3 eggs, half a
    // pound of tomatoes, 0.1 of oil each); the set menu's two colas.
    struct Stock {
        const char* item;
        double count;
    } expected[] = {
        {"4001", 117}, {"5001", 198}, {"9001", 231}, {"9002", 48.5}, {"9003", 19.7},
        {"1005", 77},  // the composite: 231 eggs / 3
        {"6001", 77},  // the set menu: its composite's eggs are the scarcest
        {"6002", 19},  // 117 beers / 6
        {"1001", 0},   // unlimited items are not counted
    };
    for (const Stock& s : expected) EXPECT_NEAR(stock(s.item), s.count, 1e-9) << s.item;

    // Dish: 36 + 68; special (drinks): 30; service on the minimum and the drinks.
    dm->adoqry_TableGues->refresh();
    ASSERT_TRUE(dm->adoqry_TableGues->locate("tabl_gues_auto_recn", key));
    const auto& v = *dm->adoqry_TableGues;
    EXPECT_EQ(v.field("tabl_gues_dish").asFloat(), 104);
    EXPECT_EQ(v.field("tabl_gues_spec").asFloat(), 30);
    EXPECT_EQ(v.field("tabl_gues_serv_main").asFloat(), 104);
    EXPECT_EQ(v.field("tabl_gues_serv_spec").asFloat(), 30);
    EXPECT_EQ(v.field("tabl_gues_low").asFloat(), 1200);
    EXPECT_EQ(v.field("tabl_gues_serv").asFloat(), 123);
    EXPECT_EQ(v.field("tabl_gues_shou").asFloat(), 1353);

    // The service rate marks the lines of serviced classes, never set-menu components.
    EXPECT_EQ(kx::db::scalarInt(db(), "SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = ? AND serv_perc = 10",
                                {key}),
              3);

    // Returning two beers gives them back to the stock.
    orderAndCommit({{"4001", "2", Qt::Key_F6}});
    EXPECT_EQ(stock("4001"), 119);
    EXPECT_EQ(stock("6002"), 19);
}

TEST_F(OrderTest, ACommitTouchesOnlyItsOwnVisitsPadRows) {
    // Another front desk is ordering for A02: a set menu of two with its beers, and five beers.
    const qint64 other = openVisit("A02");
    const qint64 key = openVisit("A01");
    for (const auto& [item, count, mode, group] :
         {std::tuple{"6002", 2.0, "1", ""}, std::tuple{"4001", 6.0, "3", "6002"}, std::tuple{"4001", 5.0, "1", ""}})
        kx::db::exec(db(),
                     "INSERT INTO TableConsListTemp (tabl_gues_auto_recn, item_code, item_type_code, tabl_cons_coun, "
                     "menu_type_code, item_unit_pric, grou_code, desk_id) VALUES (?, ?, ?, ?, ?, 10, NULLIF(?, ''), 'other')",
                     {other, item, QString(item) == "6002" ? "2" : "1", count, mode, group});
    const auto theirs = pad(other);

    orderAndCommit({{"6002", "1", Qt::Key_F5}});
    EXPECT_EQ(committed(key).size(), 3u);
    EXPECT_TRUE(committed(other).empty());
    EXPECT_EQ(pad(other), theirs); // not multiplied, not totalled
    EXPECT_EQ(stock("4001"), 114);  // only this visit's six beers
}

TEST_F(OrderTest, LineTotalsAreRoundedByTheLineRounding) {
    struct Case {
        const char* rounding;
        double ordered;
        double returned;
        QString shown; // the pad's amount column
    } cases[] = {
        {"小数进一", 11, -11, "11.00"},   // 10.05 + 0.49 rounded
        {"四舍五入", 10, -10, "10.00"},
        // The pad shows the product through the rounding of sums (四舍五入 here); the line keeps it.
        {"保留小数", 10.05, -10.05, "10.00"},
    };
    for (const Case& c : cases) {
        dm->setup.set("pay_set_item_int", QString(c.rounding));
        kx::db::exec(db(), "UPDATE itemlist SET item_unit_pric = 3.35 WHERE item_code = '3002'");
        const qint64 key = openVisit("A06");
        openOrderScreen();
        pickByNumber("3002");
        typeQuantity("3");
        QTest::keyClick(screen->dbe_number, Qt::Key_Return); // on to the search: the quantity is taken
        EXPECT_EQ(screen->DBGrid1->model()->index(0, 5).data().toString(), c.shown) << c.rounding;
        commitPad();
        orderAndCommit({{"3002", "3", Qt::Key_F6}});
        const auto lines = committed(key);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_DOUBLE_EQ(lines[0].total, c.ordered) << c.rounding;
        EXPECT_DOUBLE_EQ(lines[1].total, c.returned) << c.rounding;
        kx::db::exec(db(), "UPDATE TableList SET tabl_stat_code = '1' WHERE tabl_code = 'A06'");
        kx::db::exec(db(), "UPDATE TableGuestlist SET tabl_gues_use = 0 WHERE tabl_gues_auto_recn = ?", {key});
    }
}

TEST_F(OrderTest, AFailedCommitRollsEverythingBackWithItsCode) {
    const qint64 key = openVisit("A01");
    openOrderScreen();
    pickByNumber("4001");
    pickByNumber("6002");
    const auto padBefore = pad(key);
    // The visit row cannot be written: the last stage of the commit fails.
    kx::test::createRefusingTrigger(db(), "CREATE TRIGGER refuse_visit BEFORE UPDATE ON TableGuestlist "
                       "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    commitPad();
    EXPECT_EQ(prompter.last().kind, "error");
    EXPECT_EQ(prompter.last().text, "系统发生错误编码[B100007]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！");
    EXPECT_TRUE(main->SilentExit);
    EXPECT_TRUE(committed(key).empty());
    EXPECT_EQ(stock("4001"), 120);
    EXPECT_EQ(stock("6002"), 20);
    EXPECT_EQ(pad(key), padBefore); // the pad as it was, components not multiplied
}

} // namespace

namespace {

// Both pick modes lay their controls inside the window; with KX_SCREENSHOTS set the window is
// saved there as a picture of each mode.
TEST_F(OrderTest, BothPickModesFitTheWindow) {
    const qint64 key = openVisit("B01");
    openOrderScreen();
    pickByNumber("1001");
    typeQuantity("2");
    pickByNumber("4001");
    pickByNumber("6001");
    QTest::keyClicks(screen->EditDict_Number, "10");
    const QString shots = qEnvironmentVariable("KX_SCREENSHOTS");
    const QRect window = main->rect();
    struct Mode {
        const char* name;
        QToolButton* button;
        std::vector<QWidget*> shown;
    } modes[] = {
        {"number", screen->toolb_ByNumber, {screen->DBGrid2, screen->EditDict_Number, screen->toolb_AddItem}},
        {"list", screen->toolb_ByList, {screen->DBGrid33, screen->DBGrid5, screen->DBGrid4, screen->toolb_AddItem}},
        {"additem", screen->toolb_AddItem, {screen->dbg_AddKind, screen->dbg_AddClass, screen->Edit12, screen->SpeedButton14}},
    };
    for (const Mode& m : modes) {
        QTest::mouseClick(m.button, Qt::LeftButton);
        QApplication::processEvents();
        std::vector<QWidget*> all = {screen->ToolBar4, screen->DBGrid1, screen->Panel30, screen->dbe_number,
                                     screen->dbl_worker};
        all.insert(all.end(), m.shown.begin(), m.shown.end());
        for (QWidget* w : all) {
            EXPECT_TRUE(w->isVisible()) << m.name << " " << w->objectName().toStdString();
            const QRect r(w->mapTo(main.get(), QPoint(0, 0)), w->size());
            EXPECT_TRUE(window.contains(r)) << m.name << " " << w->objectName().toStdString();
        }
        if (!shots.isEmpty()) main->grab().save(shots + QString("/order_%1.png").arg(m.name));
    }
    EXPECT_EQ(pad(key).size(), 7u);
}

} // namespace
