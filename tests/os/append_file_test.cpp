// Whole-record appends to a log that others read and may hold.

#include "platform/os/append_file.h"

#include "platform/os/winfile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
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
