// VdxUserAdmin itself, started as a child process on a temporary install
// root (offscreen): it stays single and ends with code 1 on a file it cannot
// read at start.

#include "controls/storage/FcVersionInfo.h"
#include "platform/os/registry.h"

#include "ChildProcess.h"
#include "IsolatedEnv.h"
#include "UserAdminSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx {
namespace {

using namespace std::chrono_literals;
using test::Child;
using test::WaitFor;
namespace fs = std::filesystem;

// Every entry below folder with its content (files) or kind.
std::map<std::string, std::string> Snapshot(const std::string& folder, const std::string& skip) {
    std::map<std::string, std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        const std::string path = e.path().string();
        if (path == skip)
            continue;
        entries[path] = e.is_regular_file() ? test::ReadFileBytes(e.path()) : "<folder>";
    }
    return entries;
}

class Program : public ::testing::Test {
protected:
    Program() {
        std::error_code ec;
        fs::create_hard_link(VDX_USERADMIN_PROGRAM, root.Program(), ec);
        if (ec)
            fs::copy_file(VDX_USERADMIN_PROGRAM, root.Program());
        root.WriteSwitches(true, true);
        root.WriteUsers({test::AdminUser("Anna", true)});
        test::WriteFileBytes(root.IniPath(), "[Anna]\r\nmag1=05..;\r\n");
    }
    // The first instance's socket: the title in lower case and the user id.
    std::string SocketPath() const {
        return env.RuntimeDir() + "/vdxuseradm" + std::to_string(::getuid());
    }
    std::string Output() const { return env.Folder() + "output.txt"; }
    std::string OutputText() const { return test::ReadFileBytes(Output()); }

    test::IsolatedEnv env;
    test::AdminInstall root;
};

TEST_F(Program, ALaterStartRaisesTheFirstAndWritesNothing) {
    Child first(root.Program(), Output());
    ASSERT_TRUE(first.Started());
    // The first instance listens once its window is up.
    ASSERT_TRUE(WaitFor([&] { return fs::exists(SocketPath()); }, 20s)) << OutputText();
    const auto before = Snapshot(root.Root(), Output());

    Child second(root.Program(), Output());
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.WaitExit(10s), 0) << OutputText();
    EXPECT_EQ(Snapshot(root.Root(), Output()), before);
    EXPECT_EQ(first.WaitExit(0ms), std::nullopt);

    first.Signal(SIGTERM);
    EXPECT_EQ(first.WaitExit(20s), 0) << OutputText();
    EXPECT_EQ(Snapshot(root.Root(), Output()), before) << "closing writes nothing either";
}

TEST_F(Program, AFileThatCannotBeReadEndsTheStartWithItsError) {
    fs::remove(root.IniPath());
    ASSERT_EQ(::mkfifo(root.IniPath().c_str(), 0644), 0);
    Child program(root.Program(), Output());
    ASSERT_TRUE(program.Started());
    // The message is on stderr while its box waits; the end of the session
    // closes the box, and the start ends with 1.
    ASSERT_TRUE(
        WaitFor([&] { return OutputText().find("VdxUserAdmin: ") != std::string::npos; }, 20s))
        << OutputText();
    EXPECT_NE(OutputText().find("users.ini"), std::string::npos) << OutputText();
    EXPECT_FALSE(fs::exists(SocketPath())) << "no instance was claimed";
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitExit(20s), 1) << OutputText();
}

TEST_F(Program, StartMeasuresTheColourSchemeAndTheScreen) {
    // The probe runs the program's start and run, then tells the facts.
    fs::remove(root.Program());
    std::error_code ec;
    fs::create_hard_link(VDX_USERADMIN_STARTUP_PROBE, root.Program(), ec);
    if (ec)
        fs::copy_file(VDX_USERADMIN_STARTUP_PROBE, root.Program());
    {
        os::TRegistry reg(os::RootKey::CurrentUser);
        ASSERT_TRUE(
            reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", true));
        reg.WriteString("ColorName", "homestead");
    }
    Child program(root.Program(), Output());
    ASSERT_TRUE(program.Started());
    ASSERT_TRUE(WaitFor([&] { return fs::exists(SocketPath()); }, 20s)) << OutputText();
    program.Signal(SIGTERM);
    EXPECT_EQ(program.WaitExit(20s), 0) << OutputText();
    EXPECT_NE(OutputText().find("XPColorScheme=1 FullColorScreen=1"), std::string::npos)
        << OutputText();
}

TEST(ProgramFile, CarriesItsVersionBlock) {
    TFcVersionInfo info;
    info.SetFilePath(VDX_USERADMIN_PROGRAM);
    EXPECT_EQ(info.FileDescription(), "Vardex User Admin");
    EXPECT_EQ(info.FileVersion(), "3.1.1.1");
    EXPECT_EQ(info.InternalName(), "VdxUserAdmin");
    EXPECT_EQ(info.CompanyName(), "Vardex");
}

} // namespace
} // namespace vdx
