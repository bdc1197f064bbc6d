#pragma once
// The server object: owns the FTP data module, answers its access queries
// (root folder and permission of a user's FTP path) and appends its log lines
// to the log file through its log writer, which passes them on after.

#include "ftpengine/VFGlobals.h"
#include "ftpengine/VFLogWriter.h"
#include "ftpengine/VdxFtpEvents.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

namespace vdx {

class TVFTPServerDataModule;

class TFFTPServer {
public:
    // Creates the data module, wires its events to this object, switches it
    // off (nothing is logged) and applies a copy of the live settings;
    // onLogLine becomes OnLogLine.
    explicit TFFTPServer(TFGlobals& globals, TLogLineEvent onLogLine = {});
    // The data module's events hold this object's address.
    TFFTPServer(const TFFTPServer&) = delete;
    TFFTPServer& operator=(const TFFTPServer&) = delete;
    // Frees the data module, which logs Stopped, then lets the log writer
    // write every line still queued and report what was lost.
    ~TFFTPServer();

    TVFTPServerDataModule& DataModule() { return *m_dataModule; }

    // Receives every log line, in the order of the log file, after the file
    // has it, and the reports of lines that did not reach the file. Raised on
    // a thread of the log writer, one line at a time, so no connection runs
    // it: it hands the line to its own thread (the main window does) and must
    // not call FlushLog. When it falls behind it skips lines (counted and
    // told); the file never waits on it. Fixed at construction, as that
    // thread reads it from the start.
    const TLogLineEvent OnLogLine;

    // Switches the FTP component on or off; its errors (a port in use) reach the caller.
    void SetActive(bool value);

    void HandleAccessQuery(TFtpEventKind kind, std::string& rootDir, bool& allowed,
                           const std::string& path, const std::string& peerIP,
                           const std::string& password, const std::string& userName);
    // The data module's log lines: AppendToLogFile; OnLogLine gets the line
    // from the log writer once the file has it.
    void HandleLogLine(const std::string& line);
    // Appends the line and CR LF to the log file, whole or not at all, on the
    // log writer's thread: the caller does not wait on the disk, only for
    // room while kMaxQueuedLogLines lines wait (TLogWriter::Push). CR and LF
    // inside the line become blanks. Nothing about it throws.
    void AppendToLogFile(const std::string& line);
    // Waits until every line logged before the call was appended (or counted
    // as lost) and passed on to OnLogLine (or counted as skipped).
    void FlushLog();

    // Rights of a user name as the client gave it, from the users table as
    // last loaded and the live settings.
    bool IsAdmin(const std::string& user) const;
    bool HasInfoRight(const std::string& user) const;
    bool HasTextRight(const std::string& user) const;
    bool CanWrite(const std::string& user, const std::string& path) const;
    // CanWrite, except for an upload area folder itself and the folders above
    // it: only administrators take those away.
    bool CanDelete(const std::string& user, const std::string& path) const;
    bool CanRead(const std::string& user, const std::string& path) const;

    // vdx::FlattenPath: the path without any "/" or "\", ASCII letters in lower case.
    static std::string FlattenPath(std::string_view path);
    // The disk root of a non-administrator's path: the info or teletext root
    // for the two product trees, kNoSuchRoot otherwise; always with "/".
    std::string NonAdminRoot(const std::string& path) const;

private:
    TFGlobals& m_globals;
    // Set when the constructor is done: a server whose construction failed
    // still logs Stopped to the file, but its receiver never had a server.
    std::atomic<bool> m_created = false;
    // Declared before the data module: it takes Stopped when that goes.
    TLogWriter m_logWriter;
    std::unique_ptr<TVFTPServerDataModule> m_dataModule;
};

} // namespace vdx
