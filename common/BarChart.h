#pragma once
// One bar chart, drawn with QPainter into any rectangle: the screen's chart page, the print
// preview and the PDF all paint the same drawing. Category labels under the bars (Chinese
// included; every other one left out when they would overlap), the value above each bar, and
// an axis whose ticks fall on round numbers (1, 2, 2.5 or 5 times a power of ten).
//
//   kx::BarChart chart(QStringLiteral("实收金额（按大类）"));
//   chart.add(QStringLiteral("酒水"), 1280.5);
//   chart.paint(painter, QRectF(0, 0, 600, 300));
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <vector>

class QFontMetricsF;
class QPainter;

namespace kx {

class BarChart {
  public:
    explicit BarChart(const QString& title = QString()) : title_(title) {}

    QString title() const { return title_; }
    void add(const QString& label, double value) {
        labels_ << label;
        values_.push_back(value);
    }
    const QStringList& labels() const { return labels_; }
    const std::vector<double>& values() const { return values_; }
    bool isEmpty() const { return values_.empty(); }

    // The value axis: from `low` to `high` in steps of `step`, 0 always on it.
    struct Axis {
        double low = 0;
        double high = 1;
        double step = 1;
        std::vector<double> ticks() const;
    };
    // Round ticks covering `min` … `max` (and 0) in about `wanted` steps.
    static Axis axisFor(double min, double max, int wanted = 5);

    // Where the parts fall inside `area` when painted with the font of `fm`.
    struct Layout {
        QRectF plot;              // the area the bars stand in
        std::vector<QRectF> bars; // one per value, in order
        Axis axis;
        double baseline = 0;      // the y of the value 0
        double valueScale = 1;    // the values' font against the chart's
        bool upright = false;     // the values stand upright above the bars
    };
    Layout layout(const QRectF& area, const QFontMetricsF& fm) const;

    // Paints the chart into `area` with the painter's font (the report font unless set).
    void paint(QPainter& painter, const QRectF& area) const;
    // The chart on a white image of `size` pixels.
    QImage image(const QSize& size) const;

    // The bars' colour.
    static QColor barColour();

  private:
    QString title_;
    QStringList labels_;
    std::vector<double> values_;
};

// Shows charts one under the other, each as tall as the widget allows.
class BarChartView : public QWidget {
    Q_OBJECT
  public:
    explicit BarChartView(QWidget* parent = nullptr);
    void setCharts(std::vector<BarChart> charts);
    const std::vector<BarChart>& charts() const { return charts_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<BarChart> charts_;
};

} // namespace kx
