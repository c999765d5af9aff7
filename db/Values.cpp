#include "Values.h"

#include "Errors.h"

#include <cfenv>
#include <cmath>

namespace kx {

QString toDbDateTime(const QDateTime& dt) {
    if (!dt.isValid()) return QString();
    return dt.toString(QString::fromLatin1(kDbDateTimeFormat));
}

QString toDbDate(const QDate& d) {
    if (!d.isValid()) return QString();
    return d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
}

QDateTime fromDbDateTime(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return QDateTime();
    static const char* formats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss",
                                    "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm", "yyyy-MM-dd H:mm:ss",
                                    "yyyy-MM-dd"};
    for (const char* f : formats) {
        QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(f));
        if (dt.isValid()) return dt;
    }
    return QDateTime();
}

QString showDate(const QDate& d) { return d.toString(QString::fromLatin1(kShowDateFormat)); }

QString showDateTime(const QDateTime& dt) { return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

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
