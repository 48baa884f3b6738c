#pragma once

#include "platform/regional/date_time_settings.h"

#include <optional>
#include <string>

namespace regional {

// A locale's date and time texts as `nl_langinfo_l` gives them, already converted to UTF-8.
// An absent text is one that could not be read or converted; the items that depend on it take
// their fixed values.
struct LocaleTimeTexts {
    std::optional<std::string> d_fmt;
    std::optional<std::string> t_fmt;
    std::optional<std::string> t_fmt_ampm;
    std::optional<std::string> am_str;
    std::optional<std::string> pm_str;
};

// Derives the eight items from a locale's strftime formats and designators. Never throws for
// any input: whatever cannot be derived keeps its fixed value.
//
// - The short date pattern and the date separator come from `d_fmt`. Any conversion other than
//   the day, month and two- or four-digit year (names, weekdays, centuries, era years) leaves
//   both at their fixed values, since the fixed pattern joined with another format's separator
//   would be neither. The "O" modifier (alternative digits) is read as the plain conversion,
//   since the date-time text always writes ASCII digits.
// - The time separator must be one and the same between hour and minute and between minute and
//   second, as the long time pattern uses it in both places.
// - The four time items come from `t_fmt`. A `t_fmt` with no hour conversion says nothing
//   about the clock, so then all four keep their fixed values.
DateTimeSettings settings_from_locale_texts(const LocaleTimeTexts& texts);

} // namespace regional
