// Date-times in their stored text form: read, written, and read the same as Qt's own parser.
#include "Errors.h"
#include "QtPrinters.h"
#include "Values.h"

#include <gtest/gtest.h>

namespace {

// Qt's general parser over the forms the stored text may take: what every reading must agree with.
QDateTime qtParse(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return QDateTime();
    for (const char* f :
         {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz",
          "yyyy-MM-dd HH:mm", "yyyy-MM-dd H:mm:ss", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(f));
        if (dt.isValid()) return dt;
    }
    return QDateTime();
}

QString stored(const QDate& d, int secondOfDay) {
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                             secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
}

struct ReadCase {
    const char* text;
    int year, month, day, hour, minute, second, msec;
};

const ReadCase kReadable[] = {
    {"2026-01-02 00:00:00", 2026, 1, 2, 0, 0, 0, 0},
    {"2026-01-02 23:59:59", 2026, 1, 2, 23, 59, 59, 0},
    {"2026-01-31 12:30:00", 2026, 1, 31, 12, 30, 0, 0},
    {"2026-04-30 12:30:00", 2026, 4, 30, 12, 30, 0, 0},
    {"2024-02-29 08:00:00", 2024, 2, 29, 8, 0, 0, 0},
    {"2000-02-29 08:00:00", 2000, 2, 29, 8, 0, 0, 0},
    {"1899-12-30 18:30:00", 1899, 12, 30, 18, 30, 0, 0}, // a time band: the time alone counts
    {"9999-12-31 23:59:59", 9999, 12, 31, 23, 59, 59, 0},
    {" \t2026-01-02 10:20:30\n", 2026, 1, 2, 10, 20, 30, 0},
    // the other forms Qt's driver, older files and typed text leave behind
    {"2026-01-02T10:20:30.456", 2026, 1, 2, 10, 20, 30, 456},
    {"2026-01-02T10:20:30", 2026, 1, 2, 10, 20, 30, 0},
    {"2026-01-02 10:20:30.007", 2026, 1, 2, 10, 20, 30, 7},
    {"2026-01-02 10:20", 2026, 1, 2, 10, 20, 0, 0},
    {"2026-01-02 9:05:07", 2026, 1, 2, 9, 5, 7, 0},
    {"2026-01-02", 2026, 1, 2, 0, 0, 0, 0},
};

const char* const kUnreadable[] = {
    "2026-04-31 12:30:00",
    "2026-02-29 08:00:00",
    "1900-02-29 08:00:00",
    "0000-01-01 00:00:00",
    "",
    "   ",
    "2026-13-01 10:00:00",
    "2026-00-10 10:00:00",
    "2026-01-00 10:00:00",
    "2026-01-01 24:00:00",
    "2026-01-01 10:60:00",
    "2026-01-01 10:00:60",
    "2026-01-01 1O:00:00",
    "abcd-ef-gh ij:kl:mn",
    "2026.01.01 10:00:00",
    "2026-01-01 10:00:00 x",
    "今天",
    "2026-02-30",
    "2026-01-02T10:20",
    "2026-01-02T9:05:07",
    "2026-01-02 10:20:30.45",
};

TEST(DbDateTime, ReadsEachStoredForm) {
    for (const ReadCase& c : kReadable) {
        SCOPED_TRACE(c.text);
        const QDateTime expected(QDate(c.year, c.month, c.day), QTime(c.hour, c.minute, c.second, c.msec));
        const QDateTime dt = kx::fromDbDateTime(QString::fromUtf8(c.text));
        EXPECT_EQ(dt, expected);
        EXPECT_EQ(dt.date(), expected.date());
        EXPECT_EQ(dt.time(), expected.time());
        EXPECT_EQ(dt.timeSpec(), Qt::LocalTime);
        EXPECT_EQ(kx::parseDateTime(QString::fromUtf8(c.text)), expected);
    }
}

TEST(DbDateTime, RefusesWhatIsNoDateTime) {
    for (const char* text : kUnreadable) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(kx::fromDbDateTime(QString::fromUtf8(text)).isValid());
        EXPECT_THROW(kx::parseDateTime(QString::fromUtf8(text)), kx::ConversionError);
    }
}

TEST(DbDateTime, WritesTheStoredFormToTheSecond) {
    const struct {
        QDateTime value;
        const char* text;
    } cases[] = {
        {QDateTime(QDate(2026, 1, 2), QTime(0, 0)), "2026-01-02 00:00:00"},
        {QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)), "2026-12-31 23:59:59"}, // cut, not rounded
        {QDateTime(QDate(1899, 12, 30), QTime(7, 5, 3)), "1899-12-30 07:05:03"},
        {QDateTime(QDate(1, 1, 1), QTime(0, 0)), "0001-01-01 00:00:00"},
        {QDateTime(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(kx::toDbDateTime(c.value), c.text);
        EXPECT_EQ(kx::showDateTime(c.value), c.text);
        if (c.value.isValid()) {
            EXPECT_EQ(kx::toDbValue(c.value), QVariant(QString::fromLatin1(c.text)));
        }
    }
    EXPECT_EQ(kx::toDbDate(QDate(2024, 2, 29)), "2024-02-29 00:00:00");
    EXPECT_EQ(kx::toDbDate(QDate()), "");
    EXPECT_EQ(kx::showDate(QDate(2026, 3, 4)), "2026-03-04");
    EXPECT_EQ(kx::showDate(QDate()), "");
}

TEST(DbDateTime, StoredTextSurvivesAReadAndAWriteOverManyValues) {
    int checked = 0;
    for (QDate d(1899, 12, 30); d.year() <= 2100; d = d.addDays(13)) {
        // a different second of the day each time, midnight and the last second among them
        for (int s : {0, 86399, int((d.toJulianDay() * 7919) % 86400)}) {
            const QString text = stored(d, s);
            if (!QDateTime(d, QTime::fromMSecsSinceStartOfDay(s * 1000)).isValid())
                continue; // the clocks skip it
            ASSERT_EQ(kx::toDbDateTime(kx::fromDbDateTime(text)), text);
            ++checked;
        }
        ASSERT_EQ(kx::toDbDate(d), stored(d, 0));
    }
    EXPECT_GT(checked, 15000);
}

TEST(DbDateTime, ReadsExactlyAsQtsParserDoes) {
    QStringList sample;
    for (const ReadCase& c : kReadable)
        sample << QString::fromUtf8(c.text);
    for (const char* text : kUnreadable)
        sample << QString::fromUtf8(text);
    // Texts a little off the stored form, which Qt's parser decides on.
    sample << "2026-1-2 10:00:00"
           << "2026-01-02 1:00"
           << "2026-01-02 10:0:00"
           << "02026-01-02 10:00:00"
           << "2026-01-02  10:00:00"
           << "2026-01-02T10:00:00Z"
           << "2026-01-02 10:00:00.1234"
           << "2026-01-02t10:00:00"
           << "2026-01-02 ١٠:00:00"
           << "2026-01-02 10:00:00.";
    // Local times around clock changes (US 2026, China 1991, Brazil at midnight 2018, Samoa's
    // skipped day 2011): ordinary under UTC, skipped or doubled under those zones.
    sample << "2026-03-08 02:30:00"
           << "2026-11-01 01:30:00"
           << "1991-04-14 02:30:00"
           << "1991-09-15 01:30:00"
           << "2018-11-04"
           << "2018-11-04 00:30:00"
           << "2018-11-04 00:30"
           << "2011-12-30"
           << "2011-12-30 12:00:00";
    for (QDate d(1970, 1, 1); d.year() < 2040; d = d.addDays(97))
        sample << stored(d, int(d.toJulianDay() % 86400));
    for (const QString& text : sample) {
        SCOPED_TRACE(text.toStdString());
        const QDateTime expected = qtParse(text);
        const QDateTime dt = kx::fromDbDateTime(text);
        ASSERT_EQ(dt.isValid(), expected.isValid());
        if (!expected.isValid()) continue;
        EXPECT_EQ(dt.toMSecsSinceEpoch(), expected.toMSecsSinceEpoch());
        EXPECT_EQ(dt.date(), expected.date());
        EXPECT_EQ(dt.time(), expected.time());
        EXPECT_EQ(dt.timeSpec(), expected.timeSpec());
        EXPECT_EQ(dt.offsetFromUtc(), expected.offsetFromUtc());
    }
}

} // namespace
