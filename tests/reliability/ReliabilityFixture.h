// SPDX-License-Identifier: MIT
#pragma once

#include "RecordCheck.h"
#include "support/FaultFileOps.h"
#include "support/Spawn.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace shiftloom::test {

/** A size of a run from the environment variable `name`, or `fallback` (small, for CI). */
long long runSize(const char* name, long long fallback);

/** Appends "name value" to the file $SHIFTLOOM_RELIABILITY_FIGURES names, for scripts/reliability-report.sh. */
void figure(const std::string& name, double value);

/** The number after "name " at the start of a line of a driver's report, or -1. */
long long reported(const std::string& report, const std::string& name);

/** The kinds of call at the fault points a driver passed, a letter each (see Driver.cpp). */
std::string reportedKinds(const std::string& report);

/** Every how many fault points the loops over processes try: 4 in a sanitizer build, which is slower. */
std::size_t pointStride();

/**
 * What a family of runs found: faults by kind of file operation, records lost, doubled and torn;
 * for writers, the records they reported placed, through the buffer or held, and how many of them
 * needed more than one try at their end.
 */
struct Tally
{
    std::array<double, kFileOpCount> injected{};
    double points = 0, runs = 0, lost = 0, doubled = 0, torn = 0;
    double placed = 0, toBuffer = 0, held = 0, lateExits = 0;

    void add(const RecordCheck& check, std::size_t lostRecords);
    void report(const std::string& name) const;
};

/** One `write` of the driver (see Driver.cpp). */
struct WriterRun
{
    int writer = 1;
    int first = 0;
    int count = 10;
    int pauseMs = 0;
    std::string plan;
};

/**
 * A data store and a private data home (where the offline buffer c:\data lies) for the driver
 * processes: record writers, the panel's start-up and the Card-Warden stand-in.
 */
class ReliabilityFixture : public ::testing::Test
{
protected:
    TempDir home;

    void SetUp() override;
    void TearDown() override;

    std::string store() const { return home.path() + "/store"; }
    std::string dataPath() const { return store() + "/data"; }
    std::string bufferFolder() const { return home.path() + "/Ovix_Shift-Loom/drive_c"; }
    std::string bufferPath() const { return bufferFolder() + "/data"; }
    std::string tracePath() const { return home.file("startup.trace"); }
    std::string logPath(const WriterRun& run) const;

    /** Starts the driver with `words`, split at blanks (the temporary paths hold none). */
    std::unique_ptr<Spawned> driver(const std::string& words) const;
    std::unique_ptr<Spawned> startWriter(const WriterRun& run) const;
    /** Runs `writers` writers of `records` records each while `meanwhile` runs; they must end with none held. */
    std::vector<WriterRun> runWriters(int writers, int records, int pauseMs, const std::function<void()>& meanwhile);
    std::unique_ptr<Spawned> startReader(int maxHoldMs, int longHoldMs, int longEvery, const char* lock) const;
    /** Ends the Card-Warden stand-in; its report. */
    std::string stopReader(Spawned& reader) const;
    /** Starts the panel's start-up with `plan`; `runStartup` waits for it and returns its report. */
    std::unique_ptr<Spawned> startStartup(const std::string& plan = {}) const;
    std::string runStartup(const std::string& plan = {}) const;

    /**
     * The start-up that follows the writers `runs`: then every record a writer reported placed
     * is in the store (after `before`, the store's earlier text) once, whole and in its order.
     */
    Tally settleWriters(const std::vector<WriterRun>& runs, const std::string& before = {});
};

} // namespace shiftloom::test
