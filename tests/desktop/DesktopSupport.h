#pragma once
// Helpers of the desktop tests: a temporary install root with its settings
// and users, per-test HOME and XDG folders (the registry store and the
// single-instance socket live there), free and busy ports, a small FTP
// client on a raw socket, and waiting while Qt delivers events.

#include "ftpengine/VFGlobals.h"
#include "shared/VardexUsersXML.h"

#include "InstallRoot.h"
#include "IsolatedEnv.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QThread>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <netinet/in.h>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vdx::test {

// An install root whose settings switch both products on.
class DesktopRoot : public InstallRoot {
public:
    // Port and anything else the test changes.
    void WriteSettings(int port, const std::function<void(TSettings&)>& change = {}) const {
        TFGlobals globals(ProgramPath());
        TSettings settings = globals.Settings();
        settings.Port = port;
        settings.UseVdxText = true;
        settings.UseVdxInfo = true;
        if (change)
            change(settings);
        globals.SetSettings(settings);
        globals.SaveSettings();
    }
};

// A teletext user, or an administrator.
inline TUserXML MakeDesktopUser(std::string name, std::string password, bool admin = false) {
    TUserXML user = MakeUser(std::move(name), std::move(password));
    user.Admin = admin;
    user.TXT = !admin;
    return user;
}

// A socket that closes itself.
class Socket {
public:
    explicit Socket(int fd = -1) : m_fd(fd) {}
    Socket(Socket&& o) noexcept : m_fd(std::exchange(o.m_fd, -1)) {}
    Socket& operator=(Socket&& o) noexcept {
        std::swap(m_fd, o.m_fd);
        return *this;
    }
    ~Socket() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Fd() const { return m_fd; }

private:
    int m_fd;
};

// A listener on all interfaces; port 0 takes a free one.
inline Socket Listen(int port) {
    Socket s(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(std::uint16_t(port));
    if (::bind(s.Fd(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(s.Fd(), 4) != 0)
        throw std::runtime_error("cannot listen");
    return s;
}

inline int BoundPort(const Socket& s) {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(s.Fd(), reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

// A port nobody listens on right now.
inline int FreePort() {
    return BoundPort(Listen(0));
}

// Runs Qt's events until done() holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// FTP over a raw socket to 127.0.0.1, every read bounded by a timeout.
class FtpClient {
public:
    struct Reply {
        int code = 0;
        std::string text; // the last line
    };

    // Connects and reads the greeting; code 0 when the connection failed.
    Reply Connect(int port) {
        m_socket = Socket(::socket(AF_INET, SOCK_STREAM, 0));
        timeval tv{5, 0};
        ::setsockopt(m_socket.Fd(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(std::uint16_t(port));
        if (::connect(m_socket.Fd(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
            return {};
        return ReadReply();
    }

    Reply Command(const std::string& line) {
        const std::string out = line + "\r\n";
        if (::send(m_socket.Fd(), out.data(), out.size(), MSG_NOSIGNAL) != ssize_t(out.size()))
            return {};
        return ReadReply();
    }

    // USER then PASS; the code of the last reply.
    int Login(const std::string& user, const std::string& password) {
        const Reply r = Command("USER " + user);
        if (r.code != 331)
            return r.code;
        return Command("PASS " + password).code;
    }

private:
    std::optional<std::string> ReadLine() {
        while (true) {
            const auto end = m_buffer.find("\r\n");
            if (end != std::string::npos) {
                std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 2);
                return line;
            }
            char chunk[1024];
            const ssize_t n = ::recv(m_socket.Fd(), chunk, sizeof chunk, 0);
            if (n <= 0)
                return std::nullopt;
            m_buffer.append(chunk, std::size_t(n));
        }
    }

    Reply ReadReply() {
        while (const auto line = ReadLine()) {
            // The last line of a reply: three digits and a blank.
            if (line->size() >= 4 && (*line)[3] == ' ')
                return {std::atoi(line->substr(0, 3).c_str()), *line};
        }
        return {};
    }

    Socket m_socket;
    std::string m_buffer;
};

inline std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t'))
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

// The lines of a text file (CR LF or LF ends), empty when it is missing.
inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileBytes(path));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The label (fourth field) of each five-field line.
inline int CountLabel(const std::vector<std::string>& lines, const std::string& label) {
    int count = 0;
    for (const std::string& line : lines) {
        const auto fields = SplitTabs(line);
        if (fields.size() == 5 && fields[3] == label)
            ++count;
    }
    return count;
}

} // namespace vdx::test
