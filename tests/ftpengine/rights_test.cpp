// Access query and rights: roots and permissions by user, settings and the
// flattened FTP path; the path helpers of the data module.

#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VdxFTPServerDataModule.h"

#include "InstallRoot.h"

#include <gtest/gtest.h>

namespace vdx {
namespace {

using test::InstallRoot;
using test::MakeUser;

class Rights : public ::testing::Test {
protected:
    Rights() {
        TUserXML anna = MakeUser("anna", "a");
        anna.TXT = true;
        anna.WebTXT = anna.SkipWebTxtPages = true; // ignored by the FTP server
        TUserXML ivo = MakeUser("ivo", "i");
        ivo.Info = true;
        TUserXML admin = MakeUser("admin", "pw");
        admin.Admin = true;
        root.WriteUsers({anna, ivo, admin});
        globals.LoadUsers();
    }

    void Switch(bool text, bool info) {
        TSettings settings = globals.Settings();
        settings.UseVdxText = text;
        settings.UseVdxInfo = info;
        settings.AdminRootDir = "/srv/admin";
        globals.SetSettings(settings);
    }

    struct Answer {
        std::string root;
        bool allowed;
    };
    Answer Query(TFtpEventKind kind, const std::string& user, const std::string& path,
                 bool allowedBefore = false, const std::string& password = {}) {
        Answer answer{"unset", allowedBefore};
        server.HandleAccessQuery(kind, answer.root, answer.allowed, path, "127.0.0.1", password,
                                 user);
        return answer;
    }

    InstallRoot root;
    TFGlobals globals{root.ProgramPath()};
    TFFTPServer server{globals};
};

TEST_F(Rights, ReadWriteDeleteAndRootByUserSettingAndPath) {
    struct Row {
        const char* name;
        const char* user;
        bool text, info;
        const char* path;
        bool read, write;
        const char* root; // "" for the install root
    };
    const Row rows[] = {
        {"own upload", "anna", true, false, "/VdxTxtServer/transfer/anna/p100.tti", true, true, ""},
        {"log is read-only", "anna", true, false, "/VdxTxtServer/log/x.log", true, false, ""},
        {"other product", "anna", true, false, "/VdxInfo/transfer/x", false, false, ""},
        {"teletext switch off", "anna", false, true, "/VdxTxtServer/transfer/anna/p100.tti", false,
         false, ""},
        {"another user's folder", "anna", true, false, "/VdxTxtServer/transfer/bob/x", true, true,
         ""},
        {"separators and case", "anna", true, false, "/vdxtxtserver\\TRANSFER\\x", true, true, ""},
        {"separators inside names", "anna", true, false, "/Vdx/TxtServer/transfer/x", true, true,
         ""},
        {"product tree itself", "anna", true, false, "/VdxTxtServer", false, false, ""},
        {"outside the products", "anna", true, true, "/Other/x", false, false, ">>>>>/"},
        {"root folder", "anna", true, true, "/", false, false, ">>>>>/"},
        {"info upload", "ivo", false, true, "/VdxInfo/transfer/a", true, true, ""},
        {"info log", "ivo", false, true, "/vdxinfo/LOG/a", true, false, ""},
        {"info switch off", "ivo", true, false, "/VdxInfo/log/a", false, false, ""},
        {"info user in teletext", "ivo", true, true, "/VdxTxtServer/transfer/x", false, false, ""},
        {"admin anywhere", "ADMIN", false, false, "/Other/x", true, true, "/srv/admin"},
        {"unknown user", "nobody", true, true, "/VdxTxtServer/transfer/x", false, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Switch(row.text, row.info);
        const std::string expectedRoot = *row.root ? row.root : root.Root();
        EXPECT_EQ(server.CanRead(row.user, row.path), row.read);
        EXPECT_EQ(server.CanWrite(row.user, row.path), row.write);
        EXPECT_EQ(server.CanDelete(row.user, row.path), row.write);
        for (const auto& [kind, allowed] :
             {std::pair{TFtpEventKind::Read, row.read}, std::pair{TFtpEventKind::Write, row.write},
              std::pair{TFtpEventKind::Delete, row.write}}) {
            const Answer answer = Query(kind, row.user, row.path, !allowed);
            EXPECT_EQ(answer.allowed, allowed);
            EXPECT_EQ(answer.root, expectedRoot);
        }
    }
}

TEST_F(Rights, UploadAreasThemselvesAreTakenAwayByAdministratorsOnly) {
    // The area folder and those above it may be written (their times) but not deleted or
    // renamed by its users; everything inside may.
    Switch(true, true);
    struct Row {
        const char* user;
        const char* path;
        bool write, remove;
    };
    const Row rows[] = {
        {"anna", "/VdxTxtServer/transfer", true, false},
        {"anna", "/vdxtxtserver\\TRANSFER\\", true, false},
        {"anna", "/Vdx/TxtServer/transfer", true, false},
        {"anna", "/VdxTxtServer", false, false},
        {"anna", "/", false, false},
        {"anna", "/VdxTxtServer/transfer/anna", true, true},
        {"anna", "/VdxTxtServer/transfer_gone", true, true},
        {"ivo", "/VdxInfo/transfer", true, false},
        {"ivo", "/VdxInfo/transfer/x", true, true},
        {"admin", "/VdxTxtServer/transfer", true, true},
        {"admin", "/VdxInfo", true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.user) + " " + row.path);
        EXPECT_EQ(server.CanWrite(row.user, row.path), row.write);
        EXPECT_EQ(server.CanDelete(row.user, row.path), row.remove);
        EXPECT_EQ(Query(TFtpEventKind::Write, row.user, row.path).allowed, row.write);
        EXPECT_EQ(Query(TFtpEventKind::Delete, row.user, row.path, true).allowed, row.remove);
    }
}

TEST_F(Rights, FolderCreationAndRemovalForAdministratorsOnly) {
    Switch(true, true);
    for (const auto kind : {TFtpEventKind::MkDir, TFtpEventKind::RmDir}) {
        EXPECT_TRUE(Query(kind, "admin", "/a/b/c").allowed);
        EXPECT_FALSE(Query(kind, "anna", "/VdxTxtServer/transfer/anna/new", true).allowed);
    }
}

TEST_F(Rights, RootQueryLeavesAllowedAndLoginChecksThePassword) {
    Switch(true, false);
    for (const bool before : {false, true}) {
        const Answer answer = Query(TFtpEventKind::RootDir, "anna", "/VdxTxtServer/x", before);
        EXPECT_EQ(answer.allowed, before);
        EXPECT_EQ(answer.root, root.Root());
    }
    const Answer login = Query(TFtpEventKind::Login, "admin", "", false, "pw");
    EXPECT_TRUE(login.allowed);
    EXPECT_EQ(login.root, "/srv/admin") << "the root is answered for every kind";
    EXPECT_FALSE(Query(TFtpEventKind::Login, "admin", "", true, "PW").allowed);
    EXPECT_EQ(Query(TFtpEventKind::Login, "anna", "", false, "a").root, ">>>>>/");
    EXPECT_TRUE(server.DataModule().QueryLogin("anna", "a", "127.0.0.1"));
    EXPECT_FALSE(server.DataModule().QueryLogin("anna", "b", "127.0.0.1"));
}

TEST_F(Rights, AdminRootAsStoredAndProductRootsWithDelimiter) {
    TSettings settings = globals.Settings();
    settings.AdminRootDir = "/srv/admin root";
    settings.VdxTextRoot = "/srv/text";
    settings.VdxInfoRoot = "/srv/info/";
    globals.SetSettings(settings);
    EXPECT_EQ(Query(TFtpEventKind::RootDir, "admin", "/x").root, "/srv/admin root");
    EXPECT_EQ(server.NonAdminRoot("/VdxTxtServer/x"), "/srv/text/");
    EXPECT_EQ(server.NonAdminRoot("/VdxInfo/x"), "/srv/info/");
    EXPECT_EQ(server.NonAdminRoot("/VdxInfoX"), "/srv/info/");
    EXPECT_EQ(server.NonAdminRoot("/Vdx"), std::string(kNoSuchRoot));
    EXPECT_TRUE(IsNonExistentRoot(server.NonAdminRoot("/Other")));
    EXPECT_FALSE(IsNonExistentRoot(server.NonAdminRoot("/VdxInfo")));
}

TEST(PathHelpers, FlattenNormalizeStrip) {
    struct Row {
        const char* input;
        const char* flat;
        const char* normalized;
        const char* stripped;
    };
    const Row rows[] = {
        {"/VdxTxtServer/transfer/anna/", "vdxtxtservertransferanna", "/VdxTxtServer/transfer/anna/",
         "/VdxTxtServer/transfer/anna"},
        {"a\\B\\c", "abc", "a/B/c", "a\\B\\c"},
        {"a//b", "ab", "a/b", "a//b"},
        {"a///b", "ab", "a//b", "a///b"},
        {"a\\\\//b", "ab", "a//b", "a\\\\//b"},
        {"/r/\\x/\\", "rx", "/r/x/", "/r/\\x"},
        {"///", "", "//", ""},
        {"", "", "", ""},
        {"/\xC4Ve/", "\xC4ve", "/\xC4Ve/", "/\xC4Ve"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(TFFTPServer::FlattenPath(row.input), row.flat);
        EXPECT_EQ(TVFTPServerDataModule::NormalizePath(row.input), row.normalized);
        EXPECT_EQ(TVFTPServerDataModule::StripTrailingDelimiters(row.input), row.stripped);
    }
}

} // namespace
} // namespace vdx
