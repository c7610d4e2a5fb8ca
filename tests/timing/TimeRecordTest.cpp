// SPDX-License-Identifier: MIT
#include "timing/RecordLayout.h"
#include "timing/TimeRecord.h"

#include <gtest/gtest.h>

namespace shiftloom {
namespace {

const platform::LocalDateTime kMorning{2026, 12, 5, 8, 7, 59};

TEST(TimeRecordTest, TheThreeLayouts)
{
    EXPECT_EQ(MakeStartRecord(kMorning, "1234", "567", "3"),
        "0120261205080700000000000000123400000000000005670000000000000003");
    EXPECT_EQ(MakeStopRecord(kMorning, "1234"), "0120261205080701000000000000123400000000000000000000000000000000");
    EXPECT_EQ(MakeInRecord(kMorning, "4711"), "012026120508070000471100");
}

TEST(TimeRecordTest, FieldsFollowTheNumberRule)
{
    const std::string start = MakeStartRecord(kMorning, " 12 34", "", "ASSEMBLY1");
    ASSERT_EQ(start.size(), 64u);
    EXPECT_EQ(record::card.of(start), "0000000000001234");
    EXPECT_EQ(record::jobCard.of(start), "0000000000000000") << "an empty slot card";
    EXPECT_EQ(record::activity.of(start), "0000000000000000") << "an activity that begins with letters";
    EXPECT_EQ(record::card.of(MakeStopRecord(kMorning, "")), "0000000000000000");
}

TEST(TimeRecordTest, LongNumbersKeepAllTheirDigitsAndMakeTheLineLonger)
{
    EXPECT_EQ(MakeInRecord(kMorning, "123456789"),
        "01202612050807123456789"
        "00");
    const std::string card(25, '9');
    const std::string stop = MakeStopRecord(kMorning, card);
    EXPECT_EQ(stop.size(), 64u + 9u);
    EXPECT_EQ(stop.substr(record::card.offset, card.size()), card);
    EXPECT_EQ(MakeInRecord(kMorning, "-5"),
        "01202612050807"
        "-00000005"
        "00");
}

TEST(TimeRecordTest, DateAndTimeComeFromOneReadingAndSecondsAreDropped)
{
    EXPECT_EQ(recordTimeStamp({2026, 12, 31, 23, 59, 59}), "202612312359");
    EXPECT_EQ(recordTimeStamp({2027, 1, 1, 0, 0, 0}), "202701010000");
    EXPECT_EQ(recordTimeStamp({999, 2, 3, 4, 5, 6}), "099902030405");
}

} // namespace
} // namespace shiftloom
