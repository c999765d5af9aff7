// "初始化数据库" of the board's reports menu: the system management password, the question, the
// checked copy first, the removal as one transaction, and what stays.
#include "Backup.h"
#include "Check.h"
#include "TestServer.h"
#include "Connection.h"
#include "DayOperations.h"
#include "FrontDeskFixture.h"
#include "SalesAnalysis.h"
#include "DishAnalysis.h"
#include "TableAnalysis.h"
#include "TableBoard.h"

#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSqlRecord>
#include <QTableView>
#include <QToolButton>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// What initialisation removes, and what it keeps.
const char* const kRemoved[] = {"bookin",     "AllCons",     "AllGues",         "AllOtherInCome", "Allpaytotal",
                                "AllGuesPay", "TableConsList", "TableConsListTemp", "TableGuestlist", "tableguespay",
                                "StoreDetail", "StoreBill",  "AllStoreDetail",  "AllStoreBill"};
const char* const kKept[] = {"itemlist", "classlist", "kindlist", "ItemGroup", "TableList", "DepartmentList",
                             "operatorlist", "Limitedlist", "MemberList", "HangGues", "PayTypeList", "SetupPay",
                             "setupprint", "WorkList"};

class DatabaseInitTest : public kx::test::FrontDeskTest {
public:
    QString back() const { return QDir::cleanPath(QFileInfo(path).absolutePath() + "/../back"); }

protected:
    void SetUp() override {
        FrontDeskTest::SetUp();
        logIn();
        // A day of the venue: a visit in use on A01 with its line and pad line, a cleared visit
        // archived with its line, payment and handover, other income, a booking, an open and a
        // posted stock bill, a card that was topped up and used.
        sql("update TableList set tabl_stat_code='2', tabl_gues_auto_recn=7, tabl_gues_name='张', tabl_gues_coun=4, "
            "tabl_gues_time=?, tabl_gues_shou=88 where tabl_code='A01'",
            {kx::Clock::now()});
        sql("insert into TableGuestlist (tabl_gues_auto_recn, tabl_code, tabl_gues_use, tabl_gues_stat) values (7, 'A01', 1, '2')");
        sql("insert into TableConsList (tabl_gues_auto_recn, tabl_code, item_code, tabl_cons_coun) values (7, 'A01', '1001', 1)");
        sql("insert into TableConsListTemp (tabl_gues_auto_recn, tabl_code, item_code, tabl_cons_coun) values (7, 'A01', '1002', 1)");
        sql("insert into tableguespay (tabl_gues_auto_recn, pay_type_code, pay_type_mone) values (6, 'Z', 120)");
        sql("insert into AllGues (tabl_gues_auto_recn, tabl_code, tabl_gues_fact, tabl_gues_time_work) values (6, 'A02', 120, ?)",
            {kx::Clock::now()});
        sql("insert into AllCons (tabl_gues_auto_recn, item_code, tabl_cons_coun, tabl_cons_tota, tabl_cons_time_work) "
            "values (6, '1001', 2, 120, ?)",
            {kx::Clock::now()});
        sql("insert into AllGuesPay (tabl_gues_auto_recn, pay_type_code, pay_type_mone, pay_time, pay_flag) values (6, 'Z', 120, ?, 1)",
            {kx::Clock::now()});
        sql("insert into Allpaytotal (pay_type_code, pay_type_mone, pay_date_work) values ('Z', 120, ?)", {kx::Clock::now()});
        sql("insert into AllOtherInCome (othe_inco_code, othe_inco_mone, othe_inco_time) values ('01', 30, ?)",
            {kx::Clock::now()});
        sql("insert into bookin (book_name, tabl_code) values ('李', 'A03')");
        sql("insert into StoreBill (stor_bill_code, stor_bill_type) values ('X1', '进货单')");
        sql("insert into StoreDetail (stor_bill_code, item_code) values ('X1', '1001')");
        sql("insert into AllStoreBill (stor_bill_code, stor_bill_type) values ('X0', '进货单')");
        sql("insert into AllStoreDetail (stor_bill_code, item_code) values ('X0', '1001')");
        sql("update MemberList set memb_surp=970, memb_use=30, memb_stor=12, memb_stor_temp=2 where memb_card_code='8800001'");
        sql("insert into membManage (memb_card_code, memb_mana_save, memb_mana_inte, memb_mana_rema) "
            "values ('8800001', 500, 10, '充值')");
        keyGivenOut(7);
        counterBefore = kx::db::scalarInt(db(), "select auto_recn from SetupPay");
        dm->adoqry_TableGues->refresh();
        work->tableBoard->Sort();
        prompter.clear();
    }
    void sql(const QString& statement, const QVariantList& params = {}) { kx::db::exec(db(), statement, params); }
    qint64 count(const QString& table) const {
        return kx::db::scalarInt(db(), QStringLiteral("select count(*) from %1").arg(table));
    }
    // Every table's rows, as one text to compare.
    QString counts() const {
        QStringList out;
        for (const char* t : kRemoved) out << QStringLiteral("%1=%2").arg(t).arg(count(QString::fromLatin1(t)));
        for (const char* t : kKept) out << QStringLiteral("%1=%2").arg(t).arg(count(QString::fromLatin1(t)));
        out << QStringLiteral("membManage=%1").arg(count("membManage")) << rows("select tabl_code, tabl_stat_code from TableList");
        return out.join(' ');
    }
    // The rows of a query, their cells joined by "/", the rows by ",".
    QString rows(const QString& query) const { return rowsOf(db(), query); }
    static QString rowsOf(QSqlDatabase d, const QString& query) {
        QStringList out;
        QSqlQuery q = kx::db::run(d, query);
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i) cells << q.value(i).toString();
            out << cells.join('/');
        }
        return out.join(',');
    }
    QString copy(const QDateTime& at = startTime()) const {
        return back() + "/VenueData-init-" + at.toString("yyyyMMdd-HHmmss") + ".bak";
    }

    // The password dialog as the cashier answers it: typed, then Enter (or "回退").
    void answerPassword(const QString& typed, bool leave = false) {
        dialogs.handle([typed, leave](QDialog* d) {
            d->show();
            auto* edit = d->findChild<QLineEdit*>("edt_SystemPassword");
            EXPECT_NE(edit, nullptr);
            if (!edit) return int(QDialog::Rejected);
            EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
            QTest::keyClicks(edit, typed);
            if (leave)
                QTest::mouseClick(d->findChild<QPushButton*>("btn_SystemPasswordBack"), Qt::LeftButton);
            else
                QTest::keyClick(edit, Qt::Key_Return);
            return d->result();
        });
    }
    // "初始化数据库" from the board's reports menu.
    void initialise() {
        QMenu* menu = work->toolb_Report->menu();
        emit menu->aboutToShow();
        QAction* n15 = menu->findChild<QAction*>("N15");
        ASSERT_NE(n15, nullptr);
        ASSERT_TRUE(n15->isVisible());
        EXPECT_EQ(n15->text(), "初始化数据库");
        n15->trigger();
        QApplication::processEvents();
    }

    qint64 counterBefore = 0;
};

TEST_F(DatabaseInitTest, RefusedOrFailedItChangesNothing) {
    const QString question = "请确认是否进行清除数据库操作（测试用）,请慎重确认!";
    struct Case {
        const char* name;
        const char* password;
        bool leave;
        bool yes;
        std::function<void(DatabaseInitTest&)> before;
        QStringList texts; // the boxes shown; a text ending in "…" is the beginning of one
    } cases[] = {
        {"DialogLeft", "admin", true, true, nullptr, {}},
        {"WrongPassword", "admin2", false, true, nullptr, {"密码不正确，请重新输入后确认！"}},
        {"NoPassword", "", false, true, nullptr, {"密码不正确，请重新输入后确认！"}},
        {"No", "admin", false, false, nullptr, {question}},
        // A file where the backup folder should be: the copy cannot be written.
        {"BackIsAFile", "admin", false, true,
         [](DatabaseInitTest& t) {
             QFile blocker(t.back());
             ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
         },
         {question, "初始化前的数据备份没有成功，数据未作改动！\n…"}},
    };
    const QString before = counts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.before) c.before(*this);
        prompter.clear();
        prompter.answer(c.yes);
        answerPassword(QString::fromUtf8(c.password), c.leave);
        initialise();
        ASSERT_EQ(prompter.texts().size(), c.texts.size()) << prompter.texts().join('|').toStdString();
        for (int i = 0; i < c.texts.size(); ++i) {
            if (c.texts[i].endsWith("…"))
                EXPECT_TRUE(prompter.texts()[i].startsWith(c.texts[i].chopped(1))) << prompter.texts()[i].toStdString();
            else
                EXPECT_EQ(prompter.texts()[i], c.texts[i]);
        }
        EXPECT_EQ(counts(), before);
        EXPECT_FALSE(QFileInfo::exists(copy()));
        EXPECT_FALSE(logTexts().join('|').contains("初始化数据库"));
        EXPECT_FALSE(main->SilentExit);
    }
}

// Writing refused even to root: the folder read-only and, where chmod does not stop the process,
// immutable.
class Unwritable {
public:
    explicit Unwritable(const QString& folder) : folder_(folder) {
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        if (writable()) immutable(true);
    }
    ~Unwritable() {
        if (immutable_) immutable(false);
        QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool writable() const {
        QFile probe(folder_ + "/probe");
        const bool ok = probe.open(QIODevice::WriteOnly);
        if (ok) probe.remove();
        return ok;
    }

private:
    void immutable(bool on) {
        const int fd = ::open(QFile::encodeName(folder_).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) immutable_ = on;
        }
        ::close(fd);
    }
    QString folder_;
    bool immutable_ = false;
};

TEST_F(DatabaseInitTest, AnUnwritableBackupFolderIsToldAndNothingIsRemoved) {
    const QString before = counts();
    Unwritable guard(back());
    if (guard.writable()) GTEST_SKIP() << "this process writes even into a read-only folder";
    prompter.answer(true);
    answerPassword("admin");
    initialise();
    ASSERT_EQ(prompter.texts().size(), 2) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(prompter.texts()[1].startsWith("初始化前的数据备份没有成功，数据未作改动！\n")) << prompter.texts()[1].toStdString();
    EXPECT_GT(prompter.texts()[1].size(), QString("初始化前的数据备份没有成功，数据未作改动！\n").size());
    EXPECT_EQ(counts(), before);
    EXPECT_FALSE(main->SilentExit);
}

TEST_F(DatabaseInitTest, EmptiesTheHistoryKeepsTheVenueAndKeepsACopyFirst) {
    std::map<QString, QString> kept;
    for (const char* t : kKept) kept[t] = rows(QStringLiteral("select * from %1").arg(t));
    kept.erase("TableList"); // its guests go
    const QString tables = rows("select tabl_code, tabl_name, dept_code, tabl_type_code from TableList order by tabl_code");
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        const QDateTime at = startTime().addSecs(60 * (round - 1));
        kx::Clock::freeze(at);
        prompter.clear();
        prompter.answer(true);
        answerPassword("admin");
        initialise();
        EXPECT_EQ(prompter.texts(),
                  QStringList({"请确认是否进行清除数据库操作（测试用）,请慎重确认!",
                               "系统初始化工作已完成，现在可以工作！\n" + QDir::toNativeSeparators(copy(at))}));
        EXPECT_FALSE(main->SilentExit);
        for (const char* t : kRemoved) EXPECT_EQ(count(QString::fromLatin1(t)), 0) << t;
        // One carry-over row per card holding money or points: what it holds.
        EXPECT_EQ(rows("select memb_card_code, memb_mana_save, memb_mana_inte, memb_mana_rema from membManage "
                       "order by memb_card_code"),
                  "8800001/1000/10/初始化结转,8800002/0/200/初始化结转");
        for (const auto& [table, content] : kept) EXPECT_EQ(rows(QStringLiteral("select * from %1").arg(table)), content) << table.toStdString();
        EXPECT_EQ(rows("select tabl_code, tabl_name, dept_code, tabl_type_code from TableList order by tabl_code"), tables);
        EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from TableList where tabl_stat_code<>'1' or "
                                          "tabl_gues_auto_recn<>0 or tabl_gues_name is not null or "
                                          "tabl_gues_coun is not null or tabl_gues_time is not null or tabl_gues_shou is not null"),
                  0);
        EXPECT_EQ(kx::db::scalarInt(db(), "select auto_recn from SetupPay"), counterBefore);
        const QStringList failures = kx::db::checkDatabase(db());
        EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
        // What the desk shows: every table free, no visit.
        kx::db::Dataset& board = *dm->adoqry_table;
        ASSERT_GT(board.recordCount(), 0);
        const int state = board.fieldIndex("tabl_stat_code");
        for (int r = 0; r < board.recordCount(); ++r) EXPECT_EQ(board.valueAt(r, state).toString(), "1") << r;
        EXPECT_EQ(dm->adoqry_TableGues->recordCount(), 0);
        EXPECT_EQ(logTexts().filter("[早班][初始化数据库]").size(), round) << logTexts().join('|').toStdString();
    }
    // The first copy holds the day as it was; the second, the database after the first round.
    QStringList archived;
    for (const QDateTime& at : {startTime(), startTime().addSecs(60)}) {
        kx::db::Connection c;
        kx::test::openBackupCopy(c, copy(at), db());
        archived << rowsOf(c.db(), "select count(*) from AllGues");
    }
    EXPECT_EQ(archived, QStringList({"1", "0"}));
}

TEST_F(DatabaseInitTest, TheCopyHoldsTheRowsAsTheyWere) {
    const qint64 lines = count("AllCons");
    prompter.answer(true);
    answerPassword("admin");
    initialise();
    ASSERT_EQ(count("AllCons"), 0);
    kx::db::Connection c;
    kx::test::openBackupCopy(c, copy(), db());
    EXPECT_EQ(kx::db::scalarInt(c.db(), "select count(*) from AllCons"), lines);
    EXPECT_EQ(kx::db::scalarInt(c.db(), "select count(*) from TableGuestlist where tabl_gues_use<>0"), 1);
    EXPECT_EQ(kx::db::scalarText(c.db(), "select tabl_stat_code from TableList where tabl_code='A01'"), "2");
    EXPECT_EQ(kx::db::checkDatabase(c.db()).join("\n"), "");
}

TEST_F(DatabaseInitTest, AFailingStatementLeavesEveryRowAndClosesThroughTheErrorHandler) {
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before delete on AllGuesPay begin select raise(abort, "
                                          "'refused'); end");
    const QString before = counts();
    prompter.answer(true);
    answerPassword("admin");
    initialise();
    ASSERT_GE(prompter.texts().size(), 3) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(prompter.texts()[1], kx::ErrorGuard::InternalErrorText);
    EXPECT_TRUE(prompter.texts()[2].contains("refused")) << prompter.texts()[2].toStdString();
    EXPECT_EQ(counts(), before);
    EXPECT_TRUE(main->SilentExit);
}

TEST_F(DatabaseInitTest, EveryReportIsEmptyAfterwards) {
    prompter.answer(true);
    answerPassword("admin");
    initialise();
    prompter.clear();
    QMenu* menu = work->toolb_Report->menu();
    // The day's business by department: every figure 0.
    menu->findChild<QAction*>("N1")->trigger();
    QAbstractItemModel* totals = work->day->DBGrid14->model();
    ASSERT_GT(totals->rowCount(), 0);
    for (int r = 0; r < totals->rowCount(); ++r)
        for (int col = 1; col < totals->columnCount(); ++col)
            EXPECT_DOUBLE_EQ(totals->index(r, col).data(Qt::EditRole).toDouble(), 0) << r << "," << col;
    // The handover: nothing taken.
    menu->findChild<QAction*>("N2")->trigger();
    EXPECT_EQ(work->day->lbl_TypeCoun->text(), "0");
    EXPECT_EQ(work->day->lbl_TypeMone->text(), "0.00");
    // The analysis reports over the years before.
    const std::pair<const char*, std::function<kx::frontdesk::ReportScreen*()>> reports[] = {
        {"N5", [this] { return work->sales.peek(); }},
        {"N6", [this] { return work->rooms.peek(); }},
        {"N3", [this] { return work->dishes.peek(); }}};
    for (const auto& [entry, screenOf] : reports) {
        SCOPED_TRACE(entry);
        menu->findChild<QAction*>(entry)->trigger();
        QApplication::processEvents();
        kx::frontdesk::ReportScreen* screen = screenOf();
        ASSERT_NE(screen, nullptr);
        screen->startDate->setDate(QDate(2020, 1, 1));
        screen->rerun();
        for (QTableView* grid : screen->panel->findChildren<QTableView*>())
            if (grid->model()) {
                EXPECT_EQ(grid->model()->rowCount(), 0) << grid->objectName().toStdString();
            }
    }
    EXPECT_EQ(work->sales->figures().bills, 0);
    EXPECT_EQ(work->sales->figures().received, 0);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

} // namespace
