#include "platform/toolkit/settings_watch.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace toolkit {

SettingsFileWatch::SettingsFileWatch(MessageQueue& queue, std::string path)
    : m_queue(queue)
{
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    m_name = slash == std::string::npos ? path : path.substr(slash + 1);
    m_inotify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (m_inotify < 0)
        return;
    if (inotify_add_watch(m_inotify, folder.c_str(), IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE) < 0
        || (m_stop = eventfd(0, EFD_CLOEXEC)) < 0) {
        close(m_inotify);
        m_inotify = -1;
        return;
    }
    m_thread = std::thread([this] { run(); });
}

SettingsFileWatch::~SettingsFileWatch()
{
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(m_stop, &one, sizeof one);
        m_thread.join();
    }
    if (m_stop >= 0)
        close(m_stop);
    if (m_inotify >= 0)
        close(m_inotify);
}

void SettingsFileWatch::run()
{
    alignas(inotify_event) char buffer[4096];
    while (true) {
        pollfd fds[2] = { { m_inotify, POLLIN, 0 }, { m_stop, POLLIN, 0 } };
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents)
            return;
        const ssize_t n = read(m_inotify, buffer, sizeof buffer);
        bool ours = false;
        for (ssize_t at = 0; n > 0 && at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            if (e->len > 0 && m_name == e->name)
                ours = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
        if (ours) {
            Message m;
            m.kind = Message::Kind::SettingsChange;
            m_queue.post(std::move(m));
        }
    }
}

} // namespace toolkit
