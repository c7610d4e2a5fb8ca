// SPDX-License-Identifier: MIT
// The panel's rules, through its operations and a scripted desktop: the start-up, timing and
// its records, the clock tick, job assignment, the keypad, the card number and the drag.
#include "panel/Panel.h"
#include "panel/TimeText.h"
#include "support/CoreFixture.h"
#include "timing/RecordLayout.h"

namespace shiftloom {
namespace {

using test::FileOp;

const Activity kRepair{"REPAIR  ", "00000002"};
constexpr std::string_view kStop = "0120261205080701000000000000123400000000000000000000000000000000";

class PanelTest : public test::CoreFixture
{
protected:
    Panel panel{settings, files, clock, host};

    /** A loaded panel on a store of three jobs, the worker's card 1234 and activity 5. */
    void load()
    {
        makeStore(test::numberedJobs(3), "ASSEMBLYAssembly work   00000001;\r\nREPAIR  Repairs         00000002;\r\n");
        useStore();
        settings.write(keys::AutoCode, "1234");
        settings.write(keys::ActivityNum, "00000005");
        ASSERT_EQ(panel.load(), LoadOutcome::Normal);
        host.calls.clear();
    }
    /** Assigns job `n` of the store by picking its line in the job list. */
    void assign(int n) { panel.assignJob(panel.jobList()[static_cast<std::size_t>(n - 1)]); }
    /** Presses the job button of `slot` and answers the activity dialog with `chosen`. */
    void start(int slot, const std::optional<Activity>& chosen = std::nullopt)
    {
        ASSERT_EQ(panel.pressJobButton(slot), JobPress::ChooseActivity);
        panel.startJob(slot, chosen);
    }
    void edit(int slot, std::string_view time) { panel.editElapsed(slot, time); }
    std::string elapsed(int slot) const { return timeText(panel.slot(slot).elapsed); }
    std::vector<std::string> records() const { return test::recordLines(dataFile()); }
};

// ---- Start-up ----

TEST_F(PanelTest, ANormalStartRestoresTheRunFromTheSettingsAndTheStore)
{
    settings.write(keys::ActivityCode, "ASSEMBLY");
    settings.write("button2", "WS  JOB00002");
    settings.write("card2", "00000002");
    load();
    EXPECT_EQ(timeText(panel.clockDisplay()), "08:07:59") << "the clock shows the start time at once";
    EXPECT_TRUE(host.trayVisible);
    EXPECT_EQ(panel.slot(2), (JobSlot{"WS  JOB00002", "00000002", "", ElapsedTime{0}}));
    EXPECT_TRUE(panel.slot(0).isFree());
    EXPECT_EQ(panel.activity(), (Activity{"ASSEMBLY", "00000005"}));
    EXPECT_EQ(panel.dataFolder(), store());
    EXPECT_EQ(panel.cardNumber(), "1234");
    ASSERT_EQ(panel.jobList().size(), 4u);
    EXPECT_EQ(panel.jobList()[0].substr(0, 16), "WS      JOB00001");
    EXPECT_EQ(panel.jobList()[3], "[settings]");
    EXPECT_EQ(panel.jobListText(), "Add Job");
    EXPECT_FALSE(panel.runningSlot()) << "timing does not survive a restart";
    EXPECT_TRUE(test::fileExists(storePath("data"))) << "opening for appending creates the data file";
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PanelTest, WithNoFolderKnownTheWorkerIsAskedAndCancelEndsTheStartSilently)
{
    EXPECT_EQ(panel.load(), LoadOutcome::NoStart);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"tray shown", "locate modal"}));
    EXPECT_FALSE(panel.loaded());

    makeStore();
    host.onLocate = [this](DialogMode) { settings.write(keys::DataLoc, store()); };
    EXPECT_EQ(panel.load(), LoadOutcome::Normal) << "a folder chosen in the dialog is used";
    EXPECT_EQ(panel.dataFolder(), store());
}

TEST_F(PanelTest, TheIniInTheWindowsFolderNamesTheStoreWithoutAsking)
{
    makeStore();
    test::writeFile(paths.toHost("c:\\windows\\cwv5.ini"), "[cardmain]\r\n" + store() + "\r\n");
    EXPECT_EQ(panel.load(), LoadOutcome::Normal);
    EXPECT_EQ(panel.dataFolder(), store());
    EXPECT_EQ(host.calls, (std::vector<std::string>{"tray shown"}));
}

TEST_F(PanelTest, AStoreThatCannotBeWrittenSwitchesTheRunToTheFallbackAndItsBuffer)
{
    settings.write(keys::DataLoc, home.path() + "/unplugged/share");
    test::writeFile(paths.toHost("c:\\dep.dat"), test::jobFile({{"L", "LOCAL", "local job", "", "5"}}));
    EXPECT_EQ(panel.load(), LoadOutcome::Fallback);
    EXPECT_EQ(panel.dataFolder(), "c:\\");
    ASSERT_EQ(panel.jobList().size(), 2u) << "the job list comes from c:\\dep.dat";
    EXPECT_EQ(panel.jobList()[0].substr(8, 5), "LOCAL");
    panel.stopAll();
    EXPECT_EQ(test::recordLines(buffer()).size(), 1u) << "records go to the buffer c:\\data";
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PanelTest, AJobFileThatCannotBeReadSwitchesOnceAndListsOnlySettings)
{
    makeStore();
    useStore();
    files.failAll(FileOp::Read);
    EXPECT_EQ(panel.load(), LoadOutcome::Fallback);
    EXPECT_EQ(panel.jobList().toVector(), std::vector<std::string>{"[settings]"});
}

TEST_F(PanelTest, TheBufferIsHandedOverToAReachableStoreAtTheStart)
{
    test::writeFile(storePath("data"), "old\r\n");
    test::writeFile(bufferPath(), "buffered1\r\nbuffered2\r\n");
    load();
    EXPECT_EQ(dataFile(), "old\r\nbuffered1\r\nbuffered2\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));
}

// ---- Timing ----

TEST_F(PanelTest, APressOnAFreeButtonIsRefusedAndLeadsToTheJobList)
{
    load();
    assign(1);
    start(0);
    panel.keyDigit(1);
    host.calls.clear();
    EXPECT_EQ(panel.pressJobButton(5), JobPress::Refused);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
        (Message{"Please select job for this button first",
            "NO JOB, CAN'T START",
            MessageIcon::Critical,
            MessageButtons::Ok,
            MessageAnswer::Ok}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"auto-hide off", "focus job list"}));
    EXPECT_EQ(panel.runningSlot(), 0) << "the slot that ran keeps running";
    EXPECT_EQ(records().size(), 1u);
    EXPECT_EQ(panel.keypadEntry(), "1");
}

TEST_F(PanelTest, APressRunsItsSlotAloneAndTheStartIsRecordedWhenTheActivityIsChosen)
{
    load();
    assign(2);
    assign(1);
    start(0);
    panel.keyDigit(9);
    ASSERT_EQ(panel.pressJobButton(1), JobPress::ChooseActivity);
    EXPECT_EQ(panel.runningSlot(), 1) << "running already while the dialog is open";
    clock.set({2026, 12, 5, 8, 9, 30}); // the dialog took a while
    panel.startJob(1, kRepair);
    EXPECT_EQ(records().at(1), "0120261205080900000000000000123400000000000000020000000000000002");
    EXPECT_EQ(panel.activity(), kRepair);
    EXPECT_EQ(settings.read(keys::ActivityCode), "REPAIR  ");
    EXPECT_EQ(settings.read(keys::ActivityNum), "00000002");
    EXPECT_EQ(panel.keypadEntry(), "");
    EXPECT_TRUE(host.autoHideOn);
}

TEST_F(PanelTest, WithoutAChoiceTheActivityStaysAndARunningSlotPressedAgainKeepsItsTime)
{
    load();
    assign(3);
    start(0);
    EXPECT_EQ(record::jobCard.of(records().at(0)), "0000000000000003");
    EXPECT_EQ(record::activity.of(records().at(0)), "0000000000000005");
    edit(0, "00:03:00");
    start(0, kRepair);
    ASSERT_EQ(records().size(), 2u);
    EXPECT_EQ(record::activity.of(records()[1]), "0000000000000002");
    EXPECT_EQ(panel.runningSlot(), 0);
    EXPECT_EQ(elapsed(0), "00:03:00");
}

TEST_F(PanelTest, StopAllStopsEverySlotAndWritesAStopAtEveryPress)
{
    load();
    assign(1);
    start(0);
    edit(0, "00:01:02");
    panel.stopAll();
    panel.stopAll();
    EXPECT_EQ(records(), (std::vector<std::string>{records()[0], std::string(kStop), std::string(kStop)}));
    EXPECT_FALSE(panel.runningSlot());
    EXPECT_EQ(elapsed(0), "00:01:02");
    panel.setCardNumber("");
    panel.stopAll();
    EXPECT_EQ(record::card.of(records().back()), "0000000000000000");
}

TEST_F(PanelTest, InWritesTheKeyedDigitsOnlyWhenThereAreAny)
{
    load();
    panel.punchIn();
    EXPECT_EQ(dataFile(), "");
    for (int d : {4, 7, 1, 1})
        panel.keyDigit(d);
    EXPECT_EQ(panel.keypadEcho(), "****");
    panel.punchIn();
    EXPECT_EQ(records(), std::vector<std::string>{"012026120508070000471100"});
    EXPECT_EQ(panel.keypadEntry(), "");
    EXPECT_EQ(panel.keypadEcho(), "");
}

TEST_F(PanelTest, TheConfirmedExitEndsAtOnceWithoutARecordAndNoEndsNothing)
{
    load();
    assign(1);
    start(0);
    host.answers = {MessageAnswer::No, MessageAnswer::Yes};
    panel.exit();
    EXPECT_EQ(panel.runningSlot(), 0);
    EXPECT_THROW(panel.exit(), test::ProgramEnded);
    EXPECT_EQ(host.messages.at(0),
        (Message{"Are you sure? WARNING this will stop all timing.",
            "Exit Shift-Loom?",
            MessageIcon::None,
            MessageButtons::YesNo,
            MessageAnswer::Yes}));
    EXPECT_FALSE(host.trayVisible);
    EXPECT_EQ(records().size(), 1u);
}

TEST_F(PanelTest, TheEndOfTheRunWritesOneStopOnlyWhileASlotRuns)
{
    load();
    panel.endOfRun();
    EXPECT_EQ(dataFile(), "") << "nothing runs: the data file is not touched";
    assign(1);
    start(0);
    panel.endOfRun();
    EXPECT_EQ(records().back(), kStop);
}

// ---- The clock tick ----

struct Carry
{
    const char* before;
    const char* after;
};

class RunningTimeCarries : public PanelTest, public ::testing::WithParamInterface<Carry>
{
};

TEST_P(RunningTimeCarries, ARunningSlotAdvancesByOneSecondAndTheTotalFollows)
{
    load();
    assign(1);
    start(0);
    edit(0, GetParam().before);
    panel.tick();
    EXPECT_EQ(elapsed(0), GetParam().after);
    EXPECT_EQ(timeText(panel.totalElapsed()), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Times,
    RunningTimeCarries,
    ::testing::Values(Carry{"00:00:59", "00:01:00"},
        Carry{"00:59:59", "01:00:00"},
        Carry{"23:59:59", "00:00:00"},
        Carry{"garbage", "00:00:01"},
        // A time typed with minutes or seconds beyond 59 counts on as the time it stands for.
        Carry{"00:99:99", "01:40:40"}));

TEST_F(PanelTest, TheClockShowsTheSystemTimeUnlessTheRunningTimeIsPastTheFirstMinuteOfAnHour)
{
    load();
    clock.set({2026, 12, 5, 13, 14, 15});
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "13:14:15") << "nothing runs";
    assign(1);
    start(0);
    edit(0, "00:10:00");
    clock.set({2026, 12, 5, 13, 20, 0});
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "13:14:16") << "the clock counts by itself";
    edit(0, "00:59:59");
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "13:20:00") << "running minutes 00: the system time";
}

TEST_F(PanelTest, TheClockDisplayWrapsAtMidnightWhileCountingByItself)
{
    clock.set({2026, 12, 5, 23, 59, 59});
    load();
    assign(1);
    start(0);
    edit(0, "00:10:00");
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "00:00:00");
}

TEST_F(PanelTest, AKeypadEntryStandsInForTheRunningTimeOfTheClockWhenNoSlotRuns)
{
    // The entry 123456 reads as the time 12:34:56: its minutes are not 0, so the clock counts on
    // by itself instead of showing the system time, as the panel always has.
    load();
    for (int d : {1, 2, 3, 4, 5, 6})
        panel.keyDigit(d);
    clock.set({2026, 12, 5, 10, 0, 0});
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "08:08:00");
    EXPECT_EQ(panel.keypadEntry(), "123456");
}

TEST_F(PanelTest, TheTotalSumsEverySlotWithoutWrappingItsHours)
{
    load();
    for (int i = 0; i < 5; ++i)
        edit(i, "23:59:59");
    for (int i = 5; i < 9; ++i)
        edit(i, "00:45:45");
    edit(9, "00:00:05");
    EXPECT_EQ(timeText(panel.totalElapsed()), "123:03:00");
}

TEST_F(PanelTest, ServiceCodesActAtTheNextTickOnlyWhenKeyedWhole)
{
    load();
    for (int d : {0, 7, 3, 3, 7, 0})
        panel.keyDigit(d);
    host.onLocate = [this](DialogMode) { panel.tick(); }; // ticks go on inside the dialog
    panel.tick();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"locate modal"})) << "opened once";
    EXPECT_EQ(panel.keypadEntry(), "");

    for (int d : {0, 4, 8, 8, 4, 0, 1})
        panel.keyDigit(d);
    panel.tick();
    EXPECT_EQ(host.calls.size(), 1u) << "a longer entry is no code";
    panel.clearKeypad();
    for (int d : {0, 4, 8, 8, 4, 0})
        panel.keyDigit(d);
    assign(1);
    start(0);
    EXPECT_EQ(panel.keypadEntry(), "") << "a start empties the entry";
    for (int d : {0, 4, 8, 8, 4, 0})
        panel.keyDigit(d);
    EXPECT_THROW(panel.tick(), test::ProgramEnded);
    EXPECT_FALSE(host.trayVisible);
    EXPECT_EQ(records().size(), 1u) << "no stop for the running slot";
}

TEST_F(PanelTest, AutoHideHidesThePanelAndSwitchesItsTimerOff)
{
    load();
    assign(1);
    start(0);
    panel.autoHide();
    EXPECT_FALSE(host.panelVisible);
    EXPECT_FALSE(host.autoHideOn);
    EXPECT_EQ(panel.pressJobButton(4), JobPress::Refused);
    EXPECT_FALSE(host.autoHideOn) << "a refused press leaves it off";
}

// ---- Job assignment ----

TEST_F(PanelTest, APickedJobGoesOnTopTheRowShiftsDownAndAllThirtyKeysAreStored)
{
    load();
    assign(3);
    assign(2);
    start(1);
    edit(1, "00:10:05");
    assign(1);
    EXPECT_EQ(panel.slot(0), (JobSlot{"WS      JOB00001", "1       ", panel.slot(0).description, ElapsedTime{0}}));
    EXPECT_EQ(panel.slot(0).description, panel.jobList()[0].substr(panel.jobList()[0].size() - 41));
    EXPECT_EQ(panel.slot(1).job, "WS      JOB00002");
    EXPECT_EQ(panel.runningSlot(), 2) << "the running job moves down with its time";
    EXPECT_EQ(elapsed(2), "00:10:05");
    EXPECT_TRUE(panel.slot(3).isFree());
    EXPECT_EQ(settings.read("button0"), "WS      JOB00001");
    EXPECT_EQ(settings.read("card2"), "3       ");
    EXPECT_EQ(settings.read("desc1"), panel.slot(1).description);
    EXPECT_EQ(settings.read("button9"), "[empty]");
    EXPECT_EQ(panel.jobListText(), "Add Job");
}

TEST_F(PanelTest, AJobRunningInTheBottomSlotLeavesTheRowWithoutARecord)
{
    load();
    assign(1);
    start(0);
    for (int n = 0; n < 9; ++n)
        panel.assignJob(std::string(1, 'X').append(std::to_string(n)));
    EXPECT_EQ(panel.runningSlot(), 9);
    panel.assignJob("LAST");
    EXPECT_FALSE(panel.runningSlot());
    EXPECT_EQ(records().size(), 1u);
    EXPECT_EQ(settings.read("button9"), "X0");
}

TEST_F(PanelTest, AJobAlreadyOnAButtonIsRefusedByItsTrimmedKey)
{
    load();
    panel.assignJob("        JOB00009..........CARD0009 rest of the line");
    EXPECT_EQ(panel.slot(0).job, "JOB00009");
    EXPECT_EQ(panel.slot(0).card, "CARD0009") << "eight characters from column 27";
    panel.assignJob("JOB00009        another line");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(
        host.messages[0], (Message{"That job already assigned", "Can't assign that job", MessageIcon::Information}));
    EXPECT_TRUE(panel.slot(1).isFree());
    EXPECT_EQ(panel.jobListText(), "Add Job");
    panel.assignJob("job00009");
    EXPECT_EQ(panel.slot(0).job, "job00009") << "case counts";
}

TEST_F(PanelTest, TheSettingsItemOpensTheLocateDialogBesideThePanelAndAddJobDoesNothing)
{
    load();
    panel.assignJob("[settings]");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"locate modeless"}));
    EXPECT_EQ(panel.jobListText(), "[settings]");
    panel.assignJob("Add Job");
    EXPECT_TRUE(panel.slot(0).isFree());
    EXPECT_EQ(settings.read("button0"), "");
}

TEST_F(PanelTest, ATrayClickShowsThePanelAndReadsTheJobListAgainOnceLoaded)
{
    panel.showFromTray();
    EXPECT_TRUE(host.calls.empty()) << "not before the start-up has ended";
    load();
    host.panelVisible = false;
    test::writeFile(storePath("dep.dat"), test::jobFile(test::numberedJobs(5)));
    const auto version = panel.jobListVersion();
    panel.showFromTray();
    EXPECT_TRUE(host.panelVisible);
    EXPECT_EQ(panel.jobList().size(), 6u);
    EXPECT_NE(panel.jobListVersion(), version);
}

// ---- Keypad, card number, activity number, drag ----

TEST_F(PanelTest, TheKeypadAndTheCardNumberKeepWhatTheyShouldAndNoMore)
{
    load();
    panel.keyDigit(1);
    panel.keyDigit(2);
    panel.clearKeypad();
    EXPECT_EQ(panel.keypadEntry(), "");
    panel.setCardNumber("5678");
    EXPECT_EQ(settings.read(keys::AutoCode), "1234") << "typing alone stores nothing";
    panel.keepCardNumber();
    EXPECT_EQ(settings.read(keys::AutoCode), "5678");
    settings.write(keys::ActivityNum, "other");
    panel.keepActivityNumber();
    EXPECT_EQ(settings.read(keys::ActivityNum), "00000005");
    panel.hidePanel();
    EXPECT_FALSE(host.panelVisible);
}

TEST_F(PanelTest, TheStripMovesThePanelByThePointersDistanceOnlyWhileDragging)
{
    load();
    panel.moveOverDragStrip(400, 400);
    EXPECT_EQ(host.position, (ScreenPosition{1500, 1500}));
    panel.pressDragStrip(300, 200);
    panel.moveOverDragStrip(450, 290);
    EXPECT_EQ(host.position, (ScreenPosition{1650, 1590}));
    panel.releaseDragStrip();
    panel.moveOverDragStrip(0, 0);
    EXPECT_EQ(host.position, (ScreenPosition{1650, 1590}));
}

} // namespace
} // namespace shiftloom
