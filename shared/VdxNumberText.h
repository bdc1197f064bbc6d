#pragma once
// Integers and Booleans from text as the Windows programs converted them
// (StrToInt and StrToBool): the settings file and the users file read their
// numbers through these, so one text means the same number in both.

#include <optional>
#include <string_view>

namespace vdx {

// An optional sign, then decimal digits or "$" and hex digits, nothing else
// (no blanks, no "0x"). Decimal must fit 32 signed bits; hex fills all 32
// bits, so "$FFFFFFFF" is -1 and "$80000000" the lowest value, and a sign
// before it negates that. nullopt for anything else.
std::optional<int> TextToInt(std::string_view text);

// "true" or "false" in any letter case, or a number (an integer as TextToInt
// reads it, or a decimal fraction such as "0.5"): 0 is false, any other true.
// nullopt for anything else.
std::optional<bool> TextToBool(std::string_view text);

} // namespace vdx
