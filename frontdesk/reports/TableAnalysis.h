#pragma once
// "房台分析报表" (pnl_B2): the cleared visits of a period one per line, by department, with each
// bill's figures and its gross margin (`starperc`, 0 when nothing was received); optionally the
// bills of one table ("房台号："). Printed grouped by department, each with "小计" (the bills, the
// sums from "人数" to "成本", the average margin) and "合计" at the end; charted as the received
// amount by department.
//
// ReportRoom is the one statement behind the screen, a function of the period and an optional
// table code that any screen can run into a dataset of its own (the reverse checkout lists one
// table's bills of today with it). The table code and the dates are bound; the period is one
// range on the archive's date index.
#include "DatasetModel.h"
#include "ReportScreen.h"

class QLineEdit;

namespace kx::frontdesk {

// The cleared visits of `period` (of table `tableCode` only, when not empty), ordered by
// department, then business date and bill: every column of the visit ReportRoom's grid and
// print show, `tabl_gues_dish_one` (dishes and special consumption) and `starperc` (the margin
// in percent). Opens `into` on them.
void ReportRoom(db::Dataset& into, const ReportPeriod& period, const QString& tableCode = QString());
// The grid columns of ReportRoom's bills, from "时间" to "毛利率".
std::vector<db::GridColumn> roomColumns();

// The printed table of bills, as every report of cleared visits prints it: the columns "日期",
// "单号", "房台", "人数", "酒菜", "低消", "房间费", "服务费", "折扣", "税额", "应收", "实收", "成本",
// "毛利率", and a footer over them (the caption under "日期", the bills counted under "单号", the
// sums from "人数" to "成本", the average margin).
std::vector<ReportColumn> billPrintColumns();
ReportTotals billPrintTotals(const QString& caption);

class TableAnalysis : public ReportScreen {
    Q_OBJECT
public:
    TableAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // "房台分析报表" of the reports menu.
    void N6Click();

    ReportFrame report() const override;
    std::vector<BarChart> charts() override;

    QLineEdit* Edit_TablCode; // 房台号：
    QTableView* grid_Rooms;
    db::Dataset* qry_Rooms;

protected:
    void run(const std::function<void()>& step) override;

private:
    QString shownTable_;
};

} // namespace kx::frontdesk
