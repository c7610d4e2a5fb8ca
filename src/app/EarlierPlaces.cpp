// SPDX-License-Identifier: MIT
#include "EarlierPlaces.h"

#include "app/DataFolder.h"
#include "app/StorePaths.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"

namespace shiftloom {
namespace {

#ifndef _WIN32
// Where earlier versions looked for the registration: the Windows directory, c:\windows.
std::string earlierRegistration()
{
    return storeFile(platform::kEarlierFolder, "windows\\" + std::string(kCardWardenIniName));
}

// Moves `from` to `to` where `to` is not there yet, making its folder.
void moveUnlessThere(platform::FileOps& files, const std::string& from, const std::string& to)
{
    if (!platform::canOpenForReading(files, from) || platform::canOpenForReading(files, to))
        return;
    if (files.makeFolder(to.substr(0, to.rfind('\\'))) == platform::FileError::None)
        files.replace(from, to);
}
#endif

} // namespace

void moveEarlierSetUp([[maybe_unused]] platform::FileOps& files)
{
#ifndef _WIN32
    moveUnlessThere(files, earlierRegistration(), platform::registrationFiles(kCardWardenIniName).front());
    // Drive C's folder may have been a store itself (a "DataLoc" of "c:\"): its files stay.
    if (platform::canOpenForReading(files, storeFile(platform::kEarlierFolder, kStoreMarkerName)))
        return;
    for (const std::string_view name : {kJobFileName, kActivityFileName})
        moveUnlessThere(files, storeFile(platform::kEarlierFolder, name), storeFile(FallbackDataFolder, name));
#endif
}

std::vector<std::string> registrationFiles()
{
    std::vector<std::string> files = platform::registrationFiles(kCardWardenIniName);
#ifndef _WIN32
    files.push_back(earlierRegistration());
#endif
    return files;
}

} // namespace shiftloom
