#include "platform/shell/context_menu.h"

#include "platform/shell/file_transfer.h"
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

// In menu order.
constexpr std::array<CommandInfo, 8> kCommands = {{
    {kCommandOpen, "open", "&Open", "Opens the selected items."},
    {kCommandNewFolder, "newfolder", "New &Folder", "Creates a new, empty folder."},
    {kCommandCut, "cut", "Cu&t", "Removes the selected items and copies them onto the Clipboard."},
    {kCommandCopy, "copy", "&Copy", "Copies the selected items to the Clipboard."},
    {kCommandPaste, "paste", "&Paste", "Inserts the items you have copied or cut."},
    {kCommandDelete, "delete", "&Delete", "Moves the selected items to the Trash."},
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
    : m_items{{std::move(item), folder, IdList()}} {}

ContextMenu::ContextMenu(IdList parent, std::vector<ContextMenuItem> items)
    : m_parent(std::move(parent)), m_items(std::move(items)) {}

bool ContextMenu::All(std::uint32_t attributes) const {
    for (const ContextMenuItem& i : m_items)
        if ((i.Properties.Attributes & attributes) != attributes || i.Properties.Path.empty())
            return false;
    return true;
}

bool ContextMenu::Has(unsigned offset, std::uint32_t flags) const {
    if (m_items.empty())
        return false;
    const bool one = m_items.size() == 1;
    const ItemProperties& first = Item();
    const bool writableFolder = one && Folder() && !first.Path.empty() &&
                                (first.Attributes & SFGAO_FILESYSTEM) &&
                                ::access(first.Path.c_str(), W_OK) == 0;
    switch (offset) {
    case kCommandOpen:
        return All(0);
    case kCommandNewFolder:
    case kCommandPaste:
        return writableFolder;
    case kCommandCut:
        return All(SFGAO_CANMOVE);
    case kCommandCopy:
        return All(SFGAO_CANCOPY);
    case kCommandDelete: {
        for (const ContextMenuItem& i : m_items)
            if (!(i.Properties.Attributes & SFGAO_CANDELETE))
                return false;
        return true;
    }
    case kCommandRename:
        return one && (flags & CMF_CANRENAME) && (first.Attributes & SFGAO_CANRENAME);
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
    case kCommandOpen: {
        HRESULT result = S_OK;
        for (const ContextMenuItem& i : m_items)
            if (!ui.Open(i.Properties.Path))
                result = E_FAIL;
        return result;
    }
    case kCommandNewFolder: {
        const NewFolderResult made = CreateFolderWithFreeName(
            Item().Path,
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
    case kCommandCut:
    case kCommandCopy:
        return ToClipboard(ui, offset == kCommandCut);
    case kCommandPaste:
        return Paste(ui);
    case kCommandDelete:
        return Delete(ui);
    case kCommandRename:
        return S_FALSE; // renamed in place by the caller
    case kCommandProperties:
        ui.ShowProperties(Item());
        return S_OK;
    default:
        return E_INVALIDARG;
    }
}

HRESULT ContextMenu::Delete(ShellUi& ui) const {
    const bool asked = m_items.size() == 1 ? ui.ConfirmTrash(Item().Name, Folder())
                                           : ui.ConfirmTrashItems(m_items.size());
    if (!asked)
        return S_FALSE;
    // Stops at the first item no trash takes: the rest stay where they are.
    for (const ContextMenuItem& i : m_items) {
        if (const int error = MoveToTrash(i.Properties.Path); error != 0) {
            ui.TrashFailed(i.Properties.Name, error);
            return HResultFromErrno(error);
        }
    }
    return S_OK;
}

HRESULT ContextMenu::ToClipboard(ShellUi& ui, bool cut) const {
    std::vector<std::string> paths;
    std::vector<IdList> lists;
    for (const ContextMenuItem& i : m_items) {
        paths.push_back(i.Properties.Path);
        if (!i.Relative.Empty())
            lists.push_back(i.Relative);
    }
    if (lists.size() != m_items.size()) // the lists go all or none
        lists.clear();
    ui.SetClipboardFiles(m_parent, lists, paths, cut);
    return S_OK;
}

HRESULT ContextMenu::Paste(ShellUi& ui) const {
    const auto files = ui.ClipboardFiles();
    if (!files || files->second.empty())
        return S_FALSE;
    const bool cut = files->first;
    const TransferOutcome outcome = TransferIntoFolder(
        files->second, Item().Path, cut ? TransferKind::Move : TransferKind::Copy, ui);
    if (cut && !outcome.Done.empty())
        ui.ClearClipboardFiles(); // what was cut is gone from where it named
    if (outcome.Cancelled)
        return E_ABORT;
    if (!outcome.Failed.empty())
        return HResultFromErrno(outcome.Failed.front().second);
    return outcome.Done.empty() ? S_FALSE : S_OK;
}

} // namespace vdx::shell
