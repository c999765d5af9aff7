#include "MainWindowKit.h"

#include "Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>

namespace kx {

void showPanel(QWidget* panel, QWidget* host) {
    if (!panel || !host) return;
    if (panel->parentWidget() != host) panel->setParent(host);
    panel->move(0, 0);
    if (host->layout() == nullptr) panel->resize(host->size());
    for (QObject* child : host->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w != panel && w->property("isPanel").toBool()) w->hide();
    }
    panel->show();
    panel->raise();
}

void placeMainWindow(QWidget* window) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !window) return;
    const QRect avail = screen->availableGeometry();
    if (screen->geometry().width() == 800) window->move(avail.topLeft());
    else window->move(avail.center() - window->rect().center());
}

bool screenTooSmall() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen && screen->geometry().width() == 640;
}

void showHelp() {
    modalHost().openDocument(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kxhelp.html")));
}

} // namespace kx
