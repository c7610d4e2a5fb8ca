// SPDX-License-Identifier: MIT
// The data file read line by line, the minutes reported from it, and the shop's timesheet.
#include "tool/OutputFormat.h"
#include "tool/Report.h"
#include "tool/ShopSummary.h"
#include "tool/StoreFolder.h"
#include "tool/ToolError.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <numeric>
#include <random>
#include <tuple>

namespace shiftloom::tool {
namespace {

constexpr const char* kStart = "0120261205080700000000000000123400000000000005670000000000000003";
constexpr const char* kStop = "0120261205080701000000000000123400000000000000000000000000000000";
constexpr const char* kIn = "012026120508070000471100";

TEST(DataFileDecoder, EveryLineKeepsItsNumberAndItsLineEnd)
{
    const std::string text = std::string(kStart) + "\r\n\r\ngarbage\n" + kStop + "\n" + kIn + "\r\n" + kIn + "\r";
    const DecodedDataFile file = decodeDataFile(text);
    ASSERT_EQ(file.lines.size(), 6u);
    EXPECT_EQ(file.invalidCount, 2u);
    // The fields of each layout: StoreToolCli reads back records of the panel's writer.
    EXPECT_EQ(file.lines[0].kind, DataLineKind::Start);
    EXPECT_EQ(file.lines[0].end, LineEnd::CrLf);
    EXPECT_EQ(file.lines[1].problem, DataLineProblem::Empty);
    EXPECT_EQ(file.lines[2].excerpt, "garbage");
    EXPECT_EQ(file.lines[2].number, 3u);
    EXPECT_EQ(file.lines[3].kind, DataLineKind::Stop) << "an LF alone still ends the line";
    EXPECT_EQ(file.lines[3].end, LineEnd::LfOnly);
    EXPECT_EQ(file.lines[5].kind, DataLineKind::In) << "a last line half-way through its line end";
    EXPECT_EQ(file.lines[5].end, LineEnd::None);
    EXPECT_EQ(file.lines[5].number, 6u);
    EXPECT_EQ(decodeDataLine("012024022923590000471100", 1, LineEnd::CrLf).kind, DataLineKind::In);
    EXPECT_EQ(decodeDataLine("012000022900000000471100", 1, LineEnd::CrLf).kind, DataLineKind::In);
    EXPECT_TRUE(decodeDataFile("").lines.empty());
}

TEST(DataFileDecoder, AnInvalidLineIsReportedWithItsReason)
{
    // A card of 17 digits or a negative one: the panel writes all the digits or the sign, and the
    // record loses its layout's length.
    const std::pair<std::string, const char*> cases[] = {
        {"012026120508070012345678901234567" + std::string(32, '0'),
            "65 digits, more than the 64 of a record (a number too long for its field)"},
        {"012026120508070000000000000-1234" + std::string(32, '0'), "minus sign at column 28 (a negative number)"},
        {"01202612050807-0000047100", "minus sign at column 15 (a negative number)"},
        {std::string(kStart).substr(0, 63), "63 digits, neither a 24- nor a 64-digit record"},
        {std::string(kIn) + " ", "not a digit at column 25"},
        {"022026120508070000471100", "does not begin with 01"},
        {"012026022908070000471100", "no such date 20260229"},
        {"012100022908070000471100", "no such date 21000229"},
        {"012026130108070000471100", "no such date 20261301"},
        {"012026120524000000471100", "no such time of day 2400"},
        {"012026120508600000471100", "no such time of day 0860"},
        // The report reads a line of 64 digits straight from its digits; it is checked all the same.
        {"0120261205240000" + std::string(kStart).substr(16), "no such time of day 2400"},
        {"0220261205080700" + std::string(kStart).substr(16), "does not begin with 01"},
        {"0120261131080700" + std::string(kStart).substr(16), "no such date 20261131"},
        {"0120261205080702" + std::string(48, '0'), "event code 02, expected 00 (start) or 01 (stop)"},
        {"012026120508070000471101", "IN record ending in 01, expected 00"},
        {"", "empty line"},
    };
    for (const auto& [text, description] : cases) {
        const DataLine line = decodeDataLine(text, 7, LineEnd::CrLf);
        EXPECT_EQ(line.kind, DataLineKind::Invalid) << text;
        RecordStamp stamp;
        bool start = false;
        EXPECT_FALSE(readStartOrStop(text, stamp, start)) << "the report's own reading: " << text;
        EXPECT_EQ(line.number, 7u);
        EXPECT_EQ(describeProblem(line), description) << text;
    }
}

TEST(StoreReader, ReadsTheDataFileInPiecesAsTheDecoderSplitsIt)
{
    // Two megabytes, so that lines and line ends straddle the pieces: records, an LF alone, empty
    // lines, a line longer than a piece, a CR right before a piece ends, and a last line without its end.
    std::string data;
    for (std::size_t i = 0; data.size() < (1u << 20) - 200; ++i)
        data += std::string(kStart).substr(0, 24 + i % 41) + (i % 7 == 0 ? "\n" : "\r\n") + (i % 11 == 0 ? "\r\n" : "");
    data.append((2u << 20) - 1 - data.size(), '1');
    data += "\r\n" + std::string(kStart) + "\r";
    test::TempDir folder;
    test::writeFile(folder.file("data"), data);
    test::writeFile(folder.file("cardward.ini"), "");

    using Seen = std::vector<std::tuple<std::size_t, DataLineKind, DataLineProblem, LineEnd, std::size_t>>;
    const auto add = [](Seen& seen, const DataLine& line) {
        seen.emplace_back(line.number, line.kind, line.problem, line.end, line.length);
    };
    StoreReader store(folder.path());
    std::optional<std::uint64_t> read;
    const auto scan = [&](std::uint64_t limit) {
        Seen seen;
        read = store.scanDataFile([&](const DataLine& line) { add(seen, line); }, limit);
        return seen;
    };
    Seen expected;
    for (const DataLine& line : decodeDataFile(data).lines)
        add(expected, line);
    EXPECT_EQ(scan(std::numeric_limits<std::uint64_t>::max()), expected);
    EXPECT_EQ(read, data.size());

    // A second reading sees the same lines while records are appended, and refuses a shorter file.
    test::writeFile(folder.file("data"), data + "\n" + kStart + "\r\n");
    EXPECT_EQ(scan(*read), expected);
    test::writeFile(folder.file("data"), kStart);
    EXPECT_THROW(scan(*read), ToolError);
}

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

// "card/job day:minutes" per total, "open card/job day hh:mm @line" per open start.
std::string summary(const std::string& data, ReportOptions options = {}, bool withLines = true)
{
    const TimeReport report = buildReport(data, options);
    std::string text;
    for (const JobDayTotal& t : report.totals)
        text += t.card + "/" + t.jobCard + " " + std::to_string(t.day.day) + ":" + std::to_string(t.minutes) + " ";
    for (const OpenStart& o : report.open) {
        text += "open " + o.card + "/" + o.jobCard + " " + std::to_string(o.start.day) + " "
            + std::to_string(o.start.hour) + ":" + std::to_string(o.start.minute) + " ";
        if (withLines)
            text += "@" + std::to_string(o.line) + " ";
    }
    return text + "invalid " + std::to_string(report.invalidLines);
}

constexpr Day kDec5{2026, 12, 5};
constexpr Day kDec6{2026, 12, 6};
constexpr Day kDec7{2026, 12, 7};

TEST(Report, AStartRunsToTheNextStartOrStopOfItsCardAndCountsForItsDay)
{
    const std::string overMidnight = start("202612052330", "1234", "1001") + stop("202612060030", "1234")
        + start("202612060800", "1234", "1002") + stop("202612060900", "1234") + start("202612070800", "1234", "1003");
    const std::tuple<std::string, ReportOptions, std::string> cases[] = {
        // Another job button writes only the new start; STOP ALL writes a stop; an IN ends nothing.
        {start("202612050800", "1234", "1001") + start("202612050930", "1234", "1002") + "012026120510000000471100\r\n"
                + start("202612051045", "1234", "1001") + stop("202612051200", "1234"),
            {},
            "1234/1001 5:165 1234/1002 5:75 invalid 0"},
        // A second stop ends nothing; the last start stays open and adds nothing.
        {start("202612050800", "1234", "1001") + stop("202612050900", "1234") + stop("202612050905", "1234")
                + start("202612051000", "1234", "1002"),
            {},
            "1234/1001 5:60 open 1234/1002 5 10:0 @4 invalid 0"},
        // Cards interleaved in the file are timed apart, listed in numeric order.
        {start("202612050800", "1234", "1001") + start("202612050810", "99", "1001") + stop("202612050900", "1234")
                + start("202612050930", "99", "1002") + stop("202612051000", "99"),
            {},
            "99/1001 5:80 99/1002 5:30 1234/1001 5:60 invalid 0"},
        {overMidnight, {}, "1234/1001 5:60 1234/1002 6:60 open 1234/1003 7 8:0 @5 invalid 0"},
        {overMidnight, {kDec6, kDec6}, "1234/1002 6:60 invalid 0"},
        {overMidnight, {std::nullopt, kDec5}, "1234/1001 5:60 invalid 0"},
        {overMidnight, {kDec7, std::nullopt}, "open 1234/1003 7 8:0 @5 invalid 0"},
        // Split at midnight, each day gets its part, and the range selects the parts.
        {overMidnight,
            {{}, {}, true},
            "1234/1001 5:30 1234/1001 6:30 1234/1002 6:60 open 1234/1003 7 8:0 @5 invalid 0"},
        {overMidnight, {kDec6, kDec6, true}, "1234/1001 6:30 1234/1002 6:60 invalid 0"},
        {start("202612052300", "7", "1") + stop("202612080000", "7"),
            {{}, {}, true},
            "7/1 5:60 7/1 6:1440 7/1 7:1440 invalid 0"},
        {start("202612050800", "1234", "1001") + "0120261205083000-1\r\n\r\n" + stop("202612050900", "1234"),
            {},
            "1234/1001 5:60 invalid 2"},
        // A record with a digit more is no record, though it ends where a record would end its CR.
        {start("202612050800", "1234", "1001") + start("202612050830", "1234", "1002").substr(0, 64) + "5\n"
                + stop("202612050900", "1234"),
            {},
            "1234/1001 5:60 invalid 1"},
    };
    for (const auto& [data, options, expected] : cases)
        EXPECT_EQ(summary(data, options), expected) << data;
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
    const std::string ordered = std::accumulate(records.begin(), records.end(), std::string());
    const std::string figures = summary(ordered, {}, false);
    ASSERT_NE(figures.find("open 12/"), std::string::npos);
    for (unsigned seed : {1u, 2u, 3u}) {
        std::shuffle(records.begin(), records.end(), std::mt19937(seed));
        EXPECT_EQ(summary(std::accumulate(records.begin(), records.end(), std::string()), {}, false), figures) << seed;
    }
}

TEST(ShopSummary, WeeksAreIsoWeeksAcrossTheYearsEnd)
{
    const std::pair<Day, const char*> weeks[] = {{{2025, 12, 28}, "2025-W52"},
        {{2025, 12, 29}, "2026-W01"},
        {{2026, 1, 4}, "2026-W01"},
        {{2026, 12, 28}, "2026-W53"},
        {{2027, 1, 3}, "2026-W53"},
        {{2027, 1, 4}, "2027-W01"},
        {{2021, 1, 3}, "2020-W53"},
        {{2024, 12, 30}, "2025-W01"}};
    for (const auto& [day, week] : weeks)
        EXPECT_EQ(isoWeekText(isoWeekOf(day)), week) << dayText(day);

    // A timesheet from Thursday 24 December 2026 to Tuesday 5 January 2027: its weeks are cut by
    // the period, and the last one is week 1 of 2027, not a week 54 or a second week 1 of 2026.
    const std::string data = start("202612232200", "5", "1") + stop("202612240600", "5")
        + start("202612280800", "5", "2") + stop("202612281800", "5") + start("202701042330", "5", "1")
        + stop("202701050030", "5") + start("202701052300", "12", "1") + stop("202701060100", "12");
    ReportOptions range{Day{2026, 12, 24}, Day{2027, 1, 5}, true};
    const ShopSummary summary = summarize(buildReport(data, range), range);
    std::string columns;
    for (const SummaryWeek& week : summary.weeks)
        columns += isoWeekText(week.week) + "=" + dayText(summary.days[week.first]) + "+" + std::to_string(week.count)
            + ":" + std::to_string(summary.cards[0].weeks[std::size_t(&week - summary.weeks.data())]) + " ";
    EXPECT_EQ(columns, "2026-W52=2026-12-24+4:360 2026-W53=2026-12-28+7:600 2027-W01=2027-01-04+2:60 ");
    ASSERT_EQ(summary.cards.size(), 2u) << "card 12 has an hour on 5 January";
    EXPECT_EQ(summary.cards[1].days.back(), 60);
    EXPECT_EQ(summary.totals.total, 360 + 600 + 60 + 60);
    // A calendar month is one printed table; a longer period goes on in tables of at most 31 days.
    const std::tuple<Day, Day, std::size_t> periods[] = {
        {{2026, 12, 1}, {2026, 12, 31}, 1}, {{2026, 11, 30}, {2027, 1, 31}, 3}};
    for (const auto& [from, to, blocks] : periods)
        EXPECT_EQ(summaryBlocks(summarize(TimeReport{}, {from, to})).size(), blocks) << dayText(to);
    range.to = Day{2040, 1, 1};
    EXPECT_THROW(summarize(TimeReport{}, range), ToolError) << "a table of more days than a summary holds";
}

TEST(Report, ACsvFieldThatASpreadsheetWouldCalculateStaysText)
{
    const std::pair<std::string_view, std::string_view> fields[] = {{"=1+2", "'=1+2"},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\rx", "\"'\rx\""},
        {"=a,\"b\"", "\"'=a,\"\"b\"\"\""},
        {"a=1", "a=1"},
        {"2026-12-05", "2026-12-05"},
        {"", ""}};
    for (const auto& [text, field] : fields)
        EXPECT_EQ(csvField(text), field) << text;
}

TEST(Report, DaysAreReadInBothForms)
{
    EXPECT_EQ(parseDay("2026-12-05"), kDec5);
    EXPECT_EQ(parseDay("20240229"), (Day{2024, 2, 29}));
    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-12-00", "2026/12/05", "2026-1-05", "202612", ""})
        EXPECT_FALSE(parseDay(bad)) << bad;
}

} // namespace
} // namespace shiftloom::tool
