#pragma once

#include "platform/regional/date_time_settings.h"

#include <string>

namespace regional {

// Reads the eight items from the installed locale `locale_name` (opened with `newlocale`, read
// with `nl_langinfo_l`, its texts converted to UTF-8 from the locale's own character set).
// Never throws and leaves nothing behind: a locale that cannot be opened gives all eight fixed
// values, and an item that cannot be read or converted keeps its own. An empty name names no
// locale here, since `newlocale` would take it as "ask the environment".
DateTimeSettings read_date_time_settings(const std::string& locale_name);

} // namespace regional
