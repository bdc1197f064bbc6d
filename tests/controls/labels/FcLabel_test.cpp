#include "controls/labels/FcLabel.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcFrameController.h"

#include "WidgetPictures.h"

#include <QCoreApplication>
#include <QEnterEvent>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace vdx {
namespace {

using gui::clRed;
using gui::clYellow;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;

TEST(FcLabelAngle, WrittenAnglesAreKeptInOneTurn) {
    const std::pair<int, int> rows[] = {{-90, 270}, {400, 40},   {360, 0},
                                        {-360, 0},  {-400, 320}, {359, 359}};
    for (auto [written, stored] : rows) {
        TFcLabel label;
        label.SetAngle(written);
        EXPECT_EQ(label.Angle(), stored) << written;
    }
}

TEST(FcLabelAngle, RotationAndAngleFollowEachOther) {
    TFcLabel label;
    label.SetCenterPoint(TCenterPoint::cpLowerLeft);
    label.SetAngle(45);
    EXPECT_EQ(label.Rotation(), TRotation::roFlat);
    label.SetRotation(TRotation::roNone);
    EXPECT_EQ(label.Angle(), 0);

    label.SetRotation(TRotation::roCurve);
    label.SetAngle(30);
    EXPECT_EQ(label.Rotation(), TRotation::roCurve);
    label.SetRotation(TRotation::roFlat);
    EXPECT_EQ(label.Angle(), 0);
    EXPECT_EQ(label.CenterPoint(), TCenterPoint::cpCenter);
}

TEST(FcLabelGeometry, RotatedExtents) {
    struct Row {
        int w, h, angle;
        gui::TSize expected;
    };
    const Row rows[] = {{30, 10, 0, {30, 10}},   {30, 10, 180, {30, 10}}, {30, 10, 90, {10, 30}},
                        {30, 10, 270, {10, 30}}, {30, 10, 45, {28, 28}},  {30, 10, 120, {31, 24}}};
    for (const Row& r : rows) {
        const gui::TSize s = RotatedExtent(r.w, r.h, r.angle);
        EXPECT_EQ(s.cx, r.expected.cx) << r.angle;
        EXPECT_EQ(s.cy, r.expected.cy) << r.angle;
    }
}

TEST(FcLabelGeometry, ReferencePointOfTurnedText) {
    // Unturned, centred on the baseline: the origin is half the width left
    // and the ascent up.
    EXPECT_EQ(TextOriginForReference({50, 40}, 20, 9, 0, true, true), (TPoint{40, 31}));
    // A quarter turn: the text runs upward, its top faces left.
    EXPECT_EQ(TextOriginForReference({50, 40}, 20, 9, 90, true, true), (TPoint{41, 50}));
    EXPECT_EQ(TextOriginForReference({50, 40}, 20, 9, 90, false, false), (TPoint{50, 40}));
}

// A label of 100 x 60 with its text rectangle 2 pixels in, a text 40 wide in
// a line of 16 (ascent 13): where the text starts.
TEST(FcLabelGeometry, FlatTextFollowsTheAlignmentAlongItsLine) {
    constexpr auto L = TAlignment::taLeftJustify;
    constexpr auto R = TAlignment::taRightJustify;
    constexpr auto C = TAlignment::taCenter;
    struct Row {
        int angle;
        TAlignment alignment;
        int shadow;
        TPoint origin;
    };
    const Row rows[] = {
        // Unturned: from the left edge, to the right edge or about the
        // middle, the line centred vertically.
        {0, L, 0, {2, 22}},
        {0, R, 0, {58, 22}},
        {0, C, 0, {30, 22}},
        // A shadow moves the text away from its edge and up by half of it.
        {0, L, 2, {4, 21}},
        {0, R, 2, {54, 21}},
        // Upward: from the bottom, to the top or from half the free space.
        {90, L, 0, {41, 58}},
        {90, R, 0, {41, 42}},
        {90, C, 0, {41, 49}},
        // Upside down: from the right edge leftward.
        {180, L, 0, {98, 39}},
        {180, R, 0, {42, 39}},
        {180, C, 0, {69, 39}},
        // Downward: from the top.
        {270, L, 0, {59, 2}},
        {270, R, 0, {59, 18}},
        {270, C, 0, {59, 9}},
        // Any other angle: centred on the middle whatever the alignment.
        {45, L, 0, {30, 38}},
        {45, R, 0, {30, 38}},
    };
    for (const Row& r : rows) {
        const TFlatTextMetrics m{.Client = {100, 60},
                                 .TextRect = gui::Rect(2, 2, 98, 58),
                                 .TextWidth = 40,
                                 .LineHeight = 16,
                                 .Ascent = 13,
                                 .ShadowOffset = r.shadow,
                                 .Angle = r.angle,
                                 .Alignment = r.alignment};
        const TPoint o = FlatTextOrigin(m);
        EXPECT_EQ(o, r.origin) << r.angle << " " << int(r.alignment) << " " << r.shadow;
        // The copies of a 3-D style are the same text moved.
        EXPECT_EQ(FlatTextOrigin(m, 1, -1), (TPoint{o.X + 1, o.Y - 1})) << r.angle;
    }
}

TEST(FcLabelGeometry, AutoSizeAddsBordersAndMargin) {
    TFcLabel label;
    label.SetCaption("Server name:");
    const QSize plain = label.size();
    label.SetBorderOuter(TFrameStyleEx::fsFlat);
    label.SetTextMargin(2);
    EXPECT_EQ(label.size(), plain + QSize(6, 6));

    // The measured text itself: one line of the caption.
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(scratch);
    canvas.Font = label.Font();
    TRect r{0, 0, 0, 0};
    canvas.DrawText("Server name:", r, gui::DT_CALCRECT | gui::DT_EXPANDTABS);
    EXPECT_EQ(plain, QSize(r.Width(), r.Height()));
}

TEST(FcLabelGeometry, FrameControllerBordersWaitForTheNextSizing) {
    TFcFrameController controller;
    controller.SetFrameStyle(TFrameStyleEx::fsFlat);
    controller.SetFrameVisible(true);
    TFcLabel label;
    label.SetCaption("Server name:");
    const QSize plain = label.size();
    label.SetFrameController(&controller);
    // The border is written without sizing the label again...
    EXPECT_EQ(label.BorderOuter(), TFrameStyleEx::fsFlat);
    EXPECT_EQ(label.size(), plain);
    // ...which the next sizing does.
    label.SetCaption("Server name: ");
    label.SetCaption("Server name:");
    EXPECT_EQ(label.size(), plain + QSize(2, 2));
}

TEST(FcLabelGeometry, RightJustifiedAutoSizeKeepsTheRightEdge) {
    TFcLabel label;
    label.setGeometry(100, 10, 200, 17);
    label.SetAutoSize(false);
    label.SetAlignment(TAlignment::taRightJustify);
    label.SetCaption("x");
    label.SetAutoSize(true);
    EXPECT_EQ(label.geometry().right(), 299);
}

// Where the ink of a caption stands in a box width pixels wide.
enum class Side { Left, Right, Middle };
Side InkSide(const QRect& ink, int width) {
    const int middle = (ink.left() + ink.right()) / 2;
    if (std::abs(middle - width / 2) <= 3)
        return Side::Middle;
    return middle < width / 2 ? Side::Left : Side::Right;
}

TEST(FcLabelPicture, RightToLeftMirrorsTheAlignmentOnlyWithBdRightToLeft) {
    using B = TBiDiMode;
    using A = TAlignment;
    struct Case {
        B mode;
        A alignment;
        Side side;
    };
    const Case cases[] = {
        {B::bdLeftToRight, A::taLeftJustify, Side::Left},
        {B::bdRightToLeft, A::taLeftJustify, Side::Right},
        {B::bdRightToLeft, A::taRightJustify, Side::Left},
        {B::bdRightToLeft, A::taCenter, Side::Middle},
        {B::bdRightToLeftNoAlign, A::taLeftJustify, Side::Left},
        {B::bdRightToLeftReadingOnly, A::taRightJustify, Side::Right},
    };
    for (const Case& c : cases) {
        TFcLabel label;
        label.SetAutoSize(false);
        label.resize(120, 17);
        label.SetColor(clYellow);
        label.SetCaption("Abc");
        label.SetAlignment(c.alignment);
        label.SetBiDiMode(c.mode);
        const QImage image = RenderWidget(label);
        const QRect ink = test::InkBounds(image, image.rect(), clYellow);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_LT(ink.width(), 40);
        EXPECT_EQ(InkSide(ink, 120), c.side) << int(c.mode) << " " << int(c.alignment);
        if (c.side == Side::Right) {
            EXPECT_GE(ink.right(), 115) << int(c.mode);
        }
        if (c.side == Side::Left) {
            EXPECT_LE(ink.left(), 4) << int(c.mode);
        }
    }
    // Sizing to the text keeps the edge the text stands at: the right one.
    TFcLabel label;
    label.setGeometry(100, 10, 200, 17);
    label.SetAutoSize(false);
    label.SetBiDiMode(B::bdRightToLeft);
    label.SetCaption("x");
    label.SetAutoSize(true);
    EXPECT_EQ(label.geometry().right(), 299);
}

TEST(FcLabelBehaviour, CondensedCaptionStopsSizing) {
    TFcLabel label;
    label.SetCaption("short");
    label.SetCondenseCaption(TFcCondenseCaption::ccAtEnd);
    EXPECT_FALSE(label.AutoSize());
    const QSize before = label.size();
    label.SetCaption("a caption far too long for the label it stands in");
    EXPECT_EQ(label.size(), before);
    // The ink ends inside the label.
    label.SetColor(clYellow);
    const QImage image = RenderWidget(label);
    const QRect ink = test::InkBounds(image, image.rect(), clYellow);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LT(ink.right(), before.width());
}

TEST(FcLabelPicture, FlatBorderAndFill) {
    TFcLabel label;
    label.SetAutoSize(false);
    label.resize(20, 12);
    label.SetColor(clYellow);
    label.SetBorderOuter(TFrameStyleEx::fsFlat);
    const QImage image = RenderWidget(label);
    const gui::TColor flat = AdjustColor(gui::clBtnShadow, 30);
    EXPECT_EQ(PixelAt(image, 0, 0), flat);
    EXPECT_EQ(PixelAt(image, 19, 11), flat);
    EXPECT_EQ(PixelAt(image, 10, 0), flat);
    EXPECT_EQ(PixelAt(image, 1, 1), clYellow);
    EXPECT_EQ(PixelAt(image, 18, 10), clYellow);
}

TEST(FcLabelPicture, TransparentLabelLeavesItsBackgroundAlone) {
    TFcLabel label;
    label.SetAutoSize(false);
    label.resize(20, 12);
    label.SetTransparent(true);
    const QImage image = RenderWidget(label);
    EXPECT_EQ(test::PixelAt(image, 1, 1), test::kCanary);
}

TEST(FcLabelPicture, DisabledLabelDrawsOnlyGrayText) {
    TFcLabel label;
    label.SetCaption("Gray");
    label.SetColor(gui::clWhite);
    label.SetTextStyle(TTextStyle::tsRaised);
    label.SetHighlightColor(clRed);
    label.SetShadowColor(gui::clBlue);
    label.setEnabled(false);
    const QImage image = RenderWidget(label);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const gui::TColor c = PixelAt(image, x, y);
            // White blended with gray only: no red or blue copy anywhere.
            EXPECT_TRUE(gui::GetRValue(c) == gui::GetGValue(c) &&
                        gui::GetGValue(c) == gui::GetBValue(c))
                << x << "," << y;
            if (c != gui::clWhite)
                ++ink;
        }
    EXPECT_GT(ink, 0);

    // Enabled, the raised copies show.
    label.setEnabled(true);
    const QImage raised = RenderWidget(label);
    bool red = false;
    for (int y = 0; y < raised.height() && !red; ++y)
        for (int x = 0; x < raised.width() && !red; ++x)
            red = PixelAt(raised, x, y) == clRed;
    EXPECT_TRUE(red);
}

// A label of black text on white with red and blue for the 3-D copies,
// room around the text for them, straight or curved round its centre.
std::unique_ptr<TFcLabel> StyledLabel(TRotation rotation, const std::string& caption) {
    auto label = std::make_unique<TFcLabel>();
    label->SetAutoSize(false);
    label->resize(120, 120);
    label->SetTextMargin(8);
    label->SetColor(gui::clWhite);
    label->SetHighlightColor(clRed);
    label->SetShadowColor(gui::clBlue);
    TFont font = label->Font();
    font.Name = "Verdana";
    font.Height = -24;
    font.Color = gui::clBlack;
    label->SetFont(font);
    label->SetRotation(rotation);
    label->SetCaption(caption);
    return label;
}

// The ink of one colour family: gray (black text blended with white), red
// or blue (copies, also where the black text blends over them).
enum class Ink { Gray, Red, Blue };
QRect InkOf(const QImage& image, Ink kind) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const gui::TColor c = PixelAt(image, x, y);
            const int r = gui::GetRValue(c), g = gui::GetGValue(c), b = gui::GetBValue(c);
            if (c == gui::clWhite)
                continue;
            const bool gray = r == g && g == b;
            if ((kind == Ink::Gray && gray) || (kind == Ink::Red && !gray && r > b) ||
                (kind == Ink::Blue && !gray && b > r))
                ink = ink.united(QRect(x, y, 1, 1));
        }
    return ink;
}

// Each 3-D style draws the text again in its colours, moved: the copy
// moved up-left shows beyond the text's top-left, the copy moved down-right
// beyond its bottom-right; straight text and curved text alike.
TEST(FcLabelPicture, RaisedRecessedAndShadowCopies) {
    struct Case {
        const char* name;
        TTextStyle style;
        bool light;
        Ink upLeft;    // the colour of the copy at (-1, -1), if any
        Ink downRight; // the colour of the copy at (+d, +d), if any
        int depth;     // d
    };
    const Case cases[] = {
        {"raised", TTextStyle::tsRaised, false, Ink::Red, Ink::Blue, 1},
        {"raised light", TTextStyle::tsRaised, true, Ink::Red, Ink::Gray, 0},
        {"recessed", TTextStyle::tsRecessed, false, Ink::Blue, Ink::Red, 1},
        {"recessed light", TTextStyle::tsRecessed, true, Ink::Gray, Ink::Red, 1},
        {"shadow", TTextStyle::tsShadow, false, Ink::Gray, Ink::Blue, 4},
    };
    for (const TRotation rotation : {TRotation::roNone, TRotation::roCurve}) {
        auto label = StyledLabel(rotation, "HI");
        label->SetShadowDepth(4);
        const QRect text = InkOf(RenderWidget(*label), Ink::Gray);
        ASSERT_FALSE(text.isEmpty());
        ASSERT_TRUE(InkOf(RenderWidget(*label), Ink::Red).isEmpty());
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (rotation == TRotation::roCurve ? " curved" : ""));
            label->SetTextStyle(c.style);
            label->SetLightTextStyle(c.light);
            const QImage image = RenderWidget(*label);
            if (c.upLeft != Ink::Gray) {
                const QRect copy = InkOf(image, c.upLeft);
                EXPECT_EQ(copy.topLeft(), text.topLeft() - QPoint(1, 1));
            }
            if (c.downRight != Ink::Gray) {
                const QRect copy = InkOf(image, c.downRight);
                EXPECT_EQ(copy.bottomRight(), text.bottomRight() + QPoint(c.depth, c.depth));
            }
            // A light style leaves its dark copy out.
            for (const Ink colour : {Ink::Red, Ink::Blue}) {
                if (colour != c.upLeft && colour != c.downRight) {
                    EXPECT_TRUE(InkOf(image, colour).isEmpty()) << int(colour);
                }
            }
        }
    }
}

// Curved text runs round the centre: each character stands upright on the
// circle at its angle, the baseline a character height inside the radius,
// and the characters follow clockwise.
TEST(FcLabelPicture, CurvedTextRunsRoundTheCentre) {
    auto label = StyledLabel(TRotation::roCurve, "I");
    label->SetTextMargin(0);
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas measure(scratch);
    measure.Font = label->Font();
    const int yy = measure.TextHeight("Yy");

    // At 0 degrees: at the top, centred on the centre's column, standing on
    // the baseline yy pixels below the top.
    QRect ink = InkOf(RenderWidget(*label), Ink::Gray);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(std::abs(ink.center().x() - 60), 1) << ink.center().x();
    EXPECT_LE(ink.bottom(), yy);
    EXPECT_GE(ink.bottom(), yy - 3);
    EXPECT_GT(ink.height(), ink.width()); // upright

    // At 90 degrees: at the left, turned on its side, centred on the
    // centre's row, its top towards the edge.
    label->SetAngle(90);
    EXPECT_EQ(label->Rotation(), TRotation::roCurve);
    ink = InkOf(RenderWidget(*label), Ink::Gray);
    EXPECT_LE(std::abs(ink.center().y() - 60), 1) << ink.center().y();
    EXPECT_LE(ink.right(), yy);
    EXPECT_GE(ink.right(), yy - 3);
    EXPECT_GT(ink.width(), ink.height()); // on its side

    // From the top, the next characters go right and down along the circle.
    label->SetAngle(0);
    label->SetCaption("IIIIII");
    const QImage run = RenderWidget(*label);
    const QRect first = InkOf(run.copy(0, 0, 64, 120), Ink::Gray);
    const QRect later = InkOf(run.copy(70, 0, 50, 120), Ink::Gray).translated(70, 0);
    ASSERT_FALSE(later.isEmpty());
    EXPECT_GT(later.bottom(), first.bottom());
}

class BlinkingLabels : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(BlinkingControls, nullptr); }
};

TEST_F(BlinkingLabels, OnlyBlinkingLabelsChangeColourAndAllSwitchTogether) {
    TFcLabel a, b, steady;
    for (TFcLabel* l : {&a, &b}) {
        l->SetBlinkColor(clRed);
        l->SetBlinking(true);
    }
    const gui::TColor fontColor = steady.CurrentColor();
    ASSERT_NE(BlinkingControls, nullptr);
    EXPECT_EQ(BlinkingControls->GetCount(), 3);

    BlinkingControls->TimerFired(); // on -> off
    EXPECT_EQ(a.CurrentColor(), fontColor);
    BlinkingControls->TimerFired(); // off -> on
    EXPECT_EQ(a.CurrentColor(), clRed);
    EXPECT_EQ(b.CurrentColor(), clRed);
    EXPECT_EQ(steady.CurrentColor(), fontColor);

    // Clearing Blinking in the "on" phase gives the font colour back at once.
    a.SetBlinking(false);
    EXPECT_EQ(a.CurrentColor(), fontColor);
    BlinkingControls->TimerFired();
    BlinkingControls->TimerFired();
    EXPECT_EQ(a.CurrentColor(), fontColor);
    EXPECT_EQ(b.CurrentColor(), clRed);
}

TEST_F(BlinkingLabels, TheLastLabelFreesTheListAndANewOneStartsAfresh) {
    {
        TFcLabel label;
        label.SetBlinkIntervalOn(100);
        EXPECT_EQ(BlinkingControls->IntervalOn(), 100);
    }
    EXPECT_EQ(BlinkingControls, nullptr);
    TFcLabel label;
    ASSERT_NE(BlinkingControls, nullptr);
    EXPECT_EQ(label.BlinkIntervalOn(), 500);
    EXPECT_EQ(label.BlinkIntervalOff(), 500);
}

TEST_F(BlinkingLabels, AFontColourSetWhileBlinkingShowsOnceBlinkingEnds) {
    TFcLabel label;
    label.SetBlinkColor(clRed);
    label.SetBlinking(true);
    TFont font = label.Font();
    font.Color = gui::clNavy;
    label.SetFont(font);
    BlinkingControls->TimerFired(); // on -> off: the colour from before the change
    BlinkingControls->TimerFired(); // off -> on
    EXPECT_EQ(label.CurrentColor(), clRed);

    label.SetBlinking(false);
    EXPECT_EQ(label.CurrentColor(), gui::clNavy);
}

// A navy label that turns red while the mouse is over it.
void MakeFlyByLabel(TFcLabel& label) {
    TFont font = label.Font();
    font.Color = gui::clNavy;
    label.SetFont(font);
    label.SetFlyByColor(clRed);
    label.SetFlyByEnabled(true);
}

TEST(FcLabelBehaviour, FlyByColourWhileTheMouseIsOver) {
    TFcLabel label;
    MakeFlyByLabel(label);

    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.Font().Color, clRed);
    EXPECT_EQ(label.CurrentColor(), clRed);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.Font().Color, gui::clNavy);

    // Switching fly-by off away from the mouse keeps the font's colour.
    label.SetFlyByEnabled(false);
    EXPECT_EQ(label.Font().Color, gui::clNavy);
    // And in the middle of a fly-by it gives the colour back.
    label.SetFlyByEnabled(true);
    QCoreApplication::sendEvent(&label, &enter);
    label.SetFlyByEnabled(false);
    EXPECT_EQ(label.Font().Color, gui::clNavy);
}

TEST(FcLabelBehaviour, ARepeatedEnterStillLeavesTheFontsOwnColour) {
    TFcLabel label;
    MakeFlyByLabel(label);

    // The platform may report entering again without a leave in between.
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&label, &enter);
    QCoreApplication::sendEvent(&label, &enter);
    EXPECT_EQ(label.CurrentColor(), clRed);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&label, &leave);
    EXPECT_EQ(label.Font().Color, gui::clNavy);
    EXPECT_EQ(label.CurrentColor(), gui::clNavy);
}

TEST(FcLabelBehaviour, ParentColourIsTakenFromAFramedParent) {
    gui::TFramedHost parent;
    parent.SetColor(clYellow);
    auto* label = new TFcLabel(&parent);
    EXPECT_TRUE(label->ParentColor());
    EXPECT_EQ(label->Color(), clYellow);
    parent.SetColor(clRed);
    EXPECT_EQ(label->Color(), clRed);
}

} // namespace
} // namespace vdx
