#pragma once
// The drawing vocabulary of the framed controls: colours on a 0..240
// hue/saturation/luminance scale, scheme colours, frames painted by sides in
// the library's frame styles, the frame of framed controls, text and fonts.
// Frame routines draw with the canvas pen only, change only its colour (and
// width in DrawNestedSides), and return the rectangle left inside.

#include "platform/gui/canvas.h"
#include "platform/gui/color.h"
#include "platform/gui/enum_set.h"
#include "platform/gui/font.h"
#include "platform/gui/geometry.h"

#include <QMetaType>

#include <cstdint>
#include <string>
#include <string_view>

class QWidget;

namespace vdx {

using gui::TCanvas;
using gui::TColor;
using gui::TFont;
using gui::TPoint;
using gui::TRect;

enum class TFrameStyleEx : std::uint8_t {
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup,
    fsFlatBold,
    fsFlatRounded
};
// The range fsNone .. fsFlatBold; fsFlatRounded only where a control's border model allows it.
using TFrameStyle = TFrameStyleEx;

enum class TSide : std::uint8_t { sdLeft, sdTop, sdRight, sdBottom };

// Member n is bit n, as the class library streams the set.
using TSides = gui::TOrdinalSet<TSide, 4>;
constexpr TSides operator|(TSide a, TSide b) noexcept {
    return TSides(a) | TSides(b);
}

enum class TFramingPreference : std::uint8_t { fpCustomFraming, fpXPThemes };
enum class TFcGradientColorStyle : std::uint8_t { gcsSystem, gcsMSOffice, gcsCustom };
enum class TFcVisualStyle : std::uint8_t { vsClassic, vsWinXP, vsGradient };
enum class TTextStyle : std::uint8_t { tsNormal, tsRaised, tsRecessed, tsShadow };
enum class TAlignmentVertical : std::uint8_t { avTop, avCenter, avBottom };
enum class TFcHotTrackColorType : std::uint8_t { htctComplement, htctActual };
enum class TFcButtonHotTrackStyle : std::uint8_t { htsInterior, htsFrame };

// Upper-left and lower-right colour of a frame style (fsNone .. fsFlatBold).
struct TFrameColors {
    TColor UpperLeft;
    TColor LowerRight;
};
TFrameColors FrameStyleColors(TFrameStyle style) noexcept;

// Two rings, outer then inner.
struct TBorderRings {
    TFrameColors Outer;
    TFrameColors Inner;
};
TBorderRings ThreeDBorderColors(bool lowered) noexcept;
TBorderRings ButtonBorderColors(bool down) noexcept;

// The six colours of an XP colour scheme (0 default, 1 "HOMESTEAD", 2
// "METALLIC"): 0 selection frame, 1 selection start, 2 selection stop,
// 3 gradient start, 4 gradient stop, 5 flat frame. Out-of-range: scheme 0.
TColor XPSchemeColor(std::uint8_t scheme, int index) noexcept;

// Colour model (0..240).
struct THueSatLum {
    std::uint8_t H = 0;
    std::uint8_t S = 0;
    std::uint8_t L = 0;
    friend constexpr bool operator==(const THueSatLum&, const THueSatLum&) = default;
};
THueSatLum ColorToHueSatLum(TColor color) noexcept;
void ColorToHueSatLum(TColor color, std::uint8_t& h, std::uint8_t& s, std::uint8_t& l) noexcept;
std::uint8_t HueOfColor(TColor color) noexcept;
// Luminance above 240 drives the channels to their cut at 255.
TColor HueSatLumToColor(std::uint8_t h, std::uint8_t s, std::uint8_t l) noexcept;
TColor DarkenColor(TColor color, std::uint8_t amount) noexcept;
TColor LightenColor(TColor color, std::uint8_t amount) noexcept;
// Darken for amount < 0, lighten for amount > 0, color itself for 0.
TColor AdjustColor(TColor color, int amount) noexcept;
// weight 255: all color1, 0: all color2.
TColor BlendColors(TColor color1, TColor color2, std::uint8_t weight) noexcept;
bool ColorsAreSimilar(TColor color1, TColor color2) noexcept;
TColor ComplementColor(TColor color, std::uint8_t luminance) noexcept;

// Theme part colours: without themes clBtnFace for every kind.
TColor GetThemePartColor(int kind) noexcept;
void GetSelectionColors(TFcGradientColorStyle style, TColor& frameColor, TColor& startColor,
                        TColor& stopColor) noexcept;
void GetGradientPanelColors(TFcGradientColorStyle style, TColor& startColor,
                            TColor& stopColor) noexcept;
TColor GetGradientFrameColor(TFcGradientColorStyle style) noexcept;
void GetGradientStatusColors(TFcGradientColorStyle style, TColor& stopColor, TColor& startColor,
                             TColor& lineColor) noexcept;

// Frames. Lines are one pixel wide unless the caller set another pen width.
TRect DrawRectSides(TCanvas& canvas, TRect rect, TColor ulColor, TColor lrColor, TSides sides);
TRect DrawNestedSides(TCanvas& canvas, TRect rect, TColor ulColor, TColor lrColor, int count,
                      TSides sides);
TRect Draw3DBorderSides(TCanvas& canvas, TRect rect, bool lowered, TSides sides);
TRect Draw3DBorder(TCanvas& canvas, TRect rect, bool lowered);
TRect DrawButtonBorderSides(TCanvas& canvas, TRect rect, bool down, TSides sides);
TRect DrawButtonBorder(TCanvas& canvas, TRect rect, bool down);
TRect DrawColorButtonBorderSides(TCanvas& canvas, TRect rect, TColor faceColor, bool down,
                                 TSides sides);
TRect DrawColorButtonBorder(TCanvas& canvas, TRect rect, TColor faceColor, bool down);
TRect DrawFrameStyleSides(TCanvas& canvas, TRect rect, TFrameStyle style, TSides sides);
TRect DrawFrameStyleBorder(TCanvas& canvas, TRect rect, TFrameStyle style);
TRect DrawColorFrameStyleSides(TCanvas& canvas, TRect rect, TColor faceColor, TFrameStyle style,
                               TSides sides);
TRect DrawColorFrameStyleBorder(TCanvas& canvas, TRect rect, TColor faceColor, TFrameStyle style);
TRect DrawOutlineBox(TCanvas& canvas, TRect rect, TColor color);
TRect DrawCornerBrackets(TCanvas& canvas, TRect rect, TColor color, int length);
TRect DrawDottedFocusBox(TCanvas& canvas, TRect rect);
TRect DrawRoundedFlatSides(TCanvas& canvas, TRect rect, TColor color, TSides sides);

// The border model of panels and labels: an outer style, a band of
// BorderWidth pixels in BorderColor and an inner style, on BorderSides.
// The defaults draw nothing; each control sets its own.
struct TFcBorders {
    TFrameStyleEx BorderOuter = TFrameStyleEx::fsNone;
    TFrameStyleEx BorderInner = TFrameStyleEx::fsNone;
    int BorderWidth = 0;
    TSides BorderSides = TSides::All();
    int BevelWidth = 1; // depth of fsStatus and fsPopup
    TColor BorderColor = gui::clBtnFace;
    TColor BorderHighlight = gui::clBtnHighlight;
    TColor BorderShadow = gui::clBtnShadow;
    TColor FlatColor = gui::clBtnShadow;
    int FlatColorAdjustment = 0;
    friend bool operator==(const TFcBorders&, const TFcBorders&) = default;
};
// How many pixels one border style takes on each side it is drawn on.
int BorderStyleDepth(TFrameStyleEx style, int bevelWidth) noexcept;
// rect shrunk by the borders of b: first by BorderWidth on all four sides
// when includeBorderWidth, then by BorderOuter and BorderInner on the sides
// in BorderSides.
TRect ShrinkRectForBorders(TRect rect, const TFcBorders& b, bool includeBorderWidth) noexcept;

// The border painter's arguments: the model and the colours around it.
struct TInnerOuterBorders : TFcBorders {
    TColor Color = gui::clBtnFace;
    TColor ParentColor = gui::clBtnFace;
    bool Transparent = false;
    bool RoundedInnerFlat = false;
};
// Returns the inner rectangle.
TRect DrawInnerOuterBorders(TCanvas& canvas, TRect rect, const TInnerOuterBorders& b);

// The frame of a framed control over (0, 0, width, height).
void DrawControlFrame(TCanvas& canvas, int width, int height, TFrameStyle style, TColor color,
                      TColor frameColor, TSides sides, bool skipClear);
// The classic combo box drop-down button (the platform's frame control of
// a scroll-bar combo box button): a raised button face with a black down
// arrow; pushed, a one-pixel shadow outline with the arrow one pixel down and
// right; inactive, the arrow embossed in shadow over highlight.
void DrawFrameControlComboButton(TCanvas& canvas, const TRect& rect, bool pushed, bool inactive);

// Repaints the frame margin of window over rect, only when the window has a
// visible area. Returns whether a repaint was asked for.
bool RedrawWindowFrame(QWidget& window, const TRect& rect);

// Text and fonts.
int DrawTextOnCanvas(TCanvas& canvas, std::string_view text, TRect& rect, unsigned flags);
void DrawCenteredText(TCanvas& canvas, std::string_view text, const TRect& rect);
// font turned by angle degrees (counter-clockwise), as a new font value.
TFont CreateRotatedFont(const TFont& font, int angle);
bool FontIsTrueType(const TFont& font);
int MinimumHeightForFont(const TFont& font); // tmHeight + 2
// Width of the 52 letters A..Z a..z divided by 52, rounded.
int AverageCharWidth(const TFont& font);

} // namespace vdx

Q_DECLARE_METATYPE(vdx::TFrameStyleEx)
Q_DECLARE_METATYPE(vdx::TSides)
Q_DECLARE_METATYPE(vdx::TFramingPreference)
