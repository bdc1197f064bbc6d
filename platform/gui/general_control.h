#pragma once
// What every control of the class library has beside its frame: font,
// caption and alignment, the common events, the pop-up menu, hints, size
// constraints and anchors, Ctl3D and the reading order, the wheel, mouse
// activation, and drag and drop of the control. The framed controls build
// their frame on it.

#include "platform/gui/color.h"
#include "platform/gui/control_types.h"
#include "platform/gui/drag_control.h"
#include "platform/gui/font.h"
#include "platform/gui/framed_host.h"
#include "platform/gui/geometry.h"
#include "platform/gui/popup_menu.h"

#include <QPoint>
#include <QPointer>
#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QContextMenuEvent;
class QHelpEvent;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

namespace vdx::gui {

// The event handlers as the class library's controls publish them. Mouse
// positions are in client coordinates; a key handler that sets the key to 0
// swallows it.
using TNotifyEvent = std::function<void(QObject* sender)>;
using TMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                       Qt::KeyboardModifiers shift, int x, int y)>;
using TMouseMoveEvent =
    std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;
using TKeyEvent = std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift)>;
using TKeyPressEvent = std::function<void(QObject* sender, char& key)>;
// mousePos is (-1, -1) when the keyboard asked for the menu; handled = true
// keeps the menu request from going further.
using TContextPopupEvent = std::function<void(QObject* sender, TPoint mousePos, bool& handled)>;
// wheelDelta: 120 a notch, above 0 away from the user; mousePos in screen
// coordinates. handled = true keeps the wheel from doing anything else.
using TMouseWheelEvent = std::function<void(QObject* sender, Qt::KeyboardModifiers shift,
                                            int wheelDelta, TPoint mousePos, bool& handled)>;
using TMouseWheelUpDownEvent = std::function<void(QObject* sender, Qt::KeyboardModifiers shift,
                                                  TPoint mousePos, bool& handled)>;
// resize = false refuses the new size (nothing moves then); the sizes may
// be changed.
using TCanResizeEvent =
    std::function<void(QObject* sender, int& newWidth, int& newHeight, bool& resize)>;
// The limits of one resize (0: none), on top of Constraints.
using TConstrainedResizeEvent = std::function<void(QObject* sender, int& minWidth, int& minHeight,
                                                   int& maxWidth, int& maxHeight)>;
// A press on a control of a window that is not active. hitTest is
// HTCLIENT (1) in the client area, HTBORDER (18) on the frame.
enum class TMouseActivate : std::uint8_t {
    maDefault, // as the parent says; else activate
    maActivate,
    maNoActivate,
    maActivateAndEat, // the press goes no further
    maNoActivateAndEat
};
using TMouseActivateEvent =
    std::function<void(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                       int y, int hitTest, TMouseActivate& mouseActivate)>;

// The bounds anchors give a control of bounds in a parent resized from
// oldParent to newParent: a side anchored on both ends stretches, one
// anchored on the far end moves along, one anchored on neither keeps its
// middle at the same fraction of the parent.
TRect AnchoredBounds(const TRect& bounds, TSize oldParent, TSize newParent,
                     TAnchors anchors) noexcept;
// The tool tip part of a hint: the text before the first "|".
std::string GetShortHint(std::string_view hint);

// Drag and drop of controls. The source is the dragged control (or the drag
// object a start handler put in); positions are in the client coordinates
// of the control the event names, or 0, 0 for a drag that ended nowhere. A
// start handler may put in a drag object of its own; the drag owns it.
using TStartDragEvent =
    std::function<void(QObject* sender, std::unique_ptr<TDragObject>& dragObject)>;
using TDragOverEvent = std::function<void(QObject* sender, QObject* source, int x, int y,
                                          TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(QObject* sender, QObject* source, int x, int y)>;
using TEndDragEvent = std::function<void(QObject* sender, QObject* target, int x, int y)>;
using TStartDockEvent =
    std::function<void(QObject* sender, std::unique_ptr<TDragDockObject>& dragObject)>;

class TGeneralControl : public TFramedHost, public TDragControl {
    Q_OBJECT

public:
    ~TGeneralControl() override;

    const TFont& Font() const noexcept { return m_font; }
    // A changed font calls FontChanged. Writing Font clears ParentFont;
    // with ParentFont the font is the parent control's (kept as it is under
    // a parent that is no general control).
    void SetFont(const TFont& value);
    bool ParentFont() const noexcept { return m_parentFont; }
    void SetParentFont(bool value);
    // Reached by Tab (off: by the mouse and by code only).
    bool TabStop() const noexcept { return focusPolicy() & Qt::TabFocus; }
    void SetTabStop(bool value);

    const std::string& Caption() const noexcept { return m_caption; }
    // A changed caption calls CaptionChanged.
    void SetCaption(const std::string& value);
    TAlignment Alignment() const noexcept { return m_alignment; }
    // A changed alignment calls AlignmentChanged.
    void SetAlignment(TAlignment value);

    // Fires OnClick (a push button sets its form's modal result first).
    virtual void Click();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    // A typed character (key may be changed; '\0' swallows it).
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    // After OnContextPopup, unless it handled the request, PopupMenu opens.
    TContextPopupEvent OnContextPopup;

    // ---- Drag and drop (the class library's) ----
    // With dmAutomatic a left press starts the drag (at once) and goes no
    // further: no OnMouseDown, no click.
    TDragMode DragMode() const noexcept { return m_dragMode; }
    void SetDragMode(TDragMode value) noexcept { m_dragMode = value; }
    // The cursor over a target that accepts the drag.
    TCursor DragCursor() const noexcept override { return m_dragCursor; }
    void SetDragCursor(TCursor value) noexcept { m_dragCursor = value; }
    // dkDock drags the control between dock sites (OnStartDock, OnEndDock).
    TDragKind DragKind() const noexcept override { return m_dragKind; }
    void SetDragKind(TDragKind value) noexcept { m_dragKind = value; }
    // Starts a drag of the control: at once, or when the pointer has moved
    // threshold pixels (below 0: the class library's 5). While the left
    // button is down on the control, it first gets its button-up. Nothing
    // happens while a drag runs.
    void BeginDrag(bool immediate, int threshold = -1);
    // Ends the control's drag: a drop on the target under the pointer, or a
    // cancel; nothing when the control is not being dragged.
    void EndDrag(bool drop);
    bool Dragging() const;

    TStartDragEvent OnStartDrag;
    // Accept starts True when there is a handler; without one the control
    // refuses every drag.
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TStartDockEvent OnStartDock;
    // The dock site the control went to, or null (at the pointer's screen
    // position when it floated, at 0, 0 when it stayed).
    TEndDragEvent OnEndDock;

    // ---- Sizing, hints and the reading order ----

    // Moves and sizes the control: OnCanResize may refuse the new size,
    // OnConstrainedResize narrow the limits, and Constraints keep the size
    // inside them. OnResize follows once per change of size.
    virtual void SetBounds(int left, int top, int width, int height);
    const TSizeConstraints& Constraints() const noexcept { return m_constraints; }
    // Also the limits Qt's layouts see; the current size is constrained at
    // once.
    void SetConstraints(const TSizeConstraints& value);
    TAnchors Anchors() const noexcept { return m_anchors; }
    // The distances to the parent's edges are taken as they are now; they
    // follow the control when the program moves it. A control placed by a
    // layout of its parent is left to the layout.
    void SetAnchors(TAnchors value);

    // Shown as a tool tip: the text before the first "|". The tip shows
    // where ShowHint is on, with the first non-empty Hint from the control
    // up through its parents.
    const std::string& Hint() const noexcept { return m_hint; }
    void SetHint(const std::string& value) { m_hint = value; }
    // Writing ShowHint clears ParentShowHint; with ParentShowHint the value
    // is the parent control's (off under a parent that is no general
    // control).
    bool ShowHint() const noexcept { return m_showHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const noexcept { return m_parentShowHint; }
    void SetParentShowHint(bool value);
    // Kept for forms; the frames here are drawn by the controls themselves
    // (the list box draws a flat border without it). Inherited as
    // ShowHint is (on under a parent that is no general control).
    bool Ctl3D() const noexcept { return m_ctl3D; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const noexcept { return m_parentCtl3D; }
    void SetParentCtl3D(bool value);

    // Opened by a context pop-up that OnContextPopup left unhandled, when
    // its AutoPopup is on; cleared when the menu is destroyed.
    TPopupMenu* PopupMenu() const noexcept { return m_popupMenu; }
    void SetPopupMenu(TPopupMenu* value) noexcept { m_popupMenu = value; }

    // The reading order. Writing BiDiMode clears ParentBiDiMode; with
    // ParentBiDiMode the mode is the parent control's, or under a parent
    // that is no general control, bdRightToLeft when its layout direction
    // is right-to-left. bdRightToLeft is Qt's right-to-left layout
    // direction; the other modes keep the left-to-right one.
    TBiDiMode BiDiMode() const noexcept { return m_biDiMode; }
    void SetBiDiMode(TBiDiMode value);
    bool ParentBiDiMode() const noexcept { return m_parentBiDiMode; }
    void SetParentBiDiMode(bool value);
    // Any mode but bdLeftToRight.
    bool IsRightToLeft() const noexcept;
    // bdRightToLeft: the alignment is mirrored.
    bool UseRightToLeftAlignment() const noexcept;
    // Any right-to-left mode: text reads from the right.
    bool UseRightToLeftReading() const noexcept;
    // bdRightToLeft and bdRightToLeftNoAlign: the scroll bar on the left.
    bool UseRightToLeftScrollBar() const noexcept;
    // DrawText flags for the control: DT_LEFT and DT_RIGHT swapped with a
    // mirrored alignment (DT_CENTER kept), DT_RTLREADING added with
    // right-to-left reading.
    unsigned DrawTextBiDiModeFlags(unsigned flags) const noexcept;
    // DT_RTLREADING with right-to-left reading, else 0.
    unsigned DrawTextBiDiModeFlagsReadingOnly() const noexcept;
    // Alignment as the control shows it (mirrored with bdRightToLeft).
    TAlignment BiDiAlignment(TAlignment alignment) const noexcept;

    TMouseWheelEvent OnMouseWheel;
    // One call per notch the wheel turned (turns below a notch add up).
    TMouseWheelUpDownEvent OnMouseWheelDown;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TNotifyEvent OnResize;
    TCanResizeEvent OnCanResize;
    TConstrainedResizeEvent OnConstrainedResize;
    // Asked from the control up through its parents until one answers
    // other than maDefault.
    TMouseActivateEvent OnMouseActivate;

protected:
    explicit TGeneralControl(QWidget* parent);

    // The drag's calls: the events above.
    QWidget& DragWidget() override { return *this; }
    std::string DockCaption() const override { return Caption(); }
    void DoStartDrag(std::unique_ptr<TDragObject>& dragObject) override;
    void DoEndDrag(QObject* target, int x, int y) override;
    void DoStartDock(std::unique_ptr<TDragDockObject>& dragObject) override;
    void DoEndDock(QObject* target, int x, int y) override;
    void DragOver(QObject* source, int x, int y, TDragState state, bool& accept) override;
    void DragDrop(QObject* source, int x, int y) override;
    // Starts the automatic drag before any control sees the press, and
    // follows the pointer for BeginDrag; true when the press is taken.
    bool TrackDrag(QEvent* event);

    // After the font changed; the base repaints.
    virtual void FontChanged();
    // After the caption changed; the base repaints.
    virtual void CaptionChanged();
    // After the alignment changed; the base repaints.
    virtual void AlignmentChanged();

    // The font for a change that must not call FontChanged.
    TFont& MutableFont() noexcept { return m_font; }

    // The events, raised from the Qt handlers below; controls that handle
    // a Qt event themselves raise them from there.
    void DblClick();
    void MouseDown(const QMouseEvent& event);
    void MouseMove(const QMouseEvent& event);
    void MouseUp(const QMouseEvent& event);
    // False when OnKeyDown swallowed the key; the event is accepted then.
    bool KeyDown(QKeyEvent& event);
    bool KeyUp(QKeyEvent& event);
    void KeyPress(char& key);

    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // The wheel turned by wheelDelta: OnMouseWheel, then, unless it
    // handled the wheel, DoMouseWheelDown or DoMouseWheelUp per notch.
    // True when a handler took it.
    bool DoMouseWheel(Qt::KeyboardModifiers shift, int wheelDelta, TPoint mousePos);
    virtual bool DoMouseWheelDown(Qt::KeyboardModifiers shift, TPoint mousePos);
    virtual bool DoMouseWheelUp(Qt::KeyboardModifiers shift, TPoint mousePos);
    // DoMouseWheel for a Qt wheel event (false for a sideways wheel).
    bool MouseWheelHandled(const QWheelEvent& event);
    // After the size changed; fires OnResize.
    virtual void Resize();
    // Fires OnCanResize; false refuses the size.
    virtual bool CanResize(int& width, int& height);
    // Fires OnConstrainedResize.
    virtual void ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight);
    // CanResize, then the size kept inside the limits; false when refused.
    bool CheckNewSize(int& width, int& height);
    // Sets the bounds as they are (checked already) and reports a changed
    // size at once, also for a hidden control.
    void ApplyBounds(int left, int top, int width, int height);
    // After the shown reading order changed; the base repaints.
    virtual void BiDiModeChanged();
    // After Ctl3D changed; the base does nothing.
    virtual void Ctl3DChanged() {}

    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The event's position in client coordinates.
    TPoint ClientPos(const QMouseEvent& event) const;

    // The parent's ShowHint, Font, Ctl3D and BiDiMode, for each whose Parent...
    // flag is set.
    void TakeParentSettings();
    void NotifyChildrenParentSettings();
    void StoreShowHint(bool value);
    void StoreFont(const TFont& value);
    void StoreCtl3D(bool value);
    void StoreBiDiMode(TBiDiMode value);
    void ApplyLayoutDirection();
    // Shows the tool tip for event; false passes it to the parent.
    bool ShowHintTip(const QHelpEvent& event);
    // OnMouseActivate from the control up; true eats the press.
    bool MouseActivateEats(const QMouseEvent& event);
    // The parent the anchors follow (watched for its resizes).
    void WatchParent();
    void RememberAnchorRules();
    void FollowParentResize();
    void ReportSizeChange();

    std::string m_hint;
    bool m_showHint = false;
    bool m_parentShowHint = true;
    bool m_parentFont = true;
    bool m_ctl3D = true;
    bool m_parentCtl3D = true;
    TBiDiMode m_biDiMode = TBiDiMode::bdLeftToRight;
    bool m_parentBiDiMode = true;
    QPointer<TPopupMenu> m_popupMenu;
    TSizeConstraints m_constraints;
    int m_wheelAccumulator = 0;
    QSize m_reportedSize{-1, -1}; // the size OnResize last reported
    TAnchors m_anchors = kDefaultAnchors;
    TRect m_anchorBounds;     // the bounds the anchor distances were taken from
    TSize m_anchorParentSize; // the parent's size then
    bool m_anchoring = false; // the anchors move the control now
    QPointer<QWidget> m_watchedParent;

    TFont m_font;
    std::string m_caption;
    TAlignment m_alignment = TAlignment::taLeftJustify;

    // Drag and drop.
    TDragMode m_dragMode = TDragMode::dmManual;
    TCursor m_dragCursor = crDrag;
    TDragKind m_dragKind = TDragKind::dkDrag;
    QPoint m_pointer;        // screen position of the last mouse event
    bool m_leftDown = false; // the left button went down on the control
};

} // namespace vdx::gui
