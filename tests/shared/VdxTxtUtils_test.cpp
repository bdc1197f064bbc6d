#include "shared/VdxTxtUtils.h"

#include "shared/VdxMisc.h"

#include <gtest/gtest.h>

#include <bit>
#include <initializer_list>
#include <random>

namespace vdx {
namespace {

TPageFlags Pages(std::initializer_list<int> pages) {
    TPageFlags flags{};
    for (int p : pages)
        flags[static_cast<std::size_t>(p)] = true;
    return flags;
}

TPageFlags Range(int first, int last) {
    TPageFlags flags{};
    for (int p = first; p <= last; ++p)
        flags[static_cast<std::size_t>(p)] = true;
    return flags;
}

TEST(FormatAllowString, Table) {
    const struct {
        const char* name;
        TPageFlags flags;
        std::string text;
    } rows[] = {
        {"none", {}, ""},
        {"all", Range(0, 99), "00..99;"},
        {"only 99", Pages({99}), "99;"},
        {"98 and 99", Pages({98, 99}), "98..99;"},
        {"only 98", Pages({98}), "98;"},
        {"0 and 2", Pages({0, 2}), "00,02;"},
        {"0 to 2", Pages({0, 1, 2}), "00..02;"},
        {"run and single", Pages({5, 6, 7, 20}), "05..07,20;"},
        {"only 0", Pages({0}), "00;"},
        {"ends", Pages({0, 99}), "00,99;"},
        {"all but 99", Range(0, 98), "00..98;"},
        {"all but 0", Range(1, 99), "01..99;"},
        {"run then 99", Pages({10, 11, 99}), "10..11,99;"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FormatAllowString(r.flags), r.text) << r.name;
}

TEST(ParseAllowString, Table) {
    const struct {
        std::string text;
        TPageFlags flags;
    } rows[] = {
        {"", {}},
        {"5;", Pages({5})},
        {"05;", Pages({5})},
        {"5", Pages({5})},
        {"1,2,3", Pages({1, 2, 3})},
        {"05..07,20;", Pages({5, 6, 7, 20})},
        {"05..7,20;", Pages({5, 6, 7, 20})},
        // the range end takes two digits, the next character is passed over
        {"05..0712;", Pages({5, 6, 7, 2})},
        {"98..99100;", Pages({0, 98, 99})},
        {"5.7", Range(5, 7)},
        {"07..05;", {}},
        {"00..99;", Range(0, 99)},
        {" 5 x7;;", Pages({5, 7})},
        {"100;", {}},
        {"05..120;", Range(5, 12)},
        {"100..105;", {}},
        {"12345678901234567890123;42", Pages({42})},
    };
    for (const auto& r : rows) {
        TPageFlags flags = Range(0, 99); // cleared first
        ParseAllowString(r.text, flags);
        EXPECT_EQ(flags, r.flags) << r.text;
    }
}

TEST(ParseAllowString, RangeWithoutEndThrowsKeepingEarlierFlags) {
    for (const std::string text : {"05..;", "5.x;", "05...", "01,03..;", "5."}) {
        TPageFlags flags = Range(0, 99);
        EXPECT_THROW(ParseAllowString(text, flags), EConvertError) << text;
        EXPECT_EQ(flags, text.starts_with("01") ? Pages({1}) : TPageFlags{}) << text;
    }
}

TEST(AllowString, FormatThenParseGivesTheSameFlags) {
    std::mt19937 rng(20);
    for (int round = 0; round < 300; ++round) {
        TPageFlags flags{};
        const int density = round % 10;
        for (bool& f : flags)
            f = static_cast<int>(rng() % 10) < density;
        TPageFlags back{};
        ParseAllowString(FormatAllowString(flags), back);
        ASSERT_EQ(back, flags) << FormatAllowString(flags);
    }
}

TEST(AllowString, CountAllowed) {
    TPageFlags flags{};
    ParseAllowString("00..99;", flags);
    EXPECT_EQ(CountAllowed(flags), 100);
    ParseAllowString("", flags);
    EXPECT_EQ(CountAllowed(flags), 0);
    EXPECT_EQ(CountAllowed(Pages({5, 6, 7, 20})), 4);
}

TEST(ParityTable, OddParityEntries) {
    EXPECT_EQ(ParityTable[0], 128);
    EXPECT_EQ(ParityTable[1], 1);
    EXPECT_EQ(ParityTable[3], 131);
    EXPECT_EQ(ParityTable[127], 127);
    for (unsigned i = 0; i < 128; ++i) {
        EXPECT_EQ(ParityTable[i] & 0x7F, i);
        EXPECT_EQ(std::popcount(static_cast<unsigned>(ParityTable[i])) % 2, 1) << i;
    }
    EXPECT_EQ(BuildParityTable(), ParityTable);
}

} // namespace
} // namespace vdx
