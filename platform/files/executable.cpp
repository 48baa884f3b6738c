#include "platform/files/executable.h"

#include "platform/files/errors.h"

#include <cerrno>
#include <mutex>
#include <stdexcept>
#include <unistd.h>

namespace files {

namespace {

std::mutex override_mutex;
std::optional<std::string> folder_override;

} // namespace

std::string executable_path()
{
    // readlink gives no length up front: a result that fills the buffer may have been cut.
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            throw SystemError("Cannot read the program's path", "/proc/self/exe", errno);
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string executable_folder()
{
    {
        const std::lock_guard lock(override_mutex);
        if (folder_override)
            return *folder_override;
    }
    std::string path = executable_path();
    // The kernel always reports an absolute path, so a '/' is there to be found.
    path.erase(path.rfind('/') + 1);
    return path;
}

void set_executable_folder_for_tests(std::optional<std::string> folder)
{
    if (folder && (folder->empty() || folder->back() != '/'))
        throw std::invalid_argument("set_executable_folder_for_tests: the folder must end in '/'");
    const std::lock_guard lock(override_mutex);
    folder_override = std::move(folder);
}

} // namespace files
