// SPDX-License-Identifier: MIT
#include "platform/ProgramLauncher.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace shiftloom {
namespace {

using platform::systemProgramLauncher;

TEST(PosixProgramLauncher, FindsProgramsOnPathAndNotFolders)
{
    auto& launcher = systemProgramLauncher();
    EXPECT_EQ(launcher.findOnPath("sh").back(), 'h');
    EXPECT_TRUE(launcher.findOnPath("no-such-program-shift-loom").empty());
    EXPECT_TRUE(launcher.findOnPath("").empty());
    EXPECT_EQ(launcher.findOnPath("/bin/sh"), "/bin/sh");
    EXPECT_TRUE(launcher.findOnPath("/tmp").empty());
}

TEST(PosixProgramLauncher, FileExistsOnlyForFiles)
{
    test::TempDir dir;
    test::writeFile(dir.file("MSINFO32.EXE"), "x");
    auto& launcher = systemProgramLauncher();
    EXPECT_TRUE(launcher.fileExists(dir.file("MSINFO32.EXE")));
    EXPECT_FALSE(launcher.fileExists(dir.file("missing")));
    EXPECT_FALSE(launcher.fileExists(dir.path()));
}

TEST(PosixProgramLauncher, StartsWithoutAShellAndReportsAMissingProgram)
{
    test::TempDir dir;
    auto& launcher = systemProgramLauncher();
    EXPECT_FALSE(launcher.start("no-such-program-shift-loom", {}));
    EXPECT_FALSE(launcher.start(dir.file("missing"), {}));

    // An argument full of shell syntax reaches the program as one plain argument.
    const std::string marker = dir.file("made by touch; echo not a shell");
    ASSERT_TRUE(launcher.start("touch", {marker}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!test::fileExists(marker) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(test::fileExists(marker));
}

} // namespace
} // namespace shiftloom
