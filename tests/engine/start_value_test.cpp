#include "start_value.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace kestrix {
namespace {

struct StartCase {
    std::string text;
    std::optional<std::int32_t> expected;
};

const StartCase kStartCases[] = {
    {"0", 0},
    {"007", 7},
    {"+12", 12},
    {"  -5", -5},
    {"\t3", 3},
    {"$1F", 31},
    {"0x10", 16},
    {"0X1f", 31},
    {"x10", 16},
    {"X10", 16},
    {"-$10", -16},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"$7FFFFFFF", 2147483647},
    {"0000000000000000000042", 42},
    {"", std::nullopt},
    {"-", std::nullopt},
    {"+", std::nullopt},
    {"   ", std::nullopt},
    {"1a", std::nullopt},
    {"5 ", std::nullopt},
    {"- 5", std::nullopt},
    {"1.0", std::nullopt},
    {"$", std::nullopt},
    {"0x", std::nullopt},
    {"$G", std::nullopt},
    {"1F", std::nullopt},
    {"2147483648", std::nullopt},
    {"-2147483649", std::nullopt},
    {"$80000000", INT32_MIN},
    {"$FFFFFFFF", -1},
    {"-$FFFFFFFF", 1},
    {"-0x1", -1},
    {"$100000000", std::nullopt},
    {"99999999999999999999", std::nullopt},
    {"--1", std::nullopt},
    {"\xC5\x82", std::nullopt},
};

class ParseStartValueTest : public testing::TestWithParam<StartCase> {};

TEST_P(ParseStartValueTest, ConvertsOrRejects) {
    const StartCase& c = GetParam();
    EXPECT_EQ(ParseStartValue(c.text), c.expected) << "text: '" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(Cases, ParseStartValueTest, testing::ValuesIn(kStartCases));

TEST(StartValueErrorTest, MessageNamesTheText) {
    EXPECT_EQ(StartValueError("1a"), "'1a' is not a valid integer value");
}

}  // namespace
}  // namespace kestrix
