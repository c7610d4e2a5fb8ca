// SPDX-License-Identifier: MIT
#include "ui/about/SysInfo.h"
#include "AboutFakes.h"
#include "ui/about/frmAbout.h"

#include <gtest/gtest.h>

#include <array>
#include <ostream>

namespace shiftloom {
namespace {

using platform::kHKeyLocalMachine;
using platform::MemoryRegistry;

constexpr std::string_view kKey = "SOFTWARE\\Ovix\\Test";

// --- GetKeyValue --------------------------------------------------------------------------

struct KeyValueCase
{
    const char* name;
    std::uint32_t type;
    std::string data; ///< raw bytes as stored
    std::string expected;
};
void PrintTo(const KeyValueCase& c, std::ostream* os)
{
    *os << c.name;
}

class GetKeyValueTable : public ::testing::TestWithParam<KeyValueCase>
{
};

TEST_P(GetKeyValueTable, ValueOfEachTypeAndLength)
{
    const KeyValueCase& c = GetParam();
    MemoryRegistry registry;
    registry.setValue(kHKeyLocalMachine, kKey, "Value", c.type, c.data);
    std::string KeyVal = "on entry";
    EXPECT_TRUE(GetKeyValue(registry, kHKeyLocalMachine, kKey, "Value", KeyVal));
    EXPECT_EQ(KeyVal, c.expected);
    EXPECT_EQ(registry.openKeyCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Values,
    GetKeyValueTable,
    ::testing::Values(KeyValueCase{"SzWithNul", 1, std::string("C:\\Tools\\info.exe\0", 18), "C:\\Tools\\info.exe"},
        KeyValueCase{"SzWithoutNul", 1, "abc", "abc"},
        KeyValueCase{"SzOnlyNul", 1, std::string(1, '\0'), ""},
        KeyValueCase{"SzEmpty", 1, "", ""},
        KeyValueCase{"SzTwoNuls", 1, std::string("ab\0\0", 4), std::string("ab\0", 3)},
        KeyValueCase{"SzOf1024", 1, std::string(1024, 'x'), std::string(1024, 'x')},
        KeyValueCase{"DwordSmall", 4, std::string("\x05\x00\x00\x00", 4), "5"},
        KeyValueCase{"DwordTwoBytes", 4, std::string("\x01\x02\x00\x00", 4), "513"},
        KeyValueCase{"DwordHighByte", 4, std::string("\x00\x00\x00\x01", 4), "16777216"},
        KeyValueCase{"DwordZero", 4, std::string(4, '\0'), "0"},
        KeyValueCase{"DwordMax", 4, std::string(4, '\xff'), "4294967295"},
        KeyValueCase{"DwordPaddedByteIsNotHex", 4, std::string("\x0a\x01\x00\x00", 4), "266"},
        KeyValueCase{"BinaryKeepsEntryValue", 3, "\x01\x02", "on entry"},
        KeyValueCase{"ExpandSzKeepsEntryValue", 2, std::string("%windir%\0", 9), "on entry"}),
    [](const ::testing::TestParamInfo<KeyValueCase>& row) { return std::string(row.param.name); });

struct FailureCase
{
    const char* name;
    bool keyThere;
    bool denied;
    bool valueThere;
    std::size_t valueSize;
};
void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class GetKeyValueFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(GetKeyValueFailure, EmptiesKeyValAndClosesWhatItOpened)
{
    const FailureCase& c = GetParam();
    MemoryRegistry registry;
    if (c.keyThere) {
        registry.setString(kHKeyLocalMachine, kKey, "Other", "x");
        if (c.valueThere)
            registry.setValue(kHKeyLocalMachine, kKey, "Value", platform::kRegSz, std::string(c.valueSize, 'v'));
    }
    if (c.denied)
        registry.denyAccess(kHKeyLocalMachine, kKey);
    std::string KeyVal = "on entry";
    EXPECT_FALSE(GetKeyValue(registry, kHKeyLocalMachine, kKey, "Value", KeyVal));
    EXPECT_EQ(KeyVal, "");
    EXPECT_EQ(registry.openKeyCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Failures,
    GetKeyValueFailure,
    ::testing::Values(FailureCase{"KeyMissing", false, false, false, 0},
        FailureCase{"AccessDenied", true, true, true, 4},
        FailureCase{"ValueMissing", true, false, false, 0},
        FailureCase{"ValueLargerThanTheBuffer", true, false, true, 1025}),
    [](const ::testing::TestParamInfo<FailureCase>& row) { return std::string(row.param.name); });

// --- StartSysInfo -------------------------------------------------------------------------

constexpr std::array<std::string_view, 2> kFallbacks{"hardinfo", "kinfocenter"};

class StartSysInfoTest : public ::testing::Test
{
protected:
    MemoryRegistry registry;
    test::FakeProgramLauncher launcher;
    test::ScriptedMessageBox messages;
    SysInfoServices services{registry, launcher, messages, kFallbacks};

    std::vector<std::string> starts() const
    {
        std::vector<std::string> out;
        for (const auto& [program, arguments] : launcher.started)
            out.push_back(program);
        return out;
    }
    void expectUnavailableMessage()
    {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].first, "System Information Is Unavailable At This Time");
        EXPECT_EQ(messages.shown[0].second, "Ovix_Shift-Loom");
    }
};

TEST_F(StartSysInfoTest, PathOfTheFirstKeyComesFirst)
{
    registry.setString(
        kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", "C:\\Info\\msinfo32.exe");
    registry.setString(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", "C:\\Other");
    launcher.files = {"C:\\Other\\MSINFO32.EXE"};
    launcher.startable = {"C:\\Info\\msinfo32.exe"};
    launcher.onPath = {"hardinfo"};
    EXPECT_TRUE(StartSysInfo(services, "Ovix_Shift-Loom"));
    EXPECT_EQ(starts(), std::vector<std::string>{"C:\\Info\\msinfo32.exe"});
    EXPECT_TRUE(launcher.started[0].second.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartSysInfoTest, MissingProgramOfTheFirstKeyGivesTheMessage)
{
    registry.setString(
        kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", "C:\\Gone\\msinfo32.exe");
    registry.setString(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", "C:\\Other");
    launcher.files = {"C:\\Other\\MSINFO32.EXE"};
    launcher.startable = {"C:\\Other\\MSINFO32.EXE"};
    EXPECT_FALSE(StartSysInfo(services, "Ovix_Shift-Loom"));
    EXPECT_EQ(starts(), std::vector<std::string>{"C:\\Gone\\msinfo32.exe"}); // tried, and nothing after it
    expectUnavailableMessage();
}

TEST_F(StartSysInfoTest, SecondKeyNeedsMsinfo32InItsFolder)
{
    registry.setString(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", "C:\\Tools");
    launcher.startable = {"C:\\Tools\\MSINFO32.EXE"};
    launcher.files = {"C:\\Tools\\MSINFO32.EXE"};
    EXPECT_TRUE(StartSysInfo(services, "Ovix_Shift-Loom"));
    EXPECT_EQ(starts(), std::vector<std::string>{"C:\\Tools\\MSINFO32.EXE"});
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartSysInfoTest, SecondKeyWithoutTheFileFallsToTheProgramsOnPath)
{
    registry.setString(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO", "C:\\Tools");
    launcher.onPath = {"kinfocenter"};
    launcher.startable = {"/usr/bin/kinfocenter"};
    EXPECT_TRUE(StartSysInfo(services, "Ovix_Shift-Loom"));
    EXPECT_EQ(starts(), std::vector<std::string>{"/usr/bin/kinfocenter"});
}

TEST_F(StartSysInfoTest, FirstProgramFoundOnPathIsStarted)
{
    launcher.onPath = {"hardinfo", "kinfocenter"};
    launcher.startable = {"/usr/bin/hardinfo", "/usr/bin/kinfocenter"};
    EXPECT_TRUE(StartSysInfo(services, "Ovix_Shift-Loom"));
    EXPECT_EQ(starts(), std::vector<std::string>{"/usr/bin/hardinfo"});
}

TEST_F(StartSysInfoTest, NothingFoundGivesTheMessage)
{
    EXPECT_FALSE(StartSysInfo(services, "Ovix_Shift-Loom"));
    EXPECT_TRUE(launcher.started.empty());
    expectUnavailableMessage();
}

TEST_F(StartSysInfoTest, ProgramOnPathThatFailsToStartGivesTheMessage)
{
    launcher.onPath = {"hardinfo"};
    EXPECT_FALSE(StartSysInfo(services, "Ovix_Shift-Loom"));
    expectUnavailableMessage();
}

TEST_F(StartSysInfoTest, FirstKeyThatCannotBeOpenedCountsAsNotFound)
{
    registry.setString(
        kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", "C:\\Info\\msinfo32.exe");
    registry.denyAccess(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    EXPECT_FALSE(StartSysInfo(services, "Ovix_Shift-Loom"));
    EXPECT_TRUE(launcher.started.empty());
    expectUnavailableMessage();
}

// --- frmAbout -----------------------------------------------------------------------------

TEST(frmAboutTest, DesignTextsUntilLoadedThenTitleAndVersion)
{
    MemoryRegistry registry;
    test::FakeProgramLauncher launcher;
    test::ScriptedMessageBox messages;
    frmAbout box(SysInfoServices{registry, launcher, messages, {}});
    EXPECT_EQ(box.Caption(), "About MyApp");
    EXPECT_EQ(box.lblTitle(), "Application Title");
    EXPECT_EQ(box.lblVersion(), "Version");

    box.Form_Load("Ovix_Shift-Loom");
    EXPECT_EQ(box.Caption(), "About Ovix_Shift-Loom");
    EXPECT_EQ(box.lblTitle(), "Ovix_Shift-Loom");
    EXPECT_EQ(box.lblVersion(), "Version 1.0.14");

    box.Form_Load("X", AppVersion{2, 10, 0});
    EXPECT_EQ(box.lblVersion(), "Version 2.10.0");

    box.cmdSysInfo_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].second, "X");
}

} // namespace
} // namespace shiftloom
