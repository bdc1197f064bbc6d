// The fixed system colours as the pixels show them.
#include "platform/gui/color.h"

#include <QColor>

#include <gtest/gtest.h>

namespace vdx::gui {
namespace {

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

} // namespace
} // namespace vdx::gui
