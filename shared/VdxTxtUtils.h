#pragma once
// Page-rights strings: the pages 00 to 99 of one teletext magazine as text
// ("05..07,20;") and as 100 flags.

#include <array>
#include <cstdint>
#include <string>

namespace vdx {

// One page-rights string per magazine; index 0 is magazine 1.
using TAllowStrings = std::array<std::string, 8>;
using TPageFlags = std::array<bool, 100>;

// Flags from text, all cleared first. Throws EConvertError for a range
// without an end number ("05..;"); flags set before it stay set. Numbers
// above 99 set nothing.
void ParseAllowString(const std::string& text, TPageFlags& flags);
std::string FormatAllowString(const TPageFlags& flags);
int CountAllowed(const TPageFlags& flags);

// Odd-parity table of the teletext character set, filled at start-up.
extern const std::array<std::uint8_t, 128> ParityTable;
std::array<std::uint8_t, 128> BuildParityTable();

} // namespace vdx
