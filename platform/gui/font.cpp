#include "platform/gui/font.h"

#include "platform/os/ascii.h"

#include <QByteArray>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRawFont>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

namespace vdx::gui {

namespace {

// The classic faces with metric-compatible outlines installed by fonts-wine
// (and Arial's by fonts-liberation): captions and controls are placed in
// pixels for exactly these faces.
struct MetricFace {
    std::string_view name;   // the face name the forms use
    std::string_view family; // the family that paints it
};
constexpr std::array<MetricFace, 7> kMetricFaces = {{
    {"Tahoma", "Tahoma"},
    {"MS Shell Dlg 2", "Tahoma"},
    {"MS Sans Serif", "MS Sans Serif"},
    {"MS Shell Dlg", "MS Sans Serif"},
    {"Microsoft Sans Serif", "MS Sans Serif"},
    {"Marlett", "Marlett"},
    {"Arial", "Liberation Sans"},
}};
constexpr std::array<MetricFace, 4> kWineFontFiles = {{
    {"tahoma.ttf", "Tahoma"},
    {"tahomabd.ttf", "Tahoma"},
    {"ms_sans_serif.ttf", "MS Sans Serif"},
    {"marlett.ttf", "Marlett"},
}};
constexpr std::string_view kWineFontFolder = "/usr/share/wine/fonts/";

constexpr std::array<std::string_view, 3> kSansFaces = {"Segoe UI", "Verdana", "System"};
constexpr std::array<std::string_view, 5> kMonoFaces = {"Courier New", "Courier", "Fixedsys",
                                                        "Terminal", "Lucida Console"};
constexpr std::string_view kFallback = "DejaVu Sans";
// fonts-wine's "MS Sans Serif" is the classic bitmap face with its 8-point
// strike only: em 11, cell 13 pixels.
constexpr std::string_view kBitmapFace = "MS Sans Serif";
constexpr int kStrikeEm = 11;
constexpr int kStrikeCell = 13;
// fonts-wine's Tahoma carries bitmap strikes (regular 8 to 13, 15 and 16
// pixels; bold ones only from 9 to 12 hold bold glyphs). Drawn from them,
// unsmoothed as the classic look draws small text, captions take the widths
// the forms were laid out for; smoothed outlines on the strikes' advances
// run about 10 % wider and space bold letters apart.
constexpr std::string_view kStrikeFace = "Tahoma";
constexpr std::array<int, 8> kRegularStrikes = {8, 9, 10, 11, 12, 13, 15, 16};
constexpr std::array<int, 4> kBoldStrikes = {9, 10, 11, 12};

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// The metric families the font database has, looked up once: fonts-wine keeps
// its files outside the fontconfig paths, so they are added to the database
// first. A missing family is reported once and painted in the fallback.
class MetricFamilies {
public:
    MetricFamilies() {
        const QStringList installed = QFontDatabase::families();
        for (const auto& file : kWineFontFiles) {
            if (installed.contains(Latin1(file.family), Qt::CaseInsensitive))
                continue;
            const QString path = Latin1(kWineFontFolder) + Latin1(file.name);
            if (QFileInfo::exists(path))
                QFontDatabase::addApplicationFont(path);
        }
        const QStringList known = QFontDatabase::families();
        for (const auto& face : kMetricFaces) {
            if (known.contains(Latin1(face.family), Qt::CaseInsensitive)) {
                m_present.emplace_back(face.family);
            } else if (std::find(m_missing.begin(), m_missing.end(), face.family) ==
                       m_missing.end()) {
                m_missing.emplace_back(face.family);
                std::fprintf(
                    stderr,
                    "font \"%.*s\" is not installed (fonts-wine, fonts-liberation); using %.*s\n",
                    int(face.family.size()), face.family.data(), int(kFallback.size()),
                    kFallback.data());
            }
        }
    }
    bool Has(std::string_view family) const {
        return std::find(m_present.begin(), m_present.end(), family) != m_present.end();
    }

private:
    std::vector<std::string_view> m_present;
    std::vector<std::string_view> m_missing;
};

// Needs the application object: the database belongs to it.
const MetricFamilies* Families() {
    if (!QGuiApplication::instance())
        return nullptr;
    static const MetricFamilies families;
    return &families;
}

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
    for (const auto& face : kMetricFaces)
        if (os::EqualsIgnoringAsciiCase(face.name, name)) {
            const MetricFamilies* families = Families();
            if (families && families->Has(face.family))
                return std::string(face.family);
            return std::string(kFallback);
        }
    for (auto face : kSansFaces)
        if (os::EqualsIgnoringAsciiCase(face, name))
            return std::string(kFallback);
    for (auto face : kMonoFaces)
        if (os::EqualsIgnoringAsciiCase(face, name))
            return "DejaVu Sans Mono";
    return name.empty() ? std::string(kFallback) : name;
}

bool PaintsFromStrikes(const std::string& family, int pixels, bool bold) {
    if (family != kStrikeFace)
        return false;
    if (bold)
        return std::find(kBoldStrikes.begin(), kBoldStrikes.end(), pixels) != kBoldStrikes.end();
    return std::find(kRegularStrikes.begin(), kRegularStrikes.end(), pixels) !=
           kRegularStrikes.end();
}

QFont ToQFont(const TFont& font) {
    std::string family = MappedFontFamily(font.Name);
    const bool bold = font.Style.Contains(TFontStyle::fsBold);
    int pixels = font.Height < 0 ? -font.Height : font.Height;
    bool scale = font.Height > 0;
    if (family == kBitmapFace) {
        // Only the one strike paints as the forms were drawn; a bold face or
        // another size takes the nearest outline face (no bitmap is scaled).
        if (!bold && (font.Height == -kStrikeEm || font.Height == kStrikeCell)) {
            pixels = kStrikeEm;
            scale = false;
        } else {
            family = MappedFontFamily("Tahoma");
        }
    }
    QFont f(QString::fromStdString(family));
    if (scale) {
        // A cell height: scale the em so that ascent + descent match it.
        QFont probe = f;
        probe.setPixelSize(100);
        const QFontMetricsF m(probe);
        const double cell = m.ascent() + m.descent();
        if (cell > 0)
            pixels = int(std::lround(font.Height * 100.0 / cell));
    }
    f.setPixelSize(pixels > 0 ? pixels : 1);
    f.setBold(bold);
    f.setItalic(font.Style.Contains(TFontStyle::fsItalic));
    f.setUnderline(font.Style.Contains(TFontStyle::fsUnderline));
    f.setStrikeOut(font.Style.Contains(TFontStyle::fsStrikeOut));
    if (font.Pitch == TFontPitch::fpFixed)
        f.setFixedPitch(true);
    f.setKerning(false);
    f.setHintingPreference(QFont::PreferFullHinting);
    if (PaintsFromStrikes(family, f.pixelSize(), bold))
        f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

int LineHeight(const QFont& font) {
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    // The platform's cell comes from the face's Windows ascent and descent
    // (OS/2 table); Qt's own metrics follow the typographic ones, or a
    // bitmap strike's ink.
    QFont outline = font;
    outline.setPixelSize(100);
    outline.setStyleStrategy(QFont::PreferDefault);
    const QRawFont raw = QRawFont::fromFont(outline);
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    double ascent = 0;
    double descent = 0;
    if (os2.size() >= 78 && raw.unitsPerEm() > 0) {
        const auto word = [&os2](int at) {
            return (unsigned(std::uint8_t(os2[at])) << 8) | std::uint8_t(os2[at + 1]);
        };
        ascent = word(74) * pixels / raw.unitsPerEm();
        descent = word(76) * pixels / raw.unitsPerEm();
    } else {
        const QFontMetricsF m(outline);
        ascent = m.ascent() * pixels / 100.0;
        descent = m.descent() * pixels / 100.0;
    }
    return int(std::lround(ascent) + std::lround(descent));
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
    if (tm.tmAveCharWidth <= 0 || tm.tmAveCharWidth > m.maxWidth())
        tm.tmAveCharWidth = m.horizontalAdvance(QChar('x')); // a bitmap face has no average
    tm.tmMaxCharWidth = m.maxWidth();
    tm.tmWeight = f.bold() ? 700 : 400;
    tm.tmPitchAndFamily =
        QFontDatabase::isSmoothlyScalable(f.family()) ? TMPF_VECTOR | TMPF_TRUETYPE : 0;
    if (!m.inFont(QChar('i')) || m.horizontalAdvance('i') != m.horizontalAdvance('W'))
        tm.tmPitchAndFamily |= TMPF_FIXED_PITCH; // the bit means variable pitch
    return tm;
}

} // namespace vdx::gui
