// Whole-record appends with O_APPEND, cut back when the disk runs full.

#include "platform/os/append_file.h"

#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::os {

namespace {

bool Fail(int error) {
    errno = error;
    return false;
}

// Whether the last byte of the file is something other than LF (false when it
// cannot be read).
bool EndsInsideALine(int fd, off_t size) {
    char last = '\n';
    return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n';
}

} // namespace

bool AppendRecord(const std::string& path, std::string_view record) {
    return AppendFile(path).Append(record);
}

bool AppendFile::Open(struct stat& st) {
    m_fd.Reset();
    const auto resolved = detail::DiskPath(m_path);
    if (!resolved)
        return false;
    // Read access only to look at the last byte. O_NONBLOCK: a FIFO in the
    // log's place must not hold the writer.
    constexpr int kFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int raw = ::open(resolved->c_str(), O_RDWR | kFlags, 0666);
    if (raw < 0 && errno == EACCES)
        raw = ::open(resolved->c_str(), O_WRONLY | kFlags, 0666);
    UniqueFd fd(raw);
    if (fd.Get() < 0)
        return false;
    if (::fstat(fd.Get(), &st) != 0)
        return false;
    if (!S_ISREG(st.st_mode))
        return Fail(EACCES);
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return false;
    m_fd = std::move(fd);
    m_device = st.st_dev;
    m_inode = st.st_ino;
    return true;
}

bool AppendFile::Append(std::string_view record) {
    // The name as open() would follow it, links and all: the file held is
    // used while the name still stands for it. A name missing in this case
    // (found only without regard to case) is opened again every time.
    struct stat st {};
    const bool held =
        m_fd && ::stat(m_path.c_str(), &st) == 0 && st.st_dev == m_device && st.st_ino == m_inode;
    if (!held && !Open(st))
        return false;
    if ((st.st_mode & S_IWUSR) == 0)
        return Fail(EACCES); // the read-only attribute holds for every user

    std::string bytes;
    if (EndsInsideALine(m_fd.Get(), st.st_size))
        bytes = "\r\n";
    bytes += record;
    if (bytes.empty())
        return true;
    off_t start = -1; // where the record began, once a write fell short
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n == 0 ? ENOSPC : errno;
            // Whole or not at all, so the next record never follows half of this one.
            if (start >= 0)
                (void)::ftruncate(m_fd.Get(), start);
            return Fail(error);
        }
        if (done == 0 && static_cast<std::size_t>(n) < bytes.size())
            start = ::lseek(m_fd.Get(), 0, SEEK_CUR) - n; // O_APPEND put it at the end
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace vdx::os
