#pragma once
// Whole small files read in one bounded pass.

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

// What tells one version of a file from the next without reading it: a file
// replaced by a rename has another inode, one rewritten in place other times.
struct FileVersion {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::int64_t ChangedNs = 0;

    bool operator==(const FileVersion&) const = default;
};

// The version of the file at path; nullopt when there is none (missing, or a
// folder: ReadFileBytes reads no file there either). Throws FileError when path
// cannot be looked at (a folder on the way that may not be searched); its
// message names the file as shownName.
std::optional<FileVersion> StatFileVersion(const std::string& path, const std::string& shownName);

struct VersionedBytes {
    std::string Bytes;
    // The version the bytes were read from; nullopt when the file changed
    // while it was read, so the bytes belong to no one version.
    std::optional<FileVersion> Version;
};

// ReadFileBytes, and the version of the file read. shownName names the file
// in errors in place of path.
std::optional<VersionedBytes> ReadFileBytesVersioned(const std::string& path, std::size_t maxBytes,
                                                     const std::string& shownName);

} // namespace vdx::os
