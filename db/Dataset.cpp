#include "Dataset.h"

#include "Engine.h"

#include "Sql.h"
#include "TableInfo.h"
#include "Transaction.h"
#include "Values.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <optional>

namespace kx::db {

namespace {

const QString kKeyAlias = QStringLiteral("__kx_key");

FieldKind kindFromDeclared(const ColumnInfo& c) {
    const QString t = c.declaredType.toUpper();
    if (c.autoIncrement) return FieldKind::AutoInc;
    if (t.startsWith(QLatin1String("SMALLINT")) || t.startsWith(QLatin1String("TINYINT"))) return FieldKind::SmallInt;
    if (t.contains(QLatin1String("INT"))) return FieldKind::Integer;
    if (t.startsWith(QLatin1String("DECIMAL")) || t.startsWith(QLatin1String("NUMERIC"))) return FieldKind::Decimal;
    if (t.startsWith(QLatin1String("DOUBLE")) || t.startsWith(QLatin1String("REAL")) ||
        t.startsWith(QLatin1String("FLOAT")) || t.startsWith(QLatin1String("CURRENCY")))
        return FieldKind::Float;
    if (t.startsWith(QLatin1String("BOOL")) || t == QLatin1String("BIT") || t == QLatin1String("YESNO"))
        return FieldKind::Boolean;
    if (t.startsWith(QLatin1String("DATE")) || t.startsWith(QLatin1String("TIME"))) return FieldKind::DateTime;
    return FieldKind::String;
}

FieldKind kindFromValue(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: return FieldKind::Integer;
    case QMetaType::Double: return FieldKind::Float;
    default: return FieldKind::String;
    }
}

bool isNumeric(FieldKind k) {
    return k == FieldKind::Integer || k == FieldKind::SmallInt || k == FieldKind::Float ||
           k == FieldKind::Decimal || k == FieldKind::AutoInc;
}

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

// Exact comparison of two values already converted to one field kind.
bool sameValue(const QVariant& a, const QVariant& b) {
    if (isNull(a) || isNull(b)) return isNull(a) && isNull(b);
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString) return a.toString() == b.toString();
    if (a.typeId() == QMetaType::QDateTime) return a.toDateTime() == b.toDateTime();
    if (a.typeId() == QMetaType::Bool) return a.toBool() == b.toBool();
    return a.toDouble() == b.toDouble();
}

// Whether a value read again from the database is still the one this copy read. An empty
// text and no text are one to the cashier (a cleared edit may store either).
bool sameStored(const FieldDef& def, const QVariant& now, const QVariant& was) {
    if (def.kind == FieldKind::String && now.toString().isEmpty() && was.toString().isEmpty()) return true;
    return sameValue(now, was) && isNull(now) == isNull(was);
}

// A key's text for the lookup index: numbers in one normal form, texts as they stand.
QString keyText(const QVariant& v) {
    if (isNull(v)) return QString();
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDateTime: return toDbDateTime(v.toDateTime());
    default: return v.toString();
    }
}

// A set of keys compared as keyText compares them, without formatting whole numbers as text:
// rows of a large table are matched against a few keys without a string made for each row.
class KeySet {
public:
    void insert(const QVariant& v) {
        qlonglong n = 0;
        if (whole(v, &n)) ints_.insert(n);
        else texts_.insert(keyText(v));
    }
    bool contains(const QVariant& v) const {
        qlonglong n = 0;
        if (whole(v, &n)) return ints_.contains(n);
        return !texts_.isEmpty() && texts_.contains(keyText(v));
    }

private:
    static bool whole(const QVariant& v, qlonglong* n) {
        if (isNull(v)) return false;
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong: *n = v.toLongLong(); return true;
        case QMetaType::Double: {
            const double d = v.toDouble();
            if (d != std::floor(d) || std::fabs(d) > 1e15) return false;
            *n = qlonglong(d);
            return true;
        }
        default: return false;
        }
    }
    QSet<qlonglong> ints_;
    QSet<QString> texts_;
};

// The position of a keyword at paren depth 0 outside quotes, or -1.
int findTopLevel(const QString& sql, const QString& keyword, int from = 0) {
    int depth = 0;
    QChar quote;
    const int n = sql.size();
    const int k = keyword.size();
    for (int i = from; i < n; ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            quote = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            continue;
        }
        if (c == QLatin1Char('(')) ++depth;
        else if (c == QLatin1Char(')')) --depth;
        else if (depth == 0 && i + k <= n && sql.mid(i, k).compare(keyword, Qt::CaseInsensitive) == 0) {
            const bool startOk = i == 0 || !(sql[i - 1].isLetterOrNumber() || sql[i - 1] == QLatin1Char('_'));
            const bool endOk = i + k == n || !(sql[i + k].isLetterOrNumber() || sql[i + k] == QLatin1Char('_'));
            if (startOk && endOk) return i;
        }
    }
    return -1;
}

QString readIdentifier(const QString& s, int& i) {
    while (i < s.size() && s[i].isSpace()) ++i;
    if (i >= s.size()) return QString();
    QChar close;
    if (s[i] == QLatin1Char('[')) close = QLatin1Char(']');
    else if (s[i] == QLatin1Char('"')) close = QLatin1Char('"');
    if (!close.isNull()) {
        const int end = s.indexOf(close, i + 1);
        if (end < 0) return QString();
        const QString id = s.mid(i + 1, end - i - 1);
        i = end + 1;
        return id;
    }
    const int start = i;
    while (i < s.size() && (s[i].isLetterOrNumber() || s[i] == QLatin1Char('_'))) ++i;
    return s.mid(start, i - start);
}

const QStringList& clauseWords() {
    static const QStringList words = {"where", "order", "group", "having", "limit", "left", "right", "inner",
                                      "outer", "cross", "join", "natural", "union", "on", "using", "window"};
    return words;
}

} // namespace

// ---------------------------------------------------------------- Field

const QString& Field::name() const { return ds_->fields_[size_t(index_)].name; }
FieldKind Field::kind() const { return ds_->fields_[size_t(index_)].kind; }
int Field::size() const { return ds_->fields_[size_t(index_)].size; }
QVariant Field::value() const { return ds_->read(index_); }
bool Field::isNull() const { return kx::db::isNull(value()); }
QString Field::asString() const { return Dataset::toText(ds_->fields_[size_t(index_)], value()); }

qint64 Field::asInt() const {
    const QVariant v = value();
    if (kx::db::isNull(v)) return 0;
    if (v.typeId() == QMetaType::Double) return qint64(roundHalfEven(v.toDouble()));
    if (v.typeId() == QMetaType::QString) return qint64(roundHalfEven(parseNumber(v.toString())));
    return v.toLongLong();
}

double Field::asFloat() const {
    const QVariant v = value();
    if (kx::db::isNull(v)) return 0.0;
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? 1.0 : 0.0;
    if (v.typeId() == QMetaType::QString) return parseNumber(v.toString());
    return v.toDouble();
}

bool Field::asBool() const { return variantToBool(value()); }

QDateTime Field::asDateTime() const {
    const QVariant v = value();
    if (kx::db::isNull(v)) return QDateTime();
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
    return fromDbDateTime(v.toString());
}

QVariant Field::oldValue() const { return ds_->oldValue(index_); }
void Field::setValue(const QVariant& v) { ds_->write(index_, v); }
void Field::setAsString(const QString& text) { ds_->write(index_, text); }

// ---------------------------------------------------------------- conversion

QVariant Dataset::convert(const FieldDef& def, const QVariant& v) {
    if (isNull(v)) return QVariant();
    const bool isText = v.typeId() == QMetaType::QString;
    switch (def.kind) {
    case FieldKind::String: {
        QString s;
        if (v.typeId() == QMetaType::QDateTime) s = toDbDateTime(v.toDateTime());
        else if (v.typeId() == QMetaType::Double) s = QString::number(v.toDouble(), 'g', 15);
        else s = v.toString();
        if (def.size > 0 && s.size() > def.size) s.truncate(def.size);
        return s;
    }
    case FieldKind::Integer:
    case FieldKind::SmallInt:
    case FieldKind::AutoInc: {
        if (isText && v.toString().trimmed().isEmpty()) return QVariant();
        if (v.typeId() == QMetaType::Bool) return qint64(v.toBool() ? 1 : 0);
        const double d = isText ? parseNumber(v.toString()) : v.toDouble();
        return qint64(roundHalfEven(d));
    }
    case FieldKind::Float: {
        if (isText && v.toString().trimmed().isEmpty()) return QVariant();
        if (v.typeId() == QMetaType::Bool) return v.toBool() ? 1.0 : 0.0;
        return isText ? parseNumber(v.toString()) : v.toDouble();
    }
    case FieldKind::Decimal: {
        if (isText && v.toString().trimmed().isEmpty()) return QVariant();
        const double d = isText ? parseNumber(v.toString()) : v.toDouble();
        return def.scale >= 0 ? roundHalfEven(d, def.scale) : d;
    }
    case FieldKind::Boolean: return variantToBool(v);
    case FieldKind::DateTime: {
        if (v.typeId() == QMetaType::QDateTime) {
            QDateTime dt = v.toDateTime();
            const QTime t = dt.time();
            // Setting the time resolves the local offset again: only when there are milliseconds to drop.
            if (t.msec() != 0) dt.setTime(QTime(t.hour(), t.minute(), t.second()));
            return dt;
        }
        if (v.typeId() == QMetaType::QDate) return QDateTime(v.toDate(), QTime(0, 0));
        const QString s = v.toString();
        if (QStringView(s).trimmed().isEmpty()) return QVariant();
        return parseDateTime(s);
    }
    }
    return v;
}

QString Dataset::toText(const FieldDef& def, const QVariant& v) {
    if (isNull(v)) return QString();
    switch (def.kind) {
    case FieldKind::Boolean: return variantToBool(v) ? QStringLiteral("True") : QStringLiteral("False");
    case FieldKind::DateTime: {
        const QDateTime dt = v.typeId() == QMetaType::QDateTime ? v.toDateTime() : fromDbDateTime(v.toString());
        if (!dt.isValid()) return v.toString();
        // A date-time at midnight shows as its date alone.
        if (dt.time() == QTime(0, 0)) return showDate(dt.date());
        return showDateTime(dt);
    }
    case FieldKind::Float:
    case FieldKind::Decimal:
        if (v.typeId() == QMetaType::QString) return v.toString();
        return QString::number(v.toDouble(), 'g', 15);
    default: return v.toString();
    }
}

// ---------------------------------------------------------------- life

Dataset::Dataset(QSqlDatabase db, const QString& name, const QString& sql, QObject* parent)
    : QObject(parent), db_(db), sql_(sql) {
    setObjectName(name);
}

Dataset::~Dataset() = default;

void Dataset::setSql(const QString& sql, const QVariantList& params) {
    close();
    sql_ = sql;
    params_ = params;
}

QString Dataset::rewriteForKey(const QString& sql, QString* base) const {
    base->clear();
    const QString trimmed = sql.trimmed();
    if (!trimmed.startsWith(QLatin1String("select"), Qt::CaseInsensitive)) return sql;
    if (findTopLevel(trimmed, QStringLiteral("union")) >= 0 || findTopLevel(trimmed, QStringLiteral("group")) >= 0 ||
        findTopLevel(trimmed, QStringLiteral("distinct")) >= 0)
        return sql;
    const int from = findTopLevel(trimmed, QStringLiteral("from"));
    if (from < 0) return sql;
    // A select of sums or counts over the table is one row of figures, not a row of it.
    static const QRegularExpression aggregate(QStringLiteral("\\b(sum|count|min|max|avg)\\s*\\("),
                                              QRegularExpression::CaseInsensitiveOption);
    if (aggregate.match(trimmed.left(from)).hasMatch()) return sql;
    int i = from + 4;
    while (i < trimmed.size() && trimmed[i].isSpace()) ++i;
    if (i < trimmed.size() && trimmed[i] == QLatin1Char('(')) return sql; // derived table
    const QString table = readIdentifier(trimmed, i);
    if (table.isEmpty()) return sql;
    QString alias = table;
    int j = i;
    QString next = readIdentifier(trimmed, j);
    if (next.compare(QLatin1String("as"), Qt::CaseInsensitive) == 0) {
        alias = readIdentifier(trimmed, j);
        i = j;
    } else if (!next.isEmpty() && !clauseWords().contains(next.toLower())) {
        alias = next;
        i = j;
    }
    // Anything but the end or a clause after the table means a join: read-only.
    int k = i;
    while (k < trimmed.size() && trimmed[k].isSpace()) ++k;
    if (k < trimmed.size()) {
        if (trimmed[k] == QLatin1Char(',') || trimmed[k] == QLatin1Char(';')) {
            if (trimmed[k] == QLatin1Char(',')) return sql;
        } else {
            int m = k;
            const QString word = readIdentifier(trimmed, m).toLower();
            if (word != QLatin1String("where") && word != QLatin1String("order") && word != QLatin1String("limit"))
                return sql;
        }
    }
    if (tableColumns(db_, table).empty()) return sql;
    const QString key = keyColumn(db_, table);
    // The server has no rowid: a table or view without a key of its own is read only there.
    if (key == QLatin1String("rowid") && isServer(db_)) return sql;
    *base = table;
    // "select" is six letters; the key goes first so every other column keeps its name.
    const QString keyRef = key == QLatin1String("rowid") ? key : QStringLiteral("\"%1\"").arg(key);
    return QStringLiteral("SELECT \"%1\".%2 AS %3, ").arg(alias, keyRef, kKeyAlias) + trimmed.mid(6).trimmed();
}

void Dataset::buildFields(const QSqlRecord& rec, int keyColumnIndex) {
    fields_.clear();
    fieldByName_.clear();
    const std::vector<ColumnInfo>* cols = baseTable_.isEmpty() ? nullptr : &tableColumns(db_, baseTable_);
    for (int c = 0; c < rec.count(); ++c) {
        if (c == keyColumnIndex) continue;
        FieldDef def;
        def.name = rec.fieldName(c);
        def.role = FieldRole::Data;
        bool found = false;
        if (cols) {
            for (const ColumnInfo& col : *cols) {
                if (col.name.compare(def.name, Qt::CaseInsensitive) == 0) {
                    def.kind = kindFromDeclared(col);
                    def.size = col.size;
                    def.scale = col.scale;
                    def.writable = true;
                    def.baseColumn = col.name;
                    found = true;
                    break;
                }
            }
        }
        if (!found) def.kind = FieldKind::String; // settled from the first value below
        fields_.push_back(def);
    }
    for (const FieldDef& extra : extraFields_) fields_.push_back(extra);
    for (int i = 0; i < int(fields_.size()); ++i) {
        const QString key = fields_[size_t(i)].name.toLower();
        if (!fieldByName_.contains(key)) fieldByName_.insert(key, i);
    }
}

void Dataset::open() {
    if (active()) return;
    if (beforeOpen) beforeOpen(*this);
    QString base;
    const QString effective = rewriteForKey(sql_, &base);
    baseTable_ = base;
    keyColumn_ = base.isEmpty() ? QString() : keyColumn(db_, base);
    QSqlQuery q = run(db_, effective, params_);

    const QSqlRecord rec = q.record();
    const int keyColumnIndex = baseTable_.isEmpty() ? -1 : rec.indexOf(kKeyAlias);
    buildFields(rec, keyColumnIndex);
    const int dataCount = rec.count() - (keyColumnIndex >= 0 ? 1 : 0);
    const std::vector<int> sourceColumn = dataColumns(rec, keyColumnIndex);

    beginStructure();
    rows_.clear();
    std::vector<bool> settled(size_t(dataCount), false);
    for (int f = 0; f < dataCount; ++f) settled[size_t(f)] = fields_[size_t(f)].writable;
    while (q.next()) {
        Row row;
        row.v.resize(fields_.size());
        if (keyColumnIndex >= 0) row.key = q.value(keyColumnIndex);
        for (int f = 0; f < dataCount; ++f) {
            const QVariant raw = q.value(sourceColumn[size_t(f)]);
            FieldDef& def = fields_[size_t(f)];
            if (!settled[size_t(f)] && !isNull(raw)) {
                def.kind = kindFromValue(raw);
                settled[size_t(f)] = true;
            }
            try {
                row.v[size_t(f)] = convert(def, raw);
            } catch (const ConversionError&) {
                row.v[size_t(f)] = QVariant(); // a stored value that does not read as its kind
            }
        }
        rows_.push_back(std::move(row));
    }
    q.finish();

    state_ = Browse;
    modified_ = false;
    bumpGeneration();
    if (onCalcFields)
        for (Row& r : rows_) calcRow(r);
    if (!filterText_.trimmed().isEmpty()) parseFilter(); // field positions may differ from the last open
    else terms_.clear();
    rebuildVisible();
    cur_ = visible_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = visible_.empty();
    endStructure();
    emit stateChanged(state_);
    if (afterOpen) afterOpen(*this);
    if (!visible_.empty() && afterScroll) afterScroll(*this);
}

void Dataset::close() {
    if (!active()) return;
    if (beforeClose) beforeClose(*this);
    beginStructure();
    state_ = Inactive;
    rows_.clear();
    visible_.clear();
    cur_ = -1;
    eof_ = bof_ = true;
    modified_ = false;
    bumpGeneration();
    endStructure();
    emit stateChanged(state_);
    if (afterClose) afterClose(*this);
}

void Dataset::refresh() {
    close();
    open();
}

std::vector<int> Dataset::dataColumns(const QSqlRecord& rec, int keyColumnIndex) {
    std::vector<int> columns;
    for (int c = 0; c < rec.count(); ++c)
        if (c != keyColumnIndex) columns.push_back(c);
    return columns;
}

Dataset::Row Dataset::readRow(const QSqlQuery& q, int keyColumnIndex, const std::vector<int>& sourceColumn) {
    Row row;
    row.v.resize(fields_.size());
    if (keyColumnIndex >= 0) row.key = q.value(keyColumnIndex);
    const int dataCount = std::min(int(sourceColumn.size()), int(fields_.size()));
    for (int f = 0; f < dataCount; ++f) {
        try {
            row.v[size_t(f)] = convert(fields_[size_t(f)], q.value(sourceColumn[size_t(f)]));
        } catch (const ConversionError&) {
            row.v[size_t(f)] = QVariant(); // a stored value that does not read as its kind
        }
    }
    if (onCalcFields) calcRow(row);
    return row;
}

void Dataset::reread() {
    if (!active() || baseTable_.isEmpty() || beforeOpen || beforeClose || afterClose) {
        refresh();
        return;
    }
    checkBrowseMode();
    QString base;
    const QString effective = rewriteForKey(sql_, &base);
    QSqlQuery q = run(db_, effective, params_);
    const QSqlRecord rec = q.record();
    const int keyColumnIndex = rec.indexOf(kKeyAlias);
    const int dataCount = rec.count() - (keyColumnIndex >= 0 ? 1 : 0);
    if (keyColumnIndex < 0 || dataCount != int(fields_.size()) - int(extraFields_.size())) {
        q.finish();
        refresh();
        return;
    }
    const std::vector<int> sourceColumn = dataColumns(rec, keyColumnIndex);
    std::vector<Row> fresh;
    fresh.reserve(rows_.size());
    bool sameKeys = true;
    while (q.next()) {
        Row row = readRow(q, keyColumnIndex, sourceColumn);
        const size_t at = fresh.size();
        if (at >= rows_.size() || rows_[at].key != row.key) sameKeys = false;
        fresh.push_back(std::move(row));
    }
    q.finish();
    if (!sameKeys || fresh.size() != rows_.size()) {
        // Rows came, went or moved: the views start again, as after opening.
        beginStructure();
        rows_ = std::move(fresh);
        bumpGeneration();
        rebuildVisible();
        cur_ = visible_.empty() ? -1 : 0;
        bof_ = true;
        eof_ = visible_.empty();
        endStructure();
    } else {
        std::vector<int> changed;
        for (size_t i = 0; i < rows_.size(); ++i) {
            const Row& was = rows_[i];
            Row& now = fresh[i];
            bool same = true;
            for (size_t f = 0; f < now.v.size() && same; ++f)
                same = was.v[f] == now.v[f] && was.v[f].isNull() == now.v[f].isNull();
            if (same) continue;
            rows_[i] = std::move(now);
            changed.push_back(int(i));
        }
        if (!changed.empty()) bumpGeneration();
        const std::vector<int> before = visible_;
        rebuildVisible();
        if (visible_ != before) {
            std::vector<int> after = std::move(visible_);
            visible_ = before; // the views are told while they still see the old rows
            beginStructure();
            visible_ = std::move(after);
            cur_ = visible_.empty() ? -1 : 0;
            bof_ = true;
            eof_ = visible_.empty();
            endStructure();
        } else {
            for (int i : changed) {
                const auto at = std::lower_bound(visible_.begin(), visible_.end(), i);
                if (at != visible_.end() && *at == i) emitRowChanged(int(at - visible_.begin()));
            }
            cur_ = visible_.empty() ? -1 : 0;
            bof_ = true;
            eof_ = visible_.empty();
            emitCurrent();
        }
    }
    modified_ = false;
    if (afterOpen) afterOpen(*this);
    if (!visible_.empty() && afterScroll) afterScroll(*this);
}

void Dataset::refreshCurrent() {
    requireActive();
    if (state_ != Browse) cancel();
    const Row* row = currentRow();
    if (!row || baseTable_.isEmpty()) return;
    refreshRowsBy(-1, {row->key});
}

void Dataset::refreshRows(const QString& keyField, const QVariantList& keys) {
    requireActive();
    const int keyIndex = fieldIndex(keyField);
    if (keyIndex < 0 || fields_[size_t(keyIndex)].role != FieldRole::Data)
        throw DbError(QStringLiteral("%1: no field %2 to read rows by").arg(name(), keyField));
    refreshRowsBy(keyIndex, keys);
}

void Dataset::refreshRowsBy(int keyIndex, const QVariantList& keys) {
    // keyIndex -1: by the base table's key the dataset reads beside its fields.
    auto keyOf = [&](const Row& row) {
        return keyIndex < 0 ? keyText(row.key) : row.v[size_t(keyIndex)].toString();
    };
    if (keys.isEmpty()) return;
    if (state_ != Browse) cancel();

    QString base;
    const QString effective = rewriteForKey(sql_, &base);
    QStringList marks;
    for (int i = 0; i < keys.size(); ++i) marks << QStringLiteral("?");
    const QString sql = QStringLiteral("SELECT * FROM (%1) AS kx_rows WHERE kx_rows.\"%2\" IN (%3)")
                            .arg(effective, keyIndex < 0 ? kKeyAlias : fields_[size_t(keyIndex)].name,
                                 marks.join(QLatin1Char(',')));
    QVariantList values = params_;
    for (const QVariant& k : keys) values << k;
    QSqlQuery q = run(db_, sql, values);

    const QSqlRecord rec = q.record();
    const int keyColumnIndex = baseTable_.isEmpty() ? -1 : rec.indexOf(kKeyAlias);
    // The data fields in the order of the result, as open() laid them out.
    const std::vector<int> sourceColumn = dataColumns(rec, keyColumnIndex);
    QHash<QString, Row> fetched;
    while (q.next()) {
        Row row = readRow(q, keyColumnIndex, sourceColumn);
        const QString k = keyOf(row);
        fetched.insert(k, std::move(row));
    }
    q.finish();

    KeySet wanted;
    for (const QVariant& k : keys) wanted.insert(keyIndex < 0 ? k : convert(fields_[size_t(keyIndex)], k));
    int current = cur_ >= 0 && cur_ < int(visible_.size()) ? visible_[size_t(cur_)] : -1;
    std::vector<int> changed;
    std::vector<int> gone;
    // Whether the rows' places, the visible rows or a key a look-up index is built on change:
    // only then do the visible rows and the look-up indexes have to be worked out again.
    bool keysMoved = false;
    const bool filtering = filtered_ && !terms_.empty();
    bool visibleMoved = false;
    for (int i = 0; i < int(rows_.size()); ++i) {
        const Row& row = rows_[size_t(i)];
        if (!wanted.contains(keyIndex < 0 ? row.key : row.v[size_t(keyIndex)])) continue;
        auto it = fetched.find(keyOf(row));
        if (it == fetched.end()) {
            gone.push_back(i);
            continue;
        }
        for (auto l = lookupIndex_.cbegin(); l != lookupIndex_.cend() && !keysMoved; ++l) {
            const int f = fieldIndex(l.key());
            keysMoved = f >= 0 && keyText(readFrom(row, f)) != keyText(readFrom(*it, f));
        }
        if (filtering && !visibleMoved)
            visibleMoved = std::binary_search(visible_.begin(), visible_.end(), i) != matches(*it);
        rows_[size_t(i)] = std::move(*it);
        fetched.erase(it);
        changed.push_back(i);
    }
    const bool added = !fetched.isEmpty();
    for (auto it = fetched.begin(); it != fetched.end(); ++it) rows_.push_back(std::move(*it));
    for (auto it = gone.rbegin(); it != gone.rend(); ++it) {
        if (current == *it) current = -1;
        else if (current > *it) --current;
        rows_.erase(rows_.begin() + *it);
    }
    const bool sameRows = !added && gone.empty() && !visibleMoved;
    const bool filterUpToDate =
        visibleGeneration_ == generation_ && visibleFilter_ == filterText_ && visibleFiltered_ == filtered_;
    if (!sameRows || keysMoved) bumpGeneration();
    // Values alone changed, and none that decides the filter: the visible rows stand as they are.
    if (sameRows && filterUpToDate) visibleGeneration_ = generation_;

    const std::vector<int> before = visible_;
    if (!sameRows) rebuildVisible();
    if (sameRows || (!added && gone.empty() && visible_ == before)) {
        // The same rows in the same places: only values changed.
        for (int i : changed) {
            const auto at = std::lower_bound(visible_.begin(), visible_.end(), i);
            if (at != visible_.end() && *at == i) emitRowChanged(int(at - visible_.begin()));
        }
        emitCurrent();
        return;
    }
    beginStructure();
    int now = -1;
    if (current >= 0) {
        const auto at = std::lower_bound(visible_.begin(), visible_.end(), current);
        if (at != visible_.end() && *at == current) now = int(at - visible_.begin());
    }
    const bool moved = now < 0;
    if (moved) now = visible_.empty() ? -1 : std::clamp(cur_, 0, int(visible_.size()) - 1);
    cur_ = now;
    bof_ = cur_ <= 0;
    eof_ = visible_.empty();
    endStructure();
    if (moved && !visible_.empty() && afterScroll) afterScroll(*this);
}

int Dataset::execCommand(const QString& sql, const QVariantList& params) {
    const bool wasOpen = active();
    close();
    const int n = kx::db::exec(db_, sql, params);
    if (wasOpen && !sql_.trimmed().isEmpty()) open();
    return n;
}

// ---------------------------------------------------------------- rows and values

Dataset::Row* Dataset::currentRow() {
    if (cur_ < 0 || cur_ >= int(visible_.size())) return nullptr;
    return &rows_[size_t(visible_[size_t(cur_)])];
}

const Dataset::Row* Dataset::currentRow() const {
    if (cur_ < 0 || cur_ >= int(visible_.size())) return nullptr;
    return &rows_[size_t(visible_[size_t(cur_)])];
}

void Dataset::requireActive() const {
    if (!active()) throw DbError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(name()));
}

QVariant Dataset::lookupFor(const FieldDef& def, const Row& row) const {
    if (!def.lookupSource) return QVariant();
    const int keyIndex = fieldIndex(def.lookupKey);
    if (keyIndex < 0) return QVariant();
    return def.lookupSource->lookupValue(def.lookupSourceKey, readFrom(row, keyIndex), def.lookupResult);
}

QVariant Dataset::readFrom(const Row& row, int field) const {
    const FieldDef& def = fields_[size_t(field)];
    if (def.role == FieldRole::Lookup) return lookupFor(def, row);
    if (size_t(field) < row.v.size()) return row.v[size_t(field)];
    return QVariant();
}

QVariant Dataset::read(int field) const {
    if (field < 0 || field >= int(fields_.size())) throw DbError(QStringLiteral("%1: field index out of range").arg(name()));
    if (calcTarget_) return readFrom(*calcTarget_, field);
    if (state_ == Edit || state_ == Insert) return readFrom(buffer_, field);
    const Row* row = currentRow();
    if (!row) return QVariant();
    return readFrom(*row, field);
}

QVariant Dataset::valueAt(int row, int field) const {
    if (row < 0 || row >= int(visible_.size()) || field < 0 || field >= int(fields_.size())) return QVariant();
    if ((state_ == Edit || state_ == Insert) && row == cur_) return readFrom(buffer_, field);
    return readFrom(rows_[size_t(visible_[size_t(row)])], field);
}

QVariant Dataset::oldValue(int field) const {
    const Row* row = currentRow();
    if (!row || state_ == Insert) return QVariant();
    return readFrom(*row, field);
}

void Dataset::write(int field, const QVariant& v) {
    if (field < 0 || field >= int(fields_.size())) throw DbError(QStringLiteral("%1: field index out of range").arg(name()));
    const FieldDef& def = fields_[size_t(field)];
    if (calcWrite_) {
        if (def.role == FieldRole::Calculated) calcWrite_->v[size_t(field)] = convert(def, v);
        return;
    }
    if (def.role == FieldRole::Lookup)
        throw DbError(QStringLiteral("Field '%1' cannot be modified").arg(def.name));
    if (state_ != Edit && state_ != Insert)
        throw DbError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(name()));
    const QVariant converted = convert(def, v);
    if (sameValue(buffer_.v[size_t(field)], converted) &&
        isNull(buffer_.v[size_t(field)]) == isNull(converted))
        return;
    buffer_.v[size_t(field)] = converted;
    if (def.role == FieldRole::Data) modified_ = true;
    if (def.role == FieldRole::Data && onCalcFields) calcRow(buffer_);
    emitRowChanged(cur_);
}

void Dataset::calcRow(Row& row) {
    if (!onCalcFields) return;
    const Row* savedTarget = calcTarget_;
    Row* savedWrite = calcWrite_;
    calcTarget_ = &row;
    calcWrite_ = &row;
    try {
        onCalcFields(*this);
    } catch (...) {
        calcTarget_ = savedTarget;
        calcWrite_ = savedWrite;
        throw;
    }
    calcTarget_ = savedTarget;
    calcWrite_ = savedWrite;
}

// ---------------------------------------------------------------- fields

int Dataset::fieldIndex(const QString& name) const { return fieldByName_.value(name.toLower(), -1); }

Field Dataset::field(const QString& name) const {
    const int i = fieldIndex(name);
    if (i < 0) throw DbError(QStringLiteral("%1: Field '%2' not found").arg(this->name(), name));
    return Field(this, i);
}

Field Dataset::field(int index) const {
    if (index < 0 || index >= int(fields_.size()))
        throw DbError(QStringLiteral("%1: field index %2 out of range").arg(name()).arg(index));
    return Field(this, index);
}

QStringList Dataset::fieldNames() const {
    QStringList names;
    for (const FieldDef& f : fields_) names << f.name;
    return names;
}

void Dataset::addLookupField(const QString& name, const QString& keyField, Dataset* source,
                             const QString& sourceKeyField, const QString& resultField) {
    FieldDef def;
    def.name = name;
    def.role = FieldRole::Lookup;
    def.kind = FieldKind::String;
    def.lookupKey = keyField;
    def.lookupSource = source;
    def.lookupSourceKey = sourceKeyField;
    def.lookupResult = resultField;
    extraFields_.push_back(def);
    if (source) {
        // A change of the source shows at once in grids bound to this dataset.
        connect(source, &Dataset::reset, this, [this] {
            if (active()) {
                beginStructure();
                endStructure();
            }
        });
        connect(source, &Dataset::rowChanged, this, [this](int) {
            if (active()) {
                beginStructure();
                endStructure();
            }
        });
    }
    if (active()) {
        fields_.push_back(def);
        fieldByName_.insert(name.toLower(), int(fields_.size()) - 1);
    }
}

void Dataset::addCalculatedField(const QString& name, FieldKind kind, int size) {
    FieldDef def;
    def.name = name;
    def.role = FieldRole::Calculated;
    def.kind = kind;
    def.size = size;
    extraFields_.push_back(def);
    if (active()) {
        fields_.push_back(def);
        fieldByName_.insert(name.toLower(), int(fields_.size()) - 1);
        for (Row& r : rows_) r.v.resize(fields_.size());
    }
}

QVariant Dataset::lookupValue(const QString& keyField, const QVariant& key, const QString& resultField) const {
    if (!active() || isNull(key)) return QVariant();
    const int keyIndex = fieldIndex(keyField);
    const int resultIndex = fieldIndex(resultField);
    if (keyIndex < 0 || resultIndex < 0) return QVariant();
    auto& entry = lookupIndex_[keyField.toLower() + (lookupsSeeAllRows ? QStringLiteral(" all") : QString())];
    if (entry.first != generation_ + 1) {
        entry.second.clear();
        // The first row with the key wins.
        if (lookupsSeeAllRows) {
            for (int i = int(rows_.size()) - 1; i >= 0; --i)
                entry.second.insert(keyText(readFrom(rows_[size_t(i)], keyIndex)), i);
        } else {
            for (int i = int(visible_.size()) - 1; i >= 0; --i) {
                const Row& row = rows_[size_t(visible_[size_t(i)])];
                entry.second.insert(keyText(readFrom(row, keyIndex)), visible_[size_t(i)]);
            }
        }
        entry.first = generation_ + 1;
    }
    const FieldDef& keyDef = fields_[size_t(keyIndex)];
    QVariant k;
    try {
        k = convert(keyDef, key);
    } catch (const ConversionError&) {
        return QVariant();
    }
    auto it = entry.second.constFind(keyText(k));
    if (it == entry.second.constEnd()) return QVariant();
    return readFrom(rows_[size_t(*it)], resultIndex);
}

// ---------------------------------------------------------------- navigation

void Dataset::first() {
    requireActive();
    checkBrowseMode();
    if (beforeScroll) beforeScroll(*this);
    cur_ = visible_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = visible_.empty();
    emitCurrent();
    if (afterScroll) afterScroll(*this);
}

void Dataset::last() {
    requireActive();
    checkBrowseMode();
    if (beforeScroll) beforeScroll(*this);
    cur_ = int(visible_.size()) - 1;
    eof_ = true;
    bof_ = visible_.empty();
    emitCurrent();
    if (afterScroll) afterScroll(*this);
}

int Dataset::moveBy(int n) {
    requireActive();
    checkBrowseMode();
    if (beforeScroll) beforeScroll(*this);
    if (visible_.empty()) {
        eof_ = bof_ = true;
        return 0;
    }
    const int target = std::clamp(cur_ + n, 0, int(visible_.size()) - 1);
    const int moved = target - cur_;
    eof_ = n > 0 && cur_ + n > int(visible_.size()) - 1;
    bof_ = n < 0 && cur_ + n < 0;
    if (n > 0 && moved == n) eof_ = false;
    if (n < 0 && moved == n) bof_ = false;
    cur_ = target;
    if (moved != 0) {
        emitCurrent();
        if (afterScroll) afterScroll(*this);
    }
    return moved;
}

void Dataset::setRecNo(int recNo) {
    requireActive();
    if (visible_.empty()) return;
    const int target = std::clamp(recNo - 1, 0, int(visible_.size()) - 1);
    if (target == cur_ && state_ == Browse) return;
    checkBrowseMode();
    if (beforeScroll) beforeScroll(*this);
    cur_ = target;
    eof_ = bof_ = false;
    emitCurrent();
    if (afterScroll) afterScroll(*this);
}

// ---------------------------------------------------------------- editing

void Dataset::setState(State s) {
    if (state_ == s) return;
    state_ = s;
    emit stateChanged(s);
}

void Dataset::checkBrowseMode() {
    if (state_ == Edit || state_ == Insert) {
        if (modified_) post();
        else cancel();
    }
}

void Dataset::append() {
    requireActive();
    checkBrowseMode();
    if (!canModify()) throw DbError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(name()));
    if (beforeInsert) beforeInsert(*this);
    if (beforeScroll) beforeScroll(*this);
    beginStructure();
    Row row;
    row.v.resize(fields_.size());
    rows_.push_back(row);
    visible_.push_back(int(rows_.size()) - 1);
    cur_ = int(visible_.size()) - 1;
    eof_ = bof_ = false;
    buffer_ = rows_.back();
    state_ = Insert;
    if (onNewRecord) onNewRecord(*this);
    modified_ = false;
    if (onCalcFields) calcRow(buffer_);
    bumpGeneration();
    endStructure();
    emit stateChanged(state_);
    if (afterInsert) afterInsert(*this);
    if (afterScroll) afterScroll(*this);
}

void Dataset::edit() {
    requireActive();
    if (state_ == Edit || state_ == Insert) return;
    if (!canModify()) throw DbError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(name()));
    Row* row = currentRow();
    if (!row) {
        // Editing an empty dataset starts a new row, as bound editors expect.
        append();
        return;
    }
    if (beforeEdit) beforeEdit(*this);
    buffer_ = *row;
    modified_ = false;
    setState(Edit);
    if (afterEdit) afterEdit(*this);
}

void Dataset::readBack(Row& row, const QString& where, const QVariant& value) {
    QStringList cols;
    std::vector<int> target;
    cols << keyReference();
    for (int f = 0; f < int(fields_.size()); ++f) {
        if (!fields_[size_t(f)].writable) continue;
        cols << QStringLiteral("\"%1\"").arg(fields_[size_t(f)].baseColumn);
        target.push_back(f);
    }
    QSqlQuery q = run(db_, QStringLiteral("SELECT %1 FROM \"%2\" WHERE %3=?").arg(cols.join(QLatin1Char(',')), baseTable_, where),
                      {value});
    if (!q.next()) return;
    row.key = q.value(0);
    for (int i = 0; i < int(target.size()); ++i) {
        const FieldDef& def = fields_[size_t(target[size_t(i)])];
        try {
            row.v[size_t(target[size_t(i)])] = convert(def, q.value(i + 1));
        } catch (const ConversionError&) {
            row.v[size_t(target[size_t(i)])] = QVariant();
        }
    }
}

QString Dataset::keyReference() const {
    return keyColumn_ == QLatin1String("rowid") ? keyColumn_ : QStringLiteral("\"%1\"").arg(keyColumn_);
}

void Dataset::checkUnchanged(const Row& row, const std::vector<int>& changed) {
    // The changed columns must still hold what this copy read; the row must still be there.
    QStringList cols;
    for (int f : changed) cols << QStringLiteral("\"%1\"").arg(fields_[size_t(f)].baseColumn);
    QSqlQuery q = run(db_,
                      QStringLiteral("SELECT %1 FROM \"%2\" WHERE %3=?")
                          .arg(cols.isEmpty() ? QStringLiteral("1") : cols.join(QLatin1Char(',')), baseTable_,
                               keyReference()),
                      {row.key});
    bool same = q.next();
    for (int i = 0; same && i < int(changed.size()); ++i) {
        const FieldDef& def = fields_[size_t(changed[size_t(i)])];
        QVariant now;
        try {
            now = convert(def, q.value(i));
        } catch (const ConversionError&) {
        }
        const QVariant& was = row.v[size_t(changed[size_t(i)])];
        same = sameStored(def, now, was);
    }
    q.finish();
    if (!same) refuseStale();
}

void Dataset::requireUnchanged() {
    requireActive();
    const Row* row = currentRow();
    if (!row || baseTable_.isEmpty()) return;
    std::vector<int> all;
    for (int f = 0; f < int(fields_.size()); ++f)
        if (fields_[size_t(f)].writable) all.push_back(f);
    checkUnchanged(*row, all);
}

void Dataset::refuseStale() {
    QPointer<Dataset> self(this);
    throw StaleData(StaleData::Text, [self] {
        if (self) self->reload();
    });
}

void Dataset::reload() {
    if (!active()) return;
    cancel();
    const Row* row = currentRow();
    const bool hadRow = row != nullptr;
    const QVariant key = hadRow ? row->key : QVariant();
    const int at = cur_;
    refresh();
    if (!hadRow || visible_.empty()) return;
    for (int i = 0; i < int(visible_.size()); ++i) {
        if (rows_[size_t(visible_[size_t(i)])].key == key) {
            setRecNo(i + 1);
            return;
        }
    }
    setRecNo(std::clamp(at, 0, int(visible_.size()) - 1) + 1);
}

void Dataset::post() {
    requireActive();
    if (state_ != Edit && state_ != Insert) return;
    // Bound editors hand over what is typed first; a conversion error stops the post here.
    updateRecord();
    // The checks of the hooks and the write they guard in one transaction, when asked.
    std::optional<Transaction> checked;
    if (checksInTransaction) checked.emplace(db_);
    if (beforePost) beforePost(*this);
    Row* row = currentRow();
    if (!row) throw DbError(QStringLiteral("%1: no current row").arg(name()));
    // Where the new row is read back from: the file's rowid of the insert, or on the server the
    // key its INSERT returns.
    QString insertedWhere = QStringLiteral("rowid");
    QVariant insertedAt;
    try {
        if (state_ == Edit) {
            QStringList sets;
            QVariantList values;
            std::vector<int> changed;
            for (int f = 0; f < int(fields_.size()); ++f) {
                const FieldDef& def = fields_[size_t(f)];
                if (!def.writable || def.kind == FieldKind::AutoInc) continue;
                const QVariant& now = buffer_.v[size_t(f)];
                const QVariant& was = row->v[size_t(f)];
                if (sameValue(now, was) && isNull(now) == isNull(was)) continue;
                sets << QStringLiteral("\"%1\"=?").arg(def.baseColumn);
                values << now;
                changed.push_back(f);
            }
            if (!sets.isEmpty()) {
                // Written by key, and only over what this copy read: the check and the write
                // share one transaction, so no other desk writes between them.
                Transaction tx(db_);
                checkUnchanged(*row, changed);
                values << row->key;
                if (exec(db_, QStringLiteral("UPDATE \"%1\" SET %2 WHERE %3=?")
                                  .arg(baseTable_, sets.join(QLatin1Char(',')), keyReference()),
                         values) != 1)
                    refuseStale();
                tx.commit();
                // A changed key names the row from now on.
                const int keyField = fieldIndex(keyColumn_);
                if (keyField >= 0 && fields_[size_t(keyField)].writable) buffer_.key = buffer_.v[size_t(keyField)];
            }
        } else {
            QStringList cols;
            QStringList marks;
            QVariantList values;
            for (int f = 0; f < int(fields_.size()); ++f) {
                const FieldDef& def = fields_[size_t(f)];
                if (!def.writable || isNull(buffer_.v[size_t(f)])) continue;
                cols << QStringLiteral("\"%1\"").arg(def.baseColumn);
                marks << QStringLiteral("?");
                values << buffer_.v[size_t(f)];
            }
            const QString sql =
                cols.isEmpty() ? QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(baseTable_)
                               : QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                                     .arg(baseTable_, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
            if (isServer(db_)) {
                QSqlQuery q = run(db_, sql + QStringLiteral(" RETURNING ") + keyReference(), values);
                if (q.next()) insertedAt = q.value(0);
                insertedWhere = keyReference();
            } else {
                insertedAt = kx::db::insert(db_, sql, values);
            }
        }
    } catch (const DbError& e) {
        // A refused post leaves the row in edit with what was typed.
        const PostErrorAction action = onPostError ? onPostError(*this, e) : PostErrorAction::Fail;
        if (action == PostErrorAction::Abort) throw SilentAbort();
        throw;
    }
    const bool wasInsert = state_ == Insert;
    *row = buffer_;
    if (wasInsert) readBack(*row, insertedWhere, insertedAt);
    if (checked) checked->commit();
    if (onCalcFields) calcRow(*row);
    modified_ = false;
    bumpGeneration();
    setState(Browse);
    emitRowChanged(cur_);
    if (afterPost) afterPost(*this);
}

void Dataset::cancel() {
    if (state_ != Edit && state_ != Insert) return;
    if (beforeCancel) beforeCancel(*this);
    const bool wasInsert = state_ == Insert;
    modified_ = false;
    if (wasInsert) {
        beginStructure();
        const int rowIndex = visible_[size_t(cur_)];
        rows_.erase(rows_.begin() + rowIndex);
        visible_.erase(visible_.begin() + cur_);
        for (int& v : visible_)
            if (v > rowIndex) --v;
        if (cur_ >= int(visible_.size())) cur_ = int(visible_.size()) - 1;
        eof_ = bof_ = visible_.empty();
        state_ = Browse;
        bumpGeneration();
        endStructure();
        emit stateChanged(state_);
    } else {
        setState(Browse);
        emitRowChanged(cur_);
    }
    if (afterCancel) afterCancel(*this);
    if (wasInsert && afterScroll) afterScroll(*this);
}

void Dataset::remove() {
    requireActive();
    if (state_ == Insert) {
        cancel();
        return;
    }
    if (state_ == Edit) cancel();
    Row* row = currentRow();
    if (!row) throw DbError(QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(name()));
    if (!canModify()) throw DbError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(name()));
    std::optional<Transaction> checked;
    if (checksInTransaction) checked.emplace(db_);
    if (beforeDelete) beforeDelete(*this);
    if (beforeScroll) beforeScroll(*this);
    if (exec(db_, QStringLiteral("DELETE FROM \"%1\" WHERE %2=?").arg(baseTable_, keyReference()), {row->key}) != 1)
        refuseStale();
    if (checked) checked->commit();
    beginStructure();
    const int rowIndex = visible_[size_t(cur_)];
    rows_.erase(rows_.begin() + rowIndex);
    visible_.erase(visible_.begin() + cur_);
    for (int& v : visible_)
        if (v > rowIndex) --v;
    if (cur_ >= int(visible_.size())) cur_ = int(visible_.size()) - 1;
    eof_ = bof_ = visible_.empty();
    bumpGeneration();
    endStructure();
    if (afterDelete) afterDelete(*this);
    if (afterScroll) afterScroll(*this);
}

// ---------------------------------------------------------------- locate and filter

bool Dataset::locate(const QString& fields, const QVariantList& values) {
    requireActive();
    checkBrowseMode();
    const QStringList names = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (names.size() != values.size())
        throw DbError(QStringLiteral("%1: locate needs one value per field").arg(name()));
    std::vector<int> idx;
    std::vector<QVariant> wanted;
    for (int i = 0; i < names.size(); ++i) {
        const int f = fieldIndex(names[i].trimmed());
        if (f < 0) throw DbError(QStringLiteral("%1: Field '%2' not found").arg(name(), names[i]));
        idx.push_back(f);
        QVariant w;
        try {
            // A text is sought as given: cutting it to the column's size would find a row
            // for a longer text that no row holds.
            const FieldDef& def = fields_[size_t(f)];
            w = def.kind == FieldKind::String && !isNull(values[i]) ? QVariant(values[i].toString())
                                                                     : convert(def, values[i]);
        } catch (const ConversionError&) {
            if (beforeScroll) beforeScroll(*this);
            return false;
        }
        wanted.push_back(w);
    }
    if (beforeScroll) beforeScroll(*this);
    for (int r = 0; r < int(visible_.size()); ++r) {
        const Row& row = rows_[size_t(visible_[size_t(r)])];
        bool all = true;
        for (size_t i = 0; i < idx.size() && all; ++i) {
            const QVariant have = readFrom(row, idx[i]);
            const QVariant& want = wanted[i];
            if (isNull(want) || (want.typeId() == QMetaType::QString && want.toString().isEmpty()))
                all = isNull(have) || (have.typeId() == QMetaType::QString && have.toString().isEmpty());
            else
                all = sameValue(have, want);
        }
        if (all) {
            cur_ = r;
            eof_ = bof_ = false;
            emitCurrent();
            if (afterScroll) afterScroll(*this);
            return true;
        }
    }
    return false;
}

void Dataset::parseFilter() {
    terms_.clear();
    const QString text = filterText_.trimmed();
    if (text.isEmpty()) return;
    int i = 0;
    const int n = text.size();
    auto skip = [&] {
        while (i < n && text[i].isSpace()) ++i;
    };
    auto bad = [&] { return DbError(QStringLiteral("%1: invalid filter %2").arg(name(), filterText_)); };
    bool alternative = false;
    while (true) {
        skip();
        const QString fieldName = readIdentifier(text, i);
        if (fieldName.isEmpty()) throw bad();
        skip();
        QString op;
        {
            int at = i;
            if (readIdentifier(text, at).compare(QLatin1String("like"), Qt::CaseInsensitive) == 0) {
                op = QStringLiteral("like");
                i = at;
            }
        }
        for (const char* candidate : {"<>", "<=", ">=", "=", "<", ">"}) {
            if (!op.isEmpty()) break;
            const QString c = QString::fromLatin1(candidate);
            if (text.mid(i, c.size()) == c) {
                op = c;
                i += c.size();
                break;
            }
        }
        if (op.isEmpty()) throw bad();
        skip();
        QVariant value;
        if (i < n && text[i] == QLatin1Char('\'')) {
            QString s;
            ++i;
            while (true) {
                if (i >= n) throw bad();
                if (text[i] == QLatin1Char('\'')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('\'')) {
                        s += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                s += text[i++];
            }
            value = s;
        } else {
            const int start = i;
            while (i < n && !text[i].isSpace()) ++i;
            const QString token = text.mid(start, i - start);
            if (token.isEmpty()) throw bad();
            if (token.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) value = true;
            else if (token.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) value = false;
            else if (token.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) value = QVariant();
            else value = token;
        }
        const int f = fieldIndex(fieldName);
        if (f < 0) throw DbError(QStringLiteral("%1: Field '%2' not found").arg(name(), fieldName));
        QVariant converted;
        try {
            const FieldDef& def = fields_[size_t(f)];
            converted = def.kind == FieldKind::String && !isNull(value) ? QVariant(value.toString()) : convert(def, value);
        } catch (const ConversionError&) {
            converted = value;
        }
        Term term{f, op, converted, alternative, {}};
        if (op == QLatin1String("like")) {
            if (value.typeId() != QMetaType::QString) throw bad();
            QString rx;
            for (const QChar c : value.toString()) {
                if (c == QLatin1Char('%')) rx += QStringLiteral(".*");
                else if (c == QLatin1Char('_')) rx += QLatin1Char('.');
                else rx += QRegularExpression::escape(QString(c));
            }
            term.pattern = QRegularExpression(QRegularExpression::anchoredPattern(rx),
                                              QRegularExpression::CaseInsensitiveOption |
                                                  QRegularExpression::DotMatchesEverythingOption);
        }
        terms_.push_back(std::move(term));
        skip();
        if (i >= n) break;
        const QString word = readIdentifier(text, i);
        if (word.compare(QLatin1String("and"), Qt::CaseInsensitive) == 0) alternative = false;
        else if (word.compare(QLatin1String("or"), Qt::CaseInsensitive) == 0) alternative = true;
        else throw bad();
    }
}

bool Dataset::matches(const Row& row) const {
    // Alternatives of terms that must all hold: the row shows when one alternative holds.
    bool holds = true;
    for (const Term& t : terms_) {
        if (t.startsAlternative) {
            if (holds) return true;
            holds = true;
        }
        if (holds && !termMatches(t, row)) holds = false;
    }
    return holds;
}

bool Dataset::termMatches(const Term& t, const Row& row) const {
    const QVariant have = readFrom(row, t.field);
    const FieldDef& def = fields_[size_t(t.field)];
    if (t.op == QLatin1String("like"))
        return !isNull(have) && t.pattern.match(toText(def, have)).hasMatch();
    int cmp = 0;
    if (isNumeric(def.kind) || def.kind == FieldKind::Boolean) {
        const double a = def.kind == FieldKind::Boolean ? (variantToBool(have) ? 1 : 0) : have.toDouble();
        const double b = def.kind == FieldKind::Boolean ? (variantToBool(t.value) ? 1 : 0) : t.value.toDouble();
        if (isNull(have) && def.kind != FieldKind::Boolean) {
            if (t.op == QLatin1String("<>")) return !isNull(t.value);
            return isNull(t.value) && t.op == QLatin1String("=");
        }
        cmp = a < b ? -1 : (a > b ? 1 : 0);
    } else if (def.kind == FieldKind::DateTime) {
        const QString a = toDbDateTime(have.toDateTime());
        const QString b = t.value.typeId() == QMetaType::QDateTime ? toDbDateTime(t.value.toDateTime())
                                                                     : t.value.toString();
        cmp = QString::compare(a, b);
    } else {
        cmp = QString::compare(isNull(have) ? QString() : have.toString(),
                               isNull(t.value) ? QString() : t.value.toString());
    }
    if (t.op == QLatin1String("=")) return cmp == 0;
    if (t.op == QLatin1String("<>")) return cmp != 0;
    if (t.op == QLatin1String("<")) return cmp < 0;
    if (t.op == QLatin1String(">")) return cmp > 0;
    if (t.op == QLatin1String("<=")) return cmp <= 0;
    if (t.op == QLatin1String(">=")) return cmp >= 0;
    return false;
}

void Dataset::rebuildVisible() {
    visible_.clear();
    visible_.reserve(rows_.size());
    const bool use = filtered_ && !terms_.empty();
    for (int i = 0; i < int(rows_.size()); ++i)
        if (!use || matches(rows_[size_t(i)])) visible_.push_back(i);
}

void Dataset::setFilter(const QString& expression) {
    filterText_ = expression;
    if (!active()) {
        terms_.clear();
        return;
    }
    parseFilter();
    if (filtered_) setFiltered(true);
}

void Dataset::applyFilter(const QString& expression) {
    filterText_ = expression;
    terms_.clear();
    if (active()) parseFilter();
    setFiltered(true);
}

void Dataset::setFiltered(bool on) {
    filtered_ = on;
    if (!active()) return;
    checkBrowseMode();
    if (terms_.empty() && !filterText_.trimmed().isEmpty()) parseFilter();
    if (beforeScroll) beforeScroll(*this);
    std::vector<int> before = visible_;
    // A filter over a lookup reads another dataset, which may have changed meanwhile.
    const bool overOwnValues = std::all_of(terms_.begin(), terms_.end(), [this](const Term& t) {
        return t.field >= 0 && t.field < int(fields_.size()) && fields_[size_t(t.field)].role == FieldRole::Data;
    });
    const bool upToDate = overOwnValues && visibleGeneration_ == generation_ && visibleFilter_ == filterText_ &&
                          visibleFiltered_ == filtered_;
    if (!upToDate) rebuildVisible();
    // The same rows as before: the views keep theirs and only the current row moves.
    const bool same = visible_ == before;
    if (!same) bumpGeneration();
    visibleGeneration_ = generation_;
    visibleFilter_ = filterText_;
    visibleFiltered_ = filtered_;
    if (!same) {
        std::vector<int> after = std::move(visible_);
        visible_ = std::move(before); // the views are told while they still see the old rows
        beginStructure();
        visible_ = std::move(after);
    }
    cur_ = visible_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = visible_.empty();
    if (same) emitCurrent();
    else endStructure();
    if (afterScroll) afterScroll(*this);
}

// ---------------------------------------------------------------- bound controls

void Dataset::disableControls() { ++controlsDisabled_; }

void Dataset::enableControls() {
    if (controlsDisabled_ == 0) return;
    if (--controlsDisabled_ == 0) {
        pendingReset_ = false;
        emit aboutToReset();
        emit reset();
        emit currentChanged(cur_);
    }
}

void Dataset::updateRecord() {
    for (auto& handler : updateRecordHandlers_) handler.second();
}

void Dataset::addUpdateRecordHandler(QObject* owner, std::function<void()> handler) {
    updateRecordHandlers_.emplace_back(owner, std::move(handler));
    connect(owner, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(updateRecordHandlers_, [gone](const auto& h) { return h.first == gone; });
    });
}

void Dataset::beginStructure() {
    if (!controlsDisabled()) emit aboutToReset();
}

void Dataset::endStructure() {
    if (controlsDisabled()) {
        pendingReset_ = true;
        return;
    }
    emit reset();
    emit currentChanged(cur_);
}

void Dataset::emitRowChanged(int row) {
    if (controlsDisabled() || row < 0) return;
    emit rowChanged(row);
}

void Dataset::emitCurrent() {
    if (controlsDisabled()) return;
    emit currentChanged(cur_);
}

} // namespace kx::db
