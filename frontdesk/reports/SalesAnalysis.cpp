#include "SalesAnalysis.h"

#include "BillCalc.h"
#include "Binder.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "Values.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMap>
#include <QTableView>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {

// The figures of the screen: the label's name, its caption on the screen, its caption in print
// (empty: not printed), and its group (0 营业分析, 1 总营业额).
struct FigureLine {
    const char* name;
    const char* caption;
    const char* printed;
    int group;
};
const FigureLine kFigures[] = {
    {"cbillcoun", "帐 单 数：", "帐 单 数：", 0}, {"tcoun", "客 人 数：", "人    数：", 0},
    {"tdish", "酒菜消费：", "酒菜消费：", 0},     {"tspec", "特殊消费：", "特殊消费：", 0},
    {"tlow", "最低消费：", "最低消费：", 0},      {"troom", "房间消费：", "房间消费：", 0},
    {"tserv", "服 务 费：", "服 务 费：", 0},     {"tdisc", "折扣金额：", "折扣金额：", 0},
    {"tshou", "应收金额：", "应收金额：", 1},     {"ttax", "收税金额：", "收税金额：", 1},
    {"tfact", "实收金额：", "实收金额：", 1},     {"tdedu", "提成金额：", "提成金额：", 1},
    {"tcost", "酒菜成本：", "消费成本：", 1},     {"perc", "总毛利率：", "总毛利率：", 1},
    {"tothe", "其它收入：", "其它收入：", 1},     {"average", "人均消费：", "", 1},
};

QString amount(double v) { return ReportFrame::formatCell(v, QStringLiteral("0.00")); }

// More days than this are charted by month.
constexpr int kDaysCharted = 62;

} // namespace

SalesFigures salesFigures(QSqlDatabase db, const ReportPeriod& period, const ReportFilter& filter) {
    SalesFigures f;
    f.filtered = filter.active();
    QSqlQuery q = db::run(db,
                          QStringLiteral("SELECT count(*), sum(tabl_gues_coun), sum(tabl_gues_dish), sum(tabl_gues_spec), "
                                         "sum(tabl_gues_low), sum(tabl_gues_room), sum(tabl_gues_serv), sum(tabl_gues_disc), "
                                         "sum(tabl_gues_shou), sum(tabl_gues_tax), sum(tabl_gues_fact), sum(dedu_mone), "
                                         "sum(cost_mone) FROM AllGues WHERE ") +
                              filter.condition() + periodCondition(QStringLiteral("tabl_gues_time_work")),
                          filter.params() + period.bounds());
    if (q.next()) {
        f.bills = q.value(0).toLongLong();
        double* into[] = {&f.guests, &f.dish,       &f.special,  &f.minimum,  &f.room, &f.service,
                          &f.discount, &f.receivable, &f.tax, &f.received, &f.commission, &f.cost};
        for (int i = 0; i < 12; ++i)
            *into[i] = q.value(i + 1).toDouble();
    }
    if (!filter.active()) {
        QSqlQuery o = db::run(db,
                              QStringLiteral("SELECT count(*), sum(othe_inco_mone) FROM AllOtherInCome WHERE ") +
                                  periodCondition(QStringLiteral("othe_inco_time")),
                              period.bounds());
        if (o.next() && o.value(0).toLongLong() > 0) f.otherIncome = o.value(1).toDouble();
    }
    return f;
}

SalesAnalysis::SalesAnalysis(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : ReportScreen(main, work, dm,
                   {QStringLiteral("pnl_b1"),
                    QStringLiteral("销售分析报表"),
                    QStringLiteral("重新统计"),
                    {{QStringLiteral("部门"), QStringLiteral("dept_name"),
                      QStringLiteral("select dept_name from allgues group by dept_name")},
                     {QStringLiteral("班次"), QStringLiteral("orde_name"),
                      QStringLiteral("select orde_name from allcons where grou_code is null group by orde_name")}},
                    QStringLiteral("DBLookupComboBox10"),
                    true}) {
    qry_SalesPay = new db::Dataset(main->db(), QStringLiteral("qry_SalesPay"), QString(), this);
    qry_SalesKinds = new db::Dataset(main->db(), QStringLiteral("qry_SalesKinds"), QString(), this);

    QWidget* page = body()->parentWidget();
    auto* row = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    box_Business = new QGroupBox(QStringLiteral("营业分析"), page);
    box_Business->setObjectName(QStringLiteral("box_Business"));
    box_Takings = new QGroupBox(QStringLiteral("总营业额"), page);
    box_Takings->setObjectName(QStringLiteral("box_Takings"));
    QGridLayout* grids[] = {new QGridLayout(box_Business), new QGridLayout(box_Takings)};
    int lines[] = {0, 0};
    // Both groups keep room for the unit after "人均消费：", so their figures line up.
    for (QGridLayout* g : grids) g->setColumnMinimumWidth(2, 36);
    for (const FigureLine& f : kFigures) {
        QGroupBox* box = f.group == 0 ? box_Business : box_Takings;
        auto* caption = new QLabel(QString::fromUtf8(f.caption), box);
        auto* value = new QLabel(box);
        value->setObjectName(QStringLiteral("lbl_") + QString::fromLatin1(f.name));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(96);
        value->setStyleSheet(QStringLiteral("color: #00007f;"));
        QGridLayout* g = grids[f.group];
        const int at = lines[f.group]++;
        g->addWidget(caption, at, 0);
        g->addWidget(value, at, 1);
        if (QLatin1String(f.name) == QLatin1String("average"))
            g->addWidget(new QLabel(QStringLiteral("元/人"), box), at, 2);
        if (QLatin1String(f.name) == QLatin1String("tothe")) otherIncomeCaption_ = caption;
        labels_.insert(QString::fromLatin1(f.name), value);
    }
    left->addWidget(box_Business);
    left->addWidget(box_Takings);
    left->addStretch();
    row->addLayout(left, 0);

    auto* right = new QVBoxLayout;
    grid_PayTypes = addGrid(QStringLiteral("grid_PayTypes"), page);
    grid_Kinds = addGrid(QStringLiteral("grid_Kinds"), page);
    bindGrid(grid_PayTypes, qry_SalesPay,
             {{QStringLiteral("pay_type_name"), QStringLiteral("付款方式"), QString(), 150},
              {QStringLiteral("paycount"), QStringLiteral("收入笔数"), QStringLiteral("0"), 90},
              {QStringLiteral("paytotal"), QStringLiteral("收入金额"), QStringLiteral("#,##0.00"), 120}});
    bindGrid(grid_Kinds, qry_SalesKinds,
             {{QStringLiteral("kind_name"), QStringLiteral("大类名称"), QString(), 150},
              {QStringLiteral("tabl_cons_tota"), QStringLiteral("合计金额"), QStringLiteral("#,##0.00"), 120},
              {QStringLiteral("tabl_cost_tota"), QStringLiteral("合计成本"), QStringLiteral("#,##0.00"), 120}});
    right->addWidget(grid_PayTypes, 1);
    right->addWidget(grid_Kinds, 1);
    row->addLayout(right, 1);
    body()->addLayout(row, 1);
}

void SalesAnalysis::N5Click() {
    if (!main_->Limite(QStringLiteral("CF"))) return;
    open();
}

QLabel* SalesAnalysis::figure(const QString& name) const { return labels_.value(name); }

void SalesAnalysis::run(const std::function<void()>& step) { TotalRsum(step); }

void SalesAnalysis::TotalRsum(const std::function<void()>& step) {
    const auto progress = [&step] {
        if (step) step();
    };
    const ReportPeriod p = shownPeriod();
    const ReportFilter f = shownFilter();
    charts_.reset();
    progress();
    figures_ = salesFigures(main_->db(), p, f);
    progress();
    // Each pay type's lines counted (those above 0) and summed in one pass.
    qry_SalesPay->setSql(QStringLiteral("SELECT pay_type_code, pay_type_name, "
                                        "sum(CASE WHEN pay_type_mone > 0 THEN 1 ELSE 0 END) AS paycount, "
                                        "sum(pay_type_mone) AS paytotal FROM AllGuesPay WHERE ") +
                             f.condition() + periodCondition(QStringLiteral("pay_time")) +
                             QStringLiteral(" GROUP BY pay_type_code, pay_type_name ORDER BY pay_type_code DESC"),
                         f.params() + p.bounds());
    qry_SalesPay->open();
    progress();
    // The components of set menus (grou_code set) are counted in their set menu's line.
    qry_SalesKinds->setSql(QStringLiteral("SELECT kind_name, sum(tabl_cons_tota) AS tabl_cons_tota, "
                                          "sum(tabl_cost_tota) AS tabl_cost_tota FROM AllCons "
                                          "WHERE grou_code IS NULL AND ") +
                               f.condition() + periodCondition(QStringLiteral("tabl_cons_time_work")) +
                               QStringLiteral(" GROUP BY kind_name"),
                           f.params() + p.bounds());
    qry_SalesKinds->open();
    progress();
    showFigures();
}

QString SalesAnalysis::text(const QString& name) const {
    const SalesFigures& f = figures_;
    if (name == QLatin1String("tothe")) return f.otherIncome ? amount(*f.otherIncome) : QString();
    // A period without a cleared visit shows no figure at all.
    if (f.bills == 0) return QString();
    if (name == QLatin1String("cbillcoun")) return QString::number(f.bills);
    if (name == QLatin1String("tcoun")) return ReportFrame::formatCell(f.guests, QStringLiteral("0"));
    if (name == QLatin1String("perc"))
        return f.received > 0 ? QString::number(roundHalfEven((f.received - f.cost) / f.received * 100, 1), 'f', 1) +
                                    QStringLiteral("%")
                              : QString();
    if (name == QLatin1String("average"))
        return f.guests > 0 ? amount(IntWay(*dm_, f.received / f.guests)) : QString();
    const QMap<QString, double> amounts = {
        {QStringLiteral("tdish"), f.dish},       {QStringLiteral("tspec"), f.special},
        {QStringLiteral("tlow"), f.minimum},     {QStringLiteral("troom"), f.room},
        {QStringLiteral("tserv"), f.service},    {QStringLiteral("tdisc"), f.discount},
        {QStringLiteral("tshou"), f.receivable}, {QStringLiteral("ttax"), f.tax},
        {QStringLiteral("tfact"), f.received},   {QStringLiteral("tdedu"), f.commission},
        {QStringLiteral("tcost"), f.cost}};
    return amounts.contains(name) ? amount(amounts.value(name)) : QString();
}

void SalesAnalysis::showFigures() {
    for (auto it = labels_.begin(); it != labels_.end(); ++it)
        it.value()->setText(text(it.key()));
    // Other income belongs to no department and no shift.
    const bool other = !figures_.filtered;
    otherIncomeCaption_->setVisible(other);
    labels_.value(QStringLiteral("tothe"))->setVisible(other);
}

std::vector<BarChart> SalesAnalysis::charts() {
    if (charts_) return *charts_;
    const ReportPeriod p = shownPeriod();
    const ReportFilter f = shownFilter();
    const bool byMonth = p.start.daysTo(p.end) >= kDaysCharted;
    // The received amounts by the hour of checkout and by business date, in one pass.
    QSqlQuery q = db::run(main_->db(),
                          QStringLiteral("SELECT substr(tabl_gues_time_work, 1, %1), substr(tabl_gues_time_end, 12, 2), "
                                         "sum(tabl_gues_fact) FROM AllGues WHERE ")
                                  .arg(byMonth ? 7 : 10) +
                              f.condition() + periodCondition(QStringLiteral("tabl_gues_time_work")) +
                              QStringLiteral(" GROUP BY 1, 2"),
                          f.params() + p.bounds());
    QMap<QString, double> byDate;
    QMap<int, double> byHour;
    while (q.next()) {
        const double v = q.value(2).toDouble();
        byDate[q.value(0).toString()] += v;
        bool ok = false;
        const int hour = q.value(1).toString().toInt(&ok);
        if (ok) byHour[hour] += v;
    }
    std::vector<BarChart> out;
    BarChart hours(QStringLiteral("实收金额（按结帐时段）"));
    if (!byHour.isEmpty())
        for (int h = byHour.firstKey(); h <= byHour.lastKey(); ++h)
            hours.add(QStringLiteral("%1时").arg(h), byHour.value(h));
    out.push_back(hours);
    BarChart kinds(QStringLiteral("合计金额（按大类）"));
    const int kindField = qry_SalesKinds->fieldIndex(QStringLiteral("kind_name"));
    const int totalField = qry_SalesKinds->fieldIndex(QStringLiteral("tabl_cons_tota"));
    for (int r = 0; kindField >= 0 && r < qry_SalesKinds->recordCount(); ++r)
        kinds.add(qry_SalesKinds->valueAt(r, kindField).toString(), qry_SalesKinds->valueAt(r, totalField).toDouble());
    out.push_back(kinds);
    if (p.severalDays()) {
        BarChart dates(byMonth ? QStringLiteral("实收金额（按月份）") : QStringLiteral("实收金额（按营业日期）"));
        for (auto it = byDate.begin(); it != byDate.end(); ++it)
            dates.add(byMonth ? it.key() : it.key().mid(5), it.value());
        out.push_back(dates);
    }
    charts_ = out;
    return out;
}

ReportFrame SalesAnalysis::report() const {
    ReportFrame r = frame(QStringLiteral("销售分析报表"));
    r.setSubtitle(shownFilter().subtitle(QStringLiteral("综合统计")));

    r.addSection(QStringLiteral("[收入状况]"));
    r.setColumns({{QStringLiteral("付款方式"), QString(), false, Qt::AlignLeft},
                  {QStringLiteral("收入笔数"), QStringLiteral("0"), true, Qt::AlignRight},
                  {QStringLiteral("收入金额"), QStringLiteral("0.00"), true, Qt::AlignRight}});
    const db::Dataset& pay = *qry_SalesPay;
    for (int i = 0; pay.active() && i < pay.recordCount(); ++i)
        r.addRow({pay.valueAt(i, pay.fieldIndex(QStringLiteral("pay_type_name"))),
                  pay.valueAt(i, pay.fieldIndex(QStringLiteral("paycount"))),
                  pay.valueAt(i, pay.fieldIndex(QStringLiteral("paytotal")))});

    r.addSection(QStringLiteral("[消费状况]"), ReportFrame::Start::NewReport);
    r.setColumns({{QStringLiteral("大类名称"), QString(), false, Qt::AlignLeft},
                  {QStringLiteral("合计金额"), QStringLiteral("0.00"), true, Qt::AlignRight},
                  {QStringLiteral("合计成本"), QStringLiteral("0.00"), true, Qt::AlignRight}});
    const db::Dataset& kinds = *qry_SalesKinds;
    for (int i = 0; kinds.active() && i < kinds.recordCount(); ++i)
        r.addRow({kinds.valueAt(i, kinds.fieldIndex(QStringLiteral("kind_name"))),
                  kinds.valueAt(i, kinds.fieldIndex(QStringLiteral("tabl_cons_tota"))),
                  kinds.valueAt(i, kinds.fieldIndex(QStringLiteral("tabl_cost_tota")))});
    ReportFigureBlock business{QStringLiteral("[营业状况]"), {}};
    ReportFigureBlock takings{QStringLiteral("[总营业额]"), {}};
    for (const FigureLine& f : kFigures) {
        const QString name = QString::fromLatin1(f.name);
        if (!*f.printed || (name == QLatin1String("tothe") && figures_.filtered)) continue;
        (f.group == 0 ? business : takings).lines.push_back({QString::fromUtf8(f.printed), text(name)});
    }
    r.addFigureBlocks({business, takings});

    std::vector<BarChart> drawn = const_cast<SalesAnalysis*>(this)->charts();
    const bool anything = std::any_of(drawn.begin(), drawn.end(), [](const BarChart& c) { return !c.isEmpty(); });
    if (anything) r.setChartPage(QStringLiteral("销售分析图表"), std::move(drawn));
    return r;
}

} // namespace kx::frontdesk
