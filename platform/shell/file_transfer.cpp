#include "platform/shell/file_transfer.h"

namespace vdx::shell {

TransferOutcome TransferIntoFolder(std::span<const std::string>, const std::string&, TransferKind,
                                   ShellUi&, TransferPacing) {
    return {};
}

std::uint32_t DefaultDropEffect(std::uint32_t, std::uint32_t, bool) {
    return DROPEFFECT_NONE;
}

bool SameFileSystem(const std::string&, const std::string&) {
    return false;
}

} // namespace vdx::shell
