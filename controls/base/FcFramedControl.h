#pragma once
// The base of every framed control of the library: the control frame with
// its settings (published under the names the frame controller pushes), the
// link to a frame controller, and the colour by state. What every control of
// the class library has (font, caption, events, sizing, hints, reading
// order, drag and drop) comes from the general control.
//
// The frame controller reaches a control only through
// UpdateFromFrameController. By default the control takes each pushed
// setting through its own setters (TakeFrameSetting); the panel and the
// label read the controller themselves instead.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFrameController.h"
#include "platform/gui/control_types.h"
#include "platform/gui/general_control.h"

namespace vdx {

using gui::TAlign;
using gui::TAlignment;
using gui::TAnchorKind;
using gui::TAnchors;
using gui::TBiDiMode;
using gui::TBorderStyle;
using gui::TSizeConstraints;

using gui::TCanResizeEvent;
using gui::TConstrainedResizeEvent;
using gui::TContextPopupEvent;
using gui::TKeyEvent;
using gui::TKeyPressEvent;
using gui::TMouseActivate;
using gui::TMouseActivateEvent;
using gui::TMouseEvent;
using gui::TMouseMoveEvent;
using gui::TMouseWheelEvent;
using gui::TMouseWheelUpDownEvent;
using gui::TNotifyEvent;

using gui::AnchoredBounds;
using gui::GetShortHint;

using gui::TCursor;
using gui::TDragDropEvent;
using gui::TDragKind;
using gui::TDragMode;
using gui::TDragOverEvent;
using gui::TDragState;
using gui::TEndDragEvent;
using gui::TStartDockEvent;
using gui::TStartDragEvent;

class TFcFramedControl : public gui::TGeneralControl {
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

protected:
    explicit TFcFramedControl(QWidget* parent);

    // One pushed setting of controller: Color, ParentColor, the state
    // colours and the frame through their setters. The base has no
    // read-only state and no flat buttons: those settings are left to the
    // controls that have them.
    virtual void TakeFrameSetting(const TFcFrameController& controller,
                                  TFcFrameControllerProperty property);
    // After FrameVisible changed; the base repaints the frame.
    virtual void FrameVisibleChanged() { RedrawFrame(); }
    // The frame as its settings describe it.
    const TFcControlFrame& Frame() const noexcept { return m_frame; }
    // FocusColor stored only, without UpdateColors.
    void StoreFocusColor(TColor value) noexcept { m_focusColor = value; }
    // Links to value; reRegister registers anew (pushing the settings again)
    // also when value is the current controller.
    void LinkFrameController(TFcFrameController* value, bool reRegister) {
        m_frameController.Set(value, reRegister);
    }

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
    TColor m_disabledColor = gui::clBtnFace;
    TColor m_focusColor = gui::clWindow;
    TFcControlFrame m_frame;
    TFcFrameControllerLink m_frameController{*this};
};

} // namespace vdx
