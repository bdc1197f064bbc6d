#include "platform/os/paths.h"

#include <climits>
#include <unistd.h>

namespace vdx::os {

std::string ProgramPath() {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buf)
        return {};
    return std::string(buf, static_cast<std::size_t>(n));
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
    std::string result(path);
    if (result.empty() || result.back() != kPathDelim)
        result += kPathDelim;
    return result;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() == kPathDelim)
        result.pop_back();
    return result;
}

std::string ExtractFilePath(std::string_view path) {
    const auto pos = path.rfind(kPathDelim);
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

std::string ExtractFileName(std::string_view path) {
    const auto pos = path.rfind(kPathDelim);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ExtractFileExt(std::string_view path) {
    const std::string name = ExtractFileName(path);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::string name = ExtractFileName(path);
    const auto dot = name.rfind('.');
    std::string stem(path.substr(0, path.size() - name.size()));
    stem += dot == std::string::npos ? name : name.substr(0, dot);
    stem += ext;
    return stem;
}

} // namespace vdx::os
