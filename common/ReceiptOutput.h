#pragma once
// Where the bytes of a receipt go: a receipt printer's device file ("/dev/usb/lp0") or a
// network printer "host[:port]" (the raw port 9100 when none is given), written within a time
// limit so that a printer that is off or unplugged holds the cashier a few seconds at most.
#include <QByteArray>
#include <QString>

namespace kx {

// How long a receipt may take to go out, connecting included.
inline constexpr int kReceiptTimeoutMs = 3000;
inline constexpr quint16 kReceiptPort = 9100;

// An address as the settings hold it.
struct ReceiptAddress {
    bool valid = false;
    bool device = false; // a device file; else a network printer
    QString path;        // the device file
    QString host;        // the network printer
    quint16 port = kReceiptPort;
};
// A path starting with "/" is a device file; anything else is "host", "host:port" or
// "[v6 address]:port". Empty text, an empty host or a port outside 1–65535 is not valid.
ReceiptAddress parseReceiptAddress(const QString& text);

// Writes all of `bytes` to the printer at `address` within `timeoutMs`. A device file must
// exist (nothing is created). False when not everything went out; `why` then says what failed.
bool sendToReceiptPrinter(const QString& address, const QByteArray& bytes, QString* why = nullptr,
                          int timeoutMs = kReceiptTimeoutMs);

// The message a receipt that could not be printed shows.
QString receiptPrinterFailure(const QString& address);

} // namespace kx
