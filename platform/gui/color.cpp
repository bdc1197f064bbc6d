#include "platform/gui/color.h"

#include <array>

namespace vdx::gui {

namespace {

// The classic "Windows Standard" scheme, as $00BBGGRR:
//  0 scroll bar C0C0C0, 1 desktop 808000 (teal), 2 active caption 800000 (navy),
//  3 inactive caption 808080, 4 menu C0C0C0, 5 window FFFFFF, 6 window frame 0,
//  7 menu text 0, 8 window text 0, 9 caption text FFFFFF, 10/11 borders C0C0C0,
//  12 app workspace 808080, 13 highlight 800000, 14 highlight text FFFFFF,
//  15 button face C0C0C0, 16 button shadow 808080, 17 gray text 808080,
//  18 button text 0, 19 inactive caption text C0C0C0, 20 button highlight
//  FFFFFF, 21 3D dark shadow 0, 22 3D light C0C0C0, 23 info text 0, 24 info
//  background E1FFFF (255, 255, 225), 25 unused 0, 26 hot light 800000,
//  27 gradient active caption F0CAA6, 28 gradient inactive caption C0C0C0,
//  29 menu highlight 800000, 30 menu bar C0C0C0.
constexpr std::array<std::uint32_t, kSystemColorCount> kSystemColors = {
    0xC0C0C0, 0x808000, 0x800000, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x800000, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x000000, 0xC0C0C0, 0x000000,
    0xE1FFFF, 0x000000, 0x800000, 0xF0CAA6, 0xC0C0C0, 0x800000, 0xC0C0C0};

} // namespace

std::uint32_t GetSysColor(int index) noexcept {
    if (index < 0 || index >= kSystemColorCount)
        return 0;
    return kSystemColors[std::size_t(index)];
}

TColor ColorToRGB(TColor c) noexcept {
    if (c.IsSystem())
        return TColor(GetSysColor(int(c.Value() & 0xFF)));
    return c;
}

QColor ToQColor(TColor c) {
    const TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c) noexcept {
    return RGB(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()));
}

} // namespace vdx::gui
