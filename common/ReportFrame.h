#pragma once
// The frame every printed report of both programs shares: the title, "单位名称：" with the
// venue, "统计时段：" with the period, further heading lines, the column captions, the rows,
// the "合计" line of the summed columns, "制表时间：" and "制表人：", remarks and a footer.
//
// The rows may be grouped on levels (a kind, then its classes): each group opens with a header
// line (and the column captions again, when its level asks), and closes with a footer of
// figures worked out over its rows: sums, the line count, averages. A closing summary works
// them out over every row. A row may carry values past the shown columns: they are never
// printed, but a figure may sum them (an amount that is count × price).
//
// The frame paints its own pages: thousands of lines lay out in well under a second, the
// captions repeat at the top of a page that continues a table, and the pages are numbered.
//
//   ReportFrame r(QStringLiteral("库存分类盘点表"));
//   r.setColumns(columns);                     // the shown columns; row value 8 is count × price
//   const ReportFigure amount{QStringLiteral("小计金额："), ReportFigure::Sum, 8};
//   r.setGroups({{QStringLiteral("大类："), false, {}}, {QStringLiteral("分类->"), true, {{}, {amount}}}});
//   r.startGroup(0, QStringLiteral("酒水"));   // closes the kind and class before it
//   r.startGroup(1, QStringLiteral("酒类"));
//   r.addRow(values);
#include "ReportDocument.h"

#include <QDateTime>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

namespace kx {

struct ReportColumn {
    QString caption;
    // "0.00" (two decimals, thousands separators), "0" (whole number), "0.##" (up to two
    // decimals, no trailing zeros) or empty (text).
    QString format;
    bool sum = false;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// One figure of a group's footer or of the summary, worked out over the rows it closes.
struct ReportFigure {
    enum Kind { Sum, Count, Average };
    // Printed before the value when the figures stand side by side ("小计金额：").
    QString label;
    Kind kind = Sum;
    // The index of the row value it is worked out from (a shown column or a value past them);
    // where the figures stand under the columns, the column it stands under.
    int value = 0;
    // As a column's format; an average of no rows prints nothing.
    QString format = QStringLiteral("0.00");
};

// A footer of figures: a group's, or the summary closing the report.
struct ReportTotals {
    // "小计", "合计", "总计": the first cell of the line under the columns, or the first words
    // of the line of labelled figures. A footer without caption and figures prints nothing.
    QString caption;
    std::vector<ReportFigure> figures;
    // Each figure in the table under its own column, or the figures labelled side by side.
    bool underColumns = false;
};

// One level of groups.
struct ReportGroup {
    // The header line: prefix + the group's title ("大类：" + "酒水").
    QString prefix;
    // The column captions again under each header of this level (then not above the table).
    bool captions = false;
    ReportTotals footer;
};

class ReportFrame {
public:
    explicit ReportFrame(const QString& title) : title_(title) {}

    QString title() const { return title_; }
    // "单位名称：" + venue (shown as given, e.g. "【金桂园】"); left out when never set.
    void setVenue(const QString& venue) { venue_ = venue; }
    // "统计时段：" + period; left out when empty.
    void setPeriod(const QString& period) { period_ = period; }
    // Further heading lines ("交班时间：…", "交班员工：…").
    void addHeading(const QString& line) { headings_ << line; }
    void setColumns(std::vector<ReportColumn> columns) { columns_ = std::move(columns); }
    // The levels of groups, the outermost first.
    void setGroups(std::vector<ReportGroup> levels) { groups_ = std::move(levels); }
    // Starts a group of `level` titled `title` for the rows added next; the groups open on that
    // level and deeper close first, each with its footer.
    void startGroup(int level, const QString& title);
    // Values of the shown columns in order, then any values only figures use.
    void addRow(const QVariantList& values);
    // The caption of the sums line; "合计" unless set.
    void setSumCaption(const QString& caption) { sumCaption_ = caption; }
    // Also prints the sums as one line below the table: caption, then "初始金额：…" per summed
    // column.
    void setLabelledSums(bool on) { labelledSums_ = on; }
    // The figures over every row after the table and the last group's footer.
    void setSummary(ReportTotals summary) { summary_ = std::move(summary); }
    // "制表时间：" + when, "制表人：" + who; left out when never set.
    void setMade(const QDateTime& when, const QString& who) {
        madeAt_ = when;
        madeBy_ = who;
    }
    void addRemark(const QString& line) { remarks_ << line; }
    void setFooter(const QString& footer) { footer_ = footer; }

    // The sum of a row value over every row.
    double sumOf(int column) const;
    // A value as the report prints it in a column.
    static QString formatCell(const QVariant& value, const QString& format);

    // The document to preview, print or save (A4; numbered pages when it runs over one page).
    ReportDocument document() const;

private:
    // A row, or the start of a group (level >= 0) before the rows that follow.
    struct Entry {
        int level = -1;
        QString title;
        QVariantList values;
    };

    QString title_;
    std::optional<QString> venue_;
    QString period_;
    QStringList headings_;
    std::vector<ReportColumn> columns_;
    std::vector<ReportGroup> groups_;
    std::vector<Entry> entries_;
    std::vector<int> rows_; // the entries that are rows
    QString sumCaption_ = QStringLiteral("合计");
    bool labelledSums_ = false;
    ReportTotals summary_;
    QDateTime madeAt_;
    QString madeBy_;
    QStringList remarks_;
    QString footer_;
};

} // namespace kx
