// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.h"

#include <chrono>
#include <string>
#include <string_view>

namespace shiftloom {

/** Hours, minutes and seconds as read from a time text; none of them is limited. */
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

/**
 * Adds one second with a clock's carries, each a test for equality: 60 seconds carry into the
 * minutes, 60 minutes into the hours, and 24 hours wrap to 0.
 */
TimeParts addOneSecond(TimeParts time);

/** A time as "hh:mm:ss", each part with at least two digits; hours are not wrapped. */
std::string timeText(std::chrono::seconds time);

/** The time since midnight of a clock reading. */
std::chrono::seconds timeOfDay(const platform::LocalDateTime& now);

/** The time a time text reads as (see `readTimeText`). */
std::chrono::seconds timeOf(const TimeParts& parts);

} // namespace shiftloom
