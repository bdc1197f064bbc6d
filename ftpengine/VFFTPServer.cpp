#include "ftpengine/VFFTPServer.h"

#include "ftpengine/VdxFTPServerDataModule.h"
#include "ftpengine/VdxFtpPaths.h"
#include "ftpengine/VdxSysRoutines.h"
#include "platform/os/append_file.h"
#include "platform/os/datetime.h"
#include "platform/os/file_error.h"
#include "platform/os/paths.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace vdx {

namespace {

// Lines that did not reach the log file are reported at once, then at most
// this often while the trouble lasts, so a full disk does not flood the window.
constexpr auto kLostLinesReportInterval = std::chrono::seconds(10);

// How long the log writer lets lines gather after the first of them, so that
// a busy server appends many lines at a time and its connections need not
// wake the writer for each one. A wait for the lines (FlushLog), the stop and
// a queue of kLogBatchLines end it early.
constexpr auto kLogBatchDelay = std::chrono::milliseconds(10);
constexpr std::size_t kLogBatchLines = kMaxQueuedLogLines / 4;

struct UserFacts {
    bool admin = false;
    bool info = false; // Info flag and the server's info switch
    bool text = false; // TXT flag and the server's teletext switch
};

// The facts of one user from one snapshot of the users table and of the
// settings, so a reload in between cannot mix two tables within one decision.
UserFacts FactsOf(const TFGlobals& globals, const std::string& user, const TSettings& settings) {
    UserFacts facts;
    const auto entry = globals.FindUser(user);
    if (!entry)
        return facts;
    facts.admin = entry->Admin;
    facts.info = settings.UseVdxInfo && entry->Info;
    facts.text = settings.UseVdxText && entry->TXT;
    return facts;
}

UserFacts FactsOf(const TFGlobals& globals, const std::string& user) {
    return FactsOf(globals, user, globals.Settings());
}

bool WriteAllowed(const UserFacts& facts, std::string_view flat) {
    return facts.admin || (facts.info && flat.starts_with("vdxinfotransfer")) ||
           (facts.text && flat.starts_with("vdxtxtservertransfer"));
}

// The upload areas, flattened: what a non-administrator may write begins with one of them.
constexpr std::string_view kUploadAreas[] = {"vdxinfotransfer", "vdxtxtservertransfer"};

// An area itself and every folder above it hold the uploads of every user and
// the teletext server's pickup: only an administrator takes them away (by a
// rename or a remove); what lies inside stays the users' to change.
bool DeleteAllowed(const UserFacts& facts, std::string_view flat) {
    if (facts.admin)
        return true;
    for (const std::string_view area : kUploadAreas)
        if (area.starts_with(flat))
            return false;
    return WriteAllowed(facts, flat);
}

bool ReadAllowed(const UserFacts& facts, std::string_view flat) {
    return WriteAllowed(facts, flat) || (facts.info && flat.starts_with("vdxinfolog")) ||
           (facts.text && flat.starts_with("vdxtxtserverlog"));
}

std::string NonAdminRootOf(std::string_view flat, const TSettings& settings) {
    std::string root(kNoSuchRoot.substr(0, kNoSuchRoot.size() - 1));
    if (flat.starts_with("vdxinfo"))
        root = settings.VdxInfoRoot;
    if (flat.starts_with("vdxtxtserver"))
        root = settings.VdxTextRoot;
    return os::IncludeTrailingPathDelimiter(root);
}

// A line break inside a line (a bare CR can reach a user name) would start a
// forged line in the file and in every reader that splits at CR or LF.
std::string OneTextLine(std::string line) {
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
    return line;
}

} // namespace

// The one thread that appends to the log file and raises OnLogLine, in the
// order the lines were queued. Connection threads only queue.
class TFFTPServer::TLogWriter {
public:
    explicit TLogWriter(TFFTPServer& server)
        : m_server(server), m_file(server.m_globals.GetLogFileName()), m_thread([this] { Run(); }) {
    }
    // Its thread holds this object's address.
    TLogWriter(const TLogWriter&) = delete;
    TLogWriter& operator=(const TLogWriter&) = delete;
    // Writes what is still queued, reports what was lost, then ends the thread.
    ~TLogWriter() {
        {
            std::scoped_lock lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }

    void Push(std::string line) {
        bool wake = false;
        {
            std::scoped_lock lock(m_mutex);
            if (m_queue.size() >= kMaxQueuedLogLines) {
                ++m_dropped;
                return;
            }
            m_queue.push_back(std::move(line));
            ++m_queued;
            // An idle writer is woken once; a gathering one only when the queue fills.
            wake = !std::exchange(m_awake, true) || m_queue.size() == kLogBatchLines;
        }
        if (wake)
            m_wake.notify_one();
    }

    void CountDropped() noexcept {
        std::scoped_lock lock(m_mutex);
        ++m_dropped;
    }

    void Flush() {
        std::unique_lock lock(m_mutex);
        const std::uint64_t target = m_queued;
        if (m_finished >= target)
            return;
        ++m_flushWaiters;
        m_wake.notify_one();
        m_done.wait(lock, [&] { return m_finished >= target; });
        --m_flushWaiters;
    }

private:
    struct Lost {
        std::uint64_t failed = 0;  // the file refused them
        std::uint64_t dropped = 0; // the queue was full
        int error = 0;             // of the latest refusal
        bool Any() const { return failed + dropped > 0; }
    };

    void Run() {
        Lost lost;
        std::optional<std::chrono::steady_clock::time_point> lastReport;
        std::unique_lock lock(m_mutex);
        for (;;) {
            const auto ready = [&] { return !m_queue.empty() || m_dropped > 0 || m_stopping; };
            m_awake = false;
            if (lost.Any() && lastReport)
                m_wake.wait_until(lock, *lastReport + kLostLinesReportInterval, ready);
            else
                m_wake.wait(lock, ready);
            m_awake = true;
            const auto urgent = [&] {
                return m_stopping || m_flushWaiters > 0 || m_queue.size() >= kLogBatchLines;
            };
            if (!m_queue.empty() && !urgent())
                m_wake.wait_for(lock, kLogBatchDelay, urgent);
            std::deque<std::string> batch;
            batch.swap(m_queue);
            lost.dropped += std::exchange(m_dropped, 0);
            const bool stopping = m_stopping;
            lock.unlock();

            AppendAll(batch, lost);
            for (const std::string& line : batch)
                Raise(line);
            const auto now = std::chrono::steady_clock::now();
            if (lost.Any() &&
                (stopping || !lastReport || now >= *lastReport + kLostLinesReportInterval)) {
                Report(lost);
                lost = {};
                lastReport = now;
            }

            lock.lock();
            m_finished += batch.size();
            m_done.notify_all();
            if (stopping && m_queue.empty() && m_dropped == 0)
                return;
        }
    }

    // Appends the lines, each whole or not at all. They go in one append; when
    // that fails (the disk takes only some of them), one by one, so that every
    // line that fits is there and every other is counted, as if each had been
    // appended alone. The file takes the lines outside the share emulation, so
    // no open of ours with any share mode keeps them out, and nothing about a
    // refusal of it would be worth a retry.
    void AppendAll(const std::deque<std::string>& batch, Lost& lost) noexcept {
        if (batch.size() > 1) {
            try {
                std::string all;
                for (const std::string& line : batch)
                    all += line + "\r\n";
                if (m_file.Append(all))
                    return;
            } catch (...) {
                // No memory for them all at once: one by one.
            }
        }
        for (const std::string& line : batch) {
            bool appended = false;
            try {
                appended = m_file.Append(line + "\r\n");
            } catch (...) {
                errno = ENOMEM;
            }
            if (!appended) {
                ++lost.failed;
                lost.error = errno;
            }
        }
    }

    // A receiver that fails must not end the writer.
    void Raise(const std::string& line) noexcept {
        try {
            if (m_server.OnLogLine)
                m_server.OnLogLine(line);
        } catch (...) {
        }
    }

    // Once on standard error and once to OnLogLine, as a two-field line.
    void Report(const Lost& lost) noexcept {
        try {
            const std::uint64_t count = lost.failed + lost.dropped;
            std::string message = std::to_string(count) +
                                  (count == 1 ? " log line" : " log lines") +
                                  " could not be written to the log file " +
                                  m_server.m_globals.GetLogFileName() + " (";
            if (lost.failed > 0)
                message += os::SysErrorMessage(lost.error);
            if (lost.failed > 0 && lost.dropped > 0)
                message += "; ";
            if (lost.dropped > 0)
                message += std::to_string(lost.dropped) + " dropped while " +
                           std::to_string(kMaxQueuedLogLines) + " were waiting";
            message += ")";
            const std::string line = DateTimeToLogStr(os::Now()) + '\t' + OneTextLine(message);
            std::fprintf(stderr, "VdxFtpServer: %s\n", line.c_str());
            Raise(line);
        } catch (...) {
        }
    }

    TFFTPServer& m_server;
    os::AppendFile m_file; // the writer thread's alone
    std::mutex m_mutex;
    std::condition_variable m_wake; // lines queued, dropped, or stop
    std::condition_variable m_done; // lines finished
    std::deque<std::string> m_queue;
    std::uint64_t m_queued = 0;   // lines ever queued
    std::uint64_t m_finished = 0; // of them appended or counted lost, and passed on
    std::uint64_t m_dropped = 0;  // since the writer last looked
    int m_flushWaiters = 0;       // callers of Flush waiting
    bool m_awake = true;          // the writer is not waiting for a first line
    bool m_stopping = false;
    std::thread m_thread; // last: starts once the rest exists
};

TFFTPServer::TFFTPServer(TFGlobals& globals)
    : m_globals(globals), m_logWriter(std::make_unique<TLogWriter>(*this)),
      m_dataModule(std::make_unique<TVFTPServerDataModule>()) {
    m_dataModule->OnAccessQuery = [this](TFtpEventKind kind, std::string& rootDir, bool& allowed,
                                         const std::string& path, const std::string& peerIP,
                                         const std::string& password, const std::string& userName) {
        HandleAccessQuery(kind, rootDir, allowed, path, peerIP, password, userName);
    };
    m_dataModule->OnLogLine = [this](const std::string& line) { HandleLogLine(line); };
    m_dataModule->SetActive(false);
    m_dataModule->ApplySettings(m_globals.Settings());
}

// The data module goes first: it logs Stopped through this object; the
// writer then writes it and whatever else is still queued.
TFFTPServer::~TFFTPServer() {
    m_dataModule.reset();
    m_logWriter.reset();
}

void TFFTPServer::SetActive(bool value) {
    m_dataModule->SetActive(value);
}

void TFFTPServer::HandleAccessQuery(TFtpEventKind kind, std::string& rootDir, bool& allowed,
                                    const std::string& path, const std::string& /*peerIP*/,
                                    const std::string& password, const std::string& userName) {
    if (kind == TFtpEventKind::Login)
        allowed = m_globals.CheckLogin(userName, password);
    // Permission and root from one look at the user and the settings.
    const TSettings settings = m_globals.Settings();
    const UserFacts facts = FactsOf(m_globals, userName, settings);
    const std::string flat = FlattenPath(path);
    switch (kind) {
    case TFtpEventKind::MkDir:
    case TFtpEventKind::RmDir:
        allowed = facts.admin;
        break;
    case TFtpEventKind::Read:
        allowed = ReadAllowed(facts, flat);
        break;
    case TFtpEventKind::Write:
        allowed = WriteAllowed(facts, flat);
        break;
    case TFtpEventKind::Delete:
        allowed = DeleteAllowed(facts, flat);
        break;
    default:
        break;
    }
    rootDir = facts.admin ? settings.AdminRootDir : NonAdminRootOf(flat, settings);
}

void TFFTPServer::HandleLogLine(const std::string& line) {
    try {
        m_logWriter->Push(OneTextLine(line));
    } catch (...) {
        m_logWriter->CountDropped(); // no memory for the line; it is still reported
    }
}

void TFFTPServer::FlushLog() {
    m_logWriter->Flush();
}

bool TFFTPServer::IsAdmin(const std::string& user) const {
    return FactsOf(m_globals, user).admin;
}

bool TFFTPServer::HasInfoRight(const std::string& user) const {
    return FactsOf(m_globals, user).info;
}

bool TFFTPServer::HasTextRight(const std::string& user) const {
    return FactsOf(m_globals, user).text;
}

bool TFFTPServer::CanWrite(const std::string& user, const std::string& path) const {
    return WriteAllowed(FactsOf(m_globals, user), FlattenPath(path));
}

bool TFFTPServer::CanDelete(const std::string& user, const std::string& path) const {
    return DeleteAllowed(FactsOf(m_globals, user), FlattenPath(path));
}

bool TFFTPServer::CanRead(const std::string& user, const std::string& path) const {
    return ReadAllowed(FactsOf(m_globals, user), FlattenPath(path));
}

std::string TFFTPServer::FlattenPath(std::string_view path) {
    return vdx::FlattenPath(path);
}

std::string TFFTPServer::NonAdminRoot(const std::string& path) const {
    return NonAdminRootOf(FlattenPath(path), m_globals.Settings());
}

} // namespace vdx
