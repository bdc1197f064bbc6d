#include "controls/base/FcCommon.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QMetaProperty>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "platform/gui/class_errors.h"
#include "platform/gui/system_facts.h"
#include "platform/os/ascii.h"
#include "platform/os/registry.h"

namespace vdx {

std::unique_ptr<TFcBlinkingControlsList> BlinkingControls;
std::uint8_t XPColorScheme = 0;
bool FullColorScreen = true;

TFcBlinkingControlsList::TFcBlinkingControlsList() : m_timer(std::make_unique<QTimer>()) {
    m_timer->setInterval(m_intervalOff);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { TimerFired(); });
    m_timer->start();
}

TFcBlinkingControlsList::~TFcBlinkingControlsList() = default;

void TFcBlinkingControlsList::Add(IFcBlinkingControl* control) {
    if (control)
        m_controls.push_back(control);
}

void TFcBlinkingControlsList::Remove(IFcBlinkingControl* control) {
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it != m_controls.end())
        m_controls.erase(it);
}

int TFcBlinkingControlsList::GetCount() const {
    return int(m_controls.size());
}

void TFcBlinkingControlsList::TimerFired() {
    if (m_phase == 1) {
        m_phase = 0;
        m_timer->setInterval(m_intervalOff);
    } else {
        m_phase = 1;
        m_timer->setInterval(m_intervalOn);
    }
    // A control may leave the list while it is told; walk a copy and skip
    // the ones that left.
    const std::vector<IFcBlinkingControl*> controls = m_controls;
    for (IFcBlinkingControl* c : controls) {
        if (std::find(m_controls.begin(), m_controls.end(), c) == m_controls.end())
            continue;
        if (c->BlinkQuery() == 1)
            c->BlinkState(m_phase);
    }
}

void FreeBlinkingListIfEmpty() {
    if (BlinkingControls && BlinkingControls->GetCount() == 0)
        BlinkingControls.reset();
}

std::uint8_t ReadXPColorScheme() {
    try {
        os::TRegistry reg(os::RootKey::CurrentUser);
        if (!reg.OpenKeyReadOnly("\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager"))
            return 0;
        const std::string name = os::AsciiUpper(reg.ReadString("ColorName"));
        if (name == "HOMESTEAD")
            return 1;
        if (name == "METALLIC")
            return 2;
    } catch (const os::ERegistryException&) {
        // A value of another type reads as no scheme.
    }
    return 0;
}

bool ScreenIsFullColor() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return !screen || screen->depth() > 8;
}

void FcCommonStartup() {
    FullColorScreen = ScreenIsFullColor();
    XPColorScheme = ReadXPColorScheme();
}

bool RunningOnOSVersion(int kind) {
    const gui::TPlatformVersion v = gui::PlatformVersion();
    switch (kind) {
    case 4:
        return v.NT && v.Major > 4;
    case 5:
        return v.NT && ((v.Major == 5 && v.Minor > 0) || v.Major > 5);
    case 7:
        return v.NT && v.Major > 5;
    default:
        return false;
    }
}

bool InCharSet(std::uint8_t ch, const TFcCharSet& set) noexcept {
    return (set[ch / 32] >> (ch % 32)) & 1u;
}

char FirstNonBlankChar(std::string_view text) noexcept {
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ')
            return c;
    return '\0';
}

int CountChar(char ch, std::string_view text) noexcept {
    return int(std::count(text.begin(), text.end(), ch));
}

std::string StripAccelChars(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i + 1 == text.size()) {
            out.push_back(text[i]); // the last character always stays
        } else if (text[i] != '&') {
            out.push_back(text[i]);
        } else if (text[i + 1] == '&') {
            out.push_back('&');
            ++i; // the second "&" of the pair is consumed
        }
    }
    return out;
}

void InvalidateTransparentChildren(QWidget& panel) {
    for (QObject* child : panel.children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w)
            continue;
        const int index = w->metaObject()->indexOfProperty("Transparent");
        if (index >= 0 && w->metaObject()->property(index).read(w).toInt() == 1)
            w->update();
    }
}

QVariant ImageComboBoxItemData(std::shared_ptr<TFcImageComboBoxItem> item) {
    return QVariant::fromValue(std::move(item));
}

TFcImageComboBoxItem& ImageComboBoxItemAt(const QComboBox& combo, int index) {
    if (index < 0 || index >= combo.count())
        throw gui::EListError("List index out of bounds (" + std::to_string(index) + ")");
    const QVariant data = combo.itemData(index, Qt::UserRole);
    if (data.metaType() != QMetaType::fromType<std::shared_ptr<TFcImageComboBoxItem>>())
        throw gui::EInvalidCast("Invalid class typecast");
    auto item = data.value<std::shared_ptr<TFcImageComboBoxItem>>();
    if (!item)
        throw gui::EInvalidCast("Invalid class typecast");
    return *item; // the combo box's item data keeps it alive
}

} // namespace vdx
