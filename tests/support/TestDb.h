#pragma once
// A fresh database file in a temporary folder for one test.
#include "Connection.h"
#include "QtPrinters.h"
#include "Sql.h"

#include <QStringList>
#include <QTemporaryDir>

namespace kx::test {

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
