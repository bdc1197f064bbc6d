#pragma once
// Shortcuts as the class library writes them: a 16-bit word with the
// virtual-key code in the low byte and $2000 Shift, $4000 Ctrl, $8000 Alt;
// their names ("Shift+Ctrl+F5"), the parsing of names, and the default-key
// table of the shell controls.

#include "platform/gui/virtual_keys.h"

#include <Qt>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vdx {

using gui::scAlt;
using gui::scCtrl;
using gui::scShift;
using gui::TShortCut;
using gui::VirtualKeyOf;
using gui::VK_APPS;
using gui::VK_BACK;
using gui::VK_DELETE;
using gui::VK_ESCAPE;
using gui::VK_F1;
using gui::VK_F10;
using gui::VK_F2;
using gui::VK_F5;
using gui::VK_RETURN;
using gui::VK_SPACE;
using gui::VK_TAB;

// The shortcut of a key press; 0 for a key without a virtual-key code.
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
