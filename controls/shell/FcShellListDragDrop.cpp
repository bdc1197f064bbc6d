// The shell list's drag and drop: dragging the selected items out, and
// routing the drag events over the list to the shell's drop target of the
// item under the mouse or of the shown folder, with edge scrolling.

#include "controls/shell/FcShellList.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/shell_boxes.h"
#include "platform/shell/file_transfer.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QMimeData>
#include <QPointer>

namespace vdx {

namespace {

constexpr std::uint32_t kAllEffects =
    shell::DROPEFFECT_COPY | shell::DROPEFFECT_MOVE | shell::DROPEFFECT_LINK;

} // namespace

void TFcCustomShellList::UpdateDropTarget() {
    // The target sits on the shown view, which the view style picks.
    m_dropTarget.reset();
    if (m_options.Contains(TFcShellListOption::sloOleDrop))
        m_dropTarget = std::make_unique<TDropTarget_shlv>(*this, *View().viewport());
}

void TFcCustomShellList::SetViewStyle(gui::TViewStyle value) {
    TFcCustomListView::SetViewStyle(value);
    UpdateDropTarget();
}

TDropSource_shlvtv TFcCustomShellList::CreateDropSource(Qt::MouseButton button) {
    return TDropSource_shlvtv(button);
}

// Dragging the selection out.

bool TFcCustomShellList::BeginItemDrag(TListItem*, Qt::MouseButton button) {
    if (!m_options.Contains(TFcShellListOption::sloOleDrag) || !m_currentFolder)
        return false;
    const std::vector<IdList> selected = SelectedLists();
    if (selected.empty())
        return false;
    std::uint32_t allowed = kAllEffects;
    OleCheck(m_currentFolder->GetAttributesOf(selected, allowed));
    // The items stay while the drag refers to them.
    m_dragging = true;
    m_dragButton = button;
    QPointer<QWidget> alive(this);
    Qt::DropAction result = Qt::IgnoreAction;
    bool pending = false;
    {
        struct Done {
            TFcCustomShellList* list;
            QPointer<QWidget>& alive;
            bool& pending;
            ~Done() {
                if (!alive)
                    return;
                list->m_dragging = false;
                list->m_dragButton = Qt::NoButton;
                pending = std::exchange(list->m_pendingRefresh, false);
            }
        };
        const Done done{this, alive, pending};
        const TDataObject_shlv object(m_currentList, selected);
        result = ExecDrag(object.MimeData(), allowed & kAllEffects, button);
    }
    // A drop, or a refresh asked for while the drag held the items.
    if (alive && (result != Qt::IgnoreAction || pending))
        RefreshList();
    return true;
}

Qt::DropAction TFcCustomShellList::ExecDrag(std::unique_ptr<QMimeData> data, std::uint32_t allowed,
                                            Qt::MouseButton) {
    return ExecShellDrag(View(), std::move(data), allowed);
}

// Drops on the list.

shell::DropTargetPtr TFcCustomShellList::DropTargetAt(TPoint pt, TListItem*& item) {
    item = GetItemAt(pt.X, pt.Y);
    shell::DropTargetPtr target;
    if (TFcShellListData* data = ItemData(item);
        data && shell::Succeeded(shell::GetDropTargetOf(data->AbsoluteIdList(), target)))
        return target;
    // A file, or the background: the shown folder takes it.
    item = nullptr;
    if (shell::Failed(shell::GetDropTargetOf(m_currentList, target)))
        return nullptr;
    return target;
}

HRESULT TFcCustomShellList::DragEnter(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                                      std::uint32_t& effect) {
    m_lastDragScroll = Clock::now();
    m_dropData = DecodeDropData(data);
    m_dropKeyState = keyState;
    return DragOver(keyState, pt, effect);
}

HRESULT TFcCustomShellList::DragOver(std::uint32_t keyState, TPoint pt, std::uint32_t& effect) {
    TListItem* const highlighted = DropHighlight();
    HRESULT hr = shell::S_OK;
    TListItem* under = GetItemAt(pt.X, pt.Y);
    if (under && !ItemData(under)) {
        // Not a shell item: the copy is offered, nobody asked.
        effect = shell::DROPEFFECT_COPY;
        SetDropHighlight(nullptr);
    } else if (!under && m_dragging) {
        // The list's own items over its background: a right drag may copy
        // them here, a left one would put them where they are.
        effect =
            (m_dropKeyState & shell::MK_RBUTTON) ? shell::DROPEFFECT_COPY : shell::DROPEFFECT_NONE;
        SetDropHighlight(nullptr);
    } else {
        TListItem* item = nullptr;
        const shell::DropTargetPtr target = m_dropData ? DropTargetAt(pt, item) : nullptr;
        if (target) {
            hr = ProbeDropTarget(*target, *m_dropData, keyState, effect);
            SetDropHighlight(effect != shell::DROPEFFECT_NONE ? item : nullptr);
        } else {
            effect = shell::DROPEFFECT_NONE;
            SetDropHighlight(nullptr);
        }
    }
    DragScroll(pt);
    effect |= shell::DROPEFFECT_SCROLL;
    if (DropHighlight() != highlighted)
        View().viewport()->repaint();
    return hr;
}

void TFcCustomShellList::DragScroll(TPoint pt) {
    const Clock::time_point now = Clock::now();
    if (now - m_lastDragScroll <= kDragScrollInterval)
        return;
    DragEdgeScroll(View(), pt);
    m_lastDragScroll = now;
}

HRESULT TFcCustomShellList::DragLeave() {
    EndDrop();
    return shell::S_OK;
}

void TFcCustomShellList::EndDrop() {
    m_dropData.reset();
    SetDropHighlight(nullptr);
}

HRESULT TFcCustomShellList::Drop(const QMimeData& data, std::uint32_t keyState, TPoint pt,
                                 std::uint32_t& effect) {
    QPointer<QWidget> alive(this);
    struct Finally {
        TFcCustomShellList* list;
        QPointer<QWidget>& alive;
        ~Finally() {
            if (alive)
                list->EndDrop();
        }
    } finally{this, alive};
    TListItem* under = GetItemAt(pt.X, pt.Y);
    const bool ownBackground = !under && m_dragging;
    if (!m_dropData || (under && !ItemData(under)) ||
        (ownBackground && !(m_dropKeyState & shell::MK_RBUTTON))) {
        effect = shell::DROPEFFECT_NONE;
        return shell::S_OK;
    }
    TListItem* item = nullptr;
    const shell::DropTargetPtr target = DropTargetAt(pt, item);
    if (!target) {
        effect = shell::DROPEFFECT_NONE;
        return shell::S_OK;
    }
    // On its own background only a copy beside the originals.
    const HRESULT hr =
        DropOnShellTarget(*target, *m_dropData, data, keyState, m_dropKeyState, effect,
                          ownBackground ? shell::DROPEFFECT_MOVE : 0, OwnerWindow());
    if (alive)
        RefreshList();
    return hr;
}

} // namespace vdx
