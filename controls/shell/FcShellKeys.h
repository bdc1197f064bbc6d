#pragma once
// Shortcuts as the class library writes them: a 16-bit word with the
// virtual-key code in the low byte and $2000 Shift, $4000 Ctrl, $8000 Alt;
// their names ("Shift+Ctrl+F5"), the parsing of names, and the default-key
// table of the shell controls.

#include <Qt>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vdx {

using TShortCut = std::uint16_t;

inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

inline constexpr int VK_BACK = 8;
inline constexpr int VK_TAB = 9;
inline constexpr int VK_RETURN = 13;
inline constexpr int VK_ESCAPE = 27;
inline constexpr int VK_SPACE = 32;
inline constexpr int VK_DELETE = 46;
inline constexpr int VK_APPS = 93;
inline constexpr int VK_F1 = 112;
inline constexpr int VK_F2 = 113;
inline constexpr int VK_F5 = 116;
inline constexpr int VK_F10 = 121;

// The virtual-key code of a Qt key (keypad digits with the keypad flag);
// 0 for a key without one.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);
// The shortcut of a key press.
TShortCut ShortCutOf(int qtKey, Qt::KeyboardModifiers modifiers);

std::string ShortCutName(TShortCut shortcut);
// 0 when text names no key.
TShortCut ParseShortCutName(std::string_view text);

// The default keys of the shell controls, in table order.
enum class TFcDefaultKey : std::uint8_t { SelectAll, Delete, Copy, Cut, Paste, Refresh, Rename };
inline constexpr std::size_t kDefaultKeyCount = 7;
struct TFcDefaultKeyEntry {
    std::string Text; // "Ctrl+A" ...
    TShortCut ShortCut = 0;
};
// The table, its shortcuts parsed from the texts on first use.
const std::array<TFcDefaultKeyEntry, kDefaultKeyCount>& InitDefaultKeys();
TShortCut DefaultKey(TFcDefaultKey key);

} // namespace vdx
