// SPDX-License-Identifier: MIT
#include "panel/TimeText.h"

#include <gtest/gtest.h>

namespace shiftloom {
namespace {

TEST(TimeTextTest, ReadsThreePiecesByPositionWritesTwoDigitsEachAndCarriesOneSecondByEquality)
{
    EXPECT_EQ(readTimeText("12:34:56"), (TimeParts{12, 34, 56}));
    EXPECT_EQ(readTimeText("123:04:05"), (TimeParts{12, 0, 5})) << "by position: the minutes read \":0\"";
    EXPECT_EQ(readTimeText(""), (TimeParts{0, 0, 0}));
    EXPECT_EQ(readTimeText(" 1: 2: 3"), (TimeParts{1, 2, 3}));
    EXPECT_EQ(readTimeText("0848840"), (TimeParts{8, 88, 40})) << "a keypad entry read as a time";
    EXPECT_EQ(readTimeText("5"), (TimeParts{5, 0, 5}));
    EXPECT_EQ(readTimeText("1x:2y:3z"), (TimeParts{1, 2, 3}));
    EXPECT_EQ(readTimeText("-1:00:00").hours, -1);
    EXPECT_EQ(timeText(std::chrono::seconds(123 * 3600 + 5 * 60 + 9)), "123:05:09");
    EXPECT_EQ(timeText(timeOfDay({2026, 12, 5, 8, 7, 59})), "08:07:59");
    EXPECT_EQ(addOneSecond({0, 0, 59}), (TimeParts{0, 1, 0}));
    EXPECT_EQ(addOneSecond({0, 59, 59}), (TimeParts{1, 0, 0}));
    EXPECT_EQ(addOneSecond({23, 59, 59}), (TimeParts{0, 0, 0}));
    EXPECT_EQ(addOneSecond({8, 88, 40}), (TimeParts{8, 88, 41})) << "no carry beyond equality";
    EXPECT_EQ(addOneSecond({99, 59, 59}), (TimeParts{100, 0, 0}));
}

} // namespace
} // namespace shiftloom
