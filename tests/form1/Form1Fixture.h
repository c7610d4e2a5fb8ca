// SPDX-License-Identifier: MIT
#pragma once

#include "support/CoreFixture.h"
#include "ui/Form1.h"

namespace shiftloom::test {

/** A loaded main window on a store of three jobs, with the worker's card 1234. */
class Form1Fixture : public CoreFixture
{
protected:
    Form1 form1{settings, files, clock, host};
    Form1Model& model = form1.model();

    void SetUp() override
    {
        makeStore(numberedJobs(3), "ASSEMBLYAssembly work   00000001;\r\nREPAIR  Repairs         00000002;\r\n");
        useStore();
        settings.write(keys::AutoCode, "1234");
        ASSERT_EQ(form1.Form_Load(), LoadOutcome::Normal);
        host.calls.clear();
    }

    /** Assigns job `n` of the store by picking its line in the job list. */
    void assign(int n)
    {
        model.setCaption(ctl::Combo1, model.comboItems()[static_cast<std::size_t>(n - 1)]);
        form1.Combo1_Click();
    }
    ButtonSlot slot(int i) { return form1.slotTable().slot(i); }
    std::vector<std::string> records() const { return recordLines(dataFile()); }
};

} // namespace shiftloom::test
