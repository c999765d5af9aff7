#include "CashierSettings.h"

#include "Binder.h"
#include "ErrorGuard.h"
#include "InitialData.h"
#include "NumberEntry.h"
#include "PanelKit.h"
#include "PrinterSettingsPage.h"
#include "Prompter.h"
#include "TDMTable.h"
#include "TFormWMain.h"
#include "TFormWork.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {

// What the page's numeric edits take.
constexpr NumberRange kStockThreshold{9999, 0};
constexpr NumberRange kTaxPercent{100, 2};

const QString kPerGuest = QStringLiteral("按人数");
const QString kTaxMone = QStringLiteral("pay_set_tax_mone");
const QString kTaxPerc = QStringLiteral("pay_set_tax_perc");

// The flags of the layout's second group in their order on the screen; "合并点单" is kept but
// not shown.
const std::pair<const char*, const char*> kLayoutFlags[] = {
    {"deta", "明细打印"},     {"kind", "大类打印"},     {"disc", "优惠明细打印"},
    {"pay", "付款明细打印"},  {"zero", "找零明细打印"}, {"memb", "会员明细打印"},
    {"mpay", "会员余额打印"}, {"hang", "挂帐明细打印"}, {"hpay", "挂帐金额打印"},
    {"unit", "合并点单"}};

QLineEdit* numberEdit(const QString& name, const NumberRange& range, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(120);
    limitNumberEntry(e, range);
    return e;
}

QComboBox* listBox(const QString& name, const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setFixedWidth(120);
    return box;
}

QCheckBox* checkBox(const QString& name, const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

// Posts the row when it is being edited.
void postEdit(db::Dataset* row) {
    if (row->state() == db::Dataset::Edit || row->state() == db::Dataset::Insert) row->post();
}

// A caption list of the bill layout, bound to its slot's caption column: it shows the stored
// caption, a caption chosen or typed is stored, and the slot's visit column follows a caption
// of the fourteen (any other text leaves the column as it is).
class CaptionLink : public QObject {
public:
    CaptionLink(QComboBox* box, db::Dataset* row, QString slot, BillLayoutPage* page)
        : QObject(box), box_(box), row_(row), slot_(std::move(slot)), page_(page) {
        auto update = [this] { refresh(); };
        connect(row, &db::Dataset::reset, this, update);
        connect(row, &db::Dataset::currentChanged, this, update);
        connect(row, &db::Dataset::stateChanged, this, update);
        connect(row, &db::Dataset::rowChanged, this, update);
        connect(box, &QComboBox::activated, this, [this](int i) { take(box_->itemText(i)); });
        connect(box->lineEdit(), &QLineEdit::editingFinished, this, [this] { take(box_->currentText()); });
        // A post takes what is typed.
        row->addUpdateRecordHandler(this, [this] {
            if (box_) store(box_->currentText());
        });
        refresh();
    }

private:
    QString column() const { return QStringLiteral("set_prn_%1_titl").arg(slot_); }
    QString stored() const {
        return row_ && row_->active() && !row_->isEmpty() ? row_->field(column()).asString() : QString();
    }
    void refresh() {
        if (taking_ || !box_) return;
        const QString text = stored();
        if (box_->currentText() != text) box_->setEditText(text);
    }
    void take(const QString& text) {
        if (text == stored()) return;
        guarded([&] { store(text); });
        refresh();
    }
    void store(const QString& text) {
        if (!row_ || !row_->active() || text == stored()) return;
        taking_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{taking_};
        page_->DBComboBox5Change(slot_, text);
    }

    QPointer<QComboBox> box_;
    QPointer<db::Dataset> row_;
    QString slot_;
    BillLayoutPage* page_;
    bool taking_ = false;
};

} // namespace

// ---------------------------------------------------------------- 收银设置

SetupPayPage::SetupPayPage(TDMTable* dm, QObject* parent) : QObject(parent), dm_(dm) {
    pnl_SetupPay = makePanel(QStringLiteral("pnl_SetupPay"));
    auto* column = new QVBoxLayout(pnl_SetupPay);
    column->addStretch(1);
    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(14);
    column->addLayout(form);
    column->setAlignment(form, Qt::AlignHCenter);
    column->addStretch(2);

    QWidget* p = pnl_SetupPay;
    DBEdit16 = numberEdit(QStringLiteral("DBEdit16"), kStockThreshold, p);
    DBCheckBox1 = checkBox(QStringLiteral("DBCheckBox1"),
                           QStringLiteral("自动进行吧厨出品处理（单机版系统默认自动进行处理，后厨必须有出品打印机）"), p);
    DBComboBox2 = listBox(QStringLiteral("DBComboBox2"), {QStringLiteral("按比例"), kPerGuest}, p);
    dbe_TaxMone = numberEdit(QStringLiteral("dbe_TaxMone"), ranges::price, p);
    dbe_TaxPerc = numberEdit(QStringLiteral("dbe_TaxPerc"), kTaxPercent, p);
    cmb_ItemInt = listBox(QStringLiteral("cmb_ItemInt"),
                          {QStringLiteral("四舍五入"), QStringLiteral("小数进一"), QStringLiteral("保留小数")}, p);
    cmb_SumInt = listBox(QStringLiteral("cmb_SumInt"),
                         {QStringLiteral("四舍五入"), QStringLiteral("舍去小数"), QStringLiteral("保留小数"),
                          QStringLiteral("小数进一")},
                         p);
    int row = 0;
    auto line = [&](const QString& caption, QWidget* control, const QString& unit = QString()) {
        form->addWidget(captionLabel(caption, p), row, 0);
        form->addWidget(control, row, 1);
        if (!unit.isEmpty()) form->addWidget(new QLabel(unit, p), row, 2);
        ++row;
    };
    line(QStringLiteral("库存预警下限："), DBEdit16);
    form->addWidget(DBCheckBox1, row++, 1, 1, 2);
    line(QStringLiteral("收税方式："), DBComboBox2);
    line(QStringLiteral("每人收税："), dbe_TaxMone);
    line(QStringLiteral("收税比率："), dbe_TaxPerc, QStringLiteral("%"));
    line(QStringLiteral("点单金额取整方案："), cmb_ItemInt);
    line(QStringLiteral("结帐金额取整方案："), cmb_SumInt);

    Dataset* setup = dm_->adoqry_SetupPay;
    bindLineEdit(DBEdit16, setup, QStringLiteral("pay_set_stor_limi"));
    bindCheckBox(DBCheckBox1, setup, QStringLiteral("pay_set_auto_manu"));
    bindTextCombo(DBComboBox2, setup, QStringLiteral("pay_set_tax_type"));
    bindLineEdit(dbe_TaxMone, setup, kTaxMone);
    bindLineEdit(dbe_TaxPerc, setup, kTaxPerc);
    bindTextCombo(cmb_ItemInt, setup, QStringLiteral("pay_set_item_int"));
    bindTextCombo(cmb_SumInt, setup, QStringLiteral("pay_set_sum_int"));
    // After the binder has stored the method.
    connect(DBComboBox2, &QComboBox::activated, this, guard([this] { DBComboBox2Change(); }));
}

SettingsPage SetupPayPage::page() {
    return {QStringLiteral("ToolButton27"), QStringLiteral("收银设置"), pnl_SetupPay, [this] { shown(); },
            [this] { save(); }, [this] { dm_->adoqry_SetupPay->cancel(); }};
}

QLineEdit* SetupPayPage::enableTaxAmount() {
    const bool perGuest = DBComboBox2->currentText() == kPerGuest;
    dbe_TaxMone->setEnabled(perGuest);
    dbe_TaxPerc->setEnabled(!perGuest);
    return perGuest ? dbe_TaxMone : dbe_TaxPerc;
}

void SetupPayPage::shown() {
    enableTaxAmount();
    DBEdit16->setFocus();
}

void SetupPayPage::DBComboBox2Change() {
    Dataset* setup = dm_->adoqry_SetupPay;
    // What is typed into the amount that goes is handed over first, so that it goes too.
    setup->updateRecord();
    QLineEdit* chosen = enableTaxAmount();
    setup->edit();
    setup->field(chosen == dbe_TaxMone ? kTaxPerc : kTaxMone).clear();
    chosen->setFocus();
}

void SetupPayPage::save() {
    Dataset* setup = dm_->adoqry_SetupPay;
    if (setup->state() != Dataset::Edit) return;
    setup->updateRecord();
    // An emptied amount is no tax: 0.
    for (const QString& amount : {kTaxMone, kTaxPerc})
        if (setup->field(amount).isNull()) setup->field(amount).setValue(0.0);
    setup->post();
}

// ---------------------------------------------------------------- 帐单内容

BillLayoutPage::BillLayoutPage(TDMTable* dm, QObject* parent) : QObject(parent), dm_(dm) {
    pnl_PrnBill = makePanel(QStringLiteral("pnl_PrnBill"));
    QWidget* p = pnl_PrnBill;
    Dataset* layout = dm_->adoqry_SetupPrint;
    auto* page = new QVBoxLayout(p);
    auto* top = new QHBoxLayout;
    page->addLayout(top, 1);

    // Header lines 1–3 print above the items, 4–7 below the totals.
    auto* format = new QGroupBox(QStringLiteral("帐单格式定义"), p);
    format->setObjectName(QStringLiteral("grp_BillFormat"));
    auto* formatColumn = new QVBoxLayout(format);
    QStringList offered;
    for (const db::BillHeaderSlot& slot : db::billHeaderSlots()) offered << QString::fromUtf8(slot.caption);
    for (const auto& [first, last, name] :
         {std::tuple{1, 3, "grp_LinesAbove"}, std::tuple{4, 7, "grp_LinesBelow"}}) {
        auto* group = new QGroupBox(format);
        group->setObjectName(QString::fromLatin1(name));
        auto* grid = new QGridLayout(group);
        grid->setVerticalSpacing(6);
        for (int l = first; l <= last; ++l) {
            const int row = l - first;
            grid->addWidget(new QLabel(QString::number(l), group), row, 0);
            for (int k = 1; k <= 2; ++k) {
                const QString slot = QStringLiteral("%1%2").arg(l).arg(k);
                auto* box = new QComboBox(group);
                box->setObjectName(QStringLiteral("dbc_set_prn_%1_titl").arg(slot));
                box->setEditable(true);
                box->setInsertPolicy(QComboBox::NoInsert);
                box->addItems(offered);
                box->setMinimumWidth(110);
                box->lineEdit()->setMaxLength(255);
                new CaptionLink(box, layout, slot, this);
                captions[size_t(l - 1)][size_t(k - 1)] = box;
                grid->addWidget(box, row, k);
            }
            QCheckBox* allowed = checkBox(QStringLiteral("chk_set_prn_%1_allo").arg(l), QStringLiteral("允许打印"), group);
            bindCheckBox(allowed, layout, QStringLiteral("set_prn_%1_allo").arg(l));
            lineAllowed[size_t(l - 1)] = allowed;
            grid->addWidget(allowed, row, 3);
        }
        grid->setColumnStretch(4, 1);
        formatColumn->addWidget(group);
    }
    formatColumn->addStretch(1);
    top->addWidget(format, 3);

    auto* lines = new QGroupBox(p);
    lines->setObjectName(QStringLiteral("grp_BillLines"));
    auto* linesColumn = new QVBoxLayout(lines);
    for (const auto& [column, caption] : kLayoutFlags) {
        QCheckBox* box = checkBox(QStringLiteral("chk_set_prn_%1_allo").arg(QLatin1String(column)), QString::fromUtf8(caption),
                                  lines);
        bindCheckBox(box, layout, QStringLiteral("set_prn_%1_allo").arg(QLatin1String(column)));
        flags_.push_back(box);
        linesColumn->addWidget(box, 0, Qt::AlignLeft);
    }
    flag(QStringLiteral("set_prn_unit_allo"))->hide();
    linesColumn->addStretch(1);
    SpeedButton15 = makeButton(QStringLiteral("SpeedButton15"), QStringLiteral("默认"), lines);
    SpeedButton15->setMinimumSize(90, 30);
    linesColumn->addWidget(SpeedButton15, 0, Qt::AlignHCenter);
    top->addWidget(lines, 2);

    auto* custom = new QGridLayout;
    page->addLayout(custom);
    chk_d1 = checkBox(QStringLiteral("chk_set_prn_d1_allo"), QStringLiteral("自定义信息[I]"), p);
    chk_d2 = checkBox(QStringLiteral("chk_set_prn_d2_allo"), QStringLiteral("自定义信息[II]"), p);
    dbe_d1 = new QLineEdit(p);
    dbe_d1->setObjectName(QStringLiteral("dbe_set_prn_d1_text"));
    dbe_d2 = new QLineEdit(p);
    dbe_d2->setObjectName(QStringLiteral("dbe_set_prn_d2_text"));
    custom->addWidget(chk_d1, 0, 0);
    custom->addWidget(dbe_d1, 0, 1);
    custom->addWidget(chk_d2, 1, 0);
    custom->addWidget(dbe_d2, 1, 1);
    QWidget::setTabOrder(chk_d1, dbe_d1);
    QWidget::setTabOrder(dbe_d1, chk_d2);
    QWidget::setTabOrder(chk_d2, dbe_d2);
    bindCheckBox(chk_d1, layout, QStringLiteral("set_prn_d1_allo"));
    bindCheckBox(chk_d2, layout, QStringLiteral("set_prn_d2_allo"));
    bindLineEdit(dbe_d1, layout, QStringLiteral("set_prn_d1_text"));
    bindLineEdit(dbe_d2, layout, QStringLiteral("set_prn_d2_text"));

    connect(SpeedButton15, &QPushButton::clicked, this, guard([this] { SpeedButton15Click(); }));
}

QCheckBox* BillLayoutPage::flag(const QString& column) const {
    for (QCheckBox* box : flags_)
        if (box->objectName() == QStringLiteral("chk_") + column) return box;
    return nullptr;
}

SettingsPage BillLayoutPage::page() {
    // "取消回退" leaves the layout as edited, what is typed included: it is posted by the next
    // "保存回退".
    return {QStringLiteral("ToolButton26"), QStringLiteral("帐单内容"), pnl_PrnBill, [this] { dbe_d1->setFocus(); },
            [this] { save(); }, [this] { dm_->adoqry_SetupPrint->updateRecord(); }};
}

void BillLayoutPage::DBComboBox5Change(const QString& slot, const QString& text) {
    Dataset* layout = dm_->adoqry_SetupPrint;
    layout->edit();
    layout->field(QStringLiteral("set_prn_%1_titl").arg(slot)).setValue(text);
    const QString column = db::billHeaderColumn(text.trimmed());
    if (!column.isEmpty()) layout->field(QStringLiteral("set_prn_%1_fiel").arg(slot)).setValue(column);
}

void BillLayoutPage::SpeedButton15Click() {
    if (!prompter().question(QStringLiteral("是否重置为默认帐单格式，请确定操作!"))) return;
    Dataset* layout = dm_->adoqry_SetupPrint;
    layout->edit();
    for (const db::BillHeaderSlot& slot : db::billHeaderSlots()) {
        const QString s = QString::fromLatin1(slot.slot);
        layout->field(QStringLiteral("set_prn_%1_titl").arg(s)).setValue(QString::fromUtf8(slot.caption));
        layout->field(QStringLiteral("set_prn_%1_fiel").arg(s)).setValue(QString::fromLatin1(slot.column));
    }
    layout->post();
}

void BillLayoutPage::save() { postEdit(dm_->adoqry_SetupPrint); }

// ---------------------------------------------------------------- the screen

CashierSettings::CashierSettings(TFormWMain* main, TFormWork* work, TDMTable* dm)
    : QObject(work), main_(main), work_(work), dm_(dm) {
    pnl_Setup = makePanel(QStringLiteral("pnl_Setup"), work_);
    pnl_Setup->resize(792, 520);
    pnl_Setup->hide();
    auto* column = new QVBoxLayout(pnl_Setup);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    ToolBar_Setup = new QToolBar(pnl_Setup);
    ToolBar_Setup->setObjectName(QStringLiteral("ToolBar_Setup"));
    column->addWidget(ToolBar_Setup);
    commands_ = ToolBar_Setup->addSeparator();
    ToolButton28 = addToolButton(ToolBar_Setup, QStringLiteral("ToolButton28"), QStringLiteral("保存回退"));
    ToolButton30 = addToolButton(ToolBar_Setup, QStringLiteral("ToolButton30"), QStringLiteral("取消回退"));
    ToolBar_Setup->addSeparator();
    ToolButton29 = addToolButton(ToolBar_Setup, QStringLiteral("ToolButton29"), QStringLiteral("帮助/信息"));
    pnl_SetupParent = new QFrame(pnl_Setup);
    pnl_SetupParent->setObjectName(QStringLiteral("pnl_SetupParent"));
    pnl_SetupParent->setFrameShape(QFrame::StyledPanel);
    column->addWidget(pnl_SetupParent, 1);
    fillHost(pnl_SetupParent);

    // The pages, in the toolbar's order; "保存回退" saves them in this order.
    pay = new SetupPayPage(dm_, this);
    addPage(pay->page());
    layout = new BillLayoutPage(dm_, this);
    addPage(layout->page());
    // "打印设置": this desk's printers, read when the screen first shows the page after opening
    // (switching pages keeps what is typed), stored by "保存回退" after the settings rows; a
    // refused address stops the save there, its message shown.
    printers = new PrinterSettingsPage(dm_, pnl_SetupParent);
    SettingsPage printerPage;
    printerPage.buttonName = QStringLiteral("ToolButton_PrnSetup");
    printerPage.caption = QStringLiteral("打印设置");
    printerPage.panel = printers;
    printerPage.shown = [this] {
        if (!printersLoaded_) printers->load();
        printersLoaded_ = true;
    };
    printerPage.save = [this] {
        if (printersLoaded_ && !printers->save()) throw SilentAbort();
        printersLoaded_ = false;
    };
    printerPage.cancel = [this] { printersLoaded_ = false; };
    addPage(std::move(printerPage));

    connect(ToolButton28, &QToolButton::clicked, this, guard([this] { ToolButton28Click(); }));
    connect(ToolButton30, &QToolButton::clicked, this, guard([this] { ToolButton30Click(); }));
    connect(ToolButton29, &QToolButton::clicked, this, guard([this] { main_->showHelp(); }));
    main_->registerAction(QStringLiteral("setup.cancel"), [this] { ToolButton30Click(); });
}

int CashierSettings::addPage(SettingsPage page) {
    const int index = int(pages_.size());
    QToolButton* button = insertToolButton(ToolBar_Setup, commands_, page.buttonName, page.caption, true);
    page.panel->setParent(pnl_SetupParent);
    page.panel->hide();
    pages_.push_back(std::move(page));
    buttons_.push_back(button);
    // The first page's button opens the screen as "设置" does.
    connect(button, &QToolButton::clicked, this, guard([this, index] {
                if (index == 0)
                    ToolButton27Click();
                else
                    showPage(index);
            }));
    return index;
}

void CashierSettings::ToolButton27Click() {
    if (!main_->Limite(QStringLiteral("PS"))) {
        // The toggle stays as the page shown.
        for (int i = 0; i < pageCount(); ++i) buttons_[size_t(i)]->setChecked(i == current_);
        throw SilentAbort();
    }
    printersLoaded_ = false;
    // Coming from the board: the rows as stored now (another desk or the back office may have
    // changed them); a layout left unposted by "取消回退" stays as it was edited. On the screen,
    // "收银设置" only shows its page: what is being edited stays.
    if (main_->CurrentPanel() != pnl_Setup) {
        Dataset* setup = dm_->adoqry_SetupPay;
        setup->checkBrowseMode();
        setup->refreshCurrent();
        Dataset* print = dm_->adoqry_SetupPrint;
        if (print->state() == Dataset::Browse) print->refreshCurrent();
        main_->ShowPanel(pnl_Setup, main_->pnl_Parent, 1);
    }
    showPage(0);
}

void CashierSettings::showPage(int index) {
    const SettingsPage& page = pages_[size_t(index)];
    main_->ShowPanel(page.panel, pnl_SetupParent, 0);
    current_ = index;
    for (int i = 0; i < pageCount(); ++i) buttons_[size_t(i)]->setChecked(i == index);
    if (page.shown) page.shown();
}

void CashierSettings::ToolButton28Click() {
    // A row refused as changed elsewhere is told and read again; the screen stays.
    for (const SettingsPage& page : pages_)
        if (page.save) page.save();
    backToBoard();
}

void CashierSettings::ToolButton30Click() {
    for (const SettingsPage& page : pages_)
        if (page.cancel) page.cancel();
    backToBoard();
}

void CashierSettings::backToBoard() {
    main_->ShowPanel(work_->pnl_TableState, main_->pnl_Parent, 1);
    work_->EditDict_TableState->setFocus();
}

} // namespace kx::frontdesk
