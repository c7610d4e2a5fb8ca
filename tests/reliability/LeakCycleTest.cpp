// SPDX-License-Identifier: MIT
// A whole run of the panel through its core, from the start to the exit: under the sanitizer
// build LeakSanitizer checks the process at its end, and the `valgrind` test runs it under
// valgrind's leak check.
#include "support/CoreFixture.h"
#include "ui/Form1.h"

namespace shiftloom::test {
namespace {

class LeakCycleTest : public CoreFixture
{
};

TEST_F(LeakCycleTest, StartJobPressStopAndExitLeaveNothingBehind)
{
    makeStore(numberedJobs(3), "ASSEMBLYAssembly work   00000001;\r\nREPAIR  Repairs         00000002;\r\n");
    useStore();
    settings.write(keys::AutoCode, "1234");
    test::writeFile(bufferPath(), "0120261205080700000000000000123400000000000005670000000000000003\r\n");
    {
        Form1 form1(settings, files, clock, host);
        host.onActivity = [&form1] { form1.activityDialog().Combo1_Click("REPAIR    :  00000002"); };
        ASSERT_EQ(form1.Form_Load(), LoadOutcome::Normal);
        form1.model().setCaption(ctl::Combo1, form1.model().comboItems().front());
        form1.Combo1_Click();
        form1.Command6_Click(0);
        form1.Timer1_Timer();
        form1.Command2_Click();
        form1.Command6_Click(0);
        form1.Form_Unload();
    }
    const std::vector<std::string> lines = recordLines(dataFile());
    ASSERT_EQ(lines.size(), 5u) << "the buffered record, a start, a stop, a start, and the stop of the unload";
    EXPECT_FALSE(fileExists(bufferPath()));
}

} // namespace
} // namespace shiftloom::test
