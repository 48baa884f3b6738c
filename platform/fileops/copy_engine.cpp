#include "platform/fileops/copy_engine.h"

#include "platform/fileops/copy_texts.h"
#include "platform/fileops/copy_workers.h"
#include "platform/fileops/file_copy.h"
#include "platform/fileops/tree_count.h"
#include "platform/files/paths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <thread>
#include <unistd.h>

namespace fileops {

void CopyProgress::set_item(const std::string& shown)
{
    std::lock_guard lock(m_mutex);
    m_item = shown;
}

std::string CopyProgress::item() const
{
    std::lock_guard lock(m_mutex);
    return m_item;
}

namespace {
    using Chain = std::set<std::pair<dev_t, ino_t>>;

    // The names in an open folder, sorted so that questions come in one order every time.
    // Temporary files of a copy that was killed are not real items and are left out.
    struct Entry {
        std::string name;
        unsigned char type = DT_UNKNOWN; // as the folder lists it, DT_UNKNOWN where it does not say
        bool operator<(const Entry& other) const { return name < other.name; }
    };

    int read_names(int folder_fd, std::vector<Entry>& names)
    {
        const int fd = ::openat(folder_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return errno;
        DIR* dir = ::fdopendir(fd);
        if (!dir) {
            const int e = errno;
            ::close(fd);
            return e;
        }
        errno = 0;
        while (const dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name != "." && name != ".." && !is_temporary_name(name))
                names.push_back({ std::move(name), entry->d_type });
            errno = 0;
        }
        const int e = errno;
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        return e;
    }

    // The folder at `path`, or the nearest of its ancestors that exists, and every folder above
    // it, by device and inode: what a folder being copied must not be.
    Chain ancestry(std::string path)
    {
        Chain chain;
        int fd = -1;
        while (fd < 0) {
            fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd >= 0 || path.size() <= 1)
                break;
            const auto slash = path.rfind('/');
            path = slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
        }
        files::Descriptor current(fd);
        for (int i = 0; current.get() >= 0 && i < 4096; ++i) {
            struct stat st {};
            if (::fstat(current.get(), &st) != 0 || !chain.insert({ st.st_dev, st.st_ino }).second)
                break; // "/" is its own parent
            current.reset(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        }
        return chain;
    }

    int make_folders(const std::string& path)
    {
        for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
            const std::string prefix = path.substr(0, slash);
            if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST)
                return errno;
            if (slash == std::string::npos)
                return 0;
        }
    }

    std::string parent_of(const std::string& path)
    {
        const auto slash = path.rfind('/');
        return slash == 0 ? "/" : path.substr(0, slash);
    }

    std::string name_of(const std::string& path) { return path == "/" ? "" : path.substr(path.rfind('/') + 1); }

    // Names are shown the way the user typed the paths: with '\' unless only '/' was typed.
    std::string trim_separators(std::string text)
    {
        while (text.size() > 1 && (text.back() == '\\' || text.back() == '/'))
            text.pop_back();
        return text;
    }

    // One of the request's own items: the typed source, or one match of its wildcard.
    struct TopItem {
        std::shared_ptr<files::Descriptor> parent;
        std::string name; // empty: the folder itself ("/"), whose contents go in
        bool follow = false;
        std::string shown;
        std::string full_path;
    };

    // A folder being walked.
    struct Level {
        files::Descriptor source;
        std::shared_ptr<TargetFolder> target;
        std::vector<Entry> names;
        std::size_t next = 0;
        std::string source_shown;
        std::string target_shown;
    };

    class CopyRun {
    public:
        CopyRun(const CopyRequest& request, const files::DriveTable& drives, const std::string& working,
            CopyHost& host, CopyProgress& progress)
            : m_request(request)
            , m_drives(drives)
            , m_working(working)
            , m_host(host)
            , m_progress(progress)
        {
            auto typed_with = [&](char c) {
                return request.destination.find(c) != std::string::npos
                    || std::any_of(request.sources.begin(), request.sources.end(),
                        [c](const std::string& s) { return s.find(c) != std::string::npos; });
            };
            m_separator = typed_with('/') && !typed_with('\\') ? '/' : '\\';
        }

        CopyOutcome run();

    private:
        bool prepare();
        void resolve_source(const std::string& typed);
        bool open_destination();
        void walk_and_copy();
        void step();
        void visit(int source_dir, const std::string& name, bool follow, const std::string& source_shown,
            const std::shared_ptr<TargetFolder>& target, const std::string& target_shown);
        void copy_folder(int source_dir, const std::string& name, bool follow, const struct stat& st,
            const std::string& source_shown, const std::shared_ptr<TargetFolder>& target, const std::string& target_shown);
        // `looked` is what a look at the name found, or nullptr where none was taken.
        void copy_regular(int source_dir, const std::string& name, bool follow, const struct stat* looked,
            const std::string& source_shown, const std::shared_ptr<TargetFolder>& target, const std::string& target_shown);
        void copy_link(int source_dir, const std::string& name, const struct stat& st, const std::string& source_shown,
            const std::shared_ptr<TargetFolder>& target, const std::string& target_shown);
        // Looks up `name` in the target folder; false (reported) when that fails.
        bool look_up_target(const TargetFolder& target, const std::string& name, const std::string& shown, bool& exists,
            struct stat& st);
        Answer confirm(bool folder, const std::string& shown);
        void fail(const std::string& text, int code, bool from_worker = false);
        bool walk_done() const { return m_levels.empty() && m_next_top == m_tops.size(); }
        std::string join(const std::string& shown, const std::string& name) const
        {
            if (shown.empty())
                return name;
            std::string joined;
            joined.reserve(shown.size() + 1 + name.size());
            joined.append(shown).push_back(m_separator);
            return joined.append(name);
        }

        const CopyRequest& m_request;
        const files::DriveTable& m_drives;
        const std::string& m_working;
        CopyHost& m_host;
        CopyProgress& m_progress;
        char m_separator = '\\';

        std::vector<TopItem> m_tops;
        std::size_t m_next_top = 0;
        std::vector<Level> m_levels;
        Chain m_destination_chain;
        files::MappedPath m_destination;
        std::string m_destination_shown;
        std::shared_ptr<TargetFolder> m_destination_folder;
        std::unique_ptr<CopyWorkers> m_workers;
        bool m_yes_to_all = false;
        bool m_cancelled = false;
        int m_first_error = 0;
    };

    void CopyRun::fail(const std::string& text, int code, bool from_worker)
    {
        if (m_first_error == 0)
            m_first_error = code != 0 ? code : EIO;
        // (A worker's report of a full target has claimed it already and says the copy stops.)
        if (!from_worker && (code == ENOSPC || code == EDQUOT)) {
            // A full target is reported once, by whoever meets it first, and the copy stops.
            if (m_workers && !m_workers->claim_disk_full())
                return;
            m_host.report_error(text + "\n" + texts::stopping());
            return;
        }
        m_host.report_error(text);
    }

    Answer CopyRun::confirm(bool folder, const std::string& shown)
    {
        if (!m_request.confirm_replace || m_yes_to_all)
            return Answer::Yes;
        const Answer a = folder ? m_host.ask_merge_folder(shown) : m_host.ask_replace_file(shown);
        if (a == Answer::YesToAll) {
            m_yes_to_all = true;
            return Answer::Yes;
        }
        if (a == Answer::Cancel || m_host.cancelled())
            m_cancelled = true;
        return m_cancelled ? Answer::Cancel : a;
    }

    CopyOutcome CopyRun::run()
    {
        if (prepare())
            walk_and_copy();
        return { m_first_error, m_cancelled };
    }

    // Everything decided before the first byte is written: what the request names, that no
    // folder goes into itself, the destination folder (created after the user's yes).
    bool CopyRun::prepare()
    {
        if (m_request.sources.empty() || std::all_of(m_request.sources.begin(), m_request.sources.end(), [](const std::string& s) { return s.empty(); })) {
            fail(texts::no_source(), EINVAL);
            return false;
        }
        if (m_request.destination.empty()) {
            fail(texts::no_destination(), EINVAL);
            return false;
        }
        m_destination = files::map_path(m_request.destination, m_drives, m_working);
        m_destination_shown = trim_separators(m_request.destination);
        if (!m_destination.pattern.empty()) {
            fail(texts::destination_wildcard(m_request.destination), EINVAL);
            return false;
        }
        m_destination_chain = ancestry(m_destination.path);
        for (const std::string& typed : m_request.sources)
            if (!typed.empty())
                resolve_source(typed);
        if (m_tops.empty() || m_host.cancelled())
            return false;
        return open_destination();
    }

    void CopyRun::resolve_source(const std::string& typed)
    {
        const files::MappedPath source = files::map_path(typed, m_drives, m_working);
        if (source.names_nothing()) {
            fail(texts::source_missing(typed, ENOENT), ENOENT);
            return;
        }
        const std::string shown = trim_separators(typed);
        if (source.pattern.empty()) {
            // The typed source itself is followed when it is a link.
            struct stat st {};
            if (::stat(source.path.c_str(), &st) != 0) {
                const int e = errno;
                fail(texts::source_missing(shown, e), e);
                return;
            }
            if (S_ISDIR(st.st_mode) && m_destination_chain.count({ st.st_dev, st.st_ino })) {
                fail(texts::into_itself(shown), EINVAL);
                return;
            }
            const std::string name = name_of(source.path);
            auto parent = std::make_shared<files::Descriptor>(::open(
                (name.empty() ? source.path : parent_of(source.path)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (parent->get() < 0) {
                const int e = errno;
                fail(texts::source_missing(shown, e), e);
                return;
            }
            m_tops.push_back({ parent, name, true, shown, source.path });
            return;
        }
        auto parent = std::make_shared<files::Descriptor>(::open(source.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (parent->get() < 0) {
            const int e = errno;
            fail(texts::source_missing(shown, e), e);
            return;
        }
        std::vector<Entry> names;
        if (const int e = read_names(parent->get(), names)) {
            fail(texts::cannot_read_folder(shown, e), e);
            return;
        }
        const std::size_t last_separator = shown.find_last_of("\\/");
        const std::string folder_shown = last_separator == std::string::npos ? "" : shown.substr(0, last_separator);
        std::size_t matches = 0;
        for (const Entry& entry : names) {
            const std::string& name = entry.name;
            if (!files::wildcard_match(source.pattern, name))
                continue;
            struct stat st {};
            if (::fstatat(parent->get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone meanwhile
            ++matches;
            if (S_ISDIR(st.st_mode) && m_request.files_only)
                continue;
            if (S_ISDIR(st.st_mode) && m_destination_chain.count({ st.st_dev, st.st_ino })) {
                fail(texts::into_itself(join(folder_shown, name)), EINVAL);
                continue;
            }
            m_tops.push_back({ parent, name, false, join(folder_shown, name), source.path + "/" + name });
        }
        if (matches == 0)
            fail(texts::no_match(shown), ENOENT);
    }

    bool CopyRun::open_destination()
    {
        struct stat st {};
        if (::stat(m_destination.path.c_str(), &st) != 0) {
            const int e = errno;
            if (e != ENOENT || m_destination.names_nothing()) {
                fail(texts::cannot_copy(m_destination_shown, e), e);
                return false;
            }
            if (m_request.confirm_create && m_host.ask_create_folder(m_destination_shown) != Answer::Yes) {
                m_cancelled = true;
                return false;
            }
            if (m_host.cancelled()) {
                m_cancelled = true;
                return false;
            }
            if (const int made = make_folders(m_destination.path)) {
                fail(texts::cannot_create_folder(m_destination_shown, made), made);
                return false;
            }
        }
        const int fd = ::open(m_destination.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            const int e = errno;
            fail(e == ENOTDIR ? texts::destination_not_folder(m_destination_shown) : texts::cannot_copy(m_destination_shown, e), e);
            return false;
        }
        m_destination_folder = std::make_shared<TargetFolder>(fd);
        return true;
    }

    int default_threads()
    {
        const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
        return static_cast<int>(std::clamp(cores * 2, 2u, 8u));
    }

    void CopyRun::walk_and_copy()
    {
        std::vector<std::string> count_paths;
        for (const TopItem& top : m_tops)
            count_paths.push_back(top.full_path);
        TreeCount count(count_paths, m_progress.bytes_total);

        m_workers = std::make_unique<CopyWorkers>(m_request.threads > 0 ? m_request.threads : default_threads(),
            m_progress, [this] { m_host.wake(); });
        while (true) {
            for (const WorkerError& e : m_workers->take_errors())
                if (!m_cancelled)
                    fail(e.text, e.code, true);
            if (!m_cancelled && m_host.cancelled())
                m_cancelled = true;
            if (m_cancelled) {
                m_workers->stop();
                m_levels.clear();
                break;
            }
            if (m_workers->disk_full()) {
                // Nothing more fits: the rest is not tried.
                m_levels.clear();
                m_next_top = m_tops.size();
            }
            if (!walk_done() && m_workers->has_room()) {
                for (int i = 0; i < 64 && !walk_done() && !m_cancelled && !m_workers->disk_full() && m_workers->has_room(); ++i)
                    step();
                m_host.poll();
                continue;
            }
            if (walk_done() && m_workers->idle())
                break;
            m_workers->want_wake();
            // Looked at again after asking to be woken, so that no change goes unnoticed.
            if ((!walk_done() && m_workers->has_room()) || (walk_done() && m_workers->idle()))
                continue;
            m_host.wait();
        }
        m_workers->join();
        for (const WorkerError& e : m_workers->take_errors())
            if (!m_cancelled)
                fail(e.text, e.code, true);
        m_workers.reset();
    }

    void CopyRun::step()
    {
        if (m_levels.empty()) {
            const TopItem& top = m_tops[m_next_top++];
            if (top.name.empty()) {
                // A drive's root: its contents go into the destination.
                struct stat st {};
                if (::fstat(top.parent->get(), &st) != 0) {
                    const int e = errno;
                    fail(texts::source_missing(top.shown, e), e);
                    return;
                }
                Level level;
                level.source.reset(::dup(top.parent->get()));
                level.target = m_destination_folder;
                level.source_shown = top.shown;
                level.target_shown = m_destination_shown;
                if (const int e = read_names(level.source.get(), level.names)) {
                    fail(texts::cannot_read_folder(top.shown, e), e);
                    return;
                }
                m_levels.push_back(std::move(level));
                return;
            }
            visit(top.parent->get(), top.name, top.follow, top.shown, m_destination_folder,
                join(m_destination_shown, top.name));
            return;
        }
        Level& level = m_levels.back();
        if (level.next == level.names.size()) {
            m_levels.pop_back();
            return;
        }
        // Taken out of the level, which a folder visited below may move.
        const Entry entry = std::move(level.names[level.next++]);
        const std::shared_ptr<TargetFolder> target = level.target;
        const std::string source_shown = join(level.source_shown, entry.name);
        const std::string target_shown = join(level.target_shown, entry.name);
        // A regular file needs no look of its own: it is opened without following and the
        // worker checks what it opened.
        if (entry.type == DT_REG)
            copy_regular(level.source.get(), entry.name, false, nullptr, source_shown, target, target_shown);
        else
            visit(level.source.get(), entry.name, false, source_shown, target, target_shown);
    }

    void CopyRun::visit(int source_dir, const std::string& name, bool follow, const std::string& source_shown,
        const std::shared_ptr<TargetFolder>& target, const std::string& target_shown)
    {
        struct stat st {};
        if (::fstatat(source_dir, name.c_str(), &st, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
            const int e = errno;
            fail(texts::source_missing(source_shown, e), e);
            return;
        }
        if (S_ISDIR(st.st_mode))
            copy_folder(source_dir, name, follow, st, source_shown, target, target_shown);
        else if (S_ISREG(st.st_mode))
            copy_regular(source_dir, name, follow, &st, source_shown, target, target_shown);
        else if (S_ISLNK(st.st_mode))
            copy_link(source_dir, name, st, source_shown, target, target_shown);
        else
            fail(texts::special_file(source_shown), EINVAL);
    }

    bool CopyRun::look_up_target(const TargetFolder& target, const std::string& name, const std::string& shown,
        bool& exists, struct stat& st)
    {
        // A folder this copy made holds only what the copy put there.
        if (target.created) {
            exists = false;
            return true;
        }
        exists = ::fstatat(target.fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists && errno != ENOENT) {
            const int e = errno;
            fail(texts::cannot_copy(shown, e), e);
            return false;
        }
        return true;
    }

    bool same_inode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

    void CopyRun::copy_folder(int source_dir, const std::string& name, bool follow, const struct stat& st,
        const std::string& source_shown, const std::shared_ptr<TargetFolder>& target, const std::string& target_shown)
    {
        Level level;
        level.source.reset(::openat(source_dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (follow ? 0 : O_NOFOLLOW)));
        if (level.source.get() < 0) {
            const int e = errno;
            fail(e == ELOOP || e == ENOTDIR ? texts::changed(source_shown) : texts::cannot_read_folder(source_shown, e), e);
            return;
        }
        struct stat opened {};
        if (::fstat(level.source.get(), &opened) != 0 || !same_inode(opened, st)) {
            fail(texts::changed(source_shown), ESTALE);
            return;
        }
        if (m_destination_chain.count({ st.st_dev, st.st_ino })) {
            fail(texts::into_itself(source_shown), EINVAL);
            return;
        }
        if (const int e = read_names(level.source.get(), level.names)) {
            fail(texts::cannot_read_folder(source_shown, e), e);
            return;
        }
        bool exists = false;
        struct stat existing {};
        if (!look_up_target(*target, name, target_shown, exists, existing))
            return;
        if (exists) {
            if (!S_ISDIR(existing.st_mode)) {
                fail(texts::folder_over_file(target_shown), EEXIST);
                return;
            }
            if (same_inode(existing, st)) {
                fail(texts::same_item(target_shown), EINVAL);
                return;
            }
            if (confirm(true, target_shown) != Answer::Yes)
                return;
        } else if (::mkdirat(target->fd.get(), name.c_str(), (st.st_mode & 0777) | S_IRWXU) != 0) {
            // (Made with the source's permission bits and room for the copy to work in it, so that
            // a copy killed before the folder is finished leaves it as it should be.)
            const int e = errno;
            fail(texts::cannot_create_folder(target_shown, e), e);
            return;
        }
        const int fd = ::openat(target->fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            const int e = errno;
            fail(texts::cannot_copy(target_shown, e), e);
            return;
        }
        level.target = std::make_shared<TargetFolder>(fd);
        if (!exists) {
            level.target->created = true;
            level.target->mode = st.st_mode & 07777;
            level.target->times[0] = st.st_atim;
            level.target->times[1] = st.st_mtim;
        }
        level.source_shown = source_shown;
        level.target_shown = target_shown;
        m_levels.push_back(std::move(level));
    }

    void CopyRun::copy_regular(int source_dir, const std::string& name, bool follow, const struct stat* looked,
        const std::string& source_shown, const std::shared_ptr<TargetFolder>& target, const std::string& target_shown)
    {
        auto job = std::make_unique<CopyJob>();
        // Not blocking, in case the file was swapped for a FIFO since it was listed; a regular
        // file's reads never block anyway.
        job->source.reset(::openat(source_dir, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (follow ? 0 : O_NOFOLLOW)));
        if (job->source.get() < 0) {
            const int e = errno;
            fail(e == ELOOP ? texts::changed(source_shown) : texts::cannot_copy(source_shown, e), e);
            return;
        }
        bool exists = false;
        struct stat existing {};
        if (!look_up_target(*target, name, target_shown, exists, existing))
            return;
        if (looked || exists) {
            if (::fstat(job->source.get(), &job->st) != 0 || !S_ISREG(job->st.st_mode) || (looked && !same_inode(job->st, *looked))) {
                fail(texts::changed(source_shown), ESTALE);
                return;
            }
            job->looked = true;
        }
        if (exists) {
            if (S_ISDIR(existing.st_mode)) {
                fail(texts::file_over_folder(target_shown), EISDIR);
                return;
            }
            if (same_inode(existing, job->st)) {
                fail(texts::same_item(target_shown), EINVAL);
                return;
            }
            if (confirm(false, target_shown) != Answer::Yes)
                return;
        }
        job->folder = target;
        job->name = name;
        job->replace = exists;
        job->shown = target_shown;
        job->source_shown = source_shown;
        m_workers->push(std::move(job));
    }

    void CopyRun::copy_link(int source_dir, const std::string& name, const struct stat& st,
        const std::string& source_shown, const std::shared_ptr<TargetFolder>& target, const std::string& target_shown)
    {
        std::string link(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1, '\0');
        while (true) {
            const ssize_t n = ::readlinkat(source_dir, name.c_str(), link.data(), link.size());
            if (n < 0) {
                const int e = errno;
                fail(e == EINVAL ? texts::changed(source_shown) : texts::cannot_copy(source_shown, e), e);
                return;
            }
            if (static_cast<std::size_t>(n) < link.size()) {
                link.resize(static_cast<std::size_t>(n));
                break;
            }
            link.resize(link.size() * 2);
        }
        bool exists = false;
        struct stat existing {};
        if (!look_up_target(*target, name, target_shown, exists, existing))
            return;
        const int folder = target->fd.get();
        if (exists) {
            if (S_ISDIR(existing.st_mode)) {
                fail(texts::file_over_folder(target_shown), EISDIR);
                return;
            }
            if (confirm(false, target_shown) != Answer::Yes)
                return;
            // The new link is made beside the old one and takes its place in one rename.
            const std::string temporary = new_temporary_name();
            if (::symlinkat(link.c_str(), folder, temporary.c_str()) != 0) {
                const int e = errno;
                fail(texts::cannot_copy(target_shown, e), e);
                return;
            }
            if (::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0) {
                const int e = errno;
                ::unlinkat(folder, temporary.c_str(), 0);
                fail(texts::cannot_copy(target_shown, e), e);
                return;
            }
        } else if (::symlinkat(link.c_str(), folder, name.c_str()) != 0) {
            const int e = errno;
            fail(texts::cannot_copy(target_shown, e), e);
            return;
        }
        const timespec times[2] = { st.st_atim, st.st_mtim };
        (void)::utimensat(folder, name.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
} // namespace

CopyOutcome run_copy(const CopyRequest& request, const files::DriveTable& drives, const std::string& working_folder,
    CopyHost& host, CopyProgress& progress)
{
    CopyRun run(request, drives, working_folder, host, progress);
    return run.run();
}

} // namespace fileops
