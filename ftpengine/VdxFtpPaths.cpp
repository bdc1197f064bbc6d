#include "ftpengine/VdxFtpPaths.h"

#include "ftpengine/VdxFtpEvents.h"
#include "platform/os/ascii.h"
#include "platform/os/file_error.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

namespace vdx {

std::string NormalizePath(std::string_view path) {
    std::string slashed(path);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::string result;
    result.reserve(slashed.size());
    for (std::size_t i = 0; i < slashed.size(); ++i) {
        result += slashed[i];
        if (slashed[i] == '/' && i + 1 < slashed.size() && slashed[i + 1] == '/')
            ++i;
    }
    return result;
}

std::string StripTrailingDelimiters(std::string_view path) {
    while (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        path.remove_suffix(1);
    return std::string(path);
}

std::string FlattenPath(std::string_view path) {
    std::string flat;
    flat.reserve(path.size());
    for (const char c : path)
        if (c != '/' && c != '\\')
            flat += os::AsciiLower(c);
    return flat;
}

std::optional<os::RootedPath> DiskPath(const std::string& root, std::string_view ftpPath) {
    if (IsNonExistentRoot(root) || ftpPath.find('\0') != std::string_view::npos)
        return std::nullopt;
    for (std::size_t pos = 0; pos <= ftpPath.size();) {
        std::size_t end = ftpPath.find_first_of("/\\", pos);
        if (end == std::string_view::npos)
            end = ftpPath.size();
        if (ftpPath.substr(pos, end - pos) == "..")
            return std::nullopt;
        pos = end + 1;
    }
    std::string path = NormalizePath(ftpPath);
    path.erase(
        std::unique(path.begin(), path.end(), [](char a, char b) { return a == '/' && b == '/'; }),
        path.end());
    return os::RootedPath{root.empty() ? std::string(1, '/') : root, std::move(path)};
}

os::TDateTime FileTimeToDateTime(os::FileTime fileTime) {
    const auto dos = os::FileTimeToDosDateTime(fileTime);
    if (!dos)
        throw os::FileError(os::SysErrorMessage(EINVAL), EINVAL);
    return os::DosDateTimeToDateTime(*dos);
}

os::TDateTime ClampedFileTimeToDateTime(os::FileTime fileTime) {
    return os::DosDateTimeToDateTime(os::ClampedDosDateTime(fileTime));
}

os::FileTime DateTimeToFileTime(os::TDateTime value) {
    const std::uint32_t dos = os::DateTimeToDosDateTime(value);
    return dos == 0 ? 0 : os::DosDateTimeToFileTime(dos);
}

} // namespace vdx
