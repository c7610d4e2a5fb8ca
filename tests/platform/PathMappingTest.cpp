// SPDX-License-Identifier: MIT
#include "platform/WindowsPath.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace shiftloom::platform {
namespace {

struct MappingCase
{
    const char* windows;
    const char* expected; ///< "~" stands for the data home
};

void PrintTo(const MappingCase& c, std::ostream* os)
{
    *os << c.windows;
}

class PathMapping : public ::testing::TestWithParam<MappingCase>
{
};

TEST_P(PathMapping, MapsWindowsTextToHostPath)
{
    test::TempDir dataHome;
    PosixPathMapper mapper(dataHome.path());
    std::string expected = GetParam().expected;
    if (expected.starts_with("~"))
        expected = dataHome.path() + expected.substr(1);
    EXPECT_EQ(mapper.toHost(GetParam().windows), expected);
}

INSTANTIATE_TEST_SUITE_P(Texts,
    PathMapping,
    ::testing::Values(MappingCase{"c:\\data", "~/Ovix_Shift-Loom/drive_c/data"},
        MappingCase{"C:\\Store\\dep.dat", "~/Ovix_Shift-Loom/drive_c/Store/dep.dat"},
        // The fallback folder "c:\" followed by "\data": the doubled separator names c:\data.
        MappingCase{"c:\\\\data", "~/Ovix_Shift-Loom/drive_c/data"},
        MappingCase{"c:\\", "~/Ovix_Shift-Loom/drive_c/"},
        MappingCase{"c:", "~/Ovix_Shift-Loom/drive_c"},
        MappingCase{"c:data", "~/Ovix_Shift-Loom/drive_c/data"},
        MappingCase{"Z:\\x\\\\\\y", "~/Ovix_Shift-Loom/drive_z/x/y"},
        MappingCase{"c:\\windows\\cwv5.ini", "~/Ovix_Shift-Loom/drive_c/windows/cwv5.ini"},
        MappingCase{"/srv/cardwarden\\data", "/srv/cardwarden/data"},
        MappingCase{"/srv/cardwarden/\\dep.dat", "/srv/cardwarden/dep.dat"},
        MappingCase{"\\\\server\\share\\cw\\data", "/server/share/cw/data"},
        MappingCase{"store\\data", "store/data"},
        // Windows-1252 text becomes a UTF-8 file name.
        MappingCase{"/srv/B\xFCro\\data", "/srv/B\xC3\xBCro/data"}));

TEST(PathMappingDrives, DriveFolderIsCreatedWhenFirstMapped)
{
    test::TempDir dataHome;
    PosixPathMapper mapper(dataHome.path());
    const std::string drive = dataHome.path() + "/Ovix_Shift-Loom/drive_d";
    EXPECT_FALSE(std::filesystem::exists(drive));
    mapper.toHost("d:\\data");
    EXPECT_TRUE(std::filesystem::is_directory(drive));
}

// On Windows the text is the path, but for the files of the root of C: where they are moved.
TEST(Win32PathMapping, MovesOnlyTheFilesOfTheRootOfC)
{
    const Win32PathMapper kept;
    EXPECT_EQ(kept.toHost("c:\\data"), "c:\\data");
    const Win32PathMapper moved("U:\\Local\\Shift-Loom");
    const std::pair<const char*, const char*> cases[] = {
        {"c:\\data", "U:\\Local\\Shift-Loom\\data"},
        {"C:\\\\data.rest", "U:\\Local\\Shift-Loom\\data.rest"}, // the fallback folder "c:\" and "\data.rest"
        {"c:/data", "U:\\Local\\Shift-Loom\\data"},
        {"c:\\", "U:\\Local\\Shift-Loom"},
        {"c:", "U:\\Local\\Shift-Loom"},
        {"c:\\cardwarden\\data", "c:\\cardwarden\\data"},
        {"c:data", "c:data"},
        {"d:\\data", "d:\\data"},
        {"\\\\server\\c\\data", "\\\\server\\c\\data"},
    };
    for (const auto& [windows, host] : cases)
        EXPECT_EQ(moved.toHost(windows), host) << windows;
}

#ifndef _WIN32
TEST(WindowsDirectory, ReportsCWindowsAndItsLength)
{
    char buffer[145] = {};
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 10u);
    EXPECT_STREQ(buffer, "c:\\windows");

    char tiny[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetWindowsDirectoryA(tiny, sizeof tiny), 11u) << "too small: the size needed, NUL included";
    EXPECT_EQ(tiny[0], 'x') << "nothing written to a buffer that is too small";
}

TEST(XdgFolders, FallBackToHomeWhenUnsetOrEmpty)
{
    const std::string savedData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    const std::string savedConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", "/home/worker", 1);
    ::setenv("XDG_DATA_HOME", "", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(xdgDataHome(), "/home/worker/.local/share");
    EXPECT_EQ(xdgConfigHome(), "/home/worker/.config");
    ::setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(xdgDataHome(), "/data");
    ::setenv("HOME", savedHome.c_str(), 1);
    ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
}
#endif

} // namespace
} // namespace shiftloom::platform
