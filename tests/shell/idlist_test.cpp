#include "platform/shell/idlist.h"

#include "platform/shell/shell_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::shell {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kEnd = {0, 0};

Bytes Folder(const std::string& name) {
    return MakeFileItem({true, 0x10, 0, 0, name});
}

TEST(IdListTest, ComputerItemHasThePublishedBytes) {
    const Bytes expected = {0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A,
                            0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};
    EXPECT_EQ(ComputerIdList().Bytes(), Cat({expected, kEnd}));
    EXPECT_EQ(ClsidToString(ComputerClsid()), "{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    EXPECT_FALSE(ClsidFromString("{20D04FE0-3AEA-1069-A2D8-08002B30309}"));
    EXPECT_FALSE(ClsidFromString("20D04FE0-3AEA-1069-A2D8-08002B30309D"));
}

TEST(IdListTest, ValidatorTakesWellFormedListsOnly) {
    const Bytes root = MakeRootItem(0x50, ComputerClsid());
    const Bytes volume = MakeVolumeItem("/media/a b");
    const Bytes file = MakeFileItem({false, 0x20, 12345, 987654321, "x\xFF\n y"});
    struct Case {
        const char* name;
        Bytes bytes;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"desktop", kEnd, true},
        {"computer, volume, folder, file", Cat({root, volume, Folder("a"), file, kEnd}), true},
        {"nothing", {}, false},
        {"one byte", {0}, false},
        {"no terminator", Cat({root}), false},
        {"half a terminator", Cat({root, {0}}), false},
        {"bytes after the terminator", Cat({root, kEnd, {7}}), false},
        {"count 1", Cat({{1, 0}, kEnd}), false},
        {"count 2", Cat({{2, 0, 0x31}, kEnd}), false},
        {"count past the end", Cat({{0xFF, 0x00, 0x31, 0}, kEnd}), false},
        {"count eating the terminator", Cat({{6, 0, 0x2F, '/', 0, 0}}), false},
        {"unknown kind", Cat({{4, 0, 0x77, 0}, kEnd}), false},
        {"root of 19 bytes", Cat({Bytes(root.begin(), root.end() - 1), kEnd}), false},
        {"volume not absolute", Cat({MakeVolumeItem("media"), kEnd}), false},
        {"volume without NUL", Cat({{4, 0, 0x2F, '/'}, kEnd}), false},
        {"name with a slash", Cat({Folder("a/b"), kEnd}), false},
        {"empty name", Cat({Folder(""), kEnd}), false},
        {"dot dot", Cat({Folder(".."), kEnd}), false},
        {"name too long", Cat({Folder(std::string(256, 'n')), kEnd}), false},
        {"too big", Bytes(kMaxIdListSize + 2, 0), false},
    };
    for (const Case& c : cases) {
        const auto list = IdList::FromBytes(c.bytes);
        EXPECT_EQ(list.has_value(), c.valid) << c.name;
        if (list) {
            EXPECT_EQ(list->Bytes(), c.bytes) << c.name;
        }
    }
    // The name bytes come back as they went in.
    const auto facts = ReadFileItem(file);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->Name, "x\xFF\n y");
    EXPECT_EQ(facts->Size, 12345u);
    EXPECT_EQ(facts->LastWrite, 987654321);
    EXPECT_FALSE(facts->Folder);
    EXPECT_EQ(VolumeItemMountPoint(volume), "/media/a b");
}

TEST(IdListTest, TakingListsApart) {
    IdList list = ComputerIdList();
    list.Append(MakeVolumeItem("/"));
    list.Append(Folder("a"));
    ASSERT_EQ(list.ItemCount(), 3u);
    EXPECT_EQ(list.Size(), 20u + 5u + Folder("a").size() + 2u);
    EXPECT_EQ(list.WithoutLast().ItemCount(), 2u);
    EXPECT_TRUE(list.WithoutLast(3).Empty());
    EXPECT_TRUE(list.WithoutLast(4).Empty());
    EXPECT_EQ(list.Last(), IdList::FromItem(Folder("a")));
    EXPECT_EQ(list.First(1), ComputerIdList());
    EXPECT_EQ(list.WithoutLast() + list.Last(), list);
    EXPECT_TRUE(IdList().Last().Empty());
    EXPECT_EQ(IdList().ItemCount(), 0u);
}

} // namespace
} // namespace vdx::shell
