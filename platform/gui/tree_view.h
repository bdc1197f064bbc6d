#pragma once
// The class library's tree view on Qt: nodes (TTreeNode) in a node list
// (TTreeNodes) shown by a QTreeView whose rows, lines, buttons and images
// are painted here, so trees look the same on every machine. The tree view
// is not a widget itself: the control that derives from it (a framed
// control) is the host, and the QTreeView is the host's child that takes
// its client area and its focus.
//
// Expansion, selection and editing follow the platform's tree view: a node
// shows an expand button while it has children or HasChildren is set, and
// is filled when it is first expanded (CanExpand); collapsing a node moves
// a selection inside it to the node; a click on the selected node's label
// or EditText edits it in place. Client coordinates are the view's.
//
// Kept without effect: ChangeDelay, ToolTips, HotTrack, RowSelect,
// SortType, DragMode (the shell tree starts its own drags: BeginNodeDrag).

#include "platform/gui/canvas.h"
#include "platform/gui/color.h"
#include "platform/gui/enum_set.h"
#include "platform/gui/font.h"
#include "platform/gui/geometry.h"
#include "platform/gui/image_list.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QKeyEvent;
class QLineEdit;
class QObject;
class QTreeView;
class QWidget;

namespace vdx::gui {

class TCustomTreeView;
class TTreeNodes;
class TTreeModel;
class TTreeViewWidget;

// What a node carries for its owner; freed with the node.
class TTreeNodeData {
public:
    virtual ~TTreeNodeData() = default;
};

class TTreeNode {
public:
    ~TTreeNode();
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    TTreeNodes& Owner() const noexcept { return m_owner; }
    TCustomTreeView& TreeView() const noexcept;

    const std::string& Text() const noexcept { return m_text; }
    void SetText(std::string text);
    TTreeNodeData* Data() const noexcept { return m_data.get(); }
    void SetData(std::unique_ptr<TTreeNodeData> data) { m_data = std::move(data); }
    std::unique_ptr<TTreeNodeData> TakeData() { return std::move(m_data); }

    int ImageIndex() const noexcept { return m_imageIndex; }
    void SetImageIndex(int value);
    int SelectedIndex() const noexcept { return m_selectedIndex; }
    void SetSelectedIndex(int value);
    // The overlay image (-1 none; 0 the first overlay image).
    int OverlayIndex() const noexcept { return m_overlayIndex; }
    void SetOverlayIndex(int value);
    // Drawn ghosted (a cut or hidden item).
    bool Cut() const noexcept { return m_cut; }
    void SetCut(bool value);
    // An expand button: children exist or the flag is set.
    bool HasChildren() const noexcept { return m_hasChildren || !m_children.empty(); }
    void SetHasChildren(bool value);

    bool Expanded() const noexcept { return m_expanded; }
    void SetExpanded(bool value) { value ? Expand(false) : Collapse(false); }
    bool Selected() const;
    void SetSelected(bool value);
    bool Focused() const { return Selected(); }
    bool Deleting() const noexcept { return m_deleting; }

    TTreeNode* Parent() const noexcept {
        return m_parent && m_parent->m_parent ? m_parent : nullptr;
    }
    int Level() const;
    int Count() const noexcept { return static_cast<int>(m_children.size()); }
    // Child index; throws EListError out of range.
    TTreeNode* Item(int index) const;
    TTreeNode* GetFirstChild() const;
    TTreeNode* GetLastChild() const;
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // The next node in tree order (children first); nullptr after the last.
    TTreeNode* GetNext() const;
    // The index among the siblings; the index in tree order.
    int Index() const;
    int AbsoluteIndex() const;
    bool HasAsParent(const TTreeNode* node) const;

    // Expands (asking CanExpand, which may fill the node first) and
    // collapses; recurse does the same below.
    void Expand(bool recurse);
    void Collapse(bool recurse);
    // Expands the parents and scrolls the node into view.
    void MakeVisible();
    // Starts in-place editing (CanEdit decides); false when refused.
    bool EditText();
    // Ends editing this node: cancel drops the typed text.
    void EndEdit(bool cancel);
    // Deletes the node and its children (each through the tree's Delete).
    void Delete();
    void DeleteChildren();
    // The label (textOnly) or the whole row, in client coordinates; empty
    // when the node is not shown.
    TRect DisplayRect(bool textOnly) const;
    // Shown: every parent expanded.
    bool IsVisible() const;

private:
    friend class TTreeNodes;
    friend class TTreeModel;
    friend class TCustomTreeView;
    TTreeNode(TTreeNodes& owner, TTreeNode* parent, std::string text);
    void Changed();

    TTreeNodes& m_owner;
    TTreeNode* m_parent; // the node list's hidden root for top-level nodes
    std::vector<std::unique_ptr<TTreeNode>> m_children;
    std::string m_text;
    std::unique_ptr<TTreeNodeData> m_data;
    int m_imageIndex = 0;
    int m_selectedIndex = 0;
    int m_overlayIndex = -1;
    bool m_cut = false;
    bool m_hasChildren = false;
    bool m_expanded = false;
    bool m_deleting = false;
};

class TTreeNodes {
public:
    explicit TTreeNodes(TCustomTreeView& owner);
    ~TTreeNodes();
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;

    TCustomTreeView& Owner() const noexcept { return m_owner; }
    // All nodes.
    int Count() const;
    // The node at index in tree order; throws EListError out of range.
    TTreeNode* Item(int index) const;
    TTreeNode* GetFirstNode() const;
    // sibling's last sibling (a top-level node when nullptr).
    TTreeNode* Add(TTreeNode* sibling, std::string text);
    TTreeNode* AddFirst(TTreeNode* sibling, std::string text);
    // parent's last / first child (a top-level node when nullptr).
    TTreeNode* AddChild(TTreeNode* parent, std::string text);
    TTreeNode* AddChildFirst(TTreeNode* parent, std::string text);
    // Before sibling (at the end of the top level when nullptr).
    TTreeNode* Insert(TTreeNode* sibling, std::string text);
    void Delete(TTreeNode* node);
    void Clear();
    // Painting waits until the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const noexcept { return m_updates; }

private:
    friend class TTreeNode;
    friend class TTreeModel;
    friend class TCustomTreeView;
    TTreeNode* InsertAt(TTreeNode* parent, std::size_t row, std::string text);

    TCustomTreeView& m_owner;
    std::unique_ptr<TTreeNode> m_root; // hidden; its children are the top level
    int m_updates = 0;
};

// Where a point lies (GetHitTestInfoAt).
enum class THitTest : std::uint16_t {
    htAbove = 0x0001,
    htBelow = 0x0002,
    htNowhere = 0x0004,
    htOnItem = 0x0008, // icon or label
    htOnButton = 0x0010,
    htOnIcon = 0x0020,
    htOnIndent = 0x0040,
    htOnLabel = 0x0080,
    htOnRight = 0x0100,
    htToLeft = 0x0400,
    htToRight = 0x0800
};
using THitTests = TEnumSet<THitTest>;

// Negative when a comes before b.
using TTVCompare = std::function<int(const TTreeNode& a, const TTreeNode& b)>;

using TTVChangedEvent = std::function<void(QObject* sender, TTreeNode* node)>;
using TTVExpandingEvent = std::function<void(QObject* sender, TTreeNode* node, bool& allow)>;
using TTVEditingEvent = std::function<void(QObject* sender, TTreeNode* node, bool& allow)>;
using TTVEditedEvent = std::function<void(QObject* sender, TTreeNode* node, std::string& text)>;

// The state a row is painted in.
struct TTreeRowState {
    bool Selected = false;   // the selected node
    bool Focused = false;    // the tree has the focus
    bool DropTarget = false; // a right-click is pending on it
};

class TCustomTreeView {
public:
    // Makes the view a child of host; the host places it (SetViewBounds).
    explicit TCustomTreeView(QWidget& host);
    virtual ~TCustomTreeView();
    TCustomTreeView(const TCustomTreeView&) = delete;
    TCustomTreeView& operator=(const TCustomTreeView&) = delete;

    QWidget& Host() const noexcept { return m_host; }
    QTreeView& View() const noexcept;
    TTreeNodes& Items() noexcept { return *m_items; }
    const TTreeNodes& Items() const noexcept { return *m_items; }
    void SetViewBounds(const TRect& bounds);

    // The selected node (nullptr for none); setting it fires Change.
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    // The first row shown.
    TTreeNode* TopItem() const;
    void SetTopItem(TTreeNode* node);
    bool IsEditing() const;
    // The node being edited (nullptr when none).
    TTreeNode* EditingNode() const noexcept { return m_editing; }
    // The in-place editor while a node is edited (TVM_GETEDITCONTROL).
    QLineEdit* EditControl() const;
    TTreeNode* GetNodeAt(int x, int y) const;
    THitTests GetHitTestInfoAt(int x, int y) const;
    // Sorts the children of parent (the top level when nullptr), and below
    // them when recurse, stably by compare.
    void CustomSort(const TTVCompare& compare, TTreeNode* parent, bool recurse);
    void FullExpand();
    void FullCollapse();

    bool ShowRoot() const noexcept { return m_showRoot; }
    void SetShowRoot(bool value);
    bool ShowButtons() const noexcept { return m_showButtons; }
    void SetShowButtons(bool value);
    bool ShowLines() const noexcept { return m_showLines; }
    void SetShowLines(bool value);
    // False keeps the selection shown while the tree has no focus.
    bool HideSelection() const noexcept { return m_hideSelection; }
    void SetHideSelection(bool value);
    // No in-place editing.
    bool ReadOnly() const noexcept { return m_readOnly; }
    void SetReadOnly(bool value);
    // A right click selects the node only while it is handled.
    bool RightClickSelect() const noexcept { return m_rightClickSelect; }
    void SetRightClickSelect(bool value) noexcept { m_rightClickSelect = value; }
    // Selecting a node expands it and collapses the others.
    virtual bool AutoExpand() const { return m_autoExpand; }
    virtual void SetAutoExpand(bool value) { m_autoExpand = value; }
    int Indent() const noexcept { return m_indent; }
    void SetIndent(int value);
    // The images of the nodes (not owned; nullptr: none). A node's overlay
    // index n draws the list's overlay image n + 1 over its image; a cut
    // node's image is drawn half shown.
    TCustomImageList* Images() const noexcept { return m_imagesLink.Images(); }
    void SetImages(TCustomImageList* images);
    // Row height; 0 the platform's (the font's height and 3, at least the
    // images' and 2).
    int ItemHeightValue() const noexcept { return m_itemHeight; }
    void SetItemHeightValue(int value);
    int RowHeight() const;
    bool RowSelect() const noexcept { return m_rowSelect; }
    void SetRowSelect(bool value) noexcept { m_rowSelect = value; }
    bool HotTrack() const noexcept { return m_hotTrack; }
    void SetHotTrack(bool value) noexcept { m_hotTrack = value; }
    bool ToolTips() const noexcept { return m_toolTips; }
    void SetToolTips(bool value) noexcept { m_toolTips = value; }
    int ChangeDelay() const noexcept { return m_changeDelay; }
    void SetChangeDelay(int value) noexcept { m_changeDelay = value; }

    TTVChangedEvent OnChange;
    TTVExpandingEvent OnExpanding;
    TTVChangedEvent OnExpanded;
    TTVExpandingEvent OnCollapsing;
    TTVChangedEvent OnCollapsed;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVChangedEvent OnGetImageIndex;
    TTVChangedEvent OnGetSelectedIndex;
    TTVChangedEvent OnDeletion;

    // The QObject events name as their sender (the host).
    QObject* Sender() const noexcept;

protected:
    // The class library's hooks, in the order it calls them.
    virtual bool CanExpand(TTreeNode* node);   // fires OnExpanding
    virtual void Expand(TTreeNode* node);      // after; fires OnExpanded
    virtual bool CanCollapse(TTreeNode* node); // fires OnCollapsing
    virtual void Collapse(TTreeNode* node);    // after; fires OnCollapsed
    virtual void Change(TTreeNode* node);      // the selection changed; fires OnChange
    virtual void Delete(TTreeNode* node);      // a node goes; fires OnDeletion
    virtual bool CanEdit(TTreeNode* node);     // fires OnEditing
    // The edit ended: text is nullopt when it was cancelled. The base
    // fires OnEdited and takes the text.
    virtual void Edit(TTreeNode* node, const std::optional<std::string>& text);
    virtual void GetImageIndex(TTreeNode* node);    // fires OnGetImageIndex
    virtual void GetSelectedIndex(TTreeNode* node); // fires OnGetSelectedIndex

    // Node text as shown and as typed: code page 1252 by default.
    virtual QString NodeDisplayText(const TTreeNode& node) const;
    // The text the editor starts with.
    virtual QString EditStartText(const TTreeNode& node) const;
    // The typed text as a node text.
    virtual std::string EditedText(const TTreeNode& node, const QString& typed) const;

    // The view's input, before the tree view's own handling. Keys: Qt key
    // codes; setting key to 0 swallows it. A true result from the mouse
    // hooks means handled.
    virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);
    virtual bool MouseWheel(int delta, Qt::KeyboardModifiers shift);
    // The mouse moved the start-drag distance with the left or right
    // button held since it was pressed on node (TVN_BEGINDRAG,
    // TVN_BEGINRDRAG); true when a drag ran, which took the release.
    virtual bool BeginNodeDrag(TTreeNode* node, Qt::MouseButton button);
    // A left click (NM_CLICK), before the selection follows it.
    virtual void Clicked(TPoint pos);
    // A right click released at pos (NM_RCLICK).
    virtual void RightClicked(TPoint pos);
    // The menu asked for by the keyboard (pos is nullopt) or the mouse.
    virtual void ContextMenuRequested(std::optional<TPoint> pos);
    virtual void DoubleClicked(TPoint pos);
    // After the rows were painted (over them, in client coordinates).
    virtual void ViewPainted(TCanvas& canvas);
    // The view's focus came or went.
    virtual void ViewFocusChanged(bool focused);

    // What rows are painted with.
    virtual TColor ViewColor() const;
    virtual TFont ViewFont() const;
    // Paints one row (the whole width of the view).
    virtual void PaintRow(TCanvas& canvas, TTreeNode& node, const TRect& row,
                          const TTreeRowState& state);
    // The node a right click is pending on (drawn as a drop target).
    void SetDropHighlight(TTreeNode* node);
    TTreeNode* DropHighlight() const noexcept { return m_dropHighlight; }
    // Repaints the rows (colours changed).
    void InvalidateView();
    // Lays the rows out again (the font or the images changed).
    void UpdateRowHeights();

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend class TTreeModel;
    friend class TTreeViewWidget;
    friend class TTreeDelegate;

    void ExpandNode(TTreeNode* node, bool recurse);
    void CollapseNode(TTreeNode* node, bool recurse);
    void RemoveNode(TTreeNode* node);
    void NodeChanged(TTreeNode* node);
    void CurrentChanged(TTreeNode* node);
    void EditStarted(TTreeNode* node);
    void EditEnded(TTreeNode* node, const std::optional<QString>& typed);
    bool EditAllowed(TTreeNode* node);
    int LabelLeft(const TTreeNode& node, int itemLeft) const;
    int LabelWidth(const TTreeNode& node) const;

    QWidget& m_host;
    std::unique_ptr<TTreeNodes> m_items;
    std::unique_ptr<TTreeModel> m_model;
    TTreeViewWidget* m_view; // a child of the host, owned by Qt's parent tree
    TChangeLink m_imagesLink;
    TTreeNode* m_editing = nullptr;
    TTreeNode* m_dropHighlight = nullptr;
    bool m_editCancelled = false;
    bool m_showRoot = true;
    bool m_showButtons = true;
    bool m_showLines = true;
    bool m_hideSelection = true;
    bool m_readOnly = false;
    bool m_rightClickSelect = false;
    bool m_autoExpand = false;
    bool m_rowSelect = false;
    bool m_hotTrack = false;
    bool m_toolTips = true;
    int m_changeDelay = 0;
    int m_indent = 19;
    int m_itemHeight = 0;
};

} // namespace vdx::gui
