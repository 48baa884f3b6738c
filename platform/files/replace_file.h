#pragma once

#include <string>
#include <string_view>

namespace files {

// Replaces the file at `path` with exactly `bytes`, so that the name never holds a half-written
// file:
//   1. An existing file is opened for writing, without truncating it, to learn that it may be
//      replaced at all. A read-only or immutable file, a folder of that name, or anything else
//      that is not a regular file fails here with CreateError.
//   2. A temporary file is made beside it (in the same folder, so that the rename below stays on
//      one file system); failure -> CreateError.
//   3. All bytes go out in one write and are flushed to the disk; a short or failed write, flush
//      or close -> WriteError.
//   4. The temporary file takes the permission bits (and, where allowed, the owner and group) of
//      the file it replaces, or 0666 less the umask for a new file, and is renamed over `path`;
//      failure -> CreateError.
// CreateError names `path` made absolute against the working folder. On every failure the
// temporary file is removed and a previous file at `path` is left byte for byte as it was.
// A symbolic link at `path` is itself replaced by the new file; its target is left alone.
void replace_file(const std::string& path, std::string_view bytes);

} // namespace files
