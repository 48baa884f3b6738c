#include "platform/fileops/delete_tree.h"

#include "platform/files/descriptor.h"
#include "platform/files/errors.h"
#include "platform/files/names.h"
#include "platform/files/paths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fileops {

namespace {

// Folders a walk keeps open at once. Deeper folders close the shallowest open one and reopen it
// through ".." on the way back, so the depth of a tree is bounded by memory, not descriptors.
constexpr std::size_t open_folder_limit = 32;
// How often a folder is read again when it refuses to go because something new appeared in it.
constexpr int relist_limit = 16;
// How often one name is looked at again when it changes kind between two steps.
constexpr int retry_limit = 8;

constexpr int folder_flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

const char* const drive_root_reason = "Levyaseman juurikansiota ei poisteta";
const char* const file_system_root_reason = "Tiedostojärjestelmän juurta ei poisteta";
const char* const wildcard_in_drive_root_reason
    = "Levyaseman juurikansiosta ei poisteta jokerimerkeillä";
const char* const wildcard_in_file_system_root_reason
    = "Tiedostojärjestelmän juuresta ei poisteta jokerimerkeillä";
const char* const moved_reason = "Kansio siirrettiin muualle poiston aikana";
const char* const changing_reason = "Kohde muuttui toistuvasti poiston aikana";

std::string cannot_delete(const std::string& shown, const std::string& reason, bool several = false)
{
    return std::string(several ? "Kohteita" : "Kohdetta") + " \"" + shown + "\" ei voi poistaa.\n"
        + reason + ".";
}

struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const Identity&) const = default;
};

Identity identity_of(const struct stat& info) { return { info.st_dev, info.st_ino }; }

// The folders that are never deleted nor emptied by a wildcard, by device and inode, so that no
// link, bind mount or second drive letter leads to them: "/" and every mapped drive's root.
struct ProtectedFolders {
    std::optional<Identity> file_system_root;
    std::vector<Identity> drive_roots;

    explicit ProtectedFolders(const files::DriveTable& drives)
    {
        struct stat info { };
        if (::stat("/", &info) == 0)
            file_system_root = identity_of(info);
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            const auto root = drives.root(letter);
            if (root && ::stat(root->c_str(), &info) == 0)
                drive_roots.push_back(identity_of(info));
        }
    }

    bool is_file_system_root(Identity id) const { return file_system_root == id; }
    bool is_drive_root(Identity id) const
    {
        return std::find(drive_roots.begin(), drive_roots.end(), id) != drive_roots.end();
    }
};

struct Entry {
    std::string name;
    unsigned char type; // DT_* from the folder listing; DT_UNKNOWN where the file system gives none
};

// A folder being emptied: its entries as listed when it was entered, and how far it got.
struct Frame {
    std::string name;
    Identity id;
    int fd = -1;
    std::vector<Entry> entries;
    std::size_t next = 0;
    int relists = 0;
    bool kept = false; // something below it could not go, so it stays too
};

enum class Outcome { Done, Failed, Changed };
enum class Entered { Yes, Gone, Failed, Changed };

// Deletes items of one folder, reporting each failure once and keeping the first error code.
class TreeDeleter {
public:
    TreeDeleter(const ProtectedFolders& protected_folders,
        const std::function<void(const std::string&)>& report)
        : m_protected(protected_folders)
        , m_report(report)
        , m_buffer(new char[buffer_size])
    {
    }
    ~TreeDeleter() { close_frames(); }
    TreeDeleter(const TreeDeleter&) = delete;
    TreeDeleter& operator=(const TreeDeleter&) = delete;

    int first_error() const { return m_first_error; }

    void fail(
        const std::string& shown, int code, const std::string& reason = {}, bool several = false)
    {
        if (m_first_error == 0)
            m_first_error = code;
        m_report(cannot_delete(
            shown, reason.empty() ? files::system_error_text(code) : reason, several));
    }

    // Deletes `name` in `base_fd`, whatever it is. `shown` names it in reports and `full` is its
    // path, the start of the paths reported for what lies below it. With `must_exist`, an item
    // that is not there is a failure; otherwise it went by itself.
    void delete_item(int base_fd, const std::string& name, const std::string& shown,
        const std::string& full, bool must_exist)
    {
        m_base = base_fd;
        m_shown = shown;
        m_full = full;
        for (int attempt = 0; attempt < retry_limit; ++attempt) {
            struct stat info { };
            if (::fstatat(base_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT || must_exist)
                    fail(shown, errno);
                return;
            }
            // It was there a moment ago: from here on, its going by itself is no failure.
            must_exist = false;
            if (!S_ISDIR(info.st_mode)) {
                if (::unlinkat(base_fd, name.c_str(), 0) == 0 || errno == ENOENT)
                    return;
                if (errno == EISDIR)
                    continue;
                fail(shown, errno);
                return;
            }
            if (walk(name, info) != Outcome::Changed)
                return;
        }
        fail(shown, EAGAIN, changing_reason);
    }

    // Lists the folder open as `fd`, without "." and "..", from where its reading stands: the start
    // for a folder just opened. False, with the system's error code in `error`, when it cannot be
    // read.
    bool read_entries(int fd, std::vector<Entry>& entries, int& error)
    {
        entries.clear();
        for (;;) {
            const ssize_t got = ::getdents64(fd, m_buffer.get(), buffer_size);
            if (got < 0) {
                error = errno;
                return false;
            }
            if (got == 0)
                return true;
            for (ssize_t at = 0; at < got;) {
                const auto* record = reinterpret_cast<const dirent64*>(m_buffer.get() + at);
                at += record->d_reclen;
                const char* name = record->d_name;
                if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
                    continue;
                entries.push_back({ name, record->d_type });
            }
        }
    }

private:
    static constexpr std::size_t buffer_size = 64 * 1024;

    // Empties and removes the folder `name` of the base folder, which `info` describes.
    Outcome walk(const std::string& name, const struct stat& info)
    {
        switch (enter(m_base, name, info)) {
        case Entered::Yes:
            break;
        case Entered::Gone:
            return Outcome::Done;
        case Entered::Failed:
            return Outcome::Failed;
        case Entered::Changed:
            return Outcome::Changed;
        }
        while (!m_frames.empty()) {
            Frame& top = m_frames.back();
            if (top.next < top.entries.size()) {
                const Entry& entry = top.entries[top.next++];
                remove_entry(entry.name, entry.type);
                continue;
            }
            if (top.kept) {
                if (!climb())
                    return Outcome::Failed;
                continue;
            }
            const int parent = parent_fd();
            if (parent < 0)
                return Outcome::Failed;
            // `top` is still valid: reopening the parent never adds a frame.
            if (::unlinkat(parent, top.name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
                if (!climb())
                    return Outcome::Failed;
                continue;
            }
            const int error = errno;
            if ((error == ENOTEMPTY || error == EEXIST) && top.relists < relist_limit) {
                // Something was made in it meanwhile: that goes too.
                ++top.relists;
                top.next = 0;
                int read_error = 0;
                if (::lseek(top.fd, 0, SEEK_SET) < 0)
                    read_error = errno;
                if (read_error != 0 || !read_entries(top.fd, top.entries, read_error)) {
                    fail(frame_path(m_frames.size() - 1), read_error);
                    top.kept = true;
                }
                continue;
            }
            if (error == ENOTDIR) {
                // The name now holds something else. Below the item, the parent's own removal
                // finds it when the parent is read again; the item itself is looked at afresh.
                const bool is_item = m_frames.size() == 1;
                if (!climb())
                    return Outcome::Failed;
                if (is_item)
                    return Outcome::Changed;
                continue;
            }
            fail(frame_path(m_frames.size() - 1), error);
            top.kept = true;
        }
        return m_last_kept ? Outcome::Failed : Outcome::Done;
    }

    // Deletes one entry of the top frame's folder: a file or link at once, a folder by entering it.
    void remove_entry(std::string name, unsigned char type)
    {
        const std::size_t depth = m_frames.size() - 1;
        const int fd = m_frames.back().fd;
        for (int attempt = 0; attempt < retry_limit; ++attempt) {
            if (type != DT_DIR && type != DT_UNKNOWN) {
                if (::unlinkat(fd, name.c_str(), 0) == 0 || errno == ENOENT)
                    return;
                if (errno != EISDIR) {
                    fail(entry_path(depth, name), errno);
                    m_frames[depth].kept = true;
                    return;
                }
            }
            struct stat info { };
            if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT) {
                    fail(entry_path(depth, name), errno);
                    m_frames[depth].kept = true;
                }
                return;
            }
            if (!S_ISDIR(info.st_mode)) {
                type = DT_REG;
                continue;
            }
            switch (enter(fd, name, info)) {
            case Entered::Yes:
            case Entered::Gone:
                return;
            case Entered::Failed:
                m_frames[depth].kept = true;
                return;
            case Entered::Changed:
                type = DT_UNKNOWN;
                continue;
            }
        }
        fail(entry_path(depth, name), EAGAIN, changing_reason);
        m_frames[depth].kept = true;
    }

    // Opens the folder `name` of `parent_fd`, which `info` described a moment ago, and pushes it
    // with its entries. Changed: it is no longer that folder (a link, a file, another folder).
    Entered enter(int parent_fd, const std::string& name, const struct stat& info)
    {
        const Identity id = identity_of(info);
        const bool is_item = m_frames.empty();
        if (m_protected.is_file_system_root(id) || (is_item && m_protected.is_drive_root(id))) {
            fail(is_item ? m_shown : entry_path(m_frames.size() - 1, name), EPERM,
                m_protected.is_file_system_root(id) ? file_system_root_reason : drive_root_reason);
            return Entered::Failed;
        }
        const int fd = ::openat(parent_fd, name.c_str(), folder_flags);
        if (fd < 0) {
            const int error = errno;
            if (error == ENOENT)
                return Entered::Gone;
            if (error == ELOOP || error == ENOTDIR)
                return Entered::Changed;
            // An empty folder that cannot be read can still be removed.
            if (::unlinkat(parent_fd, name.c_str(), AT_REMOVEDIR) == 0)
                return Entered::Gone;
            fail(is_item ? m_shown : entry_path(m_frames.size() - 1, name), error);
            return Entered::Failed;
        }
        struct stat opened { };
        if (::fstat(fd, &opened) != 0 || identity_of(opened) != id) {
            ::close(fd);
            return Entered::Changed;
        }
        m_frames.push_back(Frame { name, id, fd, {}, 0, 0, false });
        if (m_frames.size() - m_lowest_open > open_folder_limit) {
            ::close(m_frames[m_lowest_open].fd);
            m_frames[m_lowest_open].fd = -1;
            ++m_lowest_open;
        }
        Frame& frame = m_frames.back();
        int error = 0;
        if (!read_entries(frame.fd, frame.entries, error)) {
            fail(frame_path(m_frames.size() - 1), error);
            frame.kept = true;
        }
        return Entered::Yes;
    }

    // The descriptor of the folder that holds the top frame, reopened through ".." where it was
    // closed, and only if it is still the folder it was. Reports and gives -1 when it moved.
    int parent_fd()
    {
        const std::size_t top = m_frames.size() - 1;
        if (top == 0)
            return m_base;
        Frame& parent = m_frames[top - 1];
        if (parent.fd >= 0)
            return parent.fd;
        const int fd = ::openat(m_frames[top].fd, "..", folder_flags);
        struct stat info { };
        if (fd < 0 || ::fstat(fd, &info) != 0 || identity_of(info) != parent.id) {
            if (fd >= 0)
                ::close(fd);
            fail(frame_path(top - 1), ESTALE, moved_reason);
            close_frames();
            return -1;
        }
        parent.fd = fd;
        m_lowest_open = top - 1;
        return fd;
    }

    // Leaves the top frame for its parent, passing on whether it stays. False (reported) when the
    // parent cannot be found again.
    bool climb()
    {
        if (m_frames.size() > 1 && parent_fd() < 0)
            return false;
        Frame& top = m_frames.back();
        const bool kept = top.kept;
        ::close(top.fd);
        m_frames.pop_back();
        if (m_frames.empty())
            m_last_kept = kept;
        else if (kept)
            m_frames.back().kept = true;
        return true;
    }

    void close_frames()
    {
        for (const Frame& frame : m_frames)
            if (frame.fd >= 0)
                ::close(frame.fd);
        m_frames.clear();
        m_lowest_open = 0;
        m_last_kept = true;
    }

    // Paths for reports, built only when one is needed: `depth` counts frames from the item.
    std::string frame_path(std::size_t depth) const
    {
        if (depth == 0)
            return m_shown;
        std::string path = m_full;
        for (std::size_t i = 1; i <= depth; ++i)
            path += "/" + m_frames[i].name;
        return path;
    }
    std::string entry_path(std::size_t depth, const std::string& name) const
    {
        std::string path = m_full;
        for (std::size_t i = 1; i <= depth; ++i)
            path += "/" + m_frames[i].name;
        return path + "/" + name;
    }

    const ProtectedFolders& m_protected;
    const std::function<void(const std::string&)>& m_report;
    std::unique_ptr<char[]> m_buffer;
    std::vector<Frame> m_frames;
    std::size_t m_lowest_open = 0;
    bool m_last_kept = false;
    int m_base = -1;
    std::string m_shown;
    std::string m_full;
    int m_first_error = 0;
};

std::string join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

} // namespace

int delete_typed_path(const std::string& typed, const files::DriveTable& drives,
    const std::string& working_folder, const std::function<void(const std::string& text)>& report)
{
    const files::MappedPath mapped = files::map_path(typed, drives, working_folder);
    if (typed.empty()) {
        report("Poistettavaa kohdetta ei ole annettu.");
        return EINVAL;
    }
    const bool several = !mapped.pattern.empty();
    if (mapped.names_nothing()) {
        // A drive with no mapping is a path that does not exist; a NUL would cut the path short.
        const int code = mapped.on_unmapped_drive ? ENOENT : EINVAL;
        report(cannot_delete(typed, files::system_error_text(code), several));
        return code;
    }
    if (mapped.is_drive_root()) {
        const bool at_top = mapped.path == "/";
        report(cannot_delete(typed,
            several ? (at_top ? wildcard_in_file_system_root_reason : wildcard_in_drive_root_reason)
                    : (at_top ? file_system_root_reason : drive_root_reason),
            several));
        return EPERM;
    }

    const ProtectedFolders protected_folders(drives);
    TreeDeleter deleter(protected_folders, report);
    // The folders the user typed are opened as the system resolves them, links included: those
    // are the user's own words. Only from the item down is nothing followed.
    const std::size_t slash = mapped.path.rfind('/');
    const std::string folder
        = several ? mapped.path : (slash == 0 ? "/" : mapped.path.substr(0, slash));
    const files::Descriptor base(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (base.get() < 0) {
        deleter.fail(typed, errno, {}, several);
        return deleter.first_error();
    }
    if (!several) {
        deleter.delete_item(base.get(), mapped.path.substr(slash + 1), typed, mapped.path, true);
        return deleter.first_error();
    }

    struct stat info { };
    if (::fstat(base.get(), &info) != 0) {
        deleter.fail(typed, errno, {}, true);
        return deleter.first_error();
    }
    if (protected_folders.is_file_system_root(identity_of(info))
        || protected_folders.is_drive_root(identity_of(info))) {
        deleter.fail(typed, EPERM,
            protected_folders.is_file_system_root(identity_of(info))
                ? wildcard_in_file_system_root_reason
                : wildcard_in_drive_root_reason,
            true);
        return deleter.first_error();
    }
    std::vector<Entry> entries;
    int error = 0;
    if (!deleter.read_entries(base.get(), entries, error)) {
        deleter.fail(typed, error, {}, true);
        return deleter.first_error();
    }
    std::vector<std::string> matches;
    for (auto& entry : entries)
        if (files::wildcard_match(mapped.pattern, entry.name))
            matches.push_back(std::move(entry.name));
    if (matches.empty()) {
        deleter.fail(typed, ENOENT, {}, true);
        return deleter.first_error();
    }
    // One order every time, so that the reports come in the same order too.
    std::sort(matches.begin(), matches.end());
    for (const std::string& name : matches) {
        const std::string full = join(mapped.path, name);
        deleter.delete_item(base.get(), name, full, full, false);
    }
    return deleter.first_error();
}

} // namespace fileops
