#pragma once
// The Send To entries of the shell context menus: the folders (and links to
// folders) in the user's Send To folder, offered in a submenu that is
// filled as it opens; choosing one copies the item into that folder.

#include "controls/shell/FcShellUtils.h"
#include "platform/gui/shell_menu.h"
#include "platform/shell/context_menu.h"

#include <string>
#include <vector>

class QMimeData;
class QWidget;

namespace vdx {

// The entry names, sorted, each once.
class TFcSendToList {
public:
    // Reads the Send To folder again: its folders and links to folders,
    // hidden ones left out. An unreadable folder gives no entries.
    void Fill();
    const std::vector<std::string>& Names() const noexcept { return m_names; }

private:
    std::vector<std::string> m_names;
};

// The one list of the process.
TFcSendToList& SendToList();

// The context menu's "Send To" submenu as it stands until it opens: one
// grayed placeholder.
gui::TShellMenuEntry SendToMenuEntry();
// Fills popup when it is only the grayed placeholder: the list is read
// again and each entry gets id index + 1. Any other popup, or no menu,
// stays as it is; faults leave the popup as it was.
void HandleContextInitMenuPopup(std::vector<gui::TShellMenuEntry>& popup,
                                const shell::ContextMenu* menu, TFcSendToList& list);
// Copies data's items into the Send To entry name through its drop target,
// boxes owned by owner; the drop's result. Throws EOleSysError when the
// entry has no drop target or data cannot be read.
HRESULT DropOnSendToEntry(const std::string& name, const QMimeData& data, QWidget* owner);

} // namespace vdx
