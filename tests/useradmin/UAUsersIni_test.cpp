#include "useradmin/UAUsersIni.h"

#include <gtest/gtest.h>

namespace vdx {
namespace {

TUserXML User(std::string name, std::string password, bool txt, bool webTxt, bool admin, bool skip,
              TAllowStrings allow = {}) {
    TUserXML u;
    u.Name = std::move(name);
    u.PassWord = std::move(password);
    u.TXT = txt;
    u.WebTXT = webTxt;
    u.Admin = admin;
    u.SkipWebTxtPages = skip;
    u.Info = true; // never written
    u.Allow = std::move(allow);
    return u;
}

TEST(UsersIni, GoldenBytes) {
    TAllowStrings anna;
    anna[1] = "00..99;";
    TAllowStrings every;
    for (int n = 0; n < 8; ++n)
        every[n] = std::to_string(n) + "0..";
    TAllowStrings odd;
    odd[4] = "05..;"; // does not parse: kept as stored
    odd[7] = "\xe9\xff";
    struct Case {
        const char* what;
        TUsersXML users;
        std::string bytes;
    } cases[] = {
        {"no users", {}, ""},
        {"Anna as the file's example",
         {User("Anna", "geheim", false, true, true, false, anna)},
         "[Anna]\r\nsystem=1\r\npassword=geheim\r\nmag2=00..99;\r\n"},
        {"TXT only", {User("Bob", "pw", true, false, false, false)}, "[Bob]\r\n"},
        {"every key, in order",
         {User("C", "p w", true, true, true, true, every)},
         "[C]\r\nsystem=1\r\npassword=p w\r\nskipwebtxtpages=1\r\nmag1=00..\r\nmag2=10..\r\n"
         "mag3=20..\r\nmag4=30..\r\nmag5=40..\r\nmag6=50..\r\nmag7=60..\r\nmag8=70..\r\n"},
        {"no password without WebTXT, raw bytes, list order",
         {User("Z\xe4", "secret", false, false, false, false, odd),
          User("A", "", false, true, false, false)},
         "[Z\xe4]\r\nmag5=05..;\r\nmag8=\xe9\xff\r\n[A]\r\npassword=\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatUsersIni(c.users), c.bytes) << c.what;
}

TEST(UsersIni, LineBreaksInWrittenValuesStopTheWrite) {
    for (const TUserXML& u :
         {User("a\rb", "", true, false, false, false), User("a\nb", "", true, false, false, false),
          User("c", "x\r\nsystem=1", false, true, false, false)}) {
        try {
            FormatUsersIni({User("fine", "", true, false, false, false), u});
            ADD_FAILURE() << "written";
        } catch (const EUsersIniError& e) {
            EXPECT_NE(std::string(e.what()).find("user \""), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << e.what();
        }
    }
    // A password that is not written may hold anything.
    EXPECT_EQ(FormatUsersIni({User("d", "x\ny", true, false, false, false)}), "[d]\r\n");
}

TEST(UsersIni, ReaderRules) {
    const std::string text = "; comment\r\n"
                             "mag1=before any section\r\n"
                             "  [ Anna ]  \r\n"
                             "  MAG3  =  05..07,20; ; kept  \r\n"
                             ";mag4=commented\r\n"
                             "\r\n"
                             "mag3=second is ignored\n"
                             "mag8\n"
                             "mag2=a=b\r"
                             "[anna]\n"
                             "mag1=other spelling\n"
                             "[BOB]\n"
                             "mag5=10..19;";
    const TUsersIniRights rights(text);
    const TAllowStrings anna = rights.PageRights("Anna");
    EXPECT_EQ(anna[2], "05..07,20; ; kept");
    EXPECT_EQ(anna[1], "a=b");
    EXPECT_EQ(anna[0], ""); // exact spelling first: the other section is not merged
    EXPECT_EQ(anna[3], "");
    EXPECT_EQ(anna[7], "");
    EXPECT_EQ(rights.PageRights("anna")[0], "other spelling");
    EXPECT_EQ(rights.PageRights("ANNA")[2], "05..07,20; ; kept"); // first without regard to case
    EXPECT_EQ(rights.PageRights("bob")[4], "10..19;");
    EXPECT_EQ(rights.PageRights("carl"), TAllowStrings{});
}

TEST(UsersIni, WrittenFileReadsBack) {
    TAllowStrings allow;
    allow[0] = "100..199;";
    allow[6] = "7";
    const TUsersXML users = {User("Anna", "pw", true, true, true, true, allow),
                             User("Bob", "", true, false, false, false)};
    const TUsersIniRights rights(FormatUsersIni(users));
    EXPECT_EQ(rights.PageRights("Anna"), allow);
    EXPECT_EQ(rights.PageRights("Bob"), TAllowStrings{});
}

} // namespace
} // namespace vdx
