#pragma once
// The data that ties a shell tree's node to its shell item: the parent
// node's data, the item's list relative to its parent, and cached on
// demand the absolute list and the item's folder. Also the item data of a
// shell combo box (no such combo box is part of the system).

#include "controls/shell/FcShellUtils.h"
#include "platform/gui/tree_view.h"
#include "platform/shell/drop_target.h"

#include <optional>
#include <string>

namespace vdx {

class TFcCustomShellTree;

class TFcShellTreeData : public gui::TTreeNodeData {
public:
    explicit TFcShellTreeData(TFcCustomShellTree* owner) noexcept : m_owner(owner) {}

    // With a parent, list is the item relative to it; without one (the
    // root) list is absolute and the relative list is its last item (the
    // list itself when it has none).
    void SetIdLists(TFcShellTreeData* parent, const IdList& list);
    // The parent's absolute list and this relative one, cached.
    const IdList& AbsoluteIdList();
    const IdList& RelativeIdList() const noexcept { return m_relative; }
    // The item's own folder, cached: bound in the parent folder (nullptr
    // when that fails); the desktop for the desktop root. Throws
    // EOleSysError when even the desktop cannot be had.
    ShellFolderPtr ItemFolder();
    // The folder the item lies in: the parent's own folder, for the root the
    // one above its absolute list (asked again each time).
    ShellFolderPtr ParentFolder();
    // The file-system path; "" when it has none.
    std::string PathName();
    // Never for the root or a desktop list; else the parent folder's answer.
    bool CanRename();
    // After a rename: the new relative list, the caches dropped.
    void ReplaceRelativeIdList(const IdList& list);
    // Drops the absolute list and the own folder.
    void ResetCache();
    // The shell's drop target of the item (the desktop's folder for the
    // desktop root); E_FAIL for a file or a virtual item.
    HRESULT GetDropTarget(shell::DropTargetPtr& target);
    // The root's own folder, set by the tree that binds it.
    void SetItemFolder(ShellFolderPtr folder) { m_itemFolder = std::move(folder); }

    TFcCustomShellTree* Owner() const noexcept { return m_owner; }
    TFcShellTreeData* ParentData() const noexcept { return m_parent; }

private:
    TFcCustomShellTree* m_owner;
    TFcShellTreeData* m_parent = nullptr; // outlives this: children go first
    IdList m_relative;
    std::optional<IdList> m_absolute;
    ShellFolderPtr m_itemFolder;
    ShellFolderPtr m_parentFolder; // the root's only
};

// The item data of a shell combo box: everything owned.
class TFcShellComboData {
public:
    ShellFolderPtr ParentFolder;
    std::optional<IdList> ParentList;
    ShellFolderPtr ItemFolder;
    std::optional<IdList> RelativeList;
    std::optional<IdList> AbsoluteList;
};

} // namespace vdx
