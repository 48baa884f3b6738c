#include "backup/date_time_text.h"

#include <gtest/gtest.h>

namespace backup {
namespace {

using regional::DateTimeSettings;

DateTimeSettings fixed() { return {}; }

// A day-first 24-hour locale, optionally with leading zeros on the hour.
DateTimeSettings finnish_like(int leading_zero)
{
    DateTimeSettings s;
    s.short_date_pattern = "d.M.yyyy";
    s.date_separator = ".";
    s.clock_kind = 1;
    s.hour_leading_zero = leading_zero;
    return s;
}

DateTimeSettings twelve_hour(int position)
{
    DateTimeSettings s;
    s.designator_position = position;
    s.morning_designator = "AM";
    s.afternoon_designator = "PM";
    return s;
}

DateTimeSettings with_time_separator(std::string separator)
{
    DateTimeSettings s = finnish_like(1);
    s.time_separator = std::move(separator);
    return s;
}

TEST(DateTimeText, RendersDateAndTimeByTheItems)
{
    // clang-format off
    const struct { DateTimeSettings settings; Moment at; const char* expected; } cases[] = {
        // Every item at its fixed value.
        { fixed(),           { 2024, 12, 9, 13, 5, 7, 0 },     "12/9/24 1:05:07 pm" },
        { finnish_like(0),   { 2024, 12, 9, 9, 5, 7, 0 },      "9.12.2024 9:05:07" },
        { finnish_like(1),   { 2024, 12, 9, 9, 5, 7, 0 },      "9.12.2024 09:05:07" },
        // Midnight: the date alone, without a trailing blank, for the whole first second.
        { fixed(),           { 2024, 12, 9, 0, 0, 0, 0 },      "12/9/24" },
        { fixed(),           { 2024, 12, 9, 0, 0, 0, 999 },    "12/9/24" },
        { finnish_like(1),   { 2024, 12, 9, 0, 0, 1, 0 },      "9.12.2024 00:00:01" },
        // Only all three zero leave the time out.
        { finnish_like(1),   { 2024, 12, 9, 0, 1, 0, 0 },      "9.12.2024 00:01:00" },
        // The 12-hour clock: 0 shows as 12 am, noon as 12 pm, 13 as 1.
        { fixed(),           { 2024, 12, 9, 0, 0, 1, 0 },      "12/9/24 12:00:01 am" },
        { fixed(),           { 2024, 12, 9, 12, 0, 0, 0 },     "12/9/24 12:00:00 pm" },
        { fixed(),           { 2024, 12, 9, 13, 5, 0, 0 },     "12/9/24 1:05:00 pm" },
        { fixed(),           { 2024, 12, 9, 11, 59, 59, 0 },   "12/9/24 11:59:59 am" },
        // Designator before the time; with the 24-hour clock the position does not matter.
        { twelve_hour(1),    { 2024, 12, 9, 23, 5, 7, 0 },     "12/9/24 PM 11:05:07" },
        { twelve_hour(0),    { 2024, 12, 9, 23, 5, 7, 0 },     "12/9/24 11:05:07 PM" },
        // Milliseconds never show and never round the second up.
        { finnish_like(1),   { 2024, 12, 9, 12, 0, 59, 999 },  "9.12.2024 12:00:59" },
        // An empty time separator runs the fields together; a multi-byte one is copied whole.
        { with_time_separator(""),  { 2024, 12, 9, 9, 5, 7, 0 }, "9.12.2024 090507" },
        { with_time_separator("時"), { 2024, 12, 9, 9, 5, 7, 0 }, "9.12.2024 09時05時07" },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(DateTimeText(c.settings, c.at), c.expected);
    }
}

TEST(DateTimeText, LongTimePatternIsDerivedFromTheItems)
{
    // clang-format off
    const struct { int clock_kind, leading_zero, position; const char* expected; } cases[] = {
        { 0, 0, 0, "h:mm:ss AMPM" },
        { 0, 1, 1, "AMPM hh:mm:ss" },
        { 1, 0, 1, "h:mm:ss" },   // position ignored on the 24-hour clock
        { 7, 3, 0, "hh:mm:ss" },  // any value but 0 counts as "yes"
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        DateTimeSettings s;
        s.clock_kind = c.clock_kind;
        s.hour_leading_zero = c.leading_zero;
        s.designator_position = c.position;
        EXPECT_EQ(long_time_pattern(s), c.expected);
    }
}

TEST(DateTimeText, PatternExpansionFollowsTheTokenRules)
{
    DateTimeSettings s;
    s.date_separator = "-";
    s.time_separator = ".";
    s.morning_designator = "ap";
    s.afternoon_designator = "ip";
    const Moment at { 2005, 3, 4, 14, 7, 9, 321 };
    // clang-format off
    const struct { const char* pattern; const char* expected; } cases[] = {
        { "d dd m mm",      "4 04 3 03" },
        { "y yy yyy yyyyy", "05 05 2005 2005" },   // two digits, or the whole year
        { "DMY",            "4305" },              // letters in any case
        { "Dd",             "44" },                // a run is case-sensitive: two tokens
        { "ddd mmm",        "ddd mmm" },           // names are not carried: they stay text
        { "h:m:s",          "14.7.9" },            // m after an hour token is minutes
        { "hh mm",          "14 07" },             // non-letters between still count
        { "h d m",          "14 4 3" },            // another letter token in between: month
        { "hMm",            "1473" },              // only the first m after the hour
        { "h'x'm",          "14x7" } ,             // quoted text is no token
        { "hhhh nnn sss",   "14 07 09" },          // longer runs count as two digits
        { "y/m/d",          "05-3-4" },            // "/" and ":" are the separators
        { "'y/m' \"d:h\"",  "y/m d:h" },           // quoted text as it stands, either quote
        { "'unterminated",  "unterminated" },      // an open quote runs to the end
        { "\"'\"'\"'",      "'\"" },               // each quote inside the other kind
        { "z zzz c t g e",  "z zzz c t g e" },     // other letters stand as text
        { "x%é,",           "x%é," },              // other characters as they stand
        { "d年m月",         "4年3月" },            // a multi-byte character is one character
        // The 12-hour form: an earlier AMPM, or the first "a" outside quotes after the hour.
        { "h AMPM",         "2 ip" },
        { "AMPM h",         "ip 2" },
        { "hh ampm",        "02 ip" },             // any case
        { "h am",           "14 a3" },             // "a" begins no AMPM: 24-hour, and a token
        { "h 'a' AMPM",     "2 a ip" },            // a quoted "a" is passed over
        { "h h AMPM",       "14 2 ip" },           // the next hour token decides for itself
        { "h 'h' AMPM",     "14 h ip" },           // even a quoted "h" hands the question on
        { "aAMPM",          "aip" },               // the designator inside a run of "a"
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(expand_pattern(s, at, c.pattern), c.expected);
    }
}

TEST(DateTimeText, AnyBytesAreSafe)
{
    const DateTimeSettings s;
    const Moment at { -2147483647 - 1, 99, -5, 25, -1, 2147483647, 0 };
    // clang-format off
    const struct { std::string pattern; std::string expected; } cases[] = {
        // Stray bytes and a cut-off sequence are copied one by one; a quote after a broken
        // lead byte still opens quoted text.
        { "\xE3\x81",        "\xE3\x81" },
        { "\xE3'h'",         "\xE3h" },
        { "\xFF\x80",        "\xFF\x80" },
        { std::string("d\0m", 3), std::string("-5\x00" "99", 5) },
        // Values out of range render as numbers, never crash.
        { "yy yyyy",         "52 -2147483648" },
        { "h n s AMPM",      "13 -1 2147483647 pm" },
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.pattern));
        EXPECT_EQ(expand_pattern(s, at, c.pattern), c.expected);
    }
}

} // namespace
} // namespace backup
