#include "StockBills.h"

#include "Binder.h"
#include "Clock.h"
#include "ErrorGuard.h"
#include "Prompter.h"
#include "RecordRules.h"
#include "RecordScreen.h"
#include "Sql.h"
#include "StockPosting.h"
#include "TDMManage.h"
#include "TDMSetup.h"
#include "TFormChild.h"
#include "TFormSMain.h"
#include "Transaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace kx::backoffice {

namespace {

const QString kPurchase = QStringLiteral("进货单");

qint64 billId(Dataset* bills) {
    return bills->isEmpty() ? -1 : bills->field(QStringLiteral("stor_bill_ID")).asInt();
}

// The open lines of one bill, read by its number.
void showLines(Dataset* lines, qint64 bill) {
    lines->setSql(QStringLiteral("select * from StoreDetail where stor_bill_ID=? order by stor_deta_ID"), {bill});
    lines->open();
}

} // namespace

void declareStockBillRules(TDMManage& m) {
    Dataset* bills = m.adoqry_StoreBill;
    Dataset* lines = m.adoqry_StoreDetail;
    RecordRules bill;
    bill.required = {QStringLiteral("stor_bill_code"), QStringLiteral("stor_bill_type"), QStringLiteral("oper_code")};
    bill.requiredMessage = QStringLiteral("[单据类型]、[经办人]不为空！");
    bill.defaults = [](Dataset& d) {
        for (const char* f : {"stor_pay_shou", "stor_pay_fact", "stor_inco_shou", "stor_inco_fact"})
            d.field(QString::fromLatin1(f)).setValue(0);
        d.field(QStringLiteral("stor_bill_type")).setValue(kPurchase);
        QSqlQuery q = db::run(d.database(), QStringLiteral("select time_work, oper_code from SetupPay"));
        if (q.next()) {
            d.field(QStringLiteral("stor_bill_date_work")).setValue(q.value(0));
            d.field(QStringLiteral("oper_code")).setValue(q.value(1));
        }
        d.field(QStringLiteral("stor_bill_date")).setValue(Clock::now());
    };
    bill.check = [](Dataset& d) {
        d.field(QStringLiteral("stor_deta_flag"))
            .setValue(db::stockDirection(d.field(QStringLiteral("stor_bill_type")).asString()));
    };
    // An open bill goes with its lines.
    bill.deleteCheck = [](Dataset& d) {
        db::exec(d.database(), QStringLiteral("delete from StoreDetail where stor_bill_ID = ?"),
                 {d.field(QStringLiteral("stor_bill_ID")).asInt()});
    };
    installRules(*bills, bill);
    // The lines shown are the current bill's.
    auto scrolled = bills->afterScroll;
    bills->afterScroll = [scrolled, lines](Dataset& d) {
        if (scrolled) scrolled(d);
        if (lines->active() || lines->sql().contains(QLatin1String("StoreDetail"), Qt::CaseInsensitive))
            showLines(lines, billId(&d));
    };
    // A line takes its bill's direction when saved.
    lines->checksInTransaction = true;
    lines->beforePost = [bills](Dataset& d) {
        d.field(QStringLiteral("stor_deta_flag"))
            .setValue(db::stockDirection(bills->field(QStringLiteral("stor_bill_type")).asString()));
    };
}

namespace {

// The item picker's colours: the chosen row white on grey, a disabled item red, an unlimited
// one green.
class PickerPainter : public QStyledItemDelegate {
  public:
    PickerPainter(TempSource* source, QObject* parent) : QStyledItemDelegate(parent), source_(source) {}
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected) {
            option->state &= ~QStyle::State_Selected;
            option->backgroundBrush = QColor(128, 128, 128);
            option->palette.setColor(QPalette::Text, Qt::white);
            return;
        }
        Dataset* q = source_->dataset();
        if (!q) return;
        const QString limit = q->valueAt(index.row(), q->fieldIndex(QStringLiteral("item_limi"))).toString();
        if (limit == QStringLiteral("禁用")) option->palette.setColor(QPalette::Text, QColor(255, 0, 0));
        else if (limit == QStringLiteral("不限")) option->palette.setColor(QPalette::Text, QColor(0, 128, 0));
    }

  private:
    TempSource* source_;
};

class StockBillScreens {
  public:
    StockBillScreens(TFormSMain& main, TDMManage& m, TDMSetup& s) : main_(main), m_(m), s_(s) {}
    void build(TFormChild& child);

  private:
    void buildBills(TFormChild& child);
    void buildLines(TFormChild& child);
    // "应付金额"/"已付金额" of a purchase, "应收金额"/"已收金额" of a return or sale.
    void bindAmounts();
    void openLines();
    void addLine(Dataset& item);
    void leaveLines();
    void post();

    TFormSMain& main_;
    TDMManage& m_;
    TDMSetup& s_;
    QWidget* bills_ = nullptr;
    QWidget* lines_ = nullptr;
    QLineEdit* due_ = nullptr;
    QLineEdit* paid_ = nullptr;
    QString boundTo_;
    QComboBox* type_ = nullptr;
    QLineEdit* search_ = nullptr;
    Dataset* units_ = nullptr; // the unit box's list: every unit, narrowed to the bill's type
};

void StockBillScreens::build(TFormChild& child) {
    buildBills(child);
    buildLines(child);
    main_.setCommand(main_.toolb_run, [this] { post(); });
}

void StockBillScreens::buildBills(TFormChild& child) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Dataset* bills = m_.adoqry_StoreBill;
    units_ = new Dataset(bills->database(), QStringLiteral("BillUnits"),
                         QStringLiteral("select work_code, work_name_s, stor_work_type_code from WorkList order by work_code"),
                         &main_);
    units_->open();
    RecordScreen form{"pnl_StoreBill",
                      "DBGrid44",
                      bills,
                      {GridColumn{QStringLiteral("stor_bill_code"), QStringLiteral("编码"), {}, 80},
                       GridColumn{QStringLiteral("stor_bill_type"), QStringLiteral("类型"), {}, 60},
                       GridColumn{QStringLiteral("worknames"), QStringLiteral("单位简称"), {}, 90},
                       GridColumn{QStringLiteral("opername"), QStringLiteral("操作员"), {}, 70},
                       GridColumn{QStringLiteral("stor_pay_shou"), QStringLiteral("应付帐款"), QStringLiteral("0.00"), 75,
                                  false, right},
                       GridColumn{QStringLiteral("stor_pay_fact"), QStringLiteral("已付金额"), QStringLiteral("0.00"), 75,
                                  false, right},
                       GridColumn{QStringLiteral("stor_inco_shou"), QStringLiteral("应收金额"), QStringLiteral("0.00"), 75,
                                  false, right},
                       GridColumn{QStringLiteral("stor_inco_fact"), QStringLiteral("已收金额"), QStringLiteral("0.00"), 75,
                                  false, right},
                       GridColumn{QStringLiteral("stor_bill_rema"), QStringLiteral("备注"), {}, 120}},
                      {{"DBEdit86", "单据编号：", "stor_bill_code", EntryKind::Upper},
                       {"DBEdit87", "应付金额：", "stor_pay_shou", EntryKind::Amount, 999999999.99, 12},
                       {"DBEdit88", "已付金额：", "stor_pay_fact", EntryKind::Amount, 999999999.99, 12},
                       {"DBEdit89", "备注说明：", "stor_bill_rema", EntryKind::Upper}},
                      {{"DBLookupComboBox7", "单位类型：", "stor_work_type_code", m_.adoqry_StoreWorkType,
                        "stor_work_type_code", "stor_work_type_name"},
                       {"DBLookupComboBox8", "往来单位：", "work_code", units_, "work_code", "work_name_s"},
                       {"DBLookupComboBox9", "经手员工：", "oper_code", m_.adoqry_Operator, "oper_code", "oper_name"}}};
    form.formColumns = 2;
    form.formOrder = {"DBEdit86", "DBLookupComboBox7", "DBLookupComboBox8", "DBLookupComboBox9", "DBEdit87", "DBEdit88"};
    bills_ = buildRecordScreen(&child, form);
    due_ = bills_->findChild<QLineEdit*>(QStringLiteral("DBEdit87"));
    paid_ = bills_->findChild<QLineEdit*>(QStringLiteral("DBEdit88"));
    boundTo_ = QStringLiteral("stor_pay");
    auto* grid = bills_->findChild<QGridLayout*>();

    // The bill type, a fixed list, first on the form's row of the number.
    type_ = new QComboBox(bills_);
    type_->setObjectName(QStringLiteral("DBComboBox2"));
    type_->addItems({kPurchase, QStringLiteral("退货单"), QStringLiteral("销售单")});
    auto showType = [this, bills] {
        const QString t = bills->active() && (!bills->isEmpty() || bills->state() == Dataset::Insert)
                              ? bills->field(QStringLiteral("stor_bill_type")).asString()
                              : QString();
        const QSignalBlocker quiet(type_);
        type_->setCurrentIndex(type_->findText(t));
        bindAmounts();
    };
    for (auto signal : {&Dataset::currentChanged, &Dataset::stateChanged, &Dataset::rowChanged})
        QObject::connect(bills, signal, type_, showType);
    QObject::connect(bills, &Dataset::reset, type_, showType);
    QObject::connect(type_, qOverload<int>(&QComboBox::activated), type_, [this, bills] {
        guarded([&] {
            if (!bills->active() || (bills->isEmpty() && bills->state() != Dataset::Insert)) return;
            if (bills->state() == Dataset::Browse) bills->edit();
            bills->field(QStringLiteral("stor_bill_type")).setValue(type_->currentText().trimmed());
            bindAmounts();
        });
    });
    placeBeside(bills_->findChild<QLineEdit*>(QStringLiteral("DBEdit86")), type_);

    // The unit box offers the units of the bill's unit type; a new type clears the unit.
    auto* unitType = bills_->findChild<QComboBox*>(QStringLiteral("DBLookupComboBox7"));
    auto narrowUnits = [this, bills] {
        const QString t = bills->active() && (!bills->isEmpty() || bills->state() == Dataset::Insert)
                              ? bills->field(QStringLiteral("stor_work_type_code")).asString()
                              : QString();
        if (t.isEmpty()) units_->setFiltered(false);
        else units_->applyFilter(QStringLiteral("stor_work_type_code='") + quotedForFilter(t) + QLatin1Char('\''));
    };
    QObject::connect(bills, &Dataset::currentChanged, unitType, narrowUnits);
    QObject::connect(unitType, qOverload<int>(&QComboBox::activated), unitType, [this, bills, narrowUnits] {
        guarded([&] {
            if (bills->state() == Dataset::Browse) bills->edit();
            bills->field(QStringLiteral("work_code")).clear();
            narrowUnits();
        });
    });

    // "货物明细": the lines under it, and the button that opens them.
    int row = grid->rowCount();
    auto* details = new QPushButton(QStringLiteral("货物明细"), bills_);
    details->setObjectName(QStringLiteral("SpeedButton6"));
    details->setAutoDefault(false);
    auto* averaging = new QCheckBox(QStringLiteral("根据成本价格自动调整消费成本"), bills_);
    averaging->setObjectName(QStringLiteral("DBCheckBox8"));
    Dataset* settings = s_.adoqry_setuppay;
    bindCheckBox(averaging, settings, QStringLiteral("calc_cost"));
    // Saved at once.
    QObject::connect(averaging, &QCheckBox::clicked, averaging, [settings] {
        guarded([&] {
            if (settings->state() == Dataset::Browse) settings->edit();
            settings->post();
        });
    });
    auto* line = new QHBoxLayout;
    line->addWidget(details);
    line->addStretch(1);
    line->addWidget(averaging);
    grid->addLayout(line, row++, 0, 1, 4);
    auto* lineGrid = new QTableView(bills_);
    lineGrid->setObjectName(QStringLiteral("DBGrid45"));
    paintAsMainGrid(lineGrid);
    bindGrid(lineGrid, m_.adoqry_StoreDetail,
             {GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 60},
              GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 120},
              GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 40},
              GridColumn{QStringLiteral("item_cost_pric"), QStringLiteral("单价"), QStringLiteral("0.00"), 70, false, right},
              GridColumn{QStringLiteral("item_coun"), QStringLiteral("数量"), QStringLiteral("0.##"), 60, false, right},
              GridColumn{QStringLiteral("item_mone"), QStringLiteral("总额"), QStringLiteral("0.00"), 75, false, right},
              GridColumn{QStringLiteral("item_rema"), QStringLiteral("备注"), {}, 120}});
    lineGrid->setMaximumHeight(150);
    grid->addWidget(lineGrid, row++, 0, 1, 4);
    QObject::connect(details, &QPushButton::clicked, bills_, [this] { guarded([this] { openLines(); }); });

    // "执行" only with a bill to post.
    auto runUsable = [this, bills] {
        if (bills_->isVisible()) main_.setButtonEnabled(main_.toolb_run, bills->active() && !bills->isEmpty());
    };
    QObject::connect(bills, &Dataset::reset, bills_, runUsable);
    QObject::connect(bills, &Dataset::stateChanged, bills_, runUsable);
    Dataset* lines = m_.adoqry_StoreDetail;
    main_.registerScreen(QStringLiteral("物流管理"), {bills_, bills, [bills, lines, showType, runUsable](Dataset*) {
                                                         showLines(lines, billId(bills));
                                                         showType();
                                                         runUsable();
                                                     }});
}

void StockBillScreens::bindAmounts() {
    Dataset* bills = m_.adoqry_StoreBill;
    const bool row = bills->active() && (!bills->isEmpty() || bills->state() == Dataset::Insert);
    const QString type = row ? bills->field(QStringLiteral("stor_bill_type")).asString() : QString();
    const bool purchase = type.isEmpty() || type == kPurchase;
    const QString to = purchase ? QStringLiteral("stor_pay") : QStringLiteral("stor_inco");
    if (to == boundTo_) return;
    boundTo_ = to;
    for (auto [edit, suffix] : {std::pair{due_, "_shou"}, std::pair{paid_, "_fact"}}) {
        // What was typed for the other pair is handed over first.
        bills->updateRecord();
        for (FieldLink* old : edit->findChildren<FieldLink*>())
            delete old;
        bindLineEdit(edit, bills, to + QString::fromLatin1(suffix));
    }
    captionOf(due_)->setText(purchase ? QStringLiteral("应付金额：") : QStringLiteral("应收金额："));
    captionOf(paid_)->setText(purchase ? QStringLiteral("已付金额：") : QStringLiteral("已收金额："));
}

void StockBillScreens::buildLines(TFormChild& child) {
    using db::GridColumn;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Dataset* lines = m_.adoqry_StoreDetail;
    RecordScreen form{"pnl_StoreDetail",
                      "DBGrid49",
                      lines,
                      {GridColumn{QStringLiteral("item_code"), QStringLiteral("编码"), {}, 60},
                       GridColumn{QStringLiteral("item_name"), QStringLiteral("项目名称"), {}, 120},
                       GridColumn{QStringLiteral("item_unit"), QStringLiteral("单位"), {}, 40},
                       GridColumn{QStringLiteral("item_cost_pric"), QStringLiteral("单价"), QStringLiteral("0.00"), 70,
                                  false, right},
                       GridColumn{QStringLiteral("item_coun"), QStringLiteral("数量"), QStringLiteral("0.##"), 60, false,
                                  right},
                       GridColumn{QStringLiteral("item_rema"), QStringLiteral("备注"), {}, 120}},
                      {{"DBEdit100", "数量：", "item_coun", EntryKind::Amount, 99999, 5},
                       {"DBEdit101", "单价：", "item_cost_pric", EntryKind::Amount, 99999, 5},
                       {"DBEdit102", "备注：", "item_rema", EntryKind::Upper}}};
    form.texts = {{"lbl_StoreItem", "项目名称：", [](Dataset& d) {
                       return d.field(QStringLiteral("item_code")).asString() + QStringLiteral("/") +
                              d.field(QStringLiteral("item_name")).asString();
                   }}};
    form.candidates = CandidateList{
        main_.ds_Temp,
        "DBGrid50",
        "Edit2",
        {GridColumn{QStringLiteral("item_code"), QStringLiteral(" "), {}, 60},
         GridColumn{QStringLiteral("item_name"), QStringLiteral(" "), {}, 110}},
        itemCodeOrShortCodeFilter,
        [this](Dataset& item) { addLine(item); },
        "DBEdit101"};
    lines_ = buildRecordScreen(&child, form);
    search_ = lines_->findChild<QLineEdit*>(QStringLiteral("Edit2"));
    auto* picker = lines_->findChild<QTableView*>(QStringLiteral("DBGrid50"));
    picker->setItemDelegate(new PickerPainter(main_.ds_Temp, picker));
    // Enter in the remark: the next item is looked for at once.
    auto* remark = lines_->findChild<QLineEdit*>(QStringLiteral("DBEdit102"));
    QObject::connect(remark, &QLineEdit::returnPressed, remark, [this] {
        search_->clear();
        search_->setFocus();
    });
    main_.registerBack(lines, [this] { leaveLines(); });
}

void StockBillScreens::openLines() {
    Dataset* bills = m_.adoqry_StoreBill;
    if (!bills->active() || (bills->isEmpty() && bills->state() != Dataset::Insert)) return;
    // The bill is stored first; its own rules may refuse it.
    if (bills->state() == Dataset::Browse) bills->edit();
    bills->post();
    main_.showButtons({main_.toolb_Del, main_.toolb_Cancel, main_.toolb_Save, main_.toolb_Back},
                      {main_.toolb_Add, main_.toolb_store, main_.toolb_run, main_.toolb_Search});
    showLines(m_.adoqry_StoreDetail, billId(bills));
    main_.ds_Temp->attach(bills->database(), QStringLiteral("select item_code,item_name,item_shor,item_limi,item_unit "
                                                            "from itemlist order by item_code"));
    main_.ds_Temp->show(lines_->findChild<QTableView*>(QStringLiteral("DBGrid50")),
                        {db::GridColumn{QStringLiteral("item_code"), QStringLiteral(" "), {}, 60},
                         db::GridColumn{QStringLiteral("item_name"), QStringLiteral(" "), {}, 110}});
    search_->clear();
    main_.makeCurrent(lines_, m_.adoqry_StoreDetail);
    search_->setFocus();
}

void StockBillScreens::addLine(Dataset& item) {
    Dataset* bills = m_.adoqry_StoreBill;
    Dataset* lines = m_.adoqry_StoreDetail;
    if (item.field(QStringLiteral("item_limi")).asString() == QStringLiteral("禁用")) {
        prompter().information(QStringLiteral("此消费项目已被禁用，所以不能进行进销存处理！"));
        search_->clear();
        // Back in the search box once the Enter that got here has moved on.
        QMetaObject::invokeMethod(search_, [s = search_] { s->setFocus(); }, Qt::QueuedConnection);
        throw SilentAbort();
    }
    const QString code = item.field(QStringLiteral("item_code")).asString();
    if (lines->locate(QStringLiteral("item_code"), code)) return;
    lines->append();
    lines->field(QStringLiteral("stor_bill_ID")).setValue(billId(bills));
    lines->field(QStringLiteral("stor_bill_code")).setValue(bills->field(QStringLiteral("stor_bill_code")).asString());
    lines->field(QStringLiteral("item_code")).setValue(code);
    lines->field(QStringLiteral("item_name")).setValue(item.field(QStringLiteral("item_name")).asString());
    lines->field(QStringLiteral("item_unit")).setValue(item.field(QStringLiteral("item_unit")).asString());
    lines->field(QStringLiteral("item_cost_pric")).setValue(0);
    lines->field(QStringLiteral("item_coun")).setValue(0);
    lines->field(QStringLiteral("stor_bill_date_work")).setValue(bills->field(QStringLiteral("stor_bill_date_work")).value());
    lines->field(QStringLiteral("stor_bill_date")).setValue(Clock::now());
    lines->post();
    search_->clear();
}

void StockBillScreens::leaveLines() {
    Dataset* bills = m_.adoqry_StoreBill;
    Dataset* lines = m_.adoqry_StoreDetail;
    const qint64 bill = billId(bills);
    QSqlDatabase db = bills->database();
    // The line being typed is kept; the lines and the bill are totalled.
    db::inTransaction(db, QStringLiteral("A100004"), [&] {
        if (lines->state() == Dataset::Edit || lines->state() == Dataset::Insert) lines->post();
        db::totalStockBill(db, bill);
    });
    bills->refreshCurrent();
    showLines(lines, bill);
    main_.makeCurrent(bills_, bills);
    main_.showButtons({main_.toolb_run}, {main_.toolb_store, main_.toolb_Search});
    main_.setButtonEnabled(main_.toolb_run, !bills->isEmpty());
}

void StockBillScreens::post() {
    Dataset* bills = m_.adoqry_StoreBill;
    if (!bills->active() || (bills->isEmpty() && bills->state() != Dataset::Insert)) return;
    // The header as it must be stored; its own rules may refuse it.
    if (bills->state() == Dataset::Browse) bills->edit();
    bills->post();
    const qint64 bill = billId(bills);
    QSqlDatabase db = bills->database();
    const bool averaging = db::scalarInt(db, QStringLiteral("select coalesce(calc_cost, 0) from SetupPay")) != 0;
    db::inTransaction(db, QStringLiteral("A100002"), [&] { db::postStockBill(db, bill, averaging); });
    bills->reload();
    showLines(m_.adoqry_StoreDetail, billId(bills));
    // Stock, costs and derived counts moved.
    s_.adoqry_ConsItem->reload();
    units_->reload();
    m_.adoqry_Work->reload();
}

} // namespace

void buildStockBillScreens(TFormSMain& main, TFormChild& child, TDMManage& manage, TDMSetup& setup) {
    auto* screens = new StockBillScreens(main, manage, setup);
    QObject::connect(&main, &QObject::destroyed, [screens] { delete screens; });
    screens->build(child);
}

} // namespace kx::backoffice
