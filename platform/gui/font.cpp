#include "platform/gui/font.h"

#include "platform/os/ascii.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>

#include <array>
#include <cmath>
#include <string_view>

namespace vdx::gui {

namespace {

constexpr std::array<std::string_view, 9> kSansFaces = {
    "MS Sans Serif",        "MS Shell Dlg", "MS Shell Dlg 2", "Tahoma", "Arial",
    "Microsoft Sans Serif", "Segoe UI",     "Verdana",        "System"};
constexpr std::array<std::string_view, 5> kMonoFaces = {"Courier New", "Courier", "Fixedsys",
                                                        "Terminal", "Lucida Console"};

} // namespace

int TFont::Size() const noexcept {
    // Points from a character height, rounded as MulDiv does.
    const int h = Height < 0 ? -Height : Height;
    return (h * 72 + kPixelsPerInch / 2) / kPixelsPerInch;
}

void TFont::SetSize(int points) noexcept {
    Height = -((points * kPixelsPerInch + 36) / 72);
}

std::string MappedFontFamily(const std::string& name) {
    for (auto face : kSansFaces)
        if (os::EqualsIgnoringAsciiCase(face, name))
            return "DejaVu Sans";
    for (auto face : kMonoFaces)
        if (os::EqualsIgnoringAsciiCase(face, name))
            return "DejaVu Sans Mono";
    return name.empty() ? std::string("DejaVu Sans") : name;
}

QFont ToQFont(const TFont& font) {
    QFont f(QString::fromStdString(MappedFontFamily(font.Name)));
    int pixels = font.Height < 0 ? -font.Height : font.Height;
    if (font.Height > 0) {
        // A cell height: scale the em so that ascent + descent match it.
        QFont probe = f;
        probe.setPixelSize(100);
        const QFontMetricsF m(probe);
        const double cell = m.ascent() + m.descent();
        if (cell > 0)
            pixels = int(std::lround(font.Height * 100.0 / cell));
    }
    f.setPixelSize(pixels > 0 ? pixels : 1);
    f.setBold(font.Style.Contains(TFontStyle::fsBold));
    f.setItalic(font.Style.Contains(TFontStyle::fsItalic));
    f.setUnderline(font.Style.Contains(TFontStyle::fsUnderline));
    f.setStrikeOut(font.Style.Contains(TFontStyle::fsStrikeOut));
    if (font.Pitch == TFontPitch::fpFixed)
        f.setFixedPitch(true);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

TTextMetric GetTextMetrics(const TFont& font) {
    const QFont f = ToQFont(font);
    const QFontMetrics m(f);
    TTextMetric tm;
    tm.tmAscent = m.ascent();
    tm.tmDescent = m.descent();
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = tm.tmHeight - f.pixelSize();
    if (tm.tmInternalLeading < 0)
        tm.tmInternalLeading = 0;
    tm.tmExternalLeading = m.leading() > 0 ? m.leading() : 0;
    tm.tmAveCharWidth = m.averageCharWidth();
    tm.tmMaxCharWidth = m.maxWidth();
    tm.tmWeight = f.bold() ? 700 : 400;
    tm.tmPitchAndFamily = TMPF_VECTOR | TMPF_TRUETYPE;
    if (!m.inFont(QChar('i')) || m.horizontalAdvance('i') != m.horizontalAdvance('W'))
        tm.tmPitchAndFamily |= TMPF_FIXED_PITCH; // the bit means variable pitch
    return tm;
}

} // namespace vdx::gui
