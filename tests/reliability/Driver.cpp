// SPDX-License-Identifier: MIT
// reliability-driver: the processes the reliability tests run against each other and kill. The
// mapped drive c: (where earlier versions left the buffer c:\data) lies under $XDG_DATA_HOME; OWN
// is the user's own folder of the worker's account (its buffer of record files and its journal).
// Each writes its report to OUT, a line at a time, so that the lines of a killed one are whole
// or absent.
//
//   write STORE OWN OUT WRITER FIRST COUNT PAUSE_MS [OPTION...]
//       Writes records FIRST to FIRST + COUNT - 1 of WRITER (see RecordCheck.h) through the
//       panel's record writer (delivering at once, on this thread), pausing up to PAUSE_MS after
//       each, and reports "<seq> store|buffer|held" after each `write()` has returned, and
//       "counts ..." whenever its delivery's counts change (see WriterLog). At the end it waits
//       up to 5 s for the records still waiting and reports "end <records held in memory>".
//   startup STORE OWN OUT [OPTION...]
//       Runs the panel's start-up, which hands the offline buffer over; reports "outcome <n>", where
//       n is 0 (normal), 1 (fallback) or 2 (no start).
//   reader STORE OUT STOP
//       Stands in for Card-Warden: until the file STOP appears, takes the data file's exclusive
//       whole-file lock, reads the file, holds the lock up to 200 ms, every third time 700 ms
//       (longer than a writer waits), and lets it go for up to 25 ms. Reports "holds", "held_ms"
//       and "torn_tails": how often the file under the lock did not end with a whole line.
//
// Options: plan=PLAN fails file operations as PLAN says (see FaultFileOps); trace=FILE traces
// every file operation as it happens (FaultFileOps::setTrace); append-only refuses every open of
// the store's data file that would read it (a share that lets workers append but not read);
// batch=BYTES sets the size of the hand-over's batches; tick=SECONDS makes the writer, after its
// records, tick once a second until nothing waits, for at most SECONDS.

#include "RecordCheck.h"
#include "support/FaultFileOps.h"
#include "support/ScriptedHost.h"

#include "app/SettingsStore.h"
#include "app/StorePaths.h"
#include "delivery/TimeRecordWriter.h"
#include "panel/Panel.h"
#include "platform/FileIo.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"

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

std::string countsText(const delivery::DeliveryCounts& counts)
{
    return "counts " + std::to_string(counts.presumedWhole) + " " + std::to_string(counts.inDoubtWrittenAgain) + " "
        + std::to_string(counts.refragments);
}

int write(char** argv, test::FaultFileOps& files, std::size_t batch, int tickSeconds)
{
    const int writer = std::atoi(argv[5]), first = std::atoi(argv[6]), count = std::atoi(argv[7]);
    std::mt19937 random(static_cast<unsigned>(writer * 1000 + first));
    std::uniform_int_distribution<int> pause(0, std::atoi(argv[8]));
    TimeRecordWriter records(files, TimeRecordWriter::Mode::Inline);
    if (batch > 0)
        records.setBatchBytes(batch);
    records.setStore(argv[2]);
    std::string counts = countsText(records.counts());
    for (int seq = first; seq < first + count; ++seq) {
        const RecordPlace place = records.write(test::checkedRecordLine(writer, seq));
        const char* names[] = {"store", "buffer", "held"};
        report(std::to_string(seq) + " " + names[static_cast<int>(place)]);
        if (const std::string now = countsText(records.counts()); now != counts)
            report(counts = now);
        std::this_thread::sleep_for(milliseconds(pause(random)));
    }
    for (int second = 0; second < tickSeconds && records.pending(); ++second) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        records.poll();
    }
    records.settle(std::chrono::steady_clock::now() + std::chrono::seconds(5));
    report(countsText(records.counts()) + "\nend " + std::to_string(records.heldCount()));
    return records.heldCount() == 0 ? 0 : 3;
}

int startup(char** argv, test::FaultFileOps& files, std::size_t batch)
{
    platform::MemorySettingsBackend backend;
    SettingsStore settings(backend);
    settings.write(keys::DataLoc, argv[2]);
    const platform::SystemClock clock;
    test::ScriptedHost host;
    Panel panel(settings, files, clock, host);
    if (batch > 0)
        panel.recordWriter().setBatchBytes(batch);
    const LoadOutcome outcome = panel.load();
    report("outcome " + std::to_string(static_cast<int>(outcome)));
    return 0;
}

int read(char** argv, platform::FileOps& files)
{
    std::mt19937 random(static_cast<unsigned>(::getpid()));
    auto upTo = [&random](int limit) { return std::uniform_int_distribution<int>(0, limit)(random); };
    long long holds = 0, heldMs = 0, tornTails = 0;
    for (int round = 1; !std::filesystem::exists(argv[4]); ++round) {
        std::this_thread::sleep_for(milliseconds(upTo(25)));
        platform::OpenFile file(files);
        if (file.open(storeFile(argv[2], kDataFileName), platform::OpenMode::ReadWrite) != platform::FileError::None
            || file.tryLock(platform::LockKind::Exclusive) != platform::FileError::None)
            continue;
        ++holds;
        std::string content;
        if (platform::readAll(files, file.handle(), content) == platform::FileError::None && !content.empty()
            && !content.ends_with("\r\n"))
            ++tornTails;
        const int hold = round % 3 == 0 ? 700 : upTo(200);
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
    const std::string_view command = argc > 1 ? argv[1] : "";
    const int optionsAt = command == "write" ? 9 : command == "startup" || command == "reader" ? 5 : argc + 1;
    if (argc < optionsAt)
        return 2;
    const bool reader = command == "reader";
    g_out = ::open(argv[reader ? 3 : 4], O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    platform::PosixPlaces places = platform::posixPlaces();
    places.own = reader ? std::string() : argv[3];
    const platform::PosixPathMapper paths(std::move(places));
    platform::PosixFileOps real(paths);
    test::FaultFileOps files(real, test::FaultFileOps::Waits::Real);
    std::size_t batch = 0;
    int tickSeconds = 0;
    for (int i = optionsAt; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "append-only")
            files.refuseOpens(storeFile(argv[2], kDataFileName), false);
        else if (option.starts_with("batch="))
            batch = static_cast<std::size_t>(std::atoll(argv[i] + 6));
        else if (option.starts_with("tick="))
            tickSeconds = std::atoi(argv[i] + 5);
        else if (option.starts_with("trace="))
            files.setTrace(::open(argv[i] + 6, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
        else if (!option.starts_with("plan=") || !files.setPlan(option.substr(5)))
            return 2;
    }
    if (g_out < 0)
        return 2;
    if (reader)
        return read(argv, real);
    return command == "write" ? write(argv, files, batch, tickSeconds) : startup(argv, files, batch);
}
