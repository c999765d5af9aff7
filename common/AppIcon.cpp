#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace kx {

QImage programIconImage(ProgramIcon which, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // The ground.
    const QColor ground = which == ProgramIcon::FrontDesk ? QColor(24, 96, 96) : QColor(36, 72, 128);
    QLinearGradient shade(0, 0, 64, 64);
    shade.setColorAt(0, ground.lighter(130));
    shade.setColorAt(1, ground.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    // The cloche: a dome on a plate, a knob on top.
    const QColor gold(226, 184, 92);
    p.setBrush(gold);
    QPainterPath dome;
    dome.moveTo(12, 42);
    dome.cubicTo(12, 22, 52, 22, 52, 42);
    dome.closeSubpath();
    p.drawPath(dome);
    p.drawRoundedRect(QRectF(8, 43, 48, 5), 2.5, 2.5);
    p.drawEllipse(QPointF(32, 21), 3.5, 3.5);
    // A shine on the dome.
    p.setPen(QPen(QColor(255, 240, 200), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(19, 29, 16, 16), 100 * 16, 60 * 16);
    return image;
}

QIcon programIcon(ProgramIcon which) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(programIconImage(which, size)));
    return icon;
}

} // namespace kx
