#include "controls/base/FcFramedControl.h"

#include "controls/base/FcCommon.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace vdx {

using P = TFcFrameControllerProperty;

TFcFramedControl::TFcFramedControl(QWidget* parent) : gui::TFramedHost(parent) {}

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
    if (StoreChanged(m_font, value))
        FontChanged();
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
    if (OnClick)
        OnClick(this);
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
    bool handled = false;
    if (OnContextPopup) {
        TPoint pos{-1, -1};
        if (event->reason() != QContextMenuEvent::Keyboard) {
            const QPoint p = event->pos() - contentsRect().topLeft();
            pos = {p.x(), p.y()};
        }
        gui::Guard([&] { OnContextPopup(this, pos, handled); });
    }
    if (handled)
        event->accept();
    else
        gui::TFramedHost::contextMenuEvent(event);
}

} // namespace vdx
