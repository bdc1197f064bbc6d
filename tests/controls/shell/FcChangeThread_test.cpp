// The change thread without Qt: scripts/test.sh runs this program under
// ThreadSanitizer as well.
#include "controls/shell/FcChangeThread.h"

#include "Descriptors.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;
constexpr std::uint32_t kNames =
    shell::FILE_NOTIFY_CHANGE_FILE_NAME | shell::FILE_NOTIFY_CHANGE_DIR_NAME;
constexpr std::uint32_t kMsg = 0x0400 + 101;

// What a hand-over got, kept past the thread object.
struct Reports {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<std::pair<std::uint32_t, int>> Got;
    bool HandOverGone = false;
    bool PostedAfterGone = false;

    std::size_t Count() {
        std::lock_guard lock(Mutex);
        return Got.size();
    }
    // Waits (to a deadline) until count reports came; the reports so far.
    std::vector<std::pair<std::uint32_t, int>> WaitFor(std::size_t count) {
        std::unique_lock lock(Mutex);
        Changed.wait_for(lock, std::chrono::seconds(10), [&] { return Got.size() >= count; });
        return Got;
    }
};

class TRecordingHandOver final : public TChangeHandOver {
public:
    explicit TRecordingHandOver(std::shared_ptr<Reports> reports) : m_reports(std::move(reports)) {}
    ~TRecordingHandOver() override {
        std::lock_guard lock(m_reports->Mutex);
        m_reports->HandOverGone = true;
    }
    void Post(std::uint32_t msg, int slot) override {
        std::lock_guard lock(m_reports->Mutex);
        m_reports->PostedAfterGone |= m_reports->HandOverGone;
        m_reports->Got.emplace_back(msg, slot);
        m_reports->Changed.notify_all();
    }

private:
    std::shared_ptr<Reports> m_reports;
};

std::unique_ptr<TChangeHandlerThread> MakeThread(const std::shared_ptr<Reports>& reports) {
    return std::make_unique<TChangeHandlerThread>(std::make_unique<TRecordingHandOver>(reports),
                                                  kMsg);
}

TEST(TChangeHandlerThreadNoQt, ReportsCarryTheMessageAndTheSlotAddWatchGave) {
    test::TempDir dir;
    fs::create_directory(dir.Path() / "a");
    fs::create_directory(dir.Path() / "b");
    auto reports = std::make_shared<Reports>();
    auto thread = MakeThread(reports);
    int index = -1;
    ASSERT_TRUE(thread->AddWatch((dir.Path() / "a").string(), kNames, index, false));
    EXPECT_EQ(index, 0);
    ASSERT_TRUE(thread->AddWatch((dir.Path() / "b").string(), kNames, index, false));
    EXPECT_EQ(index, 1);
    test::WriteFileBytes(dir.Path() / "b" / "new", "");
    const auto got = reports->WaitFor(1);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front(), (std::pair<std::uint32_t, int>{kMsg, 1}));
}

TEST(TChangeHandlerThreadNoQt, SixtyThreeWatchesRefusalsAndAFreshStart) {
    test::TempDir dir;
    auto thread = MakeThread(std::make_shared<Reports>());
    int index = -1;
    EXPECT_FALSE(thread->AddWatch("", kNames, index, false));
    EXPECT_FALSE(thread->AddWatch((dir.Path() / "missing").string(), kNames, index, false));
    for (int i = 0; i < 63; ++i) {
        ASSERT_TRUE(thread->AddWatch(dir.Folder(), kNames, index, false)) << i;
        EXPECT_EQ(index, i);
    }
    EXPECT_FALSE(thread->AddWatch(dir.Folder(), kNames, index, false));
    thread->RemoveAllWatches();
    ASSERT_TRUE(thread->AddWatch(dir.Folder(), kNames, index, false));
    EXPECT_EQ(index, 0);
}

// Thread objects come and go while another thread keeps changing the
// watched folders: none hands over after its destruction, none leaves a
// descriptor open.
TEST(TChangeHandlerThreadNoQt, ComeAndGoWhileFoldersChange) {
    test::TempDir dir;
    std::vector<std::string> folders;
    for (int i = 0; i < 3; ++i) {
        folders.push_back((dir.Path() / std::to_string(i)).string());
        fs::create_directory(folders.back());
    }
    const std::size_t descriptors = test::OpenDescriptors();
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (unsigned n = 0; !stop; ++n) {
            const fs::path file = fs::path(folders[n % folders.size()]) / ("f" + std::to_string(n));
            test::WriteFileBytes(file, "");
            std::error_code ec;
            fs::remove(file, ec);
        }
    });

    constexpr int kObjects = 60;
    std::vector<std::shared_ptr<Reports>> all;
    std::vector<std::size_t> atDestruction;
    for (int i = 0; i < kObjects; ++i) {
        all.push_back(std::make_shared<Reports>());
        auto thread = MakeThread(all.back());
        int index = -1;
        for (const std::string& folder : folders)
            ASSERT_TRUE(thread->AddWatch(folder, kNames, index, false));
        if (i % 10 == 0) { // now and then until a report came
            ASSERT_FALSE(all.back()->WaitFor(1).empty());
        }
        if (i % 2 == 1)
            thread->RemoveAllWatches();
        thread.reset();
        atDestruction.push_back(all.back()->Count());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop = true;
    writer.join();
    for (std::size_t i = 0; i < all.size(); ++i) {
        EXPECT_EQ(all[i]->Count(), atDestruction[i]) << "object " << i;
        EXPECT_FALSE(all[i]->PostedAfterGone) << "object " << i;
    }
    EXPECT_EQ(test::OpenDescriptors(), descriptors);
}

} // namespace
} // namespace vdx
