// Log timestamp, file date stamp, host name and address, autostart entries.

#include "ftpengine/VdxSysRoutines.h"
#include "platform/os/datetime.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TEST(DateTimeToLogStr, FormatsLocalDateAndTime) {
    struct Row {
        os::DateTimeParts parts;
        const char* text;
    };
    const Row rows[] = {
        {{2024, 3, 5, 7, 4, 9, 0}, "2024-03-05 07:04:09"},
        {{1999, 12, 31, 12, 0, 0, 0}, "1999-12-31 12:00:00"},
        {{2000, 2, 29, 23, 59, 59, 500}, "2000-02-29 23:59:59"},
        {{1980, 1, 1, 0, 0, 0, 0}, "1980-01-01 00:00:00"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DateTimeToLogStr(os::EncodeDateTime(row.parts)), row.text);
}

TEST(GetFileDate, DosStampOfTheLastWriteInLocalTime) {
    TempDir dir;
    const std::string file = dir.Folder() + "VdxFtpServer.txt";
    WriteFileBytes(file, "x");
    std::tm local{};
    local.tm_year = 2021 - 1900;
    local.tm_mon = 5;
    local.tm_mday = 15;
    local.tm_hour = 13;
    local.tm_min = 45;
    local.tm_sec = 21;
    local.tm_isdst = -1;
    const timespec times[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const std::int32_t expected = static_cast<std::int32_t>(
        ((((2021 - 1980) << 9) | (6 << 5) | 15) << 16) | (13 << 11) | (45 << 5) | (20 / 2));
    for (const std::string& name :
         {file, dir.Folder() + "VDXFTPSERVER.TXT", dir.Folder() + "*.txt"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(GetFileDate(name), expected);
    }
    EXPECT_EQ(GetFileDate(dir.Folder() + "missing.txt"), -1);
    EXPECT_EQ(GetFileDate(dir.Folder() + "nothing/*.*"), -1);
}

TEST(HostRoutines, ComputerNameAndAddress) {
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    const std::string name = host;
    EXPECT_EQ(GetLocalComputerName(), name.size() <= 15 ? name : std::string());
    EXPECT_EQ(GetHostIPAddress("localhost"), "127.0.0.1");
}

// Points the user and the system configuration folders into a temporary folder.
class AutoRun : public ::testing::Test {
protected:
    AutoRun() : m_home(Saved("XDG_CONFIG_HOME")), m_dirs(Saved("XDG_CONFIG_DIRS")) {
        ::setenv("XDG_CONFIG_HOME", (dir.Folder() + "home").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (dir.Folder() + "system:/etc/xdg").c_str(), 1);
    }
    ~AutoRun() override {
        Restore("XDG_CONFIG_HOME", m_home);
        Restore("XDG_CONFIG_DIRS", m_dirs);
    }

    static std::optional<std::string> Saved(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

    TempDir dir;
    const std::string command = "/opt/Vdx Inst/VdxFtpServer/VdxFtpServer";

private:
    std::optional<std::string> m_home, m_dirs;
};

TEST_F(AutoRun, CurrentUserEntryIsWrittenTestedAndRemoved) {
    const std::string entry = dir.Folder() + "home/autostart/VdxFtpServer.desktop";
    EXPECT_FALSE(IsAutoRunSet("VdxFtpServer", command, false));
    EXPECT_FALSE(SetAutoRun("VdxFtpServer", "", false)) << "nothing to delete";

    EXPECT_TRUE(SetAutoRun("VdxFtpServer", command, false));
    ASSERT_TRUE(std::filesystem::exists(entry));
    EXPECT_NE(ReadFileBytes(entry).find("Exec="), std::string::npos);
    EXPECT_TRUE(IsAutoRunSet("VdxFtpServer", command, false));
    EXPECT_TRUE(IsAutoRunSet("VdxFtpServer", "/OPT/vdx inst/VDXFTPSERVER/VdxFtpServer", false));
    EXPECT_FALSE(IsAutoRunSet("VdxFtpServer", command + "2", false));
    EXPECT_FALSE(IsAutoRunSet("VdxFtpServer", command, true)) << "the other hive";

    EXPECT_TRUE(SetAutoRun("VdxFtpServer", "", false));
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_FALSE(IsAutoRunSet("VdxFtpServer", command, false));
    EXPECT_FALSE(SetAutoRun("VdxFtpServer", "", false));
}

TEST_F(AutoRun, LocalMachineEntryAndAFolderThatCannotBeWritten) {
    EXPECT_TRUE(SetAutoRun("VdxFtpServer", command, true));
    EXPECT_TRUE(std::filesystem::exists(dir.Folder() + "system/autostart/VdxFtpServer.desktop"));
    EXPECT_TRUE(IsAutoRunSet("VdxFtpServer", command, true));

    // A folder below a plain file can be created by nobody, root included.
    WriteFileBytes(dir.Path() / "plain", "");
    ::setenv("XDG_CONFIG_DIRS", (dir.Folder() + "plain/xdg").c_str(), 1);
    EXPECT_FALSE(SetAutoRun("VdxFtpServer", command, true));
    EXPECT_FALSE(SetAutoRun("VdxFtpServer", "", true));
    EXPECT_FALSE(IsAutoRunSet("VdxFtpServer", command, true));
}

} // namespace
} // namespace vdx
