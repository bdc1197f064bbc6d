// The check box: its glyphs by state, what mouse, keys, the accelerator and
// focus moves do to State and OnClick, sizing and custom glyphs.

#include "controls/buttons/FcRadChk.h"

#include "controls/base/FcFrameController.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/frame_control.h"

#include "ButtonInput.h"
#include "WidgetPictures.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace vdx {
namespace {

using gui::clBtnFace;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;
using S = TCheckBoxState;

void GainFocus(QWidget& w) {
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &in);
}
void LoseFocus(QWidget& w) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&w, &out);
}

// The 13 x 13 classic box of a state, as the frame-control painter draws it.
QImage ClassicBox(unsigned state) {
    QImage image = test::CanaryImage(13, 13);
    TCanvas canvas(image);
    gui::DrawFrameControl(canvas, gui::Rect(0, 0, 13, 13), gui::DFC_BUTTON,
                          gui::DFCS_BUTTONCHECK | state);
    return image;
}

QImage GlyphOf(TFcCheckBox& box) {
    return RenderWidget(box).copy(gui::ToQRect(box.GlyphRect()));
}

TEST(FcCheckBox, Defaults) {
    TFcCheckBox box;
    EXPECT_EQ(box.State(), S::cbUnchecked);
    EXPECT_FALSE(box.Checked());
    EXPECT_FALSE(box.AllowGrayed());
    EXPECT_EQ(box.Alignment(), TAlignment::taRightJustify);
    EXPECT_EQ(box.AlignmentVertical(), TAlignmentVertical::avTop);
    EXPECT_TRUE(box.AutoSize());
    EXPECT_TRUE(box.ParentColor());
    EXPECT_EQ(box.TransparentColor(), gui::clOlive);
    EXPECT_EQ(box.WinMaskColor(), gui::clLime);
    EXPECT_EQ(box.FrameColor(), gui::clBtnShadow);
    EXPECT_EQ(box.focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(box.GlyphRect(), gui::Rect(0, 2, 13, 15));
}

TEST(FcCheckBoxPicture, ClassicGlyphsByState) {
    struct Row {
        const char* name;
        S state;
        bool enabled;
        unsigned expected;
    };
    const Row rows[] = {
        {"unchecked", S::cbUnchecked, true, 0},
        {"checked", S::cbChecked, true, gui::DFCS_CHECKED},
        {"grayed", S::cbGrayed, true, gui::DFCS_BUTTON3STATE | gui::DFCS_CHECKED},
        {"checked, disabled", S::cbChecked, false, gui::DFCS_CHECKED | gui::DFCS_INACTIVE},
    };
    for (const Row& row : rows) {
        TFcCheckBox box;
        box.SetCaption("Passive");
        box.SetState(row.state);
        box.setEnabled(row.enabled);
        EXPECT_EQ(GlyphOf(box), ClassicBox(row.expected)) << row.name;
        EXPECT_EQ(box.GetCheck(), int(row.state)) << row.name;
    }
}

TEST(FcCheckBoxPicture, HotTrackGlyphIsTheLibrarysOwn) {
    TFcCheckBox box;
    box.SetHotTrack(true);
    box.SetState(S::cbChecked);
    QImage expected = test::CanaryImage(13, 13);
    {
        TCanvas canvas(expected);
        TCheckBoxGlyph g;
        g.State = 1;
        g.CheckColor = gui::clHighlight;
        g.HotFillColor = BlendColors(gui::clWhite, box.HotTrackColor(), 190);
        g.HotFrameColor = box.HotTrackColor();
        PaintCheckBoxGlyph(canvas, gui::Rect(0, 0, 13, 13), g);
    }
    EXPECT_EQ(GlyphOf(box), expected);
}

TEST(FcCheckBoxPicture, GlyphAndCaptionPlaces) {
    TFcCheckBox box;
    box.SetCaption("Passive");
    box.SetColor(gui::clYellow);
    QImage image = RenderWidget(box);
    // Glyph at the left, 2 pixels down; the caption 4 pixels after it.
    EXPECT_EQ(PixelAt(image, 0, 2), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 0, 1), Shown(gui::clYellow));
    const QRect ink =
        test::InkBounds(image, QRect(13, 0, box.width() - 13, box.height()), gui::clYellow);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 17);
    EXPECT_LE(ink.left(), 19);

    // Caption left of the glyph: the glyph at the right edge.
    box.SetAlignment(TAlignment::taLeftJustify);
    image = RenderWidget(box);
    EXPECT_EQ(box.GlyphRect().Right, box.width());
    EXPECT_EQ(PixelAt(image, box.width() - 13, 2), Shown(gui::clBtnShadow));
    // Right to left mirrors it back.
    box.setLayoutDirection(Qt::RightToLeft);
    EXPECT_EQ(box.GlyphRect().Left, 0);
}

TEST(FcCheckBoxPicture, FocusedBoxDrawsTheDottedRectangleRoundTheCaption) {
    QWidget form;
    auto* box = new TFcCheckBox(&form);
    box->SetCaption("Passive");
    box->SetColor(gui::clWhite);
    form.show();
    GainFocus(*box);
    const QImage image = RenderWidget(*box);
    const TRect r = InflateRect(box->CaptionRect(), 1, 1);
    EXPECT_EQ(PixelAt(image, r.Left, r.Top + 1), gui::clBlack);
    EXPECT_EQ(PixelAt(image, r.Left, r.Top + 2), gui::clWhite);
}

TEST(FcCheckBox, WritingTheValueFiresOnClickOnlyForAChange) {
    TFcCheckBox box;
    int clicks = 0;
    box.OnClick = [&](QObject*) { ++clicks; };
    box.SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box.SetChecked(true);
    box.SetState(S::cbChecked);
    EXPECT_EQ(clicks, 1);
    box.SetState(S::cbGrayed);
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(box.GetCheck(), 2);
    // ReadOnly stops only the user.
    box.SetReadOnly(true);
    box.SetChecked(false);
    EXPECT_EQ(box.State(), S::cbUnchecked);
    EXPECT_EQ(clicks, 3);
}

// A window with a check box, an edit that lets no keys through and a plain
// widget that passes keys on to the window.
struct CheckForm {
    CheckForm() {
        window.resize(200, 100);
        box = new TFcCheckBox(&window);
        box->move(10, 10);
        box->SetCaption("&Passive mode");
        box->OnClick = [this](QObject*) { ++clicks; };
        plain = new QWidget(&window);
        plain->setGeometry(10, 50, 20, 20);
        window.show();
    }
    void WindowKey(int key, const QString& text = {}, Qt::KeyboardModifiers m = {}) {
        test::KeyDown(*plain, key, m, text);
    }
    QWidget window;
    TFcCheckBox* box = nullptr;
    QWidget* plain = nullptr;
    int clicks = 0;
};

TEST(FcCheckBoxInput, SequencesGiveClicksAndState) {
    using Step = std::function<void(CheckForm&)>;
    struct Row {
        const char* name;
        bool allowGrayed, readOnly;
        std::vector<Step> steps;
        int clicks;
        S state;
    };
    const QPoint in(5, 5);
    auto click = [in](CheckForm& t) { test::Click(*t.box, in); };
    auto space = [](bool down, bool repeat = false) {
        return [=](CheckForm& t) {
            test::Key(*t.box, down ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Space, {}, " ",
                      repeat);
        };
    };
    auto pressedLook = [](bool expected) {
        return [=](CheckForm& t) { EXPECT_EQ(t.box->ShowPressed(), expected); };
    };
    const Row rows[] = {
        {"click", false, false, {click}, 1, S::cbChecked},
        {"two clicks", false, false, {click, click}, 2, S::cbUnchecked},
        {"grayed cycle",
         true,
         false,
         {click, [](auto& t) { EXPECT_EQ(t.box->State(), S::cbGrayed); }, click,
          [](auto& t) { EXPECT_EQ(t.box->State(), S::cbChecked); }, click},
         3,
         S::cbUnchecked},
        {"press, out, release",
         false,
         false,
         {[in](auto& t) { test::Press(*t.box, in); }, pressedLook(true),
          [](auto& t) { test::MoveTo(*t.box, QPoint(t.box->width(), 5)); }, pressedLook(false),
          [](auto& t) { test::Release(*t.box, QPoint(t.box->width(), 5)); }},
         0,
         S::cbUnchecked},
        {"double click",
         false,
         false,
         {[in](auto& t) { test::DoubleClick(*t.box, in); }},
         2,
         S::cbUnchecked},
        {"space", false, false, {space(true), pressedLook(true), space(false)}, 1, S::cbChecked},
        {"space held: repeats ignored",
         false,
         false,
         {space(true), space(false, true), space(true, true), space(false)},
         1,
         S::cbChecked},
        {"space released alone", false, false, {space(false)}, 0, S::cbUnchecked},
        {"escape cancels the held space",
         false,
         false,
         {space(true), [](auto& t) { test::KeyDown(*t.box, Qt::Key_Escape); }, pressedLook(false),
          space(false)},
         0,
         S::cbUnchecked},
        {"focus lost while space is held",
         false,
         false,
         {[](auto& t) { GainFocus(*t.box); }, space(true), [](auto& t) { LoseFocus(*t.box); },
          pressedLook(false), space(false), space(false)},
         0,
         S::cbUnchecked},
        {"accelerator",
         false,
         false,
         {[](auto& t) { t.WindowKey(Qt::Key_P, "p"); }},
         1,
         S::cbChecked},
        {"accelerator with alt",
         false,
         false,
         {[](auto& t) { t.WindowKey(Qt::Key_P, "P", Qt::AltModifier); }},
         1,
         S::cbChecked},
        {"other character",
         false,
         false,
         {[](auto& t) { t.WindowKey(Qt::Key_M, "m"); }},
         0,
         S::cbUnchecked},
        {"disabled: no accelerator",
         false,
         false,
         {[](auto& t) { t.box->setEnabled(false); }, [](auto& t) { t.WindowKey(Qt::Key_P, "p"); }},
         0,
         S::cbUnchecked},
        {"disabled during the press",
         false,
         false,
         {[in](auto& t) { test::Press(*t.box, in); }, [](auto& t) { t.box->setEnabled(false); },
          [](auto& t) { t.box->setEnabled(true); }, [in](auto& t) { test::Release(*t.box, in); }},
         0,
         S::cbUnchecked},
        {"read only: click, space and accelerator",
         false,
         true,
         {click, space(true), pressedLook(false), space(false),
          [](auto& t) { t.WindowKey(Qt::Key_P, "p"); }},
         0,
         S::cbUnchecked},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CheckForm form;
        form.box->SetAllowGrayed(row.allowGrayed);
        form.box->SetReadOnly(row.readOnly);
        for (const Step& step : row.steps)
            step(form);
        EXPECT_EQ(form.clicks, row.clicks);
        EXPECT_EQ(form.box->State(), row.state);
        EXPECT_FALSE(form.box->ShowPressed());
        EXPECT_FALSE(form.box->Tracking());
    }
}

TEST(FcCheckBoxInput, PressAndAcceleratorFocusTheBox) {
    CheckForm form;
    auto* edit = new QLineEdit(&form.window);
    edit->show();
    edit->setFocus();
    form.WindowKey(Qt::Key_P, "p");
    EXPECT_EQ(form.window.focusWidget(), form.box);
    edit->setFocus();
    test::Press(*form.box, QPoint(5, 5));
    EXPECT_EQ(form.window.focusWidget(), form.box);
    test::Release(*form.box, QPoint(5, 5));
}

TEST(FcCheckBoxInput, EnterGoesToTheWindowUnlessTabOnEnter) {
    CheckForm form;
    auto* next = new QLineEdit(&form.window);
    next->show();
    form.box->setFocus();
    EXPECT_FALSE(test::Key(*form.box, QEvent::KeyPress, Qt::Key_Return));
    form.box->SetTabOnEnter(true);
    EXPECT_TRUE(test::Key(*form.box, QEvent::KeyPress, Qt::Key_Return));
    EXPECT_NE(form.window.focusWidget(), form.box);
    EXPECT_EQ(form.clicks, 0);
}

TEST(FcCheckBoxInput, OnClickMayDeleteTheBox) {
    for (int way = 0; way < 3; ++way) {
        CheckForm form;
        QPointer<TFcCheckBox> box = form.box;
        form.box->OnClick = [&](QObject*) { delete form.box; };
        if (way == 0)
            test::Click(*form.box, QPoint(5, 5));
        else if (way == 1)
            form.WindowKey(Qt::Key_P, "p");
        else {
            test::KeyDown(*form.box, Qt::Key_Space, {}, " ");
            test::KeyUp(*form.box, Qt::Key_Space, {}, " ");
        }
        EXPECT_TRUE(box.isNull()) << way;
    }
}

TEST(FcCheckBoxSize, AutoSizeFitsGlyphAndCaptionKeepingTheGlyphsEdge) {
    QWidget form;
    auto* box = new TFcCheckBox(&form);
    box->setGeometry(100, 10, 115, 17);
    box->SetCaption("Short");
    const QRect first = box->geometry();
    EXPECT_EQ(first.left(), 100);
    EXPECT_LT(first.width(), 115);
    EXPECT_GE(first.height(), 15);
    box->SetCaption("A longer caption");
    EXPECT_EQ(box->geometry().left(), 100);
    EXPECT_GT(box->width(), first.width());

    // The glyph at the right: the right edge stays.
    box->SetAlignment(TAlignment::taLeftJustify);
    const int right = box->geometry().right();
    box->SetCaption("Short");
    EXPECT_EQ(box->geometry().right(), right);
    EXPECT_EQ(box->width(), first.width());

    // Without AutoSize the size is left alone.
    box->SetAutoSize(false);
    box->resize(150, 30);
    box->SetCaption("Other");
    EXPECT_EQ(box->size(), QSize(150, 30));
}

TEST(FcCheckBoxSize, ABoxTallerThanOneLineWrapsWhenLoaded) {
    TFcCheckBox box;
    box.BeginLoading();
    box.SetAutoSize(false);
    box.resize(115, MinimumHeightForFont(box.Font()) + 1);
    box.Loaded();
    EXPECT_TRUE(box.WordWrap());

    TFcCheckBox low;
    low.BeginLoading();
    low.SetAutoSize(false);
    low.resize(115, MinimumHeightForFont(low.Font()));
    low.Loaded();
    EXPECT_FALSE(low.WordWrap());
}

// A strip of nine 13 x 13 cells, each a flat colour of its own with a
// clOlive (transparent) and a clLime (window) pixel.
QImage NineCells() {
    QImage strip(117, 13, QImage::Format_RGB32);
    for (int cell = 0; cell < 9; ++cell)
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                strip.setPixelColor(cell * 13 + x, y, QColor(20 * cell, 100, 200));
    for (int cell = 0; cell < 9; ++cell) {
        strip.setPixelColor(cell * 13, 0, gui::ToQColor(gui::clOlive));
        strip.setPixelColor(cell * 13 + 1, 0, gui::ToQColor(gui::clLime));
    }
    return strip;
}

TEST(FcCheckBoxPicture, CustomGlyphStripCellsByState) {
    TFcCheckBox box;
    box.SetColor(gui::clYellow);
    box.SetCustomGlyphs(NineCells());
    EXPECT_TRUE(box.UseCustomGlyphs());
    EXPECT_EQ(box.GlyphWidth(), 13);
    EXPECT_EQ(box.GlyphHeight(), 13);
    struct Row {
        const char* name;
        S state;
        bool enabled;
        int cell;
    };
    const Row rows[] = {
        {"unchecked", S::cbUnchecked, true, 0},
        {"checked", S::cbChecked, true, 1},
        {"grayed", S::cbGrayed, true, 2},
        {"disabled, checked", S::cbChecked, false, 7},
    };
    for (const Row& row : rows) {
        box.SetState(row.state);
        box.setEnabled(row.enabled);
        const QImage glyph = GlyphOf(box);
        EXPECT_EQ(glyph.pixelColor(5, 5), QColor(20 * row.cell, 100, 200)) << row.name;
        EXPECT_EQ(gui::FromQColor(glyph.pixelColor(0, 0)), gui::clYellow) << row.name;
        EXPECT_EQ(gui::FromQColor(glyph.pixelColor(1, 0)), gui::clWhite) << row.name;
    }
    EXPECT_EQ(CheckBoxGlyphIndex(S::cbChecked, true, true, false), 4);
    EXPECT_EQ(CheckBoxGlyphIndex(S::cbGrayed, true, false, true), 11);

    // An empty strip gives the drawn glyph back.
    box.SetCustomGlyphs(QImage());
    EXPECT_FALSE(box.UseCustomGlyphs());
    EXPECT_EQ(box.GlyphWidth(), 13);
}

void Hover(QWidget& w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(w.mapToGlobal(QPoint(1, 1))));
    QApplication::sendEvent(&w, &enter);
}

// An image list of count 13 x 13 images, image i a flat colour of its own.
std::unique_ptr<gui::TCustomImageList> GlyphImages(int count) {
    auto list = std::make_unique<gui::TCustomImageList>(13, 13);
    QImage strip(13 * count, 13, QImage::Format_RGB32);
    for (int i = 0; i < count; ++i)
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                strip.setPixelColor(i * 13 + x, y, QColor(10 * i, 50, 150));
    list->AddMasked(strip, gui::clNone);
    return list;
}

TEST(FcCheckBoxPicture, CustomGlyphImagesShowHotImagesOnlyWhereTheListHasThem) {
    struct Row {
        const char* name;
        int count;
        S state;
        bool hotTrack;
        int shown; // the image shown while hovered
    };
    const Row rows[] = {
        {"nine images: never hot", 9, S::cbChecked, true, 1},
        {"ten images: no hot checked image", 10, S::cbChecked, true, 1},
        {"ten images: the hot unchecked image", 10, S::cbUnchecked, true, 9},
        {"twelve images, no HotTrack: not hot", 12, S::cbChecked, false, 1},
        {"twelve images, no HotTrack: grayed is hot", 12, S::cbGrayed, false, 11},
    };
    for (const Row& row : rows) {
        auto list = GlyphImages(row.count);
        TFcCheckBox box;
        box.SetCustomGlyphImages(list.get());
        EXPECT_TRUE(box.UseCustomGlyphs()) << row.name;
        box.SetState(row.state);
        box.SetHotTrack(row.hotTrack);
        EXPECT_EQ(GlyphOf(box).pixelColor(6, 6), QColor(10 * int(row.state), 50, 150)) << row.name;
        Hover(box);
        EXPECT_EQ(GlyphOf(box).pixelColor(6, 6), QColor(10 * row.shown, 50, 150)) << row.name;
    }
    // The list's end gives the drawn glyph back.
    TFcCheckBox box;
    {
        auto list = GlyphImages(3);
        box.SetCustomGlyphImages(list.get());
    }
    EXPECT_EQ(box.CustomGlyphImages(), nullptr);
    EXPECT_FALSE(box.UseCustomGlyphs());
    EXPECT_EQ(GlyphOf(box), ClassicBox(0));
}

TEST(FcCheckBox, FrameControllerColoursAndHotTrack) {
    TFcFrameController controller;
    controller.SetColor(gui::clYellow);
    controller.SetFrameColor(gui::clRed);
    controller.SetFrameHotTrack(true);
    controller.SetFrameHotColor(gui::clBlue);
    TFcCheckBox box;
    box.SetFrameController(&controller);
    EXPECT_TRUE(box.HotTrack());
    EXPECT_EQ(box.FillColor(), gui::clYellow);
    EXPECT_EQ(box.FrameColor(), gui::clRed);
    EXPECT_EQ(box.HotTrackStyle(), TFcButtonHotTrackStyle::htsFrame);
    EXPECT_EQ(box.HotTrackColor(), gui::clBlue);

    // Frames off: nothing is taken.
    TFcFrameController quiet;
    TFcCheckBox plain;
    plain.SetFrameController(&quiet);
    EXPECT_FALSE(plain.HotTrack());
}

} // namespace
} // namespace vdx
