#include "controls/shell/FcShellTreeData.h"

#include "controls/shell/FcShellHelpers.h"

namespace vdx {

void TFcShellTreeData::SetIdLists(TFcShellTreeData* parent, const IdList& list) {
    m_parent = parent;
    ResetCache();
    if (parent) {
        m_relative = list;
    } else {
        m_relative = list.Empty() ? list : list.Last();
        m_absolute = list;
    }
}

const IdList& TFcShellTreeData::AbsoluteIdList() {
    if (!m_absolute)
        m_absolute = m_parent ? m_parent->AbsoluteIdList() + m_relative : m_relative;
    return *m_absolute;
}

ShellFolderPtr TFcShellTreeData::ParentFolder() {
    if (m_parent)
        return m_parent->ItemFolder();
    m_parentFolder.reset();
    IdList parentList, itemList;
    SplitIdList(AbsoluteIdList(), m_parentFolder, parentList, itemList);
    return m_parentFolder;
}

ShellFolderPtr TFcShellTreeData::ItemFolder() {
    if (m_itemFolder)
        return m_itemFolder;
    if (m_relative.Empty() && !m_parent) {
        OleCheck(GetDesktopFolder(m_itemFolder));
        return m_itemFolder;
    }
    if (const ShellFolderPtr parent = ParentFolder()) {
        ShellFolderPtr bound;
        if (shell::Succeeded(parent->BindToObject(m_relative, bound)))
            m_itemFolder = std::move(bound);
    }
    return m_itemFolder;
}

std::string TFcShellTreeData::PathName() {
    return IdListToPath(&AbsoluteIdList());
}

bool TFcShellTreeData::CanRename() {
    if (!m_parent || AbsoluteIdList().Empty())
        return false;
    const ShellFolderPtr parent = ParentFolder();
    if (!parent)
        return false;
    std::uint32_t attributes = 0x40000177; // copy, move, link, rename, delete, ...
    if (shell::Failed(parent->GetAttributesOf({&m_relative, 1}, attributes)))
        return false;
    return (attributes & shell::SFGAO_CANRENAME) != 0;
}

void TFcShellTreeData::ReplaceRelativeIdList(const IdList& list) {
    ResetCache();
    m_relative = list;
    m_absolute = m_parent ? m_parent->AbsoluteIdList() + m_relative : m_relative;
}

HRESULT TFcShellTreeData::GetDropTarget(shell::DropTargetPtr& target) {
    return shell::GetDropTargetOf(AbsoluteIdList(), target);
}

void TFcShellTreeData::ResetCache() {
    m_absolute.reset();
    m_itemFolder.reset();
}

} // namespace vdx
