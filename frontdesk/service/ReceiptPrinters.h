#pragma once
// The printers of this front desk. Printers belong to a machine, not to the shared settings
// row: PrinterList holds one row per machine, by its host name, with the bill printer and the
// kitchen printer. Each is the system's printer (the page driver, with the print preview) or a
// receipt printer driven directly (ESC/POS on a device file or a network address). A machine
// without a row prints on the system's printers. The row is read when something is printed, so
// a change saved on the settings page counts at the next print.
#include "Receipt.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace kx::frontdesk {

enum class PrinterKind { System, Receipt };

inline const QString kSystemPrinter = QStringLiteral("系统打印机");
inline const QString kReceiptPrinter = QStringLiteral("小票打印机");

// The columns of a roll unless set otherwise: 32 on 58 mm, 48 on 80 mm.
int defaultColumns(int paperMm);

struct DeskPrinter {
    PrinterKind kind = PrinterKind::System;
    int paperMm = 80;
    int columns = 48;
    QString address; // "/dev/usb/lp0", "192.168.1.60", "kitchen:9100"
    bool cutter = false;
    bool receipt() const { return kind == PrinterKind::Receipt; }
    bool operator==(const DeskPrinter&) const = default;
};

struct DeskPrinters {
    DeskPrinter bill;
    DeskPrinter kitchen;
    bool operator==(const DeskPrinters&) const = default;
};

// The name of this machine, the key of its row.
QString deskHostName();

// The printers of `host`; both the system's printer when it has no row.
DeskPrinters loadDeskPrinters(QSqlDatabase db, const QString& host);
// This desk's printers.
DeskPrinters deskPrinters(QSqlDatabase db);
// Writes the row of `host` (made when it is not there yet); the caller holds the transaction.
void storeDeskPrinters(QSqlDatabase db, const QString& host, const DeskPrinters& printers);

// Sends the receipt as ESC/POS to a receipt printer. A failure shows "小票打印机[address]不能
// 打印，请检查打印机！"; true only when every byte went out.
bool printReceipt(const DeskPrinter& printer, const Receipt& receipt);

// The test receipt of "测试打印": the venue's name, a ruler of the printer's columns, and a line
// of Chinese and digits with its amount on the last column.
Receipt testReceipt(const QString& venueName, const DeskPrinter& printer, const QDateTime& at);

} // namespace kx::frontdesk
