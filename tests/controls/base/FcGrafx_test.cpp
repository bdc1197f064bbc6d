// Gradients, glyphs and arrows, pixel by pixel.
#include "controls/base/FcGrafx.h"

#include "controls/base/FcCommon.h"

#include "Picture.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>

namespace vdx {
namespace {

using namespace gui;
using test::CanaryImage;
using test::Picture;
using test::Rows;

TColor At(const QImage& image, int x, int y) {
    return FromQColor(image.pixelColor(x, y));
}

QImage Gradient(int w, int h, TGradientDirection d, TColor start, TColor stop, TRect r = {}) {
    QImage image = CanaryImage(w, h);
    TCanvas canvas(image);
    PaintGradient(canvas, r.IsEmpty() && r.Right == 0 ? Rect(0, 0, w, h) : r, d, start, stop, 1);
    return image;
}

bool MirroredLeftRight(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != img.pixel(img.width() - 1 - x, y))
                return false;
    return true;
}
bool MirroredTopBottom(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != img.pixel(x, img.height() - 1 - y))
                return false;
    return true;
}

using D = TGradientDirection;

TEST(Gradients, EmptyRectanglesPaintNothing) {
    for (D d : {D::gdDiagonalUp, D::gdHorizontalCenter, D::gdSquareBox, D::gdHorizontalEnd}) {
        const QImage image = Gradient(4, 4, d, clBlack, clWhite, Rect(1, 1, 1, 4));
        EXPECT_EQ(Picture(image, {}), Rows({"....", "....", "....", "...."})) << int(d);
    }
}

TEST(Gradients, EndDirectionsGoFromEdgeToEdge) {
    QImage h = Gradient(3, 5, D::gdHorizontalEnd, clBlack, clWhite);
    QImage v = Gradient(5, 3, D::gdVerticalEnd, clBlack, clWhite);
    // StartColor on the first row or column, StopColor on the last.
    const std::uint8_t expected[] = {0, 63, 127, 191, 255};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(At(h, 1, i), RGB(expected[i], expected[i], expected[i])) << i;
        EXPECT_EQ(At(v, i, 1), RGB(expected[i], expected[i], expected[i])) << i;
    }
}

TEST(Gradients, CentreDirectionsAreSymmetric) {
    const TColor start(0x000000), stop(0xF0F0F0);
    const QImage h = Gradient(12, 10, D::gdHorizontalCenter, start, stop);
    EXPECT_TRUE(MirroredTopBottom(h));
    EXPECT_EQ(At(h, 0, 0), start);
    EXPECT_EQ(At(h, 11, 9), start);
    EXPECT_EQ(At(h, 5, 4), stop);
    EXPECT_EQ(At(h, 5, 5), stop);
    for (int y = 0; y < 10; ++y) // horizontal bands across the whole width
        EXPECT_EQ(At(h, 0, y), At(h, 11, y)) << y;
    const QImage v = Gradient(9, 3, D::gdVerticalCenter, start, stop);
    EXPECT_TRUE(MirroredLeftRight(v));
    EXPECT_EQ(At(v, 0, 2), start);
    EXPECT_EQ(At(v, 4, 0), stop);
    EXPECT_NE(At(v, 3, 0), stop);
    // One pixel across the gradient: that pixel is both edges, all StartColor.
    EXPECT_EQ(Picture(Gradient(1, 10, D::gdVerticalCenter, clRed, clBlue), {{'r', clRed}}),
              Rows({"r", "r", "r", "r", "r", "r", "r", "r", "r", "r"}));
    EXPECT_EQ(Picture(Gradient(10, 1, D::gdHorizontalCenter, clRed, clBlue), {{'r', clRed}}),
              Rows({"rrrrrrrrrr"}));
}

TEST(Gradients, BoxDirections) {
    const TColor start(0x204060), stop(0xE0C0A0);
    for (D d : {D::gdHorizontalBox, D::gdVerticalBox, D::gdSquareBox, D::gdBigSquareBox}) {
        for (auto [w, h] : {std::pair{12, 9}, std::pair{11, 10}}) {
            const QImage img = Gradient(w, h, d, start, stop);
            EXPECT_TRUE(MirroredLeftRight(img)) << int(d) << " " << w;
            EXPECT_TRUE(MirroredTopBottom(img)) << int(d) << " " << w;
            EXPECT_EQ(At(img, 0, 0), start) << int(d);
            EXPECT_EQ(At(img, w - 1, h - 1), start) << int(d);
            EXPECT_EQ(At(img, (w - 1) / 2, (h - 1) / 2), stop) << int(d);
        }
    }
    // Small or single-coloured boxes are a plain StartColor fill.
    EXPECT_EQ(Picture(Gradient(4, 3, D::gdSquareBox, clRed, clBlue), {{'r', clRed}}),
              Rows({"rrrr", "rrrr", "rrrr"}));
    EXPECT_EQ(Picture(Gradient(8, 6, D::gdBigSquareBox, clRed, clRed), {{'r', clRed}}),
              Rows({"rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr", "rrrrrrrr"}));
}

TEST(Gradients, DiagonalDirections) {
    const TColor start(0x0000FF), stop(0xFF0000);
    const QImage up = Gradient(7, 5, D::gdDiagonalUp, start, stop);
    EXPECT_EQ(At(up, 0, 4), start);
    EXPECT_EQ(At(up, 6, 0), stop);
    EXPECT_EQ(At(up, 0, 0), At(up, 6, 4)); // the other diagonal is one band
    const QImage down = Gradient(7, 5, D::gdDiagonalDown, start, stop);
    EXPECT_EQ(At(down, 0, 0), start);
    EXPECT_EQ(At(down, 6, 4), stop);
    const QImage flat = Gradient(3, 2, D::gdDiagonalUp, clRed, clRed);
    EXPECT_EQ(Picture(flat, {{'r', clRed}}), Rows({"rrr", "rrr"}));
}

TEST(Gradients, BandSlack) {
    struct Case {
        std::uint8_t steps;
        bool box;
        int slack;
    };
    const Case cases[] = {{0, false, 0},   {1, false, 0},  {4, false, 3},
                          {16, false, 15}, {16, true, 16}, {255, false, 1}};
    for (const Case& c : cases)
        EXPECT_EQ(GradientBandSlack(c.steps, c.box), c.slack) << int(c.steps);
    // Four steps: every band at least four pixels wide.
    QImage image = CanaryImage(8, 16);
    {
        TCanvas canvas(image);
        FillLinearGradient(canvas, 0, -1, 16, clBlack, clWhite, 4);
    }
    EXPECT_EQ(At(image, 7, 0), clBlack);
    EXPECT_EQ(At(image, 7, 12), RGB(204, 204, 204)); // the last band keeps its first colour
    for (int y = 0; y < 16; y += 4) {
        if (y > 0) {
            EXPECT_NE(At(image, 0, y), At(image, 0, y - 1)) << y;
        }
        for (int i = 1; i < 4; ++i)
            EXPECT_EQ(At(image, 0, y + i), At(image, 0, y)) << y + i;
    }
}

TEST(Gradients, RingOnlyOnAFullColourScreen) {
    const bool saved = FullColorScreen;
    FullColorScreen = false;
    QImage off = CanaryImage(6, 6);
    {
        TCanvas canvas(off);
        DrawGradientRing(canvas, Rect(0, 0, 6, 6), D::gdDiagonalDown, clRed, clRed);
    }
    EXPECT_EQ(Picture(off, {}), Rows({"......", "......", "......", "......", "......", "......"}));
    FullColorScreen = true;
    QImage on = CanaryImage(6, 6);
    {
        TCanvas canvas(on);
        canvas.IntersectClipRect(Rect(0, 0, 6, 5)); // the caller's own clip
        DrawGradientRing(canvas, Rect(0, 0, 6, 6), D::gdDiagonalDown, clRed, clRed);
        // Afterwards the caller's clip holds again: the hole is paintable,
        // the last row is not.
        canvas.Brush.SetColor(clBlue);
        canvas.FillRect(Rect(2, 2, 3, 3));
        canvas.FillRect(Rect(0, 5, 6, 6));
    }
    FullColorScreen = saved;
    EXPECT_EQ(Picture(on, {{'r', clRed}, {'b', clBlue}}),
              Rows({"rrrrrr", "rrrrrr", "rrb.rr", "rr..rr", "rrrrrr", "......"}));
}

TEST(Glyphs, CheckBox) {
    const std::vector<test::LegendEntry> legend = {
        {'s', clBtnShadow}, {'k', clBlack}, {'w', clWhite}, {'f', clBtnFace}};
    TCheckBoxGlyph g;
    g.State = 1;
    g.FrameColor = clBtnShadow;
    g.CheckColor = clBlack;
    g.FillColor = clWhite;
    QImage image = CanaryImage(13, 13);
    {
        TCanvas canvas(image);
        PaintCheckBoxGlyph(canvas, Rect(0, 0, 13, 13), g);
    }
    EXPECT_EQ(
        Picture(image, legend),
        Rows({"sssssssssssss", "swwwwwwwwwwws", "swwwwwwwwwwws", "swwwwwwwwkwws", "swwwwwwwkkwws",
              "swwkwwwkkkwws", "swwkkwkkkwwws", "swwkkkkkwwwws", "swwwkkkwwwwws", "swwwwkwwwwwws",
              "swwwwwwwwwwws", "swwwwwwwwwwws", "sssssssssssss"}));

    // Grayed and disabled: the inner block in the shadow colour.
    g.State = 2;
    g.DrawState = 3;
    g.DisabledColor = clBtnFace;
    QImage grayed = CanaryImage(8, 8);
    {
        TCanvas canvas(grayed);
        PaintCheckBoxGlyph(canvas, Rect(0, 0, 8, 8), g);
    }
    EXPECT_EQ(Picture(grayed, legend), Rows({"ssssssss", "sffffffs", "sffffffs", "sffssffs",
                                             "sffssffs", "sffffffs", "sffffffs", "ssssssss"}));
}

TEST(Glyphs, DropDownArrowTakesTheTriangleOnThisPlatform) {
    const std::vector<test::LegendEntry> legend = {{'k', clBlack}, {'s', clBtnShadow}};
    for (bool enabled : {true, false}) {
        QImage image = CanaryImage(11, 10);
        {
            TCanvas canvas(image);
            canvas.Brush.SetColor(clWhite);
            DrawDropDownArrow(canvas, Rect(0, 0, 11, 10), 0, enabled);
            EXPECT_EQ(canvas.Brush.Color(), clWhite); // restored
            EXPECT_EQ(canvas.Pen.Style, TPenStyle::psSolid);
        }
        const char c = enabled ? 'k' : 's';
        std::string row3 = "...kkkkkkk.", row4 = "....kkkkk..", row5 = ".....kkk...",
                    row6 = "......k....";
        for (std::string* r : {&row3, &row4, &row5, &row6})
            std::replace(r->begin(), r->end(), 'k', c);
        EXPECT_EQ(Picture(image, legend),
                  Rows({"...........", "...........", "...........", row3.c_str(), row4.c_str(),
                        row5.c_str(), row6.c_str(), "...........", "...........", "..........."}));
    }
}

TEST(Glyphs, ClassicArrows) {
    const std::vector<test::LegendEntry> legend = {{'k', clBlack}};
    struct Case {
        int direction;
        std::string picture;
    };
    const Case cases[] = {
        {0, Rows({".........", "....k....", "...kkk...", "..kkkkk..", ".kkkkkkk.", ".........",
                  ".........", ".........", "........."})},
        {3, Rows({".........", "..k......", "..kk.....", "..kkk....", "..kkkk...", "..kkk....",
                  "..kk.....", "..k......", "........."})},
    };
    for (const Case& c : cases) {
        QImage image = CanaryImage(9, 9);
        {
            TCanvas canvas(image);
            DrawArrow(canvas, Rect(0, 0, 9, 9), 0, true, c.direction);
        }
        EXPECT_EQ(Picture(image, legend), c.picture) << c.direction;
    }
}

TEST(Bitmaps, StretchTransparentBitmapLandsAtTheOrigin) {
    TBitmap glyph(2, 2);
    glyph.Canvas().SetPixel(0, 0, clRed);
    glyph.Canvas().SetPixel(1, 1, clBlue);
    QImage image = CanaryImage(5, 5);
    {
        TCanvas canvas(image);
        StretchTransparentBitmap(canvas, glyph, Rect(3, 3, 7, 7), Rect(0, 0, 2, 2), clWhite);
    }
    EXPECT_EQ(Picture(image, {{'r', clRed}, {'b', clBlue}}),
              Rows({"rr...", "rr...", "..bb.", "..bb.", "....."}));
}

TEST(Bitmaps, CenteredBounds) {
    EXPECT_EQ(CenteredBounds(Rect(0, 0, 10, 10), 4, 3), Rect(3, 3, 7, 6));
    EXPECT_EQ(CenteredBounds(Rect(-5, 0, 0, 3), 2, 2), Rect(-3, 0, -1, 2));
}

TEST(Bitmaps, ParentBackgroundUnderATransparentControl) {
    struct Parent : QWidget {
        void paintEvent(QPaintEvent*) override {
            TCanvas c(*this);
            c.Brush.SetColor(clRed);
            c.FillRect(Rect(0, 0, width(), height()));
            c.Brush.SetColor(clBlue);
            c.FillRect(Rect(4, 4, 6, 6));
        }
    } parent;
    parent.resize(10, 10);
    QWidget child(&parent);
    child.setGeometry(3, 3, 4, 2);
    QImage image = CanaryImage(4, 2);
    {
        TCanvas canvas(image);
        PaintParentBackground(child, canvas, false);
    }
    EXPECT_EQ(Picture(image, {{'r', clRed}, {'b', clBlue}}), Rows({"rrrr", "rbbr"}));
}

} // namespace
} // namespace vdx
