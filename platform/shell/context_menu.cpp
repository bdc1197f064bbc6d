#include "platform/shell/context_menu.h"

#include "platform/shell/new_folder.h"
#include "platform/shell/shell_folder.h"
#include "platform/shell/trash.h"

#include <array>
#include <unistd.h>

namespace vdx::shell {

namespace {

struct CommandInfo {
    unsigned Offset;
    const char* Verb;
    const char* Caption;
    const char* Help;
};

constexpr std::array<CommandInfo, 5> kCommands = {{
    {kCommandOpen, "open", "&Open", "Opens the selected item."},
    {kCommandNewFolder, "newfolder", "New &Folder", "Creates a new, empty folder."},
    {kCommandDelete, "delete", "&Delete", "Moves the selected item to the Trash."},
    {kCommandRename, "rename", "Rena&me", "Renames the selected item."},
    {kCommandProperties, "properties", "P&roperties", "Shows the properties of the selected item."},
}};

const CommandInfo* Find(unsigned offset) {
    for (const CommandInfo& c : kCommands)
        if (c.Offset == offset)
            return &c;
    return nullptr;
}

} // namespace

ContextMenu::ContextMenu(ItemProperties item, bool folder)
    : m_item(std::move(item)), m_folder(folder) {}

bool ContextMenu::Has(unsigned offset, std::uint32_t flags) const {
    const std::uint32_t a = m_item.Attributes;
    switch (offset) {
    case kCommandOpen:
        return !m_item.Path.empty();
    case kCommandNewFolder:
        return m_folder && !m_item.Path.empty() && (a & SFGAO_FILESYSTEM) &&
               ::access(m_item.Path.c_str(), W_OK) == 0;
    case kCommandDelete:
        return (a & SFGAO_CANDELETE) != 0;
    case kCommandRename:
        return (flags & CMF_CANRENAME) && (a & SFGAO_CANRENAME);
    case kCommandProperties:
        return true;
    default:
        return false;
    }
}

std::vector<ContextMenuCommand> ContextMenu::Commands(std::uint32_t flags) const {
    std::vector<ContextMenuCommand> commands;
    for (const CommandInfo& c : kCommands)
        if (Has(c.Offset, flags))
            commands.push_back({c.Offset, c.Verb, c.Caption, c.Offset == kCommandOpen});
    return commands;
}

std::optional<std::string> ContextMenu::Verb(unsigned offset) const {
    const CommandInfo* c = Find(offset);
    if (!c || !Has(offset, CMF_CANRENAME))
        return std::nullopt;
    return c->Verb;
}

std::optional<std::string> ContextMenu::HelpText(unsigned offset) const {
    const CommandInfo* c = Find(offset);
    if (!c || !Has(offset, CMF_CANRENAME))
        return std::nullopt;
    return c->Help;
}

HRESULT ContextMenu::Invoke(unsigned offset, ShellUi& ui) const {
    if (!Has(offset, CMF_CANRENAME))
        return E_INVALIDARG;
    switch (offset) {
    case kCommandOpen:
        return ui.Open(m_item.Path) ? S_OK : E_FAIL;
    case kCommandNewFolder: {
        const NewFolderResult made = CreateFolderWithFreeName(
            m_item.Path,
            [](int n) {
                return n == 1 ? std::string("New Folder")
                              : "New Folder (" + std::to_string(n) + ")";
            },
            50);
        if (made.Created)
            return S_OK;
        ui.CreateFolderFailed(made.Name, made.Error);
        return HResultFromErrno(made.Error);
    }
    case kCommandDelete: {
        if (!ui.ConfirmTrash(m_item.Name, m_folder))
            return S_FALSE;
        const int error = MoveToTrash(m_item.Path);
        if (error == 0)
            return S_OK;
        ui.TrashFailed(m_item.Name, error);
        return HResultFromErrno(error);
    }
    case kCommandRename:
        return S_FALSE; // renamed in place by the caller
    case kCommandProperties:
        ui.ShowProperties(m_item);
        return S_OK;
    default:
        return E_INVALIDARG;
    }
}

} // namespace vdx::shell
