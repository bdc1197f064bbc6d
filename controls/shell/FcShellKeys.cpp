#include "controls/shell/FcShellKeys.h"

#include "platform/os/ascii.h"

namespace vdx {

TShortCut ShortCutOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    const int vk = VirtualKeyOf(qtKey, modifiers);
    return vk == 0 ? 0 : gui::ShortCutOf(vk, modifiers);
}

std::string ShortCutName(TShortCut shortcut) {
    static constexpr const char* kNames[] = {"Space", "PgUp", "PgDn",  "End", "Home",
                                             "Left",  "Up",   "Right", "Down"};
    const int key = shortcut & 0xFF;
    std::string name;
    if (key == 8)
        name = "BkSp";
    else if (key == 9)
        name = "Tab";
    else if (key == 13)
        name = "Enter";
    else if (key == 27)
        name = "Esc";
    else if (key >= 32 && key <= 40)
        name = kNames[key - 32];
    else if (key == 45)
        name = "Ins";
    else if (key == 46)
        name = "Del";
    else if ((key >= 48 && key <= 57) || (key >= 65 && key <= 90))
        name = std::string(1, char(key));
    else if (key >= 96 && key <= 105)
        name = std::string(1, char('0' + key - 96));
    else if (key >= 112 && key <= 135)
        name = "F" + std::to_string(key - 111);
    else
        name = "#" + std::to_string(shortcut);
    std::string prefix;
    if (shortcut & scShift)
        prefix += "Shift+";
    if (shortcut & scCtrl)
        prefix += "Ctrl+";
    if (shortcut & scAlt)
        prefix += "Alt+";
    return prefix + name;
}

TShortCut ParseShortCutName(std::string_view text) {
    TShortCut modifiers = 0;
    for (bool more = true; more;) {
        more = false;
        for (const auto& [prefix, bit] : {std::pair<std::string_view, TShortCut>{"Shift+", scShift},
                                          {"^", scCtrl},
                                          {"Ctrl+", scCtrl},
                                          {"Alt+", scAlt}}) {
            if (os::StartsWithIgnoringAsciiCase(text, prefix)) {
                text.remove_prefix(prefix.size());
                modifiers |= bit;
                more = true;
            }
        }
    }
    if (text.empty())
        return 0;
    for (int key = 8; key <= 255; ++key)
        if (os::EqualsIgnoringAsciiCase(text, ShortCutName(static_cast<TShortCut>(key))))
            return static_cast<TShortCut>(modifiers | key);
    return 0;
}

const std::array<TFcDefaultKeyEntry, kDefaultKeyCount>& InitDefaultKeys() {
    static const std::array<TFcDefaultKeyEntry, kDefaultKeyCount> table = [] {
        std::array<TFcDefaultKeyEntry, kDefaultKeyCount> t = {
            {{"Ctrl+A"}, {"Del"}, {"Ctrl+C"}, {"Ctrl+X"}, {"Ctrl+V"}, {"F5"}, {"F2"}}};
        for (TFcDefaultKeyEntry& e : t)
            e.ShortCut = ParseShortCutName(e.Text);
        return t;
    }();
    return table;
}

TShortCut DefaultKey(TFcDefaultKey key) {
    return InitDefaultKeys()[static_cast<std::size_t>(key)].ShortCut;
}

} // namespace vdx
