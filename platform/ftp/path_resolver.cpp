#include "platform/ftp/path_resolver.h"

#include "platform/ftp/limits.h"

#include <vector>

namespace vdx::ftp {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool HoldsForbiddenByte(std::string_view s) {
    return s.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos;
}

// Applies the components of path to the stack of folder names.
void Walk(std::string_view path, std::vector<std::string_view>& stack) {
    std::size_t pos = 0;
    while (pos < path.size()) {
        while (pos < path.size() && IsSeparator(path[pos]))
            ++pos;
        std::size_t end = pos;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        const std::string_view part = path.substr(pos, end - pos);
        pos = end;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!stack.empty())
                stack.pop_back();
            continue;
        }
        stack.push_back(part);
    }
}

} // namespace

std::optional<std::string> ResolveFtpPath(std::string_view cwd, std::string_view arg) {
    if (HoldsForbiddenByte(cwd) || HoldsForbiddenByte(arg))
        return std::nullopt;

    std::vector<std::string_view> stack;
    if (arg.empty() || !IsSeparator(arg.front()))
        Walk(cwd, stack);
    Walk(arg, stack);

    std::string result;
    for (std::string_view part : stack) {
        result += '/';
        result += part;
        if (result.size() > kMaxFtpPath)
            return std::nullopt;
    }
    if (result.empty())
        result.push_back('/');
    return result;
}

} // namespace vdx::ftp
