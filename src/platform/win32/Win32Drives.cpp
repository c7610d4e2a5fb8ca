// SPDX-License-Identifier: MIT
#include "platform/Drives.h"

#include <array>
#include <windows.h>

namespace shiftloom::platform {

std::vector<std::string> Win32DriveList::drives()
{
    std::vector<std::string> list;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (mask & (1u << i))
            list.push_back(std::string(1, static_cast<char>('a' + i)) + ":");
    }
    return list;
}

std::string Win32DriveList::currentFolder(std::string_view drive)
{
    // "X:" names the current folder of drive X.
    std::array<char, MAX_PATH> full{};
    const DWORD length =
        GetFullPathNameA(std::string(drive).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size())
        return std::string(drive) + "\\";
    return std::string(full.data(), length);
}

std::string Win32DriveList::processCurrentFolder()
{
    std::array<char, MAX_PATH> folder{};
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data());
    return length == 0 || length >= folder.size() ? std::string("c:\\") : std::string(folder.data(), length);
}

std::string Win32DriveList::driveOf(std::string_view folder)
{
    return folder.size() >= 2 && folder[1] == ':' ? std::string(folder.substr(0, 2)) : std::string("c:");
}

} // namespace shiftloom::platform
