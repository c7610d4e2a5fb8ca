// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace shiftloom {

/**
 * The folder used for the whole run when the data store cannot be used at start-up. On Windows,
 * where the user may not create files in the root of C:, the platform's path mapping puts this
 * folder's files in a per-user folder (`platform::Win32PathMapper`).
 */
inline constexpr std::string_view FallbackDataFolder = "c:\\";
/**
 * The local buffer of time records written while the store was out of reach. It is the data file
 * of `FallbackDataFolder` ("c:\" followed by "\data" names the same file).
 */
inline constexpr std::string_view OfflineBufferPath = "c:\\data";

inline constexpr std::string_view kDataFileName = "data";
inline constexpr std::string_view kJobFileName = "dep.dat";
inline constexpr std::string_view kActivityFileName = "activities.txt";
inline constexpr std::string_view kStoreMarkerName = "cardward.ini";
inline constexpr std::string_view kCardWardenIniName = "cwv5.ini";

/**
 * A file of the data store: the folder text, a backslash and the name, with nothing normalised
 * (a folder ending in "\" gives a doubled separator, which names the same file).
 */
inline std::string storeFile(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    path.push_back('\\');
    path.append(name);
    return path;
}

} // namespace shiftloom
