#include "controls/base/FcDraw.h"

#include "controls/base/FcDisplayFacts.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/framed_host.h"
#include "platform/gui/system_facts.h"

#include <QFontMetrics>
#include <QRegion>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace vdx {

using namespace gui;

namespace {

constexpr std::array<TFrameColors, 11> kFrameStyleColors = {{
    {clWindow, clWindow},          // fsNone
    {cl3DDkShadow, cl3DDkShadow},  // fsFlat
    {clBtnShadow, clBtnHighlight}, // fsGroove
    {clBtnHighlight, clBtnShadow}, // fsBump
    {clBtnShadow, clBtnHighlight}, // fsLowered
    {clNone, clNone},              // fsButtonDown
    {cl3DDkShadow, clBtnFace},     // fsRaised
    {clNone, clNone},              // fsButtonUp
    {clBtnShadow, clBtnHighlight}, // fsStatus
    {clBtnHighlight, clBtnShadow}, // fsPopup
    {clBtnShadow, clBtnShadow},    // fsFlatBold
}};

constexpr std::array<std::array<std::uint32_t, 6>, 3> kXPSchemes = {{
    {0x800000, 0xC2EEFF, 0xA0D9FF, 0xFFEFE3, 0xEABB99, 0xBF7F57},
    {0x385D3F, 0xC2EEFF, 0xA0D9FF, 0xEDFFFF, 0x92C7B8, 0x77A17F},
    {0x6F4B4B, 0xC2EEFF, 0xA0D9FF, 0xFFF9F9, 0xD0BCBD, 0xB19F9F},
}};

std::uint8_t ToScale(double v) noexcept {
    return std::uint8_t(std::nearbyint(v * 240.0));
}

std::uint8_t ToChannel(double v) noexcept {
    if (v > 1.0)
        v = 1.0;
    if (v < 0.0)
        v = 0.0;
    return std::uint8_t(std::nearbyint(v * 255.0));
}

bool Themed(TFcGradientColorStyle style) noexcept {
    return style == TFcGradientColorStyle::gcsMSOffice && ThemesEnabled();
}

TRect Shrink(TRect r, TSides sides, int by) noexcept {
    if (sides.Contains(TSide::sdLeft))
        r.Left += by;
    if (sides.Contains(TSide::sdTop))
        r.Top += by;
    if (sides.Contains(TSide::sdRight))
        r.Right -= by;
    if (sides.Contains(TSide::sdBottom))
        r.Bottom -= by;
    return r;
}

void Line(TCanvas& c, int x0, int y0, int x1, int y1) {
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
}

// The two-colour etched frame of fsGroove and fsBump.
TRect DrawEtchedSides(TCanvas& c, TRect r, TColor ul, TColor lr, TSides sides) {
    const bool left = sides.Contains(TSide::sdLeft), top = sides.Contains(TSide::sdTop);
    const bool right = sides.Contains(TSide::sdRight), bottom = sides.Contains(TSide::sdBottom);
    // Corner pixels where a chosen side meets one that is left out.
    if (right)
        c.SetPixel(r.Right - 1, r.Top, lr);
    else if (top)
        c.SetPixel(r.Right - 1, r.Top, ul);
    if (bottom)
        c.SetPixel(r.Left, r.Bottom - 1, lr);
    else if (left)
        c.SetPixel(r.Left, r.Bottom - 1, ul);
    if (top && !left)
        c.SetPixel(r.Left, r.Top + 1, lr);
    if (left && !top)
        c.SetPixel(r.Left + 1, r.Top, lr);
    if (bottom && !right)
        c.SetPixel(r.Right - 1, r.Bottom - 2, ul);
    if (right && !bottom)
        c.SetPixel(r.Right - 2, r.Bottom - 1, ul);
    DrawRectSides(c, Rect(r.Left + 1, r.Top + 1, r.Right, r.Bottom), lr, lr, sides);
    DrawRectSides(c, Rect(r.Left, r.Top, r.Right - 1, r.Bottom - 1), ul, ul, sides);
    return Shrink(r, sides, 2);
}

// Rings of one colour on the chosen sides.
TRect Rings(TCanvas& c, TRect r, TColor color, int count, TSides sides) {
    return DrawNestedSides(c, r, color, color, count, sides);
}

// A one-pixel outline without its four corner pixels.
TRect DrawCutOutline(TCanvas& c, TRect r, TColor color, TSides sides) {
    c.Pen.Color = color;
    if (sides.Contains(TSide::sdLeft))
        Line(c, r.Left, r.Top + 1, r.Left, r.Bottom - 1);
    if (sides.Contains(TSide::sdTop))
        Line(c, r.Left + 1, r.Top, r.Right - 1, r.Top);
    if (sides.Contains(TSide::sdRight))
        Line(c, r.Right - 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    if (sides.Contains(TSide::sdBottom))
        Line(c, r.Left + 1, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
    return InflateRect(r, -1, -1);
}

} // namespace

TFrameColors FrameStyleColors(TFrameStyle style) noexcept {
    const auto i = std::size_t(style);
    return i < kFrameStyleColors.size() ? kFrameStyleColors[i] : kFrameStyleColors[1];
}

TBorderRings ThreeDBorderColors(bool lowered) noexcept {
    if (lowered)
        return {{clBtnShadow, clBtnHighlight}, {cl3DDkShadow, cl3DLight}};
    return {{cl3DLight, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}};
}

TBorderRings ButtonBorderColors(bool down) noexcept {
    if (down)
        return {{clBtnText, clBtnText}, {clBtnShadow, clBtnShadow}};
    return {{clBtnHighlight, cl3DDkShadow}, {cl3DLight, clBtnShadow}};
}

TColor XPSchemeColor(std::uint8_t scheme, int index) noexcept {
    if (scheme >= kXPSchemes.size())
        scheme = 0;
    if (index < 0 || index >= 6)
        index = 0;
    return TColor(kXPSchemes[scheme][std::size_t(index)]);
}

THueSatLum ColorToHueSatLum(TColor color) noexcept {
    const TColor rgb = ColorToRGB(color);
    const double r = GetRValue(rgb) / 255.0, g = GetGValue(rgb) / 255.0, b = GetBValue(rgb) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double l = (mx + mn) / 2.0;
    double h = 0.0, s = 0.0;
    if (mx != mn) {
        const double d = mx - mn;
        s = l < 0.5 ? d / (mx + mn) : d / (2.0 - mx - mn);
        if (r == mx)
            h = (g - b) / d;
        else if (g == mx)
            h = 2.0 + (b - r) / d;
        else
            h = 4.0 + (r - g) / d;
        h /= 6.0;
        if (h < 0.0)
            h += 1.0;
    }
    return {ToScale(h), ToScale(s), ToScale(l)};
}

void ColorToHueSatLum(TColor color, std::uint8_t& h, std::uint8_t& s, std::uint8_t& l) noexcept {
    const THueSatLum v = ColorToHueSatLum(color);
    h = v.H;
    s = v.S;
    l = v.L;
}

std::uint8_t HueOfColor(TColor color) noexcept {
    return ColorToHueSatLum(color).H;
}

TColor HueSatLumToColor(std::uint8_t hue, std::uint8_t sat, std::uint8_t lum) noexcept {
    const double h = hue / 239.0, s = sat / 240.0, l = lum / 240.0;
    const double m2 = l < 0.5 ? l * (1.0 + s) : l + s - l * s;
    if (m2 <= 0.0)
        return clBlack;
    const double m1 = 2.0 * l - m2;
    const double sv = (m2 - m1) / m2;
    const double h6 = 6.0 * h;
    const int sextant = int(h6);
    const double f = h6 - sextant;
    const double v = m2 * sv * f;
    const double up = m1 + v, down = m2 - v;
    double r, g, b;
    switch (sextant) {
    case 1:
        r = down, g = m2, b = m1;
        break;
    case 2:
        r = m1, g = m2, b = up;
        break;
    case 3:
        r = m1, g = down, b = m2;
        break;
    case 4:
        r = up, g = m1, b = m2;
        break;
    case 5:
        r = m2, g = m1, b = down;
        break;
    default: // 0, and hue 239 and above
        r = m2, g = up, b = m1;
        break;
    }
    return RGB(ToChannel(r), ToChannel(g), ToChannel(b));
}

TColor DarkenColor(TColor color, std::uint8_t amount) noexcept {
    const THueSatLum v = ColorToHueSatLum(color);
    const int l = std::max(int(v.L) - int(amount), 0);
    return HueSatLumToColor(v.H, v.S, std::uint8_t(l));
}

TColor LightenColor(TColor color, std::uint8_t amount) noexcept {
    const THueSatLum v = ColorToHueSatLum(color);
    const int l = std::min(int(v.L) + int(amount), 255);
    return HueSatLumToColor(v.H, v.S, std::uint8_t(l));
}

TColor AdjustColor(TColor color, int amount) noexcept {
    if (amount < 0)
        return DarkenColor(color, std::uint8_t(std::min(-amount, 255)));
    if (amount > 0)
        return LightenColor(color, std::uint8_t(std::min(amount, 255)));
    return color;
}

TColor BlendColors(TColor color1, TColor color2, std::uint8_t weight) noexcept {
    const TColor a = ColorToRGB(color1), b = ColorToRGB(color2);
    const float x = weight / 255.0f;
    auto mix = [x](std::uint8_t c1, std::uint8_t c2) {
        return std::uint8_t(std::nearbyint(float(c1) * x + float(c2) * (1.0f - x)));
    };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
               mix(GetBValue(a), GetBValue(b)));
}

bool ColorsAreSimilar(TColor color1, TColor color2) noexcept {
    const THueSatLum a = ColorToHueSatLum(color1), b = ColorToHueSatLum(color2);
    return std::abs(int(a.H) - int(b.H)) < 20 && std::abs(int(a.L) - int(b.L)) < 60;
}

TColor ComplementColor(TColor color, std::uint8_t luminance) noexcept {
    const std::uint8_t h = HueOfColor(color);
    const std::uint8_t h2 = h < 120 ? std::uint8_t(h + 120) : std::uint8_t(h - 120);
    return HueSatLumToColor(h2, 240, luminance);
}

TColor GetThemePartColor(int) noexcept {
    // Without visual themes every part reads as the button face.
    return clBtnFace;
}

void GetSelectionColors(TFcGradientColorStyle style, TColor& frameColor, TColor& startColor,
                        TColor& stopColor) noexcept {
    if (Themed(style)) {
        frameColor = XPSchemeColor(XPColorScheme, 0);
        startColor = XPSchemeColor(XPColorScheme, 1);
        stopColor = XPSchemeColor(XPColorScheme, 2);
    } else {
        frameColor = clHighlight;
        const TColor b = BlendColors(clHighlight, clWindow, 77);
        startColor = LightenColor(b, 20);
        stopColor = b;
    }
    if (!FullColorScreen)
        startColor = stopColor;
}

void GetGradientPanelColors(TFcGradientColorStyle style, TColor& startColor,
                            TColor& stopColor) noexcept {
    if (Themed(style)) {
        startColor = XPSchemeColor(XPColorScheme, 3);
        stopColor = XPSchemeColor(XPColorScheme, 4);
    } else {
        startColor = clWindow;
        stopColor = DarkenColor(clBtnFace, 10);
    }
}

TColor GetGradientFrameColor(TFcGradientColorStyle style) noexcept {
    return Themed(style) ? XPSchemeColor(XPColorScheme, 5) : LightenColor(clBtnShadow, 30);
}

void GetGradientStatusColors(TFcGradientColorStyle style, TColor& stopColor, TColor& startColor,
                             TColor& lineColor) noexcept {
    if (Themed(style)) {
        stopColor = XPSchemeColor(XPColorScheme, 4);
        startColor = XPSchemeColor(XPColorScheme, 3);
        lineColor = XPSchemeColor(XPColorScheme, 4);
    } else {
        stopColor = DarkenColor(clBtnFace, 20);
        startColor = clWindow;
        lineColor = DarkenColor(clBtnFace, 40);
    }
}

TRect DrawRectSides(TCanvas& canvas, TRect rect, TColor ulColor, TColor lrColor, TSides sides) {
    if (ulColor != clNone) {
        canvas.Pen.Color = ulColor;
        if (sides.Contains(TSide::sdLeft))
            Line(canvas, rect.Left, rect.Top, rect.Left, rect.Bottom);
        if (sides.Contains(TSide::sdTop))
            Line(canvas, rect.Left, rect.Top, rect.Right, rect.Top);
    }
    if (lrColor != clNone) {
        canvas.Pen.Color = lrColor;
        if (sides.Contains(TSide::sdRight))
            Line(canvas, rect.Right - 1, rect.Top, rect.Right - 1, rect.Bottom);
        if (sides.Contains(TSide::sdBottom))
            Line(canvas, rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom - 1);
    }
    return Shrink(rect, sides, 1);
}

TRect DrawNestedSides(TCanvas& canvas, TRect rect, TColor ulColor, TColor lrColor, int count,
                      TSides sides) {
    canvas.Pen.Width = 1;
    for (int i = 0; i < count; ++i)
        rect = DrawRectSides(canvas, rect, ulColor, lrColor, sides);
    return rect;
}

namespace {
TRect DrawRings(TCanvas& canvas, TRect rect, const TBorderRings& rings, TSides sides) {
    rect = DrawNestedSides(canvas, rect, rings.Outer.UpperLeft, rings.Outer.LowerRight, 1, sides);
    return DrawNestedSides(canvas, rect, rings.Inner.UpperLeft, rings.Inner.LowerRight, 1, sides);
}
} // namespace

TRect Draw3DBorderSides(TCanvas& canvas, TRect rect, bool lowered, TSides sides) {
    return DrawRings(canvas, rect, ThreeDBorderColors(lowered), sides);
}

TRect Draw3DBorder(TCanvas& canvas, TRect rect, bool lowered) {
    return Draw3DBorderSides(canvas, rect, lowered, TSides::All());
}

TRect DrawButtonBorderSides(TCanvas& canvas, TRect rect, bool down, TSides sides) {
    return DrawRings(canvas, rect, ButtonBorderColors(down), sides);
}

TRect DrawButtonBorder(TCanvas& canvas, TRect rect, bool down) {
    return DrawButtonBorderSides(canvas, rect, down, TSides::All());
}

TRect DrawColorButtonBorderSides(TCanvas& canvas, TRect rect, TColor faceColor, bool down,
                                 TSides sides) {
    const TColor d50 = DarkenColor(faceColor, 50), d100 = DarkenColor(faceColor, 100);
    TBorderRings rings;
    if (down)
        rings = {{d100, d100}, {d50, d50}};
    else
        rings = {{LightenColor(faceColor, 100), d100}, {LightenColor(faceColor, 40), d50}};
    return DrawRings(canvas, rect, rings, sides);
}

TRect DrawColorButtonBorder(TCanvas& canvas, TRect rect, TColor faceColor, bool down) {
    return DrawColorButtonBorderSides(canvas, rect, faceColor, down, TSides::All());
}

TRect DrawFrameStyleSides(TCanvas& canvas, TRect rect, TFrameStyle style, TSides sides) {
    const TFrameColors c = FrameStyleColors(style);
    switch (style) {
    case TFrameStyleEx::fsNone:
        return rect;
    case TFrameStyleEx::fsFlat:
    case TFrameStyleEx::fsStatus:
    case TFrameStyleEx::fsPopup:
        return DrawRectSides(canvas, rect, c.UpperLeft, c.LowerRight, sides);
    case TFrameStyleEx::fsFlatBold:
        return DrawNestedSides(canvas, rect, c.UpperLeft, c.LowerRight, 2, sides);
    case TFrameStyleEx::fsLowered:
    case TFrameStyleEx::fsRaised:
        return Draw3DBorderSides(canvas, rect, style == TFrameStyleEx::fsLowered, sides);
    case TFrameStyleEx::fsButtonDown:
    case TFrameStyleEx::fsButtonUp:
        return DrawButtonBorderSides(canvas, rect, style == TFrameStyleEx::fsButtonDown, sides);
    case TFrameStyleEx::fsGroove:
    case TFrameStyleEx::fsBump:
        return DrawEtchedSides(canvas, rect, c.UpperLeft, c.LowerRight, sides);
    case TFrameStyleEx::fsFlatRounded:
        // No table entry: the rounded sides in the flat colour.
        return DrawRoundedFlatSides(canvas, rect, c.UpperLeft, sides);
    }
    return rect;
}

TRect DrawFrameStyleBorder(TCanvas& canvas, TRect rect, TFrameStyle style) {
    return DrawFrameStyleSides(canvas, rect, style, TSides::All());
}

TRect DrawColorFrameStyleSides(TCanvas& canvas, TRect rect, TColor faceColor, TFrameStyle style,
                               TSides sides) {
    const TColor d50 = DarkenColor(faceColor, 50), d100 = DarkenColor(faceColor, 100);
    const TColor l50 = LightenColor(faceColor, 50), l100 = LightenColor(faceColor, 100);
    switch (style) {
    case TFrameStyleEx::fsNone:
        return rect;
    case TFrameStyleEx::fsFlat:
        return DrawNestedSides(canvas, rect, d50, d50, 1, sides);
    case TFrameStyleEx::fsFlatBold:
        return DrawNestedSides(canvas, rect, d50, d50, 2, sides);
    case TFrameStyleEx::fsStatus:
        return DrawNestedSides(canvas, rect, d50, l100, 1, sides);
    case TFrameStyleEx::fsPopup:
        return DrawNestedSides(canvas, rect, l100, d50, 1, sides);
    case TFrameStyleEx::fsLowered:
        return DrawRings(canvas, rect, {{d50, l100}, {d100, l50}}, sides);
    case TFrameStyleEx::fsRaised:
        return DrawRings(canvas, rect, {{l50, d100}, {l100, d50}}, sides);
    case TFrameStyleEx::fsButtonDown:
    case TFrameStyleEx::fsButtonUp:
        return DrawColorButtonBorderSides(canvas, rect, faceColor,
                                          style == TFrameStyleEx::fsButtonDown, sides);
    case TFrameStyleEx::fsGroove:
        return DrawEtchedSides(canvas, rect, d50, l100, sides);
    default:
        return DrawEtchedSides(canvas, rect, l100, d50, sides);
    }
}

TRect DrawColorFrameStyleBorder(TCanvas& canvas, TRect rect, TColor faceColor, TFrameStyle style) {
    return DrawColorFrameStyleSides(canvas, rect, faceColor, style, TSides::All());
}

TRect DrawOutlineBox(TCanvas& canvas, TRect rect, TColor color) {
    return DrawRectSides(canvas, rect, color, color, TSides::All());
}

TRect DrawCornerBrackets(TCanvas& canvas, TRect rect, TColor color, int length) {
    canvas.Pen.Color = color;
    const int l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
    canvas.MoveTo(l, t + length - 1);
    canvas.LineTo(l, t);
    canvas.LineTo(l + length, t);
    canvas.MoveTo(r, t + length - 1);
    canvas.LineTo(r, t);
    canvas.LineTo(r - length, t);
    canvas.MoveTo(l, b - length + 1);
    canvas.LineTo(l, b);
    canvas.LineTo(l + length, b);
    canvas.MoveTo(r, b - length + 1);
    canvas.LineTo(r, b);
    canvas.LineTo(r - length, b);
    return InflateRect(rect, -1, -1);
}

TRect DrawDottedFocusBox(TCanvas& canvas, TRect rect) {
    for (int y = rect.Top + 1; y < rect.Bottom; y += 2) {
        canvas.SetPixel(rect.Left, y, clBlack);
        canvas.SetPixel(rect.Right - 1, y, clBlack);
    }
    for (int x = rect.Left + 1; x < rect.Right; x += 2) {
        canvas.SetPixel(x, rect.Top, clBlack);
        canvas.SetPixel(x, rect.Bottom - 1, clBlack);
    }
    return InflateRect(rect, -1, -1);
}

TRect DrawRoundedFlatSides(TCanvas& canvas, TRect rect, TColor color, TSides sides) {
    const bool left = sides.Contains(TSide::sdLeft), top = sides.Contains(TSide::sdTop);
    const bool right = sides.Contains(TSide::sdRight), bottom = sides.Contains(TSide::sdBottom);
    canvas.Pen.Color = color;
    const int y0 = top ? rect.Top + 2 : rect.Top, y1 = bottom ? rect.Bottom - 2 : rect.Bottom;
    const int x0 = left ? rect.Left + 2 : rect.Left, x1 = right ? rect.Right - 2 : rect.Right;
    if (left)
        Line(canvas, rect.Left, y0, rect.Left, y1);
    if (top)
        Line(canvas, x0, rect.Top, x1, rect.Top);
    if (right)
        Line(canvas, rect.Right - 1, y0, rect.Right - 1, y1);
    if (bottom)
        Line(canvas, x0, rect.Bottom - 1, x1, rect.Bottom - 1);
    if (left && top)
        canvas.SetPixel(rect.Left + 1, rect.Top + 1, color);
    if (top && right)
        canvas.SetPixel(rect.Right - 2, rect.Top + 1, color);
    if (right && bottom)
        canvas.SetPixel(rect.Right - 2, rect.Bottom - 2, color);
    if (bottom && left)
        canvas.SetPixel(rect.Left + 1, rect.Bottom - 2, color);
    return {x0, y0, x1, y1};
}

int BorderStyleDepth(TFrameStyleEx style, int bevelWidth) noexcept {
    switch (style) {
    case TFrameStyleEx::fsNone:
        return 0;
    case TFrameStyleEx::fsFlat:
        return 1;
    case TFrameStyleEx::fsStatus:
    case TFrameStyleEx::fsPopup:
        return bevelWidth;
    default:
        return 2;
    }
}

TRect ShrinkRectForBorders(TRect rect, const TFcBorders& b, bool includeBorderWidth) noexcept {
    if (includeBorderWidth)
        rect = InflateRect(rect, -b.BorderWidth, -b.BorderWidth);
    for (TFrameStyleEx style : {b.BorderOuter, b.BorderInner}) {
        const int d = BorderStyleDepth(style, b.BevelWidth);
        if (b.BorderSides.Contains(TSide::sdLeft))
            rect.Left += d;
        if (b.BorderSides.Contains(TSide::sdTop))
            rect.Top += d;
        if (b.BorderSides.Contains(TSide::sdRight))
            rect.Right -= d;
        if (b.BorderSides.Contains(TSide::sdBottom))
            rect.Bottom -= d;
    }
    return rect;
}

TRect DrawInnerOuterBorders(TCanvas& canvas, TRect rect, const TInnerOuterBorders& b) {
    TRect inner = rect;
    const TColor flat = AdjustColor(b.FlatColor, b.FlatColorAdjustment);
    const bool bordered = b.BorderWidth > 0 || b.BorderInner != TFrameStyleEx::fsNone;
    const TSides sides = b.BorderSides;
    auto bevel = [&](TRect r, TFrameStyleEx style) {
        if (style == TFrameStyleEx::fsStatus)
            return DrawNestedSides(canvas, r, b.BorderShadow, b.BorderHighlight, b.BevelWidth,
                                   sides);
        return DrawNestedSides(canvas, r, b.BorderHighlight, b.BorderShadow, b.BevelWidth, sides);
    };

    switch (b.BorderOuter) {
    case TFrameStyleEx::fsFlat:
        inner = Rings(canvas, inner, flat, 1, sides);
        break;
    case TFrameStyleEx::fsFlatBold:
        inner = Rings(canvas, inner, flat, 2, sides);
        break;
    case TFrameStyleEx::fsFlatRounded:
        if (!b.Transparent) {
            const TRect r = Rings(canvas, inner, b.ParentColor, 1, sides);
            Rings(canvas, r, bordered ? b.BorderColor : b.Color, 1, sides);
        } else if (bordered) {
            Rings(canvas, InflateRect(inner, -1, -1), b.BorderColor, 1, sides);
        }
        inner = DrawRoundedFlatSides(canvas, rect, flat, sides);
        break;
    case TFrameStyleEx::fsStatus:
    case TFrameStyleEx::fsPopup:
        inner = bevel(inner, b.BorderOuter);
        break;
    default:
        inner = DrawFrameStyleSides(canvas, inner, b.BorderOuter, sides);
        break;
    }

    if (b.BorderWidth > 0)
        inner = DrawNestedSides(canvas, inner, b.BorderColor, b.BorderColor, b.BorderWidth, sides);

    switch (b.BorderInner) {
    case TFrameStyleEx::fsFlat:
        inner = b.RoundedInnerFlat ? DrawCutOutline(canvas, inner, flat, sides)
                                   : Rings(canvas, inner, flat, 1, sides);
        break;
    case TFrameStyleEx::fsFlatBold:
        inner = Rings(canvas, inner, flat, 2, sides);
        break;
    case TFrameStyleEx::fsFlatRounded: {
        const TRect r = Rings(canvas, inner, b.BorderColor, 1, sides);
        if (!b.Transparent)
            Rings(canvas, r, b.Color, 1, sides);
        inner = DrawRoundedFlatSides(canvas, inner, flat, sides);
        break;
    }
    case TFrameStyleEx::fsStatus:
    case TFrameStyleEx::fsPopup:
        inner = bevel(inner, b.BorderInner);
        break;
    default:
        inner = DrawFrameStyleSides(canvas, inner, b.BorderInner, sides);
        break;
    }
    return inner;
}

void DrawControlFrame(TCanvas& canvas, int width, int height, TFrameStyle style, TColor color,
                      TColor frameColor, TSides sides, bool skipClear) {
    const TRect r = Rect(0, 0, width, height);
    if (!skipClear)
        DrawNestedSides(canvas, r, color, color, 2, TSides::All());
    switch (style) {
    case TFrameStyleEx::fsFlat:
        DrawRectSides(canvas, r, frameColor, frameColor, sides);
        break;
    case TFrameStyleEx::fsFlatBold:
        DrawNestedSides(canvas, r, frameColor, frameColor, 2, sides);
        break;
    default:
        if (color == clWindow)
            DrawFrameStyleSides(canvas, r, style, sides);
        else
            DrawColorFrameStyleSides(canvas, r, color, style, sides);
        break;
    }
}

namespace {

// The combo box arrow: rows 7, 5, 3 and 1 pixels wide, the widest on top.
void FillComboArrow(TCanvas& canvas, int left, int top, TColor color) {
    for (int row = 0; row < 4; ++row)
        for (int x = left + row; x < left + 7 - row; ++x)
            canvas.SetPixel(x, top + row, color);
}

} // namespace

void DrawFrameControlComboButton(TCanvas& canvas, const TRect& rect, bool pushed, bool inactive) {
    const TRect inner =
        pushed ? DrawOutlineBox(canvas, rect, clBtnShadow) : Draw3DBorder(canvas, rect, false);
    canvas.Brush.SetColor(clBtnFace);
    canvas.FillRect(inner);
    int left = rect.Left + (rect.Width() - 7) / 2;
    int top = rect.Top + (rect.Height() - 4) / 2;
    if (pushed) {
        ++left;
        ++top;
    }
    if (inactive) {
        FillComboArrow(canvas, left + 1, top + 1, clBtnHighlight);
        FillComboArrow(canvas, left, top, clBtnShadow);
    } else {
        FillComboArrow(canvas, left, top, clBlack);
    }
}

bool RedrawWindowFrame(QWidget& window, const TRect& rect) {
    if (!HasVisibleArea(window))
        return false;
    // The frame and rect of the client area (client coordinates).
    QRect client = window.contentsRect();
    QRegion region = QRegion(window.rect()).subtracted(QRegion(client));
    region += QRegion(ToQRect(OffsetRect(rect, client.left(), client.top())));
    window.update(region);
    return true;
}

namespace {
// The text is handed on as a zero-terminated string: it ends at its first NUL.
std::string_view UpToNul(std::string_view text) noexcept {
    return text.substr(0, text.find('\0'));
}
} // namespace

int DrawTextOnCanvas(TCanvas& canvas, std::string_view text, TRect& rect, unsigned flags) {
    return canvas.DrawText(UpToNul(text), rect, flags);
}

void DrawCenteredText(TCanvas& canvas, std::string_view text, const TRect& rect) {
    TRect r = rect;
    canvas.DrawText(UpToNul(text), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

TFont CreateRotatedFont(const TFont& font, int angle) {
    TFont rotated = font;
    rotated.Escapement = angle * 10;
    return rotated;
}

bool FontIsTrueType(const TFont& font) {
    return (GetTextMetrics(font).tmPitchAndFamily & TMPF_TRUETYPE) != 0;
}

int MinimumHeightForFont(const TFont& font) {
    return GetTextMetrics(font).tmHeight + 2;
}

int AverageCharWidth(const TFont& font) {
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int w = QFontMetrics(ToQFont(font)).horizontalAdvance(kLetters);
    return int(std::nearbyint(w / 52.0));
}

} // namespace vdx
