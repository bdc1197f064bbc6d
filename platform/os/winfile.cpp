// Open files with Windows dispositions and share modes.

#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vdx::os {

namespace {

bool Creates(Disposition d) {
    return d == Disposition::CreateAlways || d == Disposition::CreateNew;
}

[[noreturn]] void Throw(const char* what, const std::string& path, int error) {
    throw FileError(std::string(what) + " \"" + path + "\". " + SysErrorMessage(error), error);
}

const std::string& Shown(const std::string& path) {
    return path;
}

const std::string& Shown(const RootedPath& path) {
    return path.path;
}

// Opens the entry of place once; -errno on failure. canHold tells whether
// the descriptor can take read locks.
int OpenOnce(const detail::Place& place, int flags, bool writes, Access access, bool allowDirectory,
             bool& canHold) {
    const char* name = place.name.c_str();
    canHold = true;
    int fd = ::openat(place.DirFd(), name, flags | (writes ? O_RDWR : O_RDONLY), 0666);
    if (fd < 0 && errno == EACCES && access == Access::Write) {
        fd = ::openat(place.DirFd(), name, flags | O_WRONLY, 0666);
        canHold = false;
    }
    if (fd < 0 && errno == EISDIR && allowDirectory && (flags & O_EXCL) == 0) {
        fd = ::openat(place.DirFd(), name,
                      O_RDONLY | O_DIRECTORY | O_CLOEXEC | (flags & O_NOFOLLOW));
        canHold = true;
    }
    if (fd >= 0)
        return fd;
    // Below a root a link is not there: reading finds nothing, and nothing
    // may be created in its place.
    if (errno == ELOOP && place.confined)
        return (flags & O_CREAT) != 0 ? -EACCES : -ENOENT;
    return -errno;
}

// The descriptor of the open, or -errno.
int OpenFd(const detail::Place& place, Access access, Share share, Disposition disposition,
           bool allowDirectory) {
    // No waiting on a FIFO: O_NONBLOCK is cleared below.
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | place.OpenFlags();
    switch (disposition) {
    case Disposition::OpenExisting:
        break;
    case Disposition::CreateAlways:
    case Disposition::OpenAlways:
        flags |= O_CREAT;
        break;
    case Disposition::CreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    }
    // A writer opens for reading too where it may, to hold its share locks.
    const bool truncates = disposition == Disposition::CreateAlways;
    const bool writes = access != Access::Read || truncates;
    // The locks are taken on the descriptor that was opened; a delete or
    // rename may have taken the name away before them, so the descriptor must
    // still be the entry at the name once they are held, or it is opened again.
    for (int attempt = 0;; ++attempt) {
        bool canHold = true;
        const int fd = OpenOnce(place, flags, writes, access, allowDirectory, canHold);
        if (fd < 0)
            return fd;
        UniqueFd owned(fd);

        struct stat st {};
        if (::fstat(fd, &st) != 0)
            return -errno;
        // A file with another name is not the root's to open, nor may one be
        // created in its place; checked here, on what was opened.
        if (place.confined && detail::HiddenBelowRoot(st))
            return (flags & O_CREAT) != 0 ? -EACCES : -ENOENT;
        if (S_ISDIR(st.st_mode)) {
            if (!allowDirectory)
                return -EISDIR;
        } else if (!S_ISREG(st.st_mode)) {
            return -EACCES;
        } else {
            if (writes && (st.st_mode & S_IWUSR) == 0)
                return -EACCES; // the read-only attribute holds for every user
            // Of the flags F_SETFL sets, this open has only O_NONBLOCK.
            if (::fcntl(fd, F_SETFL, 0) != 0)
                return -errno;
        }
        if (const int error = detail::AcquireShareLocks(fd, canHold, access, share); error != 0)
            return -error;
        if (!detail::IsSameEntry(st, place)) {
            if (attempt < 8)
                continue;
            return -EBUSY;
        }
        if (truncates && S_ISREG(st.st_mode) && st.st_size != 0 && ::ftruncate(fd, 0) != 0)
            return -errno;
        return owned.Release();
    }
}

} // namespace

template <class P>
std::optional<File> File::OpenAt(const P& path, Access access, Share share, Disposition disposition,
                                 bool allowDirectory, bool raise) {
    const auto place = detail::PlaceOf(path);
    const int fd = place ? OpenFd(*place, access, share, disposition, allowDirectory)
                         : -(errno != 0 ? errno : EINVAL);
    if (fd < 0) {
        if (raise)
            Throw(Creates(disposition) ? "Cannot create file" : "Cannot open file", Shown(path),
                  -fd);
        errno = -fd;
        return std::nullopt;
    }
    File file;
    file.m_fd.Reset(fd);
    file.m_path = place->full;
    file.m_shown = place->confined ? place->shown : place->full;
    return file;
}

File File::Open(const std::string& path, Access access, Share share, Disposition disposition,
                bool allowDirectory) {
    return std::move(*OpenAt(path, access, share, disposition, allowDirectory, true));
}

std::optional<File> File::TryOpen(const std::string& path, Access access, Share share,
                                  Disposition disposition, bool allowDirectory) {
    return OpenAt(path, access, share, disposition, allowDirectory, false);
}

File File::Open(const RootedPath& path, Access access, Share share, Disposition disposition,
                bool allowDirectory) {
    return std::move(*OpenAt(path, access, share, disposition, allowDirectory, true));
}

std::optional<File> File::TryOpen(const RootedPath& path, Access access, Share share,
                                  Disposition disposition, bool allowDirectory) {
    return OpenAt(path, access, share, disposition, allowDirectory, false);
}

File::File(File&& other) noexcept = default;

File& File::operator=(File&& other) noexcept = default;

File::~File() {
    Close();
}

void File::Close() noexcept {
    m_fd.Reset();
}

std::int64_t File::Size() const {
    struct stat st {};
    if (::fstat(m_fd.Get(), &st) != 0)
        Throw("Cannot read file", m_shown, errno);
    return S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0;
}

std::int64_t File::Seek(std::int64_t offset, int whence) {
    const off_t pos = ::lseek(m_fd.Get(), static_cast<off_t>(offset), whence);
    if (pos < 0)
        Throw("Cannot seek in file", m_shown, errno);
    return pos;
}

std::size_t File::Read(void* buffer, std::size_t count) {
    for (;;) {
        const ssize_t n = ::read(m_fd.Get(), buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            Throw("Cannot read file", m_shown, errno);
    }
}

void File::WriteAll(const void* buffer, std::size_t count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::write(m_fd.Get(), p, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Throw("Cannot write file", m_shown, errno);
        }
        p += n;
        count -= static_cast<std::size_t>(n);
    }
}

FileTimes File::Times() const {
    struct statx stx {};
    if (::statx(m_fd.Get(), "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &stx) == 0) {
        auto ft = [](const statx_timestamp& t) {
            return TimespecToFileTime(
                timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)});
        };
        FileTimes times;
        times.lastWrite = ft(stx.stx_mtime);
        times.lastAccess = ft(stx.stx_atime);
        times.creation = (stx.stx_mask & STATX_BTIME) != 0 ? ft(stx.stx_btime) : times.lastWrite;
        return times;
    }
    if (errno != ENOSYS)
        Throw("Cannot read file", m_shown, errno);
    struct stat st {};
    if (::fstat(m_fd.Get(), &st) != 0)
        Throw("Cannot read file", m_shown, errno);
    FileTimes times;
    times.lastWrite = TimespecToFileTime(st.st_mtim);
    times.lastAccess = TimespecToFileTime(st.st_atim);
    times.creation = times.lastWrite;
    return times;
}

FileIdentity File::Identity() const {
    struct stat st {};
    if (::fstat(m_fd.Get(), &st) != 0)
        Throw("Cannot read file", m_shown, errno);
    return detail::IdentityOf(st);
}

void File::Truncate(std::int64_t size) {
    if (::ftruncate(m_fd.Get(), static_cast<off_t>(size)) != 0)
        Throw("Cannot write file", m_shown, errno);
}

bool File::SetTimes(std::optional<FileTime> lastWrite, std::optional<FileTime> lastAccess,
                    std::optional<FileTime> /*creation: Linux keeps no settable one*/) {
    if (!lastWrite && !lastAccess)
        return true;
    timespec ts[2]{};
    ts[0].tv_nsec = UTIME_OMIT;
    ts[1].tv_nsec = UTIME_OMIT;
    if (lastAccess)
        ts[0] = FileTimeToTimespec(*lastAccess);
    if (lastWrite)
        ts[1] = FileTimeToTimespec(*lastWrite);
    return ::futimens(m_fd.Get(), ts) == 0;
}

} // namespace vdx::os
