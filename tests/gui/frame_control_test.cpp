// The classic check box of the frame-control painter, pixel by pixel.
#include "platform/gui/frame_control.h"

#include "Picture.h"

#include <gtest/gtest.h>

namespace vdx::gui {
namespace {

using test::CanaryImage;
using test::Picture;
using test::Rows;

// In the fixed scheme: w white (highlight, window), s grey (shadow), k black
// (dark shadow, window text), f silver (face, 3D light).
const std::vector<test::LegendEntry> kLegend = {
    {'w', clWhite}, {'s', clGray}, {'k', clBlack}, {'f', clSilver}};

QImage Paint(unsigned state, int width = 13, int height = 13) {
    QImage image = CanaryImage(width, height);
    TCanvas canvas(image);
    EXPECT_TRUE(DrawFrameControl(canvas, Rect(0, 0, width, height), DFC_BUTTON, state));
    return image;
}

TEST(FrameControlCheckBox, CheckedBoxIsSunkenWithTheMarkInTheMiddle) {
    const std::string expected = Rows({
        "ssssssssssssw", //
        "skkkkkkkkkkfw", //
        "skwwwwwwwwwfw", //
        "skwwwwwwwkwfw", //
        "skwwwwwwkkwfw", //
        "skwkwwwkkkwfw", //
        "skwkkwkkkwwfw", //
        "skwkkkkkwwwfw", //
        "skwwkkkwwwwfw", //
        "skwwwkwwwwwfw", //
        "skwwwwwwwwwfw", //
        "sfffffffffffw", //
        "wwwwwwwwwwwww", //
    });
    EXPECT_EQ(Picture(Paint(DFCS_BUTTONCHECK | DFCS_CHECKED), kLegend), expected);
}

TEST(FrameControlCheckBox, GrayedBoxHasAGreyMarkOnACheckerboard) {
    const std::string expected = Rows({
        "ssssssssssssw", //
        "skkkkkkkkkkfw", //
        "skwfwfwfwfwfw", //
        "skfwfwfwfsffw", //
        "skwfwfwfsswfw", //
        "skfsfwfsssffw", //
        "skwssfsssfwfw", //
        "skfsssssfwffw", //
        "skwfsssfwfwfw", //
        "skfwfsfwfwffw", //
        "skwfwfwfwfwfw", //
        "sfffffffffffw", //
        "wwwwwwwwwwwww", //
    });
    EXPECT_EQ(Picture(Paint(DFCS_BUTTON3STATE | DFCS_CHECKED), kLegend), expected);
}

TEST(FrameControlCheckBox, InteriorAndMarkByState) {
    struct Row {
        const char* name;
        unsigned state;
        TColor interior; // at (2, 2)
        TColor mark;     // at (6, 8), a pixel of the mark
    };
    const Row rows[] = {
        {"unchecked", DFCS_BUTTONCHECK, clWhite, clWhite},
        {"three-state, not checked", DFCS_BUTTON3STATE, clWhite, clWhite},
        {"checked", DFCS_CHECKED, clWhite, clBlack},
        {"checked, pushed", DFCS_CHECKED | DFCS_PUSHED, clSilver, clBlack},
        {"checked, inactive", DFCS_CHECKED | DFCS_INACTIVE, clSilver, clGray},
        {"unchecked, pushed", DFCS_PUSHED, clSilver, clSilver},
    };
    for (const Row& row : rows) {
        const QImage image = Paint(row.state);
        EXPECT_EQ(FromQColor(image.pixelColor(2, 2)), row.interior) << row.name;
        EXPECT_EQ(FromQColor(image.pixelColor(6, 8)), row.mark) << row.name;
    }
}

TEST(FrameControlCheckBox, BoxIsTheSquareOfTheSmallerSideAtTheTopLeft) {
    const QImage image = Paint(DFCS_CHECKED, 17, 15);
    EXPECT_EQ(FromQColor(image.pixelColor(14, 14)), clWhite); // lower-right corner
    EXPECT_EQ(FromQColor(image.pixelColor(15, 0)), test::kCanary);
    EXPECT_EQ(FromQColor(image.pixelColor(7, 9)), clBlack); // the mark moved to the middle
}

TEST(FrameControlCheckBox, OtherKindsAndTinyBoxesPaintNothing) {
    QImage image = CanaryImage(13, 13);
    TCanvas canvas(image);
    EXPECT_FALSE(DrawFrameControl(canvas, Rect(0, 0, 13, 13), 3, DFCS_CHECKED));    // a scroll part
    EXPECT_FALSE(DrawFrameControl(canvas, Rect(0, 0, 13, 13), DFC_BUTTON, 0x0004)); // radio
    EXPECT_FALSE(DrawFrameControl(canvas, Rect(0, 0, 3, 13), DFC_BUTTON, DFCS_CHECKED));
    canvas.Release();
    EXPECT_EQ(Picture(image, kLegend), Picture(CanaryImage(13, 13), kLegend));
}

} // namespace
} // namespace vdx::gui
