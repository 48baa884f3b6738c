#include "platform/regional/time_formats.h"

#include "tests/regional/print_settings.h"

#include <gtest/gtest.h>

namespace regional {
namespace {

// Formats of the kind glibc locales carry, with designators that the rows do not look at.
LocaleTimeTexts formats(std::optional<std::string> d_fmt, std::optional<std::string> t_fmt,
    std::optional<std::string> t_fmt_ampm = "")
{
    return { std::move(d_fmt), std::move(t_fmt), std::move(t_fmt_ampm), "AM", "PM" };
}

// The settings a 24-hour "%H:%M:%S" gives, with the date items of the row.
DateTimeSettings date_items(std::string pattern, std::string separator)
{
    DateTimeSettings s;
    s.short_date_pattern = std::move(pattern);
    s.date_separator = std::move(separator);
    s.clock_kind = 1;
    s.hour_leading_zero = 1;
    s.morning_designator = "AM";
    s.afternoon_designator = "PM";
    return s;
}

TEST(TimeFormats, DateFormatGivesPatternAndSeparator)
{
    // clang-format off
    const struct { const char* d_fmt; const char* pattern; const char* separator; } cases[] = {
        { "%d.%m.%Y",        "dd.MM.yyyy",        "." },  // the common case
        { "%-d.%-m.%Y",      "d.M.yyyy",          "." },  // "-" drops the leading zero
        { "%e.%m.%Y",        "d.MM.yyyy",         "." },  // %e pads with a blank, not a zero
        { "%_d/%0e/%y",      "d/dd/yy",           "/" },  // "_" and "0" flags; %y is two digits
        { "%D",              "MM/dd/yy",          "/" },  // composite written out first
        { "%F",              "yyyy-MM-dd",        "-" },
        { "%Y%m%d",          "yyyyMMdd",          ""  },  // fields side by side: empty separator
        { "%d. %m. %Y",      "dd. MM. yyyy",      "/" },  // two-character separator is unreadable
        { "%Y年%m月%d日",    "yyyy年MM月dd日",    "年" }, // a multi-byte separator is one character
        { "%d de %m de %Y",  "dd 'de' MM 'de' yyyy", "/" }, // ASCII letters go between quotes
        { "%d'%m\"%y",       "dd\"'\"MM'\"'yy",   "'" },  // quote characters stay text
        { "%d%e.%m",         "dd''d.MM",          ""  },  // "ddd" would be a weekday token
        { "%Oy/%Om/%Od",     "yy/MM/dd",          "/" },  // alternative digits read as digits
        { "%Y",              "yyyy",              "/" },  // one field: no separator to read
        { "%d%%%m",          "dd%MM",             "%" },  // "%%" is a literal percent sign
        { "%d.%m.%",         "dd.MM.%",           "." },  // unfinished conversion stands as text
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.d_fmt);
        EXPECT_EQ(settings_from_locale_texts(formats(c.d_fmt, "%H:%M:%S")),
            date_items(c.pattern, c.separator));
    }
}

TEST(TimeFormats, ConversionWithoutPatternLetterLeavesDateItemsFixed)
{
    const char* const cases[] = {
        "%d %b %Y", // month name
        "%A %d.%m.%Y", // weekday before readable fields: the separator is not taken either
        "%d/%m/%Ey", // era year
        "%C%y-%m-%d", // century
        "%Ed.%m", // "E" on a plain number is no conversion strftime knows
    };
    for (const char* d_fmt : cases) {
        SCOPED_TRACE(d_fmt);
        const DateTimeSettings s = settings_from_locale_texts(formats(d_fmt, "%H:%M:%S"));
        EXPECT_EQ(s.short_date_pattern, "m/d/yy");
        EXPECT_EQ(s.date_separator, "/");
    }
}

TEST(TimeFormats, TimeFormatGivesClockItems)
{
    // clang-format off
    const struct {
        const char* t_fmt; const char* t_fmt_ampm;
        const char* separator; int clock_kind; int leading_zero; int position;
    } cases[] = {
        { "%H:%M:%S",        "",       ":", 1, 1, 0 },  // 24-hour with zero
        { "%T",              "",       ":", 1, 1, 0 },  // composite written out
        { "%k:%M:%S",        "",       ":", 1, 0, 0 },  // blank-padded hour: no zero
        { "%-H:%M:%S",       "",       ":", 1, 0, 0 },
        { "%_H:%M:%S",       "",       ":", 1, 0, 0 },
        { "%0k:%M:%S",       "",       ":", 1, 1, 0 },  // "0" flag pads with zeros
        { "%I:%M:%S %p",     "",       ":", 0, 1, 0 },  // 12-hour, designator after
        { "%l:%M:%S %P %Z",  "",       ":", 0, 0, 0 },
        { "%-I:%M:%S %p",    "",       ":", 0, 0, 0 },
        { "%p %I:%M:%S",     "",       ":", 0, 1, 1 },  // designator before the hour
        { "%Z %I:%M:%S %p",  "",       ":", 0, 1, 0 },  // a zone name first is no designator
        { "%r",              "%p%I.%M.%S", ".", 0, 1, 1 }, // %r is the locale's 12-hour form
        { "%r",              "",       ":", 0, 1, 0 },  // empty one: strftime's own "%I:%M:%S %p"
        { "%OH:%OM:%OS",     "",       ":", 1, 1, 0 },  // alternative digits
        { "%H.%M.%S",        "",       ".", 1, 1, 0 },
        { "%H%M%S",          "",       "",  1, 1, 0 },  // nothing between: empty separator
        { "kl. %H.%M %z",    "",       ".", 1, 1, 0 },  // no seconds: hour and minute decide
        { "%H時%M分%S秒",    "",       ":", 1, 1, 0 },  // two different separators: none fits
        { "%H시 %M분 %S초",  "",       ":", 1, 1, 0 },  // two characters: unreadable
        { "%H:%S",           "",       ":", 1, 1, 0 },  // no minute after the hour
        // No hour at all says nothing about the clock: all four keep their fixed values.
        { "%M:%S",           "",       ":", 0, 0, 0 },
        { "",                "",       ":", 0, 0, 0 },
        { "%EH:%M",          "",       ":", 0, 0, 0 },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.t_fmt) + " / " + c.t_fmt_ampm);
        const DateTimeSettings s
            = settings_from_locale_texts(formats("%d.%m.%Y", c.t_fmt, c.t_fmt_ampm));
        EXPECT_EQ(s.time_separator, c.separator);
        EXPECT_EQ(s.clock_kind, c.clock_kind);
        EXPECT_EQ(s.hour_leading_zero, c.leading_zero);
        EXPECT_EQ(s.designator_position, c.position);
    }
}

TEST(TimeFormats, TextThatCouldNotBeReadKeepsFixedValues)
{
    // Every text absent: the eight fixed values.
    EXPECT_EQ(settings_from_locale_texts({}), DateTimeSettings {});

    // %r needs T_FMT_AMPM; without it the time items cannot be read.
    const DateTimeSettings no_ampm
        = settings_from_locale_texts(formats("%d.%m.%Y", "%r", std::nullopt));
    EXPECT_EQ(no_ampm.clock_kind, 0);
    EXPECT_EQ(no_ampm.hour_leading_zero, 0);
    EXPECT_EQ(no_ampm.short_date_pattern, "dd.MM.yyyy");

    // A T_FMT_AMPM that names itself must not recurse.
    const DateTimeSettings self = settings_from_locale_texts(formats("%d", "%r", "%r"));
    EXPECT_EQ(self.clock_kind, 0);
}

TEST(TimeFormats, DesignatorsAreKeptEvenWhenEmpty)
{
    LocaleTimeTexts texts = formats("%d", "%H");
    texts.am_str = "";
    texts.pm_str = "μμ";
    const DateTimeSettings s = settings_from_locale_texts(texts);
    EXPECT_EQ(s.morning_designator, "");
    EXPECT_EQ(s.afternoon_designator, "μμ");

    texts.am_str.reset(); // could not be converted: the fixed value
    EXPECT_EQ(settings_from_locale_texts(texts).morning_designator, "am");
}

} // namespace
} // namespace regional
