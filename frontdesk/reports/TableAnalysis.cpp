#include "TableAnalysis.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "TFormWMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QTableView>
#include <QVBoxLayout>

namespace kx::frontdesk {

void ReportRoom(db::Dataset& into, const ReportPeriod& period, const QString& tableCode) {
    QVariantList params;
    QString table;
    if (!tableCode.isEmpty()) {
        table = QStringLiteral("tabl_code = ? AND ");
        params << tableCode;
    }
    into.setSql(QStringLiteral("SELECT CASE WHEN tabl_gues_fact = 0 THEN 0 "
                               "ELSE (tabl_gues_fact - cost_mone) * 100.0 / tabl_gues_fact END AS starperc, "
                               "tabl_gues_time_work, tabl_code, tabl_gues_auto_recn, tabl_gues_coun, "
                               "(tabl_gues_dish + tabl_gues_spec) AS tabl_gues_dish_one, tabl_gues_low, tabl_gues_room, "
                               "tabl_gues_serv, tabl_gues_disc, tabl_gues_tax, tabl_gues_shou, tabl_gues_fact, "
                               "tabl_gues_pay_narr, cost_mone, tabl_name, dept_name FROM AllGues WHERE ") +
                    table + periodCondition(QStringLiteral("tabl_gues_time_work")) +
                    QStringLiteral(" ORDER BY dept_name, tabl_gues_time_work, tabl_gues_auto_recn"),
                params + period.bounds());
    into.open();
}

std::vector<db::GridColumn> roomColumns() {
    const QString money = QStringLiteral("#,##0.00");
    return {{QStringLiteral("tabl_gues_time_work"), QStringLiteral("时间"), QStringLiteral("yyyy-mm-dd"), 84},
            {QStringLiteral("tabl_gues_auto_recn"), QStringLiteral("帐单"), QString(), 64},
            {QStringLiteral("tabl_code"), QStringLiteral("台桌号"), QString(), 50},
            {QStringLiteral("tabl_name"), QStringLiteral("台桌名"), QString(), 80},
            {QStringLiteral("tabl_gues_coun"), QStringLiteral("人数"), QStringLiteral("0"), 40},
            {QStringLiteral("tabl_gues_dish_one"), QStringLiteral("酒菜消费"), money, 80},
            {QStringLiteral("tabl_gues_low"), QStringLiteral("最低消费"), money, 70},
            {QStringLiteral("tabl_gues_room"), QStringLiteral("房间消费"), money, 70},
            {QStringLiteral("tabl_gues_serv"), QStringLiteral("服务费"), money, 64},
            {QStringLiteral("tabl_gues_disc"), QStringLiteral("折扣金额"), money, 70},
            {QStringLiteral("tabl_gues_tax"), QStringLiteral("收税金额"), money, 70},
            {QStringLiteral("tabl_gues_fact"), QStringLiteral("实收金额"), money, 80},
            {QStringLiteral("tabl_gues_shou"), QStringLiteral("应收金额"), money, 80},
            {QStringLiteral("tabl_gues_pay_narr"), QStringLiteral("付款方式"), QString(), 110},
            {QStringLiteral("cost_mone"), QStringLiteral("酒菜成本"), money, 70},
            {QStringLiteral("starperc"), QStringLiteral("毛利率"), QStringLiteral("0.0%"), 60}};
}

TableAnalysis::TableAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : ReportScreen(main, work, dm,
                   {QStringLiteral("pnl_B2"), QStringLiteral("房台分析报表"), QStringLiteral("重新统计"), {}, QString(), true}) {
    qry_Rooms = new db::Dataset(main->db(), QStringLiteral("qry_Rooms"), QString(), this);
    QWidget* page = body()->parentWidget();
    auto* caption = new QLabel(QStringLiteral("房台号："), panel);
    Edit_TablCode = new QLineEdit(panel);
    Edit_TablCode->setObjectName(QStringLiteral("Edit_TablCode"));
    Edit_TablCode->setMaxLength(3);
    Edit_TablCode->setFixedWidth(60);
    addCondition(caption);
    addCondition(Edit_TablCode);
    // Enter in the code runs the report, as "重新统计" does.
    connect(Edit_TablCode, &QLineEdit::returnPressed, this, guard([this] { rerun(); }));

    grid_Rooms = addGrid(QStringLiteral("grid_Rooms"), page);
    bindGrid(grid_Rooms, qry_Rooms, roomColumns());
    body()->addWidget(grid_Rooms, 1);
}

void TableAnalysis::N6Click() { open(); }

void TableAnalysis::run(const std::function<void()>& step) {
    if (step) step();
    // The code is taken as typed when the report runs: what the screen shows and prints.
    shownTable_ = Edit_TablCode->text().trimmed();
    ReportRoom(*qry_Rooms, shownPeriod(), shownTable_);
    if (step) step();
}

std::vector<BarChart> TableAnalysis::charts() {
    const db::Dataset& q = *qry_Rooms;
    BarChart chart(QStringLiteral("实收金额（按部门）"));
    if (!q.active()) return {chart};
    const int dept = q.fieldIndex(QStringLiteral("dept_name"));
    const int fact = q.fieldIndex(QStringLiteral("tabl_gues_fact"));
    // The rows come by department: one bar per run of equal names.
    QString current;
    double sum = 0;
    for (int r = 0; r < q.recordCount(); ++r) {
        const QString name = q.valueAt(r, dept).toString();
        if (r > 0 && name != current) {
            chart.add(current, sum);
            sum = 0;
        }
        current = name;
        sum += q.valueAt(r, fact).toDouble();
    }
    if (q.recordCount() > 0) chart.add(current, sum);
    return {chart};
}

std::vector<ReportColumn> billPrintColumns() {
    std::vector<ReportColumn> columns = {{QStringLiteral("日期"), QString(), false, Qt::AlignLeft},
                                         {QStringLiteral("单号"), QString(), false, Qt::AlignLeft},
                                         {QStringLiteral("房台"), QString(), false, Qt::AlignLeft},
                                         {QStringLiteral("人数"), QStringLiteral("0"), false, Qt::AlignRight}};
    for (const char* c : {"酒菜", "低消", "房间费", "服务费", "折扣", "税额", "应收", "实收", "成本"})
        columns.push_back({QString::fromUtf8(c), QStringLiteral("0.00"), false, Qt::AlignRight});
    columns.push_back({QStringLiteral("毛利率"), QStringLiteral("0.0%"), false, Qt::AlignRight});
    return columns;
}

ReportTotals billPrintTotals(const QString& caption) {
    ReportTotals t{caption, {{QString(), ReportFigure::Count, 1, QStringLiteral("0")}}, true};
    t.figures.push_back({QString(), ReportFigure::Sum, 3, QStringLiteral("0")});
    for (int c = 4; c <= 12; ++c) t.figures.push_back({QString(), ReportFigure::Sum, c, QStringLiteral("0.00")});
    t.figures.push_back({QString(), ReportFigure::Average, 13, QStringLiteral("0.0%")});
    return t;
}

ReportFrame TableAnalysis::report() const {
    ReportFrame r = frame(QStringLiteral("房台分析报表"));
    if (!shownTable_.isEmpty()) r.setSubtitle(QStringLiteral("房台号：") + shownTable_);
    r.setColumns(billPrintColumns());
    r.setGroups({{QStringLiteral("部门："), false, billPrintTotals(QStringLiteral("小计"))}});
    r.setSummary(billPrintTotals(QStringLiteral("合计")));

    const db::Dataset& q = *qry_Rooms;
    if (!q.active()) return r;
    const char* fields[] = {"tabl_gues_time_work", "tabl_gues_auto_recn", "tabl_name",    "tabl_gues_coun",
                            "tabl_gues_dish_one",  "tabl_gues_low",       "tabl_gues_room", "tabl_gues_serv",
                            "tabl_gues_disc",      "tabl_gues_tax",       "tabl_gues_shou", "tabl_gues_fact",
                            "cost_mone",           "starperc"};
    std::vector<int> at;
    for (const char* f : fields) at.push_back(q.fieldIndex(QString::fromLatin1(f)));
    const int dept = q.fieldIndex(QStringLiteral("dept_name"));
    QString current;
    for (int row = 0; row < q.recordCount(); ++row) {
        const QString name = q.valueAt(row, dept).toString();
        if (row == 0 || name != current) r.startGroup(0, name);
        current = name;
        QVariantList values;
        for (size_t i = 0; i < at.size(); ++i) {
            const QVariant v = q.valueAt(row, at[i]);
            // The business date without its time.
            values << (i == 0 ? QVariant(v.toString().left(10)) : v);
        }
        r.addRow(values);
    }
    return r;
}

} // namespace kx::frontdesk
