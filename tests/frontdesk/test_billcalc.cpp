// The bill of a visit: rounding, line totals, subtotals and the four recomputations.
#include "BillCalcFixture.h"
#include "Errors.h"
#include "Values.h"

#include <QSqlQuery>
#include <cmath>

using namespace kx;
using namespace kx::frontdesk;
using namespace kx::test::bill;

namespace {

const QString kHalf = QString::fromUtf8(kRoundHalf);
const QString kDown = QString::fromUtf8(kRoundDown);
const QString kCents = QString::fromUtf8(kRoundCents);
const QString kUp = QString::fromUtf8(kRoundUp);

// ================================================================ rounding of sums

struct RoundCase {
    const char* name;
    friend void PrintTo(const RoundCase& c, std::ostream* os) { *os << c.name; }
    const char* mode;
    double x;
    double expected;
};

class IntWayModes : public ::testing::TestWithParam<RoundCase> {};

TEST_P(IntWayModes, RoundsByTheModeText) {
    const RoundCase& c = GetParam();
    const double r = roundByMode(QString::fromUtf8(c.mode), c.x);
    EXPECT_DOUBLE_EQ(r, c.expected) << c.name;
    EXPECT_FALSE(std::signbit(r) && r == 0.0) << "negative zero from " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Bill, IntWayModes,
    ::testing::Values(
        RoundCase{"HalfDownToEven", "四舍五入", 2.5, 2}, RoundCase{"HalfUpToEven", "四舍五入", 3.5, 4},
        RoundCase{"NegativeHalfToEven", "四舍五入", -2.5, -2}, RoundCase{"NegativeHalfUpToEven", "四舍五入", -3.5, -4},
        RoundCase{"BelowHalf", "四舍五入", 2.49, 2}, RoundCase{"AboveHalf", "四舍五入", 2.51, 3},
        RoundCase{"SmallNegativeIsZero", "四舍五入", -0.3, 0},
        RoundCase{"TruncatesPositive", "舍去小数", 2.99, 2}, RoundCase{"TruncatesTowardZero", "舍去小数", -2.99, -2},
        RoundCase{"TruncatesNoisyWholeBelow", "舍去小数", 0.29 * 100, 29},
        RoundCase{"TruncatesNoisyProduct", "舍去小数", 15 * 8.2, 123},
        RoundCase{"TruncatesRealFraction", "舍去小数", 0.1 * 3, 0},
        RoundCase{"CentsHalfToEvenDown", "保留小数", 1.005, 1.00}, RoundCase{"CentsHalfToEvenUp", "保留小数", 2.675, 2.68},
        RoundCase{"CentsHalfOdd", "保留小数", 1.015, 1.02}, RoundCase{"CentsNegative", "保留小数", -1.005, -1.00},
        RoundCase{"CentsKeepsTwoDecimals", "保留小数", 10.049, 10.05},
        RoundCase{"UpWhole", "小数进一", 3.0, 3}, RoundCase{"UpFraction", "小数进一", 3.01, 4},
        RoundCase{"UpNegativeHalf", "小数进一", -2.5, -2}, RoundCase{"UpNegativeSmall", "小数进一", -0.3, 0},
        RoundCase{"UpNoisyWholeAbove", "小数进一", 25 * 0.28, 7},
        RoundCase{"UpNoisyWholeBelow", "小数进一", 0.29 * 100, 29},
        RoundCase{"UpRealFraction", "小数进一", 0.1 * 3, 1},
        RoundCase{"UnknownModeUnchanged", "按实际", 2.567, 2.567},
        RoundCase{"TrailingBlankIsAnotherMode", "四舍五入 ", 2.5, 2.5},
        RoundCase{"EmptyModeUnchanged", "", -7.25, -7.25}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BillCalcTest, IntWayReadsTheRoundingOfSumsWhenItRuns) {
    addVisit({});
    TDMTable& d = desk();
    EXPECT_DOUBLE_EQ(IntWay(d, 2.5), 2); // a new database rounds half to even
    d.setup.set(QStringLiteral("pay_set_sum_int"), kUp);
    EXPECT_DOUBLE_EQ(IntWay(d, 2.1), 3);
    d.setup.set(QStringLiteral("pay_set_sum_int"), kCents);
    EXPECT_DOUBLE_EQ(IntWay(d, 2.125), 2.12);
}

// ================================================================ line totals

struct LineCase {
    const char* name;
    friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
    const char* mode;
    double count, price;
    int flag;
    double expected;
};

class BillLineTotals : public ::testing::TestWithParam<LineCase> {};

TEST_P(BillLineTotals, ByTheRoundingOfLineTotals) {
    const LineCase& c = GetParam();
    EXPECT_DOUBLE_EQ(lineTotal(QString::fromUtf8(c.mode), c.count, c.price, c.flag), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Bill, BillLineTotals,
    ::testing::Values(
        LineCase{"UpAddsOneForAnyCents", "小数进一", 3, 3.35, 1, 11},
        LineCase{"UpReturnedLine", "小数进一", 3, 3.35, -1, -11},
        LineCase{"UpWholeStays", "小数进一", 2, 10, 1, 20},
        LineCase{"UpFreeLineIsZero", "小数进一", 2, 10.5, 0, 0},
        // One cent over a whole amount goes up, over an even whole just as over an odd one.
        LineCase{"UpOneCentOverAnEvenWhole", "小数进一", 1, 2.01, 1, 3},
        LineCase{"UpOneCentOverAnOddWhole", "小数进一", 1, 3.01, 1, 4},
        LineCase{"UpReturnedOneCent", "小数进一", 1, 2.01, -1, -3},
        LineCase{"HalfToEvenDown", "四舍五入", 1, 2.5, 1, 2}, LineCase{"HalfToEvenUp", "四舍五入", 1, 3.5, 1, 4},
        LineCase{"HalfReturned", "四舍五入", 1, 2.5, -1, -2}, LineCase{"HalfRoundsUp", "四舍五入", 3, 0.85, 1, 3},
        LineCase{"CentsKeepsProduct", "保留小数", 3, 3.35, 1, 3 * 3.35},
        LineCase{"CentsReturned", "保留小数", 2, 10, -1, -20},
        LineCase{"UnknownKeepsProduct", "舍去小数", 1, 2.75, 1, 2.75}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BillCalcTest, PadLineTotalsAreStoredByTheSettingAndShownAsThePadShowsThem) {
    setting("pay_set_item_int", kUp);
    addVisit({});
    addLine({.clas = "F", .count = 3, .price = 3.35, .total = 0}, "TableConsListTemp");
    addLine({.clas = "F", .count = 3, .price = 3.35, .flag = -1, .menu = "2", .total = 0}, "TableConsListTemp");
    addLine({.clas = "F", .count = 2, .price = 7.2, .flag = 0, .menu = "3", .total = 99}, "TableConsListTemp");
    TDMTable& d = desk();
    addLine({.visit = 2, .clas = "F", .count = 1, .price = 5, .total = 7}, "TableConsListTemp");
    db::exec(db(), QStringLiteral("UPDATE TableConsListTemp SET desk_id = ?"), {d.deskId});
    EXPECT_EQ(storePadLineTotals(d, 1), 3);
    QSqlQuery q = db::run(db(), QStringLiteral("SELECT tabl_cons_tota FROM TableConsListTemp WHERE tabl_gues_auto_recn = 1 "
                                               "ORDER BY tabl_cons_ID"));
    QList<double> totals;
    while (q.next()) totals << q.value(0).toDouble();
    EXPECT_EQ(totals, (QList<double>{11, -11, 0}));
    // Another desk's pad is left alone, and the committed lines are not the pad's business.
    EXPECT_DOUBLE_EQ(db::scalarNumber(db(), QStringLiteral("SELECT tabl_cons_tota FROM TableConsListTemp "
                                                           "WHERE tabl_gues_auto_recn = 2")),
                     7);
    EXPECT_EQ(db::scalarInt(db(), QStringLiteral("SELECT COUNT(*) FROM TableConsList")), 0);

    EXPECT_DOUBLE_EQ(padItemTotal(d, 3, 3.35), 11);
    d.setup.set(QStringLiteral("pay_set_item_int"), kCents);
    EXPECT_DOUBLE_EQ(padItemTotal(d, 3, 3.35), 10); // shown through IntWay, which rounds half to even
    EXPECT_DOUBLE_EQ(lineTotal(d, 3, 3.35, 1), 3 * 3.35);
}

// ================================================================ visit subtotals

// Classes: F food (service), W wine (no service), S special with service, T special without.
class BillSubtotals : public BillCalcTest {
protected:
    void SetUp() override {
        BillCalcTest::SetUp();
        addClass("F", true, true, false);
        addClass("W", true, false, false);
        addClass("S", true, true, true);
        addClass("T", true, false, true);
        addVisit({});
        addVisit({.key = 2});
        // Stored totals rounded by "小数进一" so that both bases can be told apart.
        addLine({.clas = "F", .count = 3, .price = 3.35, .total = 11});
        addLine({.clas = "F", .count = 1, .price = 3.35, .flag = -1, .menu = "2", .total = -4});
        addLine({.clas = "F", .count = 2, .price = 3.35, .flag = 0, .menu = "3", .total = 0});
        addLine({.clas = "W", .count = 1, .price = 20});
        addLine({.clas = "S", .count = 2, .price = 15.5, .total = 31});
        addLine({.clas = "S", .count = 1, .price = 15.5, .flag = -1, .menu = "2", .total = -16});
        addLine({.clas = "T", .count = 1, .price = 40});
        addLine({.clas = "Q", .count = 1, .price = 500});               // class missing: not counted
        addLine({.visit = 2, .clas = "F", .count = 1, .price = 1000});  // another visit
    }
};

TEST_F(BillSubtotals, SplitNonSpecialSpecialAndServiceBasesWithTheLinesSigns) {
    const VisitSubtotals s = queryVisitSubtotals(db(), 1);
    EXPECT_DOUBLE_EQ(s.dish, 11 - 4 + 0 + 20);        // stored totals
    EXPECT_DOUBLE_EQ(s.special, 2 * 15.5 - 15.5 + 40);   // count x price x sign
    EXPECT_DOUBLE_EQ(s.servMain, 3 * 3.35 - 3.35);    // F only
    EXPECT_DOUBLE_EQ(s.servSpec, 2 * 15.5 - 15.5);    // S only

    const VisitSubtotals moved = queryVisitSubtotals(db(), 1, SubtotalBasis::CountTimesPrice);
    EXPECT_DOUBLE_EQ(moved.dish, 3 * 3.35 - 3.35 + 20);
    EXPECT_DOUBLE_EQ(moved.special, s.special);

    const VisitSubtotals none = queryVisitSubtotals(db(), 99);
    EXPECT_EQ(none.dish + none.special + none.servMain + none.servSpec, 0);
}

TEST_F(BillSubtotals, StoredThroughIntWayWithoutPosting) {
    setting("pay_set_sum_int", kDown);
    TDMTable& d = desk();
    storeVisitSubtotals(d);
    EXPECT_EQ(d.adoqry_TableGues->state(), db::Dataset::Edit);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_dish"), 27);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_spec"), 55);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_serv_main"), 6); // 6.7 truncated
    EXPECT_DOUBLE_EQ(visit("tabl_gues_serv_spec"), 15);
    EXPECT_DOUBLE_EQ(stored("tabl_gues_dish"), 0);
}

// ================================================================ ChangeConsType

struct ModeCase {
    const char* name;
    friend void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }
    const char* type;
    double money;
    int guests;
    QDateTime now;
    double low, room, unit;
};

class ChangeConsTypeCharges : public BillCalcTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ChangeConsTypeCharges, SetsMinimumRoomAndBaseAmount) {
    const ModeCase& c = GetParam();
    Clock::freeze(c.now);
    addMode("M1", "1", 0);
    addMode("M2", QString::fromLatin1(c.type), c.money, 0);
    addVisit({.mode = "M2", .unit = 999, .low = 999, .room = 999});
    TDMTable& d = desk();
    ChangeConsType(d, c.guests);
    EXPECT_EQ(d.adoqry_TableGues->field(QStringLiteral("cons_type_code")).asString(), QString::fromLatin1(c.type));
    EXPECT_DOUBLE_EQ(visit("tabl_gues_low"), c.low);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_room"), c.room);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_unit"), c.unit);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_shou"), c.low + c.room); // nothing ordered, no service
    EXPECT_EQ(d.adoqry_TableGues->state(), db::Dataset::Edit);
    EXPECT_DOUBLE_EQ(stored("tabl_gues_low"), 999); // not posted
    EXPECT_EQ(d.adoqry_ConsMode->recordCount(), 2); // every mode visible again
}

const QDateTime kMorning = at(3, 10, 10, 0);

INSTANTIATE_TEST_SUITE_P(
    Bill, ChangeConsTypeCharges,
    ::testing::Values(
        ModeCase{"ItemsOnly", "1", 100, 4, kMorning, 0, 0, 0},
        ModeCase{"MinimumCharge", "2", 300, 4, kMorning, 300, 0, 300},
        ModeCase{"StartedHours", "3", 50, 4, kMorning, 0, 50, 50},
        ModeCase{"FixedRoom", "4", 200, 4, kMorning, 0, 200, 200},
        ModeCase{"MinimumPerGuest", "5", 80.25, 3, kMorning, 241, 0, 80.25},  // 240.75 rounded
        ModeCase{"ExactHours", "6", 30, 4, kMorning, 0, 0, 30},
        ModeCase{"SeatPerGuest", "7", 12.5, 3, kMorning, 0, 38, 12.5},       // 37.5 to even
        ModeCase{"Daily", "8", 300, 4, kMorning, 0, 300, 300},
        ModeCase{"HalfDayMorning", "A", 301, 4, kMorning, 0, 301, 301},
        ModeCase{"HalfDayAtNoon", "A", 301, 4, at(3, 10, 12, 0), 0, 150, 301}, // 150.5 to even
        ModeCase{"HalfDayLastSecond", "A", 300, 4, at(3, 10, 17, 59, 59), 0, 150, 300},
        ModeCase{"HalfDayEvening", "A", 300, 4, at(3, 10, 18, 0), 0, 300, 300}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BillCalcTest, ChangeConsTypeTakesTheCurrentBandOfTheVisitsOwnMode) {
    Clock::freeze(at(3, 10, 19, 30));
    addMode("T1", "9", 0);
    addMode("T2", "9", 0);
    // The other mode's bands come first in stored order; they must not price this visit.
    addBand("T1", "00:00:00", "23:59:59", 999);
    addBand("T2", "00:00:00", "18:00:00", 40);
    addBand("T2", "18:00:00", "23:59:59", 60);
    addVisit({.mode = "T2", .unit = 5});
    TDMTable& d = desk();
    ChangeConsType(d, 2);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_room"), 60);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_unit"), 0);
}

TEST_F(BillCalcTest, ChangeConsTypeWithAModeThatIsGoneLeavesEverythingAtZero) {
    addMode("M1", "2", 300, 10);
    addVisit({.mode = "XX", .type = "2", .serv = 10, .unit = 300, .low = 300});
    TDMTable& d = desk();
    ChangeConsType(d, 2);
    EXPECT_TRUE(d.adoqry_TableGues->field(QStringLiteral("cons_type_code")).isNull());
    EXPECT_DOUBLE_EQ(visit("cons_mode_serv"), 0);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_low") + visit("tabl_gues_unit") + visit("tabl_gues_shou"), 0);
    EXPECT_EQ(d.adoqry_ConsMode->recordCount(), 1);
}

TEST_F(BillCalcTest, ChangeConsTypeSetsTheServiceRateOfOrdinaryLinesOfServiceClasses) {
    addClass("F", true, true, false);
    addClass("W", true, false, false);
    addMode("SF", "1", 0, 15);
    addMode("S0", "1", 0, 0);
    addVisit({.mode = "SF"});
    addVisit({.key = 2});
    addLine({.clas = "F", .price = 10, .servPerc = 50});
    addLine({.clas = "F", .price = 0, .flag = 0, .menu = "3", .grou = "P01", .servPerc = 50}); // set-menu part
    addLine({.clas = "W", .price = 10, .servPerc = 50});
    addLine({.visit = 2, .clas = "F", .price = 10, .servPerc = 7});
    auto rates = [this] {
        QList<int> r;
        QSqlQuery q = db::run(db(), QStringLiteral("SELECT serv_perc FROM TableConsList ORDER BY tabl_cons_ID"));
        while (q.next()) r << q.value(0).toInt();
        return r;
    };
    TDMTable& d = desk();
    ChangeConsType(d, 2);
    EXPECT_DOUBLE_EQ(visit("cons_mode_serv"), 15);
    EXPECT_EQ(rates(), (QList<int>{15, 100, 100, 7}));

    d.adoqry_TableGues->field(QStringLiteral("cons_mode_code")).setValue(QStringLiteral("S0"));
    ChangeConsType(d, 2);
    EXPECT_EQ(rates(), (QList<int>{100, 100, 100, 7}));
}

TEST_F(BillCalcTest, ChangeConsTypeRefusesAGuestCountThatIsNoNumberBeforeChangingAnything) {
    addClass("F", true, true, false);
    addMode("P5", "5", 50, 10);
    addVisit({.mode = "P5", .low = 123});
    addLine({.clas = "F", .price = 10, .servPerc = 100});
    TDMTable& d = desk();
    for (const char* text : {"-1", "2 ", "1.5", "+3"})
        EXPECT_THROW(ChangeConsType(d, QString::fromLatin1(text)), ConversionError) << text;
    EXPECT_EQ(d.adoqry_TableGues->state(), db::Dataset::Browse);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_low"), 123);
    EXPECT_EQ(db::scalarInt(db(), QStringLiteral("SELECT serv_perc FROM TableConsList")), 100);

    ChangeConsType(d, QString());  // an empty count is no guest
    EXPECT_DOUBLE_EQ(visit("tabl_gues_low"), 0);
    ChangeConsType(d, QStringLiteral("04"));
    EXPECT_DOUBLE_EQ(visit("tabl_gues_low"), 200);
}

// ================================================================ ReTotal: service charge and receivable

struct ServiceCase {
    const char* name;
    friend void PrintTo(const ServiceCase& c, std::ostream* os) { *os << c.name; }
    double low, dish, special, room, servMain, servSpec;
    int rate;
    double serv, shou;
};

class ReTotalService : public BillCalcTest, public ::testing::WithParamInterface<ServiceCase> {};

TEST_P(ReTotalService, ChargesServiceOnTheRightBase) {
    const ServiceCase& c = GetParam();
    // A fixed room keeps its room charge through ReTotal.
    addVisit({.type = "4", .serv = c.rate, .low = c.low, .room = c.room, .dish = c.dish, .special = c.special,
              .servMain = c.servMain, .servSpec = c.servSpec});
    TDMTable& d = desk();
    ReTotal(d);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_room"), c.room);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_serv"), c.serv);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_shou"), c.shou);
    EXPECT_DOUBLE_EQ(stored("tabl_gues_shou"), 0); // not posted
}

INSTANTIATE_TEST_SUITE_P(
    Bill, ReTotalService,
    ::testing::Values(
        // Below the minimum: the minimum and the special base, not the room.
        ServiceCase{"MinimumNotReached", 200, 150, 40, 100, 120, 30, 10, 23, 200 + 40 + 100 + 23},
        ServiceCase{"MinimumEqualsDishes", 150, 150, 0, 100, 150, 0, 10, 15, 150 + 100 + 15},
        // Above it: both service bases and the room.
        ServiceCase{"MinimumExceeded", 100, 150, 40, 100, 120, 30, 10, 25, 150 + 40 + 100 + 25},
        ServiceCase{"RoomOnlyPaysNoServiceOnItsRoom", 0, 0, 0, 100, 0, 0, 10, 0, 100},
        ServiceCase{"ServiceHalfToEven", 50, 0, 0, 0, 0, 0, 5, 2, 52},
        ServiceCase{"MoreReturnedThanOrdered", 0, -20, 0, 0, -20, 0, 10, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ================================================================ ReTotal: time charges

struct TimeCase {
    const char* name;
    friend void PrintTo(const TimeCase& c, std::ostream* os) { *os << c.name; }
    const char* type;
    const char* sumMode;
    double unit;
    QDateTime opened, now;
    double room;
};

class ReTotalTimeCharges : public BillCalcTest, public ::testing::WithParamInterface<TimeCase> {};

TEST_P(ReTotalTimeCharges, ChargesTheStay) {
    const TimeCase& c = GetParam();
    setting("pay_set_sum_int", QString::fromUtf8(c.sumMode));
    Clock::freeze(c.now);
    addVisit({.type = QString::fromLatin1(c.type), .opened = c.opened, .unit = c.unit, .room = 777});
    TDMTable& d = desk();
    ReTotal(d);
    EXPECT_NEAR(visit("tabl_gues_room"), c.room, 1e-9);
    EXPECT_NEAR(visit("tabl_gues_shou"), c.room, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Bill, ReTotalTimeCharges,
    ::testing::Values(
        // "3": every started hour.
        TimeCase{"StartedHourRoundHalf", "3", "四舍五入", 30, at(3, 10, 10, 0), at(3, 10, 12, 10), 90},
        TimeCase{"StartedHourWholeHours", "3", "四舍五入", 30, at(3, 10, 10, 0), at(3, 10, 12, 0), 60},
        TimeCase{"StartedHourRoundedUpAlready", "3", "四舍五入", 30, at(3, 10, 10, 0), at(3, 10, 12, 40), 90},
        TimeCase{"StartedHourTruncating", "3", "舍去小数", 30, at(3, 10, 10, 0), at(3, 10, 12, 10), 90},
        TimeCase{"StartedHourCeiling", "3", "小数进一", 30, at(3, 10, 10, 0), at(3, 10, 12, 10), 90},
        TimeCase{"StartedHourOverMidnight", "3", "四舍五入", 30, at(3, 10, 23, 30), at(3, 11, 1, 10), 60},
        // With two decimals kept the hours keep theirs; a remainder too small to show adds nothing.
        TimeCase{"HoursWithCents", "3", "保留小数", 30, at(3, 10, 10, 0), at(3, 10, 12, 10), 65.1},
        TimeCase{"HoursWithCentsTinyRemainder", "3", "保留小数", 30, at(3, 10, 10, 0), at(3, 10, 12, 0, 10), 60},
        TimeCase{"HoursUnroundedMode", "3", "按实际", 30, at(3, 10, 10, 0), at(3, 10, 12, 10), 65},
        // "6": the exact fraction.
        TimeCase{"ExactHours", "6", "四舍五入", 30, at(3, 10, 10, 0), at(3, 10, 12, 10), 65},
        TimeCase{"ExactHoursNoisyProductTruncated", "6", "舍去小数", 8.2, at(3, 10, 0, 0), at(3, 10, 15, 0), 123},
        TimeCase{"ExactHoursNoisyProductCeiling", "6", "小数进一", 0.28, at(3, 9, 10, 0), at(3, 10, 11, 0), 7},
        // "8": days, a morning opening and an afternoon leaving count one more each.
        TimeCase{"DailyMorningToNextAfternoon", "8", "四舍五入", 300, at(3, 9, 11, 0), at(3, 10, 12, 30), 900},
        TimeCase{"DailySameAfternoon", "8", "四舍五入", 300, at(3, 10, 14, 0), at(3, 10, 20, 0), 300},
        TimeCase{"DailyOvernightLeavingInTheMorning", "8", "四舍五入", 300, at(3, 9, 14, 0), at(3, 10, 10, 0), 300},
        TimeCase{"DailyNoonEdges", "8", "四舍五入", 300, at(3, 10, 11, 59, 59), at(3, 10, 12, 0, 0), 600},
        TimeCase{"DailyOpenedAtNoon", "8", "四舍五入", 300, at(3, 10, 12, 0, 0), at(3, 10, 12, 30), 300},
        // "A": after noon half a day until 17:59:59, a whole day from 18:00.
        TimeCase{"HalfDaysNextAfternoon", "A", "四舍五入", 300, at(3, 9, 14, 0), at(3, 10, 13, 0), 450},
        TimeCase{"HalfDaysNextEvening", "A", "四舍五入", 300, at(3, 9, 14, 0), at(3, 10, 18, 30), 600},
        TimeCase{"HalfDaysLastSecond", "A", "四舍五入", 300, at(3, 10, 10, 0), at(3, 10, 17, 59, 59), 450},
        TimeCase{"HalfDaysEveningSameDay", "A", "四舍五入", 300, at(3, 10, 10, 0), at(3, 10, 18, 0), 600},
        TimeCase{"HalfDaysMorningOnly", "A", "四舍五入", 300, at(3, 10, 10, 0), at(3, 10, 11, 0), 300},
        TimeCase{"HalfDaysRoundedToEven", "A", "四舍五入", 301, at(3, 10, 14, 0), at(3, 10, 15, 0), 150},
        // Other types keep their room charge.
        TimeCase{"FixedRoomUnchanged", "4", "四舍五入", 30, at(3, 9, 10, 0), at(3, 10, 12, 10), 777},
        TimeCase{"ItemsOnlyUnchanged", "1", "四舍五入", 30, at(3, 9, 10, 0), at(3, 10, 12, 10), 777}),
    [](const auto& info) { return std::string(info.param.name); });

// ================================================================ ReTotal: time bands

class ReTotalBands : public BillCalcTest {
protected:
    double roomFor(const QDateTime& opened, const QDateTime& now, const QString& mode = QStringLiteral("T9")) {
        Clock::freeze(now);
        addVisit({.mode = mode, .type = "9", .opened = opened, .room = 777});
        TDMTable& d = desk();
        ReTotal(d);
        return visit("tabl_gues_room");
    }
    // The band template: ascending, contiguous, covering the day.
    void dayBands() {
        addBand("T9", "00:00:00", "06:00:00", 10);
        addBand("T9", "06:00:00", "12:00:00", 20);
        addBand("T9", "12:00:00", "18:00:00", 30);
        addBand("T9", "18:00:00", "22:00:00", 40);
        addBand("T9", "22:00:00", "23:59:59", 50);
    }
    void SetUp() override {
        BillCalcTest::SetUp();
        setting("pay_set_sum_int", kCents);
    }
};

TEST_F(ReTotalBands, AcrossMidnightTheLastSecondOfTheDayIsNotCharged) {
    addBand("T9", "18:00:00", "23:59:59", 60);
    addBand("T9", "00:00:00", "06:00:00", 40);
    const double room = roomFor(at(3, 10, 22, 30), at(3, 11, 1, 0));
    EXPECT_DOUBLE_EQ(room, roundHalfEven(60 * (1.5 - 1.0 / 3600) + 40 * 1.0, 2)); // 129.98
}

TEST_F(ReTotalBands, AcrossBandEdgesEachPartAtItsPrice) {
    dayBands();
    EXPECT_DOUBLE_EQ(roomFor(at(3, 10, 11, 0), at(3, 10, 13, 30)), 1 * 20 + 1.5 * 30);
}

TEST_F(ReTotalBands, WithinOneBand) {
    dayBands();
    EXPECT_DOUBLE_EQ(roomFor(at(3, 10, 19, 0), at(3, 10, 19, 45)), 0.75 * 40);
}

TEST_F(ReTotalBands, AStayOfMoreThanADayPaysEveryHour) {
    dayBands();
    const double lastBand = 50 * (2 - 1.0 / 3600);
    const double day1 = 2 * 20 + 6 * 30 + 4 * 40 + lastBand; // from 10:00
    const double day2 = 6 * 10 + 5 * 20;                      // until 11:00
    EXPECT_DOUBLE_EQ(roomFor(at(3, 9, 10, 0), at(3, 10, 11, 0)), roundHalfEven(day1 + day2, 2));
}

TEST_F(ReTotalBands, AnOpeningBetweenBandsStillPaysTheBandsItReaches) {
    addBand("T9", "10:00:00", "14:00:00", 20);
    addBand("T9", "18:00:00", "23:00:00", 40);
    EXPECT_DOUBLE_EQ(roomFor(at(3, 10, 15, 0), at(3, 10, 20, 0)), 2 * 40);
}

TEST_F(ReTotalBands, OnlyTheVisitsModeCounts) {
    dayBands();
    addBand("X9", "00:00:00", "23:59:59", 1000);
    EXPECT_DOUBLE_EQ(roomFor(at(3, 10, 11, 0), at(3, 10, 12, 0)), 20);
    EXPECT_EQ(dm->adoqry_ConsTimeMode->recordCount(), 5); // the bill's band grid shows this mode's bands
    EXPECT_EQ(dm->adoqry_ConsTimeMode->recNo(), 1);
}

TEST_F(ReTotalBands, AModeWithoutBandsChargesNothing) {
    EXPECT_DOUBLE_EQ(roomFor(at(3, 10, 11, 0), at(3, 10, 15, 0)), 0);
}

// ================================================================ TotalDisc

// Classes: F food (discount, service), W wine (no discount), S special (discount). Visit 1
// has lines of each, a returned and a free line, and a set-menu component; visit 2 a line
// the discount must not touch. Subtotals: dish 130 (F 100 - 50 + 0, W 80), special 60.
class TotalDiscTest : public BillCalcTest {
protected:
    void SetUp() override {
        BillCalcTest::SetUp();
        addClass("F", true, true, false);
        addClass("W", false, false, false);
        addClass("S", true, false, true);
        db::exec(db(), QStringLiteral("INSERT INTO discountlist (disc_code, disc_name) VALUES ('V', 'V')"));
        db::exec(db(), QStringLiteral("INSERT INTO DiscItem (disc_code, clas_code, disc_clas_perc) VALUES "
                                      "('V', 'F', 80), ('V', 'S', 70), ('V', 'W', 50), ('Z', 'F', 10)"));
        addVisit({.key = 2});
        addLine({.clas = "F", .count = 2, .price = 50});
        addLine({.clas = "F", .count = 1, .price = 50, .flag = -1, .menu = "2"});
        addLine({.clas = "F", .count = 1, .price = 50, .flag = 0, .menu = "3"});
        addLine({.clas = "W", .count = 1, .price = 80});
        addLine({.clas = "S", .count = 1, .price = 60});
        addLine({.clas = "F", .count = 1, .price = 30, .flag = 0, .menu = "3", .grou = "P01"});
        addLine({.visit = 2, .clas = "F", .count = 1, .price = 10, .discPerc = 55});
    }
    void visitWith(double low, const QString& scheme) {
        addVisit({.low = low, .room = 100, .dish = 130, .special = 60, .servCharge = 20, .discCode = scheme});
    }
    QList<int> rates() {
        QList<int> r;
        QSqlQuery q = db::run(db(), QStringLiteral("SELECT disc_clas_perc FROM TableConsList ORDER BY tabl_cons_ID"));
        while (q.next()) r << q.value(0).toInt();
        return r;
    }
};

struct DiscCase {
    const char* name;
    friend void PrintTo(const DiscCase& c, std::ostream* os) { *os << c.name; }
    const char* text;
    const char* scheme;
    double low;
    QList<int> rates; // F, F returned, F free, W, S, set-menu part, other visit
    double disc, shou;
};

class TotalDiscCases : public TotalDiscTest, public ::testing::WithParamInterface<DiscCase> {};

TEST_P(TotalDiscCases, DiscountsTheLinesAndTheBill) {
    const DiscCase& c = GetParam();
    visitWith(c.low, QString::fromLatin1(c.scheme));
    TDMTable& d = desk();
    TotalDisc(d, QString::fromLatin1(c.text));
    EXPECT_EQ(rates(), c.rates);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_disc"), c.disc);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_shou"), c.shou);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_fact"), c.shou);
    EXPECT_DOUBLE_EQ(stored("tabl_gues_shou"), 0); // not posted
}

INSTANTIATE_TEST_SUITE_P(
    Bill, TotalDiscCases,
    ::testing::Values(
        DiscCase{"EmptyIsNoDiscount", "", "N", 0, {100, 100, 100, 100, 100, 100, 55}, 0, 310},
        DiscCase{"ZeroIsNoDiscount", "0", "N", 0, {100, 100, 100, 100, 100, 100, 55}, 0, 310},
        DiscCase{"DoubleZeroIsNoDiscount", " 00 ", "N", 0, {100, 100, 100, 100, 100, 100, 55}, 0, 310},
        // 15 % of room and service (18) and of every discountable line: F 100 - 50 (7.5), S 60 (9);
        // 34.5 rounds to even.
        DiscCase{"PercentAboveMinimum", "85", "N", 0, {85, 85, 85, 100, 85, 100, 55}, 34, 130 + 60 + 100 + 20 - 34},
        // Below the minimum: 15 % of minimum, room and service (93) plus special lines (9).
        DiscCase{"PercentBelowMinimum", "85", "N", 500, {85, 85, 85, 100, 85, 100, 55}, 102, 500 + 60 + 100 + 20 - 102},
        // Scheme: F at 80 (10 off the net 50), S at 70 (18 off); W allows none; the rest at 90.
        DiscCase{"SchemeOverPercent", "90", "V", 0, {80, 80, 80, 100, 70, 100, 55}, 12 + 28, 310 - 40},
        DiscCase{"SchemeAlone", "", "V", 0, {80, 80, 80, 100, 70, 100, 55}, 28, 310 - 28},
        DiscCase{"SchemeBelowMinimumCountsSpecialOnly", "", "V", 500, {80, 80, 80, 100, 70, 100, 55}, 18, 680 - 18}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TotalDiscTest, ADiscountTextThatIsNoNumberChangesNothing) {
    visitWith(0, QStringLiteral("N"));
    TDMTable& d = desk();
    TotalDisc(d, QStringLiteral("85"));
    const QList<int> before = rates();
    for (const char* text : {"-5", "8 5", "x"})
        EXPECT_THROW(TotalDisc(d, QString::fromLatin1(text)), ConversionError) << text;
    EXPECT_EQ(rates(), before);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_disc"), 34);
}

TEST_F(TotalDiscTest, EveryCallRewritesTheRatesFromScratch) {
    visitWith(0, QStringLiteral("V"));
    TDMTable& d = desk();
    TotalDisc(d, 90);
    d.adoqry_TableGues->field(QStringLiteral("disc_code")).setValue(QStringLiteral("N"));
    TotalDisc(d, 0);
    EXPECT_EQ(rates(), (QList<int>{100, 100, 100, 100, 100, 100, 55}));
    EXPECT_DOUBLE_EQ(visit("tabl_gues_disc"), 0);
}

// ================================================================ TotalTax

struct TaxCase {
    const char* name;
    friend void PrintTo(const TaxCase& c, std::ostream* os) { *os << c.name; }
    const char* type;
    double perc, money;
    const char* guests;
    double shouBefore, tax, shou;
};

class TotalTaxCases : public BillCalcTest, public ::testing::WithParamInterface<TaxCase> {};

TEST_P(TotalTaxCases, AddsTaxToTheReceivable) {
    const TaxCase& c = GetParam();
    setting("pay_set_tax_type", QString::fromUtf8(c.type));
    setting("pay_set_tax_perc", c.perc);
    setting("pay_set_tax_mone", c.money);
    addVisit({});
    TDMTable& d = desk();
    d.adoqry_TableGues->edit();
    d.adoqry_TableGues->field(QStringLiteral("tabl_gues_shou")).setValue(c.shouBefore);
    TotalTax(d, QString::fromLatin1(c.guests));
    EXPECT_DOUBLE_EQ(visit("tabl_gues_tax"), c.tax);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_shou"), c.shou);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_fact"), c.shou);
}

INSTANTIATE_TEST_SUITE_P(
    Bill, TotalTaxCases,
    ::testing::Values(TaxCase{"PercentHalfToEven", "按比例", 10, 0, "4", 105, 10, 115},
                      TaxCase{"Percent", "按比例", 15, 5, "4", 200, 30, 230},
                      // The tax per guest is first rounded to a whole amount (2.5 -> 2, 3.5 -> 4).
                      TaxCase{"PerGuest", "按人数", 10, 2.5, "4", 100, 8, 108},
                      TaxCase{"PerGuestRoundedUp", "按人数", 0, 3.5, "4", 100, 16, 116},
                      TaxCase{"PerGuestNoGuests", "按人数", 0, 3, "", 100, 0, 100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BillCalcTest, TaxRateChangedBetweenTwoComputationsCountsAtTheNext) {
    setting("pay_set_tax_perc", 10);
    addVisit({.dish = 200});
    TDMTable& d = desk();
    TotalDisc(d, 0);
    TotalTax(d, 2.0);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_shou"), 220);
    d.setup.set(QStringLiteral("pay_set_tax_perc"), 20);
    TotalDisc(d, 0);
    TotalTax(d, 2.0);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_tax"), 40);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_shou"), 240);
}

TEST_F(BillCalcTest, TaxPerGuestRefusesACountThatIsNoNumber) {
    setting("pay_set_tax_type", QStringLiteral("按人数"));
    setting("pay_set_tax_mone", 2);
    addVisit({});
    TDMTable& d = desk();
    EXPECT_THROW(TotalTax(d, QStringLiteral("-2")), ConversionError);
    EXPECT_EQ(d.adoqry_TableGues->state(), db::Dataset::Browse);
    TotalTax(d, QStringLiteral("2.5"));
    EXPECT_DOUBLE_EQ(visit("tabl_gues_tax"), 5);
}

// ================================================================ the whole bill

// A minimum charge per guest with service, a special class outside it, a discount scheme and
// tax: the steps in the screens' order, with nothing posted.
TEST_F(BillCalcTest, OpeningToCheckoutInTheScreensOrder) {
    addClass("F", true, true, false);
    addClass("S", true, true, true);
    addMode("P5", "5", 60, 10);
    setting("pay_set_tax_perc", 6);
    addVisit({.mode = "P5", .guests = 4});
    addLine({.clas = "F", .count = 2, .price = 45});
    addLine({.clas = "S", .count = 1, .price = 50});
    TDMTable& d = desk();
    ChangeConsType(d, QStringLiteral("4"));
    storeVisitSubtotals(d);
    ReTotal(d);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_low"), 240);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_serv"), 29);                  // 10 % of 240 + 50
    EXPECT_DOUBLE_EQ(visit("tabl_gues_shou"), 240 + 50 + 29);
    TotalDisc(d, QStringLiteral("90"));                              // 10 % of 240 + 29, + 5 on S
    EXPECT_DOUBLE_EQ(visit("tabl_gues_disc"), 32);                   // 26.9 + 5 = 31.9
    TotalTax(d, QStringLiteral("4"));
    EXPECT_DOUBLE_EQ(visit("tabl_gues_tax"), 17);                    // 6 % of 287 = 17.22
    EXPECT_DOUBLE_EQ(visit("tabl_gues_shou"), 304);
    EXPECT_DOUBLE_EQ(visit("tabl_gues_fact"), 304);
    EXPECT_EQ(d.adoqry_TableGues->state(), db::Dataset::Edit);
    EXPECT_DOUBLE_EQ(stored("tabl_gues_shou"), 0);
    EXPECT_EQ(db::scalarInt(db(), QStringLiteral("SELECT serv_perc FROM TableConsList WHERE clas_code = 'F'")), 10);
}

} // namespace
