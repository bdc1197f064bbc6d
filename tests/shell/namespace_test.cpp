#include "platform/shell/context_menu.h"
#include "platform/shell/shell_folder.h"
#include "platform/shell/special_folders.h"

#include "IsolatedEnv.h"
#include "RecordedMounts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::shell {
namespace {

namespace fs = std::filesystem;

// A home, a tree and a volume (a temporary folder the recorded table names).
class NamespaceTest : public testing::Test {
protected:
    NamespaceTest()
        : m_mounts(test::MountLine(1, "/", "/dev/sda1") +
                   test::MountLine(2, Volume(), "/dev/sdb1", "vfat")) {
        fs::create_directories(Home());
        fs::create_directories(Tree() + "a/b");
        fs::create_directories(Tree() + ".hidden");
        fs::create_directories(Volume() + "/inside");
        test::WriteFileBytes(Tree() + "file.txt", "12345");
    }

    std::string Home() const { return m_env.Folder() + "home"; }
    std::string Tree() const { return m_env.Folder() + "tree/"; }
    std::string Volume() const { return m_env.Folder() + "stick"; }

    static IdList Parse(const std::string& path) {
        IdList list;
        EXPECT_EQ(ParsePath(path, list), S_OK) << path;
        return list;
    }
    static ShellFolderPtr Bind(const IdList& list) {
        ShellFolderPtr folder;
        EXPECT_EQ(GetDesktopFolder()->BindToObject(list, folder), S_OK);
        return folder;
    }
    static std::vector<std::string> Names(ShellFolder& folder, std::uint32_t flags) {
        std::vector<IdList> items;
        EXPECT_EQ(folder.EnumObjects(flags, items), S_OK);
        std::vector<std::string> names;
        for (const IdList& item : items) {
            std::string name;
            folder.GetDisplayNameOf(item, SHGDN_INFOLDER, name);
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::uint32_t Attributes(const std::string& path) {
        const IdList list = Parse(path);
        std::uint32_t a = 0xFFFFFFFFu;
        const IdList item = list.Last();
        EXPECT_EQ(Bind(list.WithoutLast())->GetAttributesOf({&item, 1}, a), S_OK);
        return a;
    }

    test::IsolatedEnv m_env;
    test::RecordedMounts m_mounts;
};

TEST_F(NamespaceTest, PathsRoundTrip) {
    std::vector<std::string> names = {"with space", "new\nline", "byte\xFF", "UPPER"};
    for (const std::string& name : names) {
        fs::create_directory(Tree() + name);
        const IdList list = Parse(Tree() + name);
        EXPECT_EQ(PathOfIdList(list), Tree() + name);
        // The Computer, "/", then each folder.
        EXPECT_EQ(list.Item(0).size(), 20u);
        EXPECT_EQ(KindOf(list.Item(1)), ItemKind::Volume);
        EXPECT_EQ(*VolumeItemMountPoint(list.Item(1)), "/");
        // Stored and read back.
        EXPECT_EQ(IdList::FromBytes(list.Bytes()), list);
    }
    // Case is found as the disk has it, a trailing "/" is no component.
    EXPECT_EQ(PathOfIdList(Parse(Tree() + "A/B/")), Tree() + "a/b");
    IdList list;
    EXPECT_EQ(ErrnoOf(ParsePath(Tree() + "a/missing", list)), ENOENT);
    EXPECT_EQ(ErrnoOf(ParsePath(Tree() + "file.txt/x", list)), ENOTDIR);
    EXPECT_EQ(ParsePath(Tree() + "a/../a", list), E_INVALIDARG);
    EXPECT_EQ(ParsePath("", list), E_INVALIDARG);

    // 4,000 bytes below the tree exist and round trip; past PATH_MAX fails.
    std::string deep = Tree();
    while (deep.size() < 4000 - 201)
        deep += std::string(200, 'd') + "/";
    deep += std::string(4000 - deep.size(), 'e');
    ASSERT_EQ(deep.size(), 4000u);
    fs::create_directories(deep);
    EXPECT_EQ(PathOfIdList(Parse(deep)), deep);
    EXPECT_EQ(ErrnoOf(ParsePath(deep + "/" + std::string(200, 'f'), list)), ENAMETOOLONG);
}

TEST_F(NamespaceTest, DesktopComputerAndVolumes) {
    const ShellFolderPtr desktop = GetDesktopFolder();
    EXPECT_EQ(Names(*desktop, SHCONTF_FOLDERS), (std::vector<std::string>{"Computer", "Home"}));
    EXPECT_EQ(desktop->Path() + "/", SpecialFolderPath(CSIDL_DESKTOP));
    EXPECT_EQ(PathOfIdList(IdList()) + "/", SpecialFolderPath(CSIDL_DESKTOP));
    EXPECT_EQ(PathOfIdList(ComputerIdList()), "");
    EXPECT_EQ(PathOfIdList(HomeIdList()), Home());
    std::string name;
    desktop->GetDisplayNameOf(ComputerIdList(), SHGDN_FORPARSING, name);
    EXPECT_EQ(name, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    IdList parsed;
    EXPECT_EQ(desktop->ParseDisplayName(name, parsed), S_OK);
    EXPECT_EQ(parsed, ComputerIdList());

    const ShellFolderPtr computer = Bind(ComputerIdList());
    const std::vector<std::string> volumes = Names(*computer, SHCONTF_FOLDERS);
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_TRUE(volumes[0].ends_with(" (/)")) << volumes[0];
    EXPECT_TRUE(volumes[1].ends_with(" (" + Volume() + ")")) << volumes[1];

    // The deepest volume takes the path.
    const IdList inside = Parse(Volume() + "/inside");
    ASSERT_EQ(inside.ItemCount(), 3u);
    EXPECT_EQ(*VolumeItemMountPoint(inside.Item(1)), Volume());
    EXPECT_EQ(PathOfIdList(inside), Volume() + "/inside");

    // A volume is no one's to rename, move or delete; nor is $HOME.
    const std::uint32_t volume = Attributes(Volume());
    EXPECT_TRUE(volume & SFGAO_FOLDER);
    EXPECT_FALSE(volume & (SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE));
    EXPECT_FALSE(Attributes(Home()) & (SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE));
    ContextMenuPtr menu;
    const IdList item = Parse(Volume()).Last();
    ASSERT_EQ(computer->GetContextMenu({&item, 1}, menu), S_OK);
    EXPECT_FALSE(menu->Verb(kCommandDelete));
    EXPECT_EQ(menu->Verb(kCommandProperties), "properties");
}

TEST_F(NamespaceTest, EnumerationAndAttributes) {
    const ShellFolderPtr tree = Bind(Parse(Tree()));
    EXPECT_EQ(Names(*tree, SHCONTF_FOLDERS), (std::vector<std::string>{"a"}));
    EXPECT_EQ(Names(*tree, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN),
              (std::vector<std::string>{".hidden", "a"}));
    EXPECT_EQ(Names(*tree, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS),
              (std::vector<std::string>{"a", "file.txt"}));

    fs::create_directory_symlink(Tree() + "a", Tree() + "link");
    ::chmod((Tree() + "file.txt").c_str(), 0444);
    struct Case {
        const char* name;
        std::uint32_t set, clear;
    };
    const std::vector<Case> cases = {
        {"a",
         SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_HASSUBFOLDER | SFGAO_CANRENAME | SFGAO_CANDELETE,
         SFGAO_HIDDEN | SFGAO_LINK | SFGAO_STREAM | SFGAO_READONLY},
        {"a/b", SFGAO_FOLDER, SFGAO_HASSUBFOLDER},
        {".hidden", SFGAO_HIDDEN | SFGAO_FOLDER, 0},
        {"link", SFGAO_LINK | SFGAO_FOLDER, 0},
        {"file.txt", SFGAO_STREAM | SFGAO_READONLY | SFGAO_CANRENAME, SFGAO_FOLDER},
    };
    for (const Case& c : cases) {
        const std::uint32_t a = Attributes(Tree() + c.name);
        EXPECT_EQ(a & c.set, c.set) << c.name;
        EXPECT_EQ(a & c.clear, 0u) << c.name;
    }
    // Nothing in a folder that cannot be written is renamed or deleted
    // (root may write anywhere, so only the bits of others' tests count).
    if (::geteuid() != 0) {
        ::chmod((Tree() + "a").c_str(), 0555);
        EXPECT_FALSE(Attributes(Tree() + "a/b") & SFGAO_CANRENAME);
        ::chmod((Tree() + "a").c_str(), 0755);
    }
}

TEST_F(NamespaceTest, OrderAndRenaming) {
    const IdList treeList = Parse(Tree());
    const ShellFolderPtr tree = Bind(treeList);
    fs::create_directory(Tree() + "B");
    test::WriteFileBytes(Tree() + "A-file", "");
    const IdList a = Parse(Tree() + "a").Last(), b = Parse(Tree() + "B").Last();
    const IdList file = Parse(Tree() + "A-file").Last();
    EXPECT_LT(*tree->CompareIDs(a, b), 0);    // case folded
    EXPECT_LT(*tree->CompareIDs(b, file), 0); // folders first
    EXPECT_EQ(*tree->CompareIDs(a, a), 0);
    // The same name with other facts is the same item.
    test::WriteFileBytes(Tree() + "file.txt", "longer now");
    EXPECT_EQ(*tree->CompareIDs(Parse(Tree() + "file.txt").Last(),
                                IdList::FromItem(MakeFileItem({false, 0, 1, 2, "file.txt"}))),
              0);
    EXPECT_FALSE(tree->CompareIDs(ComputerIdList(), a));

    IdList renamed;
    for (const char* refused : {"", ".", "..", "x/y"})
        EXPECT_EQ(ErrnoOf(tree->SetNameOf(a, refused, renamed)), EINVAL) << refused;
    EXPECT_EQ(ErrnoOf(tree->SetNameOf(a, "b", renamed)), EEXIST); // onto B, any case
    EXPECT_TRUE(fs::is_directory(Tree() + "a/b"));
    EXPECT_EQ(ErrnoOf(tree->SetNameOf(a, std::string(256, 'n'), renamed)), ENAMETOOLONG);
    ASSERT_EQ(tree->SetNameOf(a, "A", renamed), S_OK); // a change of case only
    ASSERT_EQ(tree->SetNameOf(IdList::FromItem(renamed.Item(0)), "c\xFF", renamed), S_OK);
    EXPECT_TRUE(fs::is_directory(Tree() + "c\xFF/b"));
    std::string name;
    tree->GetDisplayNameOf(renamed, SHGDN_FORPARSING, name);
    EXPECT_EQ(name, Tree() + "c\xFF");
}

} // namespace
} // namespace vdx::shell
