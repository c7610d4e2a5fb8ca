// SPDX-License-Identifier: MIT
// Every file operation of a run of the record writer and of a hand-over of the buffer failing, one
// at a time and in pairs, in process and in the driver's processes.
#include "ReliabilityFixture.h"

#include "app/SettingsStore.h"
#include "panel/Panel.h"
#include "platform/SettingsBackend.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"
#include "support/FakeClock.h"
#include "support/ScriptedHost.h"
#include "timing/TimeRecordWriter.h"

#include <filesystem>

namespace shiftloom::test {
namespace {

constexpr int kOldWriter = 98; // records in the store before the run
constexpr int kBufferWriter = 99; // records waiting in the offline buffer
constexpr int kRunWriter = 1; // records of the run: start, stop, IN, start
constexpr int kRunRecords = 4;

/**
 * A family of fault plans: each point failing in every way a call can ("notfound" would say that
 * an existing local buffer has gone; a store that really goes away is RealFaultTest's), and/or
 * each point failing as `first` with each later one failing as io.
 */
struct Family
{
    const char* name;
    bool replay; ///< a hand-over in batches of one line, else a run of four records with a buffer waiting
    bool singles;
    const char* first; ///< nullptr: no pairs
};

class InjectedFaultTest : public ReliabilityFixture
{
protected:
    platform::PosixPathMapper paths{home.path()};
    platform::PosixFileOps realFiles{paths};
    platform::LockWait shortWait{std::chrono::milliseconds(20), std::chrono::milliseconds(10)};
    const std::string before = checkedLines(kOldWriter, 0, 2) + checkedLines(kBufferWriter, 0, 3);

    void prepare()
    {
        writeFile(dataPath(), checkedLines(kOldWriter, 0, 2));
        writeFile(bufferPath(), checkedLines(kBufferWriter, 0, 3));
        std::filesystem::remove(bufferFolder() + "/data.journal");
    }
};

class FaultPlans : public InjectedFaultTest, public ::testing::WithParamInterface<Family>
{
protected:
    /** The next start of the panel, without faults; then every record is in the store once. */
    void expectEveryRecordOnce(const std::string& expected, const std::string& what, Tally& tally)
    {
        platform::MemorySettingsBackend backend;
        SettingsStore settings(backend);
        settings.write(keys::DataLoc, store());
        FakeClock clock;
        ScriptedHost host;
        Panel panel(settings, realFiles, clock, host);
        EXPECT_EQ(panel.load(), LoadOutcome::Normal) << what;
        EXPECT_FALSE(fileExists(bufferPath())) << what;
        const std::string data = readFile(dataPath());
        const RecordCheck check(data);
        const int lastRun = GetParam().replay ? -1 : kRunRecords - 1;
        tally.add(check, check.lost(kBufferWriter, 0, 2) + check.lost(kRunWriter, 0, lastRun));
        EXPECT_EQ(data, expected) << what;
    }

    void run(platform::FileOps& files)
    {
        if (GetParam().replay) {
            OfflineBuffer buffer(files, shortWait);
            buffer.setBatchBytes(1);
            buffer.replayInto(store() + "\\data");
            return;
        }
        TimeRecordWriter writer(
            files, [this] { return store(); }, shortWait);
        for (int seq = 0; seq < kRunRecords; ++seq)
            writer.AppendTimeRecord(checkedRecordLine(kRunWriter, seq));
        writer.flushHeld();
    }
};

TEST_P(FaultPlans, EveryPlanEndsWithEachRecordInTheStoreOnceWholeAndInOrder)
{
    const Family& family = GetParam();
    prepare();
    FaultFileOps counting(realFiles, FaultFileOps::Waits::Real);
    run(counting);
    const auto points = static_cast<std::size_t>(counting.points());
    ASSERT_GT(points, 15);
    const std::string expected = before + (family.replay ? "" : checkedLines(kRunWriter, 0, kRunRecords));
    Tally tally;
    const std::size_t stride = family.singles ? 1 : pointStride();
    for (std::size_t point = 1; point <= points; point += stride) {
        std::vector<std::string> plans;
        for (const char* failure : {"io", "nospace", "denied", "busy", "short"}) {
            if (family.singles)
                plans.push_back(std::to_string(point) + ":" + failure);
        }
        for (std::size_t second = point + 1; family.first && second <= points; ++second)
            plans.push_back(std::to_string(point) + ":" + family.first + "," + std::to_string(second) + ":io");
        tally.points += family.singles ? 1.0 : static_cast<double>(plans.size());
        for (const std::string& plan : plans) {
            prepare();
            FaultFileOps files(realFiles, FaultFileOps::Waits::Real);
            ASSERT_TRUE(files.setPlan(plan));
            run(files);
            for (std::size_t op = 0; op < kFileOpCount; ++op)
                tally.injected[op] += files.injected()[op];
            expectEveryRecordOnce(expected, plan, tally);
        }
    }
    tally.report(family.name);
}

INSTANTIATE_TEST_SUITE_P(InjectedFaultTest,
    FaultPlans,
    ::testing::Values(Family{"seam_run", false, true, nullptr},
        Family{"seam_pairs", false, false, "short"},
        Family{"seam_replay", true, true, "io"}),
    [](const auto& family) { return std::string(family.param.name); });

// The record writer's process fails, or dies before, after or half-way through, each of its file
// operations (the start-up's process dies at each of its own in CrashTest).
TEST_F(InjectedFaultTest, DriverProcessesFailingOrDyingAtEveryFaultPointLoseNothing)
{
    WriterRun run{.writer = kRunWriter, .first = 0, .count = kRunRecords, .pauseMs = 0, .plan = {}};
    prepare();
    ASSERT_EQ(startWriter(run)->wait(), 0);
    const std::string kinds = reportedKinds(readFile(logPath(run)));
    ASSERT_GT(kinds.size(), 20u);
    Tally tally;
    for (std::size_t point = 1; point <= kinds.size(); point += pointStride()) {
        ++tally.points;
        for (const char* action : {"io", "nospace", "short", "busy", "kill", "killafter", "shortkill"}) {
            prepare();
            run.plan = std::to_string(point) + ":" + action;
            const bool killed = startWriter(run)->wait() == 128 + 9;
            if (!killed)
                tally.injected[std::string_view("olsrwtfdp").find(kinds[point - 1])] += 1;
            EXPECT_EQ(reported(runStartup(), "outcome"), 0) << run.plan;
            const WriterLog log(readFile(logPath(run)), 0);
            EXPECT_TRUE(killed || log.lastPlaced == kRunRecords - 1) << run.plan;
            const RecordCheck check(readFile(dataPath()));
            const std::size_t lost = check.lost(kRunWriter, 0, log.lastPlaced) + check.lost(kBufferWriter, 0, 2);
            tally.add(check, lost);
            EXPECT_EQ(lost + check.doubled() + check.torn + check.outOfOrder, 0u) << run.plan;
        }
    }
    tally.report("driver_writer");
}

} // namespace
} // namespace shiftloom::test
