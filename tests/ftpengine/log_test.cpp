// The log through the server object: labels, the five- and two-field lines,
// lines that cannot reach the file (held by another opener, unopenable, a
// full disk), a flood of sessions with a slow window, and lines from many
// threads.

#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VdxFTPServerDataModule.h"
#include "platform/os/winfile.h"

#include "../ftp/raw_client.h"
#include "InstallRoot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vdx {
namespace {

using namespace std::chrono_literals;
using test::InstallRoot;
using test::ReadFileBytes;

const std::string kStamp = "[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}";

// Lines passed on by the server's log writer, with the thread that raised each.
// The state outlives the capture: the server logs Stopped when it goes.
class LogCapture {
public:
    // The receiver to give the server.
    TLogLineEvent Receiver() const {
        return [state = m_state](const std::string& line) {
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

// Another process that opens the file exclusively (as a download of the log
// does) and keeps it open until this object goes.
class ExclusiveHolder {
public:
    explicit ExclusiveHolder(const std::string& path) {
        int state[2];
        int release[2];
        if (::pipe(state) != 0 || ::pipe(release) != 0)
            throw std::runtime_error("pipe failed");
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(state[0]);
            ::close(release[1]);
            char answer = 'E';
            auto file = os::File::TryOpen(path, os::Access::ReadWrite, os::Share::None,
                                          os::Disposition::OpenAlways);
            if (file)
                answer = 'H';
            (void)!::write(state[1], &answer, 1);
            char none;
            (void)!::read(release[0], &none, 1); // until the parent closes its end
            ::_exit(0);
        }
        ::close(state[1]);
        ::close(release[0]);
        m_release = release[1];
        char answer = 0;
        m_holding = m_pid > 0 && ::read(state[0], &answer, 1) == 1 && answer == 'H';
        ::close(state[0]);
    }
    ExclusiveHolder(const ExclusiveHolder&) = delete;
    ExclusiveHolder& operator=(const ExclusiveHolder&) = delete;
    ~ExclusiveHolder() {
        ::close(m_release);
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
    }
    bool Holding() const { return m_holding; }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_holding = false;
};

// The reports of lines that did not reach the file, among the window's lines.
struct LostReports {
    std::uint64_t lines = 0; // counted in all reports together
    std::vector<std::string> texts;
};

LostReports ReportsIn(const std::vector<std::pair<std::string, std::thread::id>>& lines,
                      const std::string& logPath) {
    const std::regex report(
        kStamp + "\t([0-9]+) log lines? could not be written to the log file " +
        std::regex_replace(logPath, std::regex("[.^$|()\\[\\]{}*+?\\\\]"), "\\$&") + " \\((.+)\\)");
    LostReports found;
    for (const auto& [line, thread] : lines) {
        std::smatch match;
        if (std::regex_match(line, match, report)) {
            found.lines += std::stoull(match[1]);
            found.texts.push_back(match[2]);
        }
    }
    return found;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream text(line);
    for (std::string field; std::getline(text, field, '\t');)
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

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
        LogCapture seen;
        TFFTPServer server(globals, seen.Receiver());
        server.FlushLog();
        EXPECT_FALSE(std::filesystem::exists(root.LogPath())) << "switching off logs nothing";
        server.SetActive(true);
        EXPECT_TRUE(server.DataModule().Active());
        server.FlushLog();
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
    LogCapture seen;
    TFFTPServer server(globals, seen.Receiver());
    server.DataModule().Log(TFtpEventKind::Login, "anna", "127.0.0.1", "OK");
    server.DataModule().Log(TFtpEventKind::Dirlist, "anna", "127.0.0.1", "");
    server.DataModule().LogException("Connection reset by peer");
    // A bare CR can reach a user name; no event may start a line of its own.
    server.HandleLogLine(
        "2024-03-05 07:04:09\tx\r2024-01-01 00:00:00\tadmin\t127.0.0.1\tLogin  \ta\nb\r\n");
    server.FlushLog();
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

TEST(LogLine, ClientChosenFieldsKeepTheirFirst255Bytes) {
    constexpr std::size_t kKept = TVFTPServerDataModule::kMaxLoggedFieldBytes;
    ASSERT_EQ(kKept, 255u);
    const std::string longName(4000, 'n');
    InstallRoot root;
    TUserXML user = test::MakeUser(longName, "pw");
    root.WriteUsers({user});
    TFGlobals globals(root.ProgramPath());
    LogCapture seen;
    TFFTPServer server(globals, seen.Receiver());
    struct Row {
        const char* name;
        std::string user, detail;
        std::string loggedUser, loggedDetail;
    };
    const std::vector<Row> rows = {
        {"name of 4000 bytes", longName, "OK", std::string(kKept, 'n') + "...", "OK"},
        {"path of 4000 bytes", "anna", "/" + std::string(3999, 'p'), "anna",
         "/" + std::string(kKept - 1, 'p') + "..."},
        {"255 bytes stay whole", std::string(255, 'u'), std::string(255, 'd'),
         std::string(255, 'u'), std::string(255, 'd')},
        {"256 bytes are cut", std::string(256, 'u'), std::string(256, 'd'),
         std::string(255, 'u') + "...", std::string(255, 'd') + "..."},
        {"a TAB counts as it is logged", std::string(300, '\t'), "x", std::string(255, ' ') + "...",
         "x"},
    };
    for (const Row& row : rows)
        server.DataModule().Log(TFtpEventKind::Read, row.user, "127.0.0.1", row.detail);
    // The login still goes by the whole name: one byte beyond the cut decides.
    ftp::TIdFTPServerContext context;
    context.PeerIP = "127.0.0.1";
    bool authenticated = false;
    std::string almost = longName;
    almost[3000] = 'x';
    context.UserName = almost;
    server.DataModule().IdFTPServerUserLogin(context, almost, "pw", authenticated);
    EXPECT_FALSE(authenticated);
    context.UserName = longName;
    server.DataModule().IdFTPServerUserLogin(context, longName, "pw", authenticated);
    EXPECT_TRUE(authenticated);
    server.FlushLog();

    const auto lines = seen.Lines();
    ASSERT_EQ(lines.size(), rows.size() + 2);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(Fields(lines[i].first),
                  (std::vector<std::string>{Fields(lines[i].first)[0], rows[i].loggedUser,
                                            "127.0.0.1", "Read   ", rows[i].loggedDetail}));
    }
    const std::string cutName = std::string(kKept, 'n') + "...";
    EXPECT_EQ(Fields(lines[rows.size()].first)[1], cutName);
    EXPECT_EQ(Fields(lines[rows.size()].first)[4], "FAILED");
    EXPECT_EQ(Fields(lines[rows.size() + 1].first)[1], cutName);
    EXPECT_EQ(Fields(lines[rows.size() + 1].first)[4], "OK");
}

TEST(LogFile, LinesArriveWhileAnotherProcessHoldsTheFileExclusively) {
    InstallRoot root;
    test::WriteFileBytes(root.LogPath(), "before\r\n");
    // As an administrator downloading the log holds it: writers refused.
    ExclusiveHolder holder(root.LogPath());
    ASSERT_TRUE(holder.Holding());
    ASSERT_FALSE(os::File::TryOpen(root.LogPath(), os::Access::Write, os::Share::ReadWrite,
                                   os::Disposition::OpenExisting));
    TFGlobals globals(root.ProgramPath());
    LogCapture seen;
    TFFTPServer server(globals, seen.Receiver());
    std::string expected = "before\r\n";
    for (int i = 0; i < 5; ++i) {
        server.HandleLogLine("line " + std::to_string(i));
        expected += "line " + std::to_string(i) + "\r\n";
    }
    // The holder lets go only when this test ends: nobody waited for it.
    server.FlushLog();
    EXPECT_EQ(ReadFileBytes(root.LogPath()), expected);
    EXPECT_EQ(seen.Lines().size(), 5u);
    EXPECT_EQ(ReportsIn(seen.Lines(), root.LogPath()).lines, 0u);
}

TEST(LogFile, LogThatCannotBeOpenedHoldsNobodyAndIsReported) {
    struct Row {
        const char* name;
        std::function<void(const std::string&)> make;
    };
    const Row rows[] = {
        {"a folder in its place",
         [](const std::string& p) { std::filesystem::create_directory(p); }},
        {"read-only",
         [](const std::string& p) {
             test::WriteFileBytes(p, "old\r\n");
             ::chmod(p.c_str(), 0444);
         }},
        {"a FIFO nobody reads", [](const std::string& p) { ::mkfifo(p.c_str(), 0666); }},
    };
    constexpr int kLines = 20;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InstallRoot root;
        row.make(root.LogPath());
        TFGlobals globals(root.ProgramPath());
        LogCapture seen;
        auto server = std::make_unique<TFFTPServer>(globals, seen.Receiver());
        testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kLines; ++i)
            server->HandleLogLine("line " + std::to_string(i));
        server->FlushLog();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s)
            << "a retry of 100 ms per line would take 20 s and more";
        server.reset(); // Stopped is lost too, and the rest of the count reported
        const std::string errors = testing::internal::GetCapturedStderr();

        const auto lines = seen.Lines();
        const LostReports reports = ReportsIn(lines, root.LogPath());
        EXPECT_EQ(reports.lines, kLines + 1u) << "every line counted once";
        EXPECT_GE(reports.texts.size(), 1u);
        EXPECT_LE(reports.texts.size(), 2u) << "at once, then the rest when it stops";
        std::vector<std::string> passedOn;
        for (const auto& [line, thread] : lines)
            if (line.find("could not be written") == std::string::npos)
                passedOn.push_back(line);
        ASSERT_EQ(passedOn.size(), kLines + 1u) << "the window still gets every line";
        for (int i = 0; i < kLines; ++i)
            EXPECT_EQ(passedOn[i], "line " + std::to_string(i));
        std::size_t onStderr = 0;
        for (auto at = errors.find("could not be written"); at != std::string::npos;
             at = errors.find("could not be written", at + 1))
            ++onStderr;
        EXPECT_EQ(onStderr, reports.texts.size()) << errors;
    }
}

// Sessions of one user pipelining refused CWDs while the window takes its
// time over every line: every refusal is in the file, the window gets what
// it can in the file's order and is told how many it skipped.
TEST(LogFile, SlowReceiverAndFloodOfSessionsLeaveEveryLineInTheFile) {
    InstallRoot root;
    root.WriteUsers({test::MakeUser("anna", "pw")});
    TFGlobals globals(root.ProgramPath());
    TSettings settings = globals.Settings();
    settings.Port = 0;
    globals.SetSettings(settings);
    // The receiver stops at its first line until the flood is over.
    std::mutex mutex;
    std::condition_variable released;
    bool open = false;
    std::vector<std::string> seen;
    auto server = std::make_unique<TFFTPServer>(globals, [&](const std::string& line) {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return open; });
        seen.push_back(line);
    });
    server->SetActive(true);
    const std::uint16_t port = server->DataModule().IdFTPServer.BoundPort();

    constexpr int kSessions = 10;
    constexpr int kRounds = 20;
    constexpr int kPipelined = 100; // commands sent before their replies are read
    std::atomic<int> refused = 0;
    std::atomic<bool> failed = false;
    std::vector<std::thread> sessions;
    for (int s = 0; s < kSessions; ++s)
        sessions.emplace_back([&] {
            try {
                test::RawFtpClient client(port);
                client.Login("anna", "pw");
                std::string burst;
                for (int i = 0; i < kPipelined; ++i)
                    burst += "CWD /VdxTxtServer/none\r\n";
                for (int round = 0; round < kRounds; ++round) {
                    client.Send(burst);
                    for (int i = 0; i < kPipelined; ++i) {
                        const int code = client.Read(30s).code;
                        if (code != 550)
                            throw std::runtime_error("reply " + std::to_string(code));
                        ++refused;
                    }
                }
                client.Command("QUIT");
            } catch (const std::exception&) {
                failed = true;
            }
        });
    for (auto& session : sessions)
        session.join();
    const auto errorsInFile = [&] {
        const std::string file = ReadFileBytes(root.LogPath());
        std::ptrdiff_t count = 0;
        const std::string error = "\tError  \tDirectory /VdxTxtServer/none not found\r\n";
        for (auto at = file.find(error); at != std::string::npos; at = file.find(error, at + 1))
            ++count;
        return count;
    };
    // The receiver still holds its first line: the file does not wait for it.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (errorsInFile() < refused && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    {
        std::scoped_lock lock(mutex);
        open = true;
    }
    released.notify_all();
    ASSERT_FALSE(failed);
    ASSERT_EQ(refused, kSessions * kRounds * kPipelined);
    EXPECT_EQ(errorsInFile(), refused.load()) << "every refusal is in the file";
    server->FlushLog();

    std::vector<std::string> inFile;
    std::istringstream text(ReadFileBytes(root.LogPath()));
    for (std::string line; std::getline(text, line);)
        inFile.push_back(line.substr(0, line.size() - 1));

    std::scoped_lock lock(mutex);
    const std::regex skippedNote(kStamp + "\t([0-9]+) log lines? not passed on while the "
                                          "receiver was busy; the log file .* has them");
    std::uint64_t skipped = 0;
    std::size_t next = 0;
    for (const std::string& line : seen) {
        std::smatch match;
        if (std::regex_match(line, match, skippedNote)) {
            skipped += std::stoull(match[1]);
            continue;
        }
        EXPECT_EQ(line.find("could not be written"), std::string::npos) << line;
        // In the file's order, skipping only what a note counts.
        while (next < inFile.size() && inFile[next] != line)
            ++next;
        ASSERT_LT(next, inFile.size()) << "not in the file, or out of order: " << line;
        ++next;
    }
    EXPECT_GT(skipped, 0u) << "the receiver fell behind";
    EXPECT_EQ(seen.size() -
                  std::count_if(seen.begin(), seen.end(),
                                [&](const std::string& line) {
                                    return std::regex_match(line, skippedNote);
                                }) +
                  skipped,
              inFile.size())
        << "every line passed on or counted";
}

TEST(LogFile, FailedWriteLeavesTheFileAsItWasAndThrowsNowhere) {
    InstallRoot root;
    test::WriteFileBytes(root.LogPath(), "full");
    // A child with a file-size limit just above the log's size stands in for
    // a disk that takes three more bytes.
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int code = 1;
        {
            std::vector<std::string> seen; // outlives the server, which logs Stopped
            TFGlobals globals(root.ProgramPath());
            auto server = std::make_unique<TFFTPServer>(
                globals, [&](const std::string& line) { seen.push_back(line); });
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{7, 7};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                server->HandleLogLine("no room");
                server->FlushLog();
                code = seen.size() == 2 && seen[0] == "no room" &&
                               seen[1].find("(" + os::SysErrorMessage(EFBIG) + ")") !=
                                   std::string::npos
                           ? 0
                           : 3;
            } catch (...) {
                code = 2;
            }
        }
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2: an error was raised, 3: not passed on and reported";
    EXPECT_EQ(ReadFileBytes(root.LogPath()), "full") << "the three bytes were cut back";
}

// Lines queued together reach the file as if each had been appended alone:
// those that fit whole, in order, and the rest counted, never a piece of one.
TEST(LogFile, LinesQueuedTogetherGoInAsFarAsEachFitsWhole) {
    InstallRoot root;
    test::WriteFileBytes(root.LogPath(), "full\r\n");
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int code = 1;
        {
            std::vector<std::string> seen;
            TFGlobals globals(root.ProgramPath());
            auto server = std::make_unique<TFFTPServer>(
                globals, [&](const std::string& line) { seen.push_back(line); });
            ::signal(SIGXFSZ, SIG_IGN);
            // Room for "ab" and "cd" with their line ends, not for "efgh" after them.
            const rlimit limit{14, 14};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            for (const char* line : {"ab", "efgh", "cd"})
                server->HandleLogLine(line);
            server->FlushLog();
            code = seen.size() == 4 && seen[0] == "ab" && seen[1] == "efgh" && seen[2] == "cd" &&
                           seen[3].find("1 log line could not") != std::string::npos
                       ? 0
                       : 3;
        }
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: not passed on in order, or not reported once";
    EXPECT_EQ(ReadFileBytes(root.LogPath()), "full\r\nab\r\ncd\r\n");
}

// A 64 KiB tmpfs over a folder, where mounting is permitted (root).
class SmallDisk {
public:
    explicit SmallDisk(std::string folder) : m_folder(std::move(folder)) {
        m_mounted = ::mount("tmpfs", m_folder.c_str(), "tmpfs", 0, "size=64k") == 0;
        m_error = m_mounted ? 0 : errno;
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_folder.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    int Error() const { return m_error; }
    // Takes every free byte.
    void Fill() const {
        const int fd = ::open((m_folder + "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        char block[4096] = {};
        while (::write(fd, block, sizeof block) > 0) {
        }
        while (::write(fd, block, 1) > 0) {
        }
        ::close(fd);
    }

private:
    std::string m_folder;
    bool m_mounted = false;
    int m_error = 0;
};

TEST(LogFile, FullDiskTakesNoHalfLineAndFailsNoUpload) {
    InstallRoot root;
    SmallDisk disk(root.AppDir());
    if (!disk.Mounted())
        GTEST_SKIP() << "no tmpfs to fill here: " << std::strerror(disk.Error());
    TUserXML admin = test::MakeUser("admin", "pw");
    admin.Admin = true;
    root.WriteUsers({admin});
    const std::string served = root.Root() + "served/";
    std::filesystem::create_directory(served);
    TFGlobals globals(root.ProgramPath());
    TSettings settings = globals.Settings();
    settings.Port = 0;
    settings.AdminRootDir = served;
    globals.SetSettings(settings);
    LogCapture seen;
    auto server = std::make_unique<TFFTPServer>(globals, seen.Receiver());
    server->SetActive(true);
    server->FlushLog();
    // The log ends 10 bytes before a page boundary, and no page is left.
    const std::size_t size = ReadFileBytes(root.LogPath()).size();
    ASSERT_LT(size + 2, 4086u);
    server->HandleLogLine(std::string(4086 - size - 2, 'p'));
    server->FlushLog();
    const std::string before = ReadFileBytes(root.LogPath());
    ASSERT_EQ(before.size(), 4086u);
    disk.Fill();

    server->HandleLogLine(std::string(100, 'L'));
    server->FlushLog();
    EXPECT_EQ(ReadFileBytes(root.LogPath()), before) << "a line goes whole or not at all";
    server->HandleLogLine("fits");
    server->FlushLog();
    EXPECT_EQ(ReadFileBytes(root.LogPath()), before + "fits\r\n") << "not glued to a half line";

    // The upload logs a line the disk cannot take; the upload itself is done.
    {
        test::RawFtpClient client(server->DataModule().IdFTPServer.BoundPort());
        client.Login("admin", "pw");
        test::FtpReply reply;
        client.Transfer("STOR up.bin", reply, "payload", true);
        EXPECT_EQ(reply.code, 226) << reply.text;
        client.Command("QUIT");
    }
    EXPECT_EQ(ReadFileBytes(served + "up.bin"), "payload");
    server.reset();
    EXPECT_EQ(ReadFileBytes(root.LogPath()), before + "fits\r\n");

    const auto lines = seen.Lines();
    const LostReports reports = ReportsIn(lines, root.LogPath());
    EXPECT_EQ(reports.lines, 4u) << "the long line, Login, Write and Stopped";
    for (const std::string& text : reports.texts)
        EXPECT_EQ(text, os::SysErrorMessage(ENOSPC));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const auto& l) { return l.first == std::string(100, 'L'); }),
              1)
        << "the window still got the line";
}

TEST(LogFile, ConcurrentAppendsGiveWholeLines) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    LogCapture seen;
    TFFTPServer server(globals, seen.Receiver());
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
    server.FlushLog();

    std::set<std::string> inFile;
    std::vector<std::string> fileOrder;
    std::istringstream text(ReadFileBytes(root.LogPath()));
    for (std::string line; std::getline(text, line);) {
        ASSERT_TRUE(line.ends_with('\r')) << line;
        line.pop_back();
        EXPECT_TRUE(producer.contains(line)) << line;
        inFile.insert(line);
        fileOrder.push_back(line);
    }
    EXPECT_EQ(fileOrder.size(), producer.size());
    EXPECT_EQ(inFile.size(), producer.size());
    const auto lines = seen.Lines();
    ASSERT_EQ(lines.size(), producer.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].first, fileOrder[i]) << "the window sees the file's order";
        EXPECT_EQ(lines[i].second, lines.front().second) << "all from the one log writer";
        EXPECT_NE(lines[i].second, producer[lines[i].first]) << "never on a producing thread";
    }
}

} // namespace
} // namespace vdx
