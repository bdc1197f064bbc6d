// Paths below a root, reached without following a symbolic link. The served
// trees were made for a file system without links: a link placed there by any
// other program must not lead a user out of his area, so every folder on the
// way is opened relative to the one before it with O_NOFOLLOW, and the last
// component is acted on through the folder that holds it.

#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace vdx::os::detail {

namespace {

// The components of path; false for one that names no entry of its own.
bool Split(const std::string& path, std::vector<std::string>& parts) {
    if (path.find('\0') != std::string::npos)
        return false;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(pos, end - pos);
        if (part == "." || part == "..")
            return false;
        if (!part.empty())
            parts.push_back(std::move(part));
        pos = end + 1;
    }
    return true;
}

std::optional<Place> Fail(int error) {
    errno = error;
    return std::nullopt;
}

// One call for a parent path spelt exactly as on disk, the common case.
int OpenFoldersExactly(int rootFd, const std::vector<std::string>& parts, std::size_t count) {
    std::string relative;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            relative += '/';
        relative += parts[i];
    }
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, rootFd, relative.c_str(), &how, sizeof how));
}

// The folder name in dirFd, matched exactly first, else without regard to
// case; name becomes the disk name. -1 with ENOENT where there is no such
// entry, ENOTDIR where it is a link or anything but a folder.
int OpenFolder(int dirFd, std::string& name) {
    constexpr int kFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(dirFd, name.c_str(), kFlags);
    if (fd >= 0)
        return fd;
    if (errno == ENOENT) {
        const auto found = FindEntryIgnoringCase(dirFd, name);
        if (!found) {
            errno = ENOENT; // the look may leave another errno behind
            return -1;
        }
        fd = ::openat(dirFd, found->c_str(), kFlags);
        if (fd >= 0) {
            name = *found;
            return fd;
        }
    }
    if (errno == ELOOP)
        errno = ENOTDIR; // there, but no folder to go through
    return -1;
}

// The root is trusted as named: links in it are followed. disk becomes its
// path on disk: as named where that exists, else resolved without regard to
// case.
int OpenRoot(const std::string& root, std::string& disk) {
    constexpr int kFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    if (root.find('\0') != std::string::npos) {
        errno = EINVAL;
        return -1;
    }
    disk = root;
    const int fd = ::open(root.c_str(), kFlags);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    const auto resolved = DiskPath(root);
    if (!resolved)
        return -1;
    disk = *resolved;
    return ::open(disk.c_str(), kFlags);
}

std::string JoinDisk(const std::string& root, const std::vector<std::string>& parts) {
    std::string full = root;
    while (full.size() > 1 && full.back() == '/')
        full.pop_back();
    for (const std::string& part : parts) {
        if (full.empty() || full.back() != '/')
            full += '/';
        full += part;
    }
    return full;
}

// The root of path, opened, with path's components in parts and the root's
// disk path in root; an empty descriptor with errno set where path is invalid
// (EINVAL) or the root cannot be opened.
UniqueFd OpenBeneath(const RootedPath& path, std::vector<std::string>& parts, std::string& root) {
    if (!Split(path.path, parts) || path.root.empty()) {
        errno = EINVAL;
        return UniqueFd();
    }
    return UniqueFd(OpenRoot(path.root, root));
}

} // namespace

std::optional<Place> PlaceOf(const std::string& path) {
    const auto resolved = DiskPath(path);
    if (!resolved)
        return std::nullopt;
    Place place;
    place.name = *resolved;
    place.shown = path;
    place.full = *resolved;
    return place;
}

std::optional<Place> PlaceOf(const RootedPath& path) {
    std::vector<std::string> parts;
    std::string root;
    UniqueFd dir = OpenBeneath(path, parts, root);
    if (!dir)
        return std::nullopt;
    if (!parts.empty()) {
        const std::size_t folders = parts.size() - 1;
        if (folders > 0) {
            UniqueFd exact(OpenFoldersExactly(dir.Get(), parts, folders));
            if (exact) {
                dir = std::move(exact);
            } else {
                for (std::size_t i = 0; i < folders; ++i) {
                    UniqueFd next(OpenFolder(dir.Get(), parts[i]));
                    if (!next) // a link on the way is no way
                        return Fail(errno == ENOTDIR ? ENOENT : errno);
                    dir = std::move(next);
                }
            }
        }
        std::string& last = parts.back();
        struct stat st {};
        if (::fstatat(dir.Get(), last.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) {
            if (const auto found = FindEntryIgnoringCase(dir.Get(), last))
                last = *found;
        }
    }
    Place place;
    place.name = parts.empty() ? "." : parts.back();
    place.shown = path.path;
    place.full = JoinDisk(root, parts);
    place.confined = true;
    place.dir = std::move(dir);
    return place;
}

bool ForceFoldersBeneath(const RootedPath& path) {
    std::vector<std::string> parts;
    std::string root;
    UniqueFd dir = OpenBeneath(path, parts, root);
    if (!dir)
        return false;
    for (std::string& part : parts) {
        UniqueFd next(OpenFolder(dir.Get(), part));
        if (!next && errno == ENOENT) {
            // Made here, or by another at the same moment; a link is never made through.
            if (::mkdirat(dir.Get(), part.c_str(), 0777) != 0 && errno != EEXIST)
                return false;
            next = UniqueFd(OpenFolder(dir.Get(), part));
        }
        if (!next)
            return false;
        dir = std::move(next);
    }
    return true;
}

bool IsSameEntry(const struct stat& opened, const Place& place) {
    struct stat named {};
    if (::fstatat(place.DirFd(), place.name.c_str(), &named, place.StatFlags()) != 0)
        return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool IsSameEntry(int fd, const Place& place) {
    struct stat opened {};
    return ::fstat(fd, &opened) == 0 && IsSameEntry(opened, place);
}

std::optional<UniqueFd> HoldForRemoval(const Place& place) {
    // A name replaced between the open and the check is opened again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        UniqueFd fd(::openat(place.DirFd(), place.name.c_str(),
                             O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | place.OpenFlags()));
        if (fd.Get() < 0)
            return UniqueFd(); // unreadable to us: whether it is held cannot be told
        struct stat opened {};
        if (::fstat(fd.Get(), &opened) != 0)
            return std::nullopt;
        if (place.confined && HiddenBelowRoot(opened)) {
            errno = ENOENT;
            return std::nullopt;
        }
        const int error = AcquireShareLocks(fd.Get(), true, Access::ReadWrite, Share::None);
        if (error != 0) {
            errno = error;
            return std::nullopt;
        }
        if (IsSameEntry(opened, place))
            return fd;
    }
    errno = EBUSY;
    return std::nullopt;
}

} // namespace vdx::os::detail

namespace vdx::os {

bool BlockedByLink(const RootedPath& path) {
    std::vector<std::string> parts;
    std::string root;
    UniqueFd dir = detail::OpenBeneath(path, parts, root);
    if (!dir)
        return false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string name = parts[i];
        struct stat st {};
        if (::fstatat(dir.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const auto found = detail::FindEntryIgnoringCase(dir.Get(), name);
            if (!found || ::fstatat(dir.Get(), found->c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                return false; // simply not there
            name = *found;
        }
        if (detail::HiddenBelowRoot(st))
            return true;
        if (i + 1 == parts.size() || !S_ISDIR(st.st_mode))
            return false;
        UniqueFd next(
            ::openat(dir.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next)
            return false;
        dir = std::move(next);
    }
    return false;
}

} // namespace vdx::os
