// SPDX-License-Identifier: MIT
#include "WindowsPath.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace shiftloom::platform {
namespace {

bool isDriveLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) : std::string("/tmp");
}

std::string envOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

} // namespace

Win32PathMapper::Win32PathMapper(std::string rootOfC)
    : m_rootOfC(std::move(rootOfC))
{
}

std::string Win32PathMapper::toHost(std::string_view windowsPath) const
{
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    const bool onC =
        windowsPath.size() >= 2 && (windowsPath[0] == 'c' || windowsPath[0] == 'C') && windowsPath[1] == ':';
    if (m_rootOfC.empty() || !onC)
        return std::string(windowsPath);
    std::string_view rest = windowsPath.substr(2);
    if (!rest.empty() && !separator(rest.front()))
        return std::string(windowsPath); // "c:name" is relative to the current folder of C:
    while (!rest.empty() && separator(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty())
        return m_rootOfC;
    if (std::find_if(rest.begin(), rest.end(), separator) != rest.end())
        return std::string(windowsPath); // a file in a folder of C: is not moved
    return m_rootOfC + "\\" + std::string(rest);
}

PosixPathMapper::PosixPathMapper(std::string dataHome)
    : m_dataHome(std::move(dataHome))
{
}

std::string PosixPathMapper::driveFolderPath(char letter) const
{
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    return m_dataHome + "/" + std::string(kHostFolderName) + "/drive_" + lower;
}

std::string PosixPathMapper::driveFolder(char letter) const
{
    std::string folder = driveFolderPath(letter);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::string PosixPathMapper::toHost(std::string_view windowsPath) const
{
    // The program's texts are Windows-1252; the host's file names are UTF-8.
    const std::string utf8 = cp1252ToUtf8(windowsPath);
    std::string prefix;
    std::string_view rest = utf8;
    if (rest.size() >= 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
        prefix = driveFolder(rest[0]);
        rest.remove_prefix(2);
        // "c:" alone and "c:\" both name the root of the drive folder.
        if (rest.empty())
            return prefix;
        if (rest.front() != '\\' && rest.front() != '/')
            prefix.push_back('/');
    }
    std::string out = prefix;
    out.reserve(prefix.size() + rest.size());
    for (char c : rest) {
        const char mapped = c == '\\' ? '/' : c;
        if (mapped == '/' && !out.empty() && out.back() == '/')
            continue;
        out.push_back(mapped);
    }
    return out;
}

std::string xdgDataHome()
{
    return envOr("XDG_DATA_HOME", homeFolder() + "/.local/share");
}

std::string xdgConfigHome()
{
    return envOr("XDG_CONFIG_HOME", homeFolder() + "/.config");
}

std::string xdgStateHome()
{
    return envOr("XDG_STATE_HOME", homeFolder() + "/.local/state");
}

std::string recordSpoolPath()
{
#ifdef _WIN32
    const std::string folder = envOr("LOCALAPPDATA", envOr("TEMP", "c:\\temp")) + "\\Ovix\\Shift-Loom";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder + "\\spool";
#else
    const std::string folder = xdgStateHome() + "/" + std::string(kHostFolderName);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    // Path texts are Windows-1252; the path mapper turns this one back into the host's UTF-8 name.
    return utf8ToCp1252(folder + "/spool");
#endif
}

#ifndef _WIN32
std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size)
{
    static constexpr char kWindowsDir[] = "c:\\windows";
    constexpr std::uint32_t length = sizeof(kWindowsDir) - 1;
    if (buffer == nullptr || size <= length)
        return length + 1;
    std::memcpy(buffer, kWindowsDir, length + 1);
    return length;
}
#endif

} // namespace shiftloom::platform
