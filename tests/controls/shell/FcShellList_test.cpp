#include "controls/shell/FcShellList.h"

#include "controls/buttons/FcBitBtn.h"
#include "controls/shell/FcShellDragDrop.h"
#include "platform/gui/message_box.h"
#include "platform/gui/shell_menu.h"
#include "platform/gui/shell_open.h"
#include "platform/os/registry.h"
#include "platform/shell/shell_folder.h"

#include "IsolatedEnv.h"
#include "RecordedMounts.h"
#include "WidgetPictures.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;

void Press(QWidget& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(&w, &release);
}

void MakeFile(const std::string& path, std::size_t size) {
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
}

// Names in item order.
std::vector<std::string> Names(TFcCustomShellList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.Items().Count(); ++i)
        if (TFcShellListData* data = list.ItemData(list.Items().Item(i)))
            names.push_back(data->DisplayName());
    return names;
}

std::vector<std::string> Captions(const TFcCustomShellList& list) {
    std::vector<std::string> captions;
    for (int i = 0; i < list.ColumnCount(); ++i)
        captions.push_back(list.Column(i).Caption);
    return captions;
}

TListItem* ItemNamed(TFcCustomShellList& list, const std::string& name) {
    for (int i = 0; i < list.Items().Count(); ++i)
        if (TFcShellListData* data = list.ItemData(list.Items().Item(i));
            data && data->DisplayName() == name)
            return list.Items().Item(i);
    return nullptr;
}

// The cell text a column shows.
std::string Cell(TFcCustomShellList& list, TListItem* item, int column) {
    const QAbstractItemModel* model = list.View().model();
    return model->data(model->index(item->Index(), column)).toString().toStdString();
}

IdList ListOf(const std::string& path) {
    IdList list;
    EXPECT_EQ(shell::ParsePath(path, list), shell::S_OK) << path;
    return list;
}

// The data a drag of items of one folder carries.
std::unique_ptr<QMimeData> DataOf(const std::string& folder,
                                  const std::vector<std::string>& names) {
    std::vector<IdList> items;
    for (const std::string& n : names)
        items.push_back(ListOf(folder + n).Last());
    return TDataObject_shlv(ListOf(folder.substr(0, folder.size() - 1)), items).MimeData();
}

// A list whose drags run the test's drag loop.
class TRecordingList : public TFcShellList {
public:
    std::function<Qt::DropAction(const QMimeData&, std::uint32_t)> duringDrag;
    int drags = 0;

protected:
    Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> data, std::uint32_t allowed,
                            Qt::MouseButton) override {
        ++drags;
        return duringDrag ? duringDrag(*data, allowed) : Qt::IgnoreAction;
    }
};

TFcShellListOptions TestOptions() {
    return TFcShellListOptions::FromBits(0)
        .With(TFcShellListOption::sloDefaultKeyHandling, true)
        .With(TFcShellListOption::sloContextMenus, true);
}

// A temporary folder with three files, a folder and a hidden file in a
// report-view list; the trash inside the isolated home.
class FcShellListTest : public testing::Test {
protected:
    FcShellListTest()
        : m_boxes([this](const gui::TMessageBoxRequest& r) {
              m_shown.push_back(r.Text);
              return m_answer;
          }),
          m_open([this](const std::string& address) {
              m_opened.push_back(address);
              return true;
          }) {
        fs::create_directories(m_env.Folder() + "home");
        fs::create_directories(Dir() + "d/inner");
        MakeFile(Dir() + "a.txt", 3000);
        MakeFile(Dir() + "b.txt", 10);
        MakeFile(Dir() + "c.bin", 2000);
        MakeFile(Dir() + ".h", 1);
        m_list = std::make_unique<TFcShellList>();
        Setup(*m_list);
    }

    void Setup(TFcCustomShellList& list) {
        list.SetOptions(TestOptions());
        list.SetViewStyle(gui::TViewStyle::vsReport);
        list.resize(500, 300);
        list.show();
    }

    std::string Dir() const { return m_env.Folder() + "list/"; }
    std::string Trash() const { return m_env.Folder() + "data/Trash/"; }
    void Show(const std::string& path) { m_list->Folder().SetPathName(path); }
    QWidget& Keys() { return m_list->View(); }
    void Select(const std::string& name) {
        TListItem* item = ItemNamed(*m_list, name);
        ASSERT_TRUE(item) << name;
        m_list->SetSelected(item);
    }

    test::IsolatedEnv m_env;
    std::vector<std::string> m_shown;
    gui::TModalResult m_answer = gui::mrYes;
    gui::TScopedMessageBoxHandler m_boxes;
    std::vector<std::string> m_opened;
    gui::OpenDocumentHook m_open;
    std::unique_ptr<TFcShellList> m_list;
};

TEST_F(FcShellListTest, DefaultColumnsAndDetailTexts) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    MakeFile(Dir() + "k1", 1024);
    MakeFile(Dir() + "k2", 1025);
    MakeFile(Dir() + "big", 1264000);
    MakeFile(Dir() + "empty", 0);
    Show(Dir());
    EXPECT_EQ(Captions(*m_list), (std::vector<std::string>{"Name", "Size", "Type", "Modified"}));
    EXPECT_EQ(m_list->Column(1).Alignment, gui::TColumnAlignment::taRightJustify);
    const struct {
        const char* Name;
        const char* Size;
    } cases[] = {{"k1", "1KB"}, {"k2", "2KB"}, {"big", "1,235KB"}, {"empty", "0KB"}, {"d", ""}};
    for (const auto& c : cases) {
        TListItem* item = ItemNamed(*m_list, c.Name);
        ASSERT_TRUE(item) << c.Name;
        EXPECT_EQ(Cell(*m_list, item, 0), c.Name);
        EXPECT_EQ(Cell(*m_list, item, 1), c.Size) << c.Name;
        EXPECT_FALSE(Cell(*m_list, item, 3).empty()) << c.Name;
    }
    EXPECT_EQ(Cell(*m_list, ItemNamed(*m_list, "d"), 2), "File folder");
    EXPECT_EQ(Cell(*m_list, ItemNamed(*m_list, "a.txt"), 2),
              QMimeDatabase().mimeTypeForName("text/plain").comment().toStdString());
    QLocale::setDefault(saved);
}

TEST_F(FcShellListTest, SortsByColumnsAndColumnClicks) {
    Show(Dir());
    EXPECT_EQ(m_list->SortColumn(), 1);
    EXPECT_EQ(Names(*m_list), (std::vector<std::string>{"d", "a.txt", "b.txt", "c.bin"}));
    m_list->SetSortColumn(-2);
    EXPECT_EQ(Names(*m_list), (std::vector<std::string>{"a.txt", "c.bin", "b.txt", "d"}));
    EXPECT_EQ(m_list->SortedColumn(), 1);
    EXPECT_TRUE(m_list->SortedDescending());

    // A column beyond the new folder's columns sorts by the first.
    m_list->SetSortColumn(7);
    m_list->Fill();
    EXPECT_EQ(m_list->SortColumn(), 1);

    // Clicks: the sort column turns round, another one sorts ascending.
    QHeaderView& header = m_list->Header();
    const struct {
        int Section;
        int SortColumn;
        std::vector<std::string> Order;
    } clicks[] = {{0, -1, {"c.bin", "b.txt", "a.txt", "d"}},
                  {1, 2, {"d", "b.txt", "c.bin", "a.txt"}},
                  {1, -2, {"a.txt", "c.bin", "b.txt", "d"}},
                  {0, 1, {"d", "a.txt", "b.txt", "c.bin"}}};
    for (const auto& c : clicks) {
        emit header.sectionClicked(c.Section);
        EXPECT_EQ(m_list->SortColumn(), c.SortColumn);
        EXPECT_EQ(Names(*m_list), c.Order) << c.SortColumn;
    }
}

TEST_F(FcShellListTest, EnterOpensFoldersAndDocumentsAlsoInADialog) {
    for (const bool inDialog : {false, true}) {
        SCOPED_TRACE(inDialog);
        QDialog dialog;
        auto* list = new TFcShellList(&dialog);
        auto* ok = new QPushButton("OK", &dialog);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(list);
        layout->addWidget(ok);
        TFcShellList standalone;
        TFcCustomShellList& l = inDialog ? static_cast<TFcCustomShellList&>(*list) : standalone;
        Setup(l);
        if (inDialog)
            dialog.show();
        l.Folder().SetPathName(Dir());
        l.SetSelected(ItemNamed(l, "d"));
        Press(l.View(), Qt::Key_Return);
        EXPECT_EQ(l.Folder().PathName(), Dir() + "d");
        EXPECT_EQ(dialog.result(), 0);

        // A document: the dialog's default button has Enter, else it opens.
        m_opened.clear();
        l.Folder().SetPathName(Dir());
        l.SetSelected(ItemNamed(l, "a.txt"));
        Press(l.View(), Qt::Key_Return);
        EXPECT_EQ(dialog.result(), inDialog ? QDialog::Accepted : 0);
        EXPECT_EQ(m_opened.size(), inDialog ? 0u : 1u);
    }
}

TEST_F(FcShellListTest, EnterOnADocumentPressesTheFormsOwnDefaultButton) {
    // The form's buttons: a plain form or a dialog, our button or the
    // glyph button, Default or not.
    struct Case {
        const char* name;
        bool dialog;
        bool bitBtn;
        bool isDefault;
    };
    for (const Case& c :
         {Case{"form, button", false, false, true}, Case{"form, glyph button", false, true, true},
          Case{"dialog, button", true, false, true},
          Case{"form, no default", false, false, false}}) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QWidget> form =
            c.dialog ? std::make_unique<QDialog>() : std::make_unique<QWidget>();
        auto* list = new TFcShellList(form.get());
        TFcButton* button = c.bitBtn ? new TFcBitBtn(form.get()) : new TFcButton(form.get());
        button->SetDefault(c.isDefault);
        int clicks = 0;
        button->OnClick = [&](QObject*) { ++clicks; };
        auto* layout = new QVBoxLayout(form.get());
        layout->addWidget(list);
        layout->addWidget(button);
        Setup(*list);
        form->show();
        list->Folder().SetPathName(Dir());

        // A folder opens whatever the form holds.
        list->SetSelected(ItemNamed(*list, "d"));
        Press(list->View(), Qt::Key_Return);
        EXPECT_EQ(list->Folder().PathName(), Dir() + "d");
        EXPECT_EQ(clicks, 0);

        m_opened.clear();
        list->Folder().SetPathName(Dir());
        list->SetSelected(ItemNamed(*list, "a.txt"));
        Press(list->View(), Qt::Key_Return);
        EXPECT_EQ(clicks, c.isDefault ? 1 : 0);
        EXPECT_EQ(m_opened.size(), c.isDefault ? 0u : 1u);
    }
}

TEST_F(FcShellListTest, ALinkOpensWhereItPoints) {
    fs::create_directory_symlink("d", Dir() + "to d");
    fs::create_symlink("a.txt", Dir() + "to a");
    Show(Dir());
    Select("to d");
    Press(Keys(), Qt::Key_Return);
    EXPECT_EQ(m_list->Folder().PathName(), Dir() + "d");
    EXPECT_EQ(Names(*m_list), std::vector<std::string>{"inner"});

    // A link to a document opens the document.
    Show(Dir());
    Select("to a");
    Press(Keys(), Qt::Key_Return);
    EXPECT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_list->Folder().PathName() + "/", Dir());
}

TEST_F(FcShellListTest, BackspaceGoesUpButNotAboveTheDesktop) {
    Show(Dir() + "d");
    EXPECT_EQ(Names(*m_list), std::vector<std::string>{"inner"});
    Press(Keys(), Qt::Key_Backspace);
    EXPECT_EQ(m_list->Folder().PathName() + "/", Dir());
    EXPECT_TRUE(ItemNamed(*m_list, "a.txt"));

    m_list->Folder().Clear();
    const std::vector<std::string> desktop = Names(*m_list);
    Press(Keys(), Qt::Key_Backspace);
    EXPECT_FALSE(m_list->Folder().HasList());
    EXPECT_EQ(Names(*m_list), desktop);
}

TEST_F(FcShellListTest, F2RenamesOnDisk) {
    Show(Dir());
    Select("a.txt");
    Press(Keys(), Qt::Key_F2);
    ASSERT_TRUE(m_list->IsEditing());
    auto* editor = m_list->View().findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), "a.txt");
    editor->setText("  r\xC3\xA9.txt ");
    Press(*editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_FALSE(m_list->IsEditing());
    EXPECT_TRUE(m_shown.empty());
    EXPECT_TRUE(fs::exists(Dir() + "r\xC3\xA9.txt"));
    EXPECT_FALSE(fs::exists(Dir() + "a.txt"));
    TListItem* item = ItemNamed(*m_list, "r\xC3\xA9.txt");
    ASSERT_TRUE(item);
    EXPECT_EQ(Cell(*m_list, item, 0), "r\xC3\xA9.txt");
    EXPECT_EQ(m_list->ItemData(item)->PathName(), Dir() + "r\xC3\xA9.txt");

    // A refresh asked for while editing waits, and runs also when the edit
    // is cancelled.
    Select("b.txt");
    Press(Keys(), Qt::Key_F2);
    ASSERT_TRUE(m_list->IsEditing());
    MakeFile(Dir() + "new.txt", 1);
    m_list->RefreshList();
    EXPECT_FALSE(ItemNamed(*m_list, "new.txt"));
    editor = nullptr;
    for (QLineEdit* open : m_list->View().findChildren<QLineEdit*>())
        if (open->isVisible())
            editor = open; // not the first edit's, which may still be closing
    ASSERT_TRUE(editor);
    Press(*editor, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(m_list->IsEditing());
    EXPECT_TRUE(ItemNamed(*m_list, "new.txt"));
    EXPECT_TRUE(fs::exists(Dir() + "b.txt"));
}

TEST_F(FcShellListTest, DeleteSendsToTheTrash) {
    Show(Dir());
    Select("b.txt");
    Press(Keys(), Qt::Key_Delete);
    EXPECT_TRUE(fs::exists(Trash() + "files/b.txt"));
    EXPECT_FALSE(fs::exists(Dir() + "b.txt"));
    EXPECT_FALSE(ItemNamed(*m_list, "b.txt"));
    Select("c.bin");
    m_answer = gui::mrNo;
    Press(Keys(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_TRUE(fs::exists(Dir() + "c.bin"));
    EXPECT_TRUE(ItemNamed(*m_list, "c.bin"));
}

TEST_F(FcShellListTest, CopyOrCutThenPasteIntoAnotherFolder) {
    const struct {
        int Key;
        const char* Name;
        bool StaysBehind;
    } cases[] = {{Qt::Key_C, "a.txt", true}, {Qt::Key_X, "b.txt", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Show(Dir());
        Select(c.Name);
        Press(Keys(), c.Key, Qt::ControlModifier);
        Show(Dir() + "d");
        Press(Keys(), Qt::Key_V, Qt::ControlModifier);
        EXPECT_TRUE(fs::exists(Dir() + "d/" + c.Name));
        EXPECT_EQ(fs::exists(Dir() + c.Name), c.StaysBehind);
        EXPECT_TRUE(ItemNamed(*m_list, c.Name)); // refreshed after the paste
    }
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FcShellListTest, SendToCopiesTheSelectionIntoTheEntry) {
    const std::string sendTo = m_env.Folder() + "data/vardex/SendTo/";
    fs::create_directories(sendTo + "archive");
    Show(Dir());
    Select("a.txt");
    int chosen = 0;
    const gui::TShellMenuHandler previous = gui::SetShellMenuHandler(
        [&](const std::vector<gui::TShellMenuEntry>& entries, gui::TPoint) {
            for (const gui::TShellMenuEntry& e : entries)
                for (const gui::TShellMenuEntry& sub : e.SubMenu)
                    if (sub.Caption == "archive")
                        chosen = sub.Id;
            return chosen;
        });
    m_list->ShowShellContextMenu({10, 10});
    gui::SetShellMenuHandler(previous);
    EXPECT_GT(chosen, 0);
    EXPECT_TRUE(fs::exists(sendTo + "archive/a.txt"));
    EXPECT_TRUE(fs::exists(Dir() + "a.txt")); // copied, not moved
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FcShellListTest, FilesMadeOutsideAppearAndGo) {
    m_list->SetOptions(TestOptions().With(TFcShellListOption::sloDynamicRefresh, true));
    Show(Dir());
    TListItem* kept = ItemNamed(*m_list, "c.bin");
    MakeFile(Dir() + "new.txt", 5);
    fs::remove(Dir() + "b.txt");
    const QDeadlineTimer deadline(15000);
    while (!(ItemNamed(*m_list, "new.txt") && !ItemNamed(*m_list, "b.txt")) &&
           !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(ItemNamed(*m_list, "new.txt"));
    EXPECT_FALSE(ItemNamed(*m_list, "b.txt"));
    EXPECT_EQ(ItemNamed(*m_list, "c.bin"), kept); // merged, not refilled
}

TEST_F(FcShellListTest, HiddenItemsOnlyWithShowHiddenAndGhosted) {
    for (const bool showHidden : {false, true}) {
        m_list->SetOptions(TestOptions().With(TFcShellListOption::sloShowHidden, showHidden));
        Show(Dir());
        m_list->Fill();
        TListItem* hidden = ItemNamed(*m_list, ".h");
        EXPECT_EQ(hidden != nullptr, showHidden);
        if (hidden) {
            EXPECT_TRUE(hidden->Cut());
        }
        EXPECT_FALSE(ItemNamed(*m_list, "a.txt")->Cut());
    }
}

TEST_F(FcShellListTest, ComputerColumnsStopBeforeOneNotShownByDefault) {
    const std::string net = m_env.Folder() + "net";
    fs::create_directories(net);
    test::RecordedMounts mounts(test::MountLine(1, "/", "/dev/sda1") +
                                test::MountLine(2, net, "server:/export", "nfs"));
    const IdList computer = shell::ComputerIdList();
    m_list->Folder().SetIdList(&computer);
    EXPECT_EQ(Captions(*m_list),
              (std::vector<std::string>{"Name", "Type", "Total Size", "Free Space"}));
    EXPECT_EQ(m_list->Column(3).Alignment, gui::TColumnAlignment::taRightJustify);
    const struct {
        std::string Path;
        const char* Type;
        bool Space;
    } cases[] = {{"/", "Local Disk", true}, {net, "Network Drive", false}};
    for (const auto& c : cases) {
        TListItem* item = nullptr;
        for (int i = 0; i < m_list->Items().Count(); ++i)
            if (m_list->ItemData(m_list->Items().Item(i))->PathName() == c.Path)
                item = m_list->Items().Item(i);
        ASSERT_TRUE(item) << c.Path;
        EXPECT_EQ(Cell(*m_list, item, 1), c.Type);
        EXPECT_EQ(!Cell(*m_list, item, 2).empty(), c.Space) << c.Path;
        EXPECT_EQ(!Cell(*m_list, item, 3).empty(), c.Space) << c.Path;
    }
}

TEST_F(FcShellListTest, AVerbOnANetworkVolumeRefreshesAtOnce) {
    for (const bool network : {false, true}) {
        SCOPED_TRACE(network);
        MakeFile(Dir() + "v.txt", 1);
        test::RecordedMounts mounts(test::MountLine(1, "/", "/dev/sda1") +
                                    test::MountLine(2, m_env.Folder() + "list",
                                                    network ? "server:/x" : "/dev/sdb1",
                                                    network ? "nfs" : "ext4"));
        Show(Dir());
        m_list->Fill();
        Select("v.txt");
        EXPECT_EQ(m_list->InvokeVerbOnSelection("delete"), shell::S_OK);
        EXPECT_FALSE(fs::exists(Dir() + "v.txt"));
        // Without a change notification only the network volume looks again.
        EXPECT_EQ(ItemNamed(*m_list, "v.txt") == nullptr, network);
    }
}

TEST_F(FcShellListTest, DirectoryColsGiveTheWidthsThereAre) {
    auto bytes = [](std::vector<int> widths) {
        std::vector<std::uint8_t> data;
        for (int w : widths) {
            data.push_back(std::uint8_t(w & 0xFF));
            data.push_back(std::uint8_t(w >> 8));
        }
        return data;
    };
    const struct {
        std::vector<std::uint8_t> Data;
        std::vector<int> Widths;
    } cases[] = {{bytes({300, 80}), {300, 80, 100, 120}},
                 {bytes({210, 70, 110, 130, 40, 1, 2, 3, 4, 5, 6}), {210, 70, 110, 130}},
                 {bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}), {200, 60, 100, 120}}};
    for (const auto& c : cases) {
        os::TRegistry registry;
        ASSERT_TRUE(
            registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", true));
        registry.WriteBinaryData("DirectoryCols", c.Data);
        TFcShellList list;
        Setup(list);
        list.Folder().SetPathName(Dir());
        std::vector<int> widths;
        for (int i = 0; i < list.ColumnCount(); ++i)
            widths.push_back(list.ColumnWidth(i));
        EXPECT_EQ(widths, c.Widths) << c.Data.size();
    }
}

TEST_F(FcShellListTest, ALinkedTreeDrivesTheList) {
    TFcShellTree tree;
    tree.resize(200, 300);
    tree.show();
    TFcShellLocator base;
    base.SetPathName(Dir());
    tree.SetBaseFolder(base);
    tree.FillTree();
    tree.SetShellList(m_list.get());
    EXPECT_EQ(m_list->ShellTree(), &tree);
    EXPECT_EQ(m_list->Folder().PathName() + "/", Dir());

    tree.SelectedFolder().SetPathName(Dir() + "d");
    EXPECT_EQ(m_list->Folder().PathName(), Dir() + "d");
    EXPECT_EQ(Names(*m_list), std::vector<std::string>{"inner"});

    // Going up and opening a folder move the tree, which moves the list.
    Press(Keys(), Qt::Key_Backspace);
    EXPECT_EQ(tree.SelectedPathName() + "/", Dir());
    EXPECT_EQ(m_list->Folder().PathName() + "/", Dir());
    Select("d");
    Press(Keys(), Qt::Key_Return);
    EXPECT_EQ(tree.SelectedPathName(), Dir() + "d");
    EXPECT_EQ(m_list->Folder().PathName(), Dir() + "d");

    // With the folders left to the tree, the list shows files only.
    m_list->SetOptions(TestOptions().With(TFcShellListOption::sloFoldersInTree, true));
    tree.SelectedFolder().SetPathName(Dir());
    EXPECT_EQ(Names(*m_list), (std::vector<std::string>{"a.txt", "b.txt", "c.bin"}));

    m_list.reset();
    EXPECT_EQ(tree.ShellList(), nullptr);
}

TEST_F(FcShellListTest, ARenameInTheTreeMovesTheList) {
    // The renamed folder itself selected, or a folder below it.
    struct Case {
        const char* selected;
        const char* shown;
        std::vector<std::string> names;
    };
    for (const Case& c : {Case{"d", "e", {"inner"}}, Case{"d/inner", "e/inner", {}}}) {
        SCOPED_TRACE(c.selected);
        fs::remove_all(Dir() + "e");
        fs::create_directories(Dir() + "d/inner");
        TFcShellTree tree;
        tree.resize(200, 300);
        tree.show();
        TFcShellLocator base;
        base.SetPathName(Dir());
        tree.SetBaseFolder(base);
        tree.FillTree();
        tree.SetShellList(m_list.get());
        tree.SelectedFolder().SetPathName(Dir() + c.selected);
        ASSERT_EQ(m_list->Folder().PathName(), Dir() + c.selected);

        TTreeNode* d = tree.Items().GetFirstNode()->Item(0);
        ASSERT_EQ(d->Text(), "d");
        ASSERT_TRUE(d->EditText());
        tree.EditControl()->setText("e");
        Press(*tree.EditControl(), Qt::Key_Return);
        QApplication::processEvents();
        ASSERT_TRUE(fs::is_directory(Dir() + "e"));
        EXPECT_EQ(tree.SelectedFolder().PathName(), Dir() + c.shown);
        EXPECT_EQ(m_list->Folder().PathName(), Dir() + c.shown);
        EXPECT_EQ(Names(*m_list), c.names);
        tree.SetShellList(nullptr);
    }
}

TEST_F(FcShellListTest, ATreeThatCannotTakeAFolderNowKeepsTheListOnItsOwn) {
    TFcShellTree tree;
    tree.resize(200, 300);
    tree.show();
    TFcShellLocator base;
    base.SetPathName(Dir());
    tree.SetBaseFolder(base);
    tree.FillTree();
    tree.SetShellList(m_list.get());
    ASSERT_EQ(m_list->Folder().PathName() + "/", Dir());

    // The list asks the loading tree to follow it: the tree cannot, so the
    // list shows the tree's folder again.
    tree.BeginLoading();
    m_list->Folder().SetPathName(Dir() + "d");
    EXPECT_EQ(tree.SelectedFolder().PathName() + "/", Dir());
    EXPECT_EQ(m_list->Folder().PathName() + "/", Dir());
    EXPECT_EQ(Names(*m_list), (std::vector<std::string>{"d", "a.txt", "b.txt", "c.bin"}));
    tree.Loaded();
    m_list->Folder().SetPathName(Dir() + "d");
    EXPECT_EQ(tree.SelectedPathName(), Dir() + "d");
    EXPECT_EQ(m_list->Folder().PathName(), Dir() + "d");
    tree.SetShellList(nullptr);
}

// Drag and drop on a list that is drag source and drop target.
class FcShellListDragTest : public FcShellListTest {
protected:
    FcShellListDragTest() {
        fs::create_directories(Outside());
        Setup(m_drag);
        m_drag.SetOptions(TestOptions()
                              .With(TFcShellListOption::sloOleDrag, true)
                              .With(TFcShellListOption::sloOleDrop, true));
        m_drag.Folder().SetPathName(Dir());
    }
    std::string Outside() const { return m_env.Folder() + "outside/"; }
    QWidget& Viewport() { return *m_drag.View().viewport(); }
    QPoint At(const std::string& name) {
        const gui::TRect r = ItemNamed(m_drag, name)->DisplayRect(gui::TDisplayCode::drLabel);
        return {r.Left + 10, (r.Top + r.Bottom) / 2};
    }
    QPoint Background() { return {60, Viewport().height() - 30}; }

    // One drag event to the view; the action it was answered with.
    Qt::DropAction Send(QEvent::Type type, const QMimeData* data, QPoint pos,
                        Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = Qt::LeftButton) {
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        if (type == QEvent::Drop) {
            QDropEvent e(pos, actions, data, Qt::NoButton, mods);
            QCoreApplication::sendEvent(&Viewport(), &e);
            return e.isAccepted() ? e.dropAction() : Qt::IgnoreAction;
        }
        std::unique_ptr<QDragMoveEvent> e;
        if (type == QEvent::DragEnter)
            e = std::make_unique<QDragEnterEvent>(pos, actions, data, buttons, mods);
        else
            e = std::make_unique<QDragMoveEvent>(pos, actions, data, buttons, mods);
        QCoreApplication::sendEvent(&Viewport(), e.get());
        return e->isAccepted() ? e->dropAction() : Qt::IgnoreAction;
    }
    Qt::DropAction DragAndDrop(const QMimeData& data, QPoint pos, Qt::KeyboardModifiers mods,
                               Qt::MouseButtons buttons = Qt::LeftButton) {
        Send(QEvent::DragEnter, &data, pos, mods, buttons);
        Send(QEvent::DragMove, &data, pos, mods, buttons);
        return Send(QEvent::Drop, &data, pos, mods, buttons);
    }
    void PressAndMove(const std::string& name, Qt::MouseButton button) {
        const QPoint from = At(name);
        QMouseEvent press(QEvent::MouseButtonPress, from, Viewport().mapToGlobal(from), button,
                          button, Qt::NoModifier);
        QCoreApplication::sendEvent(&Viewport(), &press);
        const QPoint to = from + QPoint(QApplication::startDragDistance() + 2, 0);
        QMouseEvent move(QEvent::MouseMove, to, Viewport().mapToGlobal(to), Qt::NoButton, button,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&Viewport(), &move);
    }

    TRecordingList m_drag;
};

TEST_F(FcShellListDragTest, DraggedSelectionMovesIntoAFolderAndRefreshes) {
    m_drag.SetSelected(ItemNamed(m_drag, "b.txt"));
    std::uint32_t allowed = 0;
    bool heldItems = false;
    std::vector<std::string> carried;
    m_drag.duringDrag = [&](const QMimeData& data, std::uint32_t effects) {
        allowed = effects;
        heldItems = m_drag.Dragging();
        carried = DecodeDropData(data)->Paths;
        m_drag.RefreshList(); // noted, not run, while the drag holds the items
        EXPECT_TRUE(m_drag.PendingRefresh());
        // Onto the list's own background: a left drag is refused.
        EXPECT_EQ(Send(QEvent::DragEnter, &data, Background(), Qt::NoModifier), Qt::IgnoreAction);
        return DragAndDrop(data, At("d"), Qt::ShiftModifier);
    };
    PressAndMove("b.txt", Qt::LeftButton);
    ASSERT_EQ(m_drag.drags, 1);
    EXPECT_EQ(allowed, 7u);
    EXPECT_TRUE(heldItems);
    EXPECT_EQ(carried, std::vector<std::string>{Dir() + "b.txt"});
    EXPECT_FALSE(m_drag.Dragging());
    EXPECT_FALSE(m_drag.PendingRefresh());
    EXPECT_TRUE(fs::exists(Dir() + "d/b.txt"));
    EXPECT_FALSE(ItemNamed(m_drag, "b.txt")); // refreshed after the drop

    m_drag.SetOptions(TestOptions().With(TFcShellListOption::sloOleDrop, true));
    m_drag.SetSelected(ItemNamed(m_drag, "c.bin"));
    PressAndMove("c.bin", Qt::LeftButton);
    EXPECT_EQ(m_drag.drags, 1); // without sloOleDrag no drag
}

TEST_F(FcShellListDragTest, ARightDragOntoItsOwnBackgroundOffersCopy) {
    m_drag.SetSelected(ItemNamed(m_drag, "a.txt"));
    Qt::DropAction right = Qt::IgnoreAction;
    m_drag.duringDrag = [&](const QMimeData& data, std::uint32_t) {
        right = Send(QEvent::DragEnter, &data, Background(), Qt::NoModifier, Qt::RightButton);
        Send(QEvent::DragMove, &data, Background(), Qt::NoModifier, Qt::RightButton);
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&Viewport(), &leave);
        return Qt::IgnoreAction;
    };
    PressAndMove("a.txt", Qt::RightButton);
    ASSERT_EQ(m_drag.drags, 1);
    EXPECT_EQ(right, Qt::CopyAction);
}

TEST_F(FcShellListDragTest, DropsGoToTheItemOrTheShownFolder) {
    const struct {
        const char* Name;
        std::string Where; // the item dropped on; "" the background
        std::string Lands;
        bool Highlighted;
    } cases[] = {
        {"one", "d", "d/one", true}, {"two", "", "two", false}, {"three", "a.txt", "three", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        MakeFile(Outside() + c.Name, 3);
        const std::unique_ptr<QMimeData> data = DataOf(Outside(), {c.Name});
        const QPoint at = c.Where.empty() ? Background() : At(c.Where);
        EXPECT_EQ(Send(QEvent::DragEnter, data.get(), at, Qt::ControlModifier), Qt::CopyAction);
        EXPECT_EQ(m_drag.DropHighlight() != nullptr, c.Highlighted);
        EXPECT_EQ(Send(QEvent::Drop, data.get(), at, Qt::ControlModifier), Qt::CopyAction);
        EXPECT_EQ(m_drag.DropHighlight(), nullptr);
        EXPECT_TRUE(fs::exists(Dir() + c.Lands));
        EXPECT_TRUE(fs::exists(Outside() + c.Name));
    }
    // Dropped into the shown folder: listed at once.
    EXPECT_TRUE(ItemNamed(m_drag, "two"));
    EXPECT_TRUE(m_shown.empty());

    // An item without shell data offers the copy without asking the shell.
    TListItem* plain = m_drag.Items().Add("plain");
    const gui::TRect r = plain->DisplayRect(gui::TDisplayCode::drLabel);
    const std::unique_ptr<QMimeData> data = DataOf(Outside(), {"one"});
    const QPoint at{r.Left + 10, (r.Top + r.Bottom) / 2};
    Send(QEvent::DragEnter, data.get(), Background(), Qt::ShiftModifier);
    EXPECT_EQ(Send(QEvent::DragMove, data.get(), at, Qt::ShiftModifier), Qt::CopyAction);
}

TEST_F(FcShellListTest, ReportViewPicture) {
    Show(Dir());
    Select("c.bin");
    QApplication::processEvents();
    const QImage image = test::RenderWidget(*m_list);
    const QString path = QString::fromUtf8(VDX_CONTROLS_ARTEFACT_DIR "/shell-list.png");
    ASSERT_TRUE(image.save(path));
    // Rows were painted below the header: not all canary, not all window.
    const QRect rows(4, m_list->Header().height() + 4, 150, 60);
    EXPECT_FALSE(test::InkBounds(image, rows, gui::clWindow).isEmpty());
}

} // namespace
} // namespace vdx
