// Bookings as the cashier makes them: the board's "预订", the entry of a table's bookings and the
// booked state it leaves, the search over all bookings, and opening a table from its booking
// ("预订转入"), which uses the booking up only when the table really opens.
#include "BoardFixture.h"
#include "BookingScreen.h"
#include "Check.h"
#include "Connection.h"
#include "DbTool.h"
#include "Opening.h"
#include "VisitMoves.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QTimeEdit>
#include <QToolBar>

using kx::test::BoardTest;

namespace {

const QString kDeleteQuestion = QStringLiteral("是否删除所选的[预订信息]，删除后将不能恢复，请慎重!");
const QString kTakeQuestion = QStringLiteral("是否将[预订信息]加入到[开台信息]中，请确定操作!");

class BookingTest : public BoardTest {
protected:
    kx::frontdesk::BookingScreen* screen() const { return work->bookings.peek(); }

    // Right-clicks the table's cell and chooses "预订".
    void bookOn(const QString& code) {
        clickCell(code, Qt::RightButton);
        ASSERT_TRUE(board()->pm_bookin->isVisible()) << code.toStdString();
        board()->pm_bookin->trigger();
        closeMenu();
    }
    void press(QToolButton* button) {
        ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }
    void type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    void choose(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    // One column of a grid, top to bottom.
    static QStringList column(QTableView* grid, int c) {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r) out << grid->model()->index(r, c).data().toString();
        return out;
    }
    static QStringList sorted(QStringList l) {
        l.sort();
        return l;
    }
    void addBooking(const QString& name, const QString& table, const QString& time, const QString& oper = "01",
                    int count = 2, const QString& tele = QString()) {
        sql("insert into bookin (book_name, book_coun, book_time, tabl_code, oper_code, book_tele) "
            "values (?, ?, ?, ?, ?, ?)",
            {name, count, time, table, oper, tele});
    }
    qint64 bookings(const QString& table) const {
        return kx::db::scalarInt(db(), "select count(*) from bookin where tabl_code=?", {table});
    }
    QString legendBooked() {
        QTest::mouseClick(work->ToolButton34, Qt::LeftButton); // list
        QTest::mouseClick(work->ToolButton34, Qt::LeftButton); // legend
        const QString n = board()->lbl_book->text();
        QTest::mouseClick(work->ToolButton34, Qt::LeftButton); // pictures again
        return n;
    }
    QStringList visibleButtons() const {
        QStringList out;
        for (QToolButton* b : screen()->ToolBar5->findChildren<QToolButton*>())
            if (b->isVisible()) out << b->text();
        return out;
    }
};

TEST_F(BookingTest, BookingAFreeTableBooksItAndDeletingItsLastBookingFreesIt) {
    bookOn("A03");
    ASSERT_NE(screen(), nullptr);
    EXPECT_EQ(panel(), "pnl_bookin");
    EXPECT_TRUE(screen()->pnl_BookInAdd->isVisible());
    EXPECT_FALSE(screen()->pnl_BookINS->isVisible());
    EXPECT_TRUE(screen()->ToolButton2->isChecked());
    EXPECT_FALSE(screen()->ToolButton5->isChecked());
    EXPECT_EQ(sorted(visibleButtons()), sorted({"预订管理", "查询", "增加", "删除", "保存", "取消", "保存回退"}));
    EXPECT_EQ(QApplication::focusWidget(), screen()->dbe_BookName);
    EXPECT_EQ(screen()->lbl_BookTable->text(), "A03/大厅3号台");
    EXPECT_EQ(screen()->DateTimePicker2->date(), QDate(2026, 12, 9));
    EXPECT_EQ(screen()->DateTimePicker1->time(), QTime(10, 0));
    EXPECT_EQ(screen()->dbg_BookIn->model()->rowCount(), 0);

    press(screen()->ToolButton29);
    // A new booking is the table's, taken by the operator logged in.
    EXPECT_EQ(screen()->dbl_BookOper->currentText(), "管理员");
    type(screen()->dbe_BookName, "O'Brien");
    type(screen()->dbe_BookCoun, "6x");
    screen()->DateTimePicker2->setDate(QDate(2026, 12, 10));
    screen()->DateTimePicker1->setTime(QTime(18, 30));
    choose(screen()->dbl_BookOper, "王芳");
    type(screen()->dbe_BookTele, "138-0000");
    type(screen()->dbe_BookRema, "window");
    press(screen()->ToolButton35);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(kx::db::scalarText(db(), "select book_name||'|'||book_coun||'|'||book_time||'|'||tabl_code||'|'||"
                                       "oper_code||'|'||book_tele||'|'||book_rema from bookin"),
              "O'Brien|6|2026-12-10 18:30:00|A03|02|138-0000|window");
    QStringList row;
    for (int c = 0; c < 7; ++c) row << screen()->dbg_BookIn->model()->index(0, c).data().toString();
    EXPECT_EQ(row, QStringList({"O'Brien", "6", "2026-12-10 18:30", "大厅3号台", "王芳", "138-0000", "window"}));
    EXPECT_EQ(storedState("A03"), "1"); // booked only once the screen is left

    press(screen()->ToolButton36);
    EXPECT_EQ(panel(), "pnl_TableState");
    EXPECT_EQ(QApplication::focusWidget(), work->EditDict_TableState);
    EXPECT_EQ(storedState("A03"), "5");
    EXPECT_EQ(board()->lbl_TableState->text(), "预订");
    EXPECT_EQ(legendBooked(), "1");

    // Back on the screen the booking's time stands in the pickers; its last booking deleted,
    // the table is free again.
    bookOn("A03");
    EXPECT_EQ(screen()->DateTimePicker2->date(), QDate(2026, 12, 10));
    EXPECT_EQ(screen()->DateTimePicker1->time(), QTime(18, 30));
    prompter.answer(true);
    press(screen()->ToolButton38);
    EXPECT_EQ(prompter.texts(), QStringList({kDeleteQuestion}));
    EXPECT_FALSE(prompter.last().yesIsDefault);
    EXPECT_EQ(bookings("A03"), 0);
    press(screen()->ToolButton36);
    EXPECT_EQ(storedState("A03"), "1");
    EXPECT_EQ(legendBooked(), "0");
}

TEST_F(BookingTest, LeavingSetsTheBookedStateOfFreeAndBookedTablesOnly) {
    addBooking("Li", "A02", "2026-12-09 19:00:00");
    addBooking("Ma", "A04", "2026-12-09 19:00:00");
    addBooking("Wu", "A05", "2026-12-09 19:00:00");
    struct Case {
        const char* table;
        const char* state; // on the board and in the database
        const char* after;
    } cases[] = {
        {"A02", "1", "5"}, // booked by another desk, not yet shown
        {"A03", "5", "1"}, // its last booking went meanwhile
        {"A04", "2", "2"}, // in use: its visit stays reachable
        {"A05", "4", "4"},
    };
    qint64 key = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        if (QString(c.state) == "2" || QString(c.state) == "4") addVisit(++key, c.table, c.state, "01", "1", 0, 0);
        else setState(c.table, c.state);
        bookOn(c.table);
        press(screen()->ToolButton36);
        EXPECT_EQ(storedState(c.table), c.after);
        ASSERT_TRUE(tables()->locate("tabl_code", c.table));
        EXPECT_EQ(tables()->field("tabl_stat_code").asString(), c.after);
    }
    EXPECT_TRUE(kx::db::checkDatabase(db()).isEmpty()) << kx::db::checkDatabase(db()).join('\n').toStdString();
}

TEST_F(BookingTest, DeleteAsksOnlyWhenABookingIsListed) {
    bookOn("A06");
    press(screen()->ToolButton38);
    EXPECT_TRUE(prompter.texts().isEmpty());

    addBooking("Zhou", "A06", "2026-12-09 12:00:00");
    press(screen()->ToolButton2); // the table's bookings again
    ASSERT_EQ(column(screen()->dbg_BookIn, 0), QStringList({"Zhou"}));
    prompter.answer(false);
    press(screen()->ToolButton38);
    EXPECT_EQ(prompter.texts(), QStringList({kDeleteQuestion}));
    EXPECT_EQ(bookings("A06"), 1);
    prompter.answer(true);
    press(screen()->ToolButton38);
    EXPECT_EQ(bookings("A06"), 0);
    EXPECT_EQ(screen()->dbg_BookIn->model()->rowCount(), 0);
}

TEST_F(BookingTest, ANewBookingNothingWasTypedIntoIsNotStored) {
    bookOn("A07");
    press(screen()->ToolButton29);
    press(screen()->ToolButton36);
    EXPECT_EQ(bookings("A07"), 0);
    EXPECT_EQ(storedState("A07"), "1");
    // One with a name typed but not saved is stored when the screen is left.
    bookOn("A07");
    press(screen()->ToolButton29);
    type(screen()->dbe_BookName, "Qian");
    press(screen()->ToolButton36);
    EXPECT_EQ(bookings("A07"), 1);
    EXPECT_EQ(storedState("A07"), "5");
}

TEST_F(BookingTest, SearchMatchesTheWholeDayAndTextsInsideTheirColumns) {
    addBooking("O'Brien", "A01", "2026-12-09 00:00:00", "01", 2, "13800001111");
    addBooking("50%off", "A02", "2026-12-09 23:59:59", "02", 2, "021-555");
    addBooking("50off", "B01", "2026-12-10 00:00:00", "02");
    addBooking("a_b", "K01", "2026-12-08 23:59:59", "03");
    addBooking("axb", "A03", "2026-12-11 12:00:00", "03");
    bookOn("A05");
    press(screen()->ToolButton5);
    EXPECT_TRUE(screen()->pnl_BookINS->isVisible());
    EXPECT_FALSE(screen()->pnl_BookInAdd->isVisible());
    EXPECT_TRUE(screen()->ToolButton5->isChecked());
    EXPECT_FALSE(screen()->ToolButton2->isChecked());
    EXPECT_EQ(sorted(visibleButtons()), sorted({"预订管理", "查询", "查询", "重置", "保存回退"}));
    EXPECT_EQ(QApplication::focusWidget(), screen()->Edit8);
    EXPECT_EQ(screen()->DateTimePicker3->date(), QDate(2026, 12, 9));
    const QStringList all = {"50%off", "50off", "O'Brien", "a_b", "axb"};
    EXPECT_EQ(sorted(column(screen()->dbg_BookIn, 0)), all);
    // Every booking names its table, whatever part of the venue the board shows.
    ASSERT_TRUE(dm->adoqry_bookin->locate("book_name", "50off"));
    EXPECT_EQ(screen()->dbg_BookIn->model()->index(dm->adoqry_bookin->recNo() - 1, 3).data().toString(), "牡丹厅");

    struct Case {
        const char* what;
        QDate day; // invalid: the box unchecked
        QString guest, table, oper, tele;
        QStringList found;
    } cases[] = {
        {"the whole day", QDate(2026, 12, 9), "", "", "", "", {"50%off", "O'Brien"}},
        {"a quote", {}, "'Br", "", "", "", {"O'Brien"}},
        {"a percent sign as typed", {}, "%", "", "", "", {"50%off"}},
        {"an underscore as typed", {}, "_", "", "", "", {"a_b"}},
        {"inside the name", {}, "off", "", "", "", {"50%off", "50off"}},
        {"inside the telephone", {}, "", "", "", "555", {"50%off"}},
        {"the operator code", {}, "", "", "2", "", {"50%off", "50off"}},
        {"table and day together", QDate(2026, 12, 10), "", "0", "", "", {"50off"}},
        {"nothing given", {}, "", "", "", "", all},
        {"nothing found", QDate(2026, 12, 12), "", "", "", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        screen()->CheckBox1->setChecked(c.day.isValid());
        if (c.day.isValid()) screen()->DateTimePicker3->setDate(c.day);
        type(screen()->Edit6, c.guest);
        type(screen()->Edit3, c.table);
        type(screen()->Edit8, c.oper);
        type(screen()->Edit7, c.tele);
        press(screen()->ToolButton39);
        EXPECT_EQ(sorted(column(screen()->dbg_BookIn, 0)), sorted(c.found));
    }
    press(screen()->ToolButton41);
    EXPECT_EQ(sorted(column(screen()->dbg_BookIn, 0)), all);
    EXPECT_TRUE(prompter.texts().isEmpty());

    // "预订管理" goes back to the table's own bookings.
    press(screen()->ToolButton2);
    EXPECT_TRUE(screen()->pnl_BookInAdd->isVisible());
    EXPECT_EQ(screen()->dbg_BookIn->model()->rowCount(), 0);
    EXPECT_EQ(QApplication::focusWidget(), screen()->dbe_BookName);
}

TEST_F(BookingTest, WithoutTheBookingPermissionNothingOpens) {
    QTest::mouseClick(work->ToolButton4, Qt::LeftButton);
    logIn("03", "2222");
    sql("update Limitedlist set limi_real=0 where mana_code='03' and limi_code='BI'");
    prompter.clear();
    bookOn("A02");
    EXPECT_EQ(prompter.texts(), QStringList({"BI你没有操作此项功能的权限，请与系统管理员联系！"}));
    EXPECT_EQ(panel(), "pnl_TableStateG");
    EXPECT_TRUE(screen() == nullptr || !screen()->pnl_bookin->isVisible());
}

// ---------------------------------------------------------------- opening from a booking

class OpeningFromBookingTest : public BookingTest {
protected:
    void SetUp() override {
        BookingTest::SetUp();
        addBooking("Wang", "A03", "2026-12-09 18:00:00", "02", 6);
        addBooking("Zhao", "A03", "2026-12-09 20:00:00", "03", 3);
        setState("A03", "5");
    }
    void startOpening() {
        doubleClickCell("A03");
        ASSERT_EQ(panel(), "pnl_Register");
    }
    int visits() const { return int(kx::db::scalarInt(db(), "select count(*) from TableGuestlist")); }
    QString visitText(const char* columns) const {
        return kx::db::scalarText(db(), QStringLiteral("select %1 from TableGuestlist").arg(QLatin1String(columns)));
    }
    void doubleClickBooking(int row) {
        QTableView* grid = opening()->DBGrid11;
        const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
};

TEST_F(OpeningFromBookingTest, TheTakenBookingFillsTheVisitAndIsUsedUpWhenTheTableOpens) {
    startOpening();
    EXPECT_TRUE(opening()->toolb_In->isVisible());
    opening()->DBEdit3->setFocus();
    QTest::keyClicks(opening()->DBEdit3, "Typed");

    // The second booking by a double click; then the first by the button, which puts the
    // second back.
    prompter.answer(true);
    doubleClickBooking(1);
    EXPECT_EQ(prompter.texts(), QStringList({kTakeQuestion}));
    EXPECT_FALSE(prompter.last().yesIsDefault);
    EXPECT_EQ(opening()->DBEdit3->text(), "Zhao");
    EXPECT_EQ(opening()->DBEdit2->text(), "3");
    EXPECT_EQ(column(opening()->DBGrid11, 0), QStringList({"Wang"}));
    prompter.answer(true);
    QTest::mouseClick(opening()->toolb_In, Qt::LeftButton);
    EXPECT_EQ(opening()->DBEdit3->text(), "Wang");
    EXPECT_EQ(opening()->DBEdit2->text(), "6");
    EXPECT_EQ(column(opening()->DBGrid11, 0), QStringList({"Zhao"}));
    EXPECT_EQ(bookings("A03"), 2); // nothing used up yet

    QTest::mouseClick(opening()->toolb_Open, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(panel(), "pnl_Work");
    EXPECT_EQ(prompter.texts().size(), 2);
    EXPECT_EQ(visitText("tabl_gues_name||'|'||tabl_gues_coun||'|'||book_flag||'|'||book_oper_code"), "Wang|6|1|02");
    EXPECT_EQ(kx::test::joinedRows(db(), "select book_name from bookin"), "Zhao");
    EXPECT_EQ(storedState("A03"), "2");

    // Checked out and cleared, the archived visit names who took the booking, and the table is
    // booked again by the booking left.
    const qint64 key = kx::db::scalarInt(db(), "select tabl_gues_auto_recn from TableGuestlist");
    sql("update TableGuestlist set tabl_gues_stat='3' where tabl_gues_auto_recn=?", {key});
    sql("update tablelist set tabl_stat_code='3' where tabl_code='A03'");
    showVisit("A03", key);
    kx::frontdesk::clearVisit(*dm);
    EXPECT_EQ(kx::db::scalarText(db(), "select book_oper_name from AllGues where tabl_gues_auto_recn=?", {key}), "王芳");
    EXPECT_EQ(storedState("A03"), "5");
}

TEST_F(OpeningFromBookingTest, TakingOverNeedsABookingListedAndAYes) {
    sql("delete from bookin");
    startOpening();
    QTest::mouseClick(opening()->toolb_In, Qt::LeftButton);
    EXPECT_TRUE(prompter.texts().isEmpty());
    key(Qt::Key_Escape);

    addBooking("Wang", "A03", "2026-12-09 18:00:00", "02", 6);
    startOpening();
    prompter.answer(false);
    QTest::mouseClick(opening()->toolb_In, Qt::LeftButton);
    EXPECT_EQ(prompter.texts(), QStringList({kTakeQuestion}));
    EXPECT_EQ(opening()->DBEdit3->text(), "");
    EXPECT_EQ(column(opening()->DBGrid11, 0), QStringList({"Wang"}));
    EXPECT_EQ(dm->adoqry_TableGues->field("book_flag").asBool(), false);
}

// What ends an opening without a visit leaves the taken booking stored and the table booked.
struct NoOpening {
    const char* what;
    bool failure; // a failure inside the opening's transaction, else "回退"
};

class BookingKeptTest : public OpeningFromBookingTest, public ::testing::WithParamInterface<NoOpening> {};

TEST_P(BookingKeptTest, TheBookingAndTheBookedStateStay) {
    // The table's only booking is taken: the opening screen lists none then.
    sql("delete from bookin where book_name='Zhao'");
    startOpening();
    prompter.answer(true);
    doubleClickBooking(0);
    ASSERT_EQ(opening()->DBEdit3->text(), "Wang");
    ASSERT_EQ(opening()->DBGrid11->model()->rowCount(), 0);
    if (GetParam().failure) {
        kx::test::createRefusingTrigger(db(), "create trigger refuse before update on tablelist begin select raise(abort, 'refused'); end");
        QTest::mouseClick(opening()->toolb_Open, Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_EQ(prompter.last().text,
                  "系统发生错误编码[B100002]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！");
    } else {
        key(Qt::Key_Escape);
        EXPECT_EQ(panel(), "pnl_TableState");
        EXPECT_EQ(tables()->field("tabl_stat_code").asString(), "5");
    }
    EXPECT_EQ(visits(), 0);
    EXPECT_EQ(bookings("A03"), 1);
    EXPECT_EQ(storedState("A03"), "5");
    if (GetParam().failure) return;
    // Opened again, the table lists its booking and nothing is taken.
    startOpening();
    EXPECT_EQ(column(opening()->DBGrid11, 0), QStringList({"Wang"}));
    EXPECT_EQ(dm->takenBooking, 0);
}

INSTANTIATE_TEST_SUITE_P(Bookings, BookingKeptTest,
                         ::testing::Values(NoOpening{"Back", false}, NoOpening{"FailureInsideTheOpening", true}),
                         [](const ::testing::TestParamInfo<NoOpening>& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------- two desks

// Desk A opens table 101 while this desk (B), whose board still shows it free, is on its
// booking screen; B leaves the screen. 101 keeps A's visit.
TEST_F(BookingTest, LeavingTheBookingScreenKeepsATableAnotherDeskOpened) {
    sql("insert into tablelist (tabl_code, tabl_name, tabl_type_code, dept_code, tabl_stat_code, tabl_gues_auto_recn) "
        "values ('101', '新台', '01', '01', '1', 0)");
    board()->Sort();
    bookOn("101");
    press(screen()->ToolButton29);
    type(screen()->dbe_BookName, "Sun");
    press(screen()->ToolButton35);

    kx::db::Connection other;
    other.open(path);
    kx::frontdesk::TDMTable deskA(other.db());
    deskA.openWorkingData();
    kx::frontdesk::installOpeningHooks(deskA);
    ASSERT_TRUE(deskA.adoqry_table->locate("tabl_code", "101"));
    deskA.adoqry_TableGues->append();
    const qint64 key = kx::frontdesk::openTable(deskA);

    ASSERT_TRUE(tables()->locate("tabl_code", "101"));
    ASSERT_EQ(tables()->field("tabl_stat_code").asString(), "1"); // what B's board still shows
    press(screen()->ToolButton36);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(storedState("101"), "2");
    EXPECT_EQ(kx::db::scalarInt(db(), "select tabl_gues_auto_recn from tablelist where tabl_code='101'"), key);
    ASSERT_TRUE(tables()->locate("tabl_code", "101"));
    EXPECT_EQ(tables()->field("tabl_stat_code").asString(), "2");
    EXPECT_EQ(bookings("101"), 1);

    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    EXPECT_EQ(kx::db::runDbTool({"check", path}, outStream, errStream, QDate(2026, 12, 9)), 0)
        << out.toStdString() << err.toStdString();
}

} // namespace
