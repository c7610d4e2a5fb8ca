// SPDX-License-Identifier: MIT
#include "tool/JobCsv.h"

#include <gtest/gtest.h>

namespace shiftloom::tool {
namespace {

TEST(JobCsv, HeaderRowIsSkippedAndTextBecomesWindows1252)
{
    const JobCsvResult result = readJobCsv(" Prefix ,CODE,name,detail,card,Listed\r\n"
                                           "WS-26,1001,Frame welding,\"Chassis, T4\",00001001,yes\r\n"
                                           "WS-26,1002,Caf\xC3\xA9 counter,,00001002,No\r\n"
                                           ",1003,Deburring,Milled parts,00001003,1\r\n"
                                           "MAINT,2002,Paint line,,00002002,0\r\n");
    ASSERT_FALSE(result.problem) << result.problem->message;
    ASSERT_EQ(result.jobs.size(), 4u);
    EXPECT_EQ(result.jobs[0].detail, "Chassis, T4");
    EXPECT_TRUE(result.jobs[0].listed);
    EXPECT_EQ(result.jobs[1].name, "Caf\xE9 counter");
    EXPECT_FALSE(result.jobs[1].listed);
    EXPECT_EQ(result.jobs[2].prefix, "");
    EXPECT_TRUE(result.jobs[2].listed);
    EXPECT_FALSE(result.jobs[3].listed);
    EXPECT_TRUE(result.warnings.empty());
}

TEST(JobCsv, WidthsCountWindows1252Characters)
{
    // Twenty characters, twenty-one bytes in UTF-8: it fits.
    const JobCsvResult fits = readJobCsv("P,C,Caf\xC3\xA9 0123456789abcde,,1,yes\n");
    ASSERT_FALSE(fits.problem) << fits.problem->message;
    EXPECT_EQ(fits.jobs[0].name.size(), 20u);
}

struct JobCsvFault
{
    const char* name;
    const char* text;
    std::size_t line;
    const char* message;
};
void PrintTo(const JobCsvFault& c, std::ostream* out)
{
    *out << c.name;
}

class JobCsvFaults : public testing::TestWithParam<JobCsvFault>
{
};

TEST_P(JobCsvFaults, StopTheReadingAndNameLineAndColumn)
{
    const JobCsvResult result = readJobCsv(GetParam().text);
    ASSERT_TRUE(result.problem);
    EXPECT_EQ(result.problem->line, GetParam().line);
    EXPECT_EQ(result.problem->message, GetParam().message);
    EXPECT_TRUE(result.jobs.empty());
}

INSTANTIATE_TEST_SUITE_P(JobCsv,
    JobCsvFaults,
    testing::Values(JobCsvFault{"TooFewColumns", "P,C,N,D,1,yes\n\nP,C,N,D\n", 3, "expected 6 columns, found 4"},
        JobCsvFault{"HeaderWithoutListed", "prefix,code,name,detail,card\n", 1, "expected 6 columns, found 5"},
        JobCsvFault{
            "NameTooLong", "P,C,Twenty-one characters,D,1,yes\n", 1, "column name: 21 characters, at most 20 fit"},
        JobCsvFault{"PrefixTooLong", "PREFIX-26,C,N,D,1,yes\n", 1, "column prefix: 9 characters, at most 8 fit"},
        JobCsvFault{"CardTooLong", "P,C,N,D,123456789,yes\n", 1, "column card: 9 characters, at most 8 fit"},
        JobCsvFault{
            "ListedNotYesOrNo", "P,C,N,D,1,maybe\n", 1, "column listed: expected yes, no, 1 or 0, found \"maybe\""},
        JobCsvFault{"EmptyCode", "P,   ,N,D,1,yes\n", 1, "column code: empty"},
        JobCsvFault{"NoWindows1252Byte",
            "P,C,\xE4\xB8\xAD,D,1,yes\n",
            1,
            "column name: a character that Windows-1252 cannot hold, or malformed UTF-8"},
        JobCsvFault{"MalformedUtf8",
            "P,C,\xE9t\xE9,D,1,yes\n",
            1,
            "column name: a character that Windows-1252 cannot hold, or malformed UTF-8"},
        JobCsvFault{"ControlCharacter", "P,C,N,\"a\tb\",1,yes\n", 1, "column detail: control character 0x09"},
        JobCsvFault{"UnclosedQuote", "P,C,N,D,1,yes\n\"P,C\n", 2, "quoted field not closed"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(JobCsv, JobsThePanelTreatsOddlyAreKeptWithAWarning)
{
    const JobCsvResult result = readJobCsv("P,\" 1001\",N,D,1,yes\nP,1002,N,D,AB12,yes\n");
    ASSERT_FALSE(result.problem);
    ASSERT_EQ(result.jobs.size(), 2u);
    ASSERT_EQ(result.warnings.size(), 2u);
    EXPECT_NE(result.warnings[0].find("line 1: code \" 1001\" begins with a blank"), std::string::npos);
    EXPECT_NE(result.warnings[1].find("line 2: card \"AB12\" is not a number"), std::string::npos);
}

} // namespace
} // namespace shiftloom::tool
