// SPDX-License-Identifier: MIT
#include "app/StartUp.h"
#include "app/SlotTable.h"
#include "support/CoreFixture.h"

namespace shiftloom {
namespace {

using test::FileOp;

class StartUpTest : public test::CoreFixture
{
protected:
    Form1Model form;
    LoadOutcome load() { return StartUp(form, settings, files, clock, host).Form_Load(); }
    std::vector<std::string> items() const { return form.comboItems().toVector(); }
};

TEST_F(StartUpTest, ANormalStartSetsEveryControlOfTheLoadStep)
{
    makeStore(test::numberedJobs(2));
    useStore();
    settings.write(keys::AutoCode, "1234");
    settings.write(keys::ActivityCode, "ASSEMBLY");
    settings.write(keys::ActivityNum, "00000007");
    settings.write("button2", "WS  JOB00002");

    EXPECT_EQ(load(), LoadOutcome::Normal);
    EXPECT_EQ(form.caption(ctl::Label2), "08:07:59") << "the clock shows the start time at once";
    EXPECT_EQ(form.caption(ctl::Label1), "");
    EXPECT_EQ(form.caption(ctl::Text1), "");
    EXPECT_TRUE(host.trayVisible);
    EXPECT_EQ(form.caption(ctl::Command6(2)), "WS  JOB00002");
    EXPECT_EQ(form.caption(ctl::Command6(0)), "[empty]");
    EXPECT_EQ(form.caption(ctl::Label10), "ASSEMBLY");
    EXPECT_EQ(form.caption(ctl::Label11), "00000007");
    EXPECT_EQ(form.caption(ctl::cwdir), store());
    EXPECT_EQ(form.caption(ctl::Text3), "1234");
    ASSERT_EQ(items().size(), 3u);
    EXPECT_EQ(items()[0].substr(0, 16), "WS      JOB00001");
    EXPECT_EQ(items()[2], "[settings]");
    EXPECT_EQ(form.caption(ctl::Combo1), "Add Job");
    EXPECT_TRUE(test::fileExists(storePath("data"))) << "opening for appending creates the data file";
    EXPECT_EQ(dataFile(), "");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(StartUpTest, FirstRunWithNothingConfiguredAsksAndEndsSilentlyOnCancel)
{
    EXPECT_EQ(load(), LoadOutcome::NoStart);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"tray shown", "locate modal"}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(form.caption(ctl::cwdir), "c:\\") << "the data folder was never set";
}

TEST_F(StartUpTest, AFolderChosenInTheDialogIsUsed)
{
    makeStore();
    host.onLocate = [this](bool) { settings.write(keys::DataLoc, store()); };
    EXPECT_EQ(load(), LoadOutcome::Normal);
    EXPECT_EQ(form.caption(ctl::cwdir), store());
}

TEST_F(StartUpTest, TheCardWardenIniInTheWindowsDirectoryNamesTheStore)
{
    makeStore();
    test::writeFile(paths.toHost("c:\\windows\\cwv5.ini"), "[cardmain]\r\n" + store() + "\r\n");
    EXPECT_EQ(load(), LoadOutcome::Normal);
    EXPECT_EQ(settings.read(keys::DataLoc), store());
    EXPECT_EQ(form.caption(ctl::cwdir), store());
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "locate modal"), 0);
}

TEST_F(StartUpTest, AnUnreachableStoreSwitchesSilentlyToTheFallbackFolder)
{
    settings.write(keys::DataLoc, home.path() + "/unplugged/share");
    test::writeFile(paths.toHost("c:\\dep.dat"), test::jobFile({{"L", "LOCAL", "local job", "", "5"}}));
    EXPECT_EQ(load(), LoadOutcome::Fallback);
    EXPECT_EQ(form.caption(ctl::cwdir), "c:\\");
    ASSERT_EQ(items().size(), 2u) << "the job list comes from c:\\dep.dat";
    EXPECT_EQ(items()[0].substr(8, 5), "LOCAL");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(StartUpTest, ABufferIsReplayedIntoAReachableStoreBeforeTheJobListIsRead)
{
    makeStore();
    useStore();
    test::writeFile(storePath("data"), "old\r\n");
    test::writeFile(bufferPath(), "buffered1\r\nbuffered2\r\n");
    EXPECT_EQ(load(), LoadOutcome::Normal);
    EXPECT_EQ(dataFile(), "old\r\nbuffered1\r\nbuffered2\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));
}

TEST_F(StartUpTest, AFailingReplaySwitchesToTheFallbackAndKeepsTheBuffer)
{
    makeStore();
    useStore();
    test::writeFile(bufferPath(), "buffered\r\n");
    files.failAll(FileOp::Write); // the store takes no write
    EXPECT_EQ(load(), LoadOutcome::Fallback);
    EXPECT_EQ(form.caption(ctl::cwdir), "c:\\");
    EXPECT_EQ(buffer(), "buffered\r\n");
    EXPECT_EQ(dataFile(), "");
}

TEST_F(StartUpTest, AJobFileThatCannotBeReadSwitchesOnceThenListsOnlySettings)
{
    makeStore();
    useStore();
    files.failAll(FileOp::Read);
    EXPECT_EQ(load(), LoadOutcome::Fallback);
    EXPECT_EQ(form.caption(ctl::cwdir), "c:\\");
    EXPECT_EQ(items(), std::vector<std::string>{"[settings]"});
    EXPECT_EQ(form.caption(ctl::Combo1), "Add Job");
}

TEST_F(StartUpTest, StartUpWritesTheActivityBackOnlyWhenItChangesACaption)
{
    makeStore();
    useStore();
    settings.write(keys::ActivityNum, "42");
    const int before = backend.writeCount();
    // Nobody listens to the labels here; the Form1 tests cover the change handlers.
    EXPECT_EQ(load(), LoadOutcome::Normal);
    EXPECT_EQ(backend.writeCount(), before);
    EXPECT_EQ(form.caption(ctl::Label11), "42");
}

TEST_F(StartUpTest, AfterARestartNoSlotRuns)
{
    makeStore();
    useStore();
    settings.write("button0", "WS  JOB00001");
    form.setBackColour(ctl::Command6(0), RunningColour);
    Form1Model fresh;
    EXPECT_EQ(StartUp(fresh, settings, files, clock, host).Form_Load(), LoadOutcome::Normal);
    EXPECT_FALSE(SlotTable(fresh).slot(0).SlotRunning());
    EXPECT_EQ(fresh.caption(ctl::Text2(0)), "00:00:00");
}

} // namespace
} // namespace shiftloom
