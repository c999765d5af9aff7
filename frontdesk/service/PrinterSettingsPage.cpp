#include "PrinterSettingsPage.h"

#include "Clock.h"
#include "ErrorGuard.h"
#include "PanelKit.h"
#include "Prompter.h"
#include "ReceiptOutput.h"
#include "TDMTable.h"
#include "Transaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kx::frontdesk {

namespace {

const int kPapers[] = {58, 80};
QString paperText(int mm) {
    return QStringLiteral("%1mm").arg(mm);
}

} // namespace

PrinterSettingsPage::PrinterSettingsPage(TDMTable* dm, QWidget* parent) : QFrame(parent), dm_(dm) {
    setObjectName(QStringLiteral("pnl_PrnSetup"));
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 12, 16, 12);
    page->setSpacing(10);
    lbl_PrinterHost = new QLabel(this);
    lbl_PrinterHost->setObjectName(QStringLiteral("lbl_PrinterHost"));
    page->addWidget(lbl_PrinterHost);
    auto* boxes = new QHBoxLayout;
    boxes->setSpacing(16);
    bill = makeBox(QStringLiteral("Bill"), QStringLiteral("帐单打印机"));
    kitchen = makeBox(QStringLiteral("Kitchen"), QStringLiteral("后厨打印机"));
    boxes->addWidget(bill.box);
    boxes->addWidget(kitchen.box);
    boxes->addStretch(1);
    page->addLayout(boxes);
    auto* hint = new QLabel(
        QStringLiteral("小票打印机地址：设备文件（如 /dev/usb/lp0）或网络打印机（如 192.168.1.100:9100，"
                       "不写端口时为 9100）。本机没有设置时使用系统打印机。"),
        this);
    hint->setWordWrap(true);
    page->addWidget(hint);
    page->addStretch(1);
    load();
}

PrinterSettingsPage::PrinterBox PrinterSettingsPage::makeBox(const QString& name, const QString& title) {
    PrinterBox b{};
    b.box = new QGroupBox(title, this);
    b.box->setObjectName(QStringLiteral("grp_%1Printer").arg(name));
    auto* grid = new QGridLayout(b.box);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);

    b.kind = new QComboBox(b.box);
    b.kind->setObjectName(QStringLiteral("cmb_%1Printer").arg(name));
    b.kind->addItems({kSystemPrinter, kReceiptPrinter});
    b.paper = new QComboBox(b.box);
    b.paper->setObjectName(QStringLiteral("cmb_%1Paper").arg(name));
    for (const int mm : kPapers)
        b.paper->addItem(paperText(mm), mm);
    b.columns = new QSpinBox(b.box);
    b.columns->setObjectName(QStringLiteral("spn_%1Columns").arg(name));
    b.columns->setRange(16, 64);
    b.address = new QLineEdit(b.box);
    b.address->setObjectName(QStringLiteral("edt_%1Address").arg(name));
    b.address->setMinimumWidth(220);
    b.address->setPlaceholderText(QStringLiteral("/dev/usb/lp0 或 192.168.1.100:9100"));
    b.cutter = new QCheckBox(QStringLiteral("自动切纸"), b.box);
    b.cutter->setObjectName(QStringLiteral("chk_%1Cutter").arg(name));
    b.test = makeButton(QStringLiteral("btn_%1Test").arg(name), QStringLiteral("测试打印"), b.box);

    int row = 0;
    for (const auto& [caption, control] : {std::pair<const char*, QWidget*>{"打印机：", b.kind},
                                           {"纸宽：", b.paper},
                                           {"每行字数：", b.columns},
                                           {"地址：", b.address}}) {
        grid->addWidget(captionLabel(QString::fromUtf8(caption), b.box), row, 0);
        grid->addWidget(control, row++, 1);
    }
    grid->addWidget(b.cutter, row++, 1);
    grid->addWidget(b.test, row, 1, Qt::AlignLeft);

    PrinterBox* self = name == QLatin1String("Bill") ? &bill : &kitchen;
    connect(b.kind, &QComboBox::currentIndexChanged, this, [this, self] { enableFor(*self); });
    // A paper width brings its columns; they can be changed after.
    connect(b.paper, &QComboBox::activated, this, [self](int index) {
        self->columns->setValue(defaultColumns(self->paper->itemData(index).toInt()));
    });
    connect(b.test, &QPushButton::clicked, this, guard([this, self] { testPrint(*self); }));
    return b;
}

void PrinterSettingsPage::showPrinter(PrinterBox& box, const DeskPrinter& printer) {
    box.kind->setCurrentIndex(printer.receipt() ? 1 : 0);
    box.paper->setCurrentIndex(box.paper->findData(printer.paperMm));
    box.columns->setValue(printer.columns);
    box.address->setText(printer.address);
    box.cutter->setChecked(printer.cutter);
    enableFor(box);
}

void PrinterSettingsPage::enableFor(PrinterBox& box) {
    const bool receipt = box.kind->currentIndex() == 1;
    for (QWidget* w :
         std::initializer_list<QWidget*>{box.paper, box.columns, box.address, box.cutter, box.test})
        w->setEnabled(receipt);
}

DeskPrinter PrinterSettingsPage::printerOf(const PrinterBox& box) const {
    DeskPrinter p;
    p.kind = box.kind->currentIndex() == 1 ? PrinterKind::Receipt : PrinterKind::System;
    p.paperMm = box.paper->currentData().toInt();
    p.columns = box.columns->value();
    p.address = box.address->text().trimmed();
    p.cutter = box.cutter->isChecked();
    return p;
}

DeskPrinters PrinterSettingsPage::shown() const {
    return {printerOf(bill), printerOf(kitchen)};
}

void PrinterSettingsPage::load() {
    lbl_PrinterHost->setText(QStringLiteral("本机：") + deskHostName());
    const DeskPrinters printers = deskPrinters(dm_->database());
    showPrinter(bill, printers.bill);
    showPrinter(kitchen, printers.kitchen);
}

bool PrinterSettingsPage::addressUsable(const PrinterBox& box) {
    const DeskPrinter p = printerOf(box);
    if (!p.receipt() || parseReceiptAddress(p.address).valid) return true;
    inform(QStringLiteral("请输入正确的小票打印机地址！"));
    box.address->setFocus();
    box.address->selectAll();
    return false;
}

bool PrinterSettingsPage::save() {
    if (!addressUsable(bill) || !addressUsable(kitchen)) return false;
    const DeskPrinters printers = shown();
    db::inTransaction(dm_->database(), QStringLiteral("B100014"),
                      [&] { storeDeskPrinters(dm_->database(), deskHostName(), printers); });
    return true;
}

void PrinterSettingsPage::testPrint(const PrinterBox& box) {
    if (!addressUsable(box)) return;
    const DeskPrinter p = printerOf(box);
    printReceipt(p, testReceipt(dm_->setup.text(QStringLiteral("user_name")), p, Clock::now()));
}

} // namespace kx::frontdesk
