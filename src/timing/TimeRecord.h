// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.h"

#include <string>
#include <string_view>

namespace shiftloom {

/**
 * Time records: lines of digits that Card-Warden reads from the data file `data`.
 *
 * Long layout, 64 characters (a start record, a stop record):
 *     "01" date(8, yyyymmdd) time(4, hhmm) event(2: "00" start, "01" stop)
 *     card number(16) job card(16) activity number(16)
 * Short layout, 24 characters (an IN record):
 *     "01" date(8) time(4) keyed number(8) "00"
 * Numbers follow the number rule (see `numberField`): a value too long for its field keeps all
 * its digits, and a negative one gets a minus sign, so such a line is longer than its layout.
 * Date and time come from one reading of the clock; seconds are dropped, not rounded.
 */
/** A job started on the slot whose card is `slotCardText`, with the activity number `activityText`. */
std::string startRecord(const platform::LocalDateTime& now,
    std::string_view cardText,
    std::string_view slotCardText,
    std::string_view activityText);
/** Timing stopped (STOP ALL, or the end of the run with a slot running). */
std::string stopRecord(const platform::LocalDateTime& now, std::string_view cardText);
/** An IN punch of the number keyed on the keypad. */
std::string inRecord(const platform::LocalDateTime& now, std::string_view keyedText);

/** "yyyymmddhhmm" of a clock reading. */
std::string recordTimeStamp(const platform::LocalDateTime& now);

} // namespace shiftloom
