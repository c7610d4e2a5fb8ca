// SPDX-License-Identifier: MIT
// The job list: reading dep.dat and filling the job list's model, beside the floor, a plain read
// of the same file's bytes. The display's sort order is measured too; the widget is measured in
// the Qt benchmarks.
#include "BenchStore.h"

#include "app/JobFile.h"
#include "app/SettingsStore.h"
#include "app/StorePaths.h"
#include "panel/JobListOrder.h"
#include "panel/Panel.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "support/ScriptedHost.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <map>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace shiftloom::bench {
namespace {

// A data store folder with a dep.dat of a given number of jobs, made once per process.
struct JobStore
{
    explicit JobStore(int jobs)
        : bytes(jobFileBytes(jobs))
    {
        writeBytes(dir.file(kJobFileName), bytes);
        writeBytes(dir.file(kStoreMarkerName), "[cardward]\r\n");
    }
    BenchDir dir;
    std::string bytes;
    std::string folder() const { return dir.path(); }
    std::string jobFile() const { return dir.file(kJobFileName); }
};

JobStore& jobStore(int jobs)
{
    static std::map<int, std::unique_ptr<JobStore>> stores;
    auto& store = stores[jobs];
    if (!store)
        store = std::make_unique<JobStore>(jobs);
    return *store;
}

// The product's own file operations and path mapping; the store folder is a host path.
struct Files
{
    BenchDir home;
    platform::PosixPathMapper paths{{.own = home.file("own")}};
    platform::PosixFileOps ops{paths};
};

void setCounters(benchmark::State& state, const JobStore& store)
{
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(store.bytes.size()));
}

// The floor: open, read every byte into a buffer, close. The buffer is kept between runs, so
// the floor is the system calls and the copy out of the page cache alone.
void BM_JobFile_PlainRead(benchmark::State& state)
{
    const JobStore& store = jobStore(static_cast<int>(state.range(0)));
    const std::string path = store.jobFile();
    std::string buffer(store.bytes.size() + 1, '\0');
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw std::runtime_error("cannot open " + path);
        std::size_t got = 0;
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    setCounters(state, store);
}

void BM_JobFile_ReadJobList(benchmark::State& state)
{
    const JobStore& store = jobStore(static_cast<int>(state.range(0)));
    Files files;
    const std::string path = storeFile(store.folder(), kJobFileName);
    for (auto _ : state) {
        JobListResult result = readJobList(files.ops, path, JobFileOpen::CreateIfMissing);
        if (result.error != platform::FileError::None)
            state.SkipWithError("readJobList failed");
        benchmark::DoNotOptimize(result.lines.bytes());
    }
    setCounters(state, store);
}

// A panel loaded from the store.
struct LoadedPanel
{
    explicit LoadedPanel(const JobStore& store)
    {
        settings.write(keys::DataLoc, store.folder());
        if (panel.load() != LoadOutcome::Normal)
            throw std::runtime_error("the panel did not load its store");
    }
    Files files;
    platform::MemorySettingsBackend backend;
    SettingsStore settings{backend};
    platform::SystemClock clock;
    test::ScriptedHost host;
    Panel panel{settings, files.ops, clock, host};
};

// What the tray click does to the job list: the job lines read, "[settings]" added, the list
// replaced in the panel and its text set.
void BM_JobList_Fill(benchmark::State& state)
{
    const JobStore& store = jobStore(static_cast<int>(state.range(0)));
    LoadedPanel loaded(store);
    for (auto _ : state) {
        loaded.panel.showFromTray();
        benchmark::DoNotOptimize(loaded.panel.jobList().bytes());
    }
    state.counters["lines"] = static_cast<double>(loaded.panel.jobList().size());
    setCounters(state, store);
}

// The order in which the sorted job list shows its lines; the window sorts at every fill.
void BM_JobList_SortForDisplay(benchmark::State& state)
{
    const JobStore& store = jobStore(static_cast<int>(state.range(0)));
    LoadedPanel loaded(store);
    const TextList& items = loaded.panel.jobList();
    for (auto _ : state) {
        std::vector<std::string> sorted = sortedForDisplay(items);
        benchmark::DoNotOptimize(sorted.data());
    }
    setCounters(state, store);
}

void jobCounts(benchmark::internal::Benchmark* bench)
{
    bench->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_JobFile_PlainRead)->Apply(jobCounts);
BENCHMARK(BM_JobFile_ReadJobList)->Apply(jobCounts);
BENCHMARK(BM_JobList_Fill)->Apply(jobCounts);
BENCHMARK(BM_JobList_SortForDisplay)->Apply(jobCounts);

} // namespace
} // namespace shiftloom::bench
