// SPDX-License-Identifier: MIT
#include "app/JobFile.h"
#include "app/ActivityFile.h"
#include "support/CoreFixture.h"

#include <random>

namespace shiftloom {
namespace {

using test::jobFile;
using test::jobRecord;
using test::jobText;
using test::TestJob;

class JobFileTest : public test::CoreFixture
{
protected:
    JobListResult read(const std::string& bytes, JobFileOpen mode = JobFileOpen::ReadOnly)
    {
        test::writeFile(storePath("dep.dat"), bytes);
        return readJobList(files, store() + "\\dep.dat", mode);
    }
};

TEST_F(JobFileTest, JobLineHasItsFieldsAtTheirColumns)
{
    const TestJob job{"WS-A", "GEAR01", "Gearbox housing", "Drill 4 holes", "567"};
    const std::string line = JobLine(parseJobEntry(jobText(job)));
    EXPECT_EQ(line, "WS-A    GEAR01            567               Gearbox housing      Drill 4 holes       ");
    ASSERT_EQ(line.size(), 85u);
    EXPECT_EQ(line.substr(0, 16), "WS-A    GEAR01  ");
    EXPECT_EQ(line.substr(26, 8), "567     ");
    EXPECT_EQ(line.substr(44), "Gearbox housing      Drill 4 holes       ");
}

TEST_F(JobFileTest, ListsTheJobsOfTheHeaderCountInRecordOrder)
{
    const auto result =
        read(jobFile({{"P", "C1", "one", "", "1"}, {"P", "C2", "two", "", "2"}, {"P", "C3", "three", "", "3"}}));
    ASSERT_EQ(result.error, platform::FileError::None);
    ASSERT_EQ(result.lines.size(), 3u);
    EXPECT_EQ(result.lines[0].substr(8, 2), "C1");
    EXPECT_EQ(result.lines[2].substr(8, 2), "C3");
}

TEST_F(JobFileTest, LeavesOutFlaggedBlankFirstShortAndEmptyRecords)
{
    std::string text118 = jobText({"P", "SHORT", "", "", ""});
    text118.resize(118);
    std::string text119 = jobText({"P", "EXACT", "", "", ""});
    text119.resize(119);
    const auto result = read(jobFile("6",
        {jobText({"P", "LISTED", "", "", "1"}),
            jobText({"P", "HIDDEN", "", "", "2", false}),
            std::string(" ").append(jobText({"P", "BLANK", "", "", "3"}).substr(1)),
            text118,
            "",
            text119}));
    ASSERT_EQ(result.lines.size(), 2u);
    EXPECT_EQ(result.lines[0].substr(8, 6), "LISTED");
    // A text of 119 characters has its flag; the fields beyond it are empty, not padded.
    EXPECT_EQ(result.lines[1], std::string("EXACT   ").append(10 + 10 + 20 + 1, ' '));
}

TEST_F(JobFileTest, AnAllBlankPrefixGivesALineStartingWithEightBlanks)
{
    const auto result = read(jobFile({{"", "C9", "n", "d", "9"}}));
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].substr(0, 10), "        C9");
}

TEST_F(JobFileTest, TheHeaderCountDecidesHowManyRecordsAreRead)
{
    const std::vector<std::string> three = {
        jobText({"P", "A", "", "", ""}), jobText({"P", "B", "", "", ""}), jobText({"P", "C", "", "", ""})};
    EXPECT_EQ(read(jobFile("2", three)).lines.size(), 2u);
    EXPECT_EQ(read(jobFile("2.9 jobs", three)).lines.size(), 2u);
    EXPECT_EQ(read(jobFile("0", three)).lines.size(), 0u);
    EXPECT_EQ(read(jobFile("-3", three)).lines.size(), 0u);
    EXPECT_EQ(read(jobFile("JOBS", three)).lines.size(), 0u);
    EXPECT_EQ(read(jobFile("", three)).lines.size(), 0u);
    EXPECT_EQ(read(jobFile("99999999999999999999999", three)).lines.size(), 3u) << "beyond the file is harmless";
}

TEST_F(JobFileTest, ALengthAboveTheRecordOrATruncatedRecordNeverReadsPastIt)
{
    std::string text = jobText({"P", "LONG", "", "", "7"});
    // Declared length 500: only the 186 bytes the record can hold are taken.
    std::string bytes = jobRecord("2") + jobRecord(text, 500) + jobRecord(jobText({"P", "NEXT", "", "", "8"}));
    auto result = read(bytes);
    ASSERT_EQ(result.lines.size(), 2u);
    EXPECT_EQ(result.lines[1].substr(8, 4), "NEXT");

    // The last record cut short: its text is what is there.
    bytes = jobRecord("2") + jobRecord(jobText({"P", "FIRST", "", "", "1"}))
        + jobRecord(jobText({"P", "CUT", "", "", "2"})).substr(0, 150);
    result = read(bytes);
    ASSERT_EQ(result.lines.size(), 2u);
    EXPECT_EQ(result.lines[1], std::string("CUT     ").append(10 + 10 + 20 + 1 + 20, ' '));
}

TEST_F(JobFileTest, EightBitBytesStayAsTheyAre)
{
    const auto result = read(jobFile({{"P",
        "M\xDC"
        "LL",
        "Stra\xDF"
        "e \x80",
        "",
        "1"}}));
    ASSERT_EQ(result.lines.size(), 1u);
    EXPECT_EQ(result.lines[0].substr(8, 5),
        "M\xDC"
        "LL ");
    EXPECT_EQ(result.lines[0].substr(44, 8),
        "Stra\xDF"
        "e \x80");
}

TEST_F(JobFileTest, AMissingFileIsCreatedEmptyForThePanelButNotForTheTool)
{
    EXPECT_EQ(readJobList(files, store() + "\\dep.dat", JobFileOpen::ReadOnly).error, platform::FileError::NotFound);
    EXPECT_FALSE(test::fileExists(storePath("dep.dat")));
    test::writeFile(storePath("marker"), "");
    const auto result = readJobList(files, store() + "\\dep.dat", JobFileOpen::CreateIfMissing);
    EXPECT_EQ(result.error, platform::FileError::None);
    EXPECT_TRUE(result.lines.empty());
    EXPECT_TRUE(test::fileExists(storePath("dep.dat")));
}

TEST_F(JobFileTest, ReadsInChunksNotOneReadPerRecord)
{
    test::writeFile(storePath("dep.dat"), jobFile(test::numberedJobs(10000)));
    files.clear();
    const auto result = readJobList(files, store() + "\\dep.dat", JobFileOpen::ReadOnly);
    EXPECT_EQ(result.lines.size(), 10000u);
    EXPECT_LE(files.count(test::FileOp::Read), 8) << "header and a few chunks";
}

TEST_F(JobFileTest, EveryTextLengthGivesTheLineItsFieldsMake)
{
    // Records of every length from 0 to the full 186 bytes, of arbitrary bytes, listed where the
    // rule lets them be: each line must be the one its fields make, whole fields or cut ones.
    std::mt19937 random(186);
    std::vector<std::string> texts;
    std::vector<std::string> expected;
    for (int round = 0; round < 3; ++round) {
        for (std::size_t length = 0; length <= kJobTextMaxLength; ++length) {
            std::string text(length, ' ');
            for (char& c : text)
                c = static_cast<char>(random() % 256);
            if (length > 0 && text[0] == ' ')
                text[0] = 'X';
            if (length >= 119)
                text[118] = round != 2 ? ' ' : 'N';
            texts.push_back(text);
            if (isListed(text))
                expected.push_back(JobLine(parseJobEntry(text)));
        }
    }
    const auto result = read(jobFile(std::to_string(texts.size()), texts));
    ASSERT_EQ(result.error, platform::FileError::None);
    EXPECT_EQ(result.lines.toVector(), expected);
    EXPECT_EQ(expected.size(), 2 * (kJobTextMaxLength + 1 - 119)) << "two rounds listed from length 119 on";
}

TEST_F(JobFileTest, AReadFailureReportsAndListsNothing)
{
    test::writeFile(storePath("dep.dat"), jobFile(test::numberedJobs(5)));
    files.failNth(test::FileOp::Read, 2);
    const auto result = readJobList(files, store() + "\\dep.dat", JobFileOpen::ReadOnly);
    EXPECT_EQ(result.error, platform::FileError::Io);
    EXPECT_TRUE(result.lines.empty());
}

TEST(ActivityFileTest, LinesBecomeItemsOfCodeAndNumber)
{
    EXPECT_EQ(activityItem("ASSEMBLY", "00000001"), "ASSEMBLY  :  00000001");
    const Activity a = parseActivityLine("ASSEMBLYsome text in between00000042;");
    EXPECT_EQ(a.code, "ASSEMBLY");
    EXPECT_EQ(a.number, "00000042");
    const Activity shortLine = parseActivityLine("123456789");
    EXPECT_EQ(shortLine.code, "12345678");
    EXPECT_EQ(shortLine.number, "12345678") << "nine characters or fewer: the first eight";
    EXPECT_EQ(parseActivityLine("").number, "");
    EXPECT_EQ(activityItem(parseActivityLine("").code, parseActivityLine("").number), "  :  ");
    EXPECT_EQ(itemCode("ASSEMBLY  :  00000001"), "ASSEMBLY");
    EXPECT_EQ(itemNumber("ASSEMBLY  :  00000001"), "00000001");
    EXPECT_EQ(itemNumber("  :  "), "  :  ");
}

} // namespace
} // namespace shiftloom
