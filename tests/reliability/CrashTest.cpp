// SPDX-License-Identifier: MIT
#include "ReliabilityFixture.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace shiftloom::test {
namespace {

using std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

constexpr std::size_t kReplayBatchBytes = 1 << 20; // what the replay copies in one write
constexpr int kBufferWriter = 99; // records that wait in the offline buffer
constexpr int kOldWriter = 98; // records already in the store

/** The number of lines in each batch the replay cuts `buffer` into: whole lines up to 1 MiB or just past it. */
std::vector<std::size_t> replayBatches(const std::string& buffer)
{
    std::vector<std::size_t> batches;
    std::size_t bytes = 0;
    std::size_t lines = 0;
    for (std::size_t at = 0; at < buffer.size();) {
        const std::size_t end = buffer.find('\n', at);
        const std::size_t next = end == std::string::npos ? buffer.size() : end + 1;
        bytes += next - at;
        ++lines;
        at = next;
        if (bytes >= kReplayBatchBytes) {
            batches.push_back(lines);
            bytes = 0;
            lines = 0;
        }
    }
    if (lines > 0)
        batches.push_back(lines);
    return batches;
}

class CrashTest : public ReliabilityFixture
{
protected:
    std::string oldLines = checkedLines(kOldWriter, 0, 10);

    void prepare(int buffered)
    {
        writeFile(dataPath(), oldLines);
        writeFile(bufferPath(), checkedLines(kBufferWriter, 0, buffered));
    }

    /** Lines of buffered records that the store holds now. */
    std::size_t bufferedInStore() const
    {
        std::size_t n = 0;
        for (const auto& [id, count] : checkStore().counts)
            n += id.writer == kBufferWriter ? count : 0;
        return n;
    }

    /** The start-up after a killed one: what must hold of the store, given what the kill left. */
    struct AfterKill
    {
        bool bufferLeft = false;
        std::size_t copied = 0; ///< buffered lines in the store after the kill
        std::size_t duplicated = 0;
    };
    AfterKill finishAfterKill(int buffered, const std::string& what)
    {
        AfterKill after;
        after.bufferLeft = fileExists(bufferPath());
        after.copied = bufferedInStore();
        EXPECT_NE(runStartup().find("outcome normal"), std::string::npos) << what;
        EXPECT_FALSE(fileExists(bufferPath())) << what;
        const RecordCheck check = checkStore();
        after.duplicated = check.duplicates();
        for (int seq = 0; seq < buffered; ++seq) {
            if (check.count({kBufferWriter, seq}) == 0) {
                ADD_FAILURE() << what << ": buffered record " << seq << " lost";
                break;
            }
        }
        for (int seq = 0; seq < 10; ++seq)
            EXPECT_EQ(check.count({kOldWriter, seq}), 1u) << what;
        EXPECT_EQ(check.torn + check.unterminated, 0u) << what;
        EXPECT_EQ(check.outOfOrder, 0u) << what;
        // The replay deletes the buffer after its last batch reached the disk. A kill before that
        // leaves the lines copied so far to be copied again; none other may be doubled.
        EXPECT_EQ(after.duplicated, after.bufferLeft ? after.copied : 0u) << what;
        return after;
    }
};

// Many short-lived panels, each killed (SIGKILL) at a random moment while it writes at full
// speed, with Card-Warden holding the lock now and then so that records go through the buffer
// and are replayed by the writers themselves. A record that its writer reported placed (in the
// store or the buffer) is never lost; only records copied by a replay that the kill cut short may
// be doubled, and never one that went straight to the store.
TEST_F(CrashTest, KilledWritersLoseNoRecordTheyReportedPlaced)
{
    const auto kills = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_KILLS", 200));
    constexpr int kSlots = 4;
    constexpr int kPerProcess = 5000;
    writeFile(dataPath(), "");
    std::mt19937 random(20261205);
    ChildProcess reader =
        startReader({"--max-hold-ms", "200", "--max-gap-ms", "30", "--long-hold-ms", "700", "--long-every", "3"});

    struct Slot
    {
        WriterRun run;
        std::optional<ChildProcess> process;
        SteadyClock::time_point killAt;
        int generation = 0;
    };
    std::vector<Slot> slots(kSlots);
    std::vector<WriterRun> runs;
    auto launch = [&](Slot& slot, int index) {
        slot.run = WriterRun{.writer = index + 1,
            .first = slot.generation * kPerProcess,
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
    int endedBeforeKill = 0;
    while (killed < kills) {
        std::this_thread::sleep_for(milliseconds(1));
        for (int i = 0; i < kSlots; ++i) {
            Slot& slot = slots[static_cast<std::size_t>(i)];
            if (SteadyClock::now() < slot.killAt)
                continue;
            slot.process->kill();
            const int status = slot.process->wait();
            if (status == 128 + 9)
                ++killed;
            else
                ++endedBeforeKill;
            runs.push_back(slot.run);
            launch(slot, i);
        }
    }
    for (Slot& slot : slots) {
        slot.process->terminate();
        slot.process->wait();
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
    EXPECT_EQ(verdict.unexpected, 0u);
    EXPECT_EQ(check.torn + check.unterminated, 0u);
    EXPECT_EQ(check.outOfOrder, 0u);
    for (const std::string& problem : verdict.problems) {
        if (!problem.starts_with("duplicated"))
            ADD_FAILURE() << problem;
    }
    // A record its writer put straight into the store is never copied again.
    std::size_t doubledFromStore = 0;
    for (const WriterLog& log : logs) {
        const std::string text = readFile(logPath(log.writer, log.first));
        for (int seq = log.first; seq <= log.lastLogged; ++seq) {
            if (check.count({log.writer, seq}) > 1
                && text.find("\n" + std::to_string(seq) + " store\n") != std::string::npos)
                ++doubledFromStore;
        }
    }
    EXPECT_EQ(doubledFromStore, 0u);
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

// The start-up replays a buffer of thousands of records (one batch) and is killed at random
// moments; the next start completes it. Measures how often a kill falls between the copy
// reaching the disk and the buffer's deletion, the one window that doubles records, and bounds
// what it doubles: the lines copied before the kill, at most one batch.
TEST_F(CrashTest, AKilledReplayDoublesAtMostTheBatchItCopiedAndOnlyInsideThatWindow)
{
    const auto rounds = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REPLAY_KILLS", 60));
    constexpr int kBuffered = 5000;
    prepare(kBuffered);
    const std::vector<std::size_t> batches = replayBatches(readFile(bufferPath()));
    ASSERT_EQ(batches.size(), 1u) << "the buffer of this test is meant to fit one batch";

    // How long a whole start-up takes here, so that the kills spread over all of it.
    const auto begin = SteadyClock::now();
    runStartup();
    const auto span = std::max<long long>(
        2000, std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - begin).count() * 12 / 10);

    std::mt19937 random(5122026);
    int inWindow = 0, beforeCopy = 0, afterDelete = 0;
    std::size_t doubled = 0, worst = 0;
    for (int round = 0; round < rounds; ++round) {
        prepare(kBuffered);
        {
            ChildProcess startup({SHIFTLOOM_STARTUP_REPLAY, "--store", store()}, environment());
            std::this_thread::sleep_for(
                std::chrono::microseconds(std::uniform_int_distribution<long long>(0, span)(random)));
            startup.kill();
            startup.wait();
        }
        const AfterKill after = finishAfterKill(kBuffered, "round " + std::to_string(round));
        if (!after.bufferLeft)
            ++afterDelete;
        else if (after.copied == 0)
            ++beforeCopy;
        else
            ++inWindow;
        EXPECT_LE(after.duplicated, batches.front());
        doubled += after.duplicated;
        worst = std::max(worst, after.duplicated);
    }
    reportFigure("kill_replay.kills", rounds);
    reportFigure("kill_replay.buffered_records", kBuffered);
    reportFigure("kill_replay.killed_before_copy", beforeCopy);
    reportFigure("kill_replay.killed_in_window", inWindow);
    reportFigure("kill_replay.killed_after_delete", afterDelete);
    reportFigure("kill_replay.duplicated", static_cast<double>(doubled));
    reportFigure("kill_replay.worst_per_kill", static_cast<double>(worst));
    reportFigure("kill_replay.batch_lines", static_cast<double>(batches.front()));
}

// The same, deterministic: the start-up dies (SIGKILL) before and right after each of its file
// operations in turn, on a buffer of three batches. Whatever the moment, no record is lost and
// only the lines copied before the kill are doubled.
TEST_F(CrashTest, AReplayKilledAtAnyFileOperationLosesNothing)
{
    constexpr int kBuffered = 45000; // about 2.4 MiB: three batches
    prepare(kBuffered);
    const std::vector<std::size_t> batches = replayBatches(readFile(bufferPath()));
    ASSERT_GE(batches.size(), 3u);
    const long long points = outputValue(runStartup(), "points");
    ASSERT_GT(points, 10);

    std::size_t worst = 0, doubled = 0;
    int kills = 0;
    for (long long point = 1; point <= points; ++point) {
        for (const char* action : {"kill", "killafter"}) {
            prepare(kBuffered);
            const std::string plan = std::to_string(point) + ":" + action;
            runStartup(plan);
            ++kills;
            const AfterKill after = finishAfterKill(kBuffered, plan);
            worst = std::max(worst, after.duplicated);
            doubled += after.duplicated;
        }
    }
    reportFigure("kill_replay_points.points", static_cast<double>(points));
    reportFigure("kill_replay_points.kills", kills);
    reportFigure("kill_replay_points.batches", static_cast<double>(batches.size()));
    reportFigure(
        "kill_replay_points.batch_lines", static_cast<double>(*std::max_element(batches.begin(), batches.end())));
    reportFigure("kill_replay_points.duplicated", static_cast<double>(doubled));
    reportFigure("kill_replay_points.worst_per_kill", static_cast<double>(worst));
}

// A replay cut short after its second or third batch doubles every batch copied so far, because
// the buffer keeps them all until its deletion. Dropping each batch from the buffer once it is in
// the store would bound the damage of one kill to one batch. Disabled until the replay does so.
TEST_F(CrashTest, DISABLED_AKilledReplayOfABigBufferDoublesAtMostOneBatch)
{
    constexpr int kBuffered = 45000;
    prepare(kBuffered);
    const std::vector<std::size_t> batches = replayBatches(readFile(bufferPath()));
    const long long points = outputValue(runStartup(), "points");
    for (long long point = 1; point <= points; ++point) {
        prepare(kBuffered);
        runStartup(std::to_string(point) + ":killafter");
        const AfterKill after = finishAfterKill(kBuffered, "killed after point " + std::to_string(point));
        EXPECT_LE(after.duplicated, *std::max_element(batches.begin(), batches.end())) << "point " << point;
    }
}

} // namespace
} // namespace shiftloom::test
