#pragma once
// Splitting and checking command arguments: words, quoted names, numbers.

#include "platform/os/ascii.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vdx::ftp {

// Blank-separated words, keeping empty words between repeated blanks so that Join gives the
// text back.
std::vector<std::string> Words(std::string_view text);
// words[first..last) joined with single blanks.
std::string Join(const std::vector<std::string>& words, std::size_t first, std::size_t last);

// Names separated by blanks, each either bare or quoted ("a b", with "" for a quote inside).
std::vector<std::string> QuotedWords(std::string_view text);

// path in double quotes with inner quotes doubled, as RFC 959 writes it in a 257 reply.
std::string QuotePath(std::string_view path);

// A decimal number of digits only (no sign, no blanks) that fits Int; else nullopt.
template <typename Int> std::optional<Int> ParseNumber(std::string_view text) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    Int value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace vdx::ftp
