#include "platform/os/winfile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace vdx::os;
using vdx::test::ReadFileBytes;
using vdx::test::TempDir;
using vdx::test::WriteFileBytes;
namespace fs = std::filesystem;

namespace {

// A served root whose "Up" folder holds links to everything a user must not
// reach, beside a tree outside the root that must stay as it is.
class Beneath : public ::testing::Test {
protected:
    Beneath() {
        fs::create_directories(m_dir.Path() / "root/Up/Sub");
        fs::create_directories(m_dir.Path() / "outside/deep");
        WriteFileBytes(m_dir.Path() / "outside/secret.txt", "secret");
        WriteFileBytes(m_dir.Path() / "outside/deep/more.txt", "more");
        WriteFileBytes(m_dir.Path() / "root/Up/Real.txt", "real");
        const fs::path up = m_dir.Path() / "root/Up";
        fs::create_symlink(m_dir.Path() / "outside/secret.txt", up / "file");
        fs::create_directory_symlink(m_dir.Path() / "outside", up / "dir");
        fs::create_symlink(m_dir.Path() / "outside/none.txt", up / "dangling");
        fs::create_symlink("Real.txt", up / "inner");
        fs::create_directory_symlink("/etc", up / "etc");
        // A second name of a file outside: it may reach anything the file system holds.
        fs::create_hard_link(m_dir.Path() / "outside/secret.txt", up / "hard");
    }

    RootedPath R(const std::string& path) const { return {m_dir.Folder() + "root/", path}; }

    // Every entry outside the root with its bytes and mode.
    std::map<std::string, std::string> Outside() const {
        std::map<std::string, std::string> snapshot;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir.Path() / "outside")) {
            struct stat st {};
            ::lstat(entry.path().c_str(), &st);
            snapshot[entry.path().string()] =
                std::to_string(st.st_mode) + ":" +
                (entry.is_regular_file() ? ReadFileBytes(entry.path()) : std::string());
        }
        return snapshot;
    }

    TempDir m_dir;
};

std::set<std::string> Names(const std::vector<FindData>& found) {
    std::set<std::string> names;
    for (const auto& f : found)
        names.insert(f.name);
    return names;
}

} // namespace

TEST_F(Beneath, NoLinkIsFollowedBelowTheRoot) {
    const auto before = Outside();
    const std::vector<std::string> links = {"Up/file",
                                            "Up/HARD",
                                            "Up/dir",
                                            "Up/dangling",
                                            "up/INNER",
                                            "Up/etc",
                                            "Up/dir/secret.txt",
                                            "Up/DIR/deep/more.txt",
                                            "Up/etc/passwd"};
    for (const std::string& path : links) {
        SCOPED_TRACE(path);
        for (const auto disposition : {Disposition::OpenExisting, Disposition::OpenAlways,
                                       Disposition::CreateAlways, Disposition::CreateNew}) {
            const Access access =
                disposition == Disposition::OpenExisting ? Access::Read : Access::Write;
            EXPECT_FALSE(File::TryOpen(R(path), access, Share::Read, disposition, true));
        }
        EXPECT_FALSE(FindFile(R(path)));
        EXPECT_EQ(GetFileAttributes(R(path)), INVALID_FILE_ATTRIBUTES);
        EXPECT_FALSE(FileExists(R(path)));
        EXPECT_FALSE(DirectoryExists(R(path)));
        EXPECT_FALSE(SetFileAttributes(R(path), FILE_ATTRIBUTE_READONLY));
        EXPECT_FALSE(DeleteFile(R(path)));
        EXPECT_FALSE(RemoveDir(R(path)));
        EXPECT_FALSE(MoveFile(R(path), R("Up/taken.txt")));
        EXPECT_TRUE(BlockedByLink(R(path)));
        EXPECT_FALSE(CreateDir(R(path + "/new")));
        EXPECT_FALSE(ForceDirectories(R(path + "/a/b")));
        EXPECT_TRUE(FindFiles(R(path + "/*.*")).empty());
    }
    EXPECT_FALSE(MoveFile(R("Up/Real.txt"), R("Up/dir/Real.txt")));
    EXPECT_FALSE(MoveFile(R("Up/Real.txt"), R("Up/dangling")));
    EXPECT_FALSE(MoveFile(R("Up/Real.txt"), R("Up/hard")));

    EXPECT_EQ(Outside(), before);
    EXPECT_EQ(ReadFileBytes(m_dir.Path() / "root/Up/Real.txt"), "real");
    for (const char* link : {"file", "dir", "dangling", "inner", "etc"})
        EXPECT_TRUE(fs::is_symlink(m_dir.Path() / "root/Up" / link)) << link;
    EXPECT_EQ(fs::hard_link_count(m_dir.Path() / "root/Up/hard"), 2u);
    EXPECT_FALSE(fs::exists(m_dir.Path() / "root/Up/taken.txt"));
    // What is simply not there is no link in the way.
    for (const char* path :
         {"Up/Real.txt", "Up/Missing.txt", "Up/Sub", "Up/Sub/none/x", "up/real.TXT"})
        EXPECT_FALSE(BlockedByLink(R(path))) << path;
    // Outside a root the file is an ordinary one.
    const std::string plain = m_dir.Folder() + "root/Up/hard";
    EXPECT_TRUE(FileExists(plain));
    EXPECT_TRUE(File::TryOpen(plain, Access::Read, Share::Read, Disposition::OpenExisting));
}

// The check is made on what was opened: a name that turns into a second name of
// an outside file between a look and the act never passes the act on to it.
TEST_F(Beneath, AHardLinkSwappedInIsNeverActedOn) {
    const fs::path up = m_dir.Path() / "root/Up";
    fs::create_hard_link(m_dir.Path() / "outside/secret.txt", up / "spare");
    const auto before = Outside();
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        // Up/Swap is, in turn, a file of its own and a second name of the secret.
        while (!done) {
            WriteFileBytes(up / "tmp", "own");
            ::rename((up / "tmp").c_str(), (up / "Swap").c_str());
            fs::create_hard_link(up / "spare", up / "tmp");
            ::rename((up / "tmp").c_str(), (up / "Swap").c_str());
        }
    });
    int leaks = 0;
    int opened = 0;
    for (int round = 0; round < 2000; ++round) {
        if (auto file = File::TryOpen(R("Up/Swap"), Access::Read, Share::ReadWrite,
                                      Disposition::OpenExisting)) {
            ++opened;
            char buffer[16] = {};
            if (file->Read(buffer, sizeof buffer) > 0 && std::string(buffer) == "secret")
                ++leaks;
        }
        if (auto file = File::TryOpen(R("Up/Swap"), Access::Write, Share::ReadWrite,
                                      Disposition::OpenAlways))
            file->WriteAll("x", 1);
        SetFileAttributes(R("Up/Swap"), FILE_ATTRIBUTE_READONLY);
    }
    done = true;
    swapper.join();
    EXPECT_GT(opened, 0);
    EXPECT_EQ(leaks, 0);
    EXPECT_EQ(Outside(), before);
}

TEST_F(Beneath, ListingsShowOnlyWhatCanBeOpened) {
    EXPECT_EQ(Names(FindFiles(R("Up/*"))), (std::set<std::string>{".", "..", "Real.txt", "Sub"}));
    EXPECT_EQ(Names(FindFiles(R("UP/*.txt"))), (std::set<std::string>{"Real.txt"}));
}

TEST_F(Beneath, PathsThatLeaveTheRootAreInvalid) {
    const std::vector<std::string> paths = {"..", "Up/../../outside/secret.txt", "./Up/Real.txt",
                                            std::string("Up/Real.txt\0x", 13)};
    for (const std::string& path : paths) {
        errno = 0;
        EXPECT_FALSE(File::TryOpen(R(path), Access::Read, Share::Read, Disposition::OpenExisting));
        EXPECT_EQ(errno, EINVAL) << path;
        EXPECT_FALSE(FindFile(R(path)));
    }
}

TEST_F(Beneath, OrdinaryWorkBelowTheRoot) {
    // The root itself is trusted as named, also when it is a link.
    const fs::path alias = m_dir.Path() / "alias";
    fs::create_directory_symlink(m_dir.Path() / "root", alias);
    const RootedPath viaAlias{alias.string() + "/", "/up/real.TXT"};
    auto read = File::TryOpen(viaAlias, Access::Read, Share::Read, Disposition::OpenExisting);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Path(), alias.string() + "/Up/Real.txt");
    read->Close();

    EXPECT_TRUE(DirectoryExists(R("")));
    EXPECT_TRUE(DirectoryExists(R("/")));
    EXPECT_TRUE(FileExists(R("/UP/real.txt")));
    EXPECT_TRUE(ForceDirectories(R("/Up/sub/A/B")));
    EXPECT_TRUE(fs::is_directory(m_dir.Path() / "root/Up/Sub/A/B"));
    EXPECT_TRUE(RemoveDir(R("up/sub/a/b")));
    File::Open(R("/Up/Sub/A/New.txt"), Access::Write, Share::None, Disposition::CreateNew)
        .WriteAll("n", 1);
    EXPECT_EQ(Names(FindFiles(R("/Up/Sub/A/*.*"))), (std::set<std::string>{".", "..", "New.txt"}));
    EXPECT_TRUE(SetFileAttributes(R("up/sub/a/new.txt"), FILE_ATTRIBUTE_READONLY));
    EXPECT_NE(GetFileAttributes(R("up/sub/a/new.txt")) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(SetFileAttributes(R("up/sub/a/new.txt"), 0));
    // A rename that only changes letter case, and one into another folder.
    EXPECT_TRUE(MoveFile(R("up/sub/a/new.txt"), R("up/sub/a/NEW.TXT")));
    EXPECT_TRUE(MoveFile(R("up/sub/a/NEW.TXT"), R("up/Moved.txt")));
    EXPECT_FALSE(MoveFile(R("up/Moved.txt"), R("up/real.txt")));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_TRUE(DeleteFile(R("UP/MOVED.TXT")));
    EXPECT_FALSE(fs::exists(m_dir.Path() / "root/Up/Moved.txt"));
}

TEST_F(Beneath, MessagesNameThePathGivenNotTheDisk) {
    try {
        File::Open(R("/Up/Missing.txt"), Access::Read, Share::Read, Disposition::OpenExisting);
        FAIL();
    } catch (const FileError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("\"/Up/Missing.txt\""), std::string::npos) << what;
        EXPECT_EQ(what.find(m_dir.Folder()), std::string::npos) << what;
    }
}

// A delete or rename racing an upload either is refused or comes before the
// upload's open: a file that was opened is still the file at its name while
// it is held, so what is written there is never written into a removed file.
TEST_F(Beneath, DeleteAndRenameNeverTakeAFileFromUnderAnOpen) {
    const RootedPath target = R("Up/Race.txt");
    for (const bool rename : {false, true}) {
        std::atomic<bool> done{false};
        std::thread remover([&] {
            while (!done) {
                if (rename)
                    MoveFile(target, R("Up/Away.txt")) && DeleteFile(R("Up/Away.txt"));
                else
                    DeleteFile(target);
            }
        });
        int opened = 0;
        int lost = 0;
        for (int round = 0; round < 2000; ++round) {
            auto file = File::TryOpen(target, Access::Write, Share::Read, Disposition::OpenAlways);
            if (!file)
                continue;
            ++opened;
            struct stat held {};
            struct stat named {};
            ::fstat(file->Fd(), &held);
            if (::stat(file->Path().c_str(), &named) != 0 || named.st_ino != held.st_ino)
                ++lost;
        }
        done = true;
        remover.join();
        EXPECT_GT(opened, 0);
        EXPECT_EQ(lost, 0) << (rename ? "rename" : "delete");
    }
}

// A file is deleted for a caller that read it only while it is still that file as read.
TEST_F(Beneath, DeleteIfUnchangedLeavesAFileThatChanged) {
    const RootedPath part = R("Up/part");
    auto identityNow = [&] {
        return File::Open(part, Access::Read, Share::ReadWrite, Disposition::OpenExisting)
            .Identity();
    };
    struct Row {
        const char* name;
        std::function<void()> meanwhile;
        int error; // 0: deleted
    };
    const Row rows[] = {
        {"unchanged", [] {}, 0},
        {"written", [&] { WriteFileBytes(m_dir.Path() / "root/Up/part", "new!"); }, ESTALE},
        {"replaced",
         [&] {
             WriteFileBytes(m_dir.Path() / "root/Up/other", "part");
             fs::rename(m_dir.Path() / "root/Up/other", m_dir.Path() / "root/Up/part");
         },
         ESTALE},
        {"made read-only", [&] { SetFileAttributes(part, FILE_ATTRIBUTE_READONLY); }, EACCES},
        {"renamed away",
         [&] { fs::rename(m_dir.Path() / "root/Up/part", m_dir.Path() / "root/Up/x"); }, ENOENT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteFileBytes(m_dir.Path() / "root/Up/part", "part");
        const FileIdentity identity = identityNow();
        row.meanwhile();
        errno = 0;
        EXPECT_EQ(DeleteFileIfUnchanged(part, identity), row.error == 0);
        EXPECT_EQ(errno, row.error);
        EXPECT_EQ(fs::exists(m_dir.Path() / "root/Up/part"), row.error != 0 && row.error != ENOENT);
        SetFileAttributes(part, 0);
        fs::remove(m_dir.Path() / "root/Up/part");
        fs::remove(m_dir.Path() / "root/Up/x");
    }
    // Held open by another (an upload that has not written yet): left alone too.
    WriteFileBytes(m_dir.Path() / "root/Up/part", "part");
    const FileIdentity identity = identityNow();
    auto upload = File::Open(part, Access::Write, Share::None, Disposition::OpenAlways);
    EXPECT_FALSE(DeleteFileIfUnchanged(part, identity));
    EXPECT_EQ(errno, EBUSY);
    upload.Close();
    EXPECT_TRUE(DeleteFileIfUnchanged(part, identity));
}
