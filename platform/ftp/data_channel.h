#pragma once
// The data connection of one control connection: a passive listener (PASV, EPSV) or an active
// target (PORT, EPRT), made into one connected socket per transfer.

#include "platform/ftp/socket_io.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>

namespace vdx::ftp {

// What a data operation watches besides its own socket. The control channel implements it so
// that ABOR, STAT and a closed control connection are seen while a data connection is made or
// a transfer runs.
class ControlWatch {
public:
    virtual ~ControlWatch() = default;
    // The control socket to watch for input, or -1 while no input is wanted.
    virtual int ControlFd() const = 0;
    // Readable once the server stops.
    virtual int StopFd() const = 0;
    // Called when the control socket has input; false ends the data operation (ABOR, the client
    // closed the control connection).
    virtual bool OnControlInput() = 0;
    // Before a wait sleeps: polls fds without sleeping for a moment where that pays (SpinWait);
    // the count of ready descriptors, 0 to sleep as usual.
    virtual int SpinBeforeSleep(pollfd* /*fds*/, unsigned /*count*/) { return 0; }
};

// How a data operation ended.
enum class DataOutcome {
    Completed,
    Interrupted, // ControlWatch::OnControlInput said stop
    Stopped,     // the server stops
    Failed,      // a network failure or timeout; error holds the system's message
    LocalError,  // the stream failed; error holds its message
};

enum class WaitResult { Ready, Interrupted, Stopped, TimedOut };

// Waits until fd reports one of events (or an error or hang-up), serving control input on the
// way. deadline bounds the wait; revents receives what fd reported.
WaitResult WaitForData(int fd, short events, Clock::time_point deadline, ControlWatch& watch,
                       short& revents);

// Serves control input already there and looks at the stop, without waiting: Ready when the data
// operation may go on.
WaitResult CheckControl(ControlWatch& watch);

class DataChannel {
public:
    DataChannel() = default;
    DataChannel(const DataChannel&) = delete;
    DataChannel& operator=(const DataChannel&) = delete;

    // Opens a passive listener on the address local (its port is ignored) at port, 0 for any
    // free port. When that port is in use and rangeMin..rangeMax (both non-zero) is a range,
    // the other ports of the range are tried in turn. Returns the port listened on; throws
    // std::system_error when no port could be bound. Replaces any earlier setting.
    std::uint16_t Listen(const SocketAddress& local, std::uint16_t port, std::uint16_t rangeMin,
                         std::uint16_t rangeMax);

    // The target of the next active data connection. Replaces any earlier setting.
    void SetActive(const SocketAddress& target);

    // A PASV/EPSV listener or a PORT/EPRT target waits for the next transfer.
    bool Pending() const { return m_listener || m_target.has_value(); }

    // Forgets the listener or the target.
    void Reset();

    // Makes the data connection for one transfer, waiting at most timeout: a passive listener
    // accepts only a connection from allowedPeer's host (others are closed and it waits on);
    // an active one connects from localHost's address, from port dataPort when non-zero and
    // bindable, else from a port the system chooses. The setting is used up either way. The
    // socket is non-blocking. On failure returns an empty UniqueFd and sets outcome and error.
    UniqueFd Open(const SocketAddress& allowedPeer, const SocketAddress& localHost,
                  std::uint16_t dataPort, Clock::duration timeout, ControlWatch& watch,
                  DataOutcome& outcome, std::string& error);

private:
    UniqueFd Accept(const SocketAddress& allowedPeer, Clock::time_point deadline,
                    ControlWatch& watch, DataOutcome& outcome, std::string& error);
    UniqueFd Connect(const SocketAddress& target, const SocketAddress& localHost,
                     std::uint16_t dataPort, Clock::time_point deadline, ControlWatch& watch,
                     DataOutcome& outcome, std::string& error);

    UniqueFd m_listener;
    std::optional<SocketAddress> m_target;
    std::minstd_rand m_random{std::random_device{}()}; // passive ports when the system chooses
};

} // namespace vdx::ftp
