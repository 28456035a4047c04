#include "runtime/datetime.h"
#include "runtime/dialogs.h"
#include "runtime/numbers.h"
#include "shown_dialogs.h"

#include <QDateTime>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace quillet {
namespace {

struct DivisionCase {
    const char* name;
    double a;
    double b;
    double quotient;
    double remainder;
};

class DivisionTest : public ::testing::TestWithParam<DivisionCase> {};

TEST_P(DivisionTest, TruncatesTowardZeroAndKeepsSignOfDividend)
{
    const DivisionCase& c = GetParam();
    EXPECT_EQ(IntegerDivide(c.a, c.b), c.quotient);
    EXPECT_EQ(Remainder(c.a, c.b), c.remainder);
}

INSTANTIATE_TEST_SUITE_P(Numbers, DivisionTest,
                         ::testing::Values(DivisionCase{"NegativeDividend", -7, 2, -3, -1},
                                           DivisionCase{"PositiveBoth", 7, 2, 3, 1},
                                           DivisionCase{"NegativeDivisor", 7, -2, -3, 1},
                                           DivisionCase{"NegativeBoth", -7, -2, 3, -1},
                                           DivisionCase{"Exact", 6, 3, 2, 0},
                                           DivisionCase{"Fractional", 5.5, 2, 2, 1.5},
                                           DivisionCase{"SmallerDividend", 1, 3, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

using NumbersDeathTest = ::testing::Test;

TEST_F(NumbersDeathTest, DivisionByZeroIsARuntimeError)
{
    const auto divide = [] {
        ScriptedDialogProvider provider;
        ReportDialogsToStderr(provider);
        ScopedDialogProvider scope(provider);
        IntegerDivide(1, 0);
    };
    EXPECT_EXIT(divide(), ::testing::ExitedWithCode(255),
                ShownDialogPattern("信息：", "运行时出错!\r\n\r\n错误信息：不能整除于零\r\n"));
}

TEST_F(NumbersDeathTest, RemainderByZeroIsARuntimeError)
{
    const auto remainder = [] {
        ScriptedDialogProvider provider;
        ReportDialogsToStderr(provider);
        ScopedDialogProvider scope(provider);
        Remainder(1, 0);
    };
    EXPECT_EXIT(remainder(), ::testing::ExitedWithCode(255),
                ShownDialogPattern("信息：", "运行时出错!\r\n\r\n错误信息：不能求余数于零\r\n"));
}

TEST(DateTime, CountsDaysFromTheEpoch)
{
    EXPECT_EQ(MakeDateTime(1899, 12, 30).days, 0.0);
    EXPECT_EQ(MakeDateTime(1900, 1, 1).days, 2.0);
    EXPECT_EQ(MakeDateTime(2000, 1, 1).days, 36526.0);
    EXPECT_DOUBLE_EQ(MakeDateTime(2000, 1, 1, 18).days, 36526.75);
    // Months and days beyond their ranges carry over.
    EXPECT_EQ(MakeDateTime(2023, 13, 1).days, MakeDateTime(2024, 1, 1).days);
    EXPECT_EQ(MakeDateTime(2024, 4, 31).days, MakeDateTime(2024, 5, 1).days);
    EXPECT_EQ(MakeDateTime(2024, 0, 1).days, MakeDateTime(2023, 12, 1).days);
}

struct FieldsCase {
    const char* name;
    int year, month, day, hour, minute, second;
};

class DateTimeFieldsTest : public ::testing::TestWithParam<FieldsCase> {};

TEST_P(DateTimeFieldsTest, ReadsBackEveryField)
{
    const FieldsCase& c = GetParam();
    const DateTime value = MakeDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second);
    EXPECT_EQ(Year(value), c.year);
    EXPECT_EQ(Month(value), c.month);
    EXPECT_EQ(Day(value), c.day);
    EXPECT_EQ(Hour(value), c.hour);
    EXPECT_EQ(Minute(value), c.minute);
    EXPECT_EQ(Second(value), c.second);
}

INSTANTIATE_TEST_SUITE_P(Clock, DateTimeFieldsTest,
                         ::testing::Values(FieldsCase{"Epoch", 1899, 12, 30, 0, 0, 0},
                                           FieldsCase{"LeapDay", 2024, 2, 29, 13, 45, 30},
                                           FieldsCase{"LastSecondOfYear", 2023, 12, 31, 23, 59, 59},
                                           FieldsCase{"Noon", 2001, 9, 9, 12, 0, 0},
                                           FieldsCase{"OneSecondPastMidnight", 2010, 6, 1, 0, 0,
                                                      1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DateTime, RoundingNoiseDoesNotLoseASecond)
{
    const DateTime almostNoon{36526.5 - 1e-12};
    EXPECT_EQ(Hour(almostNoon), 12);
    EXPECT_EQ(Minute(almostNoon), 0);
    EXPECT_EQ(Second(almostNoon), 0);
}

TEST(DateTime, ValuesThatAreNoDateReadAsTheEpoch)
{
    EXPECT_EQ(Year(DateTime{std::nan("")}), 1899);
    EXPECT_EQ(Year(DateTime{1e300}), 1899);
    EXPECT_EQ(Day(DateTime{-1e300}), 30);
}

struct DateTextCase {
    const char* name;
    int hour, minute, second;
    std::string expected;
};

class DateTimeTextTest : public ::testing::TestWithParam<DateTextCase> {};

TEST_P(DateTimeTextTest, ShowsOnlyWhatIsNotZero)
{
    const DateTextCase& c = GetParam();
    EXPECT_EQ(DateTimeToText(MakeDateTime(2024, 3, 5, c.hour, c.minute, c.second)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Clock, DateTimeTextTest,
    ::testing::Values(DateTextCase{"Midnight", 0, 0, 0, "2024年3月5日"},
                      DateTextCase{"HourOnly", 7, 0, 0, "2024年3月5日7时"},
                      DateTextCase{"HourAndMinute", 7, 8, 0, "2024年3月5日7时8分"},
                      DateTextCase{"MinuteAfterMidnight", 0, 8, 0, "2024年3月5日0时8分"},
                      DateTextCase{"SecondsShowEverything", 0, 0, 9, "2024年3月5日0时0分9秒"},
                      DateTextCase{"Full", 23, 59, 59, "2024年3月5日23时59分59秒"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Clock, NowFollowsTheLocalClock)
{
    const QDateTime before = QDateTime::currentDateTime();
    const DateTime now = Now();
    const QDateTime shown(QDate(Year(now), Month(now), Day(now)),
                          QTime(Hour(now), Minute(now), Second(now)));
    EXPECT_LE(std::llabs(before.secsTo(shown)), 2);
}

TEST(Clock, CanBeFixedForTests)
{
    SetClockForTesting(MakeDateTime(2020, 2, 2, 2, 2, 2));
    const DateTime fixed = Now();
    SetClockForTesting(std::nullopt);
    EXPECT_EQ(DateTimeToText(fixed), "2020年2月2日2时2分2秒");
    EXPECT_GT(Year(Now()), 2020);
}

TEST(Clock, MillisecondsSinceStartAdvance)
{
    const std::int64_t first = MillisecondsSinceStart();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(MillisecondsSinceStart() - first, 20);
}

} // namespace
} // namespace quillet
