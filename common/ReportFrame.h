#pragma once
// The frame every printed report of both programs shares: the title, "单位名称：" with the
// venue, "统计时段：" with the period, further heading lines, the column captions, the rows,
// the "合计" line of the summed columns, "制表时间：" and "制表人：", remarks and a footer.
#include "ReportDocument.h"

#include <QDateTime>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace kx {

struct ReportColumn {
    QString caption;
    // "0.00" (two decimals, thousands separators), "0" (whole number) or empty (text).
    QString format;
    bool sum = false;
    Qt::Alignment alignment = Qt::AlignLeft;
};

class ReportFrame {
public:
    explicit ReportFrame(const QString& title) : title_(title) {}

    QString title() const { return title_; }
    // "单位名称：" + venue (shown as given, e.g. "【金桂园】").
    void setVenue(const QString& venue) { venue_ = venue; }
    // "统计时段：" + period; left out when empty.
    void setPeriod(const QString& period) { period_ = period; }
    // Further heading lines ("交班时间：…", "交班员工：…").
    void addHeading(const QString& line) { headings_ << line; }
    void setColumns(std::vector<ReportColumn> columns) { columns_ = std::move(columns); }
    void addRow(const QVariantList& values) { rows_.push_back(values); }
    // The caption of the sums line; "合计" unless set.
    void setSumCaption(const QString& caption) { sumCaption_ = caption; }
    // Also prints the sums as one line below the table: caption, then "初始金额：…" per summed
    // column.
    void setLabelledSums(bool on) { labelledSums_ = on; }
    // "制表时间：" + when, "制表人：" + who; left out when never set.
    void setMade(const QDateTime& when, const QString& who) {
        madeAt_ = when;
        madeBy_ = who;
    }
    void addRemark(const QString& line) { remarks_ << line; }
    void setFooter(const QString& footer) { footer_ = footer; }

    // The sum of a summed column over every row.
    double sumOf(int column) const;
    // A value as the report prints it in a column.
    static QString formatCell(const QVariant& value, const QString& format);

    QString html() const;
    // The document to preview, print or save (A4; numbered pages when it runs over one page).
    ReportDocument document() const;

private:
    QString title_;
    QString venue_;
    QString period_;
    QStringList headings_;
    std::vector<ReportColumn> columns_;
    std::vector<QVariantList> rows_;
    QString sumCaption_ = QStringLiteral("合计");
    bool labelledSums_ = false;
    QDateTime madeAt_;
    QString madeBy_;
    QStringList remarks_;
    QString footer_;
};

} // namespace kx
