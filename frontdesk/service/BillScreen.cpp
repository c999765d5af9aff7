#include "BillScreen.h"

#include "BillPrint.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "NumberEntry.h"
#include "PanelKit.h"
#include "Prompter.h"
#include "ReceiptPreview.h"
#include "ReceiptPrinters.h"
#include "TDMTable.h"
#include "VisitMoves.h"
#include "TFormWMain.h"
#include "TFormWork.h"
#include "TableBoard.h"
#include "WorkScreen.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace kx::frontdesk {

using db::Dataset;
using db::GridColumn;

namespace {

QLabel* value(const QString& name, QWidget* parent, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setAlignment(align);
    l->setMinimumHeight(20);
    return l;
}

QLineEdit* lineEdit(const QString& name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setMinimumHeight(22);
    return e;
}



QTableView* grid(const QString& name, QWidget* parent) {
    auto* g = new QTableView(parent);
    g->setObjectName(name);
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(22);
    g->horizontalHeader()->setStretchLastSection(true);
    // A selected or focused cell: white on RGB(128, 128, 192).
    g->setStyleSheet(QStringLiteral("QTableView { selection-background-color: rgb(128, 128, 192); "
                                    "selection-color: white; }"));
    return g;
}

// The guest name, card and password edits drop "*" and "/", the characters of the checkout and
// print keys.
void dropKeyCharacters(QLineEdit* e) {
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^*/]*")), e));
}

} // namespace

BillScreen::BillScreen(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm),
      checkout_(std::make_unique<Checkout>(*dm, [main](const QString& code) { return main->Limite(code); })) {
    setObjectName(QStringLiteral("BillScreen"));
    build();
    bind();
    wire();
    printBill = [this](bool toPrinter) { outputBill(toPrinter); };
}

void BillScreen::outputBill(bool toPrinter) {
    const qint64 key = dm_->adoqry_TableGues->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    openBillItems(*work_->AuxQuery6, key);
    const BillContent content =
        billContent(*dm_, *work_->AuxQuery6, checkout_->changeLine(), {Edit4->text(), lbl_HangWork->text(), lbl_HangUse->text()});
    const DeskPrinter printer = deskPrinters(dm_->database()).bill;
    if (printer.receipt()) {
        // This desk's receipt printer: the bill as it prints there, the preview's print button
        // sending it as well.
        const Receipt receipt = billReceipt(content, printer.columns);
        if (toPrinter) printReceipt(printer, receipt);
        else previewReceipt(receipt, printer.paperMm, [&] { return printReceipt(printer, receipt); }, main_);
        return;
    }
    const ReportDocument document = billDocument(content);
    if (!toPrinter) {
        document.preview(main_);
        return;
    }
    if (!document.printToDefaultPrinter()) prompter().information(kNoPrinter);
}

BillScreen::~BillScreen() = default;

void BillScreen::build() {
    pnl_Bill = makePanel(QStringLiteral("pnl_Bill"), work_);
    pnl_Bill->resize(792, 520);
    pnl_Bill->hide();
    auto* page = new QVBoxLayout(pnl_Bill);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);

    auto* bar = new QFrame(pnl_Bill);
    bar->setObjectName(QStringLiteral("Panel_BillBar"));
    bar->setFrameShape(QFrame::StyledPanel);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(2, 2, 2, 2);
    ToolBar_Bill = new QToolBar(bar);
    ToolBar_Bill->setObjectName(QStringLiteral("ToolBar_Bill"));
    ToolButton1 = addToolButton(ToolBar_Bill, QStringLiteral("ToolButton1"), QStringLiteral("结帐 *"));
    ToolButton3 = addToolButton(ToolBar_Bill, QStringLiteral("ToolButton3"), QStringLiteral("打印 /"));
    ToolButton23 = addToolButton(ToolBar_Bill, QStringLiteral("ToolButton23"), QStringLiteral("预览 F10"));
    ToolBar_Bill->addSeparator();
    ToolButton24 = addToolButton(ToolBar_Bill, QStringLiteral("ToolButton24"), QStringLiteral("回退"));
    ToolBar_Bill->addSeparator();
    toolb_BillHelp = addToolButton(ToolBar_Bill, QStringLiteral("toolb_BillHelp"), QStringLiteral("帮助/信息"));
    barLayout->addWidget(ToolBar_Bill);
    page->addWidget(bar);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(4, 4, 4, 4);
    body->setSpacing(6);
    page->addLayout(body, 1);

    // --- left: header and amounts
    auto* left = new QFrame(pnl_Bill);
    left->setObjectName(QStringLiteral("Panel_BillLeft"));
    left->setFrameShape(QFrame::StyledPanel);
    left->setFixedWidth(292);
    auto* form = new QGridLayout(left);
    form->setContentsMargins(6, 6, 6, 6);
    form->setHorizontalSpacing(4);
    form->setVerticalSpacing(3);
    int row = 0;
    auto line = [&](const QString& text, QWidget* w) {
        form->addWidget(captionLabel(text, left), row, 0);
        form->addWidget(w, row, 1, 1, 2);
        ++row;
    };
    lbl_BillNo = value(QStringLiteral("lbl_BillNo"), left);
    lbl_BillTable = value(QStringLiteral("lbl_BillTable"), left);
    DBEdit9 = lineEdit(QStringLiteral("DBEdit9"), left);
    dropKeyCharacters(DBEdit9);
    DBEdit10 = lineEdit(QStringLiteral("DBEdit10"), left);
    DBEdit10->setMaxLength(3);
    limitNumberEntry(DBEdit10, ranges::guests);
    DBEdit11 = lineEdit(QStringLiteral("DBEdit11"), left);
    DBEdit11->setReadOnly(true);
    DBEdit11->setFocusPolicy(Qt::NoFocus);
    lbl_BillConsType = value(QStringLiteral("lbl_BillConsType"), left);
    DBLookupComboBox8 = new QComboBox(left);
    DBLookupComboBox8->setObjectName(QStringLiteral("DBLookupComboBox8"));
    DBComboBox4 = new QComboBox(left);
    DBComboBox4->setObjectName(QStringLiteral("DBComboBox4"));
    for (const char* kind : {kCommissionBooked, kCommissionChosen, kCommissionUsher, kCommissionNone})
        DBComboBox4->addItem(QString::fromUtf8(kind));
    DBComboBox4->setCurrentIndex(-1);
    line(QStringLiteral("帐单编号-"), lbl_BillNo);
    line(QStringLiteral("房台-"), lbl_BillTable);
    line(QStringLiteral("客人-"), DBEdit9);
    line(QStringLiteral("人数-"), DBEdit10);
    line(QStringLiteral("开台时间-"), DBEdit11);
    line(QStringLiteral("消费方式-"), lbl_BillConsType);
    form->addWidget(captionLabel(QStringLiteral("提成员工/方式-"), left), row, 0);
    form->addWidget(DBLookupComboBox8, row, 1);
    form->addWidget(DBComboBox4, row, 2);
    ++row;

    auto* rule = new QFrame(left);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    form->addWidget(rule, row++, 0, 1, 3);

    auto amount = [&](const QString& text, const QString& name) {
        QLabel* l = value(name, left, Qt::AlignRight | Qt::AlignVCenter);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        line(text, l);
        return l;
    };
    lbl_BillDish = amount(QStringLiteral("酒菜消费"), QStringLiteral("lbl_BillDish"));
    lbl_BillSpec = amount(QStringLiteral("特殊消费"), QStringLiteral("lbl_BillSpec"));
    lbl_BillLow = amount(QStringLiteral("最低消费"), QStringLiteral("lbl_BillLow"));
    lbl_BillRoom = amount(QStringLiteral("房 间 费"), QStringLiteral("lbl_BillRoom"));
    lbl_BillServ = amount(QStringLiteral("服 务 费"), QStringLiteral("lbl_BillServ"));
    lbl_BillDisc = amount(QStringLiteral("折扣金额"), QStringLiteral("lbl_BillDisc"));
    lbl_BillTax = amount(QStringLiteral("收税金额"), QStringLiteral("lbl_BillTax"));
    lbl_BillShou = amount(QStringLiteral("应收金额"), QStringLiteral("lbl_BillShou"));
    lbl_BillShou->setStyleSheet(QStringLiteral("font-weight: bold;"));
    DBEdit12 = lineEdit(QStringLiteral("DBEdit12"), left);
    // Amounts: 7 characters, digits and one point; other keys are dropped.
    limitNumberEntry(DBEdit12, NumberRange{ranges::amount.max, ranges::amount.decimals, 7});
    DBEdit12->setAlignment(Qt::AlignRight);
    DBEdit12->setStyleSheet(QStringLiteral("font-weight: bold; color: #a00000;"));
    line(QStringLiteral("实收金额"), DBEdit12);
    DBEdit13 = lineEdit(QStringLiteral("DBEdit13"), left);
    DBEdit13->setReadOnly(true);
    DBEdit13->setFocusPolicy(Qt::NoFocus);
    line(QStringLiteral("付款说明"), DBEdit13);
    form->setRowStretch(row, 1);
    form->setColumnStretch(1, 1);
    form->setColumnStretch(2, 1);
    Edit11 = lineEdit(QStringLiteral("Edit11"), left);
    Edit11->hide();
    body->addWidget(left);

    // --- right: the large amount and the payment pages
    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    body->addLayout(right, 1);
    auto* totals = new QFrame(pnl_Bill);
    totals->setObjectName(QStringLiteral("Panel_BillTotal"));
    totals->setFixedHeight(72);
    totals->setFrameShape(QFrame::Panel);
    totals->setFrameShadow(QFrame::Sunken);
    totals->setStyleSheet(QStringLiteral("QFrame#Panel_BillTotal { background: black; }"));
    lbl_Total = new QLabel(QStringLiteral("0元"), totals);
    lbl_Total->setObjectName(QStringLiteral("lbl_Total"));
    lbl_Total1 = new QLabel(QStringLiteral("0元"), totals);
    lbl_Total1->setObjectName(QStringLiteral("lbl_Total1"));
    for (QLabel* l : {lbl_Total, lbl_Total1}) {
        QFont f = l->font();
        f.setPointSize(30);
        f.setBold(true);
        l->setFont(f);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    // The white label lies a little below and right of the green one: a shadow under it.
    lbl_Total->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    lbl_Total1->setStyleSheet(QStringLiteral("color: rgb(0, 255, 0); background: transparent;"));
    lbl_Total->setGeometry(4, 6, 470, 60);
    lbl_Total1->setGeometry(2, 4, 470, 60);
    lbl_Total1->raise();
    right->addWidget(totals);

    PageControl2 = new QTabWidget(pnl_Bill);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    right->addWidget(PageControl2, 1);

    // "付款 +"
    auto* payPage = new QWidget;
    payPage->setObjectName(QStringLiteral("TabSheet_Pay"));
    auto* payLayout = new QGridLayout(payPage);
    DBGrid7 = grid(QStringLiteral("DBGrid7"), payPage);
    payLayout->addWidget(DBGrid7, 0, 0, 1, 4);
    lbl_PayName = value(QStringLiteral("lbl_PayName"), payPage, Qt::AlignRight | Qt::AlignVCenter);
    lbl_PayName->setStyleSheet(QStringLiteral("font-weight: bold;"));
    DBEdit14 = lineEdit(QStringLiteral("DBEdit14"), payPage);
    limitNumberEntry(DBEdit14, NumberRange{ranges::amount.max, ranges::amount.decimals, 7});
    DBEdit14->setAlignment(Qt::AlignRight);
    SpeedButton3 = makeButton(QStringLiteral("SpeedButton3"), QStringLiteral("重置"), payPage);
    payLayout->addWidget(lbl_PayName, 1, 0);
    payLayout->addWidget(captionLabel(QStringLiteral("付款金额"), payPage), 1, 1);
    payLayout->addWidget(DBEdit14, 1, 2);
    payLayout->addWidget(SpeedButton3, 1, 3);
    payLayout->setColumnStretch(0, 1);
    PageControl2->addTab(payPage, QStringLiteral("付款 +"));

    // "会员"
    auto* memberPage = new QWidget;
    memberPage->setObjectName(QStringLiteral("TabSheet_Member"));
    auto* memberLayout = new QGridLayout(memberPage);
    Edit1 = lineEdit(QStringLiteral("Edit1"), memberPage);
    Edit1->setMaxLength(12);
    dropKeyCharacters(Edit1);
    Edit2 = lineEdit(QStringLiteral("Edit2"), memberPage);
    Edit2->setMaxLength(16);
    Edit2->setEchoMode(QLineEdit::Password);
    dropKeyCharacters(Edit2);
    SpeedButton1 = makeButton(QStringLiteral("SpeedButton1"), QStringLiteral("确定"), memberPage);
    SpeedButton2 = makeButton(QStringLiteral("SpeedButton2"), QStringLiteral("清除"), memberPage);
    memberLayout->addWidget(captionLabel(QStringLiteral("会员卡号-"), memberPage), 0, 0);
    memberLayout->addWidget(Edit1, 0, 1);
    memberLayout->addWidget(captionLabel(QStringLiteral("密码-"), memberPage), 0, 2);
    memberLayout->addWidget(Edit2, 0, 3);
    auto* memberButtons = new QHBoxLayout;
    memberButtons->addStretch();
    memberButtons->addWidget(SpeedButton1);
    memberButtons->addWidget(SpeedButton2);
    memberLayout->addLayout(memberButtons, 1, 0, 1, 4);
    struct Detail {
        const char* caption;
        QLabel** label;
        const char* name;
    };
    const Detail memberDetails[] = {
        {"姓名-", &lbl_MembName, "lbl_MembName"},       {"类别-", &lbl_MembType, "lbl_MembType"},
        {"消费类型-", &lbl_MembCardType, "lbl_MembCardType"}, {"电话-", &lbl_MembTele, "lbl_MembTele"},
        {"单位-", &lbl_MembWork, "lbl_MembWork"},       {"地址-", &lbl_MembAdd, "lbl_MembAdd"},
        {"备注-", &lbl_MembRema, "lbl_MembRema"},       {"已消费金额-", &lbl_MembUse, "lbl_MembUse"},
        {"剩余金额-", &lbl_MembSurp, "lbl_MembSurp"},    {"折扣率-", &lbl_MembDisc, "lbl_MembDisc"},
    };
    for (int i = 0; i < 10; ++i) {
        const Detail& d = memberDetails[i];
        *d.label = value(QLatin1String(d.name), memberPage);
        memberLayout->addWidget(captionLabel(QString::fromUtf8(d.caption), memberPage), 2 + i / 2, (i % 2) * 2);
        memberLayout->addWidget(*d.label, 2 + i / 2, (i % 2) * 2 + 1);
    }
    memberLayout->setRowStretch(7, 1);
    memberLayout->setColumnStretch(1, 1);
    memberLayout->setColumnStretch(3, 1);
    PageControl2->addTab(memberPage, QStringLiteral("会员"));

    // "挂帐"
    auto* creditPage = new QWidget;
    creditPage->setObjectName(QStringLiteral("TabSheet_Credit"));
    auto* creditLayout = new QGridLayout(creditPage);
    lbl_HangLimi = value(QStringLiteral("lbl_HangLimi"), creditPage);
    lbl_HangUse = value(QStringLiteral("lbl_HangUse"), creditPage);
    Edit4 = lineEdit(QStringLiteral("Edit4"), creditPage);
    Edit4->setReadOnly(true);
    lbl_HangWork = value(QStringLiteral("lbl_HangWork"), creditPage);
    lbl_HangAdd = value(QStringLiteral("lbl_HangAdd"), creditPage);
    lbl_HangTele = value(QStringLiteral("lbl_HangTele"), creditPage);
    lbl_HangRema = value(QStringLiteral("lbl_HangRema"), creditPage);
    SpeedButton4 = makeButton(QStringLiteral("SpeedButton4"), QStringLiteral("清除"), creditPage);
    lbl_hangcode = value(QStringLiteral("lbl_hangcode"), creditPage);
    lbl_hangcode->hide();
    creditLayout->addWidget(captionLabel(QStringLiteral("挂帐上限-"), creditPage), 0, 0);
    creditLayout->addWidget(lbl_HangLimi, 0, 1);
    creditLayout->addWidget(captionLabel(QStringLiteral("挂帐金额-"), creditPage), 0, 2);
    creditLayout->addWidget(lbl_HangUse, 0, 3);
    creditLayout->addWidget(captionLabel(QStringLiteral("挂帐客人-"), creditPage), 1, 0);
    creditLayout->addWidget(Edit4, 1, 1);
    creditLayout->addWidget(captionLabel(QStringLiteral("单位-"), creditPage), 1, 2);
    creditLayout->addWidget(lbl_HangWork, 1, 3);
    creditLayout->addWidget(captionLabel(QStringLiteral("地址-"), creditPage), 2, 0);
    creditLayout->addWidget(lbl_HangAdd, 2, 1);
    creditLayout->addWidget(captionLabel(QStringLiteral("电话-"), creditPage), 2, 2);
    creditLayout->addWidget(lbl_HangTele, 2, 3);
    creditLayout->addWidget(captionLabel(QStringLiteral("备注-"), creditPage), 3, 0);
    creditLayout->addWidget(lbl_HangRema, 3, 1);
    creditLayout->addWidget(SpeedButton4, 3, 3, Qt::AlignRight);
    DBGrid6 = grid(QStringLiteral("DBGrid6"), creditPage);
    creditLayout->addWidget(DBGrid6, 4, 0, 1, 4);
    creditLayout->setRowStretch(4, 1);
    creditLayout->setColumnStretch(1, 1);
    creditLayout->setColumnStretch(3, 1);
    PageControl2->addTab(creditPage, QStringLiteral("挂帐"));

    // "折扣"
    auto* discPage = new QWidget;
    discPage->setObjectName(QStringLiteral("TabSheet_Disc"));
    auto* discLayout = new QGridLayout(discPage);
    DBEdit15 = lineEdit(QStringLiteral("DBEdit15"), discPage);
    // A discount percent of two digits ("00" is none).
    limitNumberEntry(DBEdit15, NumberRange{99, 0, 2});
    DBLookupComboBox6 = new QComboBox(discPage);
    DBLookupComboBox6->setObjectName(QStringLiteral("DBLookupComboBox6"));
    DBGrid9 = grid(QStringLiteral("DBGrid9"), discPage);
    discLayout->addWidget(captionLabel(QStringLiteral("折扣费率-"), discPage), 0, 0);
    discLayout->addWidget(DBEdit15, 0, 1);
    discLayout->addWidget(captionLabel(QStringLiteral("折扣方案-"), discPage), 0, 2);
    discLayout->addWidget(DBLookupComboBox6, 0, 3);
    discLayout->addWidget(DBGrid9, 1, 0, 1, 4);
    discLayout->setRowStretch(1, 1);
    discLayout->setColumnStretch(3, 1);
    PageControl2->addTab(discPage, QStringLiteral("折扣"));

    // "消费方式"
    auto* modePage = new QWidget;
    modePage->setObjectName(QStringLiteral("TabSheet_Mode"));
    auto* modeLayout = new QGridLayout(modePage);
    DBLookupComboBox5 = new QComboBox(modePage);
    DBLookupComboBox5->setObjectName(QStringLiteral("DBLookupComboBox5"));
    lbl_BillServRate = value(QStringLiteral("lbl_BillServRate"), modePage);
    lbl_BillUnit = value(QStringLiteral("lbl_BillUnit"), modePage);
    DBGrid8 = grid(QStringLiteral("DBGrid8"), modePage);
    modeLayout->addWidget(captionLabel(QStringLiteral("消费方式-"), modePage), 0, 0);
    modeLayout->addWidget(DBLookupComboBox5, 0, 1, 1, 3);
    modeLayout->addWidget(captionLabel(QStringLiteral("服务费率-"), modePage), 1, 0);
    modeLayout->addWidget(lbl_BillServRate, 1, 1);
    modeLayout->addWidget(captionLabel(QStringLiteral("基本金额-"), modePage), 1, 2);
    modeLayout->addWidget(lbl_BillUnit, 1, 3);
    modeLayout->addWidget(DBGrid8, 2, 0, 1, 4);
    modeLayout->setRowStretch(2, 1);
    modeLayout->setColumnStretch(1, 1);
    modeLayout->setColumnStretch(3, 1);
    DBGrid8->hide();
    PageControl2->addTab(modePage, QStringLiteral("消费方式"));
}

void BillScreen::bind() {
    Dataset* v = dm_->adoqry_TableGues;
    bindLabel(lbl_BillNo, v, QStringLiteral("tabl_gues_auto_recn"));
    bindLineEdit(DBEdit9, v, QStringLiteral("tabl_gues_name"));
    bindLineEdit(DBEdit10, v, QStringLiteral("tabl_gues_coun"));
    bindLineEdit(DBEdit11, v, QStringLiteral("tabl_gues_time"));
    bindLabel(lbl_BillConsType, v, QStringLiteral("constypename"));
    bindLookupCombo(DBLookupComboBox8, v, QStringLiteral("dedu_oper_code"), dm_->adoqry_DeduOper,
                    QStringLiteral("dedu_oper_code"), QStringLiteral("dedu_oper_name"));
    const QString money = QStringLiteral("0.00");
    bindLabel(lbl_BillDish, v, QStringLiteral("tabl_gues_dish"), money);
    bindLabel(lbl_BillSpec, v, QStringLiteral("tabl_gues_spec"), money);
    bindLabel(lbl_BillLow, v, QStringLiteral("tabl_gues_low"), money);
    bindLabel(lbl_BillRoom, v, QStringLiteral("tabl_gues_room"), money);
    bindLabel(lbl_BillServ, v, QStringLiteral("tabl_gues_serv"), money);
    bindLabel(lbl_BillDisc, v, QStringLiteral("tabl_gues_disc"), money);
    bindLabel(lbl_BillTax, v, QStringLiteral("tabl_gues_tax"), money);
    bindLabel(lbl_BillShou, v, QStringLiteral("tabl_gues_shou"), money);
    bindLineEdit(DBEdit13, v, QStringLiteral("tabl_gues_pay_narr"));
    bindLineEdit(DBEdit15, v, QStringLiteral("disc_perc"));
    bindLookupCombo(DBLookupComboBox6, v, QStringLiteral("disc_code"), dm_->adoqry_Disc, QStringLiteral("disc_code"),
                    QStringLiteral("disc_name"));
    bindLookupCombo(DBLookupComboBox5, v, QStringLiteral("cons_mode_code"), dm_->adoqry_ConsMode,
                    QStringLiteral("cons_mode_code"), QStringLiteral("cons_mode_name"));
    bindLabel(lbl_BillServRate, v, QStringLiteral("cons_mode_serv"));
    bindLabel(lbl_BillUnit, v, QStringLiteral("tabl_gues_unit"), money);

    bindGrid(DBGrid7, dm_->adoqry_PayType,
             {{QStringLiteral("pay_type_name"), QStringLiteral("付款名称"), QString(), 150},
              {QStringLiteral("pay_type_mone"), QStringLiteral("付款金额"), money, 110, false, Qt::AlignRight | Qt::AlignVCenter}});
    bindLabel(lbl_PayName, dm_->adoqry_PayType, QStringLiteral("pay_type_name"));
    bindLineEdit(DBEdit14, dm_->adoqry_PayType, QStringLiteral("pay_type_mone"));

    Dataset* m = dm_->adoqry_Member;
    bindLabel(lbl_MembName, m, QStringLiteral("memb_name"));
    bindLabel(lbl_MembType, m, QStringLiteral("membtype"));
    bindLabel(lbl_MembCardType, m, QStringLiteral("memb_card_type"));
    bindLabel(lbl_MembTele, m, QStringLiteral("memb_tele"));
    bindLabel(lbl_MembWork, m, QStringLiteral("memb_work"));
    bindLabel(lbl_MembAdd, m, QStringLiteral("memb_add"));
    bindLabel(lbl_MembRema, m, QStringLiteral("memb_rema"));
    bindLabel(lbl_MembUse, m, QStringLiteral("memb_use"), money);
    bindLabel(lbl_MembSurp, m, QStringLiteral("memb_surp"), money);
    bindLabel(lbl_MembDisc, m, QStringLiteral("memb_disc_perc"));

    bindGrid(DBGrid6, dm_->adoqry_hanggues,
             {{QStringLiteral("hang_gues_name"), QStringLiteral("挂帐客人"), QString(), 110},
              {QStringLiteral("hang_gues_limi"), QStringLiteral("挂帐上限"), money, 80, false, Qt::AlignRight | Qt::AlignVCenter},
              {QStringLiteral("hang_gues_use"), QStringLiteral("挂帐金额"), money, 80, false, Qt::AlignRight | Qt::AlignVCenter},
              {QStringLiteral("hang_gues_work"), QStringLiteral("单位"), QString(), 150}});
    bindGrid(DBGrid9, dm_->adoqry_DiscItem,
             {{QStringLiteral("Classname"), QStringLiteral("分类名称"), QString(), 200},
              {QStringLiteral("disc_clas_perc"), QStringLiteral("折扣率"), QString(), 80}});
    bindGrid(DBGrid8, dm_->adoqry_ConsTimeMode,
             {{QStringLiteral("cons_time_star"), QStringLiteral("开始时间"), QStringLiteral("hh:nn:ss"), 120},
              {QStringLiteral("cons_time_end"), QStringLiteral("结束时间"), QStringLiteral("hh:nn:ss"), 120},
              {QStringLiteral("cons_time_mone"), QStringLiteral("时段价格"), money, 100, false, Qt::AlignRight | Qt::AlignVCenter}});
}

void BillScreen::wire() {
    Dataset* v = dm_->adoqry_TableGues;
    auto follow = [this] {
        showReceived();
        showTable();
        showCommissionKind();
    };
    connect(v, &Dataset::reset, this, follow);
    connect(v, &Dataset::currentChanged, this, follow);
    connect(v, &Dataset::stateChanged, this, follow);
    connect(v, &Dataset::rowChanged, this, [this, v, follow](int row) {
        if (row == v->recNo() - 1) follow();
    });

    // The amount received: what is typed shows in the large labels; above the receivable it is
    // refused and the receivable comes back.
    // (The edit's own text: a refused amount replaced while the edit reports its change.)
    connect(DBEdit12, &QLineEdit::textChanged, this, [this] {
        if (checkout_->active()) showTotals(DBEdit12->text());
    });
    connect(DBEdit12, &QLineEdit::textEdited, this, guard([this](const QString& text) {
                if (checkout_->receivedTyped(text)) return;
                const Dataset* v = dm_->adoqry_TableGues;
                const int f = v->fieldIndex(QStringLiteral("tabl_gues_shou"));
                const QString receivable = Dataset::toText(v->fieldDef(f), v->field(f).value());
                DBEdit12->setText(receivable);
                DBEdit12->end(false);
            }));

    // The guest count and the discount percent recompute the bill as they are typed.
    connect(DBEdit10, &QLineEdit::textEdited, this, guard([this](const QString& text) {
                if (!checkout_->active()) return;
                Dataset* v = dm_->adoqry_TableGues;
                v->edit();
                v->field(QStringLiteral("tabl_gues_coun")).setAsString(text);
                checkout_->guestCountChanged();
            }));
    // The discount changes only with the discount permission, however the edit or the list is
    // reached (a click, a key, a value typed or chosen without the focus passing through).
    connect(DBEdit15, &QLineEdit::textEdited, this, guard([this](const QString& text) {
                if (!checkout_->active()) return;
                if (!discountAllowed()) {
                    restoreDiscount();
                    return;
                }
                Dataset* v = dm_->adoqry_TableGues;
                v->edit();
                v->field(QStringLiteral("disc_perc")).setAsString(text);
                checkout_->discountChanged();
            }));
    connect(DBLookupComboBox5, &QComboBox::activated, this, guard([this] {
                const bool bands = checkout_->modeChosen();
                DBGrid8->setVisible(bands);
            }));
    connect(DBLookupComboBox6, &QComboBox::activated, this, guard([this] {
                if (!discountAllowed()) {
                    restoreDiscount();
                    return;
                }
                checkout_->schemeChosen();
            }));
    connect(DBComboBox4, &QComboBox::activated, this, guard([this](int index) {
                Dataset* v = dm_->adoqry_TableGues;
                v->edit();
                v->field(QStringLiteral("dedu_type")).setValue(DBComboBox4->itemText(index));
            }));
    DBEdit15->installEventFilter(this);
    DBLookupComboBox6->installEventFilter(this);

    connect(SpeedButton1, &QPushButton::clicked, this,
            guard([this] { checkout_->chooseMember(Edit1->text(), Edit2->text()); }));
    connect(SpeedButton2, &QPushButton::clicked, this, guard([this] {
                checkout_->clearMember();
                Edit1->clear();
                Edit2->clear();
            }));
    connect(DBGrid6, &QTableView::doubleClicked, this, guard([this] { chooseCreditAccount(); }));
    connect(SpeedButton4, &QPushButton::clicked, this, guard([this] {
                checkout_->clearCreditAccount();
                Edit4->clear();
                clearCreditLabels();
            }));
    connect(SpeedButton3, &QPushButton::clicked, this, guard([this] { checkout_->resetPayments(); }));
    connect(DBGrid7, &QTableView::clicked, this, [this] { DBEdit14->setFocus(); });

    connect(ToolButton1, &QToolButton::clicked, this, guard([this] { settle(); }));
    connect(ToolButton3, &QToolButton::clicked, this, guard([this] { print(); }));
    connect(ToolButton23, &QToolButton::clicked, this, guard([this] { preview(); }));
    connect(ToolButton24, &QToolButton::clicked, this, guard([this] { back(); }));
    connect(toolb_BillHelp, &QToolButton::clicked, this, guard([this] { main_->showHelp(); }));

    main_->registerAction(QStringLiteral("work.checkout"), [this] { enterBill(); });
    main_->registerAction(QStringLiteral("bill.print"), [this] { print(); });
    main_->registerAction(QStringLiteral("bill.preview"), [this] { preview(); });
    main_->registerAction(QStringLiteral("bill.payPrior"), [this] { movePayType(-1); });
    main_->registerAction(QStringLiteral("bill.payNext"), [this] { movePayType(1); });
    main_->registerAction(QStringLiteral("bill.settle"), [this] { settle(); });
    main_->registerAction(QStringLiteral("bill.back"), [this] { back(); });
}

bool BillScreen::eventFilter(QObject* watched, QEvent* event) {
    // Entering the discount percent or the scheme asks the discount permission; without it the
    // focus moves on to the scheme's grid and both stay disabled for this bill. Focus coming
    // back from a message box is not asked.
    if (event->type() == QEvent::FocusIn && (watched == DBEdit15 || watched == DBLookupComboBox6)) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) discountAllowed();
    }
    return QObject::eventFilter(watched, event);
}

bool BillScreen::discountAllowed() {
    if (discount_ == Discount::Granted) return true;
    if (discount_ == Discount::Unasked && !askingDiscount_) {
        askingDiscount_ = true;
        bool granted = false;
        guarded([&] { granted = main_->Limite(QStringLiteral("DA")); });
        askingDiscount_ = false;
        discount_ = granted ? Discount::Granted : Discount::Refused;
        if (granted) return true;
    }
    if (discount_ != Discount::Refused) return false;
    DBEdit15->setEnabled(false);
    DBLookupComboBox6->setEnabled(false);
    DBGrid9->setFocus();
    return false;
}

void BillScreen::restoreDiscount() {
    Dataset* v = dm_->adoqry_TableGues;
    if (!v->active() || v->isEmpty()) return;
    const bool changed = v->field(QStringLiteral("disc_code")).value() != discountOnEntry_.first ||
                         v->field(QStringLiteral("disc_perc")).value() != discountOnEntry_.second;
    if (changed) {
        v->edit();
        v->field(QStringLiteral("disc_code")).setValue(discountOnEntry_.first);
        v->field(QStringLiteral("disc_perc")).setValue(discountOnEntry_.second);
    }
    // The edit shows the stored percent again, not what was typed.
    const int f = v->fieldIndex(QStringLiteral("disc_perc"));
    DBEdit15->setText(Dataset::toText(v->fieldDef(f), v->field(f).value()));
}

void BillScreen::showReceived() {
    const Dataset* v = dm_->adoqry_TableGues;
    QString text;
    const int f = v->active() ? v->fieldIndex(QStringLiteral("tabl_gues_fact")) : -1;
    if (f >= 0 && !v->isEmpty()) text = Dataset::toText(v->fieldDef(f), v->field(f).value());
    if (DBEdit12->text() != text) DBEdit12->setText(text);
    if (v->active() && v->modified()) {
        checkout_->receivedShown(text);
        Edit11->setText(text);
    }
}

void BillScreen::showTotals(const QString& text) {
    lbl_Total->setText(text + QStringLiteral("元"));
    lbl_Total1->setText(text + QStringLiteral("元"));
}

void BillScreen::showTable() {
    const Dataset* v = dm_->adoqry_TableGues;
    if (!v->active() || v->isEmpty()) {
        lbl_BillTable->clear();
        return;
    }
    lbl_BillTable->setText(v->field(QStringLiteral("tabl_code")).asString() + QStringLiteral("/") +
                           v->field(QStringLiteral("tablname")).asString());
}

void BillScreen::showCommissionKind() {
    const Dataset* v = dm_->adoqry_TableGues;
    const QString kind = v->active() && !v->isEmpty() ? v->field(QStringLiteral("dedu_type")).asString() : QString();
    DBComboBox4->setCurrentIndex(DBComboBox4->findText(kind));
}

void BillScreen::clearCreditLabels() {
    for (QLabel* l : {lbl_HangLimi, lbl_HangUse, lbl_HangWork, lbl_HangAdd, lbl_HangTele, lbl_HangRema}) l->clear();
}

void BillScreen::chooseCreditAccount() {
    checkout_->chooseCreditAccount();
    const Dataset* h = dm_->adoqry_hanggues;
    if (!h->active() || h->isEmpty()) return;
    Edit4->setText(checkout_->creditAccountName());
    lbl_hangcode->setText(checkout_->creditAccountCode());
    const std::pair<QLabel*, const char*> shown[] = {
        {lbl_HangLimi, "hang_gues_limi"}, {lbl_HangUse, "hang_gues_use"}, {lbl_HangWork, "hang_gues_work"},
        {lbl_HangAdd, "hang_gues_add"},   {lbl_HangTele, "hang_gues_tele"}, {lbl_HangRema, "hang_gues_rema"},
    };
    for (const auto& [label, field] : shown) label->setText(h->field(QLatin1String(field)).asString());
}

void BillScreen::focusAmount() {
    PageControl2->setCurrentIndex(0);
    DBEdit14->setFocus();
    DBEdit14->end(false);
}

void BillScreen::enterBill() {
    Edit4->clear();
    Edit11->clear();
    clearCreditLabels();
    showTotals(QStringLiteral("0"));
    if (!checkout_->enter()) throw SilentAbort{};
    discount_ = Discount::Unasked;
    DBEdit15->setEnabled(true);
    DBLookupComboBox6->setEnabled(true);
    const Dataset* entered = dm_->adoqry_TableGues;
    discountOnEntry_ = {entered->field(QStringLiteral("disc_code")).value(),
                        entered->field(QStringLiteral("disc_perc")).value()};
    // The bill can be previewed and printed only once a bill layout prints it.
    showToolButton(ToolButton3, bool(printBill));
    showToolButton(ToolButton23, bool(printBill));
    Edit1->clear();
    Edit2->clear();
    Edit4->clear();
    const Dataset* v = dm_->adoqry_TableGues;
    DBGrid8->setVisible(v->field(QStringLiteral("cons_type_code")).asString() == QLatin1String("9"));
    showReceived();
    showTotals(DBEdit12->text());
    main_->ShowPanel(pnl_Bill, main_->pnl_Parent, 1);
    focusAmount();
}

void BillScreen::back() {
    try {
        checkout_->leave();
    } catch (const StaleData&) {
        work_->workScreen->showScreen(false);
        throw;
    }
    work_->workScreen->showScreen(false);
}

void BillScreen::afterLostRace(qint64 visitKey) {
    Dataset& v = *dm_->adoqry_TableGues;
    const bool stillOpen = v.active() && !v.isEmpty() &&
                           v.field(QStringLiteral("tabl_gues_auto_recn")).asInt() == visitKey &&
                           visitOpen(dm_->database(), visitKey);
    if (stillOpen) {
        // Its lines as they are now, and the bill computed again on them.
        if (dm_->adoqry_TableCons->active()) dm_->adoqry_TableCons->refresh();
        enterBill();
        return;
    }
    // Checked out, moved or joined elsewhere: the board shows what became of it.
    checkout_->abandon();
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setFocus();
}

void BillScreen::settle() {
    DBGrid7->setFocus();
    // A discount this cashier may not give never reaches the checkout.
    if (discount_ == Discount::Refused) restoreDiscount();
    const QString received = DBEdit12->text();
    const QString tableCode = dm_->adoqry_TableGues->field(QStringLiteral("tabl_code")).asString();
    const qint64 visitKey = dm_->adoqry_TableGues->field(QStringLiteral("tabl_gues_auto_recn")).asInt();
    SettleOutcome outcome = SettleOutcome::Refused;
    try {
        outcome = checkout_->settle(received, false, main_->StatusBar1, main_->statusPanel[0]);
    } catch (StaleData& stale) {
        // Another desk changed the visit after this bill was computed: nothing was stored.
        // Once the refusal is shown and the visit read again, the bill is computed again.
        auto reload = stale.refresh;
        stale.refresh = [this, reload, visitKey] {
            if (reload) reload();
            afterLostRace(visitKey);
        };
        throw;
    }
    switch (outcome) {
    case SettleOutcome::Stored:
        // The board, its tables read again so the table shows checked out, with the table just
        // paid still the current one.
        if (work_->tableBoard) work_->tableBoard->Sort();
        else dm_->adoqry_table->reread();
        dm_->adoqry_table->locate(QStringLiteral("tabl_code"), tableCode);
        main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
        work_->EditDict_TableState->setFocus();
        break;
    case SettleOutcome::Declined:
        focusAmount();
        break;
    default:
        break;
    }
}

void BillScreen::buildBill(bool toPrinter) {
    // Without a bill layout there is nothing to preview or print, and nothing is computed.
    if (!printBill) return;
    if (checkout_->settle(DBEdit12->text(), true) != SettleOutcome::Previewed) return;
    if (printBill) printBill(toPrinter);
    focusAmount();
    checkout_->endPreview();
}

void BillScreen::preview() { buildBill(false); }

void BillScreen::print() {
    if (!printBill) return;
    if (!prompter().question(QStringLiteral("请确认是否进行打印帐单处理，请选择(是/否)！"))) return;
    // Without a printer nothing is computed: the preview still shows the bill. A receipt
    // printer is this desk's own and needs no system printer.
    if (!deskPrinters(dm_->database()).bill.receipt() && !printOutput().hasPrinter()) {
        prompter().information(kNoPrinter);
        return;
    }
    buildBill(true);
}

void BillScreen::movePayType(int step) {
    PageControl2->setCurrentIndex(0);
    checkout_->commitTypedAmount();
    dm_->adoqry_PayType->moveBy(step);
    DBEdit14->setFocus();
    DBEdit14->end(false);
}

} // namespace kx::frontdesk
