#pragma once
// The two engines a venue's database may live on, and the few places their SQL differs.
//
// The embedded file (SQLite) is the default. A venue with front desks on several machines puts
// its database on a PostgreSQL server instead: the environment variable KESTRIX_DATABASE, or the
// file database.ini in the programs' data folder (beside VenueData.MDB), holds its URL
// "postgresql://user@host:port/dbname" (the password comes from ~/.pgpass or PGPASSWORD, never
// from the file). Every statement of the programs is written so that both engines accept it and
// give the same result; what cannot be written alike is asked of this header.
#include "Errors.h"

#include <QSqlDatabase>
#include <QString>

namespace kx::db {

enum class Engine { File, Server };

// The engine behind an open connection.
Engine engineOf(const QSqlDatabase& db);
inline bool isServer(const QSqlDatabase& db) { return engineOf(db) == Engine::Server; }

// The server URL that replaces the database file `databaseFile`, or empty for the file itself:
// KESTRIX_DATABASE when set (for the venue's file VenueData.MDB only), else the URL in
// database.ini beside the file. Throws DbError for a setting that is no PostgreSQL URL.
QString serverUrlFor(const QString& databaseFile);

// Where a venue's database that has no setting of its own is put (tests run the whole suite on a
// server so): given the path of a VenueData.MDB, returns the URL of a database made for it, or
// empty for the file. Without a provider, the file.
using ServerProvider = QString (*)(const QString& databaseFile);
void setServerProvider(ServerProvider provider);

// The parts of a server URL. `valid` is false for anything but postgresql:// (or postgres://).
struct ServerAddress {
    bool valid = false;
    QString host;
    int port = 5432;
    QString user;
    QString database;
    QString options; // libpq options from the query part ("sslmode=require")
};
ServerAddress parseServerUrl(const QString& url);
// The URL without any password, as shown to people ("postgresql://kx@db1:5432/venue").
QString displayUrl(const QString& url);

// ---- dialect ---------------------------------------------------------------------------

// A statement as the engine behind `db` takes it. The file takes our SQL as written. For the
// server, outside string literals: a quoted identifier of ASCII letters, digits and "_" is
// lower-cased (the server folds unquoted names to lower case, the file ignores case, so
// "TableList" and TableList name one table on both), and LIKE becomes ILIKE (ASCII letters
// match in either case, as on the file).
QString dialectSql(const QSqlDatabase& db, const QString& sql);
QString dialectSql(Engine engine, const QString& sql);

// LIKE that matches ASCII letters in either case, as SQLite's LIKE does ("ILIKE" on the server).
QString likeOperator(const QSqlDatabase& db);
// Appended to a SELECT inside a write transaction that reads a row it will change from what it
// read (" FOR UPDATE" on the server; the file's write lock already holds the whole database).
QString forUpdate(const QSqlDatabase& db);

// A number that moves when other programs commit changes to the tables or the visits: on the
// file, SQLite's data_version (other connections' commits only); on the server, a counter that
// the statements on TableList and TableGuestlist raise in their own transaction (this program's
// own changes move it too).
qint64 boardChangeMark(const QSqlDatabase& db);

// Whether a refused statement was refused for a duplicate key (a unique or primary key already
// taken), on either engine.
bool isDuplicateKey(const DbError& error);

// The server's own objects beside our tables: the change counter and its triggers.
QStringList serverExtrasDdl();

} // namespace kx::db
