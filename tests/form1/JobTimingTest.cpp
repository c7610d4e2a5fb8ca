// SPDX-License-Identifier: MIT
#include "Form1Fixture.h"

#include <filesystem>

namespace shiftloom {
namespace {

class JobTimingTest : public test::Form1Fixture
{
protected:
    void SetUp() override
    {
        Form1Fixture::SetUp();
        assign(3);
        assign(2);
        assign(1);
        model.setCaption(ctl::Label11, "00000005");
        host.calls.clear();
        host.messages.clear();
    }
};

TEST_F(JobTimingTest, APressOnAFreeButtonIsRefusedWithAMessage)
{
    slot(1).setRunning();
    model.setCaption(ctl::Label1, "12");
    form1.Command6_Click(5);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
        (MessageBoxRequest{"Please select job for this button first",
            "NO JOB, CAN'T START",
            MessageIcon::Critical,
            MessageButtons::Ok,
            MessageAnswer::Ok}));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"timer2 off", "focus job list"}));
    EXPECT_TRUE(slot(1).SlotRunning());
    EXPECT_EQ(dataFile(), "");
    EXPECT_EQ(model.caption(ctl::Label1), "12") << "the keypad entry stays";
    EXPECT_FALSE(host.timer2Enabled);
}

TEST_F(JobTimingTest, APressStartsItsSlotAloneAsksTheActivityAndWritesOneStart)
{
    slot(0).setRunning();
    model.setCaption(ctl::Label1, "99");
    model.setCaption(ctl::Text1, "**");
    host.onActivity = [&] {
        EXPECT_TRUE(slot(1).SlotRunning()) << "running already while the dialog is open";
        EXPECT_FALSE(slot(0).SlotRunning());
        clock.set({2026, 12, 5, 8, 9, 30}); // the dialog took a while
        form1.activityDialog().Combo1_Click("REPAIR    :  00000002");
    };
    form1.Command6_Click(1);
    EXPECT_EQ(records(), std::vector<std::string>{"0120261205080900000000000000123400000000000000020000000000000002"});
    EXPECT_EQ(host.calls, (std::vector<std::string>{"timer2 off", "activity", "timer2 on"}));
    EXPECT_EQ(model.caption(ctl::Label1), "");
    EXPECT_EQ(model.caption(ctl::Text1), "");
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(slot(i).SlotRunning(), i == 1);
}

TEST_F(JobTimingTest, ClosingTheActivityDialogKeepsTheActivityShown)
{
    form1.Command6_Click(2);
    EXPECT_EQ(records().at(0).substr(48), "0000000000000005");
    EXPECT_EQ(records().at(0).substr(32, 16), "0000000000000003");
}

TEST_F(JobTimingTest, PressingTheRunningSlotAgainWritesASecondStartAndKeepsItsTime)
{
    form1.Command6_Click(0);
    slot(0).setSlotElapsed("00:03:00");
    host.onActivity = [&] { form1.activityDialog().Combo1_Click("ASSEMBLY  :  00000001"); };
    form1.Command6_Click(0);
    ASSERT_EQ(records().size(), 2u);
    EXPECT_EQ(records()[1].substr(14, 2), "00");
    EXPECT_EQ(records()[1].substr(48), "0000000000000001");
    EXPECT_TRUE(slot(0).SlotRunning());
    EXPECT_EQ(slot(0).SlotElapsed(), "00:03:00");
}

TEST_F(JobTimingTest, AFreeButtonAfterAStartLeavesTheAutoHideOff)
{
    form1.Command6_Click(0);
    EXPECT_TRUE(host.timer2Enabled);
    form1.Command6_Click(7);
    EXPECT_FALSE(host.timer2Enabled);
}

TEST_F(JobTimingTest, StopAllSetsEverySlotIdleAndWritesAStopEveryTime)
{
    slot(2).setRunning();
    slot(2).setSlotElapsed("00:01:02");
    form1.Command2_Click();
    form1.Command2_Click();
    EXPECT_EQ(records(),
        (std::vector<std::string>{"0120261205080701000000000000123400000000000000000000000000000000",
            "0120261205080701000000000000123400000000000000000000000000000000"}));
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(slot(i).SlotRunning());
    EXPECT_EQ(slot(2).SlotElapsed(), "00:01:02");
}

TEST_F(JobTimingTest, StopAllWithAnEmptyCardWritesZeros)
{
    model.setCaption(ctl::Text3, "");
    form1.Command2_Click();
    EXPECT_EQ(records().at(0).substr(16, 16), "0000000000000000");
}

TEST_F(JobTimingTest, InWritesTheKeyedDigitsAndEmptiesTheEntry)
{
    for (int d : {4, 7, 1, 1})
        form1.Command3_Click(d);
    form1.Command1_Click();
    EXPECT_EQ(records(), std::vector<std::string>{"012026120508070000471100"});
    EXPECT_EQ(model.caption(ctl::Label1), "");
    EXPECT_EQ(model.caption(ctl::Text1), "");

    form1.Command1_Click();
    EXPECT_EQ(records().size(), 1u) << "nothing keyed: nothing written";

    for (int d : {1, 2, 3, 4, 5, 6, 7, 8, 9})
        form1.Command3_Click(d);
    form1.Command1_Click();
    EXPECT_EQ(records().at(1),
        "01202612050807123456789"
        "00");
}

TEST_F(JobTimingTest, DoubleClickYesEndsAtOnceWithNoRecordAndNoTrayIcon)
{
    form1.Command6_Click(0);
    host.calls.clear();
    host.answers = {MessageAnswer::Yes};
    EXPECT_THROW(form1.Form_DblClick(), test::ProgramEnded);
    EXPECT_EQ(host.messages.back(),
        (MessageBoxRequest{"Are you sure? WARNING this will stop all timing.",
            "Exit Shift-Loom?",
            MessageIcon::None,
            MessageButtons::YesNo,
            MessageAnswer::Yes}));
    EXPECT_EQ(records().size(), 1u) << "only the start";
    EXPECT_EQ(host.calls, (std::vector<std::string>{"tray removed", "end"}));
}

TEST_F(JobTimingTest, DoubleClickNoChangesNothing)
{
    form1.Command6_Click(0);
    host.answers = {MessageAnswer::No};
    EXPECT_NO_THROW(form1.Form_DblClick());
    EXPECT_TRUE(slot(0).SlotRunning());
    EXPECT_EQ(records().size(), 1u);
}

TEST_F(JobTimingTest, UnloadWritesOneStopWhenAnySlotIsNotIdle)
{
    slot(2).setRunning();
    slot(7).setRunning();
    form1.Form_Unload();
    EXPECT_EQ(records(), std::vector<std::string>{"0120261205080701000000000000123400000000000000000000000000000000"});
}

TEST_F(JobTimingTest, UnloadWithAllIdleDoesNotOpenTheDataFile)
{
    files.clear();
    form1.Form_Unload();
    EXPECT_EQ(files.count(test::FileOp::Open), 0);
    EXPECT_EQ(dataFile(), "");
}

TEST_F(JobTimingTest, AStoreLostDuringTheRunKeepsTheRecordsForTheNextStart)
{
    form1.Command6_Click(0);
    std::filesystem::rename(store(), store() + ".unplugged");
    form1.Command2_Click();
    EXPECT_EQ(buffer(), "0120261205080701000000000000123400000000000000000000000000000000\r\n");
    std::filesystem::rename(store() + ".unplugged", store());
    form1.Command6_Click(1);
    ASSERT_EQ(records().size(), 3u);
    EXPECT_EQ(records()[1].substr(14, 2), "01");
    EXPECT_EQ(records()[2].substr(14, 2), "00");
}

} // namespace
} // namespace shiftloom
