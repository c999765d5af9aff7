#pragma once
// What every report screen of the reports menu shares: the period pickers ("开始时间：",
// "结束时间：") set to today at every opening, the optional filter (a check box, a choice list and
// a drop-down of values) cleared by ReportEmpty, the toolbar ("重新统计" or "重新查询", "预览/打印",
// "导出CSV", "图表" where a screen has charts, "回退"), the grids, and a chart page in place of
// the grids. A screen shows as the current panel, so the board's keys do not act behind it.
//
// The reports read the archives of cleared visits by business date: the dates are bound as
// stored text, from the start's midnight up to (not including) the midnight after the end, so
// both ends count whole days and the archives' date indexes serve the range. Filter values are
// bound too; only our own column names are joined into the statements.
#include "BarChart.h"
#include "Dataset.h"
#include "ReportFrame.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QIODevice;
class QHBoxLayout;
class QLabel;
class QStackedWidget;
class QTableView;
class QToolBar;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace kx::frontdesk {

class TDMTable;
class TFormWMain;
class TFormWork;

// A period of business dates, both ends included.
struct ReportPeriod {
    QDate start;
    QDate end;
    // The bound ends of `column >= ? AND column < ?`: the start's midnight, the end's next midnight.
    QVariantList bounds() const;
    // "2026-12-01至2026-12-09", as the printed reports show it.
    QString text() const;
    bool severalDays() const { return start != end; }
};
// "column >= ? AND column < ?" for the bounds of a period.
QString periodCondition(const QString& column);

// The filter in effect: a column of our own and the value chosen; none when the box is not
// checked or no value is chosen.
struct ReportFilter {
    QString choice; // the choice's caption ("部门", "班次")
    QString column; // dept_name, orde_name …
    QString value;
    bool active() const { return !column.isEmpty(); }
    // "column = ? AND " when active, else empty; its value is params().
    QString condition() const;
    QVariantList params() const;
    // The printed subtitle: choice + ":" + value, or `none` without a filter.
    QString subtitle(const QString& none) const;
};

// The net sales of an order row (the line total with its service charge, less its discount):
// tabl_cons_tota + tabl_cons_tota × 0.01 × r − tabl_cons_tota × 0.01 × (100 − disc_clas_perc),
// r the row's service rate, 0 when it is 100 (no service charge).
QString netSalesSql(const QString& prefix = QString());

// A row of a dataset as a printed list shows it: the values of `fields` in order, the first (a
// business date) without its time.
QVariantList printedRow(const db::Dataset& ds, int row, const std::vector<int>& fields);

// Empties the list and the chosen value of every report screen's filter drop-down.
void ReportEmpty();
// Makes a drop-down of a screen's own one of those ReportEmpty empties.
void emptiedByReportEmpty(QComboBox* box);

class ReportScreen : public QObject {
    Q_OBJECT
public:
    struct FilterChoice {
        QString caption; // "部门"
        QString column;  // the filtered column of the report's tables
        QString listSql; // the values offered (no bound values)
    };
    struct Options {
        QString panel;   // the panel's objectName
        QString heading; // shown above the screen
        QString rerun = QStringLiteral("重新统计");
        std::vector<FilterChoice> choices; // none: no filter
        QString valueBox;                  // objectName of the value drop-down
        bool charts = false;
    };

    ReportScreen(TFormWMain* main, TFormWork* work, TDMTable* dm, Options options);

    QFrame* panel;
    QToolBar* bar;
    QDateEdit* startDate;
    QDateEdit* endDate;
    QCheckBox* filterBox = nullptr;
    QComboBox* choiceBox = nullptr;
    QComboBox* valueBox = nullptr;
    QToolButton* rerunButton;
    QToolButton* printButton;
    QToolButton* csvButton;
    QToolButton* chartButton = nullptr;
    QToolButton* backButton;
    QStackedWidget* pages; // the report itself, then the chart page
    BarChartView* chartView = nullptr;

    // The period and filter the controls hold now.
    ReportPeriod period() const;
    ReportFilter filter() const;
    // Those of the last run: what the screen shows and prints.
    const ReportPeriod& shownPeriod() const { return shownPeriod_; }
    const ReportFilter& shownFilter() const { return shownFilter_; }

    // Opening: the pickers to today, every filter drop-down emptied, the screen current, run.
    void open();
    // "重新统计" / "重新查询".
    void rerun();
    // "预览/打印".
    virtual void preview();
    // "导出CSV": the grid shown (the one last entered), every row, to a file the cashier names.
    void exportCsv();
    // The rows of a grid as the CSV file holds them: its captions, then its values.
    static QByteArray csvOf(QTableView* grid);
    // Writes a grid's CSV file; a screen whose grid reads its rows as it scrolls writes them all.
    virtual bool writeCsv(QTableView* grid, QIODevice& file);
    // "图表": the chart page in place of the report, and back.
    void toggleCharts();
    // "回退": the table board.
    void back();

    // The heading above the screen (and the name "导出CSV" proposes).
    void setHeading(const QString& heading);

    // The printed report as the screen stands.
    virtual ReportFrame report() const = 0;
    // The charts of the current run.
    virtual std::vector<BarChart> charts() { return {}; }

protected:
    // Runs the report's statements and fills the screen; `step` advances the status bar's
    // progress bar.
    virtual void run(const std::function<void()>& step) = 0;
    // The layout of the page that holds the report (under the period and filter).
    QVBoxLayout* body() const { return body_; }
    // Puts a control of the screen's own on the line of the period and filter, after them.
    void addCondition(QWidget* control);
    // A grid of the report; the first one is the one "导出CSV" writes until another is entered.
    QTableView* addGrid(const QString& name, QWidget* parent);
    // The grid "导出CSV" writes: the one last entered, else the first.
    virtual QTableView* csvGrid() const;
    // The frame every printed report of the screen starts with: title, venue, the period shown,
    // the maker, our footer line.
    ReportFrame frame(const QString& title) const;
    void fillValues();

    TFormWMain* main_;
    TFormWork* work_;
    TDMTable* dm_;
    Options options_;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;

    QVBoxLayout* body_;
    QLabel* heading_;
    QHBoxLayout* conditions_;
    ReportPeriod shownPeriod_;
    ReportFilter shownFilter_;
    std::vector<QTableView*> grids_;
    QPointer<QTableView> lastGrid_;
    db::Dataset* values_;
};

} // namespace kx::frontdesk
