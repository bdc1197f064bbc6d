// DrawText geometry over a fixed-width measurer (6 pixels a character,
// lines 13 high), and the font mapping over the installed faces.
#include "platform/gui/text_layout.h"

#include "controls/base/FcDraw.h"
#include "platform/gui/canvas.h"
#include "platform/gui/font.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

namespace vdx::gui {
namespace {

TTextMeasurer FixedMeasurer() {
    TTextMeasurer m;
    m.Width = [](std::string_view s) { return int(s.size()) * 6; };
    m.LineHeight = 13;
    m.ExternalLeading = 2;
    m.AveCharWidth = 6;
    return m;
}

std::vector<std::string> LineTexts(const TTextLayout& l) {
    std::vector<std::string> out;
    for (const TTextLine& line : l.Lines)
        out.push_back(line.Text);
    return out;
}

TEST(TextLayout, Prefixes) {
    struct Case {
        const char* in;
        const char* text;
        int underline;
    };
    const Case cases[] = {
        {"&File", "File", 0}, {"Save &as", "Save as", 5}, {"a&&b", "a&b", -1}, {"end&", "end", -1},
        {"", "", -1},         {"&&&x", "&x", 1},
    };
    for (const Case& c : cases) {
        const TPrefixedText r = ResolvePrefixes(c.in);
        EXPECT_EQ(r.Text, c.text) << c.in;
        EXPECT_EQ(r.Underline, c.underline) << c.in;
    }
}

TEST(TextLayout, CalcRect) {
    struct Case {
        const char* name;
        const char* text;
        unsigned flags;
        TRect expected;
        int result;
        std::vector<std::string> lines;
    };
    const TRect box = Rect(10, 20, 46, 100); // 36 wide: six characters
    const Case cases[] = {
        {"single line", "abc", DT_SINGLELINE, Rect(10, 20, 28, 33), 13, {"abc"}},
        {"prefix not measured", "&abc", DT_SINGLELINE, Rect(10, 20, 28, 33), 13, {"abc"}},
        {"no prefix", "&abc", DT_SINGLELINE | DT_NOPREFIX, Rect(10, 20, 34, 33), 13, {"&abc"}},
        {"line breaks", "ab\r\ncdef\nx", 0, Rect(10, 20, 34, 59), 39, {"ab", "cdef", "x"}},
        {"word break",
         "aaa bbb cc d",
         DT_WORDBREAK,
         Rect(10, 20, 46, 59),
         39,
         {"aaa", "bbb cc", "d"}},
        {"long word kept whole",
         "abcdefghij k",
         DT_WORDBREAK,
         Rect(10, 20, 70, 46),
         26,
         {"abcdefghij", "k"}},
        {"long word cut in edit style",
         "abcdefghij",
         DT_WORDBREAK | DT_EDITCONTROL,
         Rect(10, 20, 46, 46),
         26,
         {"abcdef", "ghij"}},
        {"empty", "", 0, Rect(10, 20, 10, 20), 0, {}},
        {"external leading", "a\nb", DT_EXTERNALLEADING, Rect(10, 20, 16, 50), 30, {"a", "b"}},
    };
    for (const Case& c : cases) {
        const TTextLayout l = LayoutDrawText(c.text, box, c.flags | DT_CALCRECT, FixedMeasurer());
        EXPECT_EQ(l.Rect, c.expected) << c.name;
        EXPECT_EQ(l.Result, c.result) << c.name;
        EXPECT_EQ(LineTexts(l), c.lines) << c.name;
    }
}

TEST(TextLayout, AlignmentEllipsisAndVerticalCentre) {
    const TRect box = Rect(0, 0, 40, 30);
    const TTextMeasurer m = FixedMeasurer();
    TTextLayout l = LayoutDrawText("ab", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER, m);
    EXPECT_EQ(l.Lines.at(0).X, 14);
    EXPECT_EQ(l.Lines.at(0).Y, 8);
    EXPECT_EQ(l.Result, 21); // from the top to the bottom of the text
    l = LayoutDrawText("ab", box, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM, m);
    EXPECT_EQ(l.Lines.at(0).X, 28);
    EXPECT_EQ(l.Lines.at(0).Y, 17);
    l = LayoutDrawText("abcdefghij", box, DT_SINGLELINE | DT_END_ELLIPSIS, m);
    EXPECT_EQ(l.Lines.at(0).Text, "abc...");
    l = LayoutDrawText("&abcdefghij", box, DT_SINGLELINE | DT_END_ELLIPSIS, m);
    EXPECT_EQ(l.Lines.at(0).Underline, 0);
    l = LayoutDrawText("abcdef", box, DT_SINGLELINE | DT_END_ELLIPSIS, m);
    EXPECT_EQ(l.Lines.at(0).Text, "abcdef"); // fits: unchanged
}

TEST(TextLayout, PathEllipsisKeepsTheLastComponent) {
    struct Case {
        const char* in;
        int width;
        const char* text;
        int underline;
    };
    const Case cases[] = {
        {"C:\\data\\logs\\x.log", 90, "C:\\dat...\\x.log", -1},
        {"/srv/ftp/admin/file", 72, "/srv.../file", -1},
        {"/srv/ftp/admin/file", 48, ".../file", -1},
        {"/srv/ftp/averyverylongname", 48, ".../averyverylongname", -1},
        {"abcdefghij", 36, "abc...", -1},            // no separator: cut at the end
        {"/a/b", 60, "/a/b", -1},                    // fits: unchanged
        {"disk\\&file.txt", 60, "...\\file.txt", 4}, // the mark moves with its letter
        {"ab&cdef\\x", 42, "ab...\\x", -1},          // its letter was cut out
    };
    const TTextMeasurer m = FixedMeasurer();
    for (const Case& c : cases) {
        const TTextLayout l =
            LayoutDrawText(c.in, Rect(0, 0, c.width, 20), DT_SINGLELINE | DT_PATH_ELLIPSIS, m);
        EXPECT_EQ(l.Lines.at(0).Text, c.text) << c.in;
        EXPECT_EQ(l.Lines.at(0).Underline, c.underline) << c.in;
    }
}

TEST(TextLayout, FittingLengthKeepsWholeCharacters) {
    struct Case {
        const char* text;
        int width;
        std::size_t length;
    };
    const Case cases[] = {
        {"Secret123456", 80, 12}, {"Secret123456", 72, 12}, {"Secret123456", 71, 11},
        {"Secret123456", 6, 1},   {"Secret123456", 5, 0},   {"", 0, 0},
        {"abc", -4, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FittingLength(c.text, c.width, FixedMeasurer()), c.length)
            << c.text << " " << c.width;
}

TEST(TextLayout, TabStops) {
    const TTextMeasurer m = FixedMeasurer();
    struct Case {
        int x;
        std::vector<int> stops;
        int next;
    };
    const Case cases[] = {
        {0, {}, 48},       {48, {}, 96},       {10, {20}, 20},     {20, {20}, 40},
        {5, {30, 50}, 30}, {30, {30, 50}, 50}, {55, {30, 50}, 70},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextTabStop(c.x, c.stops, m.AveCharWidth), c.next) << c.x;
    EXPECT_EQ(TabbedWidth("ab\tc", {}, m), 54);
    const TTextLayout l =
        LayoutDrawText("a\tb", Rect(0, 0, 200, 20), DT_EXPANDTABS | DT_CALCRECT, m);
    EXPECT_EQ(l.Rect.Right, 54);
    // DT_TABSTOP: the second byte is the tab size in characters.
    const TTextLayout t =
        LayoutDrawText("a\tb", Rect(0, 0, 200, 20), DT_EXPANDTABS | DT_TABSTOP | (2u << 8), m);
    EXPECT_EQ(t.Lines.at(0).Width, 18);
    // A tab size whose bits look like DT_CALCRECT (4 << 8) still paints.
    QImage image(60, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QImage blank = image.copy();
    {
        TCanvas canvas(image);
        canvas.Font.Color = clBlack;
        TRect r = Rect(0, 0, 60, 20);
        canvas.DrawText("a\tb", r, DT_EXPANDTABS | DT_TABSTOP | (4u << 8));
        EXPECT_EQ(r, Rect(0, 0, 60, 20));
    }
    EXPECT_NE(image, blank);
}

TEST(Fonts, ClassicFacesMapToTheirMetricFacesAtTheirPixelHeight) {
    EXPECT_EQ(MappedFontFamily("Tahoma"), "Tahoma");
    EXPECT_EQ(MappedFontFamily("ms sans serif"), "MS Sans Serif");
    EXPECT_EQ(MappedFontFamily("MS Shell Dlg 2"), "Tahoma");
    EXPECT_EQ(MappedFontFamily("Marlett"), "Marlett");
    EXPECT_EQ(MappedFontFamily("Verdana"), "DejaVu Sans");
    EXPECT_EQ(MappedFontFamily("Courier New"), "DejaVu Sans Mono");
    {
        // The faces really paint: not a silent substitute of the database.
        TFont tahoma;
        tahoma.Name = "Tahoma";
        EXPECT_EQ(QFontInfo(ToQFont(tahoma)).family(), "Tahoma");
        tahoma.Style = TFontStyle::fsBold;
        EXPECT_EQ(QFontInfo(ToQFont(tahoma)).family(), "Tahoma");
        EXPECT_TRUE(QFontInfo(ToQFont(tahoma)).bold());
        TFont marlett;
        marlett.Name = "Marlett";
        EXPECT_EQ(QFontInfo(ToQFont(marlett)).family(), "Marlett");
        // Tahoma 8 is narrower than DejaVu Sans 8: the forms' pixel layouts
        // hold only with it.
        TFont dejavu = tahoma;
        dejavu.Name = "Verdana";
        dejavu.Style = {};
        tahoma.Style = {};
        const QString sample = QStringLiteral("Version 3.1 build 1.1");
        EXPECT_LT(QFontMetrics(ToQFont(tahoma)).horizontalAdvance(sample),
                  QFontMetrics(ToQFont(dejavu)).horizontalAdvance(sample));
    }
    {
        // "MS Sans Serif" is a bitmap face with one strike: 8 points (em 11,
        // cell 13) paint in it; bold and other sizes in Tahoma, never a
        // bitmap drawn at the wrong size.
        struct Case {
            int height;
            TFontStyles style;
            const char* family;
        };
        for (const Case& c : {Case{-11, {}, "MS Sans Serif"}, Case{13, {}, "MS Sans Serif"},
                              Case{-11, TFontStyle::fsBold, "Tahoma"}, Case{-24, {}, "Tahoma"}}) {
            TFont font;
            font.Height = c.height;
            font.Style = c.style;
            const QFont painted = ToQFont(font);
            EXPECT_EQ(QFontInfo(painted).family(), c.family) << c.height;
            if (c.height == -24) {
                EXPECT_EQ(painted.pixelSize(), 24);
            }
        }
        TFont classic;
        const TTextMetric tm = GetTextMetrics(classic);
        EXPECT_EQ(tm.tmHeight, 13);
        EXPECT_EQ(tm.tmAscent, 11);
        EXPECT_EQ(tm.tmInternalLeading, 2);
        EXPECT_GT(tm.tmAveCharWidth, 3);
        EXPECT_LT(tm.tmAveCharWidth, 8);
        EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    }
    TFont font;
    font.Name = "Tahoma";
    font.Height = -11;
    EXPECT_EQ(ToQFont(font).pixelSize(), 11);
    EXPECT_EQ(font.Size(), 8);
    font.SetSize(10);
    EXPECT_EQ(font.Height, -13);
    const TTextMetric tm = GetTextMetrics(font);
    EXPECT_GE(tm.tmHeight, 13);
    EXPECT_GT(tm.tmAveCharWidth, 0);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
    font.Height = tm.tmHeight; // a positive height is the cell height
    EXPECT_NEAR(GetTextMetrics(font).tmHeight, tm.tmHeight, 1);
}

TEST(Fonts, CanvasDrawTextMeasuresWithTheFont) {
    QImage image(100, 40, QImage::Format_RGB32);
    TCanvas canvas(image);
    TRect r = Rect(5, 5, 95, 35);
    const int h = canvas.DrawText("Abc", r, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(h, canvas.TextHeight("Abc"));
    EXPECT_EQ(r, Rect(5, 5, 5 + canvas.TextWidth("Abc"), 5 + h));

    // The control library hands its text on zero-terminated: it ends at a NUL.
    TRect cut = Rect(5, 5, 95, 35);
    using namespace std::string_view_literals;
    vdx::DrawTextOnCanvas(canvas, "Ab\0cd"sv, cut, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(cut.Right, 5 + canvas.TextWidth("Ab"));
}

} // namespace
} // namespace vdx::gui
