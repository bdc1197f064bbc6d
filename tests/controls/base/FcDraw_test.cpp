// Frames painted by sides in every frame style, from the fixed tables and
// derived from a face colour, and the colour model they are derived with. Legend: w highlight, s
// shadow, k dark shadow, f face / 3D light, '.' untouched.
#include "controls/base/FcDraw.h"

#include "controls/base/FcCommon.h"

#include "Picture.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace vdx {
namespace {

using namespace gui;
using test::CanaryImage;
using test::ClassicLegend;
using test::Picture;
using test::Rows;

const TRect kBox = Rect(0, 0, 6, 6);
const TSides kLeftTop = TSide::sdLeft | TSide::sdTop;

TEST(Frames, EveryStyleFromTheTables) {
    struct Case {
        TFrameStyle style;
        std::string picture;
        TRect inside;
    };
    using S = TFrameStyleEx;
    const Case cases[] = {
        {S::fsNone, Rows({"......", "......", "......", "......", "......", "......"}), kBox},
        {S::fsFlat, Rows({"kkkkkk", "k....k", "k....k", "k....k", "k....k", "kkkkkk"}),
         Rect(1, 1, 5, 5)},
        {S::fsStatus, Rows({"sssssw", "s....w", "s....w", "s....w", "s....w", "wwwwww"}),
         Rect(1, 1, 5, 5)},
        {S::fsPopup, Rows({"wwwwws", "w....s", "w....s", "w....s", "w....s", "ssssss"}),
         Rect(1, 1, 5, 5)},
        {S::fsFlatBold, Rows({"ssssss", "ssssss", "ss..ss", "ss..ss", "ssssss", "ssssss"}),
         Rect(2, 2, 4, 4)},
        {S::fsLowered, Rows({"sssssw", "skkkfw", "sk..fw", "sk..fw", "sffffw", "wwwwww"}),
         Rect(2, 2, 4, 4)},
        {S::fsRaised, Rows({"fffffk", "fwwwsk", "fw..sk", "fw..sk", "fssssk", "kkkkkk"}),
         Rect(2, 2, 4, 4)},
        {S::fsButtonUp, Rows({"wwwwwk", "wfffsk", "wf..sk", "wf..sk", "wssssk", "kkkkkk"}),
         Rect(2, 2, 4, 4)},
        {S::fsButtonDown, Rows({"kkkkkk", "kssssk", "ks..sk", "ks..sk", "kssssk", "kkkkkk"}),
         Rect(2, 2, 4, 4)},
        {S::fsGroove, Rows({"sssssw", "swwwsw", "sw..sw", "sw..sw", "sssssw", "wwwwww"}),
         Rect(2, 2, 4, 4)},
        {S::fsBump, Rows({"wwwwws", "wsssws", "ws..ws", "ws..ws", "wwwwws", "ssssss"}),
         Rect(2, 2, 4, 4)},
    };
    for (const Case& c : cases) {
        QImage image = CanaryImage(6, 6);
        TRect inside;
        {
            TCanvas canvas(image);
            inside = DrawFrameStyleBorder(canvas, kBox, c.style);
        }
        EXPECT_EQ(Picture(image, ClassicLegend()), c.picture) << int(c.style);
        EXPECT_EQ(inside, c.inside) << int(c.style);
    }
}

TEST(Frames, SidesLeftOut) {
    struct Case {
        const char* name;
        TFrameStyle style;
        TSides sides;
        std::string picture;
        TRect inside;
    };
    using S = TFrameStyleEx;
    const Case cases[] = {
        // The etched frame turns its corner pixels where a side stops.
        {"groove left+top", S::fsGroove, kLeftTop,
         Rows({"ssssss", "swwwww", "sw....", "sw....", "sw....", "sw...."}), Rect(2, 2, 6, 6)},
        {"groove right+bottom", S::fsGroove, TSide::sdRight | TSide::sdBottom,
         Rows({"....sw", "....sw", "....sw", "....sw", "sssssw", "wwwwww"}), Rect(0, 0, 4, 4)},
        {"lowered bottom only", S::fsLowered, TSides(TSide::sdBottom),
         Rows({"......", "......", "......", "......", "ffffff", "wwwwww"}), Rect(0, 0, 6, 4)},
    };
    for (const Case& c : cases) {
        QImage image = CanaryImage(6, 6);
        TRect inside;
        {
            TCanvas canvas(image);
            inside = DrawFrameStyleSides(canvas, kBox, c.style, c.sides);
        }
        EXPECT_EQ(Picture(image, ClassicLegend()), c.picture) << c.name;
        EXPECT_EQ(inside, c.inside) << c.name;
    }
}

TEST(Frames, RectSidesWithoutAColourStillMoveInward) {
    QImage image = CanaryImage(4, 4);
    TRect inside;
    {
        TCanvas canvas(image);
        inside = DrawRectSides(canvas, Rect(0, 0, 4, 4), clNone, clBtnShadow, TSides::All());
    }
    EXPECT_EQ(Picture(image, ClassicLegend()), Rows({"...s", "...s", "...s", "ssss"}));
    EXPECT_EQ(inside, Rect(1, 1, 3, 3));
}

TEST(Frames, OutlinesFocusBoxBracketsAndRoundedSides) {
    struct Case {
        const char* name;
        int w, h;
        TRect (*draw)(TCanvas&, TRect);
        std::string picture;
        TRect inside;
    };
    const Case cases[] = {
        {"dotted focus box", 6, 5, [](TCanvas& c, TRect r) { return DrawDottedFocusBox(c, r); },
         Rows({".k.k.k", "k....k", "......", "k....k", ".k.k.k"}), Rect(1, 1, 5, 4)},
        {"outline box", 4, 3, [](TCanvas& c, TRect r) { return DrawOutlineBox(c, r, clBtnShadow); },
         Rows({"ssss", "s..s", "ssss"}), Rect(1, 1, 3, 2)},
        {"rounded flat sides", 6, 6,
         [](TCanvas& c, TRect r) {
             return DrawRoundedFlatSides(c, r, cl3DDkShadow, TSides::All());
         },
         Rows({"..kk..", ".k..k.", "k....k", "k....k", ".k..k.", "..kk.."}), Rect(2, 2, 4, 4)},
        {"rounded left+top", 5, 4,
         [](TCanvas& c, TRect r) { return DrawRoundedFlatSides(c, r, cl3DDkShadow, kLeftTop); },
         Rows({"..kkk", ".k...", "k....", "k...."}), Rect(2, 2, 5, 4)},
        {"corner brackets", 8, 8,
         [](TCanvas& c, TRect r) { return DrawCornerBrackets(c, r, cl3DDkShadow, 3); },
         Rows({"kkk..kkk", "k......k", "k......k", "........", "........", "k......k", "k......k",
               "kkk..kkk"}),
         Rect(1, 1, 7, 7)},
    };
    for (const Case& c : cases) {
        QImage image = CanaryImage(c.w, c.h);
        TRect inside;
        {
            TCanvas canvas(image);
            inside = c.draw(canvas, Rect(0, 0, c.w, c.h));
        }
        EXPECT_EQ(Picture(image, ClassicLegend()), c.picture) << c.name;
        EXPECT_EQ(inside, c.inside) << c.name;
    }
}

TEST(Frames, ColourDerivedStyles) {
    const TColor face(0x3080C0);
    const TColor d50 = DarkenColor(face, 50), d100 = DarkenColor(face, 100);
    const TColor l50 = LightenColor(face, 50), l100 = LightenColor(face, 100);
    const std::vector<test::LegendEntry> legend = {
        {'d', d50}, {'D', d100}, {'l', l50}, {'L', l100}};
    QImage image = CanaryImage(6, 6);
    {
        TCanvas canvas(image);
        DrawColorFrameStyleBorder(canvas, kBox, face, TFrameStyleEx::fsLowered);
    }
    EXPECT_EQ(Picture(image, legend),
              Rows({"dddddL", "dDDDlL", "dD..lL", "dD..lL", "dllllL", "LLLLLL"}));

    QImage button = CanaryImage(4, 4);
    {
        TCanvas canvas(button);
        DrawColorButtonBorder(canvas, Rect(0, 0, 4, 4), face, true);
    }
    EXPECT_EQ(Picture(button, legend), Rows({"DDDD", "DddD", "DddD", "DDDD"}));
}

TEST(Frames, ControlFrameClearsTwoRingsAndDerivesFromAColouredControl) {
    // A control whose colour is not clWindow gets colour-derived rings.
    const TColor yellow = clYellow;
    const std::vector<test::LegendEntry> legend = {{'y', yellow},
                                                   {'d', DarkenColor(yellow, 50)},
                                                   {'D', DarkenColor(yellow, 100)},
                                                   {'l', LightenColor(yellow, 50)},
                                                   {'L', LightenColor(yellow, 100)}};
    QImage image = CanaryImage(7, 7);
    {
        TCanvas canvas(image);
        DrawControlFrame(canvas, 7, 7, TFrameStyleEx::fsLowered, yellow, clBtnShadow,
                         TSide::sdLeft | TSide::sdTop, false);
    }
    EXPECT_EQ(Picture(image, legend),
              Rows({"ddddddd", "dDDDDDD", "dD...yy", "dD...yy", "dD...yy", "dDyyyyy", "dDyyyyy"}));

    // With clWindow the tables are used; fsFlat uses the frame colour.
    QImage flat = CanaryImage(4, 4);
    {
        TCanvas canvas(flat);
        DrawControlFrame(canvas, 4, 4, TFrameStyleEx::fsFlat, clWindow, clBtnShadow, TSides::All(),
                         true);
    }
    EXPECT_EQ(Picture(flat, ClassicLegend()), Rows({"ssss", "s..s", "s..s", "ssss"}));
}

TEST(Frames, InnerOuterBorders) {
    TInnerOuterBorders b;
    b.BorderOuter = TFrameStyleEx::fsRaised;
    b.BorderWidth = 1;
    b.BorderColor = clBtnFace;
    b.BorderInner = TFrameStyleEx::fsStatus;
    b.BevelWidth = 1;
    QImage image = CanaryImage(8, 8);
    TRect inside;
    {
        TCanvas canvas(image);
        inside = DrawInnerOuterBorders(canvas, Rect(0, 0, 8, 8), b);
    }
    EXPECT_EQ(Picture(image, ClassicLegend()),
              Rows({"fffffffk", "fwwwwwsk", "fwffffsk", "fwfswfsk", "fwfwwfsk", "fwffffsk",
                    "fssssssk", "kkkkkkkk"}));
    EXPECT_EQ(inside, Rect(4, 4, 4, 4));

    b = TInnerOuterBorders();
    b.BorderInner = TFrameStyleEx::fsFlat;
    b.FlatColor = cl3DDkShadow;
    b.RoundedInnerFlat = true; // corners left out
    QImage cut = CanaryImage(4, 4);
    {
        TCanvas canvas(cut);
        inside = DrawInnerOuterBorders(canvas, Rect(0, 0, 4, 4), b);
    }
    EXPECT_EQ(Picture(cut, ClassicLegend()), Rows({".kk.", "k..k", "k..k", ".kk."}));
    EXPECT_EQ(inside, Rect(1, 1, 3, 3));
}

TEST(Frames, ClassicComboButtonUpPushedAndInactive) {
    struct Case {
        const char* name;
        bool pushed;
        bool inactive;
        std::string picture;
    };
    const Case cases[] = {
        {"up", false, false,
         Rows({"ffffffffffffk", "fwwwwwwwwwwsk", "fwfffffffffsk", "fwfkkkkkkkfsk", "fwffkkkkkffsk",
               "fwfffkkkfffsk", "fwffffkffffsk", "fwfffffffffsk", "fsssssssssssk",
               "kkkkkkkkkkkkk"})},
        {"pushed: outlined, the arrow a pixel down and right", true, false,
         Rows({"sssssssssssss", "sfffffffffffs", "sfffffffffffs", "sfffffffffffs", "sfffkkkkkkkfs",
               "sffffkkkkkffs", "sfffffkkkfffs", "sffffffkffffs", "sfffffffffffs",
               "sssssssssssss"})},
        {"inactive: embossed", false, true,
         Rows({"ffffffffffffk", "fwwwwwwwwwwsk", "fwfffffffffsk", "fwfsssssssfsk", "fwffssssswwsk",
               "fwfffssswwfsk", "fwffffswwffsk", "fwfffffwfffsk", "fsssssssssssk",
               "kkkkkkkkkkkkk"})},
    };
    for (const Case& c : cases) {
        QImage image = CanaryImage(13, 10);
        {
            TCanvas canvas(image);
            DrawFrameControlComboButton(canvas, Rect(0, 0, 13, 10), c.pushed, c.inactive);
        }
        EXPECT_EQ(Picture(image, ClassicLegend()), c.picture) << c.name;
    }
}

TEST(Frames, RedrawWindowFrameOnlyForAVisibleWindow) {
    QWidget w;
    w.resize(20, 20);
    EXPECT_FALSE(RedrawWindowFrame(w, Rect(0, 0, 20, 20)));
    w.show();
    EXPECT_TRUE(RedrawWindowFrame(w, Rect(0, 0, 20, 20)));
    w.showMinimized();
    EXPECT_FALSE(RedrawWindowFrame(w, Rect(0, 0, 20, 20)));
}

// The 0..240 colour arithmetic and the scheme colours.

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

} // namespace
} // namespace vdx
