#include "backup/clock.h"

#include "backup/clock_settings.h"
#include "backup/date_time_text.h"
#include "platform/toolkit/application.h"

namespace backup {

std::string current_date_time_text()
{
    const toolkit::LocalTime t = toolkit::Application->local_time();
    return DateTimeText(date_time_settings(), { t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond });
}

void clock_tick(toolkit::TEdit& clock, toolkit::TEdit& settings_clock)
{
    // Two readings: when a second boundary falls between them the fields differ until the next
    // tick.
    clock.SetText(current_date_time_text());
    settings_clock.SetText(current_date_time_text());
}

} // namespace backup
