#pragma once
// The base of every framed control of the library: the control frame with
// its settings (published under the names the frame controller pushes), the
// link to a frame controller, and what every control of the class library
// has: font, caption, alignment, the common events, the pop-up menu, hints,
// size constraints and anchors, and the reading order.
//
// The frame controller reaches a control only through
// UpdateFromFrameController. By default the control takes each pushed
// setting through its own setters (TakeFrameSetting); the panel and the
// label read the controller themselves instead.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFrameController.h"
#include "platform/gui/control_types.h"
#include "platform/gui/drag_control.h"
#include "platform/gui/framed_host.h"
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

namespace vdx {

using gui::TAlign;
using gui::TAlignment;
using gui::TAnchorKind;
using gui::TAnchors;
using gui::TBiDiMode;
using gui::TBorderStyle;
using gui::TSizeConstraints;

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
TRect AnchoredBounds(const TRect& bounds, gui::TSize oldParent, gui::TSize newParent,
                     TAnchors anchors) noexcept;
// The tool tip part of a hint: the text before the first "|".
std::string GetShortHint(std::string_view hint);

// Drag and drop of controls. The source is the dragged control (or the drag
// object a start handler put in); positions are in the client coordinates
// of the control the event names, or 0, 0 for a drag that ended nowhere. A
// start handler may put in a drag object of its own; the drag owns it.
using gui::TCursor;
using gui::TDragKind;
using gui::TDragMode;
using gui::TDragState;
using TStartDragEvent =
    std::function<void(QObject* sender, std::unique_ptr<gui::TDragObject>& dragObject)>;
using TDragOverEvent = std::function<void(QObject* sender, QObject* source, int x, int y,
                                          TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(QObject* sender, QObject* source, int x, int y)>;
using TEndDragEvent = std::function<void(QObject* sender, QObject* target, int x, int y)>;
using TStartDockEvent =
    std::function<void(QObject* sender, std::unique_ptr<gui::TDragDockObject>& dragObject)>;

class TFcFramedControl : public gui::TFramedHost, public gui::TDragControl {
    Q_OBJECT
    Q_PROPERTY(vdx::gui::TColor DisabledColor READ DisabledColor WRITE SetDisabledColor)
    Q_PROPERTY(vdx::gui::TColor FocusColor READ FocusColor WRITE SetFocusColor)
    Q_PROPERTY(vdx::gui::TColor FrameColor READ FrameColor WRITE SetFrameColor)
    Q_PROPERTY(vdx::gui::TColor FrameHotColor READ FrameHotColor WRITE SetFrameHotColor)
    Q_PROPERTY(bool FrameHotTrack READ FrameHotTrack WRITE SetFrameHotTrack)
    Q_PROPERTY(vdx::TFrameStyleEx FrameHotStyle READ FrameHotStyle WRITE SetFrameHotStyle)
    Q_PROPERTY(vdx::TSides FrameSides READ FrameSides WRITE SetFrameSides)
    Q_PROPERTY(vdx::TFrameStyleEx FrameStyle READ FrameStyle WRITE SetFrameStyle)
    Q_PROPERTY(bool FrameVisible READ FrameVisible WRITE SetFrameVisible)
    Q_PROPERTY(
        vdx::TFramingPreference FramingPreference READ FramingPreference WRITE SetFramingPreference)
    Q_PROPERTY(vdx::TFcFrameControllerNotifications FrameControllerNotifications READ
                   FrameControllerNotifications WRITE SetFrameControllerNotifications)

public:
    ~TFcFramedControl() override;

    // Takes the settings of controller in property (every one for fcpAll)
    // that FrameControllerNotifications lets through, in the controller's
    // push order, each through TakeFrameSetting.
    virtual void UpdateFromFrameController(const TFcFrameController& controller,
                                           TFcFrameControllerProperty property);

    // Repaints the frame margin.
    virtual void RedrawFrame();
    // FramingPreference asks for the themed frame and themes are on.
    virtual bool UseThemedFrame() const;
    // The displayed colour by state; the base has none of its own.
    virtual void UpdateColors() {}

    // ---- Colour by state and the hot frame, for the controls that follow
    // them (they call ApplyStateColor and TakeNormalColor) ----
    // The colour set from outside, shown while enabled and not focused.
    TColor NormalColor() const noexcept { return m_normalColor; }
    bool MouseOver() const noexcept { return m_mouseOver; }
    // With setOver the mouse entered (over) or left; the frame repaints
    // while FrameHotTrack; then UpdateColors.
    virtual void UpdateFrameHotState(bool setOver, bool over);

    TColor DisabledColor() const noexcept { return m_disabledColor; }
    TColor FocusColor() const noexcept { return m_focusColor; }
    TColor FrameColor() const noexcept { return m_frame.FrameColor; }
    TColor FrameHotColor() const noexcept { return m_frame.FrameHotColor; }
    bool FrameHotTrack() const noexcept { return m_frame.FrameHotTrack; }
    TFrameStyle FrameHotStyle() const noexcept { return m_frame.FrameHotStyle; }
    TSides FrameSides() const noexcept { return m_frame.FrameSides; }
    TFrameStyle FrameStyle() const noexcept { return m_frame.FrameStyle; }
    bool FrameVisible() const noexcept { return m_frame.FrameVisible; }
    TFramingPreference FramingPreference() const noexcept { return m_frame.FramingPreference; }
    TFcFrameController* FrameController() const noexcept { return m_frameController.Controller(); }
    TFcFrameControllerNotifications FrameControllerNotifications() const noexcept {
        return m_frameController.Notifications;
    }

    // Each setter does nothing for an unchanged value.
    virtual void SetDisabledColor(TColor value); // UpdateColors while disabled
    virtual void SetFocusColor(TColor value);    // UpdateColors while focused
    // The frame's colours, styles and sides repaint it.
    virtual void SetFrameColor(TColor value);
    virtual void SetFrameHotColor(TColor value);
    // True also shows the frame, on all four sides unless loading.
    virtual void SetFrameHotTrack(bool value);
    virtual void SetFrameHotStyle(TFrameStyle value);
    virtual void SetFrameSides(TSides value);
    virtual void SetFrameStyle(TFrameStyle value);
    virtual void SetFrameVisible(bool value); // then FrameVisibleChanged
    // Repaints only when custom framing is chosen.
    virtual void SetFramingPreference(TFramingPreference value);
    // Unregisters from the old controller and registers with the new one,
    // which pushes its settings at once. The link clears itself when the
    // controller is destroyed.
    virtual void SetFrameController(TFcFrameController* value);
    void SetFrameControllerNotifications(TFcFrameControllerNotifications value) noexcept {
        m_frameController.Notifications = value;
    }

    const TFont& Font() const noexcept { return m_font; }
    // A changed font calls FontChanged. Writing Font clears ParentFont;
    // with ParentFont the font is the parent control's (kept as it is under
    // a parent that is no framed control).
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

    // ---- the class library's remaining control members --------------

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
    // is the parent control's (off under a parent that is no framed
    // control).
    bool ShowHint() const noexcept { return m_showHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const noexcept { return m_parentShowHint; }
    void SetParentShowHint(bool value);
    // Kept for forms; the frames here are drawn by the controls themselves
    // (the list box draws a flat border without it). Inherited as
    // ShowHint is (on under a parent that is no framed control).
    bool Ctl3D() const noexcept { return m_ctl3D; }
    void SetCtl3D(bool value);
    bool ParentCtl3D() const noexcept { return m_parentCtl3D; }
    void SetParentCtl3D(bool value);

    // Opened by a context pop-up that OnContextPopup left unhandled, when
    // its AutoPopup is on; cleared when the menu is destroyed.
    gui::TPopupMenu* PopupMenu() const noexcept { return m_popupMenu; }
    void SetPopupMenu(gui::TPopupMenu* value) noexcept { m_popupMenu = value; }

    // The reading order. Writing BiDiMode clears ParentBiDiMode; with
    // ParentBiDiMode the mode is the parent control's, or under a parent
    // that is no framed control, bdRightToLeft when its layout direction
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
    explicit TFcFramedControl(QWidget* parent);

    // The drag's calls: the events above.
    QWidget& DragWidget() override { return *this; }
    std::string DockCaption() const override { return Caption(); }
    void DoStartDrag(std::unique_ptr<gui::TDragObject>& dragObject) override;
    void DoEndDrag(QObject* target, int x, int y) override;
    void DoStartDock(std::unique_ptr<gui::TDragDockObject>& dragObject) override;
    void DoEndDock(QObject* target, int x, int y) override;
    void DragOver(QObject* source, int x, int y, TDragState state, bool& accept) override;
    void DragDrop(QObject* source, int x, int y) override;
    // Starts the automatic drag before any control sees the press, and
    // follows the pointer for BeginDrag; true when the press is taken.
    bool TrackDrag(QEvent* event);

    // One pushed setting of controller: Color, ParentColor, the state
    // colours and the frame through their setters. The base has no
    // read-only state and no flat buttons: those settings are left to the
    // controls that have them.
    virtual void TakeFrameSetting(const TFcFrameController& controller,
                                  TFcFrameControllerProperty property);
    // After FrameVisible changed; the base repaints the frame.
    virtual void FrameVisibleChanged() { RedrawFrame(); }
    // After the font changed; the base repaints.
    virtual void FontChanged();
    // After the caption changed; the base repaints.
    virtual void CaptionChanged();
    // After the alignment changed; the base repaints.
    virtual void AlignmentChanged();

    // The frame as its settings describe it.
    const TFcControlFrame& Frame() const noexcept { return m_frame; }
    // The font for a change that must not call FontChanged.
    TFont& MutableFont() noexcept { return m_font; }
    // FocusColor stored only, without UpdateColors.
    void StoreFocusColor(TColor value) noexcept { m_focusColor = value; }
    // Links to value; reRegister registers anew (pushing the settings again)
    // also when value is the current controller.
    void LinkFrameController(TFcFrameController* value, bool reRegister) {
        m_frameController.Set(value, reRegister);
    }

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

    // ---- the class library's remaining control members --------------

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

    // Color := DisabledColor, FocusColor or the normal colour by state;
    // nothing while loading.
    void ApplyStateColor();
    // For ColorChanged: a colour set from outside (not by ApplyStateColor)
    // becomes the normal colour, and the focus colour follows it where the
    // two were the same.
    void TakeNormalColor();

private:
    TColor m_normalColor = gui::clWindow;
    bool m_stateColorGuard = false; // ApplyStateColor is setting Color
    bool m_mouseOver = false;
    // The event's position in client coordinates.
    TPoint ClientPos(const QMouseEvent& event) const;

    // ---- the class library's remaining control members --------------

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
    QPointer<gui::TPopupMenu> m_popupMenu;
    TSizeConstraints m_constraints;
    int m_wheelAccumulator = 0;
    QSize m_reportedSize{-1, -1}; // the size OnResize last reported
    TAnchors m_anchors = gui::kDefaultAnchors;
    TRect m_anchorBounds;          // the bounds the anchor distances were taken from
    gui::TSize m_anchorParentSize; // the parent's size then
    bool m_anchoring = false;      // the anchors move the control now
    QPointer<QWidget> m_watchedParent;

    TColor m_disabledColor = gui::clBtnFace;
    TColor m_focusColor = gui::clWindow;
    TFcControlFrame m_frame;
    TFcFrameControllerLink m_frameController{*this};
    TFont m_font;
    std::string m_caption;
    TAlignment m_alignment = TAlignment::taLeftJustify;

    // Drag and drop.
    TDragMode m_dragMode = TDragMode::dmManual;
    TCursor m_dragCursor = gui::crDrag;
    TDragKind m_dragKind = TDragKind::dkDrag;
    QPoint m_pointer;        // screen position of the last mouse event
    bool m_leftDown = false; // the left button went down on the control
};

} // namespace vdx
