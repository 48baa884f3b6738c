#pragma once

#include "platform/toolkit/components.h"

namespace backup {

// The controls the copy command reads and changes, handed over by the main window.
struct CopyControls {
    toolkit::TEdit& clock;
    toolkit::TEdit& source;
    toolkit::TEdit& destination;
    toolkit::TListBox& log;
    toolkit::TBitBtn& copy_button;
    toolkit::TCheckBox& close_option;
};

// The copy command: the start line, the route line, the copy itself (the clock goes on
// meanwhile), the end line for what the copy came to, the save of the log file, "Kopioi"
// disabled, and the end request when the close option is ticked. Every field is read at the step
// that needs it. An error ends the command at that step. A run asked for while one is under way
// (by a poll that falls due during the copy) does nothing.
void run_copy(const CopyControls& c);

// The delete command: the typed path, exactly as it stands, to the file-operation service.
void run_delete(const toolkit::TEdit& path);

} // namespace backup
