// SPDX-License-Identifier: MIT
#pragma once

#include "RecordCheck.h"
#include "support/CoreFixture.h"
#include "support/Spawn.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace shiftloom::test {

inline constexpr int kOldWriter = 98; ///< records in the store before a run
inline constexpr int kBufferWriter = 99; ///< records waiting in the offline buffer
inline constexpr int kRunWriter = 1; ///< records of a run

/** A size of a run from the environment variable `name`, or `fallback` (small, for CI). */
long long runSize(const char* name, long long fallback);

/** The number after "name " at the start of a line of a driver's report, or -1. */
long long reported(const std::string& report, const std::string& name);

/** The kinds of call at the fault points a driver passed, a letter each (see Driver.cpp). */
std::string reportedKinds(const std::string& report);

#if defined(__SANITIZE_ADDRESS__)
inline constexpr long kSanitizerFactor = 4; ///< a sanitizer build: slower, and memory for shadow and red zones
#else
inline constexpr long kSanitizerFactor = 1;
#endif

/** Every how many fault points the loops over processes try: more in a sanitizer build. */
std::size_t pointStride();

/**
 * The figures of a family of runs by name: "runs", records "lost", "duplicated" and "torn", faults
 * "injected.<operation>", and for writers the "records" they reported placed, "to_buffer", "held"
 * and "exits_needing_more_than_one_try" (writers that needed more than one try at their end).
 */
struct Tally : std::map<std::string, double>
{
    /**
     * Counts a run that left `check` in the store with `lostRecords` missing; checks that none is
     * lost, doubled or out of order, and none torn beyond `tornAllowed`.
     */
    void add(const RecordCheck& check, std::size_t lostRecords, const std::string& what, std::size_t tornAllowed = 0);
    /** Appends "name.<figure> value" to the file $SHIFTLOOM_RELIABILITY_FIGURES names (reliability-report.sh). */
    void report(const std::string& name) const;
};

/** One `write` of the driver (see Driver.cpp). */
struct WriterRun
{
    int writer = kRunWriter;
    int first = 0;
    int count = 10;
    int pauseMs = 0;
    std::string plan;
};

/**
 * A data store, empty, and a private data home (where the offline buffer c:\data lies) for the
 * driver processes (record writers, the panel's start-up and the Card-Warden stand-in) and for the
 * code run in this process through `realFiles`.
 */
class ReliabilityFixture : public CoreFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::string dataPath() const { return store() + "/data"; }
    std::string bufferFolder() const { return home.path() + "/Ovix_Shift-Loom/drive_c"; }
    std::string tracePath() const { return home.file("startup.trace"); }
    std::string logPath(const WriterRun& run) const;

    /** `old` records in the store, `buffered` in the buffer, no journal. */
    void prepare(int old, int buffered);
    /** The next start of a panel, in this process: it hands the buffer over; then the store's text after `before`. */
    RecordCheck settled(const std::string& before = {});
    /** The next start after `prepare`: none of its records, nor those of writer 1 to `lastPlaced`, is missing. */
    void expectSettled(Tally& tally, const std::string& what, int lastPlaced = -1, std::size_t tornAllowed = 0);

    /** Starts the driver with `words`, split at blanks (the temporary paths hold none). */
    std::unique_ptr<Spawned> driver(const std::string& words) const;
    std::unique_ptr<Spawned> startWriter(const WriterRun& run) const;
    /** Runs `writers` writers of `records` records each while `meanwhile` runs; they must end with none held. */
    std::vector<WriterRun> runWriters(int writers, int records, int pauseMs, const std::function<void()>& meanwhile);
    /** Starts the Card-Warden stand-in with a "shared" or an "exclusive" lock (Driver.cpp); `settleWriters` ends it. */
    void startReader(const char* lock);
    /** Starts the panel's start-up with `plan`; `runStartup` waits for it and returns its report. */
    std::unique_ptr<Spawned> startStartup(const std::string& plan = {}) const;
    std::string runStartup(const std::string& plan = {}) const;

    /**
     * Ends the Card-Warden stand-in, which never sees half a record, and runs the start-up that
     * follows the writers `runs`: then every record a writer reported placed is in the store (after
     * `before`, the store's earlier text) once, whole and in its order.
     */
    Tally settleWriters(const std::vector<WriterRun>& runs, const std::string& before = {});

private:
    int m_old = 0, m_buffered = 0;
    std::string m_bufferText;
    std::unique_ptr<Spawned> m_reader;
};

} // namespace shiftloom::test
