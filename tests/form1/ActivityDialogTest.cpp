// SPDX-License-Identifier: MIT
#include "Form1Fixture.h"

#include <filesystem>

namespace shiftloom {
namespace {

class ActivityDialog : public test::Form1Fixture
{
};

TEST_F(ActivityDialog, ListsTheActivitiesAndShowsTheCurrentOne)
{
    model.setCaption(ctl::Label10, "ASSEMBLY");
    model.setCaption(ctl::Label11, "00000001");
    Form3Model& form3 = form1.activityDialog();
    EXPECT_EQ(form3.items(), (std::vector<std::string>{"ASSEMBLY  :  00000001", "REPAIR    :  00000002"}));
    EXPECT_EQ(form3.text(), "ASSEMBLY  :  00000001");
}

TEST_F(ActivityDialog, APickSetsAndStoresBothLabelsAndHidesTheDialog)
{
    Form3Model& form3 = form1.activityDialog();
    form3.Combo1_Click("REPAIR    :  00000002");
    EXPECT_TRUE(form3.hidden());
    EXPECT_EQ(model.caption(ctl::Label10), "REPAIR  ");
    EXPECT_EQ(model.caption(ctl::Label11), "00000002");
    EXPECT_EQ(settings.read(keys::ActivityCode), "REPAIR  ");
    EXPECT_EQ(settings.read(keys::ActivityNum), "00000002");
}

TEST_F(ActivityDialog, TheListIsReadOnceUntilTheDialogIsClosedWithItsCloseBox)
{
    form1.activityDialog().Combo1_Click("REPAIR    :  00000002");
    test::writeFile(storePath("activities.txt"), "NEW     New activity    00000009;\r\n");
    EXPECT_EQ(form1.activityDialog().items().size(), 2u) << "hidden, not closed: the old list";
    EXPECT_FALSE(form1.activityDialog().hidden());
    form1.activityDialogClosed();
    EXPECT_EQ(form1.activityDialog().items(), std::vector<std::string>{"NEW       :  00000009"});
}

TEST_F(ActivityDialog, WithoutTheFileTheListIsEmptyAndNoMessageIsShown)
{
    std::filesystem::remove(storePath("activities.txt"));
    model.setCaption(ctl::Label10, "");
    model.setCaption(ctl::Label11, "");
    form1.activityDialogClosed();
    EXPECT_TRUE(form1.activityDialog().items().empty());
    EXPECT_EQ(form1.activityDialog().text(), "  :  ");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ActivityDialog, TwoPicksAtTwoStartsLeaveTheSecondForTheNextRun)
{
    slot(0).setSlotJob("A");
    host.onActivity = [&] { form1.activityDialog().Combo1_Click("ASSEMBLY  :  00000001"); };
    form1.Command6_Click(0);
    host.onActivity = [&] { form1.activityDialog().Combo1_Click("REPAIR    :  00000002"); };
    form1.Command6_Click(0);

    Form1 restarted(settings, files, clock, host);
    ASSERT_EQ(restarted.Form_Load(), LoadOutcome::Normal);
    EXPECT_EQ(restarted.model().caption(ctl::Label10), "REPAIR  ");
    EXPECT_EQ(restarted.model().caption(ctl::Label11), "00000002");
}

} // namespace
} // namespace shiftloom
