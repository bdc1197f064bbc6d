#pragma once
// The base of every framed control of the library: the control frame with
// its settings (published under the names the frame controller pushes), the
// link to a frame controller, and what every control of the class library
// has: font, caption, alignment and the common events.
//
// The frame controller reaches a control only through
// UpdateFromFrameController. By default the control takes each pushed
// setting through its own setters (TakeFrameSetting); the panel and the
// label read the controller themselves instead.

#include "controls/base/FcDraw.h"
#include "controls/base/FcFrameController.h"
#include "platform/gui/control_types.h"
#include "platform/gui/framed_host.h"

#include <QPoint>

#include <functional>
#include <string>

class QContextMenuEvent;
class QKeyEvent;
class QMouseEvent;

namespace vdx {

using gui::TAlign;
using gui::TAlignment;
using gui::TBorderStyle;

// The event handlers as the class library's controls publish them. Mouse
// positions are in client coordinates; a key handler that sets the key to 0
// swallows it.
using TNotifyEvent = std::function<void(QObject* sender)>;
using TMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                       Qt::KeyboardModifiers shift, int x, int y)>;
using TMouseMoveEvent =
    std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;
using TKeyEvent = std::function<void(QObject* sender, int& key, Qt::KeyboardModifiers shift)>;
using TKeyPressEvent = std::function<void(QObject* sender, char& key)>;
// mousePos is (-1, -1) when the keyboard asked for the menu; handled = true
// keeps the menu request from going further.
using TContextPopupEvent = std::function<void(QObject* sender, TPoint mousePos, bool& handled)>;

class TFcFramedControl : public gui::TFramedHost {
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

    const TFont& Font() const noexcept { return m_font; }
    // A changed font calls FontChanged.
    void SetFont(const TFont& value);
    const std::string& Caption() const noexcept { return m_caption; }
    // A changed caption calls CaptionChanged.
    void SetCaption(const std::string& value);
    TAlignment Alignment() const noexcept { return m_alignment; }
    // A changed alignment calls AlignmentChanged.
    void SetAlignment(TAlignment value);

    // Fires OnClick (a push button sets its form's modal result first).
    virtual void Click();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    // A typed character (key may be changed; '\0' swallows it).
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TContextPopupEvent OnContextPopup;

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
    // After the font changed; the base repaints.
    virtual void FontChanged();
    // After the caption changed; the base repaints.
    virtual void CaptionChanged();
    // After the alignment changed; the base repaints.
    virtual void AlignmentChanged();

    // The frame as its settings describe it.
    const TFcControlFrame& Frame() const noexcept { return m_frame; }
    // The font for a change that must not call FontChanged.
    TFont& MutableFont() noexcept { return m_font; }
    // FocusColor stored only, without UpdateColors.
    void StoreFocusColor(TColor value) noexcept { m_focusColor = value; }
    // Links to value; reRegister registers anew (pushing the settings again)
    // also when value is the current controller.
    void LinkFrameController(TFcFrameController* value, bool reRegister) {
        m_frameController.Set(value, reRegister);
    }

    // The events, raised from the Qt handlers below; controls that handle
    // a Qt event themselves raise them from there.
    void DblClick();
    void MouseDown(const QMouseEvent& event);
    void MouseMove(const QMouseEvent& event);
    void MouseUp(const QMouseEvent& event);
    // False when OnKeyDown swallowed the key; the event is accepted then.
    bool KeyDown(QKeyEvent& event);
    bool KeyUp(QKeyEvent& event);
    void KeyPress(char& key);

    void MouseEnter() override;
    void MouseLeave() override;
    void FocusEnter() override;
    void FocusExit() override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The event's position in client coordinates.
    TPoint ClientPos(const QMouseEvent& event) const;

    TColor m_disabledColor = gui::clBtnFace;
    TColor m_focusColor = gui::clWindow;
    TFcControlFrame m_frame;
    TFcFrameControllerLink m_frameController{*this};
    TFont m_font;
    std::string m_caption;
    TAlignment m_alignment = TAlignment::taLeftJustify;
};

} // namespace vdx
