#pragma once

#include "platform/files/drives.h"

#include <functional>
#include <string>

namespace fileops {

// Deletes, permanently, what the typed path names: a file (or a link, never followed); a folder
// with everything below it; or every file and folder that matches a wildcard in the last component.
// Each failure is handed to `report` as one Finnish text naming the item and the system's reason
// (`Kohdetta "<path>" ei voi poistaa.` and the reason on a line of its own); the delete goes on
// with the next item where that makes sense.
// Returns 0 when everything named went, else a nonzero error code (the first failure's errno).
//
// The text is mapped with files::map_path exactly as typed. A drive root, "/" however it is
// reached, and a wildcard directly in either are refused before anything is deleted (EPERM).
// Links in the folders the user typed up to the item are followed, as the user named them; from
// the item down every step is taken relative to an open folder and nothing is followed, so a
// folder swapped for a link while the delete runs is never entered. A folder that could not be
// emptied stays, and so do the folders above it, with only the cause reported.
//
// Throws std::invalid_argument when `working_folder` is not absolute, and whatever `report`
// throws (the delete then stops where it was, holding no descriptor); nothing else but
// std::bad_alloc.
int delete_typed_path(const std::string& typed, const files::DriveTable& drives,
    const std::string& working_folder, const std::function<void(const std::string& text)>& report);

} // namespace fileops
