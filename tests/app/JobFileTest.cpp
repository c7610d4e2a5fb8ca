// SPDX-License-Identifier: MIT
#include "app/JobFile.h"
#include "app/ActivityFile.h"
#include "support/CoreFixture.h"

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
    const std::string expected =
        "WS-A    GEAR01            567               Gearbox housing      Drill 4 holes       ";
    EXPECT_EQ(JobLine(parseJobEntry(jobText(job))), expected);
    // The reader builds the lines of whole records on its own: the same line.
    const auto listed = read(jobFile({job}));
    ASSERT_EQ(listed.lines.size(), 1u);
    EXPECT_EQ(listed.lines[0], expected);
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
    // Declared length 300, two bytes of it: only the 186 bytes the record can hold are taken.
    std::string bytes = jobRecord("2") + jobRecord(text, 300) + jobRecord(jobText({"P", "NEXT", "", "", "8"}));
    auto result = read(bytes);
    ASSERT_EQ(result.lines.size(), 2u);
    EXPECT_EQ(result.lines[0], JobLine(parseJobEntry(text)));
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
