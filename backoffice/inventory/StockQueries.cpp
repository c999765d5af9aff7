#include "StockQueries.h"

#include "Binder.h"
#include "Clock.h"
#include "ErrorGuard.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "TDMManage.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "TextEntry.h"
#include "Values.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kx::backoffice {

namespace {

using db::GridColumn;

// The units that have posted bills, by code: two units sharing a short name stay two. A unit
// removed since keeps the name of its last bill. One row per unit, its last bill's, so the list
// is a dataset over one table as every current dataset of the shell is (closing the program
// posts the current row); nothing is ever written through it.
const QString kUnitsWithBills = QStringLiteral(
    "select b.work_code, coalesce((select w.work_name_s from WorkList w where w.work_code = b.work_code), "
    "b.work_name_s) as unit_name from AllStoreBill b where b.stor_bill_ID in "
    "(select max(stor_bill_ID) from AllStoreBill where work_code <> '' group by work_code) "
    "order by b.work_code");

// One unit's bills whose business day falls in [from, until).
const QString kBillsOfUnit = QStringLiteral(
    "select * from AllStoreBill where work_code = ? and stor_bill_date_work >= ? and stor_bill_date_work < ? "
    "order by stor_bill_date_work, stor_bill_ID");
const QString kNoBills = QStringLiteral("select * from AllStoreBill where 1=0");
const QString kLinesOfBill =
    QStringLiteral("select * from AllStoreDetail where stor_bill_ID = ? order by stor_deta_ID");
const QString kNoLines = QStringLiteral("select * from AllStoreDetail where 1=0");

// The posted lines whose business day falls in [from, until), with their bill's type and unit.
// The amounts are read as numbers with decimals whatever the first row holds, and the business
// day as its date.
const QString kMovements = QStringLiteral(
    "select substr(d.stor_bill_date_work, 1, 10) as stor_bill_date_work, b.stor_bill_type, b.work_name_s, "
    "d.item_code, d.item_name, d.item_unit, cast(d.item_cost_pric as double precision) as item_cost_pric, "
    "cast(d.item_coun as double precision) as item_coun, cast(d.item_mone as double precision) as item_mone, d.item_rema, "
    "d.stor_bill_date "
    "from AllStoreDetail d join AllStoreBill b on b.stor_bill_ID = d.stor_bill_ID "
    "where d.stor_bill_date_work >= ? and d.stor_bill_date_work < ? %1"
    "order by d.stor_bill_date_work, d.stor_bill_date, d.stor_deta_ID");
const QString kOfItem = QStringLiteral("and d.item_code = ? ");

const Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

QTableView* grid(const char* name, QWidget* parent, db::Dataset* ds, std::vector<GridColumn> columns) {
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(name));
    paintAsMainGrid(view);
    bindGrid(view, ds, std::move(columns));
    return view;
}

class StockQueries : public QObject {
  public:
    StockQueries(TFormSMain& main, TFormChild& child, TDMManage& m)
        : QObject(&child), main_(main), child_(child), bills_(m.adoqry_AllStoreBill),
          lines_(m.adoqry_AllStoreDetail) {
        movements_ = new db::Dataset(main.db(), QStringLiteral("adoqry_Sds"), QString(), this);
        buildStatement();
        buildMovements();

        // The lines follow the bill on the statement's current row.
        auto before = bills_->afterScroll;
        bills_->afterScroll = [before, this](db::Dataset& d) {
            if (before) before(d);
            showLines();
        };
        main.registerScreen(QStringLiteral("库存帐务"),
                            {statement_, child.PanelQuery, [this](db::Dataset*) { showStatement(); }});
        main.registerScreen(QStringLiteral("帐务查询"),
                            {movementsPanel_, nullptr, [this](db::Dataset*) { showMovements(); }});
        // "查询" queries the screen on show; elsewhere it does nothing.
        main.setCommand(main.toolb_Search, [this] {
            if (main_.CurrentDataset == child_.PanelQuery && statement_->isVisible())
                queryStatement();
            else if (movementsPanel_->isVisible())
                queryMovements();
        });
        // Another tree, or another leaf of the stock tree: the statement's unit is chosen anew.
        for (QAction* menu : {main.N3, main.N4, main.N10})
            QObject::connect(menu, &QAction::triggered, unitBox_, [this] { clearUnit(); });
        QObject::connect(child.tv_Store, &QTreeWidget::itemClicked, unitBox_, [this](QTreeWidgetItem* node) {
            if (node && node->parent()) clearUnit();
        });
    }

  private:
    void buildStatement() {
        statement_ = screenPanel("pnl_ADetail", &child_);
        auto* outer = new QVBoxLayout(statement_);
        outer->setContentsMargins(8, 8, 8, 8);
        auto* line = new QHBoxLayout;
        from_ = dayPicker("DateTimePicker2", statement_);
        until_ = dayPicker("DateTimePicker3", statement_);
        unitBox_ = new QComboBox(statement_);
        unitBox_->setObjectName(QStringLiteral("DBLookupComboBox10"));
        unitBox_->setMinimumWidth(140);
        auto* print = new QPushButton(QStringLiteral("打印单据"), statement_);
        print->setObjectName(QStringLiteral("SpeedButton8"));
        print->setAutoDefault(false);
        line->addWidget(new QLabel(QStringLiteral("开始时间："), statement_));
        line->addWidget(from_);
        line->addWidget(new QLabel(QStringLiteral("结束时间："), statement_));
        line->addWidget(until_);
        line->addWidget(new QLabel(QStringLiteral("往来单位："), statement_));
        line->addWidget(unitBox_);
        line->addWidget(print);
        line->addStretch(1);
        outer->addLayout(line);
        auto* heading = new QLabel(QStringLiteral("明细列表"), statement_);
        QFont f = heading->font();
        f.setBold(true);
        heading->setFont(f);
        outer->addWidget(heading);
        outer->addWidget(grid("DBGrid54", statement_, bills_,
                              {GridColumn{QStringLiteral("stor_bill_code"), QStringLiteral("编码"), {}, 90},
                               GridColumn{QStringLiteral("stor_bill_type"), QStringLiteral("类型"), {}, 60},
                               GridColumn{QStringLiteral("work_name_s"), QStringLiteral("单位简称"), {}, 80},
                               GridColumn{QStringLiteral("opername"), QStringLiteral("操作员"), {}, 60},
                               GridColumn{QStringLiteral("stor_pay_shou"), QStringLiteral("应付帐款"),
                                          QStringLiteral("0.00"), 70, false, kRight},
                               GridColumn{QStringLiteral("stor_pay_fact"), QStringLiteral("已付金额"),
                                          QStringLiteral("0.00"), 70, false, kRight},
                               GridColumn{QStringLiteral("stor_inco_shou"), QStringLiteral("应收金额"),
                                          QStringLiteral("0.00"), 70, false, kRight},
                               GridColumn{QStringLiteral("stor_inco_fact"), QStringLiteral("已收金额"),
                                          QStringLiteral("0.00"), 70, false, kRight},
                               GridColumn{QStringLiteral("stor_bill_rema"), QStringLiteral("备注"), {}, 80},
                               GridColumn{QStringLiteral("stor_bill_date_work"), QStringLiteral("日期"),
                                          QStringLiteral("yyyy-mm-dd"), 80}}),
                         3);
        outer->addWidget(grid("DBGrid53", statement_, lines_,
                              {GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 60},
                               GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 130},
                               GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 40},
                               GridColumn{QStringLiteral("item_cost_pric"), QStringLiteral("单价"),
                                          QStringLiteral("0.00"), 70, false, kRight},
                               GridColumn{QStringLiteral("item_coun"), QStringLiteral("数量"),
                                          QStringLiteral("0.##"), 60, false, kRight},
                               GridColumn{QStringLiteral("item_mone"), QStringLiteral("总额"),
                                          QStringLiteral("0.00"), 80, false, kRight},
                               GridColumn{QStringLiteral("item_rema"), QStringLiteral("备注"), {}, 100}}),
                         2);
        QObject::connect(print, &QPushButton::clicked, print, [this] { guarded([this] { printBill(); }); });
    }

    void buildMovements() {
        movementsPanel_ = screenPanel("pnl_Sds", &child_);
        auto* outer = new QVBoxLayout(movementsPanel_);
        outer->setContentsMargins(8, 8, 8, 8);
        auto* line = new QHBoxLayout;
        movementsFrom_ = dayPicker("DateTimePicker10", movementsPanel_);
        movementsUntil_ = dayPicker("DateTimePicker11", movementsPanel_);
        itemCode_ = new QLineEdit(movementsPanel_);
        itemCode_->setObjectName(QStringLiteral("Edit7"));
        itemCode_->setMaxLength(6);
        itemCode_->setFixedWidth(90);
        upperCaseEntry(itemCode_);
        line->addWidget(new QLabel(QStringLiteral("开始时间："), movementsPanel_));
        line->addWidget(movementsFrom_);
        line->addWidget(new QLabel(QStringLiteral("结束时间："), movementsPanel_));
        line->addWidget(movementsUntil_);
        line->addWidget(new QLabel(QStringLiteral("货物代码："), movementsPanel_));
        line->addWidget(itemCode_);
        line->addStretch(1);
        outer->addLayout(line);
        outer->addWidget(
            grid("DBGrid60", movementsPanel_, movements_,
                 {GridColumn{QStringLiteral("stor_bill_date_work"), QStringLiteral("营业日期"), {}, 80},
                  GridColumn{QStringLiteral("stor_bill_type"), QStringLiteral("类型"), {}, 60},
                  GridColumn{QStringLiteral("work_name_s"), QStringLiteral("往来单位"), {}, 80},
                  GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 50},
                  GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 110},
                  GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 40},
                  GridColumn{QStringLiteral("item_cost_pric"), QStringLiteral("单价"), QStringLiteral("0.00"),
                             60, false, kRight},
                  GridColumn{QStringLiteral("item_coun"), QStringLiteral("数量"), QStringLiteral("0.##"), 50,
                             false, kRight},
                  GridColumn{QStringLiteral("item_mone"), QStringLiteral("总额"), QStringLiteral("0.00"), 70,
                             false, kRight},
                  GridColumn{QStringLiteral("item_rema"), QStringLiteral("备注"), {}, 80},
                  GridColumn{QStringLiteral("stor_bill_date"), QStringLiteral("时间"), {}, 130}}),
            1);
    }

    // ---------------------------------------------------------------- the statement

    void showStatement() {
        const QDate today = Clock::today();
        from_->setDate(today);
        until_->setDate(today);
        db::Dataset* units = child_.PanelQuery;
        units->setSql(kUnitsWithBills);
        units->open();
        unitBox_->clear();
        const int code = units->fieldIndex(QStringLiteral("work_code"));
        const int name = units->fieldIndex(QStringLiteral("unit_name"));
        for (int r = 0; r < units->recordCount(); ++r)
            unitBox_->addItem(units->valueAt(r, name).toString(), units->valueAt(r, code));
        clearUnit();
        queryStatement();
    }

    void clearUnit() { unitBox_->setCurrentIndex(-1); }

    void queryStatement() {
        const QString unit = unitBox_->currentIndex() < 0 ? QString() : unitBox_->currentData().toString();
        if (unit.isEmpty()) {
            bills_->setSql(kNoBills);
        } else {
            bills_->setSql(kBillsOfUnit, QVariantList{unit} + wholeDays(from_->date(), until_->date()));
        }
        bills_->open();
        // An empty list moves to no row: its lines go by hand.
        if (bills_->isEmpty()) showLines();
    }

    void showLines() {
        if (!bills_->active() || bills_->isEmpty())
            lines_->setSql(kNoLines);
        else
            lines_->setSql(kLinesOfBill, {bills_->field(QStringLiteral("stor_bill_ID")).asInt()});
        lines_->open();
    }

    void printBill() {
        if (!statement_->isVisible() || !bills_->active() || bills_->isEmpty()) return;
        postedStockBill(main_.db(), bills_->field(QStringLiteral("stor_bill_ID")).asInt())
            .document()
            .preview(&main_);
    }

    // ---------------------------------------------------------------- the movements

    void showMovements() {
        const QDate today = Clock::today();
        movementsFrom_->setDate(today);
        movementsUntil_->setDate(today);
        itemCode_->clear();
        queryMovements();
        // The screen has no dataset for the record commands, but it has its query.
        main_.setButtonEnabled(main_.toolb_Search, true);
    }

    void queryMovements() {
        const QString item = itemCode_->text().trimmed();
        QVariantList params = wholeDays(movementsFrom_->date(), movementsUntil_->date());
        if (item.isEmpty()) {
            movements_->setSql(kMovements.arg(QString()), params);
        } else {
            params << item;
            movements_->setSql(kMovements.arg(kOfItem), params);
        }
        movements_->open();
    }

    TFormSMain& main_;
    TFormChild& child_;
    db::Dataset* bills_;
    db::Dataset* lines_;
    db::Dataset* movements_ = nullptr;
    QWidget* statement_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* until_ = nullptr;
    QComboBox* unitBox_ = nullptr;
    QWidget* movementsPanel_ = nullptr;
    QDateEdit* movementsFrom_ = nullptr;
    QDateEdit* movementsUntil_ = nullptr;
    QLineEdit* itemCode_ = nullptr;
};

} // namespace

ReportFrame postedStockBill(QSqlDatabase db, qint64 billId) {
    QSqlQuery bill =
        db::run(db,
                QStringLiteral("select b.stor_bill_type, b.work_name_s, b.stor_bill_date_work, "
                               "coalesce(o.oper_name, b.oper_code), b.stor_bill_date "
                               "from AllStoreBill b left join operatorlist o on o.oper_code = b.oper_code "
                               "where b.stor_bill_ID = ?"),
                {billId});
    bill.next();
    ReportFrame report(bill.value(0).toString());
    report.setVenue(db::scalarText(db, QStringLiteral("select user_name from SetupPay")));
    report.addHeading(QStringLiteral("往来单位：") + bill.value(1).toString());
    report.addHeading(QStringLiteral("营业日期：") +
                      showDate(fromDbDateTime(bill.value(2).toString()).date()));
    report.setColumns({{QStringLiteral("编码"), QString(), false, Qt::AlignHCenter},
                       {QStringLiteral("项目名称"), QString(), false, Qt::AlignLeft},
                       {QStringLiteral("单位"), QString(), false, Qt::AlignHCenter},
                       {QStringLiteral("单价"), QStringLiteral("0.00"), false, Qt::AlignRight},
                       {QStringLiteral("数量"), QStringLiteral("0.00"), false, Qt::AlignRight},
                       {QStringLiteral("总金额"), QStringLiteral("0.00"), true, Qt::AlignRight},
                       {QStringLiteral("备注"), QString(), false, Qt::AlignLeft}});
    QSqlQuery lines =
        db::run(db,
                QStringLiteral("select item_code, item_name, item_unit, item_cost_pric, item_coun, "
                               "item_mone, item_rema from AllStoreDetail where stor_bill_ID = ? "
                               "order by stor_deta_ID"),
                {billId});
    while (lines.next())
        report.addRow({lines.value(0), lines.value(1), lines.value(2), lines.value(3), lines.value(4),
                       lines.value(5), lines.value(6)});
    report.setSumCaption(QStringLiteral("合计："));
    report.addRemark(QStringLiteral("操作员工：") + bill.value(3).toString());
    report.addRemark(QStringLiteral("录入时间：") + showDateTime(fromDbDateTime(bill.value(4).toString())));
    return report;
}

void buildStockQueryScreens(TFormSMain& main, TFormChild& child, TDMManage& manage) {
    new StockQueries(main, child, manage);
}

} // namespace kx::backoffice
