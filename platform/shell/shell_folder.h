#pragma once
// The folders of the shell namespace, in the roles of the platform's
// IShellFolder: enumerating, binding, comparing, attributes, display names,
// renaming and the items' context menu. Items are named by item-ID lists
// relative to the folder asked (idlist.h); folders are shared objects that
// hold no state the disk does not hold, so a folder can be asked again at
// any time.
//
//   desktop (empty list)
//     Computer            "/" and the volumes of the mount table (mounts.h)
//       volume            a file-system folder at the mount point
//         folder, file ...
//     Home                a file-system folder at $HOME
//
// The desktop's own path is the desktop folder (special_folders.h). Names
// are raw bytes: the normal, in-folder and editing names of a file-system
// item are its name as on disk; its parsing name is the full path; the
// parsing name of a root is "::{CLSID}".

#include "platform/shell/hresult.h"
#include "platform/shell/idlist.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::shell {

// Attributes of items (SFGAO_).
inline constexpr std::uint32_t SFGAO_CANCOPY = 0x00000001;
inline constexpr std::uint32_t SFGAO_CANMOVE = 0x00000002;
inline constexpr std::uint32_t SFGAO_CANLINK = 0x00000004;
inline constexpr std::uint32_t SFGAO_CANRENAME = 0x00000010;
inline constexpr std::uint32_t SFGAO_CANDELETE = 0x00000020;
inline constexpr std::uint32_t SFGAO_HASPROPSHEET = 0x00000040;
inline constexpr std::uint32_t SFGAO_DROPTARGET = 0x00000100;
inline constexpr std::uint32_t SFGAO_LINK = 0x00010000;
inline constexpr std::uint32_t SFGAO_SHARE = 0x00020000;
inline constexpr std::uint32_t SFGAO_READONLY = 0x00040000;
inline constexpr std::uint32_t SFGAO_HIDDEN = 0x00080000;
inline constexpr std::uint32_t SFGAO_STREAM = 0x00400000;
inline constexpr std::uint32_t SFGAO_VALIDATE = 0x01000000;
inline constexpr std::uint32_t SFGAO_REMOVABLE = 0x02000000;
inline constexpr std::uint32_t SFGAO_FILESYSANCESTOR = 0x10000000;
inline constexpr std::uint32_t SFGAO_FOLDER = 0x20000000;
inline constexpr std::uint32_t SFGAO_FILESYSTEM = 0x40000000;
inline constexpr std::uint32_t SFGAO_HASSUBFOLDER = 0x80000000;

// What EnumObjects lists (SHCONTF_).
inline constexpr std::uint32_t SHCONTF_FOLDERS = 0x20;
inline constexpr std::uint32_t SHCONTF_NONFOLDERS = 0x40;
inline constexpr std::uint32_t SHCONTF_INCLUDEHIDDEN = 0x80;

// Kinds of display names (SHGDN_).
inline constexpr std::uint32_t SHGDN_NORMAL = 0x0000;
inline constexpr std::uint32_t SHGDN_INFOLDER = 0x0001;
inline constexpr std::uint32_t SHGDN_FOREDITING = 0x1000;
inline constexpr std::uint32_t SHGDN_FORPARSING = 0x8000;

// The roots below the desktop.
const Clsid& ComputerClsid(); // {20D04FE0-3AEA-1069-A2D8-08002B30309D}
const Clsid& HomeClsid();     // {59031A47-3F72-44A7-89C5-5595FE6B30EE}
inline constexpr std::uint8_t kComputerSortByte = 0x50;
inline constexpr std::uint8_t kHomeSortByte = 0x44;
// The one-item lists of the two roots.
IdList ComputerIdList();
IdList HomeIdList();

class ContextMenu;
class ShellFolder;
using ShellFolderPtr = std::shared_ptr<ShellFolder>;
using ContextMenuPtr = std::shared_ptr<ContextMenu>;

class ShellFolder {
public:
    virtual ~ShellFolder() = default;

    // This folder's absolute list.
    virtual const IdList& AbsoluteList() const = 0;
    // Its file-system path without a trailing "/" ("/" for the root
    // volume); "" for a virtual folder.
    virtual std::string Path() const = 0;

    // The relative list of a name in this folder: a path ("a/b") below a
    // file-system folder, a full path or "::{CLSID}" on the desktop, a path
    // below "/" on the Computer. Every component must exist; "." and ".."
    // are refused; nothing past kMaxPathBytes is named (ENAMETOOLONG).
    virtual HRESULT ParseDisplayName(std::string_view name, IdList& relative) = 0;
    // One single-item list per child that flags ask for (SHCONTF_), in the
    // order the disk gives them.
    virtual HRESULT EnumObjects(std::uint32_t flags, std::vector<IdList>& items) = 0;
    // The folder a relative list names.
    virtual HRESULT BindToObject(const IdList& relative, ShellFolderPtr& folder) = 0;
    // Order of two relative lists: item by item, by kind (roots, volumes,
    // folders, files), then the names with ASCII case folded, then their
    // bytes; 0 only for the same names. A list that is shorter but equal as
    // far as it goes comes first. nullopt when an item is not this folder's.
    virtual std::optional<int> CompareIDs(const IdList& a, const IdList& b) = 0;
    // attributes (in: the ones asked, out: those all items have); an item
    // that is gone answers from its list's facts.
    virtual HRESULT GetAttributesOf(std::span<const IdList> items, std::uint32_t& attributes) = 0;
    // The name of a relative list (the last item's) of the SHGDN_ kind;
    // the empty list names this folder itself.
    virtual HRESULT GetDisplayNameOf(const IdList& item, std::uint32_t flags,
                                     std::string& name) = 0;
    // Renames a child: never onto an existing name (any letter case but the
    // child's own), never "", ".", ".." or a name with "/", nothing cut.
    // newItem is the child's list under its new name.
    virtual HRESULT SetNameOf(const IdList& item, std::string_view name, IdList& newItem) = 0;
    // The context menu of one or several children (E_INVALIDARG for none
    // or for a list that is not one child's).
    virtual HRESULT GetContextMenu(std::span<const IdList> items, ContextMenuPtr& menu) = 0;
};

// The namespace's root.
ShellFolderPtr GetDesktopFolder();
// The absolute list of a path; an empty path fails.
HRESULT ParsePath(std::string_view path, IdList& list);
// The file-system path of an absolute list ("" when it has none: the
// Computer, a list that names nothing, or a path past kMaxPathBytes). The
// empty list gives the desktop's folder.
std::string PathOfIdList(const IdList& list);

} // namespace vdx::shell
