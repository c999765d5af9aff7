#include "StockReports.h"

#include "Clock.h"
#include "ErrorGuard.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "Values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QVBoxLayout>

namespace kx::backoffice {

namespace {

using db::GridColumn;

// Single items and ingredients with their kind, class and type; set menus and composites have
// no stock of their own.
const QString kStockList = QStringLiteral(
    "select d.kind_name, d.kind_code, b.clas_code, b.clas_name, a.item_code, cast(a.item_coun as double precision) as item_coun, "
    "a.item_name, a.item_unit, cast(a.item_unit_pric as double precision) as item_unit_pric, "
    "cast(a.item_cost_pric as double precision) as item_cost_pric, a.item_limi, c.item_type_name "
    "from itemlist a join classlist b on a.clas_code = b.clas_code "
    "join itemtypelist c on a.item_type_code = c.item_type_code join kindlist d on b.kind_code = d.kind_code "
    "where a.item_type_code <> '2' and a.item_type_code <> '3'%1%2 "
    "order by d.kind_code, b.clas_code, a.item_code");
const QString kCounted = QStringLiteral(" and a.item_limi = ?");
const QString kOfKind = QStringLiteral(" and d.kind_code = ?");

// Each composite's quantity sold on the business days in [from, until), signed as the stock
// moved (a returned line gives its share back), times each ingredient's quantity per composite.
// The period is read once on its index and summed per composite before the recipes join in.
const QString kUsage = QStringLiteral(
    "select i.item_name, i.item_unit, cast(sum(s.sold * g.grou_coun) as double precision) as mixt "
    "from (select item_code, sum(tabl_cons_coun * item_coun_flag) as sold from AllCons "
    "where item_type_code = '3' and tabl_cons_time_work >= ? and tabl_cons_time_work < ? group by item_code) s "
    "join ItemGroup g on g.grou_code = s.item_code join itemlist i on i.item_code = g.item_code "
    "group by i.item_name, i.item_unit order by i.item_name, i.item_unit");

const QString kLimited = QStringLiteral("有限");
const Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

std::vector<GridColumn> stockColumns() {
    return {GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 60},
            GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 130},
            GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 40},
            GridColumn{QStringLiteral("item_coun"), QStringLiteral("库存"), QStringLiteral("0.##"), 60, false, kRight},
            GridColumn{QStringLiteral("item_limi"), QStringLiteral("限量"), {}, 40},
            GridColumn{QStringLiteral("item_unit_pric"), QStringLiteral("单价"), QStringLiteral("0.00"), 60, false,
                       kRight},
            GridColumn{QStringLiteral("item_cost_pric"), QStringLiteral("成本"), QStringLiteral("0.00"), 60, false,
                       kRight},
            GridColumn{QStringLiteral("item_type_name"), QStringLiteral("类型"), {}, 50}};
}

std::vector<GridColumn> usageColumns() {
    return {GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 160},
            GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 50},
            GridColumn{QStringLiteral("mixt"), QStringLiteral("使用量"), QStringLiteral("0.####"), 80, false,
                       kRight}};
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QTableView* grid(const char* name, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(name));
    paintAsMainGrid(view);
    return view;
}

class StockReports : public QObject {
  public:
    StockReports(TFormSMain& main, TFormChild& child) : QObject(&child), main_(main) {
        buildCountSheet(child);
        buildUsage(child);
        main.registerScreen(QStringLiteral("库存盘点"), {countPanel_, nullptr, [this](db::Dataset*) { showCountSheet(); }});
        main.registerScreen(QStringLiteral("配料使用"), {usagePanel_, nullptr, [this](db::Dataset*) { showUsage(); }});
    }

  private:
    void buildCountSheet(TFormChild& child) {
        countPanel_ = screenPanel("pnl_storereport", &child);
        auto* outer = new QVBoxLayout(countPanel_);
        outer->setContentsMargins(8, 8, 8, 8);
        auto* line = new QHBoxLayout;
        byKind_ = new QCheckBox(QStringLiteral("按大类"), countPanel_);
        byKind_->setObjectName(QStringLiteral("CheckBox6"));
        kinds_ = new QComboBox(countPanel_);
        kinds_->setObjectName(QStringLiteral("DBLookupComboBox11"));
        kinds_->setMinimumWidth(120);
        QPushButton* sheet = button("BitBtn1", QStringLiteral("盘点表"), countPanel_);
        QPushButton* refresh = button("BitBtn2", QStringLiteral("统计"), countPanel_);
        QPushButton* menu = button("BitBtn3", QStringLiteral("菜  谱"), countPanel_);
        line->addWidget(byKind_);
        line->addWidget(kinds_);
        line->addWidget(refresh);
        line->addWidget(sheet);
        line->addWidget(menu);
        line->addStretch(1);
        outer->addLayout(line);
        countGrid_ = grid("DBGrid56", countPanel_);
        outer->addWidget(countGrid_, 1);
        QObject::connect(refresh, &QPushButton::clicked, refresh, guard([this] { list(StockSheet::Count); }));
        QObject::connect(sheet, &QPushButton::clicked, sheet, guard([this] { print(StockSheet::Count); }));
        QObject::connect(menu, &QPushButton::clicked, menu, guard([this] { print(StockSheet::Menu); }));
    }

    void buildUsage(TFormChild& child) {
        usagePanel_ = screenPanel("pnl_totalmix", &child);
        auto* outer = new QVBoxLayout(usagePanel_);
        outer->setContentsMargins(8, 8, 8, 8);
        auto* line = new QHBoxLayout;
        from_ = dayPicker("DateTimePicker12", usagePanel_);
        until_ = dayPicker("DateTimePicker13", usagePanel_);
        QPushButton* again = button("Button8", QStringLiteral("重新统计"), usagePanel_);
        QPushButton* print = button("BitBtn4", QStringLiteral("配料使用统计制表"), usagePanel_);
        line->addWidget(new QLabel(QStringLiteral("开始时间："), usagePanel_));
        line->addWidget(from_);
        line->addWidget(new QLabel(QStringLiteral("结束时间："), usagePanel_));
        line->addWidget(until_);
        line->addWidget(again);
        line->addWidget(print);
        line->addStretch(1);
        outer->addLayout(line);
        usageGrid_ = grid("DBGrid61", usagePanel_);
        outer->addWidget(usageGrid_, 1);
        QObject::connect(again, &QPushButton::clicked, again, guard([this] { queryUsage(); }));
        QObject::connect(print, &QPushButton::clicked, print, guard([this] { printUsage(); }));
    }

    // ---------------------------------------------------------------- the count sheet

    void showCountSheet() {
        // The kinds as they are now; the one chosen before stays chosen.
        const QString chosen = kinds_->currentIndex() < 0 ? QString() : kinds_->currentData().toString();
        kinds_->clear();
        QSqlQuery kinds =
            db::run(main_.db(), QStringLiteral("select kind_code, kind_name from kindlist order by kind_code"));
        while (kinds.next())
            kinds_->addItem(kinds.value(1).toString(), kinds.value(0));
        kinds_->setCurrentIndex(chosen.isEmpty() ? -1 : kinds_->findData(chosen));
        const BoundQuery q = stockList(StockSheet::Count);
        main_.ds_Temp->attach(main_.db(), q.sql, q.params);
        main_.ds_Temp->show(countGrid_, stockColumns());
    }

    // The kind the list is narrowed to: the one in the box while "按大类" is ticked.
    QString kindFilter() const {
        if (!byKind_->isChecked() || kinds_->currentIndex() < 0) return QString();
        return kinds_->currentData().toString();
    }

    db::Dataset* list(StockSheet sheet) {
        const BoundQuery q = stockList(sheet, kindFilter());
        db::Dataset* ds = main_.ds_Temp->attach(main_.db(), q.sql, q.params);
        main_.ds_Temp->show(countGrid_, stockColumns());
        return ds;
    }

    void print(StockSheet sheet) {
        const db::Dataset* items = list(sheet);
        const QString venue = db::scalarText(main_.db(), QStringLiteral("select user_name from SetupPay"));
        stockSheetReport(*items, sheet, venue, main_.OperatorName).document().preview(&main_);
    }

    // ---------------------------------------------------------------- ingredient usage

    void showUsage() {
        const QDate today = Clock::today();
        from_->setDate(today);
        until_->setDate(today);
        queryUsage();
    }

    db::Dataset* queryUsage() {
        const BoundQuery q = ingredientUsage(from_->date(), until_->date());
        db::Dataset* ds = main_.ds_Temp->attach(main_.db(), q.sql, q.params);
        main_.ds_Temp->show(usageGrid_, usageColumns());
        return ds;
    }

    void printUsage() {
        const db::Dataset* usage = queryUsage();
        ingredientUsageReport(*usage, from_->date(), until_->date(), main_.OperatorName).document().preview(&main_);
    }

    TFormSMain& main_;
    QWidget* countPanel_ = nullptr;
    QCheckBox* byKind_ = nullptr;
    QComboBox* kinds_ = nullptr;
    QTableView* countGrid_ = nullptr;
    QWidget* usagePanel_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* until_ = nullptr;
    QTableView* usageGrid_ = nullptr;
};

// A row value of the list by field name.
struct Fields {
    const db::Dataset& ds;
    QVariant operator()(int row, const char* name) const {
        return ds.valueAt(row, ds.fieldIndex(QString::fromLatin1(name)));
    }
};

} // namespace

BoundQuery stockList(StockSheet sheet, const QString& kindCode) {
    BoundQuery q;
    const bool counted = sheet == StockSheet::Count;
    q.sql = kStockList.arg(counted ? kCounted : QString(), kindCode.isEmpty() ? QString() : kOfKind);
    if (counted) q.params << kLimited;
    if (!kindCode.isEmpty()) q.params << kindCode;
    return q;
}

BoundQuery ingredientUsage(const QDate& first, const QDate& last) {
    return {kUsage, wholeDays(first, last)};
}

ReportFrame stockSheetReport(const db::Dataset& list, StockSheet sheet, const QString& venue,
                             const QString& maker) {
    const bool counted = sheet == StockSheet::Count;
    ReportFrame report(counted ? QStringLiteral("库存分类盘点表") : QStringLiteral("菜   谱"));
    report.setVenue(venue);
    const ReportColumn code{QStringLiteral("编码"), QString(), false, Qt::AlignHCenter};
    const ReportColumn name{QStringLiteral("项目名称"), QString(), false, Qt::AlignLeft};
    const ReportColumn unit{QStringLiteral("单位"), QString(), false, Qt::AlignHCenter};
    const ReportColumn stock{QStringLiteral("库存"), QStringLiteral("0.##"), false, Qt::AlignRight};
    const ReportColumn limit{QStringLiteral("限量"), QString(), false, Qt::AlignHCenter};
    const ReportColumn price{QStringLiteral("单价"), QStringLiteral("0.00"), false, Qt::AlignRight};
    const ReportColumn cost{QStringLiteral("成本"), QStringLiteral("0.00"), false, Qt::AlignRight};
    const ReportColumn type{QStringLiteral("类型"), QString(), false, Qt::AlignHCenter};
    if (counted) {
        report.setColumns({code, name, unit, stock, limit, price, cost, type});
        // Past the eight columns each row carries its stock's amount at price (8) and at cost (9).
        const auto figures = [](const char* amount, const char* costs) {
            return ReportTotals{QString(),
                                {{QString::fromUtf8(amount), ReportFigure::Sum, 8},
                                 {QString::fromUtf8(costs), ReportFigure::Sum, 9}}};
        };
        report.setGroups({{QStringLiteral("大类："), false, figures("合计金额：", "合计成本：")},
                          {QStringLiteral("分类->"), true, figures("小计金额：", "小计成本：")}});
        report.setSummary(figures("总计金额：", "总计成本："));
        report.setMade(Clock::now(), maker);
    } else {
        report.setColumns({code, name, unit, limit, price, type});
        report.setGroups({{QStringLiteral("大类："), false, {}}, {QStringLiteral("分类->"), true, {}}});
    }

    const Fields f{list};
    QVariant kind, cls;
    for (int r = 0; r < list.recordCount(); ++r) {
        const QVariant rowKind = f(r, "kind_code");
        const QVariant rowClass = f(r, "clas_code");
        if (r == 0 || rowKind != kind) {
            report.startGroup(0, f(r, "kind_name").toString());
            kind = rowKind;
            cls = QVariant();
        }
        if (!cls.isValid() || rowClass != cls) {
            report.startGroup(1, f(r, "clas_name").toString());
            cls = rowClass;
        }
        if (counted) {
            const double n = f(r, "item_coun").toDouble();
            report.addRow({f(r, "item_code"), f(r, "item_name"), f(r, "item_unit"), f(r, "item_coun"),
                           f(r, "item_limi"), f(r, "item_unit_pric"), f(r, "item_cost_pric"), f(r, "item_type_name"),
                           n * f(r, "item_unit_pric").toDouble(), n * f(r, "item_cost_pric").toDouble()});
        } else {
            report.addRow({f(r, "item_code"), f(r, "item_name"), f(r, "item_unit"), f(r, "item_limi"),
                           f(r, "item_unit_pric"), f(r, "item_type_name")});
        }
    }
    return report;
}

ReportFrame ingredientUsageReport(const db::Dataset& usage, const QDate& first, const QDate& last,
                                  const QString& operatorName) {
    ReportFrame report(QStringLiteral("配料使用情况统计表"));
    report.addHeading(QStringLiteral("统计时间：") + showDate(first) + QStringLiteral(" 至 ") + showDate(last));
    report.setColumns({{QStringLiteral("项目名称"), QString(), false, Qt::AlignLeft},
                       {QStringLiteral("单位"), QString(), false, Qt::AlignHCenter},
                       {QStringLiteral("使用量"), QStringLiteral("0.####"), true, Qt::AlignRight},
                       {QStringLiteral("备注"), QString(), false, Qt::AlignLeft}});
    const Fields f{usage};
    for (int r = 0; r < usage.recordCount(); ++r)
        report.addRow({f(r, "item_name"), f(r, "item_unit"), f(r, "mixt"), QVariant()});
    report.setSumCaption(QStringLiteral("合计："));
    report.addRemark(QStringLiteral("操作员工：") + operatorName);
    report.addRemark(QStringLiteral("录入时间：") + showDateTime(Clock::now()));
    return report;
}

void buildStockReportScreens(TFormSMain& main, TFormChild& child, TDMSetup&) {
    new StockReports(main, child);
}

} // namespace kx::backoffice
