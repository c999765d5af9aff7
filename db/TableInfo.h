#pragma once
// What the database says about a table's columns: names, declared kinds and sizes.
#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace kx::db {

struct ColumnInfo {
    QString name;
    QString declaredType; // as written in the schema, e.g. VARCHAR(20), DECIMAL(18,2)
    bool primaryKey = false;
    bool autoIncrement = false;
    bool notNull = false;
    bool unique = false; // a one-column UNIQUE constraint or index
    int size = 0;   // characters of a text column, 0 = no limit
    int scale = -1; // decimals of a decimal column
};

// The columns of `table`, cached per connection; empty when the table does not exist.
const std::vector<ColumnInfo>& tableColumns(QSqlDatabase db, const QString& table);
// The column that names one row of `table` for writing it back: its one-column primary key,
// else its first NOT NULL UNIQUE column, else "rowid" (a table of ours always has a key).
QString keyColumn(QSqlDatabase db, const QString& table);
// Forgets cached column lists (after the schema changes).
void clearTableInfoCache();

} // namespace kx::db
