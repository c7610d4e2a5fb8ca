// SPDX-License-Identifier: MIT
#pragma once

#include "timing/RecordLayout.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
/**
 * The same into `into`, whose every field is set again: a reader of many lines keeps one DataLine
 * for all of them rather than clearing a new one for each.
 */
void decodeDataLine(std::string_view line, std::size_t number, LineEnd end, DataLine& into);

/**
 * Reads a line that is a start or stop record straight from its digits: its date and time, and
 * whether it starts. True exactly when decodeDataLine would decode the line as a start or stop;
 * its card, job card and activity are then the fields of the layout (record::card and so on).
 * The report reads nearly every line so; decodeDataLine reads every field on its own way, and the
 * fuzz target holds the two to the same answers.
 */
bool readStartOrStop(std::string_view line, RecordStamp& stamp, bool& start);

/** The date a reader of many lines read last: most records repeat the date of the one before. */
struct DateMemo
{
    std::uint64_t digits = 0; ///< the eight digits as they stand, or none
    int year = 0;
    int month = 0;
    int day = 0;
    bool valid = false; ///< a day of the calendar
    static DateMemo of(std::uint64_t digits);
};

/** Whether the 64 bytes at `text` are digits. */
inline bool sixtyFourDigits(const char* text)
{
#if defined(__GNUC__) || defined(__clang__)
    // Sixteen bytes at a time: a byte minus '0' is above 9 (unsigned) unless it is a digit.
    typedef unsigned char Bytes __attribute__((vector_size(16)));
    Bytes wrong{};
    for (int at = 0; at < 64; at += 16) {
        Bytes bytes;
        std::memcpy(&bytes, text + at, sizeof bytes);
        wrong |= reinterpret_cast<Bytes>(bytes - static_cast<unsigned char>('0') > 9);
    }
    std::uint64_t halves[2];
    std::memcpy(halves, &wrong, sizeof halves);
    return (halves[0] | halves[1]) == 0;
#else
    for (int at = 0; at < 64; ++at) {
        if (text[at] < '0' || text[at] > '9')
            return false;
    }
    return true;
#endif
}

/**
 * readStartOrStop for a reader of many lines, which keeps `memo` for all of them and reads a
 * line's date only when its digits differ from those of the line before.
 */
inline bool readStartOrStop(std::string_view text, RecordStamp& stamp, bool& start, DateMemo& memo)
{
    static_assert(record::longLength == 64 && record::prefix.offset == 0 && record::date.length == 8);
    if (text.size() != record::longLength || !sixtyFourDigits(text.data()))
        return false;
    // Two digits as one number of their bytes: prefix "01", event "00" or "01".
    auto pair = [&text](std::size_t at) {
        return (static_cast<unsigned>(text[at]) << 8) | static_cast<unsigned>(text[at + 1]);
    };
    constexpr unsigned zero = ('0' << 8) | '0', one = ('0' << 8) | '1';
    const unsigned event = pair(record::event.offset);
    if (pair(record::prefix.offset) != one || (event != zero && event != one))
        return false;
    std::uint64_t date = 0;
    std::memcpy(&date, text.data() + record::date.offset, sizeof date);
    if (date != memo.digits)
        memo = DateMemo::of(date);
    const int hour = (text[record::hour.offset] - '0') * 10 + (text[record::hour.offset + 1] - '0');
    const int minute = (text[record::minute.offset] - '0') * 10 + (text[record::minute.offset + 1] - '0');
    if (!memo.valid || hour > 23 || minute > 59)
        return false;
    stamp = RecordStamp{memo.year, memo.month, memo.day, hour, minute};
    start = event == zero;
    return true;
}

/**
 * Splits `bytes` into lines as decodeDataFile splits a whole file and calls visit(text, end) for
 * each: a line ends at LF, and a CR right before it belongs to the line end. Text after the last LF
 * is, when `final`, a last line without a line end (a lone CR at its very end counts as the start
 * of a line end); otherwise it is left for the bytes that follow. Returns the bytes left.
 */
template<typename Visit> std::size_t forEachDataLine(std::string_view bytes, bool final, Visit&& visit)
{
    std::size_t begin = 0;
    for (std::size_t lf = bytes.find('\n'); lf != std::string_view::npos; lf = bytes.find('\n', begin)) {
        std::string_view text = bytes.substr(begin, lf - begin);
        LineEnd end = LineEnd::LfOnly;
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
            end = LineEnd::CrLf;
        }
        visit(text, end);
        begin = lf + 1;
    }
    if (!final || begin == bytes.size())
        return bytes.size() - begin;
    std::string_view text = bytes.substr(begin);
    if (text.back() == '\r')
        text.remove_suffix(1);
    visit(text, LineEnd::None);
    return 0;
}

/** The kind as a word: "start", "stop", "IN", "invalid". */
std::string_view kindName(DataLineKind kind);

/** Why a line is invalid, as a short English phrase naming the column or the length. */
std::string describeProblem(const DataLine& line);

/** Days in `month` of `year` in the Gregorian calendar; 0 for a month outside 1 to 12. */
int daysInMonth(int year, int month);

/**
 * The value of eight digits (the caller has checked that they are digits), all at once where
 * words are little-endian: the digits of a word are paired to numbers of two, then four, then
 * eight digits.
 */
inline std::uint64_t eightDigitsValue(const char* digits)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t word = 0;
        std::memcpy(&word, digits, 8);
        word -= 0x3030303030303030u;
        word = (word * 10 + (word >> 8)) & 0x00ff00ff00ff00ffu;
        word = (word * 100 + (word >> 16)) & 0x0000ffff0000ffffu;
        return (word * 10000 + (word >> 32)) & 0xffffffffu;
    } else {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value = value * 10 + static_cast<std::uint64_t>(digits[i] - '0');
        return value;
    }
}

} // namespace shiftloom::tool
