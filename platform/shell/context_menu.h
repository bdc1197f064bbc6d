#pragma once
// The context menu of namespace items of one folder, in the role of the
// platform's IContextMenu: the commands it offers (by offset from the first
// command identifier the caller chose), their verbs and help texts, and
// carrying one out. Which commands there are follows from the attributes;
// a menu of several items has those all of them have, "newfolder",
// "paste" and "rename" only for one:
//
//   0  "open"        items with a file-system path (each is opened)
//   2  "newfolder"   folders that can be written to
//   24 "cut"         items with a path that can be moved: to the clipboard
//   25 "copy"        items with a path that can be copied: to the clipboard
//   26 "paste"       folders that can be written to: the clipboard's files
//                    copied in, or moved in when they were cut
//   17 "delete"      items that can be deleted: to the trash, after a yes
//   18 "rename"      with CMF_CANRENAME, items that can be renamed; the
//                    caller renames in place, Invoke does nothing
//   19 "properties"  every item: a read-only box (of the first one)

#include "platform/shell/hresult.h"
#include "platform/shell/idlist.h"
#include "platform/shell/shell_ui.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vdx::shell {

// Query flags (CMF_).
inline constexpr std::uint32_t CMF_NORMAL = 0x0;
inline constexpr std::uint32_t CMF_EXPLORE = 0x4;
inline constexpr std::uint32_t CMF_CANRENAME = 0x10;

inline constexpr unsigned kCommandOpen = 0;
inline constexpr unsigned kCommandNewFolder = 2;
inline constexpr unsigned kCommandDelete = 17;
inline constexpr unsigned kCommandRename = 18;
inline constexpr unsigned kCommandProperties = 19;
inline constexpr unsigned kCommandCut = 24;
inline constexpr unsigned kCommandCopy = 25;
inline constexpr unsigned kCommandPaste = 26;

struct ContextMenuCommand {
    unsigned Offset = 0;
    std::string Verb;
    std::string Caption; // with its accelerator mark
    bool Default = false;
};

// One item of a menu.
struct ContextMenuItem {
    ItemProperties Properties;
    bool Folder = false;
    IdList Relative; // to the menu's folder; empty when not known
};

class ContextMenu {
public:
    // The menu of one item at path ("" for a virtual one) with these facts.
    ContextMenu(ItemProperties item, bool folder);
    // The menu of items (at least one) of the folder whose absolute list
    // is parent.
    ContextMenu(IdList parent, std::vector<ContextMenuItem> items);

    // The commands for flags, in menu order (QueryContextMenu).
    std::vector<ContextMenuCommand> Commands(std::uint32_t flags) const;
    // The verb of a command the item has (GCS_VERBA); nullopt for others.
    std::optional<std::string> Verb(unsigned offset) const;
    // Its help text (GCS_HELPTEXTA); nullopt for others.
    std::optional<std::string> HelpText(unsigned offset) const;
    // Carries the command out. S_OK when done, S_FALSE when the user said
    // no, E_INVALIDARG for a command the item has not, else the failure
    // (already shown to the user).
    HRESULT Invoke(unsigned offset, ShellUi& ui) const;

    // The first item.
    const ItemProperties& Item() const noexcept { return m_items.front().Properties; }
    bool Folder() const noexcept { return m_items.front().Folder; }
    const std::vector<ContextMenuItem>& Items() const noexcept { return m_items; }
    const IdList& Parent() const noexcept { return m_parent; }

private:
    bool Has(unsigned offset, std::uint32_t flags) const;
    bool All(std::uint32_t attributes) const;
    HRESULT Delete(ShellUi& ui) const;
    HRESULT ToClipboard(ShellUi& ui, bool cut) const;
    HRESULT Paste(ShellUi& ui) const;

    IdList m_parent;
    std::vector<ContextMenuItem> m_items;
};

} // namespace vdx::shell
