#include "controls/shell/FcShellKeys.h"

#include <gtest/gtest.h>

namespace vdx {
namespace {

TEST(FcShellKeysTest, NamesAndParsing) {
    EXPECT_EQ(ShortCutName(scCtrl | scShift | VK_F5), "Shift+Ctrl+F5");
    EXPECT_EQ(ShortCutName(VK_DELETE), "Del");
    EXPECT_EQ(ShortCutName(38), "Up");
    EXPECT_EQ(ShortCutName(98), "2");
    EXPECT_EQ(ShortCutName(200), "#200");
    EXPECT_EQ(ParseShortCutName("ctrl+a"), 0x4041);
    EXPECT_EQ(ParseShortCutName("CTRL+A"), 0x4041);
    EXPECT_EQ(ParseShortCutName("^C"), 0x4043);
    EXPECT_EQ(ParseShortCutName("Shift+Del"), scShift | VK_DELETE);
    EXPECT_EQ(ParseShortCutName("Foo"), 0);
    EXPECT_EQ(ParseShortCutName("Ctrl+"), 0);
    EXPECT_EQ(DefaultKey(TFcDefaultKey::Rename), VK_F2);
    EXPECT_EQ(DefaultKey(TFcDefaultKey::Paste), scCtrl | 'V');
    EXPECT_EQ(ShortCutOf(Qt::Key_Delete, Qt::ShiftModifier), scShift | VK_DELETE);
    EXPECT_EQ(ShortCutOf(Qt::Key_2, Qt::KeypadModifier), 98);
}

} // namespace
} // namespace vdx
