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

TEST(AtomicFile, ReplacesContentAndKeepsPermissions) {
    TempDir dir;
    const std::string path = dir.Folder() + "Users.xml";
    WriteFileBytes(path, "old");
    ::chmod(path.c_str(), 0600);
    WriteFileAtomically(path, "new content");
    EXPECT_EQ(ReadFileBytes(path), "new content");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
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
