#include "controls/shell/FcTreeView.h"

#include "controls/base/FcCommon.h"
#include "controls/shell/FcShellHelpers.h"
#include "controls/shell/FcShellKeys.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/popup_menu.h"
#include "platform/gui/update_guard.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QPointer>
#include <QTreeView>

namespace vdx {

TFcCustomTreeView::TFcCustomTreeView(QWidget* parent)
    : TFcFramedControl(parent), gui::TCustomTreeView(static_cast<QWidget&>(*this)) {
    setFocusPolicy(Qt::StrongFocus); // TabStop
    SetFocusWidget(&View());
    SetColor(gui::clWindow);
    SetParentColor(false);
    UpdateMargins();
}

TFcCustomTreeView::~TFcCustomTreeView() = default;

// Colours and the frame.

void TFcCustomTreeView::UpdateColors() {
    if (IsLoading())
        return;
    m_colorGuard = true;
    try {
        if (!isEnabled())
            SetColor(DisabledColor());
        else if (FocusInside())
            SetColor(FocusColor());
        else
            SetColor(m_normalColor);
    } catch (...) {
        m_colorGuard = false;
        throw;
    }
    m_colorGuard = false;
}

void TFcCustomTreeView::ColorChanged() {
    if (!m_colorGuard) {
        if (FocusColor() == m_normalColor)
            StoreFocusColor(Color());
        m_normalColor = Color();
    }
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
    InvalidateView();
}

void TFcCustomTreeView::FontChanged() {
    UpdateRowHeights();
    TFcFramedControl::FontChanged();
}

void TFcCustomTreeView::UpdateFrameHotState(bool changeOver, bool over) {
    if (changeOver)
        m_mouseOver = over;
    if (FrameHotTrack())
        RedrawFrame();
    UpdateColors();
}

void TFcCustomTreeView::MouseEnter() {
    UpdateFrameHotState(true, true);
    TFcFramedControl::MouseEnter();
}

void TFcCustomTreeView::MouseLeave() {
    UpdateFrameHotState(true, false);
    TFcFramedControl::MouseLeave();
}

void TFcCustomTreeView::FocusEnter() {
    UpdateFrameHotState(false, true);
    TFcFramedControl::FocusEnter();
}

void TFcCustomTreeView::FocusExit() {
    UpdateFrameHotState(false, false);
    TFcFramedControl::FocusExit();
}

void TFcCustomTreeView::EnabledChanged() {
    UpdateColors();
}

void TFcCustomTreeView::Loaded() {
    TFcFramedControl::Loaded();
    UpdateItemHeight();
    UpdateColors();
    UpdateFrameHotState(false, false);
}

void TFcCustomTreeView::SetBorderStyle(TBorderStyle value) {
    if (m_borderStyle == value)
        return;
    m_borderStyle = value;
    UpdateMargins();
}

void TFcCustomTreeView::UpdateMargins() {
    const int border = m_borderStyle == TBorderStyle::bsSingle ? 2 : 0;
    SetFrameMargins(QMargins(border, border, border, border));
    SetViewBounds(ClientBounds());
}

void TFcCustomTreeView::PaintFrame(TCanvas& canvas) {
    const int w = width(), h = height();
    if (m_borderStyle == TBorderStyle::bsSingle)
        Draw3DBorder(canvas, gui::Rect(0, 0, w, h), true);
    if (FrameVisible() && !UseThemedFrame())
        Frame().Paint(canvas, w, h, Color(), FocusInside() || m_mouseOver);
}

void TFcCustomTreeView::resizeEvent(QResizeEvent* event) {
    TFcFramedControl::resizeEvent(event);
    SetViewBounds(ClientBounds());
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
}

// Properties.

void TFcCustomTreeView::UpdateItemHeight() {
    if (m_itemHeight < 0)
        m_itemHeight = 0;
    SetItemHeightValue(m_itemHeight);
}

void TFcCustomTreeView::SetItemHeight(int value) {
    if (!StoreChanged(m_itemHeight, value))
        return;
    UpdateItemHeight();
}

bool TFcCustomTreeView::AutoExpand() const {
    return gui::TCustomTreeView::AutoExpand();
}

void TFcCustomTreeView::SetAutoExpand(bool value) {
    if (value)
        m_selectOnExpand = false;
    gui::TCustomTreeView::SetAutoExpand(value);
}

void TFcCustomTreeView::SetSelectOnExpand(bool value) {
    if (!StoreChanged(m_selectOnExpand, value))
        return;
    if (value)
        gui::TCustomTreeView::SetAutoExpand(false);
}

void TFcCustomTreeView::SetInactiveSelectionPen(const gui::TPen& pen) {
    m_inactivePen = pen;
    InvalidateView();
}

TTreeNode* TFcCustomTreeView::CurrentNode() const {
    if (RightClickSelect() && m_rightClickNode)
        return m_rightClickNode;
    return Selected();
}

// Expansion.

void TFcCustomTreeView::Expand(TTreeNode* node) {
    gui::TCustomTreeView::Expand(node);
    if (m_selectOnExpand)
        SetSelected(node);
}

void TFcCustomTreeView::Collapse(TTreeNode* node) {
    if (m_selectOnExpand)
        SetSelected(node);
    gui::TCustomTreeView::Collapse(node);
}

void TFcCustomTreeView::Delete(TTreeNode* node) {
    if (m_rightClickNode == node)
        m_rightClickNode = nullptr;
    gui::TCustomTreeView::Delete(node);
}

// Context menus.

TPoint TFcCustomTreeView::ClientToScreen(TPoint pos) const {
    const QPoint p = View().viewport()->mapToGlobal(QPoint(pos.X, pos.Y));
    return {p.x(), p.y()};
}

void TFcCustomTreeView::DoNodeContextMenu(TTreeNode* node, TPoint& pos, gui::TPopupMenu*& menu) {
    if (OnNodeContextMenu)
        OnNodeContextMenu(this, node, pos, menu);
}

void TFcCustomTreeView::PopupMenuAt(gui::TPopupMenu* menu, TPoint screenPos) {
    menu->SetPopupComponent(this);
    menu->Popup(screenPos.X, screenPos.Y);
}

void TFcCustomTreeView::RightClicked(TPoint pos) {
    QPointer<QWidget> alive(this);
    TTreeNode* node = GetNodeAt(pos.X, pos.Y);
    if (!node)
        node = Selected();
    if (node) {
        m_rightClickNode = node;
        gui::TPopupMenu* menu = PopupMenu();
        TPoint at = pos;
        DoNodeContextMenu(node, at, menu);
        if (!alive)
            return;
        if (menu)
            PopupMenuAt(menu, ClientToScreen(at));
        if (!alive)
            return;
        m_rightClickNode = nullptr;
        m_menuHandled = true;
    }
    // Then the platform's context-menu request, which a handled click
    // leaves alone.
    if (!m_menuHandled && !CurrentNode())
        ShowNodeContextMenu(nullptr, pos);
    if (alive)
        m_menuHandled = false;
}

void TFcCustomTreeView::ContextMenuRequested(std::optional<TPoint> pos) {
    if (CurrentNode() || m_menuHandled)
        return;
    if (pos)
        ShowNodeContextMenu(nullptr, *pos);
    else
        RequestNodeContextMenu();
}

void TFcCustomTreeView::RequestNodeContextMenu() {
    if (TTreeNode* node = CurrentNode()) {
        const TRect r = node->DisplayRect(true);
        ShowNodeContextMenu(node, {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
        return;
    }
    if (gui::TPopupMenu* menu = PopupMenu())
        PopupMenuAt(menu, ClientToScreen({0, 0}));
}

void TFcCustomTreeView::ShowNodeContextMenu(TTreeNode* node, TPoint pos) {
    gui::TPopupMenu* const before = PopupMenu();
    gui::TPopupMenu* menu = before;
    DoNodeContextMenu(node, pos, menu);
    if (menu != before)
        m_menuHandled = true;
    if (menu)
        PopupMenuAt(menu, ClientToScreen(pos));
}

void TFcCustomTreeView::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    const int vk = VirtualKeyOf(key, shift);
    const Qt::KeyboardModifiers mods = shift & ~Qt::KeypadModifier;
    if ((vk == VK_APPS && mods == Qt::NoModifier) || (vk == VK_F10 && mods == Qt::ShiftModifier)) {
        key = 0;
        RequestNodeContextMenu();
    }
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

bool TFcCustomTreeView::MouseWheel(int delta, Qt::KeyboardModifiers shift) {
    const QPoint at = QCursor::pos();
    return DoMouseWheel(shift, delta, {at.x(), at.y()});
}

bool TFcCustomTreeView::DoMouseWheelDown(Qt::KeyboardModifiers shift, TPoint mousePos) {
    if (TFcFramedControl::DoMouseWheelDown(shift, mousePos))
        return true;
    return WheelScroll(View(), SB_VERT, SB_LINEDOWN, SB_PAGEDOWN);
}

bool TFcCustomTreeView::DoMouseWheelUp(Qt::KeyboardModifiers shift, TPoint mousePos) {
    if (TFcFramedControl::DoMouseWheelUp(shift, mousePos))
        return true;
    return WheelScroll(View(), SB_VERT, SB_LINEUP, SB_PAGEUP);
}

void TFcCustomTreeView::DoubleClicked(TPoint pos) {
    gui::TCustomTreeView::DoubleClicked(pos);
    DblClick();
}

void TFcCustomTreeView::ViewPainted(TCanvas& canvas) {
    if (HideSelection() || FocusInside())
        return;
    if (QLineEdit* editor = EditControl(); editor && editor->hasFocus())
        return;
    TTreeNode* node = CurrentNode();
    if (!node)
        return;
    const TRect r = node->DisplayRect(true);
    if (r.IsEmpty())
        return;
    canvas.Pen = m_inactivePen;
    canvas.Brush.SetStyle(gui::TBrushStyle::bsClear);
    canvas.Rectangle(r);
    canvas.Pen.Width = 1;
    canvas.Pen.Style = gui::TPenStyle::psSolid;
}

// Node text.

void TFcCustomTreeView::LoadNodesFromStrings(const std::vector<std::string>& lines) {
    try {
        const gui::TUpdateGuard update(Items());
        Items().Clear();
        TTreeNode* previous = nullptr;
        for (const std::string& line : lines) {
            std::size_t indent = 0;
            while (indent < line.size() && (line[indent] == '\t' || line[indent] == ' '))
                ++indent;
            const std::string text = line.substr(indent);
            const int level = static_cast<int>(indent);
            if (!previous) {
                previous = Items().AddChild(nullptr, text);
                continue;
            }
            // The previous node's level in the tree, not its line's.
            const int lp = previous->Level();
            if (level == lp) {
                previous = Items().AddChild(previous->Parent(), text);
            } else if (level == lp + 1) {
                previous = Items().AddChild(previous, text);
            } else if (level > lp + 1) {
                throw ETreeViewError("Invalid level (" + std::to_string(level) + ") for item \"" +
                                     text + "\"");
            } else {
                TTreeNode* up = previous->Parent();
                while (up->Level() > level)
                    up = up->Parent();
                previous = Items().AddChild(up->Parent(), text);
            }
        }
    } catch (...) {
        InvalidateView();
        throw;
    }
}

void TFcCustomTreeView::SaveNodesToStrings(std::vector<std::string>& lines) const {
    for (TTreeNode* node = Items().GetFirstNode(); node; node = node->GetNext())
        lines.push_back(std::string(std::size_t(node->Level()), '\t') + node->Text());
}

} // namespace vdx
