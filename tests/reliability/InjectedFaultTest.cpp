// SPDX-License-Identifier: MIT
// Every file operation of a run of the record writer and of a hand-over of the buffer failing, one
// at a time and in pairs, in process and in the driver's processes.
#include "ReliabilityFixture.h"

#include "delivery/TimeRecordWriter.h"

namespace shiftloom::test {
namespace {

/**
 * A family of fault plans: each point failing in every way a call can ("notfound" would say that
 * a file of the local buffer has gone; a store that really goes away is RealFaultTest's), and/or
 * each point failing as `first` with each later one failing as io (every `pairStride()`th later
 * one, a different one for each first point).
 */
struct Family
{
    const char* name;
    int records; ///< written after the start-up's delivery (0: a hand-over alone, in batches of one record)
    int buffered; ///< waiting in the buffer
    bool earlier; ///< the buffer is the one file of an earlier version
    bool singles;
    const char* first; ///< nullptr: no pairs
};

void PrintTo(const Family& family, std::ostream* out)
{
    *out << family.name;
}

std::size_t pairStride()
{
    return static_cast<std::size_t>(runSize("SHIFTLOOM_RELIABILITY_PAIR_STRIDE", 3 * kSanitizerFactor));
}

using InjectedFaultTest = ReliabilityFixture;

class FaultPlans : public ReliabilityFixture, public ::testing::WithParamInterface<Family>
{
protected:
    void run(platform::FileOps& through)
    {
        TimeRecordWriter writer(through, TimeRecordWriter::Mode::Inline, {std::chrono::milliseconds(20)});
        writer.setBatchBytes(GetParam().records == 0 ? 1 : 1 << 20);
        writer.setStore(store());
        for (int seq = 0; seq < GetParam().records; ++seq)
            writer.write(checkedRecordLine(kRunWriter, seq));
        writer.settle(std::chrono::steady_clock::now()); // one delivery more: the next start settles the rest
        EXPECT_EQ(writer.heldCount(), 0u) << "records left in memory at the end";
    }
};

TEST_P(FaultPlans, EveryPlanEndsWithEachRecordInTheStoreOnceWholeAndInOrder)
{
    const Family& family = GetParam();
    prepare(2, family.buffered, family.earlier);
    FaultFileOps counting(realFiles, FaultFileOps::Waits::Real);
    run(counting);
    const auto points = static_cast<std::size_t>(counting.points());
    ASSERT_GT(points, 15);
    const std::string expected = checkedLines(kOldWriter, 0, 2) + checkedLines(kBufferWriter, 0, family.buffered)
        + checkedLines(kRunWriter, 0, family.records);
    Tally tally;
    const std::size_t stride = pointStride();
    for (std::size_t point = 1; point <= points; point += stride) {
        std::vector<std::string> plans;
        if (family.singles)
            for (const char* failure : {"io", "nospace", "denied", "busy", "short"})
                plans.push_back(std::to_string(point) + ":" + failure);
        for (std::size_t second = point + 1 + point % pairStride(); family.first && second <= points;
             second += pairStride())
            plans.push_back(std::to_string(point) + ":" + family.first + "," + std::to_string(second) + ":io");
        tally["fault_points"] += family.singles ? 1.0 : static_cast<double>(plans.size());
        for (const std::string& plan : plans) {
            prepare(2, family.buffered, family.earlier);
            FaultFileOps faulty(realFiles, FaultFileOps::Waits::Real);
            ASSERT_TRUE(faulty.setPlan(plan));
            run(faulty);
            for (std::size_t op = 0; op < kFileOpCount; ++op)
                tally[std::string("injected.") + fileOpName(static_cast<FileOp>(op))] += faulty.injected()[op];
            expectSettled(tally, plan, family.records - 1);
            EXPECT_EQ(readFile(dataPath()), expected) << plan;
        }
    }
    tally.report(family.name);
}

INSTANTIATE_TEST_SUITE_P(InjectedFaultTest,
    FaultPlans,
    ::testing::Values(Family{"seam_run", 4, 3, false, true, nullptr},
        Family{"seam_hand_over", 0, 3, false, true, "io"},
        Family{"seam_hand_over_earlier", 0, 3, true, true, "io"},
        Family{"seam_pairs", 2, 1, false, false, "short"}),
    [](const auto& family) { return std::string(family.param.name); });

} // namespace
} // namespace shiftloom::test
