#include "NumberEntry.h"

#include "ErrorGuard.h"
#include "Prompter.h"

#include <QLineEdit>
#include <QPointer>

namespace kx {

QString rangeMaxText(const NumberRange& range) { return QString::number(range.max, 'f', range.decimals); }

QString outOfRangeMessage(const NumberRange& range) {
    return QStringLiteral("输入的数值超出允许的范围[0-") + rangeMaxText(range) + QStringLiteral("]，请重新输入！");
}

NumberValidator::NumberValidator(const NumberRange& range, QObject* parent) : QValidator(parent), range_(range) {}

QValidator::State NumberValidator::validate(QString& input, int&) const {
    if (input.isEmpty()) return Acceptable;
    int points = 0, decimals = 0;
    for (QChar c : input) {
        if (c == QLatin1Char('.')) {
            if (++points > 1 || range_.decimals == 0) return Invalid;
        } else if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return Invalid;
        } else if (points > 0 && ++decimals > range_.decimals) {
            return Invalid;
        }
    }
    const double value = input == QLatin1String(".") ? 0.0 : input.toDouble();
    if (value > range_.max || (range_.maxLength > 0 && input.size() > range_.maxLength)) {
        tellLater();
        return Invalid;
    }
    return Acceptable;
}

void NumberValidator::tellLater() const {
    // The key is dropped first; the message follows once the edit has finished with it (a box
    // opened inside the validation would take the focus in the middle of the keystroke).
    if (telling_) return;
    telling_ = true;
    QPointer<const NumberValidator> self(this);
    QMetaObject::invokeMethod(
        const_cast<NumberValidator*>(this),
        [self] {
            if (!self) return;
            const_cast<NumberValidator*>(self.data())->telling_ = false;
            guarded([&] { prompter().information(outOfRangeMessage(self->range())); });
        },
        Qt::QueuedConnection);
}

void limitNumberEntry(QLineEdit* edit, const NumberRange& range) {
    NumberRange r = range;
    // Characters: the edit's own limit where it sets one, else what the range needs.
    if (r.maxLength == 0 && edit->maxLength() < 32767) r.maxLength = edit->maxLength();
    edit->setMaxLength(32767);
    edit->setValidator(new NumberValidator(r, edit));
}

} // namespace kx
