#include "TestServer.h"

#include "Backup.h"
#include "Connection.h"
#include "Engine.h"
#include "Errors.h"
#include "Sql.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace kx::test {

namespace {

QString adminUrl() { return qEnvironmentVariable("KESTRIX_TEST_SERVER"); }

QStringList& created() {
    static QStringList names;
    return names;
}

QStringList& createdDatabases() {
    static QStringList names;
    return names;
}

// A connection to the maintenance database, for making and dropping the tests' databases.
db::Connection& admin() {
    static db::Connection c;
    if (!c.isOpen()) c.openServer(adminUrl());
    return c;
}

QString provide(const QString& databaseFile) {
    static int counter = 0;
    // A schema of its own in the maintenance database: made and dropped in a moment, where a
    // database of its own takes the server a checkpoint.
    const QString name =
        QStringLiteral("kxt_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    db::exec(admin().db(), QStringLiteral("CREATE SCHEMA %1").arg(name));
    created() << name;
    QUrl url(adminUrl());
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("options"), QStringLiteral("--search_path=") + name);
    url.setQuery(query);
    const QString text = url.toString(QUrl::FullyEncoded);
    QDir().mkpath(QFileInfo(databaseFile).absolutePath());
    QFile ini(QFileInfo(databaseFile).absoluteDir().filePath(QStringLiteral("database.ini")));
    if (ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) ini.write((QStringLiteral("url=") + text + '\n').toUtf8());
    return text;
}

// Drops the databases a test made once it has ended (its fixtures closed their connections).
class DropDatabases : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (const QString& name : created()) {
            try {
                db::exec(admin().db(), QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(name));
            } catch (const DbError&) {
            }
        }
        created().clear();
        for (const QString& name : createdDatabases()) {
            try {
                db::exec(admin().db(), QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
            } catch (const DbError&) {
            }
        }
        createdDatabases().clear();
    }
    // Closed while the application is still there.
    void OnTestProgramEnd(const ::testing::UnitTest&) override { admin().close(); }
};

} // namespace

bool onServer() { return !adminUrl().isEmpty(); }

void openBackupCopy(db::Connection& into, const QString& backupFile, QSqlDatabase live) {
    if (!onServer()) {
        into.open(backupFile);
        return;
    }
    static int counter = 0;
    const QString schema = db::scalarText(live, QStringLiteral("SELECT current_schema()"));
    const QString name = QStringLiteral("kxt_copy_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    db::exec(admin().db(), QStringLiteral("CREATE DATABASE %1").arg(name));
    createdDatabases() << name;
    QUrl url(adminUrl());
    url.setPath(QLatin1Char('/') + name);
    QProcess restore;
    restore.start(QFileInfo(db::pgDumpProgram()).absoluteDir().filePath(QStringLiteral("pg_restore")),
                  {QStringLiteral("--no-owner"), QStringLiteral("--exit-on-error"),
                   QStringLiteral("--dbname=") + url.toString(), backupFile});
    if (!restore.waitForFinished(120000) || restore.exitStatus() != QProcess::NormalExit || restore.exitCode() != 0)
        throw DbError(QStringLiteral("pg_restore %1: %2").arg(backupFile, QString::fromLocal8Bit(restore.readAllStandardError())));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("options"), QStringLiteral("--search_path=") + schema);
    url.setQuery(query);
    into.openServer(url.toString(QUrl::FullyEncoded));
}

void setUpTestServer() {
    if (!onServer()) return;
    db::setServerProvider(&provide);
    ::testing::UnitTest::GetInstance()->listeners().Append(new DropDatabases);
}

} // namespace kx::test
