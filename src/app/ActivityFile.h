// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"

#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/**
 * Card-Warden's activity list `activities.txt`: one activity a line.
 *
 *     line := code(first 8 characters) anything number(the 8 characters before the last one) last
 *
 * A line of nine characters or fewer yields its first eight characters (or all of it) as the
 * number. An activity item, the text of one entry of the activity dialog's list, is the code,
 * "  :  " and the number; its first 8 characters are the code and its last 8 the number.
 */
struct Activity
{
    std::string code;
    std::string number;
    bool operator==(const Activity&) const = default;
};

Activity parseActivityLine(std::string_view line);
std::string activityItem(std::string_view code, std::string_view number);
/** The code of a picked item: its first 8 characters. */
std::string_view itemCode(std::string_view item);
/** The number of a picked item: its last 8 characters (all of it when shorter). */
std::string_view itemNumber(std::string_view item);

/** The items of the activity list at `path`, in file order. */
platform::FileError readActivityItems(platform::FileOps& files, std::string_view path, std::vector<std::string>& items);

} // namespace shiftloom
