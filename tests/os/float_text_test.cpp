// Numbers as text, under a C locale whose decimal separator is a comma (as a
// desktop session may set it): the routines must not follow it.
#include "platform/os/float_text.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

namespace vdx::os {
namespace {

constexpr Extended kNaN = std::numeric_limits<Extended>::quiet_NaN();
constexpr Extended kInf = std::numeric_limits<Extended>::infinity();
const TFormatSettings kSwapped{.DecimalSeparator = ',', .ThousandSeparator = '.'};

// Builds a German locale into a temporary folder (no system locale is
// needed) and makes it the C library's LC_NUMERIC for the suite.
class CommaLocale : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = std::make_unique<test::TempDir>();
        const std::string out = (s_dir->Path() / "de_DE.UTF-8").string();
        const std::string command = "localedef -i de_DE -f UTF-8 '" + out + "' >/dev/null 2>&1";
        s_built = std::system(command.c_str()) == 0;
        ::setenv("LOCPATH", s_dir->Path().c_str(), 1);
        s_built = s_built && std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    static void TearDownTestSuite() {
        std::setlocale(LC_NUMERIC, "C");
        ::unsetenv("LOCPATH");
        s_dir.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(s_built) << "localedef (package locales) could not build de_DE";
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.1f", 1.5);
        ASSERT_STREQ(buf, "1,5"); // the C library really uses the comma now
    }

    static inline std::unique_ptr<test::TempDir> s_dir;
    static inline bool s_built = false;
};

struct FormatCase {
    const char* format;
    Extended value;
    const char* expected;
};

TEST_F(CommaLocale, FormatFloatPlacesDigitsRoundsAndPicksSections) {
    const FormatCase cases[] = {
        {",0;(,0)", -1234, "(1,234)"},
        {",0;(,0)", 1234567, "1,234,567"},
        {"0", 2.5L, "3"},   // half away from zero
        {"0", -2.5L, "-3"}, // the first section with a sign
        {"0.00", 0.125L, "0.13"},
        {"0.00", 1.005L, "1.01"}, // the 18-digit value, not the binary one
        {"#.##", 0.5L, ".5"},
        {"0.##", 1, "1"}, // no separator without decimals
        {"000", 7, "007"},
        {",0.00", 1234567.891L, "1,234,567.89"},
        {"0.0E+00", 12345, "1.2E+04"},
        {"0.0E-00", 12345, "1.2E04"},
        {"0.0e-0", 0.00125L, "1.3e-3"},
        {"0.00E+00", 9.996L, "1.00E+01"}, // the carry moves the exponent
        {"0 'kg'", 3, "3 kg"},
        {"0\" m;s\"", 4, "4 m;s"}, // a quoted ";" is no section mark
        {"0;-0;'zero'", 0, "zero"},
        {"0;-0;'zero'", 0.2L, "zero"}, // shown as zero: the zero section
        // Shown as zero takes no sign and no negative section.
        {",0;(,0)", -0.4L, "0"},
        {",0;(,0)", -0.0L, "0"},
        {"0", -0.4L, "0"},
        {"0.0", -0.04L, "0.0"},
        {"0", 65535, "65535"},
        {"", 1.5L, "1.5"},     // no format: FloatToStr
        {",0", 1e18L, "1E18"}, // too large for the digits: FloatToStr
        {"0.0E+0", 1e18L, "1.0E+18"},
        {"0", kNaN, "NAN"},
        {"0", kInf, "INF"},
        {",0;(,0)", -kInf, "-INF"},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value), c.expected)
            << "format \"" << c.format << "\" value " << double(c.value);
}

TEST_F(CommaLocale, FormatFloatWithSwappedSeparators) {
    EXPECT_EQ(FormatFloat(",0.00", 1234.5L, kSwapped), "1.234,50");
    EXPECT_EQ(FormatFloat("0.00", 0.125L, kSwapped), "0,13");
    EXPECT_EQ(FormatFloat(",0;(,0)", -1234, kSwapped), "(1.234)");
    EXPECT_EQ(FormatFloat("", 2.25L, kSwapped), "2,25");
}

TEST_F(CommaLocale, FloatToStrIsTheGeneralFormatAtFifteenDigits) {
    const std::pair<Extended, const char*> cases[] = {
        {0, "0"},
        {-0.0L, "0"},
        {15, "15"},
        {1.5L, "1.5"},
        {-2.5L, "-2.5"},
        {0.1 + 0.2, "0.3"}, // 15 digits hide the binary error
        {1.0L / 3, "0.333333333333333"},
        {0.0001L, "0.0001"},
        {0.00001L, "1E-5"},
        {1.5e-7L, "1.5E-7"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {1e20L, "1E20"},
        {kNaN, "NAN"},
        {-kInf, "-INF"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(FloatToStr(value), expected) << double(value);
    EXPECT_EQ(FloatToStr(1.5L, kSwapped), "1,5");
}

TEST_F(CommaLocale, FloatToStrFFixedShowsExactlyTheDecimals) {
    EXPECT_EQ(FloatToStrF(1.5L, TFloatFormat::ffFixed, 15, 1), "1.5");
    EXPECT_EQ(FloatToStrF(2, TFloatFormat::ffFixed, 15, 3), "2.000");
    EXPECT_EQ(FloatToStrF(0.05L, TFloatFormat::ffFixed, 15, 2), "0.05");
    EXPECT_EQ(FloatToStrF(-0.125L, TFloatFormat::ffFixed, 15, 2), "-0.13");
    EXPECT_EQ(FloatToStrF(12.34L, TFloatFormat::ffFixed, 15, 0), "12");
    EXPECT_EQ(FloatToStrF(1.25L, TFloatFormat::ffFixed, 15, 1, kSwapped), "1,3");
    // More integer digits than the precision: the general format.
    EXPECT_EQ(FloatToStrF(1e20L, TFloatFormat::ffFixed, 15, 2), "1E20");
}

TEST_F(CommaLocale, StrToFloatTakesTheWholeTextAsTheNumber) {
    const std::pair<const char*, Extended> valid[] = {
        {" 1.5 ", 1.5L}, {"+2", 2},         {".5", 0.5L},     {"1e-3", 0.001L},
        {"5.", 5},       {"-1.25", -1.25L}, {"1E+2", 100},    {"0", 0},
        {"007", 7},      {"1E-5000", 0},    {"65535", 65535},
    };
    for (const auto& [text, expected] : valid) {
        const auto value = TryStrToFloat(text);
        ASSERT_TRUE(value.has_value()) << text;
        EXPECT_EQ(*value, expected) << text;
    }
    for (const char* text : {"-", "1E", "1,5", "inf", "nan", "INF", "0x10", "1E5000", "", " ",
                             "1.2.3", "1 2", "e5", "1e5.5", "1,000", "--1", "1-"})
        EXPECT_FALSE(TryStrToFloat(text).has_value()) << text;
}

TEST_F(CommaLocale, StrToFloatErrorsAndDefaults) {
    try {
        StrToFloat("1,5");
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'1,5' is not a valid floating point value");
    }
    EXPECT_EQ(StrToFloatDef("x", 7), 7);
    EXPECT_EQ(StrToFloatDef("1E5000", -1), -1); // overflow is an error, never INF
    EXPECT_EQ(StrToFloat("1,5", kSwapped), 1.5L);
    EXPECT_FALSE(TryStrToFloat("1.5", kSwapped).has_value());
}

TEST(FloatToInteger, SaturatesAndTakesNaNAsZero) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    const std::pair<Extended, std::int64_t> rounded[] = {
        {2.5L, 2},      {3.5L, 4},    {-2.5L, -2},   {65535.4L, 65535}, {1e30L, kMax},
        {-1e30L, kMin}, {kInf, kMax}, {-kInf, kMin}, {kNaN, 0},         {9.3e18L, kMax}};
    for (const auto& [value, expected] : rounded)
        EXPECT_EQ(RoundToInt64(value), expected) << double(value);
    const std::pair<Extended, std::int64_t> truncated[] = {
        {65535.9L, 65535}, {-1.9L, -1}, {1e30L, kMax}, {-1e30L, kMin}, {kNaN, 0}};
    for (const auto& [value, expected] : truncated)
        EXPECT_EQ(TruncToInt64(value), expected) << double(value);
}

} // namespace
} // namespace vdx::os
