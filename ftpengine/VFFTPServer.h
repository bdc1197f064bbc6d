#pragma once
// The server object: owns the FTP data module, answers its access queries
// (root folder and permission of a user's FTP path) and writes its log lines.

#include "VFGlobals.h"

#include <functional>
#include <memory>
#include <mutex>
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

// Asks for the root folder of userName's FTP path and, for Login, Read,
// Write, Delete, MkDir and RmDir, for the permission; rootDir and allowed are
// out-parameters (allowed keeps the caller's value for the other kinds).
using TAccessQueryEvent = std::function<void(
    TFtpEventKind kind, std::string& rootDir, bool& allowed, const std::string& path,
    const std::string& peerIP, const std::string& password, const std::string& userName)>;
// A finished log line, raised on the thread that produced it.
using TLogLineEvent = std::function<void(const std::string& line)>;

// The root of a non-administrator's path outside the two product trees. On
// Linux ">" is a legal name character, so the FTP handlers must treat every
// path below this root as missing without looking at the disk.
inline constexpr std::string_view kNoSuchRoot = ">>>>>/";
bool IsNonExistentRoot(std::string_view root);

class TVFTPServerDataModule;

class TFFTPServer {
public:
    // Creates the data module, wires its events to this object, switches it
    // off (nothing is logged) and applies a copy of the live settings.
    explicit TFFTPServer(TFGlobals& globals);
    // The data module's events hold this object's address.
    TFFTPServer(const TFFTPServer&) = delete;
    TFFTPServer& operator=(const TFFTPServer&) = delete;
    // Frees the data module, which logs Stopped.
    ~TFFTPServer();

    TVFTPServerDataModule& DataModule() { return *m_dataModule; }

    // Receives every log line after it was appended to the log file. Set it
    // before the server is switched on; it is raised on connection threads.
    TLogLineEvent OnLogLine;

    // Switches the engine on or off; its errors (a port in use) reach the caller.
    void SetActive(bool value);

    void HandleAccessQuery(TFtpEventKind kind, std::string& rootDir, bool& allowed,
                           const std::string& path, const std::string& peerIP,
                           const std::string& password, const std::string& userName);
    // Appends the line to the log file, then raises OnLogLine. A write that
    // fails after the file was opened throws, and the line goes no further.
    // CR and LF inside the line become blanks in both, so one event stays one line.
    void HandleLogLine(const std::string& line);
    // Appends line (CR and LF in it as blanks) and CR LF to the log file. The
    // open is tried up to 11 times, 100 ms apart, while another writer has the
    // file; then the line is lost silently. Throws vdx::os::FileError when the
    // write itself fails.
    void AppendToLogFile(const std::string& line);

    // Rights of a user name as the client gave it, from the users table as
    // last loaded and the live settings.
    bool IsAdmin(const std::string& user) const;
    bool HasInfoRight(const std::string& user) const;
    bool HasTextRight(const std::string& user) const;
    bool CanWrite(const std::string& user, const std::string& path) const;
    bool CanDelete(const std::string& user, const std::string& path) const;
    bool CanRead(const std::string& user, const std::string& path) const;

    // The path without any "/" or "\", ASCII letters in lower case.
    static std::string FlattenPath(std::string_view path);
    // The disk root of a non-administrator's path: the info or teletext root
    // for the two product trees, kNoSuchRoot otherwise; always with "/".
    std::string NonAdminRoot(const std::string& path) const;

private:
    TFGlobals& m_globals;
    std::mutex m_logMutex; // one append at a time within this process
    std::unique_ptr<TVFTPServerDataModule> m_dataModule;
};

} // namespace vdx
