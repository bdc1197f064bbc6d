#include "platform/gui/rtf_reader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <random>
#include <string>

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
    EXPECT_DOUBLE_EQ(title.fontPointSize(), 16.0);
    EXPECT_EQ(title.fontFamilies().toStringList(), QStringList{"Tahoma"});
    EXPECT_EQ(doc.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    EXPECT_TRUE(FormatOf(doc, "slanted").fontItalic());
    EXPECT_FALSE(FormatOf(doc, "under").fontItalic()); // the group ended
    EXPECT_TRUE(FormatOf(doc, "under").fontUnderline());
    EXPECT_EQ(FormatOf(doc, "blue").foreground().color(), QColor(0, 0, 255));
    const QTextCharFormat plain = FormatOf(doc, "plain");
    EXPECT_FALSE(plain.fontUnderline());
    EXPECT_EQ(plain.fontWeight(), QFont::Normal);
    EXPECT_DOUBLE_EQ(plain.fontPointSize(), 12.0);
    EXPECT_EQ(plain.fontFamilies().toStringList(), QStringList{"DejaVu Sans"});

    const QTextBlockFormat second = doc.begin().next().blockFormat();
    EXPECT_DOUBLE_EQ(second.leftMargin(), 48.0);
    EXPECT_DOUBLE_EQ(second.textIndent(), -24.0);
    EXPECT_EQ(second.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
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
