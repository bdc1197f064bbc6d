#include "platform/os/read_file.h"

#include "platform/os/file_error.h"
#include "platform/os/unique_fd.h"
#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vdx::os {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
    throw FileError(std::string(what) + " \"" + path + "\". " + SysErrorMessage(error), error);
}

// The bytes of the file at path, read through file, which stays open; before is the file's
// version as the read began.
std::optional<std::string> Read(const std::string& path, std::size_t maxBytes,
                                const std::string& shownName, UniqueFd& file,
                                FileIdentity& before) {
    file.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    const int fd = file.Get();
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        Fail("Cannot open file", shownName, errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        Fail("Cannot open file", shownName, errno);
    if (S_ISDIR(st.st_mode))
        return std::nullopt;
    if (!S_ISREG(st.st_mode))
        Fail("Cannot open file", shownName, EACCES);
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        Fail("Cannot read file", shownName, EFBIG);
    before = detail::IdentityOf(st);

    std::string data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot read file", shownName, errno);
        }
        if (n == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > maxBytes) // grown while we read
            Fail("Cannot read file", shownName, EFBIG);
    }
    return data;
}

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    UniqueFd file;
    FileIdentity before;
    return Read(path, maxBytes, path, file, before);
}

std::optional<FileIdentity> StatFileVersion(const std::string& path, const std::string& shownName) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        Fail("Cannot open file", shownName, errno);
    }
    if (S_ISDIR(st.st_mode))
        return std::nullopt;
    return detail::IdentityOf(st);
}

std::optional<VersionedBytes> ReadFileBytesVersioned(const std::string& path, std::size_t maxBytes,
                                                     const std::string& shownName) {
    UniqueFd file;
    FileIdentity before;
    std::optional<std::string> bytes = Read(path, maxBytes, shownName, file, before);
    if (!bytes)
        return std::nullopt;
    VersionedBytes result{std::move(*bytes), std::nullopt};
    struct stat st {};
    if (::fstat(file.Get(), &st) == 0 && detail::IdentityOf(st) == before)
        result.Version = before;
    return result;
}

} // namespace vdx::os
