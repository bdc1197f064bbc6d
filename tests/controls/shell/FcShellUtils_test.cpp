#include "controls/shell/FcShellUtils.h"

#include "controls/shell/FcDeviceChange.h"
#include "controls/shell/FcPidlList.h"
#include "platform/gui/class_errors.h"
#include "platform/gui/image_list.h"
#include "platform/gui/message_box.h"
#include "platform/shell/special_folders.h"

#include "IsolatedEnv.h"
#include "RecordedMounts.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;

IdList Folder(const std::string& name) {
    return IdList::FromItem(shell::MakeFileItem({true, 0x10, 0, 0, name}));
}

TEST(FcShellUtilsTest, ListsNilAndEmptyAreApart) {
    const IdList empty;
    const IdList computer = shell::ComputerIdList();
    EXPECT_EQ(CompareIdLists(nullptr, nullptr), 0);
    EXPECT_EQ(CompareIdLists(nullptr, &empty), -1);
    EXPECT_EQ(CompareIdLists(&empty, &empty), 0);
    EXPECT_EQ(CompareIdLists(&empty, &computer), -1);
    EXPECT_EQ(CompareIdLists(&computer, &computer), 0);
    EXPECT_EQ(IdListSize(nullptr), 0u);
    EXPECT_EQ(IdListSize(&empty), 2u);
    EXPECT_EQ(CopyIdList(nullptr), IdList());
    EXPECT_EQ(ConcatIdLists(nullptr, &computer), computer);
    // A list the desktop cannot compare (a folder item at the top).
    const IdList stray = Folder("x");
    EXPECT_EQ(CompareIdLists(&stray, &computer), kCompareFailed);
}

TEST(FcShellUtilsTest, IdListArrayBounds) {
    const IdList empty;
    const IdList two = shell::ComputerIdList() + IdList::FromItem(shell::MakeVolumeItem("/"));
    const TFcIdListArray none(nullptr), zero(&empty), array(&two);
    EXPECT_FALSE(none.ItemAt(0));
    EXPECT_EQ(zero.ItemAt(0), IdList());
    EXPECT_FALSE(zero.ItemAt(1)); // past the end of an empty list
    EXPECT_FALSE(zero.ItemAt(-1));
    EXPECT_EQ(array.ItemCount(), 2u);
    EXPECT_EQ(array.ItemAt(0), shell::ComputerIdList());
    EXPECT_FALSE(array.ItemAt(2));
    EXPECT_EQ(array.ListWithoutLast(2), IdList());
    EXPECT_FALSE(array.ListWithoutLast(3));
    EXPECT_EQ(array.ListWithoutLast(1), shell::ComputerIdList());
}

TEST(FcShellUtilsTest, PidlListOrderAndDuplicates) {
    TFcPidlList list;
    list.SetSorted(true);
    const IdList a = Folder("a"), ab = Folder("ab"), b = Folder("B");
    list.Add(b);
    list.Add(ab);
    list.Add(a);
    // Without a folder the bytes decide: a byte prefix sorts first.
    EXPECT_EQ(list.Pidls(0), b); // "B" < "a" by bytes
    EXPECT_LT(CompareIdListBytes(&a, &ab), 0);
    list.SetDuplicates(TDuplicates::dupIgnore);
    EXPECT_EQ(list.Add(a), list.IndexOf(a));
    EXPECT_EQ(list.Count(), 3);
    list.SetDuplicates(TDuplicates::dupError);
    try {
        list.Add(a);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "TFcPidlList: Duplicate PIDL");
    }
    // With a folder its order counts: names with case folded.
    ShellFolderPtr desktop;
    GetDesktopFolder(desktop);
    TFcPidlList byFolder;
    const IdList home = shell::HomeIdList(), computer = shell::ComputerIdList();
    byFolder.Add(home);
    byFolder.Add(computer);
    byFolder.SetShellFolder(desktop);
    byFolder.SetSorted(true);
    EXPECT_EQ(byFolder.Pidls(0), computer);
    int index = -1;
    EXPECT_TRUE(byFolder.Find(home, index));
    EXPECT_EQ(index, 1);
    EXPECT_THROW(byFolder.Pidls(2), gui::EListError);
}

TEST(FcShellUtilsTest, TextRoutines) {
    EXPECT_EQ(EnsureTrailingChar("", '/'), "");
    EXPECT_EQ(EnsureTrailingChar("/tmp", '/'), "/tmp/");
    EXPECT_EQ(EnsureTrailingChar("/tmp/", '/'), "/tmp/");
    const std::vector<std::string> args = {"first", "second"};
    EXPECT_EQ(FormatStrPos("Unable to create the folder '%2'%n%n%1", args),
              "Unable to create the folder 'second'\r\n\r\nfirst");
    EXPECT_EQ(FormatStrPos("%1 %3 100%% %t%0ignored", args), "first %3 100% \t");
    EXPECT_EQ(FormatStrPos("", args), "");
    EXPECT_NO_THROW(FormatStrPos("%50", std::vector<std::string>(50, "x")));
    EXPECT_THROW(FormatStrPos("%1", std::vector<std::string>(51, "x")), std::runtime_error);
}

TEST(FcShellUtilsTest, SpecialFoldersAndNames) {
    test::IsolatedEnv env;
    fs::create_directories(env.Folder() + "home/Documents");
    std::optional<IdList> list;
    ASSERT_EQ(GetSpecialFolderIdList(shell::CSIDL_DRIVES | 0x80, list), shell::S_OK);
    EXPECT_EQ(*list, shell::ComputerIdList());
    EXPECT_EQ(IdListToCsidl(*list), shell::CSIDL_DRIVES);
    EXPECT_EQ(IdListToCsidl(IdList()), shell::CSIDL_DESKTOP);
    EXPECT_EQ(SpecialFolderPath(shell::CSIDL_PERSONAL), env.Folder() + "home/Documents");
    ASSERT_EQ(ParsePathToIdList(env.Folder() + "home/Documents", list), shell::S_OK);
    EXPECT_EQ(IdListToCsidl(*list), shell::CSIDL_PERSONAL);
    ASSERT_EQ(ParsePathToIdList(env.Folder(), list), shell::S_OK);
    EXPECT_EQ(IdListToCsidl(*list), 50);
    EXPECT_EQ(AbsoluteIdListDisplayName(*list), env.Folder().substr(5, env.Folder().size() - 6));
    EXPECT_EQ(AbsoluteIdListDisplayName(shell::ComputerIdList()), "Computer");
    EXPECT_NE(ParsePathToIdList(env.Folder() + "missing", list), shell::S_OK);
    EXPECT_FALSE(list);
    EXPECT_EQ(IdListToPath(nullptr) + "/", shell::SpecialFolderPath(shell::CSIDL_DESKTOP));
    // The Computer and the desktop have their own icons; a folder opens.
    const IdList computer = shell::ComputerIdList();
    EXPECT_NE(IdListIconIndex(&computer, SHGFI_SMALLICON),
              IdListIconIndex(nullptr, SHGFI_SMALLICON));
    EXPECT_EQ(SystemImageList(0).Width(), 16);
    EXPECT_EQ(SystemImageList(1).Width(), 32);
    // The overlays: 1 a shared item, 2 a link.
    EXPECT_GE(SystemImageList(0).OverlayImage(1), 1);
    EXPECT_GE(SystemImageList(0).OverlayImage(2), 1);
}

TEST(FcShellUtilsTest, ShortcutsAreSymbolicLinks) {
    test::TempDir dir;
    fs::create_directory(dir.Folder() + "target");
    fs::create_directory_symlink("target", dir.Folder() + "link");
    TLinkData link;
    ASSERT_EQ(ResolveShortcut(dir.Folder() + "link", link, true), shell::S_OK);
    EXPECT_EQ(link.Path, dir.Folder() + "target");
    EXPECT_EQ(link.ValidFields, 63);
    ASSERT_TRUE(link.TargetIdList);
    EXPECT_EQ(IdListToPath(&*link.TargetIdList), dir.Folder() + "target");
    EXPECT_EQ(shell::ErrnoOf(ResolveShortcut(dir.Folder() + "target", link, false)), EINVAL);
}

TEST(FcShellUtilsTest, IsShortcutFileAgreesWithResolveShortcut) {
    test::TempDir dir;
    fs::create_directory(dir.Folder() + "target");
    std::ofstream(dir.Folder() + "file.txt") << "x";
    std::ofstream(dir.Folder() + "plain.LNK") << "x";
    fs::create_directory_symlink("target", dir.Folder() + "to folder");
    fs::create_symlink("file.txt", dir.Folder() + "to file.lnk");
    fs::create_symlink("gone", dir.Folder() + "dangling");
    for (const auto& [name, shortcut] :
         std::vector<std::pair<std::string, bool>>{{"to folder", true},
                                                   {"to file.lnk", true},
                                                   {"dangling", true},
                                                   {"plain.LNK", false},
                                                   {"target", false},
                                                   {"missing", false}}) {
        SCOPED_TRACE(name);
        TLinkData link;
        EXPECT_EQ(IsShortcutFile(dir.Folder() + name), shortcut);
        EXPECT_EQ(shell::Succeeded(ResolveShortcut(dir.Folder() + name, link, false)), shortcut);
    }
    EXPECT_FALSE(IsShortcutFile(""));
}

TEST(FcShellUtilsTest, DeviceChangesReachTheHandlersStillThere) {
    test::RecordedMounts mounts(test::MountLine(1, "/", "/dev/sda1"));
    shell::CurrentVolumes();
    TFcDeviceChangeHandler& forwarder = DeviceChangeHandler();
    std::vector<std::uintptr_t> first, second;
    int ownerA = 0, ownerB = 0;
    forwarder.AddHandler(&ownerA, [&](QObject*, TFcDeviceChangeMessage& m) {
        first.push_back(m.WParam);
        forwarder.RemoveHandler(&ownerB); // removed while the handlers run
        throw std::runtime_error("handled by the error box");
    });
    forwarder.AddHandler(&ownerB,
                         [&](QObject*, TFcDeviceChangeMessage& m) { second.push_back(m.WParam); });
    gui::TScopedMessageBoxHandler boxes([](const gui::TMessageBoxRequest&) { return gui::mrOk; });
    mounts.Write(test::MountLine(1, "/", "/dev/sda1") +
                 test::MountLine(2, "/media/x", "/dev/sdb1"));
    forwarder.CheckMounts();
    EXPECT_TRUE(first.empty()); // posted, not called inside
    QCoreApplication::processEvents();
    EXPECT_EQ(first, std::vector<std::uintptr_t>{DBT_DEVICEARRIVAL});
    EXPECT_TRUE(second.empty());
    forwarder.RemoveHandler(&ownerA);
    EXPECT_EQ(forwarder.HandlerCount(), 0u);
}

} // namespace
} // namespace vdx
