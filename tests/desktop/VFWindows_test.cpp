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
        const std::vector<QPushButton*> shown = test::VisibleButtons(*window);
        ASSERT_FALSE(shown.empty());
        test::ExpectFixedWithClassicButtons(*window, shown);
        if (IsSkipped() || HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace vdx
