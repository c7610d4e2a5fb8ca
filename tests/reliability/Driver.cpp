// SPDX-License-Identifier: MIT
// reliability-driver: the processes the reliability tests run against each other and kill. The
// mapped drive c: (the offline buffer c:\data) lies under $XDG_DATA_HOME. Each writes its report
// to OUT, a line at a time, so that the lines of a killed one are whole or absent.
//
//   write STORE OUT WRITER FIRST COUNT PAUSE_MS [PLAN]
//       Writes records FIRST to FIRST + COUNT - 1 of WRITER (see RecordCheck.h) through the panel's
//       record writer, pausing up to PAUSE_MS after each, and reports "<seq> <place>" after each;
//       at the end it tries the held records again for up to 5 s and reports "tries <n>" and
//       "end <records still held>".
//   startup STORE OUT TRACE [PLAN]
//       Runs the panel's start-up, which hands the offline buffer over; reports "outcome <n>", where
//       n is 0 (normal), 1 (fallback) or 2 (no start); TRACE gets every file operation as it happens.
//   reader STORE OUT STOP shared|exclusive
//       Stands in for Card-Warden: until the file STOP appears, takes the data file's whole-file
//       lock, reads the file, holds the lock up to HOLD ms and waits up to HOLD / 8 ms; every
//       LONG-th time it holds the lock LONG_HOLD ms, longer than a writer waits (shared: HOLD 300,
//       LONG 12, LONG_HOLD 900; exclusive: 200, 3, 700). Reports "holds", "held_ms" and
//       "torn_tails": how often the file under the lock did not end with a whole line.
//
// write and startup fail their file operations as PLAN says (see FaultFileOps) and end with
// "points <n>" and "kinds <letter per point>": o open, l lock, s size, r read, w write, t truncate,
// f flush, d remove, p replace.

#include "RecordCheck.h"
#include "support/FaultFileOps.h"
#include "support/ScriptedHost.h"

#include "app/SettingsStore.h"
#include "panel/Panel.h"
#include "platform/FileIo.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "timing/TimeRecordWriter.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <thread>
#include <unistd.h>

namespace {

using namespace shiftloom;
using std::chrono::milliseconds;

int g_out = -1;

void report(const std::string& text)
{
    const std::string line = text + "\n";
    [[maybe_unused]] const auto written = ::write(g_out, line.data(), line.size());
}

int write(char** argv, test::FaultFileOps& files)
{
    const int writer = std::atoi(argv[4]), first = std::atoi(argv[5]), count = std::atoi(argv[6]);
    std::mt19937 random(static_cast<unsigned>(writer));
    std::uniform_int_distribution<int> pause(0, std::atoi(argv[7]));
    TimeRecordWriter records(files, [store = std::string(argv[2])] { return store; });
    for (int seq = first; seq < first + count; ++seq) {
        const RecordPlace place = records.AppendTimeRecord(test::checkedRecordLine(writer, seq));
        const char* names[] = {"store", "buffer", "spool", "journal", "held"};
        report(std::to_string(seq) + " " + names[static_cast<int>(place)]);
        std::this_thread::sleep_for(milliseconds(pause(random)));
    }
    // The panel tries its held records once more as it ends; more than one try here means that a
    // panel ending at that moment would have left them in memory.
    int tries = 1;
    for (; !records.flushHeld() && tries < 50; ++tries)
        std::this_thread::sleep_for(milliseconds(100));
    report("tries " + std::to_string(tries) + "\nend " + std::to_string(records.heldCount()));
    return records.heldCount() == 0 ? 0 : 3;
}

int startup(char** argv, test::FaultFileOps& files)
{
    files.setTrace(::open(argv[4], O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
    platform::MemorySettingsBackend backend;
    SettingsStore settings(backend);
    settings.write(keys::DataLoc, argv[2]);
    const platform::SystemClock clock;
    test::ScriptedHost host;
    Panel panel(settings, files, clock, host);
    report("outcome " + std::to_string(static_cast<int>(panel.load())));
    return 0;
}

int read(char** argv, platform::FileOps& files)
{
    const bool exclusive = std::string_view(argv[5]) == "exclusive";
    const int maxHold = exclusive ? 200 : 300, longHold = exclusive ? 700 : 900, longEvery = exclusive ? 3 : 12;
    const auto mode = exclusive ? platform::OpenMode::ReadWrite : platform::OpenMode::Read;
    std::mt19937 random(static_cast<unsigned>(::getpid()));
    auto upTo = [&random](int limit) { return std::uniform_int_distribution<int>(0, limit)(random); };
    long long holds = 0, heldMs = 0, tornTails = 0;
    for (int round = 1; !std::filesystem::exists(argv[4]); ++round) {
        std::this_thread::sleep_for(milliseconds(upTo(maxHold / 8)));
        platform::OpenFile file(files);
        if (file.open(std::string(argv[2]) + "\\data", mode) != platform::FileError::None
            || file.tryLock(exclusive ? platform::LockKind::Exclusive : platform::LockKind::Shared)
                != platform::FileError::None)
            continue;
        ++holds;
        std::string content;
        if (platform::readAll(files, file.handle(), content) == platform::FileError::None && !content.empty()
            && !content.ends_with("\r\n"))
            ++tornTails;
        const int hold = round % longEvery == 0 ? longHold : upTo(maxHold);
        std::this_thread::sleep_for(milliseconds(hold));
        heldMs += hold;
    }
    report("holds " + std::to_string(holds) + "\nheld_ms " + std::to_string(heldMs) + "\ntorn_tails "
        + std::to_string(tornTails));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string_view command = argc > 3 ? argv[1] : "";
    const int planAt = command == "write" ? 8 : command == "startup" ? 5 : command == "reader" ? 6 : argc + 1;
    g_out = argc < planAt ? -1 : ::open(argv[3], O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    const platform::PosixPathMapper paths(platform::xdgDataHome());
    platform::PosixFileOps real(paths);
    test::FaultFileOps files(real, test::FaultFileOps::Waits::Real);
    if (g_out < 0 || !files.setPlan(argc > planAt ? argv[planAt] : ""))
        return 2;
    if (command == "reader")
        return read(argv, real);
    const int code = command == "write" ? write(argv, files) : startup(argv, files);
    std::string kinds;
    for (const auto& [point, op] : files.pointKinds())
        kinds.push_back("olsrwtfdp"[static_cast<std::size_t>(op)]);
    report("points " + std::to_string(files.points()) + "\nkinds " + kinds);
    return code;
}
