// Fields of the CSV files a spreadsheet opens: quoted where they must be, numbers and times
// plain, and a text that a spreadsheet would run as a formula kept as text.
#include "Csv.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

TEST(Csv, FieldsAreWrittenAsASpreadsheetReadsThem) {
    const struct {
        QVariant value;
        const char* written;
    } cases[] = {
        {QStringLiteral("鸡蛋"), "鸡蛋"},
        {QStringLiteral("a,b"), "\"a,b\""},
        {QStringLiteral("说\"好\""), "\"说\"\"好\"\"\""},
        {QStringLiteral("两\n行"), "\"两\n行\""},
        {QStringLiteral("=1+1"), "'=1+1"},
        {QStringLiteral("+86"), "'+86"},
        {QStringLiteral("-3"), "'-3"},
        {QStringLiteral("@SUM(A1)"), "'@SUM(A1)"},
        {QStringLiteral("=a,b"), "\"'=a,b\""},
        {QVariant(-3), "-3"},
        {QVariant(12.5), "12.5"},
        {QVariant(10.0), "10"},
        {QVariant(-0.05), "-0.05"},
        {QVariant(QDateTime(QDate(2026, 12, 9), QTime(9, 5, 7))), "2026-12-09 09:05:07"},
        {QVariant(QDate(2026, 1, 2)), "2026-01-02"},
        {QVariant(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(kx::csvField(c.value), QString::fromUtf8(c.written)) << c.written;
}

TEST(Csv, TheFileStartsWithTheByteOrderMarkAndEndsEachRecordWithCrLf) {
    const QByteArray bytes = kx::csvBytes({QStringLiteral("编码"), QStringLiteral("数量")},
                                          {{QStringLiteral("4001"), 2}, {QStringLiteral("4002"), 0.5}});
    EXPECT_EQ(bytes, QByteArray("\xEF\xBB\xBF") + QStringLiteral("编码,数量\r\n4001,2\r\n4002,0.5\r\n").toUtf8());
}

} // namespace
