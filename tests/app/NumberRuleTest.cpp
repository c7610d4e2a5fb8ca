// SPDX-License-Identifier: MIT
#include "app/LeadingNumber.h"

#include <gtest/gtest.h>

#include <tuple>

namespace shiftloom {
namespace {

TEST(NumberRule, WritesTheFieldOfAText)
{
    const std::tuple<const char*, std::size_t, const char*> cases[] = {{"1234", 16, "0000000000001234"},
        {"", 16, "0000000000000000"},
        {" 12 34", 16, "0000000000001234"}, // blanks skipped wherever they occur
        {"\t5\n6", 8, "00000056"}, // tabs and line feeds are blanks too
        {"AB12", 16, "0000000000000000"}, // letters first: no number
        {"12AB34", 8, "00000012"}, // digits up to the first other character
        {"12.5", 8, "00000013"}, // a half rounds away from zero
        {"12.49999", 8, "00000012"},
        {"-2.5", 8, "-00000003"}, // minus sign, then the zero-filled digits
        {"-0.4", 8, "00000000"}, // rounds to zero: no sign
        {"- 5", 8, "-00000005"},
        {"1.2.3", 8, "00000001"}, // at most one decimal point
        {".5", 8, "00000001"},
        {".", 8, "00000000"},
        {"-", 8, "00000000"},
        {"0099.5", 8, "00000100"},
        {"99999999.5", 8, "100000000"}, // more digits than the width: all kept
        {"1234567890123456789012345", 16, "1234567890123456789012345"},
        {"99999999999999999999999999.5", 16, "100000000000000000000000000"}};
    for (const auto& [text, width, field] : cases)
        EXPECT_EQ(numberField(text, width), field) << '"' << text << "\" width " << width;
    const std::string digits(1'000'000, '7');
    EXPECT_EQ(numberField(digits, 8), digits) << "a million digits";
}

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

} // namespace
} // namespace shiftloom
