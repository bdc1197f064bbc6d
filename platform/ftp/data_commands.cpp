// Data connections and the commands that move data: PASV, EPSV, PORT, EPRT, ABOR, listings,
// RETR, STOR, APPE, STOU and REST.

#include "platform/ftp/command_args.h"
#include "platform/ftp/control_channel.h"
#include "platform/ftp/ftp_server.h"
#include "platform/ftp/ftp_time.h"
#include "platform/ftp/limits.h"
#include "platform/ftp/path_resolver.h"

#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>

namespace vdx::ftp {

namespace {

// A REST offset serves the one transfer command after it; the handlers still see it.
class RestartUse {
public:
    explicit RestartUse(std::int64_t& restart) : m_restart(restart), m_value(restart) {}
    RestartUse(const RestartUse&) = delete;
    RestartUse& operator=(const RestartUse&) = delete;
    ~RestartUse() { m_restart = 0; }
    std::int64_t Value() const { return m_value; }

private:
    std::int64_t& m_restart;
    std::int64_t m_value;
};

} // namespace

void ControlChannel::OpenPassive(bool extended) {
    const TIdIPVersion version = m_local.Ipv4() ? TIdIPVersion::Id_IPv4 : TIdIPVersion::Id_IPv6;
    std::string ip = m_local.Ip();
    std::uint16_t port = 0;
    if (m_events.OnPASVBeforeBind && !Guard(Code(Reply::CannotOpenDataConnection), [&] {
            m_events.OnPASVBeforeBind(m_ctx, ip, port, version);
        }))
        return;
    const std::uint16_t rangeMin = m_shared->server->PASVBoundPortMin();
    const std::uint16_t rangeMax = m_shared->server->PASVBoundPortMax();
    // A port the handler chose wins (the served program draws it in OnPASVBeforeBind); the
    // range is drawn here only when it left 0. Without a range DataChannel::Listen draws.
    if (port == 0 && rangeMin != 0 && rangeMax > rangeMin)
        port = DrawPassivePort(rangeMin, rangeMax, m_random);
    SocketAddress bindAddress = m_local;
    if (auto chosen = SocketAddress::FromIp(ip, 0); chosen && chosen->Family() == m_local.Family())
        bindAddress = *chosen;
    std::uint16_t bound = 0;
    try {
        bound = m_data.Listen(bindAddress, port, rangeMin, rangeMax);
    } catch (const std::system_error& e) {
        Reply(Code(Reply::CannotOpenDataConnection),
              std::string("Can't open passive connection: ") + e.what());
        return;
    }
    m_ctx.DataChannelActive = true;
    std::string replyIp = m_local.Ip();
    std::uint16_t replyPort = bound;
    if (m_events.OnPASVReply && !Guard(Code(Reply::CannotOpenDataConnection), [&] {
            m_events.OnPASVReply(m_ctx, replyIp, replyPort, version);
        })) {
        m_data.Reset();
        m_ctx.DataChannelActive = false;
        return;
    }
    if (extended) {
        Reply(Code(Reply::ExtendedPassiveMode),
              "Entering Extended Passive Mode (|||" + std::to_string(replyPort) + "|)");
        return;
    }
    in_addr addr{};
    if (::inet_pton(AF_INET, replyIp.c_str(), &addr) != 1) {
        const auto own = m_local.Ipv4();
        addr.s_addr = htonl(own.value_or(0));
    }
    const std::uint32_t host = ntohl(addr.s_addr);
    char text[96];
    std::snprintf(text, sizeof text, "Entering Passive Mode (%u,%u,%u,%u,%u,%u).", host >> 24,
                  (host >> 16) & 0xFF, (host >> 8) & 0xFF, host & 0xFF, replyPort >> 8,
                  replyPort & 0xFF);
    Reply(Code(Reply::PassiveMode), text);
}

void ControlChannel::CmdPasv(const std::string&) {
    if (m_epsvAll) {
        Reply(Code(Reply::BadSequence), "PASV not allowed after EPSV ALL.");
        return;
    }
    if (!m_local.Ipv4()) {
        Reply(Code(Reply::NetworkProtocolNotSupported), "Use EPSV on this connection.");
        return;
    }
    OpenPassive(false);
}

void ControlChannel::CmdEpsv(const std::string& arg) {
    const std::string value = os::AsciiUpper(arg);
    if (value == "ALL") {
        m_epsvAll = true;
        Reply(Code(Reply::CommandOk), "EPSV ALL command successful.");
        return;
    }
    const char* own = m_local.Ipv4() ? "1" : "2";
    if (!value.empty() && value != own) {
        Reply(Code(Reply::NetworkProtocolNotSupported),
              std::string("Network protocol not supported, use (") + own + ")");
        return;
    }
    OpenPassive(true);
}

void ControlChannel::CmdPort(const std::string& arg) {
    if (m_epsvAll) {
        Reply(Code(Reply::BadSequence), "PORT not allowed after EPSV ALL.");
        return;
    }
    std::vector<unsigned> parts;
    std::string_view rest = arg;
    while (parts.size() < 6) {
        const auto comma = rest.find(',');
        const auto value = ParseNumber<unsigned>(rest.substr(0, comma));
        if (!value || *value > 255)
            break;
        parts.push_back(*value);
        if (comma == std::string_view::npos) {
            rest = {};
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    if (parts.size() != 6 || !rest.empty() || arg.back() == ',') {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    const std::string ip = std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
                           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
    const auto port = static_cast<std::uint16_t>(parts[4] * 256 + parts[5]);
    const auto target = SocketAddress::FromIp(ip, port);
    // Data goes only back to the client itself, never to a privileged port (no FTP bounce).
    if (!target || !target->SameHost(m_peer) || port < 1024) {
        Reply(Code(Reply::SyntaxError), "Illegal PORT command.");
        return;
    }
    m_data.SetActive(*target);
    m_ctx.DataChannelActive = true;
    Reply(Code(Reply::CommandOk), "PORT Command successful.");
}

void ControlChannel::CmdEprt(const std::string& arg) {
    if (m_epsvAll) {
        Reply(Code(Reply::BadSequence), "EPRT not allowed after EPSV ALL.");
        return;
    }
    if (arg.size() < 2 || arg[0] < 33 || arg[0] > 126) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    const char delimiter = arg[0];
    std::vector<std::string> fields;
    std::string_view rest = std::string_view(arg).substr(1);
    for (auto end = rest.find(delimiter); end != std::string_view::npos;
         end = rest.find(delimiter)) {
        fields.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    if (fields.size() != 3 || !rest.empty()) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    if (fields[0] != "1" && fields[0] != "2") {
        Reply(Code(Reply::NetworkProtocolNotSupported),
              "Network protocol not supported, use (1,2)");
        return;
    }
    const auto port = ParseNumber<unsigned>(fields[2]);
    auto target = SocketAddress::FromIp(fields[1], 0);
    const int family = fields[0] == "1" ? AF_INET : AF_INET6;
    if (!port || *port > 65535 || !target || target->Family() != family) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    target->SetPort(static_cast<std::uint16_t>(*port));
    if (!target->SameHost(m_peer) || *port < 1024) {
        Reply(Code(Reply::SyntaxError), "Illegal EPRT command.");
        return;
    }
    m_data.SetActive(*target);
    m_ctx.DataChannelActive = true;
    Reply(Code(Reply::CommandOk), "EPRT Command successful.");
}

void ControlChannel::CmdAbor(const std::string&) {
    // Nothing is running: a waiting passive listener or active target is dropped.
    m_data.Reset();
    m_ctx.DataChannelActive = false;
    m_ctx.RestartPos = 0;
    Reply(Code(Reply::TransferComplete), "ABOR command successful.");
}

void ControlChannel::ListCommand(const std::string& arg, ListingKind kind, const char* cmd) {
    std::string switches;
    std::string pathArg = arg;
    if (kind != ListingKind::Mlsd) {
        ListArguments split = SplitListArguments(arg);
        switches = std::move(split.switches);
        pathArg = std::move(split.path);
    }
    const auto path = PathArg(pathArg, true);
    if (!path || !RequireDataChannel())
        return;
    TIdFTPListOutput listing;
    if (m_events.OnListDirectory && !Guard(Code(Reply::FileUnavailable), [&] {
            m_events.OnListDirectory(m_ctx, *path, listing, cmd, switches);
        }))
        return;
    SendListing(FormatListing(listing, kind, m_ctx.MLSFacts, NowUtc()));
}

void ControlChannel::CmdList(const std::string& arg) {
    ListCommand(arg, ListingKind::List, "LIST");
}

void ControlChannel::CmdNlst(const std::string& arg) {
    ListCommand(arg, ListingKind::Nlst, "NLST");
}

void ControlChannel::CmdMlsd(const std::string& arg) {
    ListCommand(arg, ListingKind::Mlsd, "MLSD");
}

void ControlChannel::CmdRetr(const std::string& arg) {
    const RestartUse restartUse(m_ctx.RestartPos);
    const std::int64_t restart = restartUse.Value();
    const auto path = PathArg(arg);
    if (!path || !RequireDataChannel())
        return;
    std::unique_ptr<TStream> stream;
    if (m_events.OnRetrieveFile && !Guard(Code(Reply::FileUnavailable),
                                          [&] { m_events.OnRetrieveFile(m_ctx, *path, stream); }))
        return;
    if (!stream) {
        Reply(Code(Reply::FileUnavailable), kReplyLocalError);
        return;
    }
    bool beyondEnd = false;
    if (!Guard(Code(Reply::FileUnavailable), [&] {
            beyondEnd = restart > 0 && restart > stream->Size();
            if (!beyondEnd)
                stream->Seek(restart, TSeekOrigin::soBeginning);
        }))
        return;
    if (beyondEnd) {
        Reply(Code(Reply::InvalidRestart), "Restart position beyond the end of the file.");
        return;
    }
    const Outcome outcome = Transfer(true, *stream, "Opening data connection for " + *path + ".");
    stream.reset();
    FinishTransfer(outcome);
}

void ControlChannel::StoreFile(const std::string& path, bool append, bool unique) {
    const RestartUse restartUse(m_ctx.RestartPos);
    const std::int64_t restart = restartUse.Value();
    std::unique_ptr<TStream> stream;
    if (m_events.OnStoreFile && !Guard(Code(Reply::FileUnavailable),
                                       [&] { m_events.OnStoreFile(m_ctx, path, append, stream); }))
        return;
    if (!stream) {
        Reply(Code(Reply::FileUnavailable), kReplyLocalError);
        return;
    }
    // STOR replaces everything from the restart offset (0 without REST) on. The handler opens
    // the file without emptying it, and the old bytes go only once the data connection is
    // there: an upload whose data connection fails leaves the file as it was.
    std::optional<std::int64_t> cutAt;
    bool beyondEnd = false;
    if (!Guard(Code(Reply::FileUnavailable), [&] {
            if (append) {
                stream->Seek(0, TSeekOrigin::soEnd);
                return;
            }
            // An offset past the end would leave a hole of zeros in the file.
            beyondEnd = restart > 0 && restart > stream->Size();
            cutAt = restart;
        }))
        return;
    if (beyondEnd) {
        Reply(Code(Reply::InvalidRestart), "Restart position beyond the end of the file.");
        return;
    }
    const std::string opening =
        unique ? "FILE: " + path : "Opening data connection for " + path + ".";
    const Outcome outcome = Transfer(false, *stream, opening, cutAt);
    // The file is complete and closed before the client hears so.
    bool closed = Guard(Code(Reply::LocalError), [&] { stream.reset(); });
    if (closed)
        FinishTransfer(outcome);
}

void ControlChannel::CmdStor(const std::string& arg) {
    const RestartUse restartUse(m_ctx.RestartPos);
    const auto path = PathArg(arg);
    if (path && RequireDataChannel())
        StoreFile(*path, false, false);
}

void ControlChannel::CmdAppe(const std::string& arg) {
    const RestartUse restartUse(m_ctx.RestartPos);
    const auto path = PathArg(arg);
    if (path && RequireDataChannel())
        StoreFile(*path, true, false);
}

void ControlChannel::CmdStou(const std::string& arg) {
    m_ctx.RestartPos = 0;
    if (!RequireDataChannel())
        return;
    const std::string base = arg.empty() ? "stou" : arg;
    for (int attempt = 0; attempt < kMaxStouAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(m_random()));
        const auto path = PathArg(base + suffix);
        if (!path)
            return;
        bool exists = false;
        if (m_events.OnFileExistCheck && !Guard(Code(Reply::FileUnavailable), [&] {
                m_events.OnFileExistCheck(m_ctx, *path, exists);
            }))
            return;
        if (!exists) {
            StoreFile(*path, false, true);
            return;
        }
    }
    Reply(Code(Reply::FileUnavailable), "No unique file name found.");
}

void ControlChannel::CmdRest(const std::string& arg) {
    const auto offset = ParseNumber<std::int64_t>(arg);
    if (!offset) {
        Reply(Code(Reply::ArgumentSyntaxError), "Invalid restart position.");
        return;
    }
    m_ctx.RestartPos = *offset;
    Reply(Code(Reply::PendingFurtherInfo),
          "Restarting at " + arg + ". Send STORE or RETRIEVE to initiate transfer.");
}

} // namespace vdx::ftp
