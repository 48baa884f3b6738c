#include "platform/toolkit/message_queue.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

namespace toolkit {

MessageQueue::MessageQueue()
    : m_wake_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (m_wake_fd < 0)
        throw std::runtime_error("Cannot create the message queue");
}

MessageQueue::~MessageQueue()
{
    signals::uninstall();
    close(m_wake_fd);
}

void MessageQueue::post(Message message)
{
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(std::move(message));
    }
    wake();
}

std::optional<Message> MessageQueue::take()
{
    std::lock_guard lock(m_mutex);
    if (m_messages.empty())
        return std::nullopt;
    Message m = std::move(m_messages.front());
    m_messages.pop_front();
    return m;
}

bool MessageQueue::empty() const
{
    std::lock_guard lock(m_mutex);
    return m_messages.empty();
}

void MessageQueue::wake() const
{
    const std::uint64_t one = 1;
    // A full counter already wakes the reader; nothing else can fail here.
    [[maybe_unused]] const ssize_t n = write(m_wake_fd, &one, sizeof one);
}

void MessageQueue::clear_wake() const
{
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = read(m_wake_fd, &value, sizeof value);
}

namespace signals {
namespace {
    std::atomic<int> g_wake_fd { -1 };
    std::atomic<bool> g_end_session { false };
    std::atomic<bool> g_settings_change { false };

    void on_signal(int signal_number) { notify(signal_number); }
} // namespace

void install(const MessageQueue& queue)
{
    g_end_session = false;
    g_settings_change = false;
    g_wake_fd = queue.wake_fd();
    struct sigaction sa {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

void uninstall()
{
    if (g_wake_fd.exchange(-1) < 0)
        return;
    signal(SIGTERM, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
}

void notify(int signal_number)
{
    const int saved_errno = errno;
    if (signal_number == SIGTERM)
        g_end_session = true;
    else if (signal_number == SIGHUP)
        g_settings_change = true;
    const int fd = g_wake_fd.load();
    if (fd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(fd, &one, sizeof one);
    }
    errno = saved_errno;
}

bool take_end_session() { return g_end_session.exchange(false); }
bool take_settings_change() { return g_settings_change.exchange(false); }

} // namespace signals

} // namespace toolkit
