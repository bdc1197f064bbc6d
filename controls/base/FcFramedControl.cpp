#include "controls/base/FcFramedControl.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcTextAlign.h"
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
#include <vector>

namespace vdx {

using P = TFcFrameControllerProperty;

TFcFramedControl::TFcFramedControl(QWidget* parent) : gui::TFramedHost(parent) {
    TakeParentSettings();
    RememberAnchorRules();
}

TFcFramedControl::~TFcFramedControl() = default;

void TFcFramedControl::UpdateFromFrameController(const TFcFrameController& controller,
                                                 TFcFrameControllerProperty property) {
    controller.ForEachSetting(property, FrameControllerNotifications(),
                              [&](P p) { TakeFrameSetting(controller, p); });
}

void TFcFramedControl::TakeFrameSetting(const TFcFrameController& fc, P property) {
    switch (property) {
    case P::fcpColor:
        SetColor(fc.Color());
        break;
    case P::fcpParentColor:
        SetParentColor(fc.ParentColor());
        break;
    case P::fcpDisabledColor:
        SetDisabledColor(fc.DisabledColor());
        break;
    case P::fcpFocusColor:
        SetFocusColor(fc.FocusColor());
        break;
    case P::fcpFrameColor:
        SetFrameColor(fc.FrameColor());
        break;
    case P::fcpFrameHotColor:
        SetFrameHotColor(fc.FrameHotColor());
        break;
    case P::fcpFrameHotTrack:
        SetFrameHotTrack(fc.FrameHotTrack());
        break;
    case P::fcpFrameHotStyle:
        SetFrameHotStyle(fc.FrameHotStyle());
        break;
    case P::fcpFrameSides:
        SetFrameSides(fc.FrameSides());
        break;
    case P::fcpFrameStyle:
        SetFrameStyle(fc.FrameStyle());
        break;
    case P::fcpFrameVisible:
        SetFrameVisible(fc.FrameVisible());
        break;
    case P::fcpFramingPreference:
        SetFramingPreference(fc.FramingPreference());
        break;
    case P::fcpReadOnlyColor:
    case P::fcpReadOnlyColorOnFocus:
    case P::fcpFlatButtonColor:
    case P::fcpFlatButtons:
    case P::fcpAll:
        break;
    }
}

void TFcFramedControl::RedrawFrame() {
    gui::TFramedHost::RedrawFrame();
}

bool TFcFramedControl::UseThemedFrame() const {
    return ::vdx::UseThemedFrame(m_frame.FramingPreference);
}

void TFcFramedControl::SetDisabledColor(TColor value) {
    if (!StoreChanged(m_disabledColor, value))
        return;
    if (!isEnabled())
        UpdateColors();
}

void TFcFramedControl::SetFocusColor(TColor value) {
    if (!StoreChanged(m_focusColor, value))
        return;
    if (hasFocus())
        UpdateColors();
}

void TFcFramedControl::SetFrameColor(TColor value) {
    if (StoreChanged(m_frame.FrameColor, value))
        RedrawFrame();
}

void TFcFramedControl::SetFrameHotColor(TColor value) {
    if (StoreChanged(m_frame.FrameHotColor, value))
        RedrawFrame();
}

void TFcFramedControl::SetFrameHotTrack(bool value) {
    if (!StoreChanged(m_frame.FrameHotTrack, value))
        return;
    if (value) {
        SetFrameVisible(true);
        if (!IsLoading())
            m_frame.FrameSides = TSides::All();
    }
    RedrawFrame();
    update();
}

void TFcFramedControl::SetFrameHotStyle(TFrameStyle value) {
    if (StoreChanged(m_frame.FrameHotStyle, value))
        RedrawFrame();
}

void TFcFramedControl::SetFrameSides(TSides value) {
    if (StoreChanged(m_frame.FrameSides, value))
        RedrawFrame();
}

void TFcFramedControl::SetFrameStyle(TFrameStyle value) {
    if (StoreChanged(m_frame.FrameStyle, value))
        RedrawFrame();
}

void TFcFramedControl::SetFrameVisible(bool value) {
    if (StoreChanged(m_frame.FrameVisible, value))
        FrameVisibleChanged();
}

void TFcFramedControl::SetFramingPreference(TFramingPreference value) {
    if (!StoreChanged(m_frame.FramingPreference, value))
        return;
    if (value == TFramingPreference::fpCustomFraming)
        RedrawFrame();
}

void TFcFramedControl::SetFrameController(TFcFrameController* value) {
    m_frameController.Set(value);
}

void TFcFramedControl::SetFont(const TFont& value) {
    m_parentFont = false;
    StoreFont(value);
}

void TFcFramedControl::StoreFont(const TFont& value) {
    if (!StoreChanged(m_font, value))
        return;
    FontChanged();
    NotifyChildrenParentSettings();
}

void TFcFramedControl::SetParentFont(bool value) {
    if (m_parentFont == value)
        return;
    m_parentFont = value;
    if (value)
        TakeParentSettings();
}

void TFcFramedControl::SetTabStop(bool value) {
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

void TFcFramedControl::FontChanged() {
    update();
}

void TFcFramedControl::SetCaption(const std::string& value) {
    if (StoreChanged(m_caption, value))
        CaptionChanged();
}

void TFcFramedControl::CaptionChanged() {
    update();
}

void TFcFramedControl::SetAlignment(TAlignment value) {
    if (StoreChanged(m_alignment, value))
        AlignmentChanged();
}

void TFcFramedControl::AlignmentChanged() {
    update();
}

// Events.

void TFcFramedControl::Click() {
    // A handler may delete the control, and with it OnClick: it runs from
    // a copy.
    if (const TNotifyEvent handler = OnClick)
        handler(this);
}

void TFcFramedControl::DblClick() {
    if (OnDblClick)
        gui::Guard([this] { OnDblClick(this); });
}

TPoint TFcFramedControl::ClientPos(const QMouseEvent& event) const {
    const QPoint p = event.position().toPoint() - contentsRect().topLeft();
    return {p.x(), p.y()};
}

void TFcFramedControl::MouseDown(const QMouseEvent& event) {
    if (!OnMouseDown)
        return;
    const TPoint p = ClientPos(event);
    gui::Guard([&] { OnMouseDown(this, event.button(), event.modifiers(), p.X, p.Y); });
}

void TFcFramedControl::MouseMove(const QMouseEvent& event) {
    if (!OnMouseMove)
        return;
    const TPoint p = ClientPos(event);
    gui::Guard([&] { OnMouseMove(this, event.modifiers(), p.X, p.Y); });
}

void TFcFramedControl::MouseUp(const QMouseEvent& event) {
    if (!OnMouseUp)
        return;
    const TPoint p = ClientPos(event);
    gui::Guard([&] { OnMouseUp(this, event.button(), event.modifiers(), p.X, p.Y); });
}

namespace {

// Runs a key handler; false when it set the key to 0 (the event is
// accepted then, so it goes no further).
bool RunKeyHandler(const TKeyEvent& handler, QObject* sender, QKeyEvent& event) {
    if (!handler)
        return true;
    int key = event.key();
    gui::Guard([&] { handler(sender, key, event.modifiers()); });
    if (key != 0)
        return true;
    event.accept();
    return false;
}

} // namespace

bool TFcFramedControl::KeyDown(QKeyEvent& event) {
    return RunKeyHandler(OnKeyDown, this, event);
}

bool TFcFramedControl::KeyUp(QKeyEvent& event) {
    return RunKeyHandler(OnKeyUp, this, event);
}

void TFcFramedControl::KeyPress(char& key) {
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TFcFramedControl::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TFcFramedControl::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TFcFramedControl::FocusEnter() {
    if (OnEnter)
        OnEnter(this);
}

void TFcFramedControl::FocusExit() {
    if (OnExit)
        OnExit(this);
}

void TFcFramedControl::mousePressEvent(QMouseEvent* event) {
    gui::TFramedHost::mousePressEvent(event);
    MouseDown(*event);
}

void TFcFramedControl::mouseMoveEvent(QMouseEvent* event) {
    gui::TFramedHost::mouseMoveEvent(event);
    MouseMove(*event);
}

void TFcFramedControl::mouseReleaseEvent(QMouseEvent* event) {
    gui::TFramedHost::mouseReleaseEvent(event);
    MouseUp(*event);
}

void TFcFramedControl::mouseDoubleClickEvent(QMouseEvent* event) {
    gui::TFramedHost::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        DblClick();
}

void TFcFramedControl::keyPressEvent(QKeyEvent* event) {
    if (!KeyDown(*event))
        return;
    if (OnKeyPress) {
        if (const std::string text = gui::QStringToAnsi(event->text()); text.size() == 1) {
            char key = text[0];
            gui::Guard([&] { KeyPress(key); });
            if (key == 0) {
                event->accept();
                return;
            }
        }
    }
    gui::TFramedHost::keyPressEvent(event);
}

void TFcFramedControl::keyReleaseEvent(QKeyEvent* event) {
    if (KeyUp(*event))
        gui::TFramedHost::keyReleaseEvent(event);
}

void TFcFramedControl::contextMenuEvent(QContextMenuEvent* event) {
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    // A click on the frame is not the client's: the parent may answer it.
    if (!keyboard && !contentsRect().contains(event->pos())) {
        gui::TFramedHost::contextMenuEvent(event);
        return;
    }
    bool handled = false;
    if (OnContextPopup) {
        TPoint pos{-1, -1};
        if (!keyboard) {
            const QPoint p = event->pos() - contentsRect().topLeft();
            pos = {p.x(), p.y()};
        }
        gui::Guard([&] { OnContextPopup(this, pos, handled); });
    }
    if (handled) {
        event->accept();
        return;
    }
    if (gui::TPopupMenu* menu = m_popupMenu; menu && menu->AutoPopup()) {
        event->accept();
        menu->SetPopupComponent(this);
        // The keyboard opens the menu at the client's top-left corner.
        const QPoint at = keyboard ? mapToGlobal(contentsRect().topLeft()) : event->globalPos();
        gui::Guard([&] { menu->Popup(at.x(), at.y()); });
        return;
    }
    gui::TFramedHost::contextMenuEvent(event);
}

// ---- the class library's remaining control members ------------------

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

TRect AnchoredBounds(const TRect& b, gui::TSize oldParent, gui::TSize newParent,
                     TAnchors a) noexcept {
    int left = 0, width = 0, top = 0, height = 0;
    AnchorAxis(b.Left, b.Width(), oldParent.cx, newParent.cx, a.Contains(TAnchorKind::akLeft),
               a.Contains(TAnchorKind::akRight), left, width);
    AnchorAxis(b.Top, b.Height(), oldParent.cy, newParent.cy, a.Contains(TAnchorKind::akTop),
               a.Contains(TAnchorKind::akBottom), top, height);
    return gui::Bounds(left, top, width, height);
}

std::string GetShortHint(std::string_view hint) {
    return std::string(hint.substr(0, hint.find('|')));
}

// Sizing.

void TFcFramedControl::SetBounds(int left, int top, int w, int h) {
    if (CheckNewSize(w, h))
        ApplyBounds(left, top, w, h);
}

bool TFcFramedControl::CanResize(int& w, int& h) {
    bool resize = true;
    if (OnCanResize)
        OnCanResize(this, w, h, resize);
    return resize;
}

void TFcFramedControl::ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth,
                                         int& maxHeight) {
    if (OnConstrainedResize)
        OnConstrainedResize(this, minWidth, minHeight, maxWidth, maxHeight);
}

bool TFcFramedControl::CheckNewSize(int& w, int& h) {
    if (!CanResize(w, h))
        return false;
    int minWidth = std::max(0, m_constraints.MinWidth());
    int minHeight = std::max(0, m_constraints.MinHeight());
    int maxWidth = std::max(0, m_constraints.MaxWidth());
    int maxHeight = std::max(0, m_constraints.MaxHeight());
    ConstrainedResize(minWidth, minHeight, maxWidth, maxHeight);
    w = gui::ConstrainExtent(w, minWidth, maxWidth);
    h = gui::ConstrainExtent(h, minHeight, maxHeight);
    return true;
}

void TFcFramedControl::ApplyBounds(int left, int top, int w, int h) {
    setGeometry(left, top, w, h);
    // A hidden control gets its resize event only when shown; the size
    // has changed now.
    ReportSizeChange();
    if (!m_anchoring)
        RememberAnchorRules();
}

void TFcFramedControl::SetConstraints(const TSizeConstraints& value) {
    if (m_constraints == value)
        return;
    m_constraints = value;
    const auto limit = [](int v) { return v > 0 ? v : QWIDGETSIZE_MAX; };
    setMinimumSize(std::max(0, value.MinWidth()), std::max(0, value.MinHeight()));
    setMaximumSize(limit(value.MaxWidth()), limit(value.MaxHeight()));
    SetBounds(x(), y(), width(), height());
}

void TFcFramedControl::Resize() {
    if (OnResize)
        OnResize(this);
}

void TFcFramedControl::ReportSizeChange() {
    if (size() == m_reportedSize)
        return;
    m_reportedSize = size();
    gui::Guard([this] { Resize(); });
}

// Anchors.

void TFcFramedControl::SetAnchors(TAnchors value) {
    if (m_anchors == value)
        return;
    m_anchors = value;
    RememberAnchorRules();
    WatchParent();
}

void TFcFramedControl::WatchParent() {
    // Only a control that moves with its parent watches it: a container of
    // many controls would otherwise pass every event through all of them.
    QWidget* parent = m_anchors == gui::kDefaultAnchors ? nullptr : parentWidget();
    if (m_watchedParent == parent)
        return;
    if (m_watchedParent)
        m_watchedParent->removeEventFilter(this);
    m_watchedParent = parent;
    if (parent)
        parent->installEventFilter(this);
}

void TFcFramedControl::RememberAnchorRules() {
    m_anchorBounds = gui::FromQRect(geometry());
    const QWidget* parent = parentWidget();
    m_anchorParentSize = parent ? gui::TSize{parent->width(), parent->height()} : gui::TSize{};
}

void TFcFramedControl::FollowParentResize() {
    const QWidget* parent = parentWidget();
    // A parent with a layout places its children itself.
    if (!parent || parent->layout() || m_anchors == gui::kDefaultAnchors)
        return;
    const TRect b = AnchoredBounds(m_anchorBounds, m_anchorParentSize,
                                   {parent->width(), parent->height()}, m_anchors);
    m_anchoring = true;
    const bool done = gui::Guard([&] { SetBounds(b.Left, b.Top, b.Width(), b.Height()); });
    m_anchoring = false;
    if (!done)
        RememberAnchorRules();
}

bool TFcFramedControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedParent && event->type() == QEvent::Resize)
        FollowParentResize();
    return gui::TFramedHost::eventFilter(watched, event);
}

// Hints, Ctl3D and the reading order: taken from the parent while the
// Parent... flag is set, and handed on to the children that take them.

void TFcFramedControl::TakeParentSettings() {
    QWidget* parent = parentWidget();
    const auto* framed = qobject_cast<const TFcFramedControl*>(parent);
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

void TFcFramedControl::NotifyChildrenParentSettings() {
    for (QObject* child : children())
        if (auto* c = qobject_cast<TFcFramedControl*>(child);
            c &&
            (c->m_parentShowHint || c->m_parentFont || c->m_parentCtl3D || c->m_parentBiDiMode))
            c->TakeParentSettings();
}

void TFcFramedControl::SetShowHint(bool value) {
    if (m_showHint == value)
        return;
    m_parentShowHint = false;
    StoreShowHint(value);
}

void TFcFramedControl::SetParentShowHint(bool value) {
    if (m_parentShowHint == value)
        return;
    m_parentShowHint = value;
    if (value)
        TakeParentSettings();
}

void TFcFramedControl::StoreShowHint(bool value) {
    if (m_showHint == value)
        return;
    m_showHint = value;
    NotifyChildrenParentSettings();
}

void TFcFramedControl::SetCtl3D(bool value) {
    if (m_ctl3D == value)
        return;
    m_parentCtl3D = false;
    StoreCtl3D(value);
}

void TFcFramedControl::SetParentCtl3D(bool value) {
    if (m_parentCtl3D == value)
        return;
    m_parentCtl3D = value;
    if (value)
        TakeParentSettings();
}

void TFcFramedControl::StoreCtl3D(bool value) {
    if (m_ctl3D == value)
        return;
    m_ctl3D = value;
    Ctl3DChanged();
    NotifyChildrenParentSettings();
}

void TFcFramedControl::SetBiDiMode(TBiDiMode value) {
    if (m_biDiMode == value)
        return;
    m_parentBiDiMode = false;
    StoreBiDiMode(value);
}

void TFcFramedControl::SetParentBiDiMode(bool value) {
    if (m_parentBiDiMode == value)
        return;
    m_parentBiDiMode = value;
    if (value)
        TakeParentSettings();
    else
        ApplyLayoutDirection();
}

void TFcFramedControl::StoreBiDiMode(TBiDiMode value) {
    const bool changed = m_biDiMode != value;
    m_biDiMode = value;
    ApplyLayoutDirection();
    if (!changed)
        return;
    BiDiModeChanged();
    NotifyChildrenParentSettings();
}

void TFcFramedControl::ApplyLayoutDirection() {
    // Under a parent that is no framed control the direction is inherited
    // the Qt way, so a change of the parent's direction reaches this
    // control (and its mode follows it).
    const QWidget* parent = parentWidget();
    if (m_parentBiDiMode && parent && !qobject_cast<const TFcFramedControl*>(parent)) {
        if (testAttribute(Qt::WA_SetLayoutDirection))
            unsetLayoutDirection();
        return;
    }
    const Qt::LayoutDirection direction =
        m_biDiMode == TBiDiMode::bdRightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    if (!testAttribute(Qt::WA_SetLayoutDirection) || layoutDirection() != direction)
        setLayoutDirection(direction);
}

void TFcFramedControl::BiDiModeChanged() {
    update();
}

bool TFcFramedControl::IsRightToLeft() const noexcept {
    return m_biDiMode != TBiDiMode::bdLeftToRight;
}

bool TFcFramedControl::UseRightToLeftAlignment() const noexcept {
    return gui::MiddleEastEnabled() && m_biDiMode == TBiDiMode::bdRightToLeft;
}

bool TFcFramedControl::UseRightToLeftReading() const noexcept {
    return gui::MiddleEastEnabled() && m_biDiMode != TBiDiMode::bdLeftToRight;
}

bool TFcFramedControl::UseRightToLeftScrollBar() const noexcept {
    return gui::MiddleEastEnabled() && (m_biDiMode == TBiDiMode::bdRightToLeft ||
                                        m_biDiMode == TBiDiMode::bdRightToLeftNoAlign);
}

unsigned TFcFramedControl::DrawTextBiDiModeFlags(unsigned flags) const noexcept {
    if (UseRightToLeftAlignment())
        flags = MirroredTextFlags(flags);
    return flags | DrawTextBiDiModeFlagsReadingOnly();
}

unsigned TFcFramedControl::DrawTextBiDiModeFlagsReadingOnly() const noexcept {
    return UseRightToLeftReading() ? gui::DT_RTLREADING : 0u;
}

TAlignment TFcFramedControl::BiDiAlignment(TAlignment alignment) const noexcept {
    return UseRightToLeftAlignment() ? gui::ChangeBiDiModeAlignment(alignment) : alignment;
}

bool TFcFramedControl::ShowHintTip(const QHelpEvent& event) {
    if (!m_showHint)
        return false;
    std::string hint;
    for (const QWidget* w = this; w && hint.empty();
         w = w->isWindow() ? nullptr : w->parentWidget())
        if (const auto* f = qobject_cast<const TFcFramedControl*>(w))
            hint = f->Hint();
    const std::string text = GetShortHint(hint);
    if (text.empty())
        QToolTip::hideText();
    else
        QToolTip::showText(event.globalPos(), gui::AnsiToQString(text), this);
    return true;
}

// The mouse wheel and activation.

bool TFcFramedControl::DoMouseWheel(Qt::KeyboardModifiers shift, int wheelDelta, TPoint mousePos) {
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

bool TFcFramedControl::DoMouseWheelDown(Qt::KeyboardModifiers shift, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheelDown)
        OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TFcFramedControl::DoMouseWheelUp(Qt::KeyboardModifiers shift, TPoint mousePos) {
    bool handled = false;
    if (OnMouseWheelUp)
        OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

bool TFcFramedControl::MouseWheelHandled(const QWheelEvent& event) {
    const int delta = event.angleDelta().y();
    if (delta == 0)
        return false;
    const QPoint at = event.globalPosition().toPoint();
    bool handled = false;
    gui::Guard([&] { handled = DoMouseWheel(event.modifiers(), delta, {at.x(), at.y()}); });
    return handled;
}

void TFcFramedControl::wheelEvent(QWheelEvent* event) {
    if (MouseWheelHandled(*event))
        event->accept();
    else
        gui::TFramedHost::wheelEvent(event);
}

bool TFcFramedControl::MouseActivateEats(const QMouseEvent& event) {
    // A press that a child passed on was asked about there already.
    const QPoint local = event.position().toPoint();
    if (isActiveWindow() || childAt(local))
        return false;
    const int hitTest = contentsRect().contains(local) ? HTCLIENT : HTBORDER;
    TMouseActivate result = TMouseActivate::maDefault;
    for (QWidget* w = this; w && result == TMouseActivate::maDefault;
         w = w->isWindow() ? nullptr : w->parentWidget()) {
        auto* f = qobject_cast<TFcFramedControl*>(w);
        if (!f || !f->OnMouseActivate)
            continue;
        const QPoint p = (f == this ? local : mapTo(f, local)) - f->contentsRect().topLeft();
        gui::Guard([&] {
            f->OnMouseActivate(f, event.button(), event.modifiers(), p.x(), p.y(), hitTest, result);
        });
    }
    // Whether the window is activated is the window manager's choice.
    return result == TMouseActivate::maActivateAndEat ||
           result == TMouseActivate::maNoActivateAndEat;
}

bool TFcFramedControl::event(QEvent* event) {
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
        const bool result = gui::TFramedHost::event(event);
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
        const bool result = gui::TFramedHost::event(event);
        TakeParentSettings();
        RememberAnchorRules();
        WatchParent();
        return result;
    }
    case QEvent::LayoutDirectionChange: {
        // A direction inherited from a parent that is no framed control.
        const QWidget* parent = parentWidget();
        if (m_parentBiDiMode && parent && !qobject_cast<const TFcFramedControl*>(parent) &&
            !testAttribute(Qt::WA_SetLayoutDirection))
            StoreBiDiMode(layoutDirection() == Qt::RightToLeft ? TBiDiMode::bdRightToLeft
                                                               : TBiDiMode::bdLeftToRight);
        break;
    }
    default:
        break;
    }
    return gui::TFramedHost::event(event);
}

// Drag and drop.

bool TFcFramedControl::TrackDrag(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_pointer = mouse->globalPosition().toPoint();
        if (mouse->button() != Qt::LeftButton)
            break;
        if (m_dragMode == TDragMode::dmAutomatic) {
            const QPoint start = m_pointer;
            gui::Guard([this, start] {
                gui::BeginDrag(*this, start, gui::kDragImmediate, gui::kDragThreshold);
            });
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

void TFcFramedControl::BeginDrag(bool immediate, int threshold) {
    if (gui::DragControl())
        return;
    const QPoint start = m_leftDown ? m_pointer : QCursor::pos();
    if (m_leftDown) {
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(mapFromGlobal(start)), QPointF(start),
                       Qt::LeftButton, Qt::NoButton, QGuiApplication::keyboardModifiers());
        QApplication::sendEvent(this, &up);
    }
    gui::BeginDrag(*this, start, immediate, threshold < 0 ? gui::kDragThreshold : threshold);
}

void TFcFramedControl::EndDrag(bool drop) {
    gui::EndDrag(*this, drop);
}

bool TFcFramedControl::Dragging() const {
    return gui::DragControl() == static_cast<const gui::TDragControl*>(this);
}

void TFcFramedControl::DoStartDrag(std::unique_ptr<gui::TDragObject>& dragObject) {
    if (OnStartDrag)
        gui::Guard([&] { OnStartDrag(this, dragObject); });
}

void TFcFramedControl::DoEndDrag(QObject* target, int x, int y) {
    if (OnEndDrag)
        gui::Guard([&] { OnEndDrag(this, target, x, y); });
}

void TFcFramedControl::DoStartDock(std::unique_ptr<gui::TDragDockObject>& dragObject) {
    if (OnStartDock)
        gui::Guard([&] { OnStartDock(this, dragObject); });
}

void TFcFramedControl::DoEndDock(QObject* target, int x, int y) {
    if (OnEndDock)
        gui::Guard([&] { OnEndDock(this, target, x, y); });
}

void TFcFramedControl::DragOver(QObject* source, int x, int y, TDragState state, bool& accept) {
    accept = false;
    if (!OnDragOver)
        return;
    accept = true;
    gui::Guard([&] { OnDragOver(this, source, x, y, state, accept); });
}

void TFcFramedControl::DragDrop(QObject* source, int x, int y) {
    if (OnDragDrop)
        gui::Guard([&] { OnDragDrop(this, source, x, y); });
}

// Colour by state and the hot frame.

void TFcFramedControl::ApplyStateColor() {
    if (IsLoading())
        return;
    const TColor color = !isEnabled() ? DisabledColor() : hasFocus() ? FocusColor() : m_normalColor;
    m_stateColorGuard = true;
    try {
        SetColor(color);
    } catch (...) {
        m_stateColorGuard = false;
        throw;
    }
    m_stateColorGuard = false;
}

void TFcFramedControl::TakeNormalColor() {
    if (m_stateColorGuard)
        return;
    if (FocusColor() == m_normalColor)
        StoreFocusColor(Color());
    m_normalColor = Color();
}

void TFcFramedControl::UpdateFrameHotState(bool setOver, bool over) {
    if (setOver)
        m_mouseOver = over;
    if (FrameHotTrack())
        RedrawFrame();
    UpdateColors();
}

} // namespace vdx
