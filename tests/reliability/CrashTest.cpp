// SPDX-License-Identifier: MIT
#include "ReliabilityFixture.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>

namespace shiftloom::test {
namespace {

using std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

constexpr int kBufferWriter = 99; // records that wait in the offline buffer
constexpr int kOldWriter = 98; // records already in the store

class CrashTest : public ReliabilityFixture
{
protected:
    std::string oldLines = checkedLines(kOldWriter, 0, 10);
    std::map<int, std::string> bufferTexts;

    void prepare(int buffered)
    {
        std::string& text = bufferTexts[buffered];
        if (text.empty())
            text = checkedLines(kBufferWriter, 0, buffered);
        writeFile(dataPath(), oldLines);
        writeFile(bufferPath(), text);
        std::filesystem::remove(journalPath());
    }

    /**
     * The start-up after a killed one: every buffered record in the store once, whole and in
     * order, the old ones untouched, the buffer gone. Returns the torn lines found (none expected,
     * except where a test let another program append after a fragment).
     */
    std::size_t finishAfterKill(int buffered, const std::string& what, std::size_t tornAllowed = 0)
    {
        EXPECT_NE(runStartup().find("outcome normal"), std::string::npos) << what;
        EXPECT_FALSE(fileExists(bufferPath())) << what;
        const RecordCheck check = checkStore();
        for (int seq = 0; seq < buffered; ++seq) {
            if (check.count({kBufferWriter, seq}) != 1) {
                ADD_FAILURE() << what << ": buffered record " << seq << " found " << check.count({kBufferWriter, seq})
                              << " times";
                break;
            }
        }
        for (int seq = 0; seq < 10; ++seq)
            EXPECT_EQ(check.count({kOldWriter, seq}), 1u) << what;
        EXPECT_EQ(check.duplicates(), 0u) << what;
        EXPECT_EQ(check.unterminated, 0u) << what;
        EXPECT_LE(check.torn, tornAllowed) << what;
        EXPECT_EQ(check.outOfOrder, 0u) << what;
        return check.torn + check.unterminated;
    }

    /** Where the killed start-up was: "inside <role><call>" or "after <role><call>" (see the trace). */
    std::string killedWhere() const
    {
        std::vector<std::string> lines;
        const std::string trace = readFile(tracePath());
        for (std::size_t at = 0; at < trace.size();) {
            const std::size_t end = std::min(trace.find('\n', at), trace.size());
            lines.push_back(trace.substr(at, end - at));
            at = end + 1;
        }
        if (lines.empty())
            return "before_any";
        if (lines.back() != ".")
            return "inside_" + lines.back();
        return lines.size() >= 2 ? "after_" + lines[lines.size() - 2] : "before_any";
    }
};

// Many short-lived panels, each killed (SIGKILL) at a random moment while it writes at full
// speed, with Card-Warden holding the lock now and then so that records go through the buffer
// and are handed over by the writers themselves. A record that its writer reported placed (in the
// store, the buffer or the spool) is never lost, none is doubled and no line is torn.
TEST_F(CrashTest, KilledWritersLoseDoubleAndTearNothing)
{
    const auto kills = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_KILLS", 200));
    constexpr int kSlots = 4;
    constexpr int kPerProcess = 1000;
    writeFile(dataPath(), "");
    std::mt19937 random(20261205);
    // Card-Warden takes the lock exclusively here, the way it would to rewrite the file.
    ChildProcess reader = startReader(
        {"--max-hold-ms", "200", "--max-gap-ms", "30", "--long-hold-ms", "700", "--long-every", "3", "--exclusive"});

    struct Slot
    {
        WriterRun run;
        std::optional<ChildProcess> process;
        SteadyClock::time_point killAt;
        int generation = 0;
    };
    std::vector<Slot> slots(kSlots);
    std::vector<WriterRun> runs;
    // Each slot runs one writer after another; a writer id takes 999 of them before the next id
    // of the slot follows, so that every record value stays unique.
    auto launch = [&](Slot& slot, int index) {
        slot.run = WriterRun{.writer = 1 + index + kSlots * (slot.generation / 999),
            .first = (slot.generation % 999) * kPerProcess,
            .count = kPerProcess,
            .delayMs = 0,
            .jitterMs = 0,
            .faults = {}};
        ++slot.generation;
        slot.process.emplace(startWriter(slot.run));
        slot.killAt = SteadyClock::now() + milliseconds(std::uniform_int_distribution<int>(2, 600)(random));
    };
    for (int i = 0; i < kSlots; ++i)
        launch(slots[static_cast<std::size_t>(i)], i);
    int killed = 0;
    while (killed < kills) {
        std::this_thread::sleep_for(milliseconds(1));
        for (int i = 0; i < kSlots; ++i) {
            Slot& slot = slots[static_cast<std::size_t>(i)];
            if (SteadyClock::now() < slot.killAt)
                continue;
            slot.process->kill();
            const int status = slot.process->wait();
            killed += status == 128 + 9;
            EXPECT_TRUE(status == 128 + 9 || status == 0)
                << "writer " << slot.run.writer << " from " << slot.run.first << " ended with " << status;
            runs.push_back(slot.run);
            launch(slot, i);
        }
    }
    for (Slot& slot : slots) {
        slot.process->terminate();
        // 143: the signal came before the writer was ready to end in order, so before any record.
        const int status = slot.process->wait();
        EXPECT_TRUE(status == 0 || status == 128 + 15) << "a writer ended with " << status;
        runs.push_back(slot.run);
    }
    const std::string readerOutput = stopReader(reader);
    EXPECT_NE(runStartup().find("outcome normal"), std::string::npos);

    std::vector<WriterLog> logs;
    std::size_t placed = 0, viaBuffer = 0;
    for (const WriterRun& run : runs) {
        logs.push_back(readLog(run));
        placed += static_cast<std::size_t>(logs.back().lastPlaced - run.first + 1);
        viaBuffer += logs.back().toBuffer;
    }
    const RecordCheck check = checkStore();
    const RecordVerdict verdict = compareWithLogs(check, logs);
    EXPECT_EQ(verdict.lost, 0u);
    EXPECT_EQ(verdict.duplicated, 0u);
    EXPECT_EQ(verdict.unexpected, 0u);
    EXPECT_EQ(check.torn + check.unterminated, 0u);
    EXPECT_EQ(check.outOfOrder, 0u);
    for (const std::string& problem : verdict.problems)
        ADD_FAILURE() << problem;
    EXPECT_EQ(outputValue(readerOutput, "torn_tails"), 0) << "Card-Warden saw half a record under the lock";
    EXPECT_GE(killed, kills);

    reportFigure("kill_writers.kills", killed);
    reportFigure("kill_writers.processes", static_cast<double>(runs.size()));
    reportFigure("kill_writers.records_placed", static_cast<double>(placed));
    reportFigure("kill_writers.records_via_buffer", static_cast<double>(viaBuffer));
    reportFigure("kill_writers.in_flight_found", static_cast<double>(verdict.inFlightFound));
    reportFigure("kill_writers.lost", static_cast<double>(verdict.lost));
    reportFigure("kill_writers.duplicated", static_cast<double>(verdict.duplicated));
    reportFigure("kill_writers.torn", static_cast<double>(check.torn + check.unterminated));
}

// The start-up hands a big buffer over (200,000 records in the full run) and is killed at random
// moments; the next start completes the hand-over. Wherever the kill falls (inside a batch's
// write, inside any step of the journal), nothing is lost, doubled or torn. The trace of the
// killed start-up tells where each kill fell.
TEST_F(CrashTest, AHandOverKilledAtRandomMomentsLosesDoublesAndTearsNothing)
{
    const auto rounds = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_KILLS", 40));
    const auto buffered = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_RECORDS", 20000));
    prepare(buffered);
    // How long a whole start-up takes here, so that the kills spread over all of it.
    const auto begin = SteadyClock::now();
    runStartup();
    const auto span = std::max<long long>(
        2000, std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - begin).count() * 12 / 10);

    std::mt19937 random(5122026);
    std::map<std::string, int> where;
    std::size_t torn = 0;
    for (int round = 0; round < rounds; ++round) {
        prepare(buffered);
        {
            ChildProcess startup({SHIFTLOOM_STARTUP_REPLAY, "--store", store(), "--trace", tracePath()}, environment());
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<long long>(0, span)(random)));
            startup.kill();
            startup.wait();
        }
        ++where[killedWhere()];
        torn += finishAfterKill(buffered, "round " + std::to_string(round));
    }
    reportFigure("kill_replay.kills", rounds);
    reportFigure("kill_replay.buffered_records", buffered);
    reportFigure("kill_replay.torn", static_cast<double>(torn));
    for (const auto& [at, count] : where)
        reportFigure("kill_replay.where." + at, count);
}

// The same, deterministic: the start-up dies before and right after each of its file operations,
// and half-way through each of its writes, on a buffer of several batches.
TEST_F(CrashTest, AHandOverKilledAtEveryFileOperationLosesDoublesAndTearsNothing)
{
    constexpr int kBuffered = 40000; // about 2.6 MiB: three batches
    prepare(kBuffered);
    const std::string clean = runStartup();
    const long long points = outputValue(clean, "points");
    const std::string kinds = clean.substr(clean.rfind("kinds ") + 6);
    ASSERT_GT(points, 20);
    int kills = 0;
    std::size_t torn = 0;
    for (long long point = 1; point <= points; point += pointStride()) {
        for (const char* action : {"kill", "killafter", "shortkill"}) {
            if (std::string_view(action) == "shortkill" && kinds[static_cast<std::size_t>(point - 1)] != 'w')
                continue;
            prepare(kBuffered);
            const std::string plan = std::to_string(point) + ":" + action;
            runStartup(plan);
            ++kills;
            torn += finishAfterKill(kBuffered, plan);
        }
    }
    reportFigure("kill_replay_points.points", static_cast<double>((points + pointStride() - 1) / pointStride()));
    reportFigure("kill_replay_points.buffered_records", kBuffered);
    reportFigure("kill_replay_points.kills", kills);
    reportFigure("kill_replay_points.torn", static_cast<double>(torn));
}

// What the journal cannot mend: the start-up dies half-way through a batch's write, and another
// program (not a panel, which would complete the batch first) appends to the store before the next
// start. The fragment stays where it is, as the one torn line; its lines are written again after
// it, none doubled, none lost.
TEST_F(CrashTest, AFragmentThatAnotherProgramAppendedAfterStaysAsTheOneTornLine)
{
    constexpr int kBuffered = 40000;
    prepare(kBuffered);
    const std::string clean = runStartup();
    const std::string kinds = clean.substr(clean.rfind("kinds ") + 6);
    // The writes go journal, batch, journal, batch…: each second one is a batch.
    std::size_t residuals = 0;
    int cases = 0;
    for (std::size_t point = 1, writes = 0; point <= kinds.size(); ++point) {
        if (kinds[point - 1] != 'w' || ++writes % 2 != 0)
            continue;
        prepare(kBuffered);
        runStartup(std::to_string(point) + ":shortkill");
        std::ofstream(dataPath(), std::ios::app) << "\r\n" << checkedLines(97, 0, 1);
        ++cases;
        residuals += finishAfterKill(kBuffered, "batch write at point " + std::to_string(point), 1);
    }
    EXPECT_GT(cases, 1);
    reportFigure("residual.cases", cases);
    reportFigure("residual.torn", static_cast<double>(residuals));
}

} // namespace
} // namespace shiftloom::test
