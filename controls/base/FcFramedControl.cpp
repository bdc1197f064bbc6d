#include "controls/base/FcFramedControl.h"

#include "controls/base/FcCommon.h"

namespace vdx {

using P = TFcFrameControllerProperty;

TFcFramedControl::TFcFramedControl(QWidget* parent) : gui::TGeneralControl(parent) {}

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
