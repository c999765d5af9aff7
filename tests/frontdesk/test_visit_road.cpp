// The road of one visit through every screen, driven only by the cashier's keys and clicks:
// open a table, order, commit, check out with cash, clear, and close the day.
#include "BillScreen.h"
#include "BoardFixture.h"
#include "Check.h"
#include "DayOperations.h"
#include "OrderScreen.h"
#include "RegisterScreen.h"

#include <QLineEdit>
#include <QToolButton>

namespace {

class VisitRoadTest : public kx::test::BoardTest {
protected:
    // Every question of the road is answered Yes.
    void yesToEverything() {
        for (int i = 0; i < 10; ++i) prompter.answer(true);
    }
    QString stored(const QString& sql) { return kx::db::scalarText(db(), sql); }
};

TEST_F(VisitRoadTest, OneVisitFromOpeningToDayEnd) {
    yesToEverything();
    // Open A01 for three guests.
    doubleClickCell("A01");
    ASSERT_EQ(panel(), "pnl_Register");
    opening()->DBEdit2->setFocus();
    opening()->DBEdit2->selectAll();
    QTest::keyClicks(opening()->DBEdit2, "3");
    keypad(opening()->DBEdit2, Qt::Key_Plus);
    ASSERT_EQ(panel(), "pnl_Work");
    const qint64 key = dm->adoqry_TableGues->field("tabl_gues_auto_recn").asInt();
    EXPECT_EQ(storedState("A01"), "2");
    EXPECT_EQ(stored("select tabl_gues_coun from TableGuestlist where tabl_gues_auto_recn=" + QString::number(key)), "3");

    // Order two dishes by number and commit them.
    keypad(nullptr, Qt::Key_Plus);
    ASSERT_EQ(panel(), "pnl_ConsItem");
    kx::frontdesk::OrderScreen* order = work->orderScreen;
    // After a pick the quantity edit has the focus with its "1" selected: typing replaces it.
    for (const auto& [code, quantity] : {std::pair{"1001", "2"}, std::pair{"1002", ""}}) {
        order->EditDict_Number->setFocus();
        order->EditDict_Number->clear();
        QTest::keyClicks(order->EditDict_Number, code);
        QTest::keyClick(order->EditDict_Number, Qt::Key_Return);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), order->dbe_number);
        if (*quantity) QTest::keyClicks(QApplication::focusWidget(), quantity);
    }
    keypad(nullptr, Qt::Key_Asterisk);
    ASSERT_EQ(panel(), "pnl_Work");
    EXPECT_EQ(dm->adoqry_TableCons->recordCount(), 2);
    const double receivable =
        kx::db::scalarNumber(db(), "select tabl_gues_shou from TableGuestlist where tabl_gues_auto_recn=?", {key});
    EXPECT_DOUBLE_EQ(receivable, 2 * 38 + 48);

    // Check out with 150 in cash.
    keypad(nullptr, Qt::Key_Asterisk);
    ASSERT_EQ(panel(), "pnl_Bill");
    kx::frontdesk::BillScreen* bill = work->bill;
    bill->DBEdit14->setFocus();
    bill->DBEdit14->selectAll();
    QTest::keyClicks(bill->DBEdit14, "150");
    keypad(nullptr, Qt::Key_Asterisk);
    EXPECT_EQ(panel(), "pnl_TableState") << prompter.texts().join(" | ").toStdString();
    EXPECT_EQ(storedState("A01"), "3");
    EXPECT_EQ(kx::db::scalarNumber(db(), "select pay_type_mone from tableguespay where pay_type_code='Z' and "
                                         "tabl_gues_auto_recn=?",
                                   {key}),
              receivable);
    EXPECT_EQ(kx::db::checkDatabase(db()), QStringList());

    // Clear the table from its work screen.
    doubleClickCell("A01");
    ASSERT_EQ(panel(), "pnl_Work");
    keypad(nullptr, Qt::Key_Minus);
    EXPECT_EQ(main->CurrentPanel(), work->pnl_TableState);
    EXPECT_EQ(storedState("A01"), "1");
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from AllCons where tabl_gues_auto_recn=?", {key}), 2);
    EXPECT_EQ(kx::db::scalarNumber(db(), "select tabl_gues_fact from AllGues where tabl_gues_auto_recn=?", {key}),
              receivable);

    // Close the day: the cleared visit leaves the live tables.
    QTest::mouseClick(work->toolb_Chcek, Qt::LeftButton);
    ASSERT_EQ(main->CurrentPanel(), work->day->pnl_BeginEnd);
    QTest::mouseClick(work->day->ToolButton46, Qt::LeftButton);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from TableGuestlist where tabl_gues_auto_recn=?", {key}), 0);
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from TableConsList where tabl_gues_auto_recn=?", {key}), 0);
    EXPECT_EQ(kx::db::scalarInt(db(), "select pay_star from setuppay"), 0);
    EXPECT_EQ(kx::db::checkDatabase(db()), QStringList());
    EXPECT_FALSE(main->SilentExit);
}

} // namespace
