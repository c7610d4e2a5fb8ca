// SPDX-License-Identifier: MIT
#include "app/SettingsStore.h"
#include "platform/win32/Win32RegistrySettingsBackend.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace shiftloom::platform {
namespace {

// Each run under its own key, removed at the end; the panel's own key is never touched.
class RegistrySettings : public ::testing::Test
{
protected:
    std::string base = "Software\\ShiftLoomTest" + std::to_string(GetCurrentProcessId());
    Win32RegistrySettingsBackend backend{base};
    SettingsStore settings{backend};

    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str()); }
};

TEST_F(RegistrySettings, ValuesComeBackExactlyAsWrittenUnderTheProgramsKey)
{
    const std::pair<std::string, std::string> values[] = {
        {"DataLoc", "\\\\server\\cw data  "},
        {"desc0",
            "Fa\xE7"
            "ade \x80"},
        {"button0", "[empty]"},
        {"autocode", ""},
    };
    for (const auto& [key, value] : values)
        settings.write(key, value);
    settings.writeAll({{"button1", "JOB 1"}, {"card1", "567"}});
    for (const auto& [key, value] : values)
        EXPECT_EQ(settings.read(key, "default"), value) << key;
    EXPECT_EQ(settings.read("card1"), "567");
    EXPECT_FALSE(backend.read(SettingsAppName, SettingsSection, "never-written").has_value());

    // Where another program (or `reg add`) finds them.
    char text[64] = {};
    DWORD size = sizeof text;
    const std::string key = base + "\\Ovix_Shift-Loom\\Properties";
    ASSERT_EQ(
        RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "button1", RRF_RT_REG_SZ, nullptr, text, &size), ERROR_SUCCESS);
    EXPECT_STREQ(text, "JOB 1");
}

} // namespace
} // namespace shiftloom::platform
