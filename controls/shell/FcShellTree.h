#pragma once
// The shell tree: the folders of the shell namespace as a tree that fills
// itself on demand, from a root node for BaseFolder down, with the shell's
// icons, in-place renaming, the items' context menu, shell verbs on the
// keyboard, and refresh on device changes. SelectedFolder follows the
// selected node; setting it opens and selects that folder.
//
// Each node that stands for a shell item (a shell node) carries a
// TFcShellTreeData; a node with other data is left alone by every shell
// operation. Node texts are name bytes, shown and typed by the one rule for
// file names (platform/gui/file_name_text.h).
//
// Drag and drop: with stoOleDrag a node (never the root) is dragged to
// other programs and folders; with stoOleDrop the tree takes drops on its
// nodes through the shell's drop target of the node under the mouse,
// scrolls near its edges and opens a folder node the mouse rests over.
// The context menu's Send To submenu copies the item into a Send To entry.
//
// With stoDynamicRefresh the tree watches its fixed and network volumes
// for folders (and with stoIncludeNonFolders files) that come and go, and
// refreshes once a burst of changes has passed. inotify is not recursive: a
// volume's watch covers its mount point and the folder of every node the
// tree fills.
//
// A linked shell list (ShellList) shows the selected folder; a keyboard
// selection is followed once it rests for 500 ms. stoDesignInteractive has
// no designer to act in.

#include "controls/shell/FcChangeHandler.h"
#include "controls/shell/FcDeviceChange.h"
#include "controls/shell/FcShellDragDrop.h"
#include "controls/shell/FcShellHelpers.h"
#include "controls/shell/FcShellLocator.h"
#include "controls/shell/FcShellTreeData.h"
#include "controls/shell/FcTreeView.h"
#include "platform/gui/enum_set.h"

#include <QPointer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QTimer;

namespace vdx {

class TFcCustomShellList;

enum class TFcShellTreeOption : std::uint8_t {
    stoAutoFill,
    stoVirtualFolders,
    stoDesignInteractive,
    stoDefaultKeyHandling,
    stoContextMenus,
    stoDynamicRefresh,
    stoIncludeNonFolders,
    stoOleDrag,
    stoOleDrop,
    stoShowHidden
};

using TFcShellTreeOptions = gui::TOrdinalSet<TFcShellTreeOption, 10>;

// What a new tree has: every option but stoDesignInteractive and
// stoIncludeNonFolders ($03BB).
inline constexpr TFcShellTreeOptions kDefaultShellTreeOptions =
    TFcShellTreeOptions::FromBits(0x03BB);

// Asked for each enumerated item: allowAdd (true) false leaves it out.
using TFcShAddItemEvent =
    std::function<void(QObject* sender, shell::ShellFolder& folder, const IdList& parentAbsolute,
                       const IdList& item, std::uint32_t attributes, bool& allowAdd)>;
using TFcShTreeInsertItemEvent = std::function<void(QObject* sender, TTreeNode* node)>;
using TFcShTreeDeleteItemEvent =
    std::function<void(QObject* sender, TTreeNode* node, TFcShellTreeData* data)>;

// Drag and drop timing: at most one edge scroll step per interval, within
// the zones from the edges; a node opens after the mouse rested this long
// inside a resting area of this size.
inline constexpr std::chrono::milliseconds kDragScrollInterval{100};
inline constexpr int kDragEdgeZoneX = 26;
inline constexpr int kDragEdgeZoneY = 20;
inline constexpr std::chrono::milliseconds kDragHoverTime{400};
inline constexpr int kDragHoverWidth = 2;
inline constexpr int kDragHoverHeight = 2;

class TFcCustomShellTree : public TFcCustomTreeView, public TFcDropSink {
    Q_OBJECT

public:
    explicit TFcCustomShellTree(QWidget* parent = nullptr);
    ~TFcCustomShellTree() override;

    // The root; a change (not while loading) clears SelectedFolder and,
    // with stoAutoFill, fills the tree again.
    TFcShellLocator& BaseFolder() noexcept { return m_baseFolder; }
    void SetBaseFolder(const TFcShellLocator& value);
    // The selected folder; a change opens and selects it (ignored while
    // loading or busy).
    TFcShellLocator& SelectedFolder() noexcept { return m_selectedFolder; }
    void SetSelectedFolder(const TFcShellLocator& value);
    TFcShellTreeOptions Options() const noexcept { return m_options; }
    virtual void SetOptions(TFcShellTreeOptions value);

    // Rebuilds every node from BaseFolder and opens SelectedFolder. Throws
    // std::runtime_error when the base folder cannot be bound.
    void FillTree();
    // Enumerates every filled node again, keeping the nodes that still exist
    // (their expansion and icons); a vanished selection moves to its parent.
    void RefreshTree();
    // Opens the path to an absolute list and selects its node; a list
    // outside BaseFolder selects the root.
    void SelectIdList(const IdList& list);
    std::string SelectedPathName();
    // Selects the ancestor levels above the selection (stopping at the root).
    void GoUp(int levels);
    // Sorts by the parent folder's order (nullptr: all nodes).
    void SortChildren(TTreeNode* node);
    TFcShellTreeData* NodeData(const TTreeNode* node) const;
    TTreeNode* FirstShellNode() const;
    // Runs a pending job of the refresh timer at once (the linked list's
    // first with alsoLinks).
    void FlushPendingFollow(bool alsoLinks);
    // The list that shows the selected folder; the link goes both ways and
    // ends when either side is destroyed.
    TFcCustomShellList* ShellList() const;
    void SetShellList(TFcCustomShellList* list);

    // One child node for item in folder below parentNode (top level when
    // nullptr); the attribute query's failure is returned.
    virtual HRESULT AddNode(shell::ShellFolder& folder, const IdList& parentAbsolute,
                            TTreeNode* parentNode, const IdList& item);
    // Fires OnAddItem with allowAdd preset to true.
    virtual bool AddItemQuery(shell::ShellFolder& folder, const IdList& parentAbsolute,
                              const IdList& item, std::uint32_t attributes);
    // Enumerates folder into node (nullptr: creates the root first). A
    // folder that cannot be enumerated keeps its button and ends with
    // gui::EAbort.
    virtual void FillNode(const ShellFolderPtr& folder, TTreeNode* node);
    // A device came or went: the Computer is read again and the tree
    // refreshed.
    virtual void DeviceChanged(TFcDeviceChangeMessage& msg);

    // A new folder in the selected folder, then renamed in place; false when
    // the selection has no file-system path or the folder was not made.
    bool CreateNewFolder();
    // Runs a verb of the node's context menu, then refreshes; S_FALSE for
    // the root, a node without shell data or a verb the item has not.
    HRESULT InvokeVerb(TTreeNode* node, const std::string& verb);
    // The node's context menu at pos (client coordinates), the chosen
    // command carried out.
    virtual void ShowShellContextMenu(TTreeNode* node, TPoint pos);
    // Copies the node's item into the Send To entry index (as the menu
    // listed them); an index past the list does nothing.
    virtual void SendToCommand(TTreeNode* node, int index);

    // The drag events over the tree (points in client coordinates): each is
    // a whole enter-leave probe of the shell's drop target of the node
    // under the point, a node without one (and, on entry, the root) offers
    // nothing. DragOver also scrolls near the edges (DragScroll) and opens
    // a never-filled node the mouse rests over. Drop carries it out, with
    // the buttons held at DragEnter, and refreshes the tree.
    using TFcCustomTreeView::DragOver;
    HRESULT DragEnter(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                      std::uint32_t& effect) override;
    HRESULT DragOver(std::uint32_t keyState, TPoint pt, std::uint32_t& effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                 std::uint32_t& effect) override;
    virtual void DragScroll(TPoint pt);
    // The node being dragged from this tree (nullptr when none).
    TTreeNode* DraggedNode() const noexcept { return m_dragNode; }
    bool DragOrMenu() const noexcept { return m_dragOrMenu; }
    // Watches the volume that holds path (once), with the folders of the
    // filled nodes on it; "" removes every watch.
    virtual void WatchDrive(const std::string& path);

    void Loaded() override;

    TFcShAddItemEvent OnAddItem;
    TFcShTreeInsertItemEvent OnInsertItem;
    TFcShTreeDeleteItemEvent OnDeleteItem;
    TNotifyEvent OnFillStart;
    TNotifyEvent OnFillComplete;
    TFcShPopupHintEvent OnPopupHint;

    // State tests and forms look at.
    int BusyCount() const noexcept { return m_busy; }
    bool PendingRefresh() const noexcept { return m_pendingRefresh; }
    TTreeNode* LastInsertedNode() const noexcept { return m_lastInserted; }
    // The job of the running refresh timer (1 follow, 2 refresh), else 0.
    int PendingTimerJob() const;

protected:
    virtual void InsertItem(TTreeNode* node); // fires OnInsertItem
    virtual void FillNodeIfNeeded(TTreeNode* node);
    virtual void FillComplete(); // fires OnFillComplete
    virtual void FillStart();    // fires OnFillStart

    bool event(QEvent* event) override;
    bool CanExpand(TTreeNode* node) override;
    bool CanEdit(TTreeNode* node) override;
    void Change(TTreeNode* node) override;
    void Delete(TTreeNode* node) override;
    void Edit(TTreeNode* node, const std::optional<std::string>& text) override;
    void GetImageIndex(TTreeNode* node) override;
    void GetSelectedIndex(TTreeNode* node) override;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void Clicked(TPoint pos) override;
    void DoNodeContextMenu(TTreeNode* node, TPoint& pos, gui::TPopupMenu*& menu) override;
    QString NodeDisplayText(const TTreeNode& node) const override;
    // With stoOleDrag, drags a shell node that has a parent.
    bool BeginNodeDrag(TTreeNode* node, Qt::MouseButton button) override;
    // Runs the drag loop of data with the allowed effects; the effect the
    // target took (Qt::IgnoreAction when nothing was dropped).
    virtual Qt::DropAction ExecDrag(std::unique_ptr<QMimeData> data, std::uint32_t allowed,
                                    Qt::MouseButton button);
    QString EditStartText(const TTreeNode& node) const override;
    std::string EditedText(const TTreeNode& node, const QString& typed) const override;

private:
    void BaseFolderChanged();
    void SelectedFolderChanged();
    void TimerFired();
    // Watches every watched volume afresh (the change thread made first).
    void StartChangeNotification();
    void ShellChanged();
    // Adds a filled node's folder to the watch of its volume, if watched.
    void WatchNodeFolder(TTreeNode* node);
    void MergeNode(TTreeNode* node, TTreeNode*& remembered);
    std::uint32_t EnumFlags() const;
    // The window shell calls show their boxes over.
    QWidget* OwnerWindow();
    // Whether node is (still) one of this tree's nodes.
    bool HasNode(const TTreeNode* node) const;
    // The editing name of a shell node, as bytes.
    // The shell's drop target of the node at pt (nullptr for none).
    shell::DropTargetPtr DropTargetAt(TPoint pt, TTreeNode*& node);
    // Opens the node at the hover point when the mouse rested long enough.
    void HoverExpand(TPoint pt);
    void UpdateDropTarget();
    void EndDrop();

    TFcShellLocator m_baseFolder;
    TFcShellLocator m_selectedFolder;
    QPointer<TFcCustomShellList> m_shellList;
    TFcShellTreeOptions m_options = kDefaultShellTreeOptions;
    std::unique_ptr<QTimer> m_refreshTimer;
    int m_timerTag = 0; // 0 none, 1 follow the selection, 2 refresh
    ContextMenuPtr m_currentMenu;
    bool m_immediateFollow = false;
    int m_busy = 0;
    int m_dragExpand = 0;
    bool m_loadingExpand = false;
    bool m_suppressNextChange = false;
    bool m_dragOrMenu = false;
    bool m_pendingRefresh = false;
    TTreeNode* m_lastInserted = nullptr;
    // Drag and drop.
    using Clock = std::chrono::steady_clock;
    TTreeNode* m_dragNode = nullptr;
    std::unique_ptr<TDropTarget_shtv> m_dropTarget;
    std::optional<shell::DropData> m_dropData; // the current drop's, decoded
    bool m_dropRefused = false;                // its data failed the checks
    std::uint32_t m_dropKeyState = 0;
    Clock::time_point m_lastDragScroll;
    TPoint m_hoverPoint;
    Clock::time_point m_hoverStart;
    std::unique_ptr<TChangeHandlerThread> m_changeThread;
    // Mount point and watch slot of each watched volume.
    std::vector<std::pair<std::string, int>> m_watchedVolumes;
};

class TFcShellTree : public TFcCustomShellTree {
    Q_OBJECT

public:
    using TFcCustomShellTree::TFcCustomShellTree;
};

} // namespace vdx
