#include "controls/shell/FcShellList.h"

#include "platform/gui/message_box.h"
#include "platform/gui/shell_open.h"
#include "platform/os/registry.h"
#include "platform/shell/shell_folder.h"

#include "IsolatedEnv.h"
#include "RecordedMounts.h"
#include "WidgetPictures.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMimeDatabase>
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
