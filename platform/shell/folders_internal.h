#pragma once
// The folder classes behind shell_folder.h and what they share: the
// multi-item forms of the calls, worked out one item at a time.

#include "platform/shell/context_menu.h"
#include "platform/shell/shell_folder.h"

#include <sys/stat.h>

namespace vdx::shell::detail {

class FolderBase : public ShellFolder {
public:
    HRESULT BindToObject(const IdList& relative, ShellFolderPtr& folder) final;
    std::optional<int> CompareIDs(const IdList& a, const IdList& b) final;
    HRESULT GetAttributesOf(std::span<const IdList> items, std::uint32_t& attributes) final;
    HRESULT GetDisplayNameOf(const IdList& item, std::uint32_t flags, std::string& name) final;
    HRESULT SetNameOf(const IdList& item, std::string_view name, IdList& newItem) final;
    HRESULT GetContextMenu(std::span<const IdList> items, ContextMenuPtr& menu) final;

protected:
    // The kind of item this folder's children are.
    virtual bool IsChildKind(ItemKind kind) const = 0;
    virtual HRESULT BindItem(ItemBytes item, ShellFolderPtr& folder) = 0;
    virtual std::uint32_t ItemAttributes(ItemBytes item, std::uint32_t asked) = 0;
    virtual HRESULT ItemName(ItemBytes item, std::uint32_t flags, std::string& name) = 0;
    virtual HRESULT OwnName(std::uint32_t flags, std::string& name) = 0;
    virtual HRESULT RenameItem(ItemBytes item, std::string_view name, IdList& newItem);
    virtual HRESULT ItemMenu(ItemBytes item, ContextMenuPtr& menu) = 0;
};

// The name an item sorts by: a root's display name, a volume's mount point,
// a file's or folder's name.
std::string SortName(ItemBytes item);
// Kinds in the order roots, volumes, folders, files; then names with ASCII
// case folded; then their bytes.
int CompareItems(ItemBytes a, ItemBytes b);

ShellFolderPtr MakeComputerFolder();
// A file-system folder at path (without a trailing "/", "/" for the root)
// whose absolute list is absolute; on a network volume sub-folders are
// assumed rather than looked for.
ShellFolderPtr MakeFileFolder(std::string path, IdList absolute, bool network);

// folder + "/" + name ("/" + name below the root).
std::string ChildPath(const std::string& folder, std::string_view name);
// The item of name in folder from the disk's facts (links followed for the
// kind; a dangling link is a file).
std::optional<std::vector<std::uint8_t>> ItemOfEntry(const std::string& folder,
                                                     const std::string& name);
// The items of a relative path below folder, each component found as
// os::ResolveCase finds it; a missing one fails. "." and ".." are refused.
HRESULT ParseBelow(const std::string& folder, std::string_view relative, IdList& items);
// The attributes of a file-system item at path in the folder parent.
std::uint32_t FileAttributes(const std::string& parent, const std::string& path, bool network,
                             std::uint32_t asked, const FileItemFacts* fallback);
// Whether a folder holds at least one folder.
bool HasSubfolder(const std::string& path);
// The menu of a file-system item.
ContextMenuPtr FileMenu(std::string name, std::string path, std::uint32_t attributes, bool folder);

} // namespace vdx::shell::detail
