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
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, 8);
        if ((word & kHigh) != kThrees || ((word + kSixes) & kHigh) != kThrees)
            return false;
    }
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return false;
    }
    return true;
}

// The value of the digits of `field` of a line of the field's length at least; the caller has
// checked that they are digits.
int digitsValue(std::string_view text, RecordField field)
{
    int value = 0;
    for (std::size_t i = field.offset; i < field.end(); ++i)
        value = value * 10 + (text[i] - '0');
    return value;
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

    RecordStamp stamp{digitsValue(text, record::year),
        digitsValue(text, record::month),
        digitsValue(text, record::day),
        digitsValue(text, record::hour),
        digitsValue(text, record::minute)};
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

DataLine decodeDataLine(std::string_view text, std::size_t number, LineEnd end)
{
    DataLine line;
    line.number = number;
    line.end = end;
    line.length = text.size();
    line.problem = decodeFields(text, line);
    if (line.problem != DataLineProblem::None) {
        line.kind = DataLineKind::Invalid;
        line.excerpt = text.substr(0, kExcerptLength);
    }
    return line;
}

DecodedDataFile decodeDataFile(std::string content)
{
    DecodedDataFile file;
    file.bytes = std::make_unique<const std::string>(std::move(content));
    const std::string_view bytes = *file.bytes;
    std::size_t number = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        std::string_view text;
        LineEnd end = LineEnd::None;
        if (lf == std::string_view::npos) {
            text = bytes.substr(start);
            start = bytes.size();
        } else {
            text = bytes.substr(start, lf - start);
            start = lf + 1;
            end = LineEnd::LfOnly;
        }
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
            if (end == LineEnd::LfOnly)
                end = LineEnd::CrLf;
        }
        DataLine line = decodeDataLine(text, ++number, end);
        if (line.kind == DataLineKind::Invalid)
            ++file.invalidCount;
        file.lines.push_back(std::move(line));
    }
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
