#include "backup/clock_settings.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <locale.h>

namespace backup {
namespace {

// The one test in this program that loads the settings, so that "before the first load" holds
// however the tests are run. LC_ALL decides before anything else, so no home folder or
// locale.conf of this machine plays a part.
TEST(ClockSettings, FixedValuesUntilLoadedThenTheChosenLocale)
{
    EXPECT_EQ(date_time_settings(), regional::DateTimeSettings {});

    const locale_t german = newlocale(LC_TIME_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
    if (!german)
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (package locales-all)";
    freelocale(german);

    setenv("LC_ALL", "de_DE.UTF-8", 1);
    LoadDateTimeSettings();
    const regional::DateTimeSettings& loaded = date_time_settings();
    EXPECT_EQ(loaded.short_date_pattern, "dd.MM.yyyy");
    EXPECT_EQ(loaded.clock_kind, 1);

    // A reload replaces them in place: the reference handed out before sees the new items.
    setenv("LC_ALL", "xx_XX.UTF-8", 1);
    LoadDateTimeSettings();
    EXPECT_EQ(loaded, regional::DateTimeSettings {});
    unsetenv("LC_ALL");
}

} // namespace
} // namespace backup
