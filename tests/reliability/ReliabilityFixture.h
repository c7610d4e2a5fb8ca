// SPDX-License-Identifier: MIT
#pragma once

#include "RecordCheck.h"
#include "support/CoreFixture.h"
#include "support/Spawn.h"

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

/** The number after "name " at the start of the last such line of a driver's report, or -1. */
long long reported(const std::string& report, const std::string& name);

#if defined(__SANITIZE_ADDRESS__)
inline constexpr long kSanitizerFactor = 4; ///< a sanitizer build: slower, and memory for shadow and red zones
#else
inline constexpr long kSanitizerFactor = 1;
#endif

/** Every how many fault points the loops over processes try: more in a sanitizer build. */
std::size_t pointStride();

/**
 * The figures of a family of runs by name, each computed from what the run left: records "sent"
 * (their `write()` returned, or they waited in a buffer), "found" in the store, "lost" (sent and
 * not there after the next start, wherever they were when a process died: in memory too),
 * "doubled", "torn", "merged" and "out_of_order" lines (see RecordCheck), and what the runs add.
 */
struct Tally : std::map<std::string, double>
{
    /** Counts a store after a run; fails the test on a record lost, doubled, merged or out of order. */
    void add(const RecordCheck& check, std::size_t sent, std::size_t found, std::size_t lost, const std::string& what);
    /** Appends "name.<figure> value" to the file $SHIFTLOOM_RELIABILITY_FIGURES names (reliability-report.sh). */
    void report(const std::string& name) const;
};

/** One `write` of the driver (see Driver.cpp) for the worker's account `account`. */
struct WriterRun
{
    int account = 0;
    int writer = kRunWriter;
    int first = 0;
    int count = 10;
    int pauseMs = 0;
    std::string options{};
};

/**
 * A data store with its marker and an empty data file, and a private home for the driver
 * processes (record writers, the panel's start-up and the Card-Warden stand-in) and for the
 * panels started in this process: the drive c: of earlier versions, and one own folder per
 * worker's account (its buffer of record files and its journal).
 */
class ReliabilityFixture : public CoreFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::string dataPath() const { return storePath(kDataFileName); }
    /** The own folder of `account`, a host path; account 0 is the fixture's own. */
    std::string ownOf(int account) const;
    std::string tracePath() const { return home.file("startup.trace"); }
    std::string logPath(const WriterRun& run) const;

    /** `old` records in the store, `buffered` waiting in account 0's buffer (or in c:\data of an earlier version). */
    void prepare(int old, int buffered, bool earlier = false);
    /** The next start of a panel of `account` in this process: it hands over what waits; its counts go to `tally`. */
    void startUp(int account, Tally& tally, bool appendOnly = false);
    /** The next start after `prepare`: none of its records, nor writer 1's up to `lastSent`, may be missing. */
    void expectSettled(Tally& tally, const std::string& what, int lastSent = -1, bool appendOnly = false);

    /** Starts the driver with `words`, split at blanks (the temporary paths hold none). */
    std::unique_ptr<Spawned> driver(const std::string& words) const;
    std::unique_ptr<Spawned> startWriter(const WriterRun& run) const;
    /** Starts the Card-Warden stand-in (Driver.cpp); `settleWriters` ends it. */
    void startReader();
    /** Starts account 0's panel's start-up with `options` (Driver.cpp). */
    std::unique_ptr<Spawned> startStartup(const std::string& options = {}) const;

    /**
     * Ends the Card-Warden stand-in, which must never see half a record, starts the next panel of
     * each account of `runs`, and tallies what the writers sent against the store (after `before`,
     * the store's earlier text).
     */
    Tally settleWriters(const std::vector<WriterRun>& runs, const std::string& before = {}, bool appendOnly = false);

private:
    int m_old = 0, m_buffered = 0, m_bufferTextRecords = -1;
    std::string m_bufferText;
    std::unique_ptr<Spawned> m_reader;
};

} // namespace shiftloom::test
