#pragma once
// The one owner of a file descriptor: files, folders, sockets, pipes and
// event descriptors alike.

#include <unistd.h>
#include <utility>

namespace vdx::os {

// Owns one descriptor (or none: -1) and closes it when freed or reset.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const noexcept { return m_fd; }
    explicit operator bool() const noexcept { return m_fd >= 0; }
    // Gives the descriptor up without closing it.
    int Release() noexcept { return std::exchange(m_fd, -1); }
    // Closes the descriptor held (its close error is not reported) and takes fd.
    void Reset(int fd = -1) noexcept {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

} // namespace vdx::os
