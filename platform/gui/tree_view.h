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
#include "platform/gui/tree_nodes.h"

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

    // TTreeNode::EditText: scrolls to node and opens its editor.
    bool StartNodeEdit(TTreeNode& node);
    // TTreeNode::EndEdit: closes node's editor, taking its text unless cancel.
    void EndNodeEdit(TTreeNode& node, bool cancel);

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
