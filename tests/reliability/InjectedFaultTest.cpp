// SPDX-License-Identifier: MIT
// Every file operation of a run of the record writer and of a hand-over of the buffer failing, one
// at a time and in pairs, in process and in the driver's processes.
#include "ReliabilityFixture.h"

#include "timing/TimeRecordWriter.h"

namespace shiftloom::test {
namespace {

constexpr int kRunRecords = 4; // start, stop, IN, start

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

using InjectedFaultTest = ReliabilityFixture;

class FaultPlans : public ReliabilityFixture, public ::testing::WithParamInterface<Family>
{
protected:
    platform::LockWait shortWait{std::chrono::milliseconds(20), std::chrono::milliseconds(10)};

    void run(platform::FileOps& through)
    {
        if (GetParam().replay) {
            OfflineBuffer buffer(through, shortWait);
            buffer.setBatchBytes(1);
            buffer.replayInto(store() + "\\data");
            return;
        }
        TimeRecordWriter writer(
            through, [this] { return store(); }, shortWait);
        for (int seq = 0; seq < kRunRecords; ++seq)
            writer.AppendTimeRecord(checkedRecordLine(kRunWriter, seq));
        writer.flushHeld();
    }
};

TEST_P(FaultPlans, EveryPlanEndsWithEachRecordInTheStoreOnceWholeAndInOrder)
{
    const Family& family = GetParam();
    prepare(2, 3);
    FaultFileOps counting(realFiles, FaultFileOps::Waits::Real);
    run(counting);
    const auto points = static_cast<std::size_t>(counting.points());
    ASSERT_GT(points, 15);
    const std::string expected = checkedLines(kOldWriter, 0, 2) + checkedLines(kBufferWriter, 0, 3)
        + (family.replay ? "" : checkedLines(kRunWriter, 0, kRunRecords));
    Tally tally;
    const std::size_t stride = family.singles ? 1 : pointStride();
    for (std::size_t point = 1; point <= points; point += stride) {
        std::vector<std::string> plans;
        if (family.singles)
            for (const char* failure : {"io", "nospace", "denied", "busy", "short"})
                plans.push_back(std::to_string(point) + ":" + failure);
        for (std::size_t second = point + 1; family.first && second <= points; ++second)
            plans.push_back(std::to_string(point) + ":" + family.first + "," + std::to_string(second) + ":io");
        tally["fault_points"] += family.singles ? 1.0 : static_cast<double>(plans.size());
        for (const std::string& plan : plans) {
            prepare(2, 3);
            FaultFileOps faulty(realFiles, FaultFileOps::Waits::Real);
            ASSERT_TRUE(faulty.setPlan(plan));
            run(faulty);
            for (std::size_t op = 0; op < kFileOpCount; ++op)
                tally[std::string("injected.") + fileOpName(static_cast<FileOp>(op))] += faulty.injected()[op];
            expectSettled(tally, plan, family.replay ? -1 : kRunRecords - 1);
            EXPECT_EQ(readFile(dataPath()), expected) << plan;
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
    prepare(2, 3);
    ASSERT_EQ(startWriter(run)->wait(), 0);
    const std::string kinds = reportedKinds(readFile(logPath(run)));
    ASSERT_GT(kinds.size(), 20u);
    Tally tally;
    for (std::size_t point = 1; point <= kinds.size(); point += pointStride()) {
        ++tally["fault_points"];
        for (const char* action : {"io", "nospace", "short", "busy", "kill", "killafter", "shortkill"}) {
            prepare(2, 3);
            run.plan = std::to_string(point) + ":" + action;
            const bool killed = startWriter(run)->wait() == 128 + 9;
            const auto op = static_cast<FileOp>(std::string_view("olsrwtfdp").find(kinds[point - 1]));
            tally[std::string("injected.") + fileOpName(op)] += killed ? 0 : 1;
            const WriterLog log(readFile(logPath(run)), 0);
            EXPECT_TRUE(killed || log.lastPlaced == kRunRecords - 1) << run.plan;
            expectSettled(tally, run.plan, log.lastPlaced);
        }
    }
    tally.report("driver_writer");
}

} // namespace
} // namespace shiftloom::test
