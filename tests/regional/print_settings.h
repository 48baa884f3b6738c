#pragma once

#include "platform/regional/date_time_settings.h"

#include <ostream>

namespace regional {

// Lets a failed comparison show all eight items instead of the object's bytes.
inline void PrintTo(const DateTimeSettings& s, std::ostream* os)
{
    *os << "{ pattern \"" << s.short_date_pattern << "\", date separator \"" << s.date_separator
        << "\", time separator \"" << s.time_separator << "\", clock " << s.clock_kind << ", zero "
        << s.hour_leading_zero << ", position " << s.designator_position << ", designators \""
        << s.morning_designator << "\" \"" << s.afternoon_designator << "\" }";
}

} // namespace regional
