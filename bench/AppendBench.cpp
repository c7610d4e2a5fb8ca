// SPDX-License-Identifier: MIT
// Appending one time record to the data file, flushed to the disk under the whole-file lock,
// beside the floor: the same system calls in a plain loop. Both write to a file in the benchmark
// work folder, on the build folder's file system. The time is wall-clock time, because the
// flush waits for the disk.
#include "BenchStore.h"

#include "app/StorePaths.h"
#include "delivery/TimeRecordWriter.h"
#include "platform/FileIo.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace shiftloom::bench {
namespace {

// A start record as the job buttons write it.
constexpr std::string_view kRecord = "0120261205080700000000000000123400000000000005670000000000000003";

void setOfdLock(int fd, short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, F_OFD_SETLK, &lock) != 0)
        throw std::runtime_error("fcntl F_OFD_SETLK failed");
}

// The floor: open for appending, lock the whole file, read its last byte, write the line, flush
// it to the disk, unlock, close.
void BM_Append_PlainSyscalls(benchmark::State& state)
{
    BenchDir dir;
    const std::string path = dir.file(kDataFileName);
    const std::string line = std::string(kRecord) + "\r\n";
    off_t size = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            throw std::runtime_error("cannot open " + path);
        setOfdLock(fd, F_WRLCK);
        char last = 0;
        if (size > 0 && ::pread(fd, &last, 1, size - 1) != 1)
            throw std::runtime_error("pread failed");
        benchmark::DoNotOptimize(last);
        if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            throw std::runtime_error("write failed");
        if (::fsync(fd) != 0)
            throw std::runtime_error("fsync failed");
        setOfdLock(fd, F_UNLCK);
        ::close(fd);
        size += static_cast<off_t>(line.size());
    }
    state.SetItemsProcessed(state.iterations());
}

// The platform layer's locked append, as every record goes through it.
void BM_Append_AppendLocked(benchmark::State& state)
{
    BenchDir dir;
    platform::PosixPathMapper paths({.own = dir.file("own")});
    platform::PosixFileOps files(paths);
    const std::string path = storeFile(dir.path(), kDataFileName);
    const std::string line = std::string(kRecord) + "\r\n";
    for (auto _ : state) {
        if (!platform::appendLocked(files, path, line).ok())
            state.SkipWithError("appendLocked failed");
    }
    state.SetItemsProcessed(state.iterations());
}

// The record writer the handlers call: the record put into the offline buffer and forced to the
// disk, then delivered to the store under its lock and the journal's intent.
void BM_Append_WriteRecord(benchmark::State& state)
{
    BenchDir dir;
    platform::PosixPathMapper paths({.own = dir.path() + "/own"});
    platform::PosixFileOps files(paths);
    if (std::FILE* marker = std::fopen(dir.file(kStoreMarkerName).c_str(), "w"))
        std::fclose(marker);
    TimeRecordWriter writer(files);
    writer.setStore(dir.path());
    for (auto _ : state) {
        if (writer.write(kRecord) != RecordPlace::Store)
            state.SkipWithError("the record did not reach the data file");
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_Append_PlainSyscalls)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Append_AppendLocked)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Append_WriteRecord)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace shiftloom::bench
