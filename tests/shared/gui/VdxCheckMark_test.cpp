// The user grid's check mark.
#include "shared/gui/VdxCheckMark.h"

#include "Picture.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace vdx {
namespace {

using namespace gui;

TEST(CheckMark, ThreeStrokesInANineBySixBoxCentredInTheCell) {
    QImage image = test::CanaryImage(80, 18);
    {
        TCanvas canvas(image);
        canvas.Brush.SetColor(clWhite);
        DrawCheckMark(canvas, Rect(0, 0, 80, 18), clBlack);
        EXPECT_EQ(canvas.Pen.Color, clBlack);
    }
    // The box stands at x0 = 35, y0 = 6.
    std::set<std::pair<int, int>> expected;
    const int x0 = 35, y0 = 6;
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 3; ++i)
            expected.insert({x0 + i, y0 + 2 + k + i});
        for (int i = 0; i < 6; ++i)
            expected.insert({x0 + 3 + i, y0 + 5 + k - i});
    }
    ASSERT_EQ(expected.size(), 27u);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 80; ++x) {
            const TColor c = FromQColor(image.pixelColor(x, y));
            EXPECT_EQ(c, expected.count({x, y}) ? clBlack : clWhite) << x << "," << y;
        }
}

TEST(CheckMark, OddCellsCentreTowardTheTopLeft) {
    QImage image = test::CanaryImage(14, 10);
    {
        TCanvas canvas(image);
        canvas.Brush.SetColor(clWhite);
        DrawCheckMark(canvas, Rect(2, 1, 14, 10), clRed); // x0 = 3, y0 = 2
    }
    EXPECT_EQ(test::Picture(image, {{'w', clWhite}, {'r', clRed}}),
              test::Rows({"..............", "..wwwwwwwwwwww", "..wwwwwwwwwrww", "..wwwwwwwwrrww",
                          "..wrwwwwwrrrww", "..wrrwwwrrrwww", "..wrrrwrrrwwww", "..wwrrrrrwwwww",
                          "..wwwrrrwwwwww", "..wwwwrwwwwwww"}));
}

} // namespace
} // namespace vdx
