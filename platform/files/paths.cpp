#include "platform/files/paths.h"

#include "platform/files/errors.h"

#include <cerrno>
#include <dirent.h>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace files {

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::vector<std::string> split(std::string_view text, bool (*separates)(char))
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || separates(text[i])) {
            if (i > start)
                parts.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::string join(const std::string& root, const std::vector<std::string>& parts)
{
    std::string path = root == "/" ? std::string() : root;
    for (const auto& part : parts) {
        path += '/';
        path += part;
    }
    return path.empty() ? "/" : path;
}

// Closes a folder stream however the scan ends.
class FolderStream {
public:
    explicit FolderStream(const std::string& folder)
        : m_dir(::opendir(folder.c_str()))
    {
    }
    ~FolderStream()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;

    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

// The name under which `name` exists in `folder`: itself if it exists as typed, else the one
// entry equal to it regardless of case, else (none, several, or no folder to read) itself.
std::string resolve_case(const std::string& folder, const std::string& name)
{
    struct stat info { };
    const std::string exact = folder == "/" ? "/" + name : folder + "/" + name;
    if (::lstat(exact.c_str(), &info) == 0 || errno != ENOENT)
        return name;
    const FolderStream stream(folder);
    if (!stream.get())
        return name;
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(stream.get())) {
        const std::string_view candidate = entry->d_name;
        if (candidate == "." || candidate == ".." || !same_name_ignoring_case(candidate, name))
            continue;
        if (found)
            return name;
        found = std::string(candidate);
    }
    return found ? *found : name;
}

} // namespace

MappedPath map_path(
    std::string_view typed, const DriveTable& drives, const std::string& working_folder)
{
    if (working_folder.empty() || working_folder.front() != '/')
        throw std::invalid_argument("map_path: the working folder must be an absolute path");

    MappedPath result;
    // A NUL would cut the path short in every system call, naming some other file.
    if (typed.empty() || typed.find('\0') != std::string_view::npos)
        return result;

    std::string root;
    std::vector<std::string> resolved;
    std::string_view rest = typed;
    if (typed.size() >= 2 && is_ascii_letter(typed[0]) && typed[1] == ':') {
        const auto drive_root = drives.root(typed[0]);
        if (!drive_root) {
            result.on_unmapped_drive = true;
            return result;
        }
        root = *drive_root;
        rest = typed.substr(2);
    } else if (is_separator(typed[0])) {
        const auto drive_root = drives.root('Z');
        if (!drive_root) {
            result.on_unmapped_drive = true;
            return result;
        }
        root = *drive_root;
    } else {
        // The working folder is taken as it stands, only normalised: its components exist under
        // their own names.
        root = "/";
        resolved = split(normalise_absolute(working_folder), [](char c) { return c == '/'; });
    }

    result.ends_with_separator = !rest.empty() && is_separator(rest.back());
    std::vector<std::string> parts = split(rest, is_separator);
    if (!parts.empty() && has_wildcard(parts.back())) {
        result.pattern = std::move(parts.back());
        parts.pop_back();
    }
    for (auto& part : parts) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!resolved.empty())
                resolved.pop_back();
            continue;
        }
        resolved.push_back(resolve_case(join(root, resolved), part));
    }
    result.path = join(root, resolved);
    result.drive_root = std::move(root);
    return result;
}

std::string working_folder()
{
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) {
            buffer.resize(buffer.find('\0'));
            return buffer;
        }
        if (errno != ERANGE)
            throw SystemError("Cannot read the working folder", ".", errno);
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace files
