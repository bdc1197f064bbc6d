#pragma once
// A bare FTP client over a socket, for what real clients never send. Every wait is bounded.

#include <arpa/inet.h>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace vdx::test {

struct FtpReply {
    int code = 0;
    std::string text; // every line of the reply, each ended by "\n", without CR
};

// A connected TCP socket, closed when freed.
class Socket {
public:
    Socket() = default;
    // Connects to 127.0.0.1:port, from fromIp when given (127.0.0.2 ...). Throws on failure.
    Socket(std::uint16_t port, const char* fromIp = nullptr) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0)
            throw std::runtime_error("socket failed");
        if (fromIp) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            ::inet_pton(AF_INET, fromIp, &local.sin_addr);
            if (::bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
                throw std::runtime_error("bind failed");
        }
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        ::inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            throw std::runtime_error("connect failed");
    }
    Socket(Socket&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    Socket& operator=(Socket&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Socket() { Close(); }

    int Fd() const { return m_fd; }
    void Close() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    // Closes with a reset instead of an orderly end, as a crashed client does.
    void Abort() {
        linger l{1, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        Close();
    }

    void SendAll(const std::string& bytes) {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                throw std::runtime_error("send failed");
            sent += static_cast<std::size_t>(n);
        }
    }

    // Up to max bytes, waiting at most timeout; "" at the end of the stream or on timeout
    // (timedOut tells them apart).
    std::string Receive(std::size_t max, std::chrono::milliseconds timeout,
                        bool* timedOut = nullptr) {
        pollfd p{m_fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
        if (timedOut)
            *timedOut = ready == 0;
        if (ready <= 0)
            return {};
        std::string buffer(max, '\0');
        const ssize_t n = ::recv(m_fd, buffer.data(), max, 0);
        buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return buffer;
    }

    // Everything up to the end of the stream (bounded by timeout overall).
    std::string ReceiveAll(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        std::string all;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            bool timedOut = false;
            const std::string got = Receive(1 << 16, std::chrono::milliseconds(200), &timedOut);
            if (!timedOut && got.empty())
                break;
            all += got;
        }
        return all;
    }

private:
    int m_fd = -1;
};

class RawFtpClient {
public:
    explicit RawFtpClient(std::uint16_t port, const char* fromIp = nullptr)
        : m_socket(port, fromIp), m_port(port) {}

    Socket& Control() { return m_socket; }
    std::uint16_t ServerPort() const { return m_port; }

    void Send(const std::string& bytes) { m_socket.SendAll(bytes); }

    // The next complete reply (code 0 when none arrives in time or the connection ended).
    FtpReply Read(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        FtpReply reply;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const auto lf = m_buffer.find('\n');
            if (lf != std::string::npos) {
                std::string line = m_buffer.substr(0, lf);
                m_buffer.erase(0, lf + 1);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                reply.text += line + "\n";
                if (line.size() >= 4 && line[3] == ' ' &&
                    std::isdigit(static_cast<unsigned char>(line[0])) &&
                    (reply.code == 0 || std::stoi(line.substr(0, 3)) == reply.code)) {
                    reply.code = std::stoi(line.substr(0, 3));
                    return reply;
                }
                if (reply.code == 0 && line.size() >= 4 && line[3] == '-')
                    reply.code = std::stoi(line.substr(0, 3));
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return {};
            bool timedOut = false;
            const std::string got = m_socket.Receive(4096, left, &timedOut);
            if (got.empty())
                return {};
            m_buffer += got;
        }
    }

    FtpReply Command(const std::string& line) {
        Send(line + "\r\n");
        return Read();
    }

    void Login(const std::string& user = "user", const std::string& password = "secret") {
        if (Read().code != 220 || Command("USER " + user).code != 331 ||
            Command("PASS " + password).code != 230)
            throw std::runtime_error("login failed");
    }

    // PASV and the port it announces (0 when refused).
    std::uint16_t Pasv() {
        const FtpReply reply = Command("PASV");
        const auto open = reply.text.find('(');
        if (reply.code != 227 || open == std::string::npos)
            return 0;
        unsigned h[6] = {};
        if (std::sscanf(reply.text.c_str() + open, "(%u,%u,%u,%u,%u,%u)", &h[0], &h[1], &h[2],
                        &h[3], &h[4], &h[5]) != 6)
            return 0;
        return static_cast<std::uint16_t>(h[4] * 256 + h[5]);
    }

    // PASV, the command, the data connection (sending upload, or receiving), and the final
    // reply. Returns what came over the data connection; finalReply receives the last reply.
    std::string Transfer(const std::string& command, FtpReply& finalReply,
                         const std::string& upload = {}, bool sendUpload = false) {
        const std::uint16_t port = Pasv();
        if (port == 0)
            throw std::runtime_error("PASV refused");
        Socket data(port);
        const FtpReply opening = Command(command);
        if (opening.code != 150) {
            finalReply = opening;
            return {};
        }
        std::string received;
        if (sendUpload) {
            data.SendAll(upload);
            data.Close();
        } else {
            received = data.ReceiveAll();
        }
        finalReply = Read();
        return received;
    }

private:
    Socket m_socket;
    std::uint16_t m_port;
    std::string m_buffer;
};

} // namespace vdx::test
