#include "ReceiptPrinters.h"

#include "Prompter.h"
#include "ReceiptOutput.h"
#include "Sql.h"

#include <QSqlQuery>
#include <QSysInfo>

namespace kx::frontdesk {

namespace {

const char* const kKindSystem = "1";
const char* const kKindReceipt = "2";

// The columns of one printer in PrinterList: bill_prin_… or kitc_prin_….
QString columnsOf(const char* printer) {
    return QStringLiteral("%1_prin_type, %1_prin_widt, %1_prin_colu, %1_prin_addr, %1_prin_cut")
        .arg(QLatin1String(printer));
}

DeskPrinter printerAt(const QSqlQuery& q, int first) {
    DeskPrinter p;
    p.kind =
        q.value(first).toString() == QLatin1String(kKindReceipt) ? PrinterKind::Receipt : PrinterKind::System;
    p.paperMm = q.value(first + 1).toInt() == 58 ? 58 : 80;
    p.columns = q.value(first + 2).toInt();
    if (p.columns <= 0) p.columns = defaultColumns(p.paperMm);
    p.address = q.value(first + 3).toString().trimmed();
    p.cutter = db::variantToBool(q.value(first + 4));
    return p;
}

QVariantList valuesOf(const DeskPrinter& p) {
    return {QString::fromLatin1(p.receipt() ? kKindReceipt : kKindSystem), p.paperMm, p.columns,
            p.address.trimmed(), p.cutter ? 1 : 0};
}

} // namespace

int defaultColumns(int paperMm) {
    return paperMm <= 58 ? 32 : 48;
}

QString deskHostName() {
    const QString name = QSysInfo::machineHostName();
    return name.isEmpty() ? QStringLiteral("localhost") : name;
}

DeskPrinters loadDeskPrinters(QSqlDatabase db, const QString& host) {
    QSqlQuery q = db::run(db,
                          QStringLiteral("SELECT %1, %2 FROM PrinterList WHERE prin_host = ?")
                              .arg(columnsOf("bill"), columnsOf("kitc")),
                          {host});
    DeskPrinters printers;
    if (q.next()) {
        printers.bill = printerAt(q, 0);
        printers.kitchen = printerAt(q, 5);
    }
    return printers;
}

DeskPrinters deskPrinters(QSqlDatabase db) {
    return loadDeskPrinters(db, deskHostName());
}

void storeDeskPrinters(QSqlDatabase db, const QString& host, const DeskPrinters& printers) {
    const QVariantList values = valuesOf(printers.bill) + valuesOf(printers.kitchen);
    QString assignments;
    for (const char* printer : {"bill", "kitc"})
        for (const char* column : {"type", "widt", "colu", "addr", "cut"})
            assignments +=
                (assignments.isEmpty() ? QString() : QStringLiteral(", ")) +
                QStringLiteral("%1_prin_%2 = ?").arg(QLatin1String(printer), QLatin1String(column));
    if (db::exec(db, QStringLiteral("UPDATE PrinterList SET %1 WHERE prin_host = ?").arg(assignments),
                 values + QVariantList{host}) > 0)
        return;
    db::exec(
        db,
        QStringLiteral("INSERT INTO PrinterList (prin_host, %1, %2) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(columnsOf("bill"), columnsOf("kitc")),
        QVariantList{host} + values);
}

bool printReceipt(const DeskPrinter& printer, const Receipt& receipt) {
    if (sendToReceiptPrinter(printer.address, escPos(receipt, printer.cutter))) return true;
    inform(receiptPrinterFailure(printer.address));
    return false;
}

Receipt testReceipt(const QString& venueName, const DeskPrinter& printer, const QDateTime& at) {
    Receipt r(printer.columns, QStringLiteral("测试打印"));
    r.text(venueName, ReceiptAlign::Centre, {.bold = true, .large = true});
    r.text(QStringLiteral("测试打印"), ReceiptAlign::Centre, {.bold = true});
    r.rule();
    // The ruler: the last digit of every column, the tens above it.
    QString tens, ones;
    for (int c = 1; c <= printer.columns; ++c) {
        tens += c % 10 == 0 ? QString::number(c / 10 % 10) : QStringLiteral(" ");
        ones += QString::number(c % 10);
    }
    r.text(tens);
    r.text(ones);
    r.rule();
    r.pair(QStringLiteral("宫保鸡丁 2份×38.00"), QStringLiteral("76.00"));
    r.pair(QStringLiteral("可乐Coke 3"), QStringLiteral("18.00"));
    r.pair(QStringLiteral("合计"), QStringLiteral("94.00"), {.bold = true});
    r.rule();
    r.text(QStringLiteral("纸宽：%1mm  每行字数：%2").arg(printer.paperMm).arg(printer.columns));
    r.text(QStringLiteral("地址：") + printer.address);
    r.text(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    return r;
}

} // namespace kx::frontdesk
