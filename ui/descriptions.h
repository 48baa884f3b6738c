#pragma once

#include <string_view>

// The window descriptions, compiled into the executable.
namespace embedded {
std::string_view unit1_form();
std::string_view unit2_form();
} // namespace embedded
