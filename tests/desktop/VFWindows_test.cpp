// Every dialog of VdxFtpServer in the look users get: Enter and Space on
// each button, classic button pixels, sizes the window manager cannot
// change.

#include "ftpdesktop/VFAboutDlg.h"
#include "ftpdesktop/VFSettingsDlg.h"
#include "ftpdesktop/VFViewLogDlg.h"
#include "ftpdesktop/VdxVersionInfo.h"
#include "ftpengine/VFGlobals.h"
#include "platform/gui/message_box.h"
#include "platform/os/paths.h"

#include "ClassicLook.h"
#include "DesktopSupport.h"
#include "IsolatedEnv.h"

#include <QPushButton>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vdx {
namespace {

class DesktopWindows : public ::testing::Test {
protected:
    DesktopWindows() {
        root.WriteSettings(0);
        globals = std::make_unique<TFGlobals>(root.ProgramPath());
    }

    using Window = test::TestWindow;
    std::vector<Window> Windows() {
        return {
            {"settings", [&] { return std::make_unique<TFSettingsDlg>(nullptr, *globals); }},
            {"log viewer", [&] { return std::make_unique<TFViewLogDlg>(nullptr, *globals); }},
            {"about",
             [&] { return std::make_unique<TFAboutDlg>(nullptr, versionInfo, os::ProgramPath()); }},
        };
    }

    test::IsolatedEnv env;
    test::DesktopRoot root;
    std::unique_ptr<TFGlobals> globals;
    const TVersionInfo versionInfo;
    gui::TScopedMessageBoxHandler boxes{[](const gui::TMessageBoxRequest&) { return gui::mrOk; }};
};

TEST_F(DesktopWindows, EnterAndSpaceClickTheFocusedButton) {
    test::ExpectKeysClickEachButton(Windows());
}

TEST_F(DesktopWindows, ClassicButtonsAndFixedSizes) {
    for (const Window& w : Windows()) {
        SCOPED_TRACE(w.name);
        std::unique_ptr<QWidget> window = w.make();
        window->show();
        // What the window manager is told: no resize handles.
        ASSERT_NE(window->windowHandle(), nullptr);
        EXPECT_EQ(window->windowHandle()->minimumSize(), window->size());
        EXPECT_EQ(window->windowHandle()->maximumSize(), window->size());
        std::vector<QPushButton*> shown;
        for (QPushButton* b : window->findChildren<QPushButton*>())
            if (b->isVisible())
                shown.push_back(b);
        ASSERT_FALSE(shown.empty());
        if (!test::FocusButton(*window, *shown.front()))
            GTEST_SKIP() << "the platform gives no focus";
        test::ExpectClassicButton(*shown.front(), true);
        for (std::size_t i = 1; i < shown.size(); ++i)
            test::ExpectClassicButton(*shown[i], false);
    }
}

} // namespace
} // namespace vdx
