// Receiving an upload into a file: spliced from the socket, written the usual way, and a file
// that stops taking spliced bytes midway. Each must leave exactly the bytes sent behind the
// stream's starting position. And ABOR or the stop ending a transfer whose client keeps pace, so
// that it never has to wait for the data connection.

#include "platform/ftp/transfer.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <random>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vdx::ftp {
namespace {

class QuietControl final : public ControlWatch {
public:
    QuietControl() { EXPECT_EQ(::pipe2(m_stop, O_CLOEXEC), 0); }
    QuietControl(const QuietControl&) = delete;
    QuietControl& operator=(const QuietControl&) = delete;
    ~QuietControl() override {
        ::close(m_stop[0]);
        ::close(m_stop[1]);
    }
    int ControlFd() const override { return -1; }
    int StopFd() const override { return m_stop[0]; }
    bool OnControlInput() override { return true; }

private:
    int m_stop[2] = {-1, -1};
};

// A file stream that takes spliced bytes for its first `splices` calls only.
class SpliceLimitedStream final : public TStream {
public:
    SpliceLimitedStream(vdx::os::File file, int splices)
        : m_file(std::move(file)), m_splices(splices) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        return m_file.Read(buffer, count);
    }
    void Write(const void* buffer, std::size_t count) override { m_file.Write(buffer, count); }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        return m_file.Seek(offset, origin);
    }
    std::int64_t Size() override { return m_file.Size(); }
    void SetSize(std::int64_t size) override { m_file.SetSize(size); }
    int Handle() const override { return m_file.Handle(); }
    std::size_t SpliceFrom(int pipeFd, std::size_t count) override {
        if (m_splices-- <= 0)
            return 0;
        return m_file.SpliceFrom(pipeFd, count);
    }

private:
    TFileStream m_file;
    int m_splices;
};

// Control input (ABOR) or the stop that a test raises while the transfer runs.
class RaisableControl final : public ControlWatch {
public:
    RaisableControl() {
        EXPECT_EQ(::pipe2(m_control, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(m_stop, O_CLOEXEC), 0);
    }
    RaisableControl(const RaisableControl&) = delete;
    RaisableControl& operator=(const RaisableControl&) = delete;
    ~RaisableControl() override {
        for (int fd : {m_control[0], m_control[1], m_stop[0], m_stop[1]})
            ::close(fd);
    }
    void Raise(bool stop) { EXPECT_EQ(::write(stop ? m_stop[1] : m_control[1], "x", 1), 1); }
    int ControlFd() const override { return m_control[0]; }
    int StopFd() const override { return m_stop[0]; }
    bool OnControlInput() override { return false; } // every input is an ABOR

private:
    int m_control[2] = {-1, -1};
    int m_stop[2] = {-1, -1};
};

// A connected pair of TCP sockets on 127.0.0.1; the server's end non-blocking as the data
// connections are.
struct TcpPair {
    TcpPair() {
        UniqueFd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::listen(listener.Get(), 1), 0);
        EXPECT_EQ(::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
        client = UniqueFd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        EXPECT_EQ(::connect(client.Get(), reinterpret_cast<sockaddr*>(&address), length), 0);
        server =
            UniqueFd(::accept4(listener.Get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        EXPECT_TRUE(server);
    }
    UniqueFd server, client;
};

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

TEST(ReceiveStream, FileGetsEveryByteWhicheverWayItIsWritten) {
    const std::string sent = RandomBytes(3 * 1024 * 1024 + 123);
    const struct {
        const char* name;
        int splices;
    } cases[] = {{"spliced", 1 << 20}, {"never spliced", 0}, {"spliced, then written", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vdx::test::TempDir dir;
        const std::string path = (dir.Path() / "up.bin").string();
        SpliceLimitedStream sink(vdx::os::File::Open(path, vdx::os::Access::ReadWrite,
                                                     vdx::os::Share::None,
                                                     vdx::os::Disposition::CreateAlways),
                                 c.splices);
        // A resumed upload: the stream starts behind bytes already there.
        sink.Write("HEAD", 4);

        int ends[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
        std::thread client([&] {
            for (std::size_t at = 0; at < sent.size();) {
                const ssize_t n = ::write(ends[1], sent.data() + at, sent.size() - at);
                if (n <= 0)
                    break;
                at += static_cast<std::size_t>(n);
            }
            ::close(ends[1]);
        });
        std::int64_t moved = 0;
        QuietControl control;
        TransferOptions options;
        options.progress = &moved;
        const TransferResult result = ReceiveStream(ends[0], sink, options, control);
        client.join();
        ::close(ends[0]);

        EXPECT_EQ(result.outcome, DataOutcome::Completed) << result.error;
        EXPECT_EQ(moved, static_cast<std::int64_t>(sent.size()));
        EXPECT_EQ(sink.Position(), static_cast<std::int64_t>(4 + sent.size()));
        EXPECT_TRUE(vdx::test::ReadFileBytes(path) == "HEAD" + sent);
    }
}

// A file stream that takes a millisecond for every read and write, so that its client always
// keeps pace. Its Handle is offered for splicing only, so downloads go through a buffer.
class SlowStream final : public TStream {
public:
    explicit SlowStream(vdx::os::File file) : m_file(std::move(file)) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        Pause();
        return m_file.Read(buffer, count);
    }
    void Write(const void* buffer, std::size_t count) override {
        Pause();
        m_file.Write(buffer, count);
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        return m_file.Seek(offset, origin);
    }
    std::int64_t Size() override { return m_file.Size(); }
    void SetSize(std::int64_t size) override { m_file.SetSize(size); }
    int Handle() const override { return m_spliceOnly ? m_file.Handle() : -1; }
    std::size_t SpliceFrom(int pipeFd, std::size_t count) override {
        Pause();
        return m_file.SpliceFrom(pipeFd, count);
    }
    void SetSpliceOnly() { m_spliceOnly = true; }

private:
    static void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
    TFileStream m_file;
    bool m_spliceOnly = false;
};

TEST(Transfer, AborAndStopEndATransferWhoseClientKeepsPace) {
    // The data connection never makes the transfer wait: the client takes (or sends) the data
    // faster than the stream moves it. It raises ABOR or the stop once 16 MiB have moved; a
    // transfer that never looked would move all 512 MiB.
    constexpr std::int64_t kSize = 512LL * 1024 * 1024;
    constexpr std::int64_t kRaiseAt = 16LL * 1024 * 1024;
    const struct {
        const char* name;
        bool download;
        bool stop;
        DataOutcome expected;
    } cases[] = {
        {"download, ABOR", true, false, DataOutcome::Interrupted},
        {"download, stop", true, true, DataOutcome::Stopped},
        {"upload, ABOR", false, false, DataOutcome::Interrupted},
        {"upload, stop", false, true, DataOutcome::Stopped},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        vdx::test::TempDir dir;
        SlowStream stream(vdx::os::File::Open((dir.Path() / "big.bin").string(),
                                              vdx::os::Access::ReadWrite, vdx::os::Share::None,
                                              vdx::os::Disposition::CreateAlways));
        if (c.download)
            stream.SetSize(kSize); // sparse: read as zeros
        else
            stream.SetSpliceOnly();
        TcpPair pair;
        RaisableControl control;
        std::thread client([&] {
            std::string buffer(1024 * 1024, '\0');
            std::int64_t moved = 0;
            while (moved < kSize) {
                const ssize_t n =
                    c.download
                        ? ::recv(pair.client.Get(), buffer.data(), buffer.size(), 0)
                        : ::send(pair.client.Get(), buffer.data(), buffer.size(), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                if (moved < kRaiseAt && moved + n >= kRaiseAt)
                    control.Raise(c.stop);
                moved += n;
            }
            ::shutdown(pair.client.Get(), SHUT_WR);
        });
        std::int64_t progress = 0;
        TransferOptions options;
        options.progress = &progress;
        const TransferResult result =
            c.download ? SendStream(pair.server.Get(), stream, options, control)
                       : ReceiveStream(pair.server.Get(), stream, options, control);
        pair.server.Reset(); // the client's next call fails, and it ends
        client.join();
        EXPECT_EQ(result.outcome, c.expected) << result.error;
        EXPECT_GT(progress, 0);
        EXPECT_LT(progress, kSize / 4);
    }
}

} // namespace
} // namespace vdx::ftp
