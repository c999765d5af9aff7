#include "BarChart.h"

#include "ReportDocument.h"
#include "ReportFrame.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace kx {

namespace {

// Room around the parts, in lines of the font.
constexpr double kTitleLines = 1.5;
constexpr double kLabelLines = 1.4;
constexpr double kValueLines = 1.3;

// Whole numbers with thousands separators.
QString whole(double v) { return QLocale(QLocale::English).toString(v, 'f', 0); }

QString tickText(double v, double step) {
    return step >= 1 ? whole(v) : ReportFrame::formatCell(v, QStringLiteral("0.##"));
}

// Amounts of a thousand and more without their cents, so that they fit over a bar.
QString valueText(double v) { return std::abs(v) >= 1000 ? whole(v) : ReportFrame::formatCell(v, QStringLiteral("0.00")); }

// The share of the chart's height the values standing upright may take at most.
constexpr double kUprightShare = 0.3;

} // namespace

QColor BarChart::barColour() { return QColor(0x3a, 0x6e, 0xa5); }

std::vector<double> BarChart::Axis::ticks() const {
    std::vector<double> out;
    const int n = int(std::lround((high - low) / step));
    for (int i = 0; i <= n; ++i) {
        // Worked out from the step each time, so no error piles up.
        const double v = low + step * i;
        out.push_back(std::abs(v) < step * 1e-9 ? 0.0 : v);
    }
    return out;
}

BarChart::Axis BarChart::axisFor(double min, double max, int wanted) {
    double lo = std::min(0.0, min), hi = std::max(0.0, max);
    if (!(hi > lo)) hi = lo + 1;
    const double raw = (hi - lo) / std::max(1, wanted);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double factor = norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 2.5 ? 2.5 : norm <= 5 ? 5 : 10;
    Axis a;
    a.step = factor * magnitude;
    // A hair of binary noise must not add a whole step.
    a.low = std::floor(lo / a.step + 1e-9) * a.step;
    a.high = std::ceil(hi / a.step - 1e-9) * a.step;
    if (a.high <= a.low) a.high = a.low + a.step;
    return a;
}

BarChart::Layout BarChart::layout(const QRectF& area, const QFontMetricsF& fm) const {
    Layout l;
    double min = 0, max = 0;
    for (const double v : values_) {
        min = std::min(min, v);
        max = std::max(max, v);
    }
    l.axis = axisFor(min, max);
    double axisWidth = 0;
    for (const double t : l.axis.ticks())
        axisWidth = std::max(axisWidth, fm.horizontalAdvance(tickText(t, l.axis.step)));
    axisWidth += fm.height() * 0.6;
    const double line = fm.height();
    const double top = area.top() + (title_.isEmpty() ? line * 0.3 : line * kTitleLines);
    const int n = std::max<int>(1, int(values_.size()));
    const double plotWidth = std::max(1.0, area.width() - axisWidth - line * 0.5);
    const double slot = plotWidth / n;
    // Values too wide for their slot are set smaller, or stand upright above the bars (then in
    // a font small enough to leave the bars most of the height).
    double widest = 0;
    for (const double v : values_)
        widest = std::max(widest, fm.horizontalAdvance(valueText(v)));
    double valueRoom = line * kValueLines;
    if (widest > slot * 0.95) {
        const double fit = slot * 0.95 / widest;
        if (fit >= 0.7) {
            l.valueScale = fit;
        } else {
            l.upright = true;
            const double most = std::max(line, (area.bottom() - top - line * kLabelLines) * kUprightShare);
            l.valueScale = std::max(0.5, std::min(1.0, (most - line * 0.4) / widest));
            valueRoom = widest * l.valueScale + line * 0.4;
        }
    }
    l.plot = QRectF(area.left() + axisWidth, top + valueRoom, plotWidth,
                    std::max(1.0, area.bottom() - line * kLabelLines - top - valueRoom));
    const double span = l.axis.high - l.axis.low;
    const auto y = [&](double v) { return l.plot.bottom() - (v - l.axis.low) / span * l.plot.height(); };
    l.baseline = y(0);
    for (size_t i = 0; i < values_.size(); ++i) {
        const double x = l.plot.left() + slot * double(i) + slot * 0.2;
        const double v = values_[i];
        l.bars.push_back(QRectF(QPointF(x, y(std::max(v, 0.0))), QPointF(x + slot * 0.6, y(std::min(v, 0.0)))));
    }
    return l;
}

void BarChart::paint(QPainter& painter, const QRectF& area) const {
    painter.save();
    const QFont font = painter.font();
    const QFontMetricsF fm(font, painter.device());
    const Layout l = layout(area, fm);
    const double line = fm.height();
    const int n = std::max<int>(1, int(values_.size()));
    const double slot = l.plot.width() / n;

    if (!title_.isEmpty()) {
        QFont bold = font;
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), area.top(), area.width(), line * kTitleLines),
                         Qt::AlignHCenter | Qt::AlignTop, title_);
        painter.setFont(font);
    }

    // The grid at the ticks, with their values on the left.
    QPen grid(QColor(0xd0, 0xd0, 0xd0));
    grid.setWidthF(line * 0.04);
    const double span = l.axis.high - l.axis.low;
    for (const double t : l.axis.ticks()) {
        const double ty = l.plot.bottom() - (t - l.axis.low) / span * l.plot.height();
        painter.setPen(grid);
        painter.drawLine(QPointF(l.plot.left(), ty), QPointF(l.plot.right(), ty));
        painter.setPen(QColor(0x44, 0x44, 0x44));
        painter.drawText(QRectF(area.left(), ty - line / 2, l.plot.left() - area.left() - line * 0.3, line),
                         Qt::AlignRight | Qt::AlignVCenter, tickText(t, l.axis.step));
    }

    // The bars and their values.
    QFont valueFont = font;
    if (l.valueScale < 1) {
        if (font.pointSizeF() > 0) valueFont.setPointSizeF(font.pointSizeF() * l.valueScale);
        else valueFont.setPixelSize(std::max(1, int(font.pixelSize() * l.valueScale)));
    }
    const QFontMetricsF vm(valueFont, painter.device());
    const double vline = vm.height();
    painter.setFont(valueFont);
    for (size_t i = 0; i < l.bars.size(); ++i) {
        const QRectF& bar = l.bars[i];
        painter.fillRect(bar, barColour());
        const QString text = valueText(values_[i]);
        const double advance = vm.horizontalAdvance(text);
        painter.setPen(Qt::black);
        const bool below = values_[i] < 0;
        if (!l.upright) {
            const QRectF at(bar.center().x() - slot / 2, below ? bar.bottom() : bar.top() - vline, slot, vline);
            painter.drawText(at, Qt::AlignHCenter | (below ? Qt::AlignTop : Qt::AlignBottom), text);
        } else {
            // Upright, reading upwards from the top of the bar.
            painter.save();
            painter.translate(bar.center().x(), below ? bar.bottom() + advance + vline * 0.2 : bar.top() - vline * 0.2);
            painter.rotate(-90);
            painter.drawText(QRectF(0, -vline / 2, advance + vline, vline), Qt::AlignLeft | Qt::AlignVCenter, text);
            painter.restore();
        }
    }
    painter.setFont(font);

    // The axis at 0, and the categories under the plot; when they would overlap, every k-th.
    QPen axis(QColor(0x33, 0x33, 0x33));
    axis.setWidthF(line * 0.06);
    painter.setPen(axis);
    painter.drawLine(QPointF(l.plot.left(), l.baseline), QPointF(l.plot.right(), l.baseline));
    painter.drawLine(QPointF(l.plot.left(), l.plot.top()), QPointF(l.plot.left(), l.plot.bottom()));
    double widest = 0;
    for (const QString& label : labels_)
        widest = std::max(widest, fm.horizontalAdvance(label));
    const int every = std::max(1, int(std::ceil((widest + line * 0.3) / slot)));
    painter.setPen(Qt::black);
    for (int i = 0; i < int(labels_.size()); i += every)
        painter.drawText(QRectF(l.plot.left() + slot * i + slot / 2 - widest, l.plot.bottom() + line * 0.2,
                                2 * widest, line),
                         Qt::AlignHCenter | Qt::AlignTop, labels_[i]);
    painter.restore();
}

QImage BarChart::image(const QSize& size) const {
    QImage out(size, QImage::Format_ARGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.setFont(ReportDocument::defaultFont());
    p.setRenderHint(QPainter::Antialiasing, false);
    paint(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return out;
}

BarChartView::BarChartView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BarChartView::setCharts(std::vector<BarChart> charts) {
    charts_ = std::move(charts);
    update();
}

void BarChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setFont(ReportDocument::defaultFont());
    p.setRenderHint(QPainter::Antialiasing);
    if (charts_.empty()) return;
    // Three charts: the first two side by side above the third, each with room for its bars.
    if (charts_.size() == 3) {
        const double h = height() / 2.0, w = width() / 2.0;
        charts_[0].paint(p, QRectF(8, 6, w - 16, h - 12));
        charts_[1].paint(p, QRectF(w + 8, 6, w - 16, h - 12));
        charts_[2].paint(p, QRectF(8, h + 6, width() - 16, h - 12));
        return;
    }
    const double h = double(height()) / double(charts_.size());
    for (size_t i = 0; i < charts_.size(); ++i)
        charts_[i].paint(p, QRectF(8, h * double(i) + 6, width() - 16, h - 12));
}

} // namespace kx
