// SPDX-License-Identifier: MIT
// kill -9 of writers and of the start-up that hands the offline buffer over.
#include "ReliabilityFixture.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>

namespace shiftloom::test {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

constexpr int kBufferWriter = 99; // records that wait in the offline buffer
constexpr int kOldWriter = 98; // records already in the store

class CrashTest : public ReliabilityFixture
{
protected:
    std::string bufferText;

    void prepare(int buffered)
    {
        if (bufferText.empty())
            bufferText = checkedLines(kBufferWriter, 0, buffered);
        writeFile(dataPath(), checkedLines(kOldWriter, 0, 10));
        writeFile(bufferPath(), bufferText);
        std::filesystem::remove(bufferFolder() + "/data.journal");
    }

    /**
     * The start-up after a killed one: every record in the store once, whole and in order, the
     * buffer gone. The torn lines found (none, unless another program appended after a fragment).
     */
    std::size_t finishAfterKill(int buffered, const std::string& what, std::size_t tornAllowed = 0)
    {
        EXPECT_EQ(reported(runStartup(), "outcome"), 0) << what;
        EXPECT_FALSE(fileExists(bufferPath())) << what;
        const RecordCheck check(readFile(dataPath()));
        EXPECT_EQ(check.lost(kBufferWriter, 0, buffered - 1) + check.lost(kOldWriter, 0, 9), 0u) << what;
        EXPECT_EQ(check.doubled(), 0u) << what;
        EXPECT_LE(check.torn, tornAllowed) << what;
        EXPECT_EQ(check.outOfOrder, 0u) << what;
        return check.torn;
    }

    /** The start-up's file operations: the trace's lines, "." after each one that returned. */
    std::string killedWhere() const
    {
        std::string trace = "\n" + readFile(tracePath());
        const bool returned = trace.ends_with("\n.\n");
        trace.resize(trace.size() - (returned ? 3 : 1));
        if (trace.empty())
            return "before_any";
        return (returned ? "after_" : "inside_") + trace.substr(trace.rfind('\n') + 1);
    }
};

// Short-lived writers, each killed at a random moment while it writes at full speed, with
// Card-Warden holding the lock exclusively now and then, so that records go through the buffer:
// no record its writer reported placed is lost, none is doubled, none torn.
TEST_F(CrashTest, KilledWritersLoseDoubleAndTearNothing)
{
    const auto kills = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_KILLS", 200));
    writeFile(dataPath(), "");
    std::mt19937 random(20261205);
    std::uniform_int_distribution<int> lifetime(2, 600);
    const auto reader = startReader(200, 700, 3, "exclusive");
    std::vector<WriterRun> runs;
    int killed = 0;
    // Eight writers at a time, each killed at a random moment; writer w + 8 follows writer w after
    // 999 rounds of 1,000 records, so that every record value stays unique.
    for (int round = 0; killed < kills; ++round) {
        std::vector<std::unique_ptr<Spawned>> writers;
        std::vector<int> lifetimes;
        for (int slot = 1; slot <= 8; ++slot) {
            runs.push_back({.writer = slot + 8 * (round / 999),
                .first = round % 999 * 1000,
                .count = 1000,
                .pauseMs = 0,
                .plan = {}});
            writers.push_back(startWriter(runs.back()));
            lifetimes.push_back(lifetime(random));
        }
        std::sort(lifetimes.begin(), lifetimes.end());
        const auto begin = SteadyClock::now();
        for (std::size_t i = 0; i < writers.size(); ++i) {
            std::this_thread::sleep_until(begin + milliseconds(lifetimes[i]));
            writers[i]->signal(SIGKILL);
            const int status = writers[i]->wait();
            killed += status == 128 + SIGKILL;
            EXPECT_TRUE(status == 128 + SIGKILL || status == 0) << status;
        }
    }
    stopReader(*reader);
    const Tally result = settleWriters(runs);
    figure("kill_writers.kills", killed);
    figure("kill_writers.processes", static_cast<double>(runs.size()));
    result.report("kill_writers");
}

// The start-up hands a big buffer over and is killed at random moments; the next start
// completes the hand-over, wherever the kill fell (the trace of the killed one tells where).
TEST_F(CrashTest, AHandOverKilledAtRandomMomentsLosesDoublesAndTearsNothing)
{
    const auto rounds = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_KILLS", 40));
    const auto buffered = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_RECORDS", 20000));
    prepare(buffered);
    const auto begin = SteadyClock::now();
    runStartup();
    const auto span = std::max<long long>(
        2000, std::chrono::duration_cast<microseconds>(SteadyClock::now() - begin).count() * 12 / 10);
    std::mt19937 random(5122026);
    std::map<std::string, int> where;
    std::size_t torn = 0;
    for (int round = 0; round < rounds; ++round) {
        prepare(buffered);
        const auto startup = startStartup();
        std::this_thread::sleep_for(microseconds(std::uniform_int_distribution<long long>(0, span)(random)));
        startup->signal(SIGKILL);
        startup->wait();
        ++where[killedWhere()];
        torn += finishAfterKill(buffered, "round " + std::to_string(round));
    }
    figure("kill_replay.kills", rounds);
    figure("kill_replay.buffered_records", buffered);
    figure("kill_replay.torn", static_cast<double>(torn));
    for (const auto& [at, count] : where)
        figure("kill_replay.where." + at, count);
}

// The start-up dies before and right after each of its file operations, and half-way through
// each of its writes, on a buffer of three batches; and, where another program (not a panel,
// which would complete the batch first) appends after a batch cut short, the fragment stays as
// the one torn line the design cannot avoid, its lines written again after it.
TEST_F(CrashTest, AHandOverKilledAtEveryFileOperationLosesDoublesAndTearsNothing)
{
    constexpr int kBuffered = 40000; // about 2.6 MiB
    prepare(kBuffered);
    const std::string kinds = reportedKinds(runStartup());
    ASSERT_GT(kinds.size(), 20u);
    int kills = 0, residuals = 0;
    std::size_t torn = 0, residualTorn = 0;
    for (std::size_t point = 1, writes = 0; point <= kinds.size(); ++point) {
        const bool write = kinds[point - 1] == 'w', batch = write && ++writes % 2 == 0; // journal, batch, ...
        for (const std::string action : {"kill", "killafter", "shortkill", "residual"}) {
            if (action == "residual" ? !batch : (point - 1) % pointStride() != 0 || (action == "shortkill" && !write))
                continue;
            prepare(kBuffered);
            const std::string plan = std::to_string(point) + ":" + (action == "residual" ? "shortkill" : action);
            runStartup(plan);
            if (action == "residual") {
                std::ofstream(dataPath(), std::ios::app) << "\r\n" << checkedLines(97, 0, 1);
                ++residuals;
                residualTorn += finishAfterKill(kBuffered, "residual " + plan, 1);
                continue;
            }
            ++kills;
            torn += finishAfterKill(kBuffered, plan);
        }
    }
    EXPECT_GT(residuals, 1);
    figure("kill_replay_points.points", static_cast<double>((kinds.size() + pointStride() - 1) / pointStride()));
    figure("kill_replay_points.buffered_records", kBuffered);
    figure("kill_replay_points.kills", kills);
    figure("kill_replay_points.torn", static_cast<double>(torn));
    figure("residual.cases", residuals);
    figure("residual.torn", static_cast<double>(residualTorn));
}

} // namespace
} // namespace shiftloom::test
