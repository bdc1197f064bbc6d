// The fixed system colours and the 0..240 colour arithmetic.
#include <gtest/gtest.h>

#include "controls/FcColorTables.h"
#include "controls/FcCommon.h"
#include "controls/FcDraw.h"

namespace vdx {
namespace {

using namespace gui;

TEST(SystemColors, ResolveThroughTheFixedClassicTable) {
    struct Case {
        TColor in;
        std::uint32_t rgb;
    };
    const Case cases[] = {
        {clBtnFace, 0xC0C0C0},        {clBtnShadow, 0x808080},  {clBtnHighlight, 0xFFFFFF},
        {cl3DDkShadow, 0x000000},     {clWindow, 0xFFFFFF},     {clHighlight, 0x800000},
        {clInfoBk, 0xE1FFFF},         {clWindowText, 0x000000}, {clNone, 0x1FFFFFFF},
        {TColor(0x123456), 0x123456}, {TColor(0xFF0000FF), 0}};
    for (const Case& c : cases)
        EXPECT_EQ(ColorToRGB(c.in).Value(), c.rgb) << std::hex << c.in.Value();
    EXPECT_EQ(ToQColor(clInfoBk), QColor(255, 255, 225));
}

TEST(ColorModel, HueSatLumBothWays) {
    struct Case {
        TColor color;
        THueSatLum hsl;
    };
    const Case cases[] = {{clRed, {0, 240, 120}},
                          {clLime, {80, 240, 120}},
                          {clBlue, {160, 240, 120}},
                          {clWhite, {0, 0, 240}},
                          {clBlack, {0, 0, 0}},
                          {TColor(0xC0C0C0), {0, 0, 181}},
                          {TColor(0x800000), {160, 240, 60}}};
    for (const Case& c : cases)
        EXPECT_EQ(ColorToHueSatLum(c.color), c.hsl) << std::hex << c.color.Value();

    struct Back {
        std::uint8_t h, s, l;
        std::uint32_t rgb;
    };
    const Back back[] = {
        {0, 240, 120, 0x0000FF},
        {239, 240, 120, 0x0000FF}, // sextant 6 counts as 0
        // Hue 120 is not pure green on this scale: h = 120 / 239 lands just
        // inside the fourth sextant.
        {120, 240, 120, 0xFFFC00},
        {80, 240, 120, 0x02FF00},
        {0, 0, 131, 0x8B8B8B},
        {0, 0, 255, 0xFFFFFF}, // luminance above 240 is cut at white
        {50, 100, 0, 0x000000},
    };
    for (const Back& b : back)
        EXPECT_EQ(HueSatLumToColor(b.h, b.s, b.l).Value(), b.rgb) << int(b.h);
}

TEST(ColorModel, DarkenLightenAdjustBlend) {
    struct Case {
        const char* name;
        TColor result;
        std::uint32_t rgb;
    };
    const TColor odd(0x1E90FF); // its HSL round trip is not exact
    const Case cases[] = {
        {"darken silver 50", DarkenColor(TColor(0xC0C0C0), 50), 0x8B8B8B},
        {"lighten silver 40", LightenColor(TColor(0xC0C0C0), 40), 0xEBEBEB},
        {"darken face 50", DarkenColor(clBtnFace, 50), 0x8B8B8B},
        {"darken black", DarkenColor(clBlack, 200), 0x000000},
        {"lighten white", LightenColor(clWhite, 200), 0xFFFFFF},
        {"lighten to the cut", LightenColor(TColor(0xC0C0C0), 255), 0xFFFFFF},
        {"adjust 0 is exact", AdjustColor(odd, 0), 0x1E90FF},
        {"adjust negative darkens", AdjustColor(TColor(0xC0C0C0), -50), 0x8B8B8B},
        {"adjust positive lightens", AdjustColor(TColor(0xC0C0C0), 40), 0xEBEBEB},
        {"blend all first", BlendColors(clWhite, clBlack, 255), 0xFFFFFF},
        {"blend all second", BlendColors(clWhite, clBlack, 0), 0x000000},
        {"blend half", BlendColors(clWhite, clBlack, 128), 0x808080},
        {"blend resolves system colours", BlendColors(clBtnFace, clWindow, 255), 0xC0C0C0},
        {"complement of red", ComplementColor(clRed, 120), 0xFFFC00},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result.Value(), c.rgb) << c.name;
    EXPECT_NE(DarkenColor(odd, 0), odd);
}

TEST(ColorModel, Similarity) {
    EXPECT_TRUE(ColorsAreSimilar(clBlack, cl3DDkShadow));
    EXPECT_TRUE(ColorsAreSimilar(TColor(0x202020), clBlack));
    EXPECT_FALSE(ColorsAreSimilar(clRed, clBlue));
    EXPECT_FALSE(ColorsAreSimilar(clWhite, clBlack));
}

TEST(SchemeColors, WithoutThemes) {
    for (int kind : {-1, 0, 3, 7, 8, 99})
        EXPECT_EQ(GetThemePartColor(kind), clBtnFace) << kind;

    const bool saved = FullColorScreen;
    TColor frame, start, stop;
    FullColorScreen = true;
    GetSelectionColors(TFcGradientColorStyle::gcsMSOffice, frame, start, stop);
    EXPECT_EQ(frame, clHighlight);
    EXPECT_EQ(stop, BlendColors(clHighlight, clWindow, 77));
    EXPECT_EQ(start, LightenColor(stop, 20));
    FullColorScreen = false;
    GetSelectionColors(TFcGradientColorStyle::gcsSystem, frame, start, stop);
    EXPECT_EQ(start, stop);
    FullColorScreen = saved;

    GetGradientPanelColors(TFcGradientColorStyle::gcsMSOffice, start, stop);
    EXPECT_EQ(start, clWindow);
    EXPECT_EQ(stop, DarkenColor(clBtnFace, 10));
    EXPECT_EQ(GetGradientFrameColor(TFcGradientColorStyle::gcsMSOffice),
              LightenColor(clBtnShadow, 30));
    TColor line;
    GetGradientStatusColors(TFcGradientColorStyle::gcsSystem, stop, start, line);
    EXPECT_EQ(stop, DarkenColor(clBtnFace, 20));
    EXPECT_EQ(start, clWindow);
    EXPECT_EQ(line, DarkenColor(clBtnFace, 40));
    EXPECT_EQ(XPSchemeColor(1, 5), TColor(0x77A17F));
    EXPECT_EQ(XPSchemeColor(9, 0), TColor(0x800000)); // unknown scheme: the default one
}

TEST(ColorTables, NamedColoursSkipTheUnusedSystemIndex) {
    const auto& t = NamedColorTable();
    EXPECT_EQ(t[0].Name, "Black");
    EXPECT_EQ(t[39].Color, clWhite);
    EXPECT_EQ(t[40].Color, clScrollBar);
    EXPECT_EQ(t[64].Name, "Info Background");
    EXPECT_EQ(t[65].Color, clHotLight); // $FF000019 has no entry
    EXPECT_EQ(t[69].Color, clMenuBar);
    EXPECT_EQ(ColorComboTables().System[24].Color, clInfoBk);
    EXPECT_EQ(ColorComboTables().System[24].Name, "InfoBk");
}

} // namespace
} // namespace vdx
