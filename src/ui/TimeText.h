// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.h"

#include <string>
#include <string_view>

namespace shiftloom {

/** Hours, minutes and seconds as read from a time text; hours are not limited. */
struct TimeParts
{
    long long hours = 0;
    long long minutes = 0;
    long long seconds = 0;
    bool operator==(const TimeParts&) const = default;
};

/**
 * Reads a time text "hh:mm:ss": the hours from its first two characters, the minutes from its
 * characters 4 and 5, the seconds from its last two characters. Each piece is read as a decimal
 * number (leading blanks skipped, reading stops at the first character that cannot continue the
 * number, a fraction rounded half away from zero); a piece with no number at its start reads 0.
 */
TimeParts readTimeText(std::string_view text);

/** Writes hours, minutes and seconds, each with at least two digits, separated by ":". */
std::string writeTimeText(const TimeParts& time);

/**
 * Adds one second with the clock's carries, each a test for equality: 60 seconds carry into the
 * minutes, 60 minutes into the hours, and 24 hours wrap to 0.
 */
TimeParts addOneSecond(TimeParts time);

/** The time of day of a clock reading as a time text of eight characters. */
std::string timeOfDayText(const platform::LocalDateTime& now);

} // namespace shiftloom
