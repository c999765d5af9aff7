// The maintenance backup ("back/VenueData.bak", compacted and checked) and the restore of it into
// the open database, while other connections keep the file open.
#include "Backup.h"
#include "TestServer.h"
#include "Check.h"
#include "DbTool.h"
#include "Connection.h"
#include "Schema.h"
#include "Sql.h"
#include "TestDb.h"
#include "Transaction.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTextStream>
#include <functional>
#include <gtest/gtest.h>

using kx::db::RestoreRefused;

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 0, 0));

class MaintenanceBackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        KX_FILE_ENGINE_ONLY();
        kx::db::prepareDatabase(t.db(), true, kNow.date());
        backup = kx::db::maintenanceBackupFile(t.path());
    }
    QSqlDatabase db() { return t.db(); }
    QString back() const { return t.programDir() + "/back"; }
    // What the venue holds, table by table: row counts and the stock.
    QString fingerprint(QSqlDatabase d) const {
        QStringList parts;
        for (const QString& table : kx::db::schemaTables())
            parts << table + "=" + QString::number(kx::db::scalarInt(d, "select count(*) from " + table));
        parts << "stock=" + QString::number(kx::db::scalarNumber(d, "select coalesce(sum(item_coun), 0) from itemlist"));
        return parts.join(' ');
    }
    // A connection of another program on the same file.
    std::unique_ptr<kx::db::Connection> elsewhere() {
        auto c = std::make_unique<kx::db::Connection>();
        c->open(t.path());
        return c;
    }
    // Changes the backup file through a connection of its own.
    void alterBackup(const QStringList& statements) {
        kx::db::Connection c;
        c.open(backup);
        for (const QString& s : statements)
            kx::db::exec(c.db(), s);
    }
    QString restoreCopy() const { return back() + "/VenueData-restore-20261209-100000.bak"; }

    kx::test::TempDatabase t;
    QString backup;
};

TEST_F(MaintenanceBackupTest, TheBackupIsOneCheckedCompactedFileOfTheCommittedState) {
    auto other = elsewhere();
    kx::db::Transaction open(other->db());
    kx::db::exec(other->db(), "insert into systemlog (log_oper_name, log_oper) values ('x', 'uncommitted')");
    kx::db::backupForMaintenance(t.path());
    open.rollback();

    EXPECT_EQ(backup, QDir::cleanPath(back() + "/VenueData.bak"));
    // One self-contained file: its header says rollback journal (1), not WAL (2).
    QFile file(backup);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(20);
    EXPECT_EQ(int(header[18]), 1);
    EXPECT_EQ(int(header[19]), 1);
    EXPECT_FALSE(QFile::exists(backup + "-wal"));
    EXPECT_FALSE(QFile::exists(backup + ".part"));
    // Compacted: no free pages.
    kx::db::Connection copy;
    copy.open(backup);
    EXPECT_EQ(kx::db::scalarInt(copy.db(), "PRAGMA freelist_count"), 0);
    EXPECT_EQ(kx::db::scalarText(copy.db(), "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(kx::db::schemaVersion(copy.db()), kx::db::currentSchemaVersion());
    EXPECT_EQ(fingerprint(copy.db()), fingerprint(db()));
}

TEST_F(MaintenanceBackupTest, ANewBackupReplacesTheOldOnlyWhenItIsGood) {
    kx::db::backupForMaintenance(t.path());
    kx::db::exec(db(), "delete from tablelist");
    // The partial file cannot be written: the old backup stays.
    QDir().mkpath(backup + ".part");
    EXPECT_THROW(kx::db::backupForMaintenance(t.path()), kx::DbError);
    {
        kx::db::Connection copy;
        copy.open(backup);
        EXPECT_GT(kx::db::scalarInt(copy.db(), "select count(*) from tablelist"), 0);
    }
    QDir(backup + ".part").removeRecursively();
    kx::db::backupForMaintenance(t.path());
    kx::db::Connection copy;
    copy.open(backup);
    EXPECT_EQ(kx::db::scalarInt(copy.db(), "select count(*) from tablelist"), 0);
}

TEST_F(MaintenanceBackupTest, ABackupFolderThatCannotBeMadeIsAFailure) {
    QFile plain(back());
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_THROW(kx::db::backupForMaintenance(t.path()), kx::DbError);
}

// The day end keeps its thirty dated copies; the maintenance backup and the restore's copies
// are not counted among them.
TEST_F(MaintenanceBackupTest, TheDayEndRotationCountsOnlyItsOwnCopies) {
    QDir().mkpath(back());
    for (const QString& name : {QString("VenueData.bak"), QString("VenueData-restore-20200101-000000.bak")}) {
        QFile f(back() + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    for (int day = 1; day <= 31; ++day) {
        auto copy = kx::db::startDayEndBackup(t.path(), QDate(2026, 1, day));
        kx::db::finishDayEndBackup(*copy);
    }
    const QStringList left = QDir(back()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left.size(), 32);
    EXPECT_TRUE(left.contains("VenueData.bak"));
    EXPECT_TRUE(left.contains("VenueData-restore-20200101-000000.bak"));
    EXPECT_FALSE(left.contains("VenueData-2026-01-01.bak"));
}

TEST_F(MaintenanceBackupTest, ARestoreBringsBackTheBackupAndKeepsTheDatabaseBeforeIt) {
    kx::db::backupForMaintenance(t.path());
    const QString before = fingerprint(db());
    kx::db::exec(db(), "update itemlist set item_coun = item_coun + 7 where item_code = '4001'");
    kx::db::exec(db(), "delete from tablelist where tabl_code = (select min(tabl_code) from tablelist)");
    const QString changed = fingerprint(db());

    const QString safety = kx::db::restoreDatabase(db(), backup, kNow);
    EXPECT_EQ(safety, QDir::cleanPath(restoreCopy()));
    EXPECT_EQ(fingerprint(db()), before);
    EXPECT_EQ(kx::db::scalarNumber(db(), "select item_coun from itemlist where item_code = '4001'"), 120);
    EXPECT_EQ(kx::db::scalarText(db(), "PRAGMA journal_mode"), "wal");
    const QStringList failures = kx::db::checkDatabase(db());
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
    // The rows changed after the backup are in the restore's copy.
    kx::db::Connection copy;
    copy.open(safety);
    EXPECT_EQ(fingerprint(copy.db()), changed);
    // Another connection opened afterwards sees the restored file.
    auto other = elsewhere();
    EXPECT_EQ(fingerprint(other->db()), before);
}

struct Refusal {
    const char* name;
    // Spoils the backup or the scene; told the fixture.
    std::function<void(MaintenanceBackupTest&)> spoil;
    RestoreRefused::Problem problem;
    friend void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }
};

class RestoreRefusals : public MaintenanceBackupTest, public ::testing::WithParamInterface<Refusal> {
  public:
    void write(const QByteArray& bytes) {
        QFile f(backup);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray read() const {
        QFile f(backup);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    void alter(const QStringList& statements) { alterBackup(statements); }
    QString safetyPath() const { return restoreCopy(); }
    QString file() const { return backup; }
    using MaintenanceBackupTest::elsewhere;
    // Another program in the middle of a write, until the restore is over.
    std::unique_ptr<kx::db::Connection> writer;
};

TEST_P(RestoreRefusals, LeaveTheDatabaseAsItWas) {
    kx::db::backupForMaintenance(t.path());
    kx::db::exec(db(), "update itemlist set item_coun = 1");
    GetParam().spoil(*this);
    const QString before = fingerprint(db());
    try {
        kx::db::restoreDatabase(db(), backup, kNow, 200);
        ADD_FAILURE() << "restored";
    } catch (const RestoreRefused& e) {
        EXPECT_EQ(e.problem(), GetParam().problem) << e.reason().toStdString();
    }
    EXPECT_EQ(fingerprint(db()), before);
    EXPECT_EQ(kx::db::scalarText(db(), "PRAGMA integrity_check"), "ok");
    if (writer) {
        kx::db::exec(writer->db(), "ROLLBACK");
        writer.reset();
        EXPECT_EQ(kx::db::scalarNumber(db(), "select coalesce(sum(item_coun), 0) from itemlist"), 20);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Restore, RestoreRefusals,
    ::testing::Values(
        Refusal{"NoBackup", [](MaintenanceBackupTest& t) { QFile::remove(static_cast<RestoreRefusals&>(t).file()); },
                RestoreRefused::Missing},
        Refusal{"Truncated",
                [](MaintenanceBackupTest& t) {
                    auto& r = static_cast<RestoreRefusals&>(t);
                    const QByteArray all = r.read();
                    r.write(all.left(all.size() / 2));
                },
                RestoreRefused::Foreign},
        Refusal{"AText", [](MaintenanceBackupTest& t) { static_cast<RestoreRefusals&>(t).write(QByteArray(9000, 'x')); },
                RestoreRefused::Foreign},
        Refusal{"AnotherProgramsDatabase",
                [](MaintenanceBackupTest& t) {
                    auto& r = static_cast<RestoreRefusals&>(t);
                    r.write({});
                    r.alter({"PRAGMA user_version = 2", "create table notes (id integer primary key, text varchar(9))"});
                },
                RestoreRefused::Foreign},
        Refusal{"WithoutItsSettingsRow",
                [](MaintenanceBackupTest& t) { static_cast<RestoreRefusals&>(t).alter({"delete from SetupPay"}); },
                RestoreRefused::Foreign},
        Refusal{"Newer",
                [](MaintenanceBackupTest& t) {
                    static_cast<RestoreRefusals&>(t).alter(
                        {QString("PRAGMA user_version = %1").arg(kx::db::currentSchemaVersion() + 1)});
                },
                RestoreRefused::Newer},
        Refusal{"AnotherPageSize",
                [](MaintenanceBackupTest& t) {
                    static_cast<RestoreRefusals&>(t).alter({"PRAGMA journal_mode = DELETE", "PRAGMA page_size = 8192", "VACUUM"});
                },
                RestoreRefused::Foreign},
        Refusal{"NoRoomForTheSafetyCopy",
                [](MaintenanceBackupTest& t) {
                    QDir().mkpath(static_cast<RestoreRefusals&>(t).safetyPath());
                },
                RestoreRefused::Failed},
        Refusal{"AWriterHoldsTheFile",
                [](MaintenanceBackupTest& t) {
                    auto& r = static_cast<RestoreRefusals&>(t);
                    r.writer = r.elsewhere();
                    kx::db::exec(r.writer->db(), "BEGIN IMMEDIATE");
                    kx::db::exec(r.writer->db(), "update itemlist set item_coun = 2");
                },
                RestoreRefused::Failed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MaintenanceBackupTest, AReaderKeepsItsSnapshotAndSeesTheRestoredDatabaseAfterwards) {
    kx::db::backupForMaintenance(t.path());
    kx::db::exec(db(), "delete from tablelist");
    auto reader = elsewhere();
    kx::db::exec(reader->db(), "BEGIN");
    EXPECT_EQ(kx::db::scalarInt(reader->db(), "select count(*) from tablelist"), 0);
    kx::db::restoreDatabase(db(), backup, kNow);
    EXPECT_EQ(kx::db::scalarInt(reader->db(), "select count(*) from tablelist"), 0);
    kx::db::exec(reader->db(), "COMMIT");
    EXPECT_GT(kx::db::scalarInt(reader->db(), "select count(*) from tablelist"), 0);
}

TEST_F(MaintenanceBackupTest, AnOlderBackupIsUpgradedOnceRestored) {
    kx::db::backupForMaintenance(t.path());
    alterBackup({"DROP INDEX idx_AllGuesPay_pay_flag", "PRAGMA user_version = 1"});
    kx::db::restoreDatabase(db(), backup, kNow);
    EXPECT_EQ(kx::db::schemaVersion(db()), kx::db::currentSchemaVersion());
    EXPECT_EQ(kx::db::scalarInt(db(), "select count(*) from sqlite_master where name = 'idx_AllGuesPay_pay_flag'"), 1);
}

} // namespace

namespace {

// The same backup and restore from the command line, for a venue's administrator.
TEST_F(MaintenanceBackupTest, TheToolBacksUpAndRestores) {
    QString output, errors;
    QTextStream out(&output), err(&errors);
    const QString file = t.path();
    EXPECT_EQ(kx::db::runDbTool({"restore", file}, out, err, kNow.date()), 1);
    EXPECT_TRUE(errors.contains("restore refused")) << errors.toStdString();
    EXPECT_EQ(kx::db::runDbTool({"backup", file}, out, err, kNow.date()), 0) << errors.toStdString();
    EXPECT_TRUE(QFile::exists(backup));
    kx::db::exec(db(), "delete from tablelist");
    EXPECT_EQ(kx::db::runDbTool({"restore", file}, out, err, kNow.date()), 0) << errors.toStdString();
    EXPECT_GT(kx::db::scalarInt(db(), "select count(*) from tablelist"), 0);
}

} // namespace
