#pragma once
// Common support of the framed controls: the shared blink timer of the
// labels, the two display facts read at start-up, the platform-version test,
// small text routines, the repaint of transparent children and the item of
// image combo boxes. The monitor work-area routines come with it from
// FcMonitors.h.
//
// Old streamed properties: forms are built in code, so no form resource ever
// carries the obsolete properties of older library versions; their readers
// are not needed and not provided.

#include <QObject>
#include <QVariant>
#include <any>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/storage/FcMonitors.h"

class QComboBox;
class QTimer;
class QWidget;

namespace vdx {

// Blink protocol messages, kept as numbers for reference; the list calls the
// two operations of IFcBlinkingControl directly.
inline constexpr unsigned CM_BLINKQUERY = 0xB3E8;
inline constexpr unsigned CM_BLINKSTATE = 0xB3E9;

// A control that can blink (the label).
class IFcBlinkingControl {
public:
    // CM_BLINKQUERY: 1 while the control is blinking, else 0.
    virtual int BlinkQuery() = 0;
    // CM_BLINKSTATE: the new phase, 1 on (blink colour), 0 off (font colour).
    virtual void BlinkState(std::uint8_t phase) = 0;

protected:
    ~IFcBlinkingControl() = default;
};

// The one timer that makes all blinking labels switch together.
class TFcBlinkingControlsList {
public:
    TFcBlinkingControlsList();
    virtual ~TFcBlinkingControlsList();
    // The timer calls back into this object.
    TFcBlinkingControlsList(const TFcBlinkingControlsList&) = delete;
    TFcBlinkingControlsList& operator=(const TFcBlinkingControlsList&) = delete;

    // Registers control (not owned; it removes itself before it dies).
    void Add(IFcBlinkingControl* control);
    // Removes a registered control; an unknown one is ignored.
    void Remove(IFcBlinkingControl* control);
    virtual int GetCount() const;

    std::uint16_t IntervalOff() const noexcept { return m_intervalOff; }
    std::uint16_t IntervalOn() const noexcept { return m_intervalOn; }
    // Take effect at the next tick.
    void SetIntervalOff(std::uint16_t ms) noexcept { m_intervalOff = ms; }
    void SetIntervalOn(std::uint16_t ms) noexcept { m_intervalOn = ms; }
    std::uint8_t Phase() const noexcept { return m_phase; }
    const QTimer& Timer() const noexcept { return *m_timer; }

    // One tick: switch the phase, set the timer to the new phase's interval,
    // then ask every control in order and tell the blinking ones.
    void TimerFired();

private:
    std::uint8_t m_phase = 1;
    std::vector<IFcBlinkingControl*> m_controls;
    std::unique_ptr<QTimer> m_timer;
    std::uint16_t m_intervalOff = 500;
    std::uint16_t m_intervalOn = 500;
};

// The shared list: null until the first label is created.
extern std::unique_ptr<TFcBlinkingControlsList> BlinkingControls;
// Frees BlinkingControls when no control is left in it.
void FreeBlinkingListIfEmpty();

// Display facts, set by FcCommonStartup (GUI thread only).
extern std::uint8_t XPColorScheme; // 0 default, 1 "HOMESTEAD", 2 "METALLIC"
extern bool FullColorScreen;

// "ColorName" of "ThemeManager" below HKEY_CURRENT_USER
// "\Software\Microsoft\Windows\CurrentVersion": 1 for "HOMESTEAD", 2 for
// "METALLIC" (any case), 0 for anything else or nothing.
std::uint8_t ReadXPColorScheme();
// More than 256 colours on the primary screen (true without a screen).
bool ScreenIsFullColor();
// Module start-up: FullColorScreen and XPColorScheme. Programs call it once
// after creating the application object.
void FcCommonStartup();

// Kind 4: NT above major 4; 5: NT 5.1 or later; 7: NT above major 5; any
// other kind: false.
bool RunningOnOSVersion(int kind);

// 256-bit character set: bit ch mod 32 of word ch div 32.
using TFcCharSet = std::array<std::uint32_t, 8>;
bool InCharSet(std::uint8_t ch, const TFcCharSet& set) noexcept;
// First character after leading blanks and control characters; '\0' when
// none is left.
char FirstNonBlankChar(std::string_view text) noexcept;
int CountChar(char ch, std::string_view text) noexcept;
// Removes accelerator marks: "&&" gives "&", a single "&" is dropped, a
// trailing "&" is kept, "" stays "".
std::string StripAccelChars(std::string_view text);
// Stores value in member; false when member held it already. Property
// setters use it to do nothing for an unchanged value.
template <class T> bool StoreChanged(T& member, const T& value) {
    if (member == value)
        return false;
    member = value;
    return true;
}
constexpr int MinOf(int a, int b) noexcept {
    return a < b ? a : b;
}
constexpr int MaxOf(int a, int b) noexcept {
    return a > b ? a : b;
}

// Repaints every child of panel whose "Transparent" property is true.
void InvalidateTransparentChildren(QWidget& panel);

// The object each item of an image combo box carries.
class TFcImageComboBoxItem {
public:
    int IndentLevel = 0;
    std::any Data; // whatever the combo box's owner attaches
};
// The item data that carries item (store it under Qt::UserRole).
QVariant ImageComboBoxItemData(std::shared_ptr<TFcImageComboBoxItem> item);
// The item of combo entry index. Throws gui::EListError for a bad index and
// gui::EInvalidCast when the entry carries anything else.
TFcImageComboBoxItem& ImageComboBoxItemAt(const QComboBox& combo, int index);

} // namespace vdx

Q_DECLARE_METATYPE(std::shared_ptr<vdx::TFcImageComboBoxItem>)
