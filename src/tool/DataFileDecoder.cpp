// SPDX-License-Identifier: MIT
#include "DataFileDecoder.h"

namespace shiftloom::tool {
namespace {

constexpr std::string_view kRecordPrefix = "01";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of `count` digits at `at`; the caller has checked that they are digits.
int digitsValue(std::string_view text, std::size_t at, std::size_t count)
{
    int value = 0;
    for (std::size_t i = at; i < at + count && i < text.size(); ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// A piece of `text` that is empty rather than out of range when the text is too short.
std::string_view pieceOf(std::string_view text, std::size_t at, std::size_t count)
{
    return at < text.size() ? text.substr(at, count) : std::string_view{};
}

DataLine invalidLine(DataLine line, std::string_view text, DataLineProblem problem, std::size_t column = 0)
{
    line.kind = DataLineKind::Invalid;
    line.problem = problem;
    line.column = column;
    line.excerpt = std::string(text.substr(0, kExcerptLength));
    return line;
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

DataLine decodeDataLine(std::string_view text, std::size_t number, LineEnd end)
{
    DataLine line;
    line.number = number;
    line.end = end;
    line.length = text.size();

    if (text.empty())
        return invalidLine(std::move(line), text, DataLineProblem::Empty);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return invalidLine(
                std::move(line), text, text[i] == '-' ? DataLineProblem::MinusSign : DataLineProblem::NotDigit, i + 1);
    }
    if (text.size() > kLongRecordLength)
        return invalidLine(std::move(line), text, DataLineProblem::TooLong);
    if (text.size() != kLongRecordLength && text.size() != kShortRecordLength)
        return invalidLine(std::move(line), text, DataLineProblem::WrongLength);
    if (text.substr(0, 2) != kRecordPrefix)
        return invalidLine(std::move(line), text, DataLineProblem::BadPrefix);

    // Positions 3-10 the date, 11-14 the time (0-based offsets 2 and 10).
    RecordStamp stamp{digitsValue(text, 2, 4),
        digitsValue(text, 6, 2),
        digitsValue(text, 8, 2),
        digitsValue(text, 10, 2),
        digitsValue(text, 12, 2)};
    if (stamp.year < 1 || stamp.day < 1 || stamp.day > daysInMonth(stamp.year, stamp.month))
        return invalidLine(std::move(line), text, DataLineProblem::BadDate);
    if (stamp.hour > 23 || stamp.minute > 59)
        return invalidLine(std::move(line), text, DataLineProblem::BadTime);
    line.stamp = stamp;

    if (text.size() == kLongRecordLength) {
        const std::string_view event = text.substr(14, 2);
        if (event == "00")
            line.kind = DataLineKind::Start;
        else if (event == "01")
            line.kind = DataLineKind::Stop;
        else
            return invalidLine(std::move(line), text, DataLineProblem::BadEventCode);
        line.card = std::string(text.substr(16, 16));
        line.jobCard = std::string(text.substr(32, 16));
        line.activity = std::string(text.substr(48, 16));
    } else {
        if (text.substr(22, 2) != "00")
            return invalidLine(std::move(line), text, DataLineProblem::BadClosingCode);
        line.kind = DataLineKind::In;
        line.keyed = std::string(text.substr(14, 8));
    }
    return line;
}

DecodedDataFile decodeDataFile(std::string_view bytes)
{
    DecodedDataFile file;
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
        return "no such date " + std::string(pieceOf(text, 2, 8));
    case DataLineProblem::BadTime:
        return "no such time of day " + std::string(pieceOf(text, 10, 4));
    case DataLineProblem::BadEventCode:
        return "event code " + std::string(pieceOf(text, 14, 2)) + ", expected 00 (start) or 01 (stop)";
    case DataLineProblem::BadClosingCode:
        return "IN record ending in " + std::string(pieceOf(text, 22, 2)) + ", expected 00";
    }
    return "invalid";
}

} // namespace shiftloom::tool
