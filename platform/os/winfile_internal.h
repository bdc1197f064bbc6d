#pragma once
// Pieces shared by the modules behind winfile.h; not for other callers.

#include "winfile.h"

#include <optional>
#include <string>
#include <string_view>

namespace vdx::os::detail {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The entry of folder ("" for the working folder) whose name equals name
// without regard to ASCII case; nullopt when there is none or the folder
// cannot be read.
std::optional<std::string> FindEntryIgnoringCase(const std::string& folder,
                                                 const std::string& name);

// ResolveCase(path), or nullopt with errno EINVAL for a path holding a NUL
// byte: no file has such a name, and the system calls would cut it short.
std::optional<std::string> DiskPath(const std::string& path);

// Facts of name in the folder dirFd (AT_FDCWD for a plain path), following
// symbolic links; nullopt when missing or not a file or folder. The name in
// the result is displayName.
std::optional<FindData> StatFacts(int dirFd, const std::string& name,
                                  const std::string& displayName);

// Share-mode locks on an open descriptor (see File). canHold is false for a
// descriptor that cannot take read locks (opened write-only): it only probes.
// Returns 0 or the errno (EBUSY for a conflict).
int AcquireShareLocks(int fd, bool canHold, Access access, Share share);
// Whether any open of ours (other than through fd) holds the file.
bool IsOpenedByOthers(int fd);
// Whether any File of ours has the file at path open; false when it cannot be told.
bool IsHeldOpen(const std::string& path);

} // namespace vdx::os::detail
