// The log: labels, the five- and two-field lines, appending with the retry
// while another process holds the file, and lines from many threads.

#include "InstallRoot.h"
#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VdxFTPServerDataModule.h"
#include "platform/os/winfile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vdx {
namespace {

using namespace std::chrono_literals;
using test::InstallRoot;
using test::ReadFileBytes;

const std::string kStamp = "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}";

// Lines raised by the server's OnLogLine, with the thread that raised each.
// The state outlives the capture: the server logs Stopped when it goes.
class LogCapture {
public:
    explicit LogCapture(TFFTPServer& server) {
        server.OnLogLine = [state = m_state](const std::string& line) {
            std::scoped_lock lock(state->mutex);
            state->lines.emplace_back(line, std::this_thread::get_id());
        };
    }
    std::vector<std::pair<std::string, std::thread::id>> Lines() const {
        std::scoped_lock lock(m_state->mutex);
        return m_state->lines;
    }

private:
    struct State {
        std::mutex mutex;
        std::vector<std::pair<std::string, std::thread::id>> lines;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

// Another process that opens the file exclusively and keeps it for a while.
class ExclusiveHolder {
public:
    ExclusiveHolder(const std::string& path, std::chrono::milliseconds hold) {
        int fds[2];
        if (::pipe(fds) != 0)
            throw std::runtime_error("pipe failed");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(fds[0]);
            char state = 'E';
            {
                auto file = os::File::TryOpen(path, os::Access::ReadWrite, os::Share::None,
                                              os::Disposition::OpenAlways);
                if (file)
                    state = 'H';
                (void)!::write(fds[1], &state, 1);
                if (file)
                    std::this_thread::sleep_for(hold);
            }
            ::_exit(0);
        }
        ::close(fds[1]);
        char state = 0;
        m_holding = m_pid > 0 && ::read(fds[0], &state, 1) == 1 && state == 'H';
        ::close(fds[0]);
    }
    ExclusiveHolder(const ExclusiveHolder&) = delete;
    ExclusiveHolder& operator=(const ExclusiveHolder&) = delete;
    ~ExclusiveHolder() {
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    bool Holding() const { return m_holding; }

private:
    pid_t m_pid = -1;
    bool m_holding = false;
};

TEST(LogLine, LabelsHaveSevenCharacters) {
    const std::map<TFtpEventKind, std::string> labels = {
        {TFtpEventKind::Started, "Started"}, {TFtpEventKind::Stopped, "Stopped"},
        {TFtpEventKind::MkDir, "MkDir  "},   {TFtpEventKind::RmDir, "RmDir  "},
        {TFtpEventKind::Error, "Error  "},   {TFtpEventKind::Login, "Login  "},
        {TFtpEventKind::Read, "Read   "},    {TFtpEventKind::Write, "Write  "},
        {TFtpEventKind::Delete, "Delete "},  {TFtpEventKind::Dirlist, "Dirlist"},
        {TFtpEventKind::RootDir, "RootDir"}};
    for (const auto& [kind, label] : labels)
        EXPECT_EQ(FtpEventLabel(kind), label);
}

TEST(LogLine, StartedAndStoppedReachFileAndWindow) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    std::string file;
    {
        TFFTPServer server(globals);
        LogCapture seen(server);
        EXPECT_FALSE(std::filesystem::exists(root.LogPath())) << "switching off logs nothing";
        server.SetActive(true);
        EXPECT_TRUE(server.DataModule().Active());
        ASSERT_EQ(seen.Lines().size(), 1u);
        const std::string started = seen.Lines().front().first;
        EXPECT_TRUE(std::regex_match(started, std::regex(kStamp + "\t\t\tStarted\t"))) << started;
        EXPECT_EQ(ReadFileBytes(root.LogPath()), started + "\r\n");
        file = ReadFileBytes(root.LogPath());
    }
    const std::string after = ReadFileBytes(root.LogPath());
    ASSERT_TRUE(after.starts_with(file));
    EXPECT_TRUE(
        std::regex_match(after.substr(file.size()), std::regex(kStamp + "\t\t\tStopped\t\r\n")));
}

TEST(LogLine, ConnectionLineAndExceptionLine) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    TFFTPServer server(globals);
    LogCapture seen(server);
    server.DataModule().Log(TFtpEventKind::Login, "anna", "127.0.0.1", "OK");
    server.DataModule().Log(TFtpEventKind::Dirlist, "anna", "127.0.0.1", "");
    server.DataModule().LogException("Connection reset by peer");
    // A bare CR can reach a user name; no event may start a line of its own.
    server.HandleLogLine(
        "2024-03-05 07:04:09\tx\r2024-01-01 00:00:00\tadmin\t127.0.0.1\tLogin  \ta\nb\r\n");
    const auto lines = seen.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(std::regex_match(lines[0].first,
                                 std::regex(kStamp + "\tanna\t127\\.0\\.0\\.1\tLogin  \tOK")));
    EXPECT_TRUE(std::regex_match(lines[1].first,
                                 std::regex(kStamp + "\tanna\t127\\.0\\.0\\.1\tDirlist\t")));
    EXPECT_TRUE(
        std::regex_match(lines[2].first, std::regex(kStamp + "\tConnection reset by peer")));
    EXPECT_EQ(lines[3].first,
              "2024-03-05 07:04:09\tx 2024-01-01 00:00:00\tadmin\t127.0.0.1\tLogin  \ta b  ");
    EXPECT_EQ(ReadFileBytes(root.LogPath()), lines[0].first + "\r\n" + lines[1].first + "\r\n" +
                                                 lines[2].first + "\r\n" + lines[3].first + "\r\n");
}

TEST(LogFile, AppendWaitsWhileAnotherProcessHoldsTheFile) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    TFFTPServer server(globals);
    LogCapture seen(server);
    const auto start = std::chrono::steady_clock::now();
    {
        ExclusiveHolder holder(root.LogPath(), 300ms);
        ASSERT_TRUE(holder.Holding());
        server.HandleLogLine("written once the holder let go");
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms) << "the first open must have failed";
    EXPECT_EQ(ReadFileBytes(root.LogPath()), "written once the holder let go\r\n");
    ASSERT_EQ(seen.Lines().size(), 1u);
}

TEST(LogFile, LineIsLostSilentlyAfterElevenOpensButStillPassedOn) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    TFFTPServer server(globals);
    LogCapture seen(server);
    ExclusiveHolder holder(root.LogPath(), 1500ms);
    ASSERT_TRUE(holder.Holding());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(server.HandleLogLine("lost"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1000ms) << "ten waits of 100 ms";
    EXPECT_EQ(ReadFileBytes(root.LogPath()), "");
    ASSERT_EQ(seen.Lines().size(), 1u);
    EXPECT_EQ(seen.Lines().front().first, "lost");
}

TEST(LogFile, FailedWriteThrowsAndTheLineGoesNoFurther) {
    InstallRoot root;
    test::WriteFileBytes(root.LogPath(), "full");
    // A child with a file-size limit the log has already reached stands in
    // for a full disk.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int code = 1;
        {
            TFGlobals globals(root.ProgramPath());
            TFFTPServer server(globals);
            bool passedOn = false;
            server.OnLogLine = [&](const std::string&) { passedOn = true; };
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4, 4};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                server.HandleLogLine("no room");
            } catch (const os::FileError&) {
                code = passedOn ? 3 : 0;
            }
        }
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error raised, 3: the line was passed on";
    EXPECT_EQ(ReadFileBytes(root.LogPath()), "full");
}

TEST(LogFile, ConcurrentAppendsGiveWholeLines) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    TFFTPServer server(globals);
    LogCapture seen(server);
    constexpr int kThreads = 8;
    constexpr int kLines = 50;
    std::vector<std::thread> threads;
    std::map<std::string, std::thread::id> producer;
    std::mutex producerMutex;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) {
                const std::string line = "thread " + std::to_string(t) + " line " +
                                         std::to_string(i) + " " + std::string(300, 'a' + t);
                {
                    std::scoped_lock lock(producerMutex);
                    producer[line] = std::this_thread::get_id();
                }
                server.HandleLogLine(line);
            }
        });
    for (auto& thread : threads)
        thread.join();

    std::set<std::string> inFile;
    std::size_t count = 0;
    std::istringstream text(ReadFileBytes(root.LogPath()));
    for (std::string line; std::getline(text, line); ++count) {
        ASSERT_TRUE(line.ends_with('\r')) << line;
        line.pop_back();
        EXPECT_TRUE(producer.contains(line)) << line;
        inFile.insert(line);
    }
    EXPECT_EQ(count, producer.size());
    EXPECT_EQ(inFile.size(), producer.size());
    const auto lines = seen.Lines();
    EXPECT_EQ(lines.size(), producer.size());
    for (const auto& [line, thread] : lines)
        EXPECT_EQ(thread, producer[line]) << "OnLogLine is raised on the logging thread";
}

} // namespace
} // namespace vdx
