// The button edit: shortcuts as virtual-key codes, AllowKeyEdit, margins by
// read-only state and button width, a click that focuses first (or is
// cancelled), the kind glyphs and their pictures.
#include "controls/edits/FcButtonEdit.h"

#include "controls/base/FcFrameController.h"
#include "controls/edits/FcNumericEdit.h"

#include "EditSupport.h"
#include "WidgetPictures.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace vdx {
namespace {

using test::PixelAt;
using test::PressKey;
using test::RenderWidget;
using test::Shown;
using test::TypeText;

class CountingButtonEdit : public TFcButtonEdit {
public:
    explicit CountingButtonEdit(QWidget* parent = nullptr) : TFcButtonEdit(parent) {
        OnButtonClick = [this](QObject* sender) {
            ++clicks;
            EXPECT_EQ(sender, this);
        };
        OnAltBtnClick = [this](QObject*) { ++altClicks; };
    }
    int beeps = 0;
    int clicks = 0;
    int altClicks = 0;

protected:
    void Beep() override { ++beeps; }
};

void ClickButton(TFcControlButton& button) {
    const QPointF at(3, 3);
    QMouseEvent press(QEvent::MouseButtonPress, at, button.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, button.mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &press);
    QApplication::sendEvent(&button, &release);
}

TEST(FcButtonEditKeys, ShortcutsClickAndAreConsumed) {
    CountingButtonEdit edit;
    std::string pressed;
    edit.OnKeyPress = [&](QObject*, char& key) { pressed += key; };
    EXPECT_EQ(edit.ButtonShortCut(), 115); // F4
    PressKey(edit, Qt::Key_F4);
    EXPECT_EQ(edit.clicks, 1);
    PressKey(edit, Qt::Key_F4, Qt::ShiftModifier);
    PressKey(edit, Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(edit.clicks, 1);

    // A character key as the shortcut clicks and types nothing.
    edit.SetButtonShortCut('K');
    TypeText(edit, "k");
    EXPECT_EQ(edit.clicks, 2);
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(pressed, "");
    edit.SetAltBtnVisible(true);
    edit.SetAltBtnShortCut(gui::TShortCut('K' | gui::scCtrl));
    PressKey(edit, Qt::Key_K, Qt::ControlModifier, "\x0b");
    EXPECT_EQ(edit.altClicks, 1);
    // Keys without a code are no shortcut of 0 ("none").
    edit.SetAltBtnShortCut(0);
    PressKey(edit, Qt::Key_unknown);
    EXPECT_EQ(edit.altClicks, 1);
    // A hidden or disabled button is not clicked.
    edit.SetButtonVisible(false);
    TypeText(edit, "k");
    EXPECT_EQ(edit.clicks, 2);
    EXPECT_EQ(edit.Text(), "k");
}

TEST(FcButtonEditKeys, WithoutKeyEditNoRouteChangesTheText) {
    CountingButtonEdit edit;
    edit.SetText("abc");
    edit.SetSelStart(3);
    edit.SetAllowKeyEdit(false);
    TypeText(edit, "d");
    PressKey(edit, Qt::Key_Backspace, Qt::NoModifier, "\b");
    edit.SetSelStart(0);
    PressKey(edit, Qt::Key_Delete);
    EXPECT_EQ(edit.beeps, 3);
    QGuiApplication::clipboard()->setText("xyz");
    PressKey(edit, Qt::Key_V, Qt::ControlModifier);
    edit.SelectAll();
    PressKey(edit, Qt::Key_X, Qt::ControlModifier);
    PressKey(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "abc");
    PressKey(edit, Qt::Key_F4); // the buttons still work
    EXPECT_EQ(edit.clicks, 1);
    edit.SetAllowKeyEdit(true);
    edit.SetSelStart(3);
    TypeText(edit, "d");
    EXPECT_EQ(edit.Text(), "abcd");
}

TEST(FcButtonEditLayout, MarginsFollowTheButtonsAndReadOnly) {
    CountingButtonEdit edit;
    edit.resize(225, 21);
    edit.SetButtonWidth(15);
    edit.SetAltBtnWidth(15);
    EXPECT_EQ(edit.Buttons().width(), 15);
    EXPECT_EQ(edit.RightMargin(), 17);
    EXPECT_EQ(edit.Buttons().geometry(), QRect(225 - 15 - 2, 2, 15, 17));
    edit.SetAltBtnVisible(true);
    EXPECT_EQ(edit.Buttons().width(), 30);
    EXPECT_EQ(edit.RightMargin(), 32);
    edit.SetAltBtnVisible(false);

    edit.SetReadOnly(true);
    EXPECT_TRUE(edit.Buttons().isHidden());
    EXPECT_EQ(edit.RightMargin(), 0);
    TRect r;
    edit.GetEditRect(r);
    EXPECT_EQ(r.Right, edit.ClientRect().Right);
    edit.SetHideButtonsOnReadOnly(false);
    EXPECT_FALSE(edit.Buttons().isHidden());
    EXPECT_EQ(edit.RightMargin(), 17);
    ClickButton(edit.Buttons().Button()); // still reacts
    EXPECT_EQ(edit.clicks, 1);

    // A font that needs more height enlarges the edit.
    TFont big = edit.Font();
    big.Height = -24;
    edit.SetFont(big);
    EXPECT_GE(edit.height(), MinimumHeightForFont(big));
}

TEST(FcButtonEditMouse, AClickFocusesTheEditFirstOrIsCancelled) {
    QWidget window;
    auto* edit = new CountingButtonEdit(&window);
    auto* port = new TFcNumericEdit(&window);
    port->move(0, 30);
    port->SetMax(10);
    window.resize(150, 60);
    if (!test::FocusIn(window, *port))
        GTEST_SKIP() << "the platform gives no focus";
    ClickButton(edit->Buttons().Button());
    EXPECT_TRUE(edit->Editor().hasFocus());
    EXPECT_EQ(edit->clicks, 1);

    // The port refuses to be left with 70 in it: the press is cancelled.
    port->OnRangeError = [](QObject*, os::Extended, os::Extended, bool& autoCorrect) {
        autoCorrect = false;
    };
    port->Editor().setFocus(Qt::TabFocusReason);
    port->SetText("70");
    ClickButton(edit->Buttons().Button());
    EXPECT_TRUE(port->Editor().hasFocus());
    EXPECT_EQ(edit->clicks, 1);
}

TEST(FcButtonEditGlyphs, EightKindsOfTwoCells) {
    for (TButtonKind kind : {TButtonKind::bkLookup, TButtonKind::bkDropDown,
                             TButtonKind::bkCalendar, TButtonKind::bkAccept, TButtonKind::bkReject,
                             TButtonKind::bkFolder, TButtonKind::bkFind, TButtonKind::bkSearch}) {
        const gui::TBitmap& glyph = GetButtonKindGlyph(kind);
        ASSERT_EQ(glyph.Width(), 20) << int(kind);
        ASSERT_EQ(glyph.Height(), 10) << int(kind);
        EXPECT_EQ(&glyph, &GetButtonKindGlyph(kind)); // drawn once
        const gui::TColor back = glyph.EffectiveTransparentColor();
        const QImage& image = glyph.Image();
        int ink = 0, disabledInk = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                ink += PixelAt(image, x, y) == Shown(gui::clBlack);
                disabledInk += PixelAt(image, 10 + x, y) == Shown(gui::clBtnShadow);
                // The same picture in both cells.
                EXPECT_EQ(PixelAt(image, x, y) == Shown(gui::clBlack),
                          PixelAt(image, 10 + x, y) == Shown(gui::clBtnShadow));
            }
        EXPECT_GT(ink, 4) << int(kind);
        EXPECT_EQ(ink, disabledInk) << int(kind);
        EXPECT_NE(back, Shown(gui::clBlack));
    }
    EXPECT_EQ(GetButtonKindGlyph(TButtonKind::bkCustom).Width(), 0);
}

TEST(FcButtonEditGlyphs, CustomGlyphAndBackAndThePicture) {
    CountingButtonEdit edit;
    edit.resize(100, 21);
    gui::TBitmap own(10, 10);
    edit.SetButtonGlyph(own);
    EXPECT_EQ(edit.ButtonKind(), TButtonKind::bkCustom);
    edit.SetButtonKind(TButtonKind::bkFolder);
    EXPECT_EQ(edit.GetButtonGlyph().Image(), GetButtonKindGlyph(TButtonKind::bkFolder).Image());
    EXPECT_EQ(edit.GetNumGlyphs(TFcCustomButtonEdit::kButton), 2);

    edit.SetButtonKind(TButtonKind::bkLookup);
    QImage image = RenderWidget(edit); // the pending resize places the pair
    const QRect pair = edit.Buttons().geometry();
    image = RenderWidget(edit);
    const QRect ink = test::InkBounds(image, pair.adjusted(2, 2, -3, -3), gui::clBtnFace);
    EXPECT_FALSE(ink.isEmpty());
    EXPECT_EQ(PixelAt(image, ink.left(), ink.bottom()), Shown(gui::clBlack)); // the dots
    EXPECT_EQ(ink.height(), 2);
    // The dots sit in the middle of the button, not in its lower third.
    const QRect button = edit.Buttons().Button().geometry().translated(pair.topLeft());
    EXPECT_LE(std::abs((ink.top() - button.top()) - (button.bottom() - ink.bottom())), 1)
        << ink.top() << " " << button.top() << " " << button.bottom();
    edit.setEnabled(false);
    image = RenderWidget(edit);
    EXPECT_EQ(PixelAt(image, ink.left(), ink.bottom()), Shown(gui::clBtnShadow)); // cell 1
}

TEST(FcButtonEditController, FlatButtonColourIsTheButtonEditsOwn) {
    TFcFrameController controller;
    controller.SetFlatButtonColor(gui::clAqua);
    CountingButtonEdit edit;
    edit.SetFrameController(&controller);
    EXPECT_EQ(edit.FlatButtonColor(), gui::clAqua);
    EXPECT_TRUE(edit.FlatButtons()); // the controller's default
    EXPECT_TRUE(edit.Buttons().Flat());
    EXPECT_EQ(edit.TFcCustomEdit::FlatButtonColor(), gui::clBtnFace); // the drop button's
}

} // namespace
} // namespace vdx
