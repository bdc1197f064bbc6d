#pragma once
// Moving a stream's bytes over a connected data socket, in MODE S or MODE Z.

#include "platform/ftp/data_channel.h"
#include "platform/ftp/stream.h"

#include <cstdint>
#include <string>

namespace vdx::ftp {

struct TransferOptions {
    bool deflate = false; // MODE Z: one zlib stream for the whole connection
    int level = 6;        // MODE Z compression level for sending
    Clock::duration stallTimeout = std::chrono::seconds(30); // longest wait for any progress
    std::int64_t* progress = nullptr; // when set, counts the stream bytes moved so far
};

struct TransferResult {
    DataOutcome outcome = DataOutcome::Completed;
    std::string error;
};

// Sends the stream from its position to its end. In MODE S a stream with a Handle goes through
// sendfile. The data socket is shut down for writing at the end so the client sees the end.
TransferResult SendStream(int dataFd, TStream& source, const TransferOptions& options,
                          ControlWatch& watch);

// Receives until the client closes the data connection and writes everything to the stream at its
// position (MODE Z: decompressed in bounded pieces; a stream that ends early is an error).
TransferResult ReceiveStream(int dataFd, TStream& sink, const TransferOptions& options,
                             ControlWatch& watch);

} // namespace vdx::ftp
