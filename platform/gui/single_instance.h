#pragma once
// One running instance per user and title, without the platform's window
// search: the first instance holds a lock file and listens on a local
// socket; a later one finds the lock held, asks the first through the socket
// to come to the front, and ends. The lock goes with the process, so a socket
// left behind by a crash never blocks the next start.
//
// Both live in $XDG_RUNTIME_DIR (the temporary folder when it is not set),
// named after the title in lower case plus the user id: "vdxftpservr0",
// "vdxftpservr0.lock".

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QLockFile;

namespace vdx::gui {

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // title is compared without regard to ASCII case. folder (tests) replaces
    // the runtime folder; empty takes the default.
    explicit TSingleInstance(const std::string& title, const QString& folder = {},
                             QObject* parent = nullptr);
    ~TSingleInstance() override;
    // Holds the lock and the listening socket.
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // True when this is the first instance: it holds the lock and listens
    // from now on. False when another instance runs; that one has been asked
    // to come to the front (as far as it answered within a few seconds).
    bool Claim();

    // Raised in the first instance, on the GUI thread, for every later start.
    std::function<void()> OnActivate;

    // "vdxftpservr" + user id for the title "VdxFtpServr".
    static QString KeyFor(const std::string& title);
    // Full path of the socket (the lock file is this + ".lock").
    const QString& SocketPath() const noexcept { return m_socketPath; }

private:
    bool AskFirstInstance() const;
    bool Listen();

    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr; // child of this object
};

} // namespace vdx::gui
