#pragma once
// The page "打印设置" of the cashier settings: this machine's bill printer and kitchen printer
// (PrinterList, one row per host name; ReceiptPrinters.h). Each is "系统打印机" or "小票打印机";
// a receipt printer has its paper width, its columns (32 on 58 mm and 48 on 80 mm unless
// changed), its address and whether it cuts. "测试打印" sends a test receipt to the receipt
// printer as the page shows it, saved or not.
//
// The page holds no dataset: load() reads this desk's row, save() checks what is shown and
// writes the row in one transaction. The settings screen shows the page in its host, calls
// load() whenever it opens the page and save() with its "保存回退".
#include "ReceiptPrinters.h"

#include <QFrame>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kx::frontdesk {

class TDMTable;

class PrinterSettingsPage : public QFrame {
    Q_OBJECT
  public:
    explicit PrinterSettingsPage(TDMTable* dm, QWidget* parent = nullptr);

    // Shows this desk's printers as stored (both "系统打印机" when the desk has no row).
    void load();
    // Stores what is shown in one transaction. A receipt printer without a usable address is
    // refused with a message and the focus on its address; nothing is stored then. True when
    // stored.
    bool save();

    // The printers as the page shows them.
    DeskPrinters shown() const;

    // The controls of one printer; objectNames "cmb_BillPrinter", "cmb_BillPaper",
    // "spn_BillColumns", "edt_BillAddress", "chk_BillCutter", "btn_BillTest" (and Kitchen).
    struct PrinterBox {
        QGroupBox* box;
        QComboBox* kind;
        QComboBox* paper;
        QSpinBox* columns;
        QLineEdit* address;
        QCheckBox* cutter;
        QPushButton* test;
    };
    QLabel* lbl_PrinterHost;
    PrinterBox bill;
    PrinterBox kitchen;

  private:
    PrinterBox makeBox(const QString& name, const QString& title);
    void showPrinter(PrinterBox& box, const DeskPrinter& printer);
    DeskPrinter printerOf(const PrinterBox& box) const;
    void enableFor(PrinterBox& box);
    // Refuses a receipt printer without a usable address; false (with the message) when refused.
    bool addressUsable(const PrinterBox& box);
    void testPrint(const PrinterBox& box);

    TDMTable* dm_;
};

} // namespace kx::frontdesk
