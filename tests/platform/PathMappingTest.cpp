// SPDX-License-Identifier: MIT
#include "platform/Cp1252.h"
#include "platform/Drives.h"
#include "platform/WindowsPath.h"
#ifdef _WIN32
#include "platform/win32/WideText.h"
#endif
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <tuple>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace shiftloom::platform {
namespace {

// Each text of the program as a path of each host. On POSIX a store is a folder path and the named places are the
// account's folders; on Windows the files of the root of C: move (here to U:\Local\Shift-Loom),
// every other text is the path as it stands in UTF-8 (nullptr). The own folder "<own>" is O:\Dvořák on Windows,
// /own/Dvořák on POSIX: names from the system stay UTF-8.
TEST(PathMapping, MapsTheProgramsTextsToHostPaths)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"c:\\data", "c:/data", "U:\\Local\\Shift-Loom\\data"},
        // The fallback folder "c:\" followed by "\data.rest": the doubled separator is one.
        {"C:\\\\data.rest", "C:/data.rest", "U:\\Local\\Shift-Loom\\data.rest"},
        {"c:\\", "c:/", "U:\\Local\\Shift-Loom"},
        {"C:\\Store\\dep.dat", "C:/Store/dep.dat", nullptr},
        {"/srv/cardwarden/\\dep.dat", "/srv/cardwarden/dep.dat", nullptr},
        {"\\\\server\\c\\data", "/server/c/data", nullptr},
        // Windows-1252 text becomes a UTF-8 file name.
        {"/srv/B\xFCro\\data", "/srv/B\xC3\xBCro/data", nullptr},
        {"<own>\\\\spool/x\xFC",
            "/own/Dvo\xC5\x99\xC3\xA1k/spool/x\xC3\xBC",
            "O:\\Dvo\xC5\x99\xC3\xA1k\\spool\\x\xC3\xBC"},
        {"<own>", "/own/Dvo\xC5\x99\xC3\xA1k", "O:\\Dvo\xC5\x99\xC3\xA1k"},
        {"<local>\\dep.dat", "/l/dep.dat", nullptr},
        {"<earlier>\\data", "/e/data", nullptr},
        {"<config>", "/c", nullptr},
        {"<config1>\\cwv5.ini", "/x/cwv5.ini", nullptr},
        {"<config2>\\cwv5.ini", "", nullptr}, // no second folder of the machine's
        {"<nowhere>\\x", "", nullptr},
    };
    const PosixPathMapper posix({"/own/Dvo\xC5\x99\xC3\xA1k", "/l", "/e", {"/c", "/x"}});
    const Win32PathMapper moved("U:\\Local\\Shift-Loom", "O:\\Dvo\xC5\x99\xC3\xA1k");
    for (const auto& [windows, expected, win32] : cases) {
        SCOPED_TRACE(windows);
        EXPECT_EQ(posix.toHost(windows), expected);
        if (std::string_view(windows).starts_with("<") && !std::string_view(windows).starts_with("<own>"))
            continue;
        EXPECT_EQ(moved.toHost(windows), win32 ? win32 : cp1252ToUtf8(windows));
        if (!std::string_view(windows).starts_with("<own>")) {
            EXPECT_EQ(Win32PathMapper().toHost(windows), cp1252ToUtf8(windows)) << "where the root of C: takes files";
        }
    }
}

#ifdef _WIN32
// Past the classic limit a path takes the extended prefix, which takes a path as it stands: its separators made "\\".
TEST(PathMapping, LongPathsGetTheExtendedPrefixOnceNormalised)
{
    const std::string name(250, 'n');
    EXPECT_EQ(widePath("C:/x//" + name), toWide("\\\\?\\C:\\x\\" + name));
    EXPECT_EQ(widePath("\\\\server\\share/" + name), toWide("\\\\?\\UNC\\server\\share\\" + name));
    EXPECT_EQ(widePath("C:/x"), L"C:/x") << "a short path as it stands";
}
#endif

#ifndef _WIN32
// The account's places from the XDG base directories: absolute ones only, else the home's (without HOME the password
// database's, never a folder every account shares); the machine's registration folders in the order of
// $XDG_CONFIG_DIRS, /etc/xdg where it names none. A drive-letter folder of earlier versions is the folder that stood
// for it only where that is there.
TEST(XdgFolders, ComeFromTheEnvironmentOrTheHomeFolder)
{
    test::TempDir home;
    ::setenv("HOME", home.path().c_str(), 1);
    ::setenv("XDG_DATA_HOME", "", 1);
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    ::unsetenv("XDG_STATE_HOME");
    ::setenv("XDG_CONFIG_DIRS", "/etc/site:relative::/opt/xdg", 1);
    const PosixPlaces places = posixPlaces();
    const std::string ours = home.path() + "/.local/share/Ovix_Shift-Loom";
    EXPECT_EQ(places.own, home.path() + "/.local/state/Ovix_Shift-Loom");
    EXPECT_EQ(places.local + " " + places.earlier, ours + " " + ours + "/drive_c");
    EXPECT_EQ(places.config,
        (std::vector<std::string>{
            home.path() + "/.config/Ovix_Shift-Loom", "/etc/site/Ovix_Shift-Loom", "/opt/xdg/Ovix_Shift-Loom"}));
    EXPECT_EQ(registrationFiles("cwv5.ini"),
        (std::vector<std::string>{"<config>\\cwv5.ini", "<config1>\\cwv5.ini", "<config2>\\cwv5.ini"}));
    std::filesystem::create_directories(ours + "/drive_d/B\xC3\xBCro");
    EXPECT_EQ(earlierFolderText("D:\\B\xFCro\\"), ours + "/drive_d/B\xFCro/");
    EXPECT_EQ(earlierFolderText("c:\\B\xFCro") + earlierFolderText("/srv/cw"), "") << "not there, no drive";

    ::unsetenv("XDG_CONFIG_DIRS");
    ::setenv("XDG_STATE_HOME", "relative/state", 1);
    ::unsetenv("HOME");
    EXPECT_EQ(posixPlaces().config.back(), "/etc/xdg/Ovix_Shift-Loom");
    EXPECT_EQ(ownStateFolder(), std::string(::getpwuid(::geteuid())->pw_dir) + "/.local/state/Ovix_Shift-Loom");
}

// The locate dialog's drives on Linux: the mounted file systems that can hold a store, "/" always, each starting at its
// mount point; no kernel file system, nothing under /proc, /sys, /dev or /run, no file mounted on its own.
TEST(Drives, AreTheMountedFolders)
{
    test::TempDir dir;
    std::filesystem::create_directories(dir.file("share x/cw"));
    test::writeFile(dir.file("hosts"), "");
    test::writeFile(dir.file("mounts"),
        "/dev/sda1 / ext4 rw 0 0\nproc /proc proc rw 0 0\nnas:/x " + dir.path() + "/share\\040x nfs rw 0 0\n"
            + "/dev/sda1 " + dir.file("hosts")
            + " ext4 rw 0 0\ntmpfs /run/user tmpfs rw 0 0\nsysfs /srv sysfs rw 0 0\n");
    PosixDriveList drives(dir.file("mounts"));
    EXPECT_EQ(drives.drives(), (std::vector<std::string>{"/", dir.file("share x")}));
    EXPECT_EQ(drives.currentFolder(dir.file("share x")), dir.file("share x"));
    EXPECT_EQ(drives.driveOf(dir.file("share x/cw")) + " " + drives.driveOf("/srv"), dir.file("share x") + " /");
}
#endif

} // namespace
} // namespace shiftloom::platform
