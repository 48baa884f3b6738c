#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <sys/stat.h>

namespace fileops {

// Moves the data of one regular file, as fast as the file systems allow: a clone (FICLONE)
// where both sides share a file system that has it, else copy_file_range, else read and write.
// `progress` is told how many bytes went since it was last called; it returns false to stop.
// Returns false when stopped; throws files::SystemError when the data cannot be moved. The
// destination's contents are then incomplete: callers write into a file nobody sees yet.
// `try_clone` false skips the clone where it was refused before between the same file systems.
bool copy_contents(int source_fd, int destination_fd, std::uint64_t size,
    const std::function<bool(std::uint64_t)>& progress = {}, bool try_clone = true);
// Whether the last clone tried on this thread was refused because the file systems cannot do it.
bool last_clone_refused();

// How the data was moved last on this thread (for tests and benchmarks).
enum class CopyMethod { Clone, CopyFileRange, ReadWrite };
CopyMethod last_copy_method();

// Copies the regular file `source_path` to `folder_fd`/`name`, keeping its permission bits and
// modification time. The new data is written into a file without a name (O_TMPFILE), or under a
// temporary name where that is not supported, and gets its name only when it is whole; with
// `replace` it takes the place of an existing `name` in one rename, otherwise an existing name is
// an error (EEXIST). Nothing is left behind when it fails or is stopped. Returns false when
// stopped; throws files::SystemError naming the operation and the path.
bool copy_file(const std::string& source_path, int folder_fd, const std::string& name, bool replace,
    const std::function<bool(std::uint64_t)>& progress = {});

// As copy_file, from a regular file already open for reading (`st` is its fstat).
bool copy_opened_file(int source_fd, const struct stat& st, int folder_fd, const std::string& name, bool replace,
    const std::function<bool(std::uint64_t)>& progress = {}, bool try_clone = true);

// The prefix of the temporary names the copy uses: never taken for a real file.
inline constexpr const char* temporary_prefix = ".siirtolux-";
// Whether `name` is one of those temporary names (left behind by a run that was killed).
bool is_temporary_name(const std::string& name);
// A fresh temporary name.
std::string new_temporary_name();

} // namespace fileops
