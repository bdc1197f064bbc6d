// The shell list's data, filling, columns, sorting, refresh, tree link and
// life cycle; its commands, menus, keys and notifications are in
// FcShellListCommands.cpp.

#include "controls/shell/FcShellList.h"

#include "controls/shell/FcChangeHandler.h"
#include "controls/shell/FcPidlList.h"
#include "controls/shell/FcShellItemRules.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/file_name_text.h"
#include "platform/gui/update_guard.h"
#include "platform/os/registry.h"
#include "platform/os/winfile.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

namespace vdx {

namespace {

constexpr std::uint32_t kItemAttributes = 0x724B0000;
constexpr const char* kExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr std::size_t kMaxDirectoryColsBytes = 22;

// The column widths of the last list that showed a file-system folder, and
// the "DirectoryCols" data read last time.
struct TColumnMemory {
    std::vector<int> Widths;
    std::vector<std::uint8_t> DirectoryCols;
};
TColumnMemory& ColumnMemory() {
    static TColumnMemory memory;
    return memory;
}

std::string UpperAscii(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

gui::TColumnAlignment AlignmentOf(int fmt) {
    switch (fmt) {
    case LVCFMT_RIGHT:
        return gui::TColumnAlignment::taRightJustify;
    case LVCFMT_CENTER:
        return gui::TColumnAlignment::taCenter;
    default:
        return gui::TColumnAlignment::taLeftJustify;
    }
}

} // namespace

TFcCustomShellList::TFcCustomShellList(QWidget* parent)
    : TFcCustomListView(parent), m_refreshTimer(std::make_unique<QTimer>()) {
    m_folder.OnChange = [this](TFcShellLocator*) { FolderChanged(); };
    m_refreshTimer->setSingleShot(true);
    QObject::connect(m_refreshTimer.get(), &QTimer::timeout, this,
                     gui::Guarded([this] { TimerFired(); }));
    SetStretchLastColumn(false);
    SetSmallImages(&SystemImageList(0));
    SetLargeImages(&SystemImageList(1));
    DeviceChangeHandler().AddHandler(
        this, [this](QObject*, TFcDeviceChangeMessage& msg) { DeviceChanged(msg); });
    // With sloAutoFill the list fills once the owner has set it up.
    PostShellFill(
        *this,
        [this] {
            return !IsLoading() && m_options.Contains(TFcShellListOption::sloAutoFill) &&
                   Items().Count() == 0;
        },
        [this] { Fill(); });
}

TFcCustomShellList::~TFcCustomShellList() {
    SaveColumnWidths();
    DeviceChangeHandler().RemoveHandler(this);
    m_refreshTimer->stop();
    m_changeThread.reset();
    const TRaised ignore(m_ignoreChanges);
    Items().Clear();
}

// Properties.

void TFcCustomShellList::SetOptions(TFcShellListOptions value) {
    m_options = value;
    UpdateDropTarget();
}

void TFcCustomShellList::SetShellTreeLink(TFcCustomShellTree* tree) {
    m_shellTree = tree;
}

TFcShellListData* TFcCustomShellList::ItemData(const TListItem* item) const {
    return item ? dynamic_cast<TFcShellListData*>(item->Data()) : nullptr;
}

int TFcCustomShellList::SelectedItemCount() const {
    int n = 0;
    for (int i = 0; i < Items().Count(); ++i)
        if (TListItem* item = Items().Item(i); item->Selected() && ItemData(item))
            ++n;
    return n;
}

std::vector<IdList> TFcCustomShellList::SelectedLists() const {
    std::vector<IdList> lists;
    for (int i = 0; i < Items().Count(); ++i)
        if (TListItem* item = Items().Item(i); item->Selected())
            if (TFcShellListData* data = ItemData(item))
                lists.push_back(data->RelativeIdList());
    return lists;
}

std::uint32_t TFcCustomShellList::EnumFlags() const {
    std::uint32_t flags = shell::SHCONTF_FOLDERS | shell::SHCONTF_NONFOLDERS;
    if (m_options.Contains(TFcShellListOption::sloShowHidden))
        flags |= shell::SHCONTF_INCLUDEHIDDEN;
    return flags;
}

// The folder and the tree.

void TFcCustomShellList::FolderChanged() {
    try {
        if (m_ignoreChanges == 0) {
            const TRaised ignore(m_ignoreChanges);
            if (m_shellTree)
                m_shellTree->SetSelectedFolder(m_folder);
        }
        if (!IsLoading())
            Fill();
    } catch (...) {
        FolderSwitched();
        throw;
    }
    FolderSwitched();
}

void TFcCustomShellList::FolderFromTreeNode(TTreeNode* node) {
    // A change this list made itself comes back here: nothing to do.
    if (m_ignoreChanges > 0 || IsLoading() || !m_shellTree || !node ||
        node != m_shellTree->Selected())
        return;
    TFcShellTreeData* data = m_shellTree->NodeData(node);
    if (!data)
        return;
    const TRaised ignore(m_ignoreChanges);
    m_folder.SetIdList(&data->AbsoluteIdList());
}

void TFcCustomShellList::FlushPendingFollow(bool alsoLinks) {
    if (alsoLinks && m_shellTree)
        m_shellTree->FlushPendingFollow(false);
    if (m_refreshTimer->isActive())
        TimerFired();
}

void TFcCustomShellList::TimerFired() {
    m_refreshTimer->stop();
    if (m_ignoreChanges > 0)
        FlushPendingFollow(true);
    RefreshList();
}

// Filling.

void TFcCustomShellList::Fill() {
    if (m_dragging || IsEditing()) {
        m_pendingRefresh = true;
        return;
    }
    const TFcHourglass hourglass;
    SetSelected(nullptr);
    Items().Clear();
    const IdList list = CopyIdList(m_folder.IdList());
    ShellFolderPtr folder;
    if (shell::Failed(GetIdListFolder(&list, folder)) || !folder)
        throw gui::EAbort();
    {
        struct FreeTable {
            TFcCustomShellList& list;
            ~FreeTable() { list.FreeFilterTable(); }
        } freeTable{*this};
        BuildFilterTable();
        FillList(folder, list);
    }
    Sort();
    if (Items().Count() > 0)
        Items().Item(0)->SetFocused(true);
    if (ViewStyle() == gui::TViewStyle::vsIcon || ViewStyle() == gui::TViewStyle::vsSmallIcon) {
        View().verticalScrollBar()->setValue(0);
        View().horizontalScrollBar()->setValue(0);
    }
    if (m_options.Contains(TFcShellListOption::sloDynamicRefresh))
        WatchFolder();
}

void TFcCustomShellList::FillList(const ShellFolderPtr& folder, const IdList& list) {
    // Raised once the update has ended, for a fill that started.
    struct Done {
        TFcCustomShellList& list;
        bool started = false;
        ~Done() {
            if (started)
                list.FillComplete();
        }
    } done{*this};
    const gui::TUpdateGuard update(Items());
    FillStart();
    done.started = true;
    ShellFolderPtr previousFolder = std::exchange(m_currentFolder, folder);
    IdList previousList = std::exchange(m_currentList, list);
    ShellDetailsPtr previousDetails = std::exchange(m_details, GetShellDetails(folder));
    ShellFolder2Ptr previousSource =
        std::exchange(m_detailsSource, m_details ? FolderDetailsSource(*folder) : nullptr);
    try {
        SetupColumns();
        std::vector<IdList> items;
        if (shell::Failed(folder->EnumObjects(EnumFlags(), items)))
            throw gui::EAbort();
        for (const IdList& item : items)
            AcceptItem(*folder, item);
    } catch (...) {
        m_currentFolder = std::move(previousFolder);
        m_currentList = std::move(previousList);
        m_details = std::move(previousDetails);
        m_detailsSource = std::move(previousSource);
        throw;
    }
}

bool TFcCustomShellList::AcceptItem(shell::ShellFolder& folder, const IdList& item) {
    std::uint32_t attributes = kItemAttributes;
    if (shell::Failed(folder.GetAttributesOf({&item, 1}, attributes)))
        attributes = 0; // nothing known: not taken as a file-system item
    const bool inFileSystem = attributes & (shell::SFGAO_FILESYSTEM | shell::SFGAO_FILESYSANCESTOR);
    if (!m_options.Contains(TFcShellListOption::sloVirtualFolders) && !inFileSystem)
        return false;
    if (m_options.Contains(TFcShellListOption::sloFoldersInTree) && m_shellTree &&
        IsFolderItem(attributes,
                     m_options.Contains(TFcShellListOption::sloCompressedFoldersAsFolders)))
        return false;
    if (!AddItemQuery(folder, m_currentList, item, attributes))
        return false;
    auto data = std::make_unique<TFcShellListData>(this);
    data->SetRelativeIdList(item);
    data->SetAttributes(attributes);
    InsertItem(std::move(data));
    return true;
}

bool TFcCustomShellList::AddItemQuery(shell::ShellFolder& folder, const IdList& parentAbsolute,
                                      const IdList& item, std::uint32_t attributes) {
    bool allow = true;
    if (m_filterTable &&
        !IsFolderItem(attributes,
                      m_options.Contains(TFcShellListOption::sloCompressedFoldersAsFolders))) {
        const std::string parsing =
            GetIdListDisplayName(&folder, item, TFcDisplayNameKind::dnkForParsing);
        const std::size_t slash = parsing.find_last_of('/');
        allow = PassesFilter(slash == std::string::npos ? parsing : parsing.substr(slash + 1),
                             attributes);
    }
    if (allow && OnAddItem)
        OnAddItem(this, folder, parentAbsolute, item, attributes, allow);
    return allow;
}

TListItem* TFcCustomShellList::InsertItem(std::unique_ptr<TFcShellListData> data) {
    const std::uint32_t attributes = data->Attributes();
    TListItem* item = Items().Add();
    if (attributes & shell::SFGAO_SHARE)
        item->SetOverlayIndex(0);
    else if (attributes & shell::SFGAO_LINK)
        item->SetOverlayIndex(1);
    if (attributes & shell::SFGAO_HIDDEN)
        item->SetCut(true);
    item->SetSubItems(
        std::vector<std::string>(std::size_t(m_details ? std::max(ColumnCount() - 1, 0) : 3)));
    item->SetData(std::move(data));
    return item;
}

void TFcCustomShellList::BuildFilterTable() {
    FreeFilterTable();
    const std::string path = IdListToPath(m_folder.IdList());
    if (path.empty() || m_fileFilter.empty() || m_fileFilter == "*" || m_fileFilter == "*.*")
        return;
    m_filterTable = std::make_unique<std::set<std::string>>();
    std::size_t start = 0;
    while (start <= m_fileFilter.size()) {
        const std::size_t end = std::min(m_fileFilter.find(';', start), m_fileFilter.size());
        std::string pattern = m_fileFilter.substr(start, end - start);
        pattern.erase(0, pattern.find_first_not_of(' '));
        pattern.erase(pattern.find_last_not_of(' ') + 1);
        if (!pattern.empty())
            for (const os::FindData& found : os::FindFiles(path + "/" + pattern))
                if (!(found.attributes & os::FILE_ATTRIBUTE_DIRECTORY))
                    m_filterTable->insert(UpperAscii(found.name));
        start = end + 1;
    }
}

bool TFcCustomShellList::PassesFilter(const std::string& name, std::uint32_t attributes) {
    if (IsFolderItem(attributes,
                     m_options.Contains(TFcShellListOption::sloCompressedFoldersAsFolders)))
        return true;
    return m_filterTable && m_filterTable->count(UpperAscii(name)) > 0;
}

void TFcCustomShellList::FreeFilterTable() {
    m_filterTable.reset();
}

void TFcCustomShellList::FillStart() {
    if (OnFillStart)
        OnFillStart(this);
}

void TFcCustomShellList::FillComplete() {
    if (OnFillComplete)
        OnFillComplete(this);
}

void TFcCustomShellList::FolderSwitched() {
    if (OnFolderSwitched)
        OnFolderSwitched(this);
}

// Columns.

void TFcCustomShellList::SaveColumnWidths() {
    if (ColumnCount() == 0 || !m_lastHadPath)
        return;
    std::vector<int>& widths = ColumnMemory().Widths;
    widths.clear();
    for (int i = 0; i < ColumnCount(); ++i)
        widths.push_back(ColumnWidth(i));
}

void TFcCustomShellList::SetupColumns() {
    SaveColumnWidths();
    if (m_details)
        ShellDetailsColumns();
    else
        DefaultColumns();
    UpdateHeaderFormats();
    SetSortColumn(std::abs(m_sortColumn) > ColumnCount() ? 1 : m_sortColumn);
}

void TFcCustomShellList::ShellDetailsColumns() {
    const bool hasPath = !m_currentFolder->Path().empty();
    const std::vector<int>& stored = ColumnMemory().Widths;
    ClearColumns();
    for (int i = 0;; ++i) {
        TShellDetails d;
        if (shell::Failed(m_details->GetDetailsOf(nullptr, i, d)))
            break;
        AddColumn({d.Text, d.CxChar * 9, AlignmentOf(d.Fmt), -1});
    }
    if (hasPath && !stored.empty())
        for (int i = 0; i < std::min(int(stored.size()), ColumnCount()); ++i)
            SetColumnWidth(i, stored[std::size_t(i)]);
    m_lastHadPath = hasPath;
}

void TFcCustomShellList::DefaultColumns() {
    std::array<int, 5> widths{200, 60, 100, 120, 50};
    std::vector<std::uint8_t> data;
    try {
        os::TRegistry registry;
        if (registry.OpenKeyReadOnly(kExplorerKey) &&
            registry.GetDataType("DirectoryCols") == os::RegDataType::Binary)
            data = registry.ReadBinaryData("DirectoryCols");
    } catch (const std::exception&) {
        data.clear();
    }
    if (data.size() > kMaxDirectoryColsBytes)
        data.clear();
    // Only as many widths as there are: the rest keep their defaults.
    for (std::size_t i = 0; i < widths.size() && 2 * i + 1 < data.size(); ++i)
        widths[i] = data[2 * i] | (data[2 * i + 1] << 8);
    ClearColumns();
    AddColumn({"Name", widths[0], gui::TColumnAlignment::taLeftJustify, -1});
    AddColumn({"Size", widths[1], gui::TColumnAlignment::taRightJustify, -1});
    AddColumn({"Type", widths[2], gui::TColumnAlignment::taLeftJustify, -1});
    AddColumn({"Modified", widths[3], gui::TColumnAlignment::taLeftJustify, -1});
    TColumnMemory& memory = ColumnMemory();
    if (data == memory.DirectoryCols && !memory.Widths.empty())
        for (int i = 0; i < std::min(int(memory.Widths.size()), ColumnCount()); ++i)
            SetColumnWidth(i, memory.Widths[std::size_t(i)]);
    memory.DirectoryCols = std::move(data);
    m_lastHadPath = true;
}

// Sorting.

void TFcCustomShellList::SetSortColumn(int column) {
    SetSortedColumn(std::abs(column) - 1);
    SetSortedDescending(column < 0);
    m_columnAssigned = true;
    if (column != m_sortColumn) {
        m_sortColumn = column;
        Sort();
    }
}

void TFcCustomShellList::Sort() {
    if (m_sortColumn == 0)
        return;
    CustomSort([this](const TListItem& a, const TListItem& b) { return CompareItems(a, b); });
}

int TFcCustomShellList::CompareItems(const TListItem& a, const TListItem& b) const {
    // One total order: shell items by the column, then by name, then by
    // their bytes; the others after them in either direction.
    TFcShellListData* da = ItemData(&a);
    TFcShellListData* db = ItemData(&b);
    if (!da || !db)
        return da ? -1 : db ? 1 : 0;
    const int column = std::abs(m_sortColumn) - 1;
    const IdList& ra = da->RelativeIdList();
    const IdList& rb = db->RelativeIdList();
    auto order = [](const auto& x, const auto& y) { return x < y ? -1 : y < x ? 1 : 0; };
    int r = 0;
    if (m_detailsSource) {
        r = m_detailsSource->CompareIDs(column, ra, rb).value_or(0);
    } else if (column >= 1 && column <= 3) {
        // Folders before files, as by name.
        r = order(!da->IsFolder(), !db->IsFolder());
        if (r == 0) {
            const TFcDefaultDetails& xa = da->DefaultDetails();
            const TFcDefaultDetails& xb = db->DefaultDetails();
            r = column == 1   ? order(xa.Bytes, xb.Bytes)
                : column == 2 ? order(xa.Type, xb.Type)
                              : order(xa.ModifiedSeconds, xb.ModifiedSeconds);
        }
    }
    if (r == 0 && m_currentFolder)
        r = m_currentFolder->CompareIDs(ra, rb).value_or(0);
    if (r == 0)
        r = CompareIdListBytes(&ra, &rb);
    return m_sortColumn < 0 ? -r : r;
}

void TFcCustomShellList::ColClick(int column) {
    m_columnAssigned = false;
    TFcCustomListView::ColClick(column); // OnColumnClick may sort itself
    if (m_columnAssigned)
        return;
    if (column + 1 == std::abs(m_sortColumn))
        SetSortColumn(-m_sortColumn);
    else
        SetSortColumn(column + 1);
}

// Refresh.

void TFcCustomShellList::RefreshList() {
    if (m_dragging || IsEditing()) {
        m_pendingRefresh = true;
        return;
    }
    if (Items().Count() == 0 || !m_currentFolder) {
        Fill();
        return;
    }
    const TFcHourglass hourglass;
    FillStart();
    struct Done {
        TFcCustomShellList& list;
        ~Done() {
            list.FreeFilterTable();
            list.FillComplete();
        }
    } done{*this};
    BuildFilterTable();
    const ShellFolderPtr folder = m_currentFolder;
    TFcPidlList old;
    // Lists of a file-system folder compare by their bytes: one name, one list.
    if (folder->Path().empty())
        old.SetShellFolder(folder);
    old.SetDuplicates(TDuplicates::dupAccept);
    for (int i = 0; i < Items().Count(); ++i)
        if (TFcShellListData* data = ItemData(Items().Item(i)))
            old.AddObject(data->RelativeIdList(), Items().Item(i));
    old.SetSorted(true);
    std::vector<IdList> fresh;
    if (shell::Failed(folder->EnumObjects(EnumFlags(), fresh)))
        fresh.clear();
    old.RemoveCommon(fresh);
    for (int i = old.Count() - 1; i >= 0; --i) {
        const auto* gone = static_cast<const TListItem*>(old.Objects(i));
        const int index = Items().IndexOf(gone);
        if (index >= 0)
            Items().Delete(index);
    }
    bool added = false;
    for (const IdList& item : fresh)
        added = AcceptItem(*folder, item) || added;
    if (added)
        Sort();
}

// Life cycle.

void TFcCustomShellList::Loaded() {
    if (IsLoading() && m_options.Contains(TFcShellListOption::sloAutoFill) && Items().Count() == 0)
        PostShellFill(
            *this, [this] { return Items().Count() == 0; }, [this] { Fill(); });
    TFcCustomListView::Loaded();
}

void TFcCustomShellList::Delete(TListItem* item) {
    if (TFcShellListData* data = ItemData(item)) {
        if (OnDeleteItem)
            OnDeleteItem(this, item, data);
        item->SetData(nullptr);
    }
    TFcCustomListView::Delete(item);
}

QString TFcCustomShellList::ItemDisplayText(const TListItem& item, int column) const {
    TFcShellListData* data = ItemData(&item);
    if (!data)
        return TFcCustomListView::ItemDisplayText(item, column);
    if (column == 0)
        return gui::FileNameToQString(item.Caption().empty() ? data->DisplayName()
                                                             : item.Caption());
    const auto& subs = item.SubItems();
    if (std::size_t(column) > subs.size())
        return QString();
    if (!subs[std::size_t(column - 1)].empty())
        return gui::FileNameToQString(subs[std::size_t(column - 1)]);
    return QString::fromUtf8(data->DetailText(column));
}

int TFcCustomShellList::ItemImageIndex(const TListItem& item) const {
    TFcShellListData* data = ItemData(&item);
    if (!data || item.ImageIndex() >= 1)
        return TFcCustomListView::ItemImageIndex(item);
    return data->IconIndex();
}

} // namespace vdx
