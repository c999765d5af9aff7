#pragma once
// What a numeric entry of either program accepts. Digits, at most one point and no more decimals
// than the field keeps are typed; anything else is dropped as the key is pressed. A keystroke
// that would take the value past the field's range is refused with a message, so a value no
// field can hold (and no amount edit could pay) is never typed, let alone stored.
#include <QString>
#include <QValidator>

class QLineEdit;

namespace kx {

struct NumberRange {
    double max = 0;   // the largest value (the smallest is 0)
    int decimals = 0; // places after the point; 0 for whole numbers
    int maxLength = 0; // characters at most (0: as many as the range needs)
};

// The ranges of the fields the cashier and the manager type.
namespace ranges {
// An order quantity (two places, as the order line keeps it).
inline constexpr NumberRange quantity{9999.99, 2};
// A unit price of an item.
inline constexpr NumberRange price{999999.99, 2};
// An amount paid, received or counted (the payment edits take 7 characters).
inline constexpr NumberRange amount{9999999.99, 2};
// A number of guests.
inline constexpr NumberRange guests{999, 0};
} // namespace ranges

// The message of a refused value.
QString outOfRangeMessage(const NumberRange& range);
// The largest value of the range as the message writes it ("9999.99", "999").
QString rangeMaxText(const NumberRange& range);

class NumberValidator : public QValidator {
public:
    NumberValidator(const NumberRange& range, QObject* parent);
    State validate(QString& input, int& pos) const override;
    const NumberRange& range() const { return range_; }

private:
    void tellLater() const;
    NumberRange range_;
    mutable bool telling_ = false;
};

// Puts the validator on the edit; the edit's own maximum length is lifted so that a digit too
// many is refused with the message instead of vanishing silently.
void limitNumberEntry(QLineEdit* edit, const NumberRange& range);

} // namespace kx
