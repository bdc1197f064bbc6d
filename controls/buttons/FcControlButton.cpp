#include "controls/buttons/FcControlButton.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/exception_guard.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTimer>

namespace vdx {

using gui::clBtnFace;
using gui::clBtnShadow;

int ArrowDirectionOfStyle(TFcControlButtonStyle style) noexcept {
    switch (style) {
    case TFcControlButtonStyle::cbsUp:
        return 0;
    case TFcControlButtonStyle::cbsLeft:
        return 2;
    case TFcControlButtonStyle::cbsRight:
        return 3;
    case TFcControlButtonStyle::cbsDown:
    case TFcControlButtonStyle::cbsNone:
    case TFcControlButtonStyle::cbsDropDown:
        break;
    }
    return 1;
}

TFcControlButton::TFcControlButton(QWidget* parent) : TFcFramedControl(parent) {
    setFocusPolicy(Qt::NoFocus);
    resize(17, 21);
    SetColor(clBtnFace);
}

TFcControlButton::~TFcControlButton() = default;

void TFcControlButton::SetStyle(TFcControlButtonStyle value) {
    if (StoreChanged(m_style, value))
        update();
}

void TFcControlButton::SetFlat(bool value) {
    if (StoreChanged(m_flat, value))
        update();
}

void TFcControlButton::SetGlyph(const gui::TBitmap& value) {
    m_glyph.Assign(value);
    update();
}

void TFcControlButton::SetGlyph(const QImage& value) {
    m_glyph.Assign(value);
    update();
}

void TFcControlButton::SetNumGlyphs(int value) {
    if (m_glyph.SetNumGlyphs(value))
        update();
}

TPoint TFcControlButton::GetGlyphSize() const {
    return m_glyph.CellSize();
}

// Painting.

void TFcControlButton::PaintClient(TCanvas& canvas) {
    TRect r = ClientRect();
    switch (m_style) {
    case TFcControlButtonStyle::cbsNone: {
        DrawNormalButton(canvas, r);
        if (m_glyph.Empty())
            break;
        const TPoint size = GetGlyphSize();
        r = CenteredBounds(gui::InflateRect(r, -1, -1), size.X, size.Y);
        r = gui::OffsetRect(r, 1, 1);
        if (m_pressed)
            r = gui::OffsetRect(r, 1, 1);
        DrawGlyphBitmap(canvas, r);
        break;
    }
    case TFcControlButtonStyle::cbsLeft:
    case TFcControlButtonStyle::cbsUp:
    case TFcControlButtonStyle::cbsRight:
    case TFcControlButtonStyle::cbsDown:
        DrawArrowButton(canvas, r);
        break;
    case TFcControlButtonStyle::cbsDropDown:
        DrawDropDownButton(canvas, r);
        break;
    }
}

void TFcControlButton::DrawFlatFrame(TCanvas& canvas, TRect& r) const {
    if (m_pressed || (m_hovered && isEnabled()))
        r = DrawFrameStyleBorder(canvas, r,
                                 m_pressed ? TFrameStyleEx::fsStatus : TFrameStyleEx::fsPopup);
}

void TFcControlButton::DrawNormalButton(TCanvas& canvas, TRect& r) {
    if (m_flat) {
        DrawFlatFrame(canvas, r);
        canvas.Brush.SetColor(Color());
    } else {
        r = m_pressed ? DrawOutlineBox(canvas, r, clBtnShadow)
                      : DrawFrameStyleBorder(canvas, r, TFrameStyleEx::fsRaised);
        canvas.Brush.SetColor(clBtnFace);
    }
    canvas.FillRect(r);
}

void TFcControlButton::DrawArrowButton(TCanvas& canvas, TRect& r) {
    if (m_flat)
        DrawFlatFrame(canvas, r);
    else
        r = m_pressed ? DrawOutlineBox(canvas, r, clBtnShadow)
                      : DrawFrameStyleBorder(canvas, r, TFrameStyleEx::fsButtonUp);
    canvas.Brush.SetColor(Color());
    canvas.FillRect(r);
    DrawArrow(canvas, r, 0, isEnabled(), ArrowDirectionOfStyle(m_style));
}

void TFcControlButton::DrawDropDownButton(TCanvas& canvas, TRect& r) {
    if (m_flat)
        DrawFlatFrame(canvas, r);
    else
        r = m_pressed ? DrawOutlineBox(canvas, r, clBtnShadow)
                      : DrawFrameStyleBorder(canvas, r, TFrameStyleEx::fsButtonUp);
    canvas.Brush.SetColor(m_flat ? Color() : clBtnFace);
    canvas.FillRect(r);
    DrawDropDownArrow(canvas, r, 0, isEnabled());
}

void TFcControlButton::DrawGlyphBitmap(TCanvas& canvas, const TRect& r) {
    int cell = 0;
    const int n = m_glyph.NumGlyphs();
    if (n > 2 && m_pressed)
        cell = 2;
    else if (n >= 2 && !isEnabled())
        cell = 1;
    m_glyph.DrawCell(canvas, r, cell);
}

// Mouse and repeat.

void TFcControlButton::mousePressEvent(QMouseEvent* event) {
    TFcFramedControl::mousePressEvent(event);
    event->accept(); // the release comes here, not to the parent
    gui::Guard([&] {
        if (event->button() == Qt::LeftButton && isEnabled()) {
            if (StoreChanged(m_pressed, true))
                update();
            m_tracking = true;
        }
        if (!m_repeatClicks)
            return;
        if (!m_repeatTimer) {
            m_repeatTimer = new QTimer(this);
            m_repeatTimer->setTimerType(Qt::PreciseTimer);
            connect(m_repeatTimer, &QTimer::timeout, this,
                    gui::Guarded([this] { RepeatTimerFired(); }));
        }
        m_repeatTimer->setInterval(m_initialDelay);
        m_repeatTimer->start();
    });
}

void TFcControlButton::RepeatTimerFired() {
    m_repeatTimer->setInterval(m_delay);
    if (!m_pressed || !m_tracking)
        return;
    const QPointer<QTimer> timer = m_repeatTimer;
    try {
        Click();
    } catch (...) {
        if (timer)
            timer->stop();
        throw;
    }
}

void TFcControlButton::mouseReleaseEvent(QMouseEvent* event) {
    const QPointer<TFcControlButton> self(this);
    TFcFramedControl::mouseReleaseEvent(event);
    if (!self)
        return event->accept(); // a deleted control: Qt must not pass it on
    event->accept();
    if (m_repeatTimer)
        m_repeatTimer->stop();
    if (!m_tracking)
        return;
    m_tracking = false;
    m_pressed = false;
    m_hovered = false;
    update();
    const QPoint p = event->position().toPoint();
    if (PtInRect(ClientRect(), {p.x(), p.y()}))
        gui::Guard([this] { Click(); });
    if (self)
        UpdateHoverFromCursor();
}

void TFcControlButton::UpdateHoverFromCursor() {
    if (!m_flat || !isEnabled())
        return;
    if (QApplication::widgetAt(QCursor::pos()) == this)
        MouseEnter();
    else
        MouseLeave();
}

void TFcControlButton::MouseEnter() {
    m_hovered = true;
    TFcFramedControl::MouseEnter();
    if (m_flat)
        update();
}

void TFcControlButton::MouseLeave() {
    m_hovered = false;
    TFcFramedControl::MouseLeave();
    if (m_flat)
        update();
}

void TFcControlButton::CancelPress() {
    if (m_repeatTimer)
        m_repeatTimer->stop();
    if (!m_tracking && !m_pressed)
        return;
    m_tracking = false;
    m_pressed = false;
    update();
}

void TFcControlButton::EnabledChanged() {
    TFcFramedControl::EnabledChanged();
    if (!isEnabled())
        CancelPress();
    update();
}

void TFcControlButton::hideEvent(QHideEvent* event) {
    TFcFramedControl::hideEvent(event);
    CancelPress();
}

} // namespace vdx
