// Bitmaps, block transfers, transparent masks and the rectangle gradient.
#include "platform/gui/bitmap.h"

#include "Picture.h"

#include <gtest/gtest.h>

#include <array>

namespace vdx::gui {
namespace {

using test::CanaryImage;
using test::Picture;
using test::Rows;

const std::vector<test::LegendEntry> kLegend = {
    {'r', clRed}, {'g', clLime}, {'b', clBlue}, {'k', clBlack}, {'w', clWhite}};

// A 4 x 2 source: "rgbk" over "wwwr".
QImage Source() {
    QImage s(4, 2, QImage::Format_RGB32);
    const std::array<TColor, 8> px = {clRed,   clLime,  clBlue,  clBlack,
                                      clWhite, clWhite, clWhite, clRed};
    for (int i = 0; i < 8; ++i)
        s.setPixelColor(i % 4, i / 4, ToQColor(px[std::size_t(i)]));
    return s;
}

TEST(Bitmap, SizeKeepsContentAndCanvasPaintsIt) {
    TBitmap bmp(2, 1);
    bmp.Canvas().SetPixel(1, 0, clRed);
    bmp.SetSize(3, 2); // grows: new pixels are white
    bmp.Canvas().SetPixel(2, 1, clBlack);
    EXPECT_EQ(Picture(bmp.Image(), kLegend), Rows({"wrw", "wwk"}));
    bmp.TransparentMode = TTransparentMode::tmAuto;
    EXPECT_EQ(bmp.EffectiveTransparentColor(), clWhite); // the bottom-left pixel
}

TEST(Bitmap, BitBltAndStretchBltMirrorOnNegativeExtents) {
    struct Case {
        const char* name;
        int x, y, w, h;
        int sx, sy, sw, sh;
        std::string picture;
    };
    const Case cases[] = {
        {"copy", 1, 0, 4, 2, 0, 0, 4, 2, Rows({".rgbk.", ".wwwr.", "......"})},
        {"mirror x from the origin pixel", 4, 0, -4, 1, 0, 0, 4, 1,
         Rows({".kbgr.", "......", "......"})},
        {"mirror y", 0, 2, 4, -2, 0, 0, 4, 2, Rows({"......", "wwwr..", "rgbk.."})},
        {"mirrored source", 0, 0, 4, 1, 3, 0, -4, 1, Rows({"kbgr..", "......", "......"})},
        {"stretch", 0, 0, 6, 1, 0, 0, 3, 1, Rows({"rrggbb", "......", "......"})},
    };
    const QImage src = Source();
    for (const Case& c : cases) {
        QImage image = CanaryImage(6, 3);
        {
            TCanvas canvas(image);
            StretchBlt(canvas, c.x, c.y, c.w, c.h, src, c.sx, c.sy, c.sw, c.sh);
        }
        EXPECT_EQ(Picture(image, kLegend), c.picture) << c.name;
    }
    QImage image = CanaryImage(6, 3);
    {
        TCanvas canvas(image);
        BitBlt(canvas, 2, 1, 2, 2, src, 1, 0);
    }
    EXPECT_EQ(Picture(image, kLegend), Rows({"......", "..gb..", "..ww.."}));
}

TEST(Bitmap, BitBltWithinOneImageCopiesTheOldBlock) {
    TBitmap bmp(4, 1);
    TCanvas& c = bmp.Canvas();
    c.SetPixel(0, 0, clRed);
    c.SetPixel(1, 0, clLime);
    BitBlt(c, 1, 0, 2, 1, bmp.Image(), 0, 0); // overlaps its source
    EXPECT_EQ(Picture(bmp.Image(), kLegend), Rows({"rrgw"}));
}

TEST(Bitmap, TransparentColourIsLeftOut) {
    QImage image = CanaryImage(6, 2);
    {
        TCanvas canvas(image);
        TransparentStretchBlt(canvas, Rect(1, 0, 5, 2), Source(), Rect(0, 0, 4, 2), clWhite);
    }
    EXPECT_EQ(Picture(image, kLegend), Rows({".rgbk.", "....r."}));
    const std::vector<bool> mask = TransparentMask(Source(), clRed);
    EXPECT_EQ(mask, (std::vector<bool>{true, false, false, false, false, false, false, true}));
}

TEST(Bitmap, DrawBitmapHonoursTransparency) {
    TBitmap glyph(2, 2);
    glyph.Canvas().SetPixel(1, 0, clRed);
    glyph.Transparent = true; // white, from the bottom-left pixel
    QImage image = CanaryImage(3, 2);
    {
        TCanvas canvas(image);
        DrawBitmap(canvas, 1, 0, glyph);
    }
    EXPECT_EQ(Picture(image, kLegend), Rows({"..r", "..."}));
}

TEST(Bitmap, GradientFillReachesTheLowerRightColourOnTheLastPixel) {
    struct Case {
        int p0, p1, p;
        std::uint16_t c0, c1;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {0, 5, 0, 0, 0xFF00, 0},
        {0, 5, 1, 0, 0xFF00, 63},
        {0, 5, 4, 0, 0xFF00, 255},
        {0, 4, 2, 0xFF00, 0, 85},
        {0, 4, 3, 0xFF00, 0, 0},
        {10, 12, 11, 0x1000, 0x3000, 0x30},
        {10, 11, 10, 0x1000, 0x3000, 0x10}, // one pixel: the first colour
        {3, 3, 3, 0x4000, 0x8000, 0x40},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GradientChannel(c.c0, c.c1, c.p0, c.p1, c.p), c.expected) << c.p;

    QImage image = CanaryImage(3, 6);
    {
        TCanvas canvas(image);
        const std::array<TTriVertex, 2> v = {MakeTriVertex(0, 1, clBlack),
                                             MakeTriVertex(2, 6, clWhite)};
        const std::array<TGradientRect, 1> r = {TGradientRect{0, 1}};
        EXPECT_TRUE(GradientFill(canvas, v, r, TGradientFillMode::GRADIENT_FILL_RECT_V));
        const std::array<TGradientRect, 1> bad = {TGradientRect{0, 2}};
        EXPECT_FALSE(GradientFill(canvas, v, bad, TGradientFillMode::GRADIENT_FILL_RECT_V));
    }
    const int expected[] = {0, 63, 127, 191, 255};
    for (int y = 1; y < 6; ++y) {
        EXPECT_EQ(image.pixelColor(0, y),
                  QColor(expected[y - 1], expected[y - 1], expected[y - 1]));
        EXPECT_EQ(FromQColor(image.pixelColor(2, y)), test::kCanary); // right edge left out
    }
    EXPECT_EQ(FromQColor(image.pixelColor(0, 0)), test::kCanary);
}

} // namespace
} // namespace vdx::gui
