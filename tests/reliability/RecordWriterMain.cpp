// SPDX-License-Identifier: MIT
// record-writer: writes time records through the panel's record writer, as the panel does, each
// carrying a value that the reliability tests can check, and logs where each one went.
//
//     record-writer --store FOLDER --writer W --count N [--first S] [--delay-ms D] [--jitter-ms J]
//                   [--log PATH] [--faults PLAN] [--seed S]
//
// Record seq (S to S + N - 1) of writer W (1 to 99) carries W * 1000000 + seq; start, stop and IN
// records take turns. The mapped drive c: (the offline buffer c:\data) lies under $XDG_DATA_HOME.
// After each record a line "<seq> store|buffer|held" goes to the log (standard output without
// --log); at the end, after the held records were tried again ("exit_tries <n>": the tries it
// took), "end ok" or "end held <n>",
// and the fault points passed (see DriverReport.h). SIGTERM ends the run in order
// after the record being written. Exit status 0, or 3 when records were still held at the end.

#include "DriverOptions.h"
#include "DriverReport.h"
#include "RecordCheck.h"
#include "support/FaultFileOps.h"

#include "platform/Clock.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "timing/TimeRecordWriter.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onTerminate(int)
{
    g_stop = 1;
}

const char* placeName(shiftloom::RecordPlace place)
{
    switch (place) {
    case shiftloom::RecordPlace::Store:
        return "store";
    case shiftloom::RecordPlace::Buffer:
        return "buffer";
    case shiftloom::RecordPlace::Spool:
        return "spool";
    case shiftloom::RecordPlace::Journal:
        return "journal";
    case shiftloom::RecordPlace::Held:
        break;
    }
    return "held";
}

} // namespace

int main(int argc, char** argv)
{
    using namespace shiftloom;
    const test::DriverOptions options(argc, argv);
    const std::string store = options.text("store");
    const auto writer = static_cast<int>(options.number("writer", 1));
    const auto first = static_cast<int>(options.number("first", 0));
    const auto count = static_cast<int>(options.number("count", 10));
    const auto delay = std::chrono::milliseconds(options.number("delay-ms", 0));
    const auto jitter = options.number("jitter-ms", 0);
    if (store.empty() || writer < 1 || writer > 99 || first < 0 || first + count > test::kWriterStride) {
        std::cerr << "usage: record-writer --store FOLDER --writer 1..99 --count N [--first S] [--delay-ms D]\n";
        return 2;
    }
    int log = STDOUT_FILENO;
    if (options.has("log")) {
        log = ::open(options.text("log").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (log < 0) {
            std::cerr << "record-writer: cannot open the log\n";
            return 2;
        }
    }
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    ::sigaction(SIGTERM, &action, nullptr);

    const platform::PosixPathMapper paths(platform::xdgDataHome());
    platform::PosixFileOps real(paths);
    test::FaultFileOps files(real, test::FaultFileOps::Waits::Real);
    if (!files.setPlan(test::faultPlanOf(options))) {
        std::cerr << "record-writer: the fault plan does not parse\n";
        return 2;
    }
    const platform::SystemClock clock;
    TimeRecordWriter recordWriter(files, [&store] { return store; });
    std::mt19937 random(static_cast<unsigned>(options.number("seed", writer)));

    for (int seq = first; seq < first + count && g_stop == 0; ++seq) {
        const RecordPlace place = recordWriter.AppendTimeRecord(test::checkedRecordLine(clock.now(), writer, seq));
        test::writeLine(log, std::to_string(seq) + " " + placeName(place));
        auto pause = delay;
        if (jitter > 0)
            pause += std::chrono::milliseconds(std::uniform_int_distribution<long long>(0, jitter)(random));
        if (pause.count() > 0)
            std::this_thread::sleep_for(pause);
    }
    // The panel tries held records once more when it ends. The driver keeps trying a while, so
    // that a test sees where they go, and reports how many tries it took: more than one means a
    // panel ending at that moment would have lost them.
    int tries = 1;
    bool none = recordWriter.flushHeld();
    for (; !none && tries < 50; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        none = recordWriter.flushHeld();
    }
    test::writeLine(log, "exit_tries " + std::to_string(tries));
    test::writeLine(log, none ? std::string("end ok") : "end held " + std::to_string(recordWriter.heldCount()));
    test::writeLine(log, test::faultPointReport(files));
    return none ? 0 : 3;
}
