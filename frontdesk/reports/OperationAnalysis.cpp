#include "OperationAnalysis.h"

#include "DishAnalysis.h"
#include "TableAnalysis.h"

namespace kx::frontdesk {

namespace {

// The grids of "结帐分析" and "预订分析".
std::vector<db::GridColumn> billColumns() {
    const QString money = QStringLiteral("#,##0.00");
    return {{QStringLiteral("tabl_gues_time_work"), QStringLiteral("日期"), QStringLiteral("yyyy-mm-dd"), 84},
            {QStringLiteral("tabl_gues_auto_recn"), QStringLiteral("单号"), QString(), 64},
            {QStringLiteral("tabl_code"), QStringLiteral("台桌号"), QString(), 50},
            {QStringLiteral("tabl_name"), QStringLiteral("台桌名称"), QString(), 80},
            {QStringLiteral("tabl_gues_coun"), QStringLiteral("客人数量"), QStringLiteral("0"), 56},
            {QStringLiteral("tabl_gues_dish"), QStringLiteral("酒菜消费"), money, 76},
            {QStringLiteral("tabl_gues_low"), QStringLiteral("最低消费"), money, 70},
            {QStringLiteral("tabl_gues_room"), QStringLiteral("房间费"), money, 64},
            {QStringLiteral("tabl_gues_serv"), QStringLiteral("服务费"), money, 64},
            {QStringLiteral("tabl_gues_disc"), QStringLiteral("折扣金额"), money, 70},
            {QStringLiteral("tabl_gues_tax"), QStringLiteral("收税金额"), money, 70},
            {QStringLiteral("tabl_gues_shou"), QStringLiteral("应收金额"), money, 76},
            {QStringLiteral("tabl_gues_fact"), QStringLiteral("实收金额"), money, 76},
            {QStringLiteral("tabl_gues_pay_narr"), QStringLiteral("付款方式"), QString(), 110},
            {QStringLiteral("cost_mone"), QStringLiteral("成本"), money, 70},
            {QStringLiteral("totaperc"), QStringLiteral("毛利率"), QStringLiteral("0.0%"), 60}};
}

} // namespace

void ReportOPer(db::Dataset& into, OperMode mode, const ReportPeriod& period, const QString& name) {
    if (mode == OperMode::Items) {
        ReportFilter byName;
        if (!name.isEmpty()) byName = {QStringLiteral("操作员工"), QStringLiteral("oper_name"), name};
        ReportDish(into, period, byName, DishSort::Code);
        return;
    }
    // The bills of the visits an operator opened, or of those opened from a booking by the
    // operator who took it.
    const bool booked = mode == OperMode::Booked;
    QString where = booked ? QStringLiteral("book_flag <> 0 AND ") : QString();
    QVariantList params;
    if (!name.isEmpty()) {
        where += booked ? QStringLiteral("book_oper_name = ? AND ") : QStringLiteral("oper_name = ? AND ");
        params << name;
    }
    into.setSql(QStringLiteral("SELECT CASE WHEN tabl_gues_fact = 0 THEN 0 "
                               "ELSE (tabl_gues_fact - cost_mone) * 100.0 / tabl_gues_fact END AS totaperc, "
                               "tabl_gues_auto_recn, tabl_name, tabl_gues_coun, (tabl_gues_spec + tabl_gues_dish) AS tabl_gues_dish, "
                               "tabl_code, tabl_gues_low, tabl_gues_room, tabl_gues_serv, tabl_gues_disc, tabl_gues_tax, "
                               "tabl_gues_shou, tabl_gues_fact, tabl_gues_pay_narr, cost_mone, tabl_gues_time_work "
                               "FROM AllGues WHERE ") +
                    where + periodCondition(QStringLiteral("tabl_gues_time_work")) +
                    QStringLiteral(" ORDER BY tabl_gues_time_work, tabl_gues_auto_recn"),
                params + period.bounds());
    into.open();
}

OperationAnalysis::OperationAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : StaffReportScreen(
          main, work, dm,
          {{QStringLiteral("pnl_B4"), QStringLiteral("点单（操作）分析报表"), QStringLiteral("重新查询"), {}, QString(), false},
           QStringLiteral("ToolButton69"),
           QStringLiteral("ToolButton70"),
           QStringLiteral("pnl_B4P"),
           QStringLiteral("dbl_B4Staff"),
           {{QStringLiteral("ToolButton74"), QStringLiteral("点单分析"), QStringLiteral("pnl_B41"),
             QStringLiteral("点单（操作）分析报表"), QStringLiteral("操作员工"),
             QStringLiteral("select oper_name from allcons where grou_code is null group by oper_name order by oper_name"),
             dishGridColumns(true)},
            {QStringLiteral("ToolButton75"), QStringLiteral("结帐分析"), QStringLiteral("pnl_B42"),
             QStringLiteral("结帐（操作）分析报表"), QStringLiteral("操作员工"),
             QStringLiteral("select oper_name from allgues group by oper_name order by oper_name"), billColumns()},
            {QStringLiteral("ToolButton89"), QStringLiteral("预订分析"), QStringLiteral("pnl_B43"),
             QStringLiteral("预订（操作）分析报表"), QStringLiteral("预订员工"),
             QStringLiteral("select book_oper_name from allgues group by book_oper_name order by book_oper_name"),
             billColumns()}}}) {}

void OperationAnalysis::N7Click() {
    setMode(int(OperMode::Items));
    // The menu's own name for the first mode.
    setHeading(QStringLiteral("点菜（操作）分析报表"));
    open();
}

void OperationAnalysis::runMode(int mode, const QString& name, db::Dataset& into) {
    ReportOPer(into, OperMode(mode), shownPeriod(), name);
}

ReportFrame OperationAnalysis::report() const {
    const QString subtitle =
        shownName().isEmpty() ? QStringLiteral("全部员工统计") : QStringLiteral("操作员工:") + shownName();
    if (OperMode(shownMode()) == OperMode::Items)
        return modeReport(QStringLiteral("员工点单（操作）分析报表"), subtitle, dishPrintColumns(), dishPrintFields(),
                          dishPrintTotals(QStringLiteral("合计")));
    const QStringList fields = {QStringLiteral("tabl_gues_time_work"), QStringLiteral("tabl_gues_auto_recn"),
                                QStringLiteral("tabl_name"),           QStringLiteral("tabl_gues_coun"),
                                QStringLiteral("tabl_gues_dish"),      QStringLiteral("tabl_gues_low"),
                                QStringLiteral("tabl_gues_room"),      QStringLiteral("tabl_gues_serv"),
                                QStringLiteral("tabl_gues_disc"),      QStringLiteral("tabl_gues_tax"),
                                QStringLiteral("tabl_gues_shou"),      QStringLiteral("tabl_gues_fact"),
                                QStringLiteral("cost_mone"),           QStringLiteral("totaperc")};
    const QString title = OperMode(shownMode()) == OperMode::Bills ? QStringLiteral("员工结帐(操作)分析报表")
                                                                   : QStringLiteral("员工预订(操作)分析报表");
    return modeReport(title, subtitle, billPrintColumns(), fields, billPrintTotals(QStringLiteral("合计")));
}

} // namespace kx::frontdesk
