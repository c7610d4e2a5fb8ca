// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::tool {

/**
 * Decoder of Card-Warden's data file `data`: the time records that the panel appends, one line
 * each, ended by CR LF, in the two layouts of `record` (timing/RecordLayout.h), told apart by
 * their length.
 *
 * Every character of a record is a digit. The panel writes a number that does not fit its field
 * with all its digits, and a negative one with a minus sign, so such a record comes out longer
 * than its layout. Which field grew cannot be told from the line, so the decoder does not guess:
 * such a line is invalid, and its problem says why (a minus sign, or too many digits).
 *
 * Lines of any length and any bytes are accepted; nothing is thrown but std::bad_alloc.
 * A decoded line allocates nothing: its fields are views of the text it was decoded from, so
 * they are valid as long as that text is.
 * This unit depends on nothing of the panel's core but the layout header, so that it can be
 * fuzzed on its own.
 */

enum class DataLineKind
{
    Start, ///< long layout, event "00": a job started
    Stop, ///< long layout, event "01": all timing stopped
    In, ///< short layout: an IN punch with a keyed number
    Invalid, ///< neither layout
};

/** How a line ended. Card-Warden's files end every line with CR LF. */
enum class LineEnd
{
    CrLf,
    LfOnly, ///< a line feed without the carriage return before it
    None, ///< the last line of the file, with no line end (a writer may be half-way through it)
};

/** Why a line is invalid. */
enum class DataLineProblem
{
    None,
    Empty,
    MinusSign, ///< a negative number; `column` is where the sign stands
    NotDigit, ///< `column` is the first character that is not a digit
    TooLong, ///< only digits, but more than the long layout's 64
    WrongLength, ///< only digits, but neither 24 nor 64 of them
    BadPrefix, ///< does not begin with "01"
    BadDate, ///< no such day
    BadTime, ///< no such time of day
    BadEventCode, ///< long layout with an event other than "00" or "01"
    BadClosingCode, ///< short layout that does not end with "00"
};

/** Date and time of a record, as written: minutes, no seconds. */
struct RecordStamp
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    bool operator==(const RecordStamp&) const = default;
};

struct DataLine
{
    std::size_t number = 0; ///< 1-based line number in the file
    DataLineKind kind = DataLineKind::Invalid;
    LineEnd end = LineEnd::CrLf;
    std::size_t length = 0; ///< bytes of the line, without its line end
    RecordStamp stamp; ///< valid for every kind but Invalid

    // Views of the line's text.
    std::string_view card; ///< long layout: 16 digits as written
    std::string_view jobCard; ///< long layout: 16 digits ("0000000000000000" in a stop)
    std::string_view activity; ///< long layout: 16 digits ("0000000000000000" in a stop)
    std::string_view keyed; ///< short layout: 8 digits

    DataLineProblem problem = DataLineProblem::None;
    std::size_t column = 0; ///< 1-based column of the fault, for MinusSign and NotDigit
    std::string_view excerpt; ///< the first bytes of an invalid line, as they stand (at most kExcerptLength)
};

inline constexpr std::size_t kExcerptLength = 40;

struct DecodedDataFile
{
    std::unique_ptr<const std::string> bytes; ///< the file's bytes, which the lines view
    std::vector<DataLine> lines; ///< every line of the file, in file order, invalid ones included
    std::size_t invalidCount = 0;
};

/**
 * Splits the bytes of a data file into lines and decodes each. A line ends at LF; a CR right
 * before it belongs to the line end. Text after the last LF is a last line without a line end
 * (a lone CR at its very end counts as the start of a line end). An empty file has no lines;
 * an empty line between two line ends is an invalid line.
 */
DecodedDataFile decodeDataFile(std::string bytes);

/**
 * Decodes one line (without its line end); `number` and `end` are stored as given. The fields of
 * the result view `line`.
 */
DataLine decodeDataLine(std::string_view line, std::size_t number, LineEnd end);

/** The kind as a word: "start", "stop", "IN", "invalid". */
std::string_view kindName(DataLineKind kind);

/** Why a line is invalid, as a short English phrase naming the column or the length. */
std::string describeProblem(const DataLine& line);

/** Days in `month` of `year` in the Gregorian calendar; 0 for a month outside 1 to 12. */
int daysInMonth(int year, int month);

} // namespace shiftloom::tool
