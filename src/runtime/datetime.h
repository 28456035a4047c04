#pragma once
// Date-times: days since 30 December 1899 (midnight), the fraction being the
// time of day, read from the local clock.

#include <cstdint>
#include <optional>
#include <string>

namespace quillet {

struct DateTime {
    double days = 0.0;
};

// The local clock, or the time fixed by SetClockForTesting.
DateTime Now();

// Fixes the time that Now() returns; an empty value lets the real clock run.
void SetClockForTesting(std::optional<DateTime> fixedTime);

// The date-time of a calendar date and a time of day (local, no time zone).
DateTime MakeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Calendar fields: month 1..12, day 1..31, hour 0..23, minute and second
// 0..59.  A value that is not a date at all (NaN, beyond the year 9999) reads
// as 30 December 1899, midnight.
int Year(DateTime value);
int Month(DateTime value);
int Day(DateTime value);
int Hour(DateTime value);
int Minute(DateTime value);
int Second(DateTime value);

// "%d年%d月%d日", then "%d时%d分%d秒" when the seconds are not 0, else "%d时%d分"
// when the minutes are not 0, else "%d时" when the hour is not 0.
std::string DateTimeToText(DateTime value);

// Milliseconds on a steady clock that never goes back (system start based).
std::int64_t MillisecondsSinceStart();

} // namespace quillet
