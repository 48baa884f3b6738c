#include "platform/fileops/file_copy.h"

#include "platform/files/descriptor.h"
#include "platform/files/errors.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <random>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace fileops {

namespace {
    thread_local CopyMethod g_last_method = CopyMethod::ReadWrite;
    thread_local bool g_clone_refused = false;

    // The process's file mode creation mask, read without changing it (umask() would change it
    // for every thread for a moment).
    mode_t creation_mask()
    {
        static const mode_t mask = [] {
            mode_t m = 022;
            if (FILE* f = std::fopen("/proc/self/status", "re")) {
                char line[256];
                while (std::fgets(line, sizeof line, f))
                    if (std::sscanf(line, "Umask: %o", &m) == 1)
                        break;
                std::fclose(f);
            }
            return m;
        }();
        return mask;
    }

    // Errors after which copy_file_range gives way to read and write.
    bool falls_back(int e) { return e == EXDEV || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP || e == EPERM; }

    bool read_write(int in, int out, const std::function<bool(std::uint64_t)>& progress)
    {
        g_last_method = CopyMethod::ReadWrite;
        std::vector<char> buffer(1 << 20);
        while (true) {
            const ssize_t n = ::read(in, buffer.data(), buffer.size());
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                throw files::SystemError("Cannot read file", "", errno);
            }
            if (n == 0)
                return true;
            for (ssize_t done = 0; done < n;) {
                const ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n - done));
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    throw files::SystemError("Cannot write file", "", errno);
                }
                done += w;
            }
            if (progress && !progress(static_cast<std::uint64_t>(n)))
                return false;
        }
    }

    std::string random_suffix()
    {
        static thread_local std::mt19937_64 generator(std::random_device {}());
        static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
        std::string s;
        for (int i = 0; i < 12; ++i)
            s += digits[generator() % 36];
        return s;
    }
} // namespace

CopyMethod last_copy_method() { return g_last_method; }

std::string new_temporary_name() { return std::string(temporary_prefix) + random_suffix() + ".tmp"; }

bool is_temporary_name(const std::string& name)
{
    const std::string prefix = temporary_prefix;
    return name.size() > prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0
        && name.compare(name.size() - 4, 4, ".tmp") == 0;
}

bool last_clone_refused() { return g_clone_refused; }

bool copy_contents(int in, int out, std::uint64_t size, const std::function<bool(std::uint64_t)>& progress, bool try_clone)
{
    g_clone_refused = false;
    if (try_clone) {
        if (::ioctl(out, FICLONE, in) == 0) {
            g_last_method = CopyMethod::Clone;
            return !progress || progress(size);
        }
        g_clone_refused = errno == EOPNOTSUPP || errno == EXDEV || errno == EINVAL || errno == ENOTTY || errno == ENOSYS;
    }
    g_last_method = CopyMethod::CopyFileRange;
    bool first = true;
    std::uint64_t copied = 0;
    // The size the file had when it was opened is copied; an empty one is tried once, since some
    // file systems report no size for files that have data.
    if (size > (8u << 20))
        (void)::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL);
    // Progress is told in slices of about a tenth of a second each, so that a stop is heard
    // within a moment however fast the disk is.
    std::size_t slice = 64u << 20;
    while (first || copied < size) {
        const auto start = std::chrono::steady_clock::now();
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, slice, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (first && falls_back(errno))
                return read_write(in, out, progress);
            throw files::SystemError("Cannot copy file", "", errno);
        }
        if (n == 0) {
            // A first call that copies nothing from a file that is not empty (some special file
            // systems report a size they cannot hand over this way) falls back too.
            if (first && size > 0)
                return read_write(in, out, progress);
            return true;
        }
        first = false;
        copied += static_cast<std::uint64_t>(n);
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
        if (static_cast<std::size_t>(n) == slice)
            // Whole mebibytes, so that every slice starts on a page boundary (a slice that does
            // not leaves the rest of the file to a slower path).
            slice = std::clamp<std::size_t>(
                        static_cast<std::size_t>(static_cast<double>(n) * 100'000.0 / static_cast<double>(std::max<long long>(took, 1))),
                        8u << 20, 1u << 30)
                & ~((std::size_t { 1 } << 20) - 1);
        if (progress && !progress(static_cast<std::uint64_t>(n)))
            return false;
    }
    return true;
}

bool copy_file(const std::string& source_path, int folder_fd, const std::string& name, bool replace,
    const std::function<bool(std::uint64_t)>& progress)
{
    files::Descriptor in(::open(source_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (in.get() < 0)
        throw files::SystemError("Cannot open file", source_path, errno);
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        throw files::SystemError("Cannot read file", source_path, errno);
    if (!S_ISREG(st.st_mode))
        throw files::SystemError("Not a regular file", source_path, EINVAL);
    return copy_opened_file(in.get(), st, folder_fd, name, replace, progress);
}

bool copy_opened_file(int source_fd, const struct stat& st, int folder_fd, const std::string& name, bool replace,
    const std::function<bool(std::uint64_t)>& progress, bool try_clone)
{
    // Made with its own permission bits where the creation mask leaves them whole; nobody can
    // open the file before it is named anyway.
    const mode_t mode = st.st_mode & 07777;
    const bool set_mode = (mode & creation_mask()) != 0 || (mode & 07000) != 0;
    // An unnamed file where the file system has them; else a temporary name in the same folder.
    files::Descriptor out(replace ? -1 : ::openat(folder_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, set_mode ? 0600 : mode));
    std::string temporary;
    if (out.get() < 0) {
        for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
            temporary = new_temporary_name();
            const int fd = ::openat(folder_fd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, set_mode ? 0600 : mode);
            if (fd >= 0)
                out.reset(fd);
            else if (errno != EEXIST)
                throw files::SystemError("Cannot create file", name, errno);
        }
        if (out.get() < 0)
            throw files::SystemError("Cannot create file", name, EEXIST);
    }
    auto discard = [&] {
        if (!temporary.empty())
            ::unlinkat(folder_fd, temporary.c_str(), 0);
    };
    try {
        if (!copy_contents(source_fd, out.get(), static_cast<std::uint64_t>(st.st_size), progress, try_clone)) {
            discard();
            return false;
        }
        const timespec times[2] = { st.st_atim, st.st_mtim };
        if ((set_mode && ::fchmod(out.get(), mode) != 0) || ::futimens(out.get(), times) != 0)
            throw files::SystemError("Cannot set the attributes of", name, errno);
        if (temporary.empty()) {
            const std::string proc = "/proc/self/fd/" + std::to_string(out.get());
            if (::linkat(AT_FDCWD, proc.c_str(), folder_fd, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
                throw files::SystemError("Cannot create file", name, errno);
        } else if (replace) {
            if (::renameat(folder_fd, temporary.c_str(), folder_fd, name.c_str()) != 0)
                throw files::SystemError("Cannot create file", name, errno);
        } else if (::renameat2(folder_fd, temporary.c_str(), folder_fd, name.c_str(), RENAME_NOREPLACE) != 0) {
            throw files::SystemError("Cannot create file", name, errno);
        }
    } catch (...) {
        discard();
        throw;
    }
    return true;
}

} // namespace fileops
