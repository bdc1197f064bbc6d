#pragma once
// The context menu of one namespace item, in the role of the platform's
// IContextMenu: the commands it offers (by offset from the first command
// identifier the caller chose), their verbs and help texts, and carrying
// one out. Which commands an item has follows from its attributes:
//
//   0  "open"        items with a file-system path
//   2  "newfolder"   folders that can be written to
//   17 "delete"      items that can be deleted: to the trash, after a yes
//   18 "rename"      with CMF_CANRENAME, items that can be renamed; the
//                    caller renames in place, Invoke does nothing
//   19 "properties"  every item: a read-only box

#include "platform/shell/hresult.h"
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

struct ContextMenuCommand {
    unsigned Offset = 0;
    std::string Verb;
    std::string Caption; // with its accelerator mark
    bool Default = false;
};

class ContextMenu {
public:
    // The menu of the item at path ("" for a virtual one) with these facts.
    ContextMenu(ItemProperties item, bool folder);

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

    const ItemProperties& Item() const noexcept { return m_item; }

private:
    bool Has(unsigned offset, std::uint32_t flags) const;

    ItemProperties m_item;
    bool m_folder;
};

} // namespace vdx::shell
