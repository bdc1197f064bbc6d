#include "controls/base/FcTextAlign.h"

#include <gtest/gtest.h>

namespace vdx {
namespace {

using gui::TAlignment;

// Mirroring the alignment and mirroring its flags give the same text, and
// the flags beside the alignment are left as they were.
TEST(FcTextAlignTest, MirroringTheAlignmentOrItsFlagsAgrees) {
    struct Case {
        TAlignment Alignment;
        unsigned Flags;
        unsigned Mirrored;
    };
    const Case cases[] = {
        {TAlignment::taLeftJustify, gui::DT_LEFT, gui::DT_RIGHT},
        {TAlignment::taRightJustify, gui::DT_RIGHT, gui::DT_LEFT},
        {TAlignment::taCenter, gui::DT_CENTER, gui::DT_CENTER},
    };
    const unsigned others = gui::DT_WORDBREAK | gui::DT_EXPANDTABS | gui::DT_VCENTER;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.Alignment));
        EXPECT_EQ(AlignmentTextFlags(c.Alignment), c.Flags);
        EXPECT_EQ(AlignmentTextFlags(c.Alignment, true), c.Mirrored);
        EXPECT_EQ(MirroredTextFlags(c.Flags | others), c.Mirrored | others);
        EXPECT_EQ(MirroredTextFlags(MirroredTextFlags(c.Flags)), c.Flags);
    }
}

} // namespace
} // namespace vdx
