#pragma once
// Pieces shared by the modules behind winfile.h; not for other callers.

#include "platform/os/ascii.h"
#include "platform/os/unique_fd.h"
#include "platform/os/winfile.h"

#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace vdx::os::detail {

// Where a function of winfile.h acts: name in the folder dirFd. A plain path
// gives AT_FDCWD and the whole path (resolved without regard to case, links
// followed as the caller trusts it); a RootedPath gives the folder that holds
// its last component, reached without following any link, and that
// component, which is then never followed either ("." for the root itself).
struct Place {
    UniqueFd dir;          // the folder below a root; none for a plain path
    std::string name;      // as on disk where it exists, else as given
    std::string shown;     // what messages name: the caller's path
    std::string full;      // the disk path, for File::Path()
    bool confined = false; // no link may be followed at name

    int DirFd() const noexcept { return dir ? dir.Get() : AT_FDCWD; }
    // fstatat's flags for the entry at name, and open's addition for it.
    int StatFlags() const noexcept { return confined ? AT_SYMLINK_NOFOLLOW : 0; }
    int OpenFlags() const noexcept { return confined ? O_NOFOLLOW : 0; }
};

// nullopt with errno set: EINVAL for a NUL byte (or a ".." below a root),
// ENOENT where a folder on the way is missing or is a link.
std::optional<Place> PlaceOf(const std::string& path);
std::optional<Place> PlaceOf(const RootedPath& path);

// The entry of folder ("" for the working folder) whose name equals name
// without regard to ASCII case; nullopt when there is none or the folder
// cannot be read.
std::optional<std::string> FindEntryIgnoringCase(const std::string& folder,
                                                 const std::string& name);
// The same for the folder open at dirFd (any kind of descriptor, O_PATH too).
std::optional<std::string> FindEntryIgnoringCase(int dirFd, const std::string& name);

// ResolveCase(path), or nullopt with errno EINVAL for a path holding a NUL
// byte: no file has such a name, and the system calls would cut it short.
std::optional<std::string> DiskPath(const std::string& path);

// What a root does not show below it: a symbolic link, and a file that has
// another name as well. That name may lie anywhere on the file system (a hard
// link to a file outside the root, or to one the server keeps for itself),
// so the file is not the root's to hand out. Checked on the facts of an open
// descriptor where the file is then used, so a name swapped meanwhile cannot
// slip through.
inline bool HiddenBelowRoot(mode_t mode, std::uint64_t links) {
    return S_ISLNK(mode) || (S_ISREG(mode) && links > 1);
}
inline bool HiddenBelowRoot(const struct stat& st) {
    return HiddenBelowRoot(st.st_mode, st.st_nlink);
}

inline FileIdentity IdentityOf(const struct stat& st) {
    const auto ns = [](const timespec& t) {
        return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    };
    FileIdentity identity;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
    identity.size = st.st_size;
    identity.modifiedNs = ns(st.st_mtim);
    identity.changedNs = ns(st.st_ctim);
    return identity;
}

// Facts of name in the folder dirFd (AT_FDCWD for a plain path), following
// symbolic links unless confined (what HiddenBelowRoot names is then
// missing); nullopt when missing or not a file or folder. The name in the
// result is displayName.
std::optional<FindData> StatFacts(int dirFd, const std::string& name,
                                  const std::string& displayName, bool confined = false);

// Share-mode locks on an open descriptor (see File). canHold is false for a
// descriptor that cannot take read locks (opened write-only): it only probes.
// Returns 0 or the errno (EBUSY for a conflict).
int AcquireShareLocks(int fd, bool canHold, Access access, Share share);

// Holds the regular file at place against every other open of ours while the
// caller deletes or renames it: opened, locked as an exclusive open, and
// checked to still be the file the name stands for. An open that comes
// between then fails its share check, and one that came before holds locks
// this sees, so the check and the act are one step. Returns the descriptor
// (to keep until the act is done; empty where the file cannot be read, so
// that nothing can be told) or nullopt with errno: EBUSY while held.
std::optional<UniqueFd> HoldForRemoval(const Place& place);
// ForceDirectories below a root: each folder on the way is opened or made
// without following a link; a link or a file on the way fails it (ENOENT/ENOTDIR).
bool ForceFoldersBeneath(const RootedPath& path);
// Whether the open fd is the entry that place names (same inode, not a link).
bool IsSameEntry(int fd, const Place& place);
// The same for the facts of an open descriptor (its fstat).
bool IsSameEntry(const struct stat& opened, const Place& place);

} // namespace vdx::os::detail
