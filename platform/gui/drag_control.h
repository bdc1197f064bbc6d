#pragma once
// The class library's drag and drop of controls inside the program, on Qt's
// mouse events (no platform drag and drop): a drag starts at BeginDrag, at
// once or when the pointer has moved the threshold, follows the pointer over
// the controls under it, which accept or refuse it, and ends with a drop at
// the release of a button or a cancel on Escape. A drag of kind dkDock moves
// a control between dock sites, or off them to float in a tool window of its
// own (see dock_tree.h).
//
// Only one drag runs at a time: the mouse has one pointer. Everything here
// runs on the GUI thread.

#include "platform/gui/control_types.h"
#include "platform/gui/geometry.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QCursor;

namespace vdx::gui {

class TDockTree;

enum class TDragMode : std::uint8_t { dmManual, dmAutomatic };
enum class TDragKind : std::uint8_t { dkDrag, dkDock };
enum class TDragState : std::uint8_t { dsDragEnter, dsDragLeave, dsDragMove };

// The class library's cursor numbers.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// The Qt cursor that shows c (an unknown number shows the arrow).
QCursor ToQCursor(TCursor c);

// The class library's mouse settings: an automatic drag (DragMode
// dmAutomatic) starts at the press, and a drag that waits starts when the
// pointer has moved this far on either axis.
inline constexpr bool kDragImmediate = true;
inline constexpr int kDragThreshold = 5;

// What is being dragged. Positions are screen positions; the target's are in
// its client coordinates.
class TDragObject : public QObject {
    Q_OBJECT

public:
    TPoint DragPos;
    // The control under the pointer that the drag is over (null: none).
    QPointer<QWidget> DragTarget;
    TPoint DragTargetPos;
    bool Dropped = false;

    // The cursor over a target that accepts the drag, or refuses it.
    virtual TCursor GetDragCursor(bool accepted, int x, int y) const;
    // What the drag events name as the source: the control for a control
    // drag, this object for any other.
    virtual QObject* Source() { return this; }
};

// A drag of a control.
class TDragControlObject : public TDragObject {
    Q_OBJECT

public:
    explicit TDragControlObject(QWidget* control) : m_control(control) {}
    QWidget* Control() const { return m_control; }
    // The control's DragCursor when accepted, crNoDrop when not.
    TCursor GetDragCursor(bool accepted, int x, int y) const override;
    QObject* Source() override { return m_control; }

private:
    QPointer<QWidget> m_control;
};

// A dock drag: where the control would go (screen), and whether it would
// float there rather than dock.
class TDragDockObject : public TDragControlObject {
    Q_OBJECT

public:
    using TDragControlObject::TDragControlObject;
    TRect DockRect;
    bool Floating = true;
};

// Where a dockable control is: the site it is docked in (null: none), the
// tool window it floats in (null: none) and its size off a site.
struct TDockPlace {
    QPointer<QWidget> HostDockSite;
    QPointer<QWidget> FloatHost;
    QSize UndockSize;
};

// The class library's control side of dragging, implemented by the controls
// (the framed base): their drag settings and events. Accept starts False for
// DragOver; a control with a handler sets it True before calling it.
class TDragControl {
public:
    // A control destroyed while it is dragged ends the drag, without events.
    virtual ~TDragControl();

    virtual QWidget& DragWidget() = 0;
    virtual TDragKind DragKind() const = 0;
    virtual TCursor DragCursor() const = 0;
    // The caption a dock grabber or a floating window shows.
    virtual std::string DockCaption() const = 0;
    // Whether the control has a window of its own (a graphic control paints
    // on its parent: its grabber always shows as active).
    virtual bool IsWindowedControl() const { return true; }

    // The source's events; a handler may put in a drag object of its own.
    virtual void DoStartDrag(std::unique_ptr<TDragObject>& dragObject) = 0;
    virtual void DoEndDrag(QObject* target, int x, int y) = 0;
    virtual void DoStartDock(std::unique_ptr<TDragDockObject>& dragObject) = 0;
    virtual void DoEndDock(QObject* target, int x, int y) = 0;
    // The target's events.
    virtual void DragOver(QObject* source, int x, int y, TDragState state, bool& accept) = 0;
    virtual void DragDrop(QObject* source, int x, int y) = 0;

    TDockPlace Dock;
};

// The class library's dock-site side of a control: its events and its dock
// manager. The docking itself (placing the client, the influence rectangle,
// the dock rectangle) is done here in the platform.
class TDockSite {
public:
    // Leaves the registered sites.
    virtual ~TDockSite();

    virtual QWidget& SiteWidget() = 0;
    // Lays out the clients with grabbers; null: a client stays where it was
    // dropped.
    virtual TDockTree* DockManager() = 0;
    // The site's alignment in its parent (a site aligned at the top or the
    // bottom lays its clients out side by side).
    virtual TAlign DockSiteAlign() const = 0;

    // influenceRect (screen) starts as the site grown by 10 on every side,
    // canDock as True; mousePos is the screen position.
    virtual void DoGetSiteInfo(QWidget& client, TRect& influenceRect, TPoint mousePos,
                               bool& canDock) = 0;
    // accept starts True.
    virtual void DoDockOver(TDragDockObject& source, int x, int y, TDragState state,
                            bool& accept) = 0;
    // After the client was docked.
    virtual void DoDockDrop(TDragDockObject& source, int x, int y) = 0;
    // Before client leaves for newTarget (null: to float); allow starts True.
    virtual void DoUnDock(QWidget& client, QWidget* newTarget, bool& allow) = 0;
};

// Sites take part in dock drags while registered (DockSite True).
void RegisterDockSite(TDockSite& site, bool doRegister);

// Starts a drag of control from start (screen): immediate, or when the
// pointer has moved threshold pixels on either axis. Raises the start event
// of the control's DragKind. Nothing happens while another drag runs.
void BeginDrag(TDragControl& control, QPoint start, bool immediate, int threshold);
// Ends the running drag of control, with a drop on the target under the
// pointer or a cancel; nothing when control is not being dragged.
void EndDrag(TDragControl& control, bool drop);
// The control of the running drag (null: none).
TDragControl* DragControl();

// The client position of the screen point global in w (client coordinates
// start at the top-left of w's contents rectangle).
TPoint ScreenToClient(const QWidget& w, QPoint global);

} // namespace vdx::gui
