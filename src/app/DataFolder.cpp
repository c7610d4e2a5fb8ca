// SPDX-License-Identifier: MIT
#include "DataFolder.h"

#include "app/StorePaths.h"
#include "platform/FileIo.h"

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
    std::string_view windowsDir,
    const std::function<void()>& askWorker)
{
    std::string folder = settings.read(keys::DataLoc);
    if (folder.empty()) {
        const std::string ini = std::string(windowsDir) + std::string(kCardWardenIniName);
        if (platform::canOpenForReading(files, ini)) {
            const std::string named = scanCardWardenIni(files, ini);
            if (!named.empty())
                settings.write(keys::DataLoc, named);
        }
    }
    if (settings.read(keys::DataLoc).empty())
        askWorker();
    return settings.read(keys::DataLoc);
}

} // namespace shiftloom
