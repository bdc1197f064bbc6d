#include "controls/panels/FcStatusBar.h"

#include "Picture.h"
#include "WidgetPictures.h"
#include "buttons/ButtonInput.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace vdx {
namespace {

using gui::clBtnFace;
using test::PixelAt;
using test::RenderWidget;
using test::Shown;

// A form holding a bar along its bottom.
struct BarOnForm {
    explicit BarOnForm(int width = 300) {
        form.resize(width, 120);
        bar = new TFcStatusBar(&form);
        bar->setGeometry(0, 120 - 19, width, 19);
    }
    QWidget form;
    TFcStatusBar* bar = nullptr;
};

TEST(FcStatusBarGeometry, ScalePaneWidths) {
    struct Row {
        const char* name;
        std::vector<int> widths;
        int change, lastWidth;
        std::vector<int> expected;
    };
    const Row rows[] = {
        {"shares of a growth", {100, 50}, 60, 300, {120, 60}},
        {"shares of a shrink", {100, 50}, -30, 300, {90, 45}},
        // 5 x 50 / 100 = 2.5 and 5 x 30 / 100 = 1.5: ties go to even.
        {"ties to even", {50, 30}, 5, 100, {52, 32}},
        {"no last width: equal shares", {40, 40, 40}, 30, 0, {50, 50, 50}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScalePaneWidths(row.widths, row.change, row.lastWidth), row.expected) << row.name;
}

TEST(FcStatusBarBehaviour, PanesScaleWithTheBar) {
    BarOnForm f;
    f.bar->SetAutoScalePanes(true);
    auto* a = new QWidget(f.bar);
    a->setGeometry(0, 1, 100, 17);
    auto* b = new QWidget(f.bar);
    b->setGeometry(100, 1, 50, 17);
    f.form.show();
    QApplication::processEvents();
    ASSERT_EQ(f.bar->width(), 300);

    f.bar->resize(360, 19);
    EXPECT_EQ(a->width(), 120);
    EXPECT_EQ(b->width(), 60);

    // Below 50 pixels neither the panes nor the remembered width change.
    f.bar->resize(40, 19);
    EXPECT_EQ(a->width(), 120);
    f.bar->resize(300, 19);
    EXPECT_EQ(a->width(), 100);
    EXPECT_EQ(b->width(), 50);

    // Without AutoScalePanes the panes keep their widths.
    f.bar->SetAutoScalePanes(false);
    f.bar->resize(600, 19);
    EXPECT_EQ(a->width(), 100);
}

TEST(FcStatusBarBehaviour, SimpleStatusHidesThePanesAndBringsBackTheVisibleOnes) {
    BarOnForm f;
    auto* shown = new QWidget(f.bar);
    auto* hidden = new QWidget(f.bar);
    hidden->hide();
    f.form.show();
    ASSERT_TRUE(shown->isVisible());

    f.bar->SetSimpleStatus(true);
    EXPECT_FALSE(shown->isVisible());
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_EQ(f.bar->contentsRect().top(), 1);

    f.bar->SetSimpleStatus(false);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_EQ(f.bar->contentsRect().top(), 0);
}

// The grip's six raised dots in the bottom-right corner of a 60 x 19 bar
// (columns 45 .. 59, rows 4 .. 18).
TEST(FcStatusBarPicture, SizeGripDots) {
    BarOnForm f(60);
    const QImage image = RenderWidget(*f.bar);
    const std::vector<test::LegendEntry> legend = {
        {'f', clBtnFace}, {'s', gui::clBtnShadow}, {'w', gui::clBtnHighlight}};
    EXPECT_EQ(test::Picture(image.copy(45, 4, 15, 15), legend), test::Rows({
                                                                    "fffffffffffffff", //
                                                                    "fffffffffssffff", //
                                                                    "fffffffffsswfff", //
                                                                    "ffffffffffwwfff", //
                                                                    "fffffffffffffff", //
                                                                    "fffffssffssffff", //
                                                                    "fffffsswfsswfff", //
                                                                    "ffffffwwffwwfff", //
                                                                    "fffffffffffffff", //
                                                                    "fssffssffssffff", //
                                                                    "fsswfsswfsswfff", //
                                                                    "ffwwffwwffwwfff", //
                                                                    "fffffffffffffff", //
                                                                    "fffffffffffffff", //
                                                                    "fffffffffffffff", //
                                                                }));
}

TEST(FcStatusBarBehaviour, GripOnlyOnAFormThatMayBeResized) {
    struct Row {
        const char* name;
        bool fixed, maximised, show;
        bool active;
    };
    const Row rows[] = {
        {"resizable form", false, false, true, true},
        {"fixed-size form", true, false, true, false},
        {"maximised form", false, true, true, false},
        {"grip switched off", false, false, false, false},
    };
    for (const Row& row : rows) {
        BarOnForm f(60);
        if (row.fixed)
            f.form.setFixedSize(60, 120);
        if (row.maximised)
            f.form.setWindowState(Qt::WindowMaximized);
        f.bar->SetShowSizeGrip(row.show);
        EXPECT_EQ(f.bar->SizeGripActive(), row.active) << row.name;
        const QImage image = RenderWidget(*f.bar);
        EXPECT_EQ(PixelAt(image, 56, 15) == Shown(gui::clBtnHighlight), row.active) << row.name;
    }
    TFcStatusBar alone;
    EXPECT_FALSE(alone.SizeGripActive());
}

TEST(FcStatusBarBehaviour, PressOnTheGripResizesTheFormInsteadOfClicking) {
    BarOnForm f(200);
    f.form.show();
    QApplication::processEvents();
    int downs = 0, clicks = 0;
    f.bar->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        ++downs;
    };
    f.bar->OnClick = [&](QObject*) { ++clicks; };

    const QSize before = f.form.size();
    test::Press(*f.bar, {195, 10});
    test::MoveTo(*f.bar, {225, 30});
    test::Release(*f.bar, {225, 30});
    EXPECT_EQ(f.form.size(), before + QSize(30, 20));
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(clicks, 0);

    // Outside the grip the press is the bar's own.
    test::Click(*f.bar, {100, 10});
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(clicks, 1);
}

TEST(FcStatusBarBehaviour, AutoStyleResetsTheLookWhenLoaded) {
    BarOnForm f;
    f.bar->BeginLoading();
    f.bar->SetBorderWidth(3);
    f.bar->SetBounds(0, 60, 300, 40);
    const int bottom = f.bar->geometry().bottom();
    f.bar->Loaded();
    EXPECT_EQ(f.bar->BorderWidth(), 0);
    EXPECT_EQ(f.bar->height(), 19);
    EXPECT_EQ(f.bar->geometry().bottom(), bottom); // aligned at the bottom
    EXPECT_TRUE(f.bar->AutoStyle());

    // A border set explicitly clears AutoStyle, so loading keeps it.
    f.bar->BeginLoading();
    f.bar->SetBorderOuter(TFrameStyleEx::fsRaised);
    EXPECT_FALSE(f.bar->AutoStyle());
    f.bar->Loaded();
    EXPECT_EQ(f.bar->BorderOuter(), TFrameStyleEx::fsRaised);
}

TEST(FcStatusBarPicture, SimpleStatusInAClassicFlatFrame) {
    BarOnForm f(100);
    f.bar->SetVisualStyle(TFcVisualStyle::vsClassic);
    f.bar->SetShowSizeGrip(false);
    f.bar->SetFlatColor(gui::clRed);
    f.bar->SetFlatColorAdjustment(0);
    f.bar->SetSimpleCaption("Ready");
    f.bar->SetSimpleStatus(true);
    const QImage image = RenderWidget(*f.bar);
    // The frame round (1, 1) .. (99, 18), its corners cut.
    EXPECT_EQ(PixelAt(image, 1, 1), Shown(clBtnFace));
    EXPECT_EQ(PixelAt(image, 2, 1), gui::clRed);
    EXPECT_EQ(PixelAt(image, 1, 2), gui::clRed);
    EXPECT_EQ(PixelAt(image, 98, 10), gui::clRed);
    EXPECT_EQ(PixelAt(image, 50, 17), gui::clRed);
    EXPECT_EQ(PixelAt(image, 98, 17), Shown(clBtnFace));
    // The caption starts two pixels inside the frame.
    const QRect ink = test::InkBounds(image, QRect(2, 2, 96, 15), clBtnFace);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 4);
    EXPECT_LE(ink.left(), 6);

    // Other frame styles go round the same area; vsWinXP draws none.
    f.bar->SetSimpleFrameStyle(TFrameStyleEx::fsLowered);
    EXPECT_EQ(PixelAt(RenderWidget(*f.bar), 1, 1), Shown(gui::clBtnShadow));
    f.bar->SetVisualStyle(TFcVisualStyle::vsWinXP);
    EXPECT_EQ(PixelAt(RenderWidget(*f.bar), 1, 1), Shown(clBtnFace));
}

TEST(FcStatusBarPicture, GradientRunsTheOtherWayRound) {
    BarOnForm f(100);
    f.bar->SetShowSizeGrip(false);
    f.bar->SetVisualStyle(TFcVisualStyle::vsGradient);
    f.bar->SetGradientColorStyle(TFcGradientColorStyle::gcsCustom);
    f.bar->SetGradientColorStart(gui::clRed);
    f.bar->SetGradientColorStop(gui::clBlue);
    const QImage image = RenderWidget(*f.bar);
    EXPECT_EQ(PixelAt(image, 50, 0), gui::clBlue);
    EXPECT_EQ(PixelAt(image, 50, 18), gui::clRed);
}

} // namespace
} // namespace vdx
