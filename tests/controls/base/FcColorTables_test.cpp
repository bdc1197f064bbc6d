// The named colour tables of the colour pickers.
#include "controls/base/FcColorTables.h"

#include <gtest/gtest.h>

namespace vdx {
namespace {

using namespace gui;

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
