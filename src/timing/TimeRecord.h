// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.h"

#include <string>
#include <string_view>

namespace shiftloom {

/**
 * Time records: lines of digits that Card-Warden reads from the data file `data`.
 *
 * Long layout, 64 characters (`StartRecord`, `StopRecord`):
 *     "01" date(8, yyyymmdd) time(4, hhmm) event(2: "00" start, "01" stop)
 *     card number(16) job card(16) activity number(16)
 * Short layout, 24 characters (`InRecord`):
 *     "01" date(8) time(4) keyed number(8) "00"
 * Numbers follow the number rule (see `numberField`): a value too long for its field keeps all
 * its digits, and a negative one gets a minus sign, so such a line is longer than its layout.
 * Date and time come from one reading of the clock; seconds are dropped, not rounded.
 */
enum class TimeRecordKind
{
    StartRecord,
    StopRecord,
    InRecord,
};

std::string MakeStartRecord(const platform::LocalDateTime& now,
    std::string_view cardText,
    std::string_view slotCardText,
    std::string_view activityText);
std::string MakeStopRecord(const platform::LocalDateTime& now, std::string_view cardText);
std::string MakeInRecord(const platform::LocalDateTime& now, std::string_view keyedText);

/** "yyyymmddhhmm" of a clock reading. */
std::string recordTimeStamp(const platform::LocalDateTime& now);

} // namespace shiftloom
