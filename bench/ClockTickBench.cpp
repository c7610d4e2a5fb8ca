// SPDX-License-Identifier: MIT
// The once-a-second clock tick of the main window, on a loaded window over a store of 10,000
// jobs, with the system clock: idle (no job button running, the clock read at every tick) and
// with one job button running.
#include "BenchStore.h"

#include "app/SettingsStore.h"
#include "app/StorePaths.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "support/ScriptedHost.h"
#include "ui/Form1.h"

#include <benchmark/benchmark.h>

namespace shiftloom::bench {
namespace {

struct LoadedForm1
{
    LoadedForm1()
    {
        writeBytes(home.file(kStoreMarkerName), "[cardward]\r\n");
        writeBytes(home.file(kJobFileName), jobFileBytes(10000));
        settings.write(keys::DataLoc, home.path());
        settings.write(keys::AutoCode, "1234");
        if (form1.Form_Load() != LoadOutcome::Normal)
            throw std::runtime_error("the main window did not load its store");
    }
    BenchDir home;
    platform::PosixPathMapper paths{home.path()};
    platform::PosixFileOps files{paths};
    platform::MemorySettingsBackend backend;
    SettingsStore settings{backend};
    platform::SystemClock clock;
    test::ScriptedHost host;
    Form1 form1{settings, files, clock, host};
};

void BM_ClockTick_Idle(benchmark::State& state)
{
    LoadedForm1 loaded;
    for (auto _ : state)
        loaded.form1.Timer1_Timer();
}

void BM_ClockTick_RunningSlot(benchmark::State& state)
{
    LoadedForm1 loaded;
    Form1Model& model = loaded.form1.model();
    model.setCaption(ctl::Combo1, model.comboItems().front());
    loaded.form1.Combo1_Click();
    ButtonSlot slot = loaded.form1.slotTable().slot(0);
    slot.setRunning();
    // Past the first minute of the hour, where the tick also reads the system clock.
    slot.setSlotElapsed("01:23:45");
    for (auto _ : state)
        loaded.form1.Timer1_Timer();
    state.SetLabel("slot 0 at " + slot.SlotElapsed());
}

BENCHMARK(BM_ClockTick_Idle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClockTick_RunningSlot)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace shiftloom::bench
