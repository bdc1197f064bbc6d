#include "platform/gui/rtf_reader.h"

#include "platform/gui/font.h"

#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace vdx::gui {
namespace {

QString Read(std::string_view rtf) {
    QTextDocument doc;
    ReadRtf(rtf, doc);
    return doc.toPlainText();
}

// The character format at the first occurrence of text.
QTextCharFormat FormatOf(const QTextDocument& doc, const QString& text) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text))
                return it.fragment().charFormat();
    ADD_FAILURE() << "no " << text.toStdString();
    return {};
}

TEST(RtfReader, TextOfSnippets) {
    struct Case {
        const char* rtf;
        const char* text; // UTF-8
    } cases[] = {
        {"{\\rtf1 Hello}", "Hello"},
        {"{\\rtf1 one\\par two\\line three}", "one\ntwo\nthree"}, // plain text shows both as LF
        {"{\\rtf1 a\\tab b}", "a\tb"},
        {"{\\rtf1 caf\\'e9 \\'80}", "caf\u00e9 \u20ac"},
        {"{\\rtf1 \\u8364?x \\uc0\\u233 y \\uc2\\u8211\\'96\\'96z}", "\u20acx \u00e9y \u2013z"},
        {"{\\rtf1 \\\\ \\{ \\} a\\~b}", "\\ { } a b"},
        {"{\\rtf1 \\bullet\\tab x \\ldblquote y\\rdblquote  \\emdash}",
         "\u2022\tx \u201cy\u201d \u2014"},
        {"{\\rtf1{\\fonttbl{\\f0\\fswiss\\fcharset0 Tahoma;}{\\f1 Courier New;}}"
         "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\generator Writer 1.0;}"
         "{\\info{\\title Secret}{\\author Me}}{\\stylesheet{\\s0 Normal;}}"
         "\\f0 Shown {\\pict\\wmetafile8 0123abcd}\\unknownword12 text}",
         "Shown text"},
        {"{\\rtf1\r\nline\r\nbreaks in source}", "linebreaks in source"},
        {"plain text, not RTF", "plain text, not RTF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.rtf), QString::fromUtf8(c.text)) << c.rtf;
}

TEST(RtfReader, FormatsFontsColoursAndParagraphs) {
    QTextDocument doc;
    ReadRtf("{\\rtf1{\\fonttbl{\\f0 Tahoma;}{\\f1 Verdana;}}{\\colortbl ;\\red0\\green0\\blue255;}"
            "\\pard\\qc\\f0\\fs32\\b Title\\b0\\par"
            "\\pard\\li720\\fi-360 {\\i slanted} \\ul under\\ulnone  \\cf1 blue\\cf0 "
            "\\plain\\f1 plain\\par}",
            doc);
    const QTextCharFormat title = FormatOf(doc, "Title");
    EXPECT_EQ(title.fontWeight(), QFont::Bold);
    // 16 points at 96 pixels per inch, whatever the screen says.
    EXPECT_EQ(title.intProperty(QTextFormat::FontPixelSize), 21);
    EXPECT_EQ(title.fontFamilies().toStringList(), QStringList{"Tahoma"});
    EXPECT_EQ(doc.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    EXPECT_TRUE(FormatOf(doc, "slanted").fontItalic());
    EXPECT_FALSE(FormatOf(doc, "under").fontItalic()); // the group ended
    EXPECT_TRUE(FormatOf(doc, "under").fontUnderline());
    EXPECT_EQ(FormatOf(doc, "blue").foreground().color(), QColor(0, 0, 255));
    const QTextCharFormat plain = FormatOf(doc, "plain");
    EXPECT_FALSE(plain.fontUnderline());
    EXPECT_EQ(plain.fontWeight(), QFont::Normal);
    EXPECT_EQ(plain.intProperty(QTextFormat::FontPixelSize), 16);
    EXPECT_EQ(plain.fontFamilies().toStringList(), QStringList{"DejaVu Sans"});

    const QTextBlockFormat second = doc.begin().next().blockFormat();
    EXPECT_DOUBLE_EQ(second.leftMargin(), 48.0);
    EXPECT_DOUBLE_EQ(second.textIndent(), -24.0);
    EXPECT_EQ(second.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST(RtfReader, LineSpacingAsked) {
    struct Case {
        const char* name;
        const char* spacing;
        int height; // of the lines, 0: the font's single line
        QTextBlockFormat::LineHeightTypes type;
    };
    const Case cases[] = {
        {"single", "", 0, QTextBlockFormat::MinimumHeight},
        {"at least 24 pixels", "\\sl360", 24, QTextBlockFormat::MinimumHeight},
        {"at least less than single", "\\sl60", 0, QTextBlockFormat::MinimumHeight},
        {"exactly 20 pixels", "\\sl-300", 20, QTextBlockFormat::FixedHeight},
        {"double", "\\sl480\\slmult1", -2, QTextBlockFormat::MinimumHeight},
    };
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(12);
    const int single = LineHeight(tahoma);
    EXPECT_EQ(single, 14);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTextDocument doc;
        ReadRtf(std::string("{\\rtf1{\\fonttbl{\\f0 Tahoma;}}\\pard") + c.spacing +
                    "\\f0\\fs18 one\\par\\pard\\par}",
                doc);
        const QTextBlockFormat f = doc.begin().blockFormat();
        const int expected = c.height == 0 ? single : c.height < 0 ? -c.height * single : c.height;
        EXPECT_EQ(f.lineHeightType(), c.type);
        EXPECT_DOUBLE_EQ(f.lineHeight(), expected);
        // \pard ends it: the empty paragraph is a single line of its font.
        EXPECT_DOUBLE_EQ(doc.begin().next().blockFormat().lineHeight(), single);
    }
}

// A help page drawn as the help window draws it: a heading, a bullet list
// whose second item wraps, bold words.
TEST(RtfReader, PageWithHeadingBulletsAndBoldWords) {
    QTextDocument doc;
    doc.setDocumentMargin(0);
    ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Tahoma;}}{\\colortbl ;\\red0\\green0\\blue128;}"
            "\\pard\\f0\\fs20\\cf1\\b The user list\\b0\\cf0\\par"
            "\\pard\\fs18 Each row is one user.\\par"
            "\\pard\\li360\\fi-240 \\bullet\\tab\\b Password\\b0 : the login.\\par"
            "\\bullet\\tab\\b Adm\\b0 : an administrator sees the whole installation and may "
            "upload control files.\\par}",
            doc);
    doc.setTextWidth(260);
    QImage page(260, int(doc.size().height()), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        doc.drawContents(&p);
    }

    // Lines stand a whole line of their font apart: descenders clear the
    // next line's capitals.
    QFont body(QStringLiteral("Tahoma"));
    body.setPixelSize(12);
    std::vector<QRectF> lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (int i = 0; i < b.layout()->lineCount(); ++i) {
            const QTextLine line = b.layout()->lineAt(i);
            lines.push_back(line.rect().translated(b.layout()->position()));
        }
    ASSERT_GE(lines.size(), 5u); // the last item wraps
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_GE(lines[i + 1].top() - lines[i].top(), LineHeight(body)) << i;
    EXPECT_GT(lines[1].top() - lines[0].top(), LineHeight(body)); // the heading is higher

    // The hanging indent: the text after each bullet and the wrapped line
    // start at the left indent (24 pixels), the bullets at 8.
    const QTextBlock first = doc.begin().next().next();
    EXPECT_DOUBLE_EQ(first.layout()->lineAt(0).x(), 8.0);
    EXPECT_DOUBLE_EQ(first.layout()->lineAt(0).cursorToX(2), 24.0);
    const QTextBlock second = first.next();
    ASSERT_GE(second.layout()->lineCount(), 2);
    EXPECT_DOUBLE_EQ(second.layout()->lineAt(0).cursorToX(2), 24.0);
    EXPECT_DOUBLE_EQ(second.layout()->lineAt(1).x(), 24.0);

    // Bold letters stand as close as the regular ones: no column inside
    // "Password" wider than one pixel is left blank.
    const QTextLine boldLine = first.layout()->lineAt(0);
    const int left = int(boldLine.cursorToX(2));
    const int right = int(boldLine.cursorToX(10));
    const int top = int(lines[2].top());
    const int bottom = int(lines[2].bottom());
    int blankRun = 0;
    int widestGap = 0;
    for (int x = left + 1; x < right - 1; ++x) {
        bool ink = false;
        for (int y = top; y < bottom; ++y)
            ink = ink || page.pixelColor(x, y) != QColor(Qt::white);
        blankRun = ink ? 0 : blankRun + 1;
        widestGap = std::max(widestGap, blankRun);
    }
    EXPECT_LE(widestGap, 1);
    EXPECT_EQ(FormatOf(doc, "Password").fontWeight(), QFont::Bold);
    page.save(QStringLiteral(VDX_GUI_ARTEFACT_DIR "/rtf-page.png"));
}

TEST(RtfReader, HostileInputEndsSafely) {
    std::string deep = "{\\rtf1 a";
    deep += std::string(200000, '{') + "hidden" + std::string(200000, '}') + " b}";
    EXPECT_EQ(Read(deep), "a b");
    for (const char* rtf :
         {"{\\rtf1 x}}}} y", "{\\rtf1 \\'", "{\\rtf1 \\'4", "{\\rtf1 \\'zz",
          "{\\rtf1 \\u99999999999", "{\\rtf1 \\u-99999999999",
          "{\\rtf1 \\fs-5 \\fs999999999 \\uc-3 \\uc99999 \\li-2147483648",
          "{\\rtf1 {\\colortbl \\red999;}\\cf1 \\cf-1 \\cf99999 c", "{\\rtf1 \\", "{\\rtf",
          "{\\rtf1 \\aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa1 z"})
        (void)Read(rtf);
    EXPECT_EQ(Read("{\\rtf1 x}}}} y"), "x y");

    std::mt19937 random(7);
    const std::string alphabet = "{}\\'*uc0123456789abfpar;- \r\n\xe9";
    for (int round = 0; round < 300; ++round) {
        std::string text = "{\\rtf1 ";
        for (int i = 0; i < 200; ++i)
            text += alphabet[random() % alphabet.size()];
        (void)Read(text);
    }
}

} // namespace
} // namespace vdx::gui
