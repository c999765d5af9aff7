// Backups of a venue whose database is on a PostgreSQL server: pg_dump copies under the file's
// names in the same folder, a copy that shows the moment it was started, a clear refusal when the
// tool is missing, and no restore through the programs.
#include "Backup.h"
#include "Check.h"
#include "Connection.h"
#include "DbTool.h"
#include "Errors.h"
#include "Schema.h"
#include "Sql.h"
#include "TestDb.h"
#include "TestServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 12, 11);

#define KX_SERVER_ENGINE_ONLY()                                                                   \
    do {                                                                                          \
        if (!::kx::test::onServer()) GTEST_SKIP() << "a test of a venue on a server";             \
    } while (0)

class ServerBackupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        KX_SERVER_ENGINE_ONLY();
        base = std::make_unique<kx::test::TempDatabase>();
        kx::db::prepareDatabase(db(), true, kToday);
        back = QDir(base->programDir()).absoluteFilePath(QStringLiteral("back"));
    }
    void TearDown() override {
        qunsetenv("KESTRIX_PG_DUMP");
        if (!restored.isEmpty()) {
            admin.close();
            kx::db::Connection maintenance;
            maintenance.openServer(qEnvironmentVariable("KESTRIX_TEST_SERVER"));
            kx::db::exec(maintenance.db(), QStringLiteral("DROP DATABASE IF EXISTS %1").arg(restored));
        }
    }
    QSqlDatabase db() const { return base->db(); }
    QString schema() const { return kx::db::scalarText(db(), QStringLiteral("SELECT current_schema()")); }
    qint64 items(QSqlDatabase d) const { return kx::db::scalarInt(d, QStringLiteral("SELECT count(*) FROM itemlist")); }

    // Restores `dump` with PostgreSQL's own pg_restore into a new, empty database of the test
    // server; returns the URL that reaches the venue there.
    QString restoreIntoEmptyDatabase(const QString& dump) {
        restored = QStringLiteral("kxt_restored_%1").arg(QCoreApplication::applicationPid());
        admin.openServer(qEnvironmentVariable("KESTRIX_TEST_SERVER"));
        kx::db::exec(admin.db(), QStringLiteral("DROP DATABASE IF EXISTS %1").arg(restored));
        kx::db::exec(admin.db(), QStringLiteral("CREATE DATABASE %1").arg(restored));
        QUrl url(qEnvironmentVariable("KESTRIX_TEST_SERVER"));
        url.setPath(QLatin1Char('/') + restored);
        QProcess restore;
        const QString program = QFileInfo(kx::db::pgDumpProgram()).absoluteDir().filePath(QStringLiteral("pg_restore"));
        restore.start(program, {QStringLiteral("--exit-on-error"), QStringLiteral("--no-owner"),
                                QStringLiteral("--dbname=") + url.toString(), dump});
        EXPECT_TRUE(restore.waitForFinished(60000));
        EXPECT_EQ(restore.exitCode(), 0) << restore.readAllStandardError().toStdString();
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("options"), QStringLiteral("--search_path=") + schema());
        url.setQuery(query);
        return url.toString(QUrl::FullyEncoded);
    }

    std::unique_ptr<kx::test::TempDatabase> base;
    QString back;
    QString restored;
    kx::db::Connection admin;
};

// The day end's copy shows the venue as it stood when the copy was started, whatever is written
// meanwhile, restores into an empty database with pg_restore and passes the check there.
TEST_F(ServerBackupTest, DayEndCopyIsAPgDumpOfItsMomentThatRestoresAndPassesTheCheck) {
    const qint64 before = items(db());
    auto backup = kx::db::startDayEndBackup(db(), kToday);
    kx::db::exec(db(), QStringLiteral("INSERT INTO itemlist (item_code, item_name) VALUES ('9901', 'after')"));
    kx::db::finishDayEndBackup(*backup);

    const QString file = QDir(back).filePath(QStringLiteral("VenueData-2026-12-11.bak"));
    QFile dump(file);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_EQ(dump.read(5), QByteArray("PGDMP"));
    EXPECT_EQ(QDir(back).entryList(QDir::Files), QStringList{QStringLiteral("VenueData-2026-12-11.bak")});

    const QString url = restoreIntoEmptyDatabase(file);
    kx::db::Connection copy;
    copy.openServer(url);
    EXPECT_EQ(items(copy.db()), before);
    EXPECT_EQ(kx::db::checkDatabase(copy.db()), QStringList());
    EXPECT_EQ(kx::db::schemaVersion(copy.db()), kx::db::currentSchemaVersion());
    copy.close();
    QString said, complaints;
    QTextStream out(&said), err(&complaints);
    EXPECT_EQ(kx::db::runDbTool({QStringLiteral("check"), url}, out, err, kToday), 0) << complaints.toStdString();
}

// The dated copies keep their thirty last, as on the file; the other copies are not counted.
TEST_F(ServerBackupTest, DayEndCopiesKeepTheLastThirty) {
    QDir().mkpath(back);
    for (int day = 1; day <= 30; ++day) {
        QFile old(QDir(back).filePath(QStringLiteral("VenueData-2026-11-%1.bak").arg(day, 2, 10, QLatin1Char('0'))));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    }
    QFile other(QDir(back).filePath(QStringLiteral("VenueData-init-20261101-120000.bak")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    auto backup = kx::db::startDayEndBackup(db(), kToday);
    kx::db::finishDayEndBackup(*backup);
    const QStringList left = QDir(back).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(left.size(), 31);
    EXPECT_FALSE(left.contains(QStringLiteral("VenueData-2026-11-01.bak")));
    EXPECT_TRUE(left.contains(QStringLiteral("VenueData-2026-11-02.bak")));
    EXPECT_TRUE(left.contains(QStringLiteral("VenueData-init-20261101-120000.bak")));
}

// The maintenance backup and the copies kept before initialising or clearing are pg_dump files
// of the same names; a missing pg_dump refuses at once, leaving no partial file and the previous
// backup as it was.
TEST_F(ServerBackupTest, MaintenanceAndSafetyCopiesAndAMissingTool) {
    kx::db::backupForMaintenance(db());
    const QString maintenance = QDir(back).filePath(QStringLiteral("VenueData.bak"));
    QFile made(maintenance);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    EXPECT_EQ(made.read(5), QByteArray("PGDMP"));
    const qint64 size = made.size();
    made.close();
    const QString kept =
        kx::db::keepCopyBefore(db(), QStringLiteral("init"), QDateTime(kToday, QTime(9, 30, 5)));
    EXPECT_EQ(QFileInfo(kept).fileName(), QStringLiteral("VenueData-init-20261211-093005.bak"));
    EXPECT_TRUE(QFileInfo(kept).isFile());

    qputenv("KESTRIX_PG_DUMP", "/nonexistent/pg_dump");
    try {
        kx::db::backupForMaintenance(db());
        ADD_FAILURE() << "a backup without pg_dump was reported as made";
    } catch (const kx::DbError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("pg_dump"))) << e.message().toStdString();
    }
    EXPECT_THROW(kx::db::startDayEndBackup(db(), kToday), kx::DbError);
    EXPECT_EQ(QFileInfo(maintenance).size(), size);
    EXPECT_EQ(QDir(back).entryList({QStringLiteral("*.part*")}, QDir::Files), QStringList());
}

// A restore on a server is PostgreSQL's own business: the programs refuse it before touching
// anything, and say so.
TEST_F(ServerBackupTest, RestoreIsRefusedOnAServer) {
    kx::db::backupForMaintenance(db());
    const qint64 before = items(db());
    try {
        kx::db::restoreDatabase(db(), kx::db::maintenanceBackupFile(base->path()), QDateTime(kToday, QTime(10, 0)));
        ADD_FAILURE() << "a restore on a server went ahead";
    } catch (const kx::db::RestoreRefused& e) {
        EXPECT_EQ(e.problem(), kx::db::RestoreRefused::OnServer);
        EXPECT_TRUE(e.message().contains(QStringLiteral("pg_restore")));
    }
    EXPECT_EQ(items(db()), before);
    EXPECT_EQ(QDir(back).entryList({QStringLiteral("VenueData-restore-*")}, QDir::Files), QStringList());
}

} // namespace
