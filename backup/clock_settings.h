#pragma once

#include "platform/regional/date_time_settings.h"

namespace backup {

// Reads the regional date and time items of the user's locale afresh (the locale chosen from
// the environment and the locale settings file) and makes them the ones in force. Runs at
// start-up and on every settings-change announcement; never throws except std::bad_alloc.
void LoadDateTimeSettings();

// The items in force: the fixed values until the first LoadDateTimeSettings(). The reference
// stays valid for the program's lifetime and sees later loads. User-interface thread only.
const regional::DateTimeSettings& date_time_settings();

} // namespace backup
