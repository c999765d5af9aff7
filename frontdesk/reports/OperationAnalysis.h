#pragma once
// "操作分析报表" (pnl_B4): what each operator did in a period of business dates, in three modes —
// "点单分析" the items they ordered (the ordered-items statement ReportDish for their lines),
// "结帐分析" the bills of the visits they opened, "预订分析" the bills of the visits opened from a
// booking, by the operator who took the booking. The staff drop-down ("操作员工", "预订员工")
// narrows every mode to one name. Printed as "员工点单（操作）分析报表", "员工结帐(操作)分析报表"
// or "员工预订(操作)分析报表" with the subtitle "全部员工统计" or "操作员工:" + name.
//
// ReportOPer is one statement per mode on the archive's date index, the name and dates bound.
#include "StaffReportScreen.h"

namespace kx::frontdesk {

enum class OperMode { Items, Bills, Booked };

// The archive of `period` for `mode`, of operator `name` (everybody when empty). Items: the
// columns of ReportDish. Bills and Booked: each bill with totaperc (the margin in percent, 0
// when nothing was received), tabl_gues_dish (dishes and special consumption) and the bill's
// figures, by business date and bill. Opens `into` on them.
void ReportOPer(db::Dataset& into, OperMode mode, const ReportPeriod& period, const QString& name);

class OperationAnalysis : public StaffReportScreen {
    Q_OBJECT
public:
    OperationAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // "操作分析报表" of the reports menu: "点单分析" down, the screen opened.
    void N7Click();
    // The mode toggles "点单分析", "结帐分析", "预订分析".
    void ToolButton74Click() { chooseMode(int(OperMode::Items)); }
    void ToolButton75Click() { chooseMode(int(OperMode::Bills)); }
    void ToolButton89Click() { chooseMode(int(OperMode::Booked)); }

    ReportFrame report() const override;

protected:
    void runMode(int mode, const QString& name, db::Dataset& into) override;
};

} // namespace kx::frontdesk
