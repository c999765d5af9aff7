#include "PerformanceAnalysis.h"

#include "TFormWMain.h"

#include <QHash>

namespace kx::frontdesk {

namespace {

const QString kMoney = QStringLiteral("#,##0.00");
const QString kCount = QStringLiteral("0.##");

// The names of the order lines' commission staff, as the menu opens the screen and "点单统计" lists them.
const char* const kLineStaff =
    "select dedu_oper_name from allcons where grou_code is null group by dedu_oper_name order by dedu_oper_name";
const char* const kBillStaff = "select dedu_oper_name from allgues group by dedu_oper_name order by dedu_oper_name";

// "dedu_oper_name = ? AND " with its value, when a name is chosen.
QString nameCondition(const QString& name, QVariantList& params) {
    if (name.isEmpty()) return {};
    params << name;
    return QStringLiteral("dedu_oper_name = ? AND ");
}

// Money columns of a printed report.
void addMoney(std::vector<ReportColumn>& columns, std::initializer_list<const char*> captions) {
    for (const char* c : captions) columns.push_back({QString::fromUtf8(c), QStringLiteral("0.00"), false, Qt::AlignRight});
}

// A footer under `columns`: `caption` under the first, the rows counted under `counted` (none
// when negative), the sums of `summed` in their columns' formats.
ReportTotals footer(const std::vector<ReportColumn>& columns, const QString& caption, int counted,
                    std::initializer_list<int> summed) {
    ReportTotals t{caption, {}, true};
    if (counted >= 0) t.figures.push_back({QString(), ReportFigure::Count, counted, QStringLiteral("0")});
    for (const int c : summed) t.figures.push_back({QString(), ReportFigure::Sum, c, columns[size_t(c)].format});
    return t;
}

} // namespace

void ReportDedu(db::Dataset& into, DeduMode mode, const ReportPeriod& period, const QString& name) {
    QVariantList params;
    const QString byName = nameCondition(name, params);
    params += period.bounds();
    // Order lines of commission staff, set-menu components left out.
    const QString lines = QStringLiteral(" FROM AllCons WHERE grou_code IS NULL AND dedu_oper_code IS NOT NULL AND ") + byName +
                          periodCondition(QStringLiteral("tabl_cons_time_work"));
    // Bills that carry a commission.
    const QString bills = QStringLiteral(" FROM AllGues WHERE dedu_mone > 0 AND ") + byName +
                          periodCondition(QStringLiteral("tabl_gues_time_work"));
    QString sql;
    switch (mode) {
    case DeduMode::Items:
        sql = QStringLiteral("SELECT item_code, item_name, item_unit, tabl_cons_coun, tabl_cons_tota, ") + netSalesSql() +
              QStringLiteral(" AS facttotal, dedu_oper_code, dedu_oper_name, tabl_dedu_tota") + lines +
              QStringLiteral(" ORDER BY dedu_oper_code, item_code, tabl_cons_time_work");
        break;
    case DeduMode::ItemTotals:
        sql = QStringLiteral("SELECT dedu_oper_code, dedu_oper_name, sum(tabl_cons_coun) AS counttotal, "
                             "sum(tabl_cons_tota) AS constotal, sum(") +
              netSalesSql() + QStringLiteral(") AS facttotal, sum(tabl_dedu_tota) AS dedutotal") + lines +
              QStringLiteral(" GROUP BY dedu_oper_name, dedu_oper_code ORDER BY dedu_oper_code, dedu_oper_name");
        break;
    case DeduMode::Bills:
        sql = QStringLiteral("SELECT tabl_gues_coun, tabl_gues_time_work, tabl_gues_auto_recn, tabl_code, tabl_name, "
                             "tabl_gues_tax, tabl_gues_shou, tabl_gues_fact, tabl_gues_pay_narr, grou_name, dedu_oper_name, "
                             "dedu_type, dedu_mone, COALESCE(tota_z, 0) + COALESCE(tota_y, 0) + COALESCE(tota_l, 0) AS totadedu") +
              bills + QStringLiteral(" ORDER BY tabl_gues_time_work, tabl_gues_auto_recn");
        break;
    case DeduMode::BillTotals:
        // The performance total from the sums, in the outer select.
        sql = QStringLiteral("SELECT dedu_oper_code, dedu_oper_name, grou_name, area_name, tota_stan, totashou, totafact, "
                             "totatax, totadedu, totay, totaz, totall, totaz + totay + totall AS totadeduc FROM ("
                             "SELECT dedu_oper_name, grou_name, tota_stan, sum(tabl_gues_shou) AS totashou, "
                             "sum(tabl_gues_fact) AS totafact, sum(tabl_gues_tax) AS totatax, sum(dedu_mone) AS totadedu, "
                             "COALESCE(sum(tota_y), 0) AS totay, COALESCE(sum(tota_z), 0) AS totaz, "
                             "COALESCE(sum(tota_l), 0) AS totall, area_name, dedu_oper_code") +
              bills +
              QStringLiteral(" GROUP BY dedu_oper_name, dedu_oper_code, grou_name, tota_stan, area_name) AS staff "
                             "ORDER BY area_name, grou_name, dedu_oper_code, tota_stan");
        break;
    }
    into.setSql(sql, params);
    into.open();
}

PerformanceAnalysis::PerformanceAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : StaffReportScreen(
          main, work, dm,
          {{QStringLiteral("pnl_B5"), QStringLiteral("点单（业绩）分析报表"), QStringLiteral("重新查询"), {}, QString(), true},
           QStringLiteral("ToolButton65"),
           QStringLiteral("ToolButton66"),
           QStringLiteral("pnl_B5P"),
           QStringLiteral("dbl_B5Staff"),
           {{QStringLiteral("ToolButton76"),
             QStringLiteral("点单分析"),
             QStringLiteral("pnl_B51"),
             QStringLiteral("点单（业绩）分析报表"),
             QStringLiteral("提成员工："),
             QStringLiteral("select dedu_oper_name from allcons where grou_code is null and dedu_oper_code is not null "
                            "group by dedu_oper_name order by dedu_oper_name"),
             {{QStringLiteral("item_code"), QStringLiteral("编码"), QString(), 60},
              {QStringLiteral("item_name"), QStringLiteral("项目名称"), QString(), 130},
              {QStringLiteral("item_unit"), QStringLiteral("单位"), QString(), 44},
              {QStringLiteral("tabl_cons_coun"), QStringLiteral("总数"), kCount, 50},
              {QStringLiteral("tabl_cons_tota"), QStringLiteral("总金额"), kMoney, 80},
              {QStringLiteral("facttotal"), QStringLiteral("销售金额"), kMoney, 80},
              {QStringLiteral("dedu_oper_code"), QStringLiteral("提成员工编码"), QString(), 84},
              {QStringLiteral("dedu_oper_name"), QStringLiteral("提成员工"), QString(), 80},
              {QStringLiteral("tabl_dedu_tota"), QStringLiteral("提成金额"), kMoney, 76}}},
            {QStringLiteral("ToolButton77"),
             QStringLiteral("点单统计"),
             QStringLiteral("pnl_B52"),
             QStringLiteral("点单（业绩）统计报表"),
             QStringLiteral("提成员工："),
             QString::fromUtf8(kLineStaff),
             {{QStringLiteral("dedu_oper_code"), QStringLiteral("提成员工编码"), QString(), 84},
              {QStringLiteral("dedu_oper_name"), QStringLiteral("提成员工"), QString(), 90},
              {QStringLiteral("counttotal"), QStringLiteral("总数"), kCount, 60},
              {QStringLiteral("constotal"), QStringLiteral("总金额"), kMoney, 90},
              {QStringLiteral("facttotal"), QStringLiteral("销售金额"), kMoney, 90},
              {QStringLiteral("dedutotal"), QStringLiteral("提成金额"), kMoney, 90}},
             true},
            {QStringLiteral("ToolButton78"),
             QStringLiteral("帐单分析"),
             QStringLiteral("pnl_B53"),
             QStringLiteral("帐单（业绩）分析报表"),
             QStringLiteral("提成员工："),
             QString::fromUtf8(kBillStaff),
             {{QStringLiteral("tabl_gues_time_work"), QStringLiteral("日期"), QStringLiteral("yyyy-mm-dd"), 84},
              {QStringLiteral("tabl_gues_auto_recn"), QStringLiteral("单号"), QString(), 64},
              {QStringLiteral("tabl_code"), QStringLiteral("台桌号"), QString(), 50},
              {QStringLiteral("tabl_name"), QStringLiteral("台桌名称"), QString(), 80},
              {QStringLiteral("tabl_gues_coun"), QStringLiteral("客人数"), QStringLiteral("0"), 50},
              {QStringLiteral("tabl_gues_tax"), QStringLiteral("收税金额"), kMoney, 70},
              {QStringLiteral("tabl_gues_shou"), QStringLiteral("应收金额"), kMoney, 76},
              {QStringLiteral("tabl_gues_fact"), QStringLiteral("实收金额"), kMoney, 76},
              {QStringLiteral("grou_name"), QStringLiteral("组名"), QString(), 70},
              {QStringLiteral("dedu_oper_name"), QStringLiteral("提成员工"), QString(), 70},
              {QStringLiteral("dedu_type"), QStringLiteral("提成类型"), QString(), 60},
              {QStringLiteral("dedu_mone"), QStringLiteral("提成金额"), kMoney, 70},
              {QStringLiteral("totadedu"), QStringLiteral("提成业绩"), kMoney, 70},
              {QStringLiteral("tabl_gues_pay_narr"), QStringLiteral("收款方式"), QString(), 110}}},
            {QStringLiteral("ToolButton79"),
             QStringLiteral("帐单统计"),
             QStringLiteral("pnl_B54"),
             QStringLiteral("帐单（业绩）统计报表"),
             QStringLiteral("提成员工："),
             QString::fromUtf8(kBillStaff),
             {{QStringLiteral("grou_name"), QStringLiteral("组名"), QString(), 80},
              {QStringLiteral("dedu_oper_name"), QStringLiteral("提成员工"), QString(), 80},
              {QStringLiteral("totashou"), QStringLiteral("应收金额"), kMoney, 80},
              {QStringLiteral("totafact"), QStringLiteral("实收金额"), kMoney, 80},
              {QStringLiteral("totatax"), QStringLiteral("收税金额"), kMoney, 70},
              {QStringLiteral("totadedu"), QStringLiteral("提成金额"), kMoney, 84},
              {QStringLiteral("totadeduc"), QStringLiteral("业绩合计"), kMoney, 84},
              {QStringLiteral("totay"), QStringLiteral("预定业绩"), kMoney, 84},
              {QStringLiteral("totaz"), QStringLiteral("指定业绩"), kMoney, 84},
              {QStringLiteral("totall"), QStringLiteral("领位业绩"), kMoney, 84},
              {QStringLiteral("tota_stan"), QStringLiteral("业绩标准"), kMoney, 84}},
             true}}}) {}

void PerformanceAnalysis::N8Click() {
    if (!main_->Limite(QStringLiteral("SF"))) return;
    setMode(int(DeduMode::Items));
    // Opened from the menu, the list is every name of the order lines.
    staffBox->setList(QString::fromUtf8(kLineStaff));
    open();
}

void PerformanceAnalysis::runMode(int mode, const QString& name, db::Dataset& into) {
    ReportDedu(into, DeduMode(mode), shownPeriod(), name);
}

std::vector<BarChart> PerformanceAnalysis::charts() {
    const db::Dataset& q = shownData();
    const DeduMode mode = DeduMode(shownMode());
    if (mode != DeduMode::ItemTotals && mode != DeduMode::BillTotals) return {};
    const bool items = mode == DeduMode::ItemTotals;
    BarChart chart(items ? QStringLiteral("提成金额（按提成员工）") : QStringLiteral("业绩合计（按员工）"));
    if (!q.active()) return {chart};
    const int code = q.fieldIndex(QStringLiteral("dedu_oper_code"));
    const int name = q.fieldIndex(QStringLiteral("dedu_oper_name"));
    const int value = q.fieldIndex(items ? QStringLiteral("dedutotal") : QStringLiteral("totadeduc"));
    // One bar per member, in the grid's order; a member in several groups counts once.
    QHash<QString, int> bar;
    QStringList labels;
    std::vector<double> values;
    for (int r = 0; r < q.recordCount(); ++r) {
        const QString key = q.valueAt(r, code).toString() + QChar(0) + q.valueAt(r, name).toString();
        auto it = bar.constFind(key);
        if (it == bar.constEnd()) {
            it = bar.insert(key, int(values.size()));
            labels << q.valueAt(r, name).toString();
            values.push_back(0);
        }
        values[size_t(*it)] += q.valueAt(r, value).toDouble();
    }
    for (size_t i = 0; i < values.size(); ++i) chart.add(labels[int(i)], values[i]);
    return {chart};
}

ReportFrame PerformanceAnalysis::report() const {
    const QString subtitle =
        shownName().isEmpty() ? QStringLiteral("全部提成员工统计") : QStringLiteral("提成员工:") + shownName();
    const auto text = [](const char* caption) { return ReportColumn{QString::fromUtf8(caption), QString(), false, Qt::AlignLeft}; };
    switch (DeduMode(shownMode())) {
    case DeduMode::Items: {
        std::vector<ReportColumn> columns = {text("编号"), text("消费项目"), text("单位"),
                                             {QStringLiteral("总数"), kCount, false, Qt::AlignRight}};
        addMoney(columns, {"总金额", "销售额"});
        columns.push_back(text("员工编号"));
        columns.push_back(text("提成员工"));
        addMoney(columns, {"提成金额"});
        ReportTotals sums = footer(columns, QStringLiteral("合计"), 1, {3, 4, 5, 8});
        return modeReport(QStringLiteral("点单业绩分析报表"), subtitle, std::move(columns),
                          {QStringLiteral("item_code"), QStringLiteral("item_name"), QStringLiteral("item_unit"),
                           QStringLiteral("tabl_cons_coun"), QStringLiteral("tabl_cons_tota"), QStringLiteral("facttotal"),
                           QStringLiteral("dedu_oper_code"), QStringLiteral("dedu_oper_name"), QStringLiteral("tabl_dedu_tota")},
                          std::move(sums));
    }
    case DeduMode::ItemTotals: {
        std::vector<ReportColumn> columns = {text("员工编号"), text("提成员工"),
                                             {QStringLiteral("项目总数"), kCount, false, Qt::AlignRight}};
        addMoney(columns, {"总金额", "销售额", "提成金额"});
        ReportTotals sums = footer(columns, QStringLiteral("合计"), -1, {2, 3, 4, 5});
        return modeReport(QStringLiteral("点单业绩统计报表"), subtitle, std::move(columns),
                          {QStringLiteral("dedu_oper_code"), QStringLiteral("dedu_oper_name"), QStringLiteral("counttotal"),
                           QStringLiteral("constotal"), QStringLiteral("facttotal"), QStringLiteral("dedutotal")},
                          std::move(sums));
    }
    case DeduMode::Bills: {
        std::vector<ReportColumn> columns = {text("日期"), text("单号"), text("房台"),
                                             {QStringLiteral("人数"), QStringLiteral("0"), false, Qt::AlignRight}};
        addMoney(columns, {"税额", "实收"});
        for (const char* c : {"组别", "提成员工", "提成方式"}) columns.push_back(text(c));
        addMoney(columns, {"提成金额", "业绩"});
        ReportTotals sums = footer(columns, QStringLiteral("合计"), 1, {3, 4, 5, 9, 10});
        return modeReport(QStringLiteral("帐单业绩分析报表"), subtitle, std::move(columns),
                          {QStringLiteral("tabl_gues_time_work"), QStringLiteral("tabl_gues_auto_recn"), QStringLiteral("tabl_name"),
                           QStringLiteral("tabl_gues_coun"), QStringLiteral("tabl_gues_tax"), QStringLiteral("tabl_gues_fact"),
                           QStringLiteral("grou_name"), QStringLiteral("dedu_oper_name"), QStringLiteral("dedu_type"),
                           QStringLiteral("dedu_mone"), QStringLiteral("totadedu")},
                          std::move(sums));
    }
    case DeduMode::BillTotals:
        break;
    }
    // By area, then group: the captions under each group's header, the sums from "实收金额" to
    // "业绩合计" after each group, each area and at the end.
    ReportFrame r = frame(QStringLiteral("帐单业绩统计报表"));
    r.setSubtitle(subtitle);
    std::vector<ReportColumn> columns = {text("编码"), text("姓名")};
    addMoney(columns, {"实收金额", "税额", "提成", "预定业绩", "指定业绩", "领位业绩", "业绩合计", "业绩标准"});
    const auto sums = [&columns](const QString& caption) { return footer(columns, caption, -1, {2, 3, 4, 5, 6, 7, 8}); };
    r.setGroups({{QStringLiteral("分区："), false, sums(QStringLiteral("合计："))},
                 {QStringLiteral("分组->"), true, sums(QStringLiteral("小计："))}});
    r.setSummary(sums(QStringLiteral("总计：")));
    r.setColumns(std::move(columns));
    const db::Dataset& q = shownData();
    if (!q.active()) return r;
    const int area = q.fieldIndex(QStringLiteral("area_name"));
    const int group = q.fieldIndex(QStringLiteral("grou_name"));
    QString openArea, openGroup;
    addRows(r, q,
            {QStringLiteral("dedu_oper_code"), QStringLiteral("dedu_oper_name"), QStringLiteral("totafact"),
             QStringLiteral("totatax"), QStringLiteral("totadedu"), QStringLiteral("totay"), QStringLiteral("totaz"),
             QStringLiteral("totall"), QStringLiteral("totadeduc"), QStringLiteral("tota_stan")},
            [&](int row) {
                const QString a = q.valueAt(row, area).toString();
                const QString g = q.valueAt(row, group).toString();
                if (row == 0 || a != openArea) {
                    r.startGroup(0, a);
                    r.startGroup(1, g);
                } else if (g != openGroup) {
                    r.startGroup(1, g);
                }
                openArea = a;
                openGroup = g;
            });
    return r;
}

} // namespace kx::frontdesk
