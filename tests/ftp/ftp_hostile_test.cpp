// Hostile and unusual clients over raw sockets: bursts of connections, one address taking every
// slot, running out of descriptors, password guessing, commands pipelined behind a transfer or
// a stop, a client that closes its side after QUIT, malformed arguments, slow and deaf peers,
// uploads whose data connection never comes.

#include "platform/ftp/socket_io.h"

#include "Descriptors.h"
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
    // All of them come from one address; here only the overall cap is under test.
    m_server.Server().MaxConnectionsPerAddress = kClients;
    Restart();
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

TEST_F(HostileTest, OneAddressCannotTakeEverySlot) {
    m_server.Server().MaxConnectionsPerAddress = 3;
    Restart();
    std::vector<RawFtpClient> clients;
    for (int i = 0; i < 3; ++i) {
        clients.emplace_back(m_server.Port());
        ASSERT_EQ(clients.back().Read().code, 220);
    }
    RawFtpClient fourth(m_server.Port());
    EXPECT_EQ(fourth.Read().text, "300 Too many connections. Try again later.\n");
    EXPECT_EQ(fourth.Read(2s).code, 0); // closed
    // Another address is served as usual, and a slot that is freed can be taken again.
    RawFtpClient other(m_server.Port(), "127.0.0.2");
    EXPECT_EQ(other.Read().code, 220);
    clients.pop_back();
    ASSERT_TRUE(m_server.WaitForConnections(3, 3s));
    RawFtpClient again(m_server.Port());
    EXPECT_EQ(again.Read().code, 220);
    EXPECT_EQ(clients.front().Command("NOOP").code, 200);
}

TEST_F(HostileTest, ConnectionThatDoesNotLogInInTimeIsClosed) {
    // Chatting without logging in does not keep the connection: only the idle time is renewed
    // by commands, the time to log in is not, nor by a REIN before any login.
    m_server.Server().LoginTimeout = 1s;
    Restart();
    // The time from the start (or from the REIN) until the connection is closed.
    auto closedAfter = [](RawFtpClient& client, const char* chat) {
        const auto start = std::chrono::steady_clock::now();
        FtpReply reply;
        for (int i = 0; i < 30 && reply.code != 421; ++i) {
            std::this_thread::sleep_for(100ms);
            reply = client.Command(chat);
        }
        EXPECT_EQ(reply.text, "421 Login timeout (1 seconds): closing control connection.\n");
        EXPECT_EQ(client.Read(2s).code, 0); // closed
        return std::chrono::steady_clock::now() - start;
    };
    RawFtpClient user = LoggedIn();
    for (const char* chat : {"NOOP", "REIN"}) {
        SCOPED_TRACE(chat);
        RawFtpClient chatty(m_server.Port());
        ASSERT_EQ(chatty.Read().code, 220);
        EXPECT_LT(closedAfter(chatty, chat), 2s);
    }
    // A connection that logged in stays past that time; its REIN gives it the time anew.
    EXPECT_EQ(user.Command("NOOP").code, 200);
    EXPECT_EQ(user.Command("REIN").code, 220);
    EXPECT_LT(closedAfter(user, "REIN"), 2s);
}

TEST_F(HostileTest, RefusedLoginsAreSlowedDownAndEndTheConnectionAfterThree) {
    m_server.Server().FailedLoginDelay = 300ms;
    Restart();
    RawFtpClient c(m_server.Port());
    ASSERT_EQ(c.Read().code, 220);
    // A login handler that fails (as for a damaged users file) is a refusal like any other.
    const struct {
        const char* user;
        const char* reply;
    } attempts[] = {
        {"user", "530 Not logged in.\n"},
        {"broken", "503 Users file damaged\n"},
        {"user", "530 Not logged in.\n"},
    };
    for (const auto& attempt : attempts) {
        SCOPED_TRACE(attempt.user);
        ASSERT_EQ(c.Command(std::string("USER ") + attempt.user).code, 331);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(c.Command("PASS guess").text, attempt.reply);
        EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    }
    EXPECT_EQ(c.Read(2s).text, "421 Too many failed logins: closing control connection.\n");
    EXPECT_EQ(c.Read(2s).code, 0); // closed
    // The right password is answered at once, also after a refusal.
    RawFtpClient good(m_server.Port());
    ASSERT_EQ(good.Read().code, 220);
    ASSERT_EQ(good.Command("USER user").code, 331);
    EXPECT_EQ(good.Command("PASS guess").code, 530);
    ASSERT_EQ(good.Command("USER user").code, 331);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(good.Command("PASS secret").code, 230);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);

    // Stopping the server does not wait for a delayed refusal.
    m_server.Server().FailedLoginDelay = 30s;
    Restart();
    RawFtpClient waiting(m_server.Port());
    ASSERT_EQ(waiting.Read().code, 220);
    ASSERT_EQ(waiting.Command("USER user").code, 331);
    waiting.Send("PASS guess\r\n");
    std::this_thread::sleep_for(200ms);
    const auto stopping = std::chrono::steady_clock::now();
    m_server.Server().SetActive(false);
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 2s);
    EXPECT_EQ(waiting.Read(2s).code, 421);
}

TEST_F(HostileTest, StopDoesNotWaitForPipelinedChecksums) {
    // Checksums of a large file pipelined in one segment: stopping the server ends the running
    // one between blocks and drops the commands behind it instead of running them all first.
    const auto file = m_server.Root() / "sparse.bin";
    {
        const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 2LL << 30), 0);
        ::close(fd);
    }
    RawFtpClient c = LoggedIn();
    // The slowest checksum this build offers.
    const bool sha = c.Command("FEAT").text.find("XSHA512") != std::string::npos;
    const std::string verb = sha ? "XSHA512" : "XCRC";
    std::string commands;
    for (int i = 0; i < 8; ++i)
        commands += verb + " sparse.bin\r\n";
    c.Send(commands + "NOOP\r\nNOOP\r\n");
    std::this_thread::sleep_for(300ms);
    const auto start = std::chrono::steady_clock::now();
    m_server.Server().SetActive(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    const std::string rest = c.Control().ReceiveAll(5s);
    EXPECT_EQ(rest, "421 Server shutting down.\r\n");
}

TEST_F(HostileTest, UploadOverAFileKeepsItUntilTheDataConnectionIsMade) {
    // The old content goes only once the data connection is there: an upload whose data
    // connection fails leaves the file as it was. What arrives then replaces the file (STOR),
    // follows it (APPE) or replaces it from the restart offset on (REST, STOR).
    m_server.Server().DataTimeout = 300ms;
    Restart();
    const std::string old = "0123456789";
    const struct {
        const char* name;
        const char* rest;   // REST argument sent first, when set
        const char* verb;   // STOR or APPE
        const char* data;   // uploaded; nullptr: the data connection is never made
        bool active;        // PORT to a closed port instead of a PASV nobody connects to
        const char* result; // the file afterwards
    } cases[] = {
        {"passive never connected", nullptr, "STOR", nullptr, false, "0123456789"},
        {"active refused", nullptr, "STOR", nullptr, true, "0123456789"},
        {"resume never connected", "4", "STOR", nullptr, false, "0123456789"},
        {"append never connected", nullptr, "APPE", nullptr, false, "0123456789"},
        {"shorter upload", nullptr, "STOR", "abc", false, "abc"},
        {"empty upload", nullptr, "STOR", "", false, ""},
        {"append", nullptr, "APPE", "abc", false, "0123456789abc"},
        {"resume", "4", "STOR", "ab", false, "0123ab"},
    };
    RawFtpClient c = LoggedIn();
    ASSERT_EQ(c.Command("TYPE I").code, 200);
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        WriteFileBytes(m_server.Root() / "f.bin", old);
        const std::string command = std::string(row.verb) + " f.bin";
        if (row.data) {
            if (row.rest) {
                ASSERT_EQ(c.Command(std::string("REST ") + row.rest).code, 350);
            }
            FtpReply done;
            c.Transfer(command, done, row.data, true);
            EXPECT_EQ(done.code, 226);
        } else {
            if (row.active) {
                // A port nobody listens on: bound and closed again.
                std::uint16_t port = 0;
                {
                    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                    sockaddr_in addr{};
                    addr.sin_family = AF_INET;
                    ::inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
                    socklen_t length = sizeof addr;
                    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
                    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
                    port = ntohs(addr.sin_port);
                    ::close(fd);
                }
                ASSERT_EQ(c.Command("PORT 127,0,0,1," + std::to_string(port >> 8) + "," +
                                    std::to_string(port & 0xFF))
                              .code,
                          200);
            } else {
                ASSERT_NE(c.Pasv(), 0);
            }
            if (row.rest) {
                ASSERT_EQ(c.Command(std::string("REST ") + row.rest).code, 350);
            }
            ASSERT_EQ(c.Command(command).code, 150);
            EXPECT_EQ(c.Read(3s).code, 425);
        }
        EXPECT_EQ(ReadFileBytes(m_server.Root() / "f.bin"), row.result);
    }
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
