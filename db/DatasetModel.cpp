#include "DatasetModel.h"

#include "Values.h"

namespace kx::db {

QString qtDateTimeFormat(const QString& format) {
    // Delphi-style tokens: mm is the month unless it follows an hour, nn is minutes.
    QString out;
    bool afterHour = false;
    for (int i = 0; i < format.size();) {
        const QString rest = format.mid(i).toLower();
        if (rest.startsWith(QLatin1String("yyyy"))) { out += QLatin1String("yyyy"); i += 4; afterHour = false; }
        else if (rest.startsWith(QLatin1String("yy"))) { out += QLatin1String("yy"); i += 2; afterHour = false; }
        else if (rest.startsWith(QLatin1String("mm"))) { out += afterHour ? QLatin1String("mm") : QLatin1String("MM"); i += 2; afterHour = false; }
        else if (rest.startsWith(QLatin1String("m"))) { out += afterHour ? QLatin1String("m") : QLatin1String("M"); i += 1; afterHour = false; }
        else if (rest.startsWith(QLatin1String("dd"))) { out += QLatin1String("dd"); i += 2; afterHour = false; }
        else if (rest.startsWith(QLatin1String("d"))) { out += QLatin1String("d"); i += 1; afterHour = false; }
        else if (rest.startsWith(QLatin1String("hh"))) { out += QLatin1String("HH"); i += 2; afterHour = true; }
        else if (rest.startsWith(QLatin1String("h"))) { out += QLatin1String("H"); i += 1; afterHour = true; }
        else if (rest.startsWith(QLatin1String("nn"))) { out += QLatin1String("mm"); i += 2; afterHour = false; }
        else if (rest.startsWith(QLatin1String("n"))) { out += QLatin1String("m"); i += 1; afterHour = false; }
        else if (rest.startsWith(QLatin1String("ss"))) { out += QLatin1String("ss"); i += 2; afterHour = false; }
        else if (rest.startsWith(QLatin1String("s"))) { out += QLatin1String("s"); i += 1; afterHour = false; }
        else {
            const QChar c = format[i++];
            if (c.isLetter()) out += QLatin1Char('\'') + c + QLatin1Char('\'');
            else out += c;
            if (c != QLatin1Char(':') && !c.isSpace()) afterHour = afterHour && c == QLatin1Char(':');
        }
    }
    return out;
}

QString formatValue(const FieldDef& def, const QVariant& value, const QString& format, bool checkMark) {
    if (def.kind == FieldKind::Boolean && checkMark)
        return value.isValid() && !value.isNull() && value.toBool() ? QStringLiteral("√") : QString();
    if (!value.isValid() || value.isNull()) return QString();
    if (format.isEmpty()) return Dataset::toText(def, value);
    if (def.kind == FieldKind::DateTime) {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid()) return QString();
        // A time of day as the time-band screens show it: hours, minutes after them, seconds.
        if (format == QLatin1String("hh:mm:ss")) return dt.toString(QStringLiteral("HH:mm:ss"));
        return dt.toString(qtDateTimeFormat(format));
    }
    const bool numeric = value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong ||
                         value.typeId() == QMetaType::Int;
    double number = value.toDouble();
    if (!numeric) {
        // A column whose kind the engine does not declare (a view's sum) comes as text: a number
        // in it is still shown in the column's format.
        bool ok = false;
        number = value.toString().trimmed().toDouble(&ok);
        if (!ok) return Dataset::toText(def, value);
    }
    // "##%": a whole percentage, "0.0%" one with a place (the value is the percentage already);
    // "0.##": up to two places, no trailing zeros.
    if (format.endsWith(QLatin1Char('%'))) {
        const int point = format.indexOf(QLatin1Char('.'));
        const int places = point < 0 ? 0 : int(format.size() - point - 2);
        return QString::number(roundHalfEven(number, places), 'f', places) + QLatin1Char('%');
    }
    const QString placesPart = format.mid(format.indexOf(QLatin1Char('.')) + 1);
    if (format.contains(QLatin1Char('.')) && !placesPart.isEmpty() &&
        placesPart.count(QLatin1Char('#')) == placesPart.size()) {
        const int places = int(placesPart.size());
        QString text = QString::number(roundHalfEven(number, places), 'f', places);
        while (text.contains(QLatin1Char('.')) && (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
            text.chop(1);
        return text == QLatin1String("-0") ? QStringLiteral("0") : text;
    }
    const int point = format.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : int(format.size() - point - 1);
    const double rounded = roundHalfEven(number, decimals);
    QString text = QString::number(rounded, 'f', decimals);
    if (format.contains(QLatin1Char(','))) {
        const int dot = text.indexOf(QLatin1Char('.'));
        int end = dot < 0 ? int(text.size()) : dot;
        const int start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
        for (int i = end - 3; i > start; i -= 3) text.insert(i, QLatin1Char(','));
    }
    return text;
}

DatasetModel::DatasetModel(Dataset* ds, std::vector<GridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), ds_(ds), columns_(std::move(columns)) {
    resolve();
    connect(ds, &Dataset::aboutToReset, this, [this] {
        if (!resetting_) {
            resetting_ = true;
            beginResetModel();
        }
    });
    connect(ds, &Dataset::reset, this, [this] {
        resolve();
        if (!resetting_) beginResetModel();
        resetting_ = false;
        endResetModel();
    });
    connect(ds, &Dataset::rowChanged, this, [this](int row) {
        if (resetting_ || row < 0 || row >= rowCount() || columns_.empty()) return;
        emit dataChanged(index(row, 0), index(row, int(columns_.size()) - 1));
    });
}

void DatasetModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    resolve();
    endResetModel();
}

void DatasetModel::resolve() {
    fieldIndex_.clear();
    for (const GridColumn& c : columns_) fieldIndex_.push_back(ds_ && ds_->active() ? ds_->fieldIndex(c.field) : -1);
}

int DatasetModel::columnOf(const QString& field) const {
    for (int i = 0; i < int(columns_.size()); ++i)
        if (columns_[size_t(i)].field.compare(field, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !ds_ || !ds_->active() || resetting_) return 0;
    return ds_->recordCount();
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !ds_ || index.row() >= rowCount() || index.column() >= int(columns_.size()))
        return QVariant();
    if (style_) {
        const QVariant styled = style_(index.row(), index.column(), role);
        if (styled.isValid()) return styled;
    }
    const GridColumn& col = columns_[size_t(index.column())];
    const int f = fieldIndex_[size_t(index.column())];
    if (f < 0) return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole) return QVariant();
    return cellData(ds_->fieldDef(f), ds_->valueAt(index.row(), f), col, role);
}

QVariant cellData(const FieldDef& def, const QVariant& value, const GridColumn& col, int role) {
    switch (role) {
    case Qt::DisplayRole: return formatValue(def, value, col.format, col.checkMark);
    case Qt::EditRole: return value;
    case Qt::TextAlignmentRole: {
        if (col.alignment) return QVariant::fromValue(col.alignment);
        const FieldKind k = def.kind;
        const bool number = k == FieldKind::Float || k == FieldKind::Decimal || k == FieldKind::Integer ||
                            k == FieldKind::SmallInt || k == FieldKind::AutoInc;
        return QVariant::fromValue(number ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter));
    }
    default: return QVariant();
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section >= 0 && section < int(columns_.size())) {
        if (role == Qt::DisplayRole) {
            const GridColumn& c = columns_[size_t(section)];
            return c.caption.isEmpty() ? c.field : c.caption;
        }
        return QVariant();
    }
    if (orientation == Qt::Vertical && role == Qt::DisplayRole) return section + 1;
    return QVariant();
}

} // namespace kx::db
