#include "backup/copy_command.h"

#include "backup/event_log.h"
#include "platform/toolkit/application.h"
#include "shell/shell_operations.h"

namespace backup {

namespace {
    bool g_copy_running = false;

    struct RunningCopy {
        RunningCopy() { g_copy_running = true; }
        ~RunningCopy() { g_copy_running = false; }
    };

    std::string end_line(const shell::Outcome& outcome, const std::string& clock_text)
    {
        // A broken-off copy is reported as such even when an item had failed before it.
        if (outcome.aborted)
            return aborted_line(clock_text);
        if (outcome.result != 0)
            return failed_line(clock_text);
        return completion_line(clock_text);
    }
} // namespace

void run_copy(const CopyControls& c)
{
    if (g_copy_running)
        return;
    const RunningCopy running;

    append_line(c.log, start_line(c.clock.Text()));
    const std::string source = c.source.Text();
    const std::string destination = c.destination.Text();
    append_line(c.log, route_line(c.source.Text(), c.destination.Text()));

    // Waits until the copy is over; timers keep running, so the clock shows when it ended.
    const shell::Outcome outcome = shell::ShellCopy(source, destination);

    append_line(c.log, end_line(outcome, c.clock.Text()));
    save_log(c.log); // throws: the steps below then do not run
    c.copy_button.SetEnabled(false);
    if (c.close_option.Checked())
        toolkit::Application->Terminate();
}

void run_delete(const toolkit::TEdit& path) { shell::ShellDelete(path.Text()); }

} // namespace backup
