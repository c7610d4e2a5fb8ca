// SPDX-License-Identifier: MIT
#include "DriverReport.h"
#include "ReliabilityFixture.h"
#include "support/FaultFileOps.h"

#include "app/SettingsStore.h"
#include "panel/Panel.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "support/FakeClock.h"
#include "support/ScriptedHost.h"
#include "timing/TimeRecordWriter.h"

#include <array>
#include <filesystem>

namespace shiftloom::test {
namespace {

constexpr int kOldWriter = 98; // records in the store before the run
constexpr int kBufferWriter = 99; // records waiting in the offline buffer
constexpr int kRunWriter = 1; // records of the run
constexpr int kRunRecords = 4; // start, stop, IN, start

/**
 * Every way a single call can fail in a plan. "notfound" is left out: it would tell the panel
 * that the buffer it just saw has gone, which an existing local file cannot do; a store that
 * really went away is the real-fault test's.
 */
constexpr std::array<const char*, 5> kFailures = {"io", "nospace", "denied", "busy", "short"};

/** Figures of a fault run, by kind of call. */
struct FaultTally
{
    std::array<double, kFileOpCount> injected{};
    double runs = 0;
    double points = 0;
    double lost = 0;
    double duplicated = 0;
    double torn = 0;

    void add(const FaultFileOps& files)
    {
        for (std::size_t i = 0; i < injected.size(); ++i)
            injected[i] += files.injected()[i];
        ++runs;
    }
    void report(const std::string& name) const
    {
        reportFigure(name + ".fault_points", points);
        reportFigure(name + ".runs", runs);
        for (std::size_t op = 0; op < kFileOpCount; ++op) {
            if (injected[static_cast<std::size_t>(op)] > 0)
                reportFigure(
                    name + ".injected." + fileOpName(static_cast<FileOp>(op)), injected[static_cast<std::size_t>(op)]);
        }
        reportFigure(name + ".lost", lost);
        reportFigure(name + ".duplicated", duplicated);
        reportFigure(name + ".torn", torn);
    }
};

class InjectedFaultTest : public ReliabilityFixture
{
protected:
    platform::PosixPathMapper paths{home.path()};
    platform::PosixFileOps realFiles{paths};
    platform::LockWait shortWait{std::chrono::milliseconds(20), std::chrono::milliseconds(10)};
    const std::string oldLines = checkedLines(kOldWriter, 0, 2);
    const std::string bufferedLines = checkedLines(kBufferWriter, 0, 3);

    void prepare()
    {
        writeFile(dataPath(), oldLines);
        writeFile(bufferPath(), bufferedLines);
        std::filesystem::remove(journalPath());
    }

    /** A run of the panel through `files`: four records, then the held ones tried once more. */
    void writeRun(platform::FileOps& files)
    {
        TimeRecordWriter writer(
            files, [this] { return store(); }, shortWait);
        for (int seq = 0; seq < kRunRecords; ++seq)
            writer.AppendTimeRecord(checkedRecordLine({2026, 12, 5, 8, 7, 59}, kRunWriter, seq));
        writer.flushHeld();
    }

    /** The next start of the panel, without faults: replays what the buffer holds. */
    void startPanel()
    {
        platform::MemorySettingsBackend backend;
        SettingsStore settings(backend);
        settings.write(keys::DataLoc, store());
        FakeClock clock;
        ScriptedHost host;
        Panel panel(settings, realFiles, clock, host);
        EXPECT_EQ(panel.load(), LoadOutcome::Normal);
    }

    /** After the next start, the store holds the old lines, the buffered ones and the run's, each once, whole and in
     * order. */
    void expectEveryRecordOnce(const std::string& what, FaultTally& tally)
    {
        startPanel();
        EXPECT_FALSE(fileExists(bufferPath())) << what;
        const RecordCheck check = checkStore();
        std::size_t lost = 0;
        for (int seq = 0; seq < kRunRecords; ++seq)
            lost += check.count({kRunWriter, seq}) == 0;
        for (int seq = 0; seq < 3; ++seq)
            lost += check.count({kBufferWriter, seq}) == 0;
        tally.lost += static_cast<double>(lost);
        tally.duplicated += static_cast<double>(check.duplicates());
        tally.torn += static_cast<double>(check.torn + check.unterminated);
        EXPECT_EQ(readFile(dataPath()), oldLines + bufferedLines + checkedLines(kRunWriter, 0, kRunRecords)) << what;
    }

    int cleanRunPoints()
    {
        prepare();
        FaultFileOps counting(realFiles, FaultFileOps::Waits::Real);
        writeRun(counting);
        return counting.points();
    }
};

// Every file operation of a run (a buffer waiting, then four records) fails in turn, in each way
// it can fail; the panel goes on, and after its next start every record is in the store once,
// whole and in order.
TEST_F(InjectedFaultTest, EveryFaultPointOfARunFailingInEveryWayLosesAndDoublesNothing)
{
    const int points = cleanRunPoints();
    ASSERT_GT(points, 20);
    FaultTally tally;
    tally.points = points;
    for (int point = 1; point <= points; ++point) {
        for (const char* failure : kFailures) {
            prepare();
            FaultFileOps files(realFiles, FaultFileOps::Waits::Real);
            const std::string plan = std::to_string(point) + ":" + failure;
            ASSERT_TRUE(files.setPlan(plan));
            writeRun(files);
            tally.add(files);
            expectEveryRecordOnce(plan, tally);
        }
    }
    tally.report("seam_run");
}

// Two file operations of a run fail, every pair of them: a failure while a failure is being
// settled (the completion of a short write, the journal's intent, the buffer being deleted).
TEST_F(InjectedFaultTest, EveryPairOfFaultPointsOfARunLosesAndDoublesNothing)
{
    const int points = cleanRunPoints();
    FaultTally tally;
    for (int first = 1; first <= points; first += pointStride()) {
        for (int second = first + 1; second <= points; ++second) {
            prepare();
            FaultFileOps files(realFiles, FaultFileOps::Waits::Real);
            ++tally.points;
            const std::string plan = std::to_string(first) + ":short," + std::to_string(second) + ":io";
            ASSERT_TRUE(files.setPlan(plan));
            writeRun(files);
            tally.add(files);
            expectEveryRecordOnce(plan, tally);
        }
    }
    tally.report("seam_pairs");
}

// Every file operation of a hand-over in batches of one line fails in turn, in every way, alone
// and with a second failure after it; the next start hands over the rest, each line once.
TEST_F(InjectedFaultTest, EveryFaultPointOfAReplayInBatchesLosesAndDoublesNothing)
{
    auto replay = [this](platform::FileOps& files) {
        OfflineBuffer buffer(files, shortWait);
        buffer.setBatchBytes(1);
        buffer.replayInto(store() + "\\data");
    };
    prepare();
    FaultFileOps counting(realFiles, FaultFileOps::Waits::Real);
    replay(counting);
    const int points = counting.points();
    ASSERT_GT(points, 15);
    FaultTally tally;
    tally.points = points;
    for (int point = 1; point <= points; ++point) {
        std::vector<std::string> plans;
        for (const char* failure : kFailures)
            plans.push_back(std::to_string(point) + ":" + failure);
        for (int second = point + 1; second <= points; ++second)
            plans.push_back(std::to_string(point) + ":io," + std::to_string(second) + ":io");
        for (const std::string& plan : plans) {
            prepare();
            FaultFileOps files(realFiles, FaultFileOps::Waits::Real);
            ASSERT_TRUE(files.setPlan(plan));
            replay(files);
            tally.add(files);
            startPanel();
            const RecordCheck check = checkStore();
            EXPECT_EQ(readFile(dataPath()), oldLines + bufferedLines) << plan;
            EXPECT_FALSE(fileExists(bufferPath())) << plan;
            tally.duplicated += static_cast<double>(check.duplicates());
            tally.torn += static_cast<double>(check.torn + check.unterminated);
            for (int seq = 0; seq < 3; ++seq)
                tally.lost += check.count({kBufferWriter, seq}) == 0;
        }
    }
    tally.report("seam_replay");
}

// The same through the record writer's process, with the plan on its command line: it fails, or
// dies before, after or half-way through, each of its file operations. (The start-up's process
// dies at each of its own in CrashTest.)
TEST_F(InjectedFaultTest, DriverProcessesFailingOrDyingAtEveryFaultPointLoseNothing)
{
    auto prepareFiles = [this] {
        prepare();
        std::filesystem::remove(logPath(kRunWriter, 0));
    };
    const WriterRun clean{
        .writer = kRunWriter, .first = 0, .count = kRunRecords, .delayMs = 0, .jitterMs = 0, .faults = {}};
    prepareFiles();
    {
        ChildProcess writer = startWriter(clean);
        ASSERT_EQ(writer.wait(), 0);
    }
    const std::string cleanLog = readFile(logPath(kRunWriter, 0));
    const long long points = outputValue(cleanLog, "points");
    const std::string kinds = cleanLog.substr(cleanLog.rfind("kinds ") + 6);
    ASSERT_GT(points, 20);

    FaultTally tally;
    tally.points = static_cast<double>((points + pointStride() - 1) / pointStride());
    int kills = 0;
    for (long long point = 1; point <= points; point += pointStride()) {
        for (const char* action : {"io", "nospace", "short", "busy", "kill", "killafter", "shortkill"}) {
            prepareFiles();
            WriterRun run = clean;
            run.faults = std::to_string(point) + ":" + action;
            ChildProcess writer = startWriter(run);
            const int status = writer.wait();
            const bool killed = status == 128 + 9;
            kills += killed;
            if (!killed) {
                const int op = opOfKindLetter(kinds[static_cast<std::size_t>(point - 1)]);
                tally.injected[static_cast<std::size_t>(op)] += 1;
            }
            ++tally.runs;
            EXPECT_NE(runStartup().find("outcome normal"), std::string::npos) << run.faults;
            const RecordCheck check = checkStore();
            const RecordVerdict verdict = compareWithLogs(check, {readLog(run)});
            EXPECT_EQ(verdict.lost, 0u) << run.faults;
            EXPECT_EQ(check.torn + check.unterminated, 0u) << run.faults;
            EXPECT_EQ(check.outOfOrder, 0u) << run.faults;
            EXPECT_EQ(check.duplicates(), 0u) << run.faults;
            for (int seq = 0; seq < 3; ++seq)
                EXPECT_EQ(check.count({kBufferWriter, seq}), 1u) << run.faults;
            if (!killed) {
                EXPECT_EQ(verdict.expected, static_cast<std::size_t>(kRunRecords)) << run.faults;
            }
            tally.lost += static_cast<double>(verdict.lost);
            tally.torn += static_cast<double>(check.torn + check.unterminated);
            tally.duplicated += static_cast<double>(check.duplicates());
        }
    }
    tally.report("driver_writer");
    reportFigure("driver_writer.kills", kills);
}

} // namespace
} // namespace shiftloom::test
