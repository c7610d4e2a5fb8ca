// SPDX-License-Identifier: MIT
#pragma once

#include "app/ActivityFile.h"
#include "platform/FileOps.h"

#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/**
 * The activities of Card-Warden's `activities.txt`, as the activity dialog ("SELECT ACTIVITY")
 * lists them: one item per line, the code (the line's first 8 characters), "  :  " and the number
 * (the 8 characters before the line's last one). A missing file gives an empty list.
 */
class ActivityList final
{
public:
    /** Reads `activities.txt` of `dataFolder`. */
    ActivityList(platform::FileOps& files, std::string_view dataFolder);

    const std::vector<std::string>& items() const { return m_items; }

    /** An activity in the form of an item: what the dialog shows as its text. */
    static std::string itemOf(const Activity& activity);
    /** The activity of a picked item: its first 8 characters and its last 8. */
    static Activity activityOf(std::string_view item);

private:
    std::vector<std::string> m_items;
};

} // namespace shiftloom
