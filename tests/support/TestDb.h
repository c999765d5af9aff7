#pragma once
// A fresh database file in a temporary folder for one test.
#include "Connection.h"
#include "QtPrinters.h"
#include "Sql.h"

#include <QStringList>
#include <QTemporaryDir>

namespace kx::test {

// Runs one of the fixtures' failure-making triggers, written as the file takes them
// ("create trigger NAME before|after insert|update [of COL]|delete on TABLE [when COND] begin
// select raise(abort, 'TEXT'); end"); on a server, as the same trigger in the server's form.
void createRefusingTrigger(QSqlDatabase db, const QString& statement);

// The rows of a query as one text: the cells of a row joined by `cellSeparator`, the rows by
// `rowSeparator`, numbers written shortest (70, 1.5), NULL as empty. Reads alike on both engines.
QString joinedRows(QSqlDatabase db, const QString& sql, const QString& cellSeparator = QStringLiteral("/"),
                   const QString& rowSeparator = QStringLiteral(","));

class TempDatabase {
public:
    // The file lies at <temp>/<folder>/data/VenueData.MDB, as beside a program.
    explicit TempDatabase(const QString& folder = QStringLiteral("prog"));
    QSqlDatabase db() const { return conn_.db(); }
    kx::db::Connection& connection() { return conn_; }
    QString path() const { return conn_.path(); }
    QString programDir() const { return dir_.path() + QLatin1Char('/') + folder_; }
    // Runs each statement in turn (for fixtures).
    void run(const QStringList& statements);

private:
    QTemporaryDir dir_;
    QString folder_;
    kx::db::Connection conn_;
};

} // namespace kx::test
