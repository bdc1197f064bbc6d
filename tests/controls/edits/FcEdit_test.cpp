// The framed edit: keys as KeyDown and KeyPress, Enter as Tab, the drop
// button and its keys, colours by state, the controller's settings by name,
// and pictures of the border, the custom frame and the drop strip.
#include "controls/edits/FcEdit.h"

#include "controls/base/FcFrameController.h"
#include "controls/buttons/FcButton.h"

#include "EditSupport.h"
#include "WidgetPictures.h"

#include <QApplication>
#include <QLineEdit>
#include <QMetaObject>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx {
namespace {

using gui::clYellow;
using test::PixelAt;
using test::PressKey;
using test::RenderWidget;
using test::Shown;
using test::TypeText;

// Counts beeps and drop-downs instead of sounding and dropping.
class CountingEdit : public TFcEdit {
public:
    using TFcEdit::TFcEdit;
    int beeps = 0;
    int dropDowns = 0;

protected:
    void Beep() override { ++beeps; }
    void DropDown() override { ++dropDowns; }
};

TEST(FcEditKeys, KeyDownThenKeyPressEitherMaySwallow) {
    CountingEdit edit;
    std::vector<std::string> seen;
    edit.OnKeyDown = [&](QObject*, int& key, Qt::KeyboardModifiers) {
        seen.push_back("down " + std::to_string(key));
        if (key == Qt::Key_Q)
            key = 0;
    };
    edit.OnKeyPress = [&](QObject*, char& key) {
        seen.push_back(std::string("press ") + key);
        if (key == 'x')
            key = 0;
    };
    TypeText(edit, "axq");
    EXPECT_EQ(edit.Text(), "a");
    EXPECT_EQ(seen,
              (std::vector<std::string>{"down 65", "press a", "down 88", "press x", "down 81"}));
}

TEST(FcEditKeys, EnterIsNeverTypedAndWithTabOnEnterMovesTheFocus) {
    QWidget window;
    auto* edit = new CountingEdit(&window);
    auto* next = new CountingEdit(&window);
    next->move(0, 30);
    std::string pressed;
    edit->OnKeyPress = [&](QObject*, char& key) { pressed += key; };
    edit->SetText("ab");
    if (!test::FocusIn(window, *edit))
        GTEST_SKIP() << "the platform gives no focus";
    // No default button in this window: Enter reaches KeyPress, types nothing.
    PressKey(*edit, Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(pressed, "\r");
    EXPECT_EQ(edit->Text(), "ab");
    EXPECT_TRUE(edit->Editor().hasFocus());

    edit->SetTabOnEnter(true);
    PressKey(*edit, Qt::Key_Enter, Qt::KeypadModifier, "\r");
    EXPECT_EQ(pressed, "\r"); // OnKeyPress never saw it
    EXPECT_TRUE(next->Editor().hasFocus());
}

TEST(FcEditKeys, EnterAndEscapeGoToTheWindowsDefaultAndCancelButtons) {
    QWidget window;
    auto* edit = new CountingEdit(&window);
    auto* ok = new TFcButton(&window);
    auto* cancel = new TFcButton(&window);
    ok->move(0, 30);
    cancel->move(80, 30);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    int oks = 0, cancels = 0;
    ok->OnClick = [&](QObject*) { ++oks; };
    cancel->OnClick = [&](QObject*) { ++cancels; };
    std::string pressed;
    edit->OnKeyPress = [&](QObject*, char& key) { pressed += key; };
    if (!test::FocusIn(window, *edit))
        GTEST_SKIP() << "the platform gives no focus";
    PressKey(*edit, Qt::Key_Return, Qt::NoModifier, "\r");
    PressKey(*edit, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_EQ(oks, 1);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(pressed, ""); // taken before KeyPress
    EXPECT_EQ(edit->beeps, 0);

    // Alt with a letter is the window's accelerator, not a typed key.
    ok->SetCaption("E&xit");
    PressKey(*edit, Qt::Key_X, Qt::AltModifier, "x");
    EXPECT_EQ(oks, 2);
    EXPECT_EQ(edit->Text(), "");
    EXPECT_EQ(pressed, "");
}

TEST(FcEditDropButton, F4AndAltDownPressItOnlyWhileShown) {
    CountingEdit edit;
    edit.resize(80, 21);
    PressKey(edit, Qt::Key_F4);
    EXPECT_EQ(edit.dropDowns, 0);
    EXPECT_EQ(edit.FrameMargins(), QMargins(2, 2, 2, 2));

    edit.SetDropButtonVisible(true);
    EXPECT_EQ(edit.FrameMargins(), QMargins(2, 2, 18, 2)); // the 16-pixel strip
    EXPECT_EQ(edit.DropButtonRect(), gui::Rect(62, 2, 78, 19));
    PressKey(edit, Qt::Key_F4);
    PressKey(edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(edit.dropDowns, 2);
    PressKey(edit, Qt::Key_F4, Qt::ShiftModifier);
    PressKey(edit, Qt::Key_F4, Qt::ControlModifier);
    PressKey(edit, Qt::Key_Down);
    EXPECT_EQ(edit.dropDowns, 2);

    // Read-only takes the strip out of the window; it comes back after.
    edit.SetReadOnly(true);
    EXPECT_FALSE(edit.DropButtonShown());
    EXPECT_EQ(edit.FrameMargins(), QMargins(2, 2, 2, 2));
    PressKey(edit, Qt::Key_F4);
    EXPECT_EQ(edit.dropDowns, 2);
    edit.SetReadOnly(false);
    EXPECT_TRUE(edit.DropButtonShown());
}

TEST(FcEditColours, ByState) {
    QWidget window;
    auto* edit = new CountingEdit(&window);
    auto* other = new CountingEdit(&window);
    other->move(0, 30);
    EXPECT_EQ(edit->Color(), gui::clWindow);
    edit->SetReadOnly(true);
    EXPECT_EQ(edit->Color(), gui::clInfoBk);
    edit->setEnabled(false);
    EXPECT_EQ(edit->Color(), gui::clBtnFace);
    edit->setEnabled(true);
    edit->SetReadOnly(false);
    EXPECT_EQ(edit->Color(), gui::clWindow);

    // A colour the user gives becomes the normal colour; FocusColor follows
    // it while they were equal.
    edit->SetColor(clYellow);
    EXPECT_EQ(edit->NormalColor(), clYellow);
    EXPECT_EQ(edit->FocusColor(), clYellow);
    edit->SetFocusColor(gui::clAqua);
    if (!test::FocusIn(window, *edit))
        GTEST_SKIP() << "the platform gives no focus";
    EXPECT_EQ(edit->Color(), gui::clAqua);
    edit->SetReadOnly(true);
    EXPECT_EQ(edit->Color(), gui::clAqua); // focused wins over read-only
    edit->SetReadOnlyColorOnFocus(true);
    EXPECT_EQ(edit->Color(), gui::clInfoBk);
    other->Editor().setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(edit->Color(), gui::clInfoBk);
    edit->SetReadOnly(false);
    EXPECT_EQ(edit->Color(), clYellow);
}

TEST(FcEditController, SettingsByNameAndReRegistering) {
    for (const char* name : {"ReadOnlyColor", "ReadOnlyColorOnFocus", "FlatButtons",
                             "FlatButtonColor", "FrameColor", "FocusColor", "Color"})
        EXPECT_GE(TFcEdit::staticMetaObject.indexOfProperty(name), 0) << name;

    TFcFrameController controller;
    controller.SetReadOnlyColor(clYellow);
    controller.SetFlatButtons(true);
    CountingEdit edit;
    edit.SetFrameController(&controller);
    EXPECT_EQ(edit.ReadOnlyColor(), clYellow);
    EXPECT_TRUE(edit.FlatButtons());
    controller.SetFlatButtonColor(gui::clAqua);
    EXPECT_EQ(edit.FlatButtonColor(), gui::clAqua);

    // The same controller again pushes its settings again.
    edit.SetFrameColor(gui::clRed);
    edit.SetFrameController(&controller);
    EXPECT_EQ(edit.FrameColor(), controller.FrameColor());
    EXPECT_EQ(controller.Controls().size(), 1u);
}

TEST(FcEditPictures, BorderCustomFrameAndDropStrip) {
    CountingEdit edit;
    edit.resize(60, 21);
    QImage image = RenderWidget(edit);
    // The platform's sunken edge, the client in the edit's colour.
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 59, 20), Shown(gui::clBtnHighlight));
    EXPECT_EQ(PixelAt(image, 58, 19), Shown(gui::cl3DLight));
    EXPECT_EQ(PixelAt(image, 30, 10), Shown(gui::clWindow));

    // The custom frame over it: a flat ring, then the colour.
    edit.SetColor(clYellow);
    edit.SetFrameVisible(true);
    image = RenderWidget(edit);
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(clYellow));
    EXPECT_EQ(PixelAt(image, 30, 10), Shown(clYellow));

    // The classic combo button in the strip (16 x 17 inside the edge).
    edit.SetFrameVisible(false);
    edit.SetDropButtonVisible(true);
    image = RenderWidget(edit);
    EXPECT_EQ(PixelAt(image, 42, 2), Shown(gui::cl3DLight));
    EXPECT_EQ(PixelAt(image, 57, 2), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 43, 3), Shown(gui::clBtnHighlight));
    EXPECT_EQ(PixelAt(image, 57, 18), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 49, 8), Shown(gui::clBlack));  // the arrow's top row
    EXPECT_EQ(PixelAt(image, 49, 11), Shown(gui::clBlack)); // its point
    EXPECT_EQ(PixelAt(image, 49, 12), Shown(gui::clBtnFace));
    edit.setEnabled(false);
    image = RenderWidget(edit);
    EXPECT_EQ(PixelAt(image, 49, 8), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 30, 10), Shown(gui::clBtnFace));
    edit.setEnabled(true);

    // Flat, neither focused nor hot: the strip in the state colour.
    edit.SetFlatButtons(true);
    image = RenderWidget(edit);
    EXPECT_EQ(PixelAt(image, 42, 2), Shown(clYellow));
    EXPECT_EQ(PixelAt(image, 57, 18), Shown(clYellow));
}

} // namespace
} // namespace vdx
