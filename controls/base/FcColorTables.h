#pragma once
// Colour tables the library's colour-picking and status-pane units carry:
// 70 named colours, the colour combo box's entries and the fixed pane words.
// No control of the two programs reads them; they are built once and kept.

#include "platform/gui/color.h"

#include <array>
#include <string>

namespace vdx {

struct TColorData {
    gui::TColor Color;
    std::string Name;
};
struct TFcColorRec {
    std::string Name;
    gui::TColor Color;
};

// 40 palette colours, then the system colours $FF000000 .. $FF00001E
// without $FF000019.
const std::array<TColorData, 70>& NamedColorTable();

struct TFcColorComboTables {
    std::array<TFcColorRec, 2> Special; // "Default", "Custom"
    std::array<TFcColorRec, 16> Standard;
    std::array<TFcColorRec, 25> System; // $FF000000 .. $FF000018
    std::string Custom;                 // one string variable, empty
};
const TFcColorComboTables& ColorComboTables();

struct TFcStatusPaneWords {
    std::array<std::string, 4> KeyStates; // "CAPS", "NUM", "SCR", "Insert"
    std::array<std::string, 2> Resources; // "System", "Memory"
};
const TFcStatusPaneWords& StatusPaneWords();

} // namespace vdx
