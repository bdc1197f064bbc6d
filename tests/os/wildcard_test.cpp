// File name masks: the Windows rules, and a cost bounded for any mask.

#include "platform/os/wildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace vdx::os {
namespace {

TEST(MatchesMask, WindowsRules) {
    struct Row {
        const char* what;
        const char* mask;
        const char* name;
        bool matches;
    };
    const Row rows[] = {
        {"star takes anything", "*", "", true},
        {"star takes a name", "*", "abc", true},
        {"star takes a dot name", "*", ".profile", true},
        {"question mark takes one", "?", "a", true},
        {"question mark takes no less", "?", "", false},
        {"question mark takes no more", "?", "ab", false},
        {"question mark takes a dot", "a?b", "a.b", true},
        {"letters fold ASCII case", "ReadMe.TXT", "readme.txt", true},
        {"only ASCII folds", "\xC4rger", "\xE4rger", false},
        {"literal mismatch", "abc", "abd", false},
        {"star then suffix", "*.txt", "notes.TXT", true},
        {"suffix must end the name", "*.txt", "notes.txt.bak", false},
        {"star takes nothing", "*.txt", ".txt", true},
        {"stars between", "a*b*c", "aXXbYYc", true},
        {"stars keep order", "a*b*c", "acb", false},
        {"run of stars is one", "**a***", "bab", true},
        {"star question mark", "*?", "", false},
        {"backtrack past a false start", "*ab", "aab", true},
        {"backtrack twice", "*a?c*x", "abcabcx", true},
        {"star dot star takes no dot", "*.*", "README", true},
        {"star dot star takes empty", "*.*", "", true},
        {"dot star takes the stem", "a.*", "a", true},
        {"dot star takes an extension", "a.*", "a.b", true},
        {"dot star stem mismatch", "a.*", "ab", false},
        {"dot star chain takes the stem", "a.*.*.*", "a", true},
        {"dot star chain takes one dot", "a.*.*.*", "a.b", true},
        {"dot star chain takes more dots", "a.*.*", "a.b.c.d", true},
        {"lone dot star", ".*", "a", false},
        {"lone dot star takes a dot name", ".*", ".a", true},
        {"lone dot star takes a dot", ".*", ".", true},
        {"trailing dot takes names without a dot", "a*.", "abc", true},
        {"trailing dot refuses names with a dot", "a*.", "a.b", false},
        {"trailing dot literally", "a*.", "ab.", true},
        {"trailing dot stem mismatch", "b*.", "abc", false},
        {"lone trailing dot is the folder itself", ".", "a", false},
        {"dot is only dot", ".", ".", true},
        {"dot is not dot dot", ".", "..", false},
        {"dot dot is only dot dot", "..", "..", true},
        {"dot dot is not dot", "..", ".", false},
        {"dot dot star stem is dot", "..*", ".", true},
        {"dot dot star refuses other dot names", "..*", ".a", false},
        {"dot dot star takes dot dot names", "..*", "..a", true},
        {"three dots star stem is dot dot", "...*", "..", true},
        {"dot dot star star", "..*.*", ".", true},
        {"dot star after dot", "a..*", "a", true},
        {"dot star after dot refuses a dot", "a..*", "a.b", false},
        {"question mark dot star", "?.*", "a", true},
        {"question mark dot star needs one", "?.*", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.what) + ": \"" + row.mask + "\" / \"" + row.name + "\"");
        EXPECT_EQ(MatchesMask(row.mask, row.name), row.matches);
    }
}

TEST(MatchesMask, HostileMaskAgainstALongNameIsAnsweredAtOnce) {
    // A long literal after a star that fails only at its end, then a long
    // ".*" chain: retried stem by stem, this took about a minute.
    std::string mask = "*" + std::string(1000, 'a') + "b";
    while (mask.size() + 2 <= 4096)
        mask += ".*";
    const std::string name(32768, 'a');
    EXPECT_FALSE(MatchesMask(mask, name));
    EXPECT_TRUE(MatchesMask(mask, name + "b"));
    EXPECT_TRUE(MatchesMask(mask, name + "b.c.d"));
    // More characters than the name has cannot match, however many stars.
    EXPECT_FALSE(MatchesMask(std::string(2048, '*') + std::string(2048, '?'), "short"));
}

} // namespace
} // namespace vdx::os
