#include "platform/gui/bitmap.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace vdx::gui {

namespace {

QPainter::CompositionMode ModeOf(TRop rop) {
    switch (rop) {
    case TRop::SRCPAINT:
        return QPainter::RasterOp_SourceOrDestination;
    case TRop::SRCAND:
        return QPainter::RasterOp_SourceAndDestination;
    case TRop::SRCINVERT:
        return QPainter::RasterOp_SourceXorDestination;
    default:
        return QPainter::CompositionMode_Source;
    }
}

// Draws block at (x, y) with rop.
void Transfer(TCanvas& dest, int x, int y, QImage block, TRop rop) {
    QPainter& p = dest.Painter();
    if (rop == TRop::BLACKNESS || rop == TRop::WHITENESS) {
        p.fillRect(QRect(x, y, block.width(), block.height()),
                   rop == TRop::BLACKNESS ? Qt::black : Qt::white);
        return;
    }
    if (rop == TRop::NOTSRCCOPY)
        block.invertPixels();
    p.setCompositionMode(ModeOf(rop));
    p.drawImage(QPoint(x, y), block);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QRgb PixelOrBlack(const QImage& src, int x, int y) {
    return src.valid(x, y) ? src.pixel(x, y) : qRgb(0, 0, 0);
}

// The pixels of (sx, sy, sw, sh) laid out as they land on a destination of
// extents (w, h): see StretchBlt.
QImage StretchBlock(const QImage& src, int w, int h, int sx, int sy, int sw, int sh) {
    const int cols = std::abs(w), rows = std::abs(h);
    const int scols = std::abs(sw), srows = std::abs(sh);
    QImage out(cols, rows, QImage::Format_RGB32);
    for (int r = 0; r < rows; ++r) {
        const int i = h >= 0 ? r : rows - 1 - r; // destination index from the origin
        const int j = int((long long)i * srows / rows);
        const int syy = sh >= 0 ? sy + j : sy - j;
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(r));
        for (int c = 0; c < cols; ++c) {
            const int ic = w >= 0 ? c : cols - 1 - c;
            const int jc = int((long long)ic * scols / cols);
            const int sxx = sw >= 0 ? sx + jc : sx - jc;
            line[c] = PixelOrBlack(src, sxx, syy);
        }
    }
    return out;
}

} // namespace

TBitmap::TBitmap(int width, int height) {
    SetSize(width, height);
}

void TBitmap::SetSize(int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == Width() && height == Height() && !m_image.isNull())
        return;
    if (m_canvas)
        m_canvas->Release();
    QImage next(width, height, QImage::Format_RGB32);
    next.fill(Qt::white);
    if (!m_image.isNull()) {
        QPainter p(&next);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), m_image);
    }
    m_image = std::move(next);
}

TCanvas& TBitmap::Canvas() {
    if (m_image.isNull())
        SetSize(0, 0);
    if (!m_canvas)
        m_canvas = std::make_unique<TCanvas>(m_image);
    return *m_canvas;
}

bool TBitmap::LoadFromFile(const std::string& path) {
    QImage loaded;
    if (!loaded.load(QString::fromStdString(path)))
        return false;
    Assign(loaded);
    return true;
}

void TBitmap::Assign(const QImage& image) {
    if (m_canvas)
        m_canvas->Release();
    m_image = image.convertToFormat(QImage::Format_RGB32);
}

TColor TBitmap::EffectiveTransparentColor() const {
    if (TransparentMode == TTransparentMode::tmFixed)
        return TransparentColor;
    if (m_image.isNull() || Height() == 0 || Width() == 0)
        return clNone;
    return FromQColor(m_image.pixelColor(0, Height() - 1));
}

void BitBlt(TCanvas& dest, int x, int y, int w, int h, const QImage& src, int sx, int sy,
            TRop rop) {
    if (w <= 0 || h <= 0)
        return;
    // copy() takes the block before anything is painted, so a copy within
    // one image is safe.
    Transfer(dest, x, y, src.copy(sx, sy, w, h).convertToFormat(QImage::Format_RGB32), rop);
}

void StretchBlt(TCanvas& dest, int x, int y, int w, int h, const QImage& src, int sx, int sy,
                int sw, int sh, TRop rop) {
    if (w == 0 || h == 0 || sw == 0 || sh == 0)
        return;
    const int left = w >= 0 ? x : x + w + 1;
    const int top = h >= 0 ? y : y + h + 1;
    Transfer(dest, left, top, StretchBlock(src, w, h, sx, sy, sw, sh), rop);
}

std::vector<bool> TransparentMask(const QImage& src, TColor transparent) {
    const QRgb key = ToQColor(transparent).rgb() & 0xFFFFFF;
    std::vector<bool> mask(std::size_t(src.width()) * std::size_t(src.height()));
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            mask[std::size_t(y) * std::size_t(src.width()) + std::size_t(x)] =
                (src.pixel(x, y) & 0xFFFFFF) == key;
    return mask;
}

void TransparentStretchBlt(TCanvas& dest, const TRect& destRect, const QImage& src,
                           const TRect& srcRect, TColor transparent) {
    if (destRect.IsEmpty() || srcRect.IsEmpty())
        return;
    QImage block = StretchBlock(src, destRect.Width(), destRect.Height(), srcRect.Left, srcRect.Top,
                                srcRect.Width(), srcRect.Height());
    const std::vector<bool> mask = TransparentMask(block, transparent);
    QImage keyed = block.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if (mask[std::size_t(y) * std::size_t(keyed.width()) + std::size_t(x)])
                line[x] = 0;
    }
    QPainter& p = dest.Painter();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.drawImage(QPoint(destRect.Left, destRect.Top), keyed);
}

void DrawBitmap(TCanvas& dest, int x, int y, const TBitmap& bitmap) {
    if (bitmap.Width() == 0 || bitmap.Height() == 0)
        return;
    if (bitmap.Transparent)
        TransparentStretchBlt(dest, Bounds(x, y, bitmap.Width(), bitmap.Height()), bitmap.Image(),
                              Rect(0, 0, bitmap.Width(), bitmap.Height()),
                              bitmap.EffectiveTransparentColor());
    else
        BitBlt(dest, x, y, bitmap.Width(), bitmap.Height(), bitmap.Image(), 0, 0);
}

void StretchDrawBitmap(TCanvas& dest, const TRect& r, const TBitmap& bitmap) {
    if (bitmap.Width() == 0 || bitmap.Height() == 0)
        return;
    const TRect src = Rect(0, 0, bitmap.Width(), bitmap.Height());
    if (bitmap.Transparent)
        TransparentStretchBlt(dest, r, bitmap.Image(), src, bitmap.EffectiveTransparentColor());
    else
        StretchBlt(dest, r.Left, r.Top, r.Width(), r.Height(), bitmap.Image(), 0, 0, src.Right,
                   src.Bottom);
}

TTriVertex MakeTriVertex(int x, int y, TColor color) {
    const TColor c = ColorToRGB(color);
    return {x,
            y,
            std::uint16_t(GetRValue(c) << 8),
            std::uint16_t(GetGValue(c) << 8),
            std::uint16_t(GetBValue(c) << 8),
            0};
}

std::uint8_t GradientChannel(std::uint16_t c0, std::uint16_t c1, int p0, int p1, int p) noexcept {
    const int last = p1 - 1;
    if (last <= p0)
        return std::uint8_t(c0 >> 8);
    const long long v = ((long long)c0 * (last - p) + (long long)c1 * (p - p0)) / (last - p0);
    return std::uint8_t(std::clamp(v, 0LL, 65535LL) >> 8);
}

bool GradientFill(TCanvas& dest, std::span<const TTriVertex> vertices,
                  std::span<const TGradientRect> rects, TGradientFillMode mode) {
    for (const TGradientRect& gr : rects)
        if (gr.UpperLeft >= vertices.size() || gr.LowerRight >= vertices.size())
            return false;
    QPainter& p = dest.Painter();
    const bool horizontal = mode == TGradientFillMode::GRADIENT_FILL_RECT_H;
    for (const TGradientRect& gr : rects) {
        TTriVertex a = vertices[gr.UpperLeft];
        TTriVertex b = vertices[gr.LowerRight];
        // The colour of a vertex belongs to its edge, whichever comes first.
        if (horizontal ? a.x > b.x : a.y > b.y)
            std::swap(a, b);
        const int left = std::min(a.x, b.x), right = std::max(a.x, b.x);
        const int top = std::min(a.y, b.y), bottom = std::max(a.y, b.y);
        if (left >= right || top >= bottom)
            continue;
        const int p0 = horizontal ? a.x : a.y, p1 = horizontal ? b.x : b.y;
        for (int pos = p0; pos < p1; ++pos) {
            const QColor c(GradientChannel(a.Red, b.Red, p0, p1, pos),
                           GradientChannel(a.Green, b.Green, p0, p1, pos),
                           GradientChannel(a.Blue, b.Blue, p0, p1, pos));
            p.fillRect(horizontal ? QRect(pos, top, 1, bottom - top)
                                  : QRect(left, pos, right - left, 1),
                       c);
        }
    }
    return true;
}

} // namespace vdx::gui
