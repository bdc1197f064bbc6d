#include "platform/os/float_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>
#include <vector>

namespace vdx::os {

namespace {

// Extended precision holds 18 significant decimal digits.
constexpr int kMaxDigits = 18;

// A finite value as 0.Digits x 10^Exponent: Digits without trailing zeros,
// empty for zero.
struct TDecimal {
    std::string Digits;
    int Exponent = 0;
    bool Negative = false;

    bool IsZero() const noexcept { return Digits.empty(); }
};

void StripTrailingZeros(TDecimal& d) {
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    if (d.Digits.empty())
        d.Exponent = 0;
}

TDecimal ToDecimal(Extended value) {
    TDecimal d;
    d.Negative = std::signbit(value);
    const Extended magnitude = std::fabs(value);
    if (magnitude == 0)
        return d;
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude,
                                         std::chars_format::scientific, kMaxDigits - 1);
    if (ec != std::errc())
        return d;
    // "d.ddddddddddddddddde+XXXX"
    const std::string_view text(buf, std::size_t(end - buf));
    const std::size_t e = text.find('e');
    for (char c : text.substr(0, e))
        if (c != '.')
            d.Digits += c;
    int exponent = 0;
    const char* first = text.data() + e + 1;
    if (*first == '+')
        ++first;
    std::from_chars(first, text.data() + text.size(), exponent);
    d.Exponent = exponent + 1;
    StripTrailingZeros(d);
    return d;
}

// Keeps the first keep digits, rounding half away from zero; keep <= 0
// rounds to 0 or to one unit of the digit position keep stands for.
void RoundDigits(TDecimal& d, int keep) {
    if (d.IsZero() || keep >= int(d.Digits.size()))
        return;
    if (keep < 0) {
        d.Digits.clear();
        d.Exponent = 0;
        return;
    }
    const bool up = d.Digits[std::size_t(keep)] >= '5';
    d.Digits.resize(std::size_t(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0; --i) {
            if (d.Digits[std::size_t(i)] != '9') {
                ++d.Digits[std::size_t(i)];
                break;
            }
            d.Digits[std::size_t(i)] = '0';
        }
        if (i < 0) {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        }
    }
    StripTrailingZeros(d);
}

std::string NonFinite(Extended value) {
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string ExponentDigits(int exponent, int leastDigits) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (int(digits.size()) < leastDigits)
        digits.insert(0, std::size_t(leastDigits) - digits.size(), '0');
    return digits;
}

// The general format of d, already rounded.
std::string GeneralText(const TDecimal& d, int precision, int expDigits, const TFormatSettings& s) {
    if (d.IsZero())
        return "0";
    std::string out = d.Negative ? "-" : "";
    if (d.Exponent > precision || d.Exponent < -3) {
        out += d.Digits[0];
        if (d.Digits.size() > 1) {
            out += s.DecimalSeparator;
            out.append(d.Digits, 1);
        }
        const int exponent = d.Exponent - 1;
        out += 'E';
        if (exponent < 0)
            out += '-';
        out += ExponentDigits(exponent, expDigits);
        return out;
    }
    if (d.Exponent <= 0) {
        out += '0';
        out += s.DecimalSeparator;
        out.append(std::size_t(-d.Exponent), '0');
        out += d.Digits;
        return out;
    }
    const std::size_t intDigits = std::size_t(d.Exponent);
    out.append(d.Digits, 0, std::min(intDigits, d.Digits.size()));
    if (intDigits > d.Digits.size())
        out.append(intDigits - d.Digits.size(), '0');
    else if (intDigits < d.Digits.size()) {
        out += s.DecimalSeparator;
        out.append(d.Digits, intDigits);
    }
    return out;
}

// The integer and fraction digits of a rounded fixed-point value.
void FixedParts(const TDecimal& d, std::string& intPart, std::string& fracPart) {
    intPart.clear();
    fracPart.clear();
    if (d.IsZero())
        return;
    if (d.Exponent <= 0) {
        fracPart.assign(std::size_t(-d.Exponent), '0');
        fracPart += d.Digits;
        return;
    }
    const std::size_t n = std::size_t(d.Exponent);
    intPart.assign(d.Digits, 0, std::min(n, d.Digits.size()));
    if (n > d.Digits.size())
        intPart.append(n - d.Digits.size(), '0');
    else
        fracPart.assign(d.Digits, n);
}

// FormatFloat's sections, split at ";" outside quotes.
std::vector<std::string_view> SplitSections(std::string_view format) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(format.substr(start));
    return sections;
}

// What a section asks for.
struct TSectionScan {
    int IntPlaces = 0;     // digit placeholders before the decimal point
    int MinIntDigits = 0;  // the placeholders from the first "0" to the point
    int FracPlaces = 0;    // digit placeholders after it
    int MinFracDigits = 0; // up to the last "0" after it
    bool Thousands = false;
    bool Scientific = false;
};

bool IsExponentAt(std::string_view s, std::size_t i) {
    return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

TSectionScan ScanSection(std::string_view s) {
    TSectionScan scan;
    bool point = false;
    int firstZero = -1;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = s.find(c, i + 1);
            i = close == std::string_view::npos ? s.size() : close;
        } else if (c == '0' || c == '#') {
            if (!point) {
                if (c == '0' && firstZero < 0)
                    firstZero = scan.IntPlaces;
                ++scan.IntPlaces;
            } else {
                ++scan.FracPlaces;
                if (c == '0')
                    scan.MinFracDigits = scan.FracPlaces;
            }
        } else if (c == '.') {
            point = true;
        } else if (c == ',') {
            scan.Thousands = true;
        } else if (IsExponentAt(s, i)) {
            scan.Scientific = true;
            i += 2;
            while (i < s.size() && s[i] == '0')
                ++i;
            --i;
        }
    }
    if (firstZero >= 0)
        scan.MinIntDigits = scan.IntPlaces - firstZero;
    return scan;
}

// The digits of a section for a magnitude (d unsigned).
struct TSectionDigits {
    std::string Int;
    std::string Frac;
    int Exponent = 0; // scientific only
};

TSectionDigits SectionDigits(TDecimal d, const TSectionScan& scan) {
    TSectionDigits out;
    if (scan.Scientific) {
        const int significant = std::max(scan.IntPlaces + scan.FracPlaces, 1);
        RoundDigits(d, significant);
        std::string digits = d.Digits;
        if (!d.IsZero()) {
            out.Exponent = d.Exponent - scan.IntPlaces;
            digits.resize(std::size_t(significant), '0');
            out.Int = digits.substr(0, std::size_t(scan.IntPlaces));
            out.Frac = digits.substr(std::size_t(scan.IntPlaces));
        } else {
            out.Int.assign(std::size_t(scan.MinIntDigits), '0');
            out.Frac.assign(std::size_t(scan.FracPlaces), '0');
        }
    } else {
        RoundDigits(d, d.Exponent + scan.FracPlaces);
        FixedParts(d, out.Int, out.Frac);
        if (int(out.Int.size()) < scan.MinIntDigits)
            out.Int.insert(0, std::size_t(scan.MinIntDigits) - out.Int.size(), '0');
        out.Frac.resize(std::size_t(scan.FracPlaces), '0');
    }
    while (int(out.Frac.size()) > scan.MinFracDigits && out.Frac.back() == '0')
        out.Frac.pop_back();
    return out;
}

bool ShownAsZero(const TSectionDigits& digits) {
    auto zero = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c == '0'; });
    };
    return zero(digits.Int) && zero(digits.Frac);
}

// Walks the section and puts the digits where its placeholders are.
std::string RenderSection(std::string_view s, const TSectionScan& scan, const TSectionDigits& d,
                          const TFormatSettings& settings) {
    std::string out;
    const int length = int(d.Int.size());
    bool leadingDone = false;
    int intIndex = 0;
    int fracIndex = 0;
    bool point = false;
    auto emitDigit = [&](int position) { // position: 0 for the units digit
        out += d.Int[std::size_t(length - 1 - position)];
        if (scan.Thousands && position > 0 && position % 3 == 0)
            out += settings.ThousandSeparator;
    };
    auto emitLeading = [&] {
        if (leadingDone)
            return;
        leadingDone = true;
        for (int position = length - 1; position >= scan.IntPlaces; --position)
            emitDigit(position);
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = s.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? s.size() : close;
            out.append(s.substr(i + 1, end - i - 1));
            i = end;
        } else if ((c == '0' || c == '#') && !point) {
            emitLeading();
            const int position = scan.IntPlaces - 1 - intIndex++;
            if (position < length)
                emitDigit(position);
        } else if (c == '0' || c == '#') {
            if (fracIndex < int(d.Frac.size()))
                out += d.Frac[std::size_t(fracIndex)];
            ++fracIndex;
        } else if (c == '.') {
            if (point)
                continue;
            emitLeading();
            point = true;
            if (!d.Frac.empty())
                out += settings.DecimalSeparator;
        } else if (c == ',') {
            continue;
        } else if (IsExponentAt(s, i)) {
            emitLeading();
            out += c;
            const char sign = s[i + 1];
            if (d.Exponent < 0)
                out += '-';
            else if (sign == '+')
                out += '+';
            int zeros = 0;
            i += 2;
            while (i < s.size() && s[i] == '0') {
                ++zeros;
                ++i;
            }
            --i;
            out += ExponentDigits(d.Exponent, zeros);
        } else {
            out += c;
        }
    }
    emitLeading(); // a section without placeholders shows the digits at its end
    return out;
}

std::string FormatFinite(std::string_view format, Extended value, const TFormatSettings& settings) {
    const std::vector<std::string_view> sections = SplitSections(format);
    auto section = [&](std::size_t i) -> std::string_view {
        return i < sections.size() ? sections[i] : std::string_view();
    };
    const TDecimal d = ToDecimal(value);
    const bool negative = d.Negative && !d.IsZero();
    std::size_t index = 0;
    if (d.IsZero() && !section(2).empty())
        index = 2;
    else if (negative && !section(1).empty())
        index = 1;

    TSectionScan scan = ScanSection(section(index));
    if (!scan.Scientific && std::fabs(value) >= 1e18L)
        return FloatToStr(value, settings);
    TDecimal magnitude = d;
    magnitude.Negative = false;
    TSectionDigits digits = SectionDigits(magnitude, scan);
    bool sign = negative && index == 0;
    if (!d.IsZero() && ShownAsZero(digits)) {
        // Shown as zero: the zero section, or the first, with no sign.
        index = section(2).empty() ? 0 : 2;
        scan = ScanSection(section(index));
        digits = SectionDigits(TDecimal{}, scan);
        sign = false;
    }
    std::string out = sign ? "-" : "";
    out += RenderSection(section(index), scan, digits, settings);
    return out;
}

bool IsBlank(char c) {
    return c == ' ';
}

// The number's syntax; nullopt for any other text.
std::optional<Extended> ParseFloat(std::string_view text, char separator) {
    std::size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    while (n > i && IsBlank(text[n - 1]))
        --n;
    std::string normal;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            normal += '-';
        ++i;
    }
    std::string intDigits, fracDigits;
    while (i < n && text[i] >= '0' && text[i] <= '9')
        intDigits += text[i++];
    if (i < n && text[i] == separator) {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9')
            fracDigits += text[i++];
    }
    if (intDigits.empty() && fracDigits.empty())
        return std::nullopt;
    long exponent = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        const std::size_t first = i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            // Far beyond any finite value either way; no overflow of the count.
            if (exponent < 1000000)
                exponent = exponent * 10 + (text[i] - '0');
            ++i;
        }
        if (i == first)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != n)
        return std::nullopt;

    normal += intDigits.empty() ? "0" : intDigits;
    normal += '.';
    normal += fracDigits;
    normal += 'e';
    normal += std::to_string(exponent);
    Extended value = 0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value,
                                           std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Overflow fails; underflow is 0. The digits' magnitude tells which.
        const std::string all = intDigits + fracDigits;
        const std::size_t firstNonZero = all.find_first_not_of('0');
        if (firstNonZero == std::string::npos)
            return Extended(0);
        const long magnitude = long(intDigits.size()) - long(firstNonZero) + exponent;
        if (magnitude > 0)
            return std::nullopt;
        return Extended(0);
    }
    if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::string FormatFloat(std::string_view format, Extended value, const TFormatSettings& settings) {
    if (!std::isfinite(value))
        return NonFinite(value);
    if (format.empty())
        return FloatToStr(value, settings);
    return FormatFinite(format, value, settings);
}

std::string FloatToStr(Extended value, const TFormatSettings& settings) {
    return FloatToStrF(value, TFloatFormat::ffGeneral, 15, 0, settings);
}

std::string FloatToStrF(Extended value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings) {
    if (!std::isfinite(value))
        return NonFinite(value);
    precision = std::clamp(precision, 1, kMaxDigits);
    TDecimal d = ToDecimal(value);
    RoundDigits(d, precision);
    if (format == TFloatFormat::ffGeneral || d.Exponent > precision)
        return GeneralText(d, precision,
                           format == TFloatFormat::ffGeneral ? std::clamp(digits, 0, 4) : 0,
                           settings);
    digits = std::clamp(digits, 0, kMaxDigits);
    RoundDigits(d, d.Exponent + digits);
    std::string intPart, fracPart;
    FixedParts(d, intPart, fracPart);
    fracPart.resize(std::size_t(digits), '0');
    std::string out = d.Negative && !d.IsZero() ? "-" : "";
    out += intPart.empty() ? "0" : intPart;
    if (digits > 0) {
        out += settings.DecimalSeparator;
        out += fracPart;
    }
    return out;
}

std::optional<Extended> TryStrToFloat(std::string_view text, const TFormatSettings& settings) {
    return ParseFloat(text, settings.DecimalSeparator);
}

Extended StrToFloat(std::string_view text, const TFormatSettings& settings) {
    if (const auto value = ParseFloat(text, settings.DecimalSeparator))
        return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

Extended StrToFloatDef(std::string_view text, Extended defaultValue,
                       const TFormatSettings& settings) {
    return ParseFloat(text, settings.DecimalSeparator).value_or(defaultValue);
}

namespace {

constexpr Extended kTwo63 = 9223372036854775808.0L;

std::int64_t SaturatedInteger(Extended integral) noexcept {
    if (std::isnan(integral))
        return 0;
    if (integral >= kTwo63)
        return std::numeric_limits<std::int64_t>::max();
    if (integral <= -kTwo63)
        return std::numeric_limits<std::int64_t>::min();
    return std::int64_t(integral);
}

} // namespace

std::int64_t RoundToInt64(Extended value) noexcept {
    // nearbyint rounds halves to even in the default rounding mode.
    return SaturatedInteger(std::nearbyint(value));
}

std::int64_t TruncToInt64(Extended value) noexcept {
    return SaturatedInteger(std::trunc(value));
}

} // namespace vdx::os
