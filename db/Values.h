#pragma once
// Value conventions shared by every part of the system: how dates, times and money are
// written to the database, shown and rounded.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace kx {

// Date-times are stored as text "yyyy-MM-dd HH:mm:ss" so text order is time order.
inline constexpr const char* kDbDateTimeFormat = "yyyy-MM-dd HH:mm:ss";
// Dates are shown and typed as "yyyy-mm-dd" (Qt spelling yyyy-MM-dd).
inline constexpr const char* kShowDateFormat = "yyyy-MM-dd";

QString toDbDateTime(const QDateTime& dt);
// The whole business days from `first` to `last` as the two bound values of
// "col >= ? AND col < ?": [first 00:00, the day after last 00:00).
inline QVariantList wholeDays(const QDate& first, const QDate& last) {
    return {QDateTime(first, QTime(0, 0)), QDateTime(last.addDays(1), QTime(0, 0))};
}
QString toDbDate(const QDate& d); // the date at midnight, in the stored form
// Reads the stored form (and the forms Qt or a user may have written: ISO 'T', date alone).
// An empty or unreadable text gives an invalid QDateTime.
QDateTime fromDbDateTime(const QString& text);
QString showDate(const QDate& d);
QString showDateTime(const QDateTime& dt);
// Parses a typed date or date-time; throws ConversionError when it is not one.
QDateTime parseDateTime(const QString& text);
// Parses a typed number ("" is 0); throws ConversionError when it is not one.
double parseNumber(const QString& text);

// Rounds to `places` decimals, halves to even (banker's rounding), as the bill rounds.
double roundHalfEven(double value, int places = 0);
// Money text with two decimals, halves to even.
QString money(double value);

// A value ready to bind to a statement: date-times become stored text, booleans 0/1,
// QDate becomes the date at midnight. Everything else passes unchanged.
QVariant toDbValue(const QVariant& v);

} // namespace kx
