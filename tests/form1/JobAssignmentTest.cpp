// SPDX-License-Identifier: MIT
#include "Form1Fixture.h"

#include <filesystem>

namespace shiftloom {
namespace {

class JobAssignment : public test::Form1Fixture
{
};

TEST_F(JobAssignment, APickedJobGoesOnTheTopButtonAndIsStored)
{
    assign(2);
    EXPECT_EQ(slot(0).SlotJob(), "WS      JOB00002");
    EXPECT_EQ(slot(0).SlotCard(), "2       ");
    EXPECT_EQ(slot(0).SlotDescription(), "Job 2                Detail              ");
    EXPECT_EQ(slot(0).SlotElapsed(), "00:00:00");
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(slot(i).SlotJob(), "[empty]");
    EXPECT_EQ(settings.read("button0"), "WS      JOB00002");
    EXPECT_EQ(settings.read("card0"), "2       ");
    EXPECT_EQ(settings.read("button1"), "[empty]");
    EXPECT_EQ(model.caption(ctl::Combo1), "Add Job");
    EXPECT_EQ(dataFile(), "") << "assigning starts nothing";
}

TEST_F(JobAssignment, AFullRowShiftsDownAndDropsTheBottomJob)
{
    const char* names = "ABCDEFGHIJ";
    for (int i = 0; i < 10; ++i) {
        slot(i).setSlotJob(std::string(1, names[i]));
        slot(i).setSlotCard(std::to_string(i));
    }
    slot(5).setSlotElapsed("00:10:05");
    slot(5).setRunning();
    assign(1);
    EXPECT_EQ(slot(0).SlotJob(), "WS      JOB00001");
    EXPECT_FALSE(slot(0).SlotRunning());
    for (int i = 1; i < 10; ++i) {
        EXPECT_EQ(slot(i).SlotJob(), std::string(1, names[i - 1]));
        EXPECT_EQ(slot(i).SlotCard(), std::to_string(i - 1));
    }
    EXPECT_TRUE(slot(6).SlotRunning()) << "a running slot keeps running one place lower";
    EXPECT_EQ(slot(6).SlotElapsed(), "00:10:05");
    EXPECT_FALSE(slot(5).SlotRunning());
    for (int i = 0; i < 10; ++i)
        EXPECT_NE(settings.read(keys::button(i)), "J") << "J left the row and the settings";

    // The running slot advances in its new place.
    form1.Timer1_Timer();
    EXPECT_EQ(slot(6).SlotElapsed(), "00:10:06");
}

TEST_F(JobAssignment, ARunningJobDroppedFromTheBottomStopsWithoutARecord)
{
    slot(9).setSlotJob("LAST");
    slot(9).setRunning();
    assign(3);
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(slot(i).SlotRunning());
    EXPECT_EQ(dataFile(), "");
}

TEST_F(JobAssignment, AJobAlreadyOnAButtonIsRefusedAndNothingChanges)
{
    assign(1);
    assign(2);
    const int writes = backend.writeCount();
    assign(1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
        (MessageBoxRequest{"That job already assigned",
            "Can't assign that job",
            MessageIcon::Information,
            MessageButtons::Ok,
            MessageAnswer::Ok}));
    EXPECT_EQ(slot(0).SlotJob(), "WS      JOB00002");
    EXPECT_EQ(slot(1).SlotJob(), "WS      JOB00001");
    EXPECT_EQ(backend.writeCount(), writes);
    EXPECT_EQ(model.caption(ctl::Combo1), "Add Job");
}

TEST_F(JobAssignment, TheDuplicateTestComparesTheTrimmedKeyExactly)
{
    slot(4).setSlotJob("JOB00001");
    // Prefix all blanks: the key trims to the code alone, which slot 4 already shows.
    model.setCaption(ctl::Combo1, "        JOB00001          1                 x");
    form1.Combo1_Click();
    EXPECT_EQ(host.messages.size(), 1u);
    slot(4).setSlotJob("job00001");
    form1.Combo1_Click();
    model.setCaption(ctl::Combo1, "        JOB00001          1                 x");
    form1.Combo1_Click();
    EXPECT_EQ(host.messages.size(), 1u) << "case is significant";
    EXPECT_EQ(slot(0).SlotJob(), "JOB00001");
}

TEST_F(JobAssignment, SettingsItemOpensTheLocateDialogWithoutBlockingAndKeepsTheText)
{
    model.setCaption(ctl::Combo1, "[settings]");
    form1.Combo1_Click();
    EXPECT_EQ(host.calls, std::vector<std::string>{"locate modeless"});
    EXPECT_EQ(model.caption(ctl::Combo1), "[settings]");
    EXPECT_EQ(slot(0).SlotJob(), "[empty]");
}

TEST_F(JobAssignment, AddJobChangesNothing)
{
    model.setCaption(ctl::Combo1, "Add Job");
    form1.Combo1_Click();
    EXPECT_EQ(slot(0).SlotJob(), "[empty]");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(JobAssignment, AShortLineGivesShorterFields)
{
    model.setCaption(ctl::Combo1, "  ABC  ");
    form1.Combo1_Click();
    EXPECT_EQ(slot(0).SlotJob(), "ABC");
    EXPECT_EQ(slot(0).SlotCard(), "");
    EXPECT_EQ(slot(0).SlotDescription(), "  ABC  ");
}

TEST_F(JobAssignment, ATrayClickShowsThePanelAndRereadsTheJobFile)
{
    host.windowVisible = false;
    test::writeFile(storePath("dep.dat"), test::jobFile(test::numberedJobs(5)));
    form1.Tray1_LeftClick();
    EXPECT_TRUE(host.windowVisible);
    EXPECT_EQ(model.comboItems().size(), 6u);
    EXPECT_EQ(model.comboItems().back(), "[settings]");
    EXPECT_EQ(model.caption(ctl::Combo1), "Add Job");
}

TEST(TrayClickDuringStartUp, DoesNotShowTheWindowBeforeTheLoadStepEnds)
{
    test::TempDir home;
    test::HostPathMapper paths(test::mapperHome(home.path()));
    test::HostFileOps files(paths);
    platform::MemorySettingsBackend backend;
    SettingsStore settings(backend);
    test::FakeClock clock;
    test::ScriptedHost host;
    Form1 form1(settings, files, clock, host);
    host.onLocate = [&](bool) { form1.Tray1_LeftClick(); };
    EXPECT_EQ(form1.Form_Load(), LoadOutcome::NoStart);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "show"), 0);
}

} // namespace
} // namespace shiftloom
