#pragma once

#include "platform/toolkit/components.h"

#include <string>

namespace backup {

// The event log is the lines of the main window's list, only ever appended to. Every line is a
// fixed prefix followed by a value taken unchanged.

// Appends a composed line at the end of the list, without scrolling or selecting. Throws
// toolkit::ListError ("Unable to insert a line") when the list cannot take it.
void append_line(toolkit::TListBox& log, std::string line);

std::string scheduled_start_line(const std::string& start_time);
std::string start_line(const std::string& clock_text);
std::string route_line(const std::string& source, const std::string& destination);
std::string completion_line(const std::string& clock_text);
std::string aborted_line(const std::string& clock_text);
std::string failed_line(const std::string& clock_text);

// The log file beside the running program, worked out anew at every save.
std::string log_file_path();
// The whole log as the file holds it: every line followed by CR LF, UTF-8, no byte-order mark.
std::string log_text(const toolkit::TListBox& log);
// Replaces the log file with the whole log. Throws files::CreateError ("Cannot create file ...")
// or files::WriteError ("Stream write error"); the previous file is then left as it was.
void save_log(const toolkit::TListBox& log);

} // namespace backup
