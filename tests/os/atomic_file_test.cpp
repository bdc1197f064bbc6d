#include "platform/os/atomic_file.h"

#include "platform/os/file_error.h"
#include "platform/os/paths.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vdx::os;
using vdx::test::ReadFileBytes;
using vdx::test::TempDir;
using vdx::test::WriteFileBytes;

TEST(Paths, SplitsTheProgramConvention) {
    EXPECT_EQ(ExtractFilePath("/inst/VdxFtpServer/VdxFtpServer"), "/inst/VdxFtpServer/");
    EXPECT_EQ(ExtractFileName("/inst/VdxFtpServer/VdxFtpServer"), "VdxFtpServer");
    EXPECT_EQ(ExtractFilePath(ExcludeTrailingPathDelimiter("/inst/VdxFtpServer/")), "/inst/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/inst"), "/inst/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/inst/"), "/inst/");
    EXPECT_EQ(ChangeFileExt("/a.b/prog.exe", ""), "/a.b/prog");
    EXPECT_EQ(ChangeFileExt("/a.b/prog", ".rtf"), "/a.b/prog.rtf");
    EXPECT_EQ(ExtractFileExt("/a.b/prog"), "");
    EXPECT_FALSE(ProgramPath().empty());
}

TEST(AtomicFile, ReplacesContentAndKeepsPermissionsAndOwnership) {
    TempDir dir;
    const std::string path = dir.Folder() + "Users.xml";
    WriteFileBytes(path, "old");
    struct stat old {};
    ASSERT_EQ(::stat(path.c_str(), &old), 0);
    // Root can hand the file to anybody; others keep their own.
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 4242 : old.st_uid;
    const gid_t group = root ? 4343 : old.st_gid;
    ASSERT_EQ(::chown(path.c_str(), owner, group), 0);
    ::chmod(path.c_str(), 02640);
    WriteFileAtomically(path, "new content");
    EXPECT_EQ(ReadFileBytes(path), "new content");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 02640u);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);
}

TEST(AtomicFile, SymbolicLinkStaysAndItsTargetIsReplaced) {
    TempDir dir;
    const std::string target = dir.Folder() + "shared.xml";
    const std::string link = dir.Folder() + "Users.xml";
    WriteFileBytes(target, "old");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    WriteFileAtomically(link, "new");
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFileBytes(target), "new");
}

TEST(AtomicFile, FailureLeavesOldFileAndNoLeftovers) {
    TempDir dir;
    EXPECT_THROW(WriteFileAtomically(dir.Folder() + "missing/Users.xml", "x"), FileError);
    const std::string path = dir.Folder() + "Users.xml";
    WriteFileBytes(path, "old");
    ::chmod(dir.Path().c_str(), 0500);
    if (::geteuid() != 0) { // root writes anyway
        EXPECT_THROW(WriteFileAtomically(path, "new"), FileError);
        EXPECT_EQ(ReadFileBytes(path), "old");
    }
    ::chmod(dir.Path().c_str(), 0700);
}

TEST(AtomicFile, WriterKilledMidwayLeavesOldFileReadable) {
    TempDir dir;
    const std::string path = dir.Folder() + "Settings.xml";
    WriteFileBytes(path, "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::string big(64 << 20, 'x');
        for (;;)
            WriteFileAtomically(path, big);
    }
    ::usleep(50'000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string content = ReadFileBytes(path);
    EXPECT_TRUE(content == "old" || content.size() == (64u << 20));
}

namespace {

// An hour ago, as a save killed long before this one left its temporary.
void Backdate(const std::string& path) {
    const std::time_t then = std::time(nullptr) - 3600;
    const timespec times[2] = {{then, 0}, {then, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// The names in dir that start with prefix.
std::vector<std::string> NamesStartingWith(const TempDir& dir, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        if (e.path().filename().string().starts_with(prefix))
            names.push_back(e.path().filename().string());
    return names;
}

} // namespace

TEST(AtomicFile, StaleTemporariesOfTheFileGoAndNothingElse) {
    TempDir dir;
    const std::string path = dir.Folder() + "Users.xml";
    WriteFileBytes(path, "content");
    WriteFileBytes(dir.Folder() + "target", "kept");
    enum Kind { File, Folder, Link, Young };
    struct Case {
        const char* name;
        Kind kind;
        bool removed;
    };
    const Case cases[] = {
        {".Users.xml.Ab12Cd", File, true},    {".Users.xml.000000", File, true},
        {".Users.xml.Ab12C", File, false},    {".Users.xml.Ab12Cde", File, false},
        {".Users.xml.Ab-2Cd", File, false},   {"Users.xml.Ab12Cd", File, false},
        {".users.xml.Ab12Cd", File, false},   {".Settings.xml.Ab12Cd", File, false},
        {".Users.xml.Fo12Cd", Folder, false}, {".Users.xml.Li12Cd", Link, false},
        {".Users.xml.Yo12Cd", Young, false}, // may be a writer's that has not locked it yet
    };
    for (const Case& c : cases) {
        const std::string p = dir.Folder() + c.name;
        if (c.kind == Folder)
            std::filesystem::create_directory(p);
        else if (c.kind == Link)
            std::filesystem::create_symlink(dir.Folder() + "target", p);
        else
            WriteFileBytes(p, "left over");
        if (c.kind != Young)
            Backdate(p);
    }
    RemoveStaleTemporaries(path);
    for (const Case& c : cases)
        EXPECT_EQ(std::filesystem::exists(std::filesystem::symlink_status(dir.Folder() + c.name)),
                  !c.removed)
            << c.name;
    EXPECT_EQ(ReadFileBytes(path), "content");
    EXPECT_EQ(ReadFileBytes(dir.Folder() + "target"), "kept");
}

TEST(AtomicFile, ALiveWritersTemporaryStaysAKilledOnesGoes) {
    TempDir dir;
    const std::string path = dir.Folder() + "users.ini";
    WriteFileBytes(path, "old");
    {
        StagedFile staged(path, "new");
        const auto names = NamesStartingWith(dir, ".users.ini.");
        ASSERT_EQ(names.size(), 1u);
        Backdate(dir.Folder() + names[0]);
        RemoveStaleTemporaries(path);
        EXPECT_EQ(NamesStartingWith(dir, ".users.ini."), names) << "staged long ago, still live";
        staged.Commit();
    }
    EXPECT_EQ(ReadFileBytes(path), "new");

    // Killed between staging and renaming: its lock ends with it.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        [[maybe_unused]] auto* leaked = new StagedFile(path, "never");
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto names = NamesStartingWith(dir, ".users.ini.");
    ASSERT_EQ(names.size(), 1u);
    RemoveStaleTemporaries(path);
    EXPECT_EQ(NamesStartingWith(dir, ".users.ini."), names) << "too young to tell";
    Backdate(dir.Folder() + names[0]);
    RemoveStaleTemporaries(path);
    EXPECT_TRUE(NamesStartingWith(dir, ".users.ini.").empty());
    EXPECT_EQ(ReadFileBytes(path), "new");
}

TEST(AtomicFile, StaleTemporariesAreLookedForBesideTheFileALinkNames) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "real");
    WriteFileBytes(dir.Path() / "real" / "users.ini", "x");
    const std::string link = dir.Folder() + "users.ini";
    std::filesystem::create_symlink(dir.Path() / "real" / "users.ini", link);
    const std::string stale = dir.Folder() + "real/.users.ini.Zz99zz";
    WriteFileBytes(stale, "left over");
    Backdate(stale);
    RemoveStaleTemporaries(link);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_EQ(ReadFileBytes(link), "x");
}
