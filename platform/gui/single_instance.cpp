#include "platform/gui/single_instance.h"

#include "platform/os/ascii.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <algorithm>
#include <unistd.h>

namespace vdx::gui {

namespace {

constexpr QByteArrayView kActivateRequest = "activate\n";
// A first instance that holds the lock may not listen yet (it is starting):
// a later one keeps asking this long.
constexpr int kAskForMs = 3000;
constexpr int kRetryDelayMs = 50;

QString RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

} // namespace

TSingleInstance::TSingleInstance(const std::string& title, const QString& folder, QObject* parent)
    : QObject(parent) {
    const QString dir = folder.isEmpty() ? RuntimeFolder() : folder;
    m_socketPath = QDir(dir).filePath(KeyFor(title));
}

TSingleInstance::~TSingleInstance() {
    if (m_server)
        m_server->close();
    // The lock file goes with m_lock; the socket file with the server.
}

QString TSingleInstance::KeyFor(const std::string& title) {
    QString key;
    for (const char c : title)
        key += QChar::fromLatin1(os::AsciiLower(c));
    return key + QString::number(::getuid());
}

bool TSingleInstance::Claim() {
    if (m_server)
        return true;
    m_lock = std::make_unique<QLockFile>(m_socketPath + QStringLiteral(".lock"));
    // Only a lock whose process has gone is stale, however old it is.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Listen();
    const QLockFile::LockError error = m_lock->error();
    m_lock.reset();
    if (error == QLockFile::LockFailedError) {
        AskFirstInstance();
        return false;
    }
    // No lock file can be made here (folder not writable): an instance that
    // answers still wins; otherwise run rather than refuse to start.
    if (AskFirstInstance())
        return false;
    return Listen();
}

bool TSingleInstance::AskFirstInstance() const {
    const QDeadlineTimer deadline(kAskForMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(int(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kActivateRequest.data(), kActivateRequest.size());
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return true;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kRetryDelayMs);
    }
}

bool TSingleInstance::Listen() {
    // We hold the lock: a socket file still there is a crashed instance's.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            auto request = std::make_shared<QByteArray>();
            const auto read = [this, socket, request] {
                request->append(socket->readAll());
                if (request->contains(kActivateRequest.data())) {
                    request->clear();
                    if (OnActivate)
                        OnActivate();
                }
                // Nobody talks at length here.
                if (request->size() > 64)
                    socket->abort();
            };
            connect(socket, &QLocalSocket::readyRead, this, read);
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            read();
        }
    });
    // Without a listener later instances cannot reach us, but they still see
    // the lock and end: keep running.
    m_server->listen(m_socketPath);
    return true;
}

} // namespace vdx::gui
