#include "platform/ftp/stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace vdx::ftp {

namespace {

int Whence(TSeekOrigin origin) {
    switch (origin) {
    case TSeekOrigin::soBeginning:
        return SEEK_SET;
    case TSeekOrigin::soCurrent:
        return SEEK_CUR;
    case TSeekOrigin::soEnd:
        return SEEK_END;
    }
    return SEEK_SET;
}

} // namespace

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (m_position >= m_bytes.size())
        return 0;
    const std::size_t n = std::min(count, m_bytes.size() - m_position);
    std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (m_position + count > m_bytes.size())
        m_bytes.resize(m_position + count);
    std::memcpy(m_bytes.data() + m_position, buffer, count);
    m_position += count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent)
        base = static_cast<std::int64_t>(m_position);
    else if (origin == TSeekOrigin::soEnd)
        base = static_cast<std::int64_t>(m_bytes.size());
    const std::int64_t target = base + offset;
    if (target < 0)
        throw std::out_of_range("Stream seek before its start");
    m_position = static_cast<std::size_t>(target);
    return target;
}

void TMemoryStream::SetSize(std::int64_t size) {
    if (size < 0)
        throw std::out_of_range("Negative stream size");
    m_bytes.resize(static_cast<std::size_t>(size));
    m_position = std::min(m_position, m_bytes.size());
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    return m_file.Seek(offset, Whence(origin));
}

std::size_t TFileStream::SpliceFrom(int pipeFd, std::size_t count) {
    const int fd = m_file.Fd();
    if (m_spliceable < 0) {
        // An appending file takes no spliced bytes; it is written the usual way. Asked once:
        // an upload splices a megabyte at a time.
        const int flags = ::fcntl(fd, F_GETFL);
        m_spliceable = flags >= 0 && (flags & O_APPEND) == 0 ? 1 : 0;
    }
    if (m_spliceable == 0)
        return 0;
    for (;;) {
        const ssize_t n = ::splice(pipeFd, nullptr, fd, nullptr, count, SPLICE_F_MOVE);
        if (n > 0)
            return static_cast<std::size_t>(n);
        const int error = n == 0 ? EIO : errno;
        if (error == EINTR)
            continue;
        if (error == EINVAL || error == ENOSYS) {
            m_spliceable = 0;
            return 0; // a file system without splice
        }
        throw vdx::os::FileError(vdx::os::SysErrorMessage(error), error);
    }
}

void TFileStream::SetSize(std::int64_t size) {
    if (::ftruncate(m_file.Fd(), size) != 0) {
        const int error = errno;
        throw vdx::os::FileError(vdx::os::SysErrorMessage(error), error);
    }
}

} // namespace vdx::ftp
