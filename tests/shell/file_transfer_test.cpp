#include "platform/shell/file_transfer.h"

#include "platform/shell/context_menu.h"
#include "platform/shell/drop_target.h"
#include "platform/shell/shell_folder.h"

#include "IsolatedEnv.h"
#include "RecordingUi.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::shell {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

// A source tree and an empty target folder.
class TransferTest : public testing::Test {
protected:
    TransferTest() {
        fs::create_directories(Src() + "dir/sub");
        fs::create_directories(Dst());
        fs::create_directories(m_env.Folder() + "home");
        test::WriteFileBytes(Src() + "a.txt", "alpha");
        test::WriteFileBytes(Src() + "dir/sub/b", std::string(3000000, 'b'));
        fs::create_symlink("sub/b", Src() + "dir/link");
    }
    std::string Src() const { return m_env.Folder() + "src/"; }
    std::string Dst() const { return m_env.Folder() + "dst/"; }
    std::string Target() const { return m_env.Folder() + "dst"; }

    // Every entry below folder, as relative paths.
    static Paths Tree(const std::string& folder) {
        Paths names;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            names.push_back(e.path().lexically_relative(folder).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TransferOutcome Run(const Paths& sources, const std::string& target, TransferKind kind) {
        return TransferIntoFolder(sources, target, kind, m_ui, kEveryStep);
    }

    static constexpr TransferPacing kEveryStep{std::chrono::milliseconds(0),
                                               std::chrono::milliseconds(0)};
    test::IsolatedEnv m_env;
    test::RecordingUi m_ui;
};

TEST_F(TransferTest, CopyKeepsContentModesTimesAndLinks) {
    ::chmod((Src() + "a.txt").c_str(), 0640);
    const timespec times[2] = {{1000000000, 0}, {1234567890, 500}};
    ::utimensat(AT_FDCWD, (Src() + "a.txt").c_str(), times, 0);
    ::utimensat(AT_FDCWD, (Src() + "dir").c_str(), times, 0);

    const TransferOutcome out =
        Run({Src() + "a.txt", Src() + "dir/"}, Target(), TransferKind::Copy);
    EXPECT_EQ(out.Done, (Paths{Dst() + "a.txt", Dst() + "dir"}));
    EXPECT_TRUE(out.Skipped.empty() && out.Failed.empty() && !out.Cancelled);
    EXPECT_EQ(Tree(Dst()), (Paths{"a.txt", "dir", "dir/link", "dir/sub", "dir/sub/b"}));
    EXPECT_EQ(test::ReadFileBytes(Dst() + "a.txt"), "alpha");
    EXPECT_EQ(test::ReadFileBytes(Dst() + "dir/sub/b"), std::string(3000000, 'b'));
    struct stat st {};
    ASSERT_EQ(::stat((Dst() + "a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);
    ASSERT_EQ(::stat((Dst() + "dir").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_TRUE(fs::is_symlink(Dst() + "dir/link"));
    EXPECT_EQ(fs::read_symlink(Dst() + "dir/link"), "sub/b");
    // Progress counted every byte of the plain files.
    EXPECT_EQ(m_ui.lastTotal, 3000005u);
    EXPECT_EQ(m_ui.lastDone, 3000005u);
    EXPECT_TRUE(fs::exists(Src() + "dir/sub/b")); // a copy leaves the source
}

TEST_F(TransferTest, TakenNamesAreSkippedNeverOverwritten) {
    for (const TransferKind kind : {TransferKind::Copy, TransferKind::Move, TransferKind::Link}) {
        fs::remove_all(Dst());
        fs::create_directories(Dst() + "DIR");
        test::WriteFileBytes(Dst() + "a.txt", "old");
        test::RecordingUi ui;
        const TransferOutcome out = TransferIntoFolder(Paths{Src() + "a.txt", Src() + "dir"},
                                                       Target(), kind, ui, kEveryStep);
        EXPECT_TRUE(out.Done.empty());
        EXPECT_EQ(out.Skipped, (Paths{"a.txt", "dir"}));
        EXPECT_EQ(ui.skipped, std::vector<Paths>{out.Skipped}); // one box for all
        EXPECT_EQ(test::ReadFileBytes(Dst() + "a.txt"), "old");
        EXPECT_EQ(Tree(Dst()), (Paths{"DIR", "a.txt"}));
        EXPECT_TRUE(fs::exists(Src() + "a.txt") && fs::exists(Src() + "dir/sub/b"));
    }
}

TEST_F(TransferTest, CopyIntoItsOwnFolderTakesTheFirstFreeNumber) {
    test::WriteFileBytes(Src() + ".profile", "p");
    const Paths sources = {Src() + "a.txt", Src() + "dir", Src() + ".profile"};
    EXPECT_EQ(Run(sources, Src(), TransferKind::Copy).Done,
              (Paths{Src() + "a (2).txt", Src() + "dir (2)", Src() + ".profile (2)"}));
    EXPECT_EQ(Run(sources, Src(), TransferKind::Copy).Done,
              (Paths{Src() + "a (3).txt", Src() + "dir (3)", Src() + ".profile (3)"}));
    EXPECT_EQ(test::ReadFileBytes(Src() + "a (3).txt"), "alpha");
    EXPECT_TRUE(fs::exists(Src() + "dir (2)/sub/b"));
    // A move into its own folder has nothing to do.
    const TransferOutcome moved = Run({Src() + "a.txt"}, Src(), TransferKind::Move);
    EXPECT_TRUE(moved.Done.empty() && moved.Skipped.empty() && moved.Failed.empty());
    EXPECT_TRUE(m_ui.skipped.empty());
}

TEST_F(TransferTest, FolderIntoItselfIsRefused) {
    fs::create_symlink(Src() + "dir/sub", Src() + "via-link");
    for (const TransferKind kind : {TransferKind::Copy, TransferKind::Move, TransferKind::Link})
        for (const std::string& into : {Src() + "dir", Src() + "dir/sub", Src() + "via-link"}) {
            test::RecordingUi ui;
            const TransferOutcome out =
                TransferIntoFolder(Paths{Src() + "dir"}, into, kind, ui, kEveryStep);
            EXPECT_EQ(out.Failed, (std::vector<std::pair<std::string, int>>{{"dir", EINVAL}}))
                << into;
            EXPECT_EQ(ui.failures.size(), 1u);
        }
    EXPECT_EQ(Tree(Src() + "dir"), (Paths{"link", "sub", "sub/b"}));
}

TEST_F(TransferTest, MoveWithinOneFileSystemRenames) {
    struct stat before {
    }, after{};
    ::stat((Src() + "dir/sub/b").c_str(), &before);
    const TransferOutcome out = Run({Src() + "dir", Src() + "a.txt"}, Target(), TransferKind::Move);
    EXPECT_EQ(out.Done, (Paths{Dst() + "dir", Dst() + "a.txt"}));
    ::stat((Dst() + "dir/sub/b").c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(Tree(Src()), Paths{});
}

TEST_F(TransferTest, LinkPointsAtTheAbsoluteSource) {
    const TransferOutcome out = Run({Src() + "a.txt", Src() + "dir"}, Target(), TransferKind::Link);
    EXPECT_EQ(out.Done, (Paths{Dst() + "a.txt", Dst() + "dir"}));
    EXPECT_EQ(fs::read_symlink(Dst() + "a.txt"), Src() + "a.txt");
    EXPECT_EQ(fs::read_symlink(Dst() + "dir"), Src() + "dir");
}

TEST_F(TransferTest, CancelKeepsTheSourceAndLeavesNoPartialCopy) {
    test::WriteFileBytes(Src() + "dir/sub/c", std::string(3000000, 'c'));
    for (int cancelAt = 1; cancelAt <= 6; ++cancelAt) {
        test::RecordingUi ui;
        ui.cancelAtProgress = cancelAt;
        const TransferOutcome out =
            TransferIntoFolder(Paths{Src() + "dir"}, Target(), TransferKind::Copy, ui, kEveryStep);
        EXPECT_TRUE(out.Cancelled) << cancelAt;
        EXPECT_TRUE(out.Done.empty());
        EXPECT_EQ(Tree(Dst()), Paths{}) << cancelAt;
        EXPECT_EQ(Tree(Src() + "dir"), (Paths{"link", "sub", "sub/b", "sub/c"}));
    }
}

// Needs a second writable file system: /dev/shm when it is one.
TEST_F(TransferTest, MoveAcrossFileSystemsRemovesTheSourceOnlyWhenAllIsCopied) {
    struct stat shm {
    }, tmp{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(m_env.Folder().c_str(), &tmp) != 0 ||
        shm.st_dev == tmp.st_dev || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    const std::string far = "/dev/shm/vdx-transfer-test-" + std::to_string(::getpid());
    struct Cleanup {
        std::string path;
        ~Cleanup() {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    } cleanup{far};
    const auto makeItem = [&] {
        fs::create_directories(far + "/item/inner");
        test::WriteFileBytes(far + "/item/inner/f", std::string(2000000, 'f'));
        test::WriteFileBytes(far + "/item/g", "g");
    };
    makeItem();
    EXPECT_FALSE(SameFileSystem(far, Target()));
    EXPECT_TRUE(SameFileSystem(Src() + "missing/x", Target()));

    // Cancelled half way: the source stays whole, nothing is left in the target.
    m_ui.cancelAtProgress = 3;
    TransferOutcome out = Run({far + "/item"}, Target(), TransferKind::Move);
    EXPECT_TRUE(out.Cancelled);
    EXPECT_EQ(Tree(Dst()), Paths{});
    EXPECT_EQ(Tree(far + "/item"), (Paths{"g", "inner", "inner/f"}));

    // A file that cannot be read fails the item and keeps its source.
    if (::geteuid() != 0) {
        ::chmod((far + "/item/inner/f").c_str(), 0);
        test::RecordingUi ui;
        out =
            TransferIntoFolder(Paths{far + "/item"}, Target(), TransferKind::Move, ui, kEveryStep);
        EXPECT_EQ(out.Failed, (std::vector<std::pair<std::string, int>>{{"item", EACCES}}));
        EXPECT_EQ(Tree(Dst()), Paths{});
        EXPECT_TRUE(fs::exists(far + "/item/inner/f"));
        ::chmod((far + "/item/inner/f").c_str(), 0644);
    }

    test::RecordingUi ui;
    out = TransferIntoFolder(Paths{far + "/item"}, Target(), TransferKind::Move, ui, kEveryStep);
    EXPECT_EQ(out.Done, Paths{Dst() + "item"});
    EXPECT_EQ(Tree(Dst()), (Paths{"item", "item/g", "item/inner", "item/inner/f"}));
    EXPECT_EQ(test::ReadFileBytes(Dst() + "item/inner/f"), std::string(2000000, 'f'));
    EXPECT_FALSE(fs::exists(far + "/item"));
}

TEST(DropEffectTest, KeysSameFileSystemAndWhatIsAllowed) {
    constexpr std::uint32_t C = DROPEFFECT_COPY, M = DROPEFFECT_MOVE, L = DROPEFFECT_LINK;
    constexpr std::uint32_t All = C | M | L;
    struct Case {
        std::uint32_t keys, allowed;
        bool same;
        std::uint32_t effect;
    };
    const std::vector<Case> cases = {
        {MK_LBUTTON, All, true, M},
        {MK_LBUTTON, All, false, C},
        {MK_CONTROL, All, true, C},
        {MK_SHIFT, All, false, M},
        {MK_CONTROL | MK_SHIFT, All, true, L},
        {MK_ALT, All, false, L},
        {MK_ALT | MK_CONTROL, All, false, L},
        {0, C | L, true, C},      // move not allowed: copy
        {MK_SHIFT, L, true, L},   // only link allowed
        {MK_ALT, C | M, true, C}, // link not allowed: copy
        {0, M | DROPEFFECT_SCROLL, false, M},
        {MK_CONTROL, 0, true, 0},
        {0, DROPEFFECT_SCROLL, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DefaultDropEffect(c.keys, c.allowed, c.same), c.effect)
            << c.keys << " " << c.allowed << " " << c.same;
}

TEST_F(TransferTest, DropTargetEffectsAndDrops) {
    constexpr std::uint32_t All = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const auto enter = [](DropTarget& t, const Paths& paths, std::uint32_t keys) {
        std::uint32_t effect = All;
        EXPECT_EQ(t.DragEnter({paths, false}, keys, effect), S_OK);
        return effect;
    };
    DropTarget dst(Target());
    EXPECT_EQ(enter(dst, {}, 0), 0u);
    EXPECT_EQ(enter(dst, {Src() + "a.txt"}, 0), DROPEFFECT_MOVE);
    std::uint32_t effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_EQ(dst.DragOver(MK_CONTROL | MK_SHIFT, effect), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_LINK);
    DropTarget sub(Src() + "dir/sub");
    EXPECT_EQ(enter(sub, {Src() + "a.txt", Src() + "dir"}, 0), 0u); // its own ancestor
    DropTarget self(Src() + "dir");
    EXPECT_EQ(enter(self, {Src() + "dir"}, MK_CONTROL), 0u);
    if (::geteuid() != 0) {
        ::chmod(Target().c_str(), 0555);
        EXPECT_EQ(enter(dst, {Src() + "a.txt"}, 0), 0u);
        ::chmod(Target().c_str(), 0755);
    }

    // A right-button drop asks; Cancel does nothing, a choice is done.
    m_ui.dropKind = 0;
    effect = All;
    EXPECT_EQ(dst.Drop({{Src() + "a.txt"}, false}, MK_RBUTTON, effect, m_ui), S_OK);
    EXPECT_EQ(effect, 0u);
    EXPECT_EQ(Tree(Dst()), Paths{});
    m_ui.dropKind = DROPEFFECT_LINK;
    effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_EQ(dst.Drop({{Src() + "a.txt"}, false}, MK_RBUTTON, effect, m_ui), S_OK);
    EXPECT_EQ(effect, DROPEFFECT_LINK);
    EXPECT_TRUE(fs::is_symlink(Dst() + "a.txt"));
    EXPECT_EQ(m_ui.dropKindsOffered,
              (std::vector<std::uint32_t>{All, DROPEFFECT_COPY | DROPEFFECT_LINK}));
    // A left-button drop of the same name again is skipped: nothing done.
    effect = All;
    EXPECT_EQ(dst.Drop({{Src() + "a.txt"}, false}, MK_LBUTTON | MK_CONTROL, effect, m_ui), S_OK);
    EXPECT_EQ(effect, 0u);
    EXPECT_EQ(m_ui.skipped, std::vector<Paths>{{"a.txt"}});

    DropTargetPtr target;
    IdList list;
    ASSERT_EQ(ParsePath(Target(), list), S_OK);
    ASSERT_EQ(GetDropTargetOf(list, target), S_OK);
    EXPECT_EQ(target->FolderPath(), Target());
    ASSERT_EQ(ParsePath(Src() + "a.txt", list), S_OK);
    EXPECT_EQ(GetDropTargetOf(list, target), E_FAIL);
    EXPECT_EQ(GetDropTargetOf(ComputerIdList(), target), E_FAIL);
    EXPECT_FALSE(target);
    ASSERT_EQ(GetDropTargetOf(HomeIdList(), target), S_OK);
    EXPECT_EQ(target->FolderPath(), m_env.Folder() + "home");
}

// The menu of items of one folder, by their paths.
ContextMenuPtr MenuOf(const Paths& paths) {
    std::vector<IdList> items;
    IdList parent;
    for (const std::string& p : paths) {
        IdList list;
        EXPECT_EQ(ParsePath(p, list), S_OK) << p;
        parent = list.WithoutLast();
        items.push_back(list.Last());
    }
    ShellFolderPtr folder;
    EXPECT_EQ(GetDesktopFolder()->BindToObject(parent, folder), S_OK);
    ContextMenuPtr menu;
    EXPECT_EQ(folder->GetContextMenu(items, menu), S_OK);
    return menu;
}

std::vector<std::string> Verbs(const ContextMenu& menu) {
    std::vector<std::string> verbs;
    for (const ContextMenuCommand& c : menu.Commands(CMF_CANRENAME))
        verbs.push_back(c.Verb);
    return verbs;
}

TEST_F(TransferTest, ClipboardVerbsAndMenusOfSeveralItems) {
    const ContextMenuPtr two = MenuOf({Src() + "a.txt", Src() + "dir"});
    EXPECT_EQ(Verbs(*two), (Paths{"open", "cut", "copy", "delete", "properties"}));
    EXPECT_EQ(Verbs(*MenuOf({Target()})), (Paths{"open", "newfolder", "cut", "copy", "paste",
                                                 "delete", "rename", "properties"}));

    // Paste with nothing on the clipboard does nothing.
    const ContextMenuPtr dst = MenuOf({Target()});
    EXPECT_EQ(dst->Invoke(kCommandPaste, m_ui), S_FALSE);

    EXPECT_EQ(two->Invoke(kCommandCopy, m_ui), S_OK);
    ASSERT_TRUE(m_ui.clipboard);
    EXPECT_EQ(m_ui.clipboard->paths, (Paths{Src() + "a.txt", Src() + "dir"}));
    EXPECT_FALSE(m_ui.clipboard->cut);
    // By path: an item's ID carries its folder's last-write time, and other
    // tests write into the same temporary folder meanwhile.
    IdList srcList;
    ASSERT_EQ(ParsePath(Src(), srcList), S_OK);
    EXPECT_EQ(PathOfIdList(m_ui.clipboard->parent), PathOfIdList(srcList));
    ASSERT_EQ(m_ui.clipboard->items.size(), 2u);
    EXPECT_EQ(PathOfIdList(m_ui.clipboard->parent + m_ui.clipboard->items[1]), Src() + "dir");

    EXPECT_EQ(dst->Invoke(kCommandPaste, m_ui), S_OK);
    EXPECT_EQ(Tree(Dst()), (Paths{"a.txt", "dir", "dir/link", "dir/sub", "dir/sub/b"}));
    EXPECT_TRUE(m_ui.clipboard);                          // a copy can be pasted again
    EXPECT_EQ(dst->Invoke(kCommandPaste, m_ui), S_FALSE); // all skipped
    EXPECT_EQ(m_ui.skipped.size(), 1u);

    // Cut and paste moves, then the clipboard is emptied.
    fs::remove_all(Dst());
    fs::create_directories(Dst());
    EXPECT_EQ(two->Invoke(kCommandCut, m_ui), S_OK);
    EXPECT_TRUE(m_ui.clipboard->cut);
    EXPECT_EQ(dst->Invoke(kCommandPaste, m_ui), S_OK);
    EXPECT_EQ(Tree(Src()), Paths{});
    EXPECT_TRUE(fs::exists(Dst() + "dir/sub/b"));
    EXPECT_FALSE(m_ui.clipboard);

    // Open opens each; delete asks once and trashes all.
    const ContextMenuPtr moved = MenuOf({Dst() + "a.txt", Dst() + "dir"});
    EXPECT_EQ(moved->Invoke(kCommandOpen, m_ui), S_OK);
    EXPECT_EQ(m_ui.opened, (Paths{Dst() + "a.txt", Dst() + "dir"}));
    m_ui.answer = true;
    EXPECT_EQ(moved->Invoke(kCommandDelete, m_ui), S_OK);
    EXPECT_EQ(m_ui.asked, 1);
    EXPECT_EQ(Tree(Dst()), Paths{});
    EXPECT_EQ(moved->Invoke(kCommandRename, m_ui), E_INVALIDARG);
}

} // namespace
} // namespace vdx::shell
