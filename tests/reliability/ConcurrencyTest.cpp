// SPDX-License-Identifier: MIT
#include "ReliabilityFixture.h"

#include <chrono>

namespace shiftloom::test {
namespace {

using Clock = std::chrono::steady_clock;

class ConcurrencyTest : public ReliabilityFixture
{
};

// Several panels append to one data store while Card-Warden reads it under the whole-file lock,
// now and then for longer than a writer waits, so that records go to the offline buffer and come
// back from it. Every record must end in the store exactly once, whole and in its writer's order.
// The sizes come from SHIFTLOOM_RELIABILITY_WRITERS and SHIFTLOOM_RELIABILITY_RECORDS.
TEST_F(ConcurrencyTest, EveryRecordOfEveryWriterArrivesOnceWholeAndInOrderWhileCardWardenReads)
{
    const auto writers = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_WRITERS", 8));
    const auto records = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_RECORDS", 1000));
    ASSERT_LE(writers, 99);
    writeFile(dataPath(), "");

    const auto begin = Clock::now();
    ChildProcess reader =
        startReader({"--max-hold-ms", "300", "--max-gap-ms", "40", "--long-hold-ms", "900", "--long-every", "12"});
    std::vector<WriterRun> runs;
    std::vector<ChildProcess> processes;
    for (int w = 1; w <= writers; ++w) {
        runs.push_back(WriterRun{.writer = w, .first = 0, .count = records, .delayMs = 0, .jitterMs = 0, .faults = {}});
        processes.push_back(startWriter(runs.back()));
    }
    for (ChildProcess& process : processes)
        EXPECT_EQ(process.wait(), 0) << "a writer ended with records held";
    const std::string readerOutput = stopReader(reader);
    const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();

    // What is still in the buffer reaches the store at the next start.
    const bool bufferLeft = fileExists(bufferPath());
    EXPECT_NE(runStartup().find("outcome normal"), std::string::npos);
    EXPECT_FALSE(fileExists(bufferPath()));

    std::vector<WriterLog> logs;
    std::size_t toStore = 0, toBuffer = 0, held = 0;
    int lateExits = 0; // writers whose held records a single try at the end would have lost
    for (const WriterRun& run : runs) {
        logs.push_back(readLog(run));
        EXPECT_TRUE(logs.back().ended) << "writer " << run.writer;
        toStore += logs.back().toStore;
        toBuffer += logs.back().toBuffer;
        held += logs.back().held;
        lateExits += logs.back().exitTries > 1;
    }
    const RecordCheck check = checkStore();
    const RecordVerdict verdict = compareWithLogs(check, logs);
    EXPECT_EQ(verdict.expected, static_cast<std::size_t>(writers * records));
    EXPECT_EQ(verdict.lost, 0u);
    EXPECT_EQ(verdict.duplicated, 0u);
    EXPECT_EQ(verdict.unexpected, 0u);
    EXPECT_EQ(check.torn, 0u);
    EXPECT_EQ(check.unterminated, 0u);
    EXPECT_EQ(check.foreign, 0u);
    EXPECT_EQ(check.outOfOrder, 0u);
    EXPECT_EQ(outputValue(readerOutput, "torn_tails"), 0) << "Card-Warden saw half a record under the lock";
    for (const std::string& problem : verdict.problems)
        ADD_FAILURE() << problem;

    reportFigure("concurrency.writers", writers);
    reportFigure("concurrency.records", static_cast<double>(verdict.expected));
    reportFigure("concurrency.to_store", static_cast<double>(toStore));
    reportFigure("concurrency.to_buffer", static_cast<double>(toBuffer));
    reportFigure("concurrency.held", static_cast<double>(held));
    reportFigure("concurrency.exits_needing_more_than_one_try", lateExits);
    reportFigure("concurrency.buffer_left_for_start", bufferLeft ? 1 : 0);
    reportFigure("concurrency.reader_holds", static_cast<double>(outputValue(readerOutput, "holds")));
    reportFigure("concurrency.reader_held_ms", static_cast<double>(outputValue(readerOutput, "held_ms")));
    reportFigure("concurrency.lost", static_cast<double>(verdict.lost));
    reportFigure("concurrency.duplicated", static_cast<double>(verdict.duplicated));
    reportFigure("concurrency.torn", static_cast<double>(check.torn + check.unterminated));
    reportFigure("concurrency.out_of_order", static_cast<double>(check.outOfOrder));
    reportFigure("concurrency.seconds", seconds);
}

} // namespace
} // namespace shiftloom::test
