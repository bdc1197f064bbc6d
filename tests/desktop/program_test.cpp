// VdxFtpServer itself, started as a child process on a temporary install
// root: it serves, stays single, survives a crash of its predecessor and
// stops as a user would close it.

#include "platform/os/registry.h"

#include "ChildProcess.h"
#include "DesktopSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

namespace vdx {
namespace {

using namespace std::chrono_literals;

using test::Child;

class ProgramTest : public testing::Test {
protected:
    ProgramTest() {
        // The program finds its folders from where it is: link it into the root.
        std::error_code ec;
        std::filesystem::create_hard_link(VDX_FTPSERVER_PROGRAM, root.ProgramPath(), ec);
        if (ec)
            std::filesystem::copy_file(VDX_FTPSERVER_PROGRAM, root.ProgramPath());
        port = test::FreePort();
        root.WriteSettings(port);
        root.WriteUsers({test::MakeDesktopUser("anna", "Secret1")});
    }

    std::string Output() const { return root.Root() + "output.txt"; }
    std::vector<std::string> Log() const { return test::ReadLines(root.LogPath()); }
    bool WaitForLabel(const std::string& label, int count) const {
        return test::WaitUntil([&] { return test::CountLabel(Log(), label) >= count; }, 20s);
    }
    int Login() const {
        test::FtpClient client;
        if (client.Connect(port).code != 220)
            return 0;
        const int code = client.Login("anna", "Secret1");
        client.Command("QUIT");
        return code;
    }

    test::IsolatedEnv env;
    test::DesktopRoot root;
    int port = 0;
};

TEST_F(ProgramTest, ServesLoginsAndStopsOnSigtermAsAUserWould) {
    Child program(root.ProgramPath(), Output());
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(WaitForLabel("Started", 1)) << test::ReadFileBytes(Output());
    EXPECT_EQ(Login(), 230);
    ASSERT_TRUE(WaitForLabel("Login  ", 1));
    for (const std::string& line : Log()) {
        const auto fields = test::SplitTabs(line);
        ASSERT_EQ(fields.size(), 5u) << line;
        if (fields[3] == "Login  ") {
            EXPECT_EQ(fields[1], "anna");
            EXPECT_EQ(fields[2], "127.0.0.1");
        }
    }

    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitExit(20s), 0) << test::ReadFileBytes(Output());
    const auto log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(test::SplitTabs(log.back())[3], "Stopped");
    // The window was closed, not killed: its placement was saved.
    const std::string hive = test::ReadFileBytes(env.CurrentUserHive());
    EXPECT_NE(hive.find("FMainFormState]"), std::string::npos) << hive;
    EXPECT_NE(hive.find("\"Saved\"=dword:00000001"), std::string::npos) << hive;
    EXPECT_EQ(Login(), 0); // nobody listens any more
}

TEST_F(ProgramTest, SecondInstanceEndsAtOnceAndLeavesTheFirstServing) {
    Child first(root.ProgramPath(), Output());
    ASSERT_TRUE(WaitForLabel("Started", 1)) << test::ReadFileBytes(Output());
    const std::string logBefore = test::ReadFileBytes(root.LogPath());

    Child second(root.ProgramPath(), Output());
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitExit(10s), 0) << test::ReadFileBytes(Output());
    // It read the files but wrote nothing.
    EXPECT_EQ(test::ReadFileBytes(root.LogPath()), logBefore);
    EXPECT_EQ(first.WaitExit(0ms), std::nullopt);
    EXPECT_EQ(Login(), 230);

    first.Signal(SIGINT);
    EXPECT_EQ(first.WaitExit(20s), 0);
    EXPECT_EQ(test::CountLabel(Log(), "Stopped"), 1);
}

TEST_F(ProgramTest, CrashedInstanceDoesNotBlockTheNextStart) {
    {
        Child crashed(root.ProgramPath(), Output());
        ASSERT_TRUE(WaitForLabel("Started", 1)) << test::ReadFileBytes(Output());
        crashed.Signal(SIGKILL);
        EXPECT_EQ(crashed.WaitExit(10s), -SIGKILL);
    }
    Child next(root.ProgramPath(), Output());
    ASSERT_TRUE(WaitForLabel("Started", 2)) << test::ReadFileBytes(Output());
    EXPECT_EQ(Login(), 230);
    next.Signal(SIGTERM);
    EXPECT_EQ(next.WaitExit(20s), 0);
}

TEST_F(ProgramTest, StartMeasuresTheColourSchemeAndTheScreen) {
    // The probe runs the program's start and run, then tells the facts.
    std::filesystem::remove(root.ProgramPath());
    std::error_code ec;
    std::filesystem::create_hard_link(VDX_FTPSERVER_STARTUP_PROBE, root.ProgramPath(), ec);
    if (ec)
        std::filesystem::copy_file(VDX_FTPSERVER_STARTUP_PROBE, root.ProgramPath());
    {
        os::TRegistry reg(os::RootKey::CurrentUser);
        ASSERT_TRUE(
            reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", true));
        reg.WriteString("ColorName", "Metallic");
    }
    Child program(root.ProgramPath(), Output());
    ASSERT_TRUE(WaitForLabel("Started", 1)) << test::ReadFileBytes(Output());
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitExit(20s), 0) << test::ReadFileBytes(Output());
    EXPECT_NE(test::ReadFileBytes(Output()).find("XPColorScheme=2 FullColorScreen=1"),
              std::string::npos)
        << test::ReadFileBytes(Output());
}

} // namespace
} // namespace vdx
