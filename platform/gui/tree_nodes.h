#pragma once
// The tree view's nodes (TTreeNode) and their list (TTreeNodes): the tree
// the view shows. A node tells its view what changed; the view and its model
// live in tree_view.

#include "platform/gui/geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vdx::gui {

class TCustomTreeView;
class TTreeModel;
class TTreeNodes;

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

} // namespace vdx::gui
