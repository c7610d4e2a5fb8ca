// SPDX-License-Identifier: MIT
#include "WindowsPath.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace shiftloom::platform {
namespace {

bool isDriveLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
#ifndef _WIN32
    // Without HOME the password database knows the user's home; a shared folder never stands in.
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir && *entry->pw_dir)
        return entry->pw_dir;
#endif
    return {};
}

std::string envOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

} // namespace

bool inOwnFolder(std::string_view path, std::string_view& rest)
{
    if (!path.starts_with(kOwnFolder))
        return false;
    rest = path.substr(kOwnFolder.size());
    if (!rest.empty() && rest.front() != '\\' && rest.front() != '/')
        return false;
    while (!rest.empty() && (rest.front() == '\\' || rest.front() == '/'))
        rest.remove_prefix(1);
    return true;
}

Win32PathMapper::Win32PathMapper(std::string rootOfC, std::string ownFolder)
    : m_rootOfC(std::move(rootOfC))
    , m_ownFolder(std::move(ownFolder))
{
}

std::string Win32PathMapper::toHost(std::string_view windowsPath) const
{
    // The program's texts are Windows-1252; host paths are UTF-8 (Win32FileOps makes them UTF-16).
    // The folders that stand for "<own>" and "c:\" come from the system as UTF-8 and stay so.
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (std::string_view rest; inOwnFolder(windowsPath, rest)) {
        if (m_ownFolder.empty())
            return {};
        std::string out = m_ownFolder;
        if (!rest.empty() && (out.empty() || !separator(out.back())))
            out.push_back('\\');
        for (const char c : cp1252ToUtf8(rest)) {
            if (!separator(c) || !separator(out.back()))
                out.push_back(separator(c) ? '\\' : c);
        }
        return out;
    }
    const bool onC =
        windowsPath.size() >= 2 && (windowsPath[0] == 'c' || windowsPath[0] == 'C') && windowsPath[1] == ':';
    if (m_rootOfC.empty() || !onC)
        return cp1252ToUtf8(windowsPath);
    std::string_view rest = windowsPath.substr(2);
    if (!rest.empty() && !separator(rest.front()))
        return cp1252ToUtf8(windowsPath); // "c:name" is relative to the current folder of C:
    while (!rest.empty() && separator(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty())
        return m_rootOfC;
    if (std::find_if(rest.begin(), rest.end(), separator) != rest.end())
        return cp1252ToUtf8(windowsPath); // a file in a folder of C: is not moved
    return m_rootOfC + "\\" + cp1252ToUtf8(rest);
}

PosixPathMapper::PosixPathMapper(std::string dataHome, std::string ownFolder)
    : m_dataHome(std::move(dataHome))
    , m_ownFolder(std::move(ownFolder))
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
    if (inOwnFolder(utf8, rest)) {
        if (m_ownFolder.empty())
            return {}; // no own folder (no home): nothing of it can be opened
        prefix = m_ownFolder;
        if (rest.empty())
            return prefix;
        prefix.push_back('/');
    } else if (rest.size() >= 2 && isDriveLetter(rest[0]) && rest[1] == ':') {
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

#ifndef _WIN32
std::string ownStateFolder()
{
    // Only an absolute XDG_STATE_HOME counts; a relative one is ignored, as the XDG rules say.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/" + std::string(kHostFolderName);
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.local/state/" + std::string(kHostFolderName);
}
#endif

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
