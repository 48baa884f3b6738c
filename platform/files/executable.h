#pragma once

#include <optional>
#include <string>

namespace files {

// The full path of the running executable, as the kernel reports it through /proc/self/exe.
// Throws SystemError when the link cannot be read.
std::string executable_path();

// The folder of the running executable, up to and including its last '/'. Files that belong
// beside the program (the log file) are named by appending to it. Throws SystemError like
// executable_path(), unless the override below is in force.
std::string executable_folder();

// For unit tests only: makes executable_folder() return `folder` until it is called again with
// std::nullopt, so that tests running side by side never share a file beside the executable.
// `folder` must be non-empty and end in '/'; throws std::invalid_argument otherwise and leaves
// the previous setting in force. No environment variable or option reaches this.
void set_executable_folder_for_tests(std::optional<std::string> folder);

} // namespace files
