#include "StateIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace kx::frontdesk {

namespace {

// Every picture is drawn on a 32-unit square; the painter scales it to the size asked for.
constexpr double kUnit = 32.0;

const QColor kInk(0x2f, 0x4f, 0x7a);
const QColor kOrange(0xf0, 0x8a, 0x12);
const QColor kOrangeDark(0xb8, 0x5e, 0x00);

void drawTeaCup(QPainter& p) {
    // Saucer.
    p.setPen(QPen(QColor(0x5b, 0x6b, 0x80), 1.2));
    p.setBrush(QColor(0xd5, 0xdd, 0xe8));
    p.drawEllipse(QPointF(16, 26.2), 13.2, 3.6);
    // Cup body.
    QPainterPath cup;
    cup.moveTo(6.5, 11.5);
    cup.lineTo(25.5, 11.5);
    cup.cubicTo(25.5, 19.5, 22.0, 25.0, 16.0, 25.0);
    cup.cubicTo(10.0, 25.0, 6.5, 19.5, 6.5, 11.5);
    cup.closeSubpath();
    // Handle first, so the body covers its inner end.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 2.2));
    p.drawEllipse(QPointF(25.0, 16.5), 3.6, 3.4);
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(QColor(0xfa, 0xfb, 0xfd));
    p.drawPath(cup);
    // Blue band round the cup.
    p.setPen(QPen(QColor(0x3d, 0x7d, 0xc8), 1.6));
    p.drawLine(QPointF(8.2, 16.0), QPointF(23.8, 16.0));
    // Tea.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xa8, 0x5a, 0x1c));
    p.drawEllipse(QPointF(16, 11.8), 8.6, 1.5);
    // Steam.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x8a, 0x96, 0xa6), 1.3, Qt::SolidLine, Qt::RoundCap));
    for (double x : {12.5, 17.5}) {
        QPainterPath steam;
        steam.moveTo(x, 9.0);
        steam.cubicTo(x - 2.2, 7.2, x + 2.2, 5.2, x, 2.6);
        p.drawPath(steam);
    }
}

// One guest: a head and rounded shoulders, with a white edge that separates overlapping guests.
void drawGuest(QPainter& p, double cx, double headY, double r, const QColor& colour, double bottom) {
    p.setPen(QPen(Qt::white, 1.4));
    p.setBrush(colour);
    QPainterPath body;
    const double top = headY + r + 1.2;
    const double half = r * 1.75;
    body.moveTo(cx - half, bottom);
    body.lineTo(cx - half, top + half * 0.8);
    body.cubicTo(cx - half, top - 0.3, cx + half, top - 0.3, cx + half, top + half * 0.8);
    body.lineTo(cx + half, bottom);
    body.closeSubpath();
    p.drawPath(body);
    p.drawEllipse(QPointF(cx, headY), r, r);
}

void drawTwoGuests(QPainter& p) {
    drawGuest(p, 20.5, 9.0, 4.6, QColor(0x3a, 0x74, 0xc9), 30.5);
    drawGuest(p, 11.5, 12.5, 5.0, QColor(0x2a, 0x9a, 0x5a), 30.5);
}

void drawSmallGuests(QPainter& p) {
    // The same two guests, lower and smaller, leaving room for a sign above them.
    p.save();
    p.translate(0.0, 8.0);
    p.scale(0.78, 0.78);
    drawTwoGuests(p);
    p.restore();
}

void drawBillSign(QPainter& p) {
    QPainterPath bill;
    bill.moveTo(19.5, 1.2);
    bill.lineTo(27.8, 1.2);
    bill.lineTo(30.8, 4.2);
    bill.lineTo(30.8, 14.8);
    bill.lineTo(19.5, 14.8);
    bill.closeSubpath();
    p.setPen(QPen(kOrangeDark, 1.0));
    p.setBrush(kOrange);
    p.drawPath(bill);
    p.setPen(QPen(Qt::white, 1.3, Qt::SolidLine, Qt::FlatCap));
    for (double y : {5.5, 8.5, 11.5}) p.drawLine(QPointF(21.8, y), QPointF(28.6, y));
}

void drawPlusSign(QPainter& p) {
    QPainterPath plus;
    const double c = 25.0, m = 7.5, arm = 6.0, w = 2.3;
    plus.addRect(QRectF(c - arm, m - w, 2 * arm, 2 * w));
    plus.addRect(QRectF(c - w, m - arm, 2 * w, 2 * arm));
    plus.setFillRule(Qt::WindingFill);
    p.setPen(QPen(kOrangeDark, 1.0));
    p.setBrush(kOrange);
    p.drawPath(plus.simplified());
}

void drawClock(QPainter& p) {
    const QPointF c(16, 16);
    p.setPen(QPen(kInk, 2.4));
    p.setBrush(QColor(0xff, 0xfb, 0xef));
    p.drawEllipse(c, 13.6, 13.6);
    p.setPen(QPen(QColor(0x55, 0x5f, 0x6d), 1.3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const double a = i * M_PI / 6.0;
        const double inner = i % 3 == 0 ? 8.8 : 10.2;
        p.drawLine(QPointF(c.x() + inner * std::sin(a), c.y() - inner * std::cos(a)),
                   QPointF(c.x() + 11.4 * std::sin(a), c.y() - 11.4 * std::cos(a)));
    }
    // Ten past ten.
    auto hand = [&](double turns, double length, double width, const QColor& colour) {
        const double a = turns * 2 * M_PI;
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c, QPointF(c.x() + length * std::sin(a), c.y() - length * std::cos(a)));
    };
    hand((10 + 10 / 60.0) / 12.0, 6.2, 2.4, kInk);
    hand(10 / 60.0, 9.4, 1.7, kInk);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd6, 0x28, 0x28));
    p.drawEllipse(c, 1.6, 1.6);
}

void drawDisabled(QPainter& p) {
    const QPointF c(16, 16);
    p.setPen(QPen(QColor(0x9b, 0x1c, 0x1c), 1.4));
    p.setBrush(QColor(0xd9, 0x2b, 0x2b));
    p.drawEllipse(c, 14.2, 14.2);
    p.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.2, 10.2), QPointF(21.8, 21.8));
    p.drawLine(QPointF(21.8, 10.2), QPointF(10.2, 21.8));
}

} // namespace

QImage drawStateIcon(int index, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kUnit, size / kUnit);
    switch (index) {
    case 0: drawTeaCup(p); break;
    case 1: drawTwoGuests(p); break;
    case 2:
        drawSmallGuests(p);
        drawBillSign(p);
        break;
    case 3:
        drawSmallGuests(p);
        drawPlusSign(p);
        break;
    case 4: drawClock(p); break;
    case 5: drawDisabled(p); break;
    default: break;
    }
    return image;
}

const QList<QPixmap>& stateIcons() {
    static const QList<QPixmap> icons = [] {
        QList<QPixmap> list;
        for (int i = 0; i < 6; ++i) list << QPixmap::fromImage(drawStateIcon(i));
        return list;
    }();
    return icons;
}

QPixmap stateIcon(const QString& stateCode) {
    bool ok = false;
    const int n = stateCode.trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 6) return QPixmap();
    return stateIcons().at(n - 1);
}

} // namespace kx::frontdesk
