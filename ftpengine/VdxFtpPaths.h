#pragma once
// FTP paths as the handlers and the rights see them, and the file times
// they hand the FTP component, which go through the DOS form.

#include "platform/os/datetime.h"
#include "platform/os/winfile.h"

#include <optional>
#include <string>
#include <string_view>

namespace vdx {

// "\" becomes "/", then each "//" becomes "/" in one left-to-right pass, so a
// run of three or four separators leaves two.
std::string NormalizePath(std::string_view path);
// Removes trailing "/" and "\"; an all-separator path becomes empty.
std::string StripTrailingDelimiters(std::string_view path);
// The path without any "/" or "\", ASCII letters in lower case.
std::string FlattenPath(std::string_view path);
// Where ftpPath lies below root on disk: ftpPath with "/" separators and runs
// of them collapsed, below root (an empty root is the file system's own).
// Every file-system call on it stays below root and follows no link there.
// nullopt when the path cannot exist: below the non-administrators'
// non-existent root, or with a NUL byte or a ".." component in ftpPath (the
// engine hands neither; this keeps a path below its root whatever a caller
// passes).
std::optional<os::RootedPath> DiskPath(const std::string& root, std::string_view ftpPath);

// A file time through the DOS form (2-second steps, no time-zone shift).
// Throws vdx::os::FileError for times outside 1980..2107.
os::TDateTime FileTimeToDateTime(os::FileTime fileTime);
// The same, clamped to the nearest DOS bound instead of failing, for listings
// and facts that must not fail over one odd entry.
os::TDateTime ClampedFileTimeToDateTime(os::FileTime fileTime);
// A date-time value through the DOS form; 0 for values outside 1980..2107.
os::FileTime DateTimeToFileTime(os::TDateTime value);

} // namespace vdx
