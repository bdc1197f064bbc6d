// The shell tree's drag and drop: dragging a node out, and routing the drag
// events over the tree to the shell's drop target of the node under the
// mouse, with edge scrolling and hover expansion.

#include "controls/shell/FcShellTree.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/shell_boxes.h"
#include "platform/shell/file_transfer.h"

#include <QDrag>
#include <QMimeData>
#include <QPointer>
#include <QTreeView>

namespace vdx {

namespace {

constexpr std::uint32_t kAllEffects =
    shell::DROPEFFECT_COPY | shell::DROPEFFECT_MOVE | shell::DROPEFFECT_LINK;

} // namespace

void TFcCustomShellTree::UpdateDropTarget() {
    const bool on = m_options.Contains(TFcShellTreeOption::stoOleDrop);
    if (on && !m_dropTarget)
        m_dropTarget = std::make_unique<TDropTarget_shtv>(*this, *View().viewport());
    else if (!on)
        m_dropTarget.reset();
}

// Dragging a node out.

bool TFcCustomShellTree::BeginNodeDrag(TTreeNode* node, Qt::MouseButton button) {
    if (!m_options.Contains(TFcShellTreeOption::stoOleDrag))
        return TFcCustomTreeView::BeginNodeDrag(node, button);
    TFcShellTreeData* data = NodeData(node);
    if (!data || !node->Parent())
        return false;
    m_dragNode = node;
    SetDropHighlight(node);
    // The nodes stay while the drag refers to them.
    m_dragOrMenu = true;
    QPointer<QWidget> alive(this);
    Qt::DropAction result = Qt::IgnoreAction;
    bool pending = false;
    {
        struct Done {
            TFcCustomShellTree* tree;
            QPointer<QWidget>& alive;
            bool& pending;
            ~Done() {
                if (!alive)
                    return;
                tree->m_dragOrMenu = false;
                pending = std::exchange(tree->m_pendingRefresh, false);
                tree->m_dragNode = nullptr;
                tree->SetDropHighlight(nullptr);
            }
        };
        const Done done{this, alive, pending};
        const TDataObject_shtv object(*this, node);
        std::uint32_t allowed = kAllEffects;
        const ShellFolderPtr parent = data->ParentFolder();
        const IdList item = data->RelativeIdList();
        if (!parent || shell::Failed(parent->GetAttributesOf({&item, 1}, allowed)))
            allowed = kAllEffects;
        result = ExecDrag(object.MimeData(), allowed & kAllEffects, button);
    }
    // A drop, or a refresh asked for while the drag held the nodes.
    if (alive && (result != Qt::IgnoreAction || pending))
        RefreshTree();
    return true;
}

Qt::DropAction TFcCustomShellTree::ExecDrag(std::unique_ptr<QMimeData> data, std::uint32_t allowed,
                                            Qt::MouseButton) {
    return ExecShellDrag(View(), std::move(data), allowed);
}

// Drops on the tree.

shell::DropTargetPtr TFcCustomShellTree::DropTargetAt(TPoint pt, TTreeNode*& node) {
    node = GetNodeAt(pt.X, pt.Y);
    TFcShellTreeData* data = NodeData(node);
    shell::DropTargetPtr target;
    if (!data || shell::Failed(data->GetDropTarget(target)))
        return nullptr;
    return target;
}

HRESULT TFcCustomShellTree::DragEnter(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                                      std::uint32_t& effect) {
    m_lastDragScroll = Clock::now();
    m_dropData = DecodeDropData(data);
    m_dropRefused = !m_dropData;
    m_dropKeyState = keyState;
    m_hoverPoint = pt;
    m_hoverStart = Clock::now();
    TTreeNode* node = nullptr;
    const shell::DropTargetPtr target = DropTargetAt(pt, node);
    // Over the root nothing is offered on entry.
    if (!target || m_dropRefused || !node->Parent()) {
        effect = shell::DROPEFFECT_NONE;
        SetDropHighlight(m_dragNode);
        return shell::S_OK;
    }
    const HRESULT hr = target->DragEnter(*m_dropData, keyState, effect);
    target->DragLeave();
    SetDropHighlight(node);
    return hr;
}

HRESULT TFcCustomShellTree::DragOver(std::uint32_t keyState, TPoint pt, std::uint32_t& effect) {
    TTreeNode* const highlighted = DropHighlight();
    HRESULT hr = shell::S_OK;
    TTreeNode* node = nullptr;
    const shell::DropTargetPtr target = m_dropData ? DropTargetAt(pt, node) : nullptr;
    if (target) {
        hr = ProbeDropTarget(*target, *m_dropData, keyState, effect);
        SetDropHighlight(node);
    } else {
        effect = shell::DROPEFFECT_NONE;
        SetDropHighlight(m_dragNode);
    }
    DragScroll(pt);
    HoverExpand(pt);
    effect |= shell::DROPEFFECT_SCROLL;
    if (DropHighlight() != highlighted)
        View().viewport()->repaint();
    return hr;
}

void TFcCustomShellTree::DragScroll(TPoint pt) {
    const Clock::time_point now = Clock::now();
    if (now - m_lastDragScroll <= kDragScrollInterval)
        return;
    const bool moved = DragEdgeScroll(View(), pt);
    m_lastDragScroll = now;
    if (moved)
        m_hoverStart = now; // the rows moved under the mouse
}

void TFcCustomShellTree::HoverExpand(TPoint pt) {
    const Clock::time_point now = Clock::now();
    const bool resting =
        pt.X >= m_hoverPoint.X - kDragHoverWidth / 2 && pt.X < m_hoverPoint.X + kDragHoverWidth &&
        pt.Y >= m_hoverPoint.Y - kDragHoverHeight / 2 && pt.Y < m_hoverPoint.Y + kDragHoverHeight;
    if (resting && now - m_hoverStart <= kDragHoverTime)
        return;
    if (resting) {
        TTreeNode* node = GetNodeAt(m_hoverPoint.X, m_hoverPoint.Y);
        if (node && node->HasChildren() && node->Count() == 0) {
            // No boxes over a drag in progress.
            ++m_dragExpand;
            try {
                FillNodeIfNeeded(node);
                node->Expand(false);
            } catch (const std::exception&) {
                node->SetHasChildren(false);
            }
            --m_dragExpand;
        }
    }
    m_hoverPoint = pt;
    m_hoverStart = now;
}

HRESULT TFcCustomShellTree::DragLeave() {
    EndDrop();
    return shell::S_OK;
}

void TFcCustomShellTree::EndDrop() {
    m_dropData.reset();
    m_dropRefused = false;
    SetDropHighlight(m_dragNode);
}

HRESULT TFcCustomShellTree::Drop(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                                 std::uint32_t& effect) {
    QPointer<QWidget> alive(this);
    struct Finally {
        TFcCustomShellTree* tree;
        QPointer<QWidget>& alive;
        ~Finally() {
            if (alive)
                tree->EndDrop();
        }
    } finally{this, alive};
    TTreeNode* node = nullptr;
    const shell::DropTargetPtr target = m_dropData ? DropTargetAt(pt, node) : nullptr;
    if (!target) {
        effect = shell::DROPEFFECT_NONE;
        return shell::S_OK;
    }
    const HRESULT hr = DropOnShellTarget(*target, *m_dropData, data, keyState, m_dropKeyState,
                                         effect, 0, OwnerWindow());
    if (alive)
        RefreshTree();
    return hr;
}

} // namespace vdx
