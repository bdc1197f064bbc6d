#include "shared/VdxMisc.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace vdx {
namespace {

TEST(ScrambleString, ShortStringsAndKnownResults) {
    const struct {
        const char* name;
        std::string text;
        int key;
        std::string scrambled;
    } rows[] = {
        {"empty", "", ScrambleKeyNumber, ""},
        {"one char unchanged", "A", ScrambleKeyNumber, "A"},
        {"one char any key", "\x03", 7, "\x03"},
        // two chars: only the bit swap, no table entry
        {"two chars", "AB", 0, "HP"},
        {"two chars other key", "AB", 12345, "HP"},
        // three chars: the one entry at (2 + 3 + key) mod 32
        {"three chars key 0", "AAA", 0, "H[H"},       // entry 5 = 0x1a
        {"three chars key 4318", "AAA", 4318, "HVH"}, // entry 3 = 0x17
        {"three chars key 30", "AAA", 30, "HVH"},
        {"three chars key -2", "AAA", -2, "HVH"},
        {"six chars", "secret", ScrambleKeyNumber, "zfqzzf"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ScrambleString(r.text, r.key), r.scrambled) << r.name;
}

TEST(ScrambleString, InvolutionKeyModulo32AndHighBitsKept) {
    std::mt19937 rng(4318);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> key(-100000, 100000);
    const int edgeKeys[] = {0, 31, 32, ScrambleKeyNumber, INT_MAX, INT_MIN, -1};
    for (int round = 0; round < 500; ++round) {
        std::string text(static_cast<std::size_t>(length(rng)), '\0');
        for (char& c : text)
            c = static_cast<char>(byte(rng));
        const int k = round < 7 ? edgeKeys[round] : key(rng);
        const std::string once = ScrambleString(text, k);
        ASSERT_EQ(once.size(), text.size());
        EXPECT_EQ(ScrambleString(once, k), text) << "key " << k;
        if (k <= INT_MAX - 64) {
            EXPECT_EQ(ScrambleString(text, k + 64), once) << "key " << k;
        }
        for (std::size_t i = 0; i < text.size(); ++i)
            EXPECT_EQ(once[i] & 0xE0, text[i] & 0xE0);
    }
}

TEST(SwapScrambleBits, ExchangesBits01With34) {
    EXPECT_EQ(SwapScrambleBits(0x03), 0x18);
    EXPECT_EQ(SwapScrambleBits(0x18), 0x03);
    EXPECT_EQ(SwapScrambleBits(0xE4), 0xE4);
    EXPECT_EQ(SwapScrambleBits(0x01), 0x08);
    EXPECT_EQ(SwapScrambleBits(0x10), 0x02);
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(SwapScrambleBits(SwapScrambleBits(static_cast<std::uint8_t>(b))), b);
}

TEST(VdxMisc, SmallConversions) {
    EXPECT_EQ(IntToStrPad(5, 2), "05");
    EXPECT_EQ(IntToStrPad(0, 4), "0000");
    EXPECT_EQ(IntToStrPad(7, 2), "07");
    EXPECT_EQ(IntToStrPad(123, 2), "123");
    EXPECT_EQ(IntToStrPad(99, 0), "99");
    EXPECT_EQ(BoolToInt(true), 1);
    EXPECT_EQ(BoolToInt(false), 0);
    EXPECT_EQ(BoolToYes(true), "Yes");
    EXPECT_EQ(BoolToYes(false), "");
}

TEST(VdxMisc, IsValidUserId) {
    const struct {
        std::string text;
        bool noSpaces;
        bool withSpaces;
    } rows[] = {
        {"", true, true},
        {"anna", true, true},
        {"anna smith", false, true},
        {"a:b", false, false},
        {"a/b", false, false},
        {"a\\b", false, false},
        {"a*b", false, false},
        {"a?b", false, false},
        {"a\"b", false, false},
        {"a>b", false, false},
        {"a<b", false, false},
        {"a|b", false, false},
        {"J\xF6rg.x-1", true, true},
        {"a\tb", true, true},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(IsValidUserId(r.text, false), r.noSpaces) << r.text;
        EXPECT_EQ(IsValidUserId(r.text, true), r.withSpaces) << r.text;
    }
}

TEST(VdxMisc, CharSetContains) {
    TCharSet set{};
    set['A' / 8] |= 1u << ('A' % 8);
    set[31] |= 0x80; // 255
    EXPECT_TRUE(CharSetContains('A', set));
    EXPECT_FALSE(CharSetContains('@', set));
    EXPECT_FALSE(CharSetContains('B', set));
    EXPECT_TRUE(CharSetContains(255, set));
    EXPECT_FALSE(CharSetContains(0, set));
}

TEST(ListFolderEntries, FoldersAndFilesWithoutDotNames) {
    test::TempDir dir;
    const auto& p = dir.Path();
    std::filesystem::create_directory(p / "anna");
    std::filesystem::create_directory(p / "bob");
    std::filesystem::create_directory(p / ".hidden");
    test::WriteFileBytes(p / "x.txt", "x");
    test::WriteFileBytes(p / ".profile", "x");
    ASSERT_EQ(::mkfifo((p / "pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink(p / "nowhere", p / "dangling");

    for (const std::string& folder : {dir.Folder(), p.string()}) {
        std::vector<std::string> names = ListFolderEntries(folder);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"anna", "bob", "x.txt"})) << folder;
    }
    EXPECT_TRUE(ListFolderEntries(dir.Folder() + "missing/").empty());
    EXPECT_TRUE(ListFolderEntries(dir.Folder() + "x.txt").empty());
}

} // namespace
} // namespace vdx
