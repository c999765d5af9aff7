#include "Splash.h"

#include "Jpeg.h"

#include <QFile>

#include <QApplication>
#include <QPainter>
#include <QScreen>

namespace kx {

namespace {

const QString Maker = QStringLiteral("Kestrix 软件开发组 出品");

QFont kaiTi(int pixels, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("KaiTi"), QStringLiteral("AR PL UKai CN"),
                   QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

} // namespace

SplashWindow::SplashWindow(const QImage& picture, const QStringList& lines, bool stayOnTop, QWidget* parent)
    : QWidget(parent), picture_(picture), lines_(lines) {
    setObjectName(QStringLiteral("TFormSplash"));
    Qt::WindowFlags flags = Qt::SplashScreen | Qt::FramelessWindowHint;
    if (stayOnTop) flags |= Qt::WindowStaysOnTopHint;
    setWindowFlags(flags);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const QSize size = picture_.isNull() ? QSize(DefaultWidth, DefaultHeight) : picture_.size();
    setFixedSize(size);
}

QStringList SplashWindow::frontDeskLines() {
    return {QStringLiteral("Kestrix餐饮娱乐管理系统"), QStringLiteral("[前台]"), QStringLiteral("Ver 9.0-12"),
            Maker};
}

QStringList SplashWindow::backOfficeLines() {
    return {QStringLiteral("Kestrix餐饮娱乐管理系统"), QStringLiteral("[后台]"),
            QStringLiteral("Ver9.0 Build20040220"), Maker};
}

void SplashWindow::setMessage(const QString& text) {
    message_ = text;
    if (isVisible()) repaint();
}

void SplashWindow::showNow() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->availableGeometry();
        move(desk.center() - rect().center());
    }
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!picture_.isNull()) p.drawImage(0, 0, picture_);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Text sits on the right part of the picture, below the emblem's row.
    const int left = 150;
    int y = 62;
    for (int i = 0; i < lines_.size(); ++i) {
        const bool title = i == 0;
        const QFont font = title ? kaiTi(21, true) : kaiTi(i == 1 ? 16 : 12, i == 1);
        p.setFont(font);
        const QFontMetrics fm(font);
        y += fm.ascent();
        p.setPen(QColor(0, 0, 0, 110)); // a soft shadow keeps light text readable
        p.drawText(left + 1, y + 1, lines_[i]);
        p.setPen(title ? QColor(255, 246, 214) : QColor(224, 240, 238));
        p.drawText(left, y, lines_[i]);
        y += fm.descent() + (title ? 12 : 8);
    }
    if (!message_.isEmpty()) {
        const QFont font = kaiTi(12, false);
        p.setFont(font);
        p.setPen(QColor(224, 240, 238));
        p.drawText(QRect(10, height() - 26, width() - 20, 20), Qt::AlignLeft | Qt::AlignVCenter, message_);
    }
}

std::unique_ptr<SplashWindow> showSplash(const QStringList& lines) {
    QImage picture;
    QFile f(QStringLiteral(":/splash.jpg"));
    if (f.open(QIODevice::ReadOnly)) picture = decodeJpeg(f.readAll());
    auto splash = std::make_unique<SplashWindow>(picture, lines);
    splash->showNow();
    return splash;
}

} // namespace kx
