#pragma once
// Whole small files read in one bounded pass.

#include <cstddef>
#include <optional>
#include <string>

namespace vdx::os {

// The bytes of the file at path; nullopt when there is no file of that name
// (a folder of that name is no file either). Throws FileError ("Cannot open
// file \"path\". <reason>", or "Cannot read file ...") when it exists but
// cannot be read, is no plain file (a FIFO would block the reader for ever),
// or holds more than maxBytes (EFBIG).
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes);

} // namespace vdx::os
