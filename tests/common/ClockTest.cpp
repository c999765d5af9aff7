#include "Clock.h"

#include <gtest/gtest.h>

using kx::Clock;

namespace {

TEST(Clock, FrozenTimeHasWholeSecondsAndMovesOnlyWhenAdvanced) {
    kx::FrozenClock frozen(QDateTime(QDate(2026, 1, 31), QTime(23, 59, 30, 678)));

    EXPECT_EQ(Clock::now(), QDateTime(QDate(2026, 1, 31), QTime(23, 59, 30)));
    Clock::advance(45); // over midnight: the date follows
    EXPECT_EQ(Clock::now(), QDateTime(QDate(2026, 2, 1), QTime(0, 0, 15)));
    EXPECT_EQ(Clock::today(), QDate(2026, 2, 1));
    Clock::advance(-15);
    EXPECT_EQ(Clock::now().time(), QTime(0, 0, 0));
}

TEST(Clock, RunningClockFollowsTheSystemClockPlusAdvances) {
    { kx::FrozenClock frozen(QDateTime(QDate(2001, 1, 1), QTime(8, 0))); }
    EXPECT_FALSE(Clock::isFrozen());
    const QDateTime before = QDateTime::currentDateTime();
    EXPECT_LE(qAbs(Clock::now().secsTo(before)), 1);
    EXPECT_EQ(Clock::now().time().msec(), 0);

    Clock::advance(3600);
    EXPECT_LE(qAbs(Clock::now().secsTo(before.addSecs(3600))), 1);
    Clock::unfreeze();
    EXPECT_LE(qAbs(Clock::now().secsTo(before)), 1);
}

} // namespace
