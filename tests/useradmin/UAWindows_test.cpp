// Every window of VdxUserAdmin in the look users get: Enter and Space on
// each button of each dialog, classic buttons and group boxes, the Tab
// order of the user dialog, sizes the window manager cannot change.

#include "controls/buttons/FcRadChk.h"
#include "platform/gui/message_box.h"
#include "useradmin/VUAEditUserDlg.h"
#include "useradmin/VUAGlobals.h"
#include "useradmin/VUAHelpDlg.h"
#include "useradmin/VUAMainForm.h"
#include "useradmin/VUATxtUserPagesDlg.h"

#include "ClassicLook.h"
#include "UserAdminSupport.h"

#include <QGroupBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace vdx {
namespace {

class AdminWindows : public ::testing::Test {
protected:
    AdminWindows() {
        root.WriteSwitches(true, true);
        globals = std::make_unique<TUAGlobals>(root.Program());
    }

    using Window = test::TestWindow;
    std::vector<Window> Dialogs() {
        return {
            {"user dialog", [&] { return std::make_unique<TFEditUserDlg>(nullptr, *globals); }},
            {"help",
             [&] {
                 auto help = std::make_unique<TUAHelpDlg>();
                 help->LoadFile(VDX_HELP_FILE);
                 return help;
             }},
            {"page rights",
             [&] { return std::make_unique<TUATxtUserPagesDlg>(nullptr, *globals); }},
        };
    }

    test::AdminInstall root;
    std::unique_ptr<TUAGlobals> globals;
    gui::TScopedMessageBoxHandler boxes{[](const gui::TMessageBoxRequest&) { return gui::mrOk; }};
};

TEST_F(AdminWindows, EnterAndSpaceClickTheFocusedButton) {
    test::ExpectKeysClickEachButton(Dialogs());
}

TEST_F(AdminWindows, EnterElsewhereClicksNoButtonOfTheUserDialog) {
    TFEditUserDlg dlg(nullptr, *globals);
    if (!test::FocusButton(dlg, *dlg.BtnOK))
        GTEST_SKIP() << "the platform gives no focus";
    dlg.AdminCheckBox->setFocus(Qt::TabFocusReason);
    int clicks = 0;
    for (QPushButton* b : {dlg.BtnOK, dlg.BtnCancel, dlg.BtnHelp})
        QObject::connect(b, &QPushButton::clicked, [&clicks] { ++clicks; });
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    EXPECT_EQ(clicks, 0); // the base dialog has no default button
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(AdminWindows, UserDialogTabOrderEndsHelpOkCancel) {
    TFEditUserDlg dlg(nullptr, *globals);
    dlg.show();
    std::vector<QWidget*> after;
    for (QWidget* w = dlg.SkipWebTxtPagesCheckBox->nextInFocusChain();
         w != dlg.SkipWebTxtPagesCheckBox && after.size() < 3; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled())
            after.push_back(w);
    const std::vector<QWidget*> expected = {dlg.BtnHelp, dlg.BtnOK, dlg.BtnCancel};
    EXPECT_EQ(after, expected);
}

TEST_F(AdminWindows, ClassicLookAndFixedSizes) {
    std::vector<Window> windows = Dialogs();
    windows.push_back({"main form", [&] { return std::make_unique<TUAMainForm>(*globals); }});
    for (const Window& w : windows) {
        SCOPED_TRACE(w.name);
        std::unique_ptr<QWidget> window = w.make();
        window->show();
        // The main form's buttons are the framed ones: it has no stock button.
        test::ExpectFixedWithClassicButtons(*window, test::VisibleButtons(*window));
        if (IsSkipped() || HasFatalFailure())
            return;
    }

    TUATxtUserPagesDlg pages(nullptr, *globals);
    pages.UserName = "Anna";
    pages.show();
    test::ExpectCaptionOnFrameLine(*pages.ButtonGroupBox);
    pages.ButtonGroupBox->hide();
    pages.PasswordGroupBox->show();
    test::ExpectCaptionOnFrameLine(*pages.PasswordGroupBox);
}

} // namespace
} // namespace vdx
