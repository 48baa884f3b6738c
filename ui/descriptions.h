#pragma once

#include <string_view>

// The window descriptions, compiled into the executable.
namespace embedded {
std::string_view unit1_form();
std::string_view unit2_form();
// The program icon file: the portrait in 16 x 16 and 32 x 32, in 16 and 256 colours.
std::string_view program_icon();
} // namespace embedded
