// SPDX-License-Identifier: MIT
#include "DataFileDecoder.h"

#include "timing/RecordLayout.h"

#include <cstdint>
#include <cstring>

namespace shiftloom::tool {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether every character of `text` is a digit, eight at a time: a byte is a digit when its high
// half is 3 and it stays so with 6 added (0x3a to 0x3f carry into the high half; no byte of such
// a word carries into the next).
bool allDigits(std::string_view text)
{
    constexpr std::uint64_t kHigh = 0xf0f0f0f0f0f0f0f0u, kThrees = 0x3030303030303030u, kSixes = 0x0606060606060606u;
    // The words are tested together, one branch for a whole record.
    std::size_t i = 0;
    std::uint64_t wrong = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, 8);
        wrong |= ((word & kHigh) ^ kThrees) | (((word + kSixes) & kHigh) ^ kThrees);
    }
    if (wrong != 0)
        return false;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return false;
    }
    return true;
}

// The value of the two digits at `at`; the caller has checked that they are digits.
int twoDigits(std::string_view text, std::size_t at)
{
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

} // namespace

int daysInMonth(int year, int month)
{
    switch (month) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
        return 31;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0 ? 29 : 28;
    default:
        return 0;
    }
}

namespace {

bool validStamp(const RecordStamp& stamp)
{
    return stamp.year >= 1 && stamp.day >= 1 && stamp.day <= daysInMonth(stamp.year, stamp.month) && stamp.hour <= 23
        && stamp.minute <= 59;
}

// The date and time of a record; the caller has checked that they are digits.
RecordStamp stampOf(std::string_view text)
{
    static_assert(record::date.length == 8 && record::year.offset == record::date.offset);
    const auto date = static_cast<int>(eightDigitsValue(text.data() + record::date.offset));
    return RecordStamp{date / 10000,
        date / 100 % 100,
        date % 100,
        twoDigits(text, record::hour.offset),
        twoDigits(text, record::minute.offset)};
}

// Decodes `text` into `line`: its kind and fields, or why it is invalid.
DataLineProblem decodeFields(std::string_view text, DataLine& line)
{
    if (text.empty())
        return DataLineProblem::Empty;
    if (!allDigits(text)) {
        std::size_t i = 0;
        while (isDigit(text[i]))
            ++i;
        line.column = i + 1;
        return text[i] == '-' ? DataLineProblem::MinusSign : DataLineProblem::NotDigit;
    }
    if (text.size() > record::longLength)
        return DataLineProblem::TooLong;
    if (text.size() != record::longLength && text.size() != record::shortLength)
        return DataLineProblem::WrongLength;
    if (record::prefix.of(text) != record::Prefix)
        return DataLineProblem::BadPrefix;

    const RecordStamp stamp = stampOf(text);
    if (stamp.year < 1 || stamp.day < 1 || stamp.day > daysInMonth(stamp.year, stamp.month))
        return DataLineProblem::BadDate;
    if (stamp.hour > 23 || stamp.minute > 59)
        return DataLineProblem::BadTime;
    line.stamp = stamp;

    if (text.size() == record::longLength) {
        const std::string_view event = record::event.of(text);
        if (event == record::StartEvent)
            line.kind = DataLineKind::Start;
        else if (event == record::StopEvent)
            line.kind = DataLineKind::Stop;
        else
            return DataLineProblem::BadEventCode;
        line.card = record::card.of(text);
        line.jobCard = record::jobCard.of(text);
        line.activity = record::activity.of(text);
    } else {
        if (record::closing.of(text) != record::Closing)
            return DataLineProblem::BadClosingCode;
        line.kind = DataLineKind::In;
        line.keyed = record::keyed.of(text);
    }
    return DataLineProblem::None;
}

} // namespace

DateMemo DateMemo::of(std::uint64_t digits)
{
    static_assert(record::date.length == sizeof digits);
    char text[sizeof digits];
    std::memcpy(text, &digits, sizeof digits);
    const auto date = static_cast<int>(eightDigitsValue(text));
    const RecordStamp day{date / 10000, date / 100 % 100, date % 100, 0, 0};
    return DateMemo{digits, day.year, day.month, day.day, validStamp(day)};
}

bool readStartOrStop(std::string_view text, RecordStamp& stamp, bool& start)
{
    DateMemo memo;
    return readStartOrStop(text, stamp, start, memo);
}

void decodeDataLine(std::string_view text, std::size_t number, LineEnd end, DataLine& line)
{
    line.number = number;
    line.end = end;
    line.length = text.size();
    line.column = 0;
    line.card = line.jobCard = line.activity = line.keyed = line.excerpt = {};
    line.problem = decodeFields(text, line);
    if (line.problem != DataLineProblem::None) {
        line.kind = DataLineKind::Invalid;
        line.stamp = {};
        line.excerpt = text.substr(0, kExcerptLength);
    }
}

DataLine decodeDataLine(std::string_view text, std::size_t number, LineEnd end)
{
    DataLine line;
    decodeDataLine(text, number, end, line);
    return line;
}

DecodedDataFile decodeDataFile(std::string content)
{
    DecodedDataFile file;
    file.bytes = std::make_unique<const std::string>(std::move(content));
    std::size_t number = 0;
    forEachDataLine(*file.bytes, true, [&file, &number](std::string_view text, LineEnd end) {
        DataLine line = decodeDataLine(text, ++number, end);
        if (line.kind == DataLineKind::Invalid)
            ++file.invalidCount;
        file.lines.push_back(std::move(line));
    });
    return file;
}

std::string_view kindName(DataLineKind kind)
{
    switch (kind) {
    case DataLineKind::Start:
        return "start";
    case DataLineKind::Stop:
        return "stop";
    case DataLineKind::In:
        return "IN";
    case DataLineKind::Invalid:
        break;
    }
    return "invalid";
}

std::string describeProblem(const DataLine& line)
{
    const std::string_view text = line.excerpt;
    switch (line.problem) {
    case DataLineProblem::None:
        return {};
    case DataLineProblem::Empty:
        return "empty line";
    case DataLineProblem::MinusSign:
        return "minus sign at column " + std::to_string(line.column) + " (a negative number)";
    case DataLineProblem::NotDigit:
        return "not a digit at column " + std::to_string(line.column);
    case DataLineProblem::TooLong:
        return std::to_string(line.length) + " digits, more than the 64 of a record (a number too long for its field)";
    case DataLineProblem::WrongLength:
        return std::to_string(line.length) + " digits, neither a 24- nor a 64-digit record";
    case DataLineProblem::BadPrefix:
        return "does not begin with 01";
    case DataLineProblem::BadDate:
        return "no such date " + std::string(record::date.of(text));
    case DataLineProblem::BadTime:
        return "no such time of day " + std::string(record::time.of(text));
    case DataLineProblem::BadEventCode:
        return "event code " + std::string(record::event.of(text)) + ", expected 00 (start) or 01 (stop)";
    case DataLineProblem::BadClosingCode:
        return "IN record ending in " + std::string(record::closing.of(text)) + ", expected 00";
    }
    return "invalid";
}

} // namespace shiftloom::tool
