#pragma once
// The drop target of one file-system folder of the namespace: which effect
// a drag over it would have, and the transfer when the data is dropped.
// The caller decodes the data object into paths (shell_data.h).

#include "platform/shell/file_transfer.h"
#include "platform/shell/hresult.h"
#include "platform/shell/idlist.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vdx::shell {

struct DropData {
    std::vector<std::string> Paths; // absolute
    bool FromIdListArray = false;
};

class DropTarget {
public:
    explicit DropTarget(std::string folderPath);

    // effect: in, the effects the source allows; out, the one a drop would
    // have now (DefaultDropEffect), 0 when the data names no path, the
    // folder cannot be written, or a path is the folder or above it.
    HRESULT DragEnter(const DropData& data, std::uint32_t keyState, std::uint32_t& effect);
    // The same for the data of the last DragEnter.
    HRESULT DragOver(std::uint32_t keyState, std::uint32_t& effect);
    HRESULT DragLeave();
    // Transfers the paths (a right-button drop asks ui.AskDropKind first);
    // effect out is what was done, 0 when nothing was (cancelled, refused,
    // all skipped or failed). S_OK also then: what went wrong was told.
    HRESULT Drop(const DropData& data, std::uint32_t keyState, std::uint32_t& effect, ShellUi& ui);

    const std::string& FolderPath() const noexcept { return m_folder; }

private:
    std::uint32_t Effect(std::uint32_t keyState, std::uint32_t allowed) const;

    std::string m_folder;
    DropData m_data;
};

using DropTargetPtr = std::shared_ptr<DropTarget>;

// The drop target of an absolute list whose file-system path is a folder
// (the empty list: the desktop's folder); E_FAIL for files and virtual
// items.
HRESULT GetDropTargetOf(const IdList& absoluteItem, DropTargetPtr& target);

} // namespace vdx::shell
