#include "platform/shell/shell_data.h"

#include "platform/shell/shell_folder.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vdx::shell {
namespace {

using Bytes = std::vector<std::uint8_t>;

IdList FileList(const std::string& name, bool folder = false) {
    return IdList::FromItem(MakeFileItem({folder, 0, 0, 0, name}));
}

void SetU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

TEST(IdListArrayTest, DesktopItemHasThePublishedLayout) {
    const IdList item = ComputerIdList();
    const Bytes block = BuildIdListArray(IdList(), {&item, 1});
    // Count 1, offsets 12 and 14, the empty parent's terminator, the item.
    const Bytes head = {1, 0, 0, 0, 12, 0, 0, 0, 14, 0, 0, 0, 0, 0};
    ASSERT_EQ(block.size(), head.size() + item.Size());
    EXPECT_EQ(Bytes(block.begin(), block.begin() + 14), head);
    EXPECT_EQ(Bytes(block.begin() + 14, block.end()), item.Bytes());

    const auto parsed = ParseIdListArray(block);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->Parent.Empty());
    EXPECT_EQ(parsed->Items, std::vector<IdList>{item});

    // A deeper parent and several items, names with any bytes.
    const IdList parent =
        ComputerIdList() + IdList::FromItem(MakeVolumeItem("/")) + FileList("home", true);
    const std::vector<IdList> items = {FileList("a b"), FileList("\xFF\n"), FileList("dir", true)};
    EXPECT_EQ(ParseIdListArray(BuildIdListArray(parent, items)), (IdListArray{parent, items}));
}

TEST(IdListArrayTest, HostileBlocksAreRefused) {
    const IdList item = FileList("x");
    const Bytes good = BuildIdListArray(IdList(), {&item, 1});
    ASSERT_TRUE(ParseIdListArray(good));
    const std::size_t itemAt = 14;
    struct Case {
        const char* name;
        std::function<void(Bytes&)> spoil;
    };
    const std::vector<Case> cases = {
        {"empty", [](Bytes& b) { b.clear(); }},
        {"short header", [](Bytes& b) { b.resize(3); }},
        {"header cut in the offsets", [](Bytes& b) { b.resize(10); }},
        {"no items", [](Bytes& b) { SetU32(b, 0, 0); }},
        {"count past the block", [&](Bytes& b) { SetU32(b, 0, std::uint32_t(b.size() / 4)); }},
        {"count that wraps", [](Bytes& b) { SetU32(b, 0, 0xFFFFFFFFu); }},
        {"count of a quarter of 2^32", [](Bytes& b) { SetU32(b, 0, 0x40000000u); }},
        {"offset past the end", [](Bytes& b) { SetU32(b, 8, std::uint32_t(b.size())); }},
        {"offset far outside", [](Bytes& b) { SetU32(b, 8, 0xFFFFFFF0u); }},
        {"offset on the last byte", [](Bytes& b) { SetU32(b, 8, std::uint32_t(b.size() - 1)); }},
        {"parent offset into the header", [](Bytes& b) { SetU32(b, 4, 1); }},
        {"list without terminator", [](Bytes& b) { b.resize(b.size() - 2); }},
        {"item count past the end",
         [&](Bytes& b) {
             b[itemAt] = 0xF0;
             b[itemAt + 1] = 0x00;
         }},
        {"item count below 3", [&](Bytes& b) { b[itemAt] = 2; }},
        {"unknown item kind", [&](Bytes& b) { b[itemAt + 2] = 0x77; }},
        {"file name with a slash", [&](Bytes& b) { b[b.size() - 4] = '/'; }},
    };
    for (const Case& c : cases) {
        Bytes block = good;
        c.spoil(block);
        EXPECT_FALSE(ParseIdListArray(block)) << c.name;
    }
}

TEST(UriListTest, PathsOfAnyBytesRoundTrip) {
    const std::string dir = "/tmp/d";
    std::string deep = "/";
    while (deep.size() < 4000)
        deep += std::string(99, 'p') + "/";
    deep.resize(4000);
    const std::vector<std::string> paths = {
        dir + "/" + std::string(300, 'n'),
        deep,
        dir + "/byte\xFF",
        dir + "/with space",
        dir + "/line\nfeed",
        dir + "/carriage\rreturn",
        dir + "/100%",
        dir + "/%41 not an escape",
        dir + "/#?;&=+@",
        dir + "/\xC3\xA9t\xC3\xA9",
    };
    const std::string text = BuildUriList(paths);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2)
        ++lines;
    EXPECT_EQ(lines, paths.size()); // no CR or LF of a name leaks out
    EXPECT_EQ(text.find(' '), std::string::npos);
    EXPECT_TRUE(text.starts_with("file:///tmp/d/nnn"));
    EXPECT_EQ(ParseUriList(text), paths);
    EXPECT_EQ(ParseGnomeCopiedFiles(BuildGnomeCopiedFiles(paths, true)), (std::pair{true, paths}));
    EXPECT_EQ(ParseGnomeCopiedFiles(BuildGnomeCopiedFiles(paths, false)),
              (std::pair{false, paths}));
}

TEST(UriListTest, OnlyLocalFilesAreTaken) {
    struct Case {
        const char* line;
        std::optional<std::string> path;
    };
    const std::vector<Case> cases = {
        {"file:///a/b", "/a/b"},
        {"file://localhost/a", "/a"},
        {"FILE://LocalHost/a", "/a"},
        {"file:/a", "/a"},
        {"file:///a%2Fb%20c", "/a/b c"},
        {"file:///", "/"},
        {"# file:///comment", std::nullopt},
        {"file://host/a", std::nullopt},
        {"file://localhostx/a", std::nullopt},
        {"http://localhost/a", std::nullopt},
        {"file:a", std::nullopt},
        {"file://localhost", std::nullopt},
        {"file:///a%2", std::nullopt},
        {"file:///a%G0", std::nullopt},
        {"file:///a%00b", std::nullopt},
        {"file:///a?query", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> expected =
            c.path ? std::vector<std::string>{*c.path} : std::vector<std::string>{};
        EXPECT_EQ(ParseUriList(c.line), expected) << c.line;
        EXPECT_EQ(ParseUriList(std::string(c.line) + "\r\n"), expected) << c.line;
    }
    // LF alone ends a line too; refused lines leave the others.
    EXPECT_EQ(ParseUriList("file:///x\nhttp://y/z\r\nfile:///w"),
              (std::vector<std::string>{"/x", "/w"}));
    EXPECT_FALSE(ParseGnomeCopiedFiles("move\nfile:///x"));
    EXPECT_FALSE(ParseGnomeCopiedFiles(""));
    EXPECT_EQ(ParseGnomeCopiedFiles("cut"), (std::pair{true, std::vector<std::string>{}}));
}

} // namespace
} // namespace vdx::shell
