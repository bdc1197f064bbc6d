#include "platform/gui/ansi_text.h"

#include <array>

namespace vdx::gui {

namespace {

// Code page 1252 at 0x80..0x9F; the five unassigned codes keep their C1
// control value so every byte survives the round trip.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString AnsiToQString(std::string_view text) {
    QString out;
    out.reserve(qsizetype(text.size()));
    for (unsigned char c : text) {
        if (c >= 0x80 && c < 0xA0)
            out.append(QChar(kHigh[c - 0x80]));
        else
            out.append(QChar(char16_t(c)));
    }
    return out;
}

std::string QStringToAnsi(const QString& text) {
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (QChar qc : text) {
        const char16_t u = qc.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(char(u));
            continue;
        }
        char mapped = '?';
        for (std::size_t i = 0; i < kHigh.size(); ++i) {
            if (kHigh[i] == u) {
                mapped = char(0x80 + i);
                break;
            }
        }
        out.push_back(mapped);
    }
    return out;
}

} // namespace vdx::gui
