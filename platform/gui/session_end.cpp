#include "platform/gui/session_end.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace vdx::gui {

namespace {

// A signal handler can reach nothing but a global; -1 while no notifier exists.
std::atomic<int> g_signalWriteFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnTerminationSignal(int signal) {
    const int savedErrno = errno;
    const int fd = g_signalWriteFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        // A full pipe already holds a wake-up; losing this byte is harmless.
        [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

} // namespace

TSessionEndNotifier::TSessionEndNotifier(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        ThrowErrno("pipe2");
    m_readFd = fds[0];
    m_writeFd = fds[1];
    int expected = -1;
    if (!g_signalWriteFd.compare_exchange_strong(expected, m_writeFd)) {
        ::close(m_readFd);
        ::close(m_writeFd);
        throw std::logic_error("only one TSessionEndNotifier may exist");
    }

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGTERM, &action, &m_oldTerm) != 0 ||
        ::sigaction(SIGINT, &action, &m_oldInt) != 0) {
        const int error = errno;
        ::sigaction(SIGTERM, &m_oldTerm, nullptr);
        g_signalWriteFd.store(-1);
        ::close(m_readFd);
        ::close(m_writeFd);
        errno = error;
        ThrowErrno("sigaction");
    }

    m_notifier = new QSocketNotifier(qintptr(m_readFd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { ReadSignals(); });
}

TSessionEndNotifier::~TSessionEndNotifier() {
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    g_signalWriteFd.store(-1);
    delete m_notifier;
    ::close(m_readFd);
    ::close(m_writeFd);
}

void TSessionEndNotifier::ReadSignals() {
    unsigned char received[64];
    while (true) {
        const auto count = ::read(m_readFd, received, sizeof received);
        if (count <= 0)
            break;
        for (ssize_t i = 0; i < count; ++i)
            if (OnSessionEnd)
                OnSessionEnd(int(received[i]));
    }
}

} // namespace vdx::gui
