#include "Copy.h"

#include "Engine.h"
#include "Errors.h"
#include "Schema.h"
#include "Sql.h"
#include "TableInfo.h"
#include "Transaction.h"
#include "Values.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kx::db {

namespace {

bool isNumeric(const ColumnInfo& c) {
    const QString t = c.declaredType.toUpper();
    return t.startsWith(QLatin1String("INTEGER")) || t.startsWith(QLatin1String("SMALLINT")) ||
           t.startsWith(QLatin1String("DOUBLE")) || t.startsWith(QLatin1String("DECIMAL")) ||
           t.startsWith(QLatin1String("NUMERIC")) || t.startsWith(QLatin1String("BOOLEAN"));
}

QString keyOrder(QSqlDatabase db, const QString& table) {
    const QString key = keyColumn(db, table);
    return key == QLatin1String("rowid") ? QString() : QStringLiteral(" ORDER BY \"%1\"").arg(key);
}

} // namespace

CopyReport copyDatabase(QSqlDatabase from, QSqlDatabase to,
                        const std::function<void(const QString&, qint64)>& progress) {
    if (schemaVersion(from) != currentSchemaVersion())
        throw DbError(QStringLiteral("源数据库的版本（%1）不是本程序的版本（%2）：请先用本程序打开它一次。")
                          .arg(schemaVersion(from))
                          .arg(currentSchemaVersion()));
    if (hasTables(to)) throw DbError(QStringLiteral("目标数据库里已经有营业数据，不能复制到这里。"));
    CopyReport report;
    Transaction tx(to);
    createSchema(to);
    for (const QString& table : schemaTables()) {
        const std::vector<ColumnInfo>& cols = tableColumns(from, table);
        QStringList names;
        for (const ColumnInfo& c : cols) names << QStringLiteral("\"%1\"").arg(c.name);
        // The rows the schema made in the new database (none but the fixed ones) give way.
        exec(to, QStringLiteral("DELETE FROM \"%1\"").arg(table));
        QSqlQuery rows = run(from, QStringLiteral("SELECT %1 FROM \"%2\"%3")
                                       .arg(names.join(QLatin1Char(',')), table, keyOrder(from, table)));
        const int width = int(names.size());
        // One statement prepared per table and run again for each batch: rows in hundreds to the
        // server (a round trip each), one by one into the file (SQLite reads many placeholders
        // slowly and has no round trip to save).
        const int batch = isServer(to) ? 200 : 1;
        const QString one = QStringLiteral("(") + QStringList(width, QStringLiteral("?")).join(QLatin1Char(',')) +
                            QStringLiteral(")");
        const QString head = QStringLiteral("INSERT INTO \"%1\" (%2) VALUES ").arg(table, names.join(QLatin1Char(',')));
        const QString full = head + QStringList(batch, one).join(QLatin1Char(','));
        QSqlQuery insert(to);
        if (!insert.prepare(dialectSql(to, full)))
            throw DbError(insert.lastError().text() + QLatin1Char('\n') + full, insert.lastError().nativeErrorCode());
        QVariantList values;
        int pending = 0;
        qint64 copied = 0;
        auto flush = [&] {
            if (pending == 0) return;
            if (pending == batch) {
                for (int i = 0; i < int(values.size()); ++i) insert.bindValue(i, toDbValue(values[i]));
                if (!insert.exec())
                    throw DbError(insert.lastError().text() + QLatin1Char('\n') + full,
                                  insert.lastError().nativeErrorCode());
            } else {
                exec(to, head + QStringList(pending, one).join(QLatin1Char(',')), values);
            }
            copied += pending;
            values.clear();
            pending = 0;
        };
        while (rows.next()) {
            for (int c = 0; c < width; ++c) values << rows.value(c);
            if (++pending == batch) flush();
        }
        flush();
        // A counter goes on after the highest key copied.
        for (const ColumnInfo& c : cols) {
            if (!c.autoIncrement || !isServer(to)) continue;
            run(to, QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), COALESCE((SELECT max(\"%2\") "
                                   "FROM \"%1\"), 0) + 1, false)")
                        .arg(table.toLower(), c.name.toLower()));
        }
        report.tables << table;
        report.rows << copied;
        if (progress) progress(table, copied);
    }
    tx.commit();
    return report;
}

QStringList tableFigures(QSqlDatabase db) {
    QStringList out;
    for (const QString& table : schemaTables()) {
        QStringList sums;
        QStringList numeric;
        for (const ColumnInfo& c : tableColumns(db, table))
            if (isNumeric(c)) {
                numeric << c.name;
                sums << QStringLiteral("COALESCE(SUM(\"%1\"), 0)").arg(c.name);
            }
        QSqlQuery q = run(db, QStringLiteral("SELECT count(*)%1 FROM \"%2\"")
                                  .arg(sums.isEmpty() ? QString() : QStringLiteral(", ") + sums.join(QLatin1Char(',')), table));
        q.next();
        QString line = QStringLiteral("%1: %2 rows").arg(table).arg(q.value(0).toLongLong());
        for (int i = 0; i < numeric.size(); ++i)
            line += QStringLiteral(", %1=%2").arg(numeric[i], QString::number(q.value(i + 1).toDouble(), 'f', 4));
        out << line;
    }
    return out;
}

} // namespace kx::db
