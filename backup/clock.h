#pragma once

#include "platform/toolkit/components.h"

#include <string>

namespace backup {

// The date-time text of a fresh reading of the local clock, under the settings in force.
std::string current_date_time_text();

// The clock tick: the current text into the main window's clock field, then a second reading
// into the settings window's clock field.
void clock_tick(toolkit::TEdit& clock, toolkit::TEdit& settings_clock);

} // namespace backup
