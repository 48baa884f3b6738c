#pragma once

#include <unistd.h>

namespace files {

// Owns an open file descriptor and closes it when it goes, so that a step that fails never
// leaks one.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) noexcept
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept
        : m_fd(other.m_fd)
    {
        other.m_fd = -1;
    }
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    // Gives the descriptor up without closing it.
    int release() noexcept
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

    int get() const noexcept { return m_fd; }
    // Takes another descriptor, closing the one held.
    void reset(int fd) noexcept
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and reports the result, since a delayed write error can surface only here.
    int close() noexcept
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

} // namespace files
