#pragma once

#include "platform/regional/date_time_settings.h"

#include <string>
#include <string_view>

namespace backup {

// A local date and time, already split; the hour runs from 0 to 23.
struct Moment {
    int year, month, day, hour, minute, second, millisecond;
};

// The date-time text of `at`: the short date pattern expanded, then, unless hour, minute and
// second are all zero, one blank and the long time pattern expanded. Milliseconds never show
// and never round the seconds up. Pure; never throws except std::bad_alloc, for any settings
// and any moment.
std::string DateTimeText(const regional::DateTimeSettings& settings, const Moment& at);

// The long time pattern the items imply rather than one read from the locale: "h:mm:ss AMPM"
// for the fixed values, "hh:mm:ss" for a 24-hour clock with leading zero.
std::string long_time_pattern(const regional::DateTimeSettings& settings);

// Expands one date or time pattern for `at`. Any bytes are accepted: a well-formed UTF-8
// sequence is copied as one character, a stray byte as itself, an unterminated quote runs to
// the end. The result is well-formed UTF-8 whenever the pattern and the settings' texts are.
std::string expand_pattern(
    const regional::DateTimeSettings& settings, const Moment& at, std::string_view pattern);

} // namespace backup
