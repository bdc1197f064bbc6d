// The users table and the login check: every attempt rereads "Users.xml".

#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VFGlobals.h"
#include "shared/VdxXmlDoc.h"

#include "InstallRoot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vdx {
namespace {

using test::InstallRoot;
using test::MakeUser;
using test::WriteFileBytes;

TEST(CheckLogin, FirstMatchWithoutRegardToCasePasswordByteForByte) {
    InstallRoot root;
    TFGlobals globals(root.ProgramPath());
    // Written after start: the login must read the file again.
    root.WriteUsers({MakeUser("Anna", "Secret1"), MakeUser("anna", "other"),
                     MakeUser("b\xF6rje", "p\xE4ss"), MakeUser("bob", "")});
    struct Row {
        const char* user;
        const char* password;
        bool ok;
    };
    const Row rows[] = {
        {"ANNA", "Secret1", true},
        {"anna", "Secret1", true},
        {"anna", "other", false},   // the second Anna is never tried
        {"Anna", "secret1", false}, // letter case of the password counts
        {"Anna", "Secret1 ", false},
        {"B\xF6RJE", "p\xE4ss", true},
        {"B\xD6RJE", "p\xE4ss", false}, // only ASCII letters fold
        {"bob", "", true},
        {"carl", "", false},
        {"", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.user) + " / " + row.password);
        EXPECT_EQ(globals.CheckLogin(row.user, row.password), row.ok);
    }
}

TEST(CheckLogin, EmptyNameIsRefusedEvenWhenACommentReadsAsAnEmptyUser) {
    InstallRoot root;
    WriteFileBytes(root.UsersPath(),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Vardex>\r\n"
                   "\t<Users>\r\n\t\t<!-- a note -->\r\n\t</Users>\r\n</Vardex>\r\n");
    TFGlobals globals(root.ProgramPath());
    ASSERT_EQ(globals.Users()->size(), 1u);
    EXPECT_EQ(globals.Users()->front().Name, "");
    EXPECT_FALSE(globals.CheckLogin("", ""));
}

TEST(CheckLogin, DamagedFileThrowsAndKeepsTheTableInForce) {
    InstallRoot root;
    TUserXML admin = MakeUser("admin", "pw");
    admin.Admin = true;
    root.WriteUsers({admin});
    TFGlobals globals(root.ProgramPath());
    TFFTPServer server(globals);
    for (const char* damaged :
         {"<Vardex><Users><User Name=\"admin\"/>", "<Vardex>\r\n\t<Users>\r\n\t\t<User Name=\"x"}) {
        SCOPED_TRACE(damaged);
        WriteFileBytes(root.UsersPath(), damaged);
        EXPECT_ANY_THROW(globals.CheckLogin("admin", "pw"));
        EXPECT_TRUE(server.IsAdmin("admin"));
    }
    // The file is missing now: an empty table, every login fails.
    std::filesystem::remove(root.UsersPath());
    EXPECT_FALSE(globals.CheckLogin("admin", "pw"));
    EXPECT_FALSE(server.IsAdmin("admin"));
}

long PeakResidentKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(CheckLogin, HugeFileIsRefusedWithoutBeingReadIntoMemory) {
    InstallRoot root;
    root.WriteUsers({MakeUser("anna", "a")});
    TFGlobals globals(root.ProgramPath());
    // A sparse gigabyte: reading it whole would show in the peak memory.
    ASSERT_EQ(::truncate(root.UsersPath().c_str(), 1L << 30), 0);
    const long before = PeakResidentKiB();
    EXPECT_THROW(globals.CheckLogin("anna", "a"), XmlParseError);
    EXPECT_THROW(globals.LoadUsers(), XmlParseError);
    EXPECT_LT(PeakResidentKiB() - before, 256L << 10) << "KiB more at peak";
    EXPECT_TRUE(globals.FindUser("anna").has_value()) << "the old table stays in force";
}

TEST(CheckLogin, RightsFollowTheFileAsOfTheLatestLoginOfAnybody) {
    InstallRoot root;
    TUserXML admin = MakeUser("admin", "pw");
    admin.Admin = true;
    const TUserXML anna = MakeUser("anna", "a");
    root.WriteUsers({anna, admin});
    TFGlobals globals(root.ProgramPath());
    TFFTPServer server(globals);
    ASSERT_TRUE(server.IsAdmin("ADMIN"));

    root.WriteUsers({anna});
    EXPECT_TRUE(server.IsAdmin("admin")) << "no reload before the next login";
    const auto before = globals.Users();
    EXPECT_TRUE(globals.CheckLogin("anna", "a"));
    EXPECT_FALSE(server.IsAdmin("admin")) << "the reload removed him";
    EXPECT_FALSE(globals.FindUser("admin").has_value());
    EXPECT_EQ(before->size(), 2u) << "a snapshot handed out never changes";
}

TEST(CheckLogin, LoginsOverlappingRewritesSeeOneWholeFile) {
    InstallRoot root;
    const TUsersXML small = {MakeUser("anna", "a")};
    const TUsersXML large = {MakeUser("x1", "1"), MakeUser("x2", "2"), MakeUser("x3", "3"),
                             MakeUser("anna", "a")};
    root.WriteUsers(small);
    TFGlobals globals(root.ProgramPath());
    std::atomic<int> failures = 0;
    std::atomic<bool> done = false;
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                try {
                    const std::size_t size = globals.Users()->size();
                    if (!globals.CheckLogin("anna", "a") || (size != 1 && size != 4))
                        ++failures;
                    const auto user = globals.FindUser("anna");
                    if (!user || user->PassWord != "a")
                        ++failures;
                } catch (...) {
                    ++failures;
                }
            }
        });
    std::thread writer([&] {
        for (int i = 0; !done; ++i)
            root.WriteUsers(i % 2 ? small : large);
    });
    for (auto& reader : readers)
        reader.join();
    done = true;
    writer.join();
    EXPECT_EQ(failures, 0);
}

// The same user once as administrator and once not: files of the same size.
std::string UsersBytes(bool admin) {
    return std::string("<Vardex><Users><User Name=\"boss\" Admin=\"") + (admin ? "1" : "0") +
           "\"/></Users></Vardex>";
}

TEST(UsersCache, EveryLoadReadsOnceAndGivesTheTableOfExactlyTheBytesRead) {
    // The file at each read, as administrator or not, or missing (nullopt); a
    // load that read it twice would meet the next file and file the wrong table.
    const std::optional<bool> files[] = {true, false, true, true, std::nullopt, true, false};
    std::size_t reads = 0;
    TUsersCache cache("Users.xml", [&](const std::string&) -> std::optional<std::string> {
        const std::size_t at = reads++;
        if (at >= std::size(files))
            return "<damaged";
        return files[at] ? std::optional(UsersBytes(*files[at])) : std::nullopt;
    });
    std::shared_ptr<const TUsersXML> previous;
    for (std::size_t i = 0; i < std::size(files); ++i) {
        SCOPED_TRACE(i);
        const auto table = cache.Load();
        EXPECT_EQ(reads, i + 1);
        EXPECT_EQ(cache.Current(), table);
        if (!files[i]) {
            EXPECT_TRUE(table->empty());
        } else {
            ASSERT_EQ(table->size(), 1u);
            EXPECT_EQ(table->front().Admin, *files[i]);
        }
        if (i > 0 && files[i] && files[i] == files[i - 1]) {
            EXPECT_EQ(table, previous) << "the same bytes are not parsed again";
        }
        previous = table;
    }
    EXPECT_THROW(cache.Load(), XmlParseError);
    EXPECT_EQ(cache.Current(), previous) << "a damaged file leaves the table in force";
}

TEST(CheckLogin, FileFlippingBetweenLoginsGivesEachLoginTheFileAsItIsThen) {
    InstallRoot root;
    TUserXML boss = MakeUser("boss", "pw");
    boss.Admin = true;
    TUserXML revoked = boss;
    revoked.Admin = false;
    root.WriteUsers({boss});
    TFGlobals globals(root.ProgramPath());
    TFFTPServer server(globals);

    for (const bool admin : {true, false, true, false, true}) {
        root.WriteUsers({admin ? boss : revoked});
        EXPECT_TRUE(globals.CheckLogin("boss", "pw"));
        EXPECT_EQ(server.IsAdmin("boss"), admin);
    }
}

} // namespace
} // namespace vdx
