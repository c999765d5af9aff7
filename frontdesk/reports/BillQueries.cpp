#include "BillQueries.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "OrderRows.h"
#include "PanelKit.h"
#include "Sql.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScopeGuard>
#include <QShortcut>
#include <QStackedWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {

// What the bill lists show and print, and the archive's key for the detail.
const char* const kBillFields =
    "rec_ID, tabl_gues_time_work, tabl_gues_auto_recn, tabl_gues_user_recn, tabl_code, tabl_name, tabl_type_name, "
    "tabl_gues_name, tabl_gues_coun, tabl_gues_time, tabl_gues_time_end, tabl_gues_fact, oper_name, "
    "tabl_gues_pay_narr, tabl_gues_dish, tabl_gues_low, tabl_gues_room, tabl_gues_serv, tabl_gues_disc, "
    "tabl_gues_tax, tabl_gues_shou, hang_mone, hang_name";

void openBills(db::Dataset& into, const ReportPeriod& period, const QString& condition, const QVariantList& params) {
    into.setSql(QStringLiteral("SELECT ") + QString::fromLatin1(kBillFields) + QStringLiteral(" FROM AllGues WHERE ") +
                    condition + periodCondition(QStringLiteral("tabl_gues_time_work")) +
                    QStringLiteral(" ORDER BY tabl_gues_time_work, tabl_gues_auto_recn"),
                params + period.bounds());
    into.open();
}

struct KindText {
    const char* panel;
    const char* heading; // on the screen
    const char* title;   // of the print
    const char* rerun;   // the objectName of "重新统计"
};
const KindText kKinds[] = {
    {"pnl_AB3", "会员查询报表", "会员查询报表", "ToolButton98"},
    {"pnl_AB1", "帐单查询报表", "帐单查询报表", "ToolButton81"},
    {"pnl_AB4", "挂帐查询报表", "挂帐客人查询报表", "ToolButton103"},
};

ReportScreen::Options optionsFor(BillKind kind) {
    const KindText& k = kKinds[kind];
    ReportScreen::Options o{QString::fromLatin1(k.panel), QString::fromUtf8(k.heading), QStringLiteral("重新统计"), {},
                            QString(), false};
    if (kind == Bills) {
        o.choices = {{QStringLiteral("部门"), QStringLiteral("dept_name"),
                      QStringLiteral("select dept_name from allgues group by dept_name")},
                     {QStringLiteral("班次"), QStringLiteral("orde_name"),
                      QStringLiteral("select orde_name from allcons where grou_code is null group by orde_name")}};
        o.valueBox = QStringLiteral("DBLookupComboBox14");
    }
    return o;
}

// The grid of a bill list.
std::vector<db::GridColumn> billColumns() {
    const QString stamp = QStringLiteral("yyyy-mm-dd hh:nn");
    return {{QStringLiteral("tabl_gues_time_work"), QStringLiteral("日期"), QStringLiteral("yyyy-mm-dd"), 84},
            {QStringLiteral("tabl_gues_auto_recn"), QStringLiteral("单号"), QString(), 64},
            {QStringLiteral("tabl_gues_user_recn"), QStringLiteral("手工编号"), QString(), 70},
            {QStringLiteral("tabl_code"), QStringLiteral("台桌号"), QString(), 50},
            {QStringLiteral("tabl_name"), QStringLiteral("台桌名称"), QString(), 80},
            {QStringLiteral("tabl_type_name"), QStringLiteral("类别"), QString(), 64},
            {QStringLiteral("tabl_gues_name"), QStringLiteral("客人"), QString(), 70},
            {QStringLiteral("tabl_gues_coun"), QStringLiteral("客人数"), QStringLiteral("0"), 50},
            {QStringLiteral("tabl_gues_time"), QStringLiteral("开台时间"), stamp, 124},
            {QStringLiteral("tabl_gues_time_end"), QStringLiteral("结帐时间"), stamp, 124},
            {QStringLiteral("tabl_gues_fact"), QStringLiteral("实收金额"), QStringLiteral("#,##0.00"), 80},
            {QStringLiteral("oper_name"), QStringLiteral("操作员工"), QString(), 64},
            {QStringLiteral("tabl_gues_pay_narr"), QStringLiteral("结帐情况"), QString(), 120}};
}

// The fields of the detail's pages: caption, archived column, display format.
using DetailField = std::tuple<const char*, const char*, const char*>;
const std::vector<DetailField> kBasicFields = {
    {"营业日期：", "tabl_gues_time_work", "yyyy-mm-dd"},
    {"帐单编号：", "tabl_gues_auto_recn", ""},
    {"手工单号：", "tabl_gues_user_recn", ""},
    {"房台名称：", "tabl_name", ""},
    {"所属部门：", "dept_name", ""},
    {"开台时间：", "tabl_gues_time", "yyyy-mm-dd hh:nn:ss"},
    {"消费类型：", "cons_type_name", ""},
    {"预订员工：", "book_oper_name", ""},
    {"客人数量：", "tabl_gues_coun", "0"},
    {"客人姓名：", "tabl_gues_name", ""},
    {"服务费率：", "cons_mode_serv", "0.0%"},
    {"折 扣 率：", "disc_perc", "0"},
    {"最低消费：", "tabl_gues_low", "0.00"},
    {"房间消费：", "tabl_gues_room", "0.00"},
    {"酒菜消费：", "tabl_gues_dish", "0.00"},
    {"特殊消费：", "tabl_gues_spec", "0.00"},
    {"服 务 费：", "tabl_gues_serv", "0.00"},
    {"折扣金额：", "tabl_gues_disc", "0.00"},
    {"收税金额：", "tabl_gues_tax", "0.00"},
    {"备注说明：", "tabl_gues_pay_narr", ""},
};
const std::vector<DetailField> kPaymentFields = {
    {"应收金额：", "tabl_gues_shou", "0.00"},
    {"实收金额：", "tabl_gues_fact", "0.00"},
    {"结帐时间：", "tabl_gues_time_end", "yyyy-mm-dd hh:nn:ss"},
    {"结帐员工：", "oper_name", ""},
    {"会员卡号：", "memb_card_code", ""},
    {"会员姓名：", "memb_name", ""},
    {"挂 帐 人：", "hang_name", ""},
    {"提成员工：", "dedu_oper_name", ""},
    {"提成方式：", "dedu_type", ""},
    {"提成金额：", "dedu_mone", "0.00"},
};

QTableView* detailGrid(const QString& name, QWidget* parent) {
    auto* g = new QTableView(parent);
    g->setObjectName(name);
    g->verticalHeader()->hide();
    styleGrid(g, kSelectedRowColour);
    return g;
}

} // namespace

void ReportBill(db::Dataset& into, const ReportPeriod& period, const ReportFilter& filter) {
    openBills(into, period, filter.condition(), filter.params());
}

void ReportMemb(db::Dataset& into, const ReportPeriod& period, const QString& card) {
    const QString c = card.trimmed();
    if (c.isEmpty())
        openBills(into, period, QStringLiteral("(memb_card_code IS NULL OR memb_card_code = '') AND memb_mone <> 0 AND "), {});
    else
        openBills(into, period, QStringLiteral("memb_card_code = ? AND memb_mone <> 0 AND "), {c});
}

void ReportHang(db::Dataset& into, const ReportPeriod& period, const QString& name) {
    if (name.isEmpty())
        openBills(into, period, QStringLiteral("hang_mone <> 0 AND "), {});
    else
        openBills(into, period, QStringLiteral("hang_name = ? AND hang_mone <> 0 AND "), {name});
}

QStringList hangNames(QSqlDatabase db, const ReportPeriod& period) {
    QSqlQuery q = db::run(db,
                          QStringLiteral("SELECT hang_name FROM AllGues WHERE hang_mone > 0 AND ") +
                              periodCondition(QStringLiteral("tabl_gues_time_work")) +
                              QStringLiteral(" GROUP BY hang_name ORDER BY hang_name"),
                          period.bounds());
    QStringList names;
    while (q.next())
        if (!q.value(0).isNull() && !q.value(0).toString().isEmpty()) names << q.value(0).toString();
    return names;
}

// ---- the bill lists ------------------------------------------------------------------------

BillList::BillList(TFormWMain* main, TFormWork* work, TDMTable* dm, BillKind kind, db::Dataset* list)
    : ReportScreen(main, work, dm, optionsFor(kind)), kind_(kind), list_(list) {
    rerunButton->setObjectName(QString::fromLatin1(kKinds[kind].rerun));
    printButton->setObjectName(QStringLiteral("ToolButton82"));
    // "明细查询" leads the toolbar.
    detailButton = addToolButton(bar, QStringLiteral("btn_BillDetail"), QStringLiteral("明细查询"));
    QAction* detailAction = bar->actions().constLast();
    bar->removeAction(detailAction);
    bar->insertAction(bar->actions().constFirst(), detailAction);

    if (kind == MemberBills) {
        Edit_MembCard = new QLineEdit(panel);
        Edit_MembCard->setObjectName(QStringLiteral("Edit_MembCard"));
        Edit_MembCard->setMaxLength(12);
        Edit_MembCard->setFixedWidth(120);
        addCondition(new QLabel(QStringLiteral("查询会员卡号："), panel));
        addCondition(Edit_MembCard);
        connect(Edit_MembCard, &QLineEdit::returnPressed, this, guard([this] { rerun(); }));
    } else if (kind == CreditBills) {
        cmb_HangName = new QComboBox(panel);
        cmb_HangName->setObjectName(QStringLiteral("cmb_HangName"));
        cmb_HangName->setMinimumWidth(130);
        addCondition(new QLabel(QStringLiteral("查询挂帐人员："), panel));
        addCondition(cmb_HangName);
    }

    DBGrid27 = addGrid(QStringLiteral("DBGrid27"), body()->parentWidget());
    bindGrid(DBGrid27, list_, billColumns());
    styleGrid(DBGrid27, kSelectedRowColour);
    body()->addWidget(DBGrid27, 1);

    const auto detail = [this] {
        if (onDetail) onDetail();
    };
    connect(detailButton, &QToolButton::clicked, this, guard(detail));
    connect(DBGrid27, &QTableView::doubleClicked, this, guard(detail));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), DBGrid27);
        enter->setContext(Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, guard(detail));
    }
}

void BillList::enter() {
    entering_ = true;
    const auto done = qScopeGuard([this] { entering_ = false; });
    open();
    DBGrid27->setFocus();
}

void BillList::showAgain() {
    main_->ShowPanel(panel, main_->pnl_Parent, 1);
    DBGrid27->setFocus();
}

void BillList::run(const std::function<void()>& step) {
    if (step) step();
    dm_->ds_tempm = list_;
    switch (kind_) {
    case Bills:
        shownValue_.clear();
        ReportBill(*list_, shownPeriod(), shownFilter());
        break;
    case MemberBills:
        shownValue_ = Edit_MembCard->text().trimmed();
        ReportMemb(*list_, shownPeriod(), shownValue_);
        break;
    case CreditBills: {
        // Emptied on opening; "重新统计" offers the accounts of the period, keeping the one chosen
        // while it is still offered.
        const QString chosen = cmb_HangName->currentIndex() >= 0 ? cmb_HangName->currentText() : QString();
        cmb_HangName->clear();
        if (!entering_) cmb_HangName->addItems(hangNames(main_->db(), shownPeriod()));
        cmb_HangName->setCurrentIndex(chosen.isEmpty() ? -1 : cmb_HangName->findText(chosen));
        shownValue_ = cmb_HangName->currentIndex() >= 0 ? cmb_HangName->currentText() : QString();
        ReportHang(*list_, shownPeriod(), shownValue_);
        break;
    }
    }
    if (step) step();
}

void BillList::preview() {
    // The print shows the list as the controls stand now.
    rerun();
    ReportScreen::preview();
}

ReportFrame BillList::report() const {
    ReportFrame r = frame(QString::fromUtf8(kKinds[kind_].title));
    // Fourteen columns: the dates and table names stay on one line across the page.
    r.setLandscape(true);
    const QString none = QStringLiteral("综合统计");
    if (kind_ == Bills) r.setSubtitle(shownFilter().subtitle(none));
    if (kind_ == MemberBills) r.setSubtitle(shownValue_.isEmpty() ? none : QStringLiteral("会员:") + shownValue_);
    if (kind_ == CreditBills) r.setSubtitle(shownValue_.isEmpty() ? none : QStringLiteral("挂帐客人:") + shownValue_);

    const bool credit = kind_ == CreditBills;
    std::vector<ReportColumn> columns = {{QStringLiteral("日期"), QString(), false, Qt::AlignLeft},
                                         {QStringLiteral("单号"), QString(), false, Qt::AlignLeft},
                                         {QStringLiteral("房台"), QString(), false, Qt::AlignLeft},
                                         {QStringLiteral("人数"), QStringLiteral("0"), false, Qt::AlignRight}};
    for (const char* c : {"酒菜", "低消", "房间费", "服务费", "折扣", "税额"})
        columns.push_back({QString::fromUtf8(c), QStringLiteral("0.00"), false, Qt::AlignRight});
    // The credit-account bills print the amount charged in place of the receivable, and the
    // account in place of the manual number and the operator.
    columns.push_back({credit ? QStringLiteral("挂帐额") : QStringLiteral("应收"), QStringLiteral("0.00"), false, Qt::AlignRight});
    columns.push_back({QStringLiteral("实收"), QStringLiteral("0.00"), false, Qt::AlignRight});
    if (credit) {
        columns.push_back({QStringLiteral("挂帐人"), QString(), false, Qt::AlignLeft});
    } else {
        columns.push_back({QStringLiteral("手工号"), QString(), false, Qt::AlignLeft});
        columns.push_back({QStringLiteral("操作员"), QString(), false, Qt::AlignLeft});
    }
    r.setColumns(columns);
    // The caption under "日期", the bills under "单号", the sums from "人数" to "实收".
    ReportTotals sums{QStringLiteral("合计"), {{QString(), ReportFigure::Count, 1, QStringLiteral("0")}}, true};
    sums.figures.push_back({QString(), ReportFigure::Sum, 3, QStringLiteral("0")});
    for (int c = 4; c <= 11; ++c) sums.figures.push_back({QString(), ReportFigure::Sum, c, QStringLiteral("0.00")});
    r.setSummary(sums);

    const db::Dataset& q = *list_;
    if (!q.active()) return r;
    QStringList fields = {QStringLiteral("tabl_gues_time_work"), QStringLiteral("tabl_gues_auto_recn"),
                          QStringLiteral("tabl_name"),           QStringLiteral("tabl_gues_coun"),
                          QStringLiteral("tabl_gues_dish"),      QStringLiteral("tabl_gues_low"),
                          QStringLiteral("tabl_gues_room"),      QStringLiteral("tabl_gues_serv"),
                          QStringLiteral("tabl_gues_disc"),      QStringLiteral("tabl_gues_tax")};
    if (credit)
        fields << QStringLiteral("hang_mone") << QStringLiteral("tabl_gues_fact") << QStringLiteral("hang_name");
    else
        fields << QStringLiteral("tabl_gues_shou") << QStringLiteral("tabl_gues_fact") << QStringLiteral("tabl_gues_user_recn")
               << QStringLiteral("oper_name");
    std::vector<int> at;
    for (const QString& f : fields) at.push_back(q.fieldIndex(f));
    for (int row = 0; row < q.recordCount(); ++row) r.addRow(printedRow(q, row, at));
    return r;
}

// ---- the detail ----------------------------------------------------------------------------

BillDetail::BillDetail(TFormWMain* main, TFormWork* work, TDMTable* dm) : QObject(work), main_(main), dm_(dm) {
    qry_Bill = new db::Dataset(main->db(), QStringLiteral("qry_Bill"), QString(), this);
    pnl_AB11 = makePanel(QStringLiteral("pnl_AB11"), work);
    pnl_AB11->resize(792, 520);
    // The panel takes the focus when its first page shows, so its keys work there.
    pnl_AB11->setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(pnl_AB11);
    layout->setContentsMargins(4, 2, 4, 4);
    auto* bar = new QToolBar(pnl_AB11);
    bar->setObjectName(QStringLiteral("pnl_AB11_Bar"));
    const char* pageNames[] = {"基本信息", "结帐信息", "点单明细"};
    for (int i = 0; i < 3; ++i) {
        pageButtons[i] = addToolButton(bar, QStringLiteral("btn_AB11%1").arg(i + 1), QString::fromUtf8(pageNames[i]), true);
        connect(pageButtons[i], &QToolButton::clicked, this, guard([this, i] { showPage(i); }));
    }
    bar->addSeparator();
    ToolButton92 = addToolButton(bar, QStringLiteral("ToolButton92"), QStringLiteral("回退"));
    connect(ToolButton92, &QToolButton::clicked, this, guard([this] {
                if (onBack) onBack();
            }));
    layout->addWidget(bar);
    auto* title = new QLabel(QStringLiteral("帐单明细"), pnl_AB11);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold;"));
    layout->addWidget(title);

    pages = new QStackedWidget(pnl_AB11);
    pages->setObjectName(QStringLiteral("pnl_AB11_Pages"));
    pnl_AB111 = fieldPage(QStringLiteral("pnl_AB111"), kBasicFields, 2);
    pnl_AB112 = fieldPage(QStringLiteral("pnl_AB112"), kPaymentFields, 2);
    grid_Payments = detailGrid(QStringLiteral("grid_Payments"), pnl_AB112);
    bindGrid(grid_Payments, dm_->adoqry_AllguesPay,
             {{QStringLiteral("pay_type_name"), QStringLiteral("付款名称"), QString(), 140},
              {QStringLiteral("pay_type_mone"), QStringLiteral("付款金额"), QStringLiteral("#,##0.00"), 110}});
    grid_Payments->setFixedWidth(264);
    static_cast<QVBoxLayout*>(pnl_AB112->layout())->addWidget(grid_Payments, 1);
    static_cast<QVBoxLayout*>(pnl_AB111->layout())->addStretch(1);
    pnl_AB113 = new QFrame(pages);
    pnl_AB113->setObjectName(QStringLiteral("pnl_AB113"));
    auto* lines = new QVBoxLayout(pnl_AB113);
    lines->setContentsMargins(0, 0, 0, 0);
    grid_Lines = detailGrid(QStringLiteral("grid_Lines"), pnl_AB113);
    bindGrid(grid_Lines, main->ScratchQuery, orderRowColumns());
    lines->addWidget(grid_Lines);
    for (QFrame* p : {pnl_AB111, pnl_AB112, pnl_AB113}) pages->addWidget(p);
    layout->addWidget(pages, 1);
    pnl_AB11->hide();

    // Esc is "回退"; Ctrl+Tab and Ctrl+Shift+Tab go through the pages.
    const auto shortcut = [this](const QKeySequence& keys, std::function<void()> action) {
        auto* s = new QShortcut(keys, pnl_AB11);
        s->setContext(Qt::WidgetWithChildrenShortcut);
        connect(s, &QShortcut::activated, this, guard(std::move(action)));
    };
    shortcut(QKeySequence(Qt::Key_Escape), [this] { ToolButton92->click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { showPage((page() + 1) % 3); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), [this] { showPage((page() + 2) % 3); });
}

QFrame* BillDetail::fieldPage(const QString& name, const std::vector<DetailField>& fields, int columns) {
    auto* page = new QFrame(pages);
    page->setObjectName(name);
    auto* outer = new QVBoxLayout(page);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    const int perColumn = int(fields.size() + size_t(columns) - 1) / columns;
    for (int i = 0; i < int(fields.size()); ++i) {
        const auto& [caption, column, format] = fields[size_t(i)];
        const int row = i % perColumn, col = (i / perColumn) * 2;
        auto* value = valueLabel(QStringLiteral("lbl_") + QString::fromLatin1(column), page);
        value->setMinimumWidth(200);
        value->setFixedHeight(24);
        value->setFrameShape(QFrame::StyledPanel);
        value->setStyleSheet(QStringLiteral("color: #00007f; background: white; padding: 1px 4px;"));
        grid->addWidget(captionLabel(QString::fromUtf8(caption), page), row, col);
        grid->addWidget(value, row, col + 1);
        bindLabel(value, qry_Bill, QString::fromLatin1(column), QString::fromLatin1(format));
        values_.insert(QString::fromLatin1(column), value);
    }
    grid->setColumnStretch(columns * 2, 1);
    outer->addLayout(grid);
    return page;
}

bool BillDetail::open(qint64 key, qint64 bill) {
    QStringList columns;
    for (const std::vector<DetailField>* list : {&kBasicFields, &kPaymentFields})
        for (const auto& [caption, column, format] : *list)
            if (!columns.contains(QString::fromLatin1(column))) columns << QString::fromLatin1(column);
    qry_Bill->setSql(QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) +
                         QStringLiteral(" FROM AllGues WHERE rec_ID = ?"),
                     {key});
    qry_Bill->open();
    if (qry_Bill->isEmpty()) return false;
    dm_->adoqry_AllguesPay->setSql(QStringLiteral("SELECT pay_type_code, pay_type_name, pay_type_mone FROM AllGuesPay "
                                                  "WHERE tabl_gues_auto_recn = ? ORDER BY pay_type_code DESC"),
                                   {bill});
    dm_->adoqry_AllguesPay->open();
    main_->ScratchQuery->setSql(QStringLiteral("SELECT ") + orderRowFields() +
                                    QStringLiteral(" FROM AllCons WHERE tabl_gues_auto_recn = ? "
                                                   "ORDER BY tabl_cons_time_work, rec_ID"),
                                {bill});
    main_->ScratchQuery->open();
    main_->ShowPanel(pnl_AB11, main_->pnl_Parent, 1);
    showPage(0);
    return true;
}

int BillDetail::page() const { return pages->currentIndex(); }

void BillDetail::showPage(int page) {
    pages->setCurrentIndex(page);
    for (int i = 0; i < 3; ++i) pageButtons[i]->setChecked(i == page);
    QWidget* focus = page == 1 ? static_cast<QWidget*>(grid_Payments) : page == 2 ? grid_Lines : pnl_AB11;
    focus->setFocus();
}

// ---- the four screens and the detail ---------------------------------------------------------

BillQueries::BillQueries(TFormWMain* main, TFormWork* work, TDMTable* dm) : QObject(work), work_(work) {
    bills = new BillList(main, work, dm, Bills, work->AuxQuery5);
    members = new BillList(main, work, dm, MemberBills, work->AuxQuery5);
    credits = new BillList(main, work, dm, CreditBills, work->AuxQuery5);
    orders = new OrderRows(main, work, dm);
    detail = new BillDetail(main, work, dm);
    for (BillList* l : {bills, members, credits}) l->onDetail = [this] { DBGrid27DblClick(); };
    detail->onBack = [this] { ToolButton92Click(); };
}

BillList* BillQueries::list(int kind) const {
    return kind == MemberBills ? members : kind == CreditBills ? credits : bills;
}

void BillQueries::N10Click() {
    BillListKind = Bills;
    bills->enter();
}

void BillQueries::N11Click() { orders->N11Click(); }

void BillQueries::N12Click() {
    BillListKind = MemberBills;
    members->enter();
}

void BillQueries::N13Click() {
    BillListKind = CreditBills;
    credits->enter();
}

void BillQueries::DBGrid27DblClick() {
    db::Dataset& q = *work_->AuxQuery5;
    if (!q.active() || q.isEmpty()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const qint64 key = q.field(QStringLiteral("rec_ID")).asInt();
    const qint64 bill = q.field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    // A bill gone from the archive meanwhile (taken back by a reverse checkout): the list shows
    // what is stored now.
    if (!detail->open(key, bill)) list(BillListKind)->rerun();
}

void BillQueries::ToolButton92Click() { list(BillListKind)->showAgain(); }

} // namespace kx::frontdesk
