// The server's lifecycle, its limits and its defences, driven over raw sockets for what real
// clients never send.

#include "server_fixture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fcntl.h>
#include <thread>

namespace vdx::test {
namespace {

using namespace std::chrono_literals;
using vdx::ftp::TIdFTPServer;

class RawServerTest : public RawServerFixture {
protected:
    // A file big enough that a transfer to a client that does not read stays in progress.
    void MakeBigFile(const std::string& name, off_t size = 256LL * 1024 * 1024) {
        const int fd = ::open((m_server.Root() / name).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
    }
};

TEST_F(RawServerTest, PortInUseIsRaisedWithTheSystemMessage) {
    TIdFTPServer second;
    second.DefaultPort = m_server.Port();
    try {
        second.SetActive(true);
        FAIL() << "second listener on the same port";
    } catch (const std::system_error& e) {
        EXPECT_EQ(std::string(e.what()), "Address already in use");
    }
    EXPECT_FALSE(second.Active());
    EXPECT_EQ(second.BoundPort(), 0);
}

TEST(PassivePortRange, AnEmptyRangeIsRefusedWithTheComponentsMessage) {
    TIdFTPServer server;
    server.SetPASVBoundPortMin(5000);
    try {
        server.SetPASVBoundPortMax(5000);
        FAIL() << "Max equal to Min accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()), "PASVBoundPortMax must be greater than PASVBoundPortMax.");
    }
    EXPECT_THROW(server.SetPASVBoundPortMax(4000), std::invalid_argument);
    EXPECT_NO_THROW(server.SetPASVBoundPortMax(5001));
    EXPECT_THROW(server.SetPASVBoundPortMin(6000), std::invalid_argument);
    // Zero switches a bound off, in either order.
    EXPECT_NO_THROW(server.SetPASVBoundPortMin(0));
    EXPECT_NO_THROW(server.SetPASVBoundPortMax(0));
    EXPECT_NO_THROW(server.SetPASVBoundPortMax(100));
    EXPECT_EQ(server.PASVBoundPortMax(), 100);
}

TEST_F(RawServerTest, PassivePortsComeFromTheConfiguredRange) {
    TIdFTPServer& s = m_server.Server();
    s.SetPASVBoundPortMin(29000);
    s.SetPASVBoundPortMax(29003);
    RawFtpClient a = LoggedIn();
    RawFtpClient b = LoggedIn();
    // Two connections holding listeners at once never share a port: the second one that draws
    // a taken port moves on within the range.
    for (int i = 0; i < 4; ++i) {
        const std::uint16_t pa = a.Pasv();
        const std::uint16_t pb = b.Pasv();
        EXPECT_GE(pa, 29000);
        EXPECT_LE(pa, 29003);
        EXPECT_GE(pb, 29000);
        EXPECT_LE(pb, 29003);
        EXPECT_NE(pa, pb);
    }
}

TEST_F(RawServerTest, PassiveReplyCarriesWhatThePassiveEventsChoose) {
    TIdFTPServer& s = m_server.Server();
    std::string replyIp = "203.0.113.5";
    s.OnPASVBeforeBind = [](vdx::ftp::TIdFTPServerContext&, std::string& ip, std::uint16_t& port,
                            vdx::ftp::TIdIPVersion version) {
        EXPECT_EQ(ip, "127.0.0.1");
        EXPECT_EQ(version, vdx::ftp::TIdIPVersion::Id_IPv4);
        port = 29100;
    };
    s.OnPASVReply = [&replyIp](vdx::ftp::TIdFTPServerContext&, std::string& ip, std::uint16_t& port,
                               vdx::ftp::TIdIPVersion) {
        EXPECT_EQ(port, 29100);
        ip = replyIp;
    };
    Restart();
    RawFtpClient c = LoggedIn();
    EXPECT_EQ(c.Command("PASV").text, "227 Entering Passive Mode (203,0,113,5,113,172).\n");
    EXPECT_EQ(c.Command("EPSV").text, "229 Entering Extended Passive Mode (|||29100|)\n");
    // An address that is no IPv4 address gives way to the connection's own.
    replyIp = "not an address";
    EXPECT_EQ(c.Command("PASV").text, "227 Entering Passive Mode (127,0,0,1,113,172).\n");
    // The listener really is on the chosen port.
    Socket data(29100);
    EXPECT_EQ(c.Command("NLST").code, 150);
    EXPECT_EQ(c.Read().code, 226);
}

TEST_F(RawServerTest, SwitchingOffClosesEveryConnectionAndJoinsItsThread) {
    MakeBigFile("big.bin");
    RawFtpClient greeted(m_server.Port());
    ASSERT_EQ(greeted.Read().code, 220);
    RawFtpClient idle = LoggedIn();
    RawFtpClient busy = LoggedIn();
    const std::uint16_t port = busy.Pasv();
    Socket data(port);
    ASSERT_EQ(busy.Command("RETR big.bin").code, 150);
    ASSERT_TRUE(m_server.WaitForConnections(3, 5s));

    const auto start = std::chrono::steady_clock::now();
    m_server.Server().SetActive(false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_FALSE(m_server.Server().Active());
    EXPECT_EQ(m_server.Server().ConnectionCount(), 0u);
    EXPECT_EQ(m_server.Disconnects(), 3);
    EXPECT_EQ(idle.Read(2s).code, 421);
    EXPECT_EQ(greeted.Read(2s).code, 421);

    // And it starts again.
    m_server.Server().SetActive(true);
    RawFtpClient again = LoggedIn();
    EXPECT_EQ(again.Command("NOOP").code, 200);
}

TEST_F(RawServerTest, LoginRulesAndUnknownCommands) {
    RawFtpClient c(m_server.Port());
    EXPECT_EQ(c.Read().text, "220 Indy FTP Server ready.\n");
    EXPECT_EQ(c.Command("LIST").text, "530 Not logged in.\n");
    EXPECT_EQ(c.Command("PASS x").code, 503);
    EXPECT_EQ(c.Command("BOGUS").text, "500 Syntax error, command unrecognized.\n");
    EXPECT_EQ(c.Command("USER user").code, 331);
    EXPECT_EQ(c.Command("PASS nope").text, "530 Not logged in.\n");
    EXPECT_EQ(c.Command("PWD").code, 530);
    // Anonymous names are names like any other while anonymous login is off.
    EXPECT_EQ(c.Command("USER anonymous").code, 331);
    EXPECT_EQ(c.Command("PASS guest@example.org").code, 530);
    EXPECT_EQ(c.Command("USER user").code, 331);
    EXPECT_EQ(c.Command("PASS secret").text, "230 User logged in, proceed.\n");
    EXPECT_EQ(c.Command("SITE BOGUS").text, "500 Invalid SITE command.\n");
    EXPECT_EQ(c.Command("QUIT").code, 221);
    EXPECT_EQ(c.Read(2s).code, 0); // closed
}

TEST_F(RawServerTest, AnonymousLoginWhenSwitchedOn) {
    m_server.Server().AllowAnonymousLogin = true;
    Restart();
    RawFtpClient c(m_server.Port());
    c.Read();
    EXPECT_EQ(c.Command("USER Guest").code, 331);
    EXPECT_EQ(c.Command("PASS me@example.org").code, 230);
}

TEST_F(RawServerTest, OverlongLineIsRefusedOnceAndDiscarded) {
    RawFtpClient c = LoggedIn();
    c.Send(std::string(20000, 'A') + "\r\nNOOP\r\n");
    EXPECT_EQ(c.Read().text, "500 Command line too long.\n");
    EXPECT_EQ(c.Read().code, 200);
    // Just at the limit is still a (unknown) command.
    EXPECT_EQ(c.Command(std::string(4096, 'B')).text, "500 Syntax error, command unrecognized.\n");
}

TEST_F(RawServerTest, PipelinedCommandsAreAnsweredInOrder) {
    RawFtpClient c(m_server.Port());
    ASSERT_EQ(c.Read().code, 220);
    c.Send("USER user\r\nPASS secret\r\nPWD\r\nTYPE I\r\nMKD pipe\r\nCWD pipe\nPWD\r\n");
    const int expected[] = {331, 230, 257, 200, 257, 250, 257};
    std::string last;
    for (int code : expected) {
        const FtpReply reply = c.Read();
        EXPECT_EQ(reply.code, code) << reply.text;
        last = reply.text;
    }
    EXPECT_EQ(last, "257 \"/pipe\" is current directory.\n");
}

TEST_F(RawServerTest, PassiveDataConnectionOnlyFromTheClientsAddress) {
    WriteFileBytes(m_server.Root() / "f.txt", "content");
    RawFtpClient c = LoggedIn();
    const std::uint16_t port = c.Pasv();
    ASSERT_NE(port, 0);
    Socket intruder(port, "127.0.0.2");
    ASSERT_EQ(c.Command("RETR f.txt").code, 150);
    // The intruder is closed without data; the client's own connection gets the file.
    EXPECT_EQ(intruder.ReceiveAll(5s), "");
    Socket data(port);
    EXPECT_EQ(data.ReceiveAll(), "content");
    EXPECT_EQ(c.Read().code, 226);
}

TEST_F(RawServerTest, ActiveTargetsOnlyTheClientAndNoPrivilegedPort) {
    RawFtpClient c = LoggedIn();
    const struct {
        const char* command;
        int code;
    } cases[] = {
        {"PORT 127,0,0,2,200,10", 500}, // another host: FTP bounce
        {"PORT 127,0,0,1,0,80", 500},   // privileged port
        {"PORT 127,0,0,1,3,255", 500},  // 1023
        {"PORT 127,0,0,1,256,1", 501},    {"PORT 1,2,3", 501},
        {"EPRT |1|127.0.0.2|5000|", 500}, {"EPRT |1|127.0.0.1|80|", 500},
        {"EPRT |3|127.0.0.1|5000|", 522}, {"EPRT |1|127.0.0.1|", 501},
        {"EPRT |2|::1|5000|", 500},       {"PORT 127,0,0,1,4,0", 200}, // 1024
        {"EPRT |1|127.0.0.1|5000|", 200},
    };
    for (const auto& row : cases)
        EXPECT_EQ(c.Command(row.command).code, row.code) << row.command;
}

TEST_F(RawServerTest, EpsvAllRefusesEveryOtherWayToSetUpData) {
    RawFtpClient c = LoggedIn();
    EXPECT_EQ(c.Command("EPSV 2").code, 522);
    EXPECT_EQ(c.Command("EPSV ALL").code, 200);
    EXPECT_EQ(c.Command("PASV").code, 503);
    EXPECT_EQ(c.Command("PORT 127,0,0,1,19,137").code, 503);
    EXPECT_EQ(c.Command("EPRT |1|127.0.0.1|5001|").code, 503);
    const FtpReply epsv = c.Command("EPSV");
    EXPECT_EQ(epsv.code, 229);
    EXPECT_NE(epsv.text.find("Entering Extended Passive Mode (|||"), std::string::npos);
}

TEST_F(RawServerTest, AborDuringATransferEndsItWith426Then226) {
    MakeBigFile("big.bin");
    RawFtpClient c = LoggedIn();
    ASSERT_EQ(c.Command("TYPE I").code, 200);
    Socket data(c.Pasv());
    ASSERT_EQ(c.Command("RETR big.bin").code, 150);
    // Take a little, then stop reading so the transfer stays in progress.
    EXPECT_FALSE(data.Receive(65536, 2s).empty());
    // As clients send it: Telnet IP and Synch before the command.
    c.Send("\xff\xf4\xff\xf2"
           "ABOR\r\n");
    EXPECT_EQ(c.Read().code, 426);
    EXPECT_EQ(c.Read().text, "226 ABOR command successful.\n");
    EXPECT_EQ(c.Command("NOOP").code, 200);
    EXPECT_TRUE(m_server.Exceptions().empty());
}

TEST_F(RawServerTest, StatAndQueuedCommandsDuringATransfer) {
    MakeBigFile("big.bin", 8LL * 1024 * 1024);
    RawFtpClient c = LoggedIn();
    Socket data(c.Pasv());
    ASSERT_EQ(c.Command("RETR big.bin").code, 150);
    std::string received = data.Receive(65536, 2s);
    EXPECT_FALSE(received.empty());
    // STAT is answered while data moves; NOOP waits for the transfer's end.
    c.Send("NOOP\r\nSTAT\r\n");
    const FtpReply stat = c.Read();
    EXPECT_EQ(stat.code, 213);
    EXPECT_NE(stat.text.find("bytes transferred"), std::string::npos) << stat.text;
    received += data.ReceiveAll(20s);
    EXPECT_EQ(received.size(), 8u * 1024 * 1024);
    EXPECT_EQ(c.Read().code, 226);
    EXPECT_EQ(c.Read().code, 200);
}

TEST_F(RawServerTest, ClientVanishingMidTransferFreesItsThread) {
    MakeBigFile("big.bin");
    {
        RawFtpClient c = LoggedIn();
        Socket data(c.Pasv());
        ASSERT_EQ(c.Command("RETR big.bin").code, 150);
        EXPECT_FALSE(data.Receive(65536, 2s).empty());
        data.Abort();
        c.Control().Abort();
    }
    EXPECT_TRUE(m_server.WaitForConnections(0, 10s));
    EXPECT_EQ(m_server.Disconnects(), 1);
    // The server is still there for the next client.
    RawFtpClient next = LoggedIn();
    EXPECT_EQ(next.Command("NOOP").code, 200);
}

TEST_F(RawServerTest, DataConnectionsClosedEarlyNeverTakeTheServerDown) {
    // A client that closes the data connection while sendfile still writes to it: the writes
    // after its reset must fail quietly (no SIGPIPE ends the process).
    MakeBigFile("big.bin");
    RawFtpClient c = LoggedIn();
    for (int i = 0; i < 20; ++i) {
        Socket data(c.Pasv());
        ASSERT_EQ(c.Command("RETR big.bin").code, 150);
        data.Receive(4096, 2s);
        data.Close();
        EXPECT_EQ(c.Read(5s).code, 426);
    }
    EXPECT_EQ(c.Command("NOOP").code, 200);
}

TEST_F(RawServerTest, StuckPeersAreDroppedAfterTheDataTimeout) {
    MakeBigFile("big.bin");
    m_server.Server().DataTimeout = 300ms;
    Restart();
    RawFtpClient c = LoggedIn();

    // A passive connection that never comes.
    ASSERT_NE(c.Pasv(), 0);
    ASSERT_EQ(c.Command("LIST").code, 150);
    EXPECT_EQ(c.Read(3s).code, 425);

    // A download the client stops taking.
    Socket data(c.Pasv());
    ASSERT_EQ(c.Command("RETR big.bin").code, 150);
    EXPECT_EQ(c.Read(5s).code, 426);

    // An upload that stops sending.
    Socket upload(c.Pasv());
    ASSERT_EQ(c.Command("STOR stalled.bin").code, 150);
    upload.SendAll("some bytes");
    EXPECT_EQ(c.Read(3s).code, 426);
    EXPECT_EQ(c.Command("NOOP").code, 200);
    EXPECT_EQ(m_server.Exceptions().size(), 3u);
}

TEST_F(RawServerTest, SlowButSteadyDownloadIsNoStall) {
    // A client on a slow line drains the large send buffer of a download more slowly than the
    // data timeout lasts, yet it takes bytes all the time: it must not be cut off.
    constexpr off_t kSize = 16 * 1024 * 1024;
    MakeBigFile("big.bin", kSize);
    m_server.Server().DataTimeout = 300ms;
    Restart();
    RawFtpClient c = LoggedIn();
    Socket data(c.Pasv());
    ASSERT_EQ(c.Command("RETR big.bin").code, 150);
    std::size_t received = 0;
    const auto slowUntil = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < slowUntil) {
        received += data.Receive(16 * 1024, 1s).size();
        std::this_thread::sleep_for(50ms);
    }
    received += data.ReceiveAll().size();
    EXPECT_EQ(received, static_cast<std::size_t>(kSize));
    EXPECT_EQ(c.Read(5s).code, 226);
}

TEST_F(RawServerTest, IdleConnectionIsClosedWith421) {
    m_server.Server().IdleTimeout = 300ms;
    Restart();
    RawFtpClient c = LoggedIn();
    const FtpReply reply = c.Read(3s);
    EXPECT_EQ(reply.code, 421);
    EXPECT_NE(reply.text.find("Timeout"), std::string::npos);
    EXPECT_TRUE(m_server.WaitForConnections(0, 3s));
}

TEST_F(RawServerTest, ConnectionCapAnswersTooManyConnections) {
    m_server.Server().MaxConnections = 2;
    Restart();
    RawFtpClient a(m_server.Port());
    RawFtpClient b(m_server.Port());
    ASSERT_EQ(a.Read().code, 220);
    ASSERT_EQ(b.Read().code, 220);
    RawFtpClient c(m_server.Port());
    EXPECT_EQ(c.Read().text, "300 Too many connections. Try again later.\n");
    EXPECT_EQ(a.Command("NOOP").code, 200);
}

TEST_F(RawServerTest, PathsAreConfinedBelowTheRootAndMalformedOnesRefused) {
    RawFtpClient c = LoggedIn();
    EXPECT_EQ(c.Command("CWD ..\\..\\..").code, 250);
    EXPECT_EQ(c.Command("PWD").text, "257 \"/\" is current directory.\n");
    EXPECT_EQ(c.Command("SIZE ../../etc/passwd").code, 550);
    EXPECT_EQ(c.Command("SIZE ..\\..\\etc\\passwd").code, 550);
    c.Send(std::string("SIZE a\0b\r\n", 10));
    EXPECT_EQ(c.Read().code, 501);
    c.Send("SIZE a\rb\r\n");
    EXPECT_EQ(c.Read().code, 501);
    const auto calls = m_server.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SIZE /etc/passwd"), 2);
    for (const std::string& call : calls)
        EXPECT_EQ(call.find(".."), std::string::npos) << call;
}

// MODE Z: one zlib stream per data connection, restart offsets in uncompressed bytes.
TEST_F(RawServerTest, ModeZCompressesDownloadsAndInflatesUploads) {
    std::string content;
    for (int i = 0; i < 200000; ++i)
        content += "line " + std::to_string(i) + "\r\n";
    WriteFileBytes(m_server.Root() / "text.txt", content);
    RawFtpClient c = LoggedIn();
    ASSERT_EQ(c.Command("MODE Z").code, 200);
    ASSERT_EQ(c.Command("OPTS MODE Z LEVEL 9").code, 200);

    auto inflate = [](const std::string& compressed) {
        std::string out(64 * 1024 * 1024, '\0');
        uLongf size = out.size();
        EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                             reinterpret_cast<const Bytef*>(compressed.data()), compressed.size()),
                  Z_OK);
        out.resize(size);
        return out;
    };
    FtpReply done;
    const std::string compressed = c.Transfer("RETR text.txt", done);
    EXPECT_EQ(done.code, 226);
    EXPECT_LT(compressed.size(), content.size() / 3);
    EXPECT_TRUE(inflate(compressed) == content);

    ASSERT_EQ(c.Command("REST 1000").code, 350);
    EXPECT_TRUE(inflate(c.Transfer("RETR text.txt", done)) == content.substr(1000));

    std::string upload(compressBound(content.size()), '\0');
    uLongf length = upload.size();
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(upload.data()), &length,
                       reinterpret_cast<const Bytef*>(content.data()), content.size()),
              Z_OK);
    upload.resize(length);
    c.Transfer("STOR up.txt", done, upload, true);
    EXPECT_EQ(done.code, 226);
    EXPECT_TRUE(ReadFileBytes(m_server.Root() / "up.txt") == content);

    // A stream cut short or damaged is an error, not a silent partial file.
    c.Transfer("STOR cut.txt", done, upload.substr(0, upload.size() / 2), true);
    EXPECT_EQ(done.code, 451);
    c.Transfer("STOR bad.txt", done, "this is not zlib data", true);
    EXPECT_EQ(done.code, 451);

    // 64 MiB of zeros in some 64 KiB: inflated piece by piece until the disk is full.
    const std::string zeros(64 * 1024 * 1024, '\0');
    std::string bomb(compressBound(zeros.size()), '\0');
    length = bomb.size();
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(bomb.data()), &length,
                        reinterpret_cast<const Bytef*>(zeros.data()), zeros.size(), 9),
              Z_OK);
    bomb.resize(length);
    c.Transfer("STOR fulldisk.bin", done, bomb, true);
    EXPECT_EQ(done.text, "451 There is not enough space on the disk.\n");

    ASSERT_EQ(c.Command("MODE S").code, 200);
    EXPECT_TRUE(c.Transfer("RETR text.txt", done) == content);
}

} // namespace
} // namespace vdx::test
