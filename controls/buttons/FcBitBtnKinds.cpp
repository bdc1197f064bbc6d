#include "controls/buttons/FcBitBtnKinds.h"

#include "platform/gui/color.h"

#include <array>
#include <memory>

namespace vdx {

namespace {

using gui::TColor;

constexpr int kCell = 16;
constexpr int kKinds = 11;
using TCellPicture = std::array<const char*, kCell>;

struct TKindInfo {
    const char* Caption;
    gui::TModalResult ModalResult;
    TCellPicture Picture;
};

constexpr TCellPicture kNone = {};

// The pictures, one character a pixel; '.' is the background.
constexpr TCellPicture kOkPicture = {
    "................", "................", "................", "............gg..",
    "...........ggg..", "..........ggg...", ".........ggg....", "..gg....ggg.....",
    "..ggg..ggg......", "...ggggggg......", "....ggggg.......", ".....ggg........",
    "......g.........", "................", "................", "................"};
constexpr TCellPicture kCancelPicture = {
    "................", "................", "...rr......rr...", "...rrr....rrr...",
    "....rrr..rrr....", ".....rrrrrr.....", "......rrrr......", "......rrrr......",
    ".....rrrrrr.....", "....rrr..rrr....", "...rrr....rrr...", "...rr......rr...",
    "................", "................", "................", "................"};
constexpr TCellPicture kHelpPicture = {
    "................", ".....nnnnnn.....", "....nn....nn....", "....nn....nn....",
    "..........nn....", ".........nn.....", "........nn......", ".......nn.......",
    ".......nn.......", ".......nn.......", "................", ".......nn.......",
    ".......nn.......", "................", "................", "................"};
constexpr TCellPicture kYesPicture = {
    "................", "................", "............gg..", "...........glg..",
    "..........gllg..", ".........gllg...", "..gg....gllg....", ".glg...gllg.....",
    ".gllg.gllg......", "..gllgllg.......", "...glllg........", "....glg.........",
    ".....g..........", "................", "................", "................"};
constexpr TCellPicture kNoPicture = {
    "................", ".....rrrrrr.....", "...rrrrrrrrrr...", "..rrr......rrr..",
    "..rr......rrrr..", ".rr......rrr.rr.", ".rr.....rrr..rr.", ".rr....rrr...rr.",
    ".rr...rrr....rr.", ".rr..rrr.....rr.", ".rr.rrr......rr.", "..rrrr......rr..",
    "..rrr......rrr..", "...rrrrrrrrrr...", ".....rrrrrr.....", "................"};
constexpr TCellPicture kClosePicture = {
    "................", "....kkkkkkkk....", "....kooooook....", "....kooooook....",
    "....kooooook....", "....kooooook....", "....kooooook....", "....kooooyok....",
    "....kooooook....", "....kooooook....", "....kooooook....", "....kooooook....",
    "....kooooook....", "....kkkkkkkk....", "..ssssssssssss..", "................"};
constexpr TCellPicture kAbortPicture = {
    "................", ".....rrrrrr.....", "....rrrrrrrr....", "...rrrrrrrrrr...",
    "..rrrrrrrrrrrr..", "..rrrrrrrrrrrr..", "..rrwwwwwwwwrr..", "..rrwwwwwwwwrr..",
    "..rrrrrrrrrrrr..", "..rrrrrrrrrrrr..", "...rrrrrrrrrr...", "....rrrrrrrr....",
    ".....rrrrrr.....", "................", "................", "................"};
constexpr TCellPicture kRetryPicture = {
    "................", ".....ggggg......", "...ggg...ggg.g..", "..gg.......ggg..",
    "..g.......gggg..", ".gg......ggggg..", ".g..............", ".g..............",
    ".g............g.", ".gg..........gg.", "..g..........g..", "..gg........gg..",
    "...ggg....ggg...", ".....gggggg.....", "................", "................"};
constexpr TCellPicture kIgnorePicture = {
    "................", "................", "................", "..........n.....",
    "..........nn....", "..nnnnnnnnnnn...", "..nnnnnnnnnnnn..", "..nnnnnnnnnnn...",
    "..........nn....", "..........n.....", "................", "..ssssssssssss..",
    "..ssssssssssss..", "................", "................", "................"};
constexpr TCellPicture kAllPicture = {
    "................", "................", "................", "................",
    "......g.....g...", "......g.....g...", ".....gg....gg...", ".....gg....gg...",
    ".g..gg.g..gg....", ".g..gg.g..gg....", ".gggg..gggg.....", ".gggg..gggg.....",
    "..gg....gg......", "..gg....gg......", "................", "................"};

// Captions as the class library's resource strings have them.
const std::array<TKindInfo, kKinds> kKindInfo = {{
    {"", gui::mrNone, kNone},
    {"OK", gui::mrOk, kOkPicture},
    {"Cancel", gui::mrCancel, kCancelPicture},
    {"&Help", gui::mrNone, kHelpPicture},
    {"&Yes", gui::mrYes, kYesPicture},
    {"&No", gui::mrNo, kNoPicture},
    {"&Close", gui::mrNone, kClosePicture},
    {"Abort", gui::mrAbort, kAbortPicture},
    {"&Retry", gui::mrRetry, kRetryPicture},
    {"&Ignore", gui::mrIgnore, kIgnorePicture},
    {"&All", gui::mrAll, kAllPicture},
}};

constexpr TColor kBackground = gui::clTeal;

TColor PixelColor(char c) {
    switch (c) {
    case 'g':
        return gui::clGreen;
    case 'l':
        return gui::clLime;
    case 'r':
        return gui::clRed;
    case 'n':
        return gui::clNavy;
    case 'k':
        return gui::clBlack;
    case 'o':
        return gui::clOlive;
    case 'y':
        return gui::clYellow;
    case 'w':
        return gui::clWhite;
    case 's':
        return gui::clGray;
    default:
        return kBackground;
    }
}

std::size_t Index(TBitBtnKind kind) {
    const auto i = std::size_t(kind);
    return i < kKinds ? i : 0;
}

// The normal cell, then the disabled one: every pixel of the picture in the
// shadow colour, with the highlight one pixel down and right of it.
std::unique_ptr<gui::TBitmap> MakeGlyph(const TCellPicture& picture) {
    QImage image(2 * kCell, kCell, QImage::Format_RGB32);
    image.fill(gui::ToQColor(kBackground));
    auto ink = [&](int x, int y) {
        return x < kCell && y < kCell && picture[std::size_t(y)][x] != '.';
    };
    const QColor shadow = gui::ToQColor(gui::clBtnShadow);
    const QColor highlight = gui::ToQColor(gui::clBtnHighlight);
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            if (ink(x, y)) {
                image.setPixelColor(x, y, gui::ToQColor(PixelColor(picture[std::size_t(y)][x])));
                image.setPixelColor(kCell + x, y, shadow);
            } else if (x > 0 && y > 0 && ink(x - 1, y - 1)) {
                image.setPixelColor(kCell + x, y, highlight);
            }
        }
    auto glyph = std::make_unique<gui::TBitmap>();
    glyph->Assign(image);
    return glyph;
}

} // namespace

const std::string& KindCaption(TBitBtnKind kind) {
    static const std::array<std::string, kKinds> captions = [] {
        std::array<std::string, kKinds> out;
        for (std::size_t i = 0; i < kKinds; ++i)
            out[i] = kKindInfo[i].Caption;
        return out;
    }();
    return captions[Index(kind)];
}

gui::TModalResult KindModalResult(TBitBtnKind kind) {
    return kKindInfo[Index(kind)].ModalResult;
}

const gui::TBitmap& LoadKindGlyph(TBitBtnKind kind) {
    static std::array<std::unique_ptr<gui::TBitmap>, kKinds> cache;
    static const gui::TBitmap empty;
    const std::size_t i = Index(kind);
    if (kind == TBitBtnKind::bkCustom)
        return empty;
    if (!cache[i])
        cache[i] = MakeGlyph(kKindInfo[i].Picture);
    return *cache[i];
}

} // namespace vdx
