#pragma once
// What the data module and the server object say to each other: the event
// kinds, their log labels, the access query and the finished log line.

#include <functional>
#include <string>
#include <string_view>

namespace vdx {

// The logged and queried events, in their stored order.
enum class TFtpEventKind {
    Started,
    Stopped,
    MkDir,
    RmDir,
    Error,
    Login,
    Read,
    Write,
    Delete,
    Dirlist,
    RootDir
};

// The seven-character label a log line carries ("MkDir  ", "Read   " ...).
std::string_view FtpEventLabel(TFtpEventKind kind);

// One access query: Kind for UserName on Path from PeerIP. Password is
// sent with Login only; the session does not keep it past the login.
struct TAccessRequest {
    TFtpEventKind Kind = TFtpEventKind::RootDir;
    std::string_view UserName{};
    std::string_view Path{};
    std::string_view PeerIP{};
    std::string_view Password{};
};
// The answer: the root folder of the user's path and, for Login, Read,
// Write, Delete, MkDir and RmDir, the permission (false for the others).
struct TAccessReply {
    std::string RootDir;
    bool Allowed = false;
};
using TAccessQueryEvent = std::function<void(const TAccessRequest& request, TAccessReply& reply)>;
// A finished log line. The data module raises it on the thread that produced
// the line; the server object's OnLogLine comes from its log writer thread.
using TLogLineEvent = std::function<void(const std::string& line)>;

// The root of a non-administrator's path outside the two product trees. On
// Linux ">" is a legal name character, so the FTP handlers must treat every
// path below this root as missing without looking at the disk.
inline constexpr std::string_view kNoSuchRoot = ">>>>>/";
// Whether root is kNoSuchRoot, with or without its trailing "/".
bool IsNonExistentRoot(std::string_view root);

} // namespace vdx
