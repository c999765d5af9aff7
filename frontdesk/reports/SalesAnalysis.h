#pragma once
// "销售分析报表" (pnl_b1): the archive of a period summed as the venue's takings — the business
// figures of the cleared visits (营业分析, 总营业额), the payments by pay type with their count,
// the ordered lines by kind — optionally for one department or one shift; printed as one
// document of two parts and a chart page.
//
// Every figure comes from one pass over the period's rows on the archives' date indexes: the
// visits summed once, the payment lines counted and summed per pay type in the same pass (a
// line counts when its amount is above 0), the order lines summed per kind without the
// components of set menus. Other income has no department or shift: it shows only without a
// filter. Visits checked out but not cleared are not in the archive and count nowhere.
#include "ReportScreen.h"

#include <optional>

class QGroupBox;
class QLabel;

namespace kx::frontdesk {

// The figures of TotalRsum over a period.
struct SalesFigures {
    qint64 bills = 0;
    double guests = 0, dish = 0, special = 0, minimum = 0, room = 0, service = 0, discount = 0;
    double receivable = 0, tax = 0, received = 0, commission = 0, cost = 0;
    // Only without a filter; empty when the period has none.
    std::optional<double> otherIncome;
    bool filtered = false;
};
SalesFigures salesFigures(QSqlDatabase db, const ReportPeriod& period, const ReportFilter& filter);

class SalesAnalysis : public ReportScreen {
    Q_OBJECT
public:
    SalesAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm);

    // "销售分析报表" of the reports menu: the permission CF, then the screen.
    void N5Click();
    // Runs the statements and fills the figures and grids.
    void TotalRsum(const std::function<void()>& step = {});

    const SalesFigures& figures() const { return figures_; }
    // The label showing a figure: "cbillcoun", "tcoun", "tdish", "tspec", "tlow", "troom",
    // "tserv", "tdisc", "tshou", "ttax", "tfact", "tdedu", "tcost", "perc", "tothe", "average".
    QLabel* figure(const QString& name) const;

    ReportFrame report() const override;
    std::vector<BarChart> charts() override;

    QTableView* grid_PayTypes;
    QTableView* grid_Kinds;
    QGroupBox* box_Business; // 营业分析
    QGroupBox* box_Takings;  // 总营业额
    db::Dataset* qry_SalesPay;   // 付款方式, 收入笔数, 收入金额
    db::Dataset* qry_SalesKinds; // 大类名称, 合计金额, 合计成本

protected:
    void run(const std::function<void()>& step) override;

private:
    void showFigures();
    // Each figure's text as the screen and the print show it.
    QString text(const QString& name) const;

    SalesFigures figures_;
    QHash<QString, QLabel*> labels_;
    QLabel* otherIncomeCaption_ = nullptr;
    std::optional<std::vector<BarChart>> charts_;
};

} // namespace kx::frontdesk
