#include "PanelKit.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>

#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

#include "ErrorGuard.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTableView>

namespace kx::frontdesk {

QColor layoutColour(int bgr) { return QColor(bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff); }

namespace {

class PlusMinusFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Minus || key->text() == QLatin1String("+") ||
                key->text() == QLatin1String("-"))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

class FillHostFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            auto* host = static_cast<QWidget*>(watched);
            for (QObject* child : host->children()) {
                auto* w = qobject_cast<QWidget*>(child);
                if (w && w->property("isPanel").toBool()) w->setGeometry(0, 0, host->width(), host->height());
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

class TextComboLink : public QObject {
public:
    TextComboLink(QComboBox* box, db::Dataset* ds, const QString& field)
        : QObject(box), box_(box), ds_(ds), field_(field) {
        auto update = [this] { refresh(); };
        connect(ds, &db::Dataset::reset, this, update);
        connect(ds, &db::Dataset::currentChanged, this, update);
        connect(ds, &db::Dataset::stateChanged, this, update);
        connect(ds, &db::Dataset::rowChanged, this, update);
        connect(box, &QComboBox::activated, this, [this](int i) {
            guarded([this, i] {
                if (!ds_ || !ds_->active() || ds_->fieldIndex(field_) < 0) return;
                showing_ = true;
                try {
                    ds_->edit();
                    ds_->field(field_).setValue(box_->itemText(i));
                } catch (...) {
                    showing_ = false;
                    throw;
                }
                showing_ = false;
            });
            refresh();
        });
        refresh();
    }
    void refresh() {
        if (showing_ || !box_) return;
        QString text;
        if (ds_ && ds_->active() && !ds_->isEmpty() && ds_->fieldIndex(field_) >= 0)
            text = ds_->field(field_).asString();
        box_->setCurrentIndex(box_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    }

private:
    QPointer<QComboBox> box_;
    QPointer<db::Dataset> ds_;
    QString field_;
    bool showing_ = false;
};

} // namespace

void ignorePlusMinus(QWidget* w) { w->installEventFilter(new PlusMinusFilter(w)); }

void fillHost(QWidget* host) { host->installEventFilter(new FillHostFilter(host)); }

void bindTextCombo(QComboBox* box, db::Dataset* ds, const QString& field) { new TextComboLink(box, ds, field); }

void styleGrid(QTableView* view, int bgr) {
    const QColor c = layoutColour(bgr);
    view->setStyleSheet(QStringLiteral("QTableView { selection-background-color: %1; selection-color: white; }")
                            .arg(c.name()));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setDefaultSectionSize(22);
    view->verticalHeader()->setMinimumSectionSize(18);
}

QPushButton* makeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setFocusPolicy(Qt::TabFocus);
    b->setAutoDefault(true);
    return b;
}

QLabel* captionLabel(const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel* valueLabel(const QString& name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    l->setTextInteractionFlags(Qt::NoTextInteraction);
    return l;
}

BusyCursor::BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor() { QApplication::restoreOverrideCursor(); }

QToolButton* addToolButton(QToolBar* bar, const QString& name, const QString& text, bool checkable, QAction* before) {
    return insertToolButton(bar, before, name, text, checkable);
}

QToolButton* insertToolButton(QToolBar* bar, QAction* before, const QString& name, const QString& text,
                              bool checkable) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(text);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(64, 34);
    b->setFocusPolicy(Qt::NoFocus);
    b->setCheckable(checkable);
    if (before)
        bar->insertWidget(before, b);
    else
        bar->addWidget(b);
    return b;
}

void showToolButton(QToolButton* button, bool shown) {
    auto* bar = qobject_cast<QToolBar*>(button->parentWidget());
    if (!bar) {
        button->setVisible(shown);
        return;
    }
    for (QAction* a : bar->actions())
        if (bar->widgetForAction(a) == button) a->setVisible(shown);
}

} // namespace kx::frontdesk
