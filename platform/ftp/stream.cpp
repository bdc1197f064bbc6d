#include "platform/ftp/stream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

void TFileStream::SetSize(std::int64_t size) {
    if (::ftruncate(m_file.Fd(), size) != 0) {
        const int error = errno;
        throw vdx::os::FileError(vdx::os::SysErrorMessage(error), error);
    }
}

} // namespace vdx::ftp
