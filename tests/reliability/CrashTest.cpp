// SPDX-License-Identifier: MIT
// kill -9 of writers and of the start-up that hands the offline buffer over.
#include "ReliabilityFixture.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <random>
#include <thread>

namespace shiftloom::test {
namespace {

using namespace std::chrono;

using CrashTest = ReliabilityFixture;

/** Where in the start-up's file operations its trace (their lines, "." after each one that returned) ends. */
std::string killedWhere(std::string trace)
{
    const bool returned = trace.ends_with("\n.\n");
    trace.resize(trace.size() - (returned ? 3 : 1));
    if (trace.empty())
        return "before_any";
    return (returned ? "after_" : "inside_") + trace.substr(trace.rfind('\n') + 1);
}

// Short-lived writers, each killed at a random moment while it writes at full speed, with
// Card-Warden holding the lock exclusively now and then, so that records go through the buffer:
// no record its writer reported placed is lost, none is doubled, none torn.
TEST_F(CrashTest, KilledWritersLoseDoubleAndTearNothing)
{
    const auto kills = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_KILLS", 200));
    std::mt19937 random(20261205);
    std::uniform_int_distribution<int> lifetime(2, 600);
    startReader("exclusive");
    std::vector<WriterRun> runs;
    int killed = 0;
    // Eight writers at a time, each killed at a random moment; writer w + 8 follows writer w after
    // 999 rounds of 1,000 records, so that every record value stays unique.
    for (int round = 0; killed < kills; ++round) {
        std::vector<std::unique_ptr<Spawned>> writers;
        std::vector<int> lifetimes;
        for (int slot = 1; slot <= 8; ++slot) {
            runs.push_back({slot + 8 * (round / 999), round % 999 * 1000, 1000, 0, {}});
            writers.push_back(startWriter(runs.back()));
            lifetimes.push_back(lifetime(random));
        }
        std::sort(lifetimes.begin(), lifetimes.end());
        const auto begin = steady_clock::now();
        for (std::size_t i = 0; i < writers.size(); ++i) {
            std::this_thread::sleep_until(begin + milliseconds(lifetimes[i]));
            writers[i]->signal(SIGKILL);
            const int status = writers[i]->wait();
            killed += status == 128 + SIGKILL;
            EXPECT_TRUE(status == 128 + SIGKILL || status == 0) << status;
        }
    }
    Tally result = settleWriters(runs);
    result["kills"] = killed;
    result["processes"] = static_cast<double>(runs.size());
    result.report("kill_writers");
}

// The start-up hands a big buffer over and is killed at random moments; the next start
// completes the hand-over, wherever the kill fell (the trace of the killed one tells where).
TEST_F(CrashTest, AHandOverKilledAtRandomMomentsLosesDoublesAndTearsNothing)
{
    const auto rounds = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_KILLS", 40));
    const auto buffered = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_RECORDS", 20000));
    prepare(10, buffered);
    const auto begin = steady_clock::now();
    runStartup();
    const auto span = std::max<long long>(
        2000, std::chrono::duration_cast<microseconds>(steady_clock::now() - begin).count() * 12 / 10);
    std::mt19937 random(5122026);
    Tally tally;
    for (int round = 0; round < rounds; ++round) {
        prepare(10, buffered);
        const auto startup = startStartup();
        std::this_thread::sleep_for(microseconds(std::uniform_int_distribution<long long>(0, span)(random)));
        startup->signal(SIGKILL);
        startup->wait();
        ++tally["where." + killedWhere("\n" + readFile(tracePath()))];
        expectSettled(tally, "round " + std::to_string(round));
    }
    tally["buffered_records"] = buffered;
    tally.report("kill_replay");
}

// The start-up dies before and right after each of its file operations, and half-way through
// each of its writes, on a buffer of three batches; and, where another program (not a panel,
// which would complete the batch first) appends after a batch cut short, the fragment stays as
// the one torn line the design cannot avoid, its lines written again after it.
TEST_F(CrashTest, AHandOverKilledAtEveryFileOperationLosesDoublesAndTearsNothing)
{
    constexpr int kBuffered = 40000; // about 2.6 MiB
    prepare(10, kBuffered);
    const std::string kinds = reportedKinds(runStartup());
    ASSERT_GT(kinds.size(), 20u);
    Tally kills, residual;
    for (std::size_t point = 1, writes = 0; point <= kinds.size(); ++point) {
        const bool write = kinds[point - 1] == 'w', batch = write && ++writes % 2 == 0; // journal, batch, ...
        for (const std::string action : {"kill", "killafter", "shortkill", "residual"}) {
            if (action == "residual" ? !batch : (point - 1) % pointStride() != 0 || (action == "shortkill" && !write))
                continue;
            prepare(10, kBuffered);
            const std::string plan = std::to_string(point) + ":" + (action == "residual" ? "shortkill" : action);
            runStartup(plan);
            if (action == "residual")
                std::ofstream(dataPath(), std::ios::app) << "\r\n" << checkedLines(97, 0, 1);
            expectSettled(action == "residual" ? residual : kills, action + " " + plan, -1, action == "residual");
        }
    }
    EXPECT_GT(residual["runs"], 1);
    kills["fault_points"] = static_cast<double>((kinds.size() + pointStride() - 1) / pointStride());
    kills["buffered_records"] = kBuffered;
    kills.report("kill_replay_points");
    residual.report("residual");
}

} // namespace
} // namespace shiftloom::test
