#include "EnterAsTab.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <utility>

namespace kx {

namespace {

QPointer<EnterAsTab> installed;

bool isPlainEnter(const QKeyEvent* e) {
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) return false;
    return (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

bool hasFocus(const QWidget* w) {
    return QApplication::focusWidget() == w || (w->window() && w->window()->focusWidget() == w);
}

// The next control of the tab order, as Tab moves there: asked of the control's parent, because
// some controls take Tab for themselves (a date edit moves between its day, month and year).
struct FocusChain : QWidget {
    static void moveOn(QWidget* w) {
        QWidget* from = w->isWindow() || !w->parentWidget() ? w : w->parentWidget();
        const auto next = &FocusChain::focusNextPrevChild; // the protected QWidget member
        (from->*next)(true);
    }
};

void moveOn(QWidget* w) {
    FocusChain::moveOn(w);
}

} // namespace

void EnterAsTab::install() {
    if (installed) return;
    installed = new EnterAsTab(qApp);
    qApp->installEventFilter(installed);
}

void EnterAsTab::remove() {
    if (!installed) return;
    // Later, not now: the Enter a filter is handing on may be what takes it away.
    qApp->removeEventFilter(installed);
    installed->deleteLater();
    installed = nullptr;
}

bool EnterAsTab::isInstalled() {
    return !installed.isNull();
}

bool EnterAsTab::appliesTo(const QWidget* w) {
    if (!w) return false;
    // Cell editors of grids commit on Enter; the grid decides where to go.
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QAbstractItemView*>(p)) return false;
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QCheckBox*>(w) ||
           qobject_cast<const QRadioButton*>(w);
}

bool EnterAsTab::eventFilter(QObject* watched, QEvent* event) {
    if (event == delivering_ || event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    QPointer<QWidget> w = static_cast<QWidget*>(watched);
    if (!isPlainEnter(key) || !appliesTo(w) || !hasFocus(w)) return false;

    // The Enter goes to the control as it would have anyway ...
    QEvent* const outer = std::exchange(delivering_, event);
    QCoreApplication::sendEvent(w, key);
    delivering_ = outer;
    // ... and it is not handed on to the parents a second time.
    key->accept();

    // The control's own Enter may have moved the focus or closed the window: then it decided.
    // Nor when that Enter took this filter away (the order screen swaps in its own).
    if (installed == this && w && w->isVisible() && w->isEnabled() && hasFocus(w)) moveOn(w);
    return true;
}

} // namespace kx
