#include "platform/shell/change_watch.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

namespace vdx::shell {
namespace {

namespace fs = std::filesystem;
constexpr std::uint32_t kNames = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME;

// The reports of a watcher; the first one can be held so that changes
// made meanwhile reach the thread in one read.
struct Reports {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<int> Slots;
    bool HoldFirst = false;
    bool Released = false;

    void Post(int slot) {
        std::unique_lock lock(Mutex);
        Slots.push_back(slot);
        Changed.notify_all();
        if (HoldFirst && Slots.size() == 1)
            Changed.wait(lock, [this] { return Released; });
    }
    void Release() {
        std::lock_guard lock(Mutex);
        Released = true;
        Changed.notify_all();
    }
    // Waits (to a deadline) until count reports came; the reports so far.
    std::vector<int> WaitFor(std::size_t count) {
        std::unique_lock lock(Mutex);
        Changed.wait_for(lock, std::chrono::seconds(10), [&] { return Slots.size() >= count; });
        return Slots;
    }
};

TEST(ChangeWatcher, TableHoldsSixtyThreeWatchesAndRefusesUnusablePaths) {
    test::TempDir dir;
    ChangeWatcher watcher(nullptr);
    int index = 7;
    EXPECT_FALSE(watcher.AddWatch("", kNames, index, false));
    EXPECT_EQ(index, -1);
    EXPECT_FALSE(watcher.AddWatch(dir.Folder() + "missing", kNames, index, false));
    test::WriteFileBytes(dir.Path() / "file", "x");
    EXPECT_FALSE(watcher.AddWatch(dir.Folder() + "file", kNames, index, false));

    for (int i = 0; i < kChangeWatchSlots; ++i) {
        fs::create_directory(dir.Path() / std::to_string(i));
        ASSERT_TRUE(
            watcher.AddWatch((dir.Path() / std::to_string(i)).string(), kNames, index, false));
        EXPECT_EQ(index, i);
    }
    EXPECT_FALSE(watcher.AddWatch(dir.Folder(), kNames, index, false));
    EXPECT_EQ(index, -1);

    watcher.RemoveAllWatches();
    ASSERT_TRUE(watcher.AddWatch(dir.Folder(), kNames, index, false));
    EXPECT_EQ(index, 0);
}

TEST(ChangeWatcher, OneReportPerSlotForEachReadAndOnlyTheNamesAsked) {
    test::TempDir dir;
    for (const char* name : {"a", "b", "c", "d"})
        fs::create_directory(dir.Path() / name);
    Reports reports;
    reports.HoldFirst = true;
    ChangeWatcher watcher([&reports](int slot) { reports.Post(slot); });
    int index = -1;
    ASSERT_TRUE(watcher.AddWatch((dir.Path() / "a").string(), kNames, index, false));
    ASSERT_TRUE(
        watcher.AddWatch((dir.Path() / "b").string(), FILE_NOTIFY_CHANGE_FILE_NAME, index, false));
    ASSERT_TRUE(watcher.AddWatch((dir.Path() / "c").string(), kNames, index, false));
    ASSERT_TRUE(
        watcher.AddWatch((dir.Path() / "d").string(), FILE_NOTIFY_CHANGE_DIR_NAME, index, false));
    ASSERT_EQ(index, 3);

    // The thread is held in its first report while the rest piles up.
    test::WriteFileBytes(dir.Path() / "c" / "start", "");
    ASSERT_EQ(reports.WaitFor(1), std::vector<int>{2});
    for (int i = 0; i < 10; ++i) {
        test::WriteFileBytes(dir.Path() / "b" / std::to_string(i), "");
        fs::remove(dir.Path() / "b" / std::to_string(i));
        fs::create_directory(dir.Path() / "a" / std::to_string(i));
        test::WriteFileBytes(dir.Path() / "d" / std::to_string(i), "");
    }
    fs::create_directory(dir.Path() / "b" / "folder"); // a folder, b asks for files only
    reports.Release();
    EXPECT_EQ(reports.WaitFor(3), (std::vector<int>{2, 1, 0}));

    // A later change reports after everything before it.
    fs::create_directory(dir.Path() / "d" / "folder");
    EXPECT_EQ(reports.WaitFor(4), (std::vector<int>{2, 1, 0, 3}));
}

TEST(ChangeWatcher, SubtreeFoldersAndAGoneFolderFreesItsSlot) {
    test::TempDir dir;
    fs::create_directories(dir.Path() / "top" / "sub");
    fs::create_directory(dir.Path() / "other");
    Reports reports;
    ChangeWatcher watcher([&reports](int slot) { reports.Post(slot); });
    int index = -1;
    ASSERT_TRUE(watcher.AddWatch((dir.Path() / "other").string(), kNames, index, false));
    ASSERT_TRUE(watcher.AddWatch((dir.Path() / "top").string(), kNames, index, true));
    ASSERT_EQ(index, 1);
    EXPECT_FALSE(watcher.AddSubtreeFolder(0, (dir.Path() / "top" / "sub").string()));
    ASSERT_TRUE(watcher.AddSubtreeFolder(1, (dir.Path() / "top" / "sub").string()));

    test::WriteFileBytes(dir.Path() / "top" / "sub" / "f", "");
    EXPECT_EQ(reports.WaitFor(1), std::vector<int>{1});

    // The same folder in a second slot: both report.
    ASSERT_TRUE(watcher.AddWatch((dir.Path() / "top" / "sub").string(), kNames, index, false));
    ASSERT_EQ(index, 2);
    fs::remove(dir.Path() / "top" / "sub" / "f");
    const std::vector<int> both = reports.WaitFor(3);
    ASSERT_EQ(both.size(), 3u);
    EXPECT_EQ((std::vector<int>{both[1], both[2]} == std::vector<int>{1, 2}) ||
                  (std::vector<int>{both[1], both[2]} == std::vector<int>{2, 1}),
              true);

    // "other" goes: its slot reports once more and is free again.
    fs::remove(dir.Path() / "other");
    const std::vector<int> last = reports.WaitFor(4);
    ASSERT_EQ(last.size(), 4u);
    EXPECT_EQ(last.back(), 0);
    fs::create_directory(dir.Path() / "again");
    int again = -1;
    ASSERT_TRUE(watcher.AddWatch((dir.Path() / "again").string(), kNames, again, false));
    EXPECT_EQ(again, 0);
}

} // namespace
} // namespace vdx::shell
