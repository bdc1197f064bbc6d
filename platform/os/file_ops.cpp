// Existence tests, attributes and the folder and file operations of Windows.

#include "platform/os/paths.h"
#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::os {

namespace {

bool Fail(int error) {
    errno = error;
    return false;
}

bool IsDir(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

using detail::Place;

// Below a root a link at the name is missing, whatever flags say, and so is
// a file with another name.
bool StatOf(const Place& place, struct stat& st, int flags) {
    if (::fstatat(place.DirFd(), place.name.c_str(), &st, flags) != 0)
        return false;
    return !(place.confined && detail::HiddenBelowRoot(st)) || Fail(ENOENT);
}

bool RenameNoReplace(const Place& from, const Place& to, bool isDir) {
    const char* src = from.name.c_str();
    const char* dst = to.name.c_str();
    if (::renameat2(from.DirFd(), src, to.DirFd(), dst, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // The file system cannot refuse atomically: a hard link can, for files.
    if (!isDir) {
        if (::linkat(from.DirFd(), src, to.DirFd(), dst, 0) == 0) {
            if (::unlinkat(from.DirFd(), src, 0) == 0)
                return true;
            const int error = errno;
            ::unlinkat(to.DirFd(), dst, 0);
            return Fail(error);
        }
        if (errno == EEXIST || (errno != EPERM && errno != EOPNOTSUPP))
            return false;
    }
    struct stat st {};
    if (::fstatat(to.DirFd(), dst, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return Fail(EEXIST);
    return ::renameat(from.DirFd(), src, to.DirFd(), dst) == 0;
}

bool SetAttributesAt(const Place& place, std::uint32_t attributes) {
    // The mode goes to the entry opened here, checked on its descriptor: a name
    // swapped for a link meanwhile cannot pass the change on to another file.
    UniqueFd entry(
        ::openat(place.DirFd(), place.name.c_str(), O_PATH | O_CLOEXEC | place.OpenFlags()));
    if (!entry)
        return false;
    struct stat st {};
    if (::fstat(entry.Get(), &st) != 0)
        return false;
    if (place.confined && detail::HiddenBelowRoot(st))
        return Fail(ENOENT);
    mode_t mode = st.st_mode & 07777;
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0)
        mode |= S_IWUSR;
    else if (!S_ISDIR(st.st_mode))
        // A folder keeps its write bits: without them nobody could create or delete a file in
        // it, which the read-only attribute never stops on a Windows folder.
        mode &= ~static_cast<mode_t>(0222);
    if (mode == (st.st_mode & 07777))
        return true;
    // No fchmod on an O_PATH descriptor: its link in /proc reaches the same inode.
    const std::string opened = "/proc/self/fd/" + std::to_string(entry.Get());
    return ::chmod(opened.c_str(), mode) == 0;
}

bool FileExistsAt(const Place& place) {
    struct stat st {};
    if (!StatOf(place, st, place.StatFlags()))
        return false;
    return S_ISREG(st.st_mode) || Fail(S_ISDIR(st.st_mode) ? EISDIR : ENOENT);
}

bool DirectoryExistsAt(const Place& place) {
    struct stat st {};
    if (!StatOf(place, st, place.StatFlags()))
        return false;
    return S_ISDIR(st.st_mode) || Fail(ENOTDIR);
}

// Deletes the file at place; with unchanged, only while the name still stands
// for that state of the file.
bool DeleteFileAt(const Place& place, const FileIdentity* unchanged = nullptr) {
    struct stat st {};
    if (!StatOf(place, st, AT_SYMLINK_NOFOLLOW))
        return false;
    if (S_ISDIR(st.st_mode))
        return Fail(EISDIR);
    if (unchanged && !S_ISREG(st.st_mode))
        return Fail(ESTALE);
    std::optional<UniqueFd> held;
    if (S_ISREG(st.st_mode)) {
        if ((st.st_mode & S_IWUSR) == 0)
            return Fail(EACCES); // read-only
        held = detail::HoldForRemoval(place);
        if (!held)
            return false;
    }
    if (unchanged) {
        // Looked at while held: no open of ours can write it until the name is gone.
        struct stat now {};
        if (!StatOf(place, now, AT_SYMLINK_NOFOLLOW))
            return false;
        if (detail::IdentityOf(now) != *unchanged)
            return Fail(ESTALE);
    }
    return ::unlinkat(place.DirFd(), place.name.c_str(), 0) == 0;
}

bool CreateDirAt(const Place& place) {
    return ::mkdirat(place.DirFd(), place.name.c_str(), 0777) == 0;
}

bool RemoveDirAt(const Place& place) {
    struct stat st {};
    if (!StatOf(place, st, AT_SYMLINK_NOFOLLOW))
        return false;
    return ::unlinkat(place.DirFd(), place.name.c_str(), AT_REMOVEDIR) == 0;
}

// The last component of path as the caller spelt it.
std::string GivenName(const std::string& path) {
    return ExtractFileName(ExcludeTrailingPathDelimiter(path));
}

std::string GivenName(const RootedPath& path) {
    return GivenName(path.path);
}

bool MoveAt(const Place& source, Place target, const std::string& given) {
    struct stat src {};
    if (!StatOf(source, src, AT_SYMLINK_NOFOLLOW))
        return false;
    struct stat dst {};
    if (::fstatat(target.DirFd(), target.name.c_str(), &dst, AT_SYMLINK_NOFOLLOW) == 0) {
        // Only the same entry spelt in other letter case may stand there.
        if (dst.st_dev != src.st_dev || dst.st_ino != src.st_ino ||
            given == ExtractFileName(source.name))
            return Fail(EEXIST);
        target.name = target.confined
                          ? given
                          : ExtractFilePath(ExcludeTrailingPathDelimiter(target.name)) + given;
    }
    std::optional<UniqueFd> held;
    if (S_ISREG(src.st_mode)) {
        held = detail::HoldForRemoval(source);
        if (!held)
            return false;
    }
    return RenameNoReplace(source, target, S_ISDIR(src.st_mode));
}

template <class P, class F> bool AtPlace(const P& path, F&& act) {
    const auto place = detail::PlaceOf(path);
    return place && act(*place);
}

} // namespace

bool SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    return AtPlace(path, [&](const Place& p) { return SetAttributesAt(p, attributes); });
}

bool SetFileAttributes(const RootedPath& path, std::uint32_t attributes) {
    return AtPlace(path, [&](const Place& p) { return SetAttributesAt(p, attributes); });
}

bool FileExists(const std::string& path) {
    return AtPlace(path, FileExistsAt);
}

bool FileExists(const RootedPath& path) {
    return AtPlace(path, FileExistsAt);
}

bool DirectoryExists(const std::string& path) {
    return AtPlace(path, DirectoryExistsAt);
}

bool DirectoryExists(const RootedPath& path) {
    return AtPlace(path, DirectoryExistsAt);
}

bool DeleteFile(const std::string& path) {
    return AtPlace(path, [](const Place& p) { return DeleteFileAt(p); });
}

bool DeleteFile(const RootedPath& path) {
    return AtPlace(path, [](const Place& p) { return DeleteFileAt(p); });
}

bool DeleteFileIfUnchanged(const std::string& path, const FileIdentity& identity) {
    return AtPlace(path, [&](const Place& p) { return DeleteFileAt(p, &identity); });
}

bool DeleteFileIfUnchanged(const RootedPath& path, const FileIdentity& identity) {
    return AtPlace(path, [&](const Place& p) { return DeleteFileAt(p, &identity); });
}

bool CreateDir(const std::string& path) {
    return AtPlace(path, CreateDirAt);
}

bool CreateDir(const RootedPath& path) {
    return AtPlace(path, CreateDirAt);
}

bool RemoveDir(const std::string& path) {
    return AtPlace(path, RemoveDirAt);
}

bool RemoveDir(const RootedPath& path) {
    return AtPlace(path, RemoveDirAt);
}

bool ForceDirectories(const std::string& path) {
    const auto found = detail::DiskPath(ExcludeTrailingPathDelimiter(path));
    if (!found)
        return false;
    const std::string& resolved = *found;
    if (resolved.empty())
        return Fail(ENOENT);
    if (IsDir(resolved))
        return true;
    for (std::size_t pos = resolved.find('/', 1);; pos = resolved.find('/', pos + 1)) {
        const std::string level = resolved.substr(0, pos);
        if (!level.empty() && level.back() != '/' && !IsDir(level)) {
            if (::mkdir(level.c_str(), 0777) != 0 && !(errno == EEXIST && IsDir(level)))
                return false;
        }
        if (pos == std::string::npos)
            return true;
    }
}

bool ForceDirectories(const RootedPath& path) {
    return detail::ForceFoldersBeneath(path);
}

bool MoveFile(const std::string& from, const std::string& to) {
    const auto source = detail::PlaceOf(from);
    auto target = detail::PlaceOf(to);
    return source && target && MoveAt(*source, std::move(*target), GivenName(to));
}

bool MoveFile(const RootedPath& from, const RootedPath& to) {
    const auto source = detail::PlaceOf(from);
    auto target = detail::PlaceOf(to);
    return source && target && MoveAt(*source, std::move(*target), GivenName(to));
}

} // namespace vdx::os
