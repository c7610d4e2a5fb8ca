// SPDX-License-Identifier: MIT
#include "platform/Cp1252.h"
#include "platform/WindowsPath.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace shiftloom::platform {
namespace {

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    // Without HOME the password database knows the user's home; a shared folder never stands in.
    if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_dir && *entry->pw_dir)
        return entry->pw_dir;
    return {};
}

// An XDG base directory: the variable `name` where it holds an absolute path (a relative one is
// ignored, as the XDG rules say), else `underHome` in the home folder; empty without a home.
std::string xdgFolder(const char* name, std::string_view underHome)
{
    const char* value = std::getenv(name);
    if (value && *value == '/')
        return value;
    const std::string home = homeFolder();
    return home.empty() ? home : home + "/" + std::string(underHome);
}

// The program's folder in an XDG base directory, empty where the base is.
std::string ours(const std::string& base)
{
    return base.empty() ? base : base + "/" + std::string(kHostFolderName);
}

} // namespace

std::string ownStateFolder()
{
    return ours(xdgFolder("XDG_STATE_HOME", ".local/state"));
}

PosixPlaces posixPlaces()
{
    PosixPlaces places;
    places.own = ownStateFolder();
    places.local = ours(xdgFolder("XDG_DATA_HOME", ".local/share"));
    places.earlier = earlierDriveFolder(places.local, 'c');
    places.config.push_back(ours(xdgFolder("XDG_CONFIG_HOME", ".config")));
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    const std::string_view list = dirs ? dirs : "";
    for (std::size_t begin = 0; begin <= list.size();) {
        const std::size_t end = std::min(list.find(':', begin), list.size());
        if (const std::string_view folder = list.substr(begin, end - begin); folder.starts_with('/'))
            places.config.push_back(ours(std::string(folder)));
        begin = end + 1;
    }
    if (places.config.size() == 1)
        places.config.push_back(ours("/etc/xdg"));
    return places;
}

std::vector<std::string> registrationFiles(std::string_view name)
{
    std::vector<std::string> files;
    const std::size_t folders = posixPlaces().config.size();
    for (std::size_t i = 0; i < folders; ++i)
        files.push_back(configPlace(i) + "\\" + std::string(name));
    return files;
}

// Versions before this one mapped each drive letter X: of the program's path texts to a folder of
// their own, drive_x in $XDG_DATA_HOME/Ovix_Shift-Loom: "c:\data" (the offline buffer) was
// .../drive_c/data, Card-Warden's registration .../drive_c/windows/cwv5.ini. This is the one place
// that still knows that layout, so that what a worker's set-up left there is found and moved.
std::string earlierDriveFolder(const std::string& localFolder, char letter)
{
    if (localFolder.empty())
        return {};
    return localFolder + "/drive_" + static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
}

std::string earlierFolderText(std::string_view text)
{
    const bool letter = text.size() >= 2 && ((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z'));
    if (!letter || text[1] != ':')
        return {};
    const std::string drive = earlierDriveFolder(posixPlaces().local, text[0]);
    if (drive.empty())
        return {};
    const std::string host =
        PosixPathMapper({.local = drive}).toHost(std::string(kLocalFolder) + "\\" + std::string(text.substr(2)));
    std::error_code error;
    std::string spelled = utf8ToCp1252(host);
    if (!std::filesystem::is_directory(host, error) || cp1252ToUtf8(spelled) != host)
        return {};
    return spelled;
}

} // namespace shiftloom::platform
