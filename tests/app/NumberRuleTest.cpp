// SPDX-License-Identifier: MIT
#include "app/LeadingNumber.h"

#include <gtest/gtest.h>

namespace shiftloom {
namespace {

struct NumberCase
{
    const char* text;
    std::size_t width;
    const char* field;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << '"' << c.text << "\" width " << c.width;
}

class NumberRule : public ::testing::TestWithParam<NumberCase>
{
};

TEST_P(NumberRule, WritesTheFieldOfAText)
{
    EXPECT_EQ(numberField(GetParam().text, GetParam().width), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(Texts,
    NumberRule,
    ::testing::Values(NumberCase{"1234", 16, "0000000000001234"},
        NumberCase{"", 16, "0000000000000000"},
        NumberCase{" 12 34", 16, "0000000000001234"}, // blanks skipped wherever they occur
        NumberCase{"\t5\n6", 8, "00000056"}, // tabs and line feeds are blanks too
        NumberCase{"AB12", 16, "0000000000000000"}, // letters first: no number
        NumberCase{"12AB34", 8, "00000012"}, // digits up to the first other character
        NumberCase{"12.5", 8, "00000013"}, // a half rounds away from zero
        NumberCase{"12.49999", 8, "00000012"},
        NumberCase{"-2.5", 8, "-00000003"}, // minus sign, then the zero-filled digits
        NumberCase{"-7", 16, "-0000000000000007"},
        NumberCase{"-0.4", 8, "00000000"}, // rounds to zero: no sign
        NumberCase{"- 5", 8, "-00000005"},
        NumberCase{"1.2.3", 8, "00000001"}, // at most one decimal point
        NumberCase{".5", 8, "00000001"},
        NumberCase{".", 8, "00000000"},
        NumberCase{"-", 8, "00000000"},
        NumberCase{"0099.5", 8, "00000100"},
        NumberCase{"99999999.5", 8, "100000000"}, // more digits than the width: all kept
        NumberCase{"12345678901234567", 16, "12345678901234567"},
        NumberCase{"1234567890123456789012345", 16, "1234567890123456789012345"},
        NumberCase{"99999999999999999999999999.5", 16, "100000000000000000000000000"},
        NumberCase{"4711", 8, "00004711"}));

TEST(LeadingNumber, CountsCapAndTakeTheWholePart)
{
    EXPECT_EQ(countFromText("3", 100), 3u);
    EXPECT_EQ(countFromText("3.7 jobs", 100), 3u);
    EXPECT_EQ(countFromText(" 1 2", 100), 12u);
    EXPECT_EQ(countFromText("-4", 100), 0u);
    EXPECT_EQ(countFromText("abc", 100), 0u);
    EXPECT_EQ(countFromText("1000000000", 100), 100u);
    EXPECT_EQ(countFromText("99999999999999999999999999999", 7), 7u);
    EXPECT_EQ(countFromText("18446744073709551615", UINT64_MAX), UINT64_MAX);
    EXPECT_EQ(countFromText("18446744073709551616", UINT64_MAX), UINT64_MAX);
}

TEST(LeadingNumber, AMillionDigitsAreReadWithoutLoss)
{
    const std::string digits(1'000'000, '7');
    EXPECT_EQ(numberField(digits, 8), digits);
}

} // namespace
} // namespace shiftloom
