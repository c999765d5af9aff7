#include "DishAnalysis.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "TFormWMain.h"

#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

namespace kx::frontdesk {

namespace {

// Ties keep the printed order: kind, class, code.
const char* const kSorts[] = {"item_code", "bill DESC, item_code", "constotal DESC, item_code",
                              "facttotal DESC, item_code"};

constexpr int kCharted = 20;

} // namespace

void ReportDish(db::Dataset& into, const ReportPeriod& period, const ReportFilter& filter, DishSort sort) {
    // The free quantity is valued at the unit price; the count and the margin come from the sums.
    into.setSql(QStringLiteral("SELECT item_code, item_name, item_unit, clas_name, kind_name, bill1, bill2, bill3, bill4, "
                               "bill1 + bill3 - bill2 - bill4 AS bill, bill3total, constotal, facttotal, costtotal, "
                               "CASE WHEN facttotal = 0 THEN 0 ELSE (facttotal - costtotal) * 100.0 / facttotal END "
                               "AS perctotal FROM (SELECT item_code, item_name, item_unit, clas_name, kind_name, "
                               "sum(tabl_d_bill) AS bill1, sum(tabl_t_bill) AS bill2, sum(tabl_z_bill) AS bill3, "
                               "sum(tabl_tz_bill) AS bill4, sum(tabl_z_bill * item_unit_pric) AS bill3total, "
                               "sum(tabl_cons_tota) AS constotal, sum(") +
                    netSalesSql() +
                    QStringLiteral(") AS facttotal, sum(tabl_cost_tota) AS costtotal FROM AllCons "
                                   "WHERE grou_code IS NULL AND ") +
                    filter.condition() + periodCondition(QStringLiteral("tabl_cons_time_work")) +
                    QStringLiteral(" GROUP BY item_name, clas_name, item_code, item_unit, kind_name) AS items ORDER BY ") +
                    QString::fromLatin1(kSorts[int(sort)]) + QStringLiteral(", kind_name, clas_name"),
                filter.params() + period.bounds());
    into.open();
}

std::vector<db::GridColumn> dishGridColumns(bool withUnit) {
    const QString count = QStringLiteral("0.##");
    const QString money = QStringLiteral("#,##0.00");
    std::vector<db::GridColumn> columns = {{QStringLiteral("item_code"), QStringLiteral("编码"), QString(), 60},
                                           {QStringLiteral("item_name"), QStringLiteral("项目名称"), QString(), 130}};
    if (withUnit) columns.push_back({QStringLiteral("item_unit"), QStringLiteral("单位"), QString(), 44});
    const std::vector<db::GridColumn> figures = {
        {QStringLiteral("bill1"), QStringLiteral("点单"), count, 50},
        {QStringLiteral("bill2"), QStringLiteral("退单"), count, 50},
        {QStringLiteral("bill3"), QStringLiteral("赠单"), count, 50},
        {QStringLiteral("bill4"), QStringLiteral("退赠"), count, 50},
        {QStringLiteral("bill"), QStringLiteral("合计"), count, 50},
        {QStringLiteral("bill3total"), QStringLiteral("赠单总额"), money, 76},
        {QStringLiteral("constotal"), QStringLiteral("总金额"), money, 80},
        {QStringLiteral("facttotal"), QStringLiteral("销售额"), money, 80},
        {QStringLiteral("costtotal"), QStringLiteral("成本"), money, 76},
        {QStringLiteral("perctotal"), QStringLiteral("毛利率"), QStringLiteral("0.0%"), 60}};
    columns.insert(columns.end(), figures.begin(), figures.end());
    return columns;
}

DishAnalysis::DishAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : ReportScreen(main, work, dm,
                   {QStringLiteral("pnl_B3"),
                    QStringLiteral("点单分析报表"),
                    QStringLiteral("重新统计"),
                    {{QStringLiteral("大类"), QStringLiteral("kind_name"),
                      QStringLiteral("select kind_name from allcons where grou_code is null group by kind_name")},
                     {QStringLiteral("部门"), QStringLiteral("dept_name"),
                      QStringLiteral("select dept_name from allcons where grou_code is null group by dept_name")},
                     {QStringLiteral("出品"), QStringLiteral("manu_name"),
                      QStringLiteral("select manu_name from allcons where grou_code is null group by manu_name")},
                     {QStringLiteral("班次"), QStringLiteral("orde_name"),
                      QStringLiteral("select orde_name from allcons where grou_code is null group by orde_name")}},
                    QStringLiteral("DBLookupComboBox11"),
                    true}) {
    qry_Dishes = new db::Dataset(main->db(), QStringLiteral("qry_Dishes"), QString(), this);
    QWidget* page = body()->parentWidget();
    cmb_Sort = new QComboBox(panel);
    cmb_Sort->setObjectName(QStringLiteral("cmb_Sort"));
    cmb_Sort->addItems({QStringLiteral("编号"), QStringLiteral("总数"), QStringLiteral("总金额"), QStringLiteral("销售额")});
    addCondition(cmb_Sort);
    // Each choice re-runs the report in its order.
    connect(cmb_Sort, &QComboBox::activated, this, guard([this] { rerun(); }));

    grid_Dishes = addGrid(QStringLiteral("grid_Dishes"), page);
    bindGrid(grid_Dishes, qry_Dishes, dishGridColumns());
    body()->addWidget(grid_Dishes, 1);
}

void DishAnalysis::N3Click() { open(); }

void DishAnalysis::run(const std::function<void()>& step) {
    if (step) step();
    ReportDish(*qry_Dishes, shownPeriod(), shownFilter(), DishSort(std::max(0, cmb_Sort->currentIndex())));
    if (step) step();
}

std::vector<BarChart> DishAnalysis::charts() {
    BarChart chart(QStringLiteral("销售额前20名"));
    const db::Dataset& q = *qry_Dishes;
    if (!q.active()) return {chart};
    const int name = q.fieldIndex(QStringLiteral("item_name"));
    const int sales = q.fieldIndex(QStringLiteral("facttotal"));
    std::vector<int> rows(size_t(q.recordCount()));
    std::iota(rows.begin(), rows.end(), 0);
    // The highest first; equal sales in the grid's order.
    std::stable_sort(rows.begin(), rows.end(),
                     [&](int a, int b) { return q.valueAt(a, sales).toDouble() > q.valueAt(b, sales).toDouble(); });
    for (size_t i = 0; i < rows.size() && i < size_t(kCharted); ++i)
        chart.add(q.valueAt(rows[i], name).toString(), q.valueAt(rows[i], sales).toDouble());
    return {chart};
}

std::vector<ReportColumn> dishPrintColumns() {
    const QString count = QStringLiteral("0.##");
    const QString money = QStringLiteral("0.00");
    std::vector<ReportColumn> columns = {{QStringLiteral("编码"), QString(), false, Qt::AlignLeft},
                                         {QStringLiteral("项目名称"), QString(), false, Qt::AlignLeft},
                                         {QStringLiteral("单位"), QString(), false, Qt::AlignLeft}};
    for (const char* c : {"点单", "退单", "赠单", "退赠", "总数"})
        columns.push_back({QString::fromUtf8(c), count, false, Qt::AlignRight});
    for (const char* c : {"赠单额", "销售额", "成本"})
        columns.push_back({QString::fromUtf8(c), money, false, Qt::AlignRight});
    columns.push_back({QStringLiteral("毛利率"), QStringLiteral("0.0%"), false, Qt::AlignRight});
    return columns;
}

QStringList dishPrintFields() {
    return {QStringLiteral("item_code"),  QStringLiteral("item_name"), QStringLiteral("item_unit"),
            QStringLiteral("bill1"),      QStringLiteral("bill2"),     QStringLiteral("bill3"),
            QStringLiteral("bill4"),      QStringLiteral("bill"),      QStringLiteral("bill3total"),
            QStringLiteral("facttotal"),  QStringLiteral("costtotal"), QStringLiteral("perctotal")};
}

ReportTotals dishPrintTotals(const QString& caption) {
    ReportTotals t{caption, {{QString(), ReportFigure::Count, 1, QStringLiteral("0")}}, true};
    for (int c = 3; c <= 10; ++c)
        t.figures.push_back({QString(), ReportFigure::Sum, c, c <= 7 ? QStringLiteral("0.##") : QStringLiteral("0.00")});
    t.figures.push_back({QString(), ReportFigure::Average, 11, QStringLiteral("0.0%")});
    return t;
}

ReportFrame DishAnalysis::report() const {
    ReportFrame r = frame(QStringLiteral("点单分析报表"));
    r.setSubtitle(shownFilter().subtitle(QStringLiteral("分类综合统计")));
    r.setColumns(dishPrintColumns());
    r.setGroups({{QStringLiteral("大类名称："), false, {}},
                 {QStringLiteral("分类名称："), true, dishPrintTotals(QStringLiteral("小计"))}});
    r.setSummary(dishPrintTotals(QStringLiteral("合计")));

    const db::Dataset& q = *qry_Dishes;
    if (!q.active()) return r;
    std::vector<int> at;
    for (const QString& f : dishPrintFields()) at.push_back(q.fieldIndex(f));
    const int kind = q.fieldIndex(QStringLiteral("kind_name"));
    const int clas = q.fieldIndex(QStringLiteral("clas_name"));
    // Grouped whatever the sort: by kind, then class, the sort kept inside each class.
    std::vector<int> rows(size_t(q.recordCount()));
    std::iota(rows.begin(), rows.end(), 0);
    std::vector<std::pair<QString, QString>> keys;
    keys.reserve(rows.size());
    for (const int row : rows) keys.emplace_back(q.valueAt(row, kind).toString(), q.valueAt(row, clas).toString());
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    const std::pair<QString, QString>* open = nullptr;
    for (const int row : rows) {
        const std::pair<QString, QString>& key = keys[size_t(row)];
        if (!open || key.first != open->first) r.startGroup(0, key.first);
        if (!open || key != *open) r.startGroup(1, key.second);
        open = &key;
        QVariantList values;
        for (const int f : at) values << q.valueAt(row, f);
        r.addRow(values);
    }
    return r;
}

} // namespace kx::frontdesk
