// SPDX-License-Identifier: MIT
#include "timing/TimeRecord.h"

#include <gtest/gtest.h>

namespace shiftloom {
namespace {

// The three layouts as Card-Warden reads them: fields by the number rule, a number too long for
// its field kept whole (the line grows), date and time of one reading without its seconds.
TEST(TimeRecordTest, TheThreeLayoutsAndTheirFields)
{
    const platform::LocalDateTime at{2026, 12, 5, 8, 7, 59};
    const std::pair<std::string, std::string> cases[] = {
        {startRecord(at, "1234", "567", "3"), "0120261205080700000000000000123400000000000005670000000000000003"},
        {stopRecord(at, "1234"), "0120261205080701000000000000123400000000000000000000000000000000"},
        {inRecord(at, "4711"), "012026120508070000471100"},
        {startRecord(at, " 12 34", "", "AB1"), "0120261205080700000000000000123400000000000000000000000000000000"},
        {stopRecord(at, std::string(25, '9')), "0120261205080701" + std::string(25, '9') + std::string(32, '0')},
        {inRecord(at, "123456789"), "0120261205080712345678900"},
        {inRecord(at, "-5"), "01202612050807-0000000500"},
        {recordTimeStamp({2027, 1, 1, 0, 0, 0}), "202701010000"},
        {recordTimeStamp({999, 2, 3, 4, 5, 6}), "099902030405"}};
    for (const auto& [made, expected] : cases)
        EXPECT_EQ(made, expected);
}

} // namespace
} // namespace shiftloom
