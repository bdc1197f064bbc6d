#pragma once
// SIGTERM and SIGINT (the desktop session ending, a service manager stopping
// the program, Ctrl+C) reported on the GUI thread, so the program can close
// its main window as a user would.

#include <QObject>

#include <csignal>
#include <functional>

class QSocketNotifier;

namespace vdx::gui {

class TSessionEndNotifier : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; one notifier per process. Throws
    // std::system_error when the handlers cannot be installed.
    explicit TSessionEndNotifier(QObject* parent = nullptr);
    // Puts the previous handlers back.
    ~TSessionEndNotifier() override;
    // The signal handlers write into this object's pipe.
    TSessionEndNotifier(const TSessionEndNotifier&) = delete;
    TSessionEndNotifier& operator=(const TSessionEndNotifier&) = delete;

    // Raised on the GUI thread with the signal's number, once per signal.
    std::function<void(int signal)> OnSessionEnd;

private:
    void ReadSignals();

    int m_readFd = -1;
    int m_writeFd = -1;
    QSocketNotifier* m_notifier = nullptr; // child of this object
    struct sigaction m_oldTerm {};
    struct sigaction m_oldInt {};
};

} // namespace vdx::gui
