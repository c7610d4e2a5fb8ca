// SPDX-License-Identifier: MIT
// The settings of the system the tests run on: the registry on Windows, QSettings' INI file elsewhere.
#include "app/SettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/win32/Win32RegistrySettingsBackend.h"

#include <windows.h>
#else
#include "platform/qt/QtSettingsBackend.h"

#include <cstdlib>
#endif

namespace shiftloom::platform {
namespace {

TEST(SettingsBackend, ValuesComeBackExactlyAsWritten)
{
#ifdef _WIN32
    // Under a key of its own, removed at the end: the panel's own key is never touched.
    const std::string base = "Software\\ShiftLoomTest" + std::to_string(GetCurrentProcessId());
    auto backend = [&] { return Win32RegistrySettingsBackend(base); };
#else
    // QSettings finds its folder once per process: the one test here sets it first.
    test::TempDir home;
    const std::string file = home.path() + "/Ovix_Shift-Loom.conf";
    ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    auto backend = [] { return QtSettingsBackend(); };
#endif
    const std::vector<std::pair<Setting, std::string>> values = {
        {keys::desc(0), "  two leading, and trailing  "},
        {keys::DataLoc, "\\\\server\\share\\cardwarden\\"},
        {keys::desc(1), "caf\xE9 \x80 \x81\x9D"},
        {keys::desc(2), "a,b , c"},
        {keys::desc(3), "@Variant(x)"},
        {keys::desc(4), "\"quoted\" ; semicolon = equals # hash"},
        {keys::AutoCode, ""},
    };
    {
        auto written = backend();
        SettingsStore settings(written);
        settings.writeAll(values);
#ifndef _WIN32
        // On disk when the calls return, where another program (or an editor) finds them.
        EXPECT_NE(test::readFile(file).find("\nautocode=\n"), std::string::npos);
#endif
        settings.write(keys::button(9), "[empty]");
#ifndef _WIN32
        EXPECT_NE(test::readFile(file).find("\nbutton9=[empty]\n"), std::string::npos);
#endif
    }
    auto fresh = backend();
    for (const auto& [setting, value] : values)
        EXPECT_EQ(fresh.read(SettingsAppName, SettingsSection, setting.key), value) << setting.key;
    EXPECT_FALSE(fresh.read(SettingsAppName, SettingsSection, "never-written").has_value());
#ifdef _WIN32
    RegDeleteTreeA(HKEY_CURRENT_USER, base.c_str());
#else
    test::writeFile(file, "[Properties]\nDataLoc=/srv/a, b\n");
    auto edited = backend();
    EXPECT_EQ(SettingsStore(edited).read(keys::DataLoc), "/srv/a, b") << "a hand-edited value with commas";
#endif
}

// A slot's three settings are its word and its digit: a slip in the table would mix two slots' jobs.
TEST(SettingsBackend, EachSlotHasItsOwnThreeKeys)
{
    for (int slot = 0; slot < 10; ++slot) {
        const std::string digit(1, static_cast<char>('0' + slot));
        EXPECT_EQ(keys::button(slot).key, "button" + digit);
        EXPECT_EQ(keys::card(slot).key, "card" + digit);
        EXPECT_EQ(keys::desc(slot).key, "desc" + digit);
    }
}

} // namespace
} // namespace shiftloom::platform
