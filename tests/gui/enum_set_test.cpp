#include "platform/gui/enum_set.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vdx::gui {
namespace {

enum class TBitMember : std::uint8_t { bmA = 1, bmB = 4, bmC = 0x80 };
enum class TOrdinalMember : std::uint8_t { omA, omB, omC, omD, omE, omF, omG, omH, omI };

using TBits = TEnumSet<TBitMember>;
using TOrdinals = TOrdinalSet<TOrdinalMember, 9>;

TEST(EnumSetTest, MembersAreStoredAsTheClassLibraryStreamsThem) {
    // A bit-valued member is its own value; an ordinal member n is bit n.
    EXPECT_EQ((TBits(TBitMember::bmB) | TBitMember::bmC).Value(), 0x84);
    EXPECT_EQ((TOrdinals(TOrdinalMember::omB) | TOrdinalMember::omI).Value(), 0x0102);
    static_assert(sizeof(TOrdinals) == 2 && sizeof(TOrdinalSet<TOrdinalMember, 8>) == 1);

    // Bits beyond the last ordinal are dropped, so a stored value of a later
    // version cannot make a set that compares unequal to the same members.
    const TOrdinals read = TOrdinals::FromBits(0xFE01);
    EXPECT_EQ(read.Value(), 0x0001);
    EXPECT_EQ(read, TOrdinals(TOrdinalMember::omA));
    EXPECT_EQ(TOrdinals::All().Value(), 0x01FF);
}

TEST(EnumSetTest, WithAndWithoutChangeOnlyTheirMember) {
    const TOrdinals s = TOrdinals(TOrdinalMember::omA) | TOrdinalMember::omD;
    const TOrdinals on = s.With(TOrdinalMember::omI, true);
    EXPECT_TRUE(on.Contains(TOrdinalMember::omI));
    EXPECT_EQ(on.With(TOrdinalMember::omI, false), s);
    EXPECT_EQ(s.With(TOrdinalMember::omA, true), s);
    EXPECT_EQ(s.Without(TOrdinalMember::omD), TOrdinals(TOrdinalMember::omA));
    EXPECT_FALSE(s.Contains(TOrdinalMember::omB));

    const TBits b = TBits(TBitMember::bmA) | TBitMember::bmC;
    EXPECT_EQ(b.Without(TBitMember::bmA).Value(), 0x80);
    EXPECT_EQ(b.With(TBitMember::bmB, true).Value(), 0x85);
}

} // namespace
} // namespace vdx::gui
