#include "Values.h"

#include "Errors.h"

#include <cfenv>
#include <cmath>
#include <optional>

namespace kx {

namespace {

// The stored form is read and written by hand: Qt's format parser consults the time zone
// several times per call (tens of microseconds), and every date-time a dataset reads passes
// through here. Only the QDateTime constructor below still resolves the local offset (with TZ
// unset, glibc checks /etc/localtime on every such resolution: a few microseconds).

// `n` ASCII digits from `s`, or -1 when one of them is not a digit.
int readDigits(const QChar* s, int n) {
    int value = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool is(const QChar* s, int i, char16_t c) {
    return s[i].unicode() == c;
}

// Reads the forms the layer writes or Qt's driver and older files hold:
//   yyyy-MM-dd                 yyyy-MM-dd HH:mm          yyyy-MM-dd H:mm:ss
//   yyyy-MM-dd HH:mm:ss        yyyy-MM-ddTHH:mm:ss
//   yyyy-MM-dd HH:mm:ss.zzz    yyyy-MM-ddTHH:mm:ss.zzz
// Nothing when the text has none of these shapes; otherwise the date-time, invalid when a field
// is out of range (month 13, 29 February of a common year, hour 24, minute 60).
std::optional<QDateTime> readStoredForm(QStringView t) {
    const int n = int(t.size());
    if (n != 10 && n != 16 && n != 18 && n != 19 && n != 23) return std::nullopt;
    const QChar* s = t.data();
    const int year = readDigits(s, 4), month = readDigits(s + 5, 2), day = readDigits(s + 8, 2);
    if (year < 0 || month < 0 || day < 0 || !is(s, 4, u'-') || !is(s, 7, u'-')) return std::nullopt;
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (n > 10) {
        const bool isoT = is(s, 10, u'T');
        if (!is(s, 10, u' ') && !(isoT && (n == 19 || n == 23))) return std::nullopt;
        const int h = n == 18 ? 1 : 2; // the H:mm:ss form has a one-digit hour
        hour = readDigits(s + 11, h);
        minute = readDigits(s + 12 + h, 2);
        if (hour < 0 || minute < 0 || !is(s, 11 + h, u':')) return std::nullopt;
        if (n >= 18) {
            second = readDigits(s + 15 + h, 2);
            if (second < 0 || !is(s, 14 + h, u':')) return std::nullopt;
        }
        if (n == 23) {
            msec = readDigits(s + 20, 3);
            if (msec < 0 || !is(s, 19, u'.')) return std::nullopt;
        }
    }
    if (!QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second, msec)) return QDateTime();
    // Local time, as Qt's parser gives it: a date alone is the start of its day (01:00 where the
    // clocks skip midnight); a time the clocks skip is invalid.
    const QDate date(year, month, day);
    return n == 10 ? date.startOfDay() : QDateTime(date, QTime(hour, minute, second, msec));
}

void putDigits(char16_t*& p, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char16_t(u'0' + value % 10);
        value /= 10;
    }
    p += width;
}

// "yyyy-MM-dd" and, with a time, " HH:mm:ss" (milliseconds dropped). Years outside 1..9999
// do not fit four digits and go through Qt's formatter.
QString formatDateTime(const QDate& d, const QTime* t) {
    const int year = d.year();
    if (year < 1 || year > 9999) {
        const QString date = d.toString(QString::fromLatin1(kShowDateFormat));
        return t ? date + QLatin1Char(' ') + t->toString(QStringLiteral("HH:mm:ss")) : date;
    }
    QString text(t ? 19 : 10, Qt::Uninitialized);
    char16_t* p = reinterpret_cast<char16_t*>(text.data());
    putDigits(p, year, 4);
    *p++ = u'-';
    putDigits(p, d.month(), 2);
    *p++ = u'-';
    putDigits(p, d.day(), 2);
    if (t) {
        *p++ = u' ';
        putDigits(p, t->hour(), 2);
        *p++ = u':';
        putDigits(p, t->minute(), 2);
        *p++ = u':';
        putDigits(p, t->second(), 2);
    }
    return text;
}

} // namespace

QString toDbDateTime(const QDateTime& dt) {
    if (!dt.isValid()) return QString();
    const QTime t = dt.time();
    return formatDateTime(dt.date(), &t);
}

QString toDbDate(const QDate& d) {
    if (!d.isValid()) return QString();
    static const QTime midnight(0, 0);
    return formatDateTime(d, &midnight);
}

QDateTime fromDbDateTime(const QString& text) {
    const QStringView t = QStringView(text).trimmed();
    if (t.isEmpty()) return QDateTime();
    if (const std::optional<QDateTime> dt = readStoredForm(t)) return *dt;
    // Anything else: Qt's parser with the same forms, which tolerates a little more.
    static const char* formats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss",
                                    "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm", "yyyy-MM-dd H:mm:ss",
                                    "yyyy-MM-dd"};
    const QString s = t.toString();
    for (const char* f : formats) {
        const QDateTime dt = QDateTime::fromString(s, QString::fromLatin1(f));
        if (dt.isValid()) return dt;
    }
    return QDateTime();
}

QString showDate(const QDate& d) {
    return d.isValid() ? formatDateTime(d, nullptr) : QString();
}

QString showDateTime(const QDateTime& dt) {
    return toDbDateTime(dt);
}

QDateTime parseDateTime(const QString& text) {
    QDateTime dt = fromDbDateTime(text);
    if (!dt.isValid()) {
        static const char* more[] = {"yyyy-M-d H:mm:ss", "yyyy-M-d H:mm", "yyyy-M-d", "yyyy/M/d H:mm:ss",
                                     "yyyy/M/d"};
        for (const char* f : more) {
            dt = QDateTime::fromString(text.trimmed(), QString::fromLatin1(f));
            if (dt.isValid()) break;
        }
    }
    if (!dt.isValid()) throw ConversionError(ConversionError::DateTime, text);
    return dt;
}

double parseNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return 0.0;
    bool ok = false;
    double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) throw ConversionError(ConversionError::Number, text);
    return v;
}

double roundHalfEven(double value, int places) {
    if (!std::isfinite(value)) return value;
    const double scale = std::pow(10.0, places);
    double scaled = value * scale;
    // Remove the binary noise of the multiplication (2.675 * 100 = 267.49999…) before
    // deciding on a half, so a value that reads as an exact half rounds as one.
    const double cleaned = std::round(scaled * 1e6) / 1e6;
    if (std::fabs(cleaned - scaled) < 1e-6 * std::max(1.0, std::fabs(scaled))) scaled = cleaned;
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    double r = std::nearbyint(scaled);
    std::fesetround(previous);
    r = r / scale;
    return r == 0.0 ? 0.0 : r; // no negative zero
}

QString money(double value) { return QString::number(roundHalfEven(value, 2), 'f', 2); }

QVariant toDbValue(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QVariant();
    switch (v.typeId()) {
    case QMetaType::QDateTime: return toDbDateTime(v.toDateTime());
    case QMetaType::QDate: return toDbDate(v.toDate());
    case QMetaType::Bool: return v.toBool() ? 1 : 0;
    default: return v;
    }
}

} // namespace kx
