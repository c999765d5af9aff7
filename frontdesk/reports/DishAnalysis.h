#pragma once
// "点单分析报表" (pnl_B3): the ordered items of a period, one line per item, with their
// quantities by line mode (点单 ordered, 退单 returned, 赠单 free, 退赠 free given back), the
// count that stands ("合计" = ordered + free − returned − free given back), the free items'
// value at their unit price, the line totals, the net sales (service charge in, discount out),
// the cost and the margin; optionally for one kind, department, production point or shift, in
// the order the sort list chooses. Set-menu components are left out (their set menu's line
// counts). Printed grouped by kind and class whatever the sort; charted as the 20 items that
// sold most.
//
// ReportDish is one statement: one range on the archive's date index, grouped per item; the
// margin and the count are worked out from the sums. The filter value and the dates are bound.
#include "DatasetModel.h"
#include "ReportScreen.h"

namespace kx::frontdesk {

// The sort orders of the sort list, in its order: "编号", "总数", "总金额", "销售额".
enum class DishSort { Code, Count, Total, Sales };

// The items ordered in `period` under `filter`, sorted by `sort`: item_code, item_name,
// item_unit, clas_name, kind_name, bill1 … bill4, bill, bill3total, constotal, facttotal,
// costtotal, perctotal. Opens `into` on them.
void ReportDish(db::Dataset& into, const ReportPeriod& period, const ReportFilter& filter, DishSort sort);

// The grid of ReportDish's items: "编码", "项目名称", ("单位" where asked,) "点单", "退单", "赠单",
// "退赠", "合计", "赠单总额", "总金额", "销售额", "成本", "毛利率".
std::vector<db::GridColumn> dishGridColumns(bool withUnit = false);

// The printed table of ReportDish's items, as every report of ordered items prints it: the
// columns "编码", "项目名称", "单位", "点单", "退单", "赠单", "退赠", "总数", "赠单额", "销售额",
// "成本", "毛利率", the fields they show, and a footer over them (the caption under "编码", the
// lines counted under "项目名称", the sums from "点单" to "成本", the average margin).
std::vector<ReportColumn> dishPrintColumns();
QStringList dishPrintFields();
ReportTotals dishPrintTotals(const QString& caption);

class DishAnalysis : public ReportScreen {
    Q_OBJECT
public:
    DishAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // "点单分析报表" of the reports menu.
    void N3Click();

    ReportFrame report() const override;
    std::vector<BarChart> charts() override;

    QComboBox* cmb_Sort; // 编号, 总数, 总金额, 销售额
    QTableView* grid_Dishes;
    db::Dataset* qry_Dishes;

protected:
    void run(const std::function<void()>& step) override;
};

} // namespace kx::frontdesk
