#pragma once
// Binds controls to one field of a dataset, the way every screen shows and edits a row:
// typing puts the dataset into edit, the typed value reaches the field (when the control is
// left, or when the row is posted), and moving to another row shows that row's value.
#include "Dataset.h"
#include "DatasetModel.h"

#include <QObject>
#include <QPointer>

class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QTableView;

namespace kx {

using db::Dataset;

class FieldLink : public QObject {
    Q_OBJECT
public:
    FieldLink(QWidget* control, Dataset* ds, const QString& field, const QString& format);
    Dataset* dataset() const { return ds_; }
    QString field() const { return field_; }
    // Shows the dataset's current value in the control.
    virtual void refresh() = 0;

protected:
    // Puts the dataset into edit (a first keystroke does this) — false when it cannot.
    bool beginEdit();
    int fieldIndex() const;
    QVariant current() const;
    QString currentText() const;

    QPointer<Dataset> ds_;
    QString field_;
    QString format_;
    bool updating_ = false;
};

// A line edit; its maximum length is the column's size.
FieldLink* bindLineEdit(QLineEdit* edit, Dataset* ds, const QString& field, const QString& format = QString());
// A label showing the field with a display format.
FieldLink* bindLabel(QLabel* label, Dataset* ds, const QString& field, const QString& format = QString());
FieldLink* bindCheckBox(QCheckBox* box, Dataset* ds, const QString& field);
FieldLink* bindDateEdit(QDateTimeEdit* edit, Dataset* ds, const QString& field);
// A look-up box: its list shows `listField` of every row of `source`, and choosing one stores
// that row's `keyField` into `field`.
FieldLink* bindLookupCombo(QComboBox* box, Dataset* ds, const QString& field, Dataset* source,
                           const QString& keyField, const QString& listField);

// Shows a dataset in a grid and keeps the grid's current row and the dataset's current row
// together. The model belongs to the view.
db::DatasetModel* bindGrid(QTableView* view, Dataset* ds, std::vector<db::GridColumn> columns);

} // namespace kx
