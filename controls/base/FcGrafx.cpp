#include "controls/base/FcGrafx.h"

#include "controls/base/FcDisplayFacts.h"
#include "platform/gui/framed_host.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace vdx {

using namespace gui;

namespace {

// n colours from 'from' to 'to' (both included), linear per channel.
std::vector<TColor> Ramp(TColor from, TColor to, int n) {
    std::vector<TColor> out;
    if (n <= 0)
        return out;
    out.reserve(std::size_t(n));
    for (int k = 0; k < n; ++k) {
        auto ch = [&](std::uint8_t a, std::uint8_t b) {
            return n == 1 ? a : std::uint8_t(int(a) + (int(b) - int(a)) * k / (n - 1));
        };
        out.push_back(RGB(ch(GetRValue(from), GetRValue(to)), ch(GetGValue(from), GetGValue(to)),
                          ch(GetBValue(from), GetBValue(to))));
    }
    return out;
}

// Each band keeps its first colour until the colour changes and it has grown
// by slack further entries.
void ApplySlack(std::vector<TColor>& colors, int slack) {
    if (colors.empty() || slack <= 0)
        return;
    std::size_t start = 0;
    TColor band = colors[0];
    for (std::size_t i = 1; i < colors.size(); ++i) {
        if (colors[i] != band && int(i - start) > slack) {
            start = i;
            band = colors[i];
        } else {
            colors[i] = band;
        }
    }
}

void Fill(TCanvas& dc, const TRect& r, TColor c) {
    if (r.IsEmpty())
        return;
    dc.Brush.SetColor(c);
    dc.FillRect(r);
}

// Runs of equal colour along one axis, each as one rectangle across 'across'
// pixels of the other axis.
void FillRuns(TCanvas& dc, const std::vector<TColor>& colors, bool alongX, int across) {
    std::size_t start = 0;
    for (std::size_t i = 1; i <= colors.size(); ++i) {
        if (i < colors.size() && colors[i] == colors[start])
            continue;
        const int a = int(start), b = int(i);
        Fill(dc, alongX ? Rect(a, 0, b, across) : Rect(0, a, across, b), colors[start]);
        start = i;
    }
}

} // namespace

int GradientBandSlack(std::uint8_t steps, bool boxFill) noexcept {
    int s = steps;
    if (s > 8)
        s = (boxFill ? 256 : 255) / s + 1;
    return std::max(s - 1, 0);
}

namespace {

// The linear strip along columns (bands 8 pixels high) or rows (8 wide).
// centre < 0: one pass; otherwise symmetric about the middle.
void FillLinearStrip(TCanvas& dc, bool columns, int centre, int length, TColor startColor,
                     TColor stopColor, std::uint8_t steps) {
    if (length <= 0)
        return;
    const int slack = GradientBandSlack(steps, false);
    std::vector<TColor> colors(static_cast<std::size_t>(length));
    if (centre < 0) {
        // One pass: StartColor at the first pixel, StopColor at the last.
        colors = Ramp(startColor, stopColor, length);
        ApplySlack(colors, slack);
    } else {
        // Symmetric about the middle: both edges StartColor, the middle
        // pixel (or the two middle pixels) StopColor.
        const int half = (length + 1) / 2;
        std::vector<TColor> ramp = Ramp(startColor, stopColor, half);
        ApplySlack(ramp, slack);
        for (int i = 0; i < half; ++i) {
            colors[std::size_t(i)] = ramp[std::size_t(i)];
            colors[std::size_t(length - 1 - i)] = ramp[std::size_t(i)];
        }
    }
    FillRuns(dc, colors, columns, 8);
}

} // namespace

void FillLinearGradient(TCanvas& dc, int xCentre, int yCentre, int length, TColor startColor,
                        TColor stopColor, std::uint8_t steps) {
    const bool columns = xCentre != 0;
    FillLinearStrip(dc, columns, columns ? xCentre : yCentre, length, startColor, stopColor, steps);
}

void FillBoxGradient(TCanvas& dc, int width, int height, int insetX, int insetY, TColor startColor,
                     TColor stopColor, std::uint8_t steps) {
    if (startColor == stopColor || width <= 4 || height <= 4) {
        Fill(dc, Rect(0, 0, width + 1, height + 1), startColor);
        return;
    }
    const int hx = (width - 1) >> 1, hy = (height - 1) >> 1;
    const int ex = std::max(hx - insetX, 0), ey = std::max(hy - insetY, 0);
    const int n = std::max(ex, ey) + 1;
    std::vector<TColor> colors = Ramp(stopColor, startColor, n);
    ApplySlack(colors, GradientBandSlack(steps, true));
    // L-shaped bands from the inner corner (StopColor) out to the edges.
    int prevX = hx + 1, prevY = hy + 1;
    for (int k = 0; k < n; ++k) {
        const int x = n > 1 ? ex - k * ex / (n - 1) : 0;
        const int y = n > 1 ? ey - k * ey / (n - 1) : 0;
        const TColor c = colors[std::size_t(k)];
        Fill(dc, Rect(x, y, hx + 1, prevY), c);
        Fill(dc, Rect(x, y, prevX, hy + 1), c);
        prevX = x;
        prevY = y;
    }
}

void FillDiagonalGradient(TCanvas& dc, int width, int height, TColor startColor, TColor stopColor,
                          std::uint8_t steps) {
    const int aw = std::abs(width);
    if (aw == 0 || height <= 0)
        return;
    const TColor from = width > 0 ? startColor : stopColor;
    const TColor to = width > 0 ? stopColor : startColor;
    const int n = int(std::sqrt(double(width) * width + double(height) * height)) + 1;
    std::vector<TColor> colors = Ramp(from, to, n);
    ApplySlack(colors, GradientBandSlack(steps, false));
    // Bands run parallel to the diagonal from the top-left to the bottom-right
    // corner; the position across them, measured at pixel centres, goes from
    // the bottom-left pixel (first colour) to the top-right pixel (last).
    const long long h = height, w = aw;
    const long long vmin = h - (2 * h - 1) * w;
    const long long vmax = (2 * w - 1) * h - w;
    const long long range = vmax - vmin;
    QImage image(aw, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < aw; ++x) {
            const int xx = width > 0 ? x : aw - 1 - x;
            const long long v = (2LL * xx + 1) * h - (2LL * y + 1) * w;
            const long long band = range > 0 ? ((v - vmin) * (n - 1) * 2 + range) / (2 * range) : 0;
            line[x] = ToQColor(colors[std::size_t(band)]).rgb();
        }
    }
    BitBlt(dc, 0, 0, aw, height, image, 0, 0);
}

void ReplicateStripBlit(TCanvas& dc, int x, int y, int targetWidth, int targetHeight, int width,
                        int height, TRop rop) {
    QImage* image = dc.Image();
    if (!image || width <= 0 || height <= 0)
        return;
    bool growHeight = height < targetHeight;
    while (width < targetWidth || height < targetHeight) {
        if (growHeight && height < targetHeight) {
            const int n = std::min(height, targetHeight - height);
            BitBlt(dc, x, y + height, width, n, *image, x, y, rop);
            height += n;
            if (width < targetWidth)
                growHeight = false;
        } else {
            const int n = std::min(width, targetWidth - width);
            BitBlt(dc, x + width, y, n, height, *image, x, y, rop);
            width += n;
            if (height < targetHeight)
                growHeight = true;
        }
    }
}

void MirrorQuarterBlit(TCanvas& dc, int x, int y, int width, int height, TRop rop) {
    QImage* image = dc.Image();
    if (!image || width <= 0 || height <= 0)
        return;
    const int hx = (width - 1) >> 1, hy = (height - 1) >> 1;
    const int rows = height - 1 - hy, cols = width - 1 - hx;
    if (rows > 0)
        StretchBlt(dc, x, y + height - 1, hx + 1, -rows, *image, x, y, hx + 1, rows, rop);
    if (cols > 0)
        StretchBlt(dc, x + width - 1, y, -cols, height, *image, x, y, cols, height, rop);
}

void PaintGradientBitmap(TCanvas& canvas, const TRect& rect, TGradientDirection direction,
                         TColor startColor, TColor stopColor, std::uint8_t steps) {
    startColor = ColorToRGB(startColor);
    stopColor = ColorToRGB(stopColor);
    const int w = std::abs(rect.Right - rect.Left), h = std::abs(rect.Bottom - rect.Top);
    if (w == 0 || h == 0)
        return;
    TBitmap bitmap(w, h);
    TCanvas& dc = bitmap.Canvas();
    dc.Pen.Width = 1;
    dc.Pen.Style = TPenStyle::psClear;
    dc.Pen.Mode = TPenMode::pmCopy;
    dc.Brush.SetStyle(TBrushStyle::bsSolid);
    using D = TGradientDirection;
    switch (direction) {
    case D::gdDiagonalUp:
    case D::gdDiagonalDown:
        if (startColor == stopColor)
            Fill(dc, Rect(0, 0, w, h), startColor);
        else
            FillDiagonalGradient(dc, direction == D::gdDiagonalUp ? w : -w, h, startColor,
                                 stopColor, steps);
        break;
    case D::gdHorizontalCenter:
        FillLinearStrip(dc, false, h / 2, h, startColor, stopColor, steps);
        ReplicateStripBlit(dc, 0, 0, w, h, std::min(8, w), h);
        break;
    case D::gdVerticalCenter:
        // Along the columns also when the bitmap is one pixel wide (its centre
        // W div 2 is then 0, which would name the other axis).
        FillLinearStrip(dc, true, w / 2, w, startColor, stopColor, steps);
        ReplicateStripBlit(dc, 0, 0, w, h, w, std::min(8, h));
        break;
    case D::gdHorizontalBox:
        Fill(dc, Rect(0, 0, w, h), startColor);
        FillBoxGradient(dc, w, h, w / 4, 0, startColor, stopColor, steps);
        MirrorQuarterBlit(dc, 0, 0, w, h);
        break;
    case D::gdVerticalBox:
        FillBoxGradient(dc, w, h, 0, h / 4, startColor, stopColor, steps);
        MirrorQuarterBlit(dc, 0, 0, w, h);
        break;
    case D::gdSquareBox:
        Fill(dc, Rect(0, 0, w, h), startColor);
        FillBoxGradient(dc, w, h, 0, 0, startColor, stopColor, steps);
        MirrorQuarterBlit(dc, 0, 0, w, h);
        break;
    case D::gdBigSquareBox:
        FillBoxGradient(dc, w, h, w / 4, h / 4, startColor, stopColor, steps);
        MirrorQuarterBlit(dc, 0, 0, w, h);
        break;
    case D::gdHorizontalEnd:
    case D::gdVerticalEnd:
        PaintGradient(dc, Rect(0, 0, w, h), direction, startColor, stopColor, steps);
        break;
    }
    dc.Release();
    BitBlt(canvas, rect.Left, rect.Top, w, h, bitmap.Image(), 0, 0);
}

void PaintGradient(TCanvas& canvas, const TRect& rect, TGradientDirection direction,
                   TColor startColor, TColor stopColor, std::uint8_t steps) {
    if (direction == TGradientDirection::gdHorizontalEnd ||
        direction == TGradientDirection::gdVerticalEnd) {
        const std::array<TTriVertex, 2> v = {MakeTriVertex(rect.Left, rect.Top, startColor),
                                             MakeTriVertex(rect.Right, rect.Bottom, stopColor)};
        const std::array<TGradientRect, 1> r = {TGradientRect{0, 1}};
        GradientFill(canvas, v, r,
                     direction == TGradientDirection::gdHorizontalEnd
                         ? TGradientFillMode::GRADIENT_FILL_RECT_V
                         : TGradientFillMode::GRADIENT_FILL_RECT_H);
        return;
    }
    PaintGradientBitmap(canvas, rect, direction, startColor, stopColor, steps);
}

void StretchTransparentBitmap(TCanvas& canvas, const TBitmap& bitmap, const TRect& destRect,
                              const TRect& sourceRect, TColor transparentColor) {
    const int w = destRect.Width(), h = destRect.Height();
    if (w <= 0 || h <= 0 || sourceRect.IsEmpty())
        return;
    TBitmap color(w, h);
    StretchBlt(color.Canvas(), 0, 0, w, h, bitmap.Image(), sourceRect.Left, sourceRect.Top,
               sourceRect.Width(), sourceRect.Height());
    color.Canvas().Release();
    // The stretched picture goes through its mask once, at its own size.
    TransparentStretchBlt(canvas, Rect(0, 0, w, h), color.Image(), Rect(0, 0, w, h),
                          ColorToRGB(transparentColor));
}

void PaintParentBackground(QWidget& control, TCanvas& canvas, bool invalidateParent) {
    QWidget* parent = control.parentWidget();
    if (!parent)
        return;
    const QRect area = control.geometry().intersected(parent->rect());
    if (!area.isEmpty()) {
        canvas.SaveState();
        QPainter& p = canvas.Painter();
        parent->render(&p, area.topLeft() - control.pos(), QRegion(area),
                       QWidget::DrawWindowBackground);
        canvas.RestoreState();
    }
    // Asking the parent to repaint from inside the control's own painting
    // would repaint the control again, without end.
    if (invalidateParent && !qobject_cast<TFramedHost*>(parent) && !parent->isWindow() &&
        !control.paintingActive())
        parent->update(control.geometry());
}

TRect CenteredBounds(const TRect& rect, int width, int height) noexcept {
    const int left = (rect.Left + rect.Right - width) / 2;
    const int top = (rect.Top + rect.Bottom - height) / 2;
    return Bounds(left, top, width, height);
}

void DrawGradientRing(TCanvas& canvas, const TRect& rect, TGradientDirection direction,
                      TColor startColor, TColor stopColor) {
    if (!FullColorScreen)
        return;
    canvas.PushClip();
    canvas.ExcludeClipRect(InflateRect(rect, -2, -2));
    PaintGradient(canvas, rect, direction, startColor, stopColor, 1);
    canvas.PopClip();
}

void PaintCheckBoxGlyph(TCanvas& canvas, const TRect& rect, const TCheckBoxGlyph& g) {
    const bool hot = g.DrawState == 2;
    const TRect area =
        DrawOutlineBox(canvas, rect,
                       hot && g.HotTrackStyle == TFcButtonHotTrackStyle::htsFrame ? g.HotFrameColor
                                                                                  : g.FrameColor);
    TColor fill;
    TColor check = g.CheckColor;
    switch (g.DrawState) {
    case 1:
        fill = DarkenColor(g.FocusColor, 20);
        break;
    case 3:
        fill = g.DisabledColor;
        check = clBtnShadow;
        break;
    default:
        if (g.Focused)
            fill = g.ReadOnly && g.ReadOnlyColorOnFocus ? g.ReadOnlyColor : g.FocusColor;
        else
            fill = g.ReadOnly ? g.ReadOnlyColor : g.FillColor;
        break;
    }
    canvas.Brush.SetColor(fill);
    canvas.FillRect(area);
    if (g.State == 1) {
        static constexpr std::array<int, 7> kTop = {5, 6, 7, 6, 5, 4, 3};
        for (int i = 0; i < 7; ++i)
            for (int row = 0; row < 3; ++row)
                canvas.SetPixel(rect.Left + 3 + i, rect.Top + kTop[std::size_t(i)] + row, check);
    } else if (g.State == 2) {
        canvas.Brush.SetColor(check);
        canvas.FillRect(InflateRect(area, -2, -2));
    }
    if (hot) {
        if (g.HotTrackStyle == TFcButtonHotTrackStyle::htsInterior)
            DrawGradientRing(canvas, area, TGradientDirection::gdDiagonalDown, g.HotFillColor,
                             g.HotFrameColor);
        else
            DrawOutlineBox(canvas, area, g.HotFrameColor);
    }
}

namespace {

// The arrow colour: themed samples are not available, so every style takes
// the classic rule (dark shadow on a near-black brush, else black).
TColor ArrowColor(const TCanvas& canvas, bool enabled) {
    if (!enabled)
        return clBtnShadow;
    return ColorsAreSimilar(canvas.Brush.Color(), clBlack) ? cl3DDkShadow : clBlack;
}

TPoint ArrowCentre(const TRect& r) {
    int y = r.Top + (r.Bottom - r.Top) / 2;
    if ((r.Bottom - r.Top) % 2 == 0)
        --y;
    return {r.Left + (r.Right - r.Left) / 2, y};
}

void FillArrow(TCanvas& canvas, TColor color, std::span<const TPoint> points) {
    const TColor savedBrush = canvas.Brush.Color();
    canvas.Brush.SetColor(color);
    canvas.Pen.Style = TPenStyle::psClear;
    canvas.Polygon(points);
    canvas.Pen.Style = TPenStyle::psSolid;
    canvas.Brush.SetColor(savedBrush);
}

} // namespace

void DrawDropDownArrow(TCanvas& canvas, const TRect& rect, int arrowStyle, bool enabled) {
    if (RunningOnOSVersion(7))
        arrowStyle = 2;
    const TColor color = ArrowColor(canvas, enabled);
    const auto [x, y] = ArrowCentre(rect);
    if (arrowStyle == 1) {
        const std::array<TPoint, 6> pts = {{{x, y + 4},
                                            {x - 4, y - 1},
                                            {x - 3, y - 3},
                                            {x, y + 1},
                                            {x + 3, y - 3},
                                            {x + 5, y - 1}}};
        FillArrow(canvas, color, pts);
    } else if (arrowStyle == 2) {
        const std::array<TPoint, 3> pts = {{{x + 1, y + 3}, {x - 2, y - 1}, {x + 5, y - 1}}};
        FillArrow(canvas, color, pts);
    } else {
        const std::array<TPoint, 3> pts = {{{x, y + 2}, {x - 3, y - 2}, {x + 4, y - 2}}};
        FillArrow(canvas, color, pts);
    }
}

void DrawArrow(TCanvas& canvas, const TRect& rect, int arrowStyle, bool enabled, int direction) {
    const TColor color = ArrowColor(canvas, enabled);
    const auto [x, y] = ArrowCentre(rect);
    direction = std::clamp(direction, 0, 3);
    if (arrowStyle == 1) {
        const std::array<std::array<TPoint, 6>, 4> pts = {{
            {{{x, y - 1},
              {x + 4, y + 4},
              {x + 1, y + 4},
              {x, y + 2},
              {x - 1, y + 4},
              {x - 4, y + 4}}},
            {{{x, y + 2}, {x - 3, y - 2}, {x, y - 2}, {x, y - 1}, {x + 1, y - 2}, {x + 4, y - 2}}},
            {{{x - 1, y},
              {x + 3, y - 4},
              {x + 3, y - 1},
              {x + 2, y},
              {x + 3, y + 1},
              {x + 3, y + 4}}},
            {{{x + 1, y},
              {x - 3, y + 4},
              {x - 3, y + 1},
              {x - 2, y},
              {x - 3, y - 1},
              {x - 3, y - 4}}},
        }};
        FillArrow(canvas, color, pts[std::size_t(direction)]);
        return;
    }
    const std::array<std::array<TPoint, 3>, 4> classic = {{
        {{{x, y - 4}, {x + 4, y + 1}, {x - 4, y + 1}}},
        {{{x, y + 2}, {x - 3, y - 2}, {x + 4, y - 2}}},
        {{{x - 2, y}, {x + 2, y - 4}, {x + 2, y + 4}}},
        {{{x + 2, y}, {x - 2, y + 4}, {x - 2, y - 4}}},
    }};
    const std::array<std::array<TPoint, 3>, 4> triangle = {{
        {{{x, y - 2}, {x + 3, y + 2}, {x - 3, y + 2}}},
        {{{x, y + 1}, {x - 2, y - 2}, {x + 3, y - 2}}},
        {{{x - 1, y}, {x + 2, y - 3}, {x + 2, y + 3}}},
        {{{x + 1, y}, {x - 2, y + 3}, {x - 2, y - 3}}},
    }};
    FillArrow(canvas, color, (arrowStyle == 2 ? triangle : classic)[std::size_t(direction)]);
}

// Glyph strips.

void TFcGlyphStrip::Assign(const TBitmap& value) {
    m_bitmap.Transparent = value.Transparent;
    m_bitmap.TransparentMode = value.TransparentMode;
    m_bitmap.TransparentColor = value.TransparentColor;
    Assign(value.Image());
}

void TFcGlyphStrip::Assign(const QImage& value) {
    m_bitmap.Assign(value);
    if (const int n = GlyphStripCells(m_bitmap.Width(), m_bitmap.Height()))
        SetNumGlyphs(n);
}

bool TFcGlyphStrip::SetNumGlyphs(int value) noexcept {
    if (!IsValidNumGlyphs(value) || value == m_numGlyphs)
        return false;
    m_numGlyphs = value;
    return true;
}

TPoint TFcGlyphStrip::CellSize() const noexcept {
    return {m_bitmap.Width() / m_numGlyphs, m_bitmap.Height()};
}

void TFcGlyphStrip::DrawCell(TCanvas& canvas, const TRect& rect, int cell) const {
    const int w = rect.Width(), h = rect.Height();
    TransparentStretchBlt(canvas, rect, m_bitmap.Image(), Rect(cell * w, 0, (cell + 1) * w, h),
                          m_bitmap.EffectiveTransparentColor());
}

} // namespace vdx
