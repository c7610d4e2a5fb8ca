// SPDX-License-Identifier: MIT
#pragma once

#ifdef _WIN32
#include "platform/Cp1252.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileOps.h"
#else
#include "platform/posix/PosixFileOps.h"
#endif

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace shiftloom::test {

#ifdef _WIN32
/**
 * The root of C: and the Windows directory in a folder of the test, so that tests never touch the
 * real c:\data or the real cwv5.ini: "c:\data" is `root`\data, "c:\windows\cwv5.ini" is
 * `root`\windows\cwv5.ini; "<own>" is `ownFolder`, or the user's own folder as `setStateHome` last set it; every
 * other path (the temporary folders too) is itself.
 */
class HostPathMapper final : public platform::PathMapper
{
public:
    explicit HostPathMapper(std::string root, std::string ownFolder = {})
        : m_root(std::move(root))
        , m_ownFolder(std::move(ownFolder))
    {
    }
    std::string toHost(std::string_view windowsPath) const override
    {
        std::string head(windowsPath.substr(0, 11));
        for (char& c : head)
            c = c == '/' ? '\\' : static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (head == "c:\\windows\\")
            return m_root + "\\windows\\" + platform::cp1252ToUtf8(windowsPath.substr(11));
        // Unless given, the own folder is looked up at each call: a fixture may set it later.
        return platform::Win32PathMapper(m_root, m_ownFolder.empty() ? platform::ownStateFolder() : m_ownFolder)
            .toHost(windowsPath);
    }

private:
    std::string m_root;
    std::string m_ownFolder;
};
/** The real file operations of the system the tests run on. */
using HostFileOps = platform::Win32FileOps;
/**
 * Makes `folder` the home of the per-user state: %LOCALAPPDATA%, which `ownStateFolder()` takes
 * where it names another folder than the known one.
 */
inline void setStateHome(const std::string& folder)
{
    ::_wputenv_s(L"LOCALAPPDATA", platform::toWide(folder).c_str());
}
#else
using HostPathMapper = platform::PosixPathMapper;
/** The real file operations of the system the tests run on. */
using HostFileOps = platform::PosixFileOps;
inline void setStateHome(const std::string& folder)
{
    ::setenv("XDG_STATE_HOME", folder.c_str(), 1);
}
#endif

/**
 * The path mapping of the tests, with the account's places below the folder `home` and "<own>" `ownFolder` where
 * given. On Windows the root of C: is `home`/drive_c (made here). On POSIX the XDG data, configuration and state
 * folders are `home`, `home`/config and `home`/xdg, in the environment too, so that the platform's lists agree.
 */
inline HostPathMapper hostPaths(const std::string& home, const std::string& ownFolder = {})
{
#ifdef _WIN32
    std::filesystem::create_directories(home + "\\drive_c");
    return HostPathMapper(home + "\\drive_c", ownFolder);
#else
    ::setenv("XDG_DATA_HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (home + "/xdg").c_str(), 1);
    platform::PosixPlaces places = platform::posixPlaces();
    places.own = ownFolder.empty() ? places.own : ownFolder;
    return HostPathMapper(std::move(places));
#endif
}

} // namespace shiftloom::test
