#pragma once
// The framed tree view: the platform's tree view (platform/gui/tree_view.h)
// with the framed-control frame, hot tracking, frame controller and colours
// by focus and enabled state, a fixed item height, selection on expand or
// collapse, the selection outlined while the tree has no focus, wheel
// scrolling by lines, the node structure loaded from and saved to indented
// lines, and one context-menu protocol for mouse and keyboard
// (OnNodeContextMenu).
//
// Forms are built in code: no form resource stores properties, so the
// storage rules and the readers of older properties have no job.

#include "controls/base/FcFramedControl.h"
#include "platform/gui/tree_view.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vdx {

using gui::TTreeNode;

// A node structure that cannot be loaded.
class ETreeViewError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// aPos (client coordinates) and aMenu may be changed; a menu set to nullptr
// opens nothing.
using TFcTvOnNodeContextMenuEvent =
    std::function<void(QObject* aSender, TTreeNode* aNode, TPoint& aPos, gui::TPopupMenu*& aMenu)>;

class TFcCustomTreeView : public TFcFramedControl, public gui::TCustomTreeView {
    Q_OBJECT

public:
    explicit TFcCustomTreeView(QWidget* parent = nullptr);
    ~TFcCustomTreeView() override;

    // Row height: a negative value is taken as 0, the platform's height.
    virtual void UpdateItemHeight();
    // The displayed colour: disabled, focused, else the normal one.
    void UpdateColors() override;
    // Records the mouse-over state (changeOver) and repaints the frame when
    // it follows the hot state.
    virtual void UpdateFrameHotState(bool changeOver, bool over);
    // Lines whose leading tabs and blanks give the level: the first one a
    // top-level node whatever its level, each further one a sibling, a child
    // or one of an earlier node's level. A level more than one deeper than
    // the line before throws ETreeViewError "Invalid level (n) for item
    // "text"".
    virtual void LoadNodesFromStrings(const std::vector<std::string>& lines);
    // One line per node in tree order: Level tabs, then the text.
    virtual void SaveNodesToStrings(std::vector<std::string>& lines) const;

    // AutoExpand and SelectOnExpand exclude each other.
    bool AutoExpand() const override;
    void SetAutoExpand(bool value) override;
    bool SelectOnExpand() const noexcept { return m_selectOnExpand; }
    virtual void SetSelectOnExpand(bool value);
    int ItemHeight() const noexcept { return m_itemHeight; }
    virtual void SetItemHeight(int value);
    const gui::TPen& InactiveSelectionPen() const noexcept { return m_inactivePen; }
    virtual void SetInactiveSelectionPen(const gui::TPen& pen);
    TBorderStyle BorderStyle() const noexcept { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TColor NormalColor() const noexcept { return m_normalColor; }
    bool MouseOver() const noexcept { return m_mouseOver; }

    // The node of a right click being handled while RightClickSelect is
    // on, else the selection.
    TTreeNode* CurrentNode() const;

    // The menu of the keyboard: the current node's at the centre of its
    // label, else the pop-up menu at the client origin.
    virtual void RequestNodeContextMenu();
    virtual void ShowNodeContextMenu(TTreeNode* node, TPoint pos);

    TFcTvOnNodeContextMenuEvent OnNodeContextMenu;

protected:
    // Fires OnNodeContextMenu.
    virtual void DoNodeContextMenu(TTreeNode* node, TPoint& pos, gui::TPopupMenu*& menu);
    // Opens menu at a screen point for this control.
    virtual void PopupMenuAt(gui::TPopupMenu* menu, TPoint screenPos);
    // A wheel notch scrolls by the system's wheel lines (a page when it
    // scrolls by pages), while there is something to scroll; handled.
    bool DoMouseWheelDown(Qt::KeyboardModifiers shift, TPoint mousePos) override;
    bool DoMouseWheelUp(Qt::KeyboardModifiers shift, TPoint mousePos) override;

    void Expand(TTreeNode* node) override;
    void Collapse(TTreeNode* node) override;
    void Delete(TTreeNode* node) override;
    using TFcFramedControl::KeyDown;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    bool MouseWheel(int delta, Qt::KeyboardModifiers shift) override;
    void RightClicked(TPoint pos) override;
    void ContextMenuRequested(std::optional<TPoint> pos) override;
    void DoubleClicked(TPoint pos) override;
    void ViewPainted(TCanvas& canvas) override;
    TColor ViewColor() const override { return Color(); }
    TFont ViewFont() const override { return Font(); }
    // Client coordinates of the view to the screen.
    TPoint ClientToScreen(TPoint pos) const;
    bool MenuHandled() const noexcept { return m_menuHandled; }

    void PaintFrame(TCanvas& canvas) override;
    void ColorChanged() override;
    void FontChanged() override;
    void FrameVisibleChanged() override { RedrawFrame(); }
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;
    void EnabledChanged() override;
    void Loaded() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateMargins();

    TColor m_normalColor = gui::clWindow;
    int m_itemHeight = 0;
    bool m_selectOnExpand = false;
    gui::TPen m_inactivePen{gui::clBtnShadow, 1, gui::TPenStyle::psSolid};
    TTreeNode* m_rightClickNode = nullptr;
    bool m_mouseOver = false;
    bool m_colorGuard = false;
    bool m_menuHandled = false;
    TBorderStyle m_borderStyle = TBorderStyle::bsSingle;
};

} // namespace vdx
