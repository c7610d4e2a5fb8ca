// SPDX-License-Identifier: MIT
// The core benchmarks' entry: Google Benchmark's, with the work folder and its file system
// written into the report's context.
#include "BenchStore.h"

#include <benchmark/benchmark.h>

#include <filesystem>

int main(int argc, char** argv)
{
    const std::string folder = shiftloom::bench::benchWorkFolder();
    std::filesystem::create_directories(folder);
    benchmark::AddCustomContext("work_folder", folder);
    benchmark::AddCustomContext("work_folder_fs", shiftloom::bench::fileSystemType(folder));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
