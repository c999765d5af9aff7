#include "ReportFrame.h"

#include "Values.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace kx {

namespace {

enum class Style { Title, Plain, Bold, Small };
enum class RowKind { Captions, Detail, Totals };

// One line of the report as it is laid out: a line of text across the page, or a row of the
// table (every row of a report shares one set of column widths).
struct Block {
    bool isRow = false;
    QString text;
    Style style = Style::Plain;
    Qt::Alignment alignment = Qt::AlignLeft;
    QStringList cells;
    RowKind kind = RowKind::Detail;
    // Room above the line, left out at the top of a page.
    double gapMm = 0;
    // Kept on one page with the line after it (a group's header with its captions and first row).
    bool keepWithNext = false;
};

Block textLine(const QString& text, Style style = Style::Plain, double gapMm = 0) {
    Block b;
    b.text = text;
    b.style = style;
    b.gapMm = gapMm;
    return b;
}

Block tableRow(QStringList cells, RowKind kind, double gapMm = 0) {
    Block b;
    b.isRow = true;
    b.cells = std::move(cells);
    b.kind = kind;
    b.gapMm = gapMm;
    return b;
}

// The fonts and sizes of one device.
struct Metrics {
    explicit Metrics(QPaintDevice* device) : dpi(device->logicalDpiY()) {
        plain = ReportDocument::defaultFont();
        bold = plain;
        bold.setBold(true);
        title = bold;
        title.setPointSizeF(16);
        small = plain;
        small.setPointSizeF(8);
        for (const Style s : {Style::Title, Style::Plain, Style::Bold, Style::Small})
            metrics.emplace_back(font(s), device);
        padX = mm(0.8);
        padY = mm(0.5);
        pen = mm(0.2);
    }
    double mm(double v) const { return v / 25.4 * dpi; }
    const QFont& font(Style s) const {
        switch (s) {
        case Style::Title: return title;
        case Style::Bold: return bold;
        case Style::Small: return small;
        default: return plain;
        }
    }
    const QFontMetricsF& of(Style s) const { return metrics[size_t(s)]; }
    static Style styleOf(RowKind k) { return k == RowKind::Detail ? Style::Plain : Style::Bold; }

    double dpi;
    QFont plain, bold, title, small;
    std::vector<QFontMetricsF> metrics; // in the order of Style
    double padX, padY, pen;
};

// The height of `text` set in `width`, wrapped when it is wider.
double textHeight(const QFontMetricsF& fm, const QString& text, double width, double advance) {
    if (advance <= width) return fm.height();
    return fm.boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text).height();
}

class FramePages : public PaintedContent::Pages {
  public:
    struct Placed {
        int block;
        double y;
    };
    int count() const override { return int(pages.size()); }
    void paint(QPainter& painter, int index) const override;

    const std::vector<Block>* blocks = nullptr;
    const std::vector<Qt::Alignment>* alignments = nullptr;
    std::unique_ptr<Metrics> m;
    double width = 0;
    std::vector<double> columns; // left edges, and the right edge last
    std::vector<double> heights; // per block, without its gap
    std::vector<std::vector<Placed>> pages;
};

void FramePages::paint(QPainter& painter, int index) const {
    const std::vector<Block>& all = *blocks;
    QPen line(Qt::black);
    line.setWidthF(m->pen);
    for (const Placed& p : pages[size_t(index)]) {
        const Block& b = all[size_t(p.block)];
        const double h = heights[size_t(p.block)];
        if (!b.isRow) {
            painter.setFont(m->font(b.style));
            painter.setPen(b.style == Style::Small ? QColor(0x55, 0x55, 0x55) : QColor(Qt::black));
            painter.drawText(QRectF(0, p.y, width, h), int(b.alignment | Qt::AlignTop) | Qt::TextWordWrap, b.text);
            continue;
        }
        const double right = columns.back();
        if (b.kind == RowKind::Captions) painter.fillRect(QRectF(0, p.y, right, h), QColor(0xe8, 0xe8, 0xe8));
        painter.setFont(m->font(Metrics::styleOf(b.kind)));
        painter.setPen(Qt::black);
        for (int c = 0; c < int(columns.size()) - 1 && c < int(b.cells.size()); ++c) {
            if (b.cells[c].isEmpty()) continue;
            Qt::Alignment a = (*alignments)[size_t(c)];
            if (b.kind == RowKind::Captions) a = Qt::AlignHCenter;
            else if (b.kind == RowKind::Totals && c == 0) a = Qt::AlignLeft;
            const QRectF cell(columns[size_t(c)] + m->padX, p.y + m->padY,
                              columns[size_t(c) + 1] - columns[size_t(c)] - 2 * m->padX, h - 2 * m->padY);
            painter.drawText(cell, int((a & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter) | Qt::TextWordWrap,
                             b.cells[c]);
        }
        painter.setPen(line);
        painter.drawLine(QPointF(0, p.y), QPointF(right, p.y));
        painter.drawLine(QPointF(0, p.y + h), QPointF(right, p.y + h));
        for (const double x : columns)
            painter.drawLine(QPointF(x, p.y), QPointF(x, p.y + h));
    }
}

// The frame's lines, laid out on pages of any size.
class FrameContent : public PaintedContent {
  public:
    FrameContent(std::vector<Block> blocks, std::vector<Qt::Alignment> alignments)
        : blocks_(std::move(blocks)), alignments_(std::move(alignments)) {}

    std::unique_ptr<Pages> paginate(QPaintDevice* device, const QSizeF& body) const override {
        auto out = std::make_unique<FramePages>();
        out->blocks = &blocks_;
        out->alignments = &alignments_;
        out->m = std::make_unique<Metrics>(device);
        out->width = body.width();
        const Metrics& m = *out->m;
        const int n = int(alignments_.size());

        // Each cell's width, measured once.
        std::vector<std::vector<double>> advances(blocks_.size());
        std::vector<double> natural(size_t(n), 0.0);
        for (size_t i = 0; i < blocks_.size(); ++i) {
            const Block& b = blocks_[i];
            if (!b.isRow) continue;
            const QFontMetricsF& fm = m.of(Metrics::styleOf(b.kind));
            advances[i].resize(size_t(n), 0.0);
            for (int c = 0; c < n && c < int(b.cells.size()); ++c) {
                advances[i][size_t(c)] = fm.horizontalAdvance(b.cells[c]);
                natural[size_t(c)] = std::max(natural[size_t(c)], advances[i][size_t(c)] + 2 * m.padX + 1);
            }
        }
        const std::vector<double> widths = fitColumns(natural, body.width(), m.mm(6));
        out->columns.push_back(0);
        for (const double w : widths)
            out->columns.push_back(out->columns.back() + w);

        out->heights.resize(blocks_.size());
        for (size_t i = 0; i < blocks_.size(); ++i) {
            const Block& b = blocks_[i];
            if (!b.isRow) {
                const QFontMetricsF& fm = m.of(b.style);
                out->heights[i] = textHeight(fm, b.text, body.width(), fm.horizontalAdvance(b.text));
                continue;
            }
            const QFontMetricsF& fm = m.of(Metrics::styleOf(b.kind));
            double h = fm.height();
            for (int c = 0; c < n && c < int(b.cells.size()); ++c)
                h = std::max(h, textHeight(fm, b.cells[c], widths[size_t(c)] - 2 * m.padX, advances[i][size_t(c)]));
            out->heights[i] = h + 2 * m.padY;
        }

        // The pages: a line that does not fit starts the next one; a table continued there
        // gets its captions again.
        out->pages.emplace_back();
        double y = 0;
        int captions = -1; // the captions of the table being laid out
        const auto gap = [&](size_t i) { return m.mm(blocks_[i].gapMm); };
        for (size_t i = 0; i < blocks_.size(); ++i) {
            const Block& b = blocks_[i];
            if (!b.isRow) captions = -1;
            else if (b.kind == RowKind::Captions) captions = int(i);
            else if (i == 0 || !blocks_[i - 1].isRow) captions = -1;
            double need = gap(i) + out->heights[i];
            for (size_t k = i; k + 1 < blocks_.size() && blocks_[k].keepWithNext; ++k)
                need += gap(k + 1) + out->heights[k + 1];
            if (y > 0 && y + need > body.height()) {
                out->pages.emplace_back();
                y = 0;
                if (b.isRow && b.kind != RowKind::Captions && captions >= 0) {
                    out->pages.back().push_back({captions, 0});
                    y = out->heights[size_t(captions)];
                }
            } else if (y > 0) {
                y += gap(i);
            }
            out->pages.back().push_back({int(i), y});
            y += out->heights[i];
        }
        return out;
    }

    QString plainText() const override {
        QStringList lines;
        for (const Block& b : blocks_)
            lines << (b.isRow ? b.cells.join(QLatin1Char('\t')) : b.text);
        return lines.join(QLatin1Char('\n'));
    }

  private:
    // Widths that fill `total`: every column as wide as its widest cell, grown alike when there
    // is room; when there is not, the narrow columns keep theirs and the wide ones share the rest
    // (their text wraps).
    static std::vector<double> fitColumns(const std::vector<double>& natural, double total, double least) {
        std::vector<double> w = natural;
        double sum = 0;
        for (const double v : natural)
            sum += v;
        if (natural.empty() || sum <= 0) return w;
        if (sum <= total) {
            for (double& v : w)
                v *= total / sum;
            return w;
        }
        std::vector<bool> fixed(natural.size(), false);
        double left = total;
        size_t open = natural.size();
        for (bool changed = true; changed && open > 0;) {
            changed = false;
            for (size_t c = 0; c < natural.size(); ++c)
                if (!fixed[c] && natural[c] <= left / double(open)) {
                    fixed[c] = true;
                    left -= natural[c];
                    --open;
                    changed = true;
                }
        }
        double wide = 0;
        for (size_t c = 0; c < natural.size(); ++c)
            if (!fixed[c]) wide += natural[c];
        for (size_t c = 0; c < natural.size(); ++c)
            if (!fixed[c]) w[c] = std::max(least, left * natural[c] / wide);
        return w;
    }

    std::vector<Block> blocks_;
    std::vector<Qt::Alignment> alignments_;
};

// The running figures of one footer over the rows it closes.
struct Tally {
    const ReportTotals* totals = nullptr;
    int rows = 0;
    std::vector<double> sums;
    std::vector<int> counted;

    explicit Tally(const ReportTotals* t = nullptr) : totals(t) {
        if (t) {
            sums.assign(t->figures.size(), 0.0);
            counted.assign(t->figures.size(), 0);
        }
    }
    void add(const QVariantList& values) {
        ++rows;
        if (!totals) return;
        for (size_t f = 0; f < totals->figures.size(); ++f) {
            const int at = totals->figures[f].value;
            if (at < 0 || at >= values.size() || !values[at].isValid() || values[at].isNull()) continue;
            sums[f] += values[at].toDouble();
            ++counted[f];
        }
    }
    QString figure(size_t f) const {
        const ReportFigure& fig = totals->figures[f];
        switch (fig.kind) {
        case ReportFigure::Count: return ReportFrame::formatCell(rows, fig.format);
        case ReportFigure::Average:
            return counted[f] ? ReportFrame::formatCell(sums[f] / counted[f], fig.format) : QString();
        default: return ReportFrame::formatCell(sums[f], fig.format);
        }
    }
    // The footer's line: a row under the columns or a line of labelled figures; none when the
    // footer is empty.
    void writeTo(std::vector<Block>& out, int columns, double gapMm) const {
        if (!totals || (totals->caption.isEmpty() && totals->figures.empty())) return;
        if (totals->underColumns) {
            QStringList cells;
            for (int c = 0; c < columns; ++c)
                cells << QString();
            if (columns > 0) cells[0] = totals->caption;
            for (size_t f = 0; f < totals->figures.size(); ++f) {
                const int at = totals->figures[f].value;
                if (at >= 0 && at < columns) cells[at] = figure(f);
            }
            out.push_back(tableRow(cells, RowKind::Totals));
            return;
        }
        QStringList parts;
        if (!totals->caption.isEmpty()) parts << totals->caption;
        for (size_t f = 0; f < totals->figures.size(); ++f)
            parts << totals->figures[f].label + figure(f);
        out.push_back(textLine(parts.join(QStringLiteral("    ")), Style::Plain, gapMm));
    }
};

} // namespace

QString ReportFrame::formatCell(const QVariant& value, const QString& format) {
    if (!value.isValid() || value.isNull()) return QString();
    if (format.isEmpty()) return value.toString();
    bool ok = false;
    const double v = value.toDouble(&ok);
    if (!ok) return value.toString();
    const int point = format.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : int(format.size() - point - 1);
    QString text = QString::number(roundHalfEven(v, decimals), 'f', decimals);
    // "0.##": up to that many decimals, without trailing zeros.
    if (decimals > 0 && format.endsWith(QLatin1Char('#'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
        return text == QLatin1String("-0") ? QStringLiteral("0") : text;
    }
    if (decimals > 0) {
        const int dot = text.indexOf(QLatin1Char('.'));
        const int start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
        for (int i = dot - 3; i > start; i -= 3) text.insert(i, QLatin1Char(','));
    }
    return text;
}

void ReportFrame::startGroup(int level, const QString& title) {
    Entry e;
    e.level = level;
    e.title = title;
    entries_.push_back(std::move(e));
}

void ReportFrame::addRow(const QVariantList& values) {
    rows_.push_back(int(entries_.size()));
    Entry e;
    e.values = values;
    entries_.push_back(std::move(e));
}

double ReportFrame::sumOf(int column) const {
    double total = 0;
    for (const int r : rows_) {
        const QVariantList& row = entries_[size_t(r)].values;
        if (column < row.size()) total += row[column].toDouble();
    }
    return total;
}

ReportDocument ReportFrame::document() const {
    const int n = int(columns_.size());
    std::vector<Block> blocks;
    Block title = textLine(title_, Style::Title);
    title.alignment = Qt::AlignHCenter;
    blocks.push_back(title);
    QStringList head;
    if (venue_) head << QStringLiteral("单位名称：") + *venue_;
    if (!period_.isEmpty()) head << QStringLiteral("统计时段：") + period_;
    head << headings_;
    for (int i = 0; i < head.size(); ++i)
        blocks.push_back(textLine(head[i], Style::Plain, i == 0 ? 3 : 0));

    QStringList captionCells;
    for (const ReportColumn& c : columns_)
        captionCells << c.caption;
    const bool captionsInGroups =
        std::any_of(groups_.begin(), groups_.end(), [](const ReportGroup& g) { return g.captions; });
    if (!captionsInGroups) blocks.push_back(tableRow(captionCells, RowKind::Captions, 2));

    // The groups open, each with the figures of its footer; the summary's over every row.
    std::vector<Tally> open;
    Tally summary(&summary_);
    const auto closeTo = [&](size_t level) {
        while (open.size() > level) {
            open.back().writeTo(blocks, n, 1);
            open.pop_back();
        }
    };
    for (const Entry& e : entries_) {
        if (e.level >= 0 && e.level < int(groups_.size())) {
            closeTo(size_t(e.level));
            // A group skipped above this one still closes in its turn.
            while (open.size() < size_t(e.level))
                open.emplace_back(nullptr);
            const ReportGroup& g = groups_[size_t(e.level)];
            Block header = textLine(g.prefix + e.title, Style::Bold, e.level == 0 ? 4 : 2);
            header.keepWithNext = true;
            blocks.push_back(header);
            if (g.captions) {
                Block caps = tableRow(captionCells, RowKind::Captions, 1);
                caps.keepWithNext = true;
                blocks.push_back(caps);
            }
            open.emplace_back(&g.footer);
            continue;
        }
        if (e.level >= 0) continue;
        QStringList cells;
        for (int i = 0; i < n; ++i)
            cells << formatCell(i < e.values.size() ? e.values[i] : QVariant(), columns_[size_t(i)].format);
        blocks.push_back(tableRow(cells, RowKind::Detail));
        for (Tally& t : open)
            t.add(e.values);
        summary.add(e.values);
    }
    closeTo(0);

    bool anySum = false;
    for (const ReportColumn& c : columns_)
        anySum = anySum || c.sum;
    const auto sumText = [this](int i) {
        const ReportColumn& c = columns_[size_t(i)];
        return formatCell(sumOf(i), c.format.isEmpty() ? QStringLiteral("0.00") : c.format);
    };
    if (anySum) {
        QStringList cells;
        for (int i = 0; i < n; ++i)
            cells << (i == 0 ? sumCaption_ : columns_[size_t(i)].sum ? sumText(i) : QString());
        blocks.push_back(tableRow(cells, RowKind::Totals));
        if (labelledSums_) {
            QStringList parts{sumCaption_};
            for (int i = 0; i < n; ++i)
                if (columns_[size_t(i)].sum) parts << columns_[size_t(i)].caption + QStringLiteral("：") + sumText(i);
            blocks.push_back(textLine(parts.join(QStringLiteral("    ")), Style::Bold, 2));
        }
    }
    summary.writeTo(blocks, n, 4);

    QStringList foot = remarks_;
    // A form that names its own maker (a printed bill) sets none.
    if (madeAt_.isValid() || !madeBy_.isEmpty())
        foot << QStringLiteral("制表时间：") + madeAt_.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                    QStringLiteral("    制表人：") + madeBy_;
    for (int i = 0; i < foot.size(); ++i)
        blocks.push_back(textLine(foot[i], Style::Plain, i == 0 ? 3 : 0));
    if (!footer_.isEmpty()) {
        Block f = textLine(footer_, Style::Small, 3);
        f.alignment = Qt::AlignHCenter;
        blocks.push_back(f);
    }

    std::vector<Qt::Alignment> alignments;
    for (const ReportColumn& c : columns_)
        alignments.push_back(c.alignment);
    ReportDocument doc(title_);
    doc.setContent(std::make_shared<FrameContent>(std::move(blocks), std::move(alignments)));
    return doc;
}

} // namespace kx
