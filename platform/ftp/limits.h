#pragma once
// Every bound the FTP component enforces, in one place. A limit that is hit is answered with an
// error reply (or ends the connection where the text says so); nothing is buffered beyond these
// sizes.

#include <cstddef>

namespace vdx::ftp {

// Longest command line accepted, in bytes, counted after Telnet sequences are stripped and without
// its line end (CRLF or LF). A longer line is refused with one error reply and discarded up to its
// end without being buffered.
inline constexpr std::size_t kMaxCommandLine = 4096;

// Longest FTP path that ResolveFtpPath produces. Longer results are refused like malformed paths:
// the file system takes no longer path anyway, and the handlers prepend their root folder to it.
inline constexpr std::size_t kMaxFtpPath = 4096;

// ---- Connections, data channels and transfers ----------------------------------------------

// Stack of each connection thread. Handlers run on it, so it leaves room for them, but it stays
// small so that hundreds of idle connections cost little memory; big buffers live on the heap,
// and only while a transfer runs. Sanitizer builds need several times the stack.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr std::size_t kConnectionStackSize = 2048 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr std::size_t kConnectionStackSize = 2048 * 1024;
#else
inline constexpr std::size_t kConnectionStackSize = 256 * 1024;
#endif
#else
inline constexpr std::size_t kConnectionStackSize = 256 * 1024;
#endif

// Connections served at once (default of MaxConnections); one more is answered with the
// MaxConnectionReply and closed.
inline constexpr std::size_t kDefaultMaxConnections = 1000;

// Connections served at once for one client address (default of MaxConnectionsPerAddress); one
// more from that address is answered like one past MaxConnections, so that a single client cannot
// take every slot.
inline constexpr std::size_t kDefaultMaxConnectionsPerAddress = 50;

// Seconds a logged-in or not yet logged-in connection may stay silent before it is closed with
// 421 (default of IdleTimeout).
inline constexpr int kDefaultIdleTimeoutSeconds = 600;

// Seconds from the greeting within which a connection must log in, whatever it sends meanwhile;
// then it is closed with 421 (default of LoginTimeout).
inline constexpr int kDefaultLoginTimeoutSeconds = 60;

// Milliseconds each refused PASS waits before its reply (default of FailedLoginDelay), so that
// passwords cannot be guessed at the speed of the network.
inline constexpr int kDefaultFailedLoginDelayMs = 1000;

// Refused logins after which a connection is closed with 421.
inline constexpr int kMaxFailedLogins = 3;

// Seconds to wait for a data connection to be made (passive accept, active connect), for any
// progress of a running transfer and for a stuck client to take a reply (default of
// DataTimeout). A vanished peer therefore never holds a thread longer than this.
inline constexpr int kDefaultDataTimeoutSeconds = 30;

// Bytes read from a file or a data connection at a time; allocated per transfer.
inline constexpr std::size_t kTransferBufferSize = 1024 * 1024;

// Bytes a transfer moves without a wait before it looks at control input (ABOR) and the stop; it
// waits only when the data connection is full (download) or empty (upload). Also the count of
// one sendfile call.
inline constexpr std::size_t kTransferBatch = 8 * 1024 * 1024;

// Bytes of a plain upload received through a buffer before the rest is spliced into the file:
// small files, the most common, take fewer calls that way.
inline constexpr std::size_t kSpliceAfter = 64 * 1024;

// Largest piece a MODE Z upload is decompressed into before it is written to the file, so a
// small upload that expands enormously never sits in memory whole.
inline constexpr std::size_t kInflateChunkSize = 256 * 1024;

// Compressed bytes of a MODE Z upload read at a time. Everything they expand to (up to about a
// thousand times as much) is written before ABOR and the stop signal are looked at again.
inline constexpr std::size_t kInflateReadSize = 64 * 1024;

// Command lines that may queue up on the control connection while a transfer runs (pipelining);
// the connection is not read further until the transfer ends.
inline constexpr std::size_t kMaxPendingCommands = 64;

// Bytes of control input read at a time.
inline constexpr std::size_t kControlReadSize = 4096;

// Backlog of a passive data listener.
inline constexpr int kListenBacklog = 128;

// Backlog of the control listener (the system caps it at its somaxconn). A burst of clients must
// fit: a connection that overflows the queue may look established to its client, which then
// waits for a greeting that never comes.
inline constexpr int kServerListenBacklog = 4096;

// Passive ports drawn at random when no range is set, before the system is left to choose: the
// dynamic range that Windows itself hands out. Most of it lies above the ports Linux gives to
// outgoing connections, whose TIME_WAIT remains would block a listener.
inline constexpr unsigned kDrawnPassivePortMin = 49152;
inline constexpr unsigned kDrawnPassivePortMax = 65535;
inline constexpr int kPassivePortDraws = 8;

// A wait for the next command or for data first looks for it without sleeping, for at most this
// long, while no more than kSpinSessions connections are served: a client on the same machine
// answers faster than the system wakes a sleeping thread. After two waits in a row that had to
// sleep all the same, a session's waits of that kind sleep at once; every kSpinRetryEvery-th of
// them looks again.
inline constexpr int kSpinMicroseconds = 200;
inline constexpr std::size_t kSpinSessions = 2;
inline constexpr unsigned kSpinRetryEvery = 64;
// Waits of one transfer that may spin: those for the client's first answer to the opening reply.
inline constexpr int kSpinTransferWaits = 2;

// Connections taken from the control listener per wake-up before stop and reaping are looked at.
inline constexpr int kAcceptBurst = 64;

// Parts one COMB may name (the target aside). Each is read and deleted in turn, so the bound
// keeps one command line from holding a connection's thread for long.
inline constexpr std::size_t kMaxCombineParts = 1000;

// Unique names STOU tries before it gives up.
inline constexpr int kMaxStouAttempts = 100;

} // namespace vdx::ftp
