#include "ReportFrame.h"

#include "Values.h"

namespace kx {

namespace {
QString alignText(Qt::Alignment a) {
    if (a & Qt::AlignRight) return QStringLiteral("right");
    if (a & Qt::AlignHCenter) return QStringLiteral("center");
    return QStringLiteral("left");
}
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
    if (decimals > 0) {
        const int dot = text.indexOf(QLatin1Char('.'));
        const int start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
        for (int i = dot - 3; i > start; i -= 3) text.insert(i, QLatin1Char(','));
    }
    return text;
}

double ReportFrame::sumOf(int column) const {
    double total = 0;
    for (const QVariantList& row : rows_)
        if (column < row.size()) total += row[column].toDouble();
    return total;
}

QString ReportFrame::html() const {
    const auto esc = [](const QString& s) { return ReportDocument::escape(s); };
    QString h;
    h += QStringLiteral("<html><body style=\"font-size:10pt\">");
    h += QStringLiteral("<p align=\"center\" style=\"font-size:16pt; font-weight:bold\">%1</p>").arg(esc(title_));
    QStringList head;
    head << QStringLiteral("单位名称：") + esc(venue_);
    if (!period_.isEmpty()) head << QStringLiteral("统计时段：") + esc(period_);
    for (const QString& line : headings_) head << esc(line);
    h += QStringLiteral("<p>") + head.join(QStringLiteral("<br>")) + QStringLiteral("</p>");

    h += QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
                        "style=\"border-collapse:collapse\"><thead><tr>");
    for (const ReportColumn& c : columns_)
        h += QStringLiteral("<th align=\"center\" bgcolor=\"#e8e8e8\">%1</th>").arg(esc(c.caption));
    h += QStringLiteral("</tr></thead><tbody>");
    for (const QVariantList& row : rows_) {
        h += QStringLiteral("<tr>");
        for (int i = 0; i < int(columns_.size()); ++i) {
            const ReportColumn& c = columns_[size_t(i)];
            const QVariant v = i < row.size() ? row[i] : QVariant();
            h += QStringLiteral("<td align=\"%1\">%2</td>").arg(alignText(c.alignment), esc(formatCell(v, c.format)));
        }
        h += QStringLiteral("</tr>");
    }
    bool anySum = false;
    for (const ReportColumn& c : columns_) anySum = anySum || c.sum;
    if (anySum) {
        h += QStringLiteral("<tr>");
        for (int i = 0; i < int(columns_.size()); ++i) {
            const ReportColumn& c = columns_[size_t(i)];
            QString cell;
            if (i == 0) cell = esc(sumCaption_);
            else if (c.sum) cell = esc(formatCell(sumOf(i), c.format.isEmpty() ? QStringLiteral("0.00") : c.format));
            h += QStringLiteral("<td align=\"%1\"><b>%2</b></td>").arg(i == 0 ? QStringLiteral("left") : alignText(c.alignment), cell);
        }
        h += QStringLiteral("</tr>");
    }
    h += QStringLiteral("</tbody></table>");
    if (anySum && labelledSums_) {
        QStringList parts;
        for (int i = 0; i < int(columns_.size()); ++i) {
            const ReportColumn& c = columns_[size_t(i)];
            if (c.sum)
                parts << esc(c.caption) + QStringLiteral("：") +
                             esc(formatCell(sumOf(i), c.format.isEmpty() ? QStringLiteral("0.00") : c.format));
        }
        h += QStringLiteral("<p><b>%1</b>&nbsp;&nbsp;%2</p>").arg(esc(sumCaption_), parts.join(QStringLiteral("&nbsp;&nbsp;&nbsp;")));
    }

    QStringList foot;
    for (const QString& r : remarks_) foot << esc(r);
    // A form that names its own maker (a printed bill) sets none.
    if (madeAt_.isValid() || !madeBy_.isEmpty())
        foot << QStringLiteral("制表时间：") + esc(madeAt_.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))) +
                    QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;制表人：") + esc(madeBy_);
    h += QStringLiteral("<p>") + foot.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
    if (!footer_.isEmpty())
        h += QStringLiteral("<p align=\"center\" style=\"font-size:8pt; color:#555555\">%1</p>").arg(esc(footer_));
    h += QStringLiteral("</body></html>");
    return h;
}

ReportDocument ReportFrame::document() const {
    ReportDocument doc(title_);
    doc.setHtml(html());
    return doc;
}

} // namespace kx
