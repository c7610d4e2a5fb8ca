// SPDX-License-Identifier: MIT
// A whole run of the panel through its core, from the start to the exit: under the sanitizer
// build LeakSanitizer checks the process at its end, and the `valgrind` test runs it under
// valgrind's leak check.
#include "panel/Panel.h"
#include "support/CoreFixture.h"

namespace shiftloom::test {
namespace {

using LeakCycleTest = CoreFixture;

TEST_F(LeakCycleTest, StartJobPressStopAndExitLeaveNothingBehind)
{
    makeStore(numberedJobs(3), "ASSEMBLYAssembly work   00000001;\r\nREPAIR  Repairs         00000002;\r\n");
    useStore();
    settings.write(keys::AutoCode, "1234");
    test::writeFile(bufferPath() + "/00000000000000000001-0000000000005eed.rec",
        "0120261205080700000000000000123400000000000005670000000000000003\r\n");
    {
        Panel panel(settings, files, clock, host);
        ASSERT_EQ(panel.load(), LoadOutcome::Normal);
        panel.assignJob(panel.jobList().front());
        const Activity repair = ActivityList::activityOf(panel.activityList().items().back());
        host.activityPicked = repair;
        panel.pressJobButton(0);
        panel.tick();
        panel.stopAll();
        host.activityPicked.reset();
        panel.pressJobButton(0);
        panel.endOfRun();
    }
    const std::vector<std::string> lines = recordLines(dataFile());
    ASSERT_EQ(lines.size(), 5u) << "the buffered record, a start, a stop, a start, and the stop of the unload";
    EXPECT_EQ(buffer(), "");
}

} // namespace
} // namespace shiftloom::test
