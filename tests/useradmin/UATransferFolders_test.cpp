#include "useradmin/UATransferFolders.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace vdx {
namespace {

namespace fs = std::filesystem;

TUserXML User(std::string name, bool txt, bool webTxt = false, bool admin = false,
              bool info = false) {
    TUserXML u;
    u.Name = std::move(name);
    u.TXT = txt;
    u.WebTXT = webTxt;
    u.Admin = admin;
    u.Info = info;
    return u;
}

// Every path below root with what it is, links not followed.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> out;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const fs::file_status st = it->symlink_status();
        std::string kind = fs::is_symlink(st)     ? "link " + fs::read_symlink(it->path()).string()
                           : fs::is_directory(st) ? "dir"
                                                  : "file " + test::ReadFileBytes(it->path());
        out[fs::relative(it->path(), root).string()] = kind;
    }
    return out;
}

std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

TEST(TransferFolders, RemovesEmptyStrangersKeepsTheRestAndMakesTheMissing) {
    test::TempDir root;
    const fs::path transfer = root.Path() / "transfer";
    const fs::path outside = root.Path() / "outside";
    fs::create_directories(transfer / "Bob");
    fs::create_directories(transfer / "restorezip");
    fs::create_directories(transfer / "Carl");
    test::WriteFileBytes(transfer / "Carl" / "page.tti", "kept");
    fs::create_directories(transfer / "anna");
    fs::create_directories(transfer / " Eve "); // kept for Eve, but not hers
    fs::create_directories(transfer / ".hidden");
    test::WriteFileBytes(transfer / "loose.txt", "a file is no folder");
    fs::create_directories(outside / "empty");
    fs::create_symlink(outside / "empty", transfer / "Dave");

    const TUsersXML users = {User("Anna", true),
                             User("Eve", true),
                             User("Frank", true),
                             User("Gina", false, true),
                             User("Hank", false, false, true),
                             User("Ida", false, false, false, true)};
    SyncTransferFolders(transfer.string() + "/", users);

    EXPECT_EQ(Entries(transfer),
              (std::set<std::string>{"restorezip", "Carl", "anna", " Eve ", ".hidden", "loose.txt",
                                     "Dave", "Eve", "Frank", "Gina"}));
    EXPECT_EQ(test::ReadFileBytes(transfer / "Carl" / "page.tti"), "kept");
    EXPECT_TRUE(fs::is_symlink(transfer / "Dave"));
    EXPECT_TRUE(fs::is_directory(outside / "empty"));
    EXPECT_TRUE(fs::is_directory(transfer / "Frank"));

    // A second run changes nothing.
    const auto before = Snapshot(root.Path());
    SyncTransferFolders(transfer.string() + "/", users);
    EXPECT_EQ(Snapshot(root.Path()), before);
}

TEST(TransferFolders, HostileNamesChangeNothingOutsideTransfer) {
    test::TempDir root;
    const fs::path transfer = root.Path() / "inst" / "transfer";
    fs::create_directories(transfer);
    fs::create_directories(root.Path() / "inst" / "x");
    fs::create_directories(root.Path() / "inst" / "victim");
    const auto before = Snapshot(root.Path());

    TUsersXML users;
    for (const char* name : {"../x", "a\\b", "..", ".", "x\ty", "../victim", "", "a/b"})
        users.push_back(User(name, true, true));
    SyncTransferFolders(transfer.string() + "/", users);
    EXPECT_EQ(Snapshot(root.Path()), before);
}

TEST(TransferFolders, MissingTransferFolderIsMadeOnlyWhenSomeoneNeedsOne) {
    test::TempDir root;
    const fs::path transfer = root.Path() / "VdxTxtServer" / "transfer";
    SyncTransferFolders(transfer.string() + "/", {User("Admin", false, false, true)});
    EXPECT_FALSE(fs::exists(transfer));
    SyncTransferFolders(transfer.string() + "/", {User("anna", true)});
    EXPECT_TRUE(fs::is_directory(transfer / "anna"));
    EXPECT_TRUE(UserExists({User("Anna", true)}, "ANNA"));
    EXPECT_FALSE(UserExists({User("Anna", true)}, "Ann"));
}

} // namespace
} // namespace vdx
