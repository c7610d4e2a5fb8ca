// SPDX-License-Identifier: MIT
#include "platform/qt/QtSettingsBackend.h"
#include "app/SettingsStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace shiftloom::platform {
namespace {

// QSettings finds its folder once per process, so the whole test shares one configuration home.
class QtSettingsRoundTrip : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        configHome = new test::TempDir;
        ::setenv("XDG_CONFIG_HOME", configHome->path().c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        delete configHome;
        configHome = nullptr;
    }
    static test::TempDir* configHome;
};
test::TempDir* QtSettingsRoundTrip::configHome = nullptr;

TEST_F(QtSettingsRoundTrip, ValuesComeBackExactlyAsWrittenFromTheIniFile)
{
    const std::vector<std::pair<std::string, std::string>> values = {
        {"button0", "[empty]"},
        {"desc0", "  two leading, and trailing  "},
        {"DataLoc", "\\\\server\\share\\cardwarden\\"},
        {"card0", "12:34:56"},
        {"desc1", "caf\xE9 \x80 \x81\x9D"},
        {"desc2", "a,b , c"},
        {"desc3", "@Variant(x)"},
        {"desc4", "\"quoted\" ; semicolon = equals # hash"},
        {"autocode", ""},
    };
    {
        QtSettingsBackend backend;
        SettingsStore settings(backend);
        for (const auto& [key, value] : values)
            settings.write(key, value);
    }
    // A new backend reads the file afresh.
    QtSettingsBackend backend;
    SettingsStore settings(backend);
    for (const auto& [key, value] : values)
        EXPECT_EQ(settings.read(key, "default"), value) << key;
    EXPECT_EQ(settings.read("never-written"), "");
    EXPECT_FALSE(backend.read(SettingsAppName, SettingsSection, "never-written").has_value());

    const std::string file = configHome->path() + "/Ovix_Shift-Loom.conf";
    EXPECT_EQ(backend.location(SettingsAppName).toStdString(), file);
    const std::string text = test::readFile(file);
    EXPECT_NE(text.find("[Properties]"), std::string::npos) << text;
    EXPECT_NE(text.find("button0=[empty]"), std::string::npos) << text;
}

TEST_F(QtSettingsRoundTrip, SeveralValuesWrittenTogetherAreReadBackTogether)
{
    {
        QtSettingsBackend backend;
        SettingsStore(backend).writeAll({{"button0", "JOB 1"}, {"card0", "567"}, {"desc0", "Gearbox"}});
    }
    QtSettingsBackend backend;
    SettingsStore settings(backend);
    EXPECT_EQ(settings.read("button0"), "JOB 1");
    EXPECT_EQ(settings.read("card0"), "567");
    EXPECT_EQ(settings.read("desc0"), "Gearbox");
}

TEST_F(QtSettingsRoundTrip, AHandEditedListValueReadsAsItsText)
{
    test::writeFile(configHome->path() + "/Ovix_Shift-Loom.conf", "[Properties]\nDataLoc=/srv/a, b\n");
    QtSettingsBackend backend;
    EXPECT_EQ(SettingsStore(backend).read(keys::DataLoc), "/srv/a, b");
}

} // namespace
} // namespace shiftloom::platform
