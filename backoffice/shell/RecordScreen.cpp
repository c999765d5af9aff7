#include "RecordScreen.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "NumberEntry.h"
#include "Password.h"
#include "Prompter.h"
#include "RecordRules.h"
#include "TextEntry.h"
#include "Values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace kx::backoffice {

namespace {

class MainGridDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const bool selected = option->state & QStyle::State_Selected;
        if (selected) {
            // Painted as a plain cell in the selection's colours, whatever the style's own.
            option->state &= ~QStyle::State_Selected;
            option->backgroundBrush = QColor(128, 128, 192);
            option->palette.setColor(QPalette::Text, Qt::white);
        } else {
            // Record numbers count from 1: odd rows white, even rows pale yellow.
            option->backgroundBrush = (index.row() % 2 == 0) ? QColor(Qt::white) : QColor(253, 254, 207);
        }
    }
};

// Runs an action each time its widget is shown.
class ShowFilter : public QObject {
  public:
    ShowFilter(QObject* parent, std::function<void()> onShow) : QObject(parent), onShow_(std::move(onShow)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show) onShow_();
        return false;
    }

  private:
    std::function<void()> onShow_;
};

// The candidate list on the right of the panel, its search edit under it.
void buildCandidates(QWidget* panel, QHBoxLayout* row, const CandidateList& c) {
    auto* side = new QVBoxLayout;
    auto* list = new QTableView(panel);
    list->setObjectName(QString::fromLatin1(c.gridName));
    list->setFixedWidth(200);
    paintAsSideList(list);
    side->addWidget(list, 1);
    auto* search = new QLineEdit(panel);
    search->setObjectName(QString::fromLatin1(c.searchName));
    upperCaseEntry(search);
    side->insertWidget(c.searchAbove ? 0 : 1, search);
    row->addLayout(side);
    TempSource* source = c.source;
    auto filterOf = c.filterOf;
    QObject::connect(search, &QLineEdit::textChanged, search, [source, filterOf](const QString& text) {
        guarded([&] {
            db::Dataset* q = source->dataset();
            if (!q || !q->active()) return;
            const QString t = text.trimmed();
            if (t.isEmpty()) q->setFiltered(false);
            else q->applyFilter(filterOf(t));
        });
    });
    const QString valueName = QString::fromLatin1(c.valueEditName);
    auto add = [source, panel, valueName, f = c.add] {
        guarded([&] {
            db::Dataset* q = source->dataset();
            if (!q || !q->active() || q->isEmpty()) return;
            f(*q);
            if (auto* value = panel->findChild<QLineEdit*>(valueName)) {
                value->setFocus();
                value->selectAll();
            }
        });
    };
    QObject::connect(search, &QLineEdit::returnPressed, search, add);
    QObject::connect(list, &QAbstractItemView::doubleClicked, list, add);
    // Enter in the value edit: the next candidate is typed at once.
    if (auto* value = panel->findChild<QLineEdit*>(valueName))
        QObject::connect(value, &QLineEdit::returnPressed, search, [search] {
            search->clear();
            search->setFocus();
        });
}

} // namespace

void paintAsMainGrid(QTableView* grid) {
    grid->setItemDelegate(new MainGridDelegate(grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // The selection stays visible when the grid loses the focus.
    QPalette p = grid->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(128, 128, 192));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Active, QPalette::Highlight, QColor(128, 128, 192));
    grid->setPalette(p);
    grid->verticalHeader()->setDefaultSectionSize(22);
}

void paintAsSideList(QTableView* grid) {
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette p = grid->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Button));
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    grid->setPalette(p);
    grid->verticalHeader()->setDefaultSectionSize(22);
}

QWidget* screenPanel(const char* objectName, QWidget* holder) {
    auto* panel = new QFrame(holder);
    panel->setObjectName(QString::fromLatin1(objectName));
    panel->setProperty("isPanel", true);
    panel->setAutoFillBackground(true);
    panel->hide();
    return panel;
}

QDateEdit* dayPicker(const char* objectName, QWidget* parent) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QString::fromLatin1(kShowDateFormat));
    return edit;
}

QWidget* buildRecordScreen(QWidget* holder, const RecordScreen& screen) {
    QWidget* panel = screenPanel(screen.panelName, holder);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 8, 8, 8);
    auto* outer = new QVBoxLayout;
    row->addLayout(outer, 1);
    if (!screen.sideLists.empty()) {
        auto* side = new QVBoxLayout;
        for (const SideList& l : screen.sideLists) {
            auto* list = new QTableView(panel);
            list->setObjectName(QString::fromLatin1(l.gridName));
            list->setFixedWidth(170);
            paintAsSideList(list);
            bindGrid(list, l.dataset, l.columns);
            side->addWidget(list, 1);
        }
        row->addLayout(side);
    }
    if (screen.headingName) {
        auto* heading = new QLabel(panel);
        heading->setObjectName(QString::fromLatin1(screen.headingName));
        QFont f = heading->font();
        f.setBold(true);
        f.setPointSizeF(f.pointSizeF() * 1.2);
        heading->setFont(f);
        outer->addWidget(heading);
    }
    auto* grid = new QTableView(panel);
    grid->setObjectName(QString::fromLatin1(screen.gridName));
    paintAsMainGrid(grid);
    bindGrid(grid, screen.dataset, screen.columns);
    outer->addWidget(grid, 1);
    auto* form = new QGridLayout;
    form->setContentsMargins(0, 8, 0, 0);
    // Each line of the form: its caption and its control, placed below in order.
    std::vector<std::pair<QLabel*, QWidget*>> lines;
    for (const FormText& t : screen.texts) {
        auto* text = new QLabel(panel);
        text->setObjectName(QString::fromLatin1(t.objectName));
        lines.emplace_back(new QLabel(QString::fromUtf8(t.caption), panel), text);
        db::Dataset* ds = screen.dataset;
        auto show = [ds, text, f = t.text] {
            text->setText(ds->active() && (!ds->isEmpty() || ds->state() == db::Dataset::Insert) ? f(*ds)
                                                                                              : QString());
        };
        QObject::connect(ds, &db::Dataset::currentChanged, text, show);
        QObject::connect(ds, &db::Dataset::rowChanged, text, show);
        QObject::connect(ds, &db::Dataset::stateChanged, text, show);
        QObject::connect(ds, &db::Dataset::reset, text, show);
        // And whenever the screen shows.
        text->installEventFilter(new ShowFilter(text, show));
    }
    for (const FormEdit& e : screen.edits) {
        auto* edit = new QLineEdit(panel);
        edit->setObjectName(QString::fromLatin1(e.objectName));
        lines.emplace_back(new QLabel(QString::fromUtf8(e.caption), panel), edit);
        if (e.maxLength > 0 && e.kind != EntryKind::Integer && e.kind != EntryKind::Amount)
            edit->setMaxLength(e.maxLength);
        bindLineEdit(edit, screen.dataset, QString::fromLatin1(e.field),
                     e.format ? QString::fromLatin1(e.format) : QString());
        switch (e.kind) {
        case EntryKind::Text:
            break;
        case EntryKind::Upper:
            upperCaseEntry(edit);
            break;
        case EntryKind::Integer:
            limitNumberEntry(edit, NumberRange{e.max, 0, e.maxLength});
            break;
        case EntryKind::Amount:
            limitNumberEntry(edit, NumberRange{e.max, 2, e.maxLength});
            break;
        case EntryKind::SignedAmount:
            signedAmountEntry(edit);
            break;
        }
    }
    for (const FormLookup& l : screen.lookups) {
        auto* box = new QComboBox(panel);
        box->setObjectName(QString::fromLatin1(l.objectName));
        lines.emplace_back(new QLabel(QString::fromUtf8(l.caption), panel), box);
        bindLookupCombo(box, screen.dataset, QString::fromLatin1(l.field), l.source,
                        QString::fromLatin1(l.sourceKey), QString::fromLatin1(l.sourceResult));
    }
    if (!screen.formOrder.empty()) {
        auto rank = [&screen](const std::pair<QLabel*, QWidget*>& line) {
            const QString name = line.second->objectName();
            for (size_t i = 0; i < screen.formOrder.size(); ++i)
                if (name == QLatin1String(screen.formOrder[i])) return int(i);
            return int(screen.formOrder.size());
        };
        std::stable_sort(lines.begin(), lines.end(),
                         [&rank](const auto& a, const auto& b) { return rank(a) < rank(b); });
    }
    const int across = std::max(1, screen.formColumns);
    int formRow = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const int column = int(i % size_t(across)) * 2;
        form->addWidget(lines[i].first, formRow, column);
        form->addWidget(lines[i].second, formRow, column + 1);
        if (column / 2 == across - 1 || i + 1 == lines.size()) ++formRow;
    }
    if (!screen.checks.empty()) {
        auto* checks = new QHBoxLayout;
        for (const FormCheck& c : screen.checks) {
            auto* box = new QCheckBox(QString::fromUtf8(c.caption), panel);
            box->setObjectName(QString::fromLatin1(c.objectName));
            bindCheckBox(box, screen.dataset, QString::fromLatin1(c.field));
            checks->addWidget(box);
        }
        checks->addStretch(1);
        form->addLayout(checks, formRow++, 0, 1, 2 * across);
    }
    for (int c = 0; c < across; ++c)
        form->setColumnStretch(2 * c + 1, 1);
    outer->addLayout(form);
    if (screen.candidates) buildCandidates(panel, row, *screen.candidates);
    if (!screen.newRowFocus.empty()) {
        std::vector<QLineEdit*> targets;
        for (const char* name : screen.newRowFocus)
            targets.push_back(panel->findChild<QLineEdit*>(QString::fromLatin1(name)));
        QObject::connect(screen.dataset, &db::Dataset::stateChanged, panel, [panel, targets](int state) {
            if (state != db::Dataset::Insert || !panel->isVisible()) return;
            for (QLineEdit* e : targets)
                if (e && e->isEnabled()) {
                    e->setFocus();
                    e->selectAll();
                    return;
                }
        });
    }
    return panel;
}

namespace {

// The form's grid and the row of a control in it.
QGridLayout* formOf(QWidget* control, int* row, int* column) {
    for (auto* form : control->parentWidget()->findChildren<QGridLayout*>()) {
        const int at = form->indexOf(control);
        if (at < 0) continue;
        int rs = 0, cs = 0;
        form->getItemPosition(at, row, column, &rs, &cs);
        return form;
    }
    return nullptr;
}

} // namespace

void signedAmountEntry(QLineEdit* edit) {
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}(\\.[0-9]{0,2})?")), edit));
}

QLineEdit* newPasswordEdit(QWidget* screen, db::Dataset* ds, const char* objectName, const QString& field,
                           const QString& requiredMessage, bool upperCase) {
    auto* password = new QLineEdit(screen);
    password->setObjectName(QString::fromLatin1(objectName));
    password->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    password->setMaxLength(16);
    if (upperCase) upperCaseEntry(password);
    QObject::connect(password, &QLineEdit::textEdited, password, [ds] {
        guarded([&] {
            if (ds->active() && !ds->isEmpty() && ds->state() == db::Dataset::Browse) ds->edit();
        });
    });
    auto checked = ds->beforePost;
    ds->beforePost = [checked, password, field, requiredMessage](db::Dataset& d) {
        if (checked) checked(d);
        const QString typed = password->text();
        if (typed.isEmpty()) {
            if (!requiredMessage.isEmpty() &&
                (d.state() == db::Dataset::Insert || d.field(field).asString().isEmpty()))
                refuse(requiredMessage);
            return;
        }
        d.field(field).setValue(hashPassword(typed));
    };
    auto clear = [password, ds] {
        if (ds->state() == db::Dataset::Browse) password->clear();
    };
    QObject::connect(ds, &db::Dataset::currentChanged, password, clear);
    QObject::connect(ds, &db::Dataset::stateChanged, password, clear);
    return password;
}

QLabel* captionOf(QWidget* control) {
    int row = 0, column = 0;
    QGridLayout* form = formOf(control, &row, &column);
    QLayoutItem* item = form && column > 0 ? form->itemAtPosition(row, column - 1) : nullptr;
    return item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
}

void placeBeside(QWidget* control, QWidget* extra) {
    int row = 0, column = 0;
    QGridLayout* form = formOf(control, &row, &column);
    if (!form) return;
    delete form->takeAt(form->indexOf(control));
    auto* line = new QHBoxLayout;
    line->addWidget(control, 1);
    line->addWidget(extra);
    form->addLayout(line, row, column);
}

void guardCodeEdit(QLineEdit* edit, db::Dataset* ds, std::function<QString(db::Dataset&)> refusal) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [ds, refusal] {
        guarded([&] {
            if (!ds->active() || ds->isEmpty() || ds->state() == db::Dataset::Insert) return;
            const QString why = refusal ? refusal(*ds) : QString();
            if (why.isEmpty()) return;
            inform(SeriesTitle, why);
            ds->cancel();
        });
    });
}

} // namespace kx::backoffice
