#include "platform/os/atomic_file.h"

#include "platform/os/file_error.h"
#include "platform/os/paths.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
