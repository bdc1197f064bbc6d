#pragma once
// The geometry of the platform's DrawText: line breaking, "&" prefixes,
// alignment, end ellipsis, tab expansion and the calculated rectangle, as
// pure functions over a text measurer so tests can check them exactly.

#include "platform/gui/geometry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::gui {

// DrawText flags.
inline constexpr unsigned DT_TOP = 0x0;
inline constexpr unsigned DT_LEFT = 0x0;
inline constexpr unsigned DT_CENTER = 0x1;
inline constexpr unsigned DT_RIGHT = 0x2;
inline constexpr unsigned DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8;
inline constexpr unsigned DT_WORDBREAK = 0x10;
inline constexpr unsigned DT_SINGLELINE = 0x20;
inline constexpr unsigned DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_TABSTOP = 0x80;
inline constexpr unsigned DT_NOCLIP = 0x100;
inline constexpr unsigned DT_EXTERNALLEADING = 0x200;
inline constexpr unsigned DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800;
inline constexpr unsigned DT_INTERNAL = 0x1000;
inline constexpr unsigned DT_EDITCONTROL = 0x2000;
inline constexpr unsigned DT_PATH_ELLIPSIS = 0x4000;
inline constexpr unsigned DT_END_ELLIPSIS = 0x8000;
inline constexpr unsigned DT_MODIFYSTRING = 0x10000;
inline constexpr unsigned DT_RTLREADING = 0x20000;
inline constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;
inline constexpr unsigned DT_HIDEPREFIX = 0x100000;
inline constexpr unsigned DT_PREFIXONLY = 0x200000;

struct TTextMeasurer {
    std::function<int(std::string_view)> Width; // advance width of a text run
    int LineHeight = 0;                         // tmHeight
    int ExternalLeading = 0;
    int AveCharWidth = 0;
};

// A text with its "&" prefixes resolved: "&&" shows one "&", "&x" shows x
// underlined, a single trailing "&" shows nothing.
struct TPrefixedText {
    std::string Text;
    int Underline = -1; // byte index of the underlined character, -1 for none
};
TPrefixedText ResolvePrefixes(std::string_view text);

// Tab expansion: position of the next tab stop after x (relative to origin).
// No stops: every 8 average character widths; one stop: every stops[0]
// pixels; several: the listed positions, then every last-minus-previous.
int NextTabStop(int x, const std::vector<int>& stops, int aveCharWidth);

// Width of a text whose tabs advance to tab stops.
int TabbedWidth(std::string_view text, const std::vector<int>& stops, const TTextMeasurer& m);

// The length of the longest start of text that is at most width wide: a
// box too narrow for its text shows the whole characters it holds, none
// cut in half.
std::size_t FittingLength(std::string_view text, int width, const TTextMeasurer& m);

struct TTextLine {
    std::string Text;   // what is painted (prefixes resolved, ellipsis added)
    int Underline = -1; // byte index into Text, -1 for none
    int X = 0;          // left of the line
    int Y = 0;          // top of the line
    int Width = 0;
};

struct TTextLayout {
    std::vector<TTextLine> Lines;
    TRect Rect;                // the rectangle (with DT_CALCRECT: the measured one)
    int Result = 0;            // DrawText's return value
    std::vector<int> TabStops; // in effect with DT_EXPANDTABS (empty: default)
};

// The layout DrawText(text, rect, flags) produces.
TTextLayout LayoutDrawText(std::string_view text, const TRect& rect, unsigned flags,
                           const TTextMeasurer& measurer);

} // namespace vdx::gui
