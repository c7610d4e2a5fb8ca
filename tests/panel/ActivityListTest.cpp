// SPDX-License-Identifier: MIT
// The activity dialog's list, and the current activity across a restart.
#include "panel/Panel.h"
#include "support/CoreFixture.h"

namespace shiftloom {
namespace {

using ActivityListTest = test::CoreFixture;

TEST_F(ActivityListTest, ItemsShowCodeAndNumberAreReadAgainAfterTheCloseBoxAndTheLastPickOutlivesARestart)
{
    makeStore(test::numberedJobs(1), "ASSEMBLYAssembly work   00000001;\r\nREPAIR  Repairs         00000002;\r\nX\r\n");
    useStore();
    EXPECT_TRUE(ActivityList(files, home.path() + "/nowhere").items().empty());
    EXPECT_EQ(ActivityList::activityOf("X  :  X"), (Activity{"X  :  X", "X  :  X"})) << "a short item";
    EXPECT_EQ(ActivityList::itemOf({"", ""}), "  :  ");
    {
        Panel panel(settings, files, clock, host);
        ASSERT_EQ(panel.load(), LoadOutcome::Normal);
        EXPECT_EQ(panel.activityList().items(),
            (std::vector<std::string>{"ASSEMBLY  :  00000001", "REPAIR    :  00000002", "X  :  X"}));
        test::writeFile(storePath("activities.txt"), "NEW     New activity    00000009;\r\n");
        EXPECT_EQ(panel.activityList().items().size(), 3u) << "hidden after a pick, not closed: the old list";
        panel.closeActivityList();
        EXPECT_EQ(panel.activityList().items(), std::vector<std::string>{"NEW       :  00000009"});
        panel.assignJob(panel.jobList()[0]);
        host.activityPicked = ActivityList::activityOf("NEW       :  00000009");
        panel.pressJobButton(0);
    }
    Panel restarted(settings, files, clock, host);
    ASSERT_EQ(restarted.load(), LoadOutcome::Normal);
    EXPECT_EQ(restarted.activity(), (Activity{"NEW     ", "00000009"}));
}

} // namespace
} // namespace shiftloom
