// SPDX-License-Identifier: MIT
#include "Form1Fixture.h"

namespace shiftloom {
namespace {

class KeypadAndDrag : public test::Form1Fixture
{
};

TEST_F(KeypadAndDrag, DigitsCollectWithAMaskedEchoAndClearEmptiesBoth)
{
    form1.Command3_Click(1);
    form1.Command3_Click(2);
    form1.Command3_Click(3);
    EXPECT_EQ(model.caption(ctl::Label1), "123");
    EXPECT_EQ(model.caption(ctl::Text1), "***");
    form1.Command5_Click();
    EXPECT_EQ(model.caption(ctl::Label1), "");
    EXPECT_EQ(model.caption(ctl::Text1), "");
}

TEST_F(KeypadAndDrag, HashAndCloseHideThePanelAndTimingGoesOn)
{
    slot(0).setSlotJob("A");
    slot(0).setRunning();
    form1.Command4_Click();
    EXPECT_FALSE(host.windowVisible);
    host.windowVisible = true;
    form1.Command7_Click();
    EXPECT_FALSE(host.windowVisible);
    EXPECT_TRUE(host.trayVisible);
    form1.Timer1_Timer();
    EXPECT_EQ(slot(0).SlotElapsed(), "00:00:01");
}

TEST_F(KeypadAndDrag, TheCardNumberIsStoredWhenTheBoxLosesTheFocus)
{
    form1.Text3_Change("5678");
    EXPECT_EQ(settings.read(keys::AutoCode), "1234") << "typing alone stores nothing";
    form1.Text3_LostFocus();
    EXPECT_EQ(settings.read(keys::AutoCode), "5678");
}

TEST_F(KeypadAndDrag, TheActivityLabelsStoreThemselvesWhenTheyChange)
{
    model.setCaption(ctl::Label10, "REPAIR  ");
    EXPECT_EQ(settings.read(keys::ActivityCode), "REPAIR  ");
    settings.write(keys::ActivityNum, "stale");
    form1.Label11_Click();
    EXPECT_EQ(settings.read(keys::ActivityNum), model.caption(ctl::Label11));
}

TEST_F(KeypadAndDrag, TheStripMovesTheWindowByThePointersDistance)
{
    host.position = {1500, 3000};
    form1.Label6_MouseMove(0, 0, 900, 900);
    EXPECT_EQ(host.position, (ScreenPosition{1500, 3000})) << "no button down: no move";
    form1.Label6_MouseDown(1, 0, 300, 200);
    EXPECT_EQ(model.caption(ctl::Label7), "Y");
    EXPECT_EQ(model.caption(ctl::Label8), "300");
    EXPECT_EQ(model.caption(ctl::Label9), "200");
    form1.Label6_MouseMove(1, 0, 450, 290);
    EXPECT_EQ(host.position, (ScreenPosition{1650, 3090}));
    form1.Label6_MouseUp(1, 0, 300, 200);
    EXPECT_EQ(model.caption(ctl::Label7), "N");
    form1.Label6_MouseMove(0, 0, 600, 600);
    EXPECT_EQ(host.position, (ScreenPosition{1650, 3090}));
}

TEST_F(KeypadAndDrag, RightButtonDragsAndFractionalTwipsAndOffScreenMovesWork)
{
    host.position = {100, 100};
    form1.Label6_MouseDown(2, 0, 307.5, 15);
    EXPECT_EQ(model.caption(ctl::Label8), "307.5");
    form1.Label6_MouseMove(2, 0, 7.5, -985);
    EXPECT_EQ(host.position, (ScreenPosition{-200, -900})) << "no bounds are applied";
}

TEST_F(KeypadAndDrag, TheTitleOpensTheAboutBox)
{
    form1.Label4_Click(0);
    form1.Label4_Click(1);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"about", "about"}));
}

} // namespace
} // namespace shiftloom
