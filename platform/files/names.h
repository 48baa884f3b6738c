#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace files {

// Names of files compared the way the program's users expect: regardless of case.
//
// A name that is valid UTF-8 is compared code point by code point after simple case folding
// (one code point to one, so "ä" matches "Ä", "ς" and "Σ" match "σ", but "ß" does not match
// "ss"). The folding covers ASCII, Latin-1 Supplement, Latin Extended-A and -B, Latin Extended
// Additional, Greek, Cyrillic and Armenian, and a few letter-like symbols (the Kelvin and Ångström
// signs); other code points compare as they stand. A name that is not valid UTF-8 has no
// characters to fold and compares byte for byte.

// The simple case folding of `c`; `c` itself where it has none in the ranges above.
char32_t fold_case(char32_t c);

// Whether `a` and `b` are one name regardless of case.
bool same_name_ignoring_case(std::string_view a, std::string_view b);

// Whether `name` matches `pattern`, regardless of case: '*' stands for any run of characters
// (none included, a leading '.' included), '?' for exactly one character (one UTF-8 sequence,
// or one byte where either text is not valid UTF-8), everything else for itself. As users of
// the program's home platform expect, a pattern ending in ".*" also matches a name that the
// pattern without that ending matches, so "*.*" matches every name and "raportti.*" matches
// "raportti".
bool wildcard_match(std::string_view pattern, std::string_view name);

// Whether `component` holds a wildcard character.
bool has_wildcard(std::string_view component);

// The code points of `text`, or nothing if it is not valid UTF-8 (overlong forms, surrogates
// and values above U+10FFFF included).
std::optional<std::u32string> decode_utf8(std::string_view text);

} // namespace files
