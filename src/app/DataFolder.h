// SPDX-License-Identifier: MIT
#pragma once

#include "app/SettingsStore.h"
#include "platform/FileOps.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom {

/**
 * Card-Warden's INI file `cwv5.ini` names the data store: the line right after the first line
 * whose first nine characters are "[cardmain" (case-sensitive), taken whole. Empty text when
 * there is no such header, or it is the last line.
 */
std::string scanCardWardenIni(platform::FileOps& files, std::string_view iniPath);

/**
 * Finds the data folder at start-up:
 *  1. the setting "DataLoc";
 *  2. when empty: the folder that the first of the `registrations` (`cwv5.ini` files, see
 *     `platform::registrationFiles`) naming one names, stored as "DataLoc";
 *  3. when still empty: the locate dialog, shown modally by `askWorker`, whose OK stores it.
 * Returns the setting read a third time; empty text means no folder is known. On Linux a folder
 * that an earlier version named with a drive letter is stored as the folder it stood for
 * (`platform::earlierFolderText`).
 */
std::string findDataFolder(SettingsStore& settings,
    platform::FileOps& files,
    const std::vector<std::string>& registrations,
    const std::function<void()>& askWorker);

} // namespace shiftloom
