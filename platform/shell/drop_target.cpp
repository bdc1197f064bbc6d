#include "platform/shell/drop_target.h"

namespace vdx::shell {

DropTarget::DropTarget(std::string folderPath) : m_folder(std::move(folderPath)) {}

std::uint32_t DropTarget::Effect(std::uint32_t, std::uint32_t) const {
    return DROPEFFECT_NONE;
}

HRESULT DropTarget::DragEnter(const DropData& data, std::uint32_t keyState, std::uint32_t& effect) {
    m_data = data;
    effect = Effect(keyState, effect);
    return S_OK;
}

HRESULT DropTarget::DragOver(std::uint32_t keyState, std::uint32_t& effect) {
    effect = Effect(keyState, effect);
    return S_OK;
}

HRESULT DropTarget::DragLeave() {
    m_data = {};
    return S_OK;
}

HRESULT DropTarget::Drop(const DropData&, std::uint32_t, std::uint32_t& effect, ShellUi&) {
    effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT GetDropTargetOf(const IdList&, DropTargetPtr& target) {
    target.reset();
    return E_FAIL;
}

} // namespace vdx::shell
