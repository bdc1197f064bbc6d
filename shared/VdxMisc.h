#pragma once
// Small routines both programs share: the password scrambler and helpers.

#include "platform/os/convert_error.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

// A text that does not convert to a number.
using EConvertError = os::EConvertError;

inline constexpr std::array<std::uint8_t, 32> ScrambleKeyTable = {
    0x0b, 0x1d, 0x04, 0x17, 0x0e, 0x1a, 0x03, 0x12, 0x08, 0x1f, 0x15, 0x0c, 0x1b, 0x06, 0x19, 0x02,
    0x1c, 0x0d, 0x11, 0x07, 0x14, 0x0a, 0x1e, 0x05, 0x13, 0x01, 0x18, 0x06, 0x10, 0x0f, 0x16, 0x09};
inline constexpr int ScrambleKeyNumber = 4318;

std::string IntToStrPad(long long value, int width);
// Blanks and control characters at both ends removed, as the class library
// trims.
std::string_view Trim(std::string_view text);
bool IsValidUserId(const std::string& text, bool allowSpaces);
// Names of the visible entries of folder (no dot-names), in the file system's
// order; a missing or unreadable folder gives an empty list.
std::vector<std::string> ListFolderEntries(const std::string& folder);
int BoolToInt(bool value);
std::string BoolToYes(bool value);
std::uint8_t SwapScrambleBits(std::uint8_t b);
// Self-inverse: ScrambleString(ScrambleString(t, k), k) == t.
std::string ScrambleString(const std::string& text, int key);
using TCharSet = std::array<std::uint8_t, 32>;
bool CharSetContains(std::uint8_t ch, const TCharSet& set);

} // namespace vdx
