#include "controls/shell/FcShellTree.h"

#include "controls/shell/FcChangeHandler.h"
#include "platform/gui/message_box.h"
#include "platform/gui/shell_menu.h"
#include "platform/gui/shell_open.h"
#include "platform/shell/special_folders.h"

#include "IsolatedEnv.h"
#include "RecordedMounts.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ChildTexts(const TTreeNode* node) {
    std::vector<std::string> texts;
    for (int i = 0; i < node->Count(); ++i)
        texts.push_back(node->Item(i)->Text());
    return texts;
}

TTreeNode* Child(TTreeNode* node, const std::string& text) {
    for (int i = 0; i < node->Count(); ++i)
        if (node->Item(i)->Text() == text)
            return node->Item(i);
    return nullptr;
}

void Press(QWidget& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(&w, &release);
}

// A temporary tree in a shell tree, the trash inside the isolated home, and
// a recorded mount table whose stick is a temporary folder.
class FcShellTreeTest : public testing::Test {
protected:
    FcShellTreeTest()
        : m_mounts(test::MountLine(1, "/", "/dev/sda1") +
                   test::MountLine(2, Stick(), "/dev/sdb1", "vfat")),
          m_boxes([this](const gui::TMessageBoxRequest& r) {
              m_shown.push_back(r.Text);
              return m_answer;
          }),
          m_open([this](const std::string&) {
              ++m_opened;
              return true;
          }) {
        fs::create_directories(m_env.Folder() + "home");
        fs::create_directories(Tree() + "a/inner/deep");
        fs::create_directories(Tree() + "C");
        fs::create_directories(Stick() + "/on stick");
        m_tree.SetOptions(TFcShellTreeOptions::FromBits(0)
                              .With(TFcShellTreeOption::stoDefaultKeyHandling, true)
                              .With(TFcShellTreeOption::stoContextMenus, true));
        m_tree.resize(300, 400);
        m_tree.show();
    }

    std::string Tree() const { return m_env.Folder() + "tree/"; }
    std::string Stick() const { return m_env.Folder() + "stick"; }
    std::string Trash() const { return m_env.Folder() + "data/Trash/"; }

    // The tree rooted at path, filled.
    TTreeNode* FillAt(const std::string& path) {
        TFcShellLocator base;
        base.SetPathName(path);
        m_tree.SetBaseFolder(base);
        m_tree.FillTree();
        return m_tree.Items().GetFirstNode();
    }
    QWidget& Keys() { return m_tree.View(); }
    void Type(const QString& text) {
        QLineEdit* editor = m_tree.EditControl();
        ASSERT_TRUE(editor);
        editor->setText(text);
        Press(*editor, Qt::Key_Return);
        QApplication::processEvents();
    }

    test::IsolatedEnv m_env;
    test::RecordedMounts m_mounts;
    std::vector<std::string> m_shown;
    gui::TModalResult m_answer = gui::mrYes;
    gui::TScopedMessageBoxHandler m_boxes;
    int m_opened = 0;
    gui::OpenDocumentHook m_open;
    TFcShellTree m_tree;
};

TEST_F(FcShellTreeTest, FillsOnDemandAndSelectsTheRoot) {
    TTreeNode* root = FillAt(Tree());
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Text(), "tree");
    EXPECT_TRUE(root->Expanded());
    EXPECT_EQ(m_tree.Selected(), root);
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"a", "C"}));
    TTreeNode* a = Child(root, "a");
    EXPECT_TRUE(a->HasChildren());
    EXPECT_EQ(a->Count(), 0); // not filled until expanded
    EXPECT_FALSE(Child(root, "C")->HasChildren());
    a->Expand(false);
    EXPECT_EQ(ChildTexts(a), std::vector<std::string>{"inner"});
    EXPECT_EQ(m_tree.NodeData(a->Item(0))->PathName(), Tree() + "a/inner");
    EXPECT_EQ(m_tree.SelectedPathName() + "/", Tree());
}

TEST_F(FcShellTreeTest, RenameInPlaceKeepsChildrenUsable) {
    TTreeNode* root = FillAt(Tree());
    TTreeNode* a = Child(root, "a");
    a->Expand(false);
    m_tree.SetSelected(a);
    Press(Keys(), Qt::Key_F2);
    ASSERT_EQ(m_tree.EditingNode(), a);
    EXPECT_EQ(m_tree.EditControl()->text(), "a");
    Type("  r\xC3\xA9name  ");
    EXPECT_FALSE(m_tree.IsEditing());
    EXPECT_TRUE(m_shown.empty());
    EXPECT_EQ(a->Text(), "r\xC3\xA9name");
    EXPECT_TRUE(fs::is_directory(Tree() + "r\xC3\xA9name/inner"));
    EXPECT_EQ(m_tree.SelectedFolder().PathName(), Tree() + "r\xC3\xA9name");
    // The loaded children name the renamed folder now.
    TTreeNode* inner = a->Item(0);
    EXPECT_EQ(m_tree.NodeData(inner)->PathName(), Tree() + "r\xC3\xA9name/inner");
    inner->Expand(false);
    EXPECT_EQ(ChildTexts(inner), std::vector<std::string>{"deep"});
}

TEST_F(FcShellTreeTest, RenameOntoASiblingIsRefused) {
    TTreeNode* root = FillAt(Tree());
    TTreeNode* a = Child(root, "a");
    for (const char* name : {"c", "..", "x/y", ""}) {
        m_shown.clear();
        ASSERT_TRUE(a->EditText());
        Type(QString::fromLatin1(name));
        EXPECT_EQ(m_shown.size(), 1u) << name;
        EXPECT_EQ(a->Text(), "a") << name;
    }
    EXPECT_TRUE(fs::is_directory(Tree() + "a/inner"));
    EXPECT_TRUE(fs::is_directory(Tree() + "C"));
    // The root is no one's to rename.
    EXPECT_FALSE(root->EditText());
}

TEST_F(FcShellTreeTest, NewFolderTwiceStartsTheSecondInEditMode) {
    TTreeNode* root = FillAt(Tree());
    ASSERT_TRUE(m_tree.CreateNewFolder());
    ASSERT_TRUE(m_tree.EditingNode());
    EXPECT_EQ(m_tree.EditingNode()->Text(), "New Folder");
    m_tree.EditingNode()->EndEdit(true);
    ASSERT_TRUE(m_tree.CreateNewFolder());
    ASSERT_TRUE(m_tree.EditingNode());
    EXPECT_EQ(m_tree.EditingNode()->Text(), "New Folder (2)");
    EXPECT_EQ(m_tree.EditingNode()->Parent(), root);
    Type("named");
    EXPECT_TRUE(fs::is_directory(Tree() + "named"));
    EXPECT_TRUE(fs::is_directory(Tree() + "New Folder"));
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"a", "C", "named", "New Folder"}));
}

TEST_F(FcShellTreeTest, DeleteToTheTrashAfterYes) {
    TTreeNode* root = FillAt(Tree());
    m_tree.SetSelected(Child(root, "a"));
    m_answer = gui::mrNo;
    Press(Keys(), Qt::Key_Delete);
    EXPECT_EQ(m_shown.size(), 1u);
    EXPECT_TRUE(fs::exists(Tree() + "a"));
    ASSERT_TRUE(Child(root, "a"));

    m_answer = gui::mrYes;
    Press(Keys(), Qt::Key_Delete, Qt::ShiftModifier); // the trash too
    EXPECT_EQ(m_shown.size(), 2u);
    EXPECT_FALSE(fs::exists(Tree() + "a"));
    EXPECT_TRUE(fs::is_directory(Trash() + "files/a/inner"));
    EXPECT_TRUE(fs::exists(Trash() + "info/a.trashinfo"));
    EXPECT_EQ(ChildTexts(root), std::vector<std::string>{"C"});
    EXPECT_EQ(m_tree.Selected(), root);
}

TEST_F(FcShellTreeTest, KeysThatHaveNothingToDo) {
    TTreeNode* root = FillAt(Tree());
    // The root: nothing to delete; the tree is refreshed.
    Press(Keys(), Qt::Key_Delete);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_TRUE(fs::exists(Tree()));
    // No paste verb: Ctrl+V opens nothing.
    m_tree.SetSelected(Child(root, "a"));
    Press(Keys(), Qt::Key_V, Qt::ControlModifier);
    Press(Keys(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(m_opened, 0);
    EXPECT_TRUE(m_shown.empty());

    // A volume below the Computer cannot be deleted either.
    TFcShellLocator computer;
    const IdList list = shell::ComputerIdList();
    computer.SetIdList(&list);
    m_tree.SetBaseFolder(computer);
    m_tree.FillTree();
    TTreeNode* top = m_tree.Items().GetFirstNode();
    EXPECT_EQ(top->Text(), "Computer");
    TTreeNode* stick = nullptr;
    for (int i = 0; i < top->Count(); ++i)
        if (m_tree.NodeData(top->Item(i))->PathName() == Stick())
            stick = top->Item(i);
    ASSERT_TRUE(stick);
    m_tree.SetSelected(stick);
    Press(Keys(), Qt::Key_Delete);
    EXPECT_TRUE(m_shown.empty());
    EXPECT_TRUE(fs::is_directory(Stick() + "/on stick"));
}

TEST_F(FcShellTreeTest, RefreshKeepsExpansionAndMovesAVanishedSelection) {
    TTreeNode* root = FillAt(Tree());
    TTreeNode* a = Child(root, "a");
    a->Expand(false);
    TTreeNode* inner = a->Item(0);
    inner->Expand(false);
    m_tree.SetSelected(inner->Item(0)); // deep
    fs::remove_all(Tree() + "a/inner/deep");
    fs::create_directories(Tree() + "a/new one");
    fs::create_directories(Tree() + "b");
    Press(Keys(), Qt::Key_F5);
    EXPECT_EQ(Child(root, "a"), a); // the same nodes, still open
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(ChildTexts(a), (std::vector<std::string>{"inner", "new one"}));
    EXPECT_EQ(m_tree.Selected(), inner);
    EXPECT_EQ(m_tree.SelectedFolder().PathName(), Tree() + "a/inner");
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"a", "b", "C"}));
}

TEST_F(FcShellTreeTest, SelectedFolderOpensThePathOrTheRoot) {
    fs::create_directories(Tree() + "a/.hidden/x");
    TFcShellLocator base;
    base.SetPathName(Tree());
    m_tree.SetBaseFolder(base);
    TFcShellLocator selected;
    selected.SetPathName(Tree() + "a/.hidden/x");
    m_tree.SetSelectedFolder(selected);
    m_tree.FillTree();
    ASSERT_TRUE(m_tree.Selected());
    EXPECT_EQ(m_tree.Selected()->Text(), "x"); // a hidden folder on the way is added
    EXPECT_TRUE(m_tree.Selected()->Parent()->Cut());
    EXPECT_EQ(m_tree.SelectedPathName(), Tree() + "a/.hidden/x");

    // Outside the base folder: the root, not a folder of the same name.
    fs::create_directories(m_env.Folder() + "other/a");
    selected.SetPathName(m_env.Folder() + "other/a");
    m_tree.SetSelectedFolder(selected);
    EXPECT_EQ(m_tree.Selected(), m_tree.Items().GetFirstNode());
}

TEST_F(FcShellTreeTest, ContextMenuCommands) {
    TTreeNode* root = FillAt(Tree());
    TTreeNode* a = Child(root, "a");
    std::vector<gui::TShellMenuEntry> offered;
    int choice = 0;
    const gui::TShellMenuHandler previous = gui::SetShellMenuHandler(
        [&](const std::vector<gui::TShellMenuEntry>& entries, gui::TPoint) {
            offered = entries;
            return choice;
        });
    const auto ids = [&] {
        std::vector<int> v;
        for (const auto& e : offered)
            v.push_back(e.Id);
        return v;
    };
    choice = 1002; // New Folder inside a
    m_tree.ShowShellContextMenu(a, {10, 10});
    // 0: the Send To submenu.
    EXPECT_EQ(ids(), (std::vector<int>{1000, 1002, 0, 1024, 1025, 1026, 1017, 1018, 1019}));
    EXPECT_TRUE(fs::is_directory(Tree() + "a/New Folder"));
    EXPECT_FALSE(m_tree.PendingRefresh());
    a->Expand(false);
    EXPECT_EQ(ChildTexts(a), (std::vector<std::string>{"inner", "New Folder"}));
    choice = 1018; // rename in place
    m_tree.ShowShellContextMenu(a, {10, 10});
    EXPECT_EQ(m_tree.EditingNode(), a);
    a->EndEdit(true);
    choice = 1000; // open
    m_tree.ShowShellContextMenu(a, {10, 10});
    EXPECT_EQ(m_opened, 1);
    // The root of the tree: a folder of its own volume, nothing to rename.
    m_tree.ShowShellContextMenu(root, {10, 10});
    EXPECT_EQ(ids(), (std::vector<int>{1000, 1002, 0, 1024, 1025, 1026, 1017, 1019}));
    // The desktop root has no menu.
    m_tree.SetBaseFolder(TFcShellLocator());
    m_tree.FillTree();
    offered.clear();
    choice = 0;
    m_tree.ShowShellContextMenu(m_tree.Items().GetFirstNode(), {10, 10});
    EXPECT_TRUE(offered.empty());
    EXPECT_EQ(m_tree.Items().GetFirstNode()->Text(), "Desktop");
    gui::SetShellMenuHandler(previous);
}

TEST_F(FcShellTreeTest, AStickPluggedInShows) {
    m_mounts.Record(test::MountLine(1, "/", "/dev/sda1"));
    TFcShellLocator computer;
    const IdList list = shell::ComputerIdList();
    computer.SetIdList(&list);
    m_tree.SetBaseFolder(computer);
    m_tree.FillTree();
    TTreeNode* top = m_tree.Items().GetFirstNode();
    ASSERT_EQ(top->Count(), 1);
    m_mounts.Write(test::MountLine(1, "/", "/dev/sda1") +
                   test::MountLine(2, Stick(), "/dev/sdb1", "vfat"));
    DeviceChangeHandler().CheckMounts();
    QApplication::processEvents();
    ASSERT_EQ(top->Count(), 2);
    EXPECT_EQ(m_tree.NodeData(top->Item(1))->PathName(), Stick());
    m_mounts.Write(test::MountLine(1, "/", "/dev/sda1"));
    DeviceChangeHandler().CheckMounts();
    QApplication::processEvents();
    EXPECT_EQ(top->Count(), 1);
}

// Change notification.

template <class Done> bool RunUntil(Done done, int ms = 10000) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

// Sees the change messages on their way to the tree.
class TChangeSpy final : public QObject {
public:
    explicit TChangeSpy(QObject& target) { target.installEventFilter(this); }
    int Seen = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == TFcShellChangeEvent::Type())
            ++Seen;
        return false;
    }
};

TEST_F(FcShellTreeTest, ChangesFromOutsideRefreshTheTree) {
    const struct {
        const char* Name;
        std::function<void(TFcShellTree&)> Start;
    } kStarts[] = {
        {"the volume watched by path", [this](TFcShellTree& t) { t.WatchDrive(Tree()); }},
        {"stoDynamicRefresh turned on",
         [](TFcShellTree& t) {
             t.SetOptions(t.Options().With(TFcShellTreeOption::stoDynamicRefresh, true));
         }},
    };
    for (const auto& start : kStarts) {
        SCOPED_TRACE(start.Name);
        fs::create_directories(Tree() + "C");
        TTreeNode* root = FillAt(Tree());
        TTreeNode* a = Child(root, "a");
        a->Expand(false); // filled before the watch began
        start.Start(m_tree);
        TTreeNode* inner = Child(a, "inner");
        inner->Expand(false); // filled after
        fs::create_directory(Tree() + "a/inner/made");
        EXPECT_TRUE(RunUntil([&] { return Child(inner, "made") != nullptr; }));
        fs::create_directory(Tree() + "a/new");
        EXPECT_TRUE(RunUntil([&] { return Child(a, "new") != nullptr; }));
        fs::remove(Tree() + "C");
        EXPECT_TRUE(RunUntil([&] { return Child(root, "C") == nullptr; }));
        EXPECT_TRUE(a->Expanded());
        fs::remove(Tree() + "a/new");
        fs::remove(Tree() + "a/inner/made");
        m_tree.SetOptions(m_tree.Options().With(TFcShellTreeOption::stoDynamicRefresh, false));
        m_tree.WatchDrive({});
    }
}

TEST_F(FcShellTreeTest, ChangesOfItsOwnOrUnderAMenuAreDropped) {
    TTreeNode* root = FillAt(Tree());
    m_tree.WatchDrive(Tree());
    TChangeSpy spy(m_tree);
    // The new folder the tree made itself: shown at once, its change dropped.
    m_tree.SetSelected(root);
    ASSERT_TRUE(m_tree.CreateNewFolder());
    m_tree.EditingNode()->EndEdit(true);
    EXPECT_TRUE(RunUntil([&] { return spy.Seen == 1; }));
    EXPECT_EQ(m_tree.PendingTimerJob(), 0);
    // A change while a context menu is up.
    const gui::TShellMenuHandler previous =
        gui::SetShellMenuHandler([&](const std::vector<gui::TShellMenuEntry>&, gui::TPoint) {
            fs::create_directory(Tree() + "under menu");
            EXPECT_TRUE(RunUntil([&] { return spy.Seen == 2; }));
            return 0;
        });
    m_tree.ShowShellContextMenu(Child(root, "a"), {10, 10});
    gui::SetShellMenuHandler(previous);
    EXPECT_EQ(m_tree.PendingTimerJob(), 0);
    EXPECT_FALSE(Child(root, "under menu"));
    // The flags are cleared: the next change counts.
    fs::create_directory(Tree() + "later");
    EXPECT_TRUE(RunUntil([&] { return spy.Seen == 3; }));
    EXPECT_EQ(m_tree.PendingTimerJob(), 2);
}

TEST_F(FcShellTreeTest, ARefusedRenameDropsNoLaterChange) {
    TTreeNode* root = FillAt(Tree());
    m_tree.WatchDrive(Tree());
    ASSERT_TRUE(Child(root, "a")->EditText());
    Type("c"); // taken: the rename fails and changes nothing on disk
    ASSERT_EQ(m_shown.size(), 1u);
    fs::create_directory(Tree() + "later");
    EXPECT_TRUE(RunUntil([&] { return Child(root, "later") != nullptr; }));
}

TEST_F(FcShellTreeTest, ABurstOfChangesGivesOneRefresh) {
    TTreeNode* root = FillAt(Tree());
    m_tree.WatchDrive(Tree());
    int refreshes = 0;
    m_tree.OnFillStart = [&](QObject*) { ++refreshes; };
    for (const char* name : {"x1", "x2", "x3", "x4"})
        fs::create_directory(Tree() + name);
    fs::remove(Tree() + "C");
    EXPECT_TRUE(RunUntil([&] { return Child(root, "x4") && !Child(root, "C"); }));
    EXPECT_TRUE(RunUntil([&] { return m_tree.PendingTimerJob() == 0; }));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(ChildTexts(root), (std::vector<std::string>{"a", "x1", "x2", "x3", "x4"}));
}

TEST_F(FcShellTreeTest, DynamicRefreshOffRemovesTheWatches) {
    FillAt(Tree());
    m_tree.SetOptions(m_tree.Options().With(TFcShellTreeOption::stoDynamicRefresh, true));
    m_tree.SetOptions(m_tree.Options().With(TFcShellTreeOption::stoDynamicRefresh, false));
    TChangeSpy spy(m_tree);
    // A watch of its own tells when the tree's would have reported.
    QObject witness;
    TChangeSpy witnessed(witness);
    TChangeHandlerThread thread(&witness, WM_FCSHELLCHANGE);
    int index = -1;
    ASSERT_TRUE(thread.AddWatch(Tree(), shell::FILE_NOTIFY_CHANGE_DIR_NAME, index, false));
    fs::create_directory(Tree() + "made");
    ASSERT_TRUE(RunUntil([&] { return witnessed.Seen > 0; }));
    RunUntil([] { return false; }, 200);
    EXPECT_EQ(spy.Seen, 0);
    EXPECT_EQ(m_tree.PendingTimerJob(), 0);
}

} // namespace
} // namespace vdx
