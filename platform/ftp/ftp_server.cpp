#include "platform/ftp/ftp_server.h"

#include "platform/ftp/control_channel.h"
#include "platform/ftp/limits.h"
#include "platform/ftp/socket_io.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <list>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vdx::ftp {

namespace {

// A thread with a chosen stack size (std::thread cannot set one).
class SmallStackThread {
public:
    SmallStackThread(std::size_t stackSize, std::function<void()> body) : m_body(std::move(body)) {
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstacksize(&attr, stackSize);
        const int rc = pthread_create(&m_thread, &attr, &SmallStackThread::Entry, this);
        pthread_attr_destroy(&attr);
        if (rc != 0)
            throw SystemError(rc);
    }
    // The thread holds this object's address.
    SmallStackThread(const SmallStackThread&) = delete;
    SmallStackThread& operator=(const SmallStackThread&) = delete;
    ~SmallStackThread() { pthread_join(m_thread, nullptr); }

private:
    static void* Entry(void* self) {
        // sendfile cannot be told MSG_NOSIGNAL: a write to a client that has gone must fail
        // with EPIPE, not end the whole process with SIGPIPE.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        static_cast<SmallStackThread*>(self)->m_body();
        return nullptr;
    }

    std::function<void()> m_body;
    pthread_t m_thread{};
};

struct Connection {
    std::atomic<bool> finished{false};
    std::unique_ptr<SmallStackThread> thread;
};

// Connections served per client address. The listener takes a slot for each connection it
// serves; the connection's thread gives it back as it ends, before the connection counts as gone.
class AddressSlots {
public:
    explicit AddressSlots(std::size_t cap) : m_cap(cap) {}

    // False when the address holds every slot it may.
    bool Take(const std::string& address) {
        std::scoped_lock lock(m_mutex);
        std::size_t& count = m_counts[address];
        if (count < m_cap) {
            ++count;
            return true;
        }
        if (count == 0)
            m_counts.erase(address);
        return false;
    }

    void Give(const std::string& address) noexcept {
        std::scoped_lock lock(m_mutex);
        const auto it = m_counts.find(address);
        if (it != m_counts.end() && --it->second == 0)
            m_counts.erase(it);
    }

private:
    const std::size_t m_cap;
    std::mutex m_mutex;
    std::map<std::string, std::size_t> m_counts; // only addresses with a connection
};

} // namespace

// The listener and the connections of one activation. Only the listener thread touches the
// connection list; the rest talk through the stop signal, the reap counter and the atomics.
class TIdFTPServer::Running {
public:
    Running(std::shared_ptr<const ServerShared> shared, UniqueFd listener)
        : m_shared(std::move(shared)), m_listener(std::move(listener)),
          m_reap(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
          m_slots(m_shared->options.MaxConnectionsPerAddress) {
        if (!m_reap)
            throw SystemError(errno);
        m_thread = std::thread([this] { Listen(); });
    }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    // Stops and joins everything.
    ~Running() {
        m_stop.Raise();
        m_thread.join();
    }

    std::size_t ConnectionCount() const { return m_live.load(); }
    std::uint16_t Port() const {
        const auto local = SocketAddress::LocalOf(m_listener.Get());
        return local ? local->Port() : 0;
    }

private:
    void Listen() noexcept {
        while (!m_stop.Raised()) {
            pollfd fds[3] = {
                {m_listener.Get(), POLLIN, 0}, {m_stop.Fd(), POLLIN, 0}, {m_reap.Get(), POLLIN, 0}};
            if (::poll(fds, 3, -1) < 0) {
                if (errno == EINTR)
                    continue;
                Report(SystemError(errno));
                break;
            }
            if (fds[1].revents != 0)
                break;
            if (fds[2].revents != 0)
                Reap();
            if (fds[0].revents != 0)
                AcceptBurst();
        }
        // Every session sees the stop signal and ends; wait for all of them.
        m_connections.clear();
    }

    void Reap() noexcept {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto got = ::read(m_reap.Get(), &count, sizeof count);
        m_connections.remove_if(
            [](const std::unique_ptr<Connection>& c) { return c->finished.load(); });
    }

    // Clients of a burst wait in the queue for their greeting: take several at a time.
    void AcceptBurst() noexcept {
        for (int i = 0; i < kAcceptBurst; ++i)
            if (!AcceptOne())
                return;
    }

    // False when the queue is empty or accepting failed.
    bool AcceptOne() noexcept {
        SocketAddress peer;
        socklen_t length = sizeof(sockaddr_storage);
        UniqueFd fd(::accept4(m_listener.Get(), peer.Raw(), &length, SOCK_CLOEXEC));
        if (!fd) {
            const int error = errno;
            if (error == EINTR || error == ECONNABORTED)
                return true;
            if (error == EAGAIN)
                return false;
            const bool report = !m_outOfResources;
            m_outOfResources = true;
            if ((error == EMFILE || error == ENFILE) && m_spare) {
                RefuseWithSpare(report ? error : 0);
                return true;
            }
            if (report)
                Report(SystemError(error));
            // Out of memory: give the system a moment instead of spinning.
            pollfd stop{m_stop.Fd(), POLLIN, 0};
            ::poll(&stop, 1, 100);
            return false;
        }
        m_outOfResources = false;
        peer.SetLength(length);
        if (m_live.load() >= m_shared->options.MaxConnections) {
            Refuse(fd.Get());
            return true;
        }
        bool taken = false;   // a slot of the address is held
        bool started = false; // the thread gives the slot back
        std::string address;
        try {
            address = peer.Ip();
            taken = m_slots.Take(address);
            if (!taken) {
                Refuse(fd.Get());
                return true;
            }
            auto connection = std::make_unique<Connection>();
            Connection* record = connection.get();
            auto session =
                std::make_shared<ControlChannel>(m_shared, std::move(fd), m_stop, m_live);
            ++m_live;
            try {
                record->thread = std::make_unique<SmallStackThread>(
                    kConnectionStackSize, [this, record, session, address]() mutable {
                        session->Run();
                        session.reset();
                        m_slots.Give(address);
                        --m_live;
                        record->finished = true;
                        const std::uint64_t one = 1;
                        [[maybe_unused]] const auto written =
                            ::write(m_reap.Get(), &one, sizeof one);
                    });
                started = true;
            } catch (...) {
                --m_live;
                throw;
            }
            m_connections.push_back(std::move(connection));
        } catch (const std::exception& e) {
            if (taken && !started)
                m_slots.Give(address);
            Report(e);
            return false;
        }
        return true;
    }

    // Out of descriptors: the spare one makes room, first for the report of error (non-zero)
    // whose log line needs a file, then to tell the waiting client that the server is full
    // instead of leaving it in the queue without a greeting.
    void RefuseWithSpare(int error) noexcept {
        m_spare.Reset();
        if (error != 0)
            Report(SystemError(error));
        UniqueFd fd(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (fd)
            Refuse(fd.Get());
        fd.Reset();
        m_spare = OpenSpare();
    }

    static UniqueFd OpenSpare() noexcept {
        return UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    }

    void Refuse(int fd) noexcept {
        const TIdReply& reply = m_shared->options.MaxConnectionReply;
        const std::string text = std::to_string(reply.Code) + " " + reply.Text + "\r\n";
        ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    }

    void Report(const std::exception& error) noexcept {
        if (!m_shared->events.OnException)
            return;
        try {
            m_shared->events.OnException(nullptr, error);
        } catch (...) {
        }
    }

    std::shared_ptr<const ServerShared> m_shared;
    UniqueFd m_listener;
    StopSignal m_stop;
    UniqueFd m_reap;
    UniqueFd m_spare = OpenSpare(); // held back for RefuseWithSpare
    bool m_outOfResources = false;  // reported once until an accept succeeds again
    std::atomic<std::size_t> m_live{0};
    AddressSlots m_slots;
    std::list<std::unique_ptr<Connection>> m_connections; // listener thread only
    std::thread m_thread;
};

TIdFTPServer::TIdFTPServer() = default;

TIdFTPServer::~TIdFTPServer() {
    SetActive(false);
}

void TIdFTPServer::SetActive(bool value) {
    if (value == Active())
        return;
    if (!value) {
        m_running.reset();
        return;
    }
    auto shared = std::make_shared<ServerShared>();
    shared->options = *this;
    shared->events = *this;
    shared->server = this;

    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd)
        throw SystemError(errno);
    SetSocketOption(fd.Get(), SOL_SOCKET, SO_REUSEADDR, 1);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(DefaultPort);
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw SystemError(errno);
    if (::listen(fd.Get(), kServerListenBacklog) != 0)
        throw SystemError(errno);
    m_running = std::make_unique<Running>(std::move(shared), std::move(fd));
}

std::uint16_t TIdFTPServer::BoundPort() const {
    return m_running ? m_running->Port() : 0;
}

std::size_t TIdFTPServer::ConnectionCount() const {
    return m_running ? m_running->ConnectionCount() : 0;
}

void TIdFTPServer::SetPASVBoundPortMin(std::uint16_t port) {
    const std::uint16_t max = m_pasvMax.load();
    if (port != 0 && max != 0 && port >= max)
        throw std::invalid_argument("PASVBoundPortMin must be less than PASVBoundPortMax.");
    m_pasvMin = port;
}

void TIdFTPServer::SetPASVBoundPortMax(std::uint16_t port) {
    const std::uint16_t min = m_pasvMin.load();
    if (port != 0 && min != 0 && port <= min)
        throw std::invalid_argument("PASVBoundPortMax must be greater than PASVBoundPortMax.");
    m_pasvMax = port;
}

} // namespace vdx::ftp
