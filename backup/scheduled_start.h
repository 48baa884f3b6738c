#pragma once

#include "platform/toolkit/components.h"

#include <optional>
#include <string>

namespace backup {

// Arming: "Kopioi" disabled, the scheduled-start line with the start time text, the poll on
// (a running poll keeps its rhythm).
void arm_scheduled_start(toolkit::TBitBtn& copy_button, toolkit::TListBox& log, const toolkit::TEdit& start_time,
    toolkit::TTimer& poll);

// The poll's one memory: the clock text at which it last fired. The clock shows each second for
// about two polls, so without it one start time would run the copy twice.
class ScheduledStart {
public:
    // Whether the poll fires now: the texts are equal byte for byte and the poll has not fired
    // at this clock text already. Another clock text makes it forget its last firing, so a
    // text that shows again later (the repeated hour when summer time ends) can fire again.
    bool is_due(const std::string& start_time, const std::string& clock_text);

private:
    std::optional<std::string> m_fired_at;
};

} // namespace backup
