#pragma once
// Fonts as the class library describes them. Height < 0 is the character
// (em) height in pixels, Height > 0 the cell height. Tahoma, "MS Sans Serif"
// and Marlett paint in their metric-compatible faces (fonts-wine), Arial in
// Liberation Sans (fonts-liberation), the other classic faces in DejaVu Sans.

#include "platform/gui/color.h"

#include <QFont>

#include <cstdint>
#include <string>

namespace vdx::gui {

enum class TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TFontStyles {
public:
    constexpr TFontStyles() noexcept = default;
    constexpr TFontStyles(TFontStyle s) noexcept : m_bits(std::uint8_t(s)) {}
    constexpr bool Contains(TFontStyle s) const noexcept { return (m_bits & std::uint8_t(s)) != 0; }
    constexpr TFontStyles operator|(TFontStyles o) const noexcept {
        return FromBits(m_bits | o.m_bits);
    }
    constexpr TFontStyles Without(TFontStyle s) const noexcept {
        return FromBits(m_bits & ~std::uint8_t(s));
    }
    constexpr std::uint8_t Bits() const noexcept { return m_bits; }
    static constexpr TFontStyles FromBits(unsigned bits) noexcept {
        TFontStyles r;
        r.m_bits = std::uint8_t(bits & 0x0F);
        return r;
    }
    friend constexpr bool operator==(TFontStyles, TFontStyles) noexcept = default;

private:
    std::uint8_t m_bits = 0;
};
constexpr TFontStyles operator|(TFontStyle a, TFontStyle b) noexcept {
    return TFontStyles(a) | TFontStyles(b);
}

enum class TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };

inline constexpr int kPixelsPerInch = 96;
inline constexpr std::uint8_t DEFAULT_CHARSET = 1;

struct TFont {
    std::string Name = "MS Sans Serif";
    int Height = -11; // -11 is 8 points at 96 pixels per inch
    TFontStyles Style;
    TColor Color = clWindowText;
    std::uint8_t Charset = DEFAULT_CHARSET;
    TFontPitch Pitch = TFontPitch::fpDefault;
    int Escapement = 0; // text angle in tenths of a degree, counter-clockwise

    // Points from the height, and back (negative heights).
    int Size() const noexcept;
    void SetSize(int points) noexcept;
    friend bool operator==(const TFont&, const TFont&) = default;
};

// The installed family that paints a face name (the metric faces need the
// application object; before it they map to DejaVu Sans).
std::string MappedFontFamily(const std::string& name);
QFont ToQFont(const TFont& font);
// Whether the installed family at that em height (pixels) and weight paints
// from the face's own bitmap strikes: such text is drawn unsmoothed (ToQFont
// sets it).
bool PaintsFromStrikes(const std::string& family, int pixels, bool bold);
// The height of a line of single-spaced text in font: ascent and descent of
// its outlines, each rounded to pixels as the platform rounds them (Tahoma
// of 11 pixels: 13).
int LineHeight(const QFont& font);

// Bits of TTextMetric::tmPitchAndFamily.
inline constexpr std::uint8_t TMPF_FIXED_PITCH = 1; // set for a VARIABLE pitch font
inline constexpr std::uint8_t TMPF_VECTOR = 2;
inline constexpr std::uint8_t TMPF_TRUETYPE = 4;

struct TTextMetric {
    int tmHeight = 0; // ascent + descent
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
    int tmWeight = 400;
    std::uint8_t tmPitchAndFamily = 0;
};

TTextMetric GetTextMetrics(const TFont& font);

} // namespace vdx::gui
