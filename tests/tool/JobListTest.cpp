// SPDX-License-Identifier: MIT
// A job list's way from CSV to the job file, read back by the panel's own reader.
#include "tool/JobCsv.h"

#include "app/JobFile.h"
#include "support/HostFileOps.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace shiftloom::tool {
namespace {

TEST(JobList, CsvBecomesAJobFileThatThePanelListsAsWritten)
{
    // A BOM, a header in any letter case, quotes, CRLF and LF, a blank line, UTF-8 text; a name of
    // twenty characters in Windows-1252 but twenty-one bytes in UTF-8; two jobs the panel leaves out.
    const JobCsvResult csv = readJobCsv("\xEF\xBB\xBF Prefix ,CODE,name,detail,card,Listed\r\n"
                                        "WS-26,1001,\"Weld \"\"big\"\" frame\",\"Chassis, T4\",00001001,yes\r\n"
                                        "\r\n"
                                        "MAINT,2002,Paint line,,00002002,No\n"
                                        ",1004,Caf\xC3\xA9 0123456789abcde,\xE2\x82\xAC \xC3\xBF,00001004,1\n"
                                        "WS-26, 1003,Blank first,,AB12,YES\n"
                                        "WS-26,1005,,,00001005,0\n"
                                        "WS-26,1006,,,00001006,yes");
    ASSERT_FALSE(csv.problem) << csv.problem->message;
    ASSERT_EQ(csv.jobs.size(), 6u);
    ASSERT_EQ(csv.warnings.size(), 2u);
    EXPECT_NE(csv.warnings[0].find("line 6: code \" 1003\" begins with a blank"), std::string::npos);
    EXPECT_NE(csv.warnings[1].find("line 6: card \"AB12\" is not a number"), std::string::npos);

    test::TempDir folder;
    test::writeFile(folder.file("dep.dat"), jobFileBytes(csv.jobs));
    EXPECT_EQ(test::readFile(folder.file("dep.dat")).size(), 7 * kJobRecordLength);
    const test::HostPathMapper paths = test::hostPaths(folder.path());
    test::HostFileOps files(paths);
    const JobListResult list = readJobList(files, folder.path() + "\\dep.dat", JobFileOpen::ReadOnly);
    ASSERT_EQ(list.error, platform::FileError::None);
    // JobPrefix, JobCode, ten blanks, JobCard, ten blanks, JobName, a blank, JobDetail.
    const std::string tenBlanks(10, ' ');
    const std::vector<std::string> expected = {
        "WS-26   1001    " + tenBlanks + "00001001" + tenBlanks + "Weld \"big\" frame     Chassis, T4         ",
        "        1004    " + tenBlanks + "00001004" + tenBlanks + "Caf\xE9 0123456789abcde \x80 \xFF"
            + std::string(17, ' '),
        "WS-26   1006    " + tenBlanks + "00001006" + std::string(51, ' '),
    };
    EXPECT_EQ(list.lines.toVector(), expected);
}

TEST(JobList, TheFirstFaultStopsTheReadingAndNamesItsLine)
{
    const struct
    {
        const char* text;
        std::size_t line;
        const char* message;
    } cases[] = {
        {"P,C,N,D,1,yes\n\nP,C,N,D\n", 3, "expected 6 columns, found 4"},
        {"prefix,code,name,detail,card\n", 1, "expected 6 columns, found 5"},
        {"P,C,Twenty-one characters,D,1,yes\n", 1, "column name: 21 characters, at most 20 fit"},
        {"PREFIX-26,C,N,D,1,yes\n", 1, "column prefix: 9 characters, at most 8 fit"},
        {"P,C,N,D,123456789,yes\n", 1, "column card: 9 characters, at most 8 fit"},
        {"P,C,N,D,1,maybe\n", 1, "column listed: expected yes, no, 1 or 0, found \"maybe\""},
        {"P,   ,N,D,1,yes\n", 1, "column code: empty"},
        {"P,C,\xE4\xB8\xAD,D,1,yes\n", 1, "column name: a character that Windows-1252 cannot hold, or malformed UTF-8"},
        {"P,C,\xE9t\xE9,D,1,yes\n", 1, "column name: a character that Windows-1252 cannot hold, or malformed UTF-8"},
        {"P,C,N,\"a\nb\",1,yes\n", 1, "column detail: control character 0x0A"},
        // A quoted line break moves the next record a line down.
        {"P,C,\"N\r\nM\",D,1,yes\nP,C,N,D,1,yes\nab\"c,d\n", 4, "quote inside an unquoted field"},
        {"P,C,N,D,1,yes\n\"quoted\"x,C,N,D,1,yes\n", 2, "text after a closing quote"},
        {"P,C,N,D,1,yes\n\"P,C\n", 2, "quoted field not closed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const JobCsvResult result = readJobCsv(c.text);
        ASSERT_TRUE(result.problem);
        EXPECT_EQ(result.problem->line, c.line);
        EXPECT_EQ(result.problem->message, c.message);
        EXPECT_TRUE(result.jobs.empty());
    }
}

} // namespace
} // namespace shiftloom::tool
