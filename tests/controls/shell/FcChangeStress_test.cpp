// Controls that watch folders come and go by the hundred while another
// thread keeps changing those folders: no change message reaches a control
// after its destruction, and none leaves a descriptor open.

#include "controls/shell/FcShellList.h"
#include "controls/shell/FcShellTree.h"
#include "platform/gui/exception_guard.h"
#include "platform/os/winfile.h"

#include "Descriptors.h"
#include "IsolatedEnv.h"
#include "RecordedMounts.h"

#include <QApplication>
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

// Every change message of the program, checked against the one control
// alive.
class TChangeMessages final : public QObject {
public:
    TChangeMessages() { qApp->installEventFilter(this); }
    const QObject* Alive = nullptr;
    int Delivered = 0;
    int Stray = 0;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() == TFcShellChangeEvent::Type())
            ++(receiver == Alive && Alive ? Delivered : Stray);
        return false;
    }
};

std::unique_ptr<QWidget> ShellTree(const std::string& folder) {
    auto tree = std::make_unique<TFcShellTree>();
    tree->SetOptions(kDefaultShellTreeOptions.With(TFcShellTreeOption::stoIncludeNonFolders, true));
    TFcShellLocator base;
    base.SetPathName(folder);
    tree->SetBaseFolder(base);
    TTreeNode* root = tree->Items().GetFirstNode();
    for (int i = 0; root && i < root->Count(); ++i) {
        try {
            root->Item(i)->Expand(false);
        } catch (const gui::EAbort&) {
            // one of the writer's folders, gone already
        }
    }
    return tree;
}

std::unique_ptr<QWidget> ShellList(const std::string& folder) {
    auto list = std::make_unique<TFcShellList>();
    list->Folder().SetPathName(folder);
    list->Fill();
    return list;
}

// The controls that watch folders: each made watching the given folder
// (and below), filled and ready.
const struct {
    const char* Name;
    std::function<std::unique_ptr<QWidget>(const std::string& folder)> Make;
} kWatchingControls[] = {
    {"shell tree", ShellTree},
    {"shell list", ShellList},
};

TEST(ChangeWatchingControls, ComeAndGoWhileFoldersChange) {
    test::IsolatedEnv env;
    test::RecordedMounts mounts(test::MountLine(1, "/", "/dev/sda1"));
    const std::string top = env.Folder() + "watched/";
    std::vector<std::string> folders{top, top + "one", top + "two", top + "one/below"};
    for (const std::string& folder : folders)
        fs::create_directories(folder);
    TChangeMessages messages;
    // Whatever Qt opens once is open before the count.
    for (const auto& control : kWatchingControls)
        control.Make(top).reset();
    // The process-wide index behind lookups that ignore letter case opens its
    // descriptor on the first miss, which the writer's vanishing files make
    // happen at some point.
    os::ResolveCase(top + "no such name");
    QCoreApplication::processEvents();
    const std::size_t descriptors = test::OpenDescriptors();

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (unsigned n = 0; !stop; ++n) {
            const fs::path file = fs::path(folders[n % folders.size()]) / ("f" + std::to_string(n));
            test::WriteFileBytes(file, "");
            std::error_code ec;
            fs::remove(file, ec);
            fs::create_directory(file, ec);
            fs::remove(file, ec);
        }
    });
    // Stopped on every way out, before the descriptors are counted.
    struct Join {
        std::atomic<bool>& stop;
        std::thread& writer;
        void operator()() {
            stop = true;
            if (writer.joinable())
                writer.join();
        }
        ~Join() { (*this)(); }
    } join{stop, writer};
    for (int i = 0; i < 200; ++i) {
        for (const auto& control : kWatchingControls) {
            SCOPED_TRACE(control.Name);
            std::unique_ptr<QWidget> made = control.Make(top);
            messages.Alive = made.get();
            if (i == 0) {
                const QDeadlineTimer deadline(10000);
                while (messages.Delivered == 0 && !deadline.hasExpired())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
                EXPECT_GT(messages.Delivered, 0);
            } else {
                QCoreApplication::processEvents();
            }
            messages.Alive = nullptr;
            made.reset();
        }
    }
    join();
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.Stray, 0);
    EXPECT_EQ(test::OpenDescriptors(), descriptors);
}

} // namespace
} // namespace vdx
