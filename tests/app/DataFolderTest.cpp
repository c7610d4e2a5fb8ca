// SPDX-License-Identifier: MIT
#include "app/DataFolder.h"
#include "panel/DataFolderDialog.h"
#include "support/CoreFixture.h"

#include <map>
#include <tuple>

namespace shiftloom {
namespace {

class DataFolderTest : public test::CoreFixture
{
protected:
    int asked = 0;
    const std::vector<std::string> registrations = platform::registrationFiles(kCardWardenIniName);
    std::string find()
    {
        return findDataFolder(settings, files, registrations, [this] { ++asked; });
    }
};

// The setting wins, and no registration is read. Without it, the line after the first header of the first
// registration naming one whose first nine characters are "[cardmain", taken whole and stored; without one the
// worker is asked (and the dialog may store a folder). The scan on arbitrary bytes is the fuzzer's.
TEST_F(DataFolderTest, TheSettingOrARegistrationNamesTheFolderOrTheWorkerIsAsked)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"/srv/cw", "[cardmain]\r\n/srv/other\r\n", "/srv/cw"},
        {"", "[general]\r\nx=1\r\n[cardmain]\r\n  \\\\server\\cw data  \r\n[other]\r\n", "  \\\\server\\cw data  "},
        {"", "[cardmain]\n/cw\n", "/cw"},
        {"", "[cardmainstore]\n/cw\n", "/cw"},
        {"", "[cardmain]\nfirst\n[cardmain]\nsecond\n", "first"},
        {"", "[CARDMAIN]\n/cw\n", ""},
        {"", "[cardmain]\r\n\r\n/cw\r\n", ""}};
    for (const auto& [setting, ini, folder] : cases) {
        settings.write(keys::DataLoc, setting);
        asked = 0;
        files.clear();
        test::writeFile(paths.toHost(registrations.front()), ini);
        EXPECT_EQ(find(), folder) << ini;
        EXPECT_EQ(asked, *folder ? 0 : 1) << ini;
        EXPECT_EQ(settings.read(keys::DataLoc), folder) << ini;
        EXPECT_EQ(files.count(test::FileOp::Open) > 0, !*setting) << "a registration is read only without the setting";
    }
    EXPECT_EQ(
        findDataFolder(settings, files, {"c:\\nowhere\\cwv5.ini"}, [this] { settings.write(keys::DataLoc, "/srv/x"); }),
        "/srv/x");
    // The machine's registration where the account's names no folder (as the last case left it), not before it.
    test::writeFile(paths.toHost(registrations.back()), "[cardmain]\r\n/machine\r\n");
    for (const char* folder : {"/machine", "/mine"}) {
        settings.write(keys::DataLoc, "");
        EXPECT_EQ(find(), folder);
        test::writeFile(paths.toHost(registrations.front()), "[cardmain]\r\n/mine\r\n");
    }
}

// A drive list over the test's temporary folders.
class FakeDrives final : public platform::DriveList
{
public:
    explicit FakeDrives(std::string folder)
        : cwd(std::move(folder))
    {
    }
    std::vector<std::string> drives() override { return {"c:", "/"}; }
    std::string currentFolder(std::string_view drive) override { return folders[std::string(drive)]; }
    std::string processCurrentFolder() override { return cwd; }
    std::string driveOf(std::string_view) override { return "/"; }
    std::map<std::string, std::string> folders;
    std::string cwd;
};

class LocateDialog : public test::CoreFixture
{
protected:
    FakeDrives drives{home.path()};
    DataFolderDialog dialog{settings, files, drives};
    void SetUp() override { makeStore(); }
};

// The dialog opens on the current folder with OK disabled; a folder or a drive's current folder
// with the marker file enables it.
TEST_F(LocateDialog, OkIsEnabledOnlyOnAFolderWithTheMarkerFile)
{
    EXPECT_EQ(dialog.folder(), home.path());
    EXPECT_FALSE(dialog.okEnabled());
    dialog.openFolder(home.path()); // the folder shown: nothing is probed
    EXPECT_EQ(dialog.status(), "");
    dialog.openFolder(store());
    EXPECT_TRUE(dialog.okEnabled());
    EXPECT_EQ(dialog.status(), "OK - Found it.");
    dialog.chooseFolder(home.path());
    EXPECT_FALSE(dialog.okEnabled());
    EXPECT_EQ(dialog.status(), "No, its not there.");
    drives.folders["c:"] = store();
    dialog.pickDrive(1); // the drive shown: the folder stays
    EXPECT_EQ(dialog.folder(), home.path());
    dialog.pickDrive(0);
    EXPECT_EQ(dialog.driveIndex(), 0u);
    EXPECT_EQ(dialog.folder(), store());
    EXPECT_TRUE(dialog.okEnabled());
}

// What OK stores: the folder of the list, or a typed path, which wins and is not probed; without
// its trailing backslashes either way. Cancel stores nothing.
TEST_F(LocateDialog, OkStoresTheFolderWithoutTrailingBackslashesAndCancelNothing)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", "C:"}, {"\\\\server\\share\\cw\\\\", "\\\\server\\share\\cw"}, {"\\\\\\", ""}};
    for (const auto& [typed, stored] : cases) {
        DataFolderDialog ok(settings, files, drives);
        ok.chooseFolder("C:\\");
        ok.typePath("x");
        ok.typePath(typed);
        EXPECT_TRUE(ok.okEnabled()) << "emptying the typed path does not disable OK";
        ok.accept();
        EXPECT_EQ(settings.read(keys::DataLoc), stored);
        EXPECT_TRUE(ok.closed());
    }
    dialog.chooseFolder(store());
    dialog.cancel();
    EXPECT_TRUE(dialog.closed());
    EXPECT_EQ(settings.read(keys::DataLoc), "");
}

} // namespace
} // namespace shiftloom
