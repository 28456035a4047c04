#include "textfiles/datetime.h"

#include <QDateTime>

namespace quillet {

ClockReading ReadClock()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    return ClockReading{date.year(), date.month(),  date.day(),
                        time.hour(), time.minute(), time.second()};
}

} // namespace quillet
