#include "controls/panels/FcGroupBox.h"

#include "controls/base/FcFrameController.h"
#include "platform/gui/frame_control.h"

#include "WidgetPictures.h"
#include "buttons/ButtonInput.h"

#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace vdx {
namespace {

using gui::clBtnFace;
using gui::clRed;
using gui::clYellow;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;

int TextHeightOf(const TFont& font, const char* text) {
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    canvas.Font = font;
    return canvas.TextHeight(text);
}

int TextWidthOf(const TFont& font, const char* text) {
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    canvas.Font = font;
    return canvas.TextWidth(text);
}

// The flat frame colour of a default box.
TColor DefaultFlatColor() {
    return Shown(AdjustColor(gui::clBtnShadow, 30));
}

// The settings dialog's "Passive mode" box: the frame's top edge, the gap
// for the caption 8 pixels in, and where the children start.
TEST(FcGroupBoxPicture, FlatBoxLeavesAGapForItsCaption) {
    TFcGroupBox box;
    box.resize(160, 60);
    box.SetCaption("Passive mode");
    // The caption in the colour of the box first: the gap shows plain.
    TFont hidden = box.CaptionFont();
    hidden.Color = clBtnFace;
    box.SetCaptionFont(hidden);
    QImage image = RenderWidget(box);

    const int top = TextHeightOf(box.CaptionFont(), "Pp") / 2 - 1;
    const int captionRight = 8 + TextWidthOf(box.CaptionFont(), "Passive mode");
    const TColor fc = DefaultFlatColor();
    // The top edge runs from x = 2 to the gap and on from its end.
    for (int x = 2; x < 8; ++x)
        EXPECT_EQ(PixelAt(image, x, top), fc) << x;
    for (int x = captionRight; x < 158; ++x)
        EXPECT_EQ(PixelAt(image, x, top), fc) << x;
    for (int x = 8; x < captionRight; ++x)
        EXPECT_NE(PixelAt(image, x, top), fc) << x;
    // Cut corners, sides from two pixels below the top.
    EXPECT_EQ(PixelAt(image, 0, top), Shown(clBtnFace));
    EXPECT_EQ(PixelAt(image, 1, top + 1), fc);
    EXPECT_EQ(PixelAt(image, 0, top + 2), fc);
    EXPECT_EQ(PixelAt(image, 159, 57), fc);
    EXPECT_EQ(PixelAt(image, 158, 58), fc);
    EXPECT_EQ(PixelAt(image, 157, 59), fc);
    // The caption's ink starts in the gap, not before it.
    hidden.Color = gui::clWindowText;
    box.SetCaptionFont(hidden);
    image = RenderWidget(box);
    const QRect ink = test::InkBounds(image, QRect(0, 0, 160, top), clBtnFace);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 8);
    EXPECT_LE(ink.left(), 10);

    EXPECT_EQ(box.CaptionRect(),
              gui::Rect(8, 0, captionRight, TextHeightOf(box.CaptionFont(), "Passive mode")));
    EXPECT_EQ(box.contentsRect().top(), TextHeightOf(box.Font(), "Yy") + 1);
    EXPECT_EQ(box.contentsRect().left(), 1);
}

TEST(FcGroupBoxPicture, EmptyCaptionLeavesNoGap) {
    TFcGroupBox box;
    box.resize(80, 40);
    const QImage image = RenderWidget(box);
    const int top = TextHeightOf(box.CaptionFont(), "Pp") / 2 - 1;
    for (int x = 2; x < 78; ++x)
        EXPECT_EQ(PixelAt(image, x, top), DefaultFlatColor()) << x;
}

// What each style draws at a few telling places (a box 100 x 60 with the
// caption "Go", in clYellow so the frame colours stand out).
TEST(FcGroupBoxPicture, GroupStyles) {
    TFcGroupBox probe;
    const int pp = TextHeightOf(probe.CaptionFont(), "Pp");
    const int top = pp / 2 - 1;
    const int cy = TextHeightOf(probe.CaptionFont(), "Go");
    const int yy = TextHeightOf(probe.Font(), "Yy");
    const TColor fc = DefaultFlatColor(), y = Shown(clYellow);
    const TColor shadow = Shown(gui::clBtnShadow), light = Shown(gui::clBtnHighlight);
    struct Pixel {
        int x, y;
        TColor color;
    };
    struct Row {
        const char* name;
        TFcGroupBoxStyle style;
        TFrameStyleEx outer;
        std::vector<Pixel> pixels;
        int clientTop;
    };
    const Row rows[] = {
        {"standard: an etched frame",
         TFcGroupBoxStyle::gsStandard,
         TFrameStyleEx::fsNone,
         {{0, 30, shadow}, {1, 30, light}, {99, 30, light}, {98, 30, shadow}, {50, 59, light}},
         yy + 2},
        {"standard, flat outer: an outline",
         TFcGroupBoxStyle::gsStandard,
         TFrameStyleEx::fsFlat,
         {{0, top, fc}, {0, 59, fc}, {99, 30, fc}, {1, 30, y}},
         1 + yy + 2}, // the panel keeps the border out first
        {"top line: only the top, etched",
         TFcGroupBoxStyle::gsTopLine,
         TFrameStyleEx::fsNone,
         {{60, top, shadow}, {60, top + 1, light}, {0, 30, y}, {99, 30, y}, {50, 59, y}},
         yy},
        {"top line, flat bold: two lines from x = 2",
         TFcGroupBoxStyle::gsTopLine,
         TFrameStyleEx::fsFlatBold,
         {{60, top, fc}, {60, top + 1, fc}, {97, top, fc}, {98, top, y}, {60, top + 2, y}},
         2 + yy},
        {"flat: cut corners",
         TFcGroupBoxStyle::gsFlat,
         TFrameStyleEx::fsNone,
         {{0, top, y}, {1, top + 1, fc}, {0, top + 2, fc}, {99, 57, fc}, {98, 58, fc}, {99, 58, y}},
         yy + 1},
        {"underline: a line below the caption",
         TFcGroupBoxStyle::gsUnderline,
         TFrameStyleEx::fsNone,
         {{0, cy + 2, fc}, {99, cy + 2, fc}, {50, cy + 1, y}, {0, 30, y}},
         yy + 4},
    };
    for (const Row& row : rows) {
        TFcGroupBox box;
        box.resize(100, 60);
        box.SetColor(clYellow);
        box.SetCaption("Go");
        box.SetGroupStyle(row.style);
        box.SetBorderOuter(row.outer);
        const QImage image = RenderWidget(box);
        for (const Pixel& p : row.pixels)
            EXPECT_EQ(PixelAt(image, p.x, p.y), p.color) << row.name << " at " << p.x << "," << p.y;
        EXPECT_EQ(box.contentsRect().top(), row.clientTop) << row.name;
    }
}

TEST(FcGroupBoxPicture, BannerIsAGradientBandWithoutCornerPixels) {
    TFcGroupBox box;
    box.resize(100, 60);
    box.SetColor(clYellow);
    box.SetCaption("Go");
    box.SetGroupStyle(TFcGroupBoxStyle::gsBanner);
    box.SetGradientColorStyle(TFcGradientColorStyle::gcsCustom);
    box.SetGradientColorStart(clRed);
    box.SetGradientColorStop(gui::clBlue);
    box.SetFlatColor(gui::clGreen);
    box.SetFlatColorAdjustment(0);
    const int cy = TextHeightOf(box.CaptionFont(), "Go");
    const int yy = TextHeightOf(box.Font(), "Yy");
    const QImage image = RenderWidget(box);
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(clYellow));
    EXPECT_EQ(PixelAt(image, 1, 0), gui::clGreen);
    EXPECT_EQ(PixelAt(image, 0, 1), gui::clGreen);
    EXPECT_EQ(PixelAt(image, 99, cy + 5), Shown(clYellow));
    EXPECT_EQ(PixelAt(image, 50, cy + 5), gui::clGreen);
    EXPECT_EQ(PixelAt(image, 95, 1), clRed); // the gradient's first row
    EXPECT_EQ(PixelAt(image, 50, cy + 6), Shown(clYellow));
    // BannerHeight 0: the band is the caption height + 6, the children start
    // the "Yy" height + 8 below the top.
    EXPECT_EQ(box.contentsRect().top(), yy + 8);

    box.SetBannerHeight(30);
    EXPECT_EQ(box.contentsRect().top(), 30);
    EXPECT_EQ(PixelAt(RenderWidget(box), 50, 29), gui::clGreen);
}

TEST(FcGroupBoxPicture, CustomStyleLooksExactlyLikeAPanel) {
    auto setUp = [](TFcCustomPanel& p) {
        p.resize(90, 50);
        p.SetBorderOuter(TFrameStyleEx::fsLowered);
        p.SetColor(clYellow);
        p.SetCaption("Custom");
        p.SetAlignment(TAlignment::taLeftJustify);
        p.SetAlignmentVertical(TAlignmentVertical::avTop);
    };
    TFcGroupBox box;
    setUp(box);
    box.SetGroupStyle(TFcGroupBoxStyle::gsCustom);
    TFcPanel panel;
    setUp(panel);
    EXPECT_EQ(RenderWidget(box), RenderWidget(panel));
    EXPECT_EQ(box.CaptionRect(), TRect{});
    // The caption keeps its line out of the children's area.
    EXPECT_EQ(box.contentsRect().top(), 2 + TextHeightOf(box.Font(), "Yy") + 2);
}

TEST(FcGroupBoxPicture, CheckBoxStandsBeforeTheCaption) {
    TFcGroupBox box;
    box.resize(120, 60);
    box.SetCaption("Passive mode");
    box.SetShowCheckBox(true);
    QImage image = RenderWidget(box);
    const TRect square = GroupCheckBoxRect(box.CaptionRect(), false);
    EXPECT_EQ(square.Left, 8);
    EXPECT_EQ(box.CaptionRect().Right,
              8 + kGroupCheckBoxRoom + TextWidthOf(box.CaptionFont(), "Passive mode"));

    // The box as the frame-control painter draws it, checked.
    QImage expected = test::CanaryImage(13, 13);
    {
        TCanvas canvas(expected);
        gui::DrawFrameControl(canvas, gui::Rect(0, 0, 13, 13), gui::DFC_BUTTON,
                              gui::DFCS_BUTTONCHECK | gui::DFCS_CHECKED);
    }
    EXPECT_EQ(image.copy(gui::ToQRect(square)), expected);
    // The text begins after the box's room.
    const int top = TextHeightOf(box.CaptionFont(), "Pp") / 2 - 1;
    const QRect ink =
        test::InkBounds(image, QRect(square.Right, 0, 120 - square.Right, top), clBtnFace);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 8 + kGroupCheckBoxRoom);

    box.SetChecked(false);
    box.setEnabled(false);
    image = RenderWidget(box);
    {
        TCanvas canvas(expected);
        gui::DrawFrameControl(canvas, gui::Rect(0, 0, 13, 13), gui::DFC_BUTTON,
                              gui::DFCS_BUTTONCHECK | gui::DFCS_INACTIVE);
    }
    EXPECT_EQ(image.copy(gui::ToQRect(square)), expected);
}

TEST(FcGroupBoxGeometry, CaptionRectByStyle) {
    struct Row {
        const char* name;
        TFcGroupBoxStyle style;
        bool rtl;
        int banner;
        TRect expected;
    };
    const Row rows[] = {
        {"flat", TFcGroupBoxStyle::gsFlat, false, 0, {8, 0, 48, 14}},
        {"standard, right to left", TFcGroupBoxStyle::gsStandard, true, 0, {52, 0, 92, 14}},
        {"top line", TFcGroupBoxStyle::gsTopLine, false, 0, {0, 0, 44, 14}},
        {"top line, right to left", TFcGroupBoxStyle::gsTopLine, true, 0, {56, 0, 100, 14}},
        {"banner", TFcGroupBoxStyle::gsBanner, false, 0, {0, 0, 100, 20}},
        {"banner of 25", TFcGroupBoxStyle::gsBanner, false, 25, {0, 0, 100, 25}},
        {"underline", TFcGroupBoxStyle::gsUnderline, false, 0, {0, 0, 100, 16}},
        {"custom", TFcGroupBoxStyle::gsCustom, false, 0, {}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(GroupCaptionRect({.Style = row.style,
                                    .Extent = {40, 14},
                                    .Width = 100,
                                    .BannerHeight = row.banner,
                                    .RightToLeft = row.rtl}),
                  row.expected)
            << row.name;
    EXPECT_EQ(GroupCaptionRect({.Extent = {40, 14}, .Empty = true, .Width = 100}), TRect{});
}

TEST(FcGroupBoxGeometry, ClientRectByStyle) {
    struct Row {
        const char* name;
        TFcGroupBoxStyle style;
        int borderWidth;
        int banner;
        bool empty;
        TRect expected;
    };
    const TRect r = {0, 0, 100, 60}; // after the panel's adjustment
    const Row rows[] = {
        {"flat", TFcGroupBoxStyle::gsFlat, 0, 0, false, {1, 15, 99, 59}},
        {"standard", TFcGroupBoxStyle::gsStandard, 0, 0, false, {2, 16, 98, 58}},
        // A band wider than half the caption: the top moves by that half only.
        {"flat, band of 8", TFcGroupBoxStyle::gsFlat, 8, 0, false, {1, 7, 99, 59}},
        {"flat, band of 3", TFcGroupBoxStyle::gsFlat, 3, 0, false, {1, 12, 99, 59}},
        {"custom with caption", TFcGroupBoxStyle::gsCustom, 0, 0, false, {2, 16, 98, 58}},
        {"custom without", TFcGroupBoxStyle::gsCustom, 0, 0, true, {2, 2, 98, 58}},
        {"top line", TFcGroupBoxStyle::gsTopLine, 0, 0, false, {0, 14, 100, 60}},
        {"banner", TFcGroupBoxStyle::gsBanner, 0, 0, false, {0, 22, 100, 60}},
        {"banner of 30", TFcGroupBoxStyle::gsBanner, 0, 30, false, {0, 30, 100, 60}},
        {"underline", TFcGroupBoxStyle::gsUnderline, 0, 0, false, {0, 18, 100, 60}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(GroupClientRect(r, {.Style = row.style,
                                      .YyHeight = 14,
                                      .BorderWidth = row.borderWidth,
                                      .BannerHeight = row.banner,
                                      .CaptionEmpty = row.empty}),
                  row.expected)
            << row.name;
}

// The children across Enabled, Checked, ShowCheckBox and
// EnableControlsOnCheck: A starts enabled, B disabled; each step gives the
// states both have after it, and the OnCheckBoxClick count so far.
TEST(FcGroupBoxBehaviour, ChildrenFollowTheBoxAndItsCheckBox) {
    enum Action { Check, Uncheck, Enable, Disable, ShowBox, HideBox, FollowCheck, IgnoreCheck };
    struct Step {
        Action action;
        bool a, b;
        int clicks;
    };
    struct Row {
        const char* name;
        std::vector<Step> steps;
    };
    const Row rows[] = {
        {"unchecking holds them, checking gives their states back",
         {{Uncheck, false, false, 1}, {Check, true, false, 2}}},
        {"enabling an unchecked box does not free them",
         {{Uncheck, false, false, 1},
          {Disable, false, false, 1},
          {Enable, false, false, 1},
          {Check, true, false, 2}}},
        {"a second reason records nothing: the first state comes back",
         {{Disable, false, false, 0},
          {Uncheck, false, false, 1},
          {Enable, false, false, 1},
          {Check, true, false, 2},
          {Disable, false, false, 2},
          {Enable, true, false, 2}}},
        {"hiding the check box frees them",
         {{Uncheck, false, false, 1}, {HideBox, true, false, 1}, {ShowBox, false, false, 1}}},
        {"ignoring the check box frees them",
         {{Uncheck, false, false, 1},
          {IgnoreCheck, true, false, 1},
          {FollowCheck, false, false, 1},
          {Check, true, false, 2}}},
        {"without the check box Checked moves nothing but still tells",
         {{HideBox, true, false, 0}, {Uncheck, true, false, 1}, {ShowBox, false, false, 1}}},
    };
    for (const Row& row : rows) {
        TFcGroupBox box;
        box.SetShowCheckBox(true);
        int clicks = 0;
        box.OnCheckBoxClick = [&](QObject* sender) {
            EXPECT_EQ(sender, &box);
            ++clicks;
        };
        auto* a = new QPushButton("A", &box);
        auto* b = new QPushButton("B", &box);
        b->setEnabled(false);
        int n = 0;
        for (const Step& step : row.steps) {
            switch (step.action) {
            case Check:
                box.SetChecked(true);
                break;
            case Uncheck:
                box.SetChecked(false);
                break;
            case Enable:
                box.setEnabled(true);
                break;
            case Disable:
                box.setEnabled(false);
                break;
            case ShowBox:
                box.SetShowCheckBox(true);
                break;
            case HideBox:
                box.SetShowCheckBox(false);
                break;
            case FollowCheck:
                box.SetEnableControlsOnCheck(true);
                break;
            case IgnoreCheck:
                box.SetEnableControlsOnCheck(false);
                break;
            }
            ++n;
            EXPECT_EQ(a->isEnabled(), step.a) << row.name << ", step " << n;
            EXPECT_EQ(b->isEnabled(), step.b) << row.name << ", step " << n;
            EXPECT_EQ(clicks, step.clicks) << row.name << ", step " << n;
        }
    }
}

// Pointer and keyboard on the caption's check box, on a shown box.
class GroupBoxInput : public ::testing::Test {
protected:
    void SetUp() override {
        form.resize(200, 100);
        Make();
        form.show();
        form.activateWindow();
        QApplication::processEvents();
        RenderWidget(*box); // paints once: the caption rectangle is known
    }
    void Make() {
        box = new TFcGroupBox(&form);
        box->setGeometry(10, 10, 160, 70);
        box->SetCaption("Passive mode");
        box->SetShowCheckBox(true);
        box->OnCheckBoxClick = [this](QObject*) { ++clicks; };
        other = new QPushButton("Other", &form);
        other->setGeometry(10, 82, 60, 16);
        box->show();
        other->show();
        RenderWidget(*box);
    }
    QPoint OnCaption() const {
        const TRect c = box->CaptionRect();
        return {(c.Left + c.Right) / 2, (c.Top + c.Bottom) / 2};
    }
    QWidget form;
    TFcGroupBox* box = nullptr;
    QPushButton* other = nullptr;
    int clicks = 0;
};

TEST_F(GroupBoxInput, PressOnTheCaptionFocusesAndReleaseInsideToggles) {
    test::Press(*box, OnCaption());
    EXPECT_EQ(form.focusWidget(), box);
    EXPECT_TRUE(box->ShowPressed());
    test::MoveTo(*box, {150, 60}); // off the caption, still on the box
    EXPECT_TRUE(box->ShowPressed());
    test::MoveTo(*box, {160, 60}); // X = ClientWidth is outside
    EXPECT_FALSE(box->ShowPressed());
    test::MoveTo(*box, OnCaption());
    EXPECT_TRUE(box->ShowPressed());
    test::Release(*box, OnCaption());
    EXPECT_FALSE(box->ShowPressed());
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 1);
}

TEST_F(GroupBoxInput, Sequences) {
    enum Kind {
        Down,
        Up,
        DoubleClick,
        MoveTo,
        SpaceDown,
        SpaceUp,
        SpaceRepeat,
        FocusOther,
        Disable,
        Hide
    };
    struct Step {
        Kind kind;
        bool onCaption = true;
    };
    struct Row {
        const char* name;
        std::vector<Step> steps;
        int clicks;
        bool pressed;
    };
    const Row rows[] = {
        {"release outside the caption", {{Down}, {MoveTo, false}, {Up, false}}, 0, false},
        {"press outside the caption", {{Down, false}, {Up, true}}, 0, false},
        {"double click: two clicks", {{DoubleClick}}, 2, false},
        {"Space", {{SpaceDown}, {SpaceUp}}, 1, false},
        {"Space held: repeats are ignored",
         {{SpaceDown}, {SpaceRepeat}, {SpaceRepeat}, {SpaceUp}},
         1,
         false},
        {"Space up alone", {{SpaceUp}}, 0, false},
        {"Space held while the focus moves", {{SpaceDown}, {FocusOther}, {SpaceUp}}, 0, false},
        {"disabled during the press", {{Down}, {Disable}, {Up}}, 0, false},
        {"hidden during the press", {{Down}, {Hide}, {Up}}, 0, false},
        {"held Space", {{SpaceDown}}, 0, true},
    };
    for (const Row& row : rows) {
        delete box;
        delete other;
        clicks = 0;
        Make();
        for (const Step& step : row.steps) {
            const QPoint p = step.onCaption ? OnCaption() : QPoint(80, 50);
            switch (step.kind) {
            case Down:
                test::Press(*box, p);
                break;
            case Up:
                test::Release(*box, p);
                break;
            case DoubleClick:
                test::DoubleClick(*box, p);
                break;
            case MoveTo:
                test::MoveTo(*box, p);
                break;
            case SpaceDown:
                test::KeyDown(*box, Qt::Key_Space, {}, " ");
                break;
            case SpaceUp:
                test::KeyUp(*box, Qt::Key_Space, {}, " ");
                break;
            case SpaceRepeat:
                test::KeyUp(*box, Qt::Key_Space, {}, " ", true);
                test::KeyDown(*box, Qt::Key_Space, {}, " ", true);
                break;
            case FocusOther:
                box->setFocus();
                other->setFocus();
                break;
            case Disable:
                box->setEnabled(false);
                break;
            case Hide:
                box->hide();
                break;
            }
        }
        EXPECT_EQ(clicks, row.clicks) << row.name;
        EXPECT_EQ(box->ShowPressed(), row.pressed) << row.name;
    }
}

TEST_F(GroupBoxInput, WithoutTheCheckBoxNothingToggles) {
    box->SetShowCheckBox(false);
    EXPECT_EQ(box->focusPolicy(), Qt::NoFocus);
    test::Click(*box, OnCaption());
    EXPECT_FALSE(test::Key(*box, QEvent::KeyPress, Qt::Key_Space, {}, " "));
    test::KeyUp(*box, Qt::Key_Space, {}, " ");
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(box->Checked());
}

TEST_F(GroupBoxInput, CheckBoxClickMayDeleteTheBox) {
    box->OnCheckBoxClick = [this](QObject*) {
        delete box;
        box = nullptr;
    };
    const QPoint p = OnCaption();
    TFcGroupBox* target = box;
    test::Press(*target, p);
    test::Release(*target, p);
    EXPECT_EQ(box, nullptr);
}

TEST(FcGroupBoxBehaviour, AcceleratorFocusesTheFirstChildInTabOrder) {
    QWidget form;
    auto* before = new QPushButton("Before", &form);
    auto* box = new TFcGroupBox(&form);
    box->setGeometry(0, 30, 150, 80);
    box->SetCaption("&Passive mode");
    auto* first = new QPushButton("First", box);
    auto* second = new QPushButton("Second", box);
    first->setGeometry(5, 20, 60, 20);
    second->setGeometry(70, 20, 60, 20);
    QWidget::setTabOrder(second, first);
    form.show();
    before->setFocus();

    // A character no control took reaches the window.
    EXPECT_FALSE(test::Key(form, QEvent::KeyPress, Qt::Key_X, {}, "x"));
    EXPECT_EQ(form.focusWidget(), before);
    EXPECT_TRUE(test::Key(form, QEvent::KeyPress, Qt::Key_P, Qt::AltModifier, "P"));
    EXPECT_EQ(form.focusWidget(), second);

    // A disabled first child is passed over; a disabled box takes nothing.
    before->setFocus();
    second->setEnabled(false);
    EXPECT_TRUE(test::Key(form, QEvent::KeyPress, Qt::Key_P, {}, "p"));
    EXPECT_EQ(form.focusWidget(), first);
    before->setFocus();
    box->setEnabled(false);
    EXPECT_FALSE(test::Key(form, QEvent::KeyPress, Qt::Key_P, {}, "p"));
    EXPECT_EQ(form.focusWidget(), before);
}

TEST(FcGroupBoxBehaviour, CaptionFontFollowsFontUntilItIsSet) {
    TFcGroupBox box;
    TFont big = box.Font();
    big.Height = -20;
    box.SetFont(big);
    EXPECT_EQ(box.CaptionFont(), big);
    // The children start below a caption of the new size.
    EXPECT_EQ(box.contentsRect().top(), TextHeightOf(big, "Yy") + 1);

    TFont bold = big;
    bold.Style = gui::TFontStyle::fsBold;
    box.SetCaptionFont(bold);
    TFont small = box.Font();
    small.Height = -9;
    box.SetFont(small);
    EXPECT_EQ(box.CaptionFont(), bold);
}

TEST(FcGroupBoxBehaviour, FrameControllerReachesOnlyTheCustomStyle) {
    TFcFrameController controller;
    controller.SetFrameStyle(TFrameStyleEx::fsFlat);
    controller.SetFrameVisible(true);
    TFcGroupBox box;
    box.SetFrameController(&controller);
    EXPECT_EQ(box.BorderOuter(), TFrameStyleEx::fsNone);
    box.SetGroupStyle(TFcGroupBoxStyle::gsCustom);
    controller.SetFrameStyle(TFrameStyleEx::fsLowered);
    EXPECT_EQ(box.BorderOuter(), TFrameStyleEx::fsLowered);
}

} // namespace
} // namespace vdx
