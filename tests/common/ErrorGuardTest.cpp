#include "ErrorGuard.h"
#include "Errors.h"
#include "ScriptedPrompter.h"

#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

using kx::ErrorGuard;
using kx::ProgramKind;
using kx::test::ScriptedPrompter;
using Box = ScriptedPrompter::Box;

namespace {

const QString Internal =
    QStringLiteral("系统发生内部错误，请记录错误发生的位置并记录以下错误提示后与开发商联系！");
const QString BadNumber = QStringLiteral("输入的数值无效，请重新输入！");
const QString BadDate = QStringLiteral("输入的日期时间无效，请重新输入！");

Box infoBox(const QString& text) {
    return {QStringLiteral("information"), text, kx::ProductTitle};
}
Box errorBox(const QString& text) {
    return {QStringLiteral("error"), text, kx::ProductTitle};
}

struct Outcome {
    const char* name;
    ProgramKind kind;
    std::function<void()> work;
    bool finished;
    QList<Box> boxes;
    int closes;
};

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << o.name;
}

// A refused stale write shows its message, then reads again what was stale and what the
// program registered, once each, and the program goes on.
TEST(ErrorGuardStale, ShowsTheMessageThenRefreshesWhatWasStale) {
    ScriptedPrompter prompter;
    QStringList order;
    kx::ErrorGuard::setAfterStaleData([&] { order << QStringLiteral("board"); });
    kx::guarded([&] {
        throw kx::StaleData(QStringLiteral("此台已被其它站点占用！"), [&] {
            order << QStringLiteral("dataset after ") + prompter.texts().join(QLatin1Char('|'));
        });
    });
    kx::ErrorGuard::setAfterStaleData({});
    EXPECT_EQ(order, QStringList({QStringLiteral("dataset after 此台已被其它站点占用！"), QStringLiteral("board")}));
}

// Reading again may lose a race of its own (another desk changed the row once more): that
// refusal is shown too, and the program still goes on.
TEST(ErrorGuardStale, ARefreshThatLosesAgainIsShownAndTheProgramGoesOn) {
    ScriptedPrompter prompter;
    int closes = 0;
    kx::ErrorGuard::configure(ProgramKind::FrontDesk, [&] { ++closes; });
    int reads = 0;
    kx::guarded([&] {
        throw kx::StaleData(kx::StaleData::Text, [&] {
            ++reads;
            throw kx::StaleData(QStringLiteral("此台已被其它站点占用！"), [&] { ++reads; });
        });
    });
    kx::ErrorGuard::configure(ProgramKind::FrontDesk, {});
    EXPECT_EQ(prompter.texts(), QStringList({kx::StaleData::Text, QStringLiteral("此台已被其它站点占用！")}));
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(closes, 0);
}

// The close callbacks capture locals of the test: leave the guard without one.
class ErrorGuardTest : public ::testing::Test {
  protected:
    void TearDown() override { ErrorGuard::configure(ProgramKind::FrontDesk, {}); }
};

class ErrorGuardOutcome : public ::testing::TestWithParam<Outcome> {
  protected:
    void TearDown() override { ErrorGuard::configure(ProgramKind::FrontDesk, {}); }
};

TEST_P(ErrorGuardOutcome, ShowsItsBoxesAndClosesOnlyWhenFatal) {
    const Outcome& c = GetParam();
    ScriptedPrompter prompter;
    int closes = 0;
    ErrorGuard::configure(c.kind, [&] { ++closes; });

    bool finished = false;
    EXPECT_NO_THROW(finished = kx::guarded(c.work));

    EXPECT_EQ(finished, c.finished);
    EXPECT_EQ(prompter.boxes(), c.boxes) << prompter.texts().join(" | ").toStdString();
    EXPECT_EQ(closes, c.closes);
}

const auto FD = ProgramKind::FrontDesk;
const auto BO = ProgramKind::BackOffice;
using kx::ConversionError;

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ErrorGuardOutcome,
    ::testing::Values(
        Outcome{"normal_end", FD, [] {}, true, {}, 0},
        Outcome{"silent_abort", FD, [] { throw kx::SilentAbort{}; }, false, {}, 0},
        Outcome{"silent_abort_back_office", BO, [] { throw kx::SilentAbort{}; }, false, {}, 0},
        Outcome{"stale_write_goes_on",
                FD,
                [] { throw kx::StaleData(); },
                false,
                {infoBox(QStringLiteral("数据已被其它站点修改，请刷新后重新操作！"))},
                0},
        Outcome{
            "transaction_front_desk",
            FD,
            [] { throw kx::TransactionFailed(QStringLiteral("B100003"), QStringLiteral("disk I/O error")); },
            false,
            {errorBox(QStringLiteral(
                "系统发生错误编码[B100003]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！"))},
            1},
        Outcome{"transaction_back_office",
                BO,
                [] { throw kx::TransactionFailed(QStringLiteral("A100011"), QStringLiteral("locked")); },
                false,
                {errorBox(QStringLiteral(
                    "系统发生错误编码[A100011]即将关闭，请记录此错误编码然后与开发商联系，谢谢合作！"))},
                1},
        Outcome{"number_front_desk",
                FD,
                [] { throw ConversionError(ConversionError::Number, "12a"); },
                false,
                {infoBox(BadNumber)},
                0},
        Outcome{"date_front_desk",
                FD,
                [] { throw ConversionError(ConversionError::DateTime, "2026-13-40"); },
                false,
                {infoBox(BadDate)},
                0},
        Outcome{"number_wording_in_any_case",
                FD,
                [] { throw kx::DbError(QStringLiteral("'x' Is Not A Valid Floating Point Value")); },
                false,
                {infoBox(BadNumber)},
                0},
        Outcome{"database_error_front_desk",
                FD,
                [] { throw kx::DbError(QStringLiteral("no such table: tablelist")); },
                false,
                {infoBox(Internal), infoBox(QStringLiteral("no such table: tablelist"))},
                1},
        Outcome{"chinese_message_kept",
                FD,
                [] { throw std::runtime_error("数据库已锁定"); },
                false,
                {infoBox(Internal), infoBox(QStringLiteral("数据库已锁定"))},
                1},
        Outcome{"not_a_std_exception",
                FD,
                [] { throw 42; },
                false,
                {infoBox(Internal), infoBox(QStringLiteral("未知错误"))},
                1},
        Outcome{"number_back_office",
                BO,
                [] { throw ConversionError(ConversionError::Number, "12a"); },
                false,
                {infoBox(Internal), infoBox(QStringLiteral("'12a' is not a valid floating point value"))},
                1},
        Outcome{"date_back_office",
                BO,
                [] { throw ConversionError(ConversionError::DateTime, "x"); },
                false,
                {infoBox(Internal), infoBox(QStringLiteral("'x' is not a valid date and time"))},
                1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ErrorGuardTest, ClosesOnceWhateverFailsAfterwards) {
    ScriptedPrompter prompter;
    int closes = 0;
    ErrorGuard::configure(ProgramKind::BackOffice, [&] { ++closes; });

    kx::guarded([] { throw kx::TransactionFailed(QStringLiteral("A100002"), QStringLiteral("x")); });
    kx::guarded([] { throw std::runtime_error("while closing"); });

    EXPECT_EQ(closes, 1);
    EXPECT_EQ(prompter.boxes().size(), 3); // the later failure still tells its message
}

TEST_F(ErrorGuardTest, CloseThatThrowsDoesNotEscape) {
    ScriptedPrompter prompter;
    ErrorGuard::configure(ProgramKind::FrontDesk, [] { throw std::runtime_error("close failed"); });
    EXPECT_NO_THROW(kx::guarded([] { throw std::runtime_error("boom"); }));
    EXPECT_EQ(prompter.texts(), (QStringList{Internal, QStringLiteral("boom")}));
}

TEST_F(ErrorGuardTest, GuardedSlotKeepsExceptionsInsideTheHandler) {
    ScriptedPrompter prompter;
    int closes = 0;
    ErrorGuard::configure(ProgramKind::FrontDesk, [&] { ++closes; });
    QPushButton button;
    bool ranOn = false;
    QObject::connect(&button, &QPushButton::clicked, &button,
                     kx::guard([&](bool) { throw ConversionError(ConversionError::Number, "abc"); }));
    QObject::connect(&button, &QPushButton::clicked, &button, [&] { ranOn = true; });

    QTest::mouseClick(&button, Qt::LeftButton);

    EXPECT_EQ(prompter.texts(), QStringList{BadNumber});
    EXPECT_TRUE(ranOn); // the program goes on: later slots of the same click still run
    EXPECT_EQ(closes, 0);
}

} // namespace
