// Receiving an upload into a file: spliced from the socket, written the usual way, and a file
// that stops taking spliced bytes midway. Each must leave exactly the bytes sent behind the
// stream's starting position.

#include "platform/ftp/transfer.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
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

} // namespace
} // namespace vdx::ftp
