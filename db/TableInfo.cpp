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
    // A single INTEGER PRIMARY KEY is the rowid: the counter of the table.
    if (pkCount == 1) {
        for (ColumnInfo& c : cols)
            if (c.primaryKey && c.declaredType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
                c.autoIncrement = true;
    }
    return *cache().insert(key, std::move(cols));
}

void clearTableInfoCache() { cache().clear(); }

} // namespace kx::db
