// Open files with Windows dispositions and share modes.

#include "winfile_internal.h"

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

// An owned descriptor for the steps before it belongs to a File.
class UniqueFd {
public:
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// The descriptor of the open, or -errno.
int OpenFd(const std::string& path, Access access, Share share, Disposition disposition,
           bool allowDirectory) {
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK; // no waiting on a FIFO; cleared below
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
    bool canHold = true;
    int fd = ::open(path.c_str(), flags | (writes ? O_RDWR : O_RDONLY), 0666);
    if (fd < 0 && errno == EACCES && access == Access::Write) {
        fd = ::open(path.c_str(), flags | O_WRONLY, 0666);
        canHold = false;
    }
    if (fd < 0 && errno == EISDIR && allowDirectory && !Creates(disposition)) {
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        canHold = true;
    }
    if (fd < 0)
        return -errno;
    UniqueFd owned(fd);

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -errno;
    if (S_ISDIR(st.st_mode)) {
        if (!allowDirectory)
            return -EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        return -EACCES;
    } else {
        if (writes && (st.st_mode & S_IWUSR) == 0)
            return -EACCES; // the read-only attribute holds for every user
        const int fl = ::fcntl(fd, F_GETFL);
        if (fl < 0 || ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK) != 0)
            return -errno;
    }
    if (const int error = detail::AcquireShareLocks(fd, canHold, access, share); error != 0)
        return -error;
    if (truncates && S_ISREG(st.st_mode) && st.st_size != 0 && ::ftruncate(fd, 0) != 0)
        return -errno;
    return owned.Release();
}

} // namespace

File File::Open(const std::string& path, Access access, Share share, Disposition disposition,
                bool allowDirectory) {
    const auto resolved = detail::DiskPath(path);
    const int fd =
        resolved ? OpenFd(*resolved, access, share, disposition, allowDirectory) : -EINVAL;
    if (fd < 0)
        Throw(Creates(disposition) ? "Cannot create file" : "Cannot open file", path, -fd);
    File file;
    file.m_fd = fd;
    file.m_path = *resolved;
    return file;
}

std::optional<File> File::TryOpen(const std::string& path, Access access, Share share,
                                  Disposition disposition, bool allowDirectory) {
    const auto resolved = detail::DiskPath(path);
    const int fd =
        resolved ? OpenFd(*resolved, access, share, disposition, allowDirectory) : -EINVAL;
    if (fd < 0) {
        errno = -fd;
        return std::nullopt;
    }
    File file;
    file.m_fd = fd;
    file.m_path = *resolved;
    return file;
}

File::File(File&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

File::~File() {
    Close();
}

void File::Close() noexcept {
    if (m_fd >= 0) {
        ::close(m_fd); // the share locks go with the descriptor
        m_fd = -1;
    }
}

std::int64_t File::Size() const {
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        Throw("Cannot read file", m_path, errno);
    return S_ISREG(st.st_mode) ? static_cast<std::int64_t>(st.st_size) : 0;
}

std::int64_t File::Seek(std::int64_t offset, int whence) {
    const off_t pos = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (pos < 0)
        Throw("Cannot seek in file", m_path, errno);
    return pos;
}

std::size_t File::Read(void* buffer, std::size_t count) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            Throw("Cannot read file", m_path, errno);
    }
}

void File::WriteAll(const void* buffer, std::size_t count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t n = ::write(m_fd, p, count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Throw("Cannot write file", m_path, errno);
        }
        p += n;
        count -= static_cast<std::size_t>(n);
    }
}

FileTimes File::Times() const {
    struct statx stx {};
    if (::statx(m_fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &stx) == 0) {
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
        Throw("Cannot read file", m_path, errno);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        Throw("Cannot read file", m_path, errno);
    FileTimes times;
    times.lastWrite = TimespecToFileTime(st.st_mtim);
    times.lastAccess = TimespecToFileTime(st.st_atim);
    times.creation = times.lastWrite;
    return times;
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
    return ::futimens(m_fd, ts) == 0;
}

} // namespace vdx::os
