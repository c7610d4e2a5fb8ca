// SPDX-License-Identifier: MIT
#include "tool/DataFileDecoder.h"
#include "timing/RecordLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace shiftloom::tool {
namespace {

constexpr const char* kStart = "0120261205080700000000000000123400000000000005670000000000000003";
constexpr const char* kStop = "0120261205080701000000000000123400000000000000000000000000000000";
constexpr const char* kIn = "012026120508070000471100";

TEST(DataFileDecoder, DecodesBothLayouts)
{
    const DecodedDataFile file = decodeDataFile(std::string(kStart) + "\r\n" + kStop + "\r\n" + kIn + "\r\n");
    ASSERT_EQ(file.lines.size(), 3u);
    EXPECT_EQ(file.invalidCount, 0u);

    const DataLine& start = file.lines[0];
    EXPECT_EQ(start.kind, DataLineKind::Start);
    EXPECT_EQ(start.stamp, (RecordStamp{2026, 12, 5, 8, 7}));
    EXPECT_EQ(start.card, "0000000000001234");
    EXPECT_EQ(start.jobCard, "0000000000000567");
    EXPECT_EQ(start.activity, "0000000000000003");
    EXPECT_EQ(start.end, LineEnd::CrLf);

    EXPECT_EQ(file.lines[1].kind, DataLineKind::Stop);
    EXPECT_EQ(file.lines[1].jobCard, "0000000000000000");

    const DataLine& in = file.lines[2];
    EXPECT_EQ(in.kind, DataLineKind::In);
    EXPECT_EQ(in.keyed, "00004711");
    EXPECT_EQ(in.stamp, (RecordStamp{2026, 12, 5, 8, 7}));
    EXPECT_EQ(in.number, 3u);
}

TEST(DataFileDecoder, EveryLineKeepsItsNumberAndItsLineEnd)
{
    const DecodedDataFile file =
        decodeDataFile(std::string(kIn) + "\r\n\r\n" + "garbage\n" + kStop + "\n" + kStart + "\r\n" + kIn);
    ASSERT_EQ(file.lines.size(), 6u);
    EXPECT_EQ(file.invalidCount, 2u);
    EXPECT_EQ(file.lines[1].problem, DataLineProblem::Empty);
    EXPECT_EQ(file.lines[1].number, 2u);
    EXPECT_EQ(file.lines[2].problem, DataLineProblem::NotDigit);
    EXPECT_EQ(file.lines[2].column, 1u);
    EXPECT_EQ(file.lines[2].excerpt, "garbage");
    EXPECT_EQ(file.lines[3].kind, DataLineKind::Stop) << "an LF alone still ends the line";
    EXPECT_EQ(file.lines[3].end, LineEnd::LfOnly);
    EXPECT_EQ(file.lines[5].kind, DataLineKind::In) << "the last line needs no line end";
    EXPECT_EQ(file.lines[5].end, LineEnd::None);
    EXPECT_EQ(file.lines[5].number, 6u);

    const DecodedDataFile halfEnded = decodeDataFile(std::string(kIn) + "\r");
    ASSERT_EQ(halfEnded.lines.size(), 1u);
    EXPECT_EQ(halfEnded.lines[0].kind, DataLineKind::In);
    EXPECT_EQ(halfEnded.lines[0].end, LineEnd::None);
    EXPECT_TRUE(decodeDataFile("").lines.empty());
}

struct InvalidLine
{
    const char* name;
    std::string text;
    DataLineProblem problem;
    std::size_t column;
    const char* description;
};
void PrintTo(const InvalidLine& c, std::ostream* out)
{
    *out << c.name;
}

class DataFileDecoderInvalid : public testing::TestWithParam<InvalidLine>
{
};

TEST_P(DataFileDecoderInvalid, IsReportedWithItsReason)
{
    const InvalidLine& c = GetParam();
    const DataLine line = decodeDataLine(c.text, 7, LineEnd::CrLf);
    EXPECT_EQ(line.kind, DataLineKind::Invalid);
    EXPECT_EQ(line.problem, c.problem);
    EXPECT_EQ(line.column, c.column);
    EXPECT_EQ(line.number, 7u);
    EXPECT_EQ(describeProblem(line), c.description);
}

// A card number of 17 digits or a negative one: the panel writes all the digits or the sign,
// and the record no longer has its layout's length.
INSTANTIATE_TEST_SUITE_P(DataFileDecoder,
    DataFileDecoderInvalid,
    testing::Values(InvalidLine{"CardOf17Digits",
                        std::string("012026120508070012345678901234567") + std::string(32, '0'),
                        DataLineProblem::TooLong,
                        0,
                        "65 digits, more than the 64 of a record (a number too long for its field)"},
        InvalidLine{"NegativeCard",
            "012026120508070000000000000-1234" + std::string(32, '0'),
            DataLineProblem::MinusSign,
            28,
            "minus sign at column 28 (a negative number)"},
        InvalidLine{"NegativeKeyedNumber",
            "01202612050807-0000047100",
            DataLineProblem::MinusSign,
            15,
            "minus sign at column 15 (a negative number)"},
        InvalidLine{"OneDigitShort",
            std::string(kStart).substr(0, 63),
            DataLineProblem::WrongLength,
            0,
            "63 digits, neither a 24- nor a 64-digit record"},
        InvalidLine{"TrailingBlank", std::string(kIn) + " ", DataLineProblem::NotDigit, 25, "not a digit at column 25"},
        InvalidLine{"PrefixNot01", "022026120508070000471100", DataLineProblem::BadPrefix, 0, "does not begin with 01"},
        InvalidLine{"NoSuchLeapDay", "012026022908070000471100", DataLineProblem::BadDate, 0, "no such date 20260229"},
        InvalidLine{"NoSuchMonth", "012026130108070000471100", DataLineProblem::BadDate, 0, "no such date 20261301"},
        InvalidLine{"Hour24", "012026120524000000471100", DataLineProblem::BadTime, 0, "no such time of day 2400"},
        InvalidLine{"Minute60", "012026120508600000471100", DataLineProblem::BadTime, 0, "no such time of day 0860"},
        InvalidLine{"EventCode02",
            "0120261205080702" + std::string(48, '0'),
            DataLineProblem::BadEventCode,
            0,
            "event code 02, expected 00 (start) or 01 (stop)"},
        InvalidLine{"InEndingIn01",
            "012026120508070000471101",
            DataLineProblem::BadClosingCode,
            0,
            "IN record ending in 01, expected 00"},
        InvalidLine{"Empty", "", DataLineProblem::Empty, 0, "empty line"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(DataFileDecoder, LeapDayIsADate)
{
    EXPECT_EQ(decodeDataLine("012024022923590000471100", 1, LineEnd::CrLf).kind, DataLineKind::In);
    EXPECT_EQ(decodeDataLine("012000022900000000471100", 1, LineEnd::CrLf).kind, DataLineKind::In);
    EXPECT_EQ(decodeDataLine("012100022900000000471100", 1, LineEnd::CrLf).kind, DataLineKind::Invalid);
}

TEST(DataFileDecoder, AVeryLongLineKeepsOnlyAnExcerpt)
{
    const DecodedDataFile file = decodeDataFile(std::string(1'000'000, '1') + "\r\n" + kIn + "\r\n");
    ASSERT_EQ(file.lines.size(), 2u);
    EXPECT_EQ(file.lines[0].problem, DataLineProblem::TooLong);
    EXPECT_EQ(file.lines[0].length, 1'000'000u);
    EXPECT_EQ(file.lines[0].excerpt.size(), kExcerptLength);
    EXPECT_EQ(file.lines[1].kind, DataLineKind::In);
}

// Arbitrary bytes, biased towards digits and line ends so that near-records occur, keep the
// decoder's promises: one line per line end, consecutive numbers, a count that matches.
TEST(DataFileDecoder, ArbitraryBytesKeepTheInvariants)
{
    std::mt19937 random(20261205);
    const std::string alphabet("0123456789\r\n-\0\xFF 01", 18);
    for (int round = 0; round < 500; ++round) {
        std::string bytes;
        const std::size_t size = random() % 400;
        for (std::size_t i = 0; i < size; ++i)
            bytes.push_back(alphabet[random() % alphabet.size()]);
        if (round % 5 == 0)
            bytes = std::string(kStart) + "\r\n" + bytes;
        const DecodedDataFile file = decodeDataFile(bytes);
        std::size_t invalid = 0;
        for (std::size_t i = 0; i < file.lines.size(); ++i) {
            const DataLine& line = file.lines[i];
            ASSERT_EQ(line.number, i + 1);
            if (line.kind == DataLineKind::Invalid) {
                ++invalid;
                EXPECT_NE(line.problem, DataLineProblem::None);
                EXPECT_LE(line.excerpt.size(), kExcerptLength);
            } else {
                EXPECT_TRUE(line.length == record::longLength || line.length == record::shortLength);
            }
        }
        EXPECT_EQ(file.invalidCount, invalid);
        const auto lineFeeds = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'));
        const bool tail = !bytes.empty() && bytes.back() != '\n';
        EXPECT_EQ(file.lines.size(), lineFeeds + (tail ? 1 : 0));
    }
}

} // namespace
} // namespace shiftloom::tool
