#include "controls/shell/FcShellDialogs.h"

#include "controls/buttons/FcBitBtn.h"
#include "controls/buttons/FcToolButton.h"
#include "controls/panels/FcStatusBar.h"
#include "platform/gui/message_box.h"
#include "platform/gui/shell_menu.h"

#include "IsolatedEnv.h"
#include "RecordedMounts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;

// The settings dialog's stored base folder: the Computer.
const std::vector<std::uint8_t> kComputer27 = {
    0x00, 0x16, 0x00, 0x00, 0x00, 0x14, 0x00, 0x1F, 0x50, 0xE0, 0x4F, 0xD0, 0x20, 0xEA,
    0x3A, 0x69, 0x10, 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D, 0x00, 0x00};

TTreeNode* NodeOfPath(TFcShellTree& tree, const std::string& path) {
    for (TTreeNode* n = tree.Items().GetFirstNode(); n; n = n->GetNext())
        if (TFcShellTreeData* d = tree.NodeData(n); d && d->PathName() == path)
            return n;
    return nullptr;
}

// The settings dialog's picker over a temporary tree: the Computer as the
// base, "/" and a stick from a recorded mount table.
class FcShellDialogsTest : public testing::Test {
protected:
    FcShellDialogsTest()
        : m_mounts(test::MountLine(1, "/", "/dev/sda1") +
                   test::MountLine(2, m_env.Folder() + "stick", "/dev/sdb1", "vfat")) {
        fs::create_directories(m_env.Folder() + "home");
        fs::create_directories(Temp() + "a/b");
        fs::create_directories(m_env.Folder() + "stick/inside");
        m_dialog.BaseFolder().ReadPidl(kComputer27);
    }

    std::string Temp() const { return m_env.Folder() + "temp/"; }

    // Runs the dialog; step sees the form once it is up and shown.
    bool Run(const std::function<void(TFcSelectFolderForm&)>& step) {
        m_dialog.OnFormShow = [this, step](QObject* sender) {
            auto* form = static_cast<TFcSelectFolderForm*>(sender);
            QTimer::singleShot(0, form, [form, step] { step(*form); });
        };
        return m_dialog.Execute();
    }

    test::IsolatedEnv m_env;
    test::RecordedMounts m_mounts;
    TFcSelectFolderDialog m_dialog;
};

TEST_F(FcShellDialogsTest, OkTakesTheChosenFolder) {
    m_dialog.SetSelectedPath(Temp() + "a/b/");
    std::string opened, root;
    int volumes = 0;
    ASSERT_TRUE(Run([&](TFcSelectFolderForm& form) {
        TFcShellTree& tree = *form.ShellTree;
        opened = tree.SelectedPathName();
        TTreeNode* top = tree.Items().GetFirstNode();
        root = top->Text();
        volumes = top->Count();
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Browse for Folder"));
        EXPECT_FALSE(form.btnNewFolder->isVisible()); // no create and delete buttons
        EXPECT_EQ(form.ShellTree->y(), 8);
        EXPECT_TRUE(form.btnOk->isEnabled());
        form.grab().save(QString::fromUtf8(VDX_CONTROLS_ARTEFACT_DIR "/select-folder-dialog.png"));
        EXPECT_EQ(form.focusWidget(), &tree.View());
        tree.SetSelected(NodeOfPath(tree, Temp() + "a"));
        // Enter in the tree is the form's: its default button, OK.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(&tree.View(), &enter);
    }));
    EXPECT_EQ(opened, Temp() + "a/b");
    EXPECT_EQ(root, "Computer");
    EXPECT_EQ(volumes, 2);
    EXPECT_EQ(m_dialog.GetSelectedPath(), Temp() + "a");
    EXPECT_EQ(m_dialog.Form(), nullptr);
    EXPECT_EQ(m_dialog.FormWidth, 383); // read back in the class library's sizes
    EXPECT_EQ(m_dialog.FormHeight, 359);
}

TEST_F(FcShellDialogsTest, CancelLeavesTheSelection) {
    m_dialog.SetSelectedPath(Temp() + "a/b/");
    EXPECT_FALSE(Run([&](TFcSelectFolderForm& form) {
        form.ShellTree->SetSelected(NodeOfPath(*form.ShellTree, Temp() + "a"));
        form.btnCancel->Click();
    }));
    EXPECT_EQ(m_dialog.GetSelectedPath(), Temp() + "a/b");
    // The close box and Escape cancel too.
    EXPECT_FALSE(Run([](TFcSelectFolderForm& form) { form.close(); }));
    EXPECT_FALSE(Run([](TFcSelectFolderForm& form) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form.ShellTree->View(), &escape);
    }));
    EXPECT_EQ(m_dialog.GetSelectedPath(), Temp() + "a/b");
}

TEST_F(FcShellDialogsTest, MissingOrOutsideFoldersOpenOnTheRoot) {
    for (const std::string& path :
         {Temp() + "missing/", std::string(), m_env.Folder() + "stick/inside"}) {
        m_dialog.SetSelectedPath(path);
        if (path.find("stick") != std::string::npos) {
            // Outside a base folder of the tree below the Computer: the stick
            // lies on its own volume.
            m_dialog.BaseFolder().SetPathName(Temp());
        }
        TTreeNode* selected = nullptr;
        TTreeNode* first = nullptr;
        std::string status;
        bool computer = false;
        Run([&](TFcSelectFolderForm& form) {
            selected = form.ShellTree->Selected();
            first = form.ShellTree->Items().GetFirstNode();
            status = form.StatusText();
            computer = form.ShellTree->NodeData(first)->PathName().empty();
            // The Computer has no path: OK still works and names none.
            form.btnOk->Click();
        });
        EXPECT_EQ(selected, first) << path;
        if (computer) {
            EXPECT_EQ(status, "") << path;
            EXPECT_EQ(m_dialog.GetSelectedPath(), "") << path;
        }
    }
}

TEST_F(FcShellDialogsTest, ButtonsFollowTheSelection) {
    m_dialog.Options =
        m_dialog.Options.With(TFcSelectFolderDialogOption::sfdoCreateDeleteButtons, true);
    m_dialog.BaseFolder().SetPathName(Temp());
    m_dialog.Title = "Admin root folder";
    Run([&](TFcSelectFolderForm& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Admin root folder"));
        EXPECT_TRUE(form.btnNewFolder->isVisible());
        EXPECT_EQ(form.ShellTree->y(), form.btnNewFolder->geometry().bottom() + 1 + 4);
        TFcShellTree& tree = *form.ShellTree;
        // The root with a path: create, not delete.
        EXPECT_TRUE(form.btnNewFolder->isEnabled());
        EXPECT_FALSE(form.btnDeleteFolder->isEnabled());
        tree.SetSelected(NodeOfPath(tree, Temp() + "a"));
        EXPECT_TRUE(form.btnDeleteFolder->isEnabled());
        EXPECT_EQ(form.StatusText(), Temp() + "a");
        // A path wider than the bar gives way to an ellipsis.
        const std::string deep = Temp() + "a/" + std::string(40, 'l') + "/" + std::string(40, 'm');
        fs::create_directories(deep);
        TFcShellLocator place;
        place.SetPathName(deep);
        tree.SelectIdList(*place.IdList());
        EXPECT_EQ(tree.SelectedPathName(), deep);
        EXPECT_TRUE(form.StatusText().starts_with("/.../")) << form.StatusText();
        EXPECT_TRUE(form.StatusText().ends_with(std::string(40, 'm'))) << form.StatusText();
        form.resize(form.minimumWidth(), form.height());
        QApplication::processEvents();
        EXPECT_EQ(form.btnCancel->x() + form.btnCancel->width(), form.width() - 8);
        EXPECT_EQ(form.btnOk->x() + form.btnOk->width(), form.btnCancel->x() - 8);
        form.btnCancel->Click();
    });
}

// What the settings dialog's user does: folders made, renamed and trashed
// from the menu, a stick plugged in while the picker is open.
TEST_F(FcShellDialogsTest, MenuCommandsAndAStickPluggedIn) {
    m_mounts.Record(test::MountLine(1, "/", "/dev/sda1"));
    m_dialog.SetSelectedPath(Temp() + "a");
    std::vector<int> choices;
    const gui::TShellMenuHandler previousMenu =
        gui::SetShellMenuHandler([&](const std::vector<gui::TShellMenuEntry>&, gui::TPoint) {
            const int choice = choices.front();
            choices.erase(choices.begin());
            return choice;
        });
    const gui::TScopedMessageBoxHandler yes(
        [](const gui::TMessageBoxRequest&) { return gui::mrYes; });
    int volumesBefore = 0, volumesAfter = 0;
    ASSERT_TRUE(Run([&](TFcSelectFolderForm& form) {
        TFcShellTree& tree = *form.ShellTree;
        TTreeNode* a = tree.Selected();
        choices = {1002}; // New Folder inside a
        tree.ShowShellContextMenu(a, {5, 5});
        a->Expand(false);
        TTreeNode* made = NodeOfPath(tree, Temp() + "a/New Folder");
        ASSERT_TRUE(made);
        choices = {1018}; // rename it
        tree.ShowShellContextMenu(made, {5, 5});
        ASSERT_EQ(tree.EditingNode(), made);
        tree.EditControl()->setText(QStringLiteral("made"));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(tree.EditControl(), &enter);
        QApplication::processEvents();
        EXPECT_TRUE(fs::is_directory(Temp() + "a/made"));
        choices = {1017}; // and to the trash
        tree.ShowShellContextMenu(NodeOfPath(tree, Temp() + "a/made"), {5, 5});
        EXPECT_FALSE(fs::exists(Temp() + "a/made"));
        EXPECT_FALSE(NodeOfPath(tree, Temp() + "a/made"));

        TTreeNode* computer = tree.Items().GetFirstNode();
        volumesBefore = computer->Count();
        m_mounts.Write(test::MountLine(1, "/", "/dev/sda1") +
                       test::MountLine(2, m_env.Folder() + "stick", "/dev/sdb1", "vfat"));
        DeviceChangeHandler().CheckMounts();
        QApplication::processEvents();
        volumesAfter = computer->Count();
        EXPECT_EQ(tree.Selected(), NodeOfPath(tree, Temp() + "a")); // still where it was
        form.btnOk->Click();
    }));
    gui::SetShellMenuHandler(previousMenu);
    EXPECT_EQ(volumesBefore, 1);
    EXPECT_EQ(volumesAfter, 2);
    EXPECT_EQ(m_dialog.GetSelectedPath(), Temp() + "a");
    EXPECT_TRUE(fs::exists(m_env.Folder() + "data/Trash/info/made.trashinfo"));
}

TEST_F(FcShellDialogsTest, ExecuteInsideOnFormShowRaises) {
    std::string message;
    m_dialog.OnFormShow = [&](QObject* sender) {
        try {
            m_dialog.Execute();
        } catch (const std::runtime_error& e) {
            message = e.what();
        }
        auto* form = static_cast<TFcSelectFolderForm*>(sender);
        QTimer::singleShot(0, form, [form] { form->btnCancel->Click(); });
    };
    EXPECT_FALSE(m_dialog.Execute());
    EXPECT_EQ(message, "TFcSelectFolderDialog already executing");
    EXPECT_FALSE(m_dialog.Executing());
}

TEST_F(FcShellDialogsTest, PlacementStreamsAndComesBack) {
    m_dialog.FormPosition = gui::TPosition::poDesigned;
    m_dialog.FormLeft = 30;
    m_dialog.FormTop = 40;
    m_dialog.FormWidth = 500;
    m_dialog.FormHeight = 420;
    TRect seen;
    Run([&](TFcSelectFolderForm& form) {
        seen = form.NormalBounds();
        form.btnCancel->Click();
    });
    EXPECT_EQ(seen, gui::Bounds(30, 40, 500, 420));
    std::vector<std::uint8_t> stream;
    m_dialog.WriteFormPlacement(stream);
    ASSERT_EQ(stream.size(), 18u);
    TFcSelectFolderDialog other;
    other.ReadFormPlacement(stream);
    EXPECT_EQ(other.FormLeft, 30);
    EXPECT_EQ(other.FormHeight, 420);
    EXPECT_EQ(other.FormPosition, gui::TPosition::poDesigned);
}

} // namespace
} // namespace vdx
