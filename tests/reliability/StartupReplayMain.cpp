// SPDX-License-Identifier: MIT
// startup-replay: runs the panel's start-up (the main window's load step) against a data store,
// with a window system that answers nothing, so that the offline buffer is replayed into the
// store exactly as at a start of the panel, and can be killed or faulted half-way.
//
//     startup-replay --store FOLDER [--faults PLAN] [--trace PATH]
//
// Prints "outcome normal|fallback|nostart" and the fault points passed (see DriverReport.h); with
// --trace, every file operation as it happens (see FaultFileOps::setTrace).

#include "DriverOptions.h"
#include "DriverReport.h"
#include "support/FaultFileOps.h"

#include "app/SettingsStore.h"
#include "panel/Panel.h"
#include "platform/Clock.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "support/ScriptedHost.h"

#include <fcntl.h>
#include <iostream>

int main(int argc, char** argv)
{
    using namespace shiftloom;
    const test::DriverOptions options(argc, argv);
    const std::string store = options.text("store");
    if (store.empty()) {
        std::cerr << "usage: startup-replay --store FOLDER [--faults PLAN]\n";
        return 2;
    }
    const platform::PosixPathMapper paths(platform::xdgDataHome());
    platform::PosixFileOps real(paths);
    test::FaultFileOps files(real, test::FaultFileOps::Waits::Real);
    if (!files.setPlan(test::faultPlanOf(options))) {
        std::cerr << "startup-replay: the fault plan does not parse\n";
        return 2;
    }
    if (options.has("trace"))
        files.setTrace(
            ::open(options.text("trace").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
    platform::MemorySettingsBackend backend;
    SettingsStore settings(backend);
    settings.write(keys::DataLoc, store);
    const platform::SystemClock clock;
    test::ScriptedHost host;
    Panel panel(settings, files, clock, host);
    const LoadOutcome outcome = panel.load();
    const char* name = outcome == LoadOutcome::Normal ? "normal"
        : outcome == LoadOutcome::Fallback            ? "fallback"
                                                      : "nostart";
    std::cout << "outcome " << name << "\n" << test::faultPointReport(files) << std::endl;
    return 0;
}
