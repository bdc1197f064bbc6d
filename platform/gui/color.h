#pragma once
// Colours as the class library keeps them: $00BBGGRR for an RGB colour and
// $FF0000nn for system colour nn. System colours resolve through one fixed
// table (the classic "Windows Standard" scheme), so every machine paints the
// same pictures. A TColor never turns into a QRgb by itself: use ColorToRGB
// or ToQColor.

#include <QColor>
#include <QMetaType>

#include <cstdint>

namespace vdx::gui {

class TColor {
public:
    constexpr TColor() noexcept = default;
    constexpr explicit TColor(std::uint32_t value) noexcept : m_value(value) {}

    constexpr std::uint32_t Value() const noexcept { return m_value; }
    // A system colour (high bit set): the low byte is the system-colour index.
    constexpr bool IsSystem() const noexcept { return (m_value & 0x80000000u) != 0; }
    friend constexpr bool operator==(TColor, TColor) noexcept = default;

private:
    std::uint32_t m_value = 0;
};

constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) noexcept {
    return TColor(std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16));
}
// Channels of the raw value (resolve system colours with ColorToRGB first).
constexpr std::uint8_t GetRValue(TColor c) noexcept {
    return std::uint8_t(c.Value());
}
constexpr std::uint8_t GetGValue(TColor c) noexcept {
    return std::uint8_t(c.Value() >> 8);
}
constexpr std::uint8_t GetBValue(TColor c) noexcept {
    return std::uint8_t(c.Value() >> 16);
}

// Plain colours.
inline constexpr TColor clBlack{0x000000};
inline constexpr TColor clMaroon{0x000080};
inline constexpr TColor clGreen{0x008000};
inline constexpr TColor clOlive{0x008080};
inline constexpr TColor clNavy{0x800000};
inline constexpr TColor clPurple{0x800080};
inline constexpr TColor clTeal{0x808000};
inline constexpr TColor clGray{0x808080};
inline constexpr TColor clSilver{0xC0C0C0};
inline constexpr TColor clRed{0x0000FF};
inline constexpr TColor clLime{0x00FF00};
inline constexpr TColor clYellow{0x00FFFF};
inline constexpr TColor clBlue{0xFF0000};
inline constexpr TColor clFuchsia{0xFF00FF};
inline constexpr TColor clAqua{0xFFFF00};
inline constexpr TColor clWhite{0xFFFFFF};
inline constexpr TColor clLtGray{0xC0C0C0};
inline constexpr TColor clDkGray{0x808080};
inline constexpr TColor clMoneyGreen{0xC0DCC0};
inline constexpr TColor clSkyBlue{0xF0CAA6};
inline constexpr TColor clCream{0xF0FBFF};
inline constexpr TColor clMedGray{0xA4A0A0};

// System colours ($FF000000 + the platform's colour index).
inline constexpr TColor clScrollBar{0xFF000000};
inline constexpr TColor clBackground{0xFF000001};
inline constexpr TColor clActiveCaption{0xFF000002};
inline constexpr TColor clInactiveCaption{0xFF000003};
inline constexpr TColor clMenu{0xFF000004};
inline constexpr TColor clWindow{0xFF000005};
inline constexpr TColor clWindowFrame{0xFF000006};
inline constexpr TColor clMenuText{0xFF000007};
inline constexpr TColor clWindowText{0xFF000008};
inline constexpr TColor clCaptionText{0xFF000009};
inline constexpr TColor clActiveBorder{0xFF00000A};
inline constexpr TColor clInactiveBorder{0xFF00000B};
inline constexpr TColor clAppWorkSpace{0xFF00000C};
inline constexpr TColor clHighlight{0xFF00000D};
inline constexpr TColor clHighlightText{0xFF00000E};
inline constexpr TColor clBtnFace{0xFF00000F};
inline constexpr TColor clBtnShadow{0xFF000010};
inline constexpr TColor clGrayText{0xFF000011};
inline constexpr TColor clBtnText{0xFF000012};
inline constexpr TColor clInactiveCaptionText{0xFF000013};
inline constexpr TColor clBtnHighlight{0xFF000014};
inline constexpr TColor cl3DDkShadow{0xFF000015};
inline constexpr TColor cl3DLight{0xFF000016};
inline constexpr TColor clInfoText{0xFF000017};
inline constexpr TColor clInfoBk{0xFF000018};
inline constexpr TColor clHotLight{0xFF00001A};
inline constexpr TColor clGradientActiveCaption{0xFF00001B};
inline constexpr TColor clGradientInactiveCaption{0xFF00001C};
inline constexpr TColor clMenuHighlight{0xFF00001D};
inline constexpr TColor clMenuBar{0xFF00001E};

// No colour at all (routines skip what would be painted in it).
inline constexpr TColor clNone{0x1FFFFFFF};
// The control's own default colour.
inline constexpr TColor clDefault{0x20000000};

inline constexpr int kSystemColorCount = 31;

// $00BBGGRR of system colour index (0..30) in the fixed scheme; 0 for any
// other index.
std::uint32_t GetSysColor(int index) noexcept;

// The RGB value of c: system colours through the fixed table, every other
// value unchanged (so clNone stays $1FFFFFFF).
TColor ColorToRGB(TColor c) noexcept;

// Opaque QColor of c's resolved low 24 bits.
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c) noexcept;

} // namespace vdx::gui

Q_DECLARE_METATYPE(vdx::gui::TColor)
