#include "Clock.h"

#include <QFile>

#include <QTime>

namespace kx {

namespace {

QDateTime frozenAt;    // valid while frozen
qint64 offsetSecs = 0; // added to the system clock while running

QDateTime wholeSeconds(const QDateTime& t) {
    const QTime time = t.time();
    QDateTime whole = t;
    whole.setTime(QTime(time.hour(), time.minute(), time.second()));
    return whole;
}

} // namespace

QDateTime Clock::now() {
    if (frozenAt.isValid()) return frozenAt;
    return wholeSeconds(QDateTime::currentDateTime().addSecs(offsetSecs));
}

void Clock::freeze(const QDateTime& at) {
    frozenAt = wholeSeconds(at.toLocalTime());
    offsetSecs = 0;
}

void Clock::advance(qint64 secs) {
    if (frozenAt.isValid())
        frozenAt = frozenAt.addSecs(secs);
    else
        offsetSecs += secs;
}

void Clock::unfreeze() {
    frozenAt = QDateTime();
    offsetSecs = 0;
}

bool Clock::isFrozen() {
    return frozenAt.isValid();
}

} // namespace kx

void kx::Clock::settleTimeZone() {
    if (qEnvironmentVariableIsEmpty("TZ") && QFile::exists(QStringLiteral("/etc/localtime")))
        qputenv("TZ", ":/etc/localtime");
}
