#include "platform/shell/drop_target.h"

#include "platform/shell/shell_folder.h"

#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace vdx::shell {

namespace {

constexpr std::uint32_t kTransferEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

std::string Canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// Whether folder is path or lies below it.
bool InsideOf(const std::string& folder, const std::string& path) {
    std::string p = Canonical(path);
    if (p.empty())
        return false;
    if (p == "/")
        return true;
    return folder == p || folder.starts_with(p + "/");
}

} // namespace

DropTarget::DropTarget(std::string folderPath) : m_folder(std::move(folderPath)) {}

std::uint32_t DropTarget::Effect(std::uint32_t keyState, std::uint32_t allowed) const {
    allowed &= kTransferEffects;
    if (m_data.Paths.empty() || allowed == 0)
        return DROPEFFECT_NONE;
    struct stat st {};
    if (::stat(m_folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        ::access(m_folder.c_str(), W_OK | X_OK) != 0)
        return DROPEFFECT_NONE;
    const std::string folder = Canonical(m_folder);
    for (const std::string& p : m_data.Paths) {
        struct stat item {};
        // A folder (not a link to one) cannot go into itself or below itself.
        if (::lstat(p.c_str(), &item) == 0 && S_ISDIR(item.st_mode) && InsideOf(folder, p))
            return DROPEFFECT_NONE;
    }
    return DefaultDropEffect(keyState, allowed, SameFileSystem(m_data.Paths.front(), m_folder));
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

HRESULT DropTarget::Drop(const DropData& data, std::uint32_t keyState, std::uint32_t& effect,
                         ShellUi& ui) {
    m_data = data;
    const std::uint32_t allowed = effect & kTransferEffects;
    std::uint32_t chosen = Effect(keyState, allowed);
    if (chosen != DROPEFFECT_NONE && (keyState & MK_RBUTTON))
        chosen = ui.AskDropKind(allowed) & allowed;
    effect = DROPEFFECT_NONE;
    if (chosen != DROPEFFECT_NONE) {
        const TransferKind kind = chosen == DROPEFFECT_LINK   ? TransferKind::Link
                                  : chosen == DROPEFFECT_MOVE ? TransferKind::Move
                                                              : TransferKind::Copy;
        const TransferOutcome outcome = TransferIntoFolder(m_data.Paths, m_folder, kind, ui);
        if (!outcome.Done.empty())
            effect = chosen;
    }
    m_data = {};
    return S_OK;
}

HRESULT GetDropTargetOf(const IdList& absoluteItem, DropTargetPtr& target) {
    target.reset();
    const std::string path = PathOfIdList(absoluteItem);
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return E_FAIL;
    target = std::make_shared<DropTarget>(path);
    return S_OK;
}

} // namespace vdx::shell
