#pragma once
// What the namespace's commands ask and tell the user. The namespace has no
// windows: a control hands in an implementation (platform/gui has the one
// the programs use, on message boxes). Names are raw bytes.

#include "platform/os/datetime.h"
#include "platform/shell/idlist.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vdx::shell {

// What the properties box shows of one item.
struct ItemProperties {
    std::string Name;             // display name
    std::string Path;             // "" for a virtual folder
    std::string Kind;             // "Folder", "File", "Volume", "System Folder"
    std::uint64_t Size = 0;       // files only
    os::FileTime LastWrite = 0;   // 0 when unknown
    std::uint32_t Attributes = 0; // SFGAO_
    std::string LinkTarget;       // for a symbolic link
};

class ShellUi {
public:
    virtual ~ShellUi() = default;
    // Whether the item may go to the trash (a yes/no question).
    virtual bool ConfirmTrash(const std::string& name, bool folder) = 0;
    // The same for several items at once (count of them).
    virtual bool ConfirmTrashItems(std::size_t count) = 0;
    // No trash took the item (error: errno); nothing was moved.
    virtual void TrashFailed(const std::string& name, int error) = 0;
    // A folder could not be made (error: errno).
    virtual void CreateFolderFailed(const std::string& name, int error) = 0;
    // Opens path with the desktop's program for it; false when that failed.
    virtual bool Open(const std::string& path) = 0;
    // The read-only properties box.
    virtual void ShowProperties(const ItemProperties& properties) = 0;

    // A transfer's progress (bytes copied of total, the item at work);
    // false cancels it.
    virtual bool TransferProgress(std::uint64_t done, std::uint64_t total,
                                  const std::string& name) = 0;
    // One box naming the items not transferred because their names were
    // taken (nothing was overwritten).
    virtual void TransferSkipped(const std::vector<std::string>& names) = 0;
    // One box naming the items that failed, each with its errno.
    virtual void TransferFailed(const std::vector<std::pair<std::string, int>>& failures) = 0;
    // What a right-button drop does: one DROPEFFECT_ bit of allowed (a menu
    // of Copy Here, Move Here, Create Link Here and Cancel), 0 for Cancel.
    virtual std::uint32_t AskDropKind(std::uint32_t allowed) = 0;

    // Puts items on the clipboard: as an item-ID list array of parent and
    // items (the relative lists; none when not known), as URIs of paths,
    // and marked as cut or copied.
    virtual void SetClipboardFiles(const IdList& parent, std::span<const IdList> items,
                                   const std::vector<std::string>& paths, bool cut) = 0;
    // The files on the clipboard and whether they were cut; nullopt when it
    // holds none.
    virtual std::optional<std::pair<bool, std::vector<std::string>>> ClipboardFiles() = 0;
    // Empties the clipboard (cut files were pasted).
    virtual void ClearClipboardFiles() = 0;
};

} // namespace vdx::shell
