#include "platform/os/read_file.h"

#include "platform/os/file_error.h"
#include "platform/os/unique_fd.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::os {

namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
    throw FileError(std::string(what) + " \"" + path + "\". " + SysErrorMessage(error), error);
}

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        Fail("Cannot open file", path, errno);
    }
    const UniqueFd closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        Fail("Cannot open file", path, errno);
    if (S_ISDIR(st.st_mode))
        return std::nullopt;
    if (!S_ISREG(st.st_mode))
        Fail("Cannot open file", path, EACCES);
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes)
        Fail("Cannot read file", path, EFBIG);

    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail("Cannot read file", path, errno);
        }
        if (n == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(n));
        if (data.size() > maxBytes) // grown while we read
            Fail("Cannot read file", path, EFBIG);
    }
    return data;
}

} // namespace vdx::os
