#pragma once
// Shows a dataset in a grid: one model per grid, with the columns, captions and display
// formats that grid asks for. Rows are the dataset's visible rows, in its order.
#include "Dataset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <functional>
#include <vector>

namespace kx::db {

struct GridColumn {
    QString field;
    QString caption;
    // Number formats "0", "0.00", "#,##0.00"; date-time formats "yyyy-mm-dd", "hh:nn",
    // "yyyy-mm-dd hh:nn:ss"; empty: the field's own text.
    QString format;
    int width = 0;
    bool checkMark = false; // a true boolean shows as "√", false as nothing
    Qt::Alignment alignment = {};
};

// Formats one value for display with a format of the grid column kind above.
QString formatValue(const FieldDef& def, const QVariant& value, const QString& format, bool checkMark = false);
// What a grid cell of `column` shows for `value` in `role` (display text, the value itself
// for editing, the alignment: numbers right, the rest left, unless the column says).
QVariant cellData(const FieldDef& def, const QVariant& value, const GridColumn& column, int role);
// Turns a display format of the form "yyyy-mm-dd hh:nn:ss" into Qt's date-time spelling.
QString qtDateTimeFormat(const QString& format);

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetModel(Dataset* ds, std::vector<GridColumn> columns, QObject* parent = nullptr);

    Dataset* dataset() const { return ds_; }
    const std::vector<GridColumn>& columns() const { return columns_; }
    void setColumns(std::vector<GridColumn> columns);
    int columnOf(const QString& field) const;

    // Colours and fonts per cell: (visible row, column, role) -> value, or invalid for default.
    using StyleFn = std::function<QVariant(int row, int column, int role)>;
    void setStyle(StyleFn fn) { style_ = std::move(fn); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void resolve();

    QPointer<Dataset> ds_;
    std::vector<GridColumn> columns_;
    std::vector<int> fieldIndex_;
    StyleFn style_;
    bool resetting_ = false;
};

} // namespace kx::db
