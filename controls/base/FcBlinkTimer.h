#pragma once
// The shared blink timer of the labels: one timer switches every blinking
// control between its two colours at once, so blinking labels never drift
// apart.

#include <cstdint>
#include <memory>
#include <vector>

class QTimer;

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

} // namespace vdx
