#include "platform/os/winfile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vdx::os;
using vdx::test::ReadFileBytes;
using vdx::test::TempDir;
using vdx::test::WriteFileBytes;

namespace {

class WinFile : public ::testing::Test {
protected:
    std::string P(const std::string& relative) const { return m_dir.Folder() + relative; }
    void MakeDir(const std::string& relative) const {
        ASSERT_EQ(::mkdir(P(relative).c_str(), 0755), 0) << relative;
    }
    void MakeFile(const std::string& relative, const std::string& content = "x") const {
        WriteFileBytes(P(relative), content);
    }

    TempDir m_dir;
};

// errno of an open on another thread, 0 when it succeeded.
int OpenOnOtherThread(const std::string& path, Access access, Share share) {
    return std::async(std::launch::async,
                      [&] {
                          auto file = File::TryOpen(path, access, share, Disposition::OpenExisting);
                          return file ? 0 : errno;
                      })
        .get();
}

std::set<std::string> Names(const std::vector<FindData>& found) {
    std::set<std::string> names;
    for (const auto& f : found)
        names.insert(f.name);
    return names;
}

} // namespace

TEST_F(WinFile, ResolveCaseMatchesExactFirstThenIgnoringCase) {
    MakeDir("VdxTxtServer");
    MakeDir("VdxTxtServer/transfer");
    MakeDir("VdxTxtServer/transfer/anna");
    MakeFile("VdxTxtServer/transfer/anna/P100.tti");
    MakeDir("Mixed");
    MakeDir("mixed");
    struct Row {
        const char* name;
        std::string given, expected;
    };
    const Row rows[] = {
        {"exact", "VdxTxtServer/transfer/anna", "VdxTxtServer/transfer/anna"},
        {"other case", "vdxtxtserver/TRANSFER/anna", "VdxTxtServer/transfer/anna"},
        {"file", "VDXTXTSERVER/transfer/ANNA/p100.TTI", "VdxTxtServer/transfer/anna/P100.tti"},
        {"new file keeps its case", "vdxtxtserver/transfer/ANNA/New.TXT",
         "VdxTxtServer/transfer/anna/New.TXT"},
        {"all from the first missing level as given", "VDXTXTSERVER/Missing/ANNA/x",
         "VdxTxtServer/Missing/ANNA/x"},
        {"trailing slash kept", "vdxtxtserver/Transfer/", "VdxTxtServer/transfer/"},
        {"doubled slash kept", "vdxtxtserver//transfer", "VdxTxtServer//transfer"},
        {"exact wins over another case", "mixed", "mixed"},
        {"exact wins, upper", "Mixed", "Mixed"},
        {"dots taken literally", "vdxtxtserver/../VDXTXTSERVER/transfer",
         "VdxTxtServer/../VdxTxtServer/transfer"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ResolveCase(P(row.given)), P(row.expected));
    }
    EXPECT_EQ(ResolveCase(""), "");
}

TEST_F(WinFile, ResolveCaseKeepsUpWithEveryChangeToTheFolder) {
    // Folders are read once and then followed: each look must see what the folder holds now,
    // whoever changed it and however.
    MakeDir("up");
    MakeDir("elsewhere");
    for (int i = 0; i < 50; ++i)
        MakeFile("up/F" + std::to_string(i) + ".tti");
    auto run = [](int result) { ASSERT_EQ(result, 0) << std::strerror(errno); };
    struct Step {
        const char* name;
        std::function<void()> change;
        std::string given, expected;
    };
    const Step steps[] = {
        {"first look reads the folder", [] {}, "up/f7.TTI", "up/F7.tti"},
        {"created", [&] { MakeFile("up/Page.TTI"); }, "up/page.tti", "up/Page.TTI"},
        {"deleted", [&] { run(::unlink(P("up/Page.TTI").c_str())); }, "up/page.tti", "up/page.tti"},
        {"renamed inside", [&] { run(::rename(P("up/F1.tti").c_str(), P("up/G1.tti").c_str())); },
         "up/g1.TTI", "up/G1.tti"},
        {"old name gone", [] {}, "up/f1.tti", "up/f1.tti"},
        {"moved in",
         [&] {
             MakeFile("elsewhere/In.txt");
             run(::rename(P("elsewhere/In.txt").c_str(), P("up/In.txt").c_str()));
         },
         "up/IN.TXT", "up/In.txt"},
        {"moved out", [&] { run(::rename(P("up/F2.tti").c_str(), P("elsewhere/F2.tti").c_str())); },
         "up/f2.tti", "up/f2.tti"},
        {"subfolder made", [&] { MakeDir("up/Sub"); }, "up/SUB/x", "up/Sub/x"},
        {"folder moved away, another made in its place",
         [&] {
             run(::rename(P("up").c_str(), P("old").c_str()));
             MakeDir("up");
             MakeFile("up/New.tti");
         },
         "up/f7.tti", "up/f7.tti"},
        {"the new folder is read", [] {}, "up/NEW.TTI", "up/New.tti"},
        {"the moved folder is still followed", [&] { MakeFile("old/Late.tti"); }, "old/late.tti",
         "old/Late.tti"},
        {"folder removed and made again",
         [&] {
             std::filesystem::remove_all(P("up"));
             MakeDir("up");
         },
         "up/new.tti", "up/new.tti"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        EXPECT_EQ(ResolveCase(P(step.given)), P(step.expected));
    }
}

TEST_F(WinFile, EveryOperationResolvesCase) {
    MakeDir("VdxTxtServer");
    MakeDir("VdxTxtServer/transfer");
    MakeFile("VdxTxtServer/transfer/Page.tti", "content");

    EXPECT_TRUE(FileExists(P("vdxtxtserver/TRANSFER/page.TTI")));
    EXPECT_TRUE(DirectoryExists(P("VDXTXTSERVER/transfer")));
    EXPECT_FALSE(FileExists(P("VDXTXTSERVER/transfer")));
    EXPECT_FALSE(DirectoryExists(P("vdxtxtserver/transfer/page.tti")));

    File in = File::Open(P("vdxtxtserver/transfer/PAGE.tti"), Access::Read, Share::None,
                         Disposition::OpenExisting);
    EXPECT_EQ(in.Path(), P("VdxTxtServer/transfer/Page.tti"));
    char buf[16] = {};
    EXPECT_EQ(in.Read(buf, sizeof buf), 7u);
    EXPECT_EQ(std::string(buf), "content");
    in.Close();

    File::Open(P("vdxtxtserver/TRANSFER/Upload.BIN"), Access::Write, Share::None,
               Disposition::CreateAlways);
    EXPECT_TRUE(FileExists(P("VdxTxtServer/transfer/Upload.BIN")));

    EXPECT_TRUE(ForceDirectories(P("VDXTXTSERVER/Transfer/bob/Sub/")));
    EXPECT_TRUE(DirectoryExists(P("VdxTxtServer/transfer/bob/Sub")));
    EXPECT_TRUE(ForceDirectories(P("vdxtxtserver/transfer/BOB")));
    EXPECT_TRUE(RemoveDir(P("vdxtxtserver/transfer/BOB/sub")));
    EXPECT_TRUE(CreateDir(P("VdxTxtServer/TRANSFER/bob/Two")));
    EXPECT_TRUE(DirectoryExists(P("VdxTxtServer/transfer/bob/Two")));

    EXPECT_TRUE(
        MoveFile(P("vdxtxtserver/transfer/upload.bin"), P("VDXTXTSERVER/transfer/bob/Moved.bin")));
    EXPECT_TRUE(FileExists(P("VdxTxtServer/transfer/bob/Moved.bin")));
    EXPECT_TRUE(DeleteFile(P("vdxtxtserver/transfer/BOB/moved.BIN")));
    EXPECT_FALSE(FileExists(P("VdxTxtServer/transfer/bob/Moved.bin")));
}

TEST_F(WinFile, ShareModesFollowWindowsBetweenThreads) {
    MakeFile("shared.dat", "data");
    struct Row {
        const char* name;
        Access firstAccess;
        Share firstShare;
        Access secondAccess;
        Share secondShare;
        bool secondOpens;
    };
    const Row rows[] = {
        {"two exclusive readers", Access::Read, Share::None, Access::Read, Share::None, false},
        {"exclusive writer and a tolerant reader", Access::Write, Share::None, Access::Read,
         Share::ReadWrite, false},
        {"exclusive reader and a tolerant reader", Access::Read, Share::None, Access::Read,
         Share::ReadWrite, false},
        {"two readers that let others read", Access::Read, Share::Read, Access::Read, Share::Read,
         true},
        {"two appenders that let others only read", Access::Write, Share::Read, Access::Write,
         Share::Read, false},
        {"appender and a reader that denies writing", Access::Write, Share::Read, Access::Read,
         Share::Read, false},
        {"appender and a reader that lets others write", Access::Write, Share::Read, Access::Read,
         Share::ReadWrite, true},
        {"reader that denies writing and a writer", Access::Read, Share::Read, Access::Write,
         Share::ReadWrite, false},
        {"two that share everything", Access::ReadWrite, Share::ReadWrite, Access::ReadWrite,
         Share::ReadWrite, true},
        {"exclusive read-write and a tolerant reader", Access::ReadWrite, Share::None, Access::Read,
         Share::ReadWrite, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        {
            File first = File::Open(P("shared.dat"), row.firstAccess, row.firstShare,
                                    Disposition::OpenExisting);
            EXPECT_EQ(OpenOnOtherThread(P("shared.dat"), row.secondAccess, row.secondShare),
                      row.secondOpens ? 0 : EBUSY);
        }
        EXPECT_EQ(OpenOnOtherThread(P("shared.dat"), row.secondAccess, row.secondShare), 0)
            << "after the first one closed";
    }
}

TEST_F(WinFile, SharingViolationMessageAndNoTruncation) {
    MakeFile("upload.bin", "half an upload");
    File holder =
        File::Open(P("upload.bin"), Access::Write, Share::None, Disposition::OpenExisting);
    try {
        File::Open(P("upload.bin"), Access::Write, Share::None, Disposition::CreateAlways);
        FAIL() << "second exclusive open succeeded";
    } catch (const FileError& e) {
        EXPECT_EQ(e.Error(), EBUSY);
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + P("upload.bin") +
                      "\". The process cannot access the file because it is being used by "
                      "another process.");
    }
    EXPECT_EQ(ReadFileBytes(P("upload.bin")), "half an upload");
    holder.Close();
    File::Open(P("upload.bin"), Access::Write, Share::None, Disposition::CreateAlways);
    EXPECT_EQ(ReadFileBytes(P("upload.bin")), "");
}

TEST_F(WinFile, ShareModesHoldBetweenProcesses) {
    MakeFile("log.txt", "");
    int toParent[2], toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto held =
            File::TryOpen(P("log.txt"), Access::Write, Share::Read, Disposition::OpenExisting);
        char c = held ? 'y' : 'n';
        (void)!::write(toParent[1], &c, 1);
        (void)!::read(toChild[0], &c, 1); // hold until told
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(toParent[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_FALSE(File::TryOpen(P("log.txt"), Access::Write, Share::Read, Disposition::OpenAlways));
    EXPECT_EQ(errno, EBUSY);
    EXPECT_TRUE(
        File::TryOpen(P("log.txt"), Access::Read, Share::ReadWrite, Disposition::OpenExisting));
    (void)!::write(toChild[1], &c, 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(File::TryOpen(P("log.txt"), Access::Write, Share::Read, Disposition::OpenAlways));
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        ::close(fd);
}

TEST_F(WinFile, OpenFilesCannotBeDeletedOrMoved) {
    MakeFile("busy.txt", "busy");
    {
        File reader =
            File::Open(P("busy.txt"), Access::Read, Share::ReadWrite, Disposition::OpenExisting);
        EXPECT_FALSE(DeleteFile(P("busy.txt")));
        EXPECT_EQ(errno, EBUSY);
        EXPECT_FALSE(MoveFile(P("busy.txt"), P("moved.txt")));
        EXPECT_EQ(errno, EBUSY);
        EXPECT_TRUE(FileExists(P("busy.txt")));
        EXPECT_FALSE(FileExists(P("moved.txt")));
    }
    EXPECT_TRUE(MoveFile(P("busy.txt"), P("moved.txt")));
    EXPECT_TRUE(DeleteFile(P("moved.txt")));
}

TEST_F(WinFile, DispositionsAndWhatCannotBeOpened) {
    MakeFile("old.txt", "old content");
    MakeDir("folder");
    ASSERT_EQ(::mkfifo(P("pipe").c_str(), 0644), 0);
    struct Row {
        const char* name;
        std::string path;
        Access access;
        Disposition disposition;
        int error; // 0: opens
    };
    const Row rows[] = {
        {"open existing of a missing file", "missing.txt", Access::Read, Disposition::OpenExisting,
         ENOENT},
        {"create new over an existing file", "old.txt", Access::Write, Disposition::CreateNew,
         EEXIST},
        {"create new", "new1.txt", Access::Write, Disposition::CreateNew, 0},
        {"open always creates", "new2.txt", Access::ReadWrite, Disposition::OpenAlways, 0},
        {"open always keeps content", "old.txt", Access::ReadWrite, Disposition::OpenAlways, 0},
        {"missing parent folder", "nowhere/x.txt", Access::Write, Disposition::CreateAlways,
         ENOENT},
        {"a folder for reading", "folder", Access::Read, Disposition::OpenExisting, EISDIR},
        {"a folder for writing", "folder", Access::Write, Disposition::OpenExisting, EISDIR},
        {"a folder created over", "folder", Access::Write, Disposition::CreateAlways, EISDIR},
        {"a FIFO is no file and does not block", "pipe", Access::Read, Disposition::OpenExisting,
         EACCES},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto file = File::TryOpen(P(row.path), row.access, Share::None, row.disposition);
        EXPECT_EQ(file ? 0 : errno, row.error);
    }
    EXPECT_EQ(ReadFileBytes(P("old.txt")), "old content");
    try {
        File::Open(P("missing.txt"), Access::Read, Share::None, Disposition::OpenExisting);
        FAIL();
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + P("missing.txt") + "\". No such file or directory");
    }

    File dir = File::Open(P("FOLDER"), Access::ReadWrite, Share::None, Disposition::OpenExisting,
                          /*allowDirectory=*/true);
    const FileTime stamp = DosDateTimeToFileTime(0x5865'3884u);
    EXPECT_TRUE(dir.SetTimes(stamp, std::nullopt, std::nullopt));
    EXPECT_EQ(dir.Times().lastWrite, stamp);
}

TEST_F(WinFile, ReadWriteSeekAndLargeSizes) {
    File f = File::Open(P("data.bin"), Access::ReadWrite, Share::None, Disposition::CreateNew);
    f.WriteAll("hello world", 11);
    EXPECT_EQ(f.Size(), 11);
    EXPECT_EQ(f.Seek(6, SEEK_SET), 6);
    char buf[8] = {};
    EXPECT_EQ(f.Read(buf, 5), 5u);
    EXPECT_EQ(std::string(buf), "world");
    EXPECT_EQ(f.Read(buf, 5), 0u);

    const std::int64_t big = 5LL << 30; // sparse
    EXPECT_EQ(f.Seek(big - 1, SEEK_SET), big - 1);
    f.WriteAll("z", 1);
    EXPECT_EQ(f.Size(), big);
    f.Close();
    EXPECT_EQ(FindFile(P("data.bin"))->size, static_cast<std::uint64_t>(big));
}

TEST_F(WinFile, TimesAreSetAndReadBack) {
    MakeFile("t.txt");
    File f = File::Open(P("t.txt"), Access::ReadWrite, Share::None, Disposition::OpenExisting);
    const FileTimes before = f.Times();
    EXPECT_NE(before.creation, 0);
    const FileTime access = DosDateTimeToFileTime(0x5865'3884u);
    // Only the last-access time: the others stay; a creation time is ignored without error.
    EXPECT_TRUE(f.SetTimes(std::nullopt, access, DosDateTimeToFileTime(0x2021'0000u)));
    const FileTimes after = f.Times();
    EXPECT_EQ(after.lastAccess, access);
    EXPECT_EQ(after.lastWrite, before.lastWrite);
    EXPECT_EQ(after.creation, before.creation);
    const FileTime write = DosDateTimeToFileTime(0x4021'0000u);
    EXPECT_TRUE(f.SetTimes(write, std::nullopt, std::nullopt));
    EXPECT_EQ(f.Times().lastWrite, write);
    EXPECT_EQ(f.Times().lastAccess, access);
    f.Close();
    EXPECT_EQ(FindFile(P("T.TXT"))->times.lastWrite, write);
}

TEST_F(WinFile, AttributesAndTheReadOnlyFlag) {
    MakeFile("plain.txt");
    MakeFile(".hidden");
    MakeDir("folder");
    EXPECT_EQ(GetFileAttributes(P("plain.txt")), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributes(P(".hidden")), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributes(P("Folder/")), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributes(P("missing")), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetFileAttributes(P("missing"), 0));

    ASSERT_TRUE(SetFileAttributes(P("PLAIN.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributes(P("plain.txt")), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    struct stat st {};
    ASSERT_EQ(::stat(P("plain.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    // Read-only holds for every user, root included, as on Windows.
    EXPECT_FALSE(
        File::TryOpen(P("plain.txt"), Access::Write, Share::None, Disposition::OpenExisting));
    EXPECT_EQ(errno, EACCES);
    EXPECT_FALSE(
        File::TryOpen(P("plain.txt"), Access::Read, Share::None, Disposition::CreateAlways));
    EXPECT_TRUE(
        File::TryOpen(P("plain.txt"), Access::Read, Share::None, Disposition::OpenExisting));
    EXPECT_FALSE(DeleteFile(P("plain.txt")));
    EXPECT_EQ(errno, EACCES);

    ASSERT_TRUE(SetFileAttributes(P("plain.txt"), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributes(P("plain.txt")), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(DeleteFile(P("plain.txt")));
}

TEST_F(WinFile, FindFilesMasks) {
    for (const char* name : {"README", "x.txt", "x.txt.bak", "Data.TXT", ".hidden", "abc"})
        MakeFile(name);
    MakeDir("Sub");
    const std::set<std::string> all = {".",        "..",      "README", "x.txt", "x.txt.bak",
                                       "Data.TXT", ".hidden", "abc",    "Sub"};
    struct Row {
        const char* mask;
        std::set<std::string> expected;
    };
    const Row rows[] = {
        {"*.*", all},
        {"*", all},
        {"*.txt", {"x.txt", "Data.TXT"}},
        {"x.txt*.*", {"x.txt", "x.txt.bak"}},
        {"?.TXT", {"x.txt"}},
        {"*.", {".", "..", "README", "abc", "Sub"}},
        {"abc.", {"abc"}},
        {"DATA.txt", {"Data.TXT"}},
        {".*", {".", "..", ".hidden"}},
        {"*.bak", {"x.txt.bak"}},
        {"nothing*", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mask);
        const auto found = FindFiles(P(row.mask));
        EXPECT_EQ(Names(found), row.expected);
        EXPECT_EQ(found.size(), row.expected.size()) << "each entry once";
        if (row.expected.count(".") != 0) {
            ASSERT_GE(found.size(), 2u);
            EXPECT_EQ(found[0].name, ".");
            EXPECT_EQ(found[1].name, "..");
        }
    }
    EXPECT_TRUE(FindFiles(P("missing/*.*")).empty());
    EXPECT_TRUE(FindFiles(P("")).empty());
    EXPECT_EQ(Names(FindFiles(P("sub/*.*"))), (std::set<std::string>{".", ".."}));
}

TEST_F(WinFile, FindFilesFacts) {
    MakeFile("five.txt", "12345");
    MakeFile(".dot", "");
    MakeDir("Sub");
    ASSERT_EQ(::symlink(P("five.txt").c_str(), P("link").c_str()), 0);
    ASSERT_EQ(::symlink(P("gone").c_str(), P("dangling").c_str()), 0);
    ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0644), 0);
    const auto found = FindFiles(P("*.*"));
    EXPECT_EQ(Names(found), (std::set<std::string>{".", "..", "five.txt", ".dot", "Sub", "link"}));
    for (const auto& f : found) {
        SCOPED_TRACE(f.name);
        if (f.name == "five.txt" || f.name == "link") {
            EXPECT_EQ(f.size, 5u);
            EXPECT_EQ(f.attributes, FILE_ATTRIBUTE_ARCHIVE);
            EXPECT_NE(f.times.lastWrite, 0);
            EXPECT_NE(f.times.creation, 0);
        } else if (f.name == ".dot") {
            EXPECT_EQ(f.attributes, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
        } else {
            EXPECT_EQ(f.attributes, FILE_ATTRIBUTE_DIRECTORY);
            EXPECT_EQ(f.size, 0u);
        }
    }
    EXPECT_EQ(FindFile(P("SUB/"))->name, "Sub");
    EXPECT_FALSE(FindFile(P("dangling")));
    EXPECT_FALSE(FindFile(P("fifo")));
}

TEST_F(WinFile, FolderAndMoveRules) {
    MakeFile("a.txt", "a");
    MakeFile("b.txt", "b");
    MakeDir("full");
    MakeFile("full/inside");

    EXPECT_FALSE(MoveFile(P("a.txt"), P("B.TXT")));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(ReadFileBytes(P("a.txt")), "a");
    EXPECT_EQ(ReadFileBytes(P("b.txt")), "b");
    EXPECT_TRUE(MoveFile(P("a.txt"), P("A.TXT"))) << "a change of case alone";
    EXPECT_EQ(ReadFileBytes(P("A.TXT")), "a");
    EXPECT_EQ(ResolveCase(P("a.txt")), P("A.TXT"));
    EXPECT_FALSE(MoveFile(P("missing"), P("x")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(MoveFile(P("full"), P("Renamed")));

    EXPECT_FALSE(CreateDir(P("renamed")));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_FALSE(RemoveDir(P("renamed")));
    EXPECT_EQ(errno, ENOTEMPTY);
    EXPECT_FALSE(DeleteFile(P("renamed")));
    EXPECT_EQ(errno, EISDIR);
    EXPECT_FALSE(CreateDir(P("no/such/parent")));
    EXPECT_FALSE(ForceDirectories(""));
    EXPECT_FALSE(ForceDirectories(P("b.txt/sub")));
    EXPECT_TRUE(DeleteFile(P("renamed/INSIDE")));
    EXPECT_TRUE(RemoveDir(P("RENAMED")));
}

TEST_F(WinFile, NamesWithNulNeverReachTheDisk) {
    MakeFile("x.txt", "kept");
    MakeDir("dir");
    const std::string nul = P(std::string("x.txt\0.jpg", 10));
    EXPECT_FALSE(File::TryOpen(nul, Access::Read, Share::Read, Disposition::OpenExisting));
    EXPECT_EQ(errno, EINVAL);
    EXPECT_THROW(File::Open(nul, Access::Write, Share::None, Disposition::CreateAlways), FileError);
    EXPECT_FALSE(FileExists(nul));
    EXPECT_FALSE(FindFile(nul));
    EXPECT_EQ(GetFileAttributes(nul), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetFileAttributes(nul, FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(DeleteFile(nul));
    EXPECT_FALSE(MoveFile(nul, P("y.txt")));
    EXPECT_FALSE(MoveFile(P("x.txt"), P(std::string("dir\0/y", 6))));
    EXPECT_TRUE(FindFiles(nul).empty());
    EXPECT_TRUE(FindFiles(P(std::string("dir\0/../*.*", 11))).empty());
    EXPECT_FALSE(DirectoryExists(P(std::string("dir\0x", 5))));
    EXPECT_FALSE(RemoveDir(P(std::string("dir\0x", 5))));
    EXPECT_FALSE(CreateDir(P(std::string("new\0x", 5))));
    EXPECT_FALSE(ForceDirectories(P(std::string("new\0x/y", 7))));
    EXPECT_EQ(ReadFileBytes(P("x.txt")), "kept");
    EXPECT_TRUE(DirectoryExists(P("dir")));
    EXPECT_FALSE(DirectoryExists(P("new")));
    EXPECT_EQ(GetFileAttributes(P("x.txt")), FILE_ATTRIBUTE_ARCHIVE);
}
