// SPDX-License-Identifier: MIT
#include "DataFolder.h"

#include "app/StorePaths.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"

#include <vector>

namespace shiftloom {

std::string scanCardWardenIni(platform::FileOps& files, std::string_view iniPath)
{
    constexpr std::string_view kHeader = "[cardmain";
    std::vector<std::string> lines;
    if (platform::readTextLines(files, iniPath, lines) != platform::FileError::None)
        return {};
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (std::string_view(lines[i]).substr(0, kHeader.size()) == kHeader)
            return lines[i + 1];
    }
    return {};
}

std::string findDataFolder(SettingsStore& settings,
    platform::FileOps& files,
    const std::vector<std::string>& registrations,
    const std::function<void()>& askWorker)
{
    if (settings.read(keys::DataLoc).empty()) {
        for (const std::string& ini : registrations) {
            const std::string named =
                platform::canOpenForReading(files, ini) ? scanCardWardenIni(files, ini) : std::string();
            if (!named.empty()) {
                settings.write(keys::DataLoc, named);
                break;
            }
        }
    }
    if (settings.read(keys::DataLoc).empty())
        askWorker();
    std::string folder = settings.read(keys::DataLoc);
#ifndef _WIN32
    if (std::string moved = platform::earlierFolderText(folder); !moved.empty()) {
        settings.write(keys::DataLoc, moved);
        folder = std::move(moved);
    }
#endif
    return folder;
}

} // namespace shiftloom
