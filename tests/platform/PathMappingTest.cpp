// SPDX-License-Identifier: MIT
#include "platform/Cp1252.h"
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

// Each text of the program as a path of each host. On POSIX "~" stands for the data home; on Windows the files of the
// root of C: move (here to U:\Local\Shift-Loom), every other text is the path as it stands in UTF-8 (nullptr). The
// own folder "<own>" is O:\Dvořák on Windows, /own/Dvořák on POSIX: names from the system stay UTF-8.
TEST(PathMapping, MapsTheProgramsWindowsTextsToHostPaths)
{
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"c:\\data", "~/Ovix_Shift-Loom/drive_c/data", "U:\\Local\\Shift-Loom\\data"},
        // The fallback folder "c:\" followed by "\data.rest": the doubled separator is one.
        {"C:\\\\data.rest", "~/Ovix_Shift-Loom/drive_c/data.rest", "U:\\Local\\Shift-Loom\\data.rest"},
        {"c:/data", "~/Ovix_Shift-Loom/drive_c/data", "U:\\Local\\Shift-Loom\\data"},
        {"c:\\", "~/Ovix_Shift-Loom/drive_c/", "U:\\Local\\Shift-Loom"},
        {"c:data", "~/Ovix_Shift-Loom/drive_c/data", nullptr},
        {"C:\\Store\\dep.dat", "~/Ovix_Shift-Loom/drive_c/Store/dep.dat", nullptr},
        {"Z:\\x\\\\\\y", "~/Ovix_Shift-Loom/drive_z/x/y", nullptr},
        {"/srv/cardwarden/\\dep.dat", "/srv/cardwarden/dep.dat", nullptr},
        {"\\\\server\\c\\data", "/server/c/data", nullptr},
        // Windows-1252 text becomes a UTF-8 file name.
        {"/srv/B\xFCro\\data", "/srv/B\xC3\xBCro/data", nullptr},
        {"c:\\B\xFCro", "~/Ovix_Shift-Loom/drive_c/B\xC3\xBCro", "U:\\Local\\Shift-Loom\\B\xC3\xBCro"},
        {"<own>\\\\spool/x\xFC",
            "/own/Dvo\xC5\x99\xC3\xA1k/spool/x\xC3\xBC",
            "O:\\Dvo\xC5\x99\xC3\xA1k\\spool\\x\xC3\xBC"},
        {"<own>", "/own/Dvo\xC5\x99\xC3\xA1k", "O:\\Dvo\xC5\x99\xC3\xA1k"},
    };
    test::TempDir home;
    const PosixPathMapper posix(home.path(), "/own/Dvo\xC5\x99\xC3\xA1k");
    const Win32PathMapper moved("U:\\Local\\Shift-Loom", "O:\\Dvo\xC5\x99\xC3\xA1k");
    for (const auto& [windows, expected, win32] : cases) {
        SCOPED_TRACE(windows);
        EXPECT_EQ(posix.toHost(windows), expected.starts_with("~") ? home.path() + expected.substr(1) : expected);
        EXPECT_EQ(moved.toHost(windows), win32 ? win32 : cp1252ToUtf8(windows));
        if (!std::string_view(windows).starts_with("<own>")) {
            EXPECT_EQ(Win32PathMapper().toHost(windows), cp1252ToUtf8(windows)) << "where the root of C: takes files";
        }
    }
    EXPECT_TRUE(std::filesystem::is_directory(home.path() + "/Ovix_Shift-Loom/drive_z")) << "made when first mapped";
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
// The other tests here name their folders themselves: the environment is not set back.
TEST(XdgFolders, FallBackToHomeWhenUnsetOrEmpty)
{
    ::setenv("HOME", "/home/worker", 1);
    ::setenv("XDG_DATA_HOME", "", 1);
    ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(xdgDataHome(), "/home/worker/.local/share");
    EXPECT_EQ(xdgStateHome(), "/home/worker/.local/state");
    EXPECT_EQ(ownStateFolder(), "/home/worker/.local/state/Ovix_Shift-Loom");
    // Without HOME the password database knows the home: never a folder every account shares.
    ::setenv("XDG_STATE_HOME", "relative/state", 1);
    ::unsetenv("HOME");
    EXPECT_EQ(ownStateFolder(), std::string(::getpwuid(::geteuid())->pw_dir) + "/.local/state/Ovix_Shift-Loom");
}
#endif

} // namespace
} // namespace shiftloom::platform
