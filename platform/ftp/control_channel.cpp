#include "platform/ftp/control_channel.h"

#include "platform/ftp/limits.h"
#include "platform/ftp/path_resolver.h"
#include "platform/ftp/transfer.h"

#include <algorithm>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

namespace vdx::ftp {

namespace {

// Ends the session: the control connection is gone or the server stops.
struct SessionEnded {};

std::string Clean(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    return result;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    for (;;) {
        const auto end = text.find('\n');
        lines.push_back(Clean(text.substr(0, end)));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

using C = ControlChannel;

} // namespace

std::span<const ControlChannel::Command> ControlChannel::Commands() {
    static constexpr Command kCommands[] = {
        {"USER", &C::CmdUser, false},
        {"PASS", &C::CmdPass, false},
        {"QUIT", &C::CmdQuit, false},
        {"NOOP", &C::CmdNoop, false},
        {"SYST", &C::CmdSyst, false},
        {"FEAT", &C::CmdFeat, false},
        {"HELP", &C::CmdHelp, false},
        {"OPTS", &C::CmdOpts, false},
        {"CLNT", &C::CmdClnt, false},
        {"REIN", &C::CmdRein, false},
        {"AUTH", &C::CmdNotImplemented, false},
        {"PBSZ", &C::CmdNotImplemented, false},
        {"PROT", &C::CmdNotImplemented, false},
        {"CCC", &C::CmdNotImplemented, false},
        {"ALLO", &C::CmdAllo, true},
        {"TYPE", &C::CmdType, true},
        {"STRU", &C::CmdStru, true},
        {"MODE", &C::CmdMode, true},
        {"PWD", &C::CmdPwd, true},
        {"XPWD", &C::CmdPwd, true},
        {"CWD", &C::CmdCwd, true},
        {"XCWD", &C::CmdCwd, true},
        {"CDUP", &C::CmdCdup, true},
        {"XCUP", &C::CmdCdup, true},
        {"PASV", &C::CmdPasv, true},
        {"EPSV", &C::CmdEpsv, true},
        {"PORT", &C::CmdPort, true},
        {"EPRT", &C::CmdEprt, true},
        {"LIST", &C::CmdList, true},
        {"NLST", &C::CmdNlst, true},
        {"MLSD", &C::CmdMlsd, true},
        {"MLST", &C::CmdMlst, true},
        {"RETR", &C::CmdRetr, true},
        {"STOR", &C::CmdStor, true},
        {"STOU", &C::CmdStou, true},
        {"APPE", &C::CmdAppe, true},
        {"REST", &C::CmdRest, true},
        {"ABOR", &C::CmdAbor, true},
        {"DELE", &C::CmdDele, true},
        {"MKD", &C::CmdMkd, true},
        {"XMKD", &C::CmdMkd, true},
        {"RMD", &C::CmdRmd, true},
        {"XRMD", &C::CmdRmd, true},
        {"RNFR", &C::CmdRnfr, true},
        {"RNTO", &C::CmdRnto, true},
        {"SIZE", &C::CmdSize, true},
        {"MDTM", &C::CmdMdtm, true},
        {"MFMT", &C::CmdMfmt, true},
        {"MFCT", &C::CmdMfct, true},
        {"SITE", &C::CmdSite, true},
        {"STAT", &C::CmdStat, true},
        {"COMB", &C::CmdComb, true},
        {"XCRC", &C::CmdXcrc, true},
        {"XMD5", &C::CmdXmd5, true},
        {"XSHA1", &C::CmdXsha1, true},
        {"XSHA256", &C::CmdXsha256, true},
        {"XSHA512", &C::CmdXsha512, true},
    };
    return kCommands;
}

const ControlChannel::Command* ControlChannel::FindCommand(std::string_view verb) {
    for (const Command& command : Commands())
        if (command.verb == verb)
            return &command;
    return nullptr;
}

bool ControlChannel::Implemented(const Command* command) {
    return command && command->handler != &C::CmdNotImplemented;
}

ControlChannel::ControlChannel(std::shared_ptr<const ServerShared> shared, UniqueFd socket,
                               const StopSignal& stop, const std::atomic<std::size_t>& live)
    : m_shared(std::move(shared)), m_options(m_shared->options), m_events(m_shared->events),
      m_socket(std::move(socket)), m_stop(stop), m_stopFd(stop.Fd()), m_live(live),
      m_random(std::random_device{}()) {}

void ControlChannel::Run() noexcept {
    try {
        SetNonBlocking(m_socket.Get());
        SetSocketOption(m_socket.Get(), IPPROTO_TCP, TCP_NODELAY, 1);
        // Urgent bytes (the Telnet sync before ABOR) stay in order with the rest.
        SetSocketOption(m_socket.Get(), SOL_SOCKET, SO_OOBINLINE, 1);
        if (auto local = SocketAddress::LocalOf(m_socket.Get()))
            m_local = *local;
        if (auto peer = SocketAddress::PeerOf(m_socket.Get()))
            m_peer = *peer;
        m_ctx.PeerIP = m_peer.Ip();
        m_ctx.PeerPort = m_peer.Port();
        ResetSession();
        m_loginDeadline = Clock::now() + m_options.LoginTimeout;

        Reply(m_options.Greeting);
        Flush();
        // Commands read ahead are dropped once the server stops or the time to log in is up.
        while (!m_quit && MayGoOn()) {
            if (m_pending.empty()) {
                if (!ReadCommands())
                    break;
                continue;
            }
            const InputLine line = std::move(m_pending.front());
            m_pending.pop_front();
            Execute(line);
            Flush();
            m_closeAfterReply.Reset();
        }
    } catch (const SessionEnded&) {
    } catch (const std::exception& e) {
        ReportException(e);
    } catch (...) {
        ReportException(std::runtime_error("Unknown failure in an FTP session"));
    }
    m_data.Reset();
    m_closeAfterReply.Reset();
    m_socket.Reset();
    if (m_events.OnDisconnect) {
        try {
            m_events.OnDisconnect(m_ctx);
        } catch (const std::exception& e) {
            ReportException(e);
        } catch (...) {
        }
    }
}

void ControlChannel::ResetSession() {
    m_ctx.UserName.clear();
    m_ctx.Password.clear();
    m_ctx.Authenticated = false;
    m_ctx.CurrentDir = "/";
    m_ctx.HomeDir = "/";
    m_ctx.DataType = TIdFTPTransferType::ftASCII;
    m_ctx.DataStruct = TIdFTPDataStructure::dsFile;
    m_ctx.DataMode = TIdFTPTransferMode::dmStream;
    m_ctx.ZLibCompressionLevel =
        m_options.Compressor ? m_options.Compressor->DefaultLevel : kModeZDefaultLevel;
    m_ctx.RestartPos = 0;
    m_ctx.RNFRName.clear();
    m_ctx.DataChannelActive = false;
    m_ctx.UTF8 = false;
    m_ctx.MLSFacts = OfferedFacts(m_options.MLSDFacts);
    m_data.Reset();
    m_epsvAll = false;
}

void ControlChannel::ReportException(const std::exception& error) noexcept {
    if (!m_events.OnException)
        return;
    try {
        m_events.OnException(&m_ctx, error);
    } catch (...) {
    }
}

bool ControlChannel::ReadCommands() {
    const auto idleDeadline = Clock::now() + m_options.IdleTimeout;
    for (;;) {
        const auto deadline =
            m_ctx.Authenticated ? idleDeadline : std::min(idleDeadline, m_loginDeadline);
        pollfd fds[2] = {{m_socket.Get(), POLLIN | POLLPRI, 0}, {m_stopFd, POLLIN, 0}};
        int ready = MaySpin() ? m_commandSpin.Poll(fds, 2) : 0;
        if (ready == 0)
            ready = PollUntil(fds, 2, deadline);
        if (ready == 0 || fds[1].revents != 0) {
            // The stop and the time to log in come first; else the connection was idle.
            if (MayGoOn()) {
                const auto seconds =
                    std::chrono::duration_cast<std::chrono::seconds>(m_options.IdleTimeout).count();
                TryReplyAndFlush(Code(Reply::ServiceNotAvailable),
                                 "Timeout (" + std::to_string(seconds) +
                                     " seconds): closing control connection.");
            }
            return false;
        }
        if (!OnControlInput())
            return !m_controlClosed;
        if (!m_pending.empty())
            return true;
    }
}

bool ControlChannel::MayGoOn() {
    if (Stopping()) {
        TryReplyAndFlush(Code(Reply::ServiceNotAvailable), "Server shutting down.");
        return false;
    }
    if (!m_ctx.Authenticated && Clock::now() >= m_loginDeadline) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(m_options.LoginTimeout).count();
        TryReplyAndFlush(Code(Reply::ServiceNotAvailable),
                         "Login timeout (" + std::to_string(seconds) +
                             " seconds): closing control connection.");
        return false;
    }
    return true;
}

bool ControlChannel::Stopping() const {
    return m_stop.Raised();
}

bool ControlChannel::WaitFailedLoginDelay() {
    pollfd stop{m_stopFd, POLLIN, 0};
    return PollUntil(&stop, 1, Clock::now() + m_options.FailedLoginDelay) == 0;
}

bool ControlChannel::MaySpin() const {
    return m_live.load(std::memory_order_relaxed) <= kSpinSessions;
}

int ControlChannel::SpinBeforeSleep(pollfd* fds, unsigned count) {
    // The client's answer to the opening reply: the data connection and the first bytes (or the
    // end) of an upload. Later waits of a long transfer follow the data's own pace.
    if (m_transferWaits >= kSpinTransferWaits)
        return 0;
    ++m_transferWaits;
    return MaySpin() ? m_dataSpin.Poll(fds, count) : 0;
}

int ControlChannel::ControlFd() const {
    return m_pending.size() < kMaxPendingCommands && !m_controlClosed ? m_socket.Get() : -1;
}

bool ControlChannel::Queued(std::string_view verb) const {
    return std::any_of(m_pending.begin(), m_pending.end(), [&](const InputLine& line) {
        return !line.overlong && ParseCommandLine(line.text).verb == verb;
    });
}

bool ControlChannel::OnControlInput() {
    char buffer[kControlReadSize];
    const ssize_t n = ::recv(m_socket.Get(), buffer, sizeof buffer, 0);
    if (n == 0) {
        m_controlClosed = true;
        // A client may close its side right after QUIT: the running transfer still ends as
        // usual and is answered before the session closes (RFC 959 QUIT).
        return m_transferring && Queued("QUIT");
    }
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR)
            return true;
        const int error = errno;
        m_controlClosed = true;
        ReportException(SystemError(error));
        return false;
    }
    for (InputLine& line : m_reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)))) {
        if (m_transferring && !line.overlong) {
            // While data moves, ABOR and STAT are answered at once; the rest waits its turn.
            const CommandLine command = ParseCommandLine(line.text);
            if (command.verb == "ABOR") {
                m_abortRequested = true;
                continue;
            }
            if (command.verb == "STAT" && command.argument.empty()) {
                Reply(Code(Reply::FileStatus),
                      "Status: " + std::to_string(m_transferBytes) + " bytes transferred.");
                Flush();
                continue;
            }
        }
        m_pending.push_back(std::move(line));
    }
    return !m_abortRequested;
}

void ControlChannel::Execute(const InputLine& line) {
    if (line.overlong) {
        Reply(Code(Reply::SyntaxError), "Command line too long.");
        return;
    }
    const CommandLine command = ParseCommandLine(line.text);
    const Command* entry = FindCommand(command.verb);
    if (!entry) {
        Reply(m_options.ReplyUnknownCommand);
        return;
    }
    if (entry->needsLogin && !m_ctx.Authenticated) {
        Reply(Code(Reply::NotLoggedIn), kReplyNotLoggedIn);
        return;
    }
    // A rename names its target in the very next command.
    if (entry->handler != &C::CmdRnto)
        m_ctx.RNFRName.clear();
    m_verb = command.verb;
    (this->*entry->handler)(command.argument);
}

void ControlChannel::Reply(int code, std::string_view text) {
    m_out += std::to_string(code);
    m_out += ' ';
    m_out += Clean(text);
    m_out += "\r\n";
}

void ControlChannel::Reply(const TIdReply& reply) {
    std::vector<std::string> lines = SplitLines(reply.Text);
    const std::string last = std::move(lines.back());
    lines.pop_back();
    ReplyLines(reply.Code, lines, last);
}

void ControlChannel::ReplyLines(int code, const std::vector<std::string>& lines,
                                std::string_view last) {
    for (const std::string& line : lines)
        m_out += std::to_string(code) + "-" + Clean(line) + "\r\n";
    Reply(code, last);
}

void ControlChannel::ReplyBlock(int code, std::string_view first,
                                const std::vector<std::string>& body, std::string_view last) {
    m_out += std::to_string(code) + "-" + Clean(first) + "\r\n";
    for (const std::string& line : body)
        m_out += " " + Clean(line) + "\r\n";
    Reply(code, last);
}

void ControlChannel::Flush() {
    std::string_view rest = m_out;
    const auto deadline = Clock::now() + m_options.DataTimeout;
    while (!rest.empty()) {
        const ssize_t n = ::send(m_socket.Get(), rest.data(), rest.size(), MSG_NOSIGNAL);
        if (n > 0) {
            rest.remove_prefix(static_cast<std::size_t>(n));
            if (rest.empty())
                break;
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            const int error = errno;
            m_out.clear();
            if (error != EPIPE)
                ReportException(SystemError(error));
            throw SessionEnded{};
        }
        // Between the blocks of a long reply (a STAT listing) the stop is looked at too.
        pollfd fds[2] = {{m_socket.Get(), POLLOUT, 0}, {m_stopFd, POLLIN, 0}};
        if (PollUntil(fds, 2, deadline) == 0 || fds[1].revents != 0) {
            // A client that takes no replies gives up its connection.
            m_out.clear();
            throw SessionEnded{};
        }
    }
    m_out.clear();
}

void ControlChannel::TryReplyAndFlush(int code, std::string_view text) noexcept {
    try {
        Reply(code, text);
        // Best effort only: the connection ends anyway.
        ::send(m_socket.Get(), m_out.data(), m_out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    } catch (...) {
    }
    m_out.clear();
}

std::optional<std::string> ControlChannel::PathArg(std::string_view arg, bool emptyIsCurrent) {
    // A command on "no name" must not land on the current folder by accident (RMD, DELE).
    if (arg.empty() && !emptyIsCurrent) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return std::nullopt;
    }
    auto path = ResolveFtpPath(m_ctx.CurrentDir, arg);
    if (!path)
        Reply(Code(Reply::ArgumentSyntaxError), "Invalid path name.");
    return path;
}

bool ControlChannel::Require(bool available) {
    if (!available)
        Reply(Code(Reply::NotImplemented), "Command not implemented.");
    return available;
}

bool ControlChannel::RequireDataChannel() {
    if (m_data.Pending())
        return true;
    Reply(Code(Reply::CannotOpenDataConnection), "Use PORT or PASV first.");
    return false;
}

ControlChannel::Outcome ControlChannel::Transfer(bool send, TStream& stream,
                                                 std::string_view opening,
                                                 std::optional<std::int64_t> cutAt) {
    Reply(Code(Reply::FileStatusOk), opening);
    Flush();
    Outcome outcome;
    m_transferring = true;
    m_transferBytes = 0;
    m_transferWaits = 0;
    // An ABOR sent right behind the transfer command was read with it, before the transfer
    // watched the control connection: it ends this transfer all the same.
    m_abortRequested = TakeQueuedAbort();
    UniqueFd fd;
    if (m_abortRequested) {
        m_data.Reset();
        outcome.result = {DataOutcome::Interrupted, "Transfer aborted"};
    } else {
        fd = m_data.Open(m_peer, m_local, m_options.DefaultDataPort, m_options.DataTimeout, *this,
                         outcome.result.outcome, outcome.result.error);
    }
    if (fd && cutAt) {
        try {
            if (stream.Size() > *cutAt)
                stream.SetSize(*cutAt);
            stream.Seek(*cutAt, TSeekOrigin::soBeginning);
        } catch (const std::exception& e) {
            fd.Reset();
            outcome.opened = true;
            outcome.result = {DataOutcome::LocalError, e.what()};
        }
    }
    if (fd) {
        outcome.opened = true;
        m_ctx.DataChannelActive = true;
        TransferOptions options;
        options.deflate = m_ctx.DataMode == TIdFTPTransferMode::dmDeflate;
        options.level = m_ctx.ZLibCompressionLevel;
        options.stallTimeout = m_options.DataTimeout;
        options.progress = &m_transferBytes;
        outcome.result = send ? SendStream(fd.Get(), stream, options, *this)
                              : ReceiveStream(fd.Get(), stream, options, *this);
        // All data has moved and the end was seen or sent: the socket's own end (the FIN of
        // an upload's connection) need not hold up the reply.
        if (outcome.result.outcome == DataOutcome::Completed)
            m_closeAfterReply = std::move(fd);
        fd.Reset();
    }
    m_transferring = false;
    m_ctx.DataChannelActive = false;
    return outcome;
}

bool ControlChannel::TakeQueuedAbort() {
    const auto abort = std::find_if(m_pending.begin(), m_pending.end(), [](const InputLine& line) {
        return !line.overlong && ParseCommandLine(line.text).verb == "ABOR";
    });
    if (abort == m_pending.end())
        return false;
    m_pending.erase(abort);
    return true;
}

void ControlChannel::FinishTransfer(const Outcome& outcome) {
    const TransferResult& r = outcome.result;
    switch (r.outcome) {
    case DataOutcome::Completed:
        Reply(Code(Reply::TransferComplete), "Transfer complete.");
        return;
    case DataOutcome::Interrupted:
        if (m_controlClosed)
            throw SessionEnded{};
        Reply(Code(Reply::TransferAborted), "Connection closed; transfer aborted.");
        Reply(Code(Reply::TransferComplete), "ABOR command successful.");
        m_abortRequested = false;
        return;
    case DataOutcome::Stopped:
        TryReplyAndFlush(Code(Reply::ServiceNotAvailable), "Server shutting down.");
        throw SessionEnded{};
    case DataOutcome::Failed:
        ReportException(std::runtime_error("Data connection: " + r.error));
        if (outcome.opened)
            Reply(Code(Reply::TransferAborted), "Connection closed; transfer aborted: " + r.error);
        else
            Reply(Code(Reply::CannotOpenDataConnection), "Can't open data connection: " + r.error);
        return;
    case DataOutcome::LocalError:
        Reply(Code(Reply::LocalError), r.error.empty() ? std::string(kReplyLocalError) : r.error);
        return;
    }
}

void ControlChannel::SendListing(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    TMemoryStream stream(std::move(text));
    FinishTransfer(Transfer(true, stream, "Opening data connection for directory listing."));
}

} // namespace vdx::ftp
