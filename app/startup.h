#pragma once

#include "platform/toolkit/backend.h"

#include <string_view>

namespace app {

struct Descriptions {
    std::string_view main_window;
    std::string_view settings_window;
};
// The descriptions compiled into the program.
Descriptions builtin_descriptions();

// Starts the program on `backend` in its fixed order, runs it until it ends and returns the
// exit code: 0 after an ordinary end, 1 when the windows could not be created.
int run(toolkit::Backend& backend, const Descriptions& descriptions = builtin_descriptions());

// "Kind: message" for the box shown when start-up fails.
std::string describe_startup_error(const std::exception& error);

} // namespace app
