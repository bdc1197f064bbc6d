#include "platform/ftp/data_channel.h"

#include "platform/ftp/limits.h"

#include <cerrno>
#include <cstring>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace vdx::ftp {

namespace {

// Bytes of a socket not yet taken by its peer, or -1 when the socket cannot tell.
int QueuedForPeer(int fd) {
    int queued = 0;
    return ::ioctl(fd, SIOCOUTQ, &queued) == 0 ? queued : -1;
}

} // namespace

WaitResult WaitForData(int fd, short events, Clock::time_point deadline, ControlWatch& watch,
                       short& revents) {
    // A peer that keeps taking bytes, however slowly, has not stalled: a large send buffer can
    // take longer than the whole wait to drain far enough for the poll to report room.
    const Clock::duration span = deadline - Clock::now();
    int queued = (events & POLLOUT) != 0 ? QueuedForPeer(fd) : -1;
    for (bool first = true;; first = false) {
        pollfd fds[3] = {
            {fd, events, 0}, {watch.StopFd(), POLLIN, 0}, {watch.ControlFd(), POLLIN | POLLPRI, 0}};
        int ready = first ? watch.SpinBeforeSleep(fds, 3) : 0;
        if (ready == 0)
            ready = PollUntil(fds, 3, deadline);
        if (ready == 0) {
            const int left = queued >= 0 ? QueuedForPeer(fd) : -1;
            if (left < 0 || left >= queued)
                return WaitResult::TimedOut;
            queued = left;
            deadline = Clock::now() + span;
            continue;
        }
        if (fds[1].revents != 0)
            return WaitResult::Stopped;
        if (fds[2].revents != 0 && !watch.OnControlInput())
            return WaitResult::Interrupted;
        if (fds[0].revents != 0) {
            revents = fds[0].revents;
            return WaitResult::Ready;
        }
    }
}

WaitResult CheckControl(ControlWatch& watch) {
    pollfd fds[2] = {{watch.StopFd(), POLLIN, 0}, {watch.ControlFd(), POLLIN | POLLPRI, 0}};
    if (PollUntil(fds, 2, Clock::now()) == 0)
        return WaitResult::Ready;
    if (fds[0].revents != 0)
        return WaitResult::Stopped;
    if (fds[1].revents != 0 && !watch.OnControlInput())
        return WaitResult::Interrupted;
    return WaitResult::Ready;
}

namespace {

UniqueFd NewSocket(int family) {
    UniqueFd fd(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd)
        throw SystemError(errno);
    return fd;
}

bool TryBind(int fd, SocketAddress address, std::uint16_t port) {
    address.SetPort(port);
    return ::bind(fd, address.Raw(), address.Length()) == 0;
}

// A socket listening at port on local's address, or an empty one with the system's error in
// error. Both bind and listen can find the port taken: with SO_REUSEADDR two sockets may bind
// one port, and only the first of them to listen gets it.
UniqueFd TryListen(SocketAddress local, std::uint16_t port, int& error) {
    UniqueFd fd = NewSocket(local.Family());
    // Connections of earlier transfers on the port may linger in TIME_WAIT.
    SetSocketOption(fd.Get(), SOL_SOCKET, SO_REUSEADDR, 1);
    local.SetPort(port);
    if (::bind(fd.Get(), local.Raw(), local.Length()) != 0 ||
        ::listen(fd.Get(), kListenBacklog) != 0) {
        error = errno;
        return {};
    }
    return fd;
}

// Sets outcome and error for a wait that did not become ready.
void NoteWaitEnd(WaitResult result, DataOutcome& outcome, std::string& error) {
    switch (result) {
    case WaitResult::Interrupted:
        outcome = DataOutcome::Interrupted;
        error = "Interrupted";
        break;
    case WaitResult::Stopped:
        outcome = DataOutcome::Stopped;
        error = "Server stopping";
        break;
    case WaitResult::TimedOut:
        outcome = DataOutcome::Failed;
        error = "Timed out";
        break;
    case WaitResult::Ready:
        break;
    }
}

} // namespace

std::uint16_t DataChannel::Listen(const SocketAddress& local, std::uint16_t port,
                                  std::uint16_t rangeMin, std::uint16_t rangeMax) {
    Reset();
    const bool haveRange = rangeMin != 0 && rangeMax > rangeMin;
    UniqueFd fd;
    int error = 0;
    std::uint16_t bound = 0; // the port listened on, where it was asked for by number
    auto tryPort = [&](unsigned candidate) {
        bound = static_cast<std::uint16_t>(candidate);
        fd = TryListen(local, bound, error);
    };
    if (port == 0 && !haveRange) {
        // The system's own search for a free port grows slow with the thousands of earlier data
        // connections that linger in TIME_WAIT under load; a drawn port is nearly always free.
        std::uniform_int_distribution<unsigned> draw(kDrawnPassivePortMin, kDrawnPassivePortMax);
        for (int i = 0; i < kPassivePortDraws && !fd; ++i)
            tryPort(draw(m_random));
    }
    if (!fd)
        tryPort(port);
    if (!fd && error == EADDRINUSE && haveRange) {
        // Another connection drew the same port: take the next free one of the range.
        const unsigned span = rangeMax - rangeMin + 1u;
        const unsigned first = (port >= rangeMin && port <= rangeMax) ? port - rangeMin : 0u;
        for (unsigned i = 1; i < span && !fd; ++i)
            tryPort(rangeMin + (first + i) % span);
    }
    if (!fd)
        throw SystemError(error);
    if (bound == 0) {
        const auto actual = SocketAddress::LocalOf(fd.Get());
        if (!actual)
            throw SystemError(errno);
        bound = actual->Port();
    }
    m_listener = std::move(fd);
    return bound;
}

void DataChannel::SetActive(const SocketAddress& target) {
    Reset();
    m_target = target;
}

void DataChannel::Reset() {
    m_listener.Reset();
    m_target.reset();
}

UniqueFd DataChannel::Open(const SocketAddress& allowedPeer, const SocketAddress& localHost,
                           std::uint16_t dataPort, Clock::duration timeout, ControlWatch& watch,
                           DataOutcome& outcome, std::string& error) {
    const auto deadline = Clock::now() + timeout;
    outcome = DataOutcome::Completed;
    UniqueFd result;
    if (m_listener) {
        result = Accept(allowedPeer, deadline, watch, outcome, error);
    } else if (m_target) {
        const SocketAddress target = *m_target;
        result = Connect(target, localHost, dataPort, deadline, watch, outcome, error);
    } else {
        outcome = DataOutcome::Failed;
        error = "No data connection was set up";
    }
    Reset();
    return result;
}

UniqueFd DataChannel::Accept(const SocketAddress& allowedPeer, Clock::time_point deadline,
                             ControlWatch& watch, DataOutcome& outcome, std::string& error) {
    // A passive client connects before it sends the transfer command: the connection is
    // usually waiting already, and only an empty queue is waited on.
    for (bool wait = false;; wait = true) {
        if (wait) {
            short revents = 0;
            const WaitResult waited =
                WaitForData(m_listener.Get(), POLLIN, deadline, watch, revents);
            if (waited != WaitResult::Ready) {
                NoteWaitEnd(waited, outcome, error);
                return {};
            }
        }
        SocketAddress peer;
        socklen_t length = sizeof(sockaddr_storage);
        UniqueFd fd(::accept4(m_listener.Get(), peer.Raw(), &length, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            if (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED)
                continue;
            outcome = DataOutcome::Failed;
            error = SystemError(errno).what();
            return {};
        }
        peer.SetLength(length);
        // A connection from any other host would let it take over this transfer.
        if (peer.SameHost(allowedPeer))
            return fd;
    }
}

UniqueFd DataChannel::Connect(const SocketAddress& target, const SocketAddress& localHost,
                              std::uint16_t dataPort, Clock::time_point deadline,
                              ControlWatch& watch, DataOutcome& outcome, std::string& error) {
    try {
        UniqueFd fd = NewSocket(target.Family());
        if (localHost.Family() == target.Family()) {
            SetSocketOption(fd.Get(), SOL_SOCKET, SO_REUSEADDR, 1);
            // The data port usually needs privileges; the system's choice serves as well.
            if (dataPort == 0 || !TryBind(fd.Get(), localHost, dataPort))
                TryBind(fd.Get(), localHost, 0);
        }
        if (::connect(fd.Get(), target.Raw(), target.Length()) != 0 && errno != EINPROGRESS) {
            outcome = DataOutcome::Failed;
            error = SystemError(errno).what();
            return {};
        }
        short revents = 0;
        const WaitResult waited = WaitForData(fd.Get(), POLLOUT, deadline, watch, revents);
        if (waited != WaitResult::Ready) {
            NoteWaitEnd(waited, outcome, error);
            return {};
        }
        int soError = 0;
        socklen_t length = sizeof soError;
        if (::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &soError, &length) != 0)
            soError = errno;
        if (soError != 0) {
            outcome = DataOutcome::Failed;
            error = SystemError(soError).what();
            return {};
        }
        return fd;
    } catch (const std::system_error& e) {
        outcome = DataOutcome::Failed;
        error = e.what();
        return {};
    }
}

} // namespace vdx::ftp
