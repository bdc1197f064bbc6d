#pragma once
// Floating-point numbers as text, the way the Windows programs wrote and
// read them (FormatFloat, FloatToStr, FloatToStrF, StrToFloat), with the
// separators passed in. Nothing here depends on the C locale, which the GUI
// sets from the environment: digits come from std::to_chars and
// std::from_chars only.
//
// A value is first taken to 18 significant decimal digits (what extended
// precision holds); every later rounding works on those digits, half away
// from zero, so 0.125 shown with two decimals is "0.13".

#include "platform/os/convert_error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vdx::os {

// The extended-precision type of the Windows programs.
using Extended = long double;

// The platform has no regional number settings for these programs: the
// defaults are the ones they run with.
struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
};

// value through format: up to three sections "positive;negative;zero" (an
// empty or missing negative section shows negatives through the first with
// "-", an empty or missing zero section shows zero through the first).
// Placeholders "0" (a digit always) and "#" (a digit when there is one), the
// first "." for the decimal separator, "," anywhere for thousands grouping,
// "E+", "E-", "e+", "e-" with "0"s for the exponent's least digits, text in
// '' or "" as it stands, any other character as it stands. A value that is
// shown as zero takes the zero section, without a sign. NaN and infinities
// give "NAN", "INF" and "-INF"; an empty format, or a value of 1E18 or more
// for a section without exponent, gives FloatToStr.
std::string FormatFloat(std::string_view format, Extended value,
                        const TFormatSettings& settings = {});

// The general format at 15 significant digits: fixed notation without
// trailing zeros, exponent notation ("1.5E-7", "1E20") below 0.0001 or for
// more than 15 integer digits.
std::string FloatToStr(Extended value, const TFormatSettings& settings = {});

enum class TFloatFormat : std::uint8_t {
    ffGeneral, // as FloatToStr, at precision digits; digits: least exponent digits (0..4)
    ffFixed    // precision significant digits, then exactly digits decimals (0..18)
};
// precision is taken as 1..18. ffFixed falls back to the general format when
// the value has more than precision integer digits.
std::string FloatToStrF(Extended value, TFloatFormat format, int precision, int digits,
                        const TFormatSettings& settings = {});

// The whole text is the number: blanks around it, an optional sign, digits
// with at most one decimal separator (at least one digit), an optional "E"
// or "e" with an optional sign and digits. No thousands separators, no
// "inf", "nan" or hex. A value too large for the type fails; one too small
// gives 0. Throws EConvertError "'text' is not a valid floating point value".
Extended StrToFloat(std::string_view text, const TFormatSettings& settings = {});
// nullopt where StrToFloat throws.
std::optional<Extended> TryStrToFloat(std::string_view text, const TFormatSettings& settings = {});
Extended StrToFloatDef(std::string_view text, Extended defaultValue,
                       const TFormatSettings& settings = {});

// To a 64-bit integer without undefined behaviour: saturated at the type's
// limits, NaN gives 0. RoundToInt64 rounds halves to even, TruncToInt64
// cuts toward zero.
std::int64_t RoundToInt64(Extended value) noexcept;
std::int64_t TruncToInt64(Extended value) noexcept;

} // namespace vdx::os
