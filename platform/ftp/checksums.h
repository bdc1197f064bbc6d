#pragma once
// The checksum commands' algorithms over a stream range.

#include "platform/ftp/stream.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace vdx::ftp {

enum class ChecksumKind { Crc32, Md5, Sha1, Sha256, Sha512 };

// True when this build can compute the kind (CRC-32 always; the others need OpenSSL).
bool ChecksumAvailable(ChecksumKind kind);

// Thrown by ComputeChecksum when it was told to stop.
class ChecksumStopped : public std::runtime_error {
public:
    ChecksumStopped() : std::runtime_error("Checksum stopped") {}
};

// The checksum of the bytes from start up to end (exclusive; nullopt: the stream's end), as
// upper-case hex (CRC-32: 8 digits). nullopt when the kind is not available. Throws
// std::out_of_range when start lies beyond the end; read errors of the stream pass through.
// stopRequested (when set) is asked between blocks; true ends the work with ChecksumStopped.
std::optional<std::string> ComputeChecksum(ChecksumKind kind, TStream& stream, std::int64_t start,
                                           std::optional<std::int64_t> end,
                                           const std::function<bool()>& stopRequested = {});

} // namespace vdx::ftp
