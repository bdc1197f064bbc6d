#include "useradmin/UASaveChain.h"

#include "platform/os/file_error.h"
#include "useradmin/UAUsersIni.h"
#include "useradmin/VUAGlobals.h"

#include "InstallRoot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vdx {
namespace {

namespace fs = std::filesystem;

// An install root as the user administration program sees it: its own
// folder beside the FTP server's and the teletext server's.
class AdminRoot : public ::testing::Test {
protected:
    AdminRoot() {
        fs::create_directories(root.Root() + "VdxUserAdmin");
        fs::create_directories(root.Root() + "VdxTxtServer/users");
    }
    std::string Program() const { return root.Root() + "VdxUserAdmin/VdxUserAdmin"; }
    std::string IniPath() const { return root.Root() + "VdxTxtServer/users/users.ini"; }

    static TUserXML User(std::string name, bool txt, bool webTxt = false) {
        TUserXML u = test::MakeUser(std::move(name), "pw");
        u.TXT = txt;
        u.WebTXT = webTxt;
        return u;
    }

    test::InstallRoot root;
};

TEST_F(AdminRoot, PathsSwitchesUsersAndRightsAtStart) {
    test::WriteFileBytes(root.SettingsPath(),
                         "<?xml version=\"1.0\"?><Vardex><Settings><UseVdxInfo>True</UseVdxInfo>"
                         "</Settings></Vardex>");
    root.WriteUsers({User("Anna", true), User("bob", false, true)});
    test::WriteFileBytes(IniPath(), "[anna]\r\nmag3=05..07,20;\r\n[Bob]\r\nmag1=1\r\n");

    const TUAGlobals g(Program());
    EXPECT_EQ(g.AppDir, root.Root() + "VdxUserAdmin/");
    EXPECT_EQ(g.ExeName, "VdxUserAdmin");
    EXPECT_EQ(g.ExeBaseName, "VdxUserAdmin");
    EXPECT_EQ(g.Settings.BaseDir, root.Root());
    EXPECT_EQ(g.Settings.FtpServerDir, root.AppDir());
    EXPECT_EQ(g.Settings.UsersIniPath, IniPath());
    EXPECT_EQ(g.Settings.TransferDir, root.Root() + "VdxTxtServer/transfer/");
    EXPECT_EQ(g.Settings.VdxInfoDir, root.Root() + "VdxInfo/");
    EXPECT_TRUE(g.Settings.UseVdxInfo);
    EXPECT_FALSE(g.Settings.UseVdxText);
    ASSERT_EQ(g.Users.size(), 2u);
    EXPECT_EQ(g.Users[0].Allow[2], "05..07,20;");
    EXPECT_EQ(g.Users[0].Allow[0], "");
    EXPECT_EQ(g.Users[1].Allow[0], "1");
}

TEST_F(AdminRoot, NoFilesGiveNoUsersAndNoSwitches) {
    const TUAGlobals g(Program());
    EXPECT_TRUE(g.Users.empty());
    EXPECT_FALSE(g.Settings.UseVdxInfo);
    EXPECT_FALSE(g.Settings.UseVdxText);
}

TEST_F(AdminRoot, AFileThatCannotBeReadStopsTheStart) {
    ASSERT_EQ(::mkfifo(IniPath().c_str(), 0644), 0);
    EXPECT_THROW(TUAGlobals{Program()}, os::FileError);
}

TEST_F(AdminRoot, ChainWritesBothFilesAndTheFolders) {
    TUAGlobals g(Program());
    TUsersXML users = {User("Anna", true), User("Web", false, true)};
    users[0].Allow[1] = "00..99;";
    SaveUsersAndRights(g, users);
    EXPECT_EQ(g.Users, users);
    EXPECT_EQ(test::ReadFileBytes(IniPath()), FormatUsersIni(users));
    EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), FormatUsersXml(users));
    EXPECT_TRUE(fs::is_directory(g.Settings.TransferDir + "Anna"));
    EXPECT_TRUE(fs::is_directory(g.Settings.TransferDir + "Web"));

    // The page-rights editor writes "users.ini" only.
    const std::string xml = test::ReadFileBytes(root.UsersPath());
    users[1].Allow[7] = "800..899;";
    users.push_back(User("NotSaved", true));
    SavePageRights(g, users);
    EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), xml);
    EXPECT_EQ(test::ReadFileBytes(IniPath()), FormatUsersIni(users));
}

TEST_F(AdminRoot, AFailureBeforeTheRenamesChangesNeitherFileNorFolders) {
    TUAGlobals g(Program());
    SaveUsersAndRights(g, {User("Anna", true)});
    const std::string xml = test::ReadFileBytes(root.UsersPath());
    const std::string ini = test::ReadFileBytes(IniPath());

    // "users/" missing: "Users.xml" could be written but must not be.
    fs::remove_all(root.Root() + "VdxTxtServer/users");
    EXPECT_THROW(SaveUsersAndRights(g, {User("Anna", true), User("Bob", true)}), os::FileError);
    EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), xml);
    EXPECT_FALSE(fs::exists(g.Settings.TransferDir + "Bob"));

    // A name that would forge lines in "users.ini": nothing is written.
    fs::create_directories(root.Root() + "VdxTxtServer/users");
    test::WriteFileBytes(IniPath(), ini);
    EXPECT_THROW(SaveUsersAndRights(g, {User("Anna", true), User("x\r\n[y]", true)}),
                 EUsersIniError);
    EXPECT_EQ(test::ReadFileBytes(root.UsersPath()), xml);
    EXPECT_EQ(test::ReadFileBytes(IniPath()), ini);
    // No temporary file is left beside them.
    for (const auto& e : fs::directory_iterator(root.Root() + "VdxTxtServer/users"))
        EXPECT_EQ(e.path().filename(), "users.ini");
}

TEST_F(AdminRoot, EachSaveRemovesWhatAKilledSaveLeftBesideTheFiles) {
    TUAGlobals g(Program());
    const std::string usersDir = root.Root() + "VdxTxtServer/users/";
    const std::vector<std::string> leftovers = {root.AppDir() + ".Users.xml.q7Rt2Z",
                                                usersDir + ".users.ini.Ab12Cd"};
    const std::vector<std::string> others = {root.AppDir() + ".Users.xml.bak",
                                             usersDir + ".users.ini.old1",
                                             usersDir + ".Users.xml.Ab12Cd"};
    const auto leave = [&] {
        const timespec longAgo[2] = {{std::time(nullptr) - 3600, 0},
                                     {std::time(nullptr) - 3600, 0}};
        for (const std::vector<std::string>* list : {&leftovers, &others})
            for (const std::string& p : *list) {
                test::WriteFileBytes(p, "left over");
                ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), longAgo, 0), 0);
            }
    };
    const std::function<void()> saves[] = {
        [&] { SaveUsersAndRights(g, {User("Anna", true)}); },
        [&] { SavePageRights(g, {User("Anna", true)}); },
    };
    for (const auto& save : saves) {
        leave();
        save();
        for (const std::string& p : leftovers)
            EXPECT_FALSE(fs::exists(p)) << p;
        for (const std::string& p : others)
            EXPECT_TRUE(fs::exists(p)) << p;
    }
}

TEST_F(AdminRoot, AKilledChainLeavesEachFileWholeOldOrNew) {
    const TUsersXML a = {User("Anna", true)};
    TUsersXML b = {User("Anna", true), User("Bob", false, true), User("Carl", true)};
    b[2].Allow[0] = "100..199;";
    {
        TUAGlobals g(Program());
        SaveUsersAndRights(g, a);
    }
    const std::string xmls[] = {FormatUsersXml(a), FormatUsersXml(b)};
    const std::string inis[] = {FormatUsersIni(a), FormatUsersIni(b)};
    for (int round = 0; round < 12; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TUAGlobals g(Program());
            for (int i = 0;; ++i)
                SaveUsersAndRights(g, i % 2 ? a : b);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(300 + round * 700));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string xml = test::ReadFileBytes(root.UsersPath());
        const std::string ini = test::ReadFileBytes(IniPath());
        EXPECT_TRUE(xml == xmls[0] || xml == xmls[1]) << "round " << round;
        EXPECT_TRUE(ini == inis[0] || ini == inis[1]) << "round " << round;
    }
}

} // namespace
} // namespace vdx
