#pragma once
// What the namespace's commands ask and tell the user. The namespace has no
// windows: a control hands in an implementation (platform/gui has the one
// the programs use, on message boxes). Names are raw bytes.

#include "platform/os/datetime.h"

#include <cstdint>
#include <string>

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
    // No trash took the item (error: errno); nothing was moved.
    virtual void TrashFailed(const std::string& name, int error) = 0;
    // A folder could not be made (error: errno).
    virtual void CreateFolderFailed(const std::string& name, int error) = 0;
    // Opens path with the desktop's program for it; false when that failed.
    virtual bool Open(const std::string& path) = 0;
    // The read-only properties box.
    virtual void ShowProperties(const ItemProperties& properties) = 0;
};

} // namespace vdx::shell
