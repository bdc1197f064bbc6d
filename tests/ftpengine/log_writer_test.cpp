// The log writer on its own: the file first, the receiver after and never in
// the file's way, callers that wait for room instead of losing lines, and
// the stop that writes and passes on what is left.

#include "ftpengine/VFLogWriter.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <future>
#include <map>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vdx {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(line.ends_with('\r')) << line;
        line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The receiver's lines; with Hold(), it stops at its first line until Release().
class Receiver {
public:
    TLogLineEvent Event() {
        return [this](const std::string& line) {
            std::unique_lock lock(m_mutex);
            m_entered = true;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return !m_held; });
            m_lines.push_back(line);
        };
    }
    void Hold() {
        std::scoped_lock lock(m_mutex);
        m_held = true;
    }
    bool WaitEntered() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 10s, [&] { return m_entered; });
    }
    void Release() {
        {
            std::scoped_lock lock(m_mutex);
            m_held = false;
        }
        m_changed.notify_all();
    }
    std::vector<std::string> Lines() {
        std::scoped_lock lock(m_mutex);
        return m_lines;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    bool m_entered = false;
    std::vector<std::string> m_lines;
};

const std::regex kSkippedNote("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\t([0-9]+) log "
                              "lines? not passed on while the receiver was busy; the log file "
                              ".* has them");

TEST(LogWriter, ReceiverGetsEachLineOnceTheFileHasIt) {
    for (const bool withReceiver : {true, false}) {
        SCOPED_TRACE(withReceiver ? "with a receiver" : "without one");
        test::TempDir dir;
        const std::string path = dir.Folder() + "VdxFtpServer.log";
        std::vector<std::string> seen;
        std::vector<bool> inFileFirst;
        TLogLineEvent receiver;
        if (withReceiver)
            receiver = [&](const std::string& line) {
                const auto lines = FileLines(path);
                inFileFirst.push_back(std::find(lines.begin(), lines.end(), line) != lines.end());
                seen.push_back(line);
            };
        {
            TLogWriter writer(path, receiver);
            EXPECT_EQ(writer.Path(), path);
            for (int i = 0; i < 50; ++i)
                writer.Push("line " + std::to_string(i));
            writer.Flush();
            EXPECT_EQ(FileLines(path).size(), 50u);
            EXPECT_EQ(seen.size(), withReceiver ? 50u : 0u) << "Flush waits for the receiver too";
            // Queued at the stop: still written and passed on.
            for (int i = 50; i < 100; ++i)
                writer.Push("line " + std::to_string(i));
        }
        std::vector<std::string> expected;
        for (int i = 0; i < 100; ++i)
            expected.push_back("line " + std::to_string(i));
        EXPECT_EQ(FileLines(path), expected);
        if (withReceiver) {
            EXPECT_EQ(seen, expected);
            EXPECT_EQ(inFileFirst, std::vector<bool>(100, true));
        }
    }
}

TEST(LogWriter, HeldReceiverKeepsNothingFromTheFile) {
    test::TempDir dir;
    const std::string path = dir.Folder() + "VdxFtpServer.log";
    Receiver receiver;
    receiver.Hold();
    constexpr std::size_t kLines = 3 * (kMaxQueuedLogLines + kMaxUnpassedLogLines);
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < kLines; ++i)
        expected.push_back("line " + std::to_string(i));
    {
        TLogWriter writer(path, receiver.Event());
        writer.Push(expected[0]);
        ASSERT_TRUE(receiver.WaitEntered());
        auto pushed = std::async(std::launch::async, [&] {
            for (std::size_t i = 1; i < kLines; ++i)
                writer.Push(expected[i]);
        });
        const bool done = pushed.wait_for(20s) == std::future_status::ready;
        // Every line reaches the file while the receiver still holds the first.
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (done && FileLines(path).size() < kLines &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        const auto inFile = FileLines(path);
        receiver.Release();
        ASSERT_TRUE(done) << "a caller waited for the receiver";
        EXPECT_EQ(inFile, expected);
        writer.Flush();
    }
    const auto seen = receiver.Lines();
    ASSERT_EQ(seen.size(), 1 + kMaxUnpassedLogLines + 1);
    for (std::size_t i = 0; i <= kMaxUnpassedLogLines; ++i)
        ASSERT_EQ(seen[i], expected[i]);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(seen.back(), match, kSkippedNote)) << seen.back();
    EXPECT_EQ(std::stoull(match[1]), kLines - 1 - kMaxUnpassedLogLines);
}

// Far more lines than the queue holds, from many threads at once: the
// callers wait for room and the file gets every line, each thread's in order.
TEST(LogWriter, FloodFromManyThreadsLosesNoLine) {
    struct Row {
        const char* name;
        bool receiver;
    };
    for (const Row& row : {Row{"no receiver", false}, Row{"a slow receiver", true}}) {
        SCOPED_TRACE(row.name);
        test::TempDir dir;
        const std::string path = dir.Folder() + "VdxFtpServer.log";
        constexpr int kThreads = 16;
        constexpr int kLines = 4000;
        std::size_t passed = 0;
        TLogLineEvent receiver;
        if (row.receiver)
            receiver = [&](const std::string&) {
                std::this_thread::sleep_for(20us);
                ++passed;
            };
        testing::internal::CaptureStderr();
        {
            TLogWriter writer(path, receiver);
            std::vector<std::thread> threads;
            for (int t = 0; t < kThreads; ++t)
                threads.emplace_back([&writer, t] {
                    for (int i = 0; i < kLines; ++i)
                        writer.Push(std::to_string(t) + " " + std::to_string(i));
                });
            for (auto& thread : threads)
                thread.join();
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "nothing reported lost";
        std::map<int, int> next;
        std::size_t count = 0;
        for (const std::string& line : FileLines(path)) {
            std::istringstream fields(line);
            int t = -1, i = -1;
            fields >> t >> i;
            ASSERT_EQ(i, next[t]) << "thread " << t;
            ++next[t];
            ++count;
        }
        EXPECT_EQ(count, std::size_t(kThreads) * kLines);
        if (row.receiver) {
            EXPECT_GT(passed, 0u);
        }
    }
}

} // namespace
} // namespace vdx
