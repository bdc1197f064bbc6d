#pragma once
// One FTP session: reads the control connection, runs each command and sends its replies. A
// session runs on its connection's thread from the greeting to the end of the connection.

#include "platform/ftp/command_line.h"
#include "platform/ftp/data_channel.h"
#include "platform/ftp/ftp_server.h"
#include "platform/ftp/socket_io.h"
#include "platform/ftp/transfer.h"

#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vdx::ftp {

// What every session of one activation shares, fixed when the server was switched on.
struct ServerShared {
    TIdFTPServerOptions options;
    TIdFTPServerEvents events;
    const TIdFTPServer* server = nullptr; // for the passive port range, read at each PASV
};

class ControlChannel final : private ControlWatch {
public:
    // live counts the connections the server serves; it outlives every session.
    ControlChannel(std::shared_ptr<const ServerShared> shared, UniqueFd socket,
                   const StopSignal& stop, const std::atomic<std::size_t>& live);
    // The data channel and the watch refer to this object.
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    // Serves the session to its end and calls OnDisconnect. Never throws.
    void Run() noexcept;

private:
    struct Command {
        std::string_view verb;
        void (ControlChannel::*handler)(const std::string& arg);
        bool needsLogin;
    };
    static std::span<const Command> Commands();
    static const Command* FindCommand(std::string_view verb);
    // The command is there and does more than say it is not implemented.
    static bool Implemented(const Command* command);

    // ControlWatch
    int ControlFd() const override;
    int StopFd() const override { return m_stopFd; }
    bool OnControlInput() override;
    int SpinBeforeSleep(pollfd* fds, unsigned count) override;
    // Few connections are served: waits may spin (SpinWait).
    bool MaySpin() const;

    bool ReadCommands();
    // False after the 421 that ends the session: the server stops, or the time to log in is up.
    bool MayGoOn();
    // The server stops.
    bool Stopping() const;
    // Waits for the delay of a refused login; false when the server stops meanwhile.
    bool WaitFailedLoginDelay();
    // A line with this verb waits in the queue.
    bool Queued(std::string_view verb) const;
    // Removes the first queued ABOR; false when there is none.
    bool TakeQueuedAbort();
    void Execute(const InputLine& line);
    void ReportException(const std::exception& error) noexcept;

    // Replies. Texts never carry a raw CR or LF: those become blanks.
    void Reply(int code, std::string_view text);
    void Reply(const TIdReply& reply);
    // "code-line" for each of lines, then "code last".
    void ReplyLines(int code, const std::vector<std::string>& lines, std::string_view last);
    // "code-first", " body line"..., "code last" (FEAT, HELP, STAT listings).
    void ReplyBlock(int code, std::string_view first, const std::vector<std::string>& body,
                    std::string_view last);
    void Flush();
    void TryReplyAndFlush(int code, std::string_view text) noexcept;

    // Runs fn; an exception from it is answered (EFTPReplyError with its own code, others with
    // errorCode and the message) and gives false.
    template <typename Fn> bool Guard(int errorCode, Fn&& fn);
    // The reply Guard would send for what fn throws; nullopt when it returns.
    template <typename Fn> std::optional<TIdReply> Caught(int errorCode, Fn&& fn) const;
    // The argument resolved against the current folder, or nullopt after a 501 reply (also for
    // an empty argument unless emptyIsCurrent).
    std::optional<std::string> PathArg(std::string_view arg, bool emptyIsCurrent = false);
    bool Require(bool available); // false after a 502 reply
    bool RequireDataChannel();    // false after a 425 reply

    // Transfers: makes the data connection after the 150 reply and moves the stream.
    struct Outcome {
        bool opened = false; // the data connection was made
        TransferResult result;
    };
    // An upload's stream is cut at cutAt once the data connection is made, not before: a data
    // connection that fails leaves the file as it was.
    Outcome Transfer(bool send, TStream& stream, std::string_view opening,
                     std::optional<std::int64_t> cutAt = std::nullopt);
    void FinishTransfer(const Outcome& outcome);
    void SendListing(const std::vector<std::string>& lines);
    void StoreFile(const std::string& path, bool append, bool unique);
    void Checksum(std::string_view arg, int kind);

    void OpenPassive(bool extended);
    void ResetSession();

    // Commands.
    void CmdUser(const std::string& arg);
    void CmdPass(const std::string& arg);
    void CmdQuit(const std::string& arg);
    void CmdNoop(const std::string& arg);
    void CmdSyst(const std::string& arg);
    void CmdFeat(const std::string& arg);
    void CmdHelp(const std::string& arg);
    void CmdOpts(const std::string& arg);
    void CmdClnt(const std::string& arg);
    void CmdRein(const std::string& arg);
    void CmdAllo(const std::string& arg);
    void CmdNotImplemented(const std::string& arg);
    void CmdType(const std::string& arg);
    void CmdStru(const std::string& arg);
    void CmdMode(const std::string& arg);
    void CmdPwd(const std::string& arg);
    void CmdCwd(const std::string& arg);
    void CmdCdup(const std::string& arg);
    void CmdPasv(const std::string& arg);
    void CmdEpsv(const std::string& arg);
    void CmdPort(const std::string& arg);
    void CmdEprt(const std::string& arg);
    void CmdList(const std::string& arg);
    void CmdNlst(const std::string& arg);
    void CmdMlsd(const std::string& arg);
    void CmdMlst(const std::string& arg);
    void CmdRetr(const std::string& arg);
    void CmdStor(const std::string& arg);
    void CmdStou(const std::string& arg);
    void CmdAppe(const std::string& arg);
    void CmdRest(const std::string& arg);
    void CmdAbor(const std::string& arg);
    void CmdDele(const std::string& arg);
    void CmdMkd(const std::string& arg);
    void CmdRmd(const std::string& arg);
    void CmdRnfr(const std::string& arg);
    void CmdRnto(const std::string& arg);
    void CmdSize(const std::string& arg);
    void CmdMdtm(const std::string& arg);
    void CmdMfmt(const std::string& arg);
    void CmdMfct(const std::string& arg);
    void CmdSite(const std::string& arg);
    void CmdStat(const std::string& arg);
    void CmdComb(const std::string& arg);
    void CmdXcrc(const std::string& arg);
    void CmdXmd5(const std::string& arg);
    void CmdXsha1(const std::string& arg);
    void CmdXsha256(const std::string& arg);
    void CmdXsha512(const std::string& arg);

    void ListCommand(const std::string& arg, ListingKind kind, const char* cmd);
    void SetTime(const std::string& arg, bool creation);
    void SiteUtime(const std::string& arg);
    void SiteAttrib(const std::string& arg);
    void SiteHelp();

    std::shared_ptr<const ServerShared> m_shared;
    const TIdFTPServerOptions& m_options;
    const TIdFTPServerEvents& m_events;
    UniqueFd m_socket;
    const StopSignal& m_stop; // outlives every connection
    int m_stopFd;
    const std::atomic<std::size_t>& m_live;
    SpinWait m_commandSpin;
    SpinWait m_dataSpin;
    SocketAddress m_local;
    SocketAddress m_peer;
    TIdFTPServerContext m_ctx;

    LineReader m_reader;
    std::deque<InputLine> m_pending;
    std::string m_out;          // replies not yet written
    UniqueFd m_closeAfterReply; // a finished data connection, closed once the reply is out
    DataChannel m_data;
    std::minstd_rand m_random;

    std::string m_verb;                // verb of the running command
    Clock::time_point m_loginDeadline; // a connection not logged in by then is closed
    int m_failedLogins = 0;            // refused PASS commands of this connection
    bool m_epsvAll = false;            // EPSV ALL was given
    bool m_quit = false;               // end after the current command
    bool m_controlClosed = false;      // the client closed the control connection
    bool m_abortRequested = false;     // ABOR arrived during a data operation
    bool m_transferring = false;
    std::int64_t m_transferBytes = 0;
    int m_transferWaits = 0; // waits of the running transfer so far
};

template <typename Fn>
std::optional<TIdReply> ControlChannel::Caught(int errorCode, Fn&& fn) const {
    try {
        fn();
        return std::nullopt;
    } catch (const EFTPReplyError& e) {
        const int code = e.Code() >= 100 && e.Code() <= 599 ? e.Code() : errorCode;
        return TIdReply{code, *e.what() ? e.what() : m_options.ExceptionReply.Text};
    } catch (const std::exception& e) {
        return TIdReply{errorCode, *e.what() ? e.what() : m_options.ExceptionReply.Text};
    } catch (...) {
        return m_options.ExceptionReply;
    }
}

template <typename Fn> bool ControlChannel::Guard(int errorCode, Fn&& fn) {
    const std::optional<TIdReply> reply = Caught(errorCode, std::forward<Fn>(fn));
    if (reply)
        Reply(*reply);
    return !reply;
}

} // namespace vdx::ftp
