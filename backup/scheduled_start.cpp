#include "backup/scheduled_start.h"

#include "backup/event_log.h"

namespace backup {

void arm_scheduled_start(
    toolkit::TBitBtn& copy_button, toolkit::TListBox& log, const toolkit::TEdit& start_time, toolkit::TTimer& poll)
{
    copy_button.SetEnabled(false);
    append_line(log, scheduled_start_line(start_time.Text()));
    poll.SetEnabled(true);
}

bool ScheduledStart::is_due(const std::string& start_time, const std::string& clock_text)
{
    if (m_fired_at && *m_fired_at != clock_text)
        m_fired_at.reset();
    if (start_time != clock_text || m_fired_at)
        return false;
    m_fired_at = clock_text;
    return true;
}

} // namespace backup
