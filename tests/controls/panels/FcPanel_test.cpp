#include "controls/panels/FcPanel.h"

#include "controls/base/FcFrameController.h"

#include "WidgetPictures.h"

#include <QApplication>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace vdx {
namespace {

using gui::clBlack;
using gui::clBtnFace;
using gui::clRed;
using gui::clYellow;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;

// A page cell as the page-rights editor makes it: a one-pixel black frame.
TEST(FcPanelPicture, PageCellHasBlackFrameFilledClientAndCentredCaption) {
    TFcPanel panel;
    panel.resize(40, 24);
    panel.SetBorderOuter(TFrameStyleEx::fsNone);
    panel.SetBorderInner(TFrameStyleEx::fsNone);
    panel.SetBorderColor(clBlack);
    panel.SetBorderWidth(1);
    panel.SetColor(clYellow);
    panel.SetCaption("W");

    const QImage image = RenderWidget(panel);
    for (int x = 0; x < 40; ++x) {
        EXPECT_EQ(PixelAt(image, x, 0), clBlack) << x;
        EXPECT_EQ(PixelAt(image, x, 23), clBlack) << x;
    }
    for (int y = 0; y < 24; ++y) {
        EXPECT_EQ(PixelAt(image, 0, y), clBlack) << y;
        EXPECT_EQ(PixelAt(image, 39, y), clBlack) << y;
    }
    EXPECT_EQ(PixelAt(image, 1, 1), clYellow);
    EXPECT_EQ(PixelAt(image, 38, 22), clYellow);

    // The caption's ink is centred both ways (within the rounding of
    // odd sizes).
    const QRect ink = test::InkBounds(image, QRect(1, 1, 38, 22), clYellow);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(std::abs((ink.left() + ink.right() + 1) - 40), 2);
    EXPECT_LE(std::abs((ink.top() + ink.bottom() + 1) - 24), 3);

    // Children stand inside the frame.
    EXPECT_EQ(panel.contentsRect(), QRect(1, 1, 38, 22));
    auto* layout = new QVBoxLayout(&panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* child = new QWidget;
    layout->addWidget(child);
    layout->activate();
    EXPECT_EQ(child->geometry().topLeft(), QPoint(1, 1));
}

TEST(FcPanelPicture, DefaultPanelIsRaisedTwoPixelsDeep) {
    TFcPanel panel;
    panel.resize(20, 10);
    const QImage image = RenderWidget(panel);
    EXPECT_EQ(PixelAt(image, 0, 0), Shown(gui::cl3DLight));
    EXPECT_EQ(PixelAt(image, 19, 9), Shown(gui::cl3DDkShadow));
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(gui::clBtnHighlight));
    EXPECT_EQ(PixelAt(image, 18, 8), Shown(gui::clBtnShadow));
    EXPECT_EQ(PixelAt(image, 2, 2), Shown(clBtnFace));
    EXPECT_EQ(panel.contentsRect(), QRect(2, 2, 16, 6));
}

// How far each border style moves the children in, alone and combined.
TEST(FcPanelGeometry, BorderStylesSetTheClientMargins) {
    struct Row {
        const char* name;
        TFrameStyleEx outer, inner;
        int borderWidth, bevelWidth;
        TSides sides;
        QMargins expected;
    };
    const TSides leftTop = TSide::sdLeft | TSide::sdTop;
    const Row rows[] = {
        {"none", TFrameStyleEx::fsNone, TFrameStyleEx::fsNone, 0, 1, TSides::All(), {0, 0, 0, 0}},
        {"flat", TFrameStyleEx::fsFlat, TFrameStyleEx::fsNone, 0, 1, TSides::All(), {1, 1, 1, 1}},
        {"status bevel 3",
         TFrameStyleEx::fsStatus,
         TFrameStyleEx::fsNone,
         0,
         3,
         TSides::All(),
         {3, 3, 3, 3}},
        {"groove and flat bold",
         TFrameStyleEx::fsGroove,
         TFrameStyleEx::fsFlatBold,
         0,
         1,
         TSides::All(),
         {4, 4, 4, 4}},
        {"band of 2 on all sides",
         TFrameStyleEx::fsFlat,
         TFrameStyleEx::fsNone,
         2,
         1,
         leftTop,
         {3, 3, 2, 2}},
        {"rounded, left and top",
         TFrameStyleEx::fsFlatRounded,
         TFrameStyleEx::fsNone,
         0,
         1,
         leftTop,
         {2, 2, 0, 0}},
    };
    for (const Row& row : rows) {
        TFcPanel panel;
        panel.resize(50, 30);
        panel.SetBorderOuter(row.outer);
        panel.SetBorderInner(row.inner);
        panel.SetBorderWidth(row.borderWidth);
        panel.SetBevelWidth(row.bevelWidth);
        panel.SetBorderSides(row.sides);
        EXPECT_EQ(panel.contentsMargins(), row.expected) << row.name;
    }
}

TEST(FcPanelPicture, EmptyCaptionDrawsNothing) {
    TFcPanel panel;
    panel.resize(30, 16);
    panel.SetBorderOuter(TFrameStyleEx::fsNone);
    panel.SetColor(clYellow);
    const QImage image = RenderWidget(panel);
    EXPECT_TRUE(test::InkBounds(image, image.rect(), clYellow).isEmpty());
}

TEST(FcPanelGeometry, CaptionPlacement) {
    struct Row {
        const char* name;
        TRect rect;
        int height;
        TAlignmentVertical alignment;
        TRect expected;
    };
    const Row rows[] = {
        {"top", {0, 0, 50, 40}, 13, TAlignmentVertical::avTop, {0, 0, 50, 13}},
        {"centre", {0, 0, 50, 40}, 13, TAlignmentVertical::avCenter, {0, 13, 50, 26}},
        {"bottom", {0, 0, 50, 40}, 13, TAlignmentVertical::avBottom, {0, 26, 50, 40}},
        // A rectangle shorter than the text keeps its top.
        {"bottom, too short", {0, 5, 50, 15}, 13, TAlignmentVertical::avBottom, {0, 5, 50, 15}},
        {"top, too short", {0, 5, 50, 15}, 13, TAlignmentVertical::avTop, {0, 5, 50, 15}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(PlaceCaptionRect(row.rect, row.height, row.alignment), row.expected) << row.name;
}

class GridPanel : public ::testing::Test {
protected:
    // A 20 x 12 panel without borders, white, grid in red.
    QImage Paint(TFcGridStyle style, std::uint16_t gx, std::uint16_t gy) {
        panel.resize(20, 12);
        panel.SetBorderOuter(TFrameStyleEx::fsNone);
        panel.SetColor(gui::clWhite);
        panel.SetGridColor(clRed);
        panel.SetGridStyle(style);
        panel.SetGridXSize(gx);
        panel.SetGridYSize(gy);
        panel.SetShowGrid(true);
        return RenderWidget(panel);
    }
    static std::vector<QPoint> RedPixels(const QImage& image) {
        std::vector<QPoint> out;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (PixelAt(image, x, y) == clRed)
                    out.emplace_back(x, y);
        return out;
    }
    TFcPanel panel;
};

TEST_F(GridPanel, DotsStandAtTheEndOfEveryCell) {
    const auto red = RedPixels(Paint(TFcGridStyle::gsDots, 8, 5));
    const std::vector<QPoint> expected = {{7, 4}, {15, 4}, {7, 9}, {15, 9}};
    EXPECT_EQ(red.size(), expected.size());
    for (QPoint p : expected)
        EXPECT_NE(std::find(red.begin(), red.end(), p), red.end()) << p.x() << "," << p.y();
}

TEST_F(GridPanel, ZeroSizeDrawsNothingAlongThatAxis) {
    EXPECT_TRUE(RedPixels(Paint(TFcGridStyle::gsDots, 0, 5)).empty());
    // Solid lines with GridXSize 0: the horizontal lines only.
    const auto red = RedPixels(Paint(TFcGridStyle::gsSolidLines, 0, 5));
    ASSERT_EQ(red.size(), 40u);
    for (QPoint p : red)
        EXPECT_TRUE(p.y() == 4 || p.y() == 9) << p.x() << "," << p.y();
}

TEST_F(GridPanel, DottedLinesStartOnePixelInAndSkipEveryOther) {
    const auto red = RedPixels(Paint(TFcGridStyle::gsDottedLines, 10, 0));
    // Two vertical lines (x = 9 and 19), pixels at y = 1, 3, ... 11.
    ASSERT_EQ(red.size(), 12u);
    for (QPoint p : red) {
        EXPECT_TRUE(p.x() == 9 || p.x() == 19);
        EXPECT_EQ(p.y() % 2, 1);
    }
}

TEST(FcPanelPicture, GradientRunsFromStartAtTopToStopAtBottom) {
    TFcPanel panel;
    panel.resize(10, 20);
    panel.SetBorderOuter(TFrameStyleEx::fsNone);
    panel.SetVisualStyle(TFcVisualStyle::vsGradient);
    panel.SetGradientColorStyle(TFcGradientColorStyle::gcsCustom);
    panel.SetGradientColorStart(clRed);
    panel.SetGradientColorStop(gui::clBlue);
    const QImage image = RenderWidget(panel);
    EXPECT_EQ(PixelAt(image, 5, 0), clRed);
    const gui::TColor bottom = PixelAt(image, 5, 19);
    EXPECT_LT(gui::GetRValue(bottom), 20);
    EXPECT_GT(gui::GetBValue(bottom), 235);
}

TEST(FcPanelPicture, RoundedFlatFrameSetsTheCornerPixels) {
    TFcPanel panel;
    panel.resize(12, 10);
    panel.SetBorderOuter(TFrameStyleEx::fsFlatRounded);
    panel.SetFlatColor(clRed);
    panel.SetFlatColorAdjustment(0);
    panel.SetColor(clYellow);
    const QImage image = RenderWidget(panel);
    // The fill is grown by one, then its corners take the flat colour: the
    // rounding pixels inside the corners.
    EXPECT_EQ(PixelAt(image, 1, 1), clRed);
    EXPECT_EQ(PixelAt(image, 10, 8), clRed);
    EXPECT_EQ(PixelAt(image, 2, 1), clYellow);
    EXPECT_EQ(PixelAt(image, 5, 5), clYellow);
}

TEST(FcPanelPicture, TransparentPanelBackFillsOnlyWhenItPaintsItsClientArea) {
    TFcPanel parent;
    parent.resize(40, 30);
    parent.SetBorderOuter(TFrameStyleEx::fsNone);
    parent.SetColor(clRed);
    auto* child = new TFcPanel(&parent);
    child->setGeometry(10, 10, 20, 10);
    child->SetBorderOuter(TFrameStyleEx::fsNone);
    child->SetColor(clYellow);
    child->SetTransparent(true);

    // PaintClientArea: the parent's picture under the panel.
    QImage image = RenderWidget(*child);
    EXPECT_EQ(PixelAt(image, 5, 5), clRed);

    child->SetPaintClientArea(false);
    image = RenderWidget(*child);
    EXPECT_EQ(test::PixelAt(image, 5, 5), test::kCanary);

    // On the form the parent shows through either way, never the panel's colour.
    image = RenderWidget(parent);
    EXPECT_EQ(PixelAt(image, 15, 15), clRed);
}

TEST(FcPanelBehaviour, EnablingRestoresEachChildsState) {
    TFcPanel panel;
    auto* a = new QPushButton("A", &panel);
    auto* b = new QPushButton("B", &panel);
    b->setEnabled(false);

    panel.setEnabled(false);
    EXPECT_FALSE(a->isEnabled());
    EXPECT_FALSE(b->isEnabled());
    auto* c = new QPushButton("C", &panel); // added while disabled

    panel.setEnabled(true);
    EXPECT_TRUE(a->isEnabled());
    EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(c->isEnabled());

    // A second round starts from the states of now.
    panel.setEnabled(false);
    panel.setEnabled(true);
    EXPECT_TRUE(a->isEnabled());
    EXPECT_FALSE(b->isEnabled());
}

TEST(FcPanelBehaviour, HeightChangeOfBottomAlignedPanelKeepsItsBottomEdge) {
    struct Row {
        const char* name;
        TAlign align;
        QRect before;
        QSize size;
        QRect expected;
    };
    const Row rows[] = {
        {"bottom", TAlign::alBottom, {0, 100, 50, 40}, {50, 60}, {0, 80, 50, 60}},
        {"right", TAlign::alRight, {100, 0, 40, 50}, {30, 50}, {110, 0, 30, 50}},
        {"top", TAlign::alTop, {0, 100, 50, 40}, {50, 60}, {0, 100, 50, 60}},
    };
    for (const Row& row : rows) {
        TFcPanel panel;
        panel.setGeometry(row.before);
        panel.SetAlign(row.align);
        panel.SetBounds(row.before.x(), row.before.y(), row.size.width(), row.size.height());
        EXPECT_EQ(panel.geometry(), row.expected) << row.name;
    }
}

TEST(FcPanelGeometry, ResizeWithoutFullRepaintRepaintsTheStripsOnly) {
    const TRect inner = {2, 2, 48, 28};
    auto strips = ResizeRepaintStrips(inner, {1, 1}, {50, 30}, {60, 30});
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0], (TRect{47, 0, 60, 30}));
    strips = ResizeRepaintStrips(inner, {1, 1}, {50, 30}, {50, 40});
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0], (TRect{0, 27, 50, 40}));
}

TEST(FcPanelBehaviour, AutoSizeHoldsTheShownChildrenInsideTheBorders) {
    QWidget form;
    form.resize(400, 300);
    auto& panel = *new TFcPanel(&form);
    panel.resize(300, 200);
    auto* a = new QWidget(&panel);
    a->setGeometry(20, 30, 40, 10);
    auto* b = new QWidget(&panel);
    b->setGeometry(50, 15, 30, 20);
    form.show();                              // hidden children tell nothing of their moves
    EXPECT_EQ(panel.size(), QSize(300, 200)); // off: the program's size

    // The children span (20, 15)-(80, 40); fsRaised adds 2 on every side.
    panel.SetAutoSize(true);
    EXPECT_EQ(panel.size(), QSize(64, 29));
    EXPECT_EQ(a->pos(), QPoint(2, 17));
    EXPECT_EQ(b->pos(), QPoint(32, 2));

    // It follows the children and the borders.
    b->hide();
    EXPECT_EQ(panel.size(), QSize(44, 14));
    EXPECT_EQ(a->pos(), QPoint(2, 2));
    a->resize(50, 12);
    EXPECT_EQ(panel.size(), QSize(54, 16));
    panel.SetBorderOuter(TFrameStyleEx::fsNone);
    panel.SetBorderWidth(3);
    EXPECT_EQ(panel.size(), QSize(56, 18));
    EXPECT_EQ(a->pos(), QPoint(3, 3));
    panel.SetBounds(0, 0, 200, 100); // the size stays the children's
    EXPECT_EQ(panel.size(), QSize(56, 18));

    // With a layout the panel takes the layout's size.
    TFcPanel laidOut;
    auto* layout = new QVBoxLayout(&laidOut);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new QPushButton("OK");
    button->setFixedSize(75, 25);
    layout->addWidget(button);
    laidOut.SetAutoSize(true);
    EXPECT_EQ(laidOut.size(), QSize(79, 29));
}

TEST(FcPanelBehaviour, FrameControllerSettingsArriveOnlyWhileFramesShow) {
    TFcFrameController controller;
    TFcPanel panel;
    panel.SetFrameController(&controller);
    // The controller's frames are off: nothing is taken.
    EXPECT_EQ(panel.BorderOuter(), TFrameStyleEx::fsRaised);

    controller.SetColor(clRed);
    controller.SetFrameStyle(TFrameStyleEx::fsFlat);
    controller.SetFrameVisible(true);
    EXPECT_EQ(panel.BorderOuter(), TFrameStyleEx::fsFlat);
    EXPECT_EQ(panel.FlatColor(), gui::clBtnShadow);
    EXPECT_EQ(panel.FlatColorAdjustment(), 0);
    EXPECT_EQ(panel.Color(), clRed);
    EXPECT_EQ(panel.BorderHighlight(), LightenColor(clRed, 100));
    EXPECT_EQ(panel.BorderShadow(), DarkenColor(clRed, 50));
    // The borders were written without moving the children; the next
    // resize aligns them to the new borders.
    EXPECT_EQ(panel.contentsMargins(), QMargins(2, 2, 2, 2));
    panel.SetBounds(0, 0, panel.width() + 1, panel.height());
    EXPECT_EQ(panel.contentsMargins(), QMargins(1, 1, 1, 1));

    // Without fcpColor in the mask the panel keeps its colour.
    panel.SetFrameControllerNotifications(
        TFcFrameControllerNotifications::All().Without(TFcFrameControllerProperty::fcpColor));
    panel.SetColor(clYellow);
    controller.SetColor(gui::clBlue);
    EXPECT_EQ(panel.Color(), clYellow);

    // A destroyed controller clears the link.
    {
        TFcFrameController shortLived;
        panel.SetFrameController(&shortLived);
    }
    EXPECT_EQ(panel.FrameController(), nullptr);
}

// Right to left the class library's panel mirrors its caption's alignment
// (bdRightToLeft only) and reads it from the right.
TEST(FcPanelPicture, RightToLeftCaption) {
    using B = TBiDiMode;
    using A = TAlignment;
    struct Case {
        B mode;
        A alignment;
        int expectedInkSide; // -1 left, 0 middle, 1 right
    };
    const Case cases[] = {
        {B::bdLeftToRight, A::taLeftJustify, -1},        {B::bdRightToLeft, A::taLeftJustify, 1},
        {B::bdRightToLeft, A::taRightJustify, -1},       {B::bdRightToLeft, A::taCenter, 0},
        {B::bdRightToLeftNoAlign, A::taLeftJustify, -1},
    };
    for (const Case& c : cases) {
        TFcPanel panel;
        panel.resize(120, 20);
        panel.SetBorderOuter(TFrameStyleEx::fsNone);
        panel.SetColor(clYellow);
        panel.SetCaption("Abc");
        panel.SetAlignment(c.alignment);
        panel.SetBiDiMode(c.mode);
        const QImage image = RenderWidget(panel);
        const QRect ink = test::InkBounds(image, image.rect(), clYellow);
        ASSERT_FALSE(ink.isEmpty());
        const int middle = (ink.left() + ink.right()) / 2;
        const int side = std::abs(middle - 60) <= 3 ? 0 : middle < 60 ? -1 : 1;
        EXPECT_EQ(side, c.expectedInkSide) << int(c.mode) << " " << int(c.alignment);
        if (side == 1) {
            EXPECT_GE(ink.right(), 115);
        }
        if (side == -1) {
            EXPECT_LE(ink.left(), 4);
        }
    }
}

TEST(FcPanelBehaviour, BottomAlignedPanelKeepsItsBottomEdgeAtTheConstrainedHeight) {
    TFcPanel panel;
    panel.SetAlign(TAlign::alBottom);
    panel.SetBounds(0, 50, 100, 30);
    TSizeConstraints limits;
    limits.SetMaxHeight(40);
    panel.SetConstraints(limits);
    int resized = 0;
    panel.OnResize = [&](QObject*) { ++resized; };
    panel.SetBounds(0, 50, 100, 60);
    EXPECT_EQ(panel.geometry(), QRect(0, 40, 100, 40));
    EXPECT_EQ(resized, 1);
}

// A panel is a container: the focus entering any of its children enters
// the panel.
TEST(FcPanelBehaviour, OnEnterAndOnExitFollowTheFocusThroughTheChildren) {
    QWidget window;
    auto* panel = new TFcPanel(&window);
    panel->setGeometry(0, 0, 100, 60);
    auto* inside = new QPushButton("in", panel);
    auto* nested = new TFcPanel(panel);
    auto* deeper = new QPushButton("deep", nested);
    auto* outside = new QPushButton("out", &window);
    outside->move(0, 70);
    std::vector<std::string> seen;
    panel->OnEnter = [&](QObject*) { seen.push_back("enter"); };
    panel->OnExit = [&](QObject*) { seen.push_back("exit"); };
    window.show();
    window.activateWindow();
    auto focus = [](QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        return w->hasFocus();
    };
    if (!focus(outside))
        GTEST_SKIP() << "the platform gives no focus";
    EXPECT_TRUE(seen.empty());
    focus(inside);
    focus(deeper); // still inside the panel
    focus(outside);
    EXPECT_EQ(seen, (std::vector<std::string>{"enter", "exit"}));
    // Deleting the panel while a child has the focus moves the focus, and
    // the half-destroyed panel hears nothing of it.
    focus(inside);
    delete panel;
    EXPECT_EQ(seen, (std::vector<std::string>{"enter", "exit", "enter"}));
}

} // namespace
} // namespace vdx
