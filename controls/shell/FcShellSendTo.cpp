#include "controls/shell/FcShellSendTo.h"

#include "controls/shell/FcShellDragDrop.h"
#include "controls/shell/FcShellHelpers.h"
#include "platform/gui/shell_boxes.h"
#include "platform/shell/drop_target.h"
#include "platform/shell/file_transfer.h"
#include "platform/shell/special_folders.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

namespace vdx {

void TFcSendToList::Fill() {
    m_names.clear();
    const std::string folder = shell::SpecialFolderPath(shell::CSIDL_SENDTO);
    if (folder.empty())
        return;
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code kind;
        if (name.empty() || name.front() == '.' || !fs::is_directory(it->path(), kind))
            continue;
        m_names.push_back(std::move(name));
    }
    std::sort(m_names.begin(), m_names.end());
    m_names.erase(std::unique(m_names.begin(), m_names.end()), m_names.end());
}

TFcSendToList& SendToList() {
    static TFcSendToList list;
    return list;
}

gui::TShellMenuEntry SendToMenuEntry() {
    gui::TShellMenuEntry sendTo;
    sendTo.Caption = "Se&nd To";
    gui::TShellMenuEntry placeholder;
    placeholder.Caption = "(empty)";
    placeholder.Enabled = false;
    sendTo.SubMenu.push_back(std::move(placeholder));
    return sendTo;
}

void HandleContextInitMenuPopup(std::vector<gui::TShellMenuEntry>& popup,
                                const shell::ContextMenu* menu, TFcSendToList& list) {
    if (!menu || popup.size() != 1 || popup.front().Enabled)
        return;
    try {
        list.Fill();
        std::vector<gui::TShellMenuEntry> entries;
        for (std::size_t i = 0; i < list.Names().size(); ++i) {
            gui::TShellMenuEntry e;
            e.Id = static_cast<int>(i) + 1;
            e.Caption = list.Names()[i];
            e.FileName = true;
            entries.push_back(std::move(e));
        }
        if (!entries.empty())
            popup = std::move(entries);
    } catch (const std::exception&) {
        // The menu opens as it was.
    }
}

HRESULT DropOnSendToEntry(const std::string& name, const QMimeData& data, QWidget* owner) {
    std::optional<IdList> entry;
    OleCheck(ParsePathToIdList(shell::SpecialFolderPath(shell::CSIDL_SENDTO) + name, entry));
    shell::DropTargetPtr target;
    OleCheck(shell::GetDropTargetOf(*entry, target));
    const std::optional<shell::DropData> drop = DecodeDropData(data);
    if (!drop)
        OleCheck(shell::E_INVALIDARG);
    std::uint32_t effect = shell::DROPEFFECT_COPY;
    target->DragEnter(*drop, shell::MK_LBUTTON, effect);
    target->DragOver(shell::MK_LBUTTON, effect);
    const TFcHourglass hourglass;
    gui::TShellBoxes ui(owner);
    return target->Drop(*drop, shell::MK_LBUTTON, effect, ui);
}

} // namespace vdx
