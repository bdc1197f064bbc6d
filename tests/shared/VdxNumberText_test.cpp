// The one reader of numbers in the settings file and the users file: the
// same text must give the same number in both.

#include "shared/VdxNumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace vdx {
namespace {

TEST(NumberText, IntegersAsStrToIntReadsThem) {
    const struct {
        std::string text;
        std::optional<int> value;
    } rows[] = {
        {"21", 21},
        {"+21", 21},
        {"-5", -5},
        {"0021", 21},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"$1F", 31},
        {"$1f", 31},
        {"-$10", -16},
        // Hex fills all 32 bits: the users file and the settings file agree.
        {"$7FFFFFFF", INT_MAX},
        {"$80000000", INT_MIN},
        {"$FFFFFFFF", -1},
        {"-$FFFFFFFF", 1},
        {"$0000000000FF", 255},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"4294967297", std::nullopt},
        {"$100000000", std::nullopt},
        {"99999999999999999999991", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"$", std::nullopt},
        {"+-1", std::nullopt},
        {"$-1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"0x10", std::nullopt},
        {"$1G", std::nullopt},
        {"1.0", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TextToInt(row.text), row.value) << '"' << row.text << '"';
}

TEST(NumberText, BooleansFromWordsAndNumbers) {
    const struct {
        std::string text;
        std::optional<bool> value;
    } rows[] = {
        {"true", true},
        {"TRUE", true},
        {"False", false},
        {"0", false},
        {"1", true},
        {"-1", true},
        {"2", true},
        {"$0", false},
        {"$FFFFFFFF", true},
        {"0.0", false},
        {".5", true},
        {"-0.0", false},
        {"1e3", true},
        {"yes", std::nullopt},
        {"", std::nullopt},
        {"t", std::nullopt},
        {" true", std::nullopt},
        {"1.5x", std::nullopt},
        {"inf", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(TextToBool(row.text), row.value) << '"' << row.text << '"';
}

} // namespace
} // namespace vdx
