#include "platform/ftp/socket_io.h"

#include "platform/ftp/limits.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vdx::ftp {

std::optional<SocketAddress> SocketAddress::FromIp(std::string_view ip, std::uint16_t port) {
    const std::string text(ip);
    SocketAddress result;
    sockaddr_in v4{};
    if (::inet_pton(AF_INET, text.c_str(), &v4.sin_addr) == 1) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        std::memcpy(&result.m_storage, &v4, sizeof v4);
        result.m_length = sizeof v4;
        return result;
    }
    sockaddr_in6 v6{};
    if (::inet_pton(AF_INET6, text.c_str(), &v6.sin6_addr) == 1) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        std::memcpy(&result.m_storage, &v6, sizeof v6);
        result.m_length = sizeof v6;
        return result;
    }
    return std::nullopt;
}

std::optional<SocketAddress> SocketAddress::LocalOf(int fd) {
    SocketAddress result;
    result.m_length = sizeof result.m_storage;
    if (::getsockname(fd, result.Raw(), &result.m_length) != 0)
        return std::nullopt;
    return result;
}

std::optional<SocketAddress> SocketAddress::PeerOf(int fd) {
    SocketAddress result;
    result.m_length = sizeof result.m_storage;
    if (::getpeername(fd, result.Raw(), &result.m_length) != 0)
        return std::nullopt;
    return result;
}

std::optional<std::uint32_t> SocketAddress::Ipv4() const {
    if (Family() == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&m_storage);
        return ntohl(v4->sin_addr.s_addr);
    }
    if (Family() == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&m_storage);
        if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr)) {
            std::uint32_t value = 0;
            std::memcpy(&value, v6->sin6_addr.s6_addr + 12, 4);
            return ntohl(value);
        }
    }
    return std::nullopt;
}

std::string SocketAddress::Ip() const {
    char text[INET6_ADDRSTRLEN] = {};
    if (const auto v4 = Ipv4()) {
        in_addr addr{};
        addr.s_addr = htonl(*v4);
        ::inet_ntop(AF_INET, &addr, text, sizeof text);
    } else if (Family() == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&m_storage);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    }
    return text;
}

std::uint16_t SocketAddress::Port() const {
    if (Family() == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&m_storage)->sin_port);
    if (Family() == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&m_storage)->sin6_port);
    return 0;
}

void SocketAddress::SetPort(std::uint16_t port) {
    if (Family() == AF_INET)
        reinterpret_cast<sockaddr_in*>(&m_storage)->sin_port = htons(port);
    else if (Family() == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&m_storage)->sin6_port = htons(port);
}

bool SocketAddress::SameHost(const SocketAddress& other) const {
    const auto mine = Ipv4();
    const auto theirs = other.Ipv4();
    if (mine || theirs)
        return mine && theirs && *mine == *theirs;
    if (Family() != AF_INET6 || other.Family() != AF_INET6)
        return false;
    const auto* a = reinterpret_cast<const sockaddr_in6*>(&m_storage);
    const auto* b = reinterpret_cast<const sockaddr_in6*>(&other.m_storage);
    return std::memcmp(&a->sin6_addr, &b->sin6_addr, sizeof a->sin6_addr) == 0;
}

int PollUntil(pollfd* fds, unsigned count, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        const int timeout = static_cast<int>(
            std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 24 * 3600 * 1000));
        const int ready = ::poll(fds, count, timeout);
        if (ready >= 0)
            return ready;
        if (errno != EINTR)
            throw SystemError(errno);
    }
}

int SpinWait::Poll(pollfd* fds, unsigned count) {
    if (m_misses >= 2 && ++m_skips % kSpinRetryEvery != 0)
        return 0;
    const auto end = Clock::now() + std::chrono::microseconds(kSpinMicroseconds);
    do {
        const int ready = ::poll(fds, count, 0);
        if (ready > 0) {
            m_misses = 0;
            return ready;
        }
        if (ready < 0 && errno != EINTR)
            return 0; // the sleeping poll reports it
    } while (Clock::now() < end);
    if (m_misses < 2 && ++m_misses == 2)
        m_skips = 0;
    return 0;
}

std::system_error SystemError(int error) {
    return std::system_error(error, std::system_category());
}

void SetNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        throw SystemError(errno);
}

void SetSocketOption(int fd, int level, int option, int value) {
    if (::setsockopt(fd, level, option, &value, sizeof value) != 0)
        throw SystemError(errno);
}

StopSignal::StopSignal() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!m_fd)
        throw SystemError(errno);
}

void StopSignal::Raise() noexcept {
    m_raised.store(true, std::memory_order_release);
    const std::uint64_t one = 1;
    // A counter that is already raised stays readable; a failed write leaves nothing to do.
    [[maybe_unused]] const auto written = ::write(m_fd.Get(), &one, sizeof one);
}

} // namespace vdx::ftp
