#include "backup/event_log.h"

#include "platform/files/executable.h"
#include "platform/files/replace_file.h"

namespace backup {

void append_line(toolkit::TListBox& log, std::string line) { log.add_line(std::move(line)); }

std::string scheduled_start_line(const std::string& start_time) { return "Kopiointi alkaa:   " + start_time; }

std::string start_line(const std::string& clock_text) { return "Kopiointi aloitettu  " + clock_text; }

std::string route_line(const std::string& source, const std::string& destination)
{
    return "Kopioidaan  " + source + " " + destination;
}

std::string completion_line(const std::string& clock_text) { return "Kopiointi valmis!   " + clock_text; }

std::string aborted_line(const std::string& clock_text) { return "Kopiointi keskeytetty!   " + clock_text; }

std::string failed_line(const std::string& clock_text) { return "Kopiointi epäonnistui!   " + clock_text; }

std::string log_file_path() { return files::executable_folder() + "loki.txt"; }

std::string log_text(const toolkit::TListBox& log)
{
    std::string text;
    for (const auto& line : log.Items()) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void save_log(const toolkit::TListBox& log)
{
    // The text is built whole first, so the file is written in one go.
    const std::string text = log_text(log);
    files::replace_file(log_file_path(), text);
}

} // namespace backup
