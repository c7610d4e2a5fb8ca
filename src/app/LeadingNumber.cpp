// SPDX-License-Identifier: MIT
#include "LeadingNumber.h"

#include <algorithm>

namespace shiftloom {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Adds one to a string of decimal digits.
void incrementDigits(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

bool DecimalNumber::isZero() const
{
    return integerDigits.empty() && fractionDigits.find_first_not_of('0') == std::string::npos;
}

DecimalNumber readLeadingNumber(std::string_view text)
{
    DecimalNumber number;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        number.negative = text[i] == '-';
        ++i;
    }
    bool sawDigit = false;
    bool sawPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isBlank(c))
            continue;
        if (isDigit(c)) {
            sawDigit = true;
            if (sawPoint)
                number.fractionDigits.push_back(c);
            else if (!(number.integerDigits.empty() && c == '0'))
                number.integerDigits.push_back(c);
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit)
        return DecimalNumber{};
    if (number.isZero())
        number.negative = false;
    return number;
}

std::string formatWholeNumber(const DecimalNumber& number, std::size_t width)
{
    std::string digits = number.integerDigits;
    if (!number.fractionDigits.empty() && number.fractionDigits.front() >= '5')
        incrementDigits(digits);
    const bool negative = number.negative && !digits.empty();
    digits = zeroPadded(digits, width);
    return negative ? "-" + digits : digits;
}

std::string zeroPadded(std::string_view digits, std::size_t width)
{
    std::string padded;
    if (digits.size() < width)
        padded.assign(width - digits.size(), '0');
    padded += digits;
    return padded;
}

std::string numberField(std::string_view text, std::size_t width)
{
    return formatWholeNumber(readLeadingNumber(text), width);
}

std::uint64_t countFromText(std::string_view text, std::uint64_t cap)
{
    const DecimalNumber number = readLeadingNumber(text);
    if (number.negative)
        return 0;
    std::uint64_t count = 0;
    for (char c : number.integerDigits) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (digit > cap || count > (cap - digit) / 10)
            return cap;
        count = count * 10 + digit;
    }
    return std::min(count, cap);
}

} // namespace shiftloom
