#pragma once

#include "platform/files/drives.h"
#include "platform/files/names.h"

#include <string>
#include <string_view>

namespace files {

// A path as the user typed it, mapped onto this file system by map_path().
struct MappedPath {
    // The absolute, normalised path (no "." or "..", no repeated or trailing '/'); for a
    // wildcard, the folder that holds the matches. Empty exactly when the text names nothing:
    // an empty text, a text holding a NUL character, or a drive with no mapping. An empty path
    // fails every system call with ENOENT, so a caller that passes it on anyway finds nothing.
    std::string path;
    // The last component when it holds '*' or '?' (match it with wildcard_match), else empty.
    std::string pattern;
    // The root folder of the drive the path lies on: the drive's folder for "C:..." and for a
    // path that starts with a separator (drive Z:), and "/" for a path relative to the working
    // folder, which may climb to the top of the file system but no further. `path` always lies
    // in or below it. Empty when the text names nothing.
    std::string drive_root;
    // The text started with a drive letter that has no mapping.
    bool on_unmapped_drive = false;
    // The text ended in a separator ("C:\Varakopiot\"); a caller may insist on a folder then.
    // The separator itself is dropped like a repeated one.
    bool ends_with_separator = false;

    bool names_nothing() const { return path.empty(); }
    // Whether `path` is its drive's root: the text named the drive itself ("C:", "C:\", "\",
    // "C:\Kansio\.."), or, with a pattern, matches directly in the drive's root ("C:\*").
    bool is_drive_root() const { return !path.empty() && path == drive_root; }
};

// Maps a Windows-style path onto this file system:
//  - '\' and '/' both separate; repeated separators count as one.
//  - A text that starts with an ASCII letter and ':' lies on that drive and starts at its root,
//    with or without a separator after the colon ("C:", "C:foo", "C:\foo"), since there is no
//    current folder per drive. A letter with no mapping names nothing.
//  - A text that starts with a separator lies on drive Z:, the current drive.
//  - Any other text is relative to `working_folder` (an absolute path). Blanks are part of the
//    names, so " C:\x" is relative and its first component is " C:".
//  - "." and ".." are resolved by name, never climbing above the drive's root.
//  - '*' and '?' are wildcards in the last component only; elsewhere they are characters of a
//    name.
//  - Where a component does not exist under its exact name, the one entry of its folder that
//    matches it regardless of case (same_name_ignoring_case) is taken; where none or several
//    match, or the folder cannot be read, the name stands as typed.
// Reads folders to resolve case but changes nothing. Throws std::invalid_argument when
// `working_folder` is not absolute; otherwise throws nothing but std::bad_alloc.
MappedPath map_path(
    std::string_view typed, const DriveTable& drives, const std::string& working_folder);

// The process's working folder. Throws SystemError when it cannot be read (it was removed, or
// lies beyond a folder the user may no longer enter).
std::string working_folder();

} // namespace files
