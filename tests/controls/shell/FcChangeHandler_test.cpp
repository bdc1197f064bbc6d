#include "controls/shell/FcChangeHandler.h"

#include "Descriptors.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;
constexpr std::uint32_t kNames =
    shell::FILE_NOTIFY_CHANGE_FILE_NAME | shell::FILE_NOTIFY_CHANGE_DIR_NAME;

// Stands for the control: records the change messages it gets.
class TOwner final : public QObject {
public:
    std::vector<std::uintptr_t> Slots;
    std::uint32_t Msg = 0;
    std::function<void()> OnChange;

protected:
    bool event(QEvent* event) override {
        if (event->type() != TFcShellChangeEvent::Type())
            return QObject::event(event);
        const auto* change = static_cast<TFcShellChangeEvent*>(event);
        Msg = change->Msg;
        Slots.push_back(change->WParam);
        if (OnChange)
            OnChange();
        return true;
    }
};

// Runs the event loop until done() or the deadline.
template <class Done> bool RunUntil(Done done, int ms = 10000) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

TEST(TChangeHandlerThread, TellsTheOwnerOnTheGuiThreadWithTheSlot) {
    test::TempDir dir;
    fs::create_directory(dir.Path() / "a");
    fs::create_directory(dir.Path() / "b");
    TOwner owner;
    TChangeHandlerThread thread(&owner, WM_FCSHELLCHANGE);
    int index = -1;
    ASSERT_TRUE(thread.AddWatch((dir.Path() / "a").string(), kNames, index, false));
    ASSERT_TRUE(thread.AddWatch((dir.Path() / "b").string(), kNames, index, false));
    ASSERT_EQ(index, 1);
    test::WriteFileBytes(dir.Path() / "b" / "new", "");
    ASSERT_TRUE(RunUntil([&] { return !owner.Slots.empty(); }));
    EXPECT_EQ(owner.Slots.front(), 1u);
    EXPECT_EQ(owner.Msg, WM_FCSHELLCHANGE);
}

TEST(TChangeHandlerThread, DestroyedFromTheOwnersHandlerOrAfterTheOwner) {
    test::TempDir dir;
    int index = -1;
    {
        TOwner owner;
        auto thread = std::make_unique<TChangeHandlerThread>(&owner, WM_FCSHELLCHANGE);
        owner.OnChange = [&thread] { thread.reset(); };
        ASSERT_TRUE(thread->AddWatch(dir.Folder(), kNames, index, false));
        test::WriteFileBytes(dir.Path() / "one", "");
        ASSERT_TRUE(RunUntil([&] { return !owner.Slots.empty(); }));
        EXPECT_FALSE(thread);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    {
        // Reports queued for an owner that went are dropped.
        auto owner = std::make_unique<TOwner>();
        TChangeHandlerThread thread(owner.get(), WM_FCSHELLCHANGE);
        ASSERT_TRUE(thread.AddWatch(dir.Folder(), kNames, index, false));
        test::WriteFileBytes(dir.Path() / "two", "");
        owner.reset();
        fs::remove(dir.Path() / "two");
        QCoreApplication::processEvents();
    }
}

// Many thread objects come and go while another thread keeps changing the
// watched folders: none reports after its destruction, none leaves a
// descriptor open.
TEST(TChangeHandlerThread, ComeAndGoWhileFoldersChange) {
    test::TempDir dir;
    std::vector<std::string> folders;
    for (int i = 0; i < 3; ++i) {
        folders.push_back((dir.Path() / std::to_string(i)).string());
        fs::create_directory(folders.back());
    }
    const std::size_t descriptors = test::OpenDescriptors();
    std::atomic<bool> stop{false};
    std::atomic<unsigned> changes{0};
    std::thread writer([&] {
        for (unsigned n = 0; !stop; ++n) {
            const fs::path file = fs::path(folders[n % folders.size()]) / ("f" + std::to_string(n));
            test::WriteFileBytes(file, "");
            std::error_code ec;
            fs::remove(file, ec);
            ++changes;
        }
    });

    constexpr int kObjects = 200;
    std::vector<std::unique_ptr<TOwner>> owners;
    std::vector<std::size_t> atDestruction;
    std::size_t reported = 0;
    for (int i = 0; i < kObjects; ++i) {
        owners.push_back(std::make_unique<TOwner>());
        TOwner& owner = *owners.back();
        auto thread = std::make_unique<TChangeHandlerThread>(&owner, WM_FCSHELLCHANGE);
        int index = -1;
        for (const std::string& folder : folders)
            ASSERT_TRUE(thread->AddWatch(folder, kNames, index, false));
        if (i % 10 == 0) {
            // Now and then until a report came, else just what is there.
            ASSERT_TRUE(RunUntil([&] { return !owner.Slots.empty(); }));
        } else {
            QCoreApplication::processEvents();
        }
        if (i % 2 == 1)
            thread->RemoveAllWatches();
        thread.reset();
        atDestruction.push_back(owner.Slots.size());
        reported += owner.Slots.size();
    }
    EXPECT_GT(reported, 0u);

    // Give late reports every chance: many more changes, all events handled.
    const unsigned until = changes + 2000;
    ASSERT_TRUE(RunUntil([&] { return changes >= until; }));
    QCoreApplication::processEvents();
    stop = true;
    writer.join();
    QCoreApplication::processEvents();
    for (int i = 0; i < kObjects; ++i)
        EXPECT_EQ(owners[static_cast<std::size_t>(i)]->Slots.size(),
                  atDestruction[static_cast<std::size_t>(i)])
            << "object " << i;
    EXPECT_EQ(test::OpenDescriptors(), descriptors);
}

} // namespace
} // namespace vdx
