// The canvas's drawing rules, pixel by pixel.
#include "platform/gui/canvas.h"

#include "Picture.h"

#include <gtest/gtest.h>

#include <array>

namespace vdx::gui {
namespace {

using test::CanaryImage;
using test::Picture;
using test::Rows;

const std::vector<test::LegendEntry> kLegend = {{'k', clBlack}, {'w', clWhite}, {'r', clRed}};

TEST(Canvas, LinesLeaveOutTheirEndPixel) {
    struct Case {
        const char* name;
        TPoint from, to;
        std::string picture;
    };
    const Case cases[] = {
        {"rightward", {0, 1}, {4, 1}, Rows({".....", "kkkk.", ".....", ".....", "....."})},
        {"leftward", {4, 1}, {0, 1}, Rows({".....", ".kkkk", ".....", ".....", "....."})},
        {"downward", {2, 0}, {2, 4}, Rows({"..k..", "..k..", "..k..", "..k..", "....."})},
        {"diagonal", {0, 0}, {4, 4}, Rows({"k....", ".k...", "..k..", "...k.", "....."})},
        {"up-right", {0, 4}, {4, 0}, Rows({".....", "...k.", "..k..", ".k...", "k...."})},
        {"one point", {2, 2}, {2, 2}, Rows({".....", ".....", ".....", ".....", "....."})},
    };
    for (const Case& c : cases) {
        QImage image = CanaryImage(5, 5);
        {
            TCanvas canvas(image);
            canvas.MoveTo(c.from.X, c.from.Y);
            canvas.LineTo(c.to.X, c.to.Y);
            EXPECT_EQ(canvas.PenPos, c.to) << c.name;
        }
        EXPECT_EQ(Picture(image, kLegend), c.picture) << c.name;
    }
}

TEST(Canvas, RectangleOutlinesAndFillsWithoutRightAndBottomEdge) {
    QImage image = CanaryImage(6, 5);
    {
        TCanvas canvas(image);
        canvas.Pen.Color = clBlack;
        canvas.Brush.SetColor(clWhite);
        canvas.Rectangle(0, 0, 5, 4);
    }
    EXPECT_EQ(Picture(image, kLegend), Rows({"kkkkk.", "kwwwk.", "kwwwk.", "kkkkk.", "......"}));

    // Without a pen the fill ends one pixel short at the right and bottom.
    QImage clear = CanaryImage(6, 5);
    {
        TCanvas canvas(clear);
        canvas.Pen.Style = TPenStyle::psClear;
        canvas.Brush.SetColor(clRed);
        canvas.Rectangle(0, 0, 5, 4);
    }
    EXPECT_EQ(Picture(clear, kLegend), Rows({"rrrr..", "rrrr..", "rrrr..", "......", "......"}));
}

TEST(Canvas, FillRectAndFrameRect) {
    QImage image = CanaryImage(6, 5);
    {
        TCanvas canvas(image);
        canvas.Brush.SetColor(clRed);
        canvas.FillRect(Rect(0, 0, 3, 2));
        canvas.Brush.SetColor(clBlack);
        canvas.FrameRect(Rect(2, 1, 6, 5));
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.FillRect(Rect(0, 0, 6, 5)); // a clear brush paints nothing
    }
    EXPECT_EQ(Picture(image, kLegend), Rows({"rrr...", "rrkkkk", "..k..k", "..k..k", "..kkkk"}));
}

TEST(Canvas, ColouringAClearBrushMakesItSolid) {
    TBrush brush;
    brush.SetStyle(TBrushStyle::bsClear);
    brush.SetColor(clRed);
    EXPECT_EQ(brush.Style(), TBrushStyle::bsSolid);
}

TEST(Canvas, PolygonFillLeavesOutRightAndBottomEdges) {
    QImage image = CanaryImage(9, 6);
    {
        TCanvas canvas(image);
        canvas.Pen.Style = TPenStyle::psClear;
        canvas.Brush.SetColor(clBlack);
        const std::array<TPoint, 3> down = {{{4, 5}, {1, 1}, {8, 1}}};
        canvas.Polygon(down);
        const std::array<TPoint, 4> box = {{{0, 0}, {2, 0}, {2, 1}, {0, 1}}};
        canvas.Brush.SetColor(clRed);
        canvas.Polygon(box);
    }
    EXPECT_EQ(Picture(image, kLegend),
              Rows({"rr.......", ".kkkkkkk.", "..kkkkk..", "...kkk...", "....k....", "........."}));
}

TEST(Canvas, PolygonWithPenIsOutlinedToItsLastPixel) {
    QImage image = CanaryImage(4, 4);
    {
        TCanvas canvas(image);
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        const std::array<TPoint, 4> box = {{{0, 0}, {3, 0}, {3, 3}, {0, 3}}};
        canvas.Polygon(box);
    }
    EXPECT_EQ(Picture(image, kLegend), Rows({"kkkk", "k..k", "k..k", "kkkk"}));
}

TEST(Canvas, DottedPenPaintsGapsWithASolidBrush) {
    QImage image = CanaryImage(8, 2);
    {
        TCanvas canvas(image);
        canvas.Pen.Style = TPenStyle::psDot;
        canvas.Brush.SetStyle(TBrushStyle::bsClear);
        canvas.MoveTo(0, 0);
        canvas.LineTo(8, 0);
        canvas.Brush.SetColor(clWhite);
        canvas.MoveTo(0, 1);
        canvas.LineTo(8, 1);
    }
    EXPECT_EQ(Picture(image, kLegend), Rows({"kkk...kk", "kkkwwwkk"}));
}

TEST(Canvas, ClipStackRestoresWhatWasSaved) {
    QImage image = CanaryImage(6, 3);
    {
        TCanvas canvas(image);
        canvas.Brush.SetColor(clRed);
        canvas.PushClip();
        canvas.IntersectClipRect(Rect(1, 0, 5, 3));
        canvas.ExcludeClipRect(Rect(2, 1, 4, 2));
        EXPECT_EQ(canvas.ClipRect(), Rect(1, 0, 5, 3));
        canvas.FillRect(Rect(0, 0, 6, 3));
        canvas.PopClip();
        canvas.Brush.SetColor(clBlack);
        canvas.FillRect(Rect(0, 2, 6, 3));
        EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 6, 3));
    }
    EXPECT_EQ(Picture(image, kLegend), Rows({".rrrr.", ".r..r.", "kkkkkk"}));
}

TEST(Canvas, OffsetOriginAndPixels) {
    QImage image = CanaryImage(4, 4);
    TCanvas canvas(image);
    canvas.OffsetOrigin(2, 1);
    canvas.SetPixel(0, 0, clRed);
    EXPECT_EQ(canvas.Pixel(0, 0), ColorToRGB(clRed));
    EXPECT_EQ(canvas.Pixel(-2, -1), test::kCanary);
    EXPECT_EQ(canvas.Pixel(5, 5), clNone); // outside the image
    canvas.Release();
    EXPECT_EQ(FromQColor(image.pixelColor(2, 1)), ColorToRGB(clRed));
}

TEST(Canvas, OnABorrowedPainterTheCallersStateComesBack) {
    QImage image = CanaryImage(3, 1);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    {
        TCanvas canvas(painter);
        EXPECT_FALSE(painter.testRenderHint(QPainter::Antialiasing));
        canvas.IntersectClipRect(Rect(0, 0, 2, 1));
        canvas.MoveTo(0, 0);
        canvas.LineTo(3, 0);
    }
    EXPECT_TRUE(painter.testRenderHint(QPainter::Antialiasing));
    EXPECT_FALSE(painter.hasClipping());
    painter.end();
    EXPECT_EQ(Picture(image, kLegend), Rows({"kk."}));
}

TEST(Canvas, TextOutFillsItsBackgroundAndMovesThePen) {
    QImage image = CanaryImage(60, 20);
    TCanvas canvas(image);
    canvas.Brush.SetColor(clWhite);
    canvas.Font.Color = clBlack;
    const TSize extent = canvas.TextExtent("Hi");
    canvas.TextOut(3, 2, "Hi");
    EXPECT_EQ(canvas.PenPos, Point(3 + extent.cx, 2));
    canvas.Release();
    // The cell is painted: its corners in the brush colour, canary outside.
    EXPECT_EQ(FromQColor(image.pixelColor(3, 2)), clWhite);
    EXPECT_EQ(FromQColor(image.pixelColor(3 + extent.cx - 1, 2 + extent.cy - 1)), clWhite);
    EXPECT_EQ(FromQColor(image.pixelColor(3 + extent.cx, 2)), test::kCanary);
    EXPECT_EQ(FromQColor(image.pixelColor(2, 2)), test::kCanary);
}

// A right-aligned line with tabs is the mirror image of a left-aligned one:
// mirrored about x = 100 (x 10 and origin 0 against x 190 and origin 200),
// the painted cell and the place of each column are mirrored too.
TEST(Canvas, RightAlignedTabbedTextIsTheMirrorOfLeftAligned) {
    struct Case {
        const char* name;
        unsigned align;
        int x, origin;
    };
    const Case cases[] = {{"left", TA_LEFT, 10, 0},
                          {"right", TA_RIGHT, 190, 200},
                          {"right, read from the right", TA_RIGHT | TA_RTLREADING, 190, 200}};
    int secondColumnWidth = 0;
    std::vector<std::pair<int, int>> cells; // first and last pixel painted
    std::vector<std::pair<int, int>> secondInk;
    for (const Case& c : cases) {
        QImage image = CanaryImage(200, 20);
        TCanvas canvas(image);
        canvas.Font.Color = clBlack;
        secondColumnWidth = canvas.TextWidth("WW");
        canvas.TextAlign = c.align;
        canvas.Brush.SetColor(clWhite);
        const TSize cell = canvas.TabbedTextOut(c.x, 2, "iii\tWW", {40}, c.origin);
        EXPECT_EQ(cell.cx, 30 + secondColumnWidth) << c.name;
        canvas.Release();
        int first = -1, last = -1, inkFirst = -1, inkLast = -1;
        for (int x = 0; x < 200; ++x) {
            const TColor px = FromQColor(image.pixelColor(x, 3));
            if (px != test::kCanary) {
                first = first < 0 ? x : first;
                last = x;
            }
        }
        // The ink of the second column: past the first one, on its side of
        // the mirror line.
        const bool left = c.align == TA_LEFT;
        for (int x = left ? 30 : 100; x < (left ? 100 : 170); ++x)
            for (int y = 2; y < 18; ++y)
                if (const TColor px = FromQColor(image.pixelColor(x, y));
                    px != clWhite && px != test::kCanary) {
                    inkFirst = inkFirst < 0 ? x : std::min(inkFirst, x);
                    inkLast = std::max(inkLast, x);
                }
        cells.emplace_back(first, last);
        secondInk.emplace_back(inkFirst, inkLast);
    }
    EXPECT_EQ(cells[0], std::make_pair(10, 39 + secondColumnWidth));
    for (std::size_t i = 1; i < cells.size(); ++i) {
        EXPECT_EQ(cells[i], std::make_pair(200 - 1 - cells[0].second, 200 - 1 - cells[0].first))
            << cases[i].name;
        // The second column ends at the stop, 40 from the origin.
        EXPECT_GE(secondInk[i].first, 160 - secondColumnWidth) << cases[i].name;
        EXPECT_LT(secondInk[i].second, 160) << cases[i].name;
        EXPECT_GT(secondInk[i].second, 160 - secondColumnWidth / 2) << cases[i].name;
    }
    EXPECT_GE(secondInk[0].first, 40);
    EXPECT_LT(secondInk[0].second, 40 + secondColumnWidth);
}

} // namespace
} // namespace vdx::gui
