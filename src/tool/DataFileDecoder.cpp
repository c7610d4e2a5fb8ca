// SPDX-License-Identifier: MIT
#include "DataFileDecoder.h"

#include "timing/RecordLayout.h"

namespace shiftloom::tool {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of the digits of `field`; the caller has checked that they are digits.
int digitsValue(std::string_view text, RecordField field)
{
    int value = 0;
    for (const char c : field.of(text))
        value = value * 10 + (c - '0');
    return value;
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
    if (text.size() > record::longLength)
        return invalidLine(std::move(line), text, DataLineProblem::TooLong);
    if (text.size() != record::longLength && text.size() != record::shortLength)
        return invalidLine(std::move(line), text, DataLineProblem::WrongLength);
    if (record::prefix.of(text) != record::Prefix)
        return invalidLine(std::move(line), text, DataLineProblem::BadPrefix);

    RecordStamp stamp{digitsValue(text, record::year),
        digitsValue(text, record::month),
        digitsValue(text, record::day),
        digitsValue(text, record::hour),
        digitsValue(text, record::minute)};
    if (stamp.year < 1 || stamp.day < 1 || stamp.day > daysInMonth(stamp.year, stamp.month))
        return invalidLine(std::move(line), text, DataLineProblem::BadDate);
    if (stamp.hour > 23 || stamp.minute > 59)
        return invalidLine(std::move(line), text, DataLineProblem::BadTime);
    line.stamp = stamp;

    if (text.size() == record::longLength) {
        const std::string_view event = record::event.of(text);
        if (event == record::StartEvent)
            line.kind = DataLineKind::Start;
        else if (event == record::StopEvent)
            line.kind = DataLineKind::Stop;
        else
            return invalidLine(std::move(line), text, DataLineProblem::BadEventCode);
        line.card = std::string(record::card.of(text));
        line.jobCard = std::string(record::jobCard.of(text));
        line.activity = std::string(record::activity.of(text));
    } else {
        if (record::closing.of(text) != record::Closing)
            return invalidLine(std::move(line), text, DataLineProblem::BadClosingCode);
        line.kind = DataLineKind::In;
        line.keyed = std::string(record::keyed.of(text));
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
