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
// A report may hold several sections one after the other (each with its heading, its own
// columns, groups and sums, and blocks of labelled figures standing side by side), a subtitle
// on the right of the period, and a last page of charts after the maker's lines.
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
#include "BarChart.h"
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
    // decimals, no trailing zeros), "0.0%" (a percentage with one decimal) or empty (text).
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

// A block of labelled figures under a heading ("[营业状况]", then "帐 单 数：" 12 …); the
// blocks of one call stand side by side.
struct ReportFigureBlock {
    QString heading;
    std::vector<std::pair<QString, QString>> lines; // label, value as printed
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
    // Printed on the right of the period's line ("综合统计", "部门:大厅").
    void setSubtitle(const QString& subtitle) { subtitle_ = subtitle; }
    // The line every report closes with: the product and its maker's address.
    static QString ourFooter();
    // Further heading lines ("交班时间：…", "交班员工：…").
    void addHeading(const QString& line) { headings_ << line; }
    // How a section begins: under the one before, on a new page, or on a new page as a report
    // of its own (the title, venue, period and subtitle again).
    enum class Start { SamePage, NewPage, NewReport };
    // Starts a section headed `heading` ("[消费状况]"); the columns, groups, rows, sums and
    // figure blocks set next belong to it. A report that never calls it has one section.
    void addSection(const QString& heading, Start start = Start::SamePage);
    void setColumns(std::vector<ReportColumn> columns) { cur().columns = std::move(columns); }
    // The levels of groups, the outermost first.
    void setGroups(std::vector<ReportGroup> levels) { cur().groups = std::move(levels); }
    // Starts a group of `level` titled `title` for the rows added next; the groups open on that
    // level and deeper close first, each with its footer.
    void startGroup(int level, const QString& title);
    // Values of the shown columns in order, then any values only figures use.
    void addRow(const QVariantList& values);
    // The caption of the sums line; "合计" unless set.
    void setSumCaption(const QString& caption) { cur().sumCaption = caption; }
    // Also prints the sums as one line below the table: caption, then "初始金额：…" per summed
    // column.
    void setLabelledSums(bool on) { cur().labelledSums = on; }
    // The figures over every row after the table and the last group's footer.
    void setSummary(ReportTotals summary) { cur().summary = std::move(summary); }
    // Blocks of labelled figures side by side, after the section's table.
    void addFigureBlocks(std::vector<ReportFigureBlock> blocks) { cur().figureBlocks.push_back(std::move(blocks)); }
    // A last page headed `heading` with the charts one under the other, after the maker's lines.
    void setChartPage(const QString& heading, std::vector<BarChart> charts) {
        chartHeading_ = heading;
        charts_ = std::move(charts);
    }
    // "制表时间：" + when, "制表人：" + who; left out when never set.
    void setMade(const QDateTime& when, const QString& who) {
        madeAt_ = when;
        madeBy_ = who;
    }
    void addRemark(const QString& line) { remarks_ << line; }
    // The pages across (A4 landscape, 10 mm margins), for a list of many columns.
    void setLandscape(bool on) { landscape_ = on; }
    void setFooter(const QString& footer) { footer_ = footer; }

    // The sum of a row value over every row of the current section.
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
    struct Section {
        QString heading;
        Start start = Start::SamePage;
        std::vector<ReportColumn> columns;
        std::vector<ReportGroup> groups;
        std::vector<Entry> entries;
        std::vector<int> rows; // the entries that are rows
        QString sumCaption = QStringLiteral("合计");
        bool labelledSums = false;
        ReportTotals summary;
        std::vector<std::vector<ReportFigureBlock>> figureBlocks;
    };
    Section& cur() { return sections_.back(); }
    const Section& cur() const { return sections_.back(); }

    QString title_;
    std::optional<QString> venue_;
    QString period_;
    QString subtitle_;
    QStringList headings_;
    std::vector<Section> sections_ = std::vector<Section>(1);
    QString chartHeading_;
    std::vector<BarChart> charts_;
    QDateTime madeAt_;
    QString madeBy_;
    QStringList remarks_;
    QString footer_;
    bool landscape_ = false;
};

} // namespace kx
