// What a cashier meets in a day, driven the way the cashier reaches each screen: the board, a
// double click on a table, its work screen, then the bill or a move, by keys and clicks.
#include "BillScreen.h"
#include "BoardFixture.h"
#include "Check.h"
#include "DayOperations.h"
#include "NumberEntry.h"
#include "OrderScreen.h"
#include "TableMoves.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <functional>

namespace {

using kx::frontdesk::BillScreen;
using kx::frontdesk::TableMoves;

const QString kNoPermission = QStringLiteral("你没有操作此项功能的权限，请与系统管理员联系！");

class CashierDayTest : public kx::test::BoardTest {
protected:
    BillScreen* bill() const { return work->bill; }
    TableMoves* moves() const { return work->moves; }
    qint64 count(const QString& sql, const QVariantList& params = {}) { return kx::db::scalarInt(db(), sql, params); }
    QWidget* focus() const { return QApplication::focusWidget(); }

    // A table in use with one line of 100 on it (or checked out with it paid in cash).
    void seated(qint64 key, const QString& table, const QString& state = QStringLiteral("2")) {
        addVisit(key, table, state, QStringLiteral("1"), QStringLiteral("1"), 100, 100);
        addLine(key, QStringLiteral("1001"), QStringLiteral("C01"), 1, 100, QStringLiteral("1"), 1, 1, false);
        if (state == QLatin1String("3")) {
            sql(QStringLiteral("update TableGuestlist set tabl_gues_fact=100 where tabl_gues_auto_recn=?"), {key});
            sql(QStringLiteral("insert into tableguespay (pay_type_code, pay_type_name, pay_type_mone, "
                               "tabl_gues_auto_recn) values ('Z', '现金', 100, ?)"),
                {key});
        }
    }
    // The table's work screen, reached by a double click on its cell.
    void toWorkScreen(const QString& table) {
        doubleClickCell(table);
        ASSERT_EQ(panel(), "pnl_Work");
    }
    // The bill of the table on the work screen, by numeric-pad *.
    void toBill() {
        keypad(nullptr, Qt::Key_Asterisk);
        ASSERT_EQ(panel(), "pnl_Bill");
    }
    // Checks out what the bill shows in cash, confirming with Yes.
    void settleInCash() {
        prompter.answer(true);
        keypad(nullptr, Qt::Key_Asterisk);
    }
    void click(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton);
        QApplication::processEvents();
    }
};

// ---------------------------------------------------------------- the work screen once shown

TEST_F(CashierDayTest, LeavingTheBillLandsOnTheWorkScreenWithItsLinesFocused) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Esc", [this] { key(Qt::Key_Escape); }},
        {"回退", [this] { click(bill()->ToolButton24); }},
    };
    seated(101, "A02");
    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        toWorkScreen("A02");
        toBill();
        leave();
        EXPECT_EQ(panel(), "pnl_Work");
        EXPECT_EQ(focus(), workScreen()->DBGrid3);
        key(Qt::Key_Escape);
        ASSERT_EQ(panel(), "pnl_TableState");
    }
}

TEST_F(CashierDayTest, WhileTheBillIsShownTheStoredVisitHoldsItsReceivable) {
    // Were the program to stop now, every board would show the bill's amount, not 0.00.
    seated(101, "A02");
    sql("update TableGuestlist set tabl_gues_shou=0, tabl_gues_fact=0 where tabl_gues_auto_recn=101");
    dm->adoqry_TableGues->refresh();
    toWorkScreen("A02");
    toBill();
    EXPECT_EQ(bill()->lbl_BillShou->text(), "100.00");
    EXPECT_EQ(kx::db::scalarNumber(db(), "select tabl_gues_shou from TableGuestlist where tabl_gues_auto_recn=101"), 100);
    EXPECT_EQ(kx::db::scalarNumber(db(), "select tabl_gues_fact from TableGuestlist where tabl_gues_auto_recn=101"), 100);
    EXPECT_EQ(bill()->lbl_Total1->text(), "100元");
}

TEST_F(CashierDayTest, ContinuingAnAccountLeavesTheVisitsEditsUsable) {
    seated(102, "A03", "3");
    toWorkScreen("A03");
    for (QWidget* w : std::initializer_list<QWidget*>{workScreen()->DBEdit5, workScreen()->DBEdit6,
                                                      workScreen()->DBLookupComboBox7, workScreen()->DBComboBox3})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    prompter.answer(true);
    click(workScreen()->toolb_tablstat);
    EXPECT_EQ(storedState("A03"), "4");
    for (QWidget* w : std::initializer_list<QWidget*>{workScreen()->DBEdit5, workScreen()->DBEdit6,
                                                      workScreen()->DBLookupComboBox7, workScreen()->DBComboBox3})
        EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
    // The ticket number typed now reaches the visit.
    QTest::keyClicks(workScreen()->DBEdit5, "T88");
    key(Qt::Key_Escape);
    EXPECT_EQ(kx::db::scalarText(db(), "select tabl_gues_user_recn from TableGuestlist where tabl_gues_auto_recn=102"),
              "T88");
}

TEST_F(CashierDayTest, APopUpPanelHoldsTheToolbarUntilEscClosesItAndNeverComesBack) {
    struct Case {
        const char* name;
        QToolButton* button;
        QFrame* panel;
        QLineEdit* edit;
    } cases[] = {{"转台", workScreen()->toolb_Transfer, moves()->pnl_changetable, moves()->editchange},
                 {"并台", workScreen()->toolb_Join, moves()->pnl_jointable, moves()->editjoin}};
    seated(101, "A02");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        toWorkScreen("A02");
        click(c.button);
        ASSERT_TRUE(c.panel->isVisible());
        EXPECT_FALSE(workScreen()->ToolBar3->isEnabled());
        EXPECT_EQ(focus(), c.edit);
        QTest::keyClicks(c.edit, "a0");
        // The work screen's keys wait while the panel is open: no order screen, no bill.
        for (int k : {Qt::Key_Plus, Qt::Key_Asterisk, Qt::Key_Minus}) keypad(nullptr, k);
        EXPECT_EQ(panel(), "pnl_Work");
        key(Qt::Key_Escape);
        EXPECT_FALSE(c.panel->isVisible());
        EXPECT_TRUE(c.edit->text().isEmpty());
        EXPECT_TRUE(workScreen()->ToolBar3->isEnabled());
        EXPECT_EQ(panel(), "pnl_Work");
        // The next Esc goes back to the board; the next work screen shows no panel.
        key(Qt::Key_Escape);
        ASSERT_EQ(panel(), "pnl_TableState");
        toWorkScreen("A02");
        EXPECT_FALSE(c.panel->isVisible());
        EXPECT_TRUE(workScreen()->ToolBar3->isEnabled());
        key(Qt::Key_Escape);
    }
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join("|").toStdString();
}

TEST_F(CashierDayTest, ATransferByKeysTakesALowerCaseCodeAndEnterOnTheButton) {
    seated(101, "A02");
    toWorkScreen("A02");
    click(workScreen()->toolb_Transfer);
    QTest::keyClicks(moves()->editchange, "a05");
    EXPECT_EQ(moves()->editchange->text(), "A05");
    // Enter moves on to "确定"; Enter there presses it.
    QTest::keyClick(moves()->editchange, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(focus(), moves()->BitBtn1);
    prompter.answer(true);
    QTest::keyClick(moves()->BitBtn1, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts(),
              QStringList({"是否将[A02]转为[A05]，请确定操作!", "系统已成功的转入[A05]台，请继续操作！"}));
    EXPECT_EQ(storedState("A05"), "2");
    EXPECT_EQ(storedState("A02"), "1");
    EXPECT_FALSE(moves()->pnl_changetable->isVisible());
    EXPECT_TRUE(workScreen()->ToolBar3->isEnabled());
    EXPECT_EQ(kx::db::checkDatabase(db()), QStringList());
}

// ---------------------------------------------------------------- after a checkout

TEST_F(CashierDayTest, AfterACheckoutThePaidTableStaysSelected) {
    seated(101, "A04");
    toWorkScreen("A04");
    toBill();
    settleInCash();
    ASSERT_EQ(panel(), "pnl_TableState");
    EXPECT_EQ(storedState("A04"), "3");
    EXPECT_EQ(currentCode(), "A04");
    // The cashier's next keys act on the table just paid: its work screen, then clearing it.
    keypad(nullptr, Qt::Key_Plus);
    ASSERT_EQ(panel(), "pnl_Work");
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_auto_recn").asInt(), 101);
    prompter.answer(true);
    keypad(nullptr, Qt::Key_Minus);
    EXPECT_EQ(storedState("A04"), "1");
    EXPECT_EQ(count("select count(*) from TableGuestlist where tabl_gues_use<>0"), 0);
    EXPECT_EQ(kx::db::checkDatabase(db()), QStringList());
}

// ---------------------------------------------------------------- the discount permission

TEST_F(CashierDayTest, WithoutTheDiscountPermissionNoWayInStoresADiscount) {
    enum class Way { ClickThenType, TypeWithoutFocus, ChooseScheme, ArrowKey };
    const std::pair<const char*, Way> ways[] = {{"tab, click, type 85", Way::ClickThenType},
                                                {"typed without the focus passing", Way::TypeWithoutFocus},
                                                {"scheme chosen from the list", Way::ChooseScheme},
                                                {"arrow key on the scheme list", Way::ArrowKey}};
    sql("update Limitedlist set limi_real=0 where mana_code='02' and limi_code='DA'");
    click(work->ToolButton4); // 重新登录
    logIn("02", "1111");
    ASSERT_FALSE(work->pnl_login->isVisible());
    qint64 key = 200;
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        prompter.clear();
        seated(++key, "A06");
        toWorkScreen("A06");
        toBill();
        bill()->PageControl2->setCurrentIndex(3);
        QApplication::processEvents();
        QLineEdit* percent = bill()->DBEdit15;
        QComboBox* scheme = bill()->DBLookupComboBox6;
        switch (way) {
        case Way::ClickThenType:
            QTest::mouseClick(percent, Qt::LeftButton);
            QTest::keyClicks(percent, "85");
            break;
        case Way::TypeWithoutFocus: QTest::keyClicks(percent, "85"); break;
        case Way::ChooseScheme: {
            const int vip = scheme->findText("贵宾八五折");
            scheme->setCurrentIndex(vip);
            emit scheme->activated(vip);
            break;
        }
        case Way::ArrowKey: QTest::keyClick(scheme, Qt::Key_Down); break;
        }
        QApplication::processEvents();
        EXPECT_TRUE(prompter.texts().contains(QStringLiteral("DA") + kNoPermission))
            << prompter.texts().join("|").toStdString();
        EXPECT_FALSE(percent->isEnabled());
        EXPECT_FALSE(scheme->isEnabled());
        EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_disc").asFloat(), 0);
        settleInCash();
        ASSERT_EQ(panel(), "pnl_TableState");
        const QString where = QStringLiteral(" from TableGuestlist where tabl_gues_auto_recn=") + QString::number(key);
        EXPECT_EQ(kx::db::scalarNumber(db(), "select tabl_gues_disc" + where), 0);
        EXPECT_EQ(kx::db::scalarNumber(db(), "select disc_perc" + where), 0);
        EXPECT_EQ(kx::db::scalarText(db(), "select disc_code" + where), "N");
        EXPECT_EQ(kx::db::scalarNumber(db(), "select tabl_gues_fact" + where), 100);
        // Cleared for the next round.
        prompter.answer(true);
        toWorkScreen("A06");
        keypad(nullptr, Qt::Key_Minus);
    }
    // A bill entered by a cashier who may give discounts finds both usable again.
    sql("update Limitedlist set limi_real=1 where mana_code='02' and limi_code='DA'");
    seated(++key, "A06");
    toWorkScreen("A06");
    toBill();
    EXPECT_TRUE(bill()->DBEdit15->isEnabled());
    EXPECT_TRUE(bill()->DBLookupComboBox6->isEnabled());
}

// ---------------------------------------------------------------- the order pad

TEST_F(CashierDayTest, TheOrderPadIsEmptiedByTheCommitAndByClearing) {
    seated(101, "A02");
    auto padRows = [this] { return count("select count(*) from TableConsListTemp where tabl_gues_auto_recn=101"); };
    auto order = [this](const char* code) {
        kx::frontdesk::OrderScreen* screen = work->orderScreen;
        screen->EditDict_Number->setFocus();
        QTest::keyClicks(screen->EditDict_Number, code);
        QTest::keyClick(screen->EditDict_Number, Qt::Key_Return);
        QApplication::processEvents();
    };
    toWorkScreen("A02");
    keypad(nullptr, Qt::Key_Plus);
    ASSERT_EQ(panel(), "pnl_ConsItem");
    order("1002");
    EXPECT_EQ(padRows(), 1);
    prompter.answer(true);
    keypad(nullptr, Qt::Key_Asterisk);
    ASSERT_EQ(panel(), "pnl_Work");
    EXPECT_EQ(padRows(), 0);
    EXPECT_EQ(count("select count(*) from TableConsList where tabl_gues_auto_recn=101"), 2);

    // An order screen left without committing keeps its lines until the table is cleared.
    keypad(nullptr, Qt::Key_Plus);
    order("6002"); // a set menu: its line and its components
    EXPECT_GT(padRows(), 1);
    prompter.answer(true);
    key(Qt::Key_Escape);
    ASSERT_EQ(panel(), "pnl_Work");
    toBill();
    settleInCash();
    toWorkScreen("A02");
    prompter.answer(true);
    keypad(nullptr, Qt::Key_Minus);
    EXPECT_EQ(storedState("A02"), "1");
    EXPECT_EQ(padRows(), 0);
    // Nothing of the pad is read at start-up.
    kx::frontdesk::TDMTable fresh(db());
    EXPECT_EQ(fresh.adoqry_TableConsTemp->recordCount(), 0);
}

TEST_F(CashierDayTest, EnterOnTheListModeItemGridPicksTheItem) {
    seated(101, "A02");
    toWorkScreen("A02");
    keypad(nullptr, Qt::Key_Plus);
    kx::frontdesk::OrderScreen* screen = work->orderScreen;
    click(screen->toolb_ByList);
    screen->DBGrid4->setFocus();
    ASSERT_GT(dm->adoqry_ConsItem->recordCount(), 0);
    const QString item = dm->adoqry_ConsItem->field("item_code").asString();
    QTest::keyClick(screen->DBGrid4, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(dm->adoqry_TableConsTemp->recordCount(), 1);
    EXPECT_EQ(dm->adoqry_TableConsTemp->field("item_code").asString(), item);
    EXPECT_EQ(focus(), screen->dbe_number);
    // Enter after the quantity goes back to the item grid for the next pick.
    QTest::keyClicks(screen->dbe_number, "3");
    QTest::keyClick(screen->dbe_number, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(focus(), screen->DBGrid4);
}

// ---------------------------------------------------------------- screens built on first use

TEST_F(CashierDayTest, ScreensAreBuiltWhenTheCashierFirstReachesThem) {
    // Start-up and login build the board only.
    EXPECT_EQ(work->workScreen.peek(), nullptr);
    EXPECT_EQ(work->registerScreen.peek(), nullptr);
    EXPECT_EQ(work->bill.peek(), nullptr);
    EXPECT_EQ(work->orderScreen.peek(), nullptr);
    EXPECT_EQ(work->bookings.peek(), nullptr);
    seated(101, "A02");
    toWorkScreen("A02");
    EXPECT_NE(work->moves.peek(), nullptr); // the work screen's own panels and keys come with it
    EXPECT_EQ(work->orderScreen.peek(), nullptr);
    // The keys of a screen not built yet build it and do what they do.
    keypad(nullptr, Qt::Key_Plus);
    EXPECT_EQ(panel(), "pnl_ConsItem");
    key(Qt::Key_Escape);
    ASSERT_EQ(panel(), "pnl_Work");
    toBill();
    EXPECT_EQ(focus(), bill()->DBEdit14);
    EXPECT_EQ(bill()->lbl_BillShou->text(), "100.00");
}

// ---------------------------------------------------------------- controls with no action yet

TEST_F(CashierDayTest, ControlsWhoseScreensAreNotThereAreNotShown) {
    // "设置" shows while its screen is there to open, and only then.
    QApplication::processEvents();
    EXPECT_TRUE(work->toolb_Setup->isVisible());
    main->registerAction("board.setup", nullptr);
    work->lockBoard();
    work->unlockBoard();
    QApplication::processEvents();
    EXPECT_FALSE(work->toolb_Setup->isVisible());
}

// ---------------------------------------------------------------- day, shift and login

TEST_F(CashierDayTest, AShiftHandoverBringsTheBoardBackInItsPictureView) {
    click(work->ToolButton34);
    ASSERT_EQ(work->ToolButton34->text(), "列表房台");
    work->toolb_Report->menu()->findChild<QAction*>("N2")->trigger();
    prompter.answer(true);
    click(work->day->ToolButton51);
    EXPECT_TRUE(work->pnl_login->isVisible());
    EXPECT_EQ(work->ToolButton34->text(), "图形房台");
    EXPECT_EQ(board()->view(), kx::frontdesk::TableBoard::Pictures);
    logIn();
    EXPECT_TRUE(work->pnl_TableStateG->isVisible());
    EXPECT_FALSE(work->pnl_TableStateL->isVisible());
    // The cycle starts again from the pictures.
    click(work->ToolButton34);
    EXPECT_EQ(work->ToolButton34->text(), "列表房台");
}

class LoginDayRollTest : public kx::test::FrontDeskTest {};

TEST_F(LoginDayRollTest, AFailedBackupIsReportedAndTheDayRollsAndTheLoginFinishes) {
    kx::db::exec(db(), "update setuppay set work_auto=1, work_back=1, pay_star=1, time_end=?",
                 {kx::toDbDateTime(startTime().addDays(-1))});
    // A visit cleared yesterday, and a file where the backup folder should be.
    kx::db::exec(db(), "insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use, tabl_gues_stat) "
                       "values (900, 'A01', 0, '1')");
    QFile blocker(QFileInfo(path).absoluteDir().absoluteFilePath("../back"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    dm->adoqry_SetupPay->refresh();
    dm->adoqry_SetupPay->edit();
    logIn();
    QApplication::processEvents();
    ASSERT_EQ(prompter.texts().size(), 1) << prompter.texts().join("|").toStdString();
    EXPECT_TRUE(prompter.texts().first().startsWith("日结前的自动数据备份没有成功，本次自动日结没有备份数据！"));
    EXPECT_FALSE(work->pnl_login->isVisible());
    EXPECT_TRUE(work->pnl_TableStateP->isVisible());
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from TableGuestlist where tabl_gues_auto_recn=900"), 0);
    EXPECT_EQ(kx::db::scalarInt(db(), "select pay_star from setuppay"), 1);
    EXPECT_EQ(kx::db::scalarText(db(), "select substr(time_work,1,10) from setuppay"), "2026-12-09");
    EXPECT_FALSE(main->SilentExit);
}

// ---------------------------------------------------------------- numbers in range

TEST_F(CashierDayTest, NumbersBeyondTheirFieldAreRefusedWithAMessageAndNeverStored) {
    struct Case {
        const char* name;
        std::function<QLineEdit*()> reach;
        const char* typed;
        const char* shown;
        kx::NumberRange range;
    };
    const Case cases[] = {
        {"order quantity",
         [this] {
             toWorkScreen("A02");
             keypad(nullptr, Qt::Key_Plus);
             kx::frontdesk::OrderScreen* s = work->orderScreen;
             QTest::keyClicks(s->EditDict_Number, "1001");
             QTest::keyClick(s->EditDict_Number, Qt::Key_Return);
             QApplication::processEvents();
             s->dbe_number->selectAll();
             return s->dbe_number;
         },
         "99999", "9999", kx::ranges::quantity},
        {"price of a new item",
         [this] {
             toWorkScreen("A02");
             keypad(nullptr, Qt::Key_Plus);
             click(work->orderScreen->toolb_AddItem);
             return work->orderScreen->Edit15;
         },
         "12345678", "123456", kx::ranges::price},
        {"guest count",
         [this] {
             doubleClickCell("A03");
             opening()->DBEdit2->setFocus();
             opening()->DBEdit2->selectAll();
             return opening()->DBEdit2;
         },
         "2000", "200", kx::ranges::guests},
        {"amount paid",
         [this] {
             toWorkScreen("A02");
             toBill();
             bill()->DBEdit14->selectAll();
             return bill()->DBEdit14;
         },
         "123456789", "1234567", kx::ranges::amount},
        {"starting amount of a shift",
         [this] {
             work->toolb_Report->menu()->findChild<QAction*>("N2")->trigger();
             work->day->dbe_StarMone->setFocus();
             work->day->dbe_StarMone->selectAll();
             return work->day->dbe_StarMone;
         },
         "99999999", "9999999", kx::ranges::amount},
    };
    seated(101, "A02");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.clear();
        QLineEdit* edit = c.reach();
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, c.typed);
        QApplication::processEvents();
        EXPECT_EQ(edit->text(), c.shown);
        EXPECT_EQ(prompter.texts(), QStringList({kx::outOfRangeMessage(c.range)}));
        // Back to the board for the next case, nothing stored on the way.
        for (int i = 0; i < 3 && panel() != "pnl_TableState"; ++i) {
            prompter.answer(true);
            key(Qt::Key_Escape);
        }
        if (panel() != "pnl_TableState") work->day->backToBoard();
    }
    EXPECT_EQ(kx::outOfRangeMessage(kx::ranges::quantity), "输入的数值超出允许的范围[0-9999.99]，请重新输入！");
    // What is shown is what is stored: the guest count typed at an opening.
    doubleClickCell("A03");
    opening()->DBEdit2->setFocus();
    opening()->DBEdit2->selectAll();
    QTest::keyClicks(opening()->DBEdit2, "1234");
    QApplication::processEvents();
    keypad(opening()->DBEdit2, Qt::Key_Plus);
    ASSERT_EQ(panel(), "pnl_Work");
    EXPECT_EQ(kx::db::scalarInt(db(), "select tabl_gues_coun from TableGuestlist where tabl_code='A03' and "
                                      "tabl_gues_use<>0"),
              123);
    EXPECT_EQ(count("select count(*) from itemlist where item_unit_pric > ?", {kx::ranges::price.max}), 0);
}

} // namespace
