// Login, session settings, help and status.

#include "platform/ftp/checksums.h"
#include "platform/ftp/command_args.h"
#include "platform/ftp/control_channel.h"
#include "platform/ftp/ftp_time.h"
#include "platform/ftp/limits.h"

#include <algorithm>

namespace vdx::ftp {

void ControlChannel::CmdUser(const std::string& arg) {
    // No user is named with a NUL, CR or LF; such a name would only carry them into the log.
    if (arg.empty() || arg.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    m_ctx.Authenticated = false;
    m_ctx.Password.clear();
    m_ctx.UserName = arg;
    const bool anonymous =
        m_options.AllowAnonymousLogin &&
        std::any_of(
            m_options.AnonymousAccounts.begin(), m_options.AnonymousAccounts.end(),
            [&](const std::string& name) { return os::EqualsIgnoringAsciiCase(name, arg); });
    Reply(Code(Reply::NeedPassword),
          anonymous ? "Anonymous login OK, send your e-mail address as password."
                    : "User name okay, need password.");
}

void ControlChannel::CmdPass(const std::string& arg) {
    if (m_ctx.UserName.empty() || m_ctx.Authenticated) {
        Reply(Code(Reply::BadSequence), "Login with USER first.");
        return;
    }
    const std::string user = m_ctx.UserName;
    const bool anonymous =
        m_options.AllowAnonymousLogin &&
        std::any_of(
            m_options.AnonymousAccounts.begin(), m_options.AnonymousAccounts.end(),
            [&](const std::string& name) { return os::EqualsIgnoringAsciiCase(name, user); });
    m_ctx.Password = arg;
    bool authenticated = anonymous;
    // A login handler that fails (a users file that cannot be read) refuses the login like a
    // wrong password: otherwise its reply would be a way to guess without the delay.
    std::optional<TIdReply> failure;
    if (!anonymous && m_events.OnUserLogin)
        failure = Caught(Code(Reply::BadSequence),
                         [&] { m_events.OnUserLogin(m_ctx, user, arg, authenticated); });
    if (failure || !authenticated) {
        m_ctx.Password.clear();
        m_ctx.UserName.clear();
        // Guessing passwords takes time, and a connection gets only a few guesses.
        if (!WaitFailedLoginDelay())
            return; // the server stops: the session ends before the next command
        if (failure)
            Reply(*failure);
        else
            Reply(Code(Reply::NotLoggedIn), kReplyNotLoggedIn);
        if (++m_failedLogins >= kMaxFailedLogins) {
            Reply(Code(Reply::ServiceNotAvailable),
                  "Too many failed logins: closing control connection.");
            m_quit = true;
        }
        return;
    }
    m_ctx.Authenticated = true;
    m_ctx.CurrentDir = "/";
    m_ctx.HomeDir = "/";
    if (m_events.OnAfterUserLogin &&
        !Guard(Code(Reply::BadSequence), [&] { m_events.OnAfterUserLogin(m_ctx); })) {
        m_ctx.Authenticated = false;
        m_ctx.Password.clear();
        m_ctx.UserName.clear();
        return;
    }
    Reply(Code(Reply::LoggedIn), "User logged in, proceed.");
}

void ControlChannel::CmdQuit(const std::string&) {
    Reply(Code(Reply::ServiceClosing), "Goodbye.");
    m_quit = true;
}

void ControlChannel::CmdNoop(const std::string&) {
    Reply(Code(Reply::CommandOk), "NOOP command successful.");
}

void ControlChannel::CmdSyst(const std::string&) {
    Reply(Code(Reply::SystemType), m_options.SystemType);
}

void ControlChannel::CmdFeat(const std::string&) {
    const TIdFTPServerEvents& e = m_events;
    std::vector<std::string> features;
    features.emplace_back("CLNT");
    if (e.OnCombineFiles)
        features.emplace_back("COMB");
    features.emplace_back("EPRT");
    features.emplace_back("EPSV");
    if (e.OnGetFileDate)
        features.emplace_back("MDTM");
    if (e.OnSetCreationTime)
        features.emplace_back("MFCT");
    if (e.OnSetModifiedTime)
        features.emplace_back("MFMT");
    if (e.OnListDirectory || e.OnMLST)
        features.push_back("MLST " +
                           FormatFeatFacts(OfferedFacts(m_options.MLSDFacts), m_ctx.MLSFacts));
    if (m_options.Compressor)
        features.emplace_back("MODE Z");
    features.emplace_back("REST STREAM");
    if (e.OnGetFileSize)
        features.emplace_back("SIZE");
    features.emplace_back("TVFS");
    features.emplace_back("UTF8");
    if (e.OnCRCFile) {
        const std::pair<ChecksumKind, const char*> kinds[] = {
            {ChecksumKind::Crc32, "XCRC"},     {ChecksumKind::Md5, "XMD5"},
            {ChecksumKind::Sha1, "XSHA1"},     {ChecksumKind::Sha256, "XSHA256"},
            {ChecksumKind::Sha512, "XSHA512"},
        };
        for (const auto& [kind, name] : kinds)
            if (ChecksumAvailable(kind))
                features.push_back(std::string(name) + " \"filename\" SP EP");
    }
    ReplyBlock(Code(Reply::SystemStatus), "Extensions supported:", features, "End");
}

void ControlChannel::CmdHelp(const std::string& arg) {
    if (os::EqualsIgnoringAsciiCase(arg, "SITE")) {
        SiteHelp();
        return;
    }
    if (!arg.empty()) {
        const std::string verb = os::AsciiUpper(arg);
        if (Implemented(FindCommand(verb)))
            Reply(Code(Reply::HelpMessage), verb + " is supported.");
        else
            Reply(Code(Reply::NotImplemented), verb + " is not supported.");
        return;
    }
    std::vector<std::string_view> verbs;
    for (const Command& command : Commands())
        if (Implemented(&command))
            verbs.push_back(command.verb);
    std::sort(verbs.begin(), verbs.end());
    // Eight verbs to a row, each in a column of eight.
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < verbs.size(); ++i) {
        if (i % 8 == 0)
            rows.emplace_back();
        std::string cell(verbs[i]);
        cell.resize(8, ' ');
        rows.back() += cell;
    }
    ReplyBlock(m_options.HelpReply.Code, m_options.HelpReply.Text, rows, "End of help.");
}

void ControlChannel::CmdOpts(const std::string& arg) {
    const CommandLine option = ParseCommandLine(arg);
    if (option.verb == "UTF8" || option.verb == "UTF-8") {
        const std::string value = os::AsciiUpper(option.argument);
        if (value.empty() || value == "ON" || value == "OFF") {
            m_ctx.UTF8 = value != "OFF";
            Reply(Code(Reply::CommandOk), m_ctx.UTF8 ? "UTF8 mode on." : "UTF8 mode off.");
            return;
        }
    } else if (option.verb == "MLST") {
        m_ctx.MLSFacts = ParseOptsMlst(option.argument, OfferedFacts(m_options.MLSDFacts));
        const std::string names = FormatFactNames(m_ctx.MLSFacts);
        Reply(Code(Reply::CommandOk), names.empty() ? "MLST OPTS" : "MLST OPTS " + names);
        return;
    } else if (option.verb == "MODE" && m_options.Compressor) {
        const std::vector<std::string> words = Words(os::AsciiUpper(option.argument));
        if (words.size() == 3 && words[0] == "Z" && words[1] == "LEVEL") {
            const auto level = ParseNumber<int>(words[2]);
            if (level && *level <= 9) {
                m_ctx.ZLibCompressionLevel = *level;
                Reply(Code(Reply::CommandOk), "MODE Z LEVEL set to " + words[2] + ".");
                return;
            }
        }
    }
    Reply(Code(Reply::ArgumentSyntaxError), "Option not understood.");
}

void ControlChannel::CmdClnt(const std::string&) {
    Reply(Code(Reply::CommandOk), "Noted.");
}

void ControlChannel::CmdRein(const std::string&) {
    // The time to log in runs from the start, or from the end of the login undone here: a REIN
    // before any login must not renew it.
    const bool loggedIn = m_ctx.Authenticated;
    ResetSession();
    if (loggedIn)
        m_loginDeadline = Clock::now() + m_options.LoginTimeout;
    Reply(Code(Reply::ServiceReady), "Service ready for new user.");
}

void ControlChannel::CmdAllo(const std::string&) {
    Reply(Code(Reply::CommandSuperfluous), "ALLO command ignored.");
}

void ControlChannel::CmdNotImplemented(const std::string&) {
    Require(false);
}

void ControlChannel::CmdType(const std::string& arg) {
    const std::vector<std::string> words = Words(os::AsciiUpper(arg));
    if (words.empty() || words[0].empty() || words.size() > 2) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    const std::string& type = words[0];
    const std::string format = words.size() > 1 ? words[1] : "";
    if (type == "A" && (format.empty() || format == "N")) {
        m_ctx.DataType = TIdFTPTransferType::ftASCII;
        Reply(Code(Reply::CommandOk), "Type set to A.");
    } else if (type == "I" && format.empty()) {
        m_ctx.DataType = TIdFTPTransferType::ftBinary;
        Reply(Code(Reply::CommandOk), "Type set to I.");
    } else if ((type == "L" && format == "8") || (type == "L8" && format.empty())) {
        m_ctx.DataType = TIdFTPTransferType::ftBinary;
        Reply(Code(Reply::CommandOk), "Type set to L 8.");
    } else if (type == "A" || type == "E" || type == "L") {
        Reply(Code(Reply::ParameterNotImplemented), "Type not implemented for that parameter.");
    } else {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
    }
}

void ControlChannel::CmdStru(const std::string& arg) {
    // Files are stored as they come in every structure: the file system keeps no records.
    const std::string value = os::AsciiUpper(arg);
    if (value == "F")
        m_ctx.DataStruct = TIdFTPDataStructure::dsFile;
    else if (value == "R")
        m_ctx.DataStruct = TIdFTPDataStructure::dsRecord;
    else if (value == "P")
        m_ctx.DataStruct = TIdFTPDataStructure::dsPage;
    else {
        Reply(Code(Reply::ParameterNotImplemented), "Structure not implemented.");
        return;
    }
    Reply(Code(Reply::CommandOk), "Structure set to " + value + ".");
}

void ControlChannel::CmdMode(const std::string& arg) {
    const std::string value = os::AsciiUpper(arg);
    if (value == "S") {
        m_ctx.DataMode = TIdFTPTransferMode::dmStream;
    } else if (value == "Z" && m_options.Compressor) {
        m_ctx.DataMode = TIdFTPTransferMode::dmDeflate;
    } else {
        Reply(Code(Reply::ParameterNotImplemented), "Mode not implemented.");
        return;
    }
    Reply(Code(Reply::CommandOk), "Mode set to " + value + ".");
}

void ControlChannel::CmdStat(const std::string& arg) {
    if (arg.empty()) {
        std::vector<std::string> lines;
        if (m_events.OnStat &&
            !Guard(Code(Reply::FileUnavailable), [&] { m_events.OnStat(m_ctx, lines); }))
            return;
        ReplyLines(Code(Reply::SystemStatus), lines, "End of status");
        return;
    }
    ListArguments split = SplitListArguments(arg);
    const auto path = PathArg(split.path, true);
    if (!path)
        return;
    TIdFTPListOutput listing;
    if (m_events.OnListDirectory && !Guard(Code(Reply::FileUnavailable), [&] {
            m_events.OnListDirectory(m_ctx, *path, listing, "STAT", split.switches);
        }))
        return;
    ReplyBlock(Code(Reply::FileStatus), "Status of " + *path + ":",
               FormatListing(listing, ListingKind::List, m_ctx.MLSFacts, NowUtc()),
               "End of status");
}

} // namespace vdx::ftp
