#pragma once
// Letter case as both programs compare names: ASCII letters only, never the
// locale, so names with bytes of 128 and above compare byte for byte.

#include <algorithm>
#include <string>
#include <string_view>

namespace vdx {

constexpr char AsciiLowerChar(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiLowerChar);
    return result;
}

constexpr bool SameTextAscii(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLowerChar(x) == AsciiLowerChar(y);
           });
}

} // namespace vdx
