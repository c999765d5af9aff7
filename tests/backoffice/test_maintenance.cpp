// The backup and the restore of the system tree, unlocked by the venue's system management
// password ("admin" in the sample venue), each closing the back office when done.
#include "Backup.h"
#include "Connection.h"
#include "Schema.h"
#include "SetupScreenTest.h"

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
    kx::db::backupForMaintenance(path);
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
    copy.open(backupFile());
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

} // namespace
