#include "backup/clock_settings.h"

#include "platform/regional/locale_sources.h"
#include "platform/regional/read_settings.h"

namespace backup {

namespace {

regional::DateTimeSettings& settings_in_force()
{
    static regional::DateTimeSettings settings;
    return settings;
}

} // namespace

void LoadDateTimeSettings()
{
    settings_in_force() = regional::read_date_time_settings(
        regional::choose_locale(regional::LocaleSources::from_environment()));
}

const regional::DateTimeSettings& date_time_settings() { return settings_in_force(); }

} // namespace backup
