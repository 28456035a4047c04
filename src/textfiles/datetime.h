#pragma once
// The local clock, as page headers, footers and page-file names show it.

namespace quillet {

// One reading of the local clock: month 1..12, day 1..31, hour 0..23, minute
// and second 0..59.  Everything a job shows of the time comes from one
// reading, so a line printed across a change of hour never mixes parts of
// two different times.
struct ClockReading {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool operator==(const ClockReading&) const = default;
};

ClockReading ReadClock();

} // namespace quillet
