#include "shared/VdxTxtUtils.h"

#include "shared/VdxMisc.h"

#include <algorithm>
#include <bit>

namespace vdx {

namespace {

constexpr TCharSet MakeDigitSet() {
    TCharSet set{};
    for (int c = '0'; c <= '9'; ++c)
        set[static_cast<std::size_t>(c / 8)] |= static_cast<std::uint8_t>(1u << (c % 8));
    return set;
}

constexpr TCharSet kDigits = MakeDigitSet();

// Above this every number is just "too big": saturating keeps any run of
// digits from overflowing, and such pages are ignored anyway.
constexpr int kTooBig = 1000;

int DigitsToInt(const std::string& digits) {
    if (digits.empty())
        throw EConvertError("'' is not a valid integer value");
    int value = 0;
    for (char c : digits)
        value = std::min(value * 10 + (c - '0'), kTooBig);
    return value;
}

bool EndsWith(const std::string& s, char c) {
    return !s.empty() && s.back() == c;
}

} // namespace

void ParseAllowString(const std::string& text, TPageFlags& flags) {
    flags.fill(false);
    if (text.empty())
        return;
    std::string t = text;
    if (t.back() != ';')
        t += ';';
    // Past the end reads as NUL, which is not a digit and not ".".
    const auto at = [&t](std::size_t pos) { return pos < t.size() ? t[pos] : '\0'; };
    const auto isDigit = [](char c) {
        return CharSetContains(static_cast<std::uint8_t>(c), kDigits);
    };

    std::string number;
    for (std::size_t pos = 0; pos < t.size(); ++pos) {
        if (isDigit(t[pos])) {
            number += t[pos];
            continue;
        }
        if (number.empty())
            continue;
        const int first = DigitsToInt(number);
        int last = first;
        number.clear();
        if (t[pos] == '.') {
            ++pos;
            if (at(pos) == '.')
                ++pos;
            for (int k = 0; k < 2 && isDigit(at(pos)); ++k, ++pos)
                number += at(pos);
            last = DigitsToInt(number);
            number.clear();
        }
        // Pages above 99 lie outside the magazine and set nothing.
        for (int p = first; p <= last && p <= 99; ++p)
            flags[static_cast<std::size_t>(p)] = true;
    }
}

std::string FormatAllowString(const TPageFlags& flags) {
    std::string s;
    bool inRun = false;
    for (int p = 0; p <= 99; ++p) {
        const bool set = flags[static_cast<std::size_t>(p)];
        if (set && !inRun) {
            inRun = true;
            s += IntToStrPad(p, 2);
        } else if (set && inRun) {
            if (!EndsWith(s, '.'))
                s += "..";
        } else if (!set && inRun) {
            inRun = false;
            if (EndsWith(s, '.'))
                s += IntToStrPad(p - 1, 2);
            if (p < 99)
                s += ',';
        }
    }
    if (!s.empty()) {
        if (EndsWith(s, '.'))
            s += "99";
        if (EndsWith(s, ','))
            s.pop_back();
        s += ';';
    }
    return s;
}

int CountAllowed(const TPageFlags& flags) {
    return static_cast<int>(std::count(flags.begin(), flags.end(), true));
}

std::array<std::uint8_t, 128> BuildParityTable() {
    std::array<std::uint8_t, 128> table{};
    for (unsigned i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint8_t>(std::popcount(i) % 2 == 0 ? (i | 0x80u) : i);
    return table;
}

const std::array<std::uint8_t, 128> ParityTable = BuildParityTable();

} // namespace vdx
