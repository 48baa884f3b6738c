#include "platform/toolkit/local_time.h"

#include <ctime>

namespace toolkit {

std::int64_t to_epoch_ms(const LocalTime& t)
{
    std::tm tm {};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    return static_cast<std::int64_t>(timegm(&tm)) * 1000 + t.millisecond;
}

LocalTime from_epoch_ms(std::int64_t ms)
{
    std::int64_t seconds = ms / 1000;
    int millis = static_cast<int>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    const std::time_t tt = static_cast<std::time_t>(seconds);
    std::tm tm {};
    gmtime_r(&tt, &tm);
    return { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, millis };
}

LocalTime system_local_time()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm {};
    localtime_r(&ts.tv_sec, &tm);
    return { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
        static_cast<int>(ts.tv_nsec / 1000000) };
}

std::int64_t system_monotonic_ms()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace toolkit
