// Receipts as a thermal printer prints them: GB18030 bytes and widths, lines that never run past
// the paper, and the ESC/POS stream with its control codes.
#include "Receipt.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace {

using kx::printedWidth;
using kx::Receipt;
using kx::ReceiptAlign;

int widest(const Receipt& r) {
    int most = 0;
    for (const kx::ReceiptLine& l : r.lines())
        most = std::max(most, r.widthOnPaper(l));
    return most;
}

TEST(Receipt, TextGoesOutInGb18030AndTakesTheColumnsOfItsBytes) {
    const struct {
        QString text;
        QByteArray bytes;
        int width;
    } cases[] = {
        {QStringLiteral("合计"), QByteArray("\xBA\xCF\xBC\xC6"), 4},
        {QStringLiteral("宫保鸡丁"), QByteArray("\xB9\xAC\xB1\xA3\xBC\xA6\xB6\xA1"), 8},
        {QStringLiteral("Coke"), QByteArray("Coke"), 4},
        {QStringLiteral("可乐Coke"), QByteArray("\xBF\xC9\xC0\xD6") + "Coke", 8},
        // Four bytes in GB18030: outside the printer's font.
        {QString::fromUcs4(U"\U0001F600"), QByteArray("?"), 1},
        {QString::fromUcs4(U"\u20AC5"), QByteArray("\xA2\xE3") + "5", 3}, // the euro sign has two bytes
        {QString::fromUcs4(U"\u00E9"), QByteArray("\xA8\xA6"), 2},        // é is in the font
        {QString::fromUcs4(U"A\u0E01B"), QByteArray("A?B"), 3},           // Thai is not
        {QStringLiteral("一\t二"), QByteArray("\xD2\xBB \xB6\xFE"), 5},   // a tab prints as a space
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kx::receiptBytes(c.text).toHex(' '), c.bytes.toHex(' ')) << c.text.toStdString();
        EXPECT_EQ(printedWidth(c.text), c.width) << c.text.toStdString();
    }
}

TEST(Receipt, LongTextWrapsAtACharacterBoundaryAndKeepsWordsWhole) {
    const struct {
        QString text;
        int columns;
        QStringList lines;
    } cases[] = {
        // Five columns hold two Chinese characters, never two and a half.
        {QStringLiteral("宫保鸡丁盖饭"), 5, {"宫保", "鸡丁", "盖饭"}},
        {QStringLiteral("A宫保鸡丁"), 4, {"A宫", "保鸡", "丁"}},
        {QStringLiteral("Golden Osmanthus Restaurant"), 12, {"Golden", "Osmanthus", "Restaurant"}},
        // A word longer than the line is cut where the line ends.
        {QStringLiteral("ABCDEFGHIJ"), 4, {"ABCD", "EFGH", "IJ"}},
        // Chinese text breaks between any two characters, an amount only before or after it.
        {QStringLiteral("消费合计-105  优惠合计-21"), 16, {"消费合计-105  优", "惠合计-21"}},
        {QStringLiteral("合计金额 105.00"), 12, {"合计金额", "105.00"}},
        {QString::fromUcs4(U"\U0001F600\U0001F600\U0001F600"), 2, {"??", "?"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kx::wrapPrinted(c.text, c.columns), c.lines) << c.text.toStdString();
}

TEST(Receipt, NoLineIsWiderThanThePaperAndAmountsEndOnTheLastColumn) {
    const QString longName = QStringLiteral("特级秘制金牌脆皮烤乳猪拼深海大龙虾刺身（时价）");
    for (const int columns : {32, 42, 48}) {
        Receipt r(columns);
        r.text(longName, ReceiptAlign::Centre, {.bold = true, .large = true});
        r.pair(longName, QStringLiteral("12888.00"));
        r.pair(QStringLiteral("合计"), QStringLiteral("105.00"), {.large = true});
        r.row({{longName, 0},
               {QStringLiteral("例份"), 4},
               {QStringLiteral("1288.00"), 8, ReceiptAlign::Right},
               {QStringLiteral("2"), 6, ReceiptAlign::Right},
               {QStringLiteral("2576.00"), 9, ReceiptAlign::Right}});
        r.rule();
        EXPECT_EQ(widest(r), columns);
        for (const kx::ReceiptLine& l : r.lines()) {
            const QString placed = r.placed(l);
            if (placed.endsWith(QStringLiteral(".00"))) {
                EXPECT_EQ(r.widthOnPaper(l), columns) << placed.toStdString();
            }
        }
        // The wrapped name loses nothing.
        QString names;
        for (const kx::ReceiptLine& l : r.lines())
            if (l.style.large && l.align == ReceiptAlign::Centre) names += l.text;
        EXPECT_EQ(names, longName);
    }
    // Cells that cannot share the line go one under the other.
    Receipt narrow(16);
    narrow.row({{QStringLiteral("鱼"), 0},
                {QStringLiteral("1288.00"), 8, ReceiptAlign::Right},
                {QStringLiteral("2576.00"), 9, ReceiptAlign::Right}});
    const QString nine(9, QLatin1Char(' '));
    EXPECT_EQ(narrow.plainText(),
              QStringLiteral("鱼\n") + nine + QStringLiteral("1288.00\n") + nine + QStringLiteral("2576.00"));
    EXPECT_LE(widest(narrow), 16);
}

TEST(Receipt, TheStreamSetsAlignmentBoldAndSizeWhereTheyChange) {
    Receipt r(32);
    r.text(QStringLiteral("帐单"), ReceiptAlign::Centre, {.bold = true});
    r.text(QStringLiteral("金桂园"), ReceiptAlign::Centre, {.bold = true, .large = true});
    r.pair(QStringLiteral("合计"), QStringLiteral("9.50"));
    r.text(QStringLiteral("谢谢"), ReceiptAlign::Right);
    const QByteArray expected =
        QByteArray("\x1B@\x1C&") // initialise, Chinese mode
        + "\x1B"
          "a\x01"
          "\x1B"
          "E\x01"
          "\xD5\xCA\xB5\xA5\n"                                      // centred, bold: 帐单
        + QByteArray("\x1D!\x11", 3) + "\xBD\xF0\xB9\xF0\xD4\xB0\n" // double size: 金桂园
        + QByteArray("\x1B"
                     "a\x00",
                     3) +
        QByteArray("\x1B"
                   "E\x00",
                   3) +
        QByteArray("\x1D!\x00", 3) + "\xBA\xCF\xBC\xC6" + QByteArray(24, ' ') + "9.50\n" +
        "\x1B"
        "a\x02"
        "\xD0\xBB\xD0\xBB\n" +
        QByteArray("\x1B"
                   "a\x00",
                   3) +
        "\x1B"
        "d\x04";
    EXPECT_EQ(kx::escPos(r, false).toHex(' '), expected.toHex(' '));
    // A printer with a cutter cuts after the feed.
    EXPECT_EQ(kx::escPos(r, true).toHex(' '), (expected + "\x1D"
                                                          "V\x01")
                                                  .toHex(' '));
}

} // namespace
