#include "TableInfo.h"

#include "Sql.h"

#include <QHash>
#include <QRegularExpression>

namespace kx::db {

namespace {
QHash<QString, std::vector<ColumnInfo>>& cache() {
    static QHash<QString, std::vector<ColumnInfo>> c;
    return c;
}
} // namespace

const std::vector<ColumnInfo>& tableColumns(QSqlDatabase db, const QString& table) {
    const QString key = db.connectionName() + QLatin1Char('|') + db.databaseName() + QLatin1Char('|') +
                        table.toLower();
    auto it = cache().find(key);
    if (it != cache().end()) return *it;

    std::vector<ColumnInfo> cols;
    QString safe = table;
    safe.remove(QLatin1Char('"'));
    QSqlQuery q = run(db, QStringLiteral("PRAGMA table_info(\"%1\")").arg(safe));
    int pkCount = 0;
    while (q.next()) {
        ColumnInfo c;
        c.name = q.value(1).toString();
        c.declaredType = q.value(2).toString().trimmed();
        c.notNull = q.value(3).toInt() != 0;
        c.primaryKey = q.value(5).toInt() > 0;
        if (c.primaryKey) ++pkCount;
        static const QRegularExpression sized(QStringLiteral("\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\)"));
        const auto m = sized.match(c.declaredType);
        const QString upper = c.declaredType.toUpper();
        if (m.hasMatch()) {
            if (upper.startsWith(QLatin1String("DECIMAL")) || upper.startsWith(QLatin1String("NUMERIC")))
                c.scale = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
            else
                c.size = m.captured(1).toInt();
        }
        cols.push_back(c);
    }
    q.finish();
    // One-column unique indexes (UNIQUE constraints among them) make a column unique.
    QStringList uniqueIndexes;
    QSqlQuery idx = run(db, QStringLiteral("PRAGMA index_list(\"%1\")").arg(safe));
    while (idx.next())
        if (idx.value(2).toInt() != 0) uniqueIndexes << idx.value(1).toString();
    idx.finish();
    for (const QString& index : uniqueIndexes) {
        QString safeIndex = index;
        safeIndex.remove(QLatin1Char('"'));
        QSqlQuery info = run(db, QStringLiteral("PRAGMA index_info(\"%1\")").arg(safeIndex));
        QStringList names;
        while (info.next()) names << info.value(2).toString();
        if (names.size() != 1) continue;
        for (ColumnInfo& c : cols)
            if (c.name.compare(names.front(), Qt::CaseInsensitive) == 0) c.unique = true;
    }
    // A single INTEGER PRIMARY KEY is the rowid: the counter of the table.
    if (pkCount == 1) {
        for (ColumnInfo& c : cols)
            if (c.primaryKey && c.declaredType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                c.autoIncrement = true;
    }
    return *cache().insert(key, std::move(cols));
}

QString keyColumn(QSqlDatabase db, const QString& table) {
    const std::vector<ColumnInfo>& cols = tableColumns(db, table);
    const ColumnInfo* primary = nullptr;
    int primaryCount = 0;
    for (const ColumnInfo& c : cols)
        if (c.primaryKey) {
            primary = &c;
            ++primaryCount;
        }
    if (primaryCount == 1) return primary->name;
    if (primaryCount == 0)
        for (const ColumnInfo& c : cols)
            if (c.unique && c.notNull) return c.name;
    return QStringLiteral("rowid");
}

void clearTableInfoCache() { cache().clear(); }

} // namespace kx::db
