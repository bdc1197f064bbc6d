#include "platform/gui/framed_host.h"

#include "platform/gui/exception_guard.h"

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QPaintEvent>
#include <QRegion>

namespace vdx::gui {

TFramedHost::TFramedHost(QWidget* parent) : QWidget(parent) {}

void TFramedHost::Loaded() {
    m_loading = false;
    if (m_parentColor)
        TakeParentColor();
}

void TFramedHost::SetFrameMargins(const QMargins& margins) {
    if (margins == contentsMargins())
        return;
    setContentsMargins(margins);
    update();
}

TRect TFramedHost::ClientRect() const {
    const QRect r = contentsRect();
    return Rect(0, 0, r.width() > 0 ? r.width() : 0, r.height() > 0 ? r.height() : 0);
}

TRect TFramedHost::ClientBounds() const {
    return FromQRect(contentsRect());
}

void TFramedHost::RedrawFrame() {
    if (!HasVisibleArea(*this))
        return;
    update(QRegion(rect()).subtracted(QRegion(contentsRect())));
}

void TFramedHost::SetColor(TColor color) {
    if (m_color == color)
        return;
    m_color = color;
    m_parentColor = false;
    ColorChanged();
    update();
    NotifyChildrenParentColor();
}

void TFramedHost::SetParentColor(bool value) {
    if (m_parentColor == value)
        return;
    m_parentColor = value;
    if (value && !m_loading)
        TakeParentColor();
}

void TFramedHost::TakeParentColor() {
    const auto* host = qobject_cast<const TFramedHost*>(parentWidget());
    const TColor parentColor = host ? host->Color() : clBtnFace;
    if (m_color == parentColor)
        return;
    m_color = parentColor;
    ColorChanged();
    update();
    NotifyChildrenParentColor();
}

void TFramedHost::NotifyChildrenParentColor() {
    for (QObject* child : children())
        if (auto* host = qobject_cast<TFramedHost*>(child); host && host->ParentColor())
            host->TakeParentColor();
}

void TFramedHost::SetFocusWidget(QWidget* widget, bool handsOnFocus) {
    if (m_focusWidget == widget)
        return;
    if (m_focusWidget)
        m_focusWidget->removeEventFilter(this);
    m_focusWidget = widget;
    setFocusProxy(handsOnFocus ? widget : nullptr);
    if (widget)
        widget->installEventFilter(this);
}

void TFramedHost::PaintFrame(TCanvas&) {}
void TFramedHost::PaintClient(TCanvas&) {}
void TFramedHost::ColorChanged() {}
void TFramedHost::MouseEnter() {}
void TFramedHost::MouseLeave() {}
void TFramedHost::FocusEnter() {}
void TFramedHost::FocusExit() {}
void TFramedHost::EnabledChanged() {}

void TFramedHost::paintEvent(QPaintEvent*) {
    Guard([this] {
        TCanvas canvas(*this);
        const QRect client = contentsRect();
        const QRegion frame = QRegion(rect()).subtracted(QRegion(client));
        if (!frame.isEmpty()) {
            canvas.SaveState();
            canvas.Painter().setClipRegion(frame);
            PaintFrame(canvas);
            canvas.RestoreState();
        }
        if (!client.isEmpty()) {
            canvas.SaveState();
            canvas.IntersectClipRect(FromQRect(client));
            canvas.OffsetOrigin(client.left(), client.top());
            PaintClient(canvas);
            canvas.RestoreState();
        }
    });
}

void TFramedHost::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    m_mouseInside = true;
    Guard([this] { MouseEnter(); });
}

void TFramedHost::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_mouseInside = false;
    Guard([this] { MouseLeave(); });
}

void TFramedHost::SetFocusInside(bool value, Qt::FocusReason reason) {
    if (m_focusInside == value)
        return;
    m_focusInside = value;
    m_focusReason = reason;
    Guard([this, value] { value ? FocusEnter() : FocusExit(); });
}

void TFramedHost::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    SetFocusInside(true, event->reason());
}

void TFramedHost::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // Qt names the new focus widget before the old one hears of the move.
    if (!m_focusWidget || QApplication::focusWidget() != m_focusWidget)
        SetFocusInside(false, event->reason());
}

bool TFramedHost::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_focusWidget) {
        if (event->type() == QEvent::FocusIn)
            SetFocusInside(true, static_cast<QFocusEvent*>(event)->reason());
        else if (event->type() == QEvent::FocusOut && QApplication::focusWidget() != this)
            SetFocusInside(false, static_cast<QFocusEvent*>(event)->reason());
    }
    return QWidget::eventFilter(watched, event);
}

void TFramedHost::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        Guard([this] { EnabledChanged(); });
    else if (event->type() == QEvent::ParentChange && m_parentColor && !m_loading)
        TakeParentColor();
}

bool HasVisibleArea(const QWidget& w) {
    if (!w.isVisible())
        return false;
    if (const QWidget* top = w.window(); top && top->isMinimized())
        return false;
    return !w.visibleRegion().isEmpty();
}

} // namespace vdx::gui
