// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace shiftloom {

/** A decimal number of any length, as read from text: no overflow, no floating point. */
struct DecimalNumber
{
    bool negative = false;
    std::string integerDigits; ///< without leading zeros; empty for 0
    std::string fractionDigits; ///< the digits after the decimal point, as read

    bool isZero() const;
};

/**
 * The leading-number rule, used for every number the program reads out of text:
 *
 *     text    := blank* sign? blank* digits-with-point ...
 *     sign    := "-" | "+"
 *     digits-with-point := (digit | blank)* ("." (digit | blank)*)?   at least one digit in all
 *
 * Blanks (space, tab, line feed) are skipped wherever they occur; digits, with at most one
 * decimal point, are taken up to the first other character; a minus sign before the digits makes
 * the value negative. A text that does not begin with such a number (empty, a letter first, a
 * lone sign or point) gives 0.
 */
DecimalNumber readLeadingNumber(std::string_view text);

/**
 * Rounds to a whole number, a half away from zero, and writes it in decimal, filled with zeros on
 * the left to `width` digits. A value with more digits keeps all of them; a negative value is a
 * minus sign followed by the zero-filled digits; a value that rounds to zero has no sign.
 */
std::string formatWholeNumber(const DecimalNumber& number, std::size_t width);

/** `digits` filled with zeros on the left to `width` characters; longer text is kept whole. */
std::string zeroPadded(std::string_view digits, std::size_t width);

/** The number rule of the time records: the two steps above on one text. */
std::string numberField(std::string_view text, std::size_t width);

/**
 * How many records a count read from text asks for: the whole part of a non-negative value
 * (3.7 asks for 3), 0 for negative values, and at most `cap`.
 */
std::uint64_t countFromText(std::string_view text, std::uint64_t cap);

} // namespace shiftloom
