#pragma once
// The byte streams that store, retrieve and checksum events hand to the FTP component. The FTP
// component owns the stream it is given and frees it when the transfer ends.

#include "platform/os/winfile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vdx::ftp {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    // Up to count bytes at the position; 0 at the end. Throws on a read error.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // All count bytes at the position, or throws (disk full ...).
    virtual void Write(const void* buffer, std::size_t count) = 0;
    // The new position. Throws when the stream cannot seek there.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size() = 0;
    // Cuts or extends the stream to size bytes. Throws when the stream cannot.
    virtual void SetSize(std::int64_t size) = 0;
    // The file descriptor behind the stream when it is a plain file the FTP component may read with
    // sendfile from the current position (the FTP component keeps the position in step), else -1.
    virtual int Handle() const { return -1; }
    // Moves up to count bytes waiting in the pipe pipeFd into the stream at its position without
    // copying them through memory; returns how many, 0 when the stream cannot take bytes that way
    // (the bytes then stay in the pipe). Throws on a write error (disk full ...).
    virtual std::size_t SpliceFrom(int /*pipeFd*/, std::size_t /*count*/) { return 0; }

    std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
};

// A stream over bytes held in memory.
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : m_bytes(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return static_cast<std::int64_t>(m_bytes.size()); }
    void SetSize(std::int64_t size) override;

    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    std::size_t m_position = 0;
};

// A stream over an open file; it owns the file and closes it when freed.
class TFileStream final : public TStream {
public:
    explicit TFileStream(vdx::os::File file) : m_file(std::move(file)) {}

    std::size_t Read(void* buffer, std::size_t count) override {
        return m_file.Read(buffer, count);
    }
    void Write(const void* buffer, std::size_t count) override { m_file.WriteAll(buffer, count); }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override { return m_file.Size(); }
    void SetSize(std::int64_t size) override;
    int Handle() const override { return m_file.Fd(); }
    std::size_t SpliceFrom(int pipeFd, std::size_t count) override;

    vdx::os::File& File() { return m_file; }

private:
    vdx::os::File m_file;
    int m_spliceable = -1; // whether the file takes spliced bytes; -1 until first asked
};

} // namespace vdx::ftp
