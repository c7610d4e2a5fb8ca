// SPDX-License-Identifier: MIT
#include "ActivityFile.h"

#include "platform/FileIo.h"

namespace shiftloom {

namespace {
constexpr std::size_t kFieldLength = 8;
constexpr std::string_view kItemSeparator = "  :  ";
} // namespace

Activity parseActivityLine(std::string_view line)
{
    Activity activity;
    activity.code = std::string(line.substr(0, kFieldLength));
    if (line.size() <= kFieldLength + 1)
        activity.number = std::string(line.substr(0, kFieldLength));
    else
        activity.number = std::string(line.substr(line.size() - kFieldLength - 1, kFieldLength));
    return activity;
}

std::string activityItem(std::string_view code, std::string_view number)
{
    std::string item(code);
    item += kItemSeparator;
    item += number;
    return item;
}

std::string_view itemCode(std::string_view item)
{
    return item.substr(0, kFieldLength);
}

std::string_view itemNumber(std::string_view item)
{
    return item.size() <= kFieldLength ? item : item.substr(item.size() - kFieldLength);
}

platform::FileError readActivityItems(platform::FileOps& files, std::string_view path, std::vector<std::string>& items)
{
    items.clear();
    std::vector<std::string> lines;
    const platform::FileError error = platform::readTextLines(files, path, lines);
    if (error != platform::FileError::None)
        return error;
    items.reserve(lines.size());
    for (const std::string& line : lines) {
        const Activity activity = parseActivityLine(line);
        items.push_back(activityItem(activity.code, activity.number));
    }
    return platform::FileError::None;
}

} // namespace shiftloom
