#include "controls/base/FcFrameController.h"

#include "controls/base/FcFramedControl.h"
#include "controls/storage/FcRegIniFile.h"
#include "platform/gui/class_errors.h"
#include "platform/gui/system_facts.h"
#include "platform/gui/update_guard.h"

#include <algorithm>
#include <array>

namespace vdx {

using P = TFcFrameControllerProperty;

namespace {

constexpr std::array<const char*, 16> kNames = {"Color",
                                                "FocusColor",
                                                "DisabledColor",
                                                "ReadOnlyColor",
                                                "ReadOnlyColorOnFocus",
                                                "ParentColor",
                                                "FlatButtonColor",
                                                "FlatButtons",
                                                "FrameColor",
                                                "FrameHotColor",
                                                "FrameHotTrack",
                                                "FrameHotStyle",
                                                "FrameSides",
                                                "FrameStyle",
                                                "FrameVisible",
                                                "FramingPreference"};

// The order in which fcpAll writes: ParentColor before Color, so that a
// control's parent colour is taken before Color would be written, and
// FrameHotTrack before FrameVisible.
constexpr std::array<P, 16> kAllOrder = {P::fcpParentColor,          P::fcpColor,
                                         P::fcpDisabledColor,        P::fcpReadOnlyColor,
                                         P::fcpReadOnlyColorOnFocus, P::fcpFocusColor,
                                         P::fcpFlatButtonColor,      P::fcpFlatButtons,
                                         P::fcpFrameColor,           P::fcpFrameHotColor,
                                         P::fcpFrameHotTrack,        P::fcpFrameHotStyle,
                                         P::fcpFrameSides,           P::fcpFrameStyle,
                                         P::fcpFrameVisible,         P::fcpFramingPreference};

} // namespace

const char* FrameControllerPropertyName(TFcFrameControllerProperty p) noexcept {
    return p == P::fcpAll ? nullptr : kNames[std::size_t(p)];
}

void TFcControlFrame::Paint(TCanvas& canvas, int width, int height, TColor color,
                            bool active) const {
    const bool hot = FrameHotTrack && active;
    DrawControlFrame(canvas, width, height, hot ? FrameHotStyle : FrameStyle, color,
                     hot ? FrameHotColor : FrameColor, FrameSides, false);
}

bool UseThemedFrame(TFramingPreference preference) noexcept {
    return preference == TFramingPreference::fpXPThemes && gui::ThemesEnabled();
}

TFcFrameController::TFcFrameController(QObject* owner) : QObject(owner) {}

TFcFrameController::~TFcFrameController() = default;

void TFcFrameController::AddControl(TFcFramedControl* control) {
    if (!control)
        return;
    if (!m_controls)
        m_controls = std::make_unique<std::vector<QPointer<QWidget>>>();
    if (std::find(m_controls->begin(), m_controls->end(), control) != m_controls->end())
        return;
    m_controls->emplace_back(control);
    ApplyToControl(control, P::fcpAll);
}

void TFcFrameController::RemoveControl(TFcFramedControl* control) {
    if (!m_controls)
        return;
    std::erase_if(*m_controls,
                  [control](const QPointer<QWidget>& c) { return c.isNull() || c == control; });
    if (m_controls->empty())
        m_controls.reset();
}

TFcFrameControllerLink::~TFcFrameControllerLink() {
    if (m_controller)
        m_controller->RemoveControl(&m_control);
}

void TFcFrameControllerLink::Set(TFcFrameController* value, bool reRegister) {
    if (m_controller == value && !reRegister)
        return;
    if (m_controller)
        m_controller->RemoveControl(&m_control);
    m_controller = value;
    if (value)
        value->AddControl(&m_control);
}

std::vector<TFcFramedControl*> TFcFrameController::Controls() const {
    std::vector<TFcFramedControl*> out;
    if (m_controls)
        for (const QPointer<QWidget>& c : *m_controls)
            if (c)
                out.push_back(static_cast<TFcFramedControl*>(c.data()));
    return out;
}

std::uint16_t TFcFrameController::GetNotifications(const QObject* control) {
    if (const auto* c = qobject_cast<const TFcFramedControl*>(control))
        return c->FrameControllerNotifications().Bits();
    return 0xFFFF;
}

void TFcFrameController::ForEachSetting(
    P property, TFcFrameControllerNotifications mask,
    const std::function<void(TFcFrameControllerProperty)>& take) const {
    if (property != P::fcpAll) {
        if (mask.Contains(property))
            take(property);
        return;
    }
    for (P p : kAllOrder) {
        if (p == P::fcpColor && m_parentColor)
            continue;
        if (mask.Contains(p))
            take(p);
    }
}

void TFcFrameController::ApplyToControl(QObject* control, P property) {
    if (auto* c = qobject_cast<TFcFramedControl*>(control))
        c->UpdateFromFrameController(*this, property);
}

void TFcFrameController::ApplyToAll(P property) {
    if (m_updateCount > 0 || !m_controls)
        return;
    // A control may leave the list while it takes a setting: walk a copy.
    const std::vector<QPointer<QWidget>> controls = *m_controls;
    for (const QPointer<QWidget>& c : controls)
        if (c)
            ApplyToControl(c.data(), property);
}

void TFcFrameController::EndUpdate() {
    --m_updateCount;
    if (m_updateCount <= 0) {
        m_updateCount = 0;
        ApplyToAll(P::fcpAll);
    }
}

void TFcFrameController::Assign(const TFcFrameController& s) {
    const gui::TUpdateGuard update(*this);
    m_color = s.m_color;
    m_disabledColor = s.m_disabledColor;
    m_readOnlyColor = s.m_readOnlyColor;
    m_readOnlyColorOnFocus = s.m_readOnlyColorOnFocus;
    m_flatButtonColor = s.m_flatButtonColor;
    m_flatButtons = s.m_flatButtons;
    m_focusColor = s.m_focusColor;
    m_frame = s.m_frame;
    m_parentColor = s.m_parentColor;
}

void TFcFrameController::Assign(const QObject& source) {
    if (const auto* fc = qobject_cast<const TFcFrameController*>(&source)) {
        Assign(*fc);
        return;
    }
    throw gui::EAssignError(std::string("Cannot assign a ") + source.metaObject()->className() +
                            " to a TFcFrameController");
}

void TFcFrameController::Loaded() {
    m_loading = false;
    ApplyToAll(P::fcpAll);
}

TFcRegIniFile* TFcFrameController::RegIniFile() const noexcept {
    return static_cast<TFcRegIniFile*>(m_regIniFile.data());
}

void TFcFrameController::SetColor(TColor value) {
    if (m_color == value)
        return;
    if (m_color == m_focusColor)
        m_focusColor = value; // stored only: FocusColor is not pushed by this change
    m_color = value;
    m_parentColor = false;
    ApplyToAll(P::fcpColor);
}

void TFcFrameController::SetParentColor(bool value) {
    if (m_parentColor == value)
        return;
    m_parentColor = value;
    ApplyToAll(P::fcpParentColor);
    if (!value)
        ApplyToAll(P::fcpColor);
}

#define VDX_FC_SETTER(Name, Type, field, prop)                                                     \
    void TFcFrameController::Set##Name(Type value) {                                               \
        if (field == value)                                                                        \
            return;                                                                                \
        field = value;                                                                             \
        ApplyToAll(P::prop);                                                                       \
    }

VDX_FC_SETTER(FlatButtonColor, TColor, m_flatButtonColor, fcpFlatButtonColor)
VDX_FC_SETTER(FlatButtons, bool, m_flatButtons, fcpFlatButtons)
VDX_FC_SETTER(DisabledColor, TColor, m_disabledColor, fcpDisabledColor)
VDX_FC_SETTER(ReadOnlyColor, TColor, m_readOnlyColor, fcpReadOnlyColor)
VDX_FC_SETTER(ReadOnlyColorOnFocus, bool, m_readOnlyColorOnFocus, fcpReadOnlyColorOnFocus)
VDX_FC_SETTER(FocusColor, TColor, m_focusColor, fcpFocusColor)
VDX_FC_SETTER(FrameColor, TColor, m_frame.FrameColor, fcpFrameColor)
VDX_FC_SETTER(FrameHotColor, TColor, m_frame.FrameHotColor, fcpFrameHotColor)
VDX_FC_SETTER(FrameHotStyle, TFrameStyle, m_frame.FrameHotStyle, fcpFrameHotStyle)
VDX_FC_SETTER(FrameSides, TSides, m_frame.FrameSides, fcpFrameSides)
VDX_FC_SETTER(FrameStyle, TFrameStyle, m_frame.FrameStyle, fcpFrameStyle)
VDX_FC_SETTER(FrameVisible, bool, m_frame.FrameVisible, fcpFrameVisible)
VDX_FC_SETTER(FramingPreference, TFramingPreference, m_frame.FramingPreference,
              fcpFramingPreference)

#undef VDX_FC_SETTER

void TFcFrameController::SetFrameHotTrack(bool value) {
    if (m_frame.FrameHotTrack == value)
        return;
    m_frame.FrameHotTrack = value;
    if (value) {
        SetFrameVisible(true);
        if (!m_loading)
            m_frame.FrameSides = TSides::All(); // stored only
    }
    ApplyToAll(P::fcpFrameHotTrack);
}

void TFcFrameController::SetRegIniFile(TFcRegIniFile* value) {
    m_regIniFile = value; // cleared when the storage object is destroyed
}

} // namespace vdx
