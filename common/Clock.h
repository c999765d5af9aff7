#pragma once
// The one source of the current time. Nothing else asks the system clock, so a test can
// freeze time and move it on. Times are local and whole seconds.
#include <QDate>
#include <QDateTime>

namespace kx {

class Clock {
  public:
    static QDateTime now();
    static QDate today() { return now().date(); }

    // Stops the clock at `at` (its milliseconds dropped).
    static void freeze(const QDateTime& at);
    // Moves the clock on by `secs` (back when negative), frozen or running.
    static void advance(qint64 secs);
    // Runs with the system clock again, without any offset.
    static void unfreeze();
    static bool isFrozen();

    // Lets local times be worked out without reading the system's zone file each time: with
    // TZ unset the C library checks /etc/localtime on every conversion, and every date-time a
    // dataset reads is one. Called first thing by each program; a change of the system's zone
    // is then seen at the next start.
    static void settleTimeZone();
};

// Freezes the clock for a scope and lets it run again at the end.
class FrozenClock {
  public:
    explicit FrozenClock(const QDateTime& at) { Clock::freeze(at); }
    ~FrozenClock() { Clock::unfreeze(); }
    FrozenClock(const FrozenClock&) = delete;
    FrozenClock& operator=(const FrozenClock&) = delete;
};

} // namespace kx
