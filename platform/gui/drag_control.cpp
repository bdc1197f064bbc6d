#include "platform/gui/drag_control.h"

#include "platform/gui/dock_tree.h"
#include "platform/gui/exception_guard.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace vdx::gui {

QCursor ToQCursor(TCursor c) {
    switch (c) {
    case crNone:
        return QCursor(Qt::BlankCursor);
    case crCross:
        return QCursor(Qt::CrossCursor);
    case crIBeam:
        return QCursor(Qt::IBeamCursor);
    case crSizeNESW:
        return QCursor(Qt::SizeBDiagCursor);
    case crSizeNS:
    case crVSplit:
        return QCursor(Qt::SizeVerCursor);
    case crSizeNWSE:
        return QCursor(Qt::SizeFDiagCursor);
    case crSizeWE:
    case crHSplit:
        return QCursor(Qt::SizeHorCursor);
    case crUpArrow:
        return QCursor(Qt::UpArrowCursor);
    case crHourGlass:
        return QCursor(Qt::WaitCursor);
    case crDrag:
    case crMultiDrag:
        return QCursor(Qt::DragMoveCursor);
    case crNoDrop:
    case crNo:
        return QCursor(Qt::ForbiddenCursor);
    case crAppStart:
        return QCursor(Qt::BusyCursor);
    case crHelp:
        return QCursor(Qt::WhatsThisCursor);
    case crHandPoint:
        return QCursor(Qt::PointingHandCursor);
    case crSizeAll:
        return QCursor(Qt::SizeAllCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

TCursor TDragObject::GetDragCursor(bool accepted, int, int) const {
    return accepted ? crDrag : crNoDrop;
}

TCursor TDragControlObject::GetDragCursor(bool accepted, int, int) const {
    if (!accepted)
        return crNoDrop;
    auto* control = dynamic_cast<TDragControl*>(m_control.data());
    return control ? control->DragCursor() : crDrag;
}

TPoint ScreenToClient(const QWidget& w, QPoint global) {
    const QPoint p = w.mapFromGlobal(global) - w.contentsRect().topLeft();
    return {p.x(), p.y()};
}

namespace {

std::vector<TDockSite*>& DockSites() {
    static std::vector<TDockSite*> sites;
    return sites;
}

// The control under global in the source's window that takes part in drags:
// the deepest enabled one at the point (the class library's drag target).
TDragControl* FindDragTarget(QWidget& source, QPoint global) {
    QWidget* top = source.window();
    const QPoint p = top->mapFromGlobal(global);
    if (!top->rect().contains(p))
        return nullptr;
    QWidget* hit = top->childAt(p);
    for (QWidget* w = hit ? hit : top; w; w = w->parentWidget()) {
        if (auto* control = dynamic_cast<TDragControl*>(w); control && w->isEnabled())
            return control;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

QRect GlobalRect(const QWidget& w) {
    return QRect(w.mapToGlobal(QPoint(0, 0)), w.size());
}

// The dock site that takes client at global: a registered, shown and
// enabled site, not the client or inside it, whose influence rectangle holds
// the point and that lets the client dock. One the point is inside wins over
// one it only comes near, and of those the innermost.
TDockSite* FindDockSite(QWidget& client, QPoint global) {
    TDockSite* inside = nullptr;
    TDockSite* nearBy = nullptr;
    const TPoint pos{global.x(), global.y()};
    const std::vector<TDockSite*> sites = DockSites();
    for (TDockSite* site : sites) {
        QWidget& w = site->SiteWidget();
        if (!w.isVisible() || !w.isEnabled() || &w == &client || client.isAncestorOf(&w))
            continue;
        const TRect rect = FromQRect(GlobalRect(w));
        TRect influence = InflateRect(rect, 10, 10);
        bool canDock = true;
        site->DoGetSiteInfo(client, influence, pos, canDock);
        if (!canDock || !PtInRect(influence, pos))
            continue;
        if (!PtInRect(rect, pos)) {
            if (!nearBy)
                nearBy = site;
        } else if (!inside || inside->SiteWidget().isAncestorOf(&w)) {
            inside = site;
        }
    }
    return inside ? inside : nearBy;
}

// Where a dock drag's control would go: a frame of four strips the pointer
// passes through, 1 pixel thick over a site and 3 where the control would
// float.
class DragOutline {
public:
    DragOutline() {
        for (auto& strip : m_strips) {
            strip = std::make_unique<QWidget>(
                nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput);
            strip->setAttribute(Qt::WA_TransparentForMouseEvents);
            strip->setAttribute(Qt::WA_ShowWithoutActivating);
            QPalette palette = strip->palette();
            palette.setColor(QPalette::Window, Qt::darkGray);
            strip->setPalette(palette);
            strip->setAutoFillBackground(true);
        }
    }
    void Place(const TRect& r, bool floating) {
        const int t = floating ? 3 : 1;
        const QRect q = ToQRect(r);
        const QRect parts[] = {QRect(q.left(), q.top(), q.width(), t),
                               QRect(q.left(), q.bottom() - t + 1, q.width(), t),
                               QRect(q.left(), q.top() + t, t, q.height() - 2 * t),
                               QRect(q.right() - t + 1, q.top() + t, t, q.height() - 2 * t)};
        for (std::size_t i = 0; i < m_strips.size(); ++i) {
            m_strips[i]->setGeometry(parts[i]);
            m_strips[i]->setVisible(parts[i].isValid());
        }
    }

private:
    std::array<std::unique_ptr<QWidget>, 4> m_strips;
};

// The running drag.
struct Session {
    TDragControl* Control = nullptr;
    QPointer<QWidget> Source;
    TDragKind Kind = TDragKind::dkDrag;
    std::unique_ptr<TDragObject> Object;
    TDragDockObject* Dock = nullptr; // Object, for a dock drag
    QPoint Start;
    int Threshold = kDragThreshold;
    bool Active = false; // the pointer has moved the threshold
    bool Ending = false;
    bool CursorSet = false;
    // The last pointer position the drag followed.
    bool Followed = false;
    QPoint LastPos;
    // The dock drag: the pointer's offset in the dock rectangle, the
    // control's size off a site, the site it is over and the outline.
    QPoint DockOffset;
    QSize UndockSize;
    TDockSite* Site = nullptr;
    QPointer<QWidget> SiteWidget;
    std::unique_ptr<DragOutline> Outline;
};

std::unique_ptr<Session>& Running() {
    static std::unique_ptr<Session> session;
    return session;
}

void DragTo(QPoint global);
void DragDone(bool drop);

// Takes the mouse and Escape while a drag runs, as the class library's drag
// captures the mouse.
class DragFilter final : public QObject {
public:
    using QObject::QObject;

    static DragFilter& Instance() {
        static QPointer<DragFilter> filter;
        if (!filter)
            filter = new DragFilter(qApp);
        return *filter;
    }

protected:
    // The window's and the widget's copy of one move come to the same point.
    static void Follow(Session& s, QPoint global) {
        if (s.Followed && global == s.LastPos)
            return;
        s.Followed = true;
        s.LastPos = global;
        Guard([global] { DragTo(global); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        Session* s = Running().get();
        if (!s)
            return false;
        if (!watched->isWidgetType()) {
            // A move with no button held reaches only a widget that tracks
            // the mouse: take it from the window.
            if (event->type() == QEvent::MouseMove &&
                static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton)
                Follow(*s, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return false;
        }
        switch (event->type()) {
        case QEvent::MouseMove:
            Follow(*s, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton || mouse->button() == Qt::RightButton) {
                Guard([] { DragDone(true); });
            }
            return true;
        }
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
                return false;
            // Escape is the drag's, not a shortcut's.
            event->accept();
            if (event->type() == QEvent::KeyPress)
                Guard([] { DragDone(false); });
            return true;
        default:
            return false;
        }
    }
};

// Where a dock drag's control would float with the pointer at global: its
// size off a site, held at the point where it was taken.
TRect FloatingRect(const Session& s, QPoint global) {
    return Bounds(global.x() - s.DockOffset.x(), global.y() - s.DockOffset.y(),
                  s.UndockSize.width(), s.UndockSize.height());
}

// The drag or dock event of the target the drag is over; false without one.
bool DragOverTarget(Session& s, TDragState state) {
    if (s.Kind == TDragKind::dkDrag) {
        QWidget* target = s.Object->DragTarget;
        auto* control = dynamic_cast<TDragControl*>(target);
        if (!control)
            return false;
        const TPoint p = s.Object->DragTargetPos;
        bool accept = false;
        control->DragOver(s.Object->Source(), p.X, p.Y, state, accept);
        return accept;
    }
    if (!s.Site || !s.SiteWidget)
        return false;
    const QPoint global(s.Object->DragPos.X, s.Object->DragPos.Y);
    s.Dock->DockRect = PositionDockRect(*s.Control, *s.Site, global, FloatingRect(s, global));
    const TPoint p = ScreenToClient(*s.SiteWidget, global);
    bool accept = true;
    s.Site->DoDockOver(*s.Dock, p.X, p.Y, state, accept);
    return accept;
}

void SetCursor(Session& s, TCursor cursor) {
    if (s.CursorSet) {
        QApplication::changeOverrideCursor(ToQCursor(cursor));
    } else {
        QApplication::setOverrideCursor(ToQCursor(cursor));
        s.CursorSet = true;
    }
}

void DragTo(QPoint global) {
    Session* s = Running().get();
    if (!s || s->Ending)
        return;
    if (!s->Source) {
        DragDone(false);
        return;
    }
    if (!s->Active && std::abs(global.x() - s->Start.x()) < s->Threshold &&
        std::abs(global.y() - s->Start.y()) < s->Threshold)
        return;
    s->Active = true;
    s->Object->DragPos = {global.x(), global.y()};

    if (s->Kind == TDragKind::dkDrag) {
        TDragControl* found = FindDragTarget(*s->Source, global);
        QWidget* target = found ? &found->DragWidget() : nullptr;
        if (target != s->Object->DragTarget.data()) {
            DragOverTarget(*s, TDragState::dsDragLeave);
            if (Running().get() != s || s->Ending)
                return;
            s->Object->DragTarget = target;
            if (target) {
                s->Object->DragTargetPos = ScreenToClient(*target, global);
                DragOverTarget(*s, TDragState::dsDragEnter);
                if (Running().get() != s || s->Ending)
                    return;
            }
        }
        if (QWidget* t = s->Object->DragTarget)
            s->Object->DragTargetPos = ScreenToClient(*t, global);
        const bool accepted = DragOverTarget(*s, TDragState::dsDragMove);
        if (Running().get() != s || s->Ending)
            return;
        const TPoint p = s->Object->DragTargetPos;
        SetCursor(*s, s->Object->GetDragCursor(accepted, p.X, p.Y));
        return;
    }

    TDockSite* site = FindDockSite(*s->Source, global);
    if (site != s->Site || (site && !s->SiteWidget)) {
        DragOverTarget(*s, TDragState::dsDragLeave);
        if (Running().get() != s || s->Ending)
            return;
        s->Site = site;
        s->SiteWidget = site ? &site->SiteWidget() : nullptr;
        s->Object->DragTarget = s->SiteWidget;
        if (site) {
            DragOverTarget(*s, TDragState::dsDragEnter);
            if (Running().get() != s || s->Ending)
                return;
        }
    }
    if (s->SiteWidget)
        s->Object->DragTargetPos = ScreenToClient(*s->SiteWidget, global);
    const bool accepted = DragOverTarget(*s, TDragState::dsDragMove);
    if (Running().get() != s || s->Ending)
        return;
    s->Dock->Floating = !accepted;
    if (s->Dock->Floating)
        s->Dock->DockRect = FloatingRect(*s, global);
    if (!s->Outline)
        s->Outline = std::make_unique<DragOutline>();
    s->Outline->Place(s->Dock->DockRect, s->Dock->Floating);
}

void DragDone(bool drop) {
    Session* s = Running().get();
    if (!s || s->Ending)
        return;
    s->Ending = true;
    s->Object->Dropped = drop;
    qApp->removeEventFilter(&DragFilter::Instance());
    if (s->CursorSet)
        QApplication::restoreOverrideCursor();
    s->Outline.reset();

    // The target the drag is over learns that it leaves; for a control drag
    // its answer decides the drop.
    const bool overTarget = s->Active && s->Object->DragTarget;
    const bool leaveAccepted = overTarget && DragOverTarget(*s, TDragState::dsDragLeave);
    QWidget* target = s->Object->DragTarget;
    TPoint targetPos = s->Object->DragTargetPos;
    bool accepted = false;
    if (s->Kind == TDragKind::dkDrag) {
        accepted = drop && leaveAccepted && s->Source;
    } else if (drop && s->Active && s->Source && (s->Dock->Floating || leaveAccepted)) {
        if (s->Dock->Floating)
            target = nullptr;
        // A docked control leaves its site only when the site lets it go.
        accepted = true;
        if (QWidget* host = s->Control->Dock.HostDockSite)
            if (auto* hostSite = dynamic_cast<TDockSite*>(host))
                hostSite->DoUnDock(*s->Source, target, accepted);
    }

    // The drag is over for everybody: the drop and the end events may start
    // another one.
    std::unique_ptr<Session> done = std::move(Running());
    if (!done->Source)
        return;
    if (!accepted) {
        target = nullptr;
        targetPos = {};
    }
    if (done->Kind == TDragKind::dkDrag) {
        if (accepted)
            if (auto* control = dynamic_cast<TDragControl*>(target))
                control->DragDrop(done->Object->Source(), targetPos.X, targetPos.Y);
        if (done->Source)
            done->Control->DoEndDrag(target, targetPos.X, targetPos.Y);
        return;
    }
    if (accepted) {
        if (done->Dock->Floating) {
            ManualFloat(*done->Control, done->Dock->DockRect);
            targetPos = done->Object->DragPos;
        } else if (done->Site && done->SiteWidget) {
            const QPoint global(done->Object->DragPos.X, done->Object->DragPos.Y);
            DockControlAt(*done->Control, *done->Site, global, done->Dock->DockRect);
            if (done->SiteWidget)
                done->Site->DoDockDrop(*done->Dock, targetPos.X, targetPos.Y);
        }
    }
    if (done->Source)
        done->Control->DoEndDock(target, targetPos.X, targetPos.Y);
}

} // namespace

TDragControl::~TDragControl() {
    // A control destroyed while it is dragged ends the drag without events.
    Session* s = Running().get();
    if (!s || s->Control != this)
        return;
    s->Ending = true;
    qApp->removeEventFilter(&DragFilter::Instance());
    if (s->CursorSet)
        QApplication::restoreOverrideCursor();
    Running().reset();
}

TDockSite::~TDockSite() {
    RegisterDockSite(*this, false);
    if (Session* s = Running().get(); s && s->Site == this) {
        s->Site = nullptr;
        s->SiteWidget = nullptr;
    }
}

void RegisterDockSite(TDockSite& site, bool doRegister) {
    std::vector<TDockSite*>& sites = DockSites();
    const auto it = std::find(sites.begin(), sites.end(), &site);
    if (doRegister && it == sites.end())
        sites.push_back(&site);
    else if (!doRegister && it != sites.end())
        sites.erase(it);
}

void BeginDrag(TDragControl& control, QPoint start, bool immediate, int threshold) {
    if (Running())
        return;
    QWidget& widget = control.DragWidget();
    auto s = std::make_unique<Session>();
    s->Control = &control;
    s->Source = &widget;
    s->Kind = control.DragKind();
    s->Start = start;
    s->Threshold = threshold < 0 ? kDragThreshold : threshold;
    if (s->Kind == TDragKind::dkDrag) {
        std::unique_ptr<TDragObject> object;
        control.DoStartDrag(object);
        if (!s->Source)
            return;
        s->Object = object ? std::move(object) : std::make_unique<TDragControlObject>(&widget);
    } else {
        std::unique_ptr<TDragDockObject> object;
        control.DoStartDock(object);
        if (!s->Source)
            return;
        if (!object)
            object = std::make_unique<TDragDockObject>(&widget);
        s->UndockSize = control.Dock.HostDockSite && control.Dock.UndockSize.isValid()
                            ? control.Dock.UndockSize
                            : widget.size();
        const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
        object->DockRect =
            Bounds(origin.x(), origin.y(), s->UndockSize.width(), s->UndockSize.height());
        s->DockOffset = start - origin;
        s->Dock = object.get();
        s->Object = std::move(object);
    }
    s->Object->DragPos = {start.x(), start.y()};
    Running() = std::move(s);
    qApp->installEventFilter(&DragFilter::Instance());
    if (immediate) {
        Running()->Active = true;
        DragTo(start);
    }
}

void EndDrag(TDragControl& control, bool drop) {
    if (Running() && Running()->Control == &control)
        DragDone(drop);
}

TDragControl* DragControl() {
    return Running() && !Running()->Ending ? Running()->Control : nullptr;
}

} // namespace vdx::gui
