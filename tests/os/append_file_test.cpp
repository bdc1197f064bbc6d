// Whole-record appends to a log that others read and may hold.

#include "platform/os/append_file.h"

#include "platform/os/winfile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

using namespace vdx::os;
using vdx::test::ReadFileBytes;
using vdx::test::TempDir;
using vdx::test::WriteFileBytes;

TEST(AppendFile, EveryRecordStartsALineOfItsOwn) {
    struct Row {
        const char* name;
        std::optional<std::string> before; // nullopt: no file yet
        std::string expected;
    };
    const Row rows[] = {
        {"no file yet", std::nullopt, "rec\r\n"},
        {"empty", "", "rec\r\n"},
        {"after whole lines", "a\r\nb\r\n", "a\r\nb\r\nrec\r\n"},
        {"after a torn line", "half", "half\r\nrec\r\n"},
        {"code page bytes untouched", "\x80\xe9\xff\r\n", "\x80\xe9\xff\r\nrec\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string path = dir.Folder() + "VdxFtpServer.log";
        if (row.before)
            WriteFileBytes(path, *row.before);
        ASSERT_TRUE(AppendRecord(path, "rec\r\n"));
        EXPECT_EQ(ReadFileBytes(path), row.expected);
    }
}

TEST(AppendFile, GoesAroundEveryShareModeAndFindsTheNameInAnyCase) {
    TempDir dir;
    WriteFileBytes(dir.Folder() + "vdxftpserver.log", "old\r\n");
    const File held = File::Open(dir.Folder() + "vdxftpserver.log", Access::ReadWrite, Share::None,
                                 Disposition::OpenExisting);
    ASSERT_TRUE(AppendRecord(dir.Folder() + "VdxFtpServer.log", "new\r\n"));
    EXPECT_EQ(ReadFileBytes(dir.Folder() + "vdxftpserver.log"), "old\r\nnew\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Folder() + "VdxFtpServer.log"));
}

// A writer that keeps the file open between appends still writes where the
// name stands at each append, as one that opened it every time would.
TEST(AppendFile, KeptOpenFollowsTheName) {
    struct Row {
        const char* name;
        std::function<void(const std::string& path)> between; // after the first append
        std::string atName;                                   // then, after the second
        std::string elsewhere;                                // what "moved.log" holds
    };
    const Row rows[] = {
        {"left alone", [](const std::string&) {}, "one\r\ntwo\r\n", ""},
        {"deleted", [](const std::string& p) { std::filesystem::remove(p); }, "two\r\n", ""},
        {"renamed away",
         [](const std::string& p) {
             std::filesystem::rename(p, std::filesystem::path(p).parent_path() / "moved.log");
         },
         "two\r\n", "one\r\n"},
        {"replaced by another file",
         [](const std::string& p) {
             WriteFileBytes(p + ".new", "other\r\n");
             std::filesystem::rename(p + ".new", p);
         },
         "other\r\ntwo\r\n", ""},
        {"cut by another writer to a torn line",
         [](const std::string& p) { WriteFileBytes(p, "x"); }, "x\r\ntwo\r\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string path = dir.Folder() + "VdxFtpServer.log";
        AppendFile file(path);
        ASSERT_TRUE(file.Append("one\r\n"));
        row.between(path);
        ASSERT_TRUE(file.Append("two\r\n"));
        EXPECT_EQ(ReadFileBytes(path), row.atName);
        const std::string moved = dir.Folder() + "moved.log";
        EXPECT_EQ(std::filesystem::exists(moved) ? ReadFileBytes(moved) : "", row.elsewhere);
    }
}

TEST(AppendFile, KeptOpenStillRefusesWhatAppendRecordRefuses) {
    TempDir dir;
    const std::string path = dir.Folder() + "VdxFtpServer.log";
    AppendFile file(path);
    ASSERT_TRUE(file.Append("one\r\n"));
    // The read-only attribute, set while the file is held, holds from the next append on.
    ASSERT_TRUE(SetFileAttributes(path, FILE_ATTRIBUTE_READONLY));
    errno = 0;
    EXPECT_FALSE(file.Append("two\r\n"));
    EXPECT_EQ(errno, EACCES);
    ASSERT_TRUE(SetFileAttributes(path, FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(file.Append("three\r\n"));
    // A folder in the file's place is refused, and nothing lands in it.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(file.Append("four\r\n"));
    EXPECT_TRUE(std::filesystem::is_empty(path));
}
