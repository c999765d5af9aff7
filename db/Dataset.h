#pragma once
// A dataset: a named, live snapshot of one SELECT with a current row, edited row by row.
//
// It holds every row of its result in memory. A posted row is written to the base table at
// once, by the table's key and only the columns that changed, and only while those columns
// still hold what this copy read: a row another program changed or removed in the meantime
// is refused with StaleData (nothing stored; the guard shows it and the dataset reads again). Moving off a row that is being edited posts
// it when it was changed and cancels it otherwise. Grids see a dataset through DatasetModel,
// edits through the binders of common/; they follow the dataset through its signals.
#include "Errors.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <vector>

namespace kx::db {

class Dataset;

enum class FieldKind { String, Integer, SmallInt, Float, Decimal, Boolean, DateTime, AutoInc };
enum class FieldRole { Data, Lookup, Calculated };

struct FieldDef {
    QString name;
    FieldKind kind = FieldKind::String;
    FieldRole role = FieldRole::Data;
    int size = 0;    // characters of a text column; 0 = no limit
    int scale = -1;  // decimals of a decimal column
    bool writable = false; // a column of the base table
    QString baseColumn;
    // Lookup fields: the value of `lookupResult` in the row of `lookupSource` whose
    // `lookupSourceKey` equals this row's `lookupKey`.
    QString lookupKey;
    Dataset* lookupSource = nullptr;
    QString lookupSourceKey;
    QString lookupResult;
};

// A handle on one field of a dataset's current row.
class Field {
public:
    Field(const Dataset* ds, int index) : ds_(const_cast<Dataset*>(ds)), index_(index) {}
    const QString& name() const;
    FieldKind kind() const;
    int size() const;
    int index() const { return index_; }

    QVariant value() const;
    bool isNull() const;
    QString asString() const;
    qint64 asInt() const;
    double asFloat() const;
    bool asBool() const;
    QDateTime asDateTime() const;
    QVariant oldValue() const;

    void setValue(const QVariant& v);
    void setAsString(const QString& text);
    void clear() { setValue(QVariant()); }
    Field& operator=(const QVariant& v) {
        setValue(v);
        return *this;
    }

private:
    Dataset* ds_;
    int index_;
};

class Dataset : public QObject {
    Q_OBJECT
public:
    enum State { Inactive, Browse, Edit, Insert };
    enum class PostErrorAction { Fail, Abort };
    using Hook = std::function<void(Dataset&)>;

    Dataset(QSqlDatabase db, const QString& name, const QString& sql = QString(), QObject* parent = nullptr);
    ~Dataset() override;

    QString name() const { return objectName(); }
    QSqlDatabase database() const { return db_; }

    // --- SQL, open and close
    QString sql() const { return sql_; }
    QVariantList params() const { return params_; }
    // Replaces the SELECT (closing the dataset); `params` are bound to its `?` markers.
    void setSql(const QString& sql, const QVariantList& params = {});
    void open();
    void close();
    // Closes and opens again; the current row is then the first.
    void refresh();
    // Reads the whole SELECT again (cancelling an edit) and stays on the current row where it
    // still is.
    void reload();
    // Ends as refresh() does (the rows as the SELECT gives them now, the first one current),
    // but when the same rows come back in the same order the views are told only which rows
    // changed, so a board of many tables repaints one cell, not all of them.
    void reread();
    // Reads again only the rows whose `keyField` holds one of `keys`, as the dataset's SELECT
    // gives them now: changed rows take their new values, rows no longer there leave, new rows
    // join at the end. The current row stays the current one (unless it left) and the filter
    // applies. An edit in progress is cancelled first. For an action that changed
    // a few rows of a large table: the cost grows with the rows read, not with the table.
    void refreshRows(const QString& keyField, const QVariantList& keys);
    // Reads the current row again by its table's key (see refreshRows).
    void refreshCurrent();
    bool active() const { return state_ != Inactive; }
    State state() const { return state_; }
    // The table rows are written back to, empty when the SELECT is not over one table.
    QString baseTable() const { return baseTable_; }
    bool canModify() const { return !baseTable_.isEmpty(); }

    // Runs one INSERT, UPDATE or DELETE through this dataset, then gives it its SELECT back and
    // reopens it when it was open (or when it has a SELECT of its own and `reopen` is set).
    int execCommand(const QString& sql, const QVariantList& params = {});

    // --- navigation
    void first();
    void last();
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    int moveBy(int n);
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return visible_.empty(); }
    int recordCount() const { return int(visible_.size()); }
    int recNo() const { return cur_ + 1; } // 1-based; 0 when empty
    void setRecNo(int recNo);

    // --- fields
    int fieldCount() const { return int(fields_.size()); }
    int fieldIndex(const QString& name) const; // -1 when missing
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    Field field(const QString& name) const;
    Field field(int index) const;
    Field operator[](const QString& name) const { return field(name); }
    const FieldDef& fieldDef(int index) const { return fields_[size_t(index)]; }
    QStringList fieldNames() const;

    // Lookup and calculated fields are declared once, before the first open.
    void addLookupField(const QString& name, const QString& keyField, Dataset* source,
                        const QString& sourceKeyField, const QString& resultField);
    void addCalculatedField(const QString& name, FieldKind kind, int size = 0);

    // --- editing
    void append();
    void insert() { append(); }
    void edit();
    void post();
    void cancel();
    void remove();
    bool modified() const { return modified_; }
    // Refuses with StaleData unless the current row as this dataset last read or wrote it
    // (not an edit in progress) is, column for column, what the database holds now.
    void requireUnchanged();
    // Posts an edit in progress when it changed something, cancels it otherwise.
    void checkBrowseMode();

    // --- locate and filter
    // `fields` is one name or several joined by ";"; values compare exactly (text case-sensitive).
    bool locate(const QString& fields, const QVariantList& values);
    bool locate(const QString& field, const QVariant& value) { return locate(field, QVariantList{value}); }
    // Terms `name='value'` (also <>, <, >, <=, >=; numbers and true/false may stand bare; and
    // `name like 'A%'`, where % stands for any text and _ for one character, case aside)
    // joined by " and " and " or ", "and" binding closer. Applies while filtering is on.
    void setFilter(const QString& expression);
    QString filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }
    // Filters with an expression and switches filtering on.
    void applyFilter(const QString& expression);

    // --- bound controls
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return controlsDisabled_ > 0; }
    // Called at the start of every post so bound editors hand over what is typed.
    void addUpdateRecordHandler(QObject* owner, std::function<void()> handler);
    // The bound editors hand over what is typed now (as a post starts by doing).
    void updateRecord();

    // --- row access for grids (visible row index, 0-based)
    QVariant valueAt(int row, int field) const;
    // The current row's value of a field as the database holds it (before this edit).
    QVariant oldValue(int field) const;

    // Looks up a value among this dataset's visible rows (used by lookup fields).
    QVariant lookupValue(const QString& keyField, const QVariant& key, const QString& resultField) const;

    // --- hooks, in the order they fire: see each operation
    Hook beforeOpen, afterOpen, beforeClose, afterClose;
    Hook beforeInsert, afterInsert, onNewRecord;
    Hook beforeEdit, afterEdit;
    Hook beforePost, afterPost;
    Hook beforeCancel, afterCancel;
    Hook beforeDelete, afterDelete;
    Hook beforeScroll, afterScroll;
    Hook onCalcFields;
    std::function<PostErrorAction(Dataset&, const DbError&)> onPostError;
    // The before-post and before-delete hooks run inside the transaction of the write they
    // guard (BEGIN IMMEDIATE): what they check cannot change before the row is written.
    bool checksInTransaction = false;
    // Lookups into this dataset find their row among all its rows, not only those its filter
    // shows: a list filtered to one parent still names the rows of every parent.
    bool lookupsSeeAllRows = false;

    // Value conversion shared with the binders.
    static QVariant convert(const FieldDef& def, const QVariant& v);
    static QString toText(const FieldDef& def, const QVariant& v);

signals:
    // Rows were added, removed or reordered, or the dataset opened or closed.
    void aboutToReset();
    void reset();
    // A row's values changed (visible row index).
    void rowChanged(int row);
    // The current row moved (visible row index, -1 when none).
    void currentChanged(int row);
    void stateChanged(int state);

private:
    friend class Field;
    struct Row {
        std::vector<QVariant> v;
        QVariant key; // the base table's key (see keyColumn)
    };
    struct Term {
        int field;
        QString op;
        QVariant value;
        bool startsAlternative = false; // follows an "or": the terms before it are one way to match
        QRegularExpression pattern;     // a "like" term's pattern
    };
    bool termMatches(const Term& t, const Row& row) const;

    QVariant read(int field) const;
    void write(int field, const QVariant& v);
    Row* currentRow();
    const Row* currentRow() const;
    void requireActive() const;
    void buildFields(const class QSqlRecord& rec, int rowidColumn);
    QVariant lookupFor(const FieldDef& def, const Row& row) const;
    QVariant readFrom(const Row& row, int field) const;
    void calcRow(Row& row);
    // The data columns of a result (all but the key read beside them), and one row of it read
    // as the fields' kinds.
    static std::vector<int> dataColumns(const QSqlRecord& rec, int keyColumnIndex);
    Row readRow(const QSqlQuery& q, int keyColumnIndex, const std::vector<int>& sourceColumn);
    void rebuildVisible();
    bool matches(const Row& row) const;
    void parseFilter();
    void bumpGeneration() { ++generation_; }
    void beginStructure();
    void endStructure();
    void emitRowChanged(int row);
    void emitCurrent();
    void setState(State s);
    void readBack(Row& row, const QString& where, const QVariant& value);
    QString rewriteForKey(const QString& sql, QString* base) const;
    QString keyReference() const;
    void refreshRowsBy(int keyIndex, const QVariantList& keys);
    void checkUnchanged(const Row& row, const std::vector<int>& changed);
    [[noreturn]] void refuseStale();

    QSqlDatabase db_;
    QString sql_;
    QVariantList params_;
    QString baseTable_;
    QString keyColumn_;
    State state_ = Inactive;
    std::vector<FieldDef> fields_;
    std::vector<FieldDef> extraFields_; // lookup and calculated fields, kept across opens
    QHash<QString, int> fieldByName_;   // lower-case name -> index
    std::vector<Row> rows_;
    std::vector<int> visible_;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    Row buffer_;
    bool modified_ = false;
    const Row* calcTarget_ = nullptr;
    Row* calcWrite_ = nullptr;
    QString filterText_;
    std::vector<Term> terms_;
    bool filtered_ = false;
    // What the visible rows were last worked out from in setFiltered: the rows' generation and
    // the filter. Unchanged, filtering again needs no pass over the rows.
    quint64 visibleGeneration_ = 0;
    QString visibleFilter_;
    bool visibleFiltered_ = false;
    int controlsDisabled_ = 0;
    bool pendingReset_ = false;
    std::vector<std::pair<QObject*, std::function<void()>>> updateRecordHandlers_;
    quint64 generation_ = 0;
    // Lookup index per key field: built on demand, valid for one generation.
    mutable QHash<QString, std::pair<quint64, QHash<QString, int>>> lookupIndex_;
};

} // namespace kx::db
