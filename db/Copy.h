#pragma once
// Moves a venue's whole database from one engine to the other (the file to a server, or back):
// every row of every table of ours, in one transaction on the target.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

namespace kx::db {

struct CopyReport {
    QStringList tables;     // in the order copied
    QList<qint64> rows;     // rows copied per table
};

// Copies `from` (a database of the current schema version) into `to`, which must hold no tables
// of ours: the schema is made there first. Counters go on after the highest key copied. Throws
// DbError and leaves `to` as it was on any failure. `progress` (optional) hears each table.
CopyReport copyDatabase(QSqlDatabase from, QSqlDatabase to,
                        const std::function<void(const QString& table, qint64 rows)>& progress = {});

// Row count and the sum of every numeric column per table, as "table: n rows, column=sum …", in a
// form that reads alike on both engines: what a copy is checked by.
QStringList tableFigures(QSqlDatabase db);

} // namespace kx::db
