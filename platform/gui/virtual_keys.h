#pragma once
// The platform's virtual-key codes, in which the programs keep keyboard
// shortcuts: a TShortCut is the key code plus $2000 for Shift, $4000 for Ctrl
// and $8000 for Alt.

#include <Qt>

#include <cstdint>

namespace vdx::gui {

using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_APPS = 0x5D;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F10 = 0x79;
inline constexpr int VK_F5 = 0x74;
inline constexpr int VK_F2 = 0x71;

// The virtual key of a Qt key code; keypad keys are told by the keypad
// modifier (its digits are VK_NUMPAD0.., its "." or "," VK_DECIMAL). Letters
// and digits keep their upper-case character codes. 0 for a key without one.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) noexcept;
// The shortcut of a virtual key pressed with modifiers (its low byte plus
// the modifier bits).
TShortCut ShortCutOf(int virtualKey, Qt::KeyboardModifiers modifiers) noexcept;

} // namespace vdx::gui
