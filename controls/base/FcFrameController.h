#pragma once
// The frame controller: one set of frame and colour settings pushed to every
// framed control registered with it, so a form's controls share one look.
//
// The controller reaches a control only through the framed-control base
// (TFcFramedControl::UpdateFromFrameController); the control's
// FrameControllerNotifications mask says which settings it takes.

#include "controls/base/FcDraw.h"

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vdx {

class TFcFramedControl;
class TFcRegIniFile;

// The frame settings of a framed control (FrameColor ... FramingPreference);
// the controller holds one set too.
struct TFcControlFrame {
    TColor FrameColor = gui::clBtnShadow;
    TColor FrameHotColor = gui::clBtnShadow;
    bool FrameHotTrack = false;
    TFrameStyle FrameHotStyle = TFrameStyleEx::fsFlatBold;
    TSides FrameSides = TSides::All();
    TFrameStyle FrameStyle = TFrameStyleEx::fsFlat;
    bool FrameVisible = false;
    TFramingPreference FramingPreference = TFramingPreference::fpXPThemes;

    // Paints the frame over (0, 0, width, height) around a client of
    // color: the hot style and colour while FrameHotTrack and active (the
    // control is focused or under the mouse). The caller checks
    // FrameVisible and the themed frame.
    void Paint(TCanvas& canvas, int width, int height, TColor color, bool active) const;
    friend bool operator==(const TFcControlFrame&, const TFcControlFrame&) = default;
};

enum class TFcFrameControllerProperty : std::uint8_t {
    fcpColor,
    fcpFocusColor,
    fcpDisabledColor,
    fcpReadOnlyColor,
    fcpReadOnlyColorOnFocus,
    fcpParentColor,
    fcpFlatButtonColor,
    fcpFlatButtons,
    fcpFrameColor,
    fcpFrameHotColor,
    fcpFrameHotTrack,
    fcpFrameHotStyle,
    fcpFrameSides,
    fcpFrameStyle,
    fcpFrameVisible,
    fcpFramingPreference,
    fcpAll
};

// The published name of a setting ("Color" ...); nullptr for fcpAll.
const char* FrameControllerPropertyName(TFcFrameControllerProperty p) noexcept;

// A set of settings, member n at bit n (fcpColor .. fcpFramingPreference).
class TFcFrameControllerNotifications {
public:
    constexpr TFcFrameControllerNotifications() noexcept = default;
    constexpr explicit TFcFrameControllerNotifications(std::uint16_t bits) noexcept
        : m_bits(bits) {}
    static constexpr TFcFrameControllerNotifications All() noexcept {
        return TFcFrameControllerNotifications(0xFFFF);
    }
    constexpr bool Contains(TFcFrameControllerProperty p) const noexcept {
        return p != TFcFrameControllerProperty::fcpAll && ((m_bits >> unsigned(p)) & 1u);
    }
    constexpr TFcFrameControllerNotifications Without(TFcFrameControllerProperty p) const noexcept {
        return TFcFrameControllerNotifications(std::uint16_t(m_bits & ~(1u << unsigned(p))));
    }
    constexpr std::uint16_t Bits() const noexcept { return m_bits; }
    friend constexpr bool operator==(TFcFrameControllerNotifications,
                                     TFcFrameControllerNotifications) noexcept = default;

private:
    std::uint16_t m_bits = 0;
};

class TFcFrameController : public QObject {
    Q_OBJECT
public:
    explicit TFcFrameController(QObject* owner = nullptr);
    ~TFcFrameController() override;

    // Registers control and pushes every setting to it; a control already
    // registered is left alone. A control removes itself before it dies.
    void AddControl(TFcFramedControl* control);
    // Unregisters control; the list is freed when it becomes empty.
    void RemoveControl(TFcFramedControl* control);
    // Pushes one setting (or all) to control; objects that are no framed
    // control are ignored.
    virtual void ApplyToControl(QObject* control, TFcFrameControllerProperty property);
    // Hands take every setting in property that mask lets through: one, or
    // for fcpAll all in the push order (ParentColor before Color, which is
    // left out while ParentColor is on; FrameHotTrack before FrameVisible).
    void ForEachSetting(TFcFrameControllerProperty property, TFcFrameControllerNotifications mask,
                        const std::function<void(TFcFrameControllerProperty)>& take) const;
    // Pushes to every registered control in registration order; nothing
    // while an update is open.
    virtual void ApplyToAll(TFcFrameControllerProperty property);
    void BeginUpdate() noexcept { ++m_updateCount; }
    // Closes one BeginUpdate; closing the last pushes every setting.
    void EndUpdate();
    // The control's FrameControllerNotifications bits, $FFFF for an object
    // that is no framed control.
    static std::uint16_t GetNotifications(const QObject* control);

    // Copies the settings of source (not RegIniFile) and pushes them once.
    void Assign(const TFcFrameController& source);
    // Throws gui::EAssignError unless source is a frame controller.
    void Assign(const QObject& source);

    // Forms built in code: BeginLoading, set properties, Loaded (pushes all).
    void BeginLoading() noexcept { m_loading = true; }
    bool IsLoading() const noexcept { return m_loading; }
    virtual void Loaded();

    // The registered controls (empty when the list does not exist).
    std::vector<TFcFramedControl*> Controls() const;
    bool HasControlList() const noexcept { return m_controls != nullptr; }
    int UpdateCount() const noexcept { return m_updateCount; }

    TColor Color() const noexcept { return m_color; }
    TColor FocusColor() const noexcept { return m_focusColor; }
    TColor DisabledColor() const noexcept { return m_disabledColor; }
    TColor ReadOnlyColor() const noexcept { return m_readOnlyColor; }
    bool ReadOnlyColorOnFocus() const noexcept { return m_readOnlyColorOnFocus; }
    bool ParentColor() const noexcept { return m_parentColor; }
    TColor FlatButtonColor() const noexcept { return m_flatButtonColor; }
    bool FlatButtons() const noexcept { return m_flatButtons; }
    TColor FrameColor() const noexcept { return m_frame.FrameColor; }
    TColor FrameHotColor() const noexcept { return m_frame.FrameHotColor; }
    bool FrameHotTrack() const noexcept { return m_frame.FrameHotTrack; }
    TFrameStyle FrameHotStyle() const noexcept { return m_frame.FrameHotStyle; }
    TSides FrameSides() const noexcept { return m_frame.FrameSides; }
    TFrameStyle FrameStyle() const noexcept { return m_frame.FrameStyle; }
    bool FrameVisible() const noexcept { return m_frame.FrameVisible; }
    TFramingPreference FramingPreference() const noexcept { return m_frame.FramingPreference; }
    // Held for the controls' owner; no operation uses it. Cleared when the
    // storage object is destroyed.
    TFcRegIniFile* RegIniFile() const noexcept;

    // Each stores a changed value and pushes it.
    virtual void SetColor(TColor value); // FocusColor follows when it equalled Color
    virtual void SetParentColor(bool value);
    virtual void SetFlatButtonColor(TColor value);
    virtual void SetFlatButtons(bool value);
    virtual void SetDisabledColor(TColor value);
    virtual void SetReadOnlyColor(TColor value);
    virtual void SetReadOnlyColorOnFocus(bool value);
    virtual void SetFocusColor(TColor value);
    virtual void SetFrameColor(TColor value);
    virtual void SetFrameHotColor(TColor value);
    virtual void SetFrameHotTrack(bool value); // True also turns FrameVisible on
    virtual void SetFrameHotStyle(TFrameStyle value);
    virtual void SetFrameSides(TSides value);
    virtual void SetFrameStyle(TFrameStyle value);
    virtual void SetFrameVisible(bool value);
    virtual void SetFramingPreference(TFramingPreference value);
    virtual void SetRegIniFile(TFcRegIniFile* value); // nothing is pushed

private:
    TColor m_color = gui::clWindow;
    TColor m_focusColor = gui::clWindow;
    TColor m_disabledColor = gui::clBtnFace;
    TColor m_readOnlyColor = gui::clInfoBk;
    bool m_readOnlyColorOnFocus = false;
    bool m_parentColor = false;
    TColor m_flatButtonColor = gui::clBtnFace;
    bool m_flatButtons = true;
    TFcControlFrame m_frame;
    QPointer<QObject> m_regIniFile;

    // Registered controls; QPointer guards against one that died unregistered.
    std::unique_ptr<std::vector<QPointer<QWidget>>> m_controls;
    int m_updateCount = 0;
    bool m_loading = false;
};

// A framed control's link to its controller and the settings it accepts.
// Held as a member of the control: unregisters the control when it goes.
class TFcFrameControllerLink {
public:
    explicit TFcFrameControllerLink(TFcFramedControl& control) noexcept : m_control(control) {}
    ~TFcFrameControllerLink();
    // The controller holds the control by address.
    TFcFrameControllerLink(const TFcFrameControllerLink&) = delete;
    TFcFrameControllerLink& operator=(const TFcFrameControllerLink&) = delete;

    // The linked controller; null once the controller was destroyed.
    TFcFrameController* Controller() const noexcept { return m_controller; }
    // Unregisters from the current controller and registers with value,
    // which pushes its settings at once. An unchanged value does nothing
    // unless reRegister (then the settings are pushed again).
    void Set(TFcFrameController* value, bool reRegister = false);

    // Which settings the control takes (all sixteen by default).
    TFcFrameControllerNotifications Notifications = TFcFrameControllerNotifications::All();

private:
    TFcFramedControl& m_control;
    QPointer<TFcFrameController> m_controller;
};

// The shared framing vocabulary: themed frames never show on this platform.
bool UseThemedFrame(TFramingPreference preference) noexcept;

} // namespace vdx

Q_DECLARE_METATYPE(vdx::TFcFrameControllerNotifications)
