#pragma once

#include "platform/toolkit/application.h"

#include <memory>
#include <string>
#include <vector>

namespace toolkit {

// Lays out a message box: the icon at the left, the text beside it, the buttons centred below.
// The window is made by code, not from a description; its buttons carry their results.
std::unique_ptr<TForm> build_message_box(TApplication& app, const std::string& text,
    const std::string& caption, BoxIcon icon, const std::vector<TApplication::BoxButton>& buttons,
    int focused);

} // namespace toolkit
