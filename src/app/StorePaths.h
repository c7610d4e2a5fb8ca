// SPDX-License-Identifier: MIT
#pragma once

#include "platform/WindowsPath.h"

#include <string>
#include <string_view>

namespace shiftloom {

/**
 * The folder the panel reads while the data store is away (its records wait in the offline
 * buffer meanwhile): its job list and activity list. On Windows "c:\", which the platform's path
 * mapping puts in a per-user folder where the user may not create files in the root of C:
 * (`platform::Win32PathMapper`); on Linux the account's $XDG_DATA_HOME/Ovix_Shift-Loom.
 */
#ifdef _WIN32
inline constexpr std::string_view FallbackDataFolder = "c:\\";
#else
inline constexpr std::string_view FallbackDataFolder = platform::kLocalFolder;
#endif

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
