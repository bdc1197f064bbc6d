#include "controls/shell/FcShellPathText.h"

namespace vdx {

std::string DropFirstFolder(std::string_view dir) {
    if (dir == "/")
        return {};
    const bool leading = dir.starts_with('/');
    if (leading)
        dir.remove_prefix(1);
    // Only an ellipsis put in before goes as a whole: on Linux a folder
    // name may itself begin with ".".
    if (dir.starts_with(".../"))
        dir.remove_prefix(4);
    std::string result;
    const std::size_t slash = dir.find('/');
    if (slash != std::string_view::npos)
        result = ".../" + std::string(dir.substr(slash + 1));
    return leading ? "/" + result : result;
}

std::string ShortenPathToWidth(const std::string& path, int maxWidth,
                               const std::function<int(std::string_view)>& width) {
    std::string result = path;
    const std::size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    while (!dir.empty() && width(result) > maxWidth) {
        if (dir == "/.../")
            dir = ".../";
        else
            dir = DropFirstFolder(dir);
        result = dir + name;
    }
    return result;
}

std::string ShortenPathToWidth(const std::string& path, const gui::TCanvas& canvas, int maxWidth) {
    return ShortenPathToWidth(path, maxWidth,
                              [&canvas](std::string_view text) { return canvas.TextWidth(text); });
}

} // namespace vdx
