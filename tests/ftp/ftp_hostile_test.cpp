// Hostile and unusual clients over raw sockets: bursts of connections, running out of
// descriptors, commands pipelined behind a transfer, a client that closes its side after QUIT,
// malformed arguments, slow and deaf peers.

#include "platform/ftp/socket_io.h"
#include "server_fixture.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace vdx::test {
namespace {

using namespace std::chrono_literals;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

class HostileTest : public RawServerFixture {};

// A non-blocking connect to the server, for many clients at once.
int StartConnect(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
        errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Sets the soft descriptor limit for one test and puts the old one back afterwards.
class DescriptorLimit {
public:
    DescriptorLimit() { ::getrlimit(RLIMIT_NOFILE, &m_saved); }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    DescriptorLimit(const DescriptorLimit&) = delete;
    DescriptorLimit& operator=(const DescriptorLimit&) = delete;

    rlim_t Hard() const { return m_saved.rlim_max; }
    bool Set(rlim_t soft) {
        rlimit limit = m_saved;
        limit.rlim_cur = soft;
        return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
    }

private:
    rlimit m_saved{};
};

TEST_F(HostileTest, BurstOfConnectionsIsGreetedOrRefusedAtOnce) {
    // More clients than MaxConnections connect within a few milliseconds. Each of them is told
    // something right away: the greeting, or the Too-many-connections reply past the cap. A
    // connection lost in an overflowing accept queue would look established to its client and
    // never hear a word.
    constexpr std::size_t kClients = 1100;
    const std::size_t cap = m_server.Server().MaxConnections;
    ASSERT_LT(cap, kClients);
    DescriptorLimit limit;
    const rlim_t needed = OpenDescriptors() + 2 * kClients + 64;
    if (limit.Hard() != RLIM_INFINITY && limit.Hard() < needed)
        GTEST_SKIP() << "descriptor limit too low for " << kClients << " connections";
    ASSERT_TRUE(limit.Set(needed));

    // Every client stays connected until all are answered, so that the cap is reached.
    std::vector<vdx::ftp::UniqueFd> sockets;
    std::vector<pollfd> clients;
    for (std::size_t i = 0; i < kClients; ++i) {
        sockets.emplace_back(StartConnect(m_server.Port()));
        ASSERT_TRUE(sockets.back());
        clients.push_back({sockets.back().Get(), POLLIN, 0});
    }
    std::size_t greeted = 0, refused = 0, silent = kClients;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (silent > 0 && std::chrono::steady_clock::now() < deadline) {
        if (::poll(clients.data(), clients.size(), 200) <= 0)
            continue;
        for (pollfd& p : clients) {
            if (p.fd < 0 || p.revents == 0)
                continue;
            char reply[64] = {};
            const ssize_t n = ::recv(p.fd, reply, sizeof reply - 1, 0);
            const std::string text(reply, n > 0 ? static_cast<std::size_t>(n) : 0);
            greeted += text.rfind("220 ", 0) == 0;
            refused += text == "300 Too many connections. Try again later.\r\n";
            p.fd = -1;
            --silent;
        }
    }
    sockets.clear();
    EXPECT_EQ(silent, 0u);
    EXPECT_EQ(greeted, cap);
    EXPECT_EQ(refused, kClients - cap);
    EXPECT_TRUE(m_server.WaitForConnections(0, 10s));
    EXPECT_EQ(LoggedIn().Command("NOOP").code, 200);
}

TEST_F(HostileTest, OutOfDescriptorsTheWaitingClientIsToldAndTheServerRecovers) {
    // With the process out of descriptors the server cannot take the next connection: the client
    // hears the Too-many-connections reply instead of waiting in the queue for ever, and the
    // failure is reported once, not for every attempt.
    if (kSanitized)
        GTEST_SKIP() << "the sanitizers' own checks need descriptors";
    std::string reply;
    {
        DescriptorLimit limit;
        ASSERT_TRUE(limit.Set(OpenDescriptors() + 16));
        std::vector<vdx::ftp::UniqueFd> fillers;
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
            fillers.emplace_back(fd);
        ASSERT_EQ(errno, EMFILE);
        fillers.pop_back(); // one slot left: the client's socket takes it
        Socket client(m_server.Port());
        reply = client.Receive(256, 5s);
    }
    EXPECT_EQ(reply, "300 Too many connections. Try again later.\r\n");
    EXPECT_EQ(m_server.Exceptions(), std::vector<std::string>{"Too many open files"});
    EXPECT_EQ(LoggedIn().Command("NOOP").code, 200);
}

TEST_F(HostileTest, AborPipelinedBehindTheTransferCommandAbortsIt) {
    // The ABOR arrives in the same segment as the RETR, before the transfer starts to watch the
    // control connection; it must still end the transfer instead of waiting for it.
    WriteFileBytes(m_server.Root() / "f.bin", std::string(1 << 20, 'f'));
    RawFtpClient c = LoggedIn();
    ASSERT_NE(c.Pasv(), 0); // nobody ever connects to it
    c.Send("RETR f.bin\r\nABOR\r\n");
    EXPECT_EQ(c.Read().code, 150);
    EXPECT_EQ(c.Read(2s).code, 426);
    EXPECT_EQ(c.Read(2s).text, "226 ABOR command successful.\n");
    EXPECT_EQ(c.Command("NOOP").code, 200);
}

TEST_F(HostileTest, QuitAndCloseDuringATransferStillCompletesIt) {
    // QUIT while data moves, then the client closes its sending side at once: the transfer runs
    // to its end and both replies still reach the client (RFC 959 QUIT).
    const std::string content(4 << 20, 'q');
    WriteFileBytes(m_server.Root() / "down.bin", content);
    for (const bool upload : {false, true}) {
        SCOPED_TRACE(upload ? "upload" : "download");
        RawFtpClient c = LoggedIn();
        ASSERT_EQ(c.Command("TYPE I").code, 200);
        Socket data(c.Pasv());
        ASSERT_EQ(c.Command(upload ? "STOR up.bin" : "RETR down.bin").code, 150);
        std::string received;
        if (upload)
            data.SendAll(content.substr(0, content.size() / 2));
        else
            received = data.Receive(65536, 2s);
        c.Send("QUIT\r\n");
        ::shutdown(c.Control().Fd(), SHUT_WR);
        std::this_thread::sleep_for(100ms);
        if (upload) {
            data.SendAll(content.substr(content.size() / 2));
            data.Close();
        } else {
            received += data.ReceiveAll();
        }
        EXPECT_EQ(c.Read().code, 226);
        EXPECT_EQ(c.Read().code, 221);
        if (upload)
            EXPECT_TRUE(ReadFileBytes(m_server.Root() / "up.bin") == content);
        else
            EXPECT_TRUE(received == content);
    }
    // Closing without QUIT still ends a transfer at once.
    RawFtpClient c = LoggedIn();
    Socket data(c.Pasv());
    ASSERT_EQ(c.Command("STOR cut.bin").code, 150);
    ::shutdown(c.Control().Fd(), SHUT_WR);
    EXPECT_EQ(c.Read(3s).code, 0);
    EXPECT_TRUE(m_server.WaitForConnections(0, 3s));
}

TEST_F(HostileTest, MalformedArgumentsAreRefused) {
    RawFtpClient c(m_server.Port());
    ASSERT_EQ(c.Read().code, 220);
    const struct {
        std::string line;
        int code;
    } before[] = {
        // User names with bytes no user has: they would only carry them into the log.
        {std::string("USER us\0er", 10), 501},
        {"USER us\rer", 501},
        {"USER \r", 501},
    };
    for (const auto& row : before)
        EXPECT_EQ(c.Command(row.line).code, row.code) << row.line;
    ASSERT_EQ(c.Command(std::string("USER ") + kFtpUser).code, 331);
    ASSERT_EQ(c.Command(std::string("PASS ") + kFtpPassword).code, 230);

    const struct {
        const char* line;
        int code;
    } cases[] = {
        {"PORT 127,0,0,1,4,0,", 501},
        {"PORT 127,0,0,1,,4,0", 501},
        {"PORT 127,0,0,1,4,0 ", 501},
        {"EPRT |2|::ffff:127.0.0.2|5000|", 500}, // another host, written as IPv6
        {"EPRT |1|::ffff:127.0.0.1|5000|", 501}, // not an IPv4 address
        {"EPRT |2|[::1]|5000|", 501},
        {"EPRT |1|127.1|5000|", 501},
        {"EPRT |1|127.0.0.1|65536|", 501},
        {"EPRT |1|127.0.0.1|5000|x", 501},
        {"EPRT |1|127.0.0.1|5000", 501},
        {"REST 99999999999999999999", 501},
        {"REST +5", 501},
        {"PORT 127,0,0,1,4,0", 200},
    };
    for (const auto& row : cases)
        EXPECT_EQ(c.Command(row.line).code, row.code) << row.line;
}

TEST_F(HostileTest, SlowAndDeafPeersAreCutOffInBoundedTime) {
    m_server.Server().IdleTimeout = 500ms;
    m_server.Server().DataTimeout = 500ms;
    Restart();

    // A line trickled in byte by byte does not renew the idle time.
    RawFtpClient slow(m_server.Port());
    ASSERT_EQ(slow.Read().code, 220);
    const auto start = std::chrono::steady_clock::now();
    FtpReply reply;
    for (int i = 0; i < 30 && reply.code == 0; ++i) {
        slow.Send("N");
        reply = slow.Read(100ms);
    }
    EXPECT_EQ(reply.code, 421);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);

    // A client that sends commands but never reads the replies is dropped once they back up.
    RawFtpClient deaf = LoggedIn();
    const int small = 4096;
    ::setsockopt(deaf.Control().Fd(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    std::string noops;
    for (int i = 0; i < 20000; ++i)
        noops += "NOOP\r\n";
    bool dropped = false;
    for (int i = 0; i < 100 && !dropped; ++i) {
        const ssize_t n =
            ::send(deaf.Control().Fd(), noops.data(), noops.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        dropped = n < 0 && errno != EAGAIN;
        if (!dropped)
            std::this_thread::sleep_for(50ms);
    }
    EXPECT_TRUE(dropped);
    EXPECT_TRUE(m_server.WaitForConnections(0, 3s));
    EXPECT_EQ(LoggedIn().Command("NOOP").code, 200);
}

TEST_F(HostileTest, FileWrittenAMomentAgoIsListedWithItsTime) {
    // "ls -l" shows the year only for entries older than half a year or in the future; a file
    // stored just before the listing is neither, however fast the two follow each other.
    RawFtpClient c = LoggedIn();
    const std::regex recent(
        R"(^-rw-rw-rw-\s+1 owner\s+group\s+3 \w{3} [ \d]\d \d\d:\d\d f\d\r\n$)");
    for (int i = 0; i < 5; ++i) {
        const std::string name = "f" + std::to_string(i);
        FtpReply done;
        c.Transfer("STOR " + name, done, "abc", true);
        ASSERT_EQ(done.code, 226);
        const std::string line = c.Transfer("LIST " + name, done);
        EXPECT_TRUE(std::regex_match(line, recent)) << line;
    }
}

} // namespace
} // namespace vdx::test
