// SPDX-License-Identifier: MIT
// The panel's rules, through its operations and a scripted desktop: the start-up, timing and
// its records, the clock tick, job assignment, the keypad and the card number.
#include "panel/Panel.h"
#include "panel/TimeText.h"
#include "support/CoreFixture.h"
#include "timing/RecordLayout.h"

namespace shiftloom {
namespace {

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
        panel.prepare(); // as the front ends start: the store asked before the window is built
        ASSERT_EQ(panel.load(), LoadOutcome::Normal);
        host.calls.clear();
    }
    /** Assigns job `n` of the store by picking its line in the job list. */
    void assign(int n) { panel.pickJobLine(static_cast<std::size_t>(n - 1)); }
    /** Presses the job button of `slot` and answers the activity dialog with `chosen`. */
    void start(int slot, const std::optional<Activity>& chosen = std::nullopt)
    {
        host.activityPicked = chosen;
        panel.pressJobButton(slot);
    }
    /** A loaded panel with the first job on the top button, running. */
    void loadAndRun()
    {
        load();
        assign(1);
        start(0);
    }
    void key(std::string_view digits)
    {
        for (const char d : digits)
            panel.keyDigit(d - '0');
    }
    void edit(int slot, std::string_view time) { panel.editElapsed(slot, time); }
    std::string elapsed(int slot) const { return timeText(panel.slot(slot).elapsed); }
    std::vector<std::string> records() const { return test::recordLines(dataFile()); }
};

// ---- Start-up ----

TEST_F(PanelTest, ANormalStartRestoresTheRunFromTheSettingsAndTheStore)
{
    settings.write(keys::ActivityCode, "ASSEMBLY");
    settings.write(keys::button(2), "WS  JOB00002");
    settings.write(keys::card(2), "00000002");
    load();
    EXPECT_EQ(timeText(panel.clockDisplay()), "08:07:59") << "the clock shows the start time at once";
    EXPECT_EQ(panel.slot(2), (JobSlot{"WS  JOB00002", "00000002", "", ElapsedTime{0}}));
    EXPECT_TRUE(panel.slot(0).isFree());
    EXPECT_EQ(panel.activity(), (Activity{"ASSEMBLY", "00000005"}));
    EXPECT_EQ(panel.cardNumber(), "1234");
    ASSERT_EQ(panel.jobList().size(), 4u);
    EXPECT_EQ(panel.jobList()[3], "[settings]");
    EXPECT_TRUE(test::fileExists(storePath("data"))) << "opening for appending creates the data file";
    EXPECT_TRUE(host.trayVisible && host.messages.empty());
}

#ifndef _WIN32
// Linux: a worker's set-up at the places of earlier versions, their drive C folder (a store named "c:\\cw" kept in it,
// Card-Warden's registration in its "windows" folder, records in the buffer c:\\data, the fallback folder's lists) is
// found at the first start of this one and moved: the setting names the store's folder, the records are in the store,
// the registration is this account's, and a start without the setting finds the store through it.
TEST_F(PanelTest, AnUpgradeFromTheEarlierLinuxLayoutLosesNothing)
{
    const std::string ours = home.path() + "/Ovix_Shift-Loom", cw = ours + "/drive_c/cw";
    const std::string registration = "[cardmain]\r\nc:\\cw\r\n";
    test::writeFile(cw + "/cardward.ini", "[cardward]\r\n");
    test::writeFile(ours + "/drive_c/windows/cwv5.ini", registration);
    test::writeFile(ours + "/drive_c/data", "b1\r\nb2\r\n");
    test::writeFile(ours + "/drive_c/activities.txt", "A;\r\n");
    for (const char* setting : {"c:\\cw", ""}) { // the earlier version's setting, then none: the registration's
        settings.write(keys::DataLoc, setting);
        Panel started(settings, files, clock, host);
        started.prepare();
        ASSERT_EQ(started.load(), LoadOutcome::Normal);
        EXPECT_EQ(started.dataFolder() + " " + settings.read(keys::DataLoc), cw + " " + cw);
    }
    EXPECT_EQ(test::readFile(cw + "/data"), "b1\r\nb2\r\n");
    EXPECT_EQ(test::readFile(home.path() + "/config/Ovix_Shift-Loom/cwv5.ini"), registration);
    EXPECT_EQ(test::readFile(ours + "/activities.txt"), "A;\r\n");
    for (const char* moved : {"/data", "/windows/cwv5.ini", "/activities.txt"})
        EXPECT_FALSE(test::fileExists(ours + "/drive_c" + moved)) << moved;
}
#endif

// A store away at the start (its share not mounted yet): the run starts on the fallback folder,
// its records wait in the buffer, and once the store is there the run goes back to it within a
// minute, without a restart: its job list, and the records in it. A record that no place on the
// disk takes is told to the worker at once, once.
TEST_F(PanelTest, AStoreAwayAtTheStartIsTakenBackWhenItComesAndTheWorkerHearsOfARecordNotSaved)
{
    const std::string share = home.path() + "/unplugged/share";
    std::filesystem::create_directories(share); // an empty mount point
    settings.write(keys::DataLoc, share);
    settings.write(keys::AutoCode, "1234");
    test::writeFile(paths.toHost(storeFile(FallbackDataFolder, kJobFileName)),
        test::jobFile({{"L", "LOCAL", "local job", "", "5"}}));
    panel.prepare();
    EXPECT_EQ(panel.load(), LoadOutcome::Fallback);
    EXPECT_EQ(panel.dataFolder(), FallbackDataFolder);
    EXPECT_EQ(panel.jobList().size(), 2u) << "the job list comes from the fallback folder";
    panel.stopAll();
    EXPECT_EQ(test::recordLines(buffer()).size(), 1u) << "records wait in the buffer";
    EXPECT_TRUE(host.messages.empty());

    EXPECT_TRUE(std::filesystem::is_empty(share)) << "nothing made in the empty mount point";
    makeStore();
    std::filesystem::remove(share); // the share mounted there
    std::filesystem::rename(store(), share);
    int seconds = 0;
    for (; panel.dataFolder() != share && seconds < 120; ++seconds) {
        clock.advance(std::chrono::seconds(1));
        panel.tick();
    }
    EXPECT_LE(seconds, 60);
    EXPECT_EQ(panel.jobList().size(), 4u) << "the job list comes from the store";
    EXPECT_EQ(test::readFile(share + "/data"), std::string(kStop) + "\r\n");

    files.refuseOpens(share + "\\data", false); // appended to, not read, and not locked (Windows)
    files.failAllOn(test::FileOp::Lock, "\\data", platform::FileError::AccessDenied);
    panel.stopAll();
    panel.tick();
    files.clear();
    files.allowOpens(share + "\\data");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, messages::LockRefusedTitle);

    test::writeFile(bufferPath() + ".x", "");
    std::filesystem::rename(bufferPath(), bufferPath() + ".y");
    std::filesystem::rename(bufferPath() + ".x", bufferPath()); // a file where the buffer's folder was
    files.failAll(test::FileOp::Open);
    panel.stopAll();
    panel.stopAll();
    files.clear();
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].title, messages::NotSavedTitle);
}

TEST_F(PanelTest, AJobFileThatCannotBeReadSwitchesOnceAndListsOnlySettings)
{
    makeStore();
    useStore();
    files.failAll(test::FileOp::Read);
    EXPECT_EQ(panel.load(), LoadOutcome::Fallback);
    EXPECT_EQ(panel.jobList().toVector(), std::vector<std::string>{"[settings]"});
}

// ---- Timing ----

TEST_F(PanelTest, APressOnAFreeButtonIsRefusedAndLeadsToTheJobList)
{
    loadAndRun();
    host.calls.clear();
    panel.pressJobButton(5);
    EXPECT_EQ(host.messages,
        (std::vector<Message>{{"Please select job for this button first",
            "NO JOB, CAN'T START",
            MessageIcon::Critical,
            MessageButtons::Ok,
            MessageAnswer::Ok}}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"auto-hide off", "focus job list"}));
    EXPECT_EQ(panel.runningSlot(), 0) << "the slot that ran keeps running";
    EXPECT_EQ(records().size(), 1u);
}

TEST_F(PanelTest, APressRunsItsSlotAloneAndTheStartIsRecordedWhenTheActivityIsChosen)
{
    load();
    assign(3);
    assign(1);
    start(0);
    key("9");
    host.onActivity = [this](const ActivityList&) {
        EXPECT_EQ(panel.runningSlot(), 1) << "running already while the dialog is open";
        clock.set({2026, 12, 5, 8, 9, 30}); // the dialog took a while
        return std::optional<Activity>(kRepair);
    };
    panel.pressJobButton(1);
    host.onActivity = nullptr;
    EXPECT_EQ(records().at(1), "0120261205080900000000000000123400000000000000030000000000000002");
    EXPECT_EQ(settings.read(keys::ActivityCode) + settings.read(keys::ActivityNum), "REPAIR  00000002");
    EXPECT_EQ(panel.keypadEntry(), "") << "a start empties the keypad";
    EXPECT_TRUE(host.autoHideOn);
    edit(1, "00:03:00");
    start(1);
    EXPECT_EQ(elapsed(1), "00:03:00") << "pressed again, a running slot keeps its time";
    EXPECT_EQ(record::activity.of(records().back()), "0000000000000002") << "no choice: the activity stays";
    panel.autoHide();
    EXPECT_FALSE(host.panelVisible || host.autoHideOn);
}

TEST_F(PanelTest, StopAllWritesAStopAtEveryPressAndTheEndOfTheRunOnlyWhileASlotRuns)
{
    load();
    panel.endOfRun();
    EXPECT_EQ(dataFile(), "") << "nothing runs: the data file is not touched";
    assign(1);
    start(0);
    edit(0, "00:01:02");
    panel.stopAll();
    panel.stopAll();
    EXPECT_EQ(records(), (std::vector<std::string>{records()[0], std::string(kStop), std::string(kStop)}));
    EXPECT_FALSE(panel.runningSlot());
    EXPECT_EQ(elapsed(0), "00:01:02");
    start(0);
    panel.endOfRun();
    EXPECT_EQ(records().size(), 5u);
    EXPECT_EQ(records().back(), kStop);
}

TEST_F(PanelTest, TheConfirmedExitAndTheExitCodeEndAtOnceWithoutAStop)
{
    loadAndRun();
    host.answers = {MessageAnswer::No, MessageAnswer::Yes};
    panel.exit();
    EXPECT_EQ(panel.runningSlot(), 0) << "No ends nothing";
    EXPECT_EQ(host.messages.at(0),
        (Message{"Are you sure? WARNING this will stop all timing.",
            "Exit Shift-Loom?",
            MessageIcon::None,
            MessageButtons::YesNo,
            MessageAnswer::Yes}));
    EXPECT_THROW(panel.exit(), test::ProgramEnded);
    host.calls.clear();
    key("048840");
    EXPECT_THROW(panel.tick(), test::ProgramEnded);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"tray removed", "end"}));
    EXPECT_EQ(records().size(), 1u);
}

// ---- The keypad ----

TEST_F(PanelTest, InPunchesTheKeyedDigitsAndAWholeCodeActsAtTheNextTick)
{
    load();
    panel.punchIn();
    EXPECT_EQ(dataFile(), "") << "nothing keyed, nothing punched";
    key("4711");
    EXPECT_EQ(panel.keypadEcho(), "****");
    panel.punchIn();
    EXPECT_EQ(records(), std::vector<std::string>{"012026120508070000471100"});
    EXPECT_EQ(panel.keypadEcho(), "");
    key("073370");
    host.onLocate = [this](DialogMode) { panel.tick(); }; // ticks go on inside the dialog
    panel.tick();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"locate modal"})) << "opened once";
    EXPECT_EQ(panel.keypadEntry(), "");
    key("0488401");
    panel.tick();
    EXPECT_EQ(host.calls.size(), 1u) << "a longer entry is no code";
    panel.clearKeypad();
    EXPECT_EQ(panel.keypadEntry(), "");
}

// ---- The clock tick ----

class RunningTimeCarries : public PanelTest, public ::testing::WithParamInterface<std::pair<const char*, const char*>>
{
};

TEST_P(RunningTimeCarries, ARunningSlotAdvancesByOneSecondAndTheTotalFollows)
{
    loadAndRun();
    edit(0, GetParam().first);
    panel.tick();
    EXPECT_EQ(elapsed(0), GetParam().second);
    EXPECT_EQ(timeText(panel.totalElapsed()), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Times,
    RunningTimeCarries,
    ::testing::Values(std::pair{"00:00:59", "00:01:00"},
        std::pair{"00:59:59", "01:00:00"},
        std::pair{"23:59:59", "00:00:00"},
        std::pair{"garbage", "00:00:01"},
        // A time typed with minutes or seconds beyond 59 counts on as the time it stands for.
        std::pair{"00:99:99", "01:40:40"}));

// The clock shows the system time when the running time (with nothing running, a keypad entry
// read as a time) enters the first minute of an hour at this tick, and else counts by itself.
TEST_F(PanelTest, TheClockShowsTheSystemTimeOnlyInTheFirstMinuteOfTheRunningHour)
{
    load();
    clock.set({2026, 12, 5, 13, 14, 15});
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "13:14:15") << "nothing runs";
    key("123456");
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "13:14:16") << "the entry reads as 12:34:56";
    assign(1);
    start(0);
    edit(0, "00:10:00");
    clock.set({2026, 12, 5, 13, 20, 0});
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "13:14:17") << "the clock counts by itself";
    edit(0, "00:59:59");
    panel.tick();
    EXPECT_EQ(timeText(panel.clockDisplay()), "13:20:00");
    clock.set({2026, 12, 5, 9, 0, 0});
    panel.resynchroniseClock();
    EXPECT_EQ(timeText(panel.clockDisplay()), "09:00:00") << "the system time was set";
}

// Seconds caught up after a sleep leave the running time and the clock display as that many
// ticks, each at its own second of the system clock, would have left them.
class CatchUp : public PanelTest, public ::testing::WithParamInterface<std::pair<const char*, int>>
{
};

TEST_P(CatchUp, MissedSecondsAdvanceTheTimesAsTheirTicksWould)
{
    const auto [running, missed] = GetParam();
    loadAndRun();
    Panel ticked{settings, files, clock, host}; // the same run, ticked second by second
    ASSERT_EQ(ticked.load(), LoadOutcome::Normal);
    ticked.pressJobButton(0);
    for (Panel* p : {&panel, &ticked})
        p->editElapsed(0, running);
    for (int s = 8 * 3600 + 1; s <= 8 * 3600 + missed; ++s) {
        clock.set({2026, 12, 5, s / 3600, s / 60 % 60, s % 60});
        ticked.tick();
    }
    panel.catchUp(ElapsedTime(missed));
    EXPECT_EQ(elapsed(0), timeText(ticked.slot(0).elapsed));
    EXPECT_EQ(timeText(panel.clockDisplay()), timeText(ticked.clockDisplay()));
}

INSTANTIATE_TEST_SUITE_P(Seconds,
    CatchUp,
    ::testing::Values(std::pair{"00:10:00", 100}, // the clock counts by itself
        std::pair{"00:59:30", 20},
        std::pair{"00:59:30", 45}, // into the next hour's first minute: the system time, carried on
        std::pair{"23:59:50", 3700}, // through 24 hours to 0, and a whole hour after
        std::pair{"30:00:05", 10})); // typed beyond 24 hours: it never wraps

TEST_F(PanelTest, TheTotalSumsEverySlotWithoutWrappingItsHours)
{
    load();
    for (int i = 0; i < 10; ++i)
        edit(i, i < 5 ? "23:59:59" : i < 9 ? "00:45:45" : "00:00:05");
    EXPECT_EQ(timeText(panel.totalElapsed()), "123:03:00");
}

// ---- Job assignment ----

TEST_F(PanelTest, APickedJobGoesOnTopTheRowShiftsDownWithTheRunningJobAndIsStored)
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
    EXPECT_EQ(settings.read(keys::button(0)) + settings.read(keys::card(2)), "WS      JOB000013       ");
    EXPECT_EQ(settings.read(keys::button(9)), "[empty]");
    EXPECT_EQ(panel.jobListText(), "Add Job");
    for (int n = 0; n < 7; ++n)
        panel.assignJob("X" + std::to_string(n));
    EXPECT_EQ(panel.runningSlot(), 9);
    panel.assignJob("LAST");
    EXPECT_FALSE(panel.runningSlot()) << "pushed off the row, without a record";
    EXPECT_EQ(records().size(), 1u);
    EXPECT_EQ(settings.read(keys::button(9)), "WS      JOB00002");
}

TEST_F(PanelTest, AJobAlreadyOnAButtonIsRefusedByItsTrimmedKeyAndTheListsOtherItemsAssignNothing)
{
    load();
    panel.assignJob("        JOB00009..........CARD0009 rest of the line");
    EXPECT_EQ(panel.slot(0).job + panel.slot(0).card, "JOB00009CARD0009") << "card: eight from column 27";
    panel.assignJob("JOB00009        another line");
    EXPECT_EQ(host.messages,
        (std::vector<Message>{{"That job already assigned", "Can't assign that job", MessageIcon::Information}}));
    EXPECT_TRUE(panel.slot(1).isFree());
    panel.assignJob("job00009");
    EXPECT_EQ(panel.slot(0).job, "job00009") << "case counts";
    host.calls.clear();
    panel.assignJob("[settings]");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"locate modeless"})) << "the locate dialog beside the panel";
    panel.assignJob("Add Job");
    panel.pickJobLine(panel.jobList().size());
    EXPECT_EQ(panel.slot(0).job, "job00009") << "the list's prompt is no job, a place past the list no line";
}

TEST_F(PanelTest, ATrayClickShowsThePanelAndReadsTheJobListAgainOnceLoaded)
{
    panel.showFromTray();
    EXPECT_TRUE(host.calls.empty()) << "not before the start-up has ended";
    load();
    host.panelVisible = false;
    test::writeFile(storePath("dep.dat"), test::jobFile(test::numberedJobs(5)));
    panel.showFromTray();
    EXPECT_TRUE(host.panelVisible);
    EXPECT_EQ(panel.jobList().size(), 6u);
}

} // namespace
} // namespace shiftloom
