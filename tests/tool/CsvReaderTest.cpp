// SPDX-License-Identifier: MIT
#include "tool/CsvReader.h"

#include <gtest/gtest.h>

namespace shiftloom::tool {
namespace {

using Fields = std::vector<std::string>;

TEST(CsvReader, QuotedFieldsKeepCommasQuotesAndLineBreaks)
{
    const CsvResult csv = readCsv("a,\"b,c\",\"say \"\"hi\"\"\",\"two\nlines\"\r\nx,\"\",\n");
    ASSERT_FALSE(csv.problem);
    ASSERT_EQ(csv.records.size(), 2u);
    EXPECT_EQ(csv.records[0].fields, (Fields{"a", "b,c", "say \"hi\"", "two\nlines"}));
    EXPECT_EQ(csv.records[0].line, 1u);
    // The quoted line break moves the next record to line 3.
    EXPECT_EQ(csv.records[1].fields, (Fields{"x", "", ""}));
    EXPECT_EQ(csv.records[1].line, 3u);
}

TEST(CsvReader, BlankLinesAreSkippedAndLineNumbersStayTrue)
{
    const CsvResult csv = readCsv("\xEF\xBB\xBF  a , b\r\n\r\n\nc,d");
    ASSERT_FALSE(csv.problem);
    ASSERT_EQ(csv.records.size(), 2u);
    EXPECT_EQ(csv.records[0].fields, (Fields{"  a ", " b"})) << "blanks are part of the field; the BOM is not";
    EXPECT_EQ(csv.records[1].fields, (Fields{"c", "d"})) << "a last line without a line end counts";
    EXPECT_EQ(csv.records[1].line, 4u);
    EXPECT_TRUE(readCsv("").records.empty());
}

struct CsvFault
{
    const char* name;
    const char* text;
    std::size_t line;
    const char* message;
};
void PrintTo(const CsvFault& c, std::ostream* out)
{
    *out << c.name;
}

class CsvReaderFaults : public testing::TestWithParam<CsvFault>
{
};

TEST_P(CsvReaderFaults, NameTheLineOfTheRecord)
{
    const CsvResult csv = readCsv(GetParam().text);
    ASSERT_TRUE(csv.problem);
    EXPECT_EQ(csv.problem->line, GetParam().line);
    EXPECT_EQ(csv.problem->message, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(CsvReader,
    CsvReaderFaults,
    testing::Values(CsvFault{"UnclosedQuote", "a,b\nc,\"open\nnever closed\n", 2, "quoted field not closed"},
        CsvFault{"TextAfterClosingQuote", "a,b\n\"quoted\"x,b\n", 2, "text after a closing quote"},
        CsvFault{"QuoteInBareField", "a,b\n\nab\"c,d\n", 3, "quote inside an unquoted field"}),
    [](const auto& param) { return std::string(param.param.name); });

} // namespace
} // namespace shiftloom::tool
