#pragma once
// TIdFTPServer: the FTP server component. It listens on DefaultPort on all interfaces, serves
// every connection on a thread of its own and asks its events for everything that touches files.
//
// Threads: SetActive runs on the caller's thread (the GUI thread); the events run on the
// connection threads, several at once. Properties and events are read when the server is
// switched on; changes while it is active take effect at the next start (PASVBoundPortMin/Max
// are the exception: the handlers may read them at any time). While at most kSpinSessions
// connections are served, a session whose client answers at once looks for the next command
// (and for the first data of a transfer) without sleeping for a moment first: it trades idle
// processor time for the wake-up a sleeping thread waits for.
//
// Failures inside an event: an EFTPReplyError is answered with its own code and text; any other
// exception with the command's error code (550 for file commands, 503 for a login, 451 for a
// transfer that fails on the way) and the exception's message. Failures outside the events
// (broken connections, sockets) reach OnException. No failure of one connection ends another.

#include "platform/ftp/ftp_context.h"
#include "platform/ftp/limits.h"
#include "platform/ftp/listing.h"
#include "platform/ftp/mode_z.h"
#include "platform/ftp/reply.h"
#include "platform/ftp/stream.h"
#include "platform/os/datetime.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vdx::ftp {

// The events. A handler that is not set leaves the command unavailable (502) unless the
// command's text says otherwise. Paths are absolute FTP paths, resolved against the
// connection's current folder, never above "/" and free of NUL, CR and LF.
struct TIdFTPServerEvents {
    using Context = TIdFTPServerContext;

    // PASS: set authenticated to accept. Accepted: 230 "User logged in, proceed." and then
    // OnAfterUserLogin; refused: 530 "Not logged in."; an exception: 503 with its message.
    // Not set: every login is refused.
    std::function<void(Context&, const std::string& user, const std::string& password,
                       bool& authenticated)>
        OnUserLogin;
    std::function<void(Context&)> OnAfterUserLogin;
    // CWD, CDUP: directory comes resolved; the handler may change it (e.g. back to the current
    // folder). The result becomes the current folder: 250 "<verb> Command successful.". Not
    // set: the resolved folder is taken as it is.
    std::function<void(Context&, std::string& directory)> OnChangeDirectory;
    // LIST, NLST, MLSD and STAT with a path: fill listing. cmd is "LIST", "NLST", "MLSD" or
    // "STAT"; switches the letters of the leading "-" words ("la" for "-la"). An "s" in
    // listing.Switches shows block counts. Not set: an empty listing.
    std::function<void(Context&, const std::string& path, TIdFTPListOutput& listing,
                       const std::string& cmd, const std::string& switches)>
        OnListDirectory;
    // MLST: add the one item for path (FileName is the name shown).
    std::function<void(Context&, const std::string& path, TIdFTPListOutput& listing)> OnMLST;
    // STOR, STOU (append false) and APPE (append true): set stream to write into, or leave it
    // empty to refuse (550 "Requested action aborted: local error in processing."). Open an
    // existing file without emptying it: for STOR and STOU the FTP component cuts the stream at
    // RestartPos (0 without REST) only once the data connection is made, so a failed upload
    // leaves the file as it was; for APPE it seeks to the end. It writes, and frees the stream
    // before it answers 226.
    std::function<void(Context&, const std::string& fileName, bool append,
                       std::unique_ptr<TStream>& stream)>
        OnStoreFile;
    // RETR: set stream to read from, or leave it empty to refuse (550 as above). The FTP component
    // sends from RestartPos to the end and frees the stream.
    std::function<void(Context&, const std::string& fileName, std::unique_ptr<TStream>& stream)>
        OnRetrieveFile;
    // DELE: 250 "Requested file action okay, completed." after the handler returns.
    std::function<void(Context&, const std::string& path)> OnDeleteFile;
    // MKD: 257 "Requested file action okay, completed."; RMD: 250 with that text.
    std::function<void(Context&, std::string& directory)> OnMakeDirectory;
    std::function<void(Context&, std::string& directory)> OnRemoveDirectory;
    // RNFR (350 "Requested file action pending further information.") then RNTO: 250.
    std::function<void(Context&, const std::string& from, const std::string& to)> OnRenameFile;
    // COMB target part...: 250 "File Operation Successful".
    std::function<void(Context&, const std::string& target, const std::vector<std::string>& parts)>
        OnCombineFiles;
    // XCRC, XMD5, XSHA1, XSHA256, XSHA512: set stream to read from (empty: 550).
    std::function<void(Context&, const std::string& fileName, std::unique_ptr<TStream>& stream)>
        OnCRCFile;
    // The connection ends (after QUIT, a timeout, a broken connection or the server stopping).
    std::function<void(Context&)> OnDisconnect;
    // A failure outside the events; context is null when no connection is involved.
    std::function<void(Context* context, const std::exception& error)> OnException;
    // SIZE: size starts at -1; a negative result is answered 550 "Requested action aborted:
    // local error in processing.", else 213 with the size.
    std::function<void(Context&, const std::string& fileName, std::int64_t& size)> OnGetFileSize;
    // MDTM query: date starts at 0; above 0 gives 213 YYYYMMDDHHMMSS, else 550.
    std::function<void(Context&, const std::string& fileName, vdx::os::TDateTime& date)>
        OnGetFileDate;
    // MFMT, MDTM with a time: time is the value asked for; the handler returns the value now
    // stored (MFMT answers 213 "Modify=<time>; <path>", MDTM 253 "Date/time changed okay.").
    std::function<void(Context&, const std::string& fileName, vdx::os::TDateTime& time)>
        OnSetModifiedTime;
    // MFCT: as OnSetModifiedTime for the creation time (213 "Create=<time>; <path>").
    std::function<void(Context&, const std::string& fileName, vdx::os::TDateTime& time)>
        OnSetCreationTime;
    // SITE UTIME: a time not given is 0; authorized starts true, false refuses (550). The
    // handler returns the times now stored.
    std::function<void(Context&, const std::string& fileName, vdx::os::TDateTime& access,
                       vdx::os::TDateTime& modified, vdx::os::TDateTime& created, bool& authorized)>
        OnSiteUTIME;
    // SITE ATTRIB: attributes holds the Windows attributes asked for; the handler returns the
    // attributes the file now has (0xFFFFFFFF: no such file, 550). authorized as above.
    std::function<void(Context&, std::uint32_t& attributes, const std::string& fileName,
                       bool& authorized)>
        OnSetATTRIB;
    // Whether a file exists at path; tells the two forms of MDTM apart and keeps STOU names
    // unique. Not set: nothing exists.
    std::function<void(Context&, const std::string& path, bool& exists)> OnFileExistCheck;
    // STAT without argument: the status lines (211-... "211 End of status").
    std::function<void(Context&, std::vector<std::string>& lines)> OnStat;
    // PASV, EPSV: before the passive listener is bound. ip is the local address of the control
    // connection, port 0 (the system chooses); the handler may set the port.
    std::function<void(Context&, std::string& ip, std::uint16_t& port, TIdIPVersion version)>
        OnPASVBeforeBind;
    // PASV, EPSV: before the reply; ip and port are what the reply announces (an ip that is no
    // numeric IPv4 address is replaced by the control connection's own address).
    std::function<void(Context&, std::string& ip, std::uint16_t& port, TIdIPVersion version)>
        OnPASVReply;
};

// The configurable properties, with the component's defaults.
struct TIdFTPServerOptions {
    // Listening port; 0 lets the system choose (see TIdFTPServer::BoundPort).
    std::uint16_t DefaultPort = 21;
    // Local port active data connections are made from when it can be bound, else any.
    std::uint16_t DefaultDataPort = 20;
    TIdReply Greeting{220, "Indy FTP Server ready."};
    TIdReply ExceptionReply{500, "Unknown Internal Error"};
    TIdReply ReplyUnknownCommand{500, "Syntax error, command unrecognized."};
    TIdReply MaxConnectionReply{300, "Too many connections. Try again later."};
    TIdReply HelpReply{214, "Help follows"};
    TIdReply ReplyUnknownSITCommand{500, "Invalid SITE command."};
    // With AllowAnonymousLogin, these names (without regard to case) log in with any password
    // and without OnUserLogin. Off by default: they are names like any other.
    std::vector<std::string> AnonymousAccounts{"anonymous", "ftp", "guest"};
    bool AllowAnonymousLogin = false;
    std::string SystemType = "WIN32";
    // Optional MLSx facts on top of type, size, modify and perm.
    TIdMLSDFacts MLSDFacts;
    // MODE Z is offered only with a compressor.
    std::shared_ptr<const TIdCompressorZLibEx> Compressor;
    // Connections served at once; one more gets MaxConnectionReply and is closed.
    std::size_t MaxConnections = kDefaultMaxConnections;
    // Connections served at once from one client address; one more is refused like that.
    std::size_t MaxConnectionsPerAddress = kDefaultMaxConnectionsPerAddress;
    // A connection silent this long is closed with 421.
    std::chrono::milliseconds IdleTimeout = std::chrono::seconds(kDefaultIdleTimeoutSeconds);
    // A connection not logged in this long after its greeting (or REIN) is closed with 421,
    // however busy it is meanwhile.
    std::chrono::milliseconds LoginTimeout = std::chrono::seconds(kDefaultLoginTimeoutSeconds);
    // How long a refused PASS waits before its 530 (the wait ends when the server stops);
    // after kMaxFailedLogins refusals the connection is closed with 421.
    std::chrono::milliseconds FailedLoginDelay =
        std::chrono::milliseconds(kDefaultFailedLoginDelayMs);
    // Longest wait for a data connection to be made, for progress of a transfer and for a
    // client to take a reply.
    std::chrono::milliseconds DataTimeout = std::chrono::seconds(kDefaultDataTimeoutSeconds);
};

// A passive port drawn uniformly from min..max inclusive; min when max <= min.
template <class Generator>
std::uint16_t DrawPassivePort(std::uint16_t min, std::uint16_t max, Generator& generator) {
    if (max <= min)
        return min;
    return static_cast<std::uint16_t>(std::uniform_int_distribution<unsigned>(min, max)(generator));
}

class TIdFTPServer : public TIdFTPServerOptions, public TIdFTPServerEvents {
public:
    TIdFTPServer();
    // Switches the server off first (joins every thread).
    ~TIdFTPServer();
    // The connection threads hold its address.
    TIdFTPServer(const TIdFTPServer&) = delete;
    TIdFTPServer& operator=(const TIdFTPServer&) = delete;

    bool Active() const { return m_running != nullptr; }
    // true: listens on DefaultPort on all IPv4 interfaces (SO_REUSEADDR); throws
    // std::system_error with the system's message (e.g. "Address already in use") and stays off.
    // false: closes the listener and every connection (421 to each client) and returns after
    // every thread has ended. Never call it from an event handler.
    void SetActive(bool value);

    // The port listened on while active (DefaultPort, or the system's choice for 0); else 0.
    std::uint16_t BoundPort() const;
    // Connections currently served (their threads may still be winding down).
    std::size_t ConnectionCount() const;

    std::uint16_t PASVBoundPortMin() const { return m_pasvMin.load(); }
    std::uint16_t PASVBoundPortMax() const { return m_pasvMax.load(); }
    // Passive ports to bind when OnPASVBeforeBind leaves the port 0, and the range tried when the
    // chosen port is in use; both 0: the system chooses. Setting a non-zero value that is not
    // above a non-zero PASVBoundPortMin throws std::invalid_argument "PASVBoundPortMax must be
    // greater than PASVBoundPortMax." (and the reverse for PASVBoundPortMin).
    void SetPASVBoundPortMin(std::uint16_t port);
    void SetPASVBoundPortMax(std::uint16_t port);

private:
    class Running;
    std::unique_ptr<Running> m_running;
    std::atomic<std::uint16_t> m_pasvMin{0};
    std::atomic<std::uint16_t> m_pasvMax{0};
};

} // namespace vdx::ftp
