// Wildcard enumeration and the facts of single paths.

#include "platform/os/paths.h"
#include "platform/os/wildcard.h"
#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::os {

namespace detail {

namespace {

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

FileTime ToFileTime(const statx_timestamp& t) {
    return TimespecToFileTime(
        timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)});
}

std::optional<FindData> FromStat(const struct stat& st, std::string name) {
    FindData data;
    data.name = std::move(name);
    data.times.lastWrite = TimespecToFileTime(st.st_mtim);
    data.times.lastAccess = TimespecToFileTime(st.st_atim);
    data.times.creation = data.times.lastWrite;
    if (S_ISDIR(st.st_mode)) {
        data.attributes = FILE_ATTRIBUTE_DIRECTORY;
    } else if (S_ISREG(st.st_mode)) {
        data.attributes = FILE_ATTRIBUTE_ARCHIVE;
        data.size = static_cast<std::uint64_t>(st.st_size);
    } else {
        return std::nullopt;
    }
    if ((st.st_mode & S_IWUSR) == 0)
        data.attributes |= FILE_ATTRIBUTE_READONLY;
    if (!data.name.empty() && data.name.front() == '.' && !IsDotName(data.name))
        data.attributes |= FILE_ATTRIBUTE_HIDDEN;
    return data;
}

} // namespace

std::optional<FindData> StatFacts(int dirFd, const std::string& name,
                                  const std::string& displayName, bool confined) {
    const int follow = confined ? AT_SYMLINK_NOFOLLOW : 0;
    struct statx stx {};
    if (::statx(dirFd, name.c_str(), AT_NO_AUTOMOUNT | follow, STATX_BASIC_STATS | STATX_BTIME,
                &stx) != 0) {
        if (errno != ENOSYS)
            return std::nullopt;
        struct stat st {};
        if (::fstatat(dirFd, name.c_str(), &st, follow) != 0 || (confined && HiddenBelowRoot(st)))
            return std::nullopt;
        return FromStat(st, displayName);
    }
    if (confined && HiddenBelowRoot(stx.stx_mode, stx.stx_nlink))
        return std::nullopt;
    struct stat st {};
    st.st_mode = stx.stx_mode;
    st.st_size = static_cast<off_t>(stx.stx_size);
    auto data = FromStat(st, displayName);
    if (!data)
        return std::nullopt;
    data->times.lastWrite = ToFileTime(stx.stx_mtime);
    data->times.lastAccess = ToFileTime(stx.stx_atime);
    data->times.creation =
        (stx.stx_mask & STATX_BTIME) != 0 ? ToFileTime(stx.stx_btime) : data->times.lastWrite;
    return data;
}

} // namespace detail

namespace {

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

// The entries of the folder open at fd that match mask; below a root
// (confined) links are left out, as nothing could be opened through them.
std::vector<FindData> ListFolder(int fd, const std::string& mask, bool confined) {
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return {};
    }
    std::vector<FindData> result;
    for (const char* dot : {".", ".."}) {
        if (MatchesMask(mask, dot)) {
            if (auto data = detail::StatFacts(fd, dot, dot))
                result.push_back(std::move(*data));
        }
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || !MatchesMask(mask, name))
            continue;
        if (auto data = detail::StatFacts(fd, name, name, confined))
            result.push_back(std::move(*data));
    }
    return result;
}

// How FindFile names an entry: its last component, or "/" for the file system's root.
std::string ShownName(const std::string& disk) {
    return disk == "/" ? disk : ExtractFileName(disk);
}

} // namespace

std::vector<FindData> FindFiles(const std::string& pattern) {
    const std::string mask = ExtractFileName(pattern);
    const std::string folder = ExtractFilePath(pattern);
    const auto dirPath = detail::DiskPath(folder.empty() ? std::string(".") : folder);
    if (mask.empty() || !dirPath || mask.find('\0') != std::string::npos)
        return {};
    const int fd = ::open(dirPath->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return {};
    return ListFolder(fd, mask, false);
}

std::vector<FindData> FindFiles(const RootedPath& pattern) {
    const std::string mask = ExtractFileName(pattern.path);
    if (mask.empty() || mask.find('\0') != std::string::npos)
        return {};
    const auto place = detail::PlaceOf(RootedPath{pattern.root, ExtractFilePath(pattern.path)});
    if (!place)
        return {};
    const int fd = ::openat(place->DirFd(), place->name.c_str(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    return ListFolder(fd, mask, true);
}

std::optional<FindData> FindFile(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (trimmed.empty())
        return std::nullopt;
    const auto resolved = detail::DiskPath(trimmed);
    if (!resolved)
        return std::nullopt;
    return detail::StatFacts(AT_FDCWD, *resolved, ShownName(*resolved));
}

std::optional<FindData> FindFile(const RootedPath& path) {
    const auto place = detail::PlaceOf(path);
    if (!place)
        return std::nullopt;
    return detail::StatFacts(place->DirFd(), place->name, ShownName(place->full), true);
}

std::uint32_t GetFileAttributes(const RootedPath& path) {
    const auto data = FindFile(path);
    return data ? data->attributes : INVALID_FILE_ATTRIBUTES;
}

std::uint32_t GetFileAttributes(const std::string& path) {
    const auto data = FindFile(path);
    return data ? data->attributes : INVALID_FILE_ATTRIBUTES;
}

} // namespace vdx::os
