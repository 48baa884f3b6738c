#pragma once

#include <cstddef>
#include <string_view>

namespace regional {

// The length in bytes of the character that starts at `pos` (which must be inside `text`): the
// length of a well-formed UTF-8 sequence, or 1 for a byte that does not begin one, so that a
// scan over any bytes always moves on and never runs past the end.
std::size_t utf8_character_length(std::string_view text, std::size_t pos);

// Whether `text` is well-formed UTF-8 throughout.
bool is_valid_utf8(std::string_view text);

// The number of characters in well-formed UTF-8 `text` (a stray byte counts as one).
std::size_t utf8_character_count(std::string_view text);

} // namespace regional
