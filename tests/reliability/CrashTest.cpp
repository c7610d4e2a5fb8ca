// SPDX-License-Identifier: MIT
// kill -9 of record writers and of the start-up that hands the offline buffer over.
#include "ReliabilityFixture.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

namespace shiftloom::test {
namespace {

using namespace std::chrono;

constexpr int kKilled = 128 + SIGKILL;

/** The calls of a start-up's trace, role and kind each (FaultFileOps::setTrace); `returned`: the last one returned. */
std::vector<std::string> tracedCalls(const std::string& trace, bool& returned)
{
    std::vector<std::string> calls;
    returned = false;
    for (std::size_t at = 0, end; (end = trace.find('\n', at)) != std::string::npos; at = end + 1) {
        const std::string line = trace.substr(at, end - at);
        returned = line == ".";
        if (!returned)
            calls.push_back(line);
    }
    return calls;
}

/**
 * Where a kill of the start-up fell, from its trace: before the hand-over (settings, the ini, the
 * look for what an earlier version left, which asks for a job file and a marker too), inside it
 * ("in." or "after." a call: role and kind, see FaultFileOps::roleOf), or past it (the job list
 * or the activities read after the hand-over's first call on the buffer, journal or data file).
 */
std::string killedWhere(const std::string& trace)
{
    bool returned = false;
    std::string roles;
    const std::vector<std::string> calls = tracedCalls(trace, returned);
    for (const std::string& call : calls)
        roles += call[0];
    const std::size_t begun = roles.find_first_of("djbBJs");
    if (begun == std::string::npos)
        return "before";
    if (roles.find_first_of("pa", begun) != std::string::npos)
        return "past";
    return (returned ? "after." : "in.") + calls.back();
}

/** A row of writer kills: processes at a time, of how many workers' accounts, and what else is going on. */
struct KillRow
{
    const char* name;
    int processes;
    int accounts; ///< process p writes for account p % accounts + 1
    bool reader; ///< the Card-Warden stand-in holds the lock now and then
    bool appendOnly;
    long long ciKills;
};

void PrintTo(const KillRow& row, std::ostream* out)
{
    *out << row.name;
}

class WriterKills : public ReliabilityFixture, public ::testing::WithParamInterface<KillRow>
{
};

// Writers at full speed, each killed at a random moment, started again for the same worker:
// every record whose `write()` returned is in the store after the next start, once, on a line of
// its own and in its order, wherever it was when its writer died (in memory too). Only kills
// whose exit status is the kill's count.
TEST_P(WriterKills, NoRecordAWriterSentIsLostOrDoubledWhereverTheKillFalls)
{
    const KillRow& row = GetParam();
    const auto kills = static_cast<double>(runSize("SHIFTLOOM_RELIABILITY_KILLS", row.ciKills));
    std::mt19937 random(20261205);
    std::uniform_int_distribution<int> lifetime(2, 600);
    if (row.reader)
        startReader();
    std::vector<WriterRun> runs;
    Tally exits;
    // Writer p + processes follows writer p after 999 rounds of 1,000 records, so that every
    // record stays unique.
    for (int round = 0; exits["kills"] < kills && round < kills; ++round) {
        std::vector<std::unique_ptr<Spawned>> writers;
        std::vector<int> lifetimes;
        for (int p = 0; p < row.processes; ++p) {
            runs.push_back({.account = p % row.accounts + 1,
                .writer = p + 1 + row.processes * (round / 999),
                .first = round % 999 * 1000,
                .count = 1000,
                .options = row.appendOnly ? "append-only" : ""});
            writers.push_back(startWriter(runs.back()));
            lifetimes.push_back(lifetime(random));
        }
        std::sort(lifetimes.begin(), lifetimes.end());
        const auto begin = steady_clock::now();
        for (std::size_t i = 0; i < writers.size(); ++i) {
            std::this_thread::sleep_until(begin + milliseconds(lifetimes[i]));
            writers[i]->signal(SIGKILL);
            const int status = writers[i]->wait();
            ++exits[status == kKilled ? "kills" : "finished_before_kill"];
            EXPECT_TRUE(status == kKilled || status == 0) << status;
        }
    }
    Tally result = settleWriters(runs, {}, row.appendOnly);
    result.insert(exits.begin(), exits.end());
    result["processes"] = static_cast<double>(runs.size());
    result["at_a_time"] = row.processes;
    result.report(row.name);
}

INSTANTIATE_TEST_SUITE_P(CrashTest,
    WriterKills,
    ::testing::Values(KillRow{"kill_writers", 8, 4, false, false, 200},
        KillRow{"kill_writers_locked", 8, 8, true, false, 100},
        KillRow{"kill_append_only", 8, 1, false, true, 100},
        KillRow{"kill_accounts", 20, 20, false, false, 100}),
    [](const auto& row) { return std::string(row.param.name); });

class HandOverKills : public ReliabilityFixture, public ::testing::WithParamInterface<bool>
{
};

// The start-up hands a big buffer over (record files, or the one file of an earlier version)
// and is killed at random moments; the next start completes the hand-over, wherever the kill
// fell. Rounds go on until enough kills fell inside the hand-over.
TEST_P(HandOverKills, AStartUpKilledAtRandomMomentsOfItsHandOverLosesAndDoublesNothing)
{
    const bool earlier = GetParam();
    const auto kills = static_cast<double>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_KILLS", 20));
    const auto buffered = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_RECORDS", 5000 / kSanitizerFactor));
    // A start-up whose first file operation has been traced: the hand-over begins.
    const auto startTraced = [this] {
        std::filesystem::remove(tracePath());
        auto startup = startStartup("trace=" + tracePath());
        for (const auto limit = steady_clock::now() + seconds(20);
             readFile(tracePath()).empty() && steady_clock::now() < limit;)
            std::this_thread::sleep_for(microseconds(100));
        return startup;
    };
    prepare(10, buffered, earlier);
    auto startup = startTraced();
    const auto begin = steady_clock::now();
    startup->wait();
    // Kills at random moments inside a window that starts as the time the hand-over took and
    // follows where the kills land: a kill before the hand-over raises its start, one past it or
    // after the start-up ended lowers its end, and the window never gets narrower than a
    // twentieth of that time. A machine slowed by other work moves the window with it instead of
    // leaving the kills outside.
    const long long span = duration_cast<microseconds>(steady_clock::now() - begin).count();
    long long low = 0;
    long long high = span;
    const long long narrowest = std::max(span / 20, 200LL);
    const auto lowerEnd = [&](long long end) {
        high = end;
        low = std::max(0LL, std::min(low, high - narrowest));
    };
    std::mt19937 random(5122026);
    Tally tally;
    for (int round = 0; tally["kills_in_hand_over"] < kills && round < 6 * kills; ++round) {
        prepare(10, buffered, earlier);
        startup = startTraced();
        const long long delay = std::uniform_int_distribution<long long>(low, high)(random);
        std::this_thread::sleep_for(microseconds(delay));
        startup->signal(SIGKILL);
        if (const int status = startup->wait(); status == kKilled) {
            const std::string where = killedWhere(readFile(tracePath()));
            ++tally["kills"];
            ++tally["where." + where];
            tally["kills_in_hand_over"] += where.starts_with("in.") || where.starts_with("after.");
            if (where == "before") {
                low = delay;
                high = std::max(high, low + narrowest);
            } else if (where == "past") {
                lowerEnd(delay);
            }
        } else {
            EXPECT_EQ(status, 0);
            ++tally["finished_before_kill"];
            lowerEnd(delay);
        }
        expectSettled(tally, "round " + std::to_string(round));
    }
    tally["buffered_records"] = buffered;
    tally.report(earlier ? "kill_hand_over_earlier" : "kill_hand_over");
    EXPECT_GE(tally["kills_in_hand_over"], kills) << "the kills fell outside the hand-over: the row shows nothing";
}

INSTANTIATE_TEST_SUITE_P(CrashTest, HandOverKills, ::testing::Bool(), [](const auto& earlier) {
    return earlier.param ? "EarlierVersionsBuffer" : "RecordFiles";
});

/** Who dies at every file operation, and on what store. */
struct EveryPoint
{
    const char* name;
    bool writer; ///< a writer of three records with two waiting, else a start-up handing over three batches
    bool appendOnly;
};

void PrintTo(const EveryPoint& row, std::ostream* out)
{
    *out << row.name;
}

class KilledAtEveryPoint : public ReliabilityFixture, public ::testing::WithParamInterface<EveryPoint>
{
};

// The process dies before and right after each of its file operations, and half-way through
// each of its writes. Where another program (not a panel, which would end the fragment's line
// first) appends after a batch cut short, the fragment stays as a torn line of its own, its
// records written again after it. On a store that may be appended to but not read, half a write
// cannot be told from another's line (it is written again, a possible double: not tried here);
// there another program appends after a start-up killed before its batch's write, which the
// store's size must not pass for the batch: the batch goes again, on a new line in case the
// file ended with a fragment (an empty line here).
TEST_P(KilledAtEveryPoint, NothingSentIsLostOrDoubled)
{
    const EveryPoint& row = GetParam();
    const int buffered = row.writer ? 2 : 40;
    WriterRun run{.count = 3};
    const auto start = [&](const std::string& options) {
        run.options = "batch=700 " + std::string(row.appendOnly ? "append-only " : "") + options; // ~14 records
        return row.writer ? startWriter(run) : startStartup(run.options);
    };
    prepare(10, buffered);
    start("trace=" + tracePath())->wait();
    bool returned = false;
    const std::vector<std::string> calls = tracedCalls(readFile(tracePath()), returned);
    ASSERT_GT(calls.size(), 100u);
    Tally kills, residual;
    for (std::size_t point = 1; point <= calls.size(); ++point) {
        const bool write = calls[point - 1][1] == 'w', batchWrite = !row.writer && calls[point - 1] == "dw";
        for (const std::string action : {"kill", "killafter", "shortkill", "residual"}) {
            if (action == "residual"
                    ? !batchWrite
                    : (point - 1) % pointStride() != 0 || (action == "shortkill" && (!write || row.appendOnly)))
                continue;
            prepare(10, buffered);
            const std::string residualKill = row.appendOnly ? "kill" : "shortkill";
            const std::string plan = std::to_string(point) + ":" + (action == "residual" ? residualKill : action);
            const int status = start("plan=" + plan)->wait();
            EXPECT_EQ(status, kKilled) << plan;
            Tally& tally = action == "residual" ? residual : kills;
            ++tally[status == kKilled ? "kills" : "not_killed"];
            ++tally[std::string("at.") + calls[point - 1]];
            if (action == "residual")
                std::ofstream(dataPath(), std::ios::app | std::ios::binary)
                    << (row.appendOnly ? "" : "\r\n") << checkedLines(97, 0, 1);
            const int lastSent = row.writer ? WriterLog(readFile(logPath(run)), 0).lastSent : -1;
            expectSettled(tally, action + " " + plan, lastSent, row.appendOnly);
        }
    }
    kills["fault_points"] = static_cast<double>((calls.size() + pointStride() - 1) / pointStride());
    kills["buffered_records"] = buffered;
    kills.report(row.name);
    if (row.writer)
        return;
    EXPECT_EQ(residual["torn"], residual["runs"])
        << "a fragment (append-only: in doubt, an empty line) on its own line";
    EXPECT_GT(residual["runs"], 1);
    residual.report(row.appendOnly ? "residual_append_only" : "residual");
}

INSTANTIATE_TEST_SUITE_P(CrashTest,
    KilledAtEveryPoint,
    ::testing::Values(EveryPoint{"kill_points", false, false},
        EveryPoint{"kill_points_writer", true, false},
        EveryPoint{"kill_points_append_only", false, true},
        EveryPoint{"kill_points_writer_append_only", true, true}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace shiftloom::test
