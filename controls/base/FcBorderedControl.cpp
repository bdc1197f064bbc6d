#include "controls/base/FcBorderedControl.h"

#include "controls/base/FcCommon.h"
#include "platform/gui/exception_guard.h"

#include <QMouseEvent>

namespace vdx {

TFcBorderedControl::TFcBorderedControl(QWidget* parent, const TFcBorders& borders)
    : TFcFramedControl(parent), m_borders(borders) {}

TColor TFcBorderedControl::ParentColorValue() const {
    if (const auto* host = qobject_cast<const gui::TFramedHost*>(parentWidget()))
        return host->Color();
    return gui::clBtnFace;
}

TInnerOuterBorders TFcBorderedControl::BorderModel() const {
    TInnerOuterBorders b;
    static_cast<TFcBorders&>(b) = m_borders;
    b.Color = Color();
    b.ParentColor = ParentColorValue();
    b.Transparent = m_transparent;
    b.RoundedInnerFlat = false;
    return b;
}

void TFcBorderedControl::AdjustRectForBorders(TRect& rect, bool includeBorderWidth) const {
    rect = ShrinkRectForBorders(rect, m_borders, includeBorderWidth);
}

void TFcBorderedControl::UpdateFromFrameController(const TFcFrameController&,
                                                   TFcFrameControllerProperty) {
    const TFcFrameController* fc = FrameController();
    if (!fc || !fc->FrameVisible())
        return;
    using P = TFcFrameControllerProperty;
    const TFcFrameControllerNotifications n = FrameControllerNotifications();
    if (n.Contains(P::fcpFrameStyle))
        m_borders.BorderOuter = fc->FrameStyle();
    if (n.Contains(P::fcpFrameSides))
        m_borders.BorderSides = fc->FrameSides();
    if (n.Contains(P::fcpFrameColor)) {
        m_borders.FlatColor = fc->FrameColor();
        m_borders.FlatColorAdjustment = 0;
    }
    if (n.Contains(P::fcpColor))
        SetColor(fc->Color());
    if (n.Contains(P::fcpParentColor))
        SetParentColor(fc->ParentColor());
    if (n.Contains(P::fcpColor)) {
        m_borders.BorderHighlight = LightenColor(fc->Color(), 100);
        m_borders.BorderShadow = DarkenColor(fc->Color(), 50);
    }
    // The borders are written without BorderLayoutChanged: what they move
    // follows at the next layout (the panel's next resize, the label's
    // next sizing), as the class library's controls have it.
    update();
}

template <class T> void TFcBorderedControl::SetLayoutBorder(T TFcBorders::*field, const T& value) {
    if (!StoreChanged(m_borders.*field, value))
        return;
    BorderLayoutChanged();
    update();
}

template <class T> void TFcBorderedControl::SetBorderColour(T TFcBorders::*field, const T& value) {
    if (StoreChanged(m_borders.*field, value))
        update();
}

void TFcBorderedControl::SetBevelWidth(int value) {
    SetLayoutBorder(&TFcBorders::BevelWidth, value);
}

void TFcBorderedControl::SetBorderInner(TFrameStyleEx value) {
    SetLayoutBorder(&TFcBorders::BorderInner, value);
}

void TFcBorderedControl::SetBorderOuter(TFrameStyleEx value) {
    SetLayoutBorder(&TFcBorders::BorderOuter, value);
}

void TFcBorderedControl::SetBorderSides(TSides value) {
    SetLayoutBorder(&TFcBorders::BorderSides, value);
}

void TFcBorderedControl::SetBorderWidth(int value) {
    SetLayoutBorder(&TFcBorders::BorderWidth, value);
}

void TFcBorderedControl::SetBorderColor(TColor value) {
    SetBorderColour(&TFcBorders::BorderColor, value);
}

void TFcBorderedControl::SetBorderHighlight(TColor value) {
    SetBorderColour(&TFcBorders::BorderHighlight, value);
}

void TFcBorderedControl::SetBorderShadow(TColor value) {
    SetBorderColour(&TFcBorders::BorderShadow, value);
}

void TFcBorderedControl::SetFlatColor(TColor value) {
    SetBorderColour(&TFcBorders::FlatColor, value);
}

void TFcBorderedControl::SetFlatColorAdjustment(int value) {
    SetBorderColour(&TFcBorders::FlatColorAdjustment, value);
}

void TFcBorderedControl::SetTransparent(bool value) {
    if (StoreChanged(m_transparent, value))
        update();
}

void TFcBorderedControl::mousePressEvent(QMouseEvent* event) {
    TFcFramedControl::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
}

void TFcBorderedControl::mouseReleaseEvent(QMouseEvent* event) {
    TFcFramedControl::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !m_leftPressed)
        return;
    m_leftPressed = false;
    if (rect().contains(event->position().toPoint()) && OnClick)
        gui::Guard([this] { Click(); });
}

} // namespace vdx
