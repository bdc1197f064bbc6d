// The data module's own routines and its life cycle around the FTP component: path
// mapping, time conversions, passive ports, settings, start and stop.

#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VFGlobals.h"
#include "ftpengine/VdxFTPServerDataModule.h"
#include "platform/os/datetime.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace vdx {
namespace {

using test::TempDir;
using M = TVFTPServerDataModule;

os::TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return os::EncodeDateTime({year, month, day, hour, minute, second, 0});
}

os::FileTime FileTimeAt(int year, int month, int day, int hour = 0, int minute = 0,
                        int second = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    return os::TimespecToFileTime(timespec{timegm(&tm), 0});
}

TEST(DataModulePaths, DiskPathStaysBelowItsRoot) {
    struct Row {
        const char* root;
        const char* path;
        std::optional<os::RootedPath> disk;
    };
    const Row rows[] = {
        {"/inst/", "/VdxTxtServer/transfer/anna/x",
         os::RootedPath{"/inst/", "/VdxTxtServer/transfer/anna/x"}},
        {"/srv/admin", "/a\\b", os::RootedPath{"/srv/admin", "/a/b"}},
        {"/srv/admin", "//a\\\\\\b//", os::RootedPath{"/srv/admin", "/a/b/"}},
        {"/inst/", "/", os::RootedPath{"/inst/", "/"}},
        {"", "/x", os::RootedPath{"/", "/x"}},
        {"/inst/", "/%2e%2e/x", os::RootedPath{"/inst/", "/%2e%2e/x"}},
        {"/inst/", "/..", std::nullopt},
        {"/inst/", "/a/../../x", std::nullopt},
        {"/inst/", "/a\\..\\x", std::nullopt},
        {">>>>>/", "/Other/x", std::nullopt},
        {">>>>>", "/Other", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.root) + " + " + row.path);
        EXPECT_EQ(M::DiskPath(row.root, row.path), row.disk);
    }
    EXPECT_EQ(M::DiskPath("/inst/", std::string_view("/a\0b", 4)), std::nullopt);
}

TEST(DataModuleTimes, ConversionsGoThroughTheDosForm) {
    EXPECT_EQ(M::FileTimeToDateTime(FileTimeAt(2023, 4, 5, 6, 7, 9)), At(2023, 4, 5, 6, 7, 8));
    EXPECT_THROW(M::FileTimeToDateTime(FileTimeAt(1970, 1, 2)), os::FileError);
    EXPECT_EQ(M::ClampedFileTimeToDateTime(FileTimeAt(1970, 1, 2)), At(1980, 1, 1));
    EXPECT_EQ(M::ClampedFileTimeToDateTime(FileTimeAt(2200, 1, 1)), At(2107, 12, 31, 23, 59, 58));
    EXPECT_EQ(M::DateTimeToFileTime(At(2023, 4, 5, 6, 7, 9)), FileTimeAt(2023, 4, 5, 6, 7, 8));
    EXPECT_EQ(M::DateTimeToFileTime(At(1970, 1, 1)), 0);
    EXPECT_EQ(M::DateTimeToFileTime(At(2108, 1, 1)), 0);
}

TEST(DataModuleFiles, SizeAndModifiedTime) {
    TempDir dir;
    const std::string file = dir.Folder() + "f.bin";
    const os::RootedPath rooted{dir.Folder(), "/F.BIN"};
    const os::RootedPath missing{dir.Folder(), "/missing"};
    const os::RootedPath folder{dir.Folder(), "/"};
    test::WriteFileBytes(file, std::string(1500, 'x'));
    EXPECT_EQ(M::GetFileSizeOf(rooted), 1500);
    EXPECT_EQ(M::GetFileSizeOf(missing), 0);
    EXPECT_EQ(M::GetFileSizeOf(folder), 0);
    {
        // An upload in progress elsewhere holds the file exclusively; its size still counts.
        const os::File busy =
            os::File::Open(file, os::Access::Write, os::Share::None, os::Disposition::OpenExisting);
        EXPECT_EQ(M::GetFileSizeOf(rooted), 1500);
    }
    EXPECT_GT(M::GetFileModifiedTime(rooted), At(2000, 1, 1));
    EXPECT_THROW(M::GetFileModifiedTime(missing), os::FileError);
    EXPECT_THROW(M::GetFileModifiedTime(folder), os::FileError);
}

TEST(DataModulePassive, RandomPortStaysInItsRange) {
    EXPECT_EQ(M::RandomPort(0, 0), 0);
    EXPECT_EQ(M::RandomPort(5000, 5000), 5000);
    std::set<std::uint16_t> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::uint16_t port = M::RandomPort(60000, 60004);
        ASSERT_GE(port, 60000);
        ASSERT_LE(port, 60004);
        seen.insert(port);
    }
    EXPECT_EQ(seen.size(), 5u) << "both bounds are drawn";
}

// An install root whose settings and log the server object uses.
class ServerObject : public ::testing::Test {
protected:
    void WriteSettings(const std::string& elements) {
        std::ofstream(AppDir() + "Settings.xml")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Vardex>\r\n\t<Settings>\r\n"
            << elements << "\t</Settings>\r\n</Vardex>\r\n";
    }
    std::string AppDir() const { return m_root.Folder() + "VdxFtpServer/"; }
    std::string Log() const { return test::ReadFileBytes(AppDir() + "VdxFtpServer.log"); }
    void SetUp() override { std::filesystem::create_directories(AppDir()); }

    TempDir m_root;
};

TEST_F(ServerObject, InvalidPassiveRangeKeepsTheServerFromBeingCreated) {
    WriteSettings(
        "\t\t<Port>0</Port>\r\n\t\t<UseCustomPortRange>true</UseCustomPortRange>\r\n"
        "\t\t<PasvMinPort>50010</PasvMinPort>\r\n\t\t<PasvMaxPort>50010</PasvMaxPort>\r\n");
    TFGlobals globals(AppDir() + "VdxFtpServer");
    std::atomic<int> passedOn = 0;
    try {
        TFFTPServer server(globals, [&](const std::string&) { ++passedOn; });
        FAIL() << "created";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "PASVBoundPortMax must be greater than PASVBoundPortMax.");
    }
    // The data module that went logged Stopped; the caller never had a server.
    EXPECT_EQ(passedOn, 0);
}

TEST_F(ServerObject, PortInUseReachesTheCallerAndLogsNothing) {
    const int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(blocker, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(blocker, 1), 0);
    socklen_t length = sizeof address;
    ::getsockname(blocker, reinterpret_cast<sockaddr*>(&address), &length);
    WriteSettings("\t\t<Port>" + std::to_string(ntohs(address.sin_port)) + "</Port>\r\n");

    TFGlobals globals(AppDir() + "VdxFtpServer");
    {
        TFFTPServer server(globals);
        EXPECT_THROW(server.SetActive(true), std::system_error);
        EXPECT_FALSE(server.DataModule().Active());
        EXPECT_EQ(Log(), "");
    }
    ::close(blocker);
    EXPECT_EQ(Log().find("Started"), std::string::npos);
}

TEST_F(ServerObject, StopClosesConnectionsThenLogsStopped) {
    WriteSettings("\t\t<Port>0</Port>\r\n");
    TFGlobals globals(AppDir() + "VdxFtpServer");
    std::vector<std::string> seen;
    std::mutex mutex;
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    {
        TFFTPServer server(globals, [&](const std::string& line) {
            std::scoped_lock lock(mutex);
            seen.push_back(line);
        });
        server.SetActive(true);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(server.DataModule().IdFTPServer.BoundPort());
        ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        char greeting[64] = {};
        ASSERT_GT(::recv(client, greeting, sizeof greeting - 1, 0), 0);
        EXPECT_STREQ(greeting, "220 Indy FTP Server ready.\r\n");
    }
    // The connection was closed before the server object was gone.
    std::string rest;
    char buffer[256];
    for (ssize_t n; (n = ::recv(client, buffer, sizeof buffer, 0)) > 0;)
        rest.append(buffer, static_cast<std::size_t>(n));
    ::close(client);
    EXPECT_TRUE(rest.starts_with("421")) << rest;
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].find("\tStarted\t"), std::string::npos);
    EXPECT_NE(seen[1].find("\tStopped\t"), std::string::npos);
}

} // namespace
} // namespace vdx
