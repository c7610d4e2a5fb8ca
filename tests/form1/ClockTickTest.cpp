// SPDX-License-Identifier: MIT
#include "Form1Fixture.h"

namespace shiftloom {
namespace {

class ClockTick : public test::Form1Fixture
{
protected:
    void run(int slotIndex, std::string_view elapsed)
    {
        slot(slotIndex).setSlotElapsed(elapsed);
        slot(slotIndex).setRunning();
    }
};

struct Carry
{
    const char* before;
    const char* after;
};

class RunningTimeCarries : public ClockTick, public ::testing::WithParamInterface<Carry>
{
};

TEST_P(RunningTimeCarries, ARunningSlotAdvancesByOneSecond)
{
    run(4, GetParam().before);
    form1.Timer1_Timer();
    EXPECT_EQ(slot(4).SlotElapsed(), GetParam().after);
    EXPECT_EQ(model.caption(ctl::Text4), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Times,
    RunningTimeCarries,
    ::testing::Values(Carry{"00:00:00", "00:00:01"},
        Carry{"00:00:59", "00:01:00"},
        Carry{"00:59:59", "01:00:00"},
        Carry{"23:59:59", "00:00:00"},
        Carry{"garbage", "00:00:01"}));

TEST_F(ClockTick, WithNothingRunningTheClockShowsTheSystemTimeAtEveryTick)
{
    clock.set({2026, 12, 5, 13, 14, 15});
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Label2), "13:14:15");
    clock.set({2026, 12, 5, 13, 14, 17});
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Label2), "13:14:17");
    EXPECT_EQ(model.caption(ctl::Text4), "00:00:00");
}

TEST_F(ClockTick, WhileASlotRunsTheClockCountsByItselfOutsideTheFirstMinuteOfAnHour)
{
    run(0, "00:10:00");
    model.setCaption(ctl::Label2, "23:59:59");
    clock.set({2026, 12, 5, 9, 0, 0});
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Label2), "00:00:00") << "wraps at 24 hours, not the system time";

    slot(0).setSlotElapsed("00:59:59");
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Label2), "09:00:00") << "the running time's minutes are 00: system time";
}

TEST_F(ClockTick, AKeypadEntryStandsInForTheRunningTimeWhenNoSlotRuns)
{
    // The entry 123456 reads as 12:34:56; its minutes are not 0, so the clock is left to count.
    model.setCaption(ctl::Label2, "10:00:00");
    model.setCaption(ctl::Label1, "123456");
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Label2), "10:00:01");
    EXPECT_EQ(model.caption(ctl::Label1), "123456") << "the entry itself is not changed";
}

TEST_F(ClockTick, TheTotalSumsEverySlotAndDoesNotWrapItsHours)
{
    slot(1).setSlotElapsed("00:00:30");
    slot(2).setSlotElapsed("00:00:30");
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Text4), "00:01:00");

    slot(1).setSlotElapsed("00:59:30");
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Text4), "01:00:00");

    for (int i = 0; i < 10; ++i)
        slot(i).setSlotElapsed(i < 9 ? "03:00:00" : "00:00:00");
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Text4), "27:00:00");

    for (int i = 0; i < 10; ++i)
        slot(i).setSlotElapsed(i < 5 ? "23:59:59" : (i < 9 ? "00:45:45" : "00:00:05"));
    form1.Timer1_Timer();
    EXPECT_EQ(model.caption(ctl::Text4), "123:03:00");
}

TEST_F(ClockTick, TwoRunningSlotsTakeTheLaterSlotsTimePlusOne)
{
    run(2, "00:00:10");
    run(7, "00:05:00");
    form1.Timer1_Timer();
    EXPECT_EQ(slot(2).SlotElapsed(), "00:05:01");
    EXPECT_EQ(slot(7).SlotElapsed(), "00:05:01");
}

TEST_F(ClockTick, TheExitCodeRemovesTheTrayIconAndEndsAtOnceWithoutARecord)
{
    run(1, "00:10:00");
    model.setCaption(ctl::Label1, "048840");
    EXPECT_THROW(form1.Timer1_Timer(), test::ProgramEnded);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"tray removed", "end"}));
    EXPECT_FALSE(host.trayVisible);
    EXPECT_EQ(dataFile(), "");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ClockTick, OnlyTheWholeEntryIsAServiceCode)
{
    for (const char* entry : {"0488401", "04884", "1048840", "0733701", "07337"}) {
        model.setCaption(ctl::Label1, entry);
        EXPECT_NO_THROW(form1.Timer1_Timer()) << entry;
        EXPECT_EQ(model.caption(ctl::Label1), entry);
    }
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(ClockTick, TheLocateCodeOpensTheDialogOnceAndThenClearsTheEntry)
{
    model.setCaption(ctl::Label1, "073370");
    model.setCaption(ctl::Text1, "******");
    int ticksInside = 0;
    host.onLocate = [&](bool) {
        // Ticks go on while the modal dialog is open; they must not open it again.
        form1.Timer1_Timer();
        form1.Timer1_Timer();
        ++ticksInside;
    };
    form1.Timer1_Timer();
    EXPECT_EQ(ticksInside, 1);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "locate modal"), 1);
    EXPECT_EQ(model.caption(ctl::Label1), "");
    EXPECT_EQ(model.caption(ctl::Text1), "");
}

TEST_F(ClockTick, TheAutoHideTimerHidesTheWindowOnceAndSwitchesItselfOff)
{
    host.timer2Enabled = true;
    form1.Timer2_Timer();
    EXPECT_FALSE(host.windowVisible);
    EXPECT_FALSE(host.timer2Enabled);
}

} // namespace
} // namespace shiftloom
