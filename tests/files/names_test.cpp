#include "platform/files/names.h"

#include <gtest/gtest.h>

namespace {

TEST(Names, CompareRegardlessOfCase)
{
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    // clang-format off
    const Case cases[] = {
        { "Omat tiedostot", "OMAT TIEDOSTOT", true  }, // ASCII
        { "ä",              "Ä",              true  }, // Latin-1 Supplement
        { "Þórr",           "þÓRR",           true  }, // ... thorn and accented vowels
        { "µ",              "Μ",              true  }, // micro sign folds to Greek mu
        { "Łódź",           "ŁÓDŹ",           true  }, // Latin Extended-A, odd-upper pairs
        { "Ÿ",              "ÿ",              true  }, // ... the pair that leaves its block
        { "ſ",              "S",              true  }, // long s
        { "Ș",              "ș",              true  }, // Latin Extended-B
        { "ΣΟΦΟΣ",          "σοφος",          true  }, // Greek, final sigma
        { "Ёлка",           "ёЛКА",           true  }, // Cyrillic, both blocks of capitals
        { "Ѣ",              "ѣ",              true  }, // historic Cyrillic pairs
        { "Ạ",              "ạ",              true  }, // Latin Extended Additional
        { "K",              "k",              true  }, // Kelvin sign
        { "ß",              "ss",             false }, // simple folding: one code point to one
        { "İ",              "i",              false }, // dotted capital I has no simple folding
        { "a",              "á",              false }, // accents are not case
        { "ab",             "a",              false }, // a prefix is not the name
        { "caf\xE9",        "CAF\xE9",        false }, // not UTF-8: bytes, no folding
        { "caf\xE9",        "caf\xE9",        true  }, // ... equal bytes are one name
        { "\xC3\x84",       "\xC3\xA4",       true  }, // the same "Ä"/"ä" as bytes
        { "\xC0\xC1",       "\xE0\xE1",       false }, // Latin-1 bytes are not taken for letters
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.a) + " / " + row.b);
        EXPECT_EQ(files::same_name_ignoring_case(row.a, row.b), row.same);
        EXPECT_EQ(files::same_name_ignoring_case(row.b, row.a), row.same);
    }
}

TEST(Names, DecodesOnlyValidUtf8)
{
    // Each of these would fold or compare as some other text if the decoder took it.
    // clang-format off
    const char* invalid[] = {
        "\xC0\xAF",         // overlong '/'
        "\xE0\x80\xAF",     // overlong, three bytes
        "\xED\xA0\x80",     // a surrogate
        "\xF4\x90\x80\x80", // above U+10FFFF
        "\xC3",             // cut short at the end
        "a\x80z",           // a lone continuation byte
        "\xC3\x28",         // a lead byte followed by ASCII
        "\xF8\x88\x80\x80\x80", // five-byte form
    };
    // clang-format on
    for (const char* text : invalid) {
        SCOPED_TRACE(::testing::PrintToString(std::string(text)));
        EXPECT_FALSE(files::decode_utf8(text).has_value());
    }
    EXPECT_EQ(files::decode_utf8("aä€𝄞"), std::u32string(U"aä€𝄞"));
}

TEST(Names, MatchWildcards)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    // clang-format off
    const Case cases[] = {
        { "*.txt",      "Raportti.TXT",     true  }, // case is ignored
        { "*.txt",      "raportti.txt.bak", false }, // the ending must be at the end
        { "*",          "",                 true  }, // '*' takes nothing too
        { "*",          ".piilotettu",      true  }, // a leading dot is no hidden file here
        { "?",          "ä",                true  }, // '?' is one character, not one byte
        { "??",         "ä",                false }, // ... so two of them do not fit one "ä"
        { "?",          "",                 false }, // '?' needs a character
        { "a*b*c",      "aXbYbZc",          true  }, // backtracking to a later 'b'
        { "a*b*c",      "aXbY",             false }, // ... and giving up
        { "*a",         "aaaa",             true  }, // star before the last unit
        { "*x*",        "yyy",              false },
        { "Ä*",         "äänitteet",        true  }, // folded letters in the pattern
        { "*.*",        "README",           true  }, // "*.*" matches every name
        { "raportti.*", "raportti",         true  }, // ".*" also matches no extension
        { "raportti.*", "raportti2",        false }, // ... but only where the rest matches
        { "raportti.*", "raportti.doc",     true  },
        { "?",          "\xE9",             true  }, // not UTF-8: '?' is one byte
        { "CAF?",       "caf\xE9",          false }, // ... and no folding
        { "caf*",       "caf\xE9",          true  },
        { "",           "",                 true  },
        { "",           "x",                false },
        { "a?c",        "a*c",              true  }, // '*' in a name is just a character
    };
    // clang-format on
    for (const auto& row : cases) {
        SCOPED_TRACE(std::string(row.pattern) + " ~ " + row.name);
        EXPECT_EQ(files::wildcard_match(row.pattern, row.name), row.matches);
    }
}

} // namespace
