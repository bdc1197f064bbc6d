#include "platform/ftp/transfer.h"

#include "platform/ftp/limits.h"
#include "platform/ftp/mode_z.h"

#include <algorithm>
#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <string_view>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vdx::ftp {

namespace {

TransferResult WaitEnded(WaitResult result) {
    switch (result) {
    case WaitResult::Interrupted:
        return {DataOutcome::Interrupted, "Transfer aborted"};
    case WaitResult::Stopped:
        return {DataOutcome::Stopped, "Server stopping"};
    case WaitResult::TimedOut:
        return {DataOutcome::Failed, "Data connection timed out"};
    case WaitResult::Ready:
        break;
    }
    return {};
}

TransferResult NetworkFailure(int error) {
    return {DataOutcome::Failed, SystemError(error).what()};
}

class Progress {
public:
    explicit Progress(std::int64_t* counter) : m_counter(counter) {
        if (m_counter)
            *m_counter = 0;
    }
    void Add(std::size_t n) {
        if (m_counter)
            *m_counter += static_cast<std::int64_t>(n);
    }

private:
    std::int64_t* m_counter;
};

// The waits of one transfer: on the data connection when it is full (download) or empty
// (upload), and between them a look at control input (ABOR) and the stop every kTransferBatch
// bytes, for a client that takes or sends data as fast as it comes.
class Pacer {
public:
    Pacer(int dataFd, const TransferOptions& options, ControlWatch& watch)
        : m_fd(dataFd), m_stallTimeout(options.stallTimeout), m_watch(watch) {}

    WaitResult Wait(short events) {
        m_sinceLook = 0;
        short revents = 0;
        return WaitForData(m_fd, events, Clock::now() + m_stallTimeout, m_watch, revents);
    }

    WaitResult Moved(std::size_t n) {
        m_sinceLook += n;
        if (m_sinceLook < kTransferBatch)
            return WaitResult::Ready;
        m_sinceLook = 0;
        return CheckControl(m_watch);
    }

private:
    int m_fd;
    Clock::duration m_stallTimeout;
    ControlWatch& m_watch;
    std::size_t m_sinceLook = 0;
};

// Only whole segments leave a corked socket until its end: the last bytes then go out together
// with the end of the data (the FIN of the shutdown), one segment where a small file took two.
// Corked for the last megabyte only: a long download held to whole segments throughout goes at
// half its speed.
void CorkForTheEnd(int dataFd, bool& corked) {
    if (corked)
        return;
    const int cork = 1;
    ::setsockopt(dataFd, IPPROTO_TCP, TCP_CORK, &cork, sizeof cork);
    corked = true;
}

enum class SendfileResult { Done, NotSupported, Ended };

// sendfile from the stream's position; NotSupported when the descriptor cannot be used that way
// before any byte went out.
SendfileResult SendWithSendfile(int dataFd, TStream& source, Pacer& pacer, Progress& progress,
                                TransferResult& result) {
    off_t offset = 0;
    std::int64_t size = 0;
    try {
        offset = source.Position();
        size = source.Size();
    } catch (const std::exception& e) {
        result = {DataOutcome::LocalError, e.what()};
        return SendfileResult::Ended;
    }
    bool sentAny = false;
    bool corked = false;
    // A call that sent less than it was asked for met a full socket or the end of the file; the
    // next one waits for room, and a full socket (EAGAIN) or the end (0) comes back at once.
    bool wait = false;
    for (;;) {
        WaitResult waited = WaitResult::Ready;
        if (wait)
            waited = pacer.Wait(POLLOUT);
        if (waited != WaitResult::Ready) {
            result = WaitEnded(waited);
            return SendfileResult::Ended;
        }
        if (size - offset <= static_cast<std::int64_t>(kTransferBufferSize))
            CorkForTheEnd(dataFd, corked);
        const ssize_t n = ::sendfile(dataFd, source.Handle(), &offset, kTransferBatch);
        if (n > 0) {
            sentAny = true;
            progress.Add(static_cast<std::size_t>(n));
            wait = static_cast<std::size_t>(n) < kTransferBatch && offset < size;
            waited = pacer.Moved(static_cast<std::size_t>(n));
            if (waited != WaitResult::Ready) {
                result = WaitEnded(waited);
                return SendfileResult::Ended;
            }
            continue;
        }
        if (n == 0)
            return SendfileResult::Done;
        if (errno == EINTR) {
            wait = false;
            continue;
        }
        wait = true;
        if (errno == EAGAIN)
            continue;
        if (!sentAny && (errno == EINVAL || errno == ENOSYS))
            return SendfileResult::NotSupported;
        result = NetworkFailure(errno);
        return SendfileResult::Ended;
    }
}

// Writes all of bytes to the data socket, waiting only while it is full.
TransferResult SendAll(int dataFd, std::string_view bytes, Pacer& pacer) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(dataFd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        WaitResult waited = WaitResult::Ready;
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            waited = pacer.Moved(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EAGAIN) {
            waited = pacer.Wait(POLLOUT);
        } else if (n < 0 && errno != EINTR) {
            return NetworkFailure(errno);
        }
        if (waited != WaitResult::Ready)
            return WaitEnded(waited);
    }
    return {};
}

} // namespace

TransferResult SendStream(int dataFd, TStream& source, const TransferOptions& options,
                          ControlWatch& watch) {
    Progress progress(options.progress);
    Pacer pacer(dataFd, options, watch);
    TransferResult result;
    if (!options.deflate && source.Handle() >= 0) {
        const SendfileResult sent = SendWithSendfile(dataFd, source, pacer, progress, result);
        if (sent == SendfileResult::Ended)
            return result;
        if (sent == SendfileResult::Done) {
            ::shutdown(dataFd, SHUT_WR);
            return result;
        }
    }
    auto buffer = std::make_unique_for_overwrite<char[]>(kTransferBufferSize);
    std::optional<Deflater> deflater;
    std::string compressed;
    try {
        if (options.deflate)
            deflater.emplace(options.level);
    } catch (const std::exception& e) {
        return {DataOutcome::LocalError, e.what()};
    }
    bool corked = false;
    for (bool finished = false; !finished;) {
        std::size_t n = 0;
        try {
            n = source.Read(buffer.get(), kTransferBufferSize);
        } catch (const std::exception& e) {
            return {DataOutcome::LocalError, e.what()};
        }
        finished = n == 0;
        std::string_view out(buffer.get(), n);
        if (deflater) {
            compressed.clear();
            try {
                deflater->Compress(out, finished, compressed);
            } catch (const std::exception& e) {
                return {DataOutcome::LocalError, e.what()};
            }
            out = compressed;
        }
        // A short read is (nearly always) the last piece of the stream.
        if (n < kTransferBufferSize)
            CorkForTheEnd(dataFd, corked);
        result = SendAll(dataFd, out, pacer);
        if (result.outcome != DataOutcome::Completed)
            return result;
        progress.Add(n);
    }
    ::shutdown(dataFd, SHUT_WR);
    return result;
}

namespace {

// Outcome of a receive that may hand over to the next way of receiving.
enum class ReceiveStep { Done, Fallback };

// MODE S into a stream that takes spliced bytes: they go from the socket through a pipe into the
// file without a copy through our memory. Fallback, with every byte received so far written,
// when the stream turns out not to take them that way.
ReceiveStep ReceiveWithSplice(int dataFd, TStream& sink, const TransferOptions& options,
                              ControlWatch& watch, Progress& progress, TransferResult& result) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return ReceiveStep::Fallback;
    const UniqueFd readEnd(ends[0]), writeEnd(ends[1]);
    // A larger pipe moves more per call; the system may cap it, which only costs calls.
    ::fcntl(writeEnd.Get(), F_SETPIPE_SZ, static_cast<int>(kTransferBufferSize));
    Pacer pacer(dataFd, options, watch);
    // The buffered start has just received bytes, so more usually wait already. A call that
    // filled the pipe leaves more in the socket; after a short one the socket is waited on.
    bool wait = false;
    for (;;) {
        WaitResult waited = WaitResult::Ready;
        if (wait)
            waited = pacer.Wait(POLLIN);
        if (waited != WaitResult::Ready) {
            result = WaitEnded(waited);
            return ReceiveStep::Done;
        }
        const ssize_t n = ::splice(dataFd, nullptr, writeEnd.Get(), nullptr, kTransferBufferSize,
                                   SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
        if (n == 0)
            return ReceiveStep::Done; // the pipe is always emptied: this is the end of the data
        if (n < 0) {
            wait = errno != EINTR;
            if (errno == EAGAIN || errno == EINTR)
                continue;
            result = NetworkFailure(errno);
            return ReceiveStep::Done;
        }
        wait = static_cast<std::size_t>(n) < kTransferBufferSize;
        std::size_t left = static_cast<std::size_t>(n);
        try {
            while (left > 0) {
                const std::size_t moved = sink.SpliceFrom(readEnd.Get(), left);
                if (moved == 0) {
                    // Not taken that way after all: write what waits in the pipe as usual.
                    char buffer[64 * 1024];
                    while (left > 0) {
                        const ssize_t got =
                            ::read(readEnd.Get(), buffer, std::min(left, sizeof buffer));
                        if (got <= 0)
                            throw SystemError(got < 0 ? errno : EIO);
                        sink.Write(buffer, static_cast<std::size_t>(got));
                        progress.Add(static_cast<std::size_t>(got));
                        left -= static_cast<std::size_t>(got);
                    }
                    return ReceiveStep::Fallback;
                }
                progress.Add(moved);
                left -= moved;
            }
        } catch (const std::exception& e) {
            result = {DataOutcome::LocalError, e.what()};
            return ReceiveStep::Done;
        }
        waited = pacer.Moved(static_cast<std::size_t>(n));
        if (waited != WaitResult::Ready) {
            result = WaitEnded(waited);
            return ReceiveStep::Done;
        }
    }
}

// Receives through a buffer, inflating when inflater is given, until the data ends (Done) or
// limit bytes came (Fallback: the caller goes on another way).
ReceiveStep ReceiveBuffered(int dataFd, TStream& sink, const TransferOptions& options,
                            ControlWatch& watch, Progress& progress, Inflater* inflater,
                            std::size_t limit, TransferResult& result) {
    const std::size_t readSize = std::min(limit, inflater ? kInflateReadSize : kTransferBufferSize);
    const auto buffer = std::make_unique_for_overwrite<char[]>(readSize);
    // Plain data: every other read goes without a wait, the one after a read that got bytes,
    // as the rest of a small file and its end usually come with them. Control input (ABOR) is
    // still looked at before every second read however fast the client sends. Compressed data
    // waits before every read, which may expand a thousandfold.
    bool wait = true;
    for (std::size_t received = 0; received < limit;) {
        if (wait) {
            short revents = 0;
            const WaitResult waited =
                WaitForData(dataFd, POLLIN, Clock::now() + options.stallTimeout, watch, revents);
            if (waited != WaitResult::Ready) {
                result = WaitEnded(waited);
                return ReceiveStep::Done;
            }
        }
        const ssize_t n = ::recv(dataFd, buffer.get(), std::min(readSize, limit - received), 0);
        wait = inflater != nullptr || !wait || n <= 0;
        if (n > 0) {
            const std::string_view got(buffer.get(), static_cast<std::size_t>(n));
            try {
                if (inflater) {
                    inflater->Feed(got, [&](const char* data, std::size_t size) {
                        sink.Write(data, size);
                        progress.Add(size);
                    });
                } else {
                    sink.Write(got.data(), got.size());
                    progress.Add(got.size());
                }
            } catch (const std::exception& e) {
                result = {DataOutcome::LocalError, e.what()};
                return ReceiveStep::Done;
            }
            received += got.size();
        } else if (n == 0) {
            if (inflater && !inflater->Finished())
                result = {DataOutcome::LocalError, "Compressed data ended early"};
            return ReceiveStep::Done;
        } else if (errno != EAGAIN && errno != EINTR) {
            result = NetworkFailure(errno);
            return ReceiveStep::Done;
        }
    }
    return ReceiveStep::Fallback;
}

} // namespace

TransferResult ReceiveStream(int dataFd, TStream& sink, const TransferOptions& options,
                             ControlWatch& watch) {
    Progress progress(options.progress);
    TransferResult result;
    // A plain upload into a file: its first bytes through a buffer, since most uploads are small
    // and a pipe costs them more calls than it saves copies; the rest spliced into the file.
    if (!options.deflate && sink.Handle() >= 0 &&
        (ReceiveBuffered(dataFd, sink, options, watch, progress, nullptr, kSpliceAfter, result) ==
             ReceiveStep::Done ||
         ReceiveWithSplice(dataFd, sink, options, watch, progress, result) == ReceiveStep::Done))
        return result;
    std::optional<Inflater> inflater;
    if (options.deflate)
        inflater.emplace(kInflateChunkSize);
    ReceiveBuffered(dataFd, sink, options, watch, progress, inflater ? &*inflater : nullptr,
                    std::numeric_limits<std::size_t>::max(), result);
    return result;
}

} // namespace vdx::ftp
