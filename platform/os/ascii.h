#pragma once
// Letter case as names are compared here: ASCII letters only, never the
// locale, so bytes of 128 and above compare byte for byte.

#include <algorithm>
#include <string>
#include <string_view>

namespace vdx::os {

constexpr char AsciiLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiUpper(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string AsciiLower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = AsciiLower(c);
    return result;
}

inline std::string AsciiUpper(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = AsciiUpper(c);
    return result;
}

// 0 to 15 for a hexadecimal digit of either case, else -1.
constexpr int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

constexpr bool StartsWithIgnoringAsciiCase(std::string_view text,
                                           std::string_view prefix) noexcept {
    return text.size() >= prefix.size() &&
           EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) noexcept {
    return text.size() >= suffix.size() &&
           EqualsIgnoringAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

} // namespace vdx::os
