#include "ftpengine/VdxFtpEvents.h"

#include <array>
#include <cstddef>

namespace vdx {

namespace {

constexpr std::array<std::string_view, 11> kLabels = {"Started", "Stopped", "MkDir  ", "RmDir  ",
                                                      "Error  ", "Login  ", "Read   ", "Write  ",
                                                      "Delete ", "Dirlist", "RootDir"};

} // namespace

std::string_view FtpEventLabel(TFtpEventKind kind) {
    return kLabels.at(static_cast<std::size_t>(kind));
}

bool IsNonExistentRoot(std::string_view root) {
    return root == kNoSuchRoot || root == kNoSuchRoot.substr(0, kNoSuchRoot.size() - 1);
}

} // namespace vdx
