#include "Binder.h"

#include "ErrorGuard.h"
#include "Sql.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace kx {

using db::FieldKind;

FieldLink::FieldLink(QWidget* control, Dataset* ds, const QString& field, const QString& format)
    : QObject(control), ds_(ds), field_(field), format_(format) {
    auto update = [this] {
        if (!updating_) refresh();
    };
    connect(ds, &Dataset::reset, this, update);
    connect(ds, &Dataset::currentChanged, this, update);
    connect(ds, &Dataset::stateChanged, this, update);
    connect(ds, &Dataset::rowChanged, this, [this, update](int row) {
        if (ds_ && row == ds_->recNo() - 1) update();
    });
}

int FieldLink::fieldIndex() const { return ds_ && ds_->active() ? ds_->fieldIndex(field_) : -1; }

QVariant FieldLink::current() const {
    const int f = fieldIndex();
    if (f < 0 || ds_->isEmpty()) return QVariant();
    return ds_->field(f).value();
}

QString FieldLink::currentText() const {
    const int f = fieldIndex();
    if (f < 0 || ds_->isEmpty()) return QString();
    return db::formatValue(ds_->fieldDef(f), ds_->field(f).value(), format_);
}

bool FieldLink::beginEdit() {
    if (!ds_ || !ds_->active() || fieldIndex() < 0) return false;
    if (ds_->state() == Dataset::Edit || ds_->state() == Dataset::Insert) return true;
    updating_ = true;
    const bool ok = guarded([this] { ds_->edit(); });
    updating_ = false;
    return ok && (ds_->state() == Dataset::Edit || ds_->state() == Dataset::Insert);
}

namespace {

class LineEditLink : public FieldLink {
public:
    LineEditLink(QLineEdit* edit, Dataset* ds, const QString& field, const QString& format)
        : FieldLink(edit, ds, field, format), edit_(edit) {
        connect(edit, &QLineEdit::textEdited, this, [this] {
            if (beginEdit()) {
                dirty_ = true;
                dirtyRow_ = ds_->recNo();
            }
        });
        connect(edit, &QLineEdit::editingFinished, this, [this] { guarded([this] { flush(); }); });
        // An edit the program moves the focus into has its text selected, so what the cashier
        // types replaces it (a click still places the caret).
        edit->installEventFilter(this);
        ds->addUpdateRecordHandler(this, [this] { flush(); });
        refresh();
    }
    void refresh() override {
        const bool editing = ds_ && (ds_->state() == Dataset::Edit || ds_->state() == Dataset::Insert);
        // Another field of the row being edited changed: what is typed here but not yet
        // handed over stays.
        if (dirty_ && editing && ds_->recNo() == dirtyRow_) return;
        dirty_ = false;
        const int f = fieldIndex();
        if (f >= 0 && ds_->fieldDef(f).kind == FieldKind::String && ds_->fieldDef(f).size > 0)
            edit_->setMaxLength(ds_->fieldDef(f).size);
        // While typing, the edit shows the value unformatted so it reads back the same; an edit
        // that takes no typing keeps its format.
        const bool typed = editing && f >= 0 && edit_->isEnabled() && !edit_->isReadOnly();
        QString text = typed ? db::Dataset::toText(ds_->fieldDef(f), current()) : currentText();
        if (edit_->text() != text) {
            edit_->setText(text);
            // A value shown anew in the edit being worked in is selected, so typing replaces it.
            if (edit_->hasFocus()) edit_->selectAll();
        }
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == edit_ && event->type() == QEvent::FocusIn &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
            edit_->selectAll();
        return false;
    }
    // Hands the typed text to the field; a text that does not convert raises the conversion
    // error and keeps the edit as typed.
    void flush() {
        if (!dirty_ || !ds_ || fieldIndex() < 0) return;
        if (ds_->state() != Dataset::Edit && ds_->state() != Dataset::Insert) {
            dirty_ = false;
            return;
        }
        updating_ = true;
        try {
            ds_->field(fieldIndex()).setAsString(edit_->text());
        } catch (...) {
            updating_ = false;
            throw;
        }
        updating_ = false;
        dirty_ = false;
    }

private:
    QLineEdit* edit_;
    bool dirty_ = false;
    int dirtyRow_ = 0;
};

class LabelLink : public FieldLink {
public:
    LabelLink(QLabel* label, Dataset* ds, const QString& field, const QString& format)
        : FieldLink(label, ds, field, format), label_(label) {
        refresh();
    }
    void refresh() override { label_->setText(currentText()); }

private:
    QLabel* label_;
};

class CheckBoxLink : public FieldLink {
public:
    CheckBoxLink(QCheckBox* box, Dataset* ds, const QString& field) : FieldLink(box, ds, field, QString()), box_(box) {
        connect(box, &QCheckBox::clicked, this, [this](bool on) {
            guarded([this, on] {
                if (!beginEdit()) {
                    refresh();
                    return;
                }
                updating_ = true;
                ds_->field(fieldIndex()).setValue(on);
                updating_ = false;
            });
            updating_ = false;
        });
        refresh();
    }
    void refresh() override {
        const QVariant v = current();
        box_->setChecked(v.isValid() && !v.isNull() && db::variantToBool(v));
    }

private:
    QCheckBox* box_;
};

class DateEditLink : public FieldLink {
public:
    DateEditLink(QDateTimeEdit* edit, Dataset* ds, const QString& field)
        : FieldLink(edit, ds, field, QString()), edit_(edit) {
        connect(edit, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& dt) {
            if (updating_ || showing_) return;
            guarded([this, dt] {
                if (!beginEdit()) return;
                updating_ = true;
                ds_->field(fieldIndex()).setValue(dt);
                updating_ = false;
            });
            updating_ = false;
        });
        refresh();
    }
    void refresh() override {
        showing_ = true;
        const QDateTime dt = current().toDateTime();
        edit_->setDateTime(dt.isValid() ? dt : edit_->minimumDateTime());
        showing_ = false;
    }

private:
    QDateTimeEdit* edit_;
    bool showing_ = false;
};

class LookupComboLink : public FieldLink {
public:
    LookupComboLink(QComboBox* box, Dataset* ds, const QString& field, Dataset* source, const QString& keyField,
                    const QString& listField)
        : FieldLink(box, ds, field, QString()), box_(box), source_(source), keyField_(keyField),
          listField_(listField) {
        connect(source, &Dataset::reset, this, [this] { fill(); });
        connect(source, &Dataset::rowChanged, this, [this](int) { fill(); });
        connect(box, &QComboBox::activated, this, [this](int i) {
            guarded([this, i] {
                if (!beginEdit()) {
                    refresh();
                    return;
                }
                updating_ = true;
                ds_->field(fieldIndex()).setValue(box_->itemData(i));
                updating_ = false;
            });
            updating_ = false;
        });
        fill();
    }
    void fill() {
        showing_ = true;
        box_->clear();
        if (source_ && source_->active()) {
            const int k = source_->fieldIndex(keyField_);
            const int l = source_->fieldIndex(listField_);
            if (k >= 0 && l >= 0)
                for (int r = 0; r < source_->recordCount(); ++r)
                    box_->addItem(source_->valueAt(r, l).toString(), source_->valueAt(r, k));
        }
        showing_ = false;
        refresh();
    }
    void refresh() override {
        showing_ = true;
        const QVariant key = current();
        int found = -1;
        for (int i = 0; i < box_->count() && found < 0; ++i)
            if (key.isValid() && !key.isNull() && box_->itemData(i).toString() == key.toString()) found = i;
        box_->setCurrentIndex(found);
        showing_ = false;
    }

private:
    QComboBox* box_;
    QPointer<Dataset> source_;
    QString keyField_;
    QString listField_;
    bool showing_ = false;
};

} // namespace

FieldLink* bindLineEdit(QLineEdit* edit, Dataset* ds, const QString& field, const QString& format) {
    return new LineEditLink(edit, ds, field, format);
}
FieldLink* bindLabel(QLabel* label, Dataset* ds, const QString& field, const QString& format) {
    return new LabelLink(label, ds, field, format);
}
FieldLink* bindCheckBox(QCheckBox* box, Dataset* ds, const QString& field) { return new CheckBoxLink(box, ds, field); }
FieldLink* bindDateEdit(QDateTimeEdit* edit, Dataset* ds, const QString& field) {
    return new DateEditLink(edit, ds, field);
}
FieldLink* bindLookupCombo(QComboBox* box, Dataset* ds, const QString& field, Dataset* source,
                           const QString& keyField, const QString& listField) {
    return new LookupComboLink(box, ds, field, source, keyField, listField);
}

db::DatasetModel* bindGrid(QTableView* view, Dataset* ds, std::vector<db::GridColumn> columns) {
    std::vector<int> widths;
    for (const auto& c : columns) widths.push_back(c.width);
    auto* model = new db::DatasetModel(ds, std::move(columns), view);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int i = 0; i < int(widths.size()); ++i)
        if (widths[size_t(i)] > 0) view->setColumnWidth(i, widths[size_t(i)]);

    auto syncing = std::make_shared<bool>(false);
    auto showCurrent = [view, model, ds, syncing] {
        if (*syncing) return;
        *syncing = true;
        const int row = ds->active() ? ds->recNo() - 1 : -1;
        const int col = std::max(0, view->currentIndex().column());
        if (row >= 0 && row < model->rowCount()) {
            view->setCurrentIndex(model->index(row, col));
            view->scrollTo(model->index(row, col));
        } else {
            view->setCurrentIndex(QModelIndex());
        }
        *syncing = false;
    };
    QObject::connect(ds, &Dataset::currentChanged, view, showCurrent);
    QObject::connect(model, &QAbstractItemModel::modelReset, view, showCurrent);
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                     [ds, syncing, showCurrent](const QModelIndex& now) {
                         if (*syncing || !now.isValid() || !ds->active()) return;
                         *syncing = true;
                         const bool ok = guarded([ds, now] { ds->setRecNo(now.row() + 1); });
                         *syncing = false;
                         // A row that could not be left keeps the grid on it.
                         if (!ok || ds->recNo() - 1 != now.row()) QMetaObject::invokeMethod(ds, showCurrent, Qt::QueuedConnection);
                     });
    showCurrent();
    return model;
}

} // namespace kx
