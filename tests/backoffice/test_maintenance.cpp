// The backup and the restore of the system tree, unlocked by the venue's system management
// password ("admin" in the sample venue), each closing the back office when done.
#include "Backup.h"
#include "Connection.h"
#include "Csv.h"
#include "Schema.h"
#include "SetupScreenTest.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>

namespace {

class MaintenanceTest : public kx::test::SetupScreenTest {
  protected:
    void openSystemLeaf(const char* caption) {
        clickLeaf(main->N10, child->pnl_user, child->tv_user, caption);
    }
    // The password typed and the button pressed, as the manager does.
    void run(const char* edit, const QString& password, const char* button) {
        type(edit, password);
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
        QApplication::processEvents();
    }
    QString backupFile() const { return kx::db::maintenanceBackupFile(path); }
    QString back() const { return QFileInfo(backupFile()).absolutePath(); }
    qint64 tables() const { return kx::db::scalarInt(db(), "select count(*) from tablelist"); }
    double stock() const { return kx::db::scalarNumber(db(), "select coalesce(sum(item_coun), 0) from itemlist"); }
    void tick(const char* box) { control<QCheckBox>(box)->setChecked(true); }
    QStringList copies(const char* pattern) const { return QDir(back()).entryList({QString::fromLatin1(pattern)}); }
};

struct PasswordCase {
    const char* name;
    const char* typed;
    const char* message;
};

class MaintenancePasswords : public MaintenanceTest, public ::testing::WithParamInterface<PasswordCase> {};

// Both screens refuse a missing or wrong password and do nothing else.
TEST_P(MaintenancePasswords, RefuseAndTouchNothing) {
    const PasswordCase& c = GetParam();
    kx::db::backupForMaintenance(db());
    const QByteArray backupBefore = [this] {
        QFile f(backupFile());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    kx::db::exec(db(), "delete from tablelist where tabl_code = (select min(tabl_code) from tablelist)");
    const qint64 before = tables();
    struct Screen {
        const char* leaf;
        const char* edit;
        const char* button;
    };
    for (const Screen& s : {Screen{"数据备份", "Edit5", "Button2"}, Screen{"数据恢复", "Edit4", "Button1"}}) {
        openSystemLeaf(s.leaf);
        run(s.edit, QString::fromUtf8(c.typed), s.button);
        EXPECT_EQ(prompter.texts(), QStringList({QString::fromUtf8(c.message)})) << s.leaf;
        prompter.clear();
        EXPECT_TRUE(main->isVisible());
        EXPECT_EQ(main->ExitMode, 0);
    }
    EXPECT_EQ(tables(), before);
    QFile f(backupFile());
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), backupBefore);
    EXPECT_FALSE(QDir(back()).entryList({"VenueData-restore-*"}).size());
}

INSTANTIATE_TEST_SUITE_P(Maintenance, MaintenancePasswords,
                         ::testing::Values(PasswordCase{"Empty", "", "请输入管理密码！"},
                                           PasswordCase{"Blanks", "   ", "请输入管理密码！"},
                                           PasswordCase{"Wrong", "admin2", "输入的管理密码错误，请修改！"},
                                           PasswordCase{"TheManualsFixedValue", "470382", "输入的管理密码错误，请修改！"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MaintenanceTest, TheBackupIsWrittenAndTheProgramClosesWithItsNotice) {
    openSystemLeaf("数据备份");
    EXPECT_TRUE(control<QWidget>("pnl_Back")->isVisible());
    EXPECT_EQ(main->CurrentDataset, nullptr);
    EXPECT_TRUE(edit("Edit5")->hasFocus());
    EXPECT_EQ(edit("Edit5")->echoMode(), QLineEdit::Password);
    run("Edit5", " admin ", "Button2");
    EXPECT_EQ(prompter.texts(), QStringList({"本地数据库压缩备份完成！", "数据处理完毕，系统将退出请重新登录！"}));
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->ExitMode, 1);
    kx::db::Connection copy;
    kx::test::openBackupCopy(copy, backupFile(), db());
    EXPECT_EQ(kx::db::scalarInt(copy.db(), "select count(*) from tablelist"), tables());
    EXPECT_TRUE(logTexts().contains("[数据备份（后台）]"));
}

TEST_F(MaintenanceTest, AFailedBackupIsToldAndTheProgramStaysOpen) {
    QDir().mkpath(QFileInfo(path).absolutePath() + "/..");
    QFile plain(back());
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    openSystemLeaf("数据备份");
    run("Edit5", "admin", "Button2");
    ASSERT_EQ(prompter.texts().size(), 1);
    EXPECT_TRUE(prompter.texts()[0].startsWith("数据备份失败，原备份文件未作改动！\n")) << lastText().toStdString();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->ExitMode, 0);
    EXPECT_TRUE(control<QPushButton>("Button2")->isEnabled());
    EXPECT_FALSE(logTexts().contains("[数据备份（后台）]"));
}

TEST_F(MaintenanceTest, TheRestoreBringsBackTheBackupWhileTheScreensAreOpen) {
    KX_FILE_ENGINE_ONLY(); // a server is restored with PostgreSQL's own tools
    kx::db::backupForMaintenance(path);
    const qint64 before = tables();
    // Screens that hold the items and tables.
    openLeaf("项目");
    openLeaf("房台");
    kx::db::exec(db(), "delete from tablelist");
    openSystemLeaf("数据恢复");
    EXPECT_TRUE(control<QWidget>("pnl_restore")->isVisible());
    run("Edit4", "admin", "Button1");
    EXPECT_EQ(prompter.texts(), QStringList({"本地数据库恢复完成！", "数据处理完毕，系统将退出请重新登录！"}));
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(tables(), before);
    EXPECT_TRUE(logTexts().contains("[数据恢复（后台）]"));
    EXPECT_EQ(QDir(back()).entryList({"VenueData-restore-*.bak"}).size(), 1);
}

struct RestoreRefusal {
    const char* name;
    std::function<void(const QString& backup)> spoil;
    const char* message; // the first line
    bool reason;         // a second line follows
};

class MaintenanceRestoreRefusals : public MaintenanceTest, public ::testing::WithParamInterface<RestoreRefusal> {};

TEST_P(MaintenanceRestoreRefusals, TellWhyAndKeepTheProgramOpen) {
    KX_FILE_ENGINE_ONLY(); // the file's own backups
    const RestoreRefusal& c = GetParam();
    kx::db::backupForMaintenance(path);
    kx::db::exec(db(), "delete from tablelist");
    c.spoil(backupFile());
    openSystemLeaf("数据恢复");
    run("Edit4", "admin", "Button1");
    ASSERT_EQ(prompter.texts().size(), 1);
    const QStringList lines = prompter.texts()[0].split('\n');
    EXPECT_EQ(lines[0], QString::fromUtf8(c.message));
    EXPECT_EQ(lines.size() > 1, c.reason) << prompter.texts()[0].toStdString();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->ExitMode, 0);
    EXPECT_EQ(tables(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Maintenance, MaintenanceRestoreRefusals,
    ::testing::Values(
        RestoreRefusal{"NoBackup", [](const QString& b) { QFile::remove(b); }, "没有找到备份文件，数据库未作改动！", false},
        RestoreRefusal{"AText",
                       [](const QString& b) {
                           QFile f(b);
                           f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                           f.write(QByteArray(9000, 'x'));
                       },
                       "备份文件已损坏或不是本系统的数据，数据库未作改动！", true},
        RestoreRefusal{"Newer",
                       [](const QString& b) {
                           kx::db::Connection c;
                           c.open(b);
                           kx::db::exec(c.db(), QString("PRAGMA user_version = %1").arg(kx::db::currentSchemaVersion() + 1));
                       },
                       "备份文件的版本高于本系统，数据库未作改动！", false},
        RestoreRefusal{"NoRoomForTheSafetyCopy",
                       [](const QString& b) {
                           QDir().mkpath(QFileInfo(b).absolutePath() + "/VenueData-restore-20261209-100000.bak");
                       },
                       "数据恢复失败，数据库未作改动！", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- clearing

// On a server the restore is PostgreSQL's business: the screen says so and changes nothing.
TEST_F(MaintenanceTest, OnAServerTheRestoreIsRefusedWithItsReason) {
    if (!kx::test::onServer()) GTEST_SKIP() << "a venue on a server";
    kx::db::backupForMaintenance(db());
    const qint64 before = tables();
    openSystemLeaf("数据恢复");
    run("Edit4", "admin", "Button1");
    EXPECT_EQ(prompter.texts(), QStringList({"数据库在 PostgreSQL 服务器上，不能在这里恢复，数据库未作改动！\n"
                                             "请用 PostgreSQL 自己的工具 pg_restore 恢复备份。"}));
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->ExitMode, 0);
    EXPECT_EQ(tables(), before);
    EXPECT_FALSE(logTexts().contains("[数据恢复（后台）]"));
    EXPECT_EQ(QDir(back()).entryList({"VenueData-restore-*"}).size(), 0);
}

TEST_F(MaintenanceTest, AWrongPasswordUnticksEveryGroup) {
    openSystemLeaf("数据清理");
    EXPECT_TRUE(control<QWidget>("pnl_clear")->isVisible());
    EXPECT_EQ(control<QDateEdit>("DateTimePicker4")->date(), QDate(2026, 12, 9));
    for (const char* box : {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5"})
        tick(box);
    run("Edit3", "wrong", "Button3");
    EXPECT_EQ(prompter.texts(), QStringList({"输入的管理密码错误，请修改！"}));
    for (const char* box : {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4", "CheckBox5"})
        EXPECT_FALSE(control<QCheckBox>(box)->isChecked()) << box;
    EXPECT_EQ(stock(), 940);
}

TEST_F(MaintenanceTest, ClearingAsksWhatAndWhetherAndKeepsACopyFirst) {
    openSystemLeaf("数据清理");
    run("Edit3", "admin", "Button3");
    EXPECT_EQ(prompter.texts(), QStringList({"请选择要清除的项目！"}));
    prompter.clear();
    tick("CheckBox1");
    prompter.answer(false);
    run("Edit3", "admin", "Button3");
    ASSERT_EQ(prompter.texts().size(), 1);
    EXPECT_TRUE(prompter.texts()[0].startsWith("请确定是否进行数据清除操作，操作后数据将不能进行恢复，请慎重！"));
    EXPECT_TRUE(prompter.texts()[0].endsWith("!"));
    EXPECT_EQ(stock(), 940);
    EXPECT_TRUE(copies("VenueData-clear-*").isEmpty());
    prompter.clear();
    prompter.answer(true);
    run("Edit3", "admin", "Button3");
    EXPECT_EQ(prompter.texts().mid(1), QStringList({"本地数据库清除完成！", "数据处理完毕，系统将退出请重新登录！"}));
    EXPECT_EQ(stock(), 0);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(copies("VenueData-clear-*.bak"), QStringList({"VenueData-clear-20261209-100000.bak"}));
    EXPECT_TRUE(logTexts().contains("[数据清除（后台）]"));
}

TEST_F(MaintenanceTest, AClearingWhoseCopyFailsClearsNothing) {
    QFile plain(back());
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    openSystemLeaf("数据清理");
    tick("CheckBox1");
    prompter.answer(true);
    run("Edit3", "admin", "Button3");
    ASSERT_EQ(prompter.texts().size(), 2);
    EXPECT_TRUE(prompter.texts()[1].startsWith("清除前的数据备份没有成功，数据未作清除！")) << lastText().toStdString();
    EXPECT_EQ(stock(), 940);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(MaintenanceTest, BaseDataWithAVisitInUseIsRefusedAndTheProgramStaysOpen) {
    kx::db::exec(db(), "insert into TableConsList (tabl_gues_auto_recn, item_code, tabl_cons_coun) values (1, '4001', 1)");
    const qint64 items = kx::db::scalarInt(db(), "select count(*) from itemlist");
    openSystemLeaf("数据清理");
    tick("CheckBox1");
    tick("CheckBox2");
    prompter.answer(true);
    run("Edit3", "admin", "Button3");
    EXPECT_EQ(lastText(), "前台还有未结束的消费，不能清除基本信息！");
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from itemlist"), items);
    EXPECT_EQ(stock(), 940);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->ExitMode, 0);
}

// ---------------------------------------------------------------- initialisation

TEST_F(MaintenanceTest, InitialisationTwiceKeepsTheCardsWorkingAndTheProgramOpen) {
    kx::db::exec(db(), "update MemberList set memb_surp = 470, memb_use = 30 where memb_card_code = '8800001'");
    openSystemLeaf("系统初始");
    EXPECT_TRUE(control<QWidget>("pnl_initialization")->isVisible());
    for (int round = 0; round < 2; ++round) {
        prompter.clear();
        prompter.answer(true);
        run("Edit6", "admin", "Button4");
        EXPECT_EQ(prompter.texts(), QStringList({"请确认是否进行清除数据库操作（测试用）,请慎重确认!",
                                                 "系统初始化工作已完成，现在可以工作！"}))
            << round;
        EXPECT_TRUE(edit("Edit6")->text().isEmpty());
        EXPECT_TRUE(main->isVisible());
    }
    EXPECT_EQ(copies("VenueData-init-*.bak").size(), 1); // the same second: the second copy replaced the first
    EXPECT_TRUE(logTexts().contains("[系统初始化（后台）]"));
    // A top-up of 10 afterwards adds 10 to what the card held.
    clickLeaf(main->N4, child->pnl_SysManage, child->tv_SysManage, "会员信息");
    ASSERT_TRUE(manage->adoqry_Member->locate("memb_card_code", "8800001"));
    QTest::mouseClick(control<QAbstractButton>("SpeedButton4"), Qt::LeftButton);
    QApplication::processEvents();
    prompter.clear();
    press(main->toolb_Add);
    type("DBEdit76", "10");
    press(main->toolb_Save);
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(kx::db::scalarNumber(db(), "select memb_surp from MemberList where memb_card_code = '8800001'"), 480);
}

TEST_F(MaintenanceTest, AFailedInitialisationRollsBackAndCloses) {
    kx::db::exec(db(), "insert into bookin (book_name, tabl_code) values ('李', '102')");
    kx::test::createRefusingTrigger(db(), "create trigger kx_refuse before update on TableList begin select raise(abort, 'refused'); end");
    openSystemLeaf("系统初始");
    prompter.answer(true);
    run("Edit6", "admin", "Button4");
    EXPECT_EQ(lastText(), kx::ErrorGuard::transactionFailedText("A100008"));
    QApplication::processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from bookin"), 1);
}

// ---------------------------------------------------------------- the log

class LogViewerTest : public MaintenanceTest {
  protected:
    void SetUp() override {
        MaintenanceTest::SetUp();
        kx::db::exec(db(), "delete from systemlog");
        const struct {
            const char* who;
            QDateTime when;
            const char* what;
        } lines[] = {
            {"管理员", QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59)), "[登录系统（后台）]"},
            {"管理员", QDateTime(QDate(2026, 12, 9), QTime(0, 0, 0)), "[修改项目] 4001"},
            {"王芳", QDateTime(QDate(2026, 12, 9), QTime(9, 0, 0)), "打折 50% 的单"},
            {"王芳", QDateTime(QDate(2026, 12, 9), QTime(9, 0, 0)), "退菜 a_b, \"引号\"\n第二行"},
            {"管理员", QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59)), "O'Brien 的卡"},
            {"管理员", QDateTime(QDate(2026, 12, 10), QTime(0, 0, 0)), "[退出系统（后台）]"},
        };
        for (const auto& l : lines)
            kx::db::exec(db(), "insert into systemlog (log_oper_name, log_time, log_oper) values (?, ?, ?)",
                         {QString::fromUtf8(l.who), l.when, QString::fromUtf8(l.what)});
    }
    void query(const QString& who, const QString& what) {
        auto* box = control<QComboBox>("cmb_LogOper");
        box->setEditText(who);
        edit("edt_LogText")->setText(what);
        QTest::mouseClick(control<QPushButton>("btn_LogQuery"), Qt::LeftButton);
        QApplication::processEvents();
    }
};

TEST_F(LogViewerTest, ShowsTheDaysChosenFilteredByOperatorAndText) {
    openSystemLeaf("日志查询");
    EXPECT_TRUE(control<QWidget>("pnl_log")->isVisible());
    EXPECT_EQ(captions("DBGrid55"), QStringList({"操作员", "操作时间", "操作过程"}));
    // Today, whole, in the order written, the newest current.
    EXPECT_EQ(shown("DBGrid55", {1}), QStringList({"2026-12-09 00:00:00", "2026-12-09 09:00:00", "2026-12-09 09:00:00",
                                                   "2026-12-09 23:59:59"}));
    EXPECT_EQ(manage->adoqry_Log->recNo(), 4);
    EXPECT_TRUE(control<QComboBox>("cmb_LogOper")->findText("王芳") >= 0);
    struct Case {
        const char* who;
        const char* what;
        QStringList times;
    };
    for (const Case& c : {Case{"王芳", "", {"09:00:00", "09:00:00"}}, Case{"", "50%", {"09:00:00"}},
                          Case{"", "%", {"09:00:00"}}, Case{"", "a_b", {"09:00:00"}}, Case{"", "_", {"09:00:00"}},
                          Case{"", "'", {"23:59:59"}}, Case{"管理员", "项目", {"00:00:00"}}, Case{"无人", "", {}}}) {
        query(QString::fromUtf8(c.who), QString::fromUtf8(c.what));
        QStringList times;
        for (const QString& t : shown("DBGrid55", {1}))
            times << t.right(8);
        EXPECT_EQ(times, c.times) << c.who << "/" << c.what;
    }
    // Other days.
    typeDate("DateTimePicker6", QDate(2026, 12, 8));
    typeDate("DateTimePicker7", QDate(2026, 12, 10));
    query("", "");
    EXPECT_EQ(shown("DBGrid55").size(), 6);
}

TEST_F(LogViewerTest, ExportsTheRowsShownAsCsv) {
    openSystemLeaf("日志查询");
    query("王芳", "");
    const QString file = dir.path() + "/log.csv";
    dialogs.fileName(file);
    QTest::mouseClick(control<QPushButton>("btn_LogExport"), Qt::LeftButton);
    QApplication::processEvents();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> rows = kx::parseCsv(QString::fromUtf8(bytes.mid(3)));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], QStringList({"操作员", "操作时间", "操作过程"}));
    EXPECT_EQ(rows[1], QStringList({"王芳", "2026-12-09 09:00:00", "打折 50% 的单"}));
    EXPECT_EQ(rows[2], QStringList({"王芳", "2026-12-09 09:00:00", "退菜 a_b, \"引号\"\n第二行"}));
}

} // namespace
