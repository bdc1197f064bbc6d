#pragma once
// Whole small files read in one bounded pass.

#include "platform/os/winfile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vdx::os {

// The bytes of the file at path; nullopt when there is no file of that name
// (a folder of that name is no file either). Throws FileError ("Cannot open
// file \"path\". <reason>", or "Cannot read file ...") when it exists but
// cannot be read, is no plain file (a FIFO would block the reader for ever),
// or holds more than maxBytes (EFBIG).
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes);

// The version of the file at path; nullopt when there is none (missing, or a
// folder: ReadFileBytes reads no file there either). Throws FileError when path
// cannot be looked at (a folder on the way that may not be searched); its
// message names the file as shownName.
std::optional<FileIdentity> StatFileVersion(const std::string& path, const std::string& shownName);

struct VersionedBytes {
    std::string Bytes;
    // The version the bytes were read from; nullopt when the file changed
    // while it was read, so the bytes belong to no one version.
    std::optional<FileIdentity> Version;
};

// ReadFileBytes, and the version of the file read. shownName names the file
// in errors in place of path.
std::optional<VersionedBytes> ReadFileBytesVersioned(const std::string& path, std::size_t maxBytes,
                                                     const std::string& shownName);

} // namespace vdx::os
