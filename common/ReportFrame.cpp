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

// One line of the report as it is laid out: a line of text across the page (with a second text
// on its right), a row of a table (every row of one table shares one set of column widths), a
// line of labelled figures in blocks side by side, or a chart.
struct Block {
    bool isRow = false;
    QString text;
    QString rightText;
    Style style = Style::Plain;
    Qt::Alignment alignment = Qt::AlignLeft;
    QStringList cells;
    RowKind kind = RowKind::Detail;
    int table = 0;
    // Labelled figures: label and value of each block in turn.
    bool isPairs = false;
    // A chart as tall as chartMm.
    const BarChart* chart = nullptr;
    double chartMm = 0;
    // Room above the line, left out at the top of a page.
    double gapMm = 0;
    // Starts a new page (unless it is the first line of one).
    bool newPage = false;
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

Block tableRow(QStringList cells, RowKind kind, int table, double gapMm = 0) {
    Block b;
    b.isRow = true;
    b.cells = std::move(cells);
    b.kind = kind;
    b.table = table;
    b.gapMm = gapMm;
    return b;
}

Block pairsLine(QStringList cells, Style style, double gapMm = 0) {
    Block b;
    b.isPairs = true;
    b.cells = std::move(cells);
    b.style = style;
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
    const std::vector<std::vector<Qt::Alignment>>* alignments = nullptr;
    std::unique_ptr<Metrics> m;
    double width = 0;
    std::vector<std::vector<double>> columns; // per table: left edges, and the right edge last
    std::vector<double> heights;              // per block, without its gap
    std::vector<std::vector<Placed>> pages;
};

void FramePages::paint(QPainter& painter, int index) const {
    const std::vector<Block>& all = *blocks;
    QPen line(Qt::black);
    line.setWidthF(m->pen);
    for (const Placed& p : pages[size_t(index)]) {
        const Block& b = all[size_t(p.block)];
        const double h = heights[size_t(p.block)];
        if (b.chart) {
            painter.setFont(m->plain);
            b.chart->paint(painter, QRectF(0, p.y, width, h));
            continue;
        }
        if (b.isPairs) {
            // Each block a column of its own: the label at its left, the value right-aligned
            // at three quarters of its width.
            painter.setFont(m->font(b.style));
            painter.setPen(Qt::black);
            const int blocks = std::max(1, int(b.cells.size() / 2));
            const double w = width / blocks;
            for (int i = 0; i < blocks; ++i) {
                const double x = w * i;
                painter.drawText(QRectF(x, p.y, w, h), Qt::AlignLeft | Qt::AlignTop, b.cells[2 * i]);
                painter.drawText(QRectF(x, p.y, w * 0.75, h), Qt::AlignRight | Qt::AlignTop, b.cells[2 * i + 1]);
            }
            continue;
        }
        if (!b.isRow) {
            painter.setFont(m->font(b.style));
            painter.setPen(b.style == Style::Small ? QColor(0x55, 0x55, 0x55) : QColor(Qt::black));
            painter.drawText(QRectF(0, p.y, width, h), int(b.alignment | Qt::AlignTop) | Qt::TextWordWrap, b.text);
            if (!b.rightText.isEmpty())
                painter.drawText(QRectF(0, p.y, width, h), int(Qt::AlignRight | Qt::AlignTop), b.rightText);
            continue;
        }
        const std::vector<double>& columns = this->columns[size_t(b.table)];
        const std::vector<Qt::Alignment>& aligned = (*alignments)[size_t(b.table)];
        const double right = columns.back();
        if (b.kind == RowKind::Captions) painter.fillRect(QRectF(0, p.y, right, h), QColor(0xe8, 0xe8, 0xe8));
        painter.setFont(m->font(Metrics::styleOf(b.kind)));
        painter.setPen(Qt::black);
        for (int c = 0; c < int(columns.size()) - 1 && c < int(b.cells.size()); ++c) {
            if (b.cells[c].isEmpty()) continue;
            Qt::Alignment a = aligned[size_t(c)];
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
    FrameContent(std::vector<Block> blocks, std::vector<std::vector<Qt::Alignment>> alignments,
                 std::vector<BarChart> charts)
        : blocks_(std::move(blocks)), alignments_(std::move(alignments)), charts_(std::move(charts)) {
        // The chart lines point at the charts this content keeps.
        int next = 0;
        for (Block& b : blocks_)
            if (b.chart) b.chart = &charts_[size_t(next++)];
    }

    std::unique_ptr<Pages> paginate(QPaintDevice* device, const QSizeF& body) const override {
        auto out = std::make_unique<FramePages>();
        out->blocks = &blocks_;
        out->alignments = &alignments_;
        out->m = std::make_unique<Metrics>(device);
        out->width = body.width();
        const Metrics& m = *out->m;
        const size_t tables = alignments_.size();

        // Each cell's width, measured once; each table's columns as wide as their widest cells.
        std::vector<std::vector<double>> advances(blocks_.size());
        std::vector<std::vector<double>> natural(tables);
        for (size_t t = 0; t < tables; ++t)
            natural[t].assign(alignments_[t].size(), 0.0);
        for (size_t i = 0; i < blocks_.size(); ++i) {
            const Block& b = blocks_[i];
            if (!b.isRow) continue;
            std::vector<double>& nat = natural[size_t(b.table)];
            const int n = int(nat.size());
            const QFontMetricsF& fm = m.of(Metrics::styleOf(b.kind));
            advances[i].resize(size_t(n), 0.0);
            for (int c = 0; c < n && c < int(b.cells.size()); ++c) {
                advances[i][size_t(c)] = fm.horizontalAdvance(b.cells[c]);
                nat[size_t(c)] = std::max(nat[size_t(c)], advances[i][size_t(c)] + 2 * m.padX + 1);
            }
        }
        std::vector<std::vector<double>> widths(tables);
        for (size_t t = 0; t < tables; ++t) {
            widths[t] = fitColumns(natural[t], body.width(), m.mm(6));
            std::vector<double> edges{0};
            for (const double w : widths[t])
                edges.push_back(edges.back() + w);
            out->columns.push_back(std::move(edges));
        }

        out->heights.resize(blocks_.size());
        for (size_t i = 0; i < blocks_.size(); ++i) {
            const Block& b = blocks_[i];
            if (b.chart) {
                out->heights[i] = std::min(m.mm(b.chartMm), body.height());
                continue;
            }
            if (b.isPairs) {
                out->heights[i] = m.of(b.style).height() * 1.15;
                continue;
            }
            if (!b.isRow) {
                const QFontMetricsF& fm = m.of(b.style);
                out->heights[i] = textHeight(fm, b.text, body.width(), fm.horizontalAdvance(b.text));
                continue;
            }
            const std::vector<double>& w = widths[size_t(b.table)];
            const QFontMetricsF& fm = m.of(Metrics::styleOf(b.kind));
            double h = fm.height();
            for (int c = 0; c < int(w.size()) && c < int(b.cells.size()); ++c)
                h = std::max(h, textHeight(fm, b.cells[c], w[size_t(c)] - 2 * m.padX, advances[i][size_t(c)]));
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
            if (y > 0 && (b.newPage || y + need > body.height())) {
                out->pages.emplace_back();
                y = 0;
                if (b.isRow && !b.newPage && b.kind != RowKind::Captions && captions >= 0) {
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
        for (const Block& b : blocks_) {
            if (b.chart) {
                lines << b.chart->title();
            } else if (b.isPairs) {
                QStringList parts;
                for (int i = 0; i + 1 < b.cells.size(); i += 2)
                    parts << b.cells[i] + b.cells[i + 1];
                lines << parts.join(QLatin1Char('\t'));
            } else if (b.isRow) {
                lines << b.cells.join(QLatin1Char('\t'));
            } else {
                lines << (b.rightText.isEmpty() ? b.text : b.text + QLatin1Char('\t') + b.rightText);
            }
        }
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
    std::vector<std::vector<Qt::Alignment>> alignments_;
    std::vector<BarChart> charts_;
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
    void writeTo(std::vector<Block>& out, int columns, int table, double gapMm) const {
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
            out.push_back(tableRow(cells, RowKind::Totals, table));
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
    // "0.0%": the value is the percentage; the sign follows it.
    if (format.endsWith(QLatin1Char('%'))) return formatCell(v, format.chopped(1)) + QLatin1Char('%');
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
    cur().entries.push_back(std::move(e));
}

void ReportFrame::addRow(const QVariantList& values) {
    Section& s = cur();
    s.rows.push_back(int(s.entries.size()));
    Entry e;
    e.values = values;
    s.entries.push_back(std::move(e));
}

void ReportFrame::addSection(const QString& heading, Start start) {
    Section s;
    s.heading = heading;
    s.start = start;
    sections_.push_back(std::move(s));
}

double ReportFrame::sumOf(int column) const {
    double total = 0;
    const Section& s = cur();
    for (const int r : s.rows) {
        const QVariantList& row = s.entries[size_t(r)].values;
        if (column < row.size()) total += row[column].toDouble();
    }
    return total;
}

QString ReportFrame::ourFooter() {
    return QStringLiteral("Kestrix餐饮娱乐管理系统 · Kestrix 软件工作室 · www.kestrix.example");
}

ReportDocument ReportFrame::document() const {
    std::vector<Block> blocks;
    std::vector<std::vector<Qt::Alignment>> alignments;

    // The title, venue, period with the subtitle on its right, and the further headings.
    const auto writeHeading = [&](bool newPage) {
        Block title = textLine(title_, Style::Title);
        title.alignment = Qt::AlignHCenter;
        title.newPage = newPage;
        blocks.push_back(title);
        QStringList head;
        if (venue_) head << QStringLiteral("单位名称：") + *venue_;
        if (!period_.isEmpty()) head << QStringLiteral("统计时段：") + period_;
        const int subtitleAt = int(head.size()) - 1;
        head << headings_;
        for (int i = 0; i < head.size(); ++i) {
            blocks.push_back(textLine(head[i], Style::Plain, i == 0 ? 3 : 0));
            if (i == subtitleAt) blocks.back().rightText = subtitle_;
        }
        if (subtitleAt < 0 && !subtitle_.isEmpty()) {
            Block sub = textLine(subtitle_, Style::Plain, 3);
            sub.alignment = Qt::AlignRight;
            blocks.push_back(sub);
        }
    };
    writeHeading(false);

    for (const Section& s : sections_) {
        if (s.start == Start::NewReport) {
            writeHeading(true);
        }
        if (!s.heading.isEmpty()) {
            Block h = textLine(s.heading, Style::Bold, 4);
            h.newPage = s.start == Start::NewPage;
            h.keepWithNext = true;
            blocks.push_back(h);
        }
        const int n = int(s.columns.size());
        const int table = int(alignments.size());
        if (n > 0) {
            std::vector<Qt::Alignment> aligned;
            for (const ReportColumn& c : s.columns)
                aligned.push_back(c.alignment);
            alignments.push_back(std::move(aligned));

            QStringList captionCells;
            for (const ReportColumn& c : s.columns)
                captionCells << c.caption;
            const bool captionsInGroups =
                std::any_of(s.groups.begin(), s.groups.end(), [](const ReportGroup& g) { return g.captions; });
            if (!captionsInGroups) blocks.push_back(tableRow(captionCells, RowKind::Captions, table, 2));

            // The groups open, each with the figures of its footer; the summary's over every row.
            std::vector<Tally> open;
            Tally summary(&s.summary);
            const auto closeTo = [&](size_t level) {
                while (open.size() > level) {
                    open.back().writeTo(blocks, n, table, 1);
                    open.pop_back();
                }
            };
            for (const Entry& e : s.entries) {
                if (e.level >= 0 && e.level < int(s.groups.size())) {
                    closeTo(size_t(e.level));
                    // A group skipped above this one still closes in its turn.
                    while (open.size() < size_t(e.level))
                        open.emplace_back(nullptr);
                    const ReportGroup& g = s.groups[size_t(e.level)];
                    Block header = textLine(g.prefix + e.title, Style::Bold, e.level == 0 ? 4 : 2);
                    header.keepWithNext = true;
                    blocks.push_back(header);
                    if (g.captions) {
                        Block caps = tableRow(captionCells, RowKind::Captions, table, 1);
                        caps.keepWithNext = true;
                        blocks.push_back(caps);
                    }
                    open.emplace_back(&g.footer);
                    continue;
                }
                if (e.level >= 0) continue;
                QStringList cells;
                for (int i = 0; i < n; ++i)
                    cells << formatCell(i < e.values.size() ? e.values[i] : QVariant(), s.columns[size_t(i)].format);
                blocks.push_back(tableRow(cells, RowKind::Detail, table));
                for (Tally& t : open)
                    t.add(e.values);
                summary.add(e.values);
            }
            closeTo(0);

            bool anySum = false;
            for (const ReportColumn& c : s.columns)
                anySum = anySum || c.sum;
            const auto sumText = [&s](int i) {
                const ReportColumn& c = s.columns[size_t(i)];
                double total = 0;
                for (const int r : s.rows) {
                    const QVariantList& row = s.entries[size_t(r)].values;
                    if (i < row.size()) total += row[i].toDouble();
                }
                return formatCell(total, c.format.isEmpty() ? QStringLiteral("0.00") : c.format);
            };
            if (anySum) {
                QStringList cells;
                for (int i = 0; i < n; ++i)
                    cells << (i == 0 ? s.sumCaption : s.columns[size_t(i)].sum ? sumText(i) : QString());
                blocks.push_back(tableRow(cells, RowKind::Totals, table));
                if (s.labelledSums) {
                    QStringList parts{s.sumCaption};
                    for (int i = 0; i < n; ++i)
                        if (s.columns[size_t(i)].sum)
                            parts << s.columns[size_t(i)].caption + QStringLiteral("：") + sumText(i);
                    blocks.push_back(textLine(parts.join(QStringLiteral("    ")), Style::Bold, 2));
                }
            }
            summary.writeTo(blocks, n, table, 4);
        }

        // Blocks of labelled figures side by side: the headings, then line by line.
        for (const std::vector<ReportFigureBlock>& side : s.figureBlocks) {
            if (side.empty()) continue;
            QStringList heads;
            size_t lines = 0;
            for (const ReportFigureBlock& b : side) {
                heads << b.heading << QString();
                lines = std::max(lines, b.lines.size());
            }
            Block h = pairsLine(heads, Style::Bold, 4);
            h.keepWithNext = true;
            blocks.push_back(h);
            for (size_t l = 0; l < lines; ++l) {
                QStringList cells;
                for (const ReportFigureBlock& b : side) {
                    if (l < b.lines.size()) cells << b.lines[l].first << b.lines[l].second;
                    else cells << QString() << QString();
                }
                blocks.push_back(pairsLine(cells, Style::Plain, l == 0 ? 1 : 0));
            }
        }
    }

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

    // The chart page: its heading and the charts sharing the page's height.
    if (!charts_.empty()) {
        Block h = textLine(chartHeading_.isEmpty() ? title_ : chartHeading_, Style::Bold);
        h.newPage = true;
        blocks.push_back(h);
        for (size_t i = 0; i < charts_.size(); ++i) {
            Block c;
            c.chart = &charts_[i]; // pointed at the content's own copy when it is made
            c.chartMm = std::min(120.0, 250.0 / double(charts_.size()));
            c.gapMm = 3;
            blocks.push_back(c);
        }
    }

    ReportDocument doc(title_);
    if (landscape_) doc.setPage(QPageSize(QPageSize::A4), QMarginsF(10, 10, 10, 10), QPageLayout::Landscape);
    doc.setContent(std::make_shared<FrameContent>(std::move(blocks), std::move(alignments), charts_));
    return doc;
}

} // namespace kx
