#pragma once

#include <string>

namespace regional {

// The regional date and time items the date-time text is formed by. Every member starts at the
// value that applies when the locale cannot give it, so a default-constructed object is the
// "nothing could be read" case. Texts are UTF-8.
struct DateTimeSettings {
    std::string short_date_pattern = "m/d/yy";
    std::string date_separator = "/"; // empty or one UTF-8 character
    std::string time_separator = ":"; // empty or one UTF-8 character
    int clock_kind = 0; // 0: 12-hour clock with designator, else 24-hour
    int hour_leading_zero = 0; // 0: no leading zero
    int designator_position = 0; // 0: after the time, else before
    std::string morning_designator = "am";
    std::string afternoon_designator = "pm";
    bool operator==(const DateTimeSettings&) const = default;
};

} // namespace regional
