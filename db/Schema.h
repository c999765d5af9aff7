#pragma once
// The database schema in code: every table, index and view, its version, and the way a file
// is brought to the current version.
#include "Errors.h"

#include <QDate>
#include <QSqlDatabase>
#include <QStringList>

#include <functional>
#include <vector>

namespace kx::db {

// The version this program writes into PRAGMA user_version.
int currentSchemaVersion();

// Creates every table, index and view of the current version and stamps the version.
// Expects a file without our tables.
void createSchema(QSqlDatabase db);

// Brings the file to the current version: an empty file (version 0, no tables) gets the whole
// schema; an older file runs the upgrade steps in order, each in its own transaction, keeping
// every row. Throws DbError for a file of a newer version or a foreign file.
void upgradeSchema(QSqlDatabase db);

// What every program calls right after opening its connection: a file without tables gets the
// schema and the initial data (and the sample venue when `withSample`), all in one transaction;
// any other file is upgraded. `today` is the business date a new file starts with.
void prepareDatabase(QSqlDatabase db, bool withSample, const QDate& today);
// The same, with today's date from the system clock (for tools without the program clock).
void prepareDatabase(QSqlDatabase db, bool withSample);

// A file that is there but is no usable database of this system. Nothing in it was changed.
class VenueFileRefused : public DbError {
  public:
    VenueFileRefused(const QString& path, const QString& problem, const QString& advice)
        : DbError(QStringLiteral("数据库文件 %1 %2，程序没有改动它。\n%3").arg(path, problem, advice)),
          problem_(problem) {}
    // What is wrong, in a manager's words ("是空文件（0 字节）").
    QString problem() const { return problem_; }

  private:
    QString problem_;
};

// What makes the existing file at `path` unusable as a venue's database, decided by reading it
// only (it is never switched to WAL or otherwise touched): an empty file, not a database, a
// damaged or truncated one, another program's database, one of a newer version, a missing
// settings row. Throws VenueFileRefused; returns quietly for a usable file.
void checkVenueFile(const QString& path);

class Connection;
// Opens a program's connection on `path`: a file not there yet is made with the schema and the
// sample venue, so a new installation can work at once; any other file is checked first
// (checkVenueFile) and then brought up to date. A new database is made only where no file is.
void openVenueDatabase(Connection& connection, const QString& path, const QDate& today);

// The names of our tables, in creation order, and the two views.
QStringList schemaTables();
QStringList schemaViews();

// A CREATE TABLE statement written as our schema writes them (the file's types: VARCHAR(n),
// INTEGER, SMALLINT, DOUBLE, DECIMAL(p,s), BOOLEAN, DATETIME, INTEGER PRIMARY KEY AUTOINCREMENT)
// in the form the engine behind `db` takes.
QString tableDdl(QSqlDatabase db, const QString& statement);

// Our CREATE TABLE statement of `table` (in the file's dialect), or empty for no table of ours.
QString tableStatement(const QString& table);

// Whether the file holds any table (sqlite's own bookkeeping tables aside).
bool hasTables(QSqlDatabase db);
// The schema version: PRAGMA user_version of the file, the one row of kx_schema_version on a
// server (0 when there is none).
int schemaVersion(QSqlDatabase db);

// One upgrade step: brings a file from version toVersion - 1 to toVersion, keeping every row.
struct SchemaStep {
    int toVersion;
    std::function<void(QSqlDatabase)> apply;
};
// Runs the steps from the file's version up to `target`, each in its own transaction that
// also stamps the new version; creates the schema on an empty file at version 0.
void runUpgradeSteps(QSqlDatabase db, const std::vector<SchemaStep>& steps, int target);

} // namespace kx::db
