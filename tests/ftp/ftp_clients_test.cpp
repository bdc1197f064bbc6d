// Real FTP clients (Python's ftplib, curl, lftp) against the FTP component over 127.0.0.1.

#include "process.h"
#include "test_binding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

namespace vdx::test {
namespace {

namespace fs = std::filesystem;

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

class RealClientTest : public ::testing::Test {
protected:
    void SetUp() override { m_server.Start(); }

    std::string Url(const std::string& path = "/") const {
        return "ftp://" + std::string(kFtpUser) + ":" + kFtpPassword +
               "@127.0.0.1:" + std::to_string(m_server.Port()) + path;
    }
    std::string Local(const std::string& name) const { return (m_local.Path() / name).string(); }
    ProcessResult Run(const std::vector<std::string>& argv) {
        return RunProcess(argv, Local("client-output.txt"));
    }
    static void RequireTool(const char* path, const char* name) {
        if (std::string(path).empty())
            GTEST_SKIP() << name << " is not installed";
    }

    TestFtpServer m_server;
    TempDir m_local;
};

TEST_F(RealClientTest, FtplibSessionCoversLoginListingsTransfersRenamesAndTimes) {
    RequireTool(VDX_PYTHON, "python3");
    const ProcessResult r =
        Run({VDX_PYTHON, std::string(VDX_FTP_TEST_DIR) + "/ftplib_session.py",
             std::to_string(m_server.Port()), kFtpUser, kFtpPassword, m_server.Root().string()});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(m_server.Exceptions().empty());
}

// curl: passive (EPSV), active (EPRT and PORT), resumed downloads and uploads, listings.
TEST_F(RealClientTest, CurlTransfersInEveryDataConnectionMode) {
    RequireTool(VDX_CURL, "curl");
    const std::string content = RandomBytes(3 * 1024 * 1024 + 17, 1);
    WriteFileBytes(m_server.Root() / "big.bin", content);
    struct Case {
        const char* name;
        std::vector<std::string> options;
    } cases[] = {
        {"EPSV", {}},
        {"PASV", {"--disable-epsv"}},
        {"EPRT", {"-P", "-"}},
        {"PORT", {"-P", "-", "--disable-eprt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> argv = {VDX_CURL, "-sS", "--max-time", "20"};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        argv.insert(argv.end(), {"-o", Local("down.bin"), Url("/big.bin")});
        const ProcessResult r = Run(argv);
        ASSERT_EQ(r.exitCode, 0) << r.output;
        EXPECT_TRUE(ReadFileBytes(Local("down.bin")) == content);
    }

    // Resume a download that stopped half way.
    WriteFileBytes(Local("partial.bin"), content.substr(0, 1000000));
    ProcessResult r = Run({VDX_CURL, "-sS", "--max-time", "20", "-C", "-", "-o",
                           Local("partial.bin"), Url("/big.bin")});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(ReadFileBytes(Local("partial.bin")) == content);

    // Upload, then resume an upload of which the server holds the first part.
    WriteFileBytes(Local("up.bin"), content);
    r = Run({VDX_CURL, "-sS", "--max-time", "20", "-T", Local("up.bin"), Url("/up.bin")});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(ReadFileBytes(m_server.Root() / "up.bin") == content);
    WriteFileBytes(m_server.Root() / "resumed.bin", content.substr(0, 123457));
    r = Run({VDX_CURL, "-sS", "--max-time", "20", "-C", "-", "-T", Local("up.bin"),
             Url("/resumed.bin")});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(ReadFileBytes(m_server.Root() / "resumed.bin") == content);

    // Listings: LIST for a folder URL, NLST with --list-only.
    r = Run({VDX_CURL, "-sS", "--max-time", "20", Url("/")});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find(std::to_string(content.size()) + " "), std::string::npos) << r.output;
    r = Run({VDX_CURL, "-sS", "--max-time", "20", "--list-only", Url("/")});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("big.bin\n"), std::string::npos) << r.output;
    EXPECT_TRUE(m_server.Exceptions().empty());
}

// Several clients at once, each on its own connection thread, up and down.
TEST_F(RealClientTest, ParallelCurlSessionsDoNotDisturbEachOther) {
    RequireTool(VDX_CURL, "curl");
    constexpr int kClients = 8;
    std::vector<std::string> contents;
    for (int i = 0; i < kClients; ++i) {
        contents.push_back(RandomBytes(512 * 1024 + i, 10 + i));
        WriteFileBytes(m_local.Path() / ("up" + std::to_string(i)), contents.back());
    }
    std::vector<ProcessResult> results(kClients);
    std::vector<std::thread> threads;
    for (int i = 0; i < kClients; ++i)
        threads.emplace_back([&, i] {
            const std::string n = std::to_string(i);
            results[i] = RunProcess(
                {VDX_CURL, "-sS", "--max-time", "20", "-T", Local("up" + n), Url("/file" + n)},
                Local("out" + n));
            if (results[i].exitCode == 0)
                results[i] = RunProcess({VDX_CURL, "-sS", "--max-time", "20", "-o",
                                         Local("down" + n), Url("/file" + n)},
                                        Local("out" + n));
        });
    for (auto& t : threads)
        t.join();
    for (int i = 0; i < kClients; ++i) {
        EXPECT_EQ(results[i].exitCode, 0) << results[i].output;
        EXPECT_TRUE(ReadFileBytes(Local("down" + std::to_string(i))) == contents[i]) << i;
    }
    EXPECT_TRUE(m_server.WaitForConnections(0, std::chrono::seconds(5)));
    EXPECT_TRUE(m_server.Exceptions().empty());
}

// lftp turns MODE Z on by itself when FEAT offers it; a mirror up and back down must come back
// byte for byte.
TEST_F(RealClientTest, LftpMirrorsUpAndDownInModeZ) {
    RequireTool(VDX_LFTP, "lftp");
    const fs::path source = m_local.Path() / "source";
    fs::create_directories(source / "nested" / "deeper");
    WriteFileBytes(source / "random.bin", RandomBytes(2 * 1024 * 1024 + 5, 2));
    WriteFileBytes(source / "text.txt", std::string(100000, 'x') + "\r\nend\r\n");
    WriteFileBytes(source / "empty.dat", "");
    WriteFileBytes(source / "nested" / "deeper" / "small.bin", RandomBytes(777, 3));
    const fs::path back = m_local.Path() / "back";

    const std::string script = "set net:max-retries 1; set net:timeout 10; set ftp:ssl-allow no; "
                               "set ftp:use-mode-z yes; open -u " +
                               std::string(kFtpUser) + "," + kFtpPassword + " -p " +
                               std::to_string(m_server.Port()) + " 127.0.0.1; mirror -R " +
                               source.string() + " /up; mirror /up " + back.string();
    const ProcessResult r =
        RunProcess({VDX_LFTP, "-d", "-c", script}, Local("lftp.txt"), std::chrono::seconds(60));
    ASSERT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("MODE Z"), std::string::npos) << "lftp did not use MODE Z";
    EXPECT_NE(r.output.find("200 Mode set to Z."), std::string::npos);

    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
        const fs::path relative = fs::relative(entry.path(), source);
        SCOPED_TRACE(relative.string());
        ASSERT_TRUE(fs::exists(m_server.Root() / "up" / relative));
        ASSERT_TRUE(fs::exists(back / relative));
        if (entry.is_regular_file()) {
            ++files;
            EXPECT_TRUE(ReadFileBytes(entry.path()) ==
                        ReadFileBytes(m_server.Root() / "up" / relative));
            EXPECT_TRUE(ReadFileBytes(entry.path()) == ReadFileBytes(back / relative));
        }
    }
    EXPECT_EQ(files, 4u);
    EXPECT_TRUE(m_server.Exceptions().empty());
}

} // namespace
} // namespace vdx::test
