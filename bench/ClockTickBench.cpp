// SPDX-License-Identifier: MIT
// The once-a-second clock tick of the panel, on a loaded panel over a store of 10,000
// jobs, with the system clock: idle (no job button running, the clock read at every tick) and
// with one job button running.
#include "BenchStore.h"

#include "app/SettingsStore.h"
#include "app/StorePaths.h"
#include "panel/Panel.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "support/ScriptedHost.h"

#include <benchmark/benchmark.h>

namespace shiftloom::bench {
namespace {

struct LoadedPanel
{
    LoadedPanel()
    {
        writeBytes(home.file(kStoreMarkerName), "[cardward]\r\n");
        writeBytes(home.file(kJobFileName), jobFileBytes(10000));
        settings.write(keys::DataLoc, home.path());
        settings.write(keys::AutoCode, "1234");
        if (panel.load() != LoadOutcome::Normal)
            throw std::runtime_error("the main window did not load its store");
    }
    BenchDir home;
    platform::PosixPathMapper paths{{.own = home.file("own")}};
    platform::PosixFileOps files{paths};
    platform::MemorySettingsBackend backend;
    SettingsStore settings{backend};
    platform::SystemClock clock;
    test::ScriptedHost host;
    Panel panel{settings, files, clock, host};
};

void BM_ClockTick_Idle(benchmark::State& state)
{
    LoadedPanel loaded;
    for (auto _ : state)
        loaded.panel.tick();
}

void BM_ClockTick_RunningSlot(benchmark::State& state)
{
    LoadedPanel loaded;
    Panel& panel = loaded.panel;
    panel.assignJob(panel.jobList().front());
    panel.pressJobButton(0);
    // Past the first minute of the hour, where the tick also reads the system clock.
    panel.editElapsed(0, "01:23:45");
    for (auto _ : state)
        panel.tick();
    state.SetLabel("slot 0 running");
}

BENCHMARK(BM_ClockTick_Idle)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ClockTick_RunningSlot)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace shiftloom::bench
