// SPDX-License-Identifier: MIT
#include "ActivityList.h"

#include "app/StorePaths.h"
#include "platform/FileIo.h"

namespace shiftloom {

ActivityList::ActivityList(platform::FileOps& files, std::string_view dataFolder)
{
    const std::string path = storeFile(dataFolder, kActivityFileName);
    if (platform::canOpenForReading(files, path))
        readActivityItems(files, path, m_items);
}

std::string ActivityList::itemOf(const Activity& activity)
{
    return activityItem(activity.code, activity.number);
}

Activity ActivityList::activityOf(std::string_view item)
{
    return {std::string(itemCode(item)), std::string(itemNumber(item))};
}

} // namespace shiftloom
