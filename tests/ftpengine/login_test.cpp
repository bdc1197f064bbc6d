// The users table and the login check: every attempt looks at "Users.xml" again.

#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VFGlobals.h"
#include "platform/os/atomic_file.h"
#include "shared/VdxXmlDoc.h"

#include "InstallRoot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
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

TEST(CheckLogin, DamagedOrUnreadableFileLetsNobodyInUntilItIsGoodAgain) {
    InstallRoot root;
    TUserXML admin = MakeUser("admin", "pw");
    admin.Admin = true;
    root.WriteUsers({admin});
    TFGlobals globals(root.ProgramPath());
    TFFTPServer server(globals);
    const struct {
        const char* name;
        const char* damaged; // nullptr: a FIFO, which is no file to read
    } rows[] = {
        {"truncated", "<Vardex><Users><User Name=\"admin\"/>"},
        {"cut in a value", "<Vardex>\r\n\t<Users>\r\n\t\t<User Name=\"x"},
        {"unreadable", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(root.UsersPath());
        if (row.damaged)
            WriteFileBytes(root.UsersPath(), row.damaged);
        else
            ASSERT_EQ(::mkfifo(root.UsersPath().c_str(), 0600), 0);
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                globals.CheckLogin("admin", "pw");
                ADD_FAILURE() << "logged in";
            } catch (const std::exception& e) {
                // Clients see this text: the file by its name, never where it lies.
                const std::string what = e.what();
                EXPECT_NE(what.find("\"Users.xml\""), std::string::npos) << what;
                EXPECT_EQ(what.find(root.Root()), std::string::npos) << what;
            }
        }
        EXPECT_FALSE(server.IsAdmin("admin")) << "no falling back to the last good table";
        EXPECT_FALSE(globals.FindUser("admin").has_value());

        root.WriteUsers({admin});
        EXPECT_TRUE(globals.CheckLogin("admin", "pw"));
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
    EXPECT_FALSE(globals.FindUser("anna").has_value()) << "a file not read lets nobody in";
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

TEST(UsersTable, FindGivesTheFirstUserInFileOrderWhateverTheCase) {
    // Enough users for names to share slots of the index; every name comes
    // again later in other letter case, and the later one must never be found.
    TUsersXML users;
    for (int i = 0; i < 3000; ++i)
        users.push_back(MakeUser("User" + std::to_string(i), "first" + std::to_string(i)));
    for (int i = 0; i < 3000; ++i)
        users.push_back(MakeUser("uSER" + std::to_string(i), "later"));
    users.push_back(MakeUser("b\xF6rje", "p"));
    users.push_back(MakeUser("B\xD6RJE", "q"));
    users.push_back(MakeUser("", "empty"));
    const TUsersTable table(users);
    ASSERT_EQ(table.Users(), users);
    for (int i = 0; i < 3000; i += 7) {
        for (const std::string& name :
             {"user" + std::to_string(i), "USER" + std::to_string(i), "uSeR" + std::to_string(i)}) {
            const TUserXML* user = table.Find(name);
            ASSERT_NE(user, nullptr) << name;
            EXPECT_EQ(user, &table.Users()[static_cast<std::size_t>(i)]) << name;
        }
    }
    const struct {
        const char* name;
        const char* password; // nullptr: nobody
    } rows[] = {
        {"B\xF6RJE", "p"}, // only ASCII letters fold
        {"b\xD6rje", "q"},   {"", "empty"},     {"user3000", nullptr},
        {"user1 ", nullptr}, {"user", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TUserXML* user = table.Find(row.name);
        if (!row.password) {
            EXPECT_EQ(user, nullptr);
        } else {
            ASSERT_NE(user, nullptr);
            EXPECT_EQ(user->PassWord, row.password);
        }
    }
    EXPECT_EQ(TUsersTable().Find("anyone"), nullptr);
}

// The same user once as administrator and once not: files of the same size.
std::string UsersBytes(bool admin) {
    return std::string("<Vardex><Users><User Name=\"boss\" Admin=\"") + (admin ? "1" : "0") +
           "\"/></Users></Vardex>";
}

TEST(UsersCache, EachVersionOfTheFileIsReadOnce) {
    InstallRoot root;
    TUsersCache cache(root.UsersPath(), kUsersFileName);
    // The file at each load: written anew as administrator or not (a new
    // version even with the same bytes), left as it is, or removed.
    enum Step { Admin, NotAdmin, Unchanged, Removed, Rewritten };
    const Step steps[] = {Admin,     NotAdmin, Unchanged, Unchanged, Admin,
                          Rewritten, Removed,  Removed,   NotAdmin,  Unchanged};
    bool admin = false;
    std::shared_ptr<const TUsersXML> previous;
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        const std::uint64_t reads = cache.Reads();
        switch (steps[i]) {
        case Admin:
        case NotAdmin:
            admin = steps[i] == Admin;
            [[fallthrough]];
        case Rewritten:
            os::WriteFileAtomically(root.UsersPath(), UsersBytes(admin));
            break;
        case Removed:
            std::filesystem::remove(root.UsersPath());
            break;
        case Unchanged:
            break;
        }
        const auto table = cache.Load();
        EXPECT_EQ(cache.Current(), table);
        if (steps[i] == Removed) {
            EXPECT_TRUE(table->empty());
            EXPECT_EQ(cache.Reads(), reads);
            continue;
        }
        ASSERT_EQ(table->size(), 1u);
        EXPECT_EQ(table->front().Admin, admin);
        if (steps[i] == Unchanged) {
            EXPECT_EQ(cache.Reads(), reads) << "an unchanged file is not read again";
            EXPECT_EQ(table, previous);
        } else {
            EXPECT_EQ(cache.Reads(), reads + 1);
        }
        previous = table;
    }
    // A damaged version: read once, refused at every load, and nobody in meanwhile.
    os::WriteFileAtomically(root.UsersPath(), "<damaged");
    const std::uint64_t reads = cache.Reads();
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_THROW(cache.Load(), XmlParseError);
        EXPECT_TRUE(cache.Current()->empty());
    }
    EXPECT_EQ(cache.Reads(), reads + 1);
}

// 20,000 users (about 2.5 MB), the one who changes last: a parse long enough
// for the logins released together to meet it running.
std::string BigUsersBytes(bool admin) {
    TUsersXML users;
    for (int i = 0; i < 20000; ++i)
        users.push_back(MakeUser("user" + std::to_string(i), "pw"));
    users.back().Admin = admin;
    return FormatUsersXml(users);
}

TEST(UsersCache, FileFlippingUnderConcurrentLoginsIsParsedOncePerVersion) {
    InstallRoot root;
    const std::string versions[] = {BigUsersBytes(false), BigUsersBytes(true)};
    TUsersCache cache(root.UsersPath(), kUsersFileName);
    constexpr int kThreads = 8;
    constexpr int kRounds = 6;
    std::vector<std::shared_ptr<const TUsersXML>> tables(kThreads);
    std::barrier start(kThreads + 1);
    std::barrier done(kThreads + 1);
    std::vector<std::thread> logins;
    for (int t = 0; t < kThreads; ++t)
        logins.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) {
                start.arrive_and_wait();
                try {
                    tables[t] = cache.Load();
                } catch (...) {
                    tables[t] = nullptr;
                }
                done.arrive_and_wait();
            }
        });
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        os::WriteFileAtomically(root.UsersPath(), versions[round % 2]);
        start.arrive_and_wait(); // every login of the round at once
        done.arrive_and_wait();
        EXPECT_EQ(cache.Reads(), static_cast<std::uint64_t>(round + 1));
        for (const auto& table : tables) {
            ASSERT_NE(table, nullptr);
            EXPECT_EQ(table, tables.front()) << "one table shared by the round";
            EXPECT_EQ(table->back().Admin, round % 2 == 1);
        }
    }
    for (std::thread& t : logins)
        t.join();

    // Rewritten once while half of a round's logins are under way: the read
    // running and one more serve them all, and the logins that began after
    // the rewrite all get the new version.
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        const bool admin = round % 2 == 1;
        os::WriteFileAtomically(root.UsersPath(), versions[admin ? 0 : 1]);
        const std::uint64_t reads = cache.Reads();
        std::barrier rewritten(kThreads + 1);
        for (int t = 0; t < kThreads; ++t)
            logins[t] = std::thread([&, t] {
                if (t % 2 == 1)
                    rewritten.arrive_and_wait();
                try {
                    tables[t] = cache.Load();
                } catch (...) {
                    tables[t] = nullptr;
                }
                if (t % 2 == 0)
                    rewritten.arrive_and_wait();
            });
        os::WriteFileAtomically(root.UsersPath(), versions[admin ? 1 : 0]);
        rewritten.arrive_and_wait();
        for (std::thread& t : logins)
            t.join();
        EXPECT_LE(cache.Reads() - reads, 2u);
        for (int t = 0; t < kThreads; ++t) {
            ASSERT_NE(tables[t], nullptr);
            if (t % 2 == 1) {
                EXPECT_EQ(tables[t]->back().Admin, admin) << "a login after the rewrite";
            }
        }
    }

    // Rewritten while the logins run: never more reads than versions, and
    // every table one whole version.
    const std::uint64_t before = cache.Reads();
    std::atomic<bool> stop = false;
    std::atomic<int> bad = 0;
    for (int t = 0; t < kThreads; ++t)
        logins[t] = std::thread([&] {
            while (!stop) {
                try {
                    if (cache.Load()->size() != 20000u)
                        ++bad;
                } catch (...) {
                    ++bad;
                }
            }
        });
    constexpr int kRewrites = 20;
    for (int i = 0; i < kRewrites; ++i) {
        os::WriteFileAtomically(root.UsersPath(), versions[i % 2]);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    stop = true;
    for (std::thread& t : logins)
        t.join();
    EXPECT_EQ(bad, 0);
    EXPECT_LE(cache.Reads() - before, static_cast<std::uint64_t>(kRewrites));
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
