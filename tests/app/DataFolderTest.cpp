// SPDX-License-Identifier: MIT
#include "app/DataFolder.h"
#include "panel/DataFolderDialog.h"
#include "support/CoreFixture.h"

#include <map>

namespace shiftloom {
namespace {

class DataFolderTest : public test::CoreFixture
{
protected:
    const std::string windowsDir = "c:\\windows\\";
    std::string iniPath() const { return paths.toHost("c:\\windows\\cwv5.ini"); }
    int asked = 0;
    std::string find()
    {
        return findDataFolder(settings, files, windowsDir, [this] { ++asked; });
    }
};

TEST_F(DataFolderTest, TheSettingWinsAndTheIniIsNotRead)
{
    settings.write(keys::DataLoc, "/srv/cw");
    test::writeFile(iniPath(), "[cardmain]\r\n/srv/other\r\n");
    files.clear();
    EXPECT_EQ(find(), "/srv/cw");
    EXPECT_EQ(files.count(test::FileOp::Open), 0);
    EXPECT_EQ(asked, 0);
}

TEST_F(DataFolderTest, TheIniNamesTheFolderOnTheLineAfterItsHeader)
{
    test::writeFile(iniPath(), "[general]\r\nx=1\r\n[cardmain]\r\n  \\\\server\\cw data  \r\n[other]\r\n");
    EXPECT_EQ(find(), "  \\\\server\\cw data  ") << "the whole line, untrimmed";
    EXPECT_EQ(settings.read(keys::DataLoc), "  \\\\server\\cw data  ");
    EXPECT_EQ(asked, 0);
}

struct IniCase
{
    const char* text;
    const char* folder; ///< empty: the dialog is asked
};

void PrintTo(const IniCase& c, std::ostream* os)
{
    *os << c.text;
}

class CardWardenIni : public DataFolderTest, public ::testing::WithParamInterface<IniCase>
{
};

TEST_P(CardWardenIni, HeaderMatchingIsCaseSensitiveOnNineCharacters)
{
    test::writeFile(iniPath(), GetParam().text);
    EXPECT_EQ(find(), GetParam().folder);
    EXPECT_EQ(asked, std::string(GetParam().folder).empty() ? 1 : 0);
    EXPECT_EQ(settings.read(keys::DataLoc), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(Files,
    CardWardenIni,
    ::testing::Values(IniCase{"[cardmain]\nc:\\cw\n", "c:\\cw"},
        IniCase{"[cardmainstore]\nc:\\cw\n", "c:\\cw"},
        IniCase{"[CARDMAIN]\nc:\\cw\n", ""},
        IniCase{" [cardmain]\nc:\\cw\n", ""},
        IniCase{"[cardmai]\nc:\\cw\n", ""},
        IniCase{"[cardmain]", ""},
        IniCase{"[cardmain]\r\n\r\nc:\\cw\r\n", ""},
        IniCase{"", ""},
        IniCase{"[cardmain]\nfirst\n[cardmain]\nsecond\n", "first"}));

TEST_F(DataFolderTest, WithoutSettingOrIniTheWorkerIsAskedAndMayStoreAFolder)
{
    EXPECT_EQ(findDataFolder(settings, files, windowsDir, [this] { settings.write(keys::DataLoc, "/srv/picked"); }),
        "/srv/picked");
    EXPECT_EQ(find(), "/srv/picked");
}

// A drive list over the test's temporary folders.
class FakeDrives final : public platform::DriveList
{
public:
    explicit FakeDrives(std::string cwd)
        : m_cwd(std::move(cwd))
    {
    }
    std::vector<std::string> drives() override { return {"c:", "/"}; }
    std::string currentFolder(std::string_view drive) override { return folders[std::string(drive)]; }
    std::string processCurrentFolder() override { return m_cwd; }
    std::string driveOf(std::string_view) override { return "/"; }
    std::map<std::string, std::string> folders;

private:
    std::string m_cwd;
};

class LocateDialog : public test::CoreFixture
{
protected:
    FakeDrives drives{home.path()};
    DataFolderDialog dialog{settings, files, drives};
    void SetUp() override { makeStore(); }
};

TEST_F(LocateDialog, OpensOnTheCurrentFolderWithOkDisabledAndNothingProbed)
{
    EXPECT_EQ(dialog.folder(), home.path());
    EXPECT_FALSE(dialog.okEnabled());
    EXPECT_EQ(dialog.status(), "");
    EXPECT_FALSE(dialog.closed());
}

TEST_F(LocateDialog, AFolderWithTheMarkerFileEnablesOk)
{
    dialog.chooseFolder(store());
    EXPECT_TRUE(dialog.okEnabled());
    EXPECT_EQ(dialog.status(), "OK - Found it.");
    dialog.chooseFolder(home.path());
    EXPECT_FALSE(dialog.okEnabled());
    EXPECT_EQ(dialog.status(), "No, its not there.");
}

TEST_F(LocateDialog, ADriveChangeProbesThatDrivesCurrentFolder)
{
    drives.folders["/"] = store();
    dialog.chooseDrive("/");
    EXPECT_EQ(dialog.drive(), "/");
    EXPECT_EQ(dialog.folder(), store());
    EXPECT_TRUE(dialog.okEnabled());
}

TEST_F(LocateDialog, OkStoresTheFolderListPathWithoutTrailingBackslashes)
{
    dialog.chooseFolder("C:\\");
    dialog.typePath("x");
    dialog.typePath("");
    EXPECT_TRUE(dialog.okEnabled()) << "emptying the typed path does not disable OK";
    dialog.accept();
    EXPECT_EQ(settings.read(keys::DataLoc), "C:");
    EXPECT_TRUE(dialog.closed());
}

TEST_F(LocateDialog, ATypedPathWinsAndIsNotProbed)
{
    dialog.chooseFolder(store());
    dialog.typePath("\\\\server\\share\\cw\\\\");
    dialog.accept();
    EXPECT_EQ(settings.read(keys::DataLoc), "\\\\server\\share\\cw");
}

TEST_F(LocateDialog, AllBackslashesGiveAnEmptyFolder)
{
    dialog.typePath("\\\\\\");
    dialog.accept();
    EXPECT_EQ(settings.read(keys::DataLoc), "");
}

TEST_F(LocateDialog, CancelWritesNothing)
{
    settings.write(keys::DataLoc, "/srv/before");
    dialog.chooseFolder(store());
    dialog.cancel();
    EXPECT_TRUE(dialog.closed());
    EXPECT_EQ(settings.read(keys::DataLoc), "/srv/before");
}

} // namespace
} // namespace shiftloom
