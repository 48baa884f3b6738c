#include "platform/regional/read_settings.h"

#include "backup/date_time_text.h"
#include "tests/regional/print_settings.h"

#include <cctype>
#include <gtest/gtest.h>
#include <locale.h>

namespace regional {
namespace {

bool is_installed(const char* name)
{
    const locale_t locale = newlocale(LC_CTYPE_MASK | LC_TIME_MASK, name, static_cast<locale_t>(0));
    if (!locale)
        return false;
    freelocale(locale);
    return true;
}

struct LocaleRow {
    const char* name;
    DateTimeSettings expected;
    const char* text; // the date-time text of 2024-12-09 13:05:07.250
};

void PrintTo(const LocaleRow& row, std::ostream* os) { *os << row.name; }

class RealLocale : public testing::TestWithParam<LocaleRow> { };

TEST_P(RealLocale, GivesItsItemsAndText)
{
    const LocaleRow& row = GetParam();
    if (!is_installed(row.name))
        GTEST_SKIP() << "locale " << row.name << " is not installed (package locales-all)";
    const DateTimeSettings settings = read_date_time_settings(row.name);
    EXPECT_EQ(settings, row.expected);
    EXPECT_EQ(backup::DateTimeText(settings, { 2024, 12, 9, 13, 5, 7, 250 }), row.text);
}

// Items in the order: pattern, date separator, time separator, clock kind, leading zero,
// designator position, morning and afternoon designators.
// clang-format off
const LocaleRow real_locales[] = {
    // Read like any other: %m/%d/%y and a 24-hour clock.
    { "C",            { "MM/dd/yy",   "/", ":", 1, 1, 0, "AM", "PM" }, "12/09/24 13:05:07" },
    // T_FMT is %r: the 12-hour clock with leading zero, designator after.
    { "en_US.UTF-8",  { "MM/dd/yyyy", "/", ":", 0, 1, 0, "AM", "PM" }, "12/09/2024 01:05:07 PM" },
    { "en_GB.UTF-8",  { "dd/MM/yy",   "/", ":", 1, 1, 0, "am", "pm" }, "09/12/24 13:05:07" },
    // Dots as time separator; empty designators stay empty.
    { "fi_FI.UTF-8",  { "dd.MM.yyyy", ".", ".", 1, 1, 0, "",   ""   }, "09.12.2024 13.05.07" },
    { "de_DE.UTF-8",  { "dd.MM.yyyy", ".", ":", 1, 1, 0, "",   ""   }, "09.12.2024 13:05:07" },
    { "sv_SE.UTF-8",  { "yyyy-MM-dd", "-", ":", 1, 1, 0, "",   ""   }, "2024-12-09 13:05:07" },
    // "%d. %m. %Y": the two-character date separator ". " is unreadable and gives "/".
    { "sl_SI.UTF-8",  { "dd. MM. yyyy", "/", ":", 1, 1, 0, "", ""   }, "09. 12. 2024 13:05:07" },
    // %-d.%-m.: days and months without leading zero.
    { "cs_CZ.UTF-8",  { "d.M.yyyy",   ".", ":", 1, 1, 0, "",   ""   }, "9.12.2024 13:05:07" },
    // A multi-byte date separator is one character.
    { "ja_JP.UTF-8",  { "yyyy年MM月dd日", "年", ":", 1, 1, 0, "午前", "午後" }, "2024年12月09日 13:05:07" },
    // ISO-8859-7 texts converted to UTF-8; %r with a 12-hour clock.
    { "el_GR@euro",   { "dd/MM/yyyy", "/", ":", 0, 1, 0, "πμ", "μμ" }, "09/12/2024 01:05:07 μμ" },
    // EUC-JP texts converted to UTF-8.
    { "ja_JP.eucJP",  { "yyyy年MM月dd日", "年", ":", 1, 1, 0, "午前", "午後" }, "2024年12月09日 13:05:07" },
    // A weekday in D_FMT: the fixed pattern and separator; the designator goes first.
    { "zh_HK.UTF-8",  { "m/d/yy",     "/", ":", 0, 1, 1, "上午", "下午" }, "12/9/24 下午 01:05:07" },
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Table, RealLocale, testing::ValuesIn(real_locales),
    [](const testing::TestParamInfo<LocaleRow>& row) {
        std::string name;
        for (const char* c = row.param.name; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST(ReadSettings, LocaleThatCannotBeOpenedGivesFixedValues)
{
    // Not installed, malformed, and the empty name that newlocale would take from the
    // environment.
    for (const char* name : { "xx_XX.UTF-8", "fi_FI.NO-SUCH-CODESET", "", "fi_FI.UTF-8;junk" }) {
        SCOPED_TRACE(name);
        const DateTimeSettings settings = read_date_time_settings(name);
        EXPECT_EQ(settings, DateTimeSettings {});
        EXPECT_EQ(
            backup::DateTimeText(settings, { 2024, 12, 9, 13, 5, 7, 0 }), "12/9/24 1:05:07 pm");
    }
}

} // namespace
} // namespace regional
