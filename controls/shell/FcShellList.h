#pragma once
// The shell list: the contents of one shell folder as a list view, one item
// per file or folder, with the shell's icons and overlays, the folder's
// columns, sorting by a column, opening folders and documents, renaming in
// place, shell verbs on the keyboard, the items' context menu, and refresh
// on file-system and device changes. Linked to a shell tree it shows the
// tree's selected folder and moves the tree when a folder is opened here.
//
// Each item that stands for a shell item (a shell item) carries a
// TFcShellListData; other items are left alone by every shell operation.
// Names are bytes, shown and typed by the one rule for file names
// (platform/gui/file_name_text.h).
//
// Drag and drop: with sloOleDrag the selected items are dragged to other
// programs and folders; with sloOleDrop the list takes drops through the
// shell's drop target of the item under the mouse (the shown folder's over
// the background) and scrolls near its edges. There is no shell combo box
// to link to.

#include "controls/lists/FcListView.h"
#include "controls/shell/FcDeviceChange.h"
#include "controls/shell/FcShellDragDrop.h"
#include "controls/shell/FcShellHelpers.h"
#include "controls/shell/FcShellListData.h"
#include "controls/shell/FcShellLocator.h"
#include "controls/shell/FcShellTree.h"

#include <QPointer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QMimeData;
class QTimer;

namespace vdx {

class TChangeHandlerThread;

enum class TFcShellListOption : std::uint8_t {
    sloAutoFill,
    sloVirtualFolders,
    sloDesignInteractive,
    sloDefaultKeyHandling,
    sloContextMenus,
    sloNoFolderNavigation,
    sloUnused6,
    sloDynamicRefresh,
    sloFoldersInTree,
    sloOleDrag,
    sloOleDrop,
    sloUnused11,
    sloShowHidden,
    sloCompressedFoldersAsFolders
};

// A set of TFcShellListOption, bit n for value n.
class TFcShellListOptions {
public:
    constexpr TFcShellListOptions() noexcept = default;
    constexpr TFcShellListOptions(TFcShellListOption o) noexcept : m_bits(Bit(o)) {}
    static constexpr TFcShellListOptions FromBits(unsigned bits) noexcept {
        TFcShellListOptions r;
        r.m_bits = static_cast<std::uint16_t>(bits & 0x3FFF);
        return r;
    }
    constexpr bool Contains(TFcShellListOption o) const noexcept { return (m_bits & Bit(o)) != 0; }
    constexpr TFcShellListOptions With(TFcShellListOption o, bool on) const noexcept {
        return FromBits(on ? (m_bits | Bit(o)) : (m_bits & ~Bit(o)));
    }
    constexpr std::uint16_t Bits() const noexcept { return m_bits; }
    friend constexpr bool operator==(TFcShellListOptions, TFcShellListOptions) noexcept = default;

private:
    static constexpr std::uint16_t Bit(TFcShellListOption o) noexcept {
        return static_cast<std::uint16_t>(1u << static_cast<unsigned>(o));
    }
    std::uint16_t m_bits = 0;
};

// What a new list has ($3E9B).
inline constexpr TFcShellListOptions kDefaultShellListOptions =
    TFcShellListOptions::FromBits(0x3E9B);

using TFcShListDeleteItemEvent =
    std::function<void(QObject* sender, TListItem* item, TFcShellListData* data)>;
using TFcShItemOpenEvent = std::function<void(QObject* sender, bool& handled)>;

class TFcCustomShellList : public TFcCustomListView, public TFcDropSink {
    Q_OBJECT

public:
    explicit TFcCustomShellList(QWidget* parent = nullptr);
    ~TFcCustomShellList() override;

    // The folder shown; a change refills the list.
    TFcShellLocator& Folder() noexcept { return m_folder; }
    void SetFolder(const TFcShellLocator& value) { m_folder.Assign(&value); }
    TFcShellListOptions Options() const noexcept { return m_options; }
    virtual void SetOptions(TFcShellListOptions value);
    void SetViewStyle(gui::TViewStyle value) override;
    // The linked tree; set by the tree's SetShellList only.
    TFcCustomShellTree* ShellTree() const noexcept { return m_shellTree; }
    void SetShellTreeLink(TFcCustomShellTree* tree);
    // Patterns separated by ";" that files must match (folders always do).
    const std::string& FileFilter() const noexcept { return m_fileFilter; }
    void SetFileFilter(const std::string& value) { m_fileFilter = value; }
    // 1-based column sorted by; negative descending; 0 unsorted.
    int SortColumn() const noexcept { return m_sortColumn; }
    void SetSortColumn(int column);

    // Rebuilds the list for Folder. A folder that cannot be bound or
    // enumerated ends with gui::EAbort, the list left empty.
    void Fill();
    // Enumerates folder (absolute list) into the items.
    virtual void FillList(const ShellFolderPtr& folder, const IdList& list);
    // Merges the folder's current contents: kept items stay, gone ones go,
    // new ones come.
    void RefreshList();
    // levels up from the folder shown (through the linked tree).
    void GoUp(int levels);
    // A folder or a shortcut to one is opened here; other items run their
    // default command unless OnItemOpen handles them.
    void OpenItem(TListItem* item);
    void OpenSelection();
    void OpenFolder(const IdList& list);
    // The selected items' context menu at pos (client coordinates).
    virtual void ShowShellContextMenu(TPoint pos);
    // A verb of the selected items' menu; refreshed after it on a network
    // volume, which tells no changes.
    HRESULT InvokeVerbOnSelection(const std::string& verb);
    // A verb of the folder's own menu. Throws EOleSysError on failure.
    void InvokeFolderVerb(const std::string& verb);
    int SelectedItemCount() const;
    TFcShellListData* ItemData(const TListItem* item) const;
    // Runs the refresh timer's pending job at once (the tree's first with
    // alsoLinks).
    void FlushPendingFollow(bool alsoLinks);
    // Shows the folder of the linked tree's selected shell node.
    void FolderFromTreeNode(TTreeNode* node);
    // Starts renaming the item named name, once the events are through.
    void PostEditName(const std::string& name);

    // The folder shown, its list and details (nullptr: default columns).
    const ShellFolderPtr& CurrentFolder() const noexcept { return m_currentFolder; }
    const IdList& FolderIdList() const noexcept { return m_currentList; }
    const ShellDetailsPtr& ShellDetails() const noexcept { return m_details; }

    TFcShAddItemEvent OnAddItem;
    TFcShListDeleteItemEvent OnDeleteItem;
    TFcShItemOpenEvent OnItemOpen;
    TNotifyEvent OnFillStart;
    TNotifyEvent OnFillComplete;
    TNotifyEvent OnFolderSwitched;
    TFcShPopupHintEvent OnPopupHint;

    bool PendingRefresh() const noexcept { return m_pendingRefresh; }
    // Set while a drag from this list runs.
    bool Dragging() const noexcept { return m_dragging; }

    // The drop source's rules for a drag started with button.
    virtual TDropSource_shlvtv CreateDropSource(Qt::MouseButton button);
    // The drag events over the list (points in client coordinates): each
    // is a whole enter-leave probe of the shell's drop target of the item
    // under the point, else of the shown folder. DragOver also scrolls near
    // the edges. Drop carries it out, with the buttons held at DragEnter,
    // and refreshes the list.
    using TFcCustomListView::DragOver;
    HRESULT DragEnter(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                      std::uint32_t& effect) override;
    HRESULT DragOver(std::uint32_t keyState, TPoint pt, std::uint32_t& effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                 std::uint32_t& effect) override;

protected:
    // With sloOleDrag, drags the selected shell items.
    bool BeginItemDrag(TListItem* item, Qt::MouseButton button) override;
    // Runs the drag loop of data with the allowed effects; the effect the
    // target took (Qt::IgnoreAction when nothing was dropped).
    virtual Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> data, std::uint32_t allowed,
                                    Qt::MouseButton button);

    virtual bool AddItemQuery(shell::ShellFolder& folder, const IdList& parentAbsolute,
                              const IdList& item, std::uint32_t attributes);
    virtual void DeviceChanged(TFcDeviceChangeMessage& msg);
    virtual void BuildFilterTable();
    virtual bool PassesFilter(const std::string& name, std::uint32_t attributes);
    virtual void FreeFilterTable();
    // false when OnItemOpen handled the opening.
    virtual bool DoItemOpen();
    virtual void FillComplete();
    virtual void FillStart();
    virtual void FolderSwitched();
    virtual HRESULT GetSelectionUIObject(ContextMenuPtr& menu);
    virtual HRESULT GetListItemUIObject(TListItem* item, ContextMenuPtr& menu);
    virtual void WatchFolder();
    // A new item for a shell item being filled in.
    virtual TListItem* InsertItem(std::unique_ptr<TFcShellListData> data);

    void Loaded() override;
    bool CanEdit(TListItem* item) override;
    void Edit(TListItem* item, const std::optional<std::string>& text) override;
    void ColClick(int column) override;
    void Delete(TListItem* item) override;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void DoubleClicked(TPoint pos) override;
    bool DoMouseWheelDown(Qt::KeyboardModifiers shift, TPoint mousePos) override;
    bool DoMouseWheelUp(Qt::KeyboardModifiers shift, TPoint mousePos) override;
    void DoListItemContextMenu(TListItem* item, TPoint& pos, gui::TPopupMenu*& menu) override;
    QString ItemDisplayText(const TListItem& item, int column) const override;
    QString EditStartText(const TListItem& item) const override;
    std::string EditedText(const TListItem& item, const QString& typed) const override;
    int ItemImageIndex(const TListItem& item) const override;
    bool event(QEvent* event) override;

private:
    void FolderChanged();
    void TimerFired();
    bool AcceptItem(shell::ShellFolder& folder, const IdList& item);
    void SetupColumns();
    void ShellDetailsColumns();
    void DefaultColumns();
    void SaveColumnWidths();
    void Sort();
    int CompareItems(const TListItem& a, const TListItem& b) const;
    std::uint32_t EnumFlags() const;
    QWidget* OwnerWindow();
    std::vector<IdList> SelectedLists() const;
    // A refresh held back while editing, run once the editor has closed.
    void RefreshWhenPending();
    bool NetworkFolder() const;
    bool EnterOpens() const;
    std::string EditingName(const TListItem& item) const;
    // Runs the default command of menu; false when it has none.
    void RunDefaultCommand(const shell::ContextMenu& menu);
    // The shell's drop target serving pt, and the item to highlight.
    shell::DropTargetPtr DropTargetAt(TPoint pt, TListItem*& item);
    void UpdateDropTarget();
    void EndDrop();
    void DragScroll(TPoint pt);

    TFcShellLocator m_folder;
    TFcShellListOptions m_options = kDefaultShellListOptions;
    QPointer<TFcCustomShellTree> m_shellTree;
    std::string m_fileFilter;
    int m_sortColumn = 1;
    ShellFolderPtr m_currentFolder;
    IdList m_currentList;
    ShellDetailsPtr m_details;
    ShellFolder2Ptr m_detailsSource; // the columns' order
    std::unique_ptr<QTimer> m_refreshTimer;
    std::unique_ptr<TChangeHandlerThread> m_changeThread;
    ContextMenuPtr m_currentMenu;
    std::unique_ptr<std::set<std::string>> m_filterTable; // upper-case names
    std::string m_editName;
    int m_ignoreChanges = 0;
    bool m_suppressNextChange = false;
    bool m_dragging = false;
    bool m_pendingRefresh = false;
    bool m_columnAssigned = false;
    bool m_lastHadPath = false;
    // Drag and drop.
    using Clock = std::chrono::steady_clock;
    std::unique_ptr<TDropTarget_shlv> m_dropTarget;
    std::optional<shell::DropData> m_dropData; // the current drop's, decoded
    std::uint32_t m_dropKeyState = 0;
    Qt::MouseButton m_dragButton = Qt::NoButton;
    Clock::time_point m_lastDragScroll;
};

class TFcShellList : public TFcCustomShellList {
    Q_OBJECT

public:
    using TFcCustomShellList::TFcCustomShellList;
};

} // namespace vdx
