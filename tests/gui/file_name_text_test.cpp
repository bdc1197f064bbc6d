#include "platform/gui/file_name_text.h"

#include <gtest/gtest.h>

namespace vdx::gui {
namespace {

TEST(FileNameTextTest, ShownAsUtf8WhereValidElseCodePage1252) {
    struct Case {
        const char* bytes;
        bool utf8;
        QString shown;
    };
    const Case cases[] = {
        {"plain", true, QStringLiteral("plain")},
        {"caf\xC3\xA9", true, QString::fromUtf8("caf\xC3\xA9")},
        {"\xE2\x82\xAC", true, QString(QChar(0x20AC))},
        {"caf\xE9", false, QString::fromUtf8("caf\xC3\xA9")},                       // 1252 e acute
        {"\x80", false, QString(QChar(0x20AC))},                                    // 1252 euro
        {"\xC0\xAF", false, QString::fromUtf8("\xC3\x80\xC2\xAF")},                 // overlong
        {"\xED\xA0\x80", false, QString::fromUtf8("\xC3\xAD\xC2\xA0\xE2\x82\xAC")}, // surrogate
        {"\xF4\x90\x80\x80", false, QString()},                                     // past U+10FFFF
        {"\xE2\x82", false, QString()},                                             // cut short
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.bytes), c.utf8) << c.bytes;
        if (!c.shown.isEmpty()) {
            EXPECT_EQ(FileNameToQString(c.bytes), c.shown) << c.bytes;
        }
    }
}

TEST(FileNameTextTest, UneditedTextGoesBackAsItsBytes) {
    const std::string latin = "/data/caf\xE9/\xFF";
    EXPECT_EQ(QStringToFileName(FileNameToQString(latin), latin), latin);
    // Edited after the last component: the others keep their bytes.
    EXPECT_EQ(QStringToFileName(FileNameToQString(latin) + QStringLiteral("/new"), latin),
              "/data/caf\xE9/\xFF/new");
    // A changed component is written as UTF-8; one that still shows its
    // bytes keeps them.
    EXPECT_EQ(QStringToFileName(QString::fromUtf8("/data/th\xC3\xA9/\xC3\xBF"), latin),
              "/data/th\xC3\xA9/\xFF");
    // Typed from nothing: UTF-8.
    EXPECT_EQ(QStringToFileName(QString::fromUtf8("caf\xC3\xA9")), "caf\xC3\xA9");
    EXPECT_EQ(FileNameToAnsi("caf\xC3\xA9"), "caf\xE9");
}

} // namespace
} // namespace vdx::gui
