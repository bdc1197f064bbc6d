#include "shared/VdxNumberText.h"

#include "platform/os/ascii.h"

#include <charconv>
#include <cstdint>

namespace vdx {

std::optional<int> TextToInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFLL)
            return std::nullopt;
    }
    if (base == 10 && value > (negative ? 0x80000000LL : 0x7FFFFFFFLL))
        return std::nullopt;
    if (base == 16 && value > 0x7FFFFFFFLL)
        value -= 0x100000000LL; // hex fills all 32 bits
    // -INT_MIN wraps back to INT_MIN, as the 32-bit negation did.
    return static_cast<int>(static_cast<std::uint32_t>(negative ? -value : value));
}

std::optional<bool> TextToBool(std::string_view text) {
    if (os::EqualsIgnoringAsciiCase(text, "true"))
        return true;
    if (os::EqualsIgnoringAsciiCase(text, "false"))
        return false;
    if (const auto number = TextToInt(text))
        return *number != 0;
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty() ||
        !(digits.front() == '.' || (digits.front() >= '0' && digits.front() <= '9')))
        return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value != 0;
}

} // namespace vdx
