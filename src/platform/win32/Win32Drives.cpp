// SPDX-License-Identifier: MIT
#include "platform/Drives.h"

#include <array>
#include <cctype>
#include <cstring>
#include <windows.h>

namespace shiftloom::platform {

std::vector<std::string> Win32DriveList::drives()
{
    // The roots come as "C:\", one after the other, each ended by a NUL, the list by a second one.
    std::vector<std::string> list;
    std::array<char, 26 * 4 + 1> roots{};
    const DWORD length = GetLogicalDriveStringsA(static_cast<DWORD>(roots.size()), roots.data());
    if (length == 0 || length > roots.size())
        return list;
    for (const char* root = roots.data(); *root != '\0'; root += std::strlen(root) + 1) {
        if (root[0] != '\0' && root[1] == ':')
            list.push_back(std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(root[0])))) + ":");
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
