// The shell tree's data, filling, selection, refresh and life cycle; its
// commands, menus and keys are in FcShellTreeCommands.cpp.

#include "controls/shell/FcShellTree.h"

#include "controls/shell/FcPidlList.h"
#include "controls/shell/FcShellList.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/file_name_text.h"
#include "platform/gui/shell_icons.h"
#include "platform/shell/hresult.h"

#include <QApplication>
#include <QTimer>
#include <QTreeView>

#include <stdexcept>

namespace vdx {

namespace {

constexpr std::uint32_t kNodeAttributes = shell::SFGAO_HASSUBFOLDER | shell::SFGAO_FILESYSTEM |
                                          shell::SFGAO_FOLDER | shell::SFGAO_FILESYSANCESTOR |
                                          shell::SFGAO_REMOVABLE | shell::SFGAO_HIDDEN |
                                          shell::SFGAO_SHARE | shell::SFGAO_LINK;

} // namespace

TFcCustomShellTree::TFcCustomShellTree(QWidget* parent)
    : TFcCustomTreeView(parent), m_refreshTimer(std::make_unique<QTimer>()) {
    m_baseFolder.OnChange = [this](TFcShellLocator*) { BaseFolderChanged(); };
    m_selectedFolder.OnChange = [this](TFcShellLocator*) { SelectedFolderChanged(); };
    m_refreshTimer->setSingleShot(true);
    QObject::connect(m_refreshTimer.get(), &QTimer::timeout, this,
                     gui::Guarded([this] { TimerFired(); }));
    SetImages(&gui::ShellImageList(0).List());
    DeviceChangeHandler().AddHandler(
        this, [this](QObject*, TFcDeviceChangeMessage& msg) { DeviceChanged(msg); });
    // The window exists: with stoAutoFill the tree fills once the owner has
    // set it up (the platform's posted fill message).
    QMetaObject::invokeMethod(
        this,
        [this] {
            gui::Guard([this] {
                if (!IsLoading() && m_options.Contains(TFcShellTreeOption::stoAutoFill) &&
                    !Items().GetFirstNode())
                    FillTree();
            });
        },
        Qt::QueuedConnection);
    UpdateDropTarget();
}

TFcCustomShellTree::~TFcCustomShellTree() {
    m_dropTarget.reset();
    // The watches go first: nothing reports to a tree being taken apart.
    m_changeThread.reset();
    DeviceChangeHandler().RemoveHandler(this);
    m_refreshTimer->stop();
    // Every node goes through Delete while the tree is whole.
    const TRaised busy(m_busy);
    SetSelected(nullptr);
    Items().Clear();
}

// Properties.

void TFcCustomShellTree::SetBaseFolder(const TFcShellLocator& value) {
    if (IsLoading())
        return;
    m_baseFolder.Assign(&value);
}

void TFcCustomShellTree::SetSelectedFolder(const TFcShellLocator& value) {
    if (IsLoading() || m_busy > 0) {
        // Not now; the list goes back to what the tree shows.
        if (m_shellList)
            m_shellList->SetFolder(m_selectedFolder);
        return;
    }
    m_selectedFolder.Assign(&value);
}

void TFcCustomShellTree::SetOptions(TFcShellTreeOptions value) {
    // The options that touch the window: drops and change notification.
    const bool watched = m_options.Contains(TFcShellTreeOption::stoDynamicRefresh);
    m_options = value;
    UpdateDropTarget();
    const bool watch = m_options.Contains(TFcShellTreeOption::stoDynamicRefresh);
    if (watch && !watched)
        StartChangeNotification();
    else if (!watch && watched)
        WatchDrive({});
}

void TFcCustomShellTree::BaseFolderChanged() {
    if (IsLoading())
        return;
    m_selectedFolder.Clear();
    if (m_options.Contains(TFcShellTreeOption::stoAutoFill)) {
        m_immediateFollow = true;
        FillTree();
    }
}

void TFcCustomShellTree::SelectedFolderChanged() {
    if (IsLoading() || !Items().GetFirstNode())
        return;
    if (const IdList* list = m_selectedFolder.IdList())
        SelectIdList(*list);
    else
        SelectIdList(IdList());
}

TFcShellTreeData* TFcCustomShellTree::NodeData(const TTreeNode* node) const {
    return node ? dynamic_cast<TFcShellTreeData*>(node->Data()) : nullptr;
}

TTreeNode* TFcCustomShellTree::FirstShellNode() const {
    for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNextSibling())
        if (NodeData(n))
            return n;
    return nullptr;
}

bool TFcCustomShellTree::HasNode(const TTreeNode* node) const {
    for (TTreeNode* n = Items().GetFirstNode(); n; n = n->GetNext())
        if (n == node)
            return true;
    return false;
}

QWidget* TFcCustomShellTree::OwnerWindow() {
    return m_dragExpand > 0 ? nullptr : OwnerFormHandle(this);
}

std::uint32_t TFcCustomShellTree::EnumFlags() const {
    std::uint32_t flags = shell::SHCONTF_FOLDERS;
    if (m_options.Contains(TFcShellTreeOption::stoShowHidden))
        flags |= shell::SHCONTF_INCLUDEHIDDEN;
    if (m_options.Contains(TFcShellTreeOption::stoIncludeNonFolders))
        flags |= shell::SHCONTF_NONFOLDERS;
    return flags;
}

// Filling.

void TFcCustomShellTree::FillTree() {
    if (m_dragOrMenu || IsEditing()) {
        m_pendingRefresh = true;
        return;
    }
    const TFcHourglass hourglass;
    {
        const TRaised busy(m_busy);
        SetSelected(nullptr);
        Items().Clear();
    }
    ShellFolderPtr folder;
    const HRESULT hr = m_baseFolder.IdList() ? GetIdListFolder(m_baseFolder.IdList(), folder)
                                             : GetDesktopFolder(folder);
    if (shell::Failed(hr) || !folder)
        throw std::runtime_error(shell::HResultMessage(hr));
    FillNode(folder, nullptr);
    if (const IdList* selected = m_selectedFolder.IdList())
        SelectIdList(*selected);
    else
        SetSelected(Items().GetFirstNode());
    FlushPendingFollow(false);
    if (m_options.Contains(TFcShellTreeOption::stoDynamicRefresh))
        StartChangeNotification();
}

void TFcCustomShellTree::FillNode(const ShellFolderPtr& folder, TTreeNode* node) {
    FillStart();
    struct Complete {
        TFcCustomShellTree& tree;
        ~Complete() { tree.FillComplete(); }
    } complete{*this};
    const bool root = node == nullptr;
    IdList parentList;
    if (node) {
        parentList = NodeData(node)->AbsoluteIdList();
    } else {
        parentList = CopyIdList(m_baseFolder.IdList());
        node = Items().AddChild(nullptr, AbsoluteIdListDisplayName(parentList));
        node->SetImageIndex(IdListIconIndex(&parentList, SHGFI_SMALLICON));
        node->SetSelectedIndex(IdListIconIndex(&parentList, SHGFI_SMALLICON | SHGFI_OPENICON));
        auto data = std::make_unique<TFcShellTreeData>(this);
        data->SetIdLists(nullptr, parentList);
        data->SetItemFolder(folder);
        node->SetData(std::move(data));
        InsertItem(node);
    }
    std::vector<IdList> items;
    if (shell::Failed(folder->EnumObjects(EnumFlags(), items))) {
        node->SetHasChildren(true); // the button stays: try again later
        throw gui::EAbort();
    }
    for (const IdList& item : items)
        OleCheck(AddNode(*folder, parentList, node, item));
    if (node->Count() == 0)
        node->SetHasChildren(false);
    SortChildren(node);
    WatchNodeFolder(node);
    if (root)
        node->Expand(false);
}

HRESULT TFcCustomShellTree::AddNode(shell::ShellFolder& folder, const IdList& parentAbsolute,
                                    TTreeNode* parentNode, const IdList& item) {
    std::uint32_t attributes = kNodeAttributes;
    if (ShellDllVersion() >= 0x0006000000000000ull)
        attributes |= shell::SFGAO_STREAM;
    if (const HRESULT hr = folder.GetAttributesOf({&item, 1}, attributes); shell::Failed(hr))
        return hr;
    const bool inFileSystem = attributes & (shell::SFGAO_FILESYSTEM | shell::SFGAO_FILESYSANCESTOR);
    if (!m_options.Contains(TFcShellTreeOption::stoVirtualFolders) && !inFileSystem)
        return shell::S_OK;
    if (!AddItemQuery(folder, parentAbsolute, item, attributes))
        return shell::S_OK;
    TTreeNode* node = Items().AddChild(
        parentNode, GetIdListDisplayName(&folder, item, TFcDisplayNameKind::dnkInFolder));
    const bool sub = attributes & shell::SFGAO_HASSUBFOLDER;
    const bool isFolder = attributes & shell::SFGAO_FOLDER;
    node->SetHasChildren(m_options.Contains(TFcShellTreeOption::stoIncludeNonFolders)
                             ? (sub || isFolder)
                             : (sub && isFolder));
    if (attributes & shell::SFGAO_SHARE)
        node->SetOverlayIndex(0);
    else if (attributes & shell::SFGAO_LINK)
        node->SetOverlayIndex(1);
    if (attributes & shell::SFGAO_HIDDEN)
        node->SetCut(true);
    auto data = std::make_unique<TFcShellTreeData>(this);
    data->SetIdLists(NodeData(parentNode), item);
    node->SetData(std::move(data));
    InsertItem(node);
    return shell::S_OK;
}

bool TFcCustomShellTree::AddItemQuery(shell::ShellFolder& folder, const IdList& parentAbsolute,
                                      const IdList& item, std::uint32_t attributes) {
    bool allow = true;
    if (OnAddItem)
        OnAddItem(this, folder, parentAbsolute, item, attributes, allow);
    return allow;
}

void TFcCustomShellTree::InsertItem(TTreeNode* node) {
    m_lastInserted = node;
    if (OnInsertItem)
        OnInsertItem(this, node);
}

void TFcCustomShellTree::FillStart() {
    if (OnFillStart)
        OnFillStart(this);
}

void TFcCustomShellTree::FillComplete() {
    if (OnFillComplete)
        OnFillComplete(this);
}

void TFcCustomShellTree::FillNodeIfNeeded(TTreeNode* node) {
    TFcShellTreeData* data = NodeData(node);
    if (!data || !node->HasChildren() || node->Count() > 0)
        return;
    const TFcHourglass hourglass;
    const ShellFolderPtr folder = data->ItemFolder();
    if (!folder)
        throw gui::EAbort(); // gone or unreadable: the button stays
    FillNode(folder, node);
}

bool TFcCustomShellTree::CanExpand(TTreeNode* node) {
    if (m_loadingExpand)
        return false;
    if (!TFcCustomTreeView::CanExpand(node))
        return false;
    FillNodeIfNeeded(node);
    return true;
}

void TFcCustomShellTree::GetImageIndex(TTreeNode* node) {
    if (TFcShellTreeData* data = NodeData(node); data && node->ImageIndex() == 0)
        node->SetImageIndex(IdListIconIndex(&data->AbsoluteIdList(), SHGFI_SMALLICON));
    TFcCustomTreeView::GetImageIndex(node);
}

void TFcCustomShellTree::GetSelectedIndex(TTreeNode* node) {
    if (TFcShellTreeData* data = NodeData(node); data && node->SelectedIndex() == 0)
        node->SetSelectedIndex(
            IdListIconIndex(&data->AbsoluteIdList(), SHGFI_SMALLICON | SHGFI_OPENICON));
    TFcCustomTreeView::GetSelectedIndex(node);
}

void TFcCustomShellTree::SortChildren(TTreeNode* node) {
    // One total order: shell nodes by their folder's order (their bytes
    // where it cannot compare), the others after them.
    CustomSort(
        [this](const TTreeNode& a, const TTreeNode& b) {
            TFcShellTreeData* da = NodeData(&a);
            TFcShellTreeData* db = NodeData(&b);
            if (!da || !db)
                return da ? -1 : db ? 1 : 0;
            const ShellFolderPtr folder = da->ParentFolder();
            if (folder)
                if (const auto order =
                        folder->CompareIDs(da->RelativeIdList(), db->RelativeIdList()))
                    return *order;
            return CompareIdListBytes(&da->RelativeIdList(), &db->RelativeIdList());
        },
        node, node == nullptr);
}

// Selection.

void TFcCustomShellTree::SelectIdList(const IdList& list) {
    if (m_busy > 0)
        return;
    m_immediateFollow = true;
    Items().BeginUpdate();
    struct EndUpdate {
        TFcCustomShellTree& tree;
        ~EndUpdate() {
            tree.Items().EndUpdate();
            if (TTreeNode* selected = tree.Selected())
                selected->MakeVisible();
        }
    } end{*this};
    TTreeNode* root = FirstShellNode();
    if (!root)
        return;
    const IdList base = CopyIdList(m_baseFolder.IdList());
    const std::size_t n = base.ItemCount(), m = list.ItemCount();
    if (m == 0) {
        SetSelected(root);
        return;
    }
    // A list outside the base folder would be looked up by its trailing
    // items below the root, where a folder of the same name may stand.
    const IdList head = list.First(n);
    if (n >= m || (n > 0 && CompareIdLists(&head, &base) != 0)) {
        SetSelected(root);
        root->Expand(false);
        return;
    }
    TTreeNode* node = root;
    root->Expand(false);
    for (std::size_t i = n; i < m; ++i) {
        const IdList item = IdList::FromItem(list.Item(i));
        TFcShellTreeData* data = NodeData(node);
        const ShellFolderPtr folder = data->ItemFolder();
        TTreeNode* child = nullptr;
        if (folder) {
            for (int k = 0; k < node->Count() && !child; ++k) {
                TFcShellTreeData* cd = NodeData(node->Item(k));
                if (cd && folder->CompareIDs(cd->RelativeIdList(), item) == 0)
                    child = node->Item(k);
            }
            if (!child) {
                // Not listed (a hidden folder): added on the way.
                m_lastInserted = nullptr;
                const HRESULT hr = AddNode(*folder, data->AbsoluteIdList(), node, item);
                if (shell::Succeeded(hr) && m_lastInserted && m_lastInserted->Parent() == node)
                    child = m_lastInserted;
            }
        }
        if (!child) {
            QApplication::beep();
            break;
        }
        // A list that leaves folders to the tree: the last one opens too.
        if (i + 1 < m ||
            (m_shellList && m_shellList->Options().Contains(TFcShellListOption::sloFoldersInTree)))
            child->Expand(false);
        node = child;
    }
    SetSelected(node);
}

void TFcCustomShellTree::Change(TTreeNode* node) {
    TFcShellTreeData* data = NodeData(node);
    if (m_busy > 0 || IsLoading()) {
        if (data) {
            const TRaised busy(m_busy);
            m_selectedFolder.SetIdList(&data->AbsoluteIdList());
        }
        return;
    }
    TFcCustomTreeView::Change(node);
    if (!data)
        return;
    if (m_immediateFollow || !m_shellList) {
        const TRaised busy(m_busy);
        m_selectedFolder.SetIdList(&data->AbsoluteIdList());
        if (m_shellList)
            m_shellList->FolderFromTreeNode(node);
        m_immediateFollow = false;
    } else {
        // The keyboard: the list follows once the selection rests.
        m_timerTag = 1;
        m_refreshTimer->start(500);
    }
}

void TFcCustomShellTree::Clicked(TPoint pos) {
    m_immediateFollow = true;
    TFcCustomTreeView::Clicked(pos);
}

std::string TFcCustomShellTree::SelectedPathName() {
    TFcShellTreeData* data = NodeData(Selected());
    return data ? data->PathName() : std::string();
}

void TFcCustomShellTree::GoUp(int levels) {
    TTreeNode* node = Selected();
    if (!NodeData(node) || !node->Parent())
        return;
    for (int i = 0; i < levels && node->Parent(); ++i)
        node = node->Parent();
    m_immediateFollow = true;
    SetSelected(node);
}

TFcCustomShellList* TFcCustomShellTree::ShellList() const {
    return m_shellList;
}

void TFcCustomShellTree::SetShellList(TFcCustomShellList* list) {
    TFcCustomShellList* old = m_shellList;
    m_shellList = list;
    if (old && old != list)
        old->SetShellTreeLink(nullptr);
    if (list) {
        list->SetShellTreeLink(this);
        list->SetFolder(m_selectedFolder);
    }
}

void TFcCustomShellTree::FlushPendingFollow(bool alsoLinks) {
    if (alsoLinks && m_shellList)
        m_shellList->FlushPendingFollow(false);
    if (m_refreshTimer->isActive())
        TimerFired();
}

int TFcCustomShellTree::PendingTimerJob() const {
    return m_refreshTimer->isActive() ? m_timerTag : 0;
}

void TFcCustomShellTree::TimerFired() {
    m_refreshTimer->stop();
    const int tag = std::exchange(m_timerTag, 0);
    if (tag == 1) {
        if (TFcShellTreeData* data = NodeData(Selected())) {
            const TRaised busy(m_busy);
            m_selectedFolder.SetIdList(&data->AbsoluteIdList());
            if (m_shellList)
                m_shellList->FolderFromTreeNode(Selected());
        }
    } else if (tag == 2) {
        RefreshTree();
    }
}

// Refresh.

void TFcCustomShellTree::RefreshTree() {
    if (m_dragOrMenu || IsEditing()) {
        m_pendingRefresh = true;
        return;
    }
    if (!Items().GetFirstNode()) {
        FillTree();
        return;
    }
    const TFcHourglass hourglass;
    FillStart();
    TTreeNode* remembered = Selected();
    struct Finally {
        TFcCustomShellTree& tree;
        TTreeNode*& remembered;
        ~Finally() {
            --tree.m_busy;
            if (remembered) {
                tree.m_immediateFollow = true;
                gui::Guard([this] { tree.SetSelected(remembered); });
            }
            tree.FillComplete();
        }
    };
    ++m_busy;
    const Finally finally{*this, remembered};
    SetSelected(nullptr);
    Items().BeginUpdate();
    struct EndUpdate {
        gui::TTreeNodes& items;
        ~EndUpdate() { items.EndUpdate(); }
    } end{Items()};
    if (TTreeNode* first = Items().GetFirstNode())
        MergeNode(first, remembered);
}

void TFcCustomShellTree::MergeNode(TTreeNode* node, TTreeNode*& remembered) {
    if (node->Count() == 0 && node->HasChildren())
        return; // never filled
    TFcShellTreeData* data = NodeData(node);
    if (!data)
        return;
    const ShellFolderPtr folder = data->ItemFolder();
    if (!folder)
        return;
    TFcPidlList old;
    old.SetShellFolder(folder);
    old.SetDuplicates(TDuplicates::dupAccept);
    for (int i = 0; i < node->Count(); ++i)
        if (TFcShellTreeData* cd = NodeData(node->Item(i)))
            old.AddObject(cd->RelativeIdList(), node->Item(i));
    old.SetSorted(true);
    std::vector<IdList> fresh;
    if (shell::Failed(folder->EnumObjects(EnumFlags(), fresh)))
        fresh.clear();
    old.RemoveCommon(fresh);
    for (int i = old.Count() - 1; i >= 0; --i) {
        TTreeNode* gone = const_cast<TTreeNode*>(static_cast<const TTreeNode*>(old.Objects(i)));
        if (remembered && (remembered == gone || remembered->HasAsParent(gone)))
            remembered = node;
        gone->Delete();
    }
    bool added = false;
    const IdList parentList = data->AbsoluteIdList();
    for (const IdList& item : fresh) {
        const int before = node->Count();
        if (shell::Succeeded(AddNode(*folder, parentList, node, item)) && node->Count() > before)
            added = true;
    }
    if (added)
        SortChildren(node);
    for (int i = 0; i < node->Count(); ++i)
        MergeNode(node->Item(i), remembered);
}

// Life cycle.

void TFcCustomShellTree::Loaded() {
    if (IsLoading() && m_options.Contains(TFcShellTreeOption::stoAutoFill) &&
        !Items().GetFirstNode())
        FillTree();
    m_loadingExpand = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{m_loadingExpand};
    TFcCustomTreeView::Loaded();
}

void TFcCustomShellTree::Delete(TTreeNode* node) {
    if (m_lastInserted == node)
        m_lastInserted = nullptr;
    if (TFcShellTreeData* data = NodeData(node)) {
        if (OnDeleteItem)
            OnDeleteItem(this, node, data);
        node->TakeData().reset();
    }
    TFcCustomTreeView::Delete(node);
}

QString TFcCustomShellTree::NodeDisplayText(const TTreeNode& node) const {
    if (!NodeData(&node))
        return TFcCustomTreeView::NodeDisplayText(node);
    return gui::FileNameToQString(node.Text());
}

} // namespace vdx
