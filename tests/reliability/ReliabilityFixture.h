// SPDX-License-Identifier: MIT
#pragma once

#include "ChildProcess.h"
#include "Figures.h"
#include "RecordCheck.h"

#include "support/StoreBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace shiftloom::test {

/** One run of `record-writer`. */
struct WriterRun
{
    int writer = 1;
    int first = 0;
    int count = 10;
    int delayMs = 0;
    int jitterMs = 0;
    std::string faults;
};

/**
 * A data store and a private data home (so c:\data, the offline buffer, lies in a temporary
 * folder) for runs of the driver processes: the record writer, the start-up replay and the
 * Card-Warden stand-in.
 */
class ReliabilityFixture : public ::testing::Test
{
protected:
    TempDir home;

    void SetUp() override;

    std::string store() const { return home.path() + "/store"; }
    std::string dataPath() const { return store() + "/data"; }
    std::string bufferFolder() const { return home.path() + "/Ovix_Shift-Loom/drive_c"; }
    std::string bufferPath() const { return bufferFolder() + "/data"; }
    std::string journalPath() const { return bufferFolder() + "/data.journal"; }
    /** Where the start-up driver traces its file operations (see FaultFileOps::setTrace). */
    std::string tracePath() const { return home.file("startup.trace"); }
    /** The environment every driver gets: the data home, and no fault plan of the caller's. */
    std::vector<std::string> environment() const;

    std::string logPath(int writer, int first) const;
    ChildProcess startWriter(const WriterRun& run) const;
    WriterLog readLog(const WriterRun& run) const;

    /** Starts the Card-Warden stand-in on the store; `stopReader` ends it and returns what it printed. */
    ChildProcess startReader(const std::vector<std::string>& options) const;
    std::string stopReader(ChildProcess& reader) const;

    /** Runs the panel's start-up to its end with `faults`; what it printed. */
    std::string runStartup(const std::string& faults = {}) const;

    /** The store's data file, after `before` (texts that were taken out of the store during the run). */
    RecordCheck checkStore(const std::vector<std::string>& before = {}) const;
};

/** The number after `name` and a blank in a driver's output, or -1. */
long long outputValue(const std::string& output, const std::string& name);

/** `count` checked records of `writer` from `first`, each ended by CR LF, as a buffer or store holds them. */
std::string checkedLines(int writer, int first, int count);

/**
 * Every how many fault points the slow loops over driver processes test: every point (1), except
 * in a sanitizer build, which checks memory rather than figures and runs several times slower
 * (4). SHIFTLOOM_RELIABILITY_POINT_STRIDE overrides it.
 */
int pointStride();

/** Whether this process can write to any file whatever its permission bits (root). */
bool permissionBitsDoNotBind();

} // namespace shiftloom::test
