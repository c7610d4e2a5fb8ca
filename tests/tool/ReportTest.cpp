// SPDX-License-Identifier: MIT
#include "tool/Report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace shiftloom::tool {
namespace {

// Records in the panel's layouts; `when` is "yyyymmddhhmm".
std::string start(const std::string& when, const std::string& card, const std::string& jobCard)
{
    auto sixteen = [](const std::string& digits) { return std::string(16 - digits.size(), '0') + digits; };
    return "01" + when + "00" + sixteen(card) + sixteen(jobCard) + sixteen("1") + "\r\n";
}
std::string stop(const std::string& when, const std::string& card)
{
    return "01" + when + "01" + std::string(16 - card.size(), '0') + card + std::string(32, '0') + "\r\n";
}
std::string in(const std::string& when)
{
    return "01" + when + "0000471100\r\n";
}

TimeReport reportOf(const std::string& data, ReportOptions options = {})
{
    return buildReport(decodeDataFile(data).lines, options);
}

struct Row
{
    std::string card, jobCard;
    Day day;
    long long minutes;
};
std::vector<Row> rowsOf(const TimeReport& report)
{
    std::vector<Row> rows;
    for (const JobDayTotal& t : report.totals)
        rows.push_back({t.card, t.jobCard, t.day, t.minutes});
    return rows;
}
bool operator==(const Row& a, const Row& b)
{
    return a.card == b.card && a.jobCard == b.jobCard && a.day == b.day && a.minutes == b.minutes;
}
void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.card << '/' << row.jobCard << '/' << row.day.year << '-' << row.day.month << '-' << row.day.day << ':'
         << row.minutes;
}

constexpr Day kDec5{2026, 12, 5};
constexpr Day kDec6{2026, 12, 6};
constexpr Day kDec7{2026, 12, 7};

TEST(Report, AStartRunsToTheNextStartOrStopOfItsCard)
{
    // Pressing another job button writes only the new start; STOP ALL writes a stop.
    const TimeReport report = reportOf(start("202612050800", "1234", "1001") + start("202612050930", "1234", "1002")
        + in("202612051000") + start("202612051045", "1234", "1001") + stop("202612051200", "1234"));
    EXPECT_EQ(rowsOf(report), (std::vector<Row>{{"1234", "1001", kDec5, 90 + 75}, {"1234", "1002", kDec5, 75}}));
    EXPECT_TRUE(report.open.empty());
}

TEST(Report, ALastStartIsOpenAndAddsNothing)
{
    const TimeReport report = reportOf(start("202612050800", "1234", "1001") + stop("202612050900", "1234")
        + stop("202612050905", "1234") + start("202612051000", "1234", "1002"));
    EXPECT_EQ(rowsOf(report), (std::vector<Row>{{"1234", "1001", kDec5, 60}})) << "a second stop ends nothing";
    ASSERT_EQ(report.open.size(), 1u);
    EXPECT_EQ(report.open[0].card, "1234");
    EXPECT_EQ(report.open[0].jobCard, "1002");
    EXPECT_EQ(report.open[0].start, (RecordStamp{2026, 12, 5, 10, 0}));
    EXPECT_EQ(report.open[0].line, 4u);
}

TEST(Report, CardsInterleavedInTheFileAreTimedApart)
{
    const TimeReport report = reportOf(start("202612050800", "1234", "1001") + start("202612050810", "99", "1001")
        + stop("202612050900", "1234") + start("202612050930", "99", "1002") + stop("202612051000", "99"));
    // Cards in numeric order: 99 before 1234.
    EXPECT_EQ(rowsOf(report),
        (std::vector<Row>{{"99", "1001", kDec5, 80}, {"99", "1002", kDec5, 30}, {"1234", "1001", kDec5, 60}}));
}

TEST(Report, AnIntervalOverMidnightCountsForTheDayOfItsStart)
{
    const TimeReport report = reportOf(start("202612052350", "1234", "1001") + stop("202612060020", "1234")
        + start("202612062300", "1234", "1001") + stop("202612070100", "1234"));
    EXPECT_EQ(rowsOf(report), (std::vector<Row>{{"1234", "1001", kDec5, 30}, {"1234", "1001", kDec6, 120}}));
}

TEST(Report, RecordsOutOfTimeOrderGiveTheFiguresOfTheOrderedFile)
{
    // Workstations append records late (another panel, a replayed buffer): three cards over two
    // days, every record of a card at its own minute, in time order and then shuffled.
    std::vector<std::string> records;
    for (int minute = 0; minute < 2 * 24 * 60; minute += 37) {
        const std::string card = std::to_string(10 + minute % 3);
        char when[13];
        std::snprintf(when, sizeof when, "202612%02d%02d%02d", 5 + minute / 1440, minute % 1440 / 60, minute % 60);
        records.push_back(minute % 5 == 0 ? stop(when, card) : start(when, card, std::to_string(1000 + minute % 4)));
    }
    const auto join = [](const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines)
            text += line;
        return text;
    };
    const TimeReport ordered = reportOf(join(records), {kDec5, kDec5});
    ASSERT_GT(ordered.totals.size(), 10u);
    for (unsigned seed : {1u, 2u, 3u}) {
        std::vector<std::string> shuffled = records;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(seed));
        const TimeReport report = reportOf(join(shuffled), {kDec5, kDec5});
        EXPECT_EQ(rowsOf(report), rowsOf(ordered)) << "seed " << seed;
        ASSERT_EQ(report.open.size(), ordered.open.size());
    }
    // Day 6 holds each card's last start, open in the ordered file and in any order of it.
    std::vector<std::string> reversed(records.rbegin(), records.rend());
    EXPECT_EQ(
        reportOf(join(reversed), {kDec6, kDec6}).open.size(), reportOf(join(records), {kDec6, kDec6}).open.size());
}

TEST(Report, FromAndToSelectByTheDayOfTheStart)
{
    const std::string data = start("202612052330", "1234", "1001") + stop("202612060030", "1234")
        + start("202612060800", "1234", "1002") + stop("202612060900", "1234") + start("202612070800", "1234", "1003");
    EXPECT_EQ(rowsOf(reportOf(data, {kDec6, kDec6})), (std::vector<Row>{{"1234", "1002", kDec6, 60}}));
    EXPECT_TRUE(reportOf(data, {kDec6, kDec6}).open.empty()) << "the open start lies on the 7th";
    EXPECT_EQ(rowsOf(reportOf(data, {std::nullopt, kDec5})), (std::vector<Row>{{"1234", "1001", kDec5, 60}}))
        << "the stop after midnight still ends the start of the 5th";
    EXPECT_EQ(reportOf(data, {kDec7, std::nullopt}).open.size(), 1u);
}

TEST(Report, InvalidLinesAreCountedAndLeftOut)
{
    const TimeReport report = reportOf(
        start("202612050800", "1234", "1001") + "0120261205083000-1\r\n" + "\r\n" + stop("202612050900", "1234"));
    EXPECT_EQ(report.invalidLines, 2u);
    EXPECT_EQ(rowsOf(report), (std::vector<Row>{{"1234", "1001", kDec5, 60}}));
}

TEST(Report, DaysAreReadInBothForms)
{
    EXPECT_EQ(parseDay("2026-12-05"), kDec5);
    EXPECT_EQ(parseDay("20261205"), kDec5);
    EXPECT_EQ(parseDay("2024-02-29"), (Day{2024, 2, 29}));
    for (const char* bad :
        {"2026-02-29", "2026-13-01", "2026-12-00", "2026/12/05", "2026-1-05", "202612", "", "+2026120"})
        EXPECT_FALSE(parseDay(bad)) << bad;
}

} // namespace
} // namespace shiftloom::tool
