#pragma once
// Commands and scalar queries. Every value is bound (`?` placeholders), never spliced into
// the text; only fixed pieces of our own code (table and column names) are ever joined in.
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace kx::db {

// Prepares and runs one statement; throws DbError when the database refuses it.
QSqlQuery run(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
// Runs one INSERT, UPDATE or DELETE; returns the number of rows it touched.
int exec(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
// Runs one INSERT; returns the new row's rowid (its counter key, where it has one).
qint64 insert(QSqlDatabase db, const QString& sql, const QVariantList& params = {});

// Scalar queries: the first column of the first row. A missing row (or NULL, as a sum over
// no rows gives) reads as empty text, 0 or false.
QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
QString scalarText(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
double scalarNumber(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
qint64 scalarInt(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
bool scalarBool(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
QDateTime scalarDateTime(QSqlDatabase db, const QString& sql, const QVariantList& params = {});
bool exists(QSqlDatabase db, const QString& sql, const QVariantList& params = {});

// How a stored value reads as a boolean: 0/1, Jet's -1, and the words true/false.
bool variantToBool(const QVariant& v);

} // namespace kx::db
