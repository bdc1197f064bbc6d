#pragma once
// Small text routines of the controls: character sets, the first visible
// character, counting, and accelerator marks.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vdx {

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

} // namespace vdx
