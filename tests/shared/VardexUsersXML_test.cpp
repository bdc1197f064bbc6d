#include "shared/VardexUsersXML.h"

#include "platform/os/file_error.h"
#include "shared/VdxMisc.h"
#include "shared/VdxXmlDoc.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vdx {
namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

TUserXML User(std::string name, std::string password, bool txt = false, bool webTxt = false,
              bool info = false, bool admin = false, bool skip = false) {
    TUserXML u;
    u.Name = std::move(name);
    u.PassWord = std::move(password);
    u.TXT = txt;
    u.WebTXT = webTxt;
    u.Info = info;
    u.Admin = admin;
    u.SkipWebTxtPages = skip;
    return u;
}

std::string Line(const std::string& name, const std::string& password, const char* flags) {
    // flags: TXT WebTXT Info Admin skipwebtxtpages as five '0'/'1'
    return "\t\t<User Name=\"" + name + "\" PassWord=\"" + password + "\" TXT=\"" + flags[0] +
           "\" WebTXT=\"" + flags[1] + "\" Info=\"" + flags[2] + "\" Admin=\"" + flags[3] +
           "\" skipwebtxtpages=\"" + flags[4] + "\"/>\r\n";
}

std::string File(const std::string& lines) {
    return kDecl + "<Vardex>\r\n\t<Users>\r\n" + lines + "\t</Users>\r\n</Vardex>\r\n";
}

class UsersFile : public ::testing::Test {
protected:
    std::string Path() const { return dir.Folder() + "Users.xml"; }

    std::string SaveBytes(const TUsersXML& users) {
        TVUsersXML file;
        file.Folder = dir.Folder();
        file.Users = users;
        file.Save();
        return test::ReadFileBytes(Path());
    }

    TUsersXML LoadBytes(const std::string& bytes) {
        test::WriteFileBytes(Path(), bytes);
        TVUsersXML file;
        file.Folder = dir.Folder();
        file.Load();
        return file.Users;
    }

    test::TempDir dir;
};

TEST_F(UsersFile, GoldenFilesAndReadBack) {
    const struct {
        const char* name;
        TUsersXML users;
        std::string bytes;
    } rows[] = {
        {"empty list", {}, kDecl + "<Vardex/>\r\n"},
        {"two users",
         {User("anna", "", true), User("bob", "secret", false, true, true, true, true)},
         File(Line("anna", "", "10000") + Line("bob", "zfqzzf", "01111"))},
        {"one flag each",
         {User("t", "", true), User("w", "", false, true), User("i", "", false, false, true),
          User("a", "", false, false, false, true),
          User("s", "", false, false, false, false, true)},
         File(Line("t", "", "10000") + Line("w", "", "01000") + Line("i", "", "00100") +
              Line("a", "", "00010") + Line("s", "", "00001"))},
        // "a5b" scrambles to h"p, "a0b" to h'p
        {"escapes",
         {User("a&b<c>\"d'", "a5b"), User("x", "a0b")},
         File(Line("a&amp;b&lt;c&gt;&quot;d&apos;", "h&quot;p", "00000") +
              Line("x", "h&apos;p", "00000"))},
        {"tab lf cr in a name",
         {User("tab\there\r\n", "")},
         File(Line("tab&#9;here&#13;&#10;", "", "00000"))},
        {"high bytes raw",
         {User("J\xF6rg", "\xE9t\xE9")},
         File(Line("J\xF6rg",
                   "\xE9"
                   "c"
                   "\xE9",
                   "00000"))},
        {"empty name and password", {User("", "")}, File(Line("", "", "00000"))},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(SaveBytes(r.users), r.bytes) << r.name;
        EXPECT_EQ(LoadBytes(r.bytes), r.users) << r.name;
    }
}

TEST_F(UsersFile, RandomUsersRoundTrip) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> printable(32, 255);
    const auto text = [&](std::size_t n) {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += static_cast<char>(i % 7 == 3 ? "\t\n\r"[rng() % 3] : printable(rng));
        return s;
    };
    TUsersXML users;
    for (int i = 0; i < 40; ++i) {
        // Passwords of 32..255 scramble to 32..255, so every one can be stored.
        std::string password;
        for (std::size_t k = rng() % 12; k > 0; --k)
            password += static_cast<char>(printable(rng));
        users.push_back(User(text(rng() % 12), password, rng() & 1, rng() & 1, rng() & 1, rng() & 1,
                             rng() & 1));
    }
    const std::string bytes = SaveBytes(users);
    EXPECT_EQ(LoadBytes(bytes), users);
}

TEST_F(UsersFile, FlagsAreTrueExactlyForIntegerOne) {
    const struct {
        std::string value;
        bool flag;
    } rows[] = {
        {"1", true},
        {"01", true},
        {"+1", true},
        {"$1", true},
        {"$01", true},
        {"0001", true},
        {"+$1", true},
        {"0", false},
        {"2", false},
        {"yes", false},
        {"true", false},
        {"", false},
        {"-1", false},
        {" 1", false},
        {"1 ", false},
        {"1.0", false},
        {"$", false},
        {"+", false},
        {"0x1", false},
        {"$1G", false},
        {"4294967297", false},
        {"$100000001", false},
        {"99999999999999999999991", false},
    };
    for (const auto& r : rows) {
        const std::string bytes = "<Vardex><Users><User Name=\"n\" TXT=\"" + r.value +
                                  "\" WebTXT=\"" + r.value + "\" Info=\"" + r.value +
                                  "\" Admin=\"" + r.value + "\" skipwebtxtpages=\"" + r.value +
                                  "\"/></Users></Vardex>";
        EXPECT_EQ(LoadBytes(bytes),
                  (TUsersXML{User("n", "", r.flag, r.flag, r.flag, r.flag, r.flag)}))
            << "value \"" << r.value << "\"";
    }
}

TEST_F(UsersFile, ReadingRules) {
    const struct {
        const char* name;
        std::string bytes;
        TUsersXML users;
    } rows[] = {
        {"names in other case",
         "<vardex><USERS><user NAME=\"x\" txt=\"1\"/></USERS></vardex>",
         {User("x", "", true)}},
        {"root of any name", "<Other><Users><Person Name=\"a\"/></Users></Other>", {User("a", "")}},
        {"no users element", "<Vardex><Other/></Vardex>", {}},
        {"users element not a direct child",
         "<Vardex><x><Users><User Name=\"a\"/></Users></x></Vardex>",
         {}},
        {"first users element only",
         "<Vardex><Users><User Name=\"a\"/></Users><Users><User Name=\"b\"/></Users></Vardex>",
         {User("a", "")}},
        {"empty users element", "<Vardex>\r\n\t<Users>\r\n\t</Users>\r\n</Vardex>", {}},
        {"non-elements are empty entries",
         "<Vardex><Users>\r\n\t<!-- c -->\r\n\t<User Name=\"a\"/>\r\n\ttext\r\n\t<?pi x?>"
         "<![CDATA[Name=\"z\"]]>\r\n</Users></Vardex>",
         {User("", ""), User("a", ""), User("", ""), User("", ""), User("", "")}},
        {"children of a user are ignored",
         "<Vardex><Users><User Name=\"a\"><User Name=\"b\"/></User></Users></Vardex>",
         {User("a", "")}},
        {"entities and char refs",
         "<Vardex><Users><User Name=\"&lt;&#65;&#x42;&amp;\"/></Users></Vardex>",
         {User("<AB&", "")}},
        {"password unscrambled",
         "<Vardex><Users><User Name=\"b\" PassWord=\"zfqzzf\"/></Users></Vardex>",
         {User("b", "secret")}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(LoadBytes(r.bytes), r.users) << r.name;
}

TEST_F(UsersFile, NonElementEntryIsWrittenBackAsEmptyUser) {
    const TUsersXML users =
        LoadBytes("<Vardex><Users><!-- c --><User Name=\"a\" TXT=\"1\"/></Users></Vardex>");
    EXPECT_EQ(SaveBytes(users), File(Line("", "", "00000") + Line("a", "", "10000")));
}

TEST_F(UsersFile, AllowStringsAreNotStored) {
    TUserXML u = User("a", "p", true);
    u.Allow[0] = "05..07;";
    u.Allow[7] = "00..99;";
    EXPECT_EQ(SaveBytes({u}), File(Line("a", "p", "10000")));
    EXPECT_EQ(LoadBytes(test::ReadFileBytes(Path())), (TUsersXML{User("a", "p", true)}));
}

TEST_F(UsersFile, MissingFileAndFolderGetsTrailingSlash) {
    TVUsersXML file;
    file.Folder = dir.Path().string(); // no trailing "/"
    file.Users = {User("stale", "")};
    file.Load();
    EXPECT_TRUE(file.Users.empty());
    EXPECT_EQ(file.Folder, dir.Folder());

    file.Users = {User("a", "")};
    file.Folder = dir.Path().string();
    file.Save();
    EXPECT_EQ(file.Folder, dir.Folder());
    EXPECT_EQ(test::ReadFileBytes(Path()), File(Line("a", "", "00000")));
}

TEST_F(UsersFile, DamagedOrDoctypeFileThrowsWithEmptyList) {
    const std::string rows[] = {
        "",
        "<Vardex><Users><User Name=\"a\"/>",
        File(Line("a", "", "10000")).substr(0, 120),
        "<Vardex><Users><User Name=\"a\" Name=\"b\"/></Users></Vardex>",
        "<Vardex><Users><User Name=\"a&b\"/></Users></Vardex>",
        "<Vardex><Users><User Name=\"a\"/></Users></Vardex><Vardex/>",
        "<!DOCTYPE Vardex [<!ENTITY e \"evil\">]><Vardex><Users><User "
        "Name=\"&e;\"/></Users></Vardex>",
        "<!DOCTYPE Vardex SYSTEM \"http://127.0.0.1:1/x.dtd\"><Vardex><Users/></Vardex>",
    };
    for (const std::string& bytes : rows) {
        test::WriteFileBytes(Path(), bytes);
        TVUsersXML file;
        file.Folder = dir.Folder();
        file.Users = {User("stale", "")};
        EXPECT_THROW(file.Load(), std::runtime_error) << bytes;
        EXPECT_TRUE(file.Users.empty()) << bytes;
    }
}

TEST_F(UsersFile, UnstorableValueRefusedWithoutLeakingThePassword) {
    const std::string old = SaveBytes({User("a", "")});
    const struct {
        TUserXML user;
        const char* mustName;
    } rows[] = {
        {User(std::string("a\0b", 3), ""), "user 1"},
        {User("bob", "pw\x01zz"), "bob"},
    };
    for (const auto& r : rows) {
        TVUsersXML file;
        file.Folder = dir.Folder();
        file.Users = {r.user};
        try {
            file.Save();
            ADD_FAILURE() << "saved " << r.mustName;
        } catch (const XmlWriteError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(r.mustName), std::string::npos) << what;
            EXPECT_EQ(what.find("pw"), std::string::npos) << what;
        }
        EXPECT_EQ(test::ReadFileBytes(Path()), old);
    }
}

TEST_F(UsersFile, SaveIntoMissingFolderFails) {
    TVUsersXML file;
    file.Folder = dir.Folder() + "missing/";
    file.Users = {User("a", "")};
    EXPECT_THROW(file.Save(), os::FileError);
}

TEST_F(UsersFile, SaveKilledMidwayLeavesTheOldFileReadable) {
    const TUsersXML old = {User("anna", "secret", true)};
    SaveBytes(old);
    TUsersXML many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(User("user" + std::to_string(i), "pw", true));
    // The child dies of SIGXFSZ the moment its write passes the size limit,
    // that is in the middle of writing the new file.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit noCore{0, 0};
        ::setrlimit(RLIMIT_CORE, &noCore);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TVUsersXML file;
        file.Folder = dir.Folder();
        file.Users = many;
        try {
            file.Save();
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;
    EXPECT_EQ(LoadBytes(test::ReadFileBytes(Path())), old);
}

TEST_F(UsersFile, ConcurrentReadsWhileRewritten) {
    // The FTP server reads on several connection threads while the admin
    // program rewrites the file; every read sees one whole version.
    const TUsersXML a = {User("anna", "secret", true)};
    const TUsersXML b = {User("bob", "x", false, true), User("carl", "y")};
    SaveBytes(a);
    std::atomic<bool> stop = false;
    std::atomic<int> bad = 0;
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&] {
            while (!stop) {
                TVUsersXML file;
                file.Folder = dir.Folder();
                file.Load();
                if (file.Users != a && file.Users != b)
                    ++bad;
            }
        });
    for (int i = 0; i < 50; ++i)
        SaveBytes(i % 2 ? a : b);
    stop = true;
    for (std::thread& t : readers)
        t.join();
    EXPECT_EQ(bad, 0);
}

} // namespace
} // namespace vdx
