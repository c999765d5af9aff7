// Opening a table: the opening screen, "开台 +" with its charges and its key, "回退", and what a
// failure inside the opening leaves behind.
#include "BoardFixture.h"
#include "Check.h"
#include "Opening.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

using kx::test::BoardTest;

namespace {

class OpeningTest : public BoardTest {
protected:
    // Finds a table with the search box, as a cashier would, and double-clicks it.
    void startOn(const QString& code) {
        work->EditDict_TableState->setFocus();
        QTest::keyClicks(work->EditDict_TableState, code);
        ASSERT_EQ(currentCode(), code);
        doubleClickCell(code);
        ASSERT_EQ(panel(), "pnl_Register");
    }
    // Types into an edit the way a cashier does: the edit has the focus while it is typed into.
    void type(QLineEdit* edit, const char* text) {
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    qint64 counter() const { return kx::db::scalarInt(db(), "select auto_recn from SetupPay"); }
    int visits() const { return int(kx::db::scalarInt(db(), "select count(*) from TableGuestlist")); }
    QVariant visitValue(qint64 key, const QString& column) const {
        return kx::db::scalar(db(), QStringLiteral("select %1 from TableGuestlist where tabl_gues_auto_recn=?").arg(column),
                              {key});
    }
};

TEST_F(OpeningTest, OpeningAppliesTheTypesModeAndPutsTheTableInUse) {
    // 牡丹厅 is a 中包厢: minimum 120 per guest plus 10 % service.
    startOn("B01");
    EXPECT_EQ(opening()->DBText7->text(), "B01");
    EXPECT_EQ(opening()->DBText8->text(), "牡丹厅");
    EXPECT_EQ(opening()->DBText9->text(), "包厢");
    EXPECT_EQ(opening()->DBLookupComboBox1->currentText(), "中包厢人均最低");
    type(opening()->DBEdit1, "T0042");
    type(opening()->DBEdit3, "Zhang");
    type(opening()->DBEdit2, "4");
    // Numeric-pad + while the guest count is still in its edit.
    keypad(opening()->DBEdit2, Qt::Key_Plus);

    ASSERT_EQ(panel(), "pnl_Work");
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(workScreen()->pnl_roominfo->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), workScreen()->DBGrid3);
    EXPECT_EQ(main->StatusBar1->findChildren<QProgressBar*>().size(), 0);
    auto shown = [this](const char* name) {
        return workScreen()->pnl_Work->findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    EXPECT_EQ(shown("lbl_tabl_gues_low"), "480.00");
    EXPECT_EQ(shown("lbl_tabl_gues_serv"), "48.00");
    EXPECT_EQ(shown("lbl_tabl_gues_shou"), "528.00");
    EXPECT_EQ(workScreen()->lbl_constype->text(), dm->adoqry_ConsType->lookupValue("cons_type_code", "5", "cons_type_name").toString());

    const struct {
        const char* column;
        QVariant value;
    } stored[] = {
        {"tabl_code", "B01"},        {"tabl_type_code", "03"},     {"dept_code", "02"},
        {"tabl_gues_user_recn", "T0042"}, {"tabl_gues_coun", 4},  {"tabl_gues_name", "Zhang"},
        {"tabl_gues_time", "2026-12-09 10:00:00"}, {"tabl_gues_use", 1}, {"tabl_gues_stat", "2"},
        {"disc_code", "N"},          {"disc_perc", 0},             {"orde_code", "1"},
        {"cons_mode_code", "04"},    {"cons_type_code", "5"},      {"cons_mode_serv", 10},
        {"tabl_gues_unit", 120.0},   {"tabl_gues_low", 480.0},     {"tabl_gues_serv", 48.0},
        {"tabl_gues_shou", 528.0},
    };
    for (const auto& s : stored)
        EXPECT_EQ(visitValue(1, s.column).toString(), s.value.toString()) << s.column;
    EXPECT_EQ(storedState("B01"), "2");
    EXPECT_EQ(kx::db::scalarInt(db(), "select tabl_gues_auto_recn from tablelist where tabl_code='B01'"), 1);
    EXPECT_EQ(counter(), 2);
    EXPECT_EQ(dm->setup.integer("auto_recn"), 2);
    EXPECT_EQ(dm->adoqry_TableGues->field("tabl_gues_auto_recn").asInt(), 1);
    EXPECT_EQ(dm->adoqry_TableCons->sql(), "Select * from TableConsList where 1=2");
    EXPECT_TRUE(dm->adoqry_TableCons->isEmpty());
    EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty()) << kx::db::checkDatabase(db()).join('\n').toStdString();
}

TEST_F(OpeningTest, KeysComeFromTheStoredCounterOneOpeningAfterAnother) {
    // Another front desk has opened A05 with key 1 since this one read its settings.
    sql("insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use, tabl_gues_stat) "
        "values (1, 'A05', 1, '2')");
    sql("update tablelist set tabl_stat_code='2', tabl_gues_auto_recn=1 where tabl_code='A05'");
    sql("update SetupPay set auto_recn=2");
    ASSERT_EQ(dm->setup.integer("auto_recn"), 1);
    for (const QString& code : {QStringLiteral("A01"), QStringLiteral("A02")}) {
        ASSERT_TRUE(tables()->locate("tabl_code", code));
        ASSERT_TRUE(kx::frontdesk::beginOpening(*main, *dm));
        kx::frontdesk::openTable(*dm);
    }
    EXPECT_EQ(kx::db::scalarInt(db(), "select tabl_gues_auto_recn from tablelist where tabl_code='A01'"), 2);
    EXPECT_EQ(kx::db::scalarInt(db(), "select tabl_gues_auto_recn from tablelist where tabl_code='A02'"), 3);
    EXPECT_EQ(counter(), 4);
    EXPECT_EQ(visits(), 3);
    EXPECT_TRUE(prompter.texts().isEmpty());
    EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty()) << kx::db::checkDatabase(db()).join('\n').toStdString();
}

TEST_F(OpeningTest, CancellingStoresNothingAndKeepsABookedTableBooked) {
    sql("insert into bookin (book_name, book_coun, book_time, tabl_code, oper_code) "
        "values ('Wang', 6, '2026-12-09 18:00:00', 'A03', '01'), ('Zhao', 2, '2026-12-10 12:00:00', 'B02', '01')");
    struct Case {
        QString table, state;
        int bookings;
        QString after;
    } cases[] = {
        {"A02", "1", 0, "1"},
        {"A03", "5", 1, "5"},
        // Booked on the board, but its last booking has gone meanwhile.
        {"A04", "5", 0, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table.toStdString());
        setState(c.table, c.state);
        startOn(c.table);
        EXPECT_EQ(opening()->DBGrid11->model()->rowCount(), c.bookings);
        if (c.bookings) {
            EXPECT_EQ(opening()->DBGrid11->model()->index(0, 0).data().toString(), "Wang");
        }
        type(opening()->DBEdit3, "Guest");
        key(Qt::Key_Escape);
        EXPECT_EQ(panel(), "pnl_TableState");
        EXPECT_EQ(QApplication::focusWidget(), work->EditDict_TableState);
        EXPECT_EQ(storedState(c.table), c.after);
        EXPECT_EQ(tables()->field("tabl_stat_code").asString(), c.after);
        EXPECT_EQ(visits(), 0);
        EXPECT_EQ(counter(), 1);
    }
    // No key was used: the next opening takes 1.
    ASSERT_TRUE(tables()->locate("tabl_code", "A02"));
    ASSERT_TRUE(kx::frontdesk::beginOpening(*main, *dm));
    EXPECT_EQ(kx::frontdesk::openTable(*dm), 1);
}

struct Sabotage {
    const char* what;
    const char* statement;
};

class OpeningFailureTest : public OpeningTest, public ::testing::WithParamInterface<Sabotage> {};

TEST_P(OpeningFailureTest, StoresNothingAndShowsTheOpeningsCode) {
    startOn("A06");
    type(opening()->DBEdit2, "3");
    kx::test::createRefusingTrigger(db(), GetParam().statement);
    const QString stateBefore = storedState("A06");
    const QString keyBefore =
        kx::db::scalarText(db(), "select tabl_gues_auto_recn from tablelist where tabl_code='A06'");
    QTest::mouseClick(opening()->toolb_Open, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts(),
              QStringList({"系统发生错误编码[B100002]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！"}));
    EXPECT_EQ(prompter.last().kind, "error");
    EXPECT_TRUE(main->SilentExit);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(visits(), 0);
    EXPECT_EQ(counter(), 1);
    EXPECT_EQ(storedState("A06"), stateBefore);
    EXPECT_EQ(kx::db::scalarText(db(), "select tabl_gues_auto_recn from tablelist where tabl_code='A06'"), keyBefore);
    EXPECT_EQ(main->StatusBar1->findChildren<QProgressBar*>().size(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Opening, OpeningFailureTest,
    ::testing::Values(
        // The last step, the table row, is refused: the visit and the counter go back too.
        Sabotage{"TableRowRefused",
                 "create trigger refuse before update on tablelist begin select raise(abort, 'refused'); end"}),
    [](const ::testing::TestParamInfo<Sabotage>& info) { return std::string(info.param.what); });

// Another front desk opened the table after this board read it: a lost race, not a failure.
// Nothing is stored, the cashier is told, the board shows the other desk's visit and the
// program goes on.
TEST_F(OpeningTest, ATableOpenedElsewhereMeanwhileIsRefusedAndTheProgramGoesOn) {
    startOn("A06");
    type(opening()->DBEdit2, "3");
    sql("update tablelist set tabl_stat_code='2', tabl_gues_auto_recn=77 where tabl_code='A06'");
    QTest::mouseClick(opening()->toolb_Open, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(prompter.texts(), QStringList({"数据已被其它站点修改，请刷新后重新操作！"}));
    EXPECT_FALSE(main->SilentExit);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(visits(), 0);
    EXPECT_EQ(counter(), 1);
    EXPECT_EQ(panel(), "pnl_TableState");
    ASSERT_TRUE(tables()->locate("tabl_code", "A06"));
    EXPECT_EQ(tables()->field("tabl_stat_code").asString(), "2");
    EXPECT_EQ(tables()->field("tabl_gues_auto_recn").asInt(), 77);
    EXPECT_EQ(main->StatusBar1->findChildren<QProgressBar*>().size(), 0);
}

TEST_F(OpeningTest, TheEditsLetTheNumericPadShortCutsThrough) {
    startOn("A08");
    struct Case {
        QLineEdit* edit;
        const char* typed;
        QString shown;
    } cases[] = {
        {opening()->DBEdit1, "12-3+4", "1234"},
        {opening()->DBEdit2, "1+2-3", "123"},
        {opening()->DBEdit3, "Li-Na+", "LiNa"},
        {opening()->DBEdit4, "+-a", "a"},
    };
    for (const Case& c : cases) {
        QTest::keyClicks(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.shown) << c.typed;
    }
    // The guest count takes digits only, three at most.
    QTest::keyClicks(opening()->DBEdit2, "4x");
    EXPECT_EQ(opening()->DBEdit2->text(), "123");
    // F12 goes back to the ticket number.
    opening()->DBEdit4->setFocus();
    key(Qt::Key_F12);
    EXPECT_EQ(QApplication::focusWidget(), opening()->DBEdit1);
    EXPECT_EQ(panel(), "pnl_Register");
}

} // namespace
