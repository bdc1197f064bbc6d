// The demo install root tool, run as a real process.

#ifdef VDX_DEMO_ROOT_TOOL

#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VFGlobals.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/wait.h>

namespace vdx {
namespace {

struct Result {
    int status = -1;
    std::map<std::string, std::string> logins; // name -> password
};

Result RunTool(const std::string& args) {
    Result result;
    const std::string command = std::string(VDX_DEMO_ROOT_TOOL) + " " + args + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    std::string out;
    char buffer[256];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(out);
    for (std::string name, password; lines >> name >> password;)
        result.logins[name] = password;
    return result;
}

TEST(DemoRoot, LaysOutARootWhoseLoginsWork) {
    test::TempDir dir;
    const std::string root = dir.Folder() + "inst";
    const Result first = RunTool("'" + root + "' --port 2999");
    ASSERT_EQ(first.status, 0);
    ASSERT_EQ(first.logins.size(), 2u);
    for (const auto& [name, password] : first.logins) {
        EXPECT_EQ(password.size(), 12u);
        for (const char c : password)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << password;
    }
    for (const char* folder : {"VdxTxtServer/transfer/anna", "VdxTxtServer/log",
                               "VdxTxtServer/users", "VdxInfo/transfer", "VdxInfo/log"})
        EXPECT_TRUE(std::filesystem::is_directory(root + "/" + folder)) << folder;

    {
        TFGlobals globals(root + "/VdxFtpServer/VdxFtpServer");
        TFFTPServer server(globals);
        const TSettings settings = globals.Settings();
        EXPECT_EQ(settings.Port, 2999);
        EXPECT_TRUE(settings.UseVdxInfo && settings.UseVdxText);
        EXPECT_TRUE(globals.CheckLogin("admin", first.logins.at("admin")));
        EXPECT_TRUE(globals.CheckLogin("anna", first.logins.at("anna")));
        EXPECT_TRUE(server.IsAdmin("admin"));
        EXPECT_TRUE(server.CanWrite("anna", "/VdxTxtServer/transfer/anna/p100.tti"));
        EXPECT_FALSE(server.IsAdmin("anna"));
    }

    const Result kept = RunTool("'" + root + "'");
    ASSERT_EQ(kept.status, 0);
    EXPECT_EQ(kept.logins, first.logins) << "an existing Users.xml stays without --force";
    EXPECT_EQ(TFGlobals(root + "/VdxFtpServer/VdxFtpServer").Settings().Port, 2121);

    const Result forced = RunTool("'" + root + "' --force");
    ASSERT_EQ(forced.status, 0);
    EXPECT_NE(forced.logins, first.logins);

    EXPECT_EQ(RunTool("").status, 2);
    EXPECT_EQ(RunTool("'" + root + "' --port 0").status, 2);
}

} // namespace
} // namespace vdx

#endif
