// Pattern brushes: the two-colour pattern and fills lined up with the
// canvas origin.
#include "platform/gui/pattern_brush.h"

#include "Picture.h"

#include <gtest/gtest.h>

namespace vdx::gui {
namespace {

TEST(PatternBrush, TwoColourPattern) {
    EXPECT_EQ(test::Picture(AllocPatternBitmap(clBtnFace, clBtnHighlight), test::ClassicLegend()),
              test::Rows({"wfwfwfwf", "fwfwfwfw", "wfwfwfwf", "fwfwfwfw", "wfwfwfwf", "fwfwfwfw",
                          "wfwfwfwf", "fwfwfwfw"}));
}

TEST(PatternBrush, FillRepeatsFromTheCanvasOrigin) {
    // A 3 x 2 pattern: red, lime, blue over yellow, yellow, yellow.
    QImage pattern(3, 2, QImage::Format_RGB32);
    pattern.fill(ToQColor(clYellow));
    pattern.setPixelColor(0, 0, ToQColor(clRed));
    pattern.setPixelColor(1, 0, ToQColor(clLime));
    pattern.setPixelColor(2, 0, ToQColor(clBlue));
    const std::vector<test::LegendEntry> legend = {
        {'r', clRed}, {'l', clLime}, {'b', clBlue}, {'y', clYellow}};
    QImage image = test::CanaryImage(8, 5);
    {
        TCanvas canvas(image);
        FillRectPattern(canvas, Rect(1, 1, 7, 4), pattern);
        // With the origin moved, the pattern starts at the new origin.
        canvas.OffsetOrigin(5, 4);
        FillRectPattern(canvas, Rect(0, 0, 2, 1), pattern);
        FillRectPattern(canvas, Rect(0, 0, 0, 0), pattern); // empty: nothing
    }
    EXPECT_EQ(test::Picture(image, legend),
              test::Rows({"........", ".yyyyyy.", ".lbrlbr.", ".yyyyyy.", ".....rl."}));
}

} // namespace
} // namespace vdx::gui
