// The reverse checkout ("反结") as the cashier reaches it: the board's context menu on a free
// table, the screen pnl_Reagain with the table's bills of today, the system management
// password, the question, and the bill reopened on its table — its member card and credit
// account given back once, its payment lines and archive rows gone — then settled and cleared
// again; a second desk that took the bill first, a day end that removed it, and a failure
// after the refund.
#include "BoardFixture.h"
#include "CheckoutFixture.h"
#include "Connection.h"
#include "DayOperations.h"
#include "Password.h"
#include "ReverseScreen.h"
#include "SalesAnalysis.h"
#include "TableAnalysis.h"
#include "VisitMoves.h"

#include <QHeaderView>

using kx::test::CheckoutTest;
using kx::test::OrderLine;

namespace {

const QString kPassword = QStringLiteral("8866");
const QString kQuestion = QStringLiteral("请确定是否进行[反结帐]操作，请选择(是/否)！");
const QString kWrongPassword = QStringLiteral("密码不正确，请重新输入后确认！");
const QString kCard = QStringLiteral("8800001");
const QDate kToday(2026, 12, 9);

// A bill's payment by member card, credit account and cash.
struct Payment {
    double card = 0;
    double credit = 0;
    double cash = 0;
};

class ReverseCheckoutTest : public CheckoutTest {
protected:
    void SetUp() override {
        CheckoutTest::SetUp();
        kx::setSystemPassword(db(), kPassword);
    }

    kx::frontdesk::TableBoard* board() const { return work->tableBoard; }
    kx::frontdesk::ReverseScreen* screen() const { return work->reverse.peek(); }
    QString panel() const { return main->CurrentPanel() ? main->CurrentPanel()->objectName() : QString(); }

    // Seats a visit of one dish for `total` on `table`, settles it on the bill screen with the
    // payment typed as the cashier types it, and clears it from its work screen.
    qint64 settleAndClear(const QString& table, qint64 key, const Payment& p) {
        seat(table, "01", 2, {{"1001", "C01", 1, p.card + p.credit + p.cash}}, key);
        settle(p);
        clearFromBoard(table);
        return key;
    }
    // The bill screen of the current visit: the card and the account chosen, the amounts typed,
    // settled by its key.
    void settle(const Payment& p) {
        enterBill();
        ASSERT_EQ(panel(), "pnl_Bill");
        if (p.card > 0) chooseMember(kCard, "123456");
        if (p.credit > 0) chooseCreditAccount();
        typeAmount("M", QString::number(p.card));
        typeAmount("H", QString::number(p.credit));
        typeAmount("Z", QString::number(p.cash));
        prompter.answer(true);
        settleByKey();
        ASSERT_EQ(panel(), "pnl_TableState") << prompter.texts().join(" | ").toStdString();
    }
    void clearFromBoard(const QString& table) {
        doubleClickTable(table);
        ASSERT_EQ(panel(), "pnl_Work");
        prompter.answer(true);
        press(Qt::Key_Minus, Qt::KeypadModifier);
        ASSERT_EQ(panel(), "pnl_TableState");
    }

    // The board on the table's department and type, a press on its cell.
    void pressTable(const QString& table, Qt::MouseButton button) {
        ASSERT_TRUE(board()->showTable(table));
        // The picture grid lays its cells out again (a timer of its own) before it is pressed.
        QApplication::processEvents();
        QTest::mouseClick(board()->DBCtrlGrid1->viewport(), button, {}, kx::test::cellOf(board(), dm->adoqry_table, table));
        QApplication::processEvents();
        ASSERT_EQ(dm->adoqry_table->field("tabl_code").asString(), table);
    }
    void doubleClickTable(const QString& table) {
        pressTable(table, Qt::LeftButton);
        QTest::mouseDClick(board()->DBCtrlGrid1->viewport(), Qt::LeftButton, {},
                           kx::test::cellOf(board(), dm->adoqry_table, table));
        QApplication::processEvents();
    }
    // What the context menu of the table offers.
    QStringList menuOn(const QString& table) {
        pressTable(table, Qt::RightButton);
        const QStringList entries = kx::test::visibleEntries(board()->PopupMenu_TableState);
        board()->PopupMenu_TableState->hide();
        return entries;
    }
    // "反结" from the table's context menu.
    void openReverse(const QString& table) {
        EXPECT_TRUE(menuOn(table).contains("反结")) << table.toStdString();
        board()->pm_reagain->trigger();
        QApplication::processEvents();
        ASSERT_NE(screen(), nullptr);
        ASSERT_EQ(panel(), "pnl_Reagain");
    }
    // Types the password and double-clicks the bill on `row` of DBGrid38.
    void reverseBill(const QString& password, int row = 0) {
        screen()->Edit18->clear();
        QTest::keyClicks(screen()->Edit18, password);
        QTableView* grid = screen()->DBGrid38;
        QApplication::processEvents(); // the list laid out
        ASSERT_LT(row, grid->model()->rowCount());
        const QPoint at = grid->visualRect(grid->model()->index(row, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
    // The bills DBGrid38 lists, by their numbers.
    QStringList listedBills() const {
        QStringList out;
        const QAbstractItemModel* m = screen()->DBGrid38->model();
        for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, 1).data().toString();
        return out;
    }

    // Everything a reversal touches, in one line: the card's balance and spending, the account's
    // debt, the visit's archive, archived lines, archived and live payment lines, the tables
    // not free, the visit's use and state.
    QString ledger(qint64 key) {
        QSqlDatabase d = db();
        const QString count = QStringLiteral("(SELECT count(*) FROM %1 WHERE tabl_gues_auto_recn = %2)");
        const QString member =
            kx::test::joinedRows(d, "SELECT memb_surp, memb_use FROM MemberList WHERE memb_card_code = '8800001'");
        const QString credit = kx::test::joinedRows(d, "SELECT hang_gues_use FROM HangGues WHERE hang_gues_code = '001'");
        const QString rows = kx::test::joinedRows(
            d, QStringLiteral("SELECT %1, %2, %3, %4")
                   .arg(count.arg("AllGues").arg(key), count.arg("AllCons").arg(key), count.arg("AllGuesPay").arg(key),
                        count.arg("tableguespay").arg(key)));
        const QString busy = kx::test::joinedRows(
            d, "SELECT tabl_code || ':' || tabl_stat_code || '/' || tabl_gues_auto_recn FROM TableList "
               "WHERE tabl_stat_code <> '1' ORDER BY tabl_code");
        const QString visit = kx::test::joinedRows(
            d, QStringLiteral("SELECT tabl_gues_use || tabl_gues_stat FROM TableGuestlist WHERE tabl_gues_auto_recn = %1")
                   .arg(key));
        return QStringList{member, credit, rows, busy.isEmpty() ? QStringLiteral("-") : busy,
                           visit.isEmpty() ? QStringLiteral("-") : visit}
            .join(QLatin1Char(' '));
    }
    QString tableOf(const QString& code) {
        return kx::db::scalarText(db(), "SELECT tabl_stat_code || '/' || tabl_gues_auto_recn FROM TableList WHERE tabl_code = ?",
                                  {code});
    }
    void expectConsistent() { EXPECT_EQ(kx::db::checkDatabase(db()), QStringList()); }

    // The bills of today the reports count.
    qint64 reportedBills(const QString& table) {
        kx::db::Dataset rooms(db(), "rooms");
        kx::frontdesk::ReportRoom(rooms, {kToday, kToday}, table);
        const qint64 sales = kx::frontdesk::salesFigures(db(), {kToday, kToday}, {}).bills;
        EXPECT_EQ(sales, rooms.recordCount());
        return sales;
    }
};

TEST_F(ReverseCheckoutTest, OfferedOnAFreeTableOnly) {
    for (const char* state : {"1", "2", "3", "4", "5", "6"}) {
        kx::db::exec(db(), "UPDATE TableList SET tabl_stat_code = ? WHERE tabl_code = 'A03'", {QString(state)});
        board()->Sort();
        EXPECT_EQ(menuOn("A03").contains("反结"), QString(state) == "1") << state;
    }
    // The menu key opens the same menu on the current table.
    kx::db::exec(db(), "UPDATE TableList SET tabl_stat_code = '1' WHERE tabl_code = 'A03'");
    board()->Sort();
    ASSERT_TRUE(board()->showTable("A03"));
    work->EditDict_TableState->setFocus();
    QTest::keyClick(work->EditDict_TableState, Qt::Key_Menu);
    QApplication::processEvents();
    EXPECT_TRUE(board()->PopupMenu_TableState->isVisible());
    EXPECT_TRUE(board()->pm_reagain->isVisible());
    board()->PopupMenu_TableState->hide();
}

TEST_F(ReverseCheckoutTest, ListsTheTablesBillsOfTodayOnly) {
    const struct {
        qint64 key;
        const char* table;
        const char* businessDay;
    } archived[] = {{201, "A01", "2026-12-09 00:00:00"},
                    {202, "A01", "2026-12-08 00:00:00"},
                    {203, "A02", "2026-12-09 00:00:00"},
                    {204, "A01", "2026-12-09 00:00:00"},
                    {205, "A01", "2026-12-10 00:00:00"}};
    for (const auto& a : archived)
        kx::db::exec(db(),
                     "INSERT INTO AllGues (tabl_gues_auto_recn, tabl_code, tabl_name, dept_name, tabl_gues_time_work, "
                     "tabl_gues_coun, tabl_gues_fact, cost_mone) VALUES (?, ?, ?, '大厅', ?, 2, 100, 40)",
                     {a.key, QString(a.table), QString("台") + a.table, QString(a.businessDay)});
    keyGivenOut(205);
    openReverse("A01");
    EXPECT_EQ(listedBills(), QStringList({"201", "204"}));
    EXPECT_EQ(screen()->lbl_Reagain->text(), "已结帐信息");
    QStringList captions;
    for (int c = 0; c < screen()->DBGrid38->model()->columnCount(); ++c)
        captions << screen()->DBGrid38->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions, QStringList({"时间", "帐单", "台桌号", "台桌名", "人数", "酒菜消费", "最低消费", "房间消费", "服务费",
                                     "折扣金额", "收税金额", "实收金额", "应收金额", "付款方式", "酒菜成本", "毛利率"}));
    EXPECT_EQ(screen()->Edit18->echoMode(), QLineEdit::Password);
    EXPECT_EQ(QApplication::focusWidget(), screen()->Edit18);
    // Typed, left and opened again: the password is cleared.
    QTest::keyClicks(screen()->Edit18, "88");
    QTest::mouseClick(screen()->toolb_ReagainBack, Qt::LeftButton);
    EXPECT_EQ(panel(), "pnl_TableState");
    openReverse("A02");
    EXPECT_EQ(listedBills(), QStringList({"203"}));
    EXPECT_EQ(screen()->Edit18->text(), "");
    // Esc leaves too; "帮助 /信息" opens the help page.
    QTest::mouseClick(screen()->toolb_ReagainHelp, Qt::LeftButton);
    ASSERT_FALSE(dialogs.shown().isEmpty());
    EXPECT_EQ(dialogs.shown().last().kind, "document");
    EXPECT_TRUE(dialogs.shown().last().title.endsWith("kxhelp.html"));
    screen()->Edit18->setFocus();
    press(Qt::Key_Escape);
    EXPECT_EQ(panel(), "pnl_TableState");
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join(" | ").toStdString();
}

TEST_F(ReverseCheckoutTest, AWrongPasswordOrNoChangesNothing) {
    const qint64 key = settleAndClear("A01", 101, {80, 50, 70});
    const QString before = ledger(key);
    // The password is trimmed; the last case answers the question No.
    const struct {
        const char* password;
        QStringList boxes;
    } cases[] = {{"8867", {kWrongPassword}}, {"", {kWrongPassword}}, {"admin", {kWrongPassword}}, {" 8866 ", {kQuestion}}};
    openReverse("A01");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        prompter.clear();
        reverseBill(c.password);
        EXPECT_EQ(prompter.texts(), c.boxes);
        EXPECT_EQ(ledger(key), before);
        EXPECT_EQ(panel(), "pnl_Reagain");
        EXPECT_EQ(listedBills(), QStringList({"101"}));
    }
    EXPECT_EQ(prompter.unanswered(), 1);
    // On a table without bills of today, a double click (here Enter on the grid) does nothing.
    QTest::mouseClick(screen()->toolb_ReagainBack, Qt::LeftButton);
    openReverse("A05");
    EXPECT_TRUE(listedBills().isEmpty());
    prompter.clear();
    QTest::keyClicks(screen()->Edit18, kPassword);
    QTest::keyClick(screen()->Edit18, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), screen()->DBGrid38);
    QTest::keyClick(screen()->DBGrid38, Qt::Key_Return);
    EXPECT_TRUE(prompter.texts().isEmpty());
    EXPECT_EQ(ledger(key), before);
    expectConsistent();
}

TEST_F(ReverseCheckoutTest, GivesTheBillBackOnceAndItIsSettledAgainOnce) {
    const double cardLeft = memberBalance(), cardUsed = memberBalance("memb_use"), owed = creditOwed();
    const qint64 key = settleAndClear("A01", 101, {80, 50, 70});
    EXPECT_DOUBLE_EQ(memberBalance(), cardLeft - 80);
    EXPECT_DOUBLE_EQ(creditOwed(), owed + 50);
    EXPECT_EQ(reportedBills("A01"), 1);

    // By the keys: the password, Enter to the list, Enter on the bill, Yes.
    openReverse("A01");
    QTest::keyClicks(screen()->Edit18, kPassword);
    QTest::keyClick(screen()->Edit18, Qt::Key_Return);
    prompter.clear();
    prompter.answer(true);
    QTest::keyClick(screen()->DBGrid38, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts(), QStringList({kQuestion}));
    EXPECT_EQ(panel(), "pnl_TableState");
    EXPECT_DOUBLE_EQ(memberBalance(), cardLeft);
    EXPECT_DOUBLE_EQ(memberBalance("memb_use"), cardUsed);
    EXPECT_DOUBLE_EQ(creditOwed(), owed);
    EXPECT_EQ(ledger(key).section(' ', 2), "0/0/0/0 A01:4/101 12");
    EXPECT_EQ(visitText("tabl_gues_pay_narr") + "|" + visitText("memb_card_code") + "|" + visitText("hang_code"), "||");
    for (const char* column : {"memb_mone", "hang_mone", "tabl_gues_fact", "tabl_gues_disc", "tabl_gues_tax"})
        EXPECT_EQ(visitValue(column), 0) << column;
    EXPECT_EQ(visitValue("tabl_gues_shou"), 200);
    EXPECT_EQ(kx::db::scalarInt(db(), "SELECT count(*) FROM TableConsList WHERE tabl_gues_auto_recn = 101 AND "
                                      "tabl_gues_end <> 0"),
              0);
    // The table carries the visit again and the board shows it in use with more orders.
    EXPECT_EQ(kx::db::scalarInt(db(), "SELECT count(*) FROM TableList t, TableGuestlist g WHERE t.tabl_code = 'A01' AND "
                                      "g.tabl_gues_auto_recn = 101 AND coalesce(t.tabl_gues_name, '') = "
                                      "coalesce(g.tabl_gues_name, '') AND t.tabl_gues_coun = g.tabl_gues_coun AND "
                                      "t.tabl_gues_time = g.tabl_gues_time"),
              1);
    EXPECT_EQ(dm->adoqry_table->field("tabl_stat_code").asString(), "4");
    EXPECT_FALSE(menuOn("A01").contains("反结"));
    EXPECT_EQ(reportedBills("A01"), 0);
    expectConsistent();

    // Settled again and cleared: archived once, each balance charged once.
    doubleClickTable("A01");
    ASSERT_EQ(panel(), "pnl_Work");
    settle({80, 50, 70});
    clearFromBoard("A01");
    EXPECT_DOUBLE_EQ(memberBalance(), cardLeft - 80);
    EXPECT_DOUBLE_EQ(memberBalance("memb_use"), cardUsed + 80);
    EXPECT_DOUBLE_EQ(creditOwed(), owed + 50);
    const qint64 payTypes = kx::db::scalarInt(db(), "SELECT count(*) FROM PayTypeList");
    EXPECT_EQ(ledger(key).section(' ', 2, 2), QString("1/1/%1/%1").arg(payTypes));
    EXPECT_EQ(reportedBills("A01"), 1);
    expectConsistent();
}

TEST_F(ReverseCheckoutTest, AFailureAfterTheRefundRollsEverythingBack) {
    const qint64 key = settleAndClear("A01", 101, {80, 50, 70});
    const QString before = ledger(key);
    // The archive refuses the delete that follows the refund.
    kx::test::createRefusingTrigger(db(), "CREATE TRIGGER kx_refuse BEFORE DELETE ON AllGues BEGIN SELECT RAISE(ABORT, "
                                          "'refused'); END");
    openReverse("A01");
    prompter.clear();
    prompter.answer(true);
    reverseBill(kPassword);
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts().last(),
              "系统发生错误编码[B1000012]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！");
    EXPECT_TRUE(main->SilentExit);
    EXPECT_EQ(ledger(key), before);
    EXPECT_EQ(tableOf("A01"), "1/0");
    expectConsistent();
}

TEST_F(ReverseCheckoutTest, ABillAnotherDeskTookOrTheDayEndRemovedIsRefused) {
    const double cardUsed = memberBalance("memb_use");
    const qint64 key = settleAndClear("A01", 101, {80, 50, 70});
    openReverse("A01");
    // Another desk reverses the bill while this desk's list still shows it.
    {
        kx::db::Connection other;
        other.open(path);
        kx::frontdesk::TDMTable dm2(other.db());
        dm2.openWorkingData();
        ASSERT_TRUE(dm2.adoqry_table->locate("tabl_code", QString("A01")));
        kx::frontdesk::reverseCheckout(dm2, key);
    }
    const QString after = ledger(key);
    prompter.clear();
    prompter.answer(true);
    reverseBill(kPassword);
    EXPECT_EQ(prompter.texts(), QStringList({kQuestion, kx::frontdesk::kReverseTaken}));
    EXPECT_EQ(panel(), "pnl_Reagain");
    EXPECT_TRUE(listedBills().isEmpty()); // the list read again
    EXPECT_EQ(ledger(key), after);
    EXPECT_DOUBLE_EQ(memberBalance("memb_use"), cardUsed);
    EXPECT_EQ(tableOf("A01"), "4/101");
    EXPECT_EQ(dm->adoqry_table->field("tabl_stat_code").asString(), "4"); // the board read again
    EXPECT_FALSE(main->SilentExit);
    expectConsistent();

    // A bill whose visit the day end has removed is still listed, but there is nothing to reopen.
    QTest::mouseClick(screen()->toolb_ReagainBack, Qt::LeftButton);
    const qint64 other = settleAndClear("A02", 102, {0, 0, 120});
    kx::frontdesk::endDay(*dm, QDateTime(kToday, QTime(0, 0)));
    kx::frontdesk::startDay(*dm);
    const QString ended = ledger(other);
    openReverse("A02");
    prompter.clear();
    prompter.answer(true);
    reverseBill(kPassword);
    EXPECT_EQ(prompter.texts(), QStringList({kQuestion, kx::frontdesk::kReverseDayEnded}));
    EXPECT_EQ(ledger(other), ended);
    EXPECT_EQ(tableOf("A02"), "1/0");
    expectConsistent();
}

} // namespace
