#include "platform/shell/trash.h"

#include "platform/shell/context_menu.h"
#include "platform/shell/shell_folder.h"

#include "IsolatedEnv.h"
#include "RecordingUi.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::shell {
namespace {

namespace fs = std::filesystem;

class TrashTest : public testing::Test {
protected:
    TrashTest() {
        fs::create_directories(m_env.Folder() + "home");
        fs::create_directories(Tree() + "a b/inner");
    }
    std::string Tree() const { return m_env.Folder() + "tree/"; }
    std::string Trash() const { return m_env.Folder() + "data/Trash/"; }

    test::IsolatedEnv m_env;
};

TEST_F(TrashTest, HomeTrashTakesTheItemWithItsInfo) {
    EXPECT_EQ(HomeTrashPath() + "/", Trash());
    std::string trashedAs;
    ASSERT_EQ(MoveToTrash(Tree() + "a b", &trashedAs), 0);
    EXPECT_EQ(trashedAs, Trash() + "files/a b");
    EXPECT_FALSE(fs::exists(Tree() + "a b"));
    EXPECT_TRUE(fs::is_directory(Trash() + "files/a b/inner"));
    const std::string info = test::ReadFileBytes(Trash() + "info/a b.trashinfo");
    const std::regex form("\\[Trash Info\\]\nPath=(.*)\nDeletionDate="
                          "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(info, match, form)) << info;
    EXPECT_EQ(match[1].str(), Tree() + "a%20b");

    // A second item of that name takes the next one.
    fs::create_directories(Tree() + "a b");
    ASSERT_EQ(MoveToTrash(Tree() + "a b", &trashedAs), 0);
    EXPECT_EQ(trashedAs, Trash() + "files/a b.2");
    EXPECT_TRUE(fs::exists(Trash() + "info/a b.2.trashinfo"));
}

TEST_F(TrashTest, RefusesWhatMustStay) {
    EXPECT_EQ(MoveToTrash(Tree() + "missing"), ENOENT);
    EXPECT_EQ(MoveToTrash("/"), EBUSY);
    EXPECT_EQ(MoveToTrash(m_env.Folder() + "home"), EBUSY);
    fs::create_directories(Trash() + "files");
    EXPECT_EQ(MoveToTrash(Trash() + "files"), EBUSY);
    EXPECT_EQ(MoveToTrash("relative"), EINVAL);
    EXPECT_TRUE(fs::exists(m_env.Folder() + "home"));
}

// An item on another file system than the home trash goes to its volume's
// trash; where none takes it, nothing moves. Needs a second writable file
// system: /dev/shm when it is one.
TEST_F(TrashTest, VolumeTrashOrNothing) {
    struct stat shm {
    }, tmp{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(m_env.Folder().c_str(), &tmp) != 0 ||
        shm.st_dev == tmp.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    const std::string own = "/dev/shm/.Trash-" + std::to_string(::getuid());
    if (fs::exists(own))
        GTEST_SKIP() << own << " is in use";
    struct Cleanup {
        std::string own, item;
        ~Cleanup() {
            std::error_code ec;
            fs::remove_all(own, ec);
            fs::remove_all(item, ec);
        }
    } cleanup{own, "/dev/shm/vdx-trash-test-" + std::to_string(::getpid())};
    fs::create_directories(cleanup.item + "/x");

    // .Trash-$uid is a file: no trash takes the item.
    test::WriteFileBytes(own, "");
    EXPECT_EQ(MoveToTrash(cleanup.item + "/x"), EXDEV);
    EXPECT_TRUE(fs::is_directory(cleanup.item + "/x"));
    fs::remove(own);

    std::string trashedAs;
    ASSERT_EQ(MoveToTrash(cleanup.item + "/x", &trashedAs), 0);
    EXPECT_EQ(trashedAs, own + "/files/x");
    const std::string info = test::ReadFileBytes(own + "/info/x.trashinfo");
    EXPECT_NE(info.find("\nPath=" + cleanup.item.substr(9) + "/x\n"), std::string::npos) << info;
}

// Delete from an item's menu: yes moves it to the trash, no leaves it.
TEST_F(TrashTest, DeleteCommandAsksFirst) {
    IdList list;
    ASSERT_EQ(ParsePath(Tree() + "a b", list), S_OK);
    ShellFolderPtr parent;
    ASSERT_EQ(GetDesktopFolder()->BindToObject(list.WithoutLast(), parent), S_OK);
    ContextMenuPtr menu;
    const IdList item = list.Last();
    ASSERT_EQ(parent->GetContextMenu({&item, 1}, menu), S_OK);
    test::RecordingUi ui;
    EXPECT_EQ(menu->Invoke(kCommandDelete, ui), S_FALSE);
    EXPECT_TRUE(fs::exists(Tree() + "a b"));
    ui.answer = true;
    EXPECT_EQ(menu->Invoke(kCommandDelete, ui), S_OK);
    EXPECT_EQ(ui.asked, 2);
    EXPECT_FALSE(fs::exists(Tree() + "a b"));
    EXPECT_TRUE(fs::exists(Trash() + "info/a b.trashinfo"));
    // New Folder twice gives the second number.
    ASSERT_EQ(GetDesktopFolder()->BindToObject(list.WithoutLast().WithoutLast(), parent), S_OK);
    const IdList treeItem = list.WithoutLast().Last();
    ASSERT_EQ(parent->GetContextMenu({&treeItem, 1}, menu), S_OK);
    EXPECT_EQ(menu->Invoke(kCommandNewFolder, ui), S_OK);
    EXPECT_EQ(menu->Invoke(kCommandNewFolder, ui), S_OK);
    EXPECT_TRUE(fs::is_directory(Tree() + "New Folder (2)"));
    EXPECT_EQ(ui.failed, 0);
}

} // namespace
} // namespace vdx::shell
