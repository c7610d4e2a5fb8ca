// SPDX-License-Identifier: MIT
#include "app/JobFile.h"
#include "support/CoreFixture.h"

namespace shiftloom {
namespace {

using namespace test;

class JobFileTest : public test::CoreFixture
{
protected:
    /** The job lines read from a job file of `bytes`. */
    std::vector<std::string> read(const std::string& bytes)
    {
        test::writeFile(storePath("dep.dat"), bytes);
        const JobListResult result = readJobList(files, store() + "\\dep.dat", JobFileOpen::ReadOnly);
        EXPECT_EQ(result.error, platform::FileError::None);
        return {result.lines.begin(), result.lines.end()};
    }
};

TEST_F(JobFileTest, AJobLineHasItsFieldsAtTheirColumnsWhetherBuiltOrRead)
{
    const test::TestJob job{"WS-A", "GEAR01", "Gearbox h\xF6using", "Drill 4 h\xF6les", "567"}; // 8-bit bytes kept
    const std::string expected =
        "WS-A    GEAR01            567               Gearbox h\xF6using      Drill 4 h\xF6les       ";
    EXPECT_EQ(jobLine(jobText(job)), expected);
    EXPECT_EQ(read(jobFile({job})), std::vector<std::string>{expected});
    EXPECT_EQ(read(jobFile({{"", "C9", "n", "d", "9"}})).at(0).substr(0, 10), "        C9") << "blank prefix";
}

// The header's count, read by the number rule, says how many records are jobs.
TEST_F(JobFileTest, TheHeaderCountDecidesHowManyRecordsAreRead)
{
    const std::vector<std::string> three = {
        jobText({"P", "A", "", "", ""}), jobText({"P", "B", "", "", ""}), jobText({"P", "C", "", "", ""})};
    const std::pair<const char*, std::size_t> cases[] = {
        {"3", 3}, {"2", 2}, {"2.9 jobs", 2}, {"0", 0}, {"-3", 0}, {"JOBS", 0}, {"", 0}, {"99999999999999999999999", 3}};
    for (const auto& [header, count] : cases)
        EXPECT_EQ(read(jobFile(header, three)).size(), count) << "header " << header;
}

TEST_F(JobFileTest, LeavesOutFlaggedBlankFirstShortAndEmptyRecords)
{
    std::string text118 = jobText({"P", "SHORT", "", "", ""});
    text118.resize(118);
    std::string text119 = jobText({"P", "EXACT", "", "", ""});
    text119.resize(119);
    const auto lines = read(jobFile("6",
        {jobText({"P", "LISTED", "", "", "1"}),
            jobText({"P", "HIDDEN", "", "", "2", false}),
            std::string(" ").append(jobText({"P", "BLANK", "", "", "3"}).substr(1)),
            text118,
            "",
            text119}));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(8, 6), "LISTED");
    // A text of 119 characters has its flag; the fields beyond it are empty, not padded.
    EXPECT_EQ(lines[1], std::string("EXACT   ").append(10 + 10 + 20 + 1, ' '));
}

TEST_F(JobFileTest, ALengthAboveTheRecordOrATruncatedRecordNeverReadsPastIt)
{
    const std::string text = jobText({"P", "LONG", "", "", "7"});
    // Declared length 300, two bytes of it: only the 186 bytes the record can hold are taken.
    auto lines = read(jobRecord("2") + jobRecord(text, 300) + jobRecord(jobText({"P", "NEXT", "", "", "8"})));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], jobLine(text));
    EXPECT_EQ(lines[1].substr(8, 4), "NEXT");

    // The last record cut short: its text is what is there.
    lines = read(jobRecord("2") + jobRecord(jobText({"P", "FIRST", "", "", "1"}))
        + jobRecord(jobText({"P", "CUT", "", "", "2"})).substr(0, 150));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], std::string("CUT     ").append(10 + 10 + 20 + 1 + 20, ' '));
}

TEST_F(JobFileTest, AMissingFileIsCreatedEmptyForThePanelButNotForTheTool)
{
    const std::string path = store() + "\\dep.dat";
    test::writeFile(storePath("marker"), "");
    EXPECT_EQ(readJobList(files, path, JobFileOpen::ReadOnly).error, platform::FileError::NotFound);
    EXPECT_FALSE(test::fileExists(storePath("dep.dat")));
    const auto result = readJobList(files, path, JobFileOpen::CreateIfMissing);
    EXPECT_EQ(result.error, platform::FileError::None);
    EXPECT_TRUE(result.lines.empty());
    EXPECT_TRUE(test::fileExists(storePath("dep.dat")));
}

// Ten thousand jobs take a few reads; a read that fails lists nothing and says so.
TEST_F(JobFileTest, ReadsInChunksAndAFailedReadListsNothing)
{
    EXPECT_EQ(read(jobFile(test::numberedJobs(10000))).size(), 10000u);
    EXPECT_LE(files.count(test::FileOp::Read), 8) << "header and a few chunks";
    files.failNth(test::FileOp::Read, 2);
    const auto result = readJobList(files, store() + "\\dep.dat", JobFileOpen::ReadOnly);
    EXPECT_EQ(result.error, platform::FileError::Io);
    EXPECT_TRUE(result.lines.empty());
}

} // namespace
} // namespace shiftloom
