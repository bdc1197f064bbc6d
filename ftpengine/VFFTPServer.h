#pragma once
// The server object: owns the FTP data module, answers its access queries
// (root folder and permission of a user's FTP path) and writes its log lines
// through one log writer thread, so no connection waits on the log file.

#include "ftpengine/VFGlobals.h"
#include "ftpengine/VdxFtpEvents.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vdx {

// Log lines waiting for the log writer at most; a line beyond is dropped,
// counted and reported like a line the file refused.
inline constexpr std::size_t kMaxQueuedLogLines = 4096;

class TVFTPServerDataModule;

class TFFTPServer {
public:
    // Creates the data module, wires its events to this object, switches it
    // off (nothing is logged) and applies a copy of the live settings.
    explicit TFFTPServer(TFGlobals& globals);
    // The data module's events hold this object's address.
    TFFTPServer(const TFFTPServer&) = delete;
    TFFTPServer& operator=(const TFFTPServer&) = delete;
    // Frees the data module, which logs Stopped, then lets the log writer
    // write every line still queued and report what was lost.
    ~TFFTPServer();

    TVFTPServerDataModule& DataModule() { return *m_dataModule; }

    // Receives every log line, in the order of the log file, after its append
    // was tried, and the reports of lines that did not reach the file. Raised
    // on the log writer thread only, one line at a time, so it sees the
    // file's order and no connection runs the receiver: the receiver hands
    // the line to its own thread (the main window does) and must not call
    // FlushLog from it. A line
    // dropped because the queue was full never reaches it; the report counts
    // it. Set it before the server is switched on and leave it then.
    TLogLineEvent OnLogLine;

    // Switches the FTP component on or off; its errors (a port in use) reach the caller.
    void SetActive(bool value);

    void HandleAccessQuery(TFtpEventKind kind, std::string& rootDir, bool& allowed,
                           const std::string& path, const std::string& peerIP,
                           const std::string& password, const std::string& userName);
    // Queues the line for the log writer and returns at once: no caller
    // waits on the log file, and nothing about it throws. CR and LF inside
    // the line become blanks, so one event stays one line. With
    // kMaxQueuedLogLines lines waiting the line is dropped and counted.
    void HandleLogLine(const std::string& line);
    // Waits until every line queued before the call was appended (or counted
    // as lost) and passed to OnLogLine.
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
    // Appends each line and CR LF to the log file, whole or not at all.
    class TLogWriter;

    TFGlobals& m_globals;
    // Declared before the data module: it takes Stopped when that goes.
    std::unique_ptr<TLogWriter> m_logWriter;
    std::unique_ptr<TVFTPServerDataModule> m_dataModule;
};

} // namespace vdx
