#include "ftpengine/VFLogWriter.h"

#include "ftpengine/VdxSysRoutines.h"
#include "platform/os/datetime.h"
#include "platform/os/file_error.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <utility>

namespace vdx {

namespace {

// Lines that did not reach the log file are reported at once, then at most
// this often while the trouble lasts, so a full disk does not flood the window.
constexpr auto kLostLinesReportInterval = std::chrono::seconds(10);

// How long the writer lets lines gather after the first of them, so that a
// busy server appends many lines at a time and its connections need not wake
// the writer for each one. A flush, the stop and a queue of kLogBatchLines
// end it early.
constexpr auto kLogBatchDelay = std::chrono::milliseconds(10);
constexpr std::size_t kLogBatchLines = kMaxQueuedLogLines / 4;

// A line break inside a line (a bare CR can reach a user name) would start a
// forged line in the file and in every reader that splits at CR or LF.
void MakeOneTextLine(std::string& line) {
    for (char& c : line)
        if (c == '\r' || c == '\n')
            c = ' ';
}

std::string Lines(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " log line" : " log lines");
}

} // namespace

TLogWriter::TLogWriter(std::string path, TLogLineEvent receiver)
    : m_path(std::move(path)), m_receiver(std::move(receiver)), m_file(m_path) {
    if (m_receiver)
        m_passer = std::thread([this] { PassLoop(); });
    m_writer = std::thread([this] { WriteLoop(); });
}

TLogWriter::~TLogWriter() {
    {
        std::scoped_lock lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_writer.join();
    {
        std::scoped_lock lock(m_passMutex);
        m_passStopping = true;
    }
    m_passWake.notify_one();
    if (m_passer.joinable())
        m_passer.join();
}

void TLogWriter::Push(std::string_view text) noexcept {
    std::string line;
    try {
        line = text;
    } catch (...) {
        std::scoped_lock lock(m_mutex);
        ++m_dropped; // no memory for the line; it is still reported
        return;
    }
    MakeOneTextLine(line);
    bool wake = false;
    {
        std::unique_lock lock(m_mutex);
        // The writer makes room as it takes the queue, whatever the receiver does.
        m_room.wait(lock, [&] { return m_queue.size() < kMaxQueuedLogLines; });
        try {
            m_queue.push_back(std::move(line));
        } catch (...) {
            ++m_dropped;
            return;
        }
        ++m_queued;
        // An idle writer is woken once; a gathering one only when the queue fills.
        wake = !std::exchange(m_awake, true) || m_queue.size() == kLogBatchLines;
    }
    if (wake)
        m_wake.notify_one();
}

void TLogWriter::Flush() {
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_queued;
    if (m_finished >= target)
        return;
    ++m_flushWaiters;
    m_wake.notify_one();
    m_done.wait(lock, [&] { return m_finished >= target; });
    --m_flushWaiters;
}

void TLogWriter::WriteLoop() {
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
        m_room.notify_all();

        AppendAll(batch, lost);
        std::string report;
        const auto now = std::chrono::steady_clock::now();
        if (lost.Any() &&
            (stopping || !lastReport || now >= *lastReport + kLostLinesReportInterval)) {
            report = LostReport(lost);
            lost = {};
            lastReport = now;
        }
        const std::size_t count = batch.size();
        if (m_receiver)
            PassOn(batch, std::move(report));

        lock.lock();
        if (!m_receiver) {
            m_finished += count;
            m_done.notify_all();
        }
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
void TLogWriter::AppendAll(const std::deque<std::string>& batch, Lost& lost) noexcept {
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

// Hands the appended lines to the passer, as many as it has room for; the
// writer goes back to the file at once whatever the receiver does.
void TLogWriter::PassOn(std::deque<std::string>& batch, std::string report) noexcept {
    {
        std::scoped_lock lock(m_passMutex);
        for (std::string& line : batch) {
            bool passed = false;
            if (m_toPassCounted < kMaxUnpassedLogLines) {
                try {
                    m_toPass.push_back({std::move(line), true});
                    ++m_toPassCounted;
                    passed = true;
                } catch (...) {
                }
            }
            if (!passed)
                ++m_skipped;
        }
        if (!report.empty()) {
            try {
                m_toPass.push_back({std::move(report), false});
            } catch (...) {
                // It went to standard error already.
            }
        }
    }
    m_passWake.notify_one();
}

void TLogWriter::PassLoop() {
    std::unique_lock lock(m_passMutex);
    for (;;) {
        m_passWake.wait(lock, [&] { return !m_toPass.empty() || m_skipped > 0 || m_passStopping; });
        std::deque<Passed> batch;
        batch.swap(m_toPass);
        const std::size_t counted = std::exchange(m_toPassCounted, 0);
        const std::uint64_t skipped = std::exchange(m_skipped, 0);
        const bool stopping = m_passStopping;
        lock.unlock();

        for (const Passed& passed : batch)
            Raise(passed.line);
        // The skipped lines came after the ones just passed on.
        if (skipped > 0) {
            try {
                Raise(DateTimeToLogStr(os::Now()) + '\t' + Lines(skipped) +
                      " not passed on while the receiver was busy; the log file " + m_path +
                      " has them");
            } catch (...) {
            }
        }
        {
            std::scoped_lock finished(m_mutex);
            m_finished += counted + skipped;
        }
        m_done.notify_all();

        lock.lock();
        if (stopping && m_toPass.empty() && m_skipped == 0)
            return;
    }
}

// The report goes to standard error at once and to the receiver as a
// two-field line.
std::string TLogWriter::LostReport(const Lost& lost) const {
    try {
        std::string message = Lines(lost.failed + lost.dropped) +
                              " could not be written to the log file " + m_path + " (";
        if (lost.failed > 0)
            message += os::SysErrorMessage(lost.error);
        if (lost.failed > 0 && lost.dropped > 0)
            message += "; ";
        if (lost.dropped > 0)
            message += std::to_string(lost.dropped) + " dropped for want of memory";
        message += ")";
        MakeOneTextLine(message);
        std::string line = DateTimeToLogStr(os::Now()) + '\t' + message;
        std::fprintf(stderr, "VdxFtpServer: %s\n", line.c_str());
        return line;
    } catch (...) {
        return {};
    }
}

// A receiver that fails must not end the passer.
void TLogWriter::Raise(const std::string& line) const noexcept {
    try {
        m_receiver(line);
    } catch (...) {
    }
}

} // namespace vdx
