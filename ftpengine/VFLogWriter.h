#pragma once
// The server's log writer: one thread appends the log lines to the log file
// in the order they come, another passes them on to the receiver (the main
// window) once the file has them, so a slow receiver never holds the file.

#include "ftpengine/VdxFtpEvents.h"
#include "platform/os/append_file.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace vdx {

// Log lines waiting for the log file at most; a caller beyond waits for room.
inline constexpr std::size_t kMaxQueuedLogLines = 4096;
// Lines in the file that wait for the receiver at most; beyond, the receiver
// skips lines (counted and told), the file never does.
inline constexpr std::size_t kMaxUnpassedLogLines = 4096;

class TLogWriter {
public:
    // Starts the threads. Every line goes to the file at path (created when
    // missing), then to receiver when that is set; receiver is raised on a
    // thread of its own, one line at a time in the file's order, must hand the
    // line to its own thread and must not call Flush.
    TLogWriter(std::string path, TLogLineEvent receiver);
    // Both threads hold this object's address.
    TLogWriter(const TLogWriter&) = delete;
    TLogWriter& operator=(const TLogWriter&) = delete;
    // Writes every line still queued, reports what was lost, passes the rest
    // on, then ends the threads. Nobody may push any more by then.
    ~TLogWriter();

    // Queues the line; CR and LF inside it become blanks, so one event stays
    // one line. With kMaxQueuedLogLines lines waiting the caller waits for
    // room: a flood slows its own senders, and no line is dropped while the
    // disk takes them (only one without memory for it, counted). Never throws.
    void Push(std::string_view line) noexcept;
    // Waits until every line pushed before the call was appended (or counted
    // as lost) and passed on to the receiver (or counted as skipped).
    void Flush();

    const std::string& Path() const noexcept { return m_path; }

private:
    struct Lost {
        std::uint64_t failed = 0;  // the file refused them
        std::uint64_t dropped = 0; // no memory to queue them
        int error = 0;             // of the latest refusal
        bool Any() const { return failed + dropped > 0; }
    };
    struct Passed {
        std::string line;
        bool counted; // a pushed line, not a report of the writer's own
    };

    void WriteLoop();
    void PassLoop();
    void AppendAll(const std::deque<std::string>& batch, Lost& lost) noexcept;
    void PassOn(std::deque<std::string>& batch, std::string report) noexcept;
    std::string LostReport(const Lost& lost) const;
    void Raise(const std::string& line) const noexcept;

    const std::string m_path;
    const TLogLineEvent m_receiver; // fixed: its thread reads it without a lock
    os::AppendFile m_file;          // the write thread's alone

    std::mutex m_mutex;
    std::condition_variable m_wake; // lines queued, dropped, a flush, or stop
    std::condition_variable m_room; // the writer took the queue
    std::condition_variable m_done; // lines finished
    std::deque<std::string> m_queue;
    std::uint64_t m_queued = 0;   // lines ever queued
    std::uint64_t m_finished = 0; // of them appended or lost, and passed on or skipped
    std::uint64_t m_dropped = 0;  // since the writer last looked
    int m_flushWaiters = 0;       // callers of Flush waiting
    bool m_awake = true;          // the writer is not waiting for a first line
    bool m_stopping = false;

    std::mutex m_passMutex;
    std::condition_variable m_passWake;
    std::deque<Passed> m_toPass;
    std::size_t m_toPassCounted = 0; // pushed lines among m_toPass
    std::uint64_t m_skipped = 0;     // pushed lines not passed on, since the passer looked
    bool m_passStopping = false;

    // Last: they start once the rest exists.
    std::thread m_passer;
    std::thread m_writer;
};

} // namespace vdx
