// SPDX-License-Identifier: MIT
#pragma once

#ifdef _WIN32
#include "platform/win32/Win32FileOps.h"
#else
#include "platform/posix/PosixFileOps.h"
#endif

#include <algorithm>
#include <string>
#include <string_view>

namespace shiftloom::test {

#ifdef _WIN32
/**
 * The root of C: and the Windows directory in a folder of the test, so that tests never touch the
 * real c:\data or the real cwv5.ini: "c:\data" is `root`\data, "c:\windows\cwv5.ini" is
 * `root`\windows\cwv5.ini; every other path (the temporary folders too) is itself.
 */
class HostPathMapper final : public platform::PathMapper
{
public:
    explicit HostPathMapper(std::string root)
        : m_root(std::move(root))
    {
    }
    std::string toHost(std::string_view windowsPath) const override
    {
        auto separator = [](char c) { return c == '\\' || c == '/'; };
        if (windowsPath.size() < 2 || (windowsPath[0] != 'c' && windowsPath[0] != 'C') || windowsPath[1] != ':')
            return std::string(windowsPath);
        std::string_view rest = windowsPath.substr(2);
        while (!rest.empty() && separator(rest.front()))
            rest.remove_prefix(1);
        std::string lower(rest.substr(0, 8));
        for (char& c : lower)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const bool windowsFolder = lower.starts_with("windows") && (rest.size() == 7 || separator(rest[7]));
        if (!windowsFolder && std::find_if(rest.begin(), rest.end(), separator) != rest.end())
            return std::string(windowsPath);
        return m_root + "\\" + std::string(rest);
    }

private:
    std::string m_root;
};
/** The real file operations of the system the tests run on. */
using HostFileOps = platform::Win32FileOps;
#else
/** The real file operations and path mapping of the system the tests run on. */
using HostPathMapper = platform::PosixPathMapper;
using HostFileOps = platform::PosixFileOps;
#endif

/**
 * What a HostPathMapper takes so that "c:\" lies below the folder `home`: `home` itself on POSIX
 * (the drive folders are made below it), the folder `home`/drive_c (made here) on Windows.
 */
std::string mapperHome(const std::string& home);

} // namespace shiftloom::test
