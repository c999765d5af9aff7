#include "TableInfo.h"

#include "Engine.h"
#include "Schema.h"
#include "Sql.h"

#include <QHash>
#include <QRegularExpression>

namespace kx::db {

namespace {
QHash<QString, std::vector<ColumnInfo>>& cache() {
    static QHash<QString, std::vector<ColumnInfo>> c;
    return c;
}
void readSize(ColumnInfo& c) {
    static const QRegularExpression sized(QStringLiteral("\\(\\s*(\\d+)\\s*(?:,\\s*(\\d+)\\s*)?\\)"));
    const auto m = sized.match(c.declaredType);
    const QString upper = c.declaredType.toUpper();
    if (m.hasMatch()) {
        if (upper.startsWith(QLatin1String("DECIMAL")) || upper.startsWith(QLatin1String("NUMERIC")))
            c.scale = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
        else
            c.size = m.captured(1).toInt();
    }
}

// The columns as our own CREATE TABLE statement declares them: on a server, whose catalogue
// knows only its own types, the declared kinds (BOOLEAN, DATETIME …) come from the schema in code.
std::vector<ColumnInfo> declaredColumns(const QString& table) {
    std::vector<ColumnInfo> cols;
    const QString statement = tableStatement(table);
    const int open = statement.indexOf(QLatin1Char('('));
    const int close = statement.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close <= open) return cols;
    // Column definitions are separated by commas outside parentheses.
    QStringList defs;
    int depth = 0;
    QString current;
    for (QChar ch : QStringView(statement).mid(open + 1, close - open - 1)) {
        if (ch == QLatin1Char('(')) ++depth;
        if (ch == QLatin1Char(')')) --depth;
        if (ch == QLatin1Char(',') && depth == 0) {
            defs << current;
            current.clear();
        } else {
            current += ch;
        }
    }
    defs << current;
    static const QRegularExpression def(QStringLiteral("^\\s*(\\w+)\\s+(\\w+(?:\\s*\\([\\d\\s,]+\\))?)(.*)$"),
                                        QRegularExpression::DotMatchesEverythingOption);
    int pkCount = 0;
    for (const QString& d : defs) {
        const auto m = def.match(d);
        if (!m.hasMatch()) continue;
        ColumnInfo c;
        c.name = m.captured(1);
        c.declaredType = m.captured(2).simplified();
        const QString rest = m.captured(3).toUpper();
        c.notNull = rest.contains(QLatin1String("NOT NULL"));
        c.primaryKey = rest.contains(QLatin1String("PRIMARY KEY"));
        c.unique = rest.contains(QLatin1String("UNIQUE"));
        c.autoIncrement = c.primaryKey && c.declaredType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
        if (c.primaryKey) ++pkCount;
        readSize(c);
        cols.push_back(c);
    }
    if (pkCount != 1)
        for (ColumnInfo& c : cols) c.autoIncrement = false;
    return cols;
}

// A table the schema in code does not declare, as the server's catalogue describes it, in the
// declared types of our schema (a BOOLEAN reads back as the SMALLINT it is stored as).
std::vector<ColumnInfo> serverColumns(QSqlDatabase db, const QString& table) {
    std::vector<ColumnInfo> cols;
    QSqlQuery q = run(db, QStringLiteral(
        "SELECT c.column_name, c.data_type, c.character_maximum_length, c.numeric_precision, c.numeric_scale, "
        "c.is_nullable, c.is_identity, "
        "EXISTS (SELECT 1 FROM information_schema.table_constraints t JOIN information_schema.key_column_usage k "
        "ON k.constraint_name = t.constraint_name AND k.table_schema = t.table_schema "
        "WHERE t.table_schema = c.table_schema AND t.table_name = c.table_name AND k.column_name = c.column_name "
        "AND t.constraint_type = 'PRIMARY KEY'), "
        "EXISTS (SELECT 1 FROM information_schema.table_constraints t JOIN information_schema.key_column_usage k "
        "ON k.constraint_name = t.constraint_name AND k.table_schema = t.table_schema "
        "WHERE t.table_schema = c.table_schema AND t.table_name = c.table_name AND k.column_name = c.column_name "
        "AND t.constraint_type = 'UNIQUE' AND (SELECT count(*) FROM information_schema.key_column_usage u "
        "WHERE u.constraint_name = t.constraint_name AND u.table_schema = t.table_schema) = 1) "
        ", col_description(to_regclass(quote_ident(c.table_schema) || '.' || quote_ident(c.table_name))::oid, "
        "c.ordinal_position::int) "
        "FROM information_schema.columns c WHERE c.table_schema IN (current_schema(), "
        "pg_my_temp_schema()::regnamespace::text) AND c.table_name = ? "
        "ORDER BY c.ordinal_position"), {table.toLower()});
    while (q.next()) {
        ColumnInfo c;
        c.name = q.value(0).toString();
        const QString type = q.value(1).toString();
        if (type == QLatin1String("character varying"))
            c.declaredType = QStringLiteral("VARCHAR(%1)").arg(q.value(2).toInt());
        else if (type == QLatin1String("double precision"))
            c.declaredType = QStringLiteral("DOUBLE");
        else if (type == QLatin1String("numeric"))
            c.declaredType = QStringLiteral("DECIMAL(%1,%2)").arg(q.value(3).toInt()).arg(q.value(4).toInt());
        else
            c.declaredType = type.toUpper();
        // The type the table was declared with, where its statement left it as the comment.
        if (!q.value(9).toString().isEmpty()) c.declaredType = q.value(9).toString();
        c.notNull = q.value(5).toString() == QLatin1String("NO");
        c.primaryKey = q.value(7).toBool();
        c.unique = q.value(8).toBool();
        c.autoIncrement = c.primaryKey && q.value(6).toString() == QLatin1String("YES");
        readSize(c);
        cols.push_back(c);
    }
    return cols;
}

} // namespace

const std::vector<ColumnInfo>& tableColumns(QSqlDatabase db, const QString& table) {
    const QString key = db.connectionName() + QLatin1Char('|') + db.databaseName() + QLatin1Char('|') +
                        table.toLower();
    auto it = cache().find(key);
    if (it != cache().end()) return *it;

    if (isServer(db)) {
        std::vector<ColumnInfo> declared = declaredColumns(table);
        if (declared.empty()) declared = serverColumns(db, table);
        return *cache().insert(key, std::move(declared));
    }

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
        readSize(c);
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
