// Existence tests, attributes and the folder and file operations of Windows.

#include "paths.h"
#include "winfile_internal.h"

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

bool RenameNoReplace(const std::string& from, const std::string& to, bool isDir) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // The file system cannot refuse atomically: a hard link can, for files.
    if (!isDir) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) == 0)
                return true;
            const int error = errno;
            ::unlink(to.c_str());
            return Fail(error);
        }
        if (errno == EEXIST || (errno != EPERM && errno != EOPNOTSUPP))
            return false;
    }
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0)
        return Fail(EEXIST);
    return ::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace

bool SetFileAttributes(const std::string& path, std::uint32_t attributes) {
    const auto resolved = detail::DiskPath(path);
    struct stat st {};
    if (!resolved || ::stat(resolved->c_str(), &st) != 0)
        return false;
    mode_t mode = st.st_mode & 07777;
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0)
        mode |= S_IWUSR;
    else if (!S_ISDIR(st.st_mode))
        // A folder keeps its write bits: without them nobody could create or delete a file in
        // it, which the read-only attribute never stops on a Windows folder.
        mode &= ~static_cast<mode_t>(0222);
    if (mode == (st.st_mode & 07777))
        return true;
    return ::chmod(resolved->c_str(), mode) == 0;
}

bool FileExists(const std::string& path) {
    const auto resolved = detail::DiskPath(path);
    struct stat st {};
    if (!resolved || ::stat(resolved->c_str(), &st) != 0)
        return false;
    return S_ISREG(st.st_mode) || Fail(S_ISDIR(st.st_mode) ? EISDIR : ENOENT);
}

bool DirectoryExists(const std::string& path) {
    const auto resolved = detail::DiskPath(path);
    struct stat st {};
    if (!resolved || ::stat(resolved->c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) || Fail(ENOTDIR);
}

bool DeleteFile(const std::string& path) {
    const auto resolved = detail::DiskPath(path);
    struct stat st {};
    if (!resolved || ::lstat(resolved->c_str(), &st) != 0)
        return false;
    if (S_ISDIR(st.st_mode))
        return Fail(EISDIR);
    if (S_ISREG(st.st_mode)) {
        if ((st.st_mode & S_IWUSR) == 0)
            return Fail(EACCES); // read-only
        if (detail::IsHeldOpen(*resolved))
            return Fail(EBUSY);
    }
    return ::unlink(resolved->c_str()) == 0;
}

bool CreateDir(const std::string& path) {
    const auto resolved = detail::DiskPath(path);
    return resolved && ::mkdir(resolved->c_str(), 0777) == 0;
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

bool RemoveDir(const std::string& path) {
    const auto resolved = detail::DiskPath(path);
    return resolved && ::rmdir(resolved->c_str()) == 0;
}

bool MoveFile(const std::string& from, const std::string& to) {
    const auto source = detail::DiskPath(from);
    auto target = detail::DiskPath(to);
    struct stat src {};
    if (!source || !target || ::lstat(source->c_str(), &src) != 0)
        return false;
    struct stat dst {};
    if (::lstat(target->c_str(), &dst) == 0) {
        // Only the same entry spelt in other letter case may stand there.
        const std::string given = ExtractFileName(ExcludeTrailingPathDelimiter(to));
        if (dst.st_dev != src.st_dev || dst.st_ino != src.st_ino ||
            given == ExtractFileName(*source))
            return Fail(EEXIST);
        target = ExtractFilePath(ExcludeTrailingPathDelimiter(*target)) + given;
    }
    if (S_ISREG(src.st_mode) && detail::IsHeldOpen(*source))
        return Fail(EBUSY);
    return RenameNoReplace(*source, *target, S_ISDIR(src.st_mode));
}

} // namespace vdx::os
