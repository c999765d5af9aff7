#include "MainWindowKit.h"

#include "Clock.h"
#include "Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>
#include <QLineEdit>
#include <QProxyStyle>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QWidget>

namespace kx {

namespace {

class HashPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == QStyle::SH_LineEdit_PasswordCharacter) return '#';
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

QStyle* hashStyle() {
    static QStyle* style = new HashPasswordStyle;
    return style;
}

} // namespace

QLineEdit* loginEdit(const QString& name, QWidget* parent, bool password) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^%*]*")), e));
    if (password) {
        e->setStyle(hashStyle());
        e->setEchoMode(QLineEdit::Password);
    }
    return e;
}

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

void fixMainWindowFrame(QMainWindow* window) {
    window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

QStatusBar* addStatusPanels(QMainWindow* window, const int (&widths)[4], int firstAlignment, QLabel* (&panels)[4]) {
    auto* bar = new QStatusBar(window);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    window->setStatusBar(bar);
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(i == 0 ? Qt::Alignment(firstAlignment) : Qt::AlignCenter);
        if (widths[i] > 0) label->setFixedWidth(widths[i]);
        bar->addWidget(label, widths[i] > 0 ? 0 : 1);
        panels[i] = label;
    }
    return bar;
}

QTimer* startStatusClock(QLabel* panel, QObject* owner) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setInterval(1000);
    auto tick = [panel] { panel->setText(Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))); };
    QObject::connect(timer, &QTimer::timeout, panel, tick);
    timer->start();
    tick();
    return timer;
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
    // Beside the program (a build tree, a copied folder), else where the package puts it.
    QString page = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kxhelp.html"));
#ifdef KESTRIX_INSTALLED_DATADIR
    if (!QFileInfo::exists(page)) page = QStringLiteral(KESTRIX_INSTALLED_DATADIR "/kestrix/kxhelp.html");
#endif
    modalHost().openDocument(page);
}

} // namespace kx
