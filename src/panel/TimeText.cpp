// SPDX-License-Identifier: MIT
#include "TimeText.h"

#include "app/LeadingNumber.h"

namespace shiftloom {
namespace {

// Reads one piece: leading blanks, an optional sign, digits and at most one decimal point, up to
// the first character that cannot continue the number.
long long readPiece(std::string_view piece)
{
    std::size_t i = 0;
    while (i < piece.size() && (piece[i] == ' ' || piece[i] == '\t'))
        ++i;
    std::size_t end = i;
    if (end < piece.size() && (piece[end] == '-' || piece[end] == '+'))
        ++end;
    bool point = false;
    while (end < piece.size()) {
        const char c = piece[end];
        if (c >= '0' && c <= '9') {
            ++end;
        } else if (c == '.' && !point) {
            point = true;
            ++end;
        } else {
            break;
        }
    }
    // The piece is at most two characters long, so its value always fits.
    const std::string digits = formatWholeNumber(readLeadingNumber(piece.substr(i, end - i)), 1);
    return std::stoll(digits);
}

std::string twoDigits(long long value)
{
    return zeroPadded(std::to_string(value), 2);
}

std::string_view pieceAt(std::string_view text, std::size_t start, std::size_t length)
{
    if (start >= text.size())
        return {};
    return text.substr(start, length);
}

} // namespace

TimeParts readTimeText(std::string_view text)
{
    TimeParts time;
    time.hours = readPiece(pieceAt(text, 0, 2));
    time.minutes = readPiece(pieceAt(text, 3, 2));
    time.seconds = readPiece(text.size() <= 2 ? text : text.substr(text.size() - 2));
    return time;
}

TimeParts addOneSecond(TimeParts time)
{
    time.seconds += 1;
    if (time.seconds == 60) {
        time.seconds = 0;
        time.minutes += 1;
    }
    if (time.minutes == 60) {
        time.minutes = 0;
        time.hours += 1;
    }
    if (time.hours == 24)
        time.hours = 0;
    return time;
}

std::string timeText(std::chrono::seconds time)
{
    const long long total = time.count();
    return twoDigits(total / 3600) + ":" + twoDigits(total / 60 % 60) + ":" + twoDigits(total % 60);
}

std::chrono::seconds timeOfDay(const platform::LocalDateTime& now)
{
    return std::chrono::seconds(now.hour * 3600LL + now.minute * 60LL + now.second);
}

std::chrono::seconds timeOf(const TimeParts& parts)
{
    return std::chrono::seconds(parts.hours * 3600 + parts.minutes * 60 + parts.seconds);
}

} // namespace shiftloom
