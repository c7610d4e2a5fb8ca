// SPDX-License-Identifier: MIT
#include "platform/Drives.h"
#include "platform/win32/WideText.h"

#include <array>
#include <cctype>
#include <cwchar>
#include <cwctype>
#include <windows.h>

namespace shiftloom::platform {
namespace {

/** The path text of a folder Windows gave, or `fallback` where the text cannot spell it. */
std::string folderText(std::wstring_view folder, std::string fallback)
{
    std::string text;
    return !folder.empty() && toPathText(folder, text) ? text : fallback;
}

} // namespace

std::vector<std::string> Win32DriveList::drives()
{
    // The roots come as "C:\", one after the other, each ended by a NUL, the list by a second one.
    std::vector<std::string> list;
    std::array<wchar_t, 26 * 4 + 1> roots{};
    const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
    if (length == 0 || length > roots.size())
        return list;
    for (const wchar_t* root = roots.data(); *root != L'\0'; root += std::wcslen(root) + 1) {
        if (root[0] < 0x80 && root[1] == L':')
            list.push_back(std::string(1, static_cast<char>(std::towlower(root[0]))) + ":");
    }
    return list;
}

std::string Win32DriveList::currentFolder(std::string_view drive)
{
    // "X:" names the current folder of drive X; its root stands in where the text cannot spell it.
    const std::wstring name = toWide(drive);
    std::wstring full(GetFullPathNameW(name.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length =
        full.empty() ? 0 : GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    const std::string root = std::string(drive) + "\\";
    return length == 0 || length >= full.size() ? root : folderText({full.data(), length}, root);
}

std::string Win32DriveList::processCurrentFolder()
{
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    const DWORD length = folder.empty() ? 0 : GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    return length == 0 || length >= folder.size() ? std::string("c:\\") : folderText({folder.data(), length}, "c:\\");
}

std::string Win32DriveList::driveOf(std::string_view folder)
{
    // As `drives` names it: the letter in lower case.
    if (folder.size() < 2 || folder[1] != ':')
        return "c:";
    return std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(folder[0])))) + ":";
}

} // namespace shiftloom::platform
