#include "runtime/datetime.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace quillet {
namespace {

using namespace std::chrono;

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
// Beyond about the year 9999 a date-time is not a date any more.
constexpr double kLargestDays = 3'000'000.0;

constexpr sys_days kEpoch = sys_days(year(1899) / December / 30);

std::optional<DateTime>& FixedClock()
{
    static std::optional<DateTime> fixed;
    return fixed;
}

struct Fields {
    year_month_day date;
    hh_mm_ss<milliseconds> time;
};

Fields Split(DateTime value)
{
    double days = value.days;
    if (!std::isfinite(days) || std::fabs(days) > kLargestDays)
        days = 0.0;
    // Whole milliseconds first, so that 0.5 day minus rounding noise still
    // reads as 12:00:00 and not 11:59:59.
    const auto total = static_cast<std::int64_t>(std::llround(days * kMillisecondsPerDay));
    std::int64_t wholeDays = total / kMillisecondsPerDay;
    std::int64_t rest = total % kMillisecondsPerDay;
    if (rest < 0) {
        rest += kMillisecondsPerDay;
        --wholeDays;
    }
    return {year_month_day(kEpoch + std::chrono::days(wholeDays)),
            hh_mm_ss<milliseconds>(milliseconds(rest))};
}

} // namespace

DateTime Now()
{
    if (FixedClock())
        return *FixedClock();
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    DateTime result = MakeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                   local.tm_hour, local.tm_min, local.tm_sec);
    result.days += static_cast<double>(millis) / kMillisecondsPerDay;
    return result;
}

void SetClockForTesting(std::optional<DateTime> fixedTime)
{
    FixedClock() = fixedTime;
}

DateTime MakeDateTime(int yearValue, int monthValue, int dayValue, int hour, int minute, int second)
{
    // Months and days beyond their ranges carry over (month 13 is January of
    // the next year, 31 April is 1 May), so every input names some day.
    const int monthIndex = monthValue - 1;
    const int carriedYears = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    const int normalizedMonth = monthIndex - carriedYears * 12 + 1;
    const sys_days date = sys_days(year(yearValue + carriedYears)
                                   / month(static_cast<unsigned>(normalizedMonth)) / day(1))
                          + std::chrono::days(dayValue - 1);
    const double wholeDays = static_cast<double>((date - kEpoch).count());
    const double seconds = hour * 3600.0 + minute * 60.0 + second;
    return DateTime{wholeDays + seconds / 86400.0};
}

int Year(DateTime value)
{
    return static_cast<int>(Split(value).date.year());
}

int Month(DateTime value)
{
    return static_cast<int>(static_cast<unsigned>(Split(value).date.month()));
}

int Day(DateTime value)
{
    return static_cast<int>(static_cast<unsigned>(Split(value).date.day()));
}

int Hour(DateTime value)
{
    return static_cast<int>(Split(value).time.hours().count());
}

int Minute(DateTime value)
{
    return static_cast<int>(Split(value).time.minutes().count());
}

int Second(DateTime value)
{
    return static_cast<int>(Split(value).time.seconds().count());
}

std::string DateTimeToText(DateTime value)
{
    const Fields fields = Split(value);
    const int hour = static_cast<int>(fields.time.hours().count());
    const int minute = static_cast<int>(fields.time.minutes().count());
    const int second = static_cast<int>(fields.time.seconds().count());
    std::string text = std::to_string(static_cast<int>(fields.date.year())) + "年"
                       + std::to_string(static_cast<unsigned>(fields.date.month())) + "月"
                       + std::to_string(static_cast<unsigned>(fields.date.day())) + "日";
    if (second != 0)
        text += std::to_string(hour) + "时" + std::to_string(minute) + "分" + std::to_string(second)
                + "秒";
    else if (minute != 0)
        text += std::to_string(hour) + "时" + std::to_string(minute) + "分";
    else if (hour != 0)
        text += std::to_string(hour) + "时";
    return text;
}

std::int64_t MillisecondsSinceStart()
{
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace quillet
