// SPDX-License-Identifier: MIT
#include "tool/JobRecordWriter.h"

#include "app/JobFile.h"
#include "platform/WindowsPath.h"
#include "support/HostFileOps.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace shiftloom::tool {
namespace {

TEST(JobRecordWriter, FieldsStandAtTheirCharacterPositions)
{
    const std::string text = jobText({"WS-26", "1001", "Frame welding", "Trailer chassis", "00001001", false});
    ASSERT_EQ(text.size(), kJobTextLength);
    EXPECT_EQ(fieldOf(text, jobfields::JobCode), "1001    ");
    EXPECT_EQ(fieldOf(text, jobfields::JobName), "Frame welding       ");
    EXPECT_EQ(fieldOf(text, jobfields::ListFlag), "X");
    EXPECT_EQ(fieldOf(text, jobfields::JobDetail), "Trailer chassis     ");
    EXPECT_EQ(fieldOf(text, jobfields::JobPrefix), "WS-26   ");
    EXPECT_EQ(fieldOf(text, jobfields::JobCard), "00001001");
    // Every other character is a blank.
    std::string rest = text;
    for (const JobField field : {jobfields::JobCode,
             jobfields::JobName,
             jobfields::ListFlag,
             jobfields::JobDetail,
             jobfields::JobPrefix,
             jobfields::JobCard})
        rest.replace(field.first - 1, field.length, field.length, ' ');
    EXPECT_EQ(rest, std::string(kJobTextLength, ' '));
}

TEST(JobRecordWriter, RecordIsLengthTextAndZeroPadding)
{
    const std::string record = jobRecord(std::string(180, 'a'));
    ASSERT_EQ(record.size(), kJobRecordLength);
    EXPECT_EQ(static_cast<unsigned char>(record[0]), 180u);
    EXPECT_EQ(record[1], '\0');
    EXPECT_EQ(record.substr(2, 180), std::string(180, 'a'));
    EXPECT_EQ(record.substr(182), std::string(6, '\0'));

    const std::string header = jobRecord("12");
    EXPECT_EQ(header.substr(0, 4),
        std::string("\x02\x00"
                    "12",
            4));
    EXPECT_EQ(recordText(jobRecord(std::string(200, 'b'))).size(), kJobTextMaxLength) << "cut to 186";
}

TEST(JobRecordWriter, PanelReaderListsWhatWasWritten)
{
    const std::vector<JobSpec> jobs = {
        {"WS-26", "1001", "Frame welding", "Trailer chassis", "00001001", true},
        {"MAINT", "2002", "Paint line", "Decommissioned", "00002002", false},
        {"WS-26", " 1003", "Blank first", "Never listed", "00001003", true},
        {"",
            "1004",
            "Fa\xE7"
            "ade \x80 work",
            "\xFF\x81",
            "00001004",
            true},
        {"WS-26", "1005", "", "", "", true},
    };
    test::TempDir folder;
    test::writeFile(folder.file("dep.dat"), jobFileBytes(jobs));
    EXPECT_EQ(test::readFile(folder.file("dep.dat")).size(), (jobs.size() + 1) * kJobRecordLength);

    const test::HostPathMapper paths(test::mapperHome(folder.path()));
    test::HostFileOps files(paths);
    const JobListResult list = readJobList(files, folder.path() + "\\dep.dat", JobFileOpen::ReadOnly);
    ASSERT_EQ(list.error, platform::FileError::None);
    // JobPrefix, JobCode, ten blanks, JobCard, ten blanks, JobName, a blank, JobDetail.
    const std::string tenBlanks(10, ' ');
    const std::vector<std::string> expected = {
        "WS-26   1001    " + tenBlanks + "00001001" + tenBlanks + "Frame welding       " + " " + "Trailer chassis     ",
        "        1004    " + tenBlanks + "00001004" + tenBlanks
            + "Fa\xE7"
              "ade \x80 work       "
            + " " + "\xFF\x81" + std::string(18, ' '),
        "WS-26   1005    " + std::string(69, ' '),
    };
    EXPECT_EQ(list.lines.toVector(), expected);
}

} // namespace
} // namespace shiftloom::tool
