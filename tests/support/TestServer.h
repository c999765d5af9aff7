#pragma once
// The whole suite runs on a PostgreSQL server when KESTRIX_TEST_SERVER holds the URL of a
// server's maintenance database (make test-pg): every venue database a test opens without a
// setting of its own gets a fresh schema of the server's database, named in a database.ini beside
// it (so other processes of the test find it too), and dropped when the test ends.
#include "Connection.h"

#include <QSqlDatabase>
#include <QString>

namespace kx::test {

// Whether this run works on a server.
bool onServer();

// Opens a backup the programs wrote of the venue `live` as a database of its own: on the file,
// the copy itself; on a server, its pg_dump restored by pg_restore into a new database of the
// test server (dropped when the test ends). Throws DbError when it cannot.
void openBackupCopy(db::Connection& into, const QString& backupFile, QSqlDatabase live);
// Installs the provider and the clean-up when KESTRIX_TEST_SERVER is set.
void setUpTestServer();

} // namespace kx::test

// For a test of the file itself (its bytes, SQLite's own interface, file copies): skipped on a
// server, where the same behaviour is tested through the server's own means or does not exist.
#define KX_FILE_ENGINE_ONLY()                                                                     \
    do {                                                                                          \
        if (::kx::test::onServer()) GTEST_SKIP() << "a test of the database file";               \
    } while (0)
