// Where a receipt's bytes go: a network printer (a QTcpServer stands in for it), a device file
// (a temporary file stands in), and what happens when neither takes them.
#include "ReceiptOutput.h"
#include "QtPrinters.h"
#include "ReceiptPeers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

QByteArray sample() {
    QByteArray b("\x1B@\x1C&\xBA\xCF\xBC\xC6\n", 9);
    for (int i = 0; i < 2000; ++i)
        b += "\xB9\xAC\xB1\xA3\xBC\xA6\xB6\xA1 38.00\n";
    return b + "\x1D"
               "V\x01";
}

TEST(ReceiptOutput, ANetworkPrinterReceivesExactlyTheStream) {
    kx::test::PrinterPeer peer;
    const QByteArray bytes = sample();
    QString why;
    ASSERT_TRUE(kx::sendToReceiptPrinter(peer.address(), bytes, &why)) << why.toStdString();
    EXPECT_EQ(peer.received(), bytes);
}

TEST(ReceiptOutput, ADeviceFileReceivesTheBytesAndIsNeverMade) {
    QTemporaryFile device;
    ASSERT_TRUE(device.open());
    const QByteArray bytes = sample();
    ASSERT_TRUE(kx::sendToReceiptPrinter(device.fileName(), bytes));
    EXPECT_EQ(device.readAll(), bytes);

    QTemporaryDir dir;
    const QString missing = dir.path() + QStringLiteral("/lp0");
    QString why;
    EXPECT_FALSE(kx::sendToReceiptPrinter(missing, bytes, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(QFile::exists(missing));
}

TEST(ReceiptOutput, APrinterThatRefusesOrHasNoAddressFails) {
    const QString refused = kx::test::refusingAddress();
    QElapsedTimer t;
    t.start();
    QString why;
    EXPECT_FALSE(kx::sendToReceiptPrinter(refused, sample(), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_FALSE(kx::sendToReceiptPrinter(QString(), sample()));
    EXPECT_EQ(kx::receiptPrinterFailure(QStringLiteral(" 192.168.1.60 ")),
              QStringLiteral("小票打印机[192.168.1.60]不能打印，请检查打印机！"));
}

TEST(ReceiptOutput, AnAddressIsADeviceFileOrAHostWithItsPort) {
    const struct {
        const char* text;
        bool valid;
        bool device;
        const char* host;
        quint16 port;
    } cases[] = {
        {"/dev/usb/lp0", true, true, "", 9100},
        {"192.168.1.60", true, false, "192.168.1.60", 9100},
        {" kitchen:9101 ", true, false, "kitchen", 9101},
        {"[fe80::1]:9102", true, false, "fe80::1", 9102},
        {"[fe80::1]", true, false, "fe80::1", 9100},
        {"fe80::1", true, false, "fe80::1", 9100},
        {"kitchen:0", false, false, "", 9100},
        {"kitchen:99999", false, false, "", 9100},
        {"kitchen:abc", false, false, "", 9100},
        {":9100", false, false, "", 9100},
        {"", false, false, "", 9100},
    };
    for (const auto& c : cases) {
        const kx::ReceiptAddress a = kx::parseReceiptAddress(QString::fromUtf8(c.text));
        EXPECT_EQ(a.valid, c.valid) << c.text;
        if (!a.valid) continue;
        EXPECT_EQ(a.device, c.device) << c.text;
        if (!a.device) {
            EXPECT_EQ(a.host, QString::fromUtf8(c.host)) << c.text;
            EXPECT_EQ(a.port, c.port) << c.text;
        }
    }
}

} // namespace
