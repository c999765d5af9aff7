#include "Sql.h"

#include "Engine.h"
#include "Errors.h"
#include "Values.h"

#include <QSqlError>

namespace kx::db {

QSqlQuery run(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    QSqlQuery q(db);
    // On the server a forward-only query is read row by row from the connection, and the next
    // statement on it ends that read: a loop that writes while it reads would see only the rows
    // read so far. There the whole result is taken at once, as the file's reads allow.
    q.setForwardOnly(!isServer(db));
    const QString text = dialectSql(db, sql);
    // The server prepares only queries with values to bind; a statement without any (DDL,
    // BEGIN, SET …) goes as it is.
    if (params.isEmpty() && isServer(db)) {
        if (!q.exec(text)) throw DbError(q.lastError().text() + QStringLiteral("\n") + sql, q.lastError().nativeErrorCode());
        return q;
    }
    if (!q.prepare(text)) throw DbError(q.lastError().text() + QStringLiteral("\n") + sql, q.lastError().nativeErrorCode());
    for (const QVariant& p : params) q.addBindValue(toDbValue(p));
    if (!q.exec()) throw DbError(q.lastError().text() + QStringLiteral("\n") + sql, q.lastError().nativeErrorCode());
    return q;
}

int exec(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    QSqlQuery q = run(db, sql, params);
    return q.numRowsAffected();
}

qint64 insert(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    QSqlQuery q = run(db, sql, params);
    return q.lastInsertId().toLongLong();
}

QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    QSqlQuery q = run(db, sql, params);
    if (!q.next()) return QVariant();
    return q.value(0);
}

QString scalarText(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    const QVariant v = scalar(db, sql, params);
    return v.isNull() ? QString() : v.toString();
}

double scalarNumber(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    const QVariant v = scalar(db, sql, params);
    return v.isNull() ? 0.0 : v.toDouble();
}

qint64 scalarInt(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    const QVariant v = scalar(db, sql, params);
    return v.isNull() ? 0 : v.toLongLong();
}

bool scalarBool(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    return variantToBool(scalar(db, sql, params));
}

QDateTime scalarDateTime(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    return fromDbDateTime(scalarText(db, sql, params));
}

bool exists(QSqlDatabase db, const QString& sql, const QVariantList& params) {
    QSqlQuery q = run(db, sql, params);
    return q.next();
}

bool variantToBool(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return false;
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double: return v.toDouble() != 0.0;
    default: {
        const QString t = v.toString().trimmed().toLower();
        if (t.isEmpty() || t == QLatin1String("0") || t == QLatin1String("false")) return false;
        bool ok = false;
        const double d = t.toDouble(&ok);
        if (ok) return d != 0.0;
        return t == QLatin1String("true") || t == QLatin1String("yes");
    }
    }
}

} // namespace kx::db
