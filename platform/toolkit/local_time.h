#pragma once

#include <cstdint>

namespace toolkit {

// A reading of the local wall clock, to the millisecond.
struct LocalTime {
    int year = 1970;
    int month = 1; // 1-12
    int day = 1; // 1-31
    int hour = 0; // 0-23
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    bool operator==(const LocalTime&) const = default;
};

// Milliseconds since the epoch, read as local wall-clock fields (no time zone applied), and back.
// The headless back-end keeps its virtual wall clock in this form.
std::int64_t to_epoch_ms(const LocalTime&);
LocalTime from_epoch_ms(std::int64_t);

// The system's local time now (CLOCK_REALTIME through localtime_r).
LocalTime system_local_time();

// The system's monotonic clock in milliseconds.
std::int64_t system_monotonic_ms();

} // namespace toolkit
