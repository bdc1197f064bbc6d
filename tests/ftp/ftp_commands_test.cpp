// Replies of the file-fact, time, attribute, checksum and session commands, over raw sockets.

#include "raw_client.h"
#include "test_binding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace vdx::test {
namespace {

namespace fs = std::filesystem;
using namespace vdx::ftp;

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_server.Start();
        WriteFileBytes(m_server.Root() / "hello.txt", "hello world");
        m_client.emplace(m_server.Port());
        m_client->Login();
    }
    std::string Text(const std::string& command) { return m_client->Command(command).text; }
    int Code(const std::string& command) { return m_client->Command(command).code; }

    TestFtpServer m_server;
    std::optional<RawFtpClient> m_client;
};

TEST_F(CommandTest, SessionCommandReplies) {
    const struct {
        const char* command;
        const char* reply;
    } cases[] = {
        {"SYST", "215 WIN32\n"},
        {"NOOP", "200 NOOP command successful.\n"},
        {"TYPE I", "200 Type set to I.\n"},
        {"TYPE L 8", "200 Type set to L 8.\n"},
        {"TYPE a", "200 Type set to A.\n"},
        {"TYPE E", "504 Type not implemented for that parameter.\n"},
        {"TYPE X", "501 Syntax error in parameters or arguments.\n"},
        {"STRU R", "200 Structure set to R.\n"},
        {"STRU F", "200 Structure set to F.\n"},
        {"STRU Q", "504 Structure not implemented.\n"},
        {"MODE B", "504 Mode not implemented.\n"},
        {"MODE Z", "200 Mode set to Z.\n"},
        {"MODE S", "200 Mode set to S.\n"},
        {"OPTS UTF8 ON", "200 UTF8 mode on.\n"},
        {"OPTS MODE Z LEVEL 10", "501 Option not understood.\n"},
        {"OPTS MLST size;TYPE;bogus;", "200 MLST OPTS type;size;\n"},
        {"OPTS FOO", "501 Option not understood.\n"},
        {"REST abc", "501 Invalid restart position.\n"},
        {"REST -5", "501 Invalid restart position.\n"},
        {"ALLO 100", "202 ALLO command ignored.\n"},
        {"CLNT test 1.0", "200 Noted.\n"},
        {"AUTH TLS", "502 Command not implemented.\n"},
        {"RNTO x", "503 Bad sequence of commands.\n"},
        {"ABOR", "226 ABOR command successful.\n"},
        {"SITE HELP", "214-The following SITE commands are recognized:\n ATTRIB  HELP    UTIME\n"
                      "214 End of help.\n"},
        {"RETR hello.txt", "425 Use PORT or PASV first.\n"},
        {"HELP retr", "214 RETR is supported.\n"},
        {"HELP AUTH", "502 AUTH is not supported.\n"},
    };
    for (const auto& row : cases)
        EXPECT_EQ(Text(row.command), row.reply) << row.command;

    const std::string help = Text("HELP");
    EXPECT_EQ(help.rfind("214-Help follows\n", 0), 0u) << help;
    EXPECT_NE(help.find(" XSHA512"), std::string::npos);
    EXPECT_NE(help.find("214 End of help.\n"), std::string::npos);

    const std::string feat = Text("FEAT");
    for (const char* line : {"211-Extensions supported:\n", " MDTM\n", " SIZE\n", " REST STREAM\n",
                             " MFMT\n", " MODE Z\n", " UTF8\n", " EPSV\n", " EPRT\n", " COMB\n",
                             " XCRC \"filename\" SP EP\n", " MLST type", "211 End\n"})
        EXPECT_NE(feat.find(line), std::string::npos) << line << " in " << feat;

    EXPECT_EQ(Text("REIN"), "220 Service ready for new user.\n");
    EXPECT_EQ(Code("PWD"), 530);
}

TEST_F(CommandTest, FolderCommands) {
    EXPECT_EQ(Text("MKD a/b/c"), "257 Requested file action okay, completed.\n");
    EXPECT_TRUE(fs::is_directory(m_server.Root() / "a" / "b" / "c"));
    EXPECT_EQ(Text("CWD a/b"), "250 CWD Command successful.\n");
    EXPECT_EQ(Text("XCWD c"), "250 XCWD Command successful.\n");
    EXPECT_EQ(Text("CDUP"), "250 CDUP Command successful.\n");
    EXPECT_EQ(Text("PWD"), "257 \"/a/b\" is current directory.\n");
    // The handler keeps the folder for a missing one; the reply is the same.
    EXPECT_EQ(Text("CWD missing"), "250 CWD Command successful.\n");
    EXPECT_EQ(Text("PWD"), "257 \"/a/b\" is current directory.\n");
    EXPECT_EQ(Text("RMD c"), "250 Requested file action okay, completed.\n");
    EXPECT_FALSE(fs::exists(m_server.Root() / "a" / "b" / "c"));
    // No name is no name, never the current folder.
    for (const char* command : {"CWD", "RMD", "DELE", "MKD", "SIZE", "RETR", "RNFR"})
        EXPECT_EQ(Code(command), 501) << command;
    EXPECT_TRUE(fs::is_directory(m_server.Root() / "a" / "b"));
    // Quotes in a folder name are doubled in the PWD reply.
    EXPECT_EQ(Code("MKD /q\"x"), 257);
    EXPECT_EQ(Code("CWD /q\"x"), 250);
    EXPECT_EQ(Text("PWD"), "257 \"/q\"\"x\" is current directory.\n");
}

TEST_F(CommandTest, FileFactsAndTimes) {
    EXPECT_EQ(Text("SIZE hello.txt"), "213 11\n");
    fs::resize_file(m_server.Root() / "hello.txt", 5LL * 1024 * 1024 * 1024); // sparse
    EXPECT_EQ(Text("SIZE hello.txt"), "213 5368709120\n");
    fs::resize_file(m_server.Root() / "hello.txt", 11);
    EXPECT_EQ(Text("SIZE nothing"), "550 Requested action aborted: local error in processing.\n");
    EXPECT_EQ(Text("MDTM nothing"), "550 No such file\n");

    EXPECT_EQ(Text("MFMT 20240305070409 hello.txt"), "213 Modify=20240305070408; hello.txt\n");
    EXPECT_EQ(Text("MDTM hello.txt"), "213 20240305070408\n");
    EXPECT_EQ(Text("MFMT 2024030507040 hello.txt"),
              "501 Syntax error in parameters or arguments.\n");
    EXPECT_EQ(Text("MFMT 20241305070409 hello.txt"),
              "501 Syntax error in parameters or arguments.\n");
    EXPECT_EQ(Code("MFCT 20240305070409 hello.txt"), 502); // no handler bound

    // MDTM with a leading time sets it unless a file is named by the whole argument.
    EXPECT_EQ(Text("MDTM 20200102030406 hello.txt"), "253 Date/time changed okay.\n");
    EXPECT_EQ(Text("MDTM hello.txt"), "213 20200102030406\n");
    WriteFileBytes(m_server.Root() / "20200102030406 odd.txt", "x");
    const std::string query = Text("MDTM 20200102030406 odd.txt");
    EXPECT_EQ(query.substr(0, 4), "213 ");
    EXPECT_NE(query, "213 20200102030406\n");

    // SITE UTIME in its two- and five-word forms.
    struct stat st {};
    EXPECT_EQ(Text("SITE UTIME 20100101000000 hello.txt"), "200 Date/time changed okay.\n");
    ASSERT_EQ(::stat((m_server.Root() / "hello.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1262304000);
    EXPECT_EQ(Code("SITE UTIME hello.txt 20110101000000"), 200);
    ::stat((m_server.Root() / "hello.txt").c_str(), &st);
    EXPECT_EQ(st.st_mtime, 1293840000);
    EXPECT_EQ(Code("SITE UTIME hello.txt 20120101000000 20130101000000 20140101000000 UTC"), 200);
    ::stat((m_server.Root() / "hello.txt").c_str(), &st);
    EXPECT_EQ(st.st_atime, 1325376000);
    EXPECT_EQ(st.st_mtime, 1356998400);
    EXPECT_EQ(Code("SITE UTIME 20150101000000 20160101000000 20170101000000 hello.txt UTC"), 200);
    ::stat((m_server.Root() / "hello.txt").c_str(), &st);
    EXPECT_EQ(st.st_mtime, 1451606400);
    EXPECT_EQ(Text("SITE UTIME 20150101000000 locked.txt"), "550 Permission denied.\n");
    EXPECT_EQ(Code("SITE UTIME hello.txt"), 501);
    // "0" leaves a time as it is, but one time must be given.
    EXPECT_EQ(Code("SITE UTIME hello.txt 0 20180101000000 0 UTC"), 200);
    ::stat((m_server.Root() / "hello.txt").c_str(), &st);
    EXPECT_EQ(st.st_mtime, 1514764800);
    EXPECT_EQ(Code("SITE UTIME hello.txt 0 0 0 UTC"), 501);
}

TEST_F(CommandTest, SiteAttribChangesAndReportsAttributes) {
    EXPECT_EQ(Text("SITE ATTRIB +R hello.txt"), "200 Attributes now 0x00000021 (RA).\n");
    struct stat st {};
    ASSERT_EQ(::stat((m_server.Root() / "hello.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
    EXPECT_EQ(Text("SITE ATTRIB -R hello.txt"), "200 Attributes now 0x00000020 (A).\n");
    EXPECT_EQ(Text("SITE ATTRIB 1 hello.txt"), "200 Attributes now 0x00000021 (RA).\n");
    EXPECT_EQ(Text("SITE ATTRIB 0 hello.txt"), "200 Attributes now 0x00000020 (A).\n");
    EXPECT_EQ(Text("SITE ATTRIB +R missing.txt"), "550 File not found.\n");
    EXPECT_EQ(Code("SITE ATTRIB +X hello.txt"), 501);
    EXPECT_EQ(Code("SITE ATTRIB hello.txt"), 501);
}

TEST_F(CommandTest, StatusListingsAndMlst) {
    const std::string status = Text("STAT");
    EXPECT_EQ(status, "211-Logged in as user\n211-No Data Connection\n211 End of status\n");
    ASSERT_NE(m_client->Pasv(), 0);
    EXPECT_NE(Text("STAT").find("Data Connection Active"), std::string::npos);

    const std::string listing = Text("STAT -la /");
    EXPECT_EQ(listing.rfind("213-Status of /:\n", 0), 0u) << listing;
    EXPECT_NE(listing.find(" hello.txt\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("213 End of status\n"), std::string::npos);

    const std::string mlst = Text("MLST hello.txt");
    EXPECT_EQ(mlst.rfind("250-Listing /hello.txt\n type=file;size=11;", 0), 0u) << mlst;
    EXPECT_NE(mlst.find("; /hello.txt\n250 End\n"), std::string::npos) << mlst;
    EXPECT_EQ(Code("MLST missing.txt"), 550);

    // Listing of a name pattern and sizes in blocks.
    WriteFileBytes(m_server.Root() / "k.bin", std::string(1025, 'k'));
    FtpReply done;
    const std::string blocks = m_client->Transfer("LIST -s k.bin", done);
    EXPECT_EQ(done.code, 226);
    EXPECT_EQ(blocks.rfind("   2 -rw-rw-rw-", 0), 0u) << blocks;
    const std::string names = m_client->Transfer("NLST", done);
    EXPECT_NE(names.find("hello.txt\r\n"), std::string::npos) << names;
}

TEST_F(CommandTest, ChecksumsOverWholeFilesAndRanges) {
    const struct {
        const char* command;
        const char* reply;
    } cases[] = {
        {"XCRC hello.txt", "250 0D4A1185\n"},
        {"XCRC \"hello.txt\" 0 5", "250 3610A686\n"}, // "hello"
        {"XMD5 hello.txt", "250 5EB63BBBE01EEED093CB22BB8F5ACDC3\n"},
        {"XSHA1 hello.txt", "250 2AAE6C35C94FCFB415DBE95F408B9CE91EE846ED\n"},
        {"XSHA256 \"hello.txt\"",
         "250 B94D27B9934D3E08A52E52D7DA7DABFAC484EFE37A5380EE9088F7ACE2EFCDE9\n"},
        {"XCRC \"hello.txt\" 20", "550 Start position beyond the end of the file\n"},
        {"XCRC \"hello.txt\" x", "501 Syntax error in parameters or arguments.\n"},
        {"XCRC \"hello.txt\" 3 1", "501 Syntax error in parameters or arguments.\n"},
        {"XCRC \"hello.txt", "501 Syntax error in parameters or arguments.\n"},
    };
    for (const auto& row : cases)
        EXPECT_EQ(Text(row.command), row.reply) << row.command;
    EXPECT_EQ(Text("XSHA512 hello.txt").size(), 4u + 128u + 1u);
}

TEST_F(CommandTest, RenameCombineDeleteAndHandlerReplies) {
    EXPECT_EQ(Text("RNFR hello.txt"), "350 Requested file action pending further information.\n");
    EXPECT_EQ(Text("RNTO moved.txt"), "250 Requested file action okay, completed.\n");
    EXPECT_TRUE(fs::exists(m_server.Root() / "moved.txt"));
    // A handler's own reply code comes through as it is.
    EXPECT_EQ(Code("RNFR moved.txt"), 350);
    EXPECT_EQ(Text("RNTO refused.txt"), "553 Rename refused.\n");
    // The rename source lasts for one command only.
    EXPECT_EQ(Code("RNFR moved.txt"), 350);
    EXPECT_EQ(Code("NOOP"), 200);
    EXPECT_EQ(Code("RNTO other.txt"), 503);

    WriteFileBytes(m_server.Root() / "p1", "one,");
    WriteFileBytes(m_server.Root() / "p 2", "two");
    EXPECT_EQ(Text("COMB \"whole\" p1 \"p 2\""), "250 File Operation Successful\n");
    EXPECT_EQ(ReadFileBytes(m_server.Root() / "whole"), "one,two");
    EXPECT_FALSE(fs::exists(m_server.Root() / "p1"));
    EXPECT_EQ(Code("COMB onlytarget"), 501);

    EXPECT_EQ(Text("DELE moved.txt"), "250 Requested file action okay, completed.\n");
    EXPECT_FALSE(fs::exists(m_server.Root() / "moved.txt"));

    // A refused store, and a store whose restart offset lies past the end.
    FtpReply done;
    m_client->Transfer("STOR refused.bin", done);
    EXPECT_EQ(done.text, "550 Requested action aborted: local error in processing.\n");
    ASSERT_EQ(Code("REST 100"), 350);
    m_client->Transfer("RETR whole", done);
    EXPECT_EQ(done.code, 554);
    // A resumed upload past the end would leave a hole of zeros: refused, the file untouched.
    ASSERT_EQ(Code("REST 100"), 350);
    m_client->Transfer("STOR whole", done, "more", true);
    EXPECT_EQ(done.code, 554);
    EXPECT_EQ(ReadFileBytes(m_server.Root() / "whole"), "one,two");
    // APPE never creates: the handler's open error is the reply.
    m_client->Transfer("APPE none.bin", done);
    EXPECT_EQ(done.code, 550);
    EXPECT_FALSE(fs::exists(m_server.Root() / "none.bin"));

    // STOU picks a name of its own and tells it.
    const std::uint16_t port = m_client->Pasv();
    Socket data(port);
    const FtpReply opening = m_client->Command("STOU");
    ASSERT_EQ(opening.code, 150);
    ASSERT_EQ(opening.text.rfind("150 FILE: /stou.", 0), 0u) << opening.text;
    data.SendAll("unique");
    data.Close();
    EXPECT_EQ(m_client->Read().code, 226);
    const std::string name = opening.text.substr(10, opening.text.size() - 11);
    EXPECT_EQ(ReadFileBytes(m_server.Root() / name.substr(1)), "unique");
}

// A stream that fails on every read, as a file on a failing disk does.
class UnreadableStream final : public TStream {
public:
    std::size_t Read(void*, std::size_t) override { throw std::runtime_error("Read failed"); }
    void Write(const void*, std::size_t) override { throw std::runtime_error("Write failed"); }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin) override { return offset; }
    std::int64_t Size() override { return 100; }
    void SetSize(std::int64_t) override {}
};

TEST(SessionPassword, KeptOnlyWhileTheLoginIsDecided) {
    // The login handler sees the password; nothing after it does, whether
    // the login was refused or let in.
    std::mutex mutex;
    std::vector<std::string> seen; // "event:password"
    auto record = [&](const char* event, const TIdFTPServerContext& ctx) {
        const std::lock_guard lock(mutex);
        seen.push_back(std::string(event) + ":" + ctx.Password);
    };
    TIdFTPServer s;
    s.DefaultPort = 0;
    s.OnUserLogin = [&](TIdFTPServerContext& ctx, const std::string&, const std::string& password,
                        bool& authenticated) {
        record("login", ctx);
        authenticated = password == "right";
    };
    s.OnAfterUserLogin = [&](TIdFTPServerContext& ctx) { record("after", ctx); };
    s.OnChangeDirectory = [&](TIdFTPServerContext& ctx, std::string&) { record("cwd", ctx); };
    s.SetActive(true);
    RawFtpClient c(s.BoundPort());
    ASSERT_EQ(c.Read().code, 220);
    ASSERT_EQ(c.Command("USER anna").code, 331);
    ASSERT_EQ(c.Command("PASS wrong").code, 530);
    ASSERT_EQ(c.Command("USER anna").code, 331);
    ASSERT_EQ(c.Command("PASS right").code, 230);
    c.Command("CWD /");
    s.SetActive(false);
    const std::lock_guard lock(mutex);
    EXPECT_EQ(seen, (std::vector<std::string>{"login:wrong", "login:right", "after:", "cwd:"}));
}

TEST(EventFailures, EveryFailingEventIsAnsweredWithAnErrorReply) {
    // Each event throws: the command is answered with an error reply carrying the message (or
    // the exception reply for an exception that has none), and the connection carries on.
    const struct {
        const char* name;
        std::function<void()> raise;
        const char* suffix; // the reply text after the code
    } kinds[] = {
        {"std::exception", [] { throw std::runtime_error("Handler failed"); }, "Handler failed"},
        {"other", [] { throw 42; }, "Unknown Internal Error"},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        TIdFTPServer s;
        s.DefaultPort = 0;
        auto raise = [&kind](auto&&...) { kind.raise(); };
        s.OnUserLogin = [&kind](TIdFTPServerContext&, const std::string& user, const std::string&,
                                bool& authenticated) {
            if (user == "broken")
                kind.raise();
            authenticated = true;
        };
        s.OnAfterUserLogin = [&kind](TIdFTPServerContext& ctx) {
            if (ctx.UserName == "late")
                kind.raise();
        };
        s.OnChangeDirectory = raise;
        s.OnListDirectory = raise;
        s.OnMLST = raise;
        s.OnStoreFile = raise;
        s.OnRetrieveFile = raise;
        s.OnDeleteFile = raise;
        s.OnMakeDirectory = raise;
        s.OnRemoveDirectory = raise;
        s.OnRenameFile = raise;
        s.OnCombineFiles = raise;
        s.OnCRCFile = raise;
        s.OnGetFileSize = raise;
        s.OnGetFileDate = raise;
        s.OnSetModifiedTime = raise;
        s.OnSetCreationTime = raise;
        s.OnSiteUTIME = raise;
        s.OnSetATTRIB = raise;
        s.OnFileExistCheck = raise;
        s.OnStat = raise;
        s.OnPASVBeforeBind = raise;
        s.OnDisconnect = raise;
        s.OnException = raise;
        s.SetActive(true);

        const bool withMessage = std::string(kind.name) == "std::exception";
        const auto expect = [&](int code) {
            return std::to_string(withMessage ? code : 500) + " " + kind.suffix + "\n";
        };
        RawFtpClient c(s.BoundPort());
        ASSERT_EQ(c.Read().code, 220);
        for (const char* user : {"broken", "late"}) {
            EXPECT_EQ(c.Command(std::string("USER ") + user).code, 331);
            EXPECT_EQ(c.Command("PASS x").text, expect(503)) << user;
            EXPECT_EQ(c.Command("PWD").code, 530) << user;
        }
        ASSERT_EQ(c.Command("USER user").code, 331);
        ASSERT_EQ(c.Command("PASS x").code, 230);
        const struct {
            const char* setup; // sent first, when set
            const char* command;
            int code;
        } cases[] = {
            {nullptr, "CWD x", 550},
            {nullptr, "MKD x", 550},
            {nullptr, "RMD x", 550},
            {nullptr, "DELE x", 550},
            {nullptr, "SIZE x", 550},
            {nullptr, "MDTM x", 550},
            {nullptr, "MDTM 20200101000000 x", 550},
            {nullptr, "MFMT 20200101000000 x", 550},
            {nullptr, "MFCT 20200101000000 x", 550},
            {nullptr, "SITE UTIME 20200101000000 x", 550},
            {nullptr, "SITE ATTRIB +R x", 550},
            {nullptr, "MLST x", 550},
            {nullptr, "STAT", 550},
            {nullptr, "STAT x", 550},
            {nullptr, "XCRC x", 550},
            {nullptr, "COMB a b", 550},
            {"RNFR a", "RNTO b", 550},
            {nullptr, "PASV", 425},
            {nullptr, "EPSV", 425},
            {"PORT 127,0,0,1,4,0", "LIST", 550},
            {"PORT 127,0,0,1,4,0", "MLSD", 550},
            {"PORT 127,0,0,1,4,0", "RETR x", 550},
            {"PORT 127,0,0,1,4,0", "STOR x", 550},
            {"PORT 127,0,0,1,4,0", "APPE x", 550},
            {"PORT 127,0,0,1,4,0", "STOU", 550},
        };
        for (const auto& row : cases) {
            if (row.setup)
                c.Command(row.setup);
            EXPECT_EQ(c.Command(row.command).text, expect(row.code)) << row.command;
        }
        // A failing OnDisconnect and OnException end nothing but the one connection.
        EXPECT_EQ(c.Command("QUIT").code, 221);
        RawFtpClient next(s.BoundPort());
        EXPECT_EQ(next.Read().code, 220);
        s.SetActive(false);
    }
}

TEST(EventFailures, StreamFailuresAreAnsweredAfterTheTransferStarts) {
    TIdFTPServer s;
    s.DefaultPort = 0;
    s.OnUserLogin = [](TIdFTPServerContext&, const std::string&, const std::string&,
                       bool& authenticated) { authenticated = true; };
    s.OnRetrieveFile = [](TIdFTPServerContext&, const std::string&,
                          std::unique_ptr<TStream>& stream) {
        stream = std::make_unique<UnreadableStream>();
    };
    s.OnStoreFile = [](TIdFTPServerContext&, const std::string&, bool,
                       std::unique_ptr<TStream>& stream) {
        stream = std::make_unique<UnreadableStream>();
    };
    s.SetActive(true);
    RawFtpClient c(s.BoundPort());
    c.Login();
    FtpReply done;
    c.Transfer("RETR x", done);
    EXPECT_EQ(done.text, "451 Read failed\n");
    c.Transfer("STOR x", done, "data", true);
    EXPECT_EQ(done.text, "451 Write failed\n");
    EXPECT_EQ(c.Command("NOOP").code, 200);
}

} // namespace
} // namespace vdx::test
