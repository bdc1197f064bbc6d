#pragma once
// Reply codes of the FTP component, configurable reply texts, and the exception an event handler
// throws to answer with a code of its own.

#include <stdexcept>
#include <string>
#include <string_view>

namespace vdx::ftp {

// The reply codes the FTP component sends (RFC 959, 2228, 2428, 3659).
enum class Reply : int {
    RestartMarker = 110,
    FileStatusOk = 150,
    CommandOk = 200,
    CommandSuperfluous = 202,
    SystemStatus = 211,
    FileStatus = 213,
    HelpMessage = 214,
    SystemType = 215,
    ServiceReady = 220,
    ServiceClosing = 221,
    DataConnectionOpen = 225,
    TransferComplete = 226,
    PassiveMode = 227,
    ExtendedPassiveMode = 229,
    LoggedIn = 230,
    FileActionOk = 250,
    PathCreated = 257,
    DateTimeChanged = 253,
    NeedPassword = 331,
    PendingFurtherInfo = 350,
    ServiceNotAvailable = 421,
    CannotOpenDataConnection = 425,
    TransferAborted = 426,
    LocalError = 451,
    SyntaxError = 500,
    ArgumentSyntaxError = 501,
    NotImplemented = 502,
    BadSequence = 503,
    ParameterNotImplemented = 504,
    NetworkProtocolNotSupported = 522,
    NotLoggedIn = 530,
    FileUnavailable = 550,
    InvalidRestart = 554,
};

constexpr int Code(Reply reply) noexcept {
    return static_cast<int>(reply);
}

// Reply texts the FTP component uses for several commands.
inline constexpr std::string_view kReplyLocalError =
    "Requested action aborted: local error in processing.";
inline constexpr std::string_view kReplyFileActionOk = "Requested file action okay, completed.";
inline constexpr std::string_view kReplyNotLoggedIn = "Not logged in.";
inline constexpr std::string_view kReplySyntaxArgs = "Syntax error in parameters or arguments.";

// A configurable reply: code and text, as the server's reply properties hold them.
struct TIdReply {
    int Code = 0;
    std::string Text;
};

// Thrown by an event handler to answer the command with exactly this code and text (for example
// a 550 refusal). Any other exception from a handler is answered with the command's error code
// and the exception's message.
class EFTPReplyError : public std::runtime_error {
public:
    EFTPReplyError(int code, const std::string& text) : std::runtime_error(text), m_code(code) {}
    int Code() const noexcept { return m_code; }

private:
    int m_code;
};

} // namespace vdx::ftp
