#pragma once
// "业绩分析报表" (pnl_B5, permission SF): the commission staff's results in a period of business
// dates, in four modes — "点单分析" their order lines (set-menu components and lines without a
// commission member left out), "点单统计" those lines summed per member, "帐单分析" the bills
// that carry a commission (dedu_mone above 0) with the member's performance (预定, 指定 and
// 领位 together), "帐单统计" those bills summed per member within group and area. The drop-down
// "提成员工：" narrows every mode to one member. Printed as "点单业绩分析报表", "点单业绩统计报表",
// "帐单业绩分析报表" or "帐单业绩统计报表" (grouped by area, then group, with "小计：", "合计：" and
// "总计：") with the subtitle "全部提成员工统计" or "提成员工:" + name; "点单统计" charts each
// member's commission, "帐单统计" each member's performance.
//
// ReportDedu is one statement per mode on an archive's date index, the name and dates bound; the
// sums' totals (totadeduc) are added up from the sums in an outer select.
#include "StaffReportScreen.h"

namespace kx::frontdesk {

enum class DeduMode { Items, ItemTotals, Bills, BillTotals };

// The archive of `period` for `mode`, of commission member `name` (everybody when empty). Opens
// `into` on:
// - Items: item_code, item_name, item_unit, tabl_cons_coun, tabl_cons_tota, facttotal (net
//   sales), dedu_oper_code, dedu_oper_name, tabl_dedu_tota; by member, item and date;
// - ItemTotals: dedu_oper_code, dedu_oper_name, counttotal, constotal, facttotal, dedutotal;
//   by member;
// - Bills: the bill's date, number, table, guests, tax, receivable, received, pay narrative,
//   grou_name, dedu_oper_name, dedu_type, dedu_mone and totadedu (tota_z + tota_y + tota_l); by
//   date and bill;
// - BillTotals: per member, group, area and standard: totashou, totafact, totatax, totadedu,
//   totay, totaz, totall, totadeduc (their sum), tota_stan; by area, group and member.
void ReportDedu(db::Dataset& into, DeduMode mode, const ReportPeriod& period, const QString& name);

class PerformanceAnalysis : public StaffReportScreen {
    Q_OBJECT
public:
    PerformanceAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // "业绩分析报表" of the reports menu: the permission SF, then the screen with "点单分析" down.
    void N8Click();
    // The mode toggles "点单分析", "点单统计", "帐单分析", "帐单统计".
    void ToolButton76Click() { chooseMode(int(DeduMode::Items)); }
    void ToolButton77Click() { chooseMode(int(DeduMode::ItemTotals)); }
    void ToolButton78Click() { chooseMode(int(DeduMode::Bills)); }
    void ToolButton79Click() { chooseMode(int(DeduMode::BillTotals)); }

    ReportFrame report() const override;
    std::vector<BarChart> charts() override;

protected:
    void runMode(int mode, const QString& name, db::Dataset& into) override;
};

} // namespace kx::frontdesk
