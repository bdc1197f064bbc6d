#pragma once
// Small socket helpers of the FTP component: addresses, bounded waits and the
// stop signal every connection thread watches.

#include "platform/os/unique_fd.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <system_error>

struct pollfd;

namespace vdx::ftp {

using Clock = std::chrono::steady_clock;

using os::UniqueFd;

// An IPv4 or IPv6 socket address.
class SocketAddress {
public:
    SocketAddress() = default;
    // nullopt when ip is no numeric IPv4 or IPv6 address.
    static std::optional<SocketAddress> FromIp(std::string_view ip, std::uint16_t port);
    static std::optional<SocketAddress> LocalOf(int fd);
    static std::optional<SocketAddress> PeerOf(int fd);

    int Family() const { return m_storage.ss_family; }
    // Numeric form; an IPv4-mapped IPv6 address is given in its IPv4 form.
    std::string Ip() const;
    std::uint16_t Port() const;
    void SetPort(std::uint16_t port);
    // Same host address (IPv4-mapped IPv6 equals its IPv4 form); ports are not compared.
    bool SameHost(const SocketAddress& other) const;
    // The IPv4 address in host order when this is IPv4 or IPv4-mapped.
    std::optional<std::uint32_t> Ipv4() const;

    const sockaddr* Raw() const { return reinterpret_cast<const sockaddr*>(&m_storage); }
    sockaddr* Raw() { return reinterpret_cast<sockaddr*>(&m_storage); }
    socklen_t Length() const { return m_length; }
    void SetLength(socklen_t length) { m_length = length; }

private:
    sockaddr_storage m_storage{};
    socklen_t m_length = 0;
};

// poll() until something happens or the deadline passes (restarted after EINTR). Returns the
// count of ready descriptors, 0 on timeout; throws std::system_error on a poll failure.
int PollUntil(pollfd* fds, unsigned count, Clock::time_point deadline);

std::system_error SystemError(int error);

void SetNonBlocking(int fd);
void SetSocketOption(int fd, int level, int option, int value);

// Waits of one kind (commands, data) of one session that look for their input without sleeping
// for a moment first (see kSpinMicroseconds), as long as that keeps paying.
class SpinWait {
public:
    // poll() without sleeping until a descriptor is ready or the moment has passed; the count of
    // ready descriptors, 0 when none became ready or spinning does not pay at present.
    int Poll(pollfd* fds, unsigned count);

private:
    int m_misses = 0;     // spins in a row that ended without input
    unsigned m_skips = 0; // waits since the last spin, while spinning does not pay
};

// Becomes readable for every poller at once when raised and stays so until it is freed.
// Raised() asks without a system call, so it may be asked before every command.
class StopSignal {
public:
    StopSignal(); // throws std::system_error
    void Raise() noexcept;
    bool Raised() const noexcept { return m_raised.load(std::memory_order_acquire); }
    int Fd() const noexcept { return m_fd.Get(); }

private:
    UniqueFd m_fd;
    std::atomic<bool> m_raised{false};
};

} // namespace vdx::ftp
