#include "platform/files/replace_file.h"

#include "platform/files/descriptor.h"

#include "platform/files/errors.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

// Removes the temporary file unless the rename has consumed it.
class TemporaryName {
public:
    explicit TemporaryName(std::string name)
        : m_name(std::move(name))
    {
    }
    ~TemporaryName()
    {
        if (!m_name.empty())
            ::unlink(m_name.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

    const std::string& get() const noexcept { return m_name; }
    void release() noexcept { m_name.clear(); }

private:
    std::string m_name;
};

std::string absolute(const std::string& path)
{
    if (!path.empty() && path.front() == '/')
        return path;
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer))
        return path;
    std::string full = buffer;
    if (full.back() != '/')
        full += '/';
    return full + path;
}

std::string random_suffix()
{
    unsigned char bytes[6] = {};
    if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
        // Without the random source a clock-and-process value still rarely collides, and
        // O_EXCL below turns a collision into another try.
        static std::atomic<unsigned long> counter = 0;
        const auto mix = static_cast<unsigned long>(::getpid()) * 2654435761UL
            + static_cast<unsigned long>(::time(nullptr)) + ++counter;
        for (std::size_t i = 0; i < sizeof bytes; ++i)
            bytes[i] = static_cast<unsigned char>(mix >> (8 * i));
    }
    static const char digits[] = "0123456789abcdef";
    std::string suffix;
    for (unsigned char b : bytes) {
        suffix += digits[b >> 4];
        suffix += digits[b & 15];
    }
    return suffix;
}

// Makes a new file beside `path` named ".<name>.<random>.tmp", created exclusively with mode
// 0666 so that the umask and a default ACL of the folder apply as to any new file.
int create_temporary(const std::string& folder, const std::string& name, std::string& made)
{
    // Keeps the temporary name within NAME_MAX however long the final name is.
    const std::string stem = name.substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        made = folder + "." + stem + "." + random_suffix() + ".tmp";
        const int fd
            = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

void replace_file(const std::string& path, std::string_view bytes)
{
    const std::string full_path = absolute(path);
    if (path.empty())
        throw CreateError(full_path, ENOENT);
    if (path.back() == '/')
        throw CreateError(full_path, EISDIR);

    // Step 1. The descriptor only proves that the file may be written; it is never written, so
    // the old contents stay whole whatever follows. O_NONBLOCK keeps a FIFO from blocking here.
    struct stat existing { };
    bool exists = false;
    {
        const Descriptor check(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        if (check.get() >= 0) {
            if (::fstat(check.get(), &existing) != 0)
                throw CreateError(full_path, errno);
            if (!S_ISREG(existing.st_mode))
                throw CreateError(full_path, EEXIST);
            exists = true;
        } else if (errno == ENXIO) {
            // A FIFO with no reader: something of that name that is no file.
            throw CreateError(full_path, EEXIST);
        } else if (errno != ENOENT) {
            throw CreateError(full_path, errno);
        }
    }

    // Step 2.
    const auto slash = path.rfind('/');
    const std::string folder
        = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string made;
    Descriptor out(create_temporary(folder, name, made));
    if (out.get() < 0)
        throw CreateError(full_path, errno);
    TemporaryName temporary(made);

    // Step 3. One write, as the log file is always written whole; a retry after a short write
    // would hide a full disk until the next save.
    if (!bytes.empty()) {
        ssize_t written;
        do
            written = ::write(out.get(), bytes.data(), bytes.size());
        while (written < 0 && errno == EINTR);
        if (written < 0)
            throw WriteError(full_path, errno);
        if (static_cast<std::size_t>(written) != bytes.size())
            throw WriteError(full_path, 0);
    }
    if (::fsync(out.get()) != 0)
        throw WriteError(full_path, errno);

    // Step 4. Ownership is carried over where the system allows it (only root may give a file
    // away); a file the user cannot hand back is still the user's own, which is no failure.
    // fchown comes first because it may clear permission bits that fchmod then sets.
    // A new file keeps the mode it was created with.
    if (exists) {
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())
            (void)!::fchown(out.get(), existing.st_uid, existing.st_gid);
        if (::fchmod(out.get(), existing.st_mode & 07777) != 0)
            throw CreateError(full_path, errno);
    }
    if (out.close() != 0)
        throw WriteError(full_path, errno);
    if (::rename(temporary.get().c_str(), path.c_str()) != 0)
        throw CreateError(full_path, errno);
    temporary.release();

    // The rename reaches the disk with the folder's next flush at the latest. Flushing it now is
    // a courtesy: the file is already replaced, so a failure here is no failure of the save.
    const Descriptor folder_fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder_fd.get() >= 0)
        (void)::fsync(folder_fd.get());
}

} // namespace files
