// Names matched without regard to case, as on a Windows file system.

#include "platform/os/winfile_internal.h"

#include <cerrno>
#include <optional>
#include <sys/stat.h>

namespace vdx::os {

namespace detail {

std::optional<std::string> DiskPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        errno = EINVAL;
        return std::nullopt;
    }
    return ResolveCase(path);
}

} // namespace detail

std::string ResolveCase(const std::string& path) {
    struct stat st {};
    if (path.empty() || path.find('\0') != std::string::npos || ::lstat(path.c_str(), &st) == 0)
        return path;

    std::string result;
    std::size_t pos = 0;
    if (path.front() == '/') {
        result = "/";
        pos = 1;
    }
    for (;;) {
        std::size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        const std::string component = path.substr(pos, end - pos);
        if (!component.empty()) {
            const std::string exact = result + component;
            if (::lstat(exact.c_str(), &st) == 0) {
                result = exact;
            } else {
                std::optional<std::string> found;
                if (errno == ENOENT)
                    found = detail::FindEntryIgnoringCase(result, component);
                if (!found)
                    return result + path.substr(pos); // the rest is new: keep it as given
                result += *found;
            }
        }
        if (end == path.size())
            return result;
        result += '/';
        pos = end + 1;
    }
}

} // namespace vdx::os
