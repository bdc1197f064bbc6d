#pragma once
// Bitmaps over QImage, block transfers with the platform's raster operations
// (a negative extent mirrors), transparent-colour masks and the rectangle
// gradient fill of msimg32.

#include "platform/gui/canvas.h"
#include "platform/gui/color.h"
#include "platform/gui/geometry.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vdx::gui {

enum class TTransparentMode : std::uint8_t { tmAuto, tmFixed };

class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height);
    // The canvas paints on the image; keep neither across a resize.
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const noexcept { return m_image.width(); }
    int Height() const noexcept { return m_image.height(); }
    // Keeps the top-left content; new pixels are white.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }

    TCanvas& Canvas();
    // The picture (painting so far included).
    const QImage& Image() const noexcept { return m_image; }
    // False when the file is missing or not a picture.
    bool LoadFromFile(const std::string& path);
    void Assign(const QImage& image);

    // Drawing with one colour left out: with tmAuto the colour of the
    // bottom-left pixel, with tmFixed TransparentColor.
    bool Transparent = false;
    TTransparentMode TransparentMode = TTransparentMode::tmAuto;
    TColor TransparentColor = clDefault;
    TColor EffectiveTransparentColor() const;

private:
    QImage m_image;
    std::unique_ptr<TCanvas> m_canvas;
};

// Raster operations (the ones the library uses).
enum class TRop : std::uint32_t {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    NOTSRCCOPY = 0x00330008,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062
};

// Copies (sx, sy, w, h) of src to (x, y) of dest. src may be the image dest
// paints on (overlapping blocks copy correctly).
void BitBlt(TCanvas& dest, int x, int y, int w, int h, const QImage& src, int sx, int sy,
            TRop rop = TRop::SRCCOPY);
// Stretches (sx, sy, sw, sh) of src onto (x, y, w, h) of dest, nearest pixel.
// A negative extent counts back from its origin pixel, the origin included
// (x, x-1, ..., x+w+1), and where the signs of the two extents differ the
// picture is mirrored on that axis.
void StretchBlt(TCanvas& dest, int x, int y, int w, int h, const QImage& src, int sx, int sy,
                int sw, int sh, TRop rop = TRop::SRCCOPY);

// A monochrome mask of src: true where the pixel has the colour transparent.
std::vector<bool> TransparentMask(const QImage& src, TColor transparent);
// Stretches srcRect of src onto destRect of dest, leaving out every source
// pixel of colour transparent.
void TransparentStretchBlt(TCanvas& dest, const TRect& destRect, const QImage& src,
                           const TRect& srcRect, TColor transparent);
// Draws bitmap at (x, y), honouring its transparency.
void DrawBitmap(TCanvas& dest, int x, int y, const TBitmap& bitmap);
void StretchDrawBitmap(TCanvas& dest, const TRect& r, const TBitmap& bitmap);

// GradientFill in rectangle mode.
struct TTriVertex {
    int x = 0;
    int y = 0;
    std::uint16_t Red = 0; // channel << 8
    std::uint16_t Green = 0;
    std::uint16_t Blue = 0;
    std::uint16_t Alpha = 0;
};
TTriVertex MakeTriVertex(int x, int y, TColor color); // color resolved through ColorToRGB
struct TGradientRect {
    unsigned UpperLeft = 0;
    unsigned LowerRight = 1;
};
enum class TGradientFillMode : std::uint8_t { GRADIENT_FILL_RECT_H, GRADIENT_FILL_RECT_V };

// Fills each rectangle between its two vertices, right and bottom edges left
// out. Colour at column (H) or row (V) p of a span of pixels p0 .. p1 - 1,
// with last = p1 - 1: (c0 * (last - p) + c1 * (p - p0)) / (last - p0) per
// 16-bit channel, high byte kept, so the first pixel has c0 and the last one
// c1 exactly (callers rely on both edge colours showing); a span of one pixel
// has c0. False for a vertex index out of range.
bool GradientFill(TCanvas& dest, std::span<const TTriVertex> vertices,
                  std::span<const TGradientRect> rects, TGradientFillMode mode);

// The 8-bit channel that GradientFill gives pixel p of a span from p0 to p1.
std::uint8_t GradientChannel(std::uint16_t c0, std::uint16_t c1, int p0, int p1, int p) noexcept;

} // namespace vdx::gui
