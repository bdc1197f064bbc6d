#include "controls/shell/FcShellDragDrop.h"

#include "controls/shell/FcShellSendTo.h"
#include "controls/shell/FcShellTree.h"
#include "platform/gui/message_box.h"
#include "platform/gui/shell_menu.h"
#include "platform/shell/file_transfer.h"
#include "platform/shell/shell_data.h"
#include "platform/shell/shell_folder.h"

#include "IsolatedEnv.h"
#include "RecordedMounts.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Bytes(const QByteArray& a) {
    return {a.begin(), a.end()};
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
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

// ---- formats, enumerator, drop source -------------------------------------

TFcFormatEtcList TwoFormats() {
    TFcFormatEtcList list;
    const std::uint16_t formats[] = {ShellIdListArrayFormat(), CF_HDROP};
    list.AddFormats(formats);
    return list;
}

TEST(FcFormatEtcListTest, QueryFormatAnswers) {
    const TFcFormatEtcList list = TwoFormats();
    struct Case {
        const char* name;
        TFormatEtc request;
        HRESULT expected;
    } cases[] = {
        {"file drop on a stream", {CF_HDROP, {}, DVASPECT_CONTENT, -1, TYMED_ISTREAM}, DV_E_TYMED},
        {"text is not offered", {CF_TEXT, {}, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, DV_E_FORMATETC},
        {"icon aspect", {CF_HDROP, {}, DVASPECT_ICON, -1, TYMED_HGLOBAL}, DV_E_FORMATETC},
        {"one shared medium bit",
         {CF_HDROP, {}, DVASPECT_CONTENT, -1, TYMED_ISTREAM | TYMED_HGLOBAL},
         shell::S_OK},
        {"id list array",
         {ShellIdListArrayFormat(), {}, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
         shell::S_OK},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list.QueryFormat(c.request), c.expected) << c.name;
}

TEST(FcFormatEtcListTest, EnumeratorWalksASnapshot) {
    std::optional<TFcFormatEtcList_IEnumFormatEtc> walk;
    {
        TFcFormatEtcList list = TwoFormats();
        TFormatEtc withDevice{CF_TEXT, {8, 0, 0, 0, 1, 2, 3, 4}, DVASPECT_CONTENT, -1, TYMED_FILE};
        list.Add(withDevice);
        walk.emplace(list.CreateEnumerator());
        list.Clear(); // the walk keeps what it was made from
    }
    std::vector<TFormatEtc> got;
    std::uint32_t fetched = 99;
    EXPECT_EQ(walk->Next(5, got, &fetched), shell::S_FALSE);
    EXPECT_EQ(fetched, 3u);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].cfFormat, ShellIdListArrayFormat());
    EXPECT_EQ(got[1].cfFormat, CF_HDROP);
    EXPECT_EQ(got[2].ptd, (std::vector<std::uint8_t>{8, 0, 0, 0, 1, 2, 3, 4}));
    EXPECT_EQ(walk->Next(5, got, &fetched), shell::S_FALSE);
    EXPECT_EQ(fetched, 0u);

    EXPECT_EQ(walk->Reset(), shell::S_OK);
    EXPECT_EQ(walk->Skip(1), shell::S_OK);
    std::unique_ptr<TFcFormatEtcList_IEnumFormatEtc> clone;
    EXPECT_EQ(walk->Clone(clone), shell::S_OK);
    EXPECT_EQ(walk->Skip(5), shell::S_FALSE);
    got.clear();
    EXPECT_EQ(walk->Next(1, got), shell::S_FALSE); // at the end
    EXPECT_EQ(clone->Next(1, got), shell::S_OK);   // the clone stayed at 1
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].cfFormat, CF_HDROP);
}

TEST(FcDropSourceTest, ContinueDropOrCancel) {
    using shell::MK_LBUTTON, shell::MK_RBUTTON, shell::MK_MBUTTON, shell::MK_SHIFT;
    struct Case {
        const char* name;
        Qt::MouseButton button;
        bool escape;
        std::uint32_t keys;
        HRESULT expected;
    } cases[] = {
        {"left held", Qt::LeftButton, false, MK_LBUTTON | MK_SHIFT, shell::S_OK},
        {"left released", Qt::LeftButton, false, MK_SHIFT, DRAGDROP_S_DROP},
        {"right pressed in a left drag", Qt::LeftButton, false, MK_LBUTTON | MK_RBUTTON,
         DRAGDROP_S_CANCEL},
        {"escape", Qt::LeftButton, true, MK_LBUTTON, DRAGDROP_S_CANCEL},
        {"right held", Qt::RightButton, false, MK_RBUTTON, shell::S_OK},
        {"middle pressed in a right drag", Qt::RightButton, false, MK_RBUTTON | MK_MBUTTON,
         DRAGDROP_S_CANCEL},
        {"middle released", Qt::MiddleButton, false, 0, DRAGDROP_S_DROP},
    };
    for (const Case& c : cases) {
        const TDropSource_shlvtv source(c.button);
        EXPECT_EQ(source.QueryContinueDrag(c.escape, c.keys), c.expected) << c.name;
        EXPECT_EQ(source.GiveFeedback(shell::DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
    }
}

// ---- data objects and foreign data ----------------------------------------

class FcShellDataTest : public testing::Test {
protected:
    FcShellDataTest() : m_mounts(test::MountLine(1, "/", "/dev/sda1")) {
        fs::create_directories(Home());
    }
    std::string Home() const { return m_env.Folder() + "home/"; }

    test::IsolatedEnv m_env;
    test::RecordedMounts m_mounts;
};

TEST_F(FcShellDataTest, DesktopItemBlockAndEffects) {
    const IdList home = shell::HomeIdList();
    const TDataObject_shlv object(IdList(), {&home, 1});
    std::vector<std::uint8_t> block;
    ASSERT_EQ(
        object.GetData({ShellIdListArrayFormat(), {}, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, block),
        shell::S_OK);
    // count 1, offsets 12 and 14, the empty parent list, then the item.
    ASSERT_EQ(block.size(), 14 + home.Size());
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.begin() + 14),
              (std::vector<std::uint8_t>{1, 0, 0, 0, 12, 0, 0, 0, 14, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 14, block.end()), home.Bytes());
    std::vector<std::uint8_t> built{9};
    EXPECT_EQ(BuildShellIdListArray(IdList(), {&home, 1}, built), shell::S_OK);
    EXPECT_EQ(built, block);
    std::vector<std::uint8_t> uris;
    ASSERT_EQ(object.GetData({CF_HDROP, {}, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, uris),
              shell::S_OK);
    EXPECT_EQ(shell::ParseUriList(std::string(uris.begin(), uris.end())),
              std::vector<std::string>{Home().substr(0, Home().size() - 1)});
    EXPECT_EQ(object.GetData({CF_TEXT, {}, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, uris),
              DV_E_FORMATETC);
    // Home can only be linked from the desktop.
    EXPECT_EQ(AllowedDropEffects(*object.MimeData()), shell::DROPEFFECT_LINK);
}

TEST_F(FcShellDataTest, ForeignDataIsCheckedBeforeUse) {
    fs::create_directories(Home() + "f");
    const std::string folder = Home() + "f";
    const auto withArray = [](std::vector<std::uint8_t> block) {
        auto data = std::make_unique<QMimeData>();
        data->setData(
            shell::kIdListArrayMime,
            QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())));
        data->setData(shell::kUriListMime, "file:///etc/passwd\r\n");
        return data;
    };
    const IdList item = ListOf(folder).Last();
    std::vector<std::uint8_t> good =
        shell::BuildIdListArray(ListOf(m_env.Folder() + "home"), {&item, 1});
    std::vector<std::uint8_t> countTooLarge = good;
    countTooLarge[0] = 0xFF;
    std::vector<std::uint8_t> offsetOutside = good;
    offsetOutside[8] = 0xF0;
    std::vector<std::uint8_t> cut(good.begin(), good.end() - 1);

    QMimeData uriOnly;
    uriOnly.setData(shell::kUriListMime, "file:///srv/a%20b\r\n# note\r\nhttp://x/y\r\n");
    QMimeData nothing;
    nothing.setText("plain");
    struct Case {
        const char* name;
        std::unique_ptr<QMimeData> data;
        std::optional<std::vector<std::string>> paths; // nullopt: refused
        std::uint32_t effects;
    };
    Case cases[] = {
        {"a well-formed array", withArray(good), std::vector<std::string>{folder}, 7},
        {"a count past the block", withArray(countTooLarge), std::nullopt, 0},
        {"an offset outside", withArray(offsetOutside), std::nullopt, 0},
        {"a list cut short", withArray(cut), std::nullopt, 0},
    };
    for (const Case& c : cases) {
        const std::optional<shell::DropData> drop = DecodeDropData(*c.data);
        ASSERT_EQ(drop.has_value(), c.paths.has_value()) << c.name;
        if (drop) {
            EXPECT_EQ(drop->Paths, *c.paths) << c.name;
            EXPECT_TRUE(drop->FromIdListArray);
        }
        EXPECT_EQ(AllowedDropEffects(*c.data), c.effects) << c.name;
    }
    // Without an array the URI list counts, and every effect is allowed.
    EXPECT_EQ(DecodeDropData(uriOnly)->Paths, std::vector<std::string>{"/srv/a b"});
    EXPECT_EQ(AllowedDropEffects(uriOnly), 7u);
    EXPECT_TRUE(DecodeDropData(nothing)->Paths.empty());
    EXPECT_EQ(AllowedDropEffects(nothing), 7u);
}

// ---- the tree --------------------------------------------------------------

// A tree whose drags are recorded instead of run (offscreen Qt runs none);
// duringDrag stands for what happens while the drag loop runs.
class TRecordingTree : public TFcShellTree {
public:
    using TFcShellTree::TFcShellTree;
    std::function<Qt::DropAction(const QMimeData&, std::uint32_t)> duringDrag;
    int drags = 0;

protected:
    Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> data, std::uint32_t allowed,
                            Qt::MouseButton) override {
        ++drags;
        return duringDrag ? duringDrag(*data, allowed) : Qt::IgnoreAction;
    }
};

TTreeNode* Child(TTreeNode* node, const std::string& text) {
    for (int i = 0; node && i < node->Count(); ++i)
        if (node->Item(i)->Text() == text)
            return node->Item(i);
    return nullptr;
}

class FcShellTreeDropTest : public testing::Test {
protected:
    FcShellTreeDropTest()
        : m_mounts(test::MountLine(1, "/", "/dev/sda1")),
          m_boxes([this](const gui::TMessageBoxRequest& r) {
              m_shown.push_back(r.Text);
              return gui::mrOk;
          }) {
        fs::create_directories(m_env.Folder() + "home");
        fs::create_directories(Tree() + "a/inner/deep");
        fs::create_directories(Tree() + "C");
        fs::create_directories(Outside());
        WriteText(Outside() + "x.txt", "from outside");
        m_tree.SetOptions(m_tree.Options()
                              .With(TFcShellTreeOption::stoAutoFill, false)
                              .With(TFcShellTreeOption::stoDynamicRefresh, false));
        m_tree.resize(300, 400);
        m_tree.show();
        TFcShellLocator base;
        base.SetPathName(Tree());
        m_tree.SetBaseFolder(base);
        m_tree.FillTree();
    }

    std::string Tree() const { return m_env.Folder() + "tree/"; }
    std::string Outside() const { return m_env.Folder() + "outside/"; }
    TTreeNode* Root() { return m_tree.Items().GetFirstNode(); }
    QWidget& Viewport() { return *m_tree.View().viewport(); }
    QPoint At(TTreeNode* node) {
        QApplication::processEvents(); // the rows laid out
        const gui::TRect r = node->DisplayRect(true);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }

    // One drag event to the view; the action it was answered with
    // (Qt::IgnoreAction when refused).
    Qt::DropAction
    Send(QEvent::Type type, const QMimeData* data, QPoint pos,
         Qt::KeyboardModifiers mods = Qt::NoModifier, Qt::MouseButtons buttons = Qt::LeftButton,
         Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
        if (type == QEvent::DragLeave) {
            QDragLeaveEvent e;
            QCoreApplication::sendEvent(&Viewport(), &e);
            return Qt::IgnoreAction;
        }
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
    // Enter, move and drop at one point; the drop's answer.
    Qt::DropAction DragAndDrop(const QMimeData& data, QPoint pos, Qt::KeyboardModifiers mods) {
        Send(QEvent::DragEnter, &data, pos, mods);
        Send(QEvent::DragMove, &data, pos, mods);
        return Send(QEvent::Drop, &data, pos, mods);
    }
    // Runs the event loop until done or the deadline.
    static bool RunUntil(const std::function<bool()>& done, int ms = 3000) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    test::IsolatedEnv m_env;
    test::RecordedMounts m_mounts;
    std::vector<std::string> m_shown;
    gui::TScopedMessageBoxHandler m_boxes;
    TRecordingTree m_tree;
};

TEST_F(FcShellTreeDropTest, DraggedNodeCarriesItsItem) {
    TTreeNode* a = Child(Root(), "a");
    const TDataObject_shtv object(m_tree, a);
    const std::unique_ptr<QMimeData> data = object.MimeData();
    const std::optional<shell::IdListArray> array =
        shell::ParseIdListArray(Bytes(data->data(shell::kIdListArrayMime)));
    ASSERT_TRUE(array);
    EXPECT_EQ(array->Parent, m_tree.NodeData(Root())->AbsoluteIdList());
    EXPECT_EQ(array->Items, std::vector<IdList>{m_tree.NodeData(a)->RelativeIdList()});
    const QByteArray uris = data->data(shell::kUriListMime);
    EXPECT_EQ(shell::ParseUriList(uris.toStdString()), std::vector<std::string>{Tree() + "a"});

    // No fixed room per name: a path far past 260 bytes travels whole.
    const std::string deep =
        Tree() + std::string(200, 'd') + "/" + std::string(200, 'e') + "/" + std::string(100, 'f');
    fs::create_directories(deep);
    const std::string parent = deep.substr(0, deep.rfind('/') + 1);
    EXPECT_EQ(DecodeDropData(*DataOf(parent, {std::string(100, 'f')}))->Paths,
              std::vector<std::string>{deep});
}

TEST_F(FcShellTreeDropTest, BeginDragRunsForChildNodesOnly) {
    TTreeNode* a = Child(Root(), "a");
    std::uint32_t allowed = 0;
    bool heldNodes = false;
    std::optional<shell::IdListArray> carried;
    m_tree.duringDrag = [&](const QMimeData& data, std::uint32_t effects) {
        allowed = effects;
        heldNodes = m_tree.DragOrMenu();
        carried = shell::ParseIdListArray(Bytes(data.data(shell::kIdListArrayMime)));
        m_tree.RefreshTree(); // noted, not run, while the drag holds the nodes
        EXPECT_TRUE(m_tree.PendingRefresh());
        // Dropped on C with Shift: moved there.
        return DragAndDrop(data, At(Child(Root(), "C")), Qt::ShiftModifier);
    };
    const auto pressAndMove = [&](TTreeNode* node, Qt::MouseButton button) {
        const QPoint from = At(node);
        QMouseEvent press(QEvent::MouseButtonPress, from, m_tree.View().mapToGlobal(from), button,
                          button, Qt::NoModifier);
        QCoreApplication::sendEvent(&Viewport(), &press);
        const QPoint to = from + QPoint(QApplication::startDragDistance() + 2, 0);
        QMouseEvent move(QEvent::MouseMove, to, m_tree.View().mapToGlobal(to), Qt::NoButton, button,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&Viewport(), &move);
    };
    pressAndMove(Root(), Qt::LeftButton);
    EXPECT_EQ(m_tree.drags, 0); // never the root

    pressAndMove(a, Qt::RightButton);
    ASSERT_EQ(m_tree.drags, 1);
    EXPECT_EQ(allowed, 7u);
    EXPECT_TRUE(heldNodes);
    ASSERT_TRUE(carried);
    EXPECT_EQ(carried->Items.size(), 1u);
    EXPECT_FALSE(m_tree.DragOrMenu());
    EXPECT_FALSE(m_tree.PendingRefresh());
    EXPECT_EQ(m_tree.DraggedNode(), nullptr);
    EXPECT_TRUE(fs::is_directory(Tree() + "C/a/inner"));
    EXPECT_FALSE(fs::exists(Tree() + "a"));
    // Refreshed after the drop: a shows under C now.
    EXPECT_EQ(Child(Root(), "a"), nullptr);
    TTreeNode* c = Child(Root(), "C");
    c->Expand(false);
    EXPECT_NE(Child(c, "a"), nullptr);

    m_tree.SetOptions(m_tree.Options().With(TFcShellTreeOption::stoOleDrag, false));
    pressAndMove(c, Qt::LeftButton);
    EXPECT_EQ(m_tree.drags, 1);
}

TEST_F(FcShellTreeDropTest, DropsCopyMoveOrLinkByTheKeys) {
    struct Case {
        const char* name;
        Qt::KeyboardModifiers mods;
        Qt::DropAction answered;
    } cases[] = {
        {"copy", Qt::ControlModifier, Qt::CopyAction},
        {"move", Qt::ShiftModifier, Qt::MoveAction},
        {"link", Qt::ControlModifier | Qt::ShiftModifier, Qt::LinkAction},
    };
    for (const Case& c : cases) {
        const std::string target = Tree() + "C/" + c.name + "/";
        fs::create_directories(target);
        WriteText(Outside() + c.name, c.name);
        m_tree.RefreshTree();
        Child(Root(), "C")->Expand(false);
        TTreeNode* node = Child(Child(Root(), "C"), c.name);
        ASSERT_TRUE(node) << c.name;
        const std::unique_ptr<QMimeData> data = DataOf(Outside(), {c.name});
        EXPECT_EQ(DragAndDrop(*data, At(node), c.mods), c.answered) << c.name;
        EXPECT_EQ(ReadText(target + c.name), c.name) << c.name;
        EXPECT_EQ(fs::exists(Outside() + c.name), c.answered != Qt::MoveAction) << c.name;
        EXPECT_EQ(fs::is_symlink(target + c.name), c.answered == Qt::LinkAction) << c.name;
    }
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FcShellTreeDropTest, RefusedDrops) {
    TTreeNode* a = Child(Root(), "a");
    TTreeNode* c = Child(Root(), "C");
    // A name already in the target is kept as it was.
    WriteText(Tree() + "C/x.txt", "already here");
    const std::unique_ptr<QMimeData> x = DataOf(Outside(), {"x.txt"});
    DragAndDrop(*x, At(c), Qt::ControlModifier);
    EXPECT_EQ(ReadText(Tree() + "C/x.txt"), "already here");
    EXPECT_EQ(m_shown.size(), 1u);

    // A folder into its own child.
    a->Expand(false);
    const std::unique_ptr<QMimeData> folder = TDataObject_shtv(m_tree, a).MimeData();
    EXPECT_EQ(DragAndDrop(*folder, At(Child(a, "inner")), Qt::ShiftModifier), Qt::IgnoreAction);
    EXPECT_TRUE(fs::is_directory(Tree() + "a/inner/deep"));

    // The root offers nothing on entry, a child at once.
    EXPECT_EQ(Send(QEvent::DragEnter, x.get(), At(Root()), Qt::ControlModifier), Qt::IgnoreAction);
    EXPECT_EQ(Send(QEvent::DragMove, x.get(), At(a), Qt::ControlModifier), Qt::CopyAction);
    Send(QEvent::DragLeave, nullptr, {});
    // Released where it was refused: no drop.
    Send(QEvent::DragEnter, x.get(), At(Root()), Qt::ControlModifier);
    EXPECT_EQ(Send(QEvent::Drop, x.get(), At(Root()), Qt::ControlModifier), Qt::IgnoreAction);
    EXPECT_FALSE(fs::exists(Tree() + "x.txt"));

    // An array that fails the checks, with a URI list beside it.
    QMimeData hostile;
    hostile.setData(shell::kIdListArrayMime, QByteArray("\xFF\xFF\xFF\x7F\x0C\x00\x00\x00", 8));
    hostile.setData(shell::kUriListMime, "file://" + QByteArray(Outside().c_str()) + "x.txt\r\n");
    EXPECT_EQ(Send(QEvent::DragEnter, &hostile, At(c), Qt::ControlModifier), Qt::IgnoreAction);
    EXPECT_EQ(Send(QEvent::DragMove, &hostile, At(a), Qt::ControlModifier), Qt::IgnoreAction);
    EXPECT_EQ(Send(QEvent::Drop, &hostile, At(a), Qt::ControlModifier), Qt::IgnoreAction);
    EXPECT_FALSE(fs::exists(Tree() + "a/x.txt"));

    // Without stoOleDrop the view takes no drops.
    m_tree.SetOptions(m_tree.Options().With(TFcShellTreeOption::stoOleDrop, false));
    EXPECT_FALSE(Viewport().acceptDrops());
    EXPECT_EQ(Send(QEvent::DragEnter, x.get(), At(a), Qt::ControlModifier), Qt::IgnoreAction);
}

TEST_F(FcShellTreeDropTest, RestingOverANeverOpenedNodeOpensIt) {
    fs::create_directories(Tree() + "gone/sub");
    m_tree.RefreshTree();
    const std::unique_ptr<QMimeData> x = DataOf(Outside(), {"x.txt"});
    TTreeNode* a = Child(Root(), "a");
    ASSERT_TRUE(a->HasChildren());
    ASSERT_EQ(a->Count(), 0);
    Send(QEvent::DragEnter, x.get(), At(a));
    // The mouse rests: the repeated probes open it once the hover time is up.
    EXPECT_TRUE(RunUntil([&] { return a->Count() > 0; }));
    EXPECT_TRUE(a->Expanded());
    EXPECT_EQ(a->Item(0)->Text(), "inner");
    Send(QEvent::DragLeave, nullptr, {});

    // A folder that went away cannot be opened: its button goes, silently.
    TTreeNode* gone = Child(Root(), "gone");
    ASSERT_TRUE(gone->HasChildren());
    fs::remove_all(Tree() + "gone");
    Send(QEvent::DragEnter, x.get(), At(gone));
    EXPECT_TRUE(RunUntil([&] { return !gone->HasChildren(); }));
    Send(QEvent::DragLeave, nullptr, {});
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(FcShellTreeDropTest, EdgeScrollsAtMostOneStepPerInterval) {
    for (int i = 0; i < 60; ++i)
        fs::create_directories(Tree() + "C/" + std::to_string(100 + i));
    m_tree.RefreshTree();
    Child(Root(), "C")->Expand(false);
    QScrollBar& bar = *m_tree.View().verticalScrollBar();
    ASSERT_GT(bar.maximum(), 10);
    const std::unique_ptr<QMimeData> x = DataOf(Outside(), {"x.txt"});
    const QPoint bottom(40, Viewport().height() - 5);
    QElapsedTimer clock;
    clock.start();
    Send(QEvent::DragEnter, x.get(), bottom);
    Send(QEvent::DragMove, x.get(), bottom);
    Send(QEvent::DragMove, x.get(), bottom);
    const int start = bar.value();
    EXPECT_TRUE(RunUntil([&] { return bar.value() - start >= 3; }));
    // The steps never outrun the interval.
    const int steps = (bar.value() - start) / std::max(1, bar.singleStep());
    EXPECT_LE(steps, clock.elapsed() / 100);
    Send(QEvent::DragLeave, nullptr, {});
}

TEST_F(FcShellTreeDropTest, SendToCopiesIntoTheEntry) {
    const std::string sendTo = m_env.Folder() + "data/vardex/SendTo/";
    fs::create_directories(sendTo + "Zeta");
    fs::create_directories(sendTo + "alpha");
    fs::create_directories(sendTo + ".hidden");
    fs::create_directories(Outside() + "linked");
    fs::create_symlink(Outside() + "linked", sendTo + "link");
    fs::create_symlink(Outside() + "gone", sendTo + "dangling");
    WriteText(sendTo + "file.txt", "not a folder");

    std::vector<gui::TShellMenuEntry> submenu;
    int choice = 0;
    const gui::TShellMenuHandler previous = gui::SetShellMenuHandler(
        [&](const std::vector<gui::TShellMenuEntry>& entries, gui::TPoint) {
            for (const gui::TShellMenuEntry& e : entries)
                if (!e.SubMenu.empty())
                    submenu = e.SubMenu;
            for (const gui::TShellMenuEntry& e : submenu)
                if (e.Caption == "link")
                    choice = e.Id;
            return choice;
        });
    TTreeNode* a = Child(Root(), "a");
    m_tree.ShowShellContextMenu(a, {10, 10});
    gui::SetShellMenuHandler(previous);

    std::vector<std::string> names;
    for (const gui::TShellMenuEntry& e : submenu)
        names.push_back(e.Caption);
    EXPECT_EQ(names, (std::vector<std::string>{"Zeta", "alpha", "link"}));
    EXPECT_EQ(choice, 3);
    EXPECT_TRUE(fs::is_directory(Outside() + "linked/a/inner/deep"));
    EXPECT_TRUE(fs::is_directory(Tree() + "a/inner")); // copied, not moved

    // The same by index, the list as the menu read it.
    m_tree.SendToCommand(Child(Root(), "C"), 1);
    EXPECT_TRUE(fs::is_directory(sendTo + "alpha/C"));
    m_tree.SendToCommand(Child(Root(), "C"), 7); // past the list: nothing
    EXPECT_TRUE(m_shown.empty());
}

} // namespace
} // namespace vdx
