#include "platform/gui/general_control.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/system_facts.h"
#include "platform/gui/text_layout.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace vdx::gui {

TGeneralControl::TGeneralControl(QWidget* parent) : TFramedHost(parent) {
    TakeParentSettings();
    RememberAnchorRules();
}

TGeneralControl::~TGeneralControl() = default;

void TGeneralControl::SetFont(const TFont& value) {
    m_parentFont = false;
    StoreFont(value);
}

void TGeneralControl::StoreFont(const TFont& value) {
    if (m_font == value)
        return;
    m_font = value;
    FontChanged();
    NotifyChildrenParentSettings();
}

void TGeneralControl::SetParentFont(bool value) {
    if (m_parentFont == value)
        return;
    m_parentFont = value;
    if (value)
        TakeParentSettings();
}

void TGeneralControl::SetTabStop(bool value) {
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TGeneralControl::FontChanged() {
    update();
}

void TGeneralControl::SetCaption(const std::string& value) {
    if (m_caption == value)
        return;
    m_caption = value;
    CaptionChanged();
}

void TGeneralControl::CaptionChanged() {
    update();
}

void TGeneralControl::SetAlignment(TAlignment value) {
    if (m_alignment == value)
        return;
    m_alignment = value;
    AlignmentChanged();
}

void TGeneralControl::AlignmentChanged() {
    update();
}

// Events.

void TGeneralControl::Click() {
    // A handler may delete the control, and with it OnClick: it runs from
    // a copy.
    if (const TNotifyEvent handler = OnClick)
        handler(this);
}

void TGeneralControl::DblClick() {
    if (OnDblClick)
        Guard([this] { OnDblClick(this); });
}

TPoint TGeneralControl::ClientPos(const QMouseEvent& event) const {
    const QPoint p = event.position().toPoint() - contentsRect().topLeft();
    return {p.x(), p.y()};
}

void TGeneralControl::MouseDown(const QMouseEvent& event) {
    if (!OnMouseDown)
        return;
    const TPoint p = ClientPos(event);
    Guard([&] { OnMouseDown(this, event.button(), event.modifiers(), p.X, p.Y); });
}

void TGeneralControl::MouseMove(const QMouseEvent& event) {
    if (!OnMouseMove)
        return;
    const TPoint p = ClientPos(event);
    Guard([&] { OnMouseMove(this, event.modifiers(), p.X, p.Y); });
}

void TGeneralControl::MouseUp(const QMouseEvent& event) {
    if (!OnMouseUp)
        return;
    const TPoint p = ClientPos(event);
    Guard([&] { OnMouseUp(this, event.button(), event.modifiers(), p.X, p.Y); });
}

namespace {

// Runs a key handler; false when it set the key to 0 (the event is
// accepted then, so it goes no further).
bool RunKeyHandler(const TKeyEvent& handler, QObject* sender, QKeyEvent& event) {
    if (!handler)
        return true;
    int key = event.key();
    Guard([&] { handler(sender, key, event.modifiers()); });
    if (key != 0)
        return true;
    event.accept();
    return false;
}

} // namespace

bool TGeneralControl::KeyDown(QKeyEvent& event) {
    return RunKeyHandler(OnKeyDown, this, event);
}

bool TGeneralControl::KeyUp(QKeyEvent& event) {
    return RunKeyHandler(OnKeyUp, this, event);
}

void TGeneralControl::KeyPress(char& key) {
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TGeneralControl::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TGeneralControl::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TGeneralControl::FocusEnter() {
    if (OnEnter)
        OnEnter(this);
}

void TGeneralControl::FocusExit() {
    if (OnExit)
        OnExit(this);
}

void TGeneralControl::mousePressEvent(QMouseEvent* event) {
    TFramedHost::mousePressEvent(event);
    MouseDown(*event);
}

void TGeneralControl::mouseMoveEvent(QMouseEvent* event) {
    TFramedHost::mouseMoveEvent(event);
    MouseMove(*event);
}

void TGeneralControl::mouseReleaseEvent(QMouseEvent* event) {
    TFramedHost::mouseReleaseEvent(event);
    MouseUp(*event);
}

void TGeneralControl::mouseDoubleClickEvent(QMouseEvent* event) {
    TFramedHost::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        DblClick();
}

void TGeneralControl::keyPressEvent(QKeyEvent* event) {
    if (!KeyDown(*event))
        return;
    if (OnKeyPress) {
        if (const std::string text = QStringToAnsi(event->text()); text.size() == 1) {
            char key = text[0];
            Guard([&] { KeyPress(key); });
            if (key == 0) {
                event->accept();
                return;
            }
        }
    }
    TFramedHost::keyPressEvent(event);
}

void TGeneralControl::keyReleaseEvent(QKeyEvent* event) {
    if (KeyUp(*event))
        TFramedHost::keyReleaseEvent(event);
}

void TGeneralControl::contextMenuEvent(QContextMenuEvent* event) {
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    // A click on the frame is not the client's: the parent may answer it.
    if (!keyboard && !contentsRect().contains(event->pos())) {
        TFramedHost::contextMenuEvent(event);
        return;
    }
    bool handled = false;
    if (OnContextPopup) {
        TPoint pos{-1, -1};
        if (!keyboard) {
            const QPoint p = event->pos() - contentsRect().topLeft();
            pos = {p.x(), p.y()};
        }
        Guard([&] { OnContextPopup(this, pos, handled); });
    }
    if (handled) {
        event->accept();
        return;
    }
    if (TPopupMenu* menu = m_popupMenu; menu && menu->AutoPopup()) {
        event->accept();
        menu->SetPopupComponent(this);
        // The keyboard opens the menu at the client's top-left corner.
        const QPoint at = keyboard ? mapToGlobal(contentsRect().topLeft()) : event->globalPos();
        Guard([&] { menu->Popup(at.x(), at.y()); });
        return;
    }
    TFramedHost::contextMenuEvent(event);
}

// Sizing, anchors, hints and the reading order.

namespace {

// MulDiv: a * b / c rounded half away from zero (c is not 0).
int MulDiv(int a, int b, int c) noexcept {
    const long long n = static_cast<long long>(a) * b;
    const long long d = std::llabs(c);
    const long long q = (std::llabs(n) + d / 2) / d;
    return static_cast<int>((n < 0) != (c < 0) ? -q : q);
}

// One axis of AnchoredBounds.
void AnchorAxis(int start, int extent, int oldSize, int newSize, bool nearEdge, bool farEdge,
                int& outStart, int& outExtent) noexcept {
    outStart = start;
    outExtent = extent;
    if (nearEdge && farEdge)
        outExtent = std::max(0, extent + newSize - oldSize);
    else if (farEdge)
        outStart = start + newSize - oldSize;
    else if (!nearEdge && oldSize > 0)
        outStart = MulDiv(start + extent / 2, newSize, oldSize) - extent / 2;
}

constexpr int HTCLIENT = 1;
constexpr int HTBORDER = 18;
constexpr int kWheelDelta = 120;

} // namespace

TRect AnchoredBounds(const TRect& b, TSize oldParent, TSize newParent, TAnchors a) noexcept {
    int left = 0, width = 0, top = 0, height = 0;
    AnchorAxis(b.Left, b.Width(), oldParent.cx, newParent.cx, a.Contains(TAnchorKind::akLeft),
               a.Contains(TAnchorKind::akRight), left, width);
    AnchorAxis(b.Top, b.Height(), oldParent.cy, newParent.cy, a.Contains(TAnchorKind::akTop),
               a.Contains(TAnchorKind::akBottom), top, height);
    return Bounds(left, top, width, height);
}

std::string GetShortHint(std::string_view hint) {
    return std::string(hint.substr(0, hint.find('|')));
}

// Sizing.

void TGeneralControl::SetBounds(int left, int top, int w, int h) {
    if (CheckNewSize(w, h))
        ApplyBounds(left, top, w, h);
}

bool TGeneralControl::CanResize(int& w, int& h) {
    bool resize = true;
    if (OnCanResize)
        OnCanResize(this, w, h, resize);
    return resize;
}

void TGeneralControl::ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth,
                                        int& maxHeight) {
    if (OnConstrainedResize)
        OnConstrainedResize(this, minWidth, minHeight, maxWidth, maxHeight);
}

bool TGeneralControl::CheckNewSize(int& w, int& h) {
    if (!CanResize(w, h))
        return false;
    int minWidth = std::max(0, m_constraints.MinWidth());
    int minHeight = std::max(0, m_constraints.MinHeight());
    int maxWidth = std::max(0, m_constraints.MaxWidth());
    int maxHeight = std::max(0, m_constraints.MaxHeight());
    ConstrainedResize(minWidth, minHeight, maxWidth, maxHeight);
    w = ConstrainExtent(w, minWidth, maxWidth);
    h = ConstrainExtent(h, minHeight, maxHeight);
    return true;
}

void TGeneralControl::ApplyBounds(int left, int top, int w, int h) {
    setGeometry(left, top, w, h);
    // A hidden control gets its resize event only when shown; the size
    // has changed now.
    ReportSizeChange();
    if (!m_anchoring)
        RememberAnchorRules();
}

void TGeneralControl::SetConstraints(const TSizeConstraints& value) {
    if (m_constraints == value)
        return;
    m_constraints = value;
    const auto limit = [](int v) { return v > 0 ? v : QWIDGETSIZE_MAX; };
    setMinimumSize(std::max(0, value.MinWidth()), std::max(0, value.MinHeight()));
    setMaximumSize(limit(value.MaxWidth()), limit(value.MaxHeight()));
    SetBounds(x(), y(), width(), height());
}

void TGeneralControl::Resize() {
    if (OnResize)
        OnResize(this);
}

void TGeneralControl::ReportSizeChange() {
    if (size() == m_reportedSize)
        return;
    m_reportedSize = size();
    Guard([this] { Resize(); });
}

// Anchors.

void TGeneralControl::SetAnchors(TAnchors value) {
    if (m_anchors == value)
        return;
    m_anchors = value;
    RememberAnchorRules();
    WatchParent();
}

void TGeneralControl::WatchParent() {
    // Only a control that moves with its parent watches it: a container of
    // many controls would otherwise pass every event through all of them.
    QWidget* parent = m_anchors == kDefaultAnchors ? nullptr : parentWidget();
    if (m_watchedParent == parent)
        return;
    if (m_watchedParent)
        m_watchedParent->removeEventFilter(this);
    m_watchedParent = parent;
    if (parent)
        parent->installEventFilter(this);
}

void TGeneralControl::RememberAnchorRules() {
    m_anchorBounds = FromQRect(geometry());
    const QWidget* parent = parentWidget();
    m_anchorParentSize = parent ? TSize{parent->width(), parent->height()} : TSize{};
}

void TGeneralControl::FollowParentResize() {
    const QWidget* parent = parentWidget();
    // A parent with a layout places its children itself.
    if (!parent || parent->layout() || m_anchors == kDefaultAnchors)
        return;
    const TRect b = AnchoredBounds(m_anchorBounds, m_anchorParentSize,
                                   {parent->width(), parent->height()}, m_anchors);
    m_anchoring = true;
    const bool done = Guard([&] { SetBounds(b.Left, b.Top, b.Width(), b.Height()); });
    m_anchoring = false;
    if (!done)
        RememberAnchorRules();
}

bool TGeneralControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedParent && event->type() == QEvent::Resize)
        FollowParentResize();
    return TFramedHost::eventFilter(watched, event);
}

// Hints, Ctl3D and the reading order: taken from the parent while the
// Parent... flag is set, and handed on to the children that take them.

void TGeneralControl::TakeParentSettings() {
    QWidget* parent = parentWidget();
    const auto* framed = qobject_cast<const TGeneralControl*>(parent);
    if (m_parentShowHint)
        StoreShowHint(framed && framed->ShowHint());
    if (m_parentFont && framed)
        StoreFont(framed->Font());
    if (m_parentCtl3D)
        StoreCtl3D(!framed || framed->Ctl3D());
    if (m_parentBiDiMode) {
        TBiDiMode mode = TBiDiMode::bdLeftToRight;
        if (framed)
            mode = framed->BiDiMode();
        else if (parent && parent->layoutDirection() == Qt::RightToLeft)
            mode = TBiDiMode::bdRightToLeft;
        StoreBiDiMode(mode);
    }
    ApplyLayoutDirection();
}

void TGeneralControl::NotifyChildrenParentSettings() {
    for (QObject* child : children())
        if (auto* c = qobject_cast<TGeneralControl*>(child);
            c &&
            (c->m_parentShowHint || c->m_parentFont || c->m_parentCtl3D || c->m_parentBiDiMode))
            c->TakeParentSettings();
}

void TGeneralControl::SetShowHint(bool value) {
    if (m_showHint == value)
        return;
    m_parentShowHint = false;
    StoreShowHint(value);
}

void TGeneralControl::SetParentShowHint(bool value) {
    if (m_parentShowHint == value)
        return;
    m_parentShowHint = value;
    if (value)
        TakeParentSettings();
}

void TGeneralControl::StoreShowHint(bool value) {
    if (m_showHint == value)
        return;
    m_showHint = value;
    NotifyChildrenParentSettings();
}

void TGeneralControl::SetCtl3D(bool value) {
    if (m_ctl3D == value)
        return;
    m_parentCtl3D = false;
    StoreCtl3D(value);
}

void TGeneralControl::SetParentCtl3D(bool value) {
    if (m_parentCtl3D == value)
        return;
    m_parentCtl3D = value;
    if (value)
        TakeParentSettings();
}

void TGeneralControl::StoreCtl3D(bool value) {
    if (m_ctl3D == value)
        return;
    m_ctl3D = value;
    Ctl3DChanged();
    NotifyChildrenParentSettings();
}

void TGeneralControl::SetBiDiMode(TBiDiMode value) {
    if (m_biDiMode == value)
        return;
    m_parentBiDiMode = false;
    StoreBiDiMode(value);
}

void TGeneralControl::SetParentBiDiMode(bool value) {
    if (m_parentBiDiMode == value)
        return;
    m_parentBiDiMode = value;
    if (value)
        TakeParentSettings();
    else
        ApplyLayoutDirection();
}

void TGeneralControl::StoreBiDiMode(TBiDiMode value) {
    const bool changed = m_biDiMode != value;
    m_biDiMode = value;
    ApplyLayoutDirection();
    if (!changed)
        return;
    BiDiModeChanged();
    NotifyChildrenParentSettings();
}

void TGeneralControl::ApplyLayoutDirection() {
    // Under a parent that is no general control the direction is inherited
    // the Qt way, so a change of the parent's direction reaches this
    // control (and its mode follows it).
    const QWidget* parent = parentWidget();
    if (m_parentBiDiMode && parent && !qobject_cast<const TGeneralControl*>(parent)) {
        if (testAttribute(Qt::WA_SetLayoutDirection))
            unsetLayoutDirection();
        return;
    }
    const Qt::LayoutDirection direction =
        m_biDiMode == TBiDiMode::bdRightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    if (!testAttribute(Qt::WA_SetLayoutDirection) || layoutDirection() != direction)
        setLayoutDirection(direction);
}

void TGeneralControl::BiDiModeChanged() {
    update();
}

bool TGeneralControl::IsRightToLeft() const noexcept {
    return m_biDiMode != TBiDiMode::bdLeftToRight;
}

bool TGeneralControl::UseRightToLeftAlignment() const noexcept {
    return MiddleEastEnabled() && m_biDiMode == TBiDiMode::bdRightToLeft;
}

bool TGeneralControl::UseRightToLeftReading() const noexcept {
    return MiddleEastEnabled() && m_biDiMode != TBiDiMode::bdLeftToRight;
}

bool TGeneralControl::UseRightToLeftScrollBar() const noexcept {
    return MiddleEastEnabled() && (m_biDiMode == TBiDiMode::bdRightToLeft ||
                                   m_biDiMode == TBiDiMode::bdRightToLeftNoAlign);
}

unsigned TGeneralControl::DrawTextBiDiModeFlags(unsigned flags) const noexcept {
    if (UseRightToLeftAlignment())
        flags = MirroredTextFlags(flags);
    return flags | DrawTextBiDiModeFlagsReadingOnly();
}

unsigned TGeneralControl::DrawTextBiDiModeFlagsReadingOnly() const noexcept {
    return UseRightToLeftReading() ? DT_RTLREADING : 0u;
}

TAlignment TGeneralControl::BiDiAlignment(TAlignment alignment) const noexcept {
    return UseRightToLeftAlignment() ? ChangeBiDiModeAlignment(alignment) : alignment;
}

bool TGeneralControl::ShowHintTip(const QHelpEvent& event) {
    if (!m_showHint)
        return false;
    std::string hint;
    for (const QWidget* w = this; w && hint.empty();
         w = w->isWindow() ? nullptr : w->parentWidget())
        if (const auto* f = qobject_cast<const TGeneralControl*>(w))
            hint = f->Hint();
    const std::string text = GetShortHint(hint);
    if (text.empty())
        QToolTip::hideText();
    else
        QToolTip::showText(event.globalPos(), AnsiToQString(text), this);
    return true;
}

// The mouse wheel and activation.

bool TGeneralControl::DoMouseWheel(Qt::KeyboardModifiers shift, int wheelDelta, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (handled)
        return true;
    m_wheelAccumulator += wheelDelta;
    while (std::abs(m_wheelAccumulator) >= kWheelDelta) {
        const bool down = m_wheelAccumulator < 0;
        m_wheelAccumulator += down ? kWheelDelta : -kWheelDelta;
        handled = down ? DoMouseWheelDown(shift, mousePos) : DoMouseWheelUp(shift, mousePos);
    }
    return handled;
}

bool TGeneralControl::DoMouseWheelDown(Qt::KeyboardModifiers shift, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TGeneralControl::DoMouseWheelUp(Qt::KeyboardModifiers shift, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

bool TGeneralControl::MouseWheelHandled(const QWheelEvent& event) {
    const int delta = event.angleDelta().y();
    if (delta == 0)
        return false;
    const QPoint at = event.globalPosition().toPoint();
    bool handled = false;
    Guard([&] { handled = DoMouseWheel(event.modifiers(), delta, {at.x(), at.y()}); });
    return handled;
}

void TGeneralControl::wheelEvent(QWheelEvent* event) {
    if (MouseWheelHandled(*event))
        event->accept();
    else
        TFramedHost::wheelEvent(event);
}

bool TGeneralControl::MouseActivateEats(const QMouseEvent& event) {
    // A press that a child passed on was asked about there already.
    const QPoint local = event.position().toPoint();
    if (isActiveWindow() || childAt(local))
        return false;
    const int hitTest = contentsRect().contains(local) ? HTCLIENT : HTBORDER;
    TMouseActivate result = TMouseActivate::maDefault;
    for (QWidget* w = this; w && result == TMouseActivate::maDefault;
         w = w->isWindow() ? nullptr : w->parentWidget()) {
        auto* f = qobject_cast<TGeneralControl*>(w);
        if (!f || !f->OnMouseActivate)
            continue;
        const QPoint p = (f == this ? local : mapTo(f, local)) - f->contentsRect().topLeft();
        Guard([&] {
            f->OnMouseActivate(f, event.button(), event.modifiers(), p.x(), p.y(), hitTest, result);
        });
    }
    // Whether the window is activated is the window manager's choice.
    return result == TMouseActivate::maActivateAndEat ||
           result == TMouseActivate::maNoActivateAndEat;
}

bool TGeneralControl::event(QEvent* event) {
    const QEvent::Type type = event->type();
    const bool press = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
    // A press the mouse activation eats never starts a drag.
    if (press && MouseActivateEats(static_cast<const QMouseEvent&>(*event))) {
        event->accept();
        return true;
    }
    if (TrackDrag(event))
        return true;
    switch (type) {
    case QEvent::ToolTip:
        if (ShowHintTip(static_cast<const QHelpEvent&>(*event)))
            return true;
        event->ignore();
        return false;
    case QEvent::Resize: {
        const bool result = TFramedHost::event(event);
        ReportSizeChange();
        if (!m_anchoring)
            RememberAnchorRules();
        return result;
    }
    case QEvent::Move:
        if (!m_anchoring)
            RememberAnchorRules();
        break;
    case QEvent::ParentChange: {
        const bool result = TFramedHost::event(event);
        TakeParentSettings();
        RememberAnchorRules();
        WatchParent();
        return result;
    }
    case QEvent::LayoutDirectionChange: {
        // A direction inherited from a parent that is no general control.
        const QWidget* parent = parentWidget();
        if (m_parentBiDiMode && parent && !qobject_cast<const TGeneralControl*>(parent) &&
            !testAttribute(Qt::WA_SetLayoutDirection))
            StoreBiDiMode(layoutDirection() == Qt::RightToLeft ? TBiDiMode::bdRightToLeft
                                                               : TBiDiMode::bdLeftToRight);
        break;
    }
    default:
        break;
    }
    return TFramedHost::event(event);
}

// Drag and drop.

bool TGeneralControl::TrackDrag(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_pointer = mouse->globalPosition().toPoint();
        if (mouse->button() != Qt::LeftButton)
            break;
        if (m_dragMode == TDragMode::dmAutomatic) {
            const QPoint start = m_pointer;
            Guard([this, start] { gui::BeginDrag(*this, start, kDragImmediate, kDragThreshold); });
            return true;
        }
        m_leftDown = true;
        break;
    }
    case QEvent::MouseMove:
        m_pointer = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        break;
    case QEvent::MouseButtonRelease:
        m_pointer = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_leftDown = false;
        break;
    default:
        break;
    }
    return false;
}

void TGeneralControl::BeginDrag(bool immediate, int threshold) {
    if (gui::DragControl())
        return;
    const QPoint start = m_leftDown ? m_pointer : QCursor::pos();
    if (m_leftDown) {
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(mapFromGlobal(start)), QPointF(start),
                       Qt::LeftButton, Qt::NoButton, QGuiApplication::keyboardModifiers());
        QApplication::sendEvent(this, &up);
    }
    gui::BeginDrag(*this, start, immediate, threshold < 0 ? kDragThreshold : threshold);
}

void TGeneralControl::EndDrag(bool drop) {
    gui::EndDrag(*this, drop);
}

bool TGeneralControl::Dragging() const {
    return gui::DragControl() == static_cast<const TDragControl*>(this);
}

void TGeneralControl::DoStartDrag(std::unique_ptr<TDragObject>& dragObject) {
    if (OnStartDrag)
        Guard([&] { OnStartDrag(this, dragObject); });
}

void TGeneralControl::DoEndDrag(QObject* target, int x, int y) {
    if (OnEndDrag)
        Guard([&] { OnEndDrag(this, target, x, y); });
}

void TGeneralControl::DoStartDock(std::unique_ptr<TDragDockObject>& dragObject) {
    if (OnStartDock)
        Guard([&] { OnStartDock(this, dragObject); });
}

void TGeneralControl::DoEndDock(QObject* target, int x, int y) {
    if (OnEndDock)
        Guard([&] { OnEndDock(this, target, x, y); });
}

void TGeneralControl::DragOver(QObject* source, int x, int y, TDragState state, bool& accept) {
    accept = false;
    if (!OnDragOver)
        return;
    accept = true;
    Guard([&] { OnDragOver(this, source, x, y, state, accept); });
}

void TGeneralControl::DragDrop(QObject* source, int x, int y) {
    if (OnDragDrop)
        Guard([&] { OnDragDrop(this, source, x, y); });
}

} // namespace vdx::gui
