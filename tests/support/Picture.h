#pragma once
// Pixel pictures: an image filled with a canary colour first, then read
// back as rows of characters through a legend, so a test states the exact
// picture it expects.

#include "platform/gui/color.h"

#include <QImage>

#include <initializer_list>
#include <string>
#include <vector>

namespace vdx::test {

inline constexpr gui::TColor kCanary{0xFF00FF}; // magenta, used by nothing drawn

inline QImage CanaryImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(gui::ToQColor(kCanary));
    return image;
}

struct LegendEntry {
    char Symbol;
    gui::TColor Color;
};

// '.' is the canary; a colour outside the legend reads as '?'.
inline std::string Picture(const QImage& image, const std::vector<LegendEntry>& legend) {
    std::string out;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const gui::TColor c = gui::FromQColor(image.pixelColor(x, y));
            char ch = c == kCanary ? '.' : '?';
            for (const LegendEntry& e : legend)
                if (gui::ColorToRGB(e.Color) == c) {
                    ch = e.Symbol;
                    break;
                }
            out += ch;
        }
        out += '\n';
    }
    return out;
}

inline std::string Rows(std::initializer_list<const char*> rows) {
    std::string out;
    for (const char* r : rows) {
        out += r;
        out += '\n';
    }
    return out;
}

// The classic system colours by their values: w white (highlight, window),
// s shadow, k black (dark shadow, button text), f face (face, 3D light).
inline const std::vector<LegendEntry>& ClassicLegend() {
    static const std::vector<LegendEntry> legend = {{'w', gui::clBtnHighlight},
                                                    {'s', gui::clBtnShadow},
                                                    {'k', gui::cl3DDkShadow},
                                                    {'f', gui::clBtnFace}};
    return legend;
}

} // namespace vdx::test
