#include "controls/base/FcColorTables.h"

namespace vdx {

using gui::TColor;

const std::array<TColorData, 70>& NamedColorTable() {
    static const std::array<TColorData, 70> table = {{
        {TColor(0x000000), "Black"},
        {TColor(0x003399), "Brown"},
        {TColor(0x003333), "Olive Green"},
        {TColor(0x003300), "Dark Green"},
        {TColor(0x663300), "Dark Teal"},
        {TColor(0x800000), "Dark Blue"},
        {TColor(0x993333), "Indigo"},
        {TColor(0x333333), "Gray 80%"},
        {TColor(0x000080), "Dark Red"},
        {TColor(0x0066FF), "Orange"},
        {TColor(0x008080), "Dark Yellow"},
        {TColor(0x008000), "Green"},
        {TColor(0x808000), "Teal"},
        {TColor(0xFF0000), "Blue"},
        {TColor(0x996666), "Blue Gray"},
        {TColor(0x808080), "Gray 50%"},
        {TColor(0x0000FF), "Red"},
        {TColor(0x0099FF), "Light Orange"},
        {TColor(0x00CC99), "Lime"},
        {TColor(0x669933), "Sea Green"},
        {TColor(0x999933), "Aqua"},
        {TColor(0xFF6633), "Light Blue"},
        {TColor(0x800080), "Violet"},
        {TColor(0x999999), "Gray 40%"},
        {TColor(0xFF00FF), "Pink"},
        {TColor(0x00CCFF), "Gold"},
        {TColor(0x00FFFF), "Yellow"},
        {TColor(0x00FF00), "Bright Green"},
        {TColor(0xFFFF00), "Turquoise"},
        {TColor(0xFFCC00), "Sky Blue"},
        {TColor(0x663399), "Plum"},
        {TColor(0xC0C0C0), "Gray 25%"},
        {TColor(0xCC99FF), "Rose"},
        {TColor(0x99CCFF), "Tan"},
        {TColor(0x99FFFF), "Light Yellow"},
        {TColor(0xCCFFCC), "Light Green"},
        {TColor(0xFFFFCC), "Light Turquoise"},
        {TColor(0xFFCC99), "Pale Blue"},
        {TColor(0xFF99CC), "Lavender"},
        {TColor(0xFFFFFF), "White"},
        {TColor(0xFF000000), "Scroll Bar"},
        {TColor(0xFF000001), "Background"},
        {TColor(0xFF000002), "Active Caption"},
        {TColor(0xFF000003), "Inactive Caption"},
        {TColor(0xFF000004), "Menu"},
        {TColor(0xFF000005), "Window"},
        {TColor(0xFF000006), "Window Frame"},
        {TColor(0xFF000007), "Menu Text"},
        {TColor(0xFF000008), "Window Text"},
        {TColor(0xFF000009), "Caption Text"},
        {TColor(0xFF00000A), "Active Border"},
        {TColor(0xFF00000B), "Inactive Border"},
        {TColor(0xFF00000C), "App WorkSpace"},
        {TColor(0xFF00000D), "Highlight"},
        {TColor(0xFF00000E), "Highlight Text"},
        {TColor(0xFF00000F), "Button Face"},
        {TColor(0xFF000010), "Button Shadow"},
        {TColor(0xFF000011), "Gray Text"},
        {TColor(0xFF000012), "Button Text"},
        {TColor(0xFF000013), "Inactive Caption Text"},
        {TColor(0xFF000014), "Button Highlight"},
        {TColor(0xFF000015), "3D Dark Shadow"},
        {TColor(0xFF000016), "3D Light"},
        {TColor(0xFF000017), "Info Text"},
        {TColor(0xFF000018), "Info Background"},
        {TColor(0xFF00001A), "Hot Light"},
        {TColor(0xFF00001B), "Gradient Active Caption"},
        {TColor(0xFF00001C), "Gradient Inactive Caption"},
        {TColor(0xFF00001D), "Menu Highlight"},
        {TColor(0xFF00001E), "Menu Bar"},
    }};
    return table;
}

const TFcColorComboTables& ColorComboTables() {
    static const TFcColorComboTables tables = [] {
        TFcColorComboTables t{{{{"Default", TColor(0)}, {"Custom", TColor(0)}}},
                              {{{"Black", TColor(0x000000)},
                                {"Maroon", TColor(0x000080)},
                                {"Green", TColor(0x008000)},
                                {"Olive", TColor(0x008080)},
                                {"Navy", TColor(0x800000)},
                                {"Purple", TColor(0x800080)},
                                {"Teal", TColor(0x808000)},
                                {"Gray", TColor(0x808080)},
                                {"Silver", TColor(0xC0C0C0)},
                                {"Red", TColor(0x0000FF)},
                                {"Lime", TColor(0x00FF00)},
                                {"Yellow", TColor(0x00FFFF)},
                                {"Blue", TColor(0xFF0000)},
                                {"Fuchsia", TColor(0xFF00FF)},
                                {"Aqua", TColor(0xFFFF00)},
                                {"White", TColor(0xFFFFFF)}}},
                              {},
                              {}};
        static constexpr std::array<const char*, 25> kSystemNames = {
            "ScrollBar",    "Background",  "ActiveCaption", "InactiveCaption",
            "Menu",         "Window",      "WindowFrame",   "MenuText",
            "WindowText",   "CaptionText", "ActiveBorder",  "InactiveBorder",
            "AppWorkSpace", "Highlight",   "HighlightText", "BtnFace",
            "BtnShadow",    "GrayText",    "BtnText",       "InactiveCaptionText",
            "BtnHighlight", "3DDkShadow",  "3DLight",       "InfoText",
            "InfoBk"};
        for (std::size_t i = 0; i < kSystemNames.size(); ++i)
            t.System[i] = {kSystemNames[i], TColor(0xFF000000u + std::uint32_t(i))};
        return t;
    }();
    return tables;
}

const TFcStatusPaneWords& StatusPaneWords() {
    static const TFcStatusPaneWords words{{"CAPS", "NUM", "SCR", "Insert"}, {"System", "Memory"}};
    return words;
}

} // namespace vdx
