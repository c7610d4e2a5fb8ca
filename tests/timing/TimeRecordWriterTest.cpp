// SPDX-License-Identifier: MIT
#include "timing/TimeRecordWriter.h"
#include "panel/Panel.h"
#include "support/CoreFixture.h"
#include "support/Spawn.h"

#include <filesystem>
#include <thread>

namespace shiftloom {
namespace {

using test::FileOp;

class TimeRecordWriterTest : public test::CoreFixture
{
protected:
    std::string folder;
    TimeRecordWriter writer{files, [this] { return folder; }};
    void SetUp() override
    {
        makeStore();
        folder = store();
    }
};

TEST_F(TimeRecordWriterTest, TheFirstRecordCreatesTheFileAndLaterOnesFollowInOrder)
{
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\n");
    test::writeFile(storePath("data"), "r1\r\ncard-warden\r\n");
    EXPECT_EQ(writer.AppendTimeRecord("r2"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\ncard-warden\r\nr2\r\n");
}

TEST_F(TimeRecordWriterTest, AStoreThatIsGoneSendsRecordsToTheBufferUntilItIsBack)
{
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Store);
    std::filesystem::rename(store(), store() + ".away");
    EXPECT_EQ(writer.AppendTimeRecord("r2"), RecordPlace::Buffer);
    EXPECT_EQ(writer.AppendTimeRecord("r3"), RecordPlace::Buffer);
    EXPECT_EQ(buffer(), "r2\r\nr3\r\n");
    std::filesystem::rename(store() + ".away", store());
    // The buffer goes into the store before the new record, so the order is kept.
    EXPECT_EQ(writer.AppendTimeRecord("r4"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\nr4\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));
}

TEST_F(TimeRecordWriterTest, RecordsThatCannotBePlacedAnywhereWaitInMemoryInOrder)
{
    files.failAll(FileOp::Open);
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Held);
    EXPECT_EQ(writer.AppendTimeRecord("r2"), RecordPlace::Held);
    EXPECT_EQ(writer.heldCount(), 2u);
    files.clear();
    EXPECT_EQ(writer.AppendTimeRecord("r3"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\n");
    EXPECT_EQ(writer.heldCount(), 0u);
}

TEST_F(TimeRecordWriterTest, FlushHeldWritesWithoutANewRecord)
{
    files.failAll(FileOp::Lock);
    writer.AppendTimeRecord("r1");
    EXPECT_FALSE(writer.flushHeld());
    files.clear();
    EXPECT_TRUE(writer.flushHeld());
    EXPECT_EQ(dataFile(), "r1\r\n");
}

TEST_F(TimeRecordWriterTest, InAFallbackRunTheBufferIsTheDataFile)
{
    folder = "c:\\";
    test::writeFile(bufferPath(), "earlier\r\n");
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Store);
    EXPECT_EQ(buffer(), "earlier\r\nr1\r\n");
    EXPECT_FALSE(test::fileExists(storePath("data")));
}

TEST_F(TimeRecordWriterTest, ARecordLandsInOrderWhileCardWardenHoldsTheLockForAMoment)
{
    test::writeFile(storePath("data"), "");
    test::Spawned holder({SHIFTLOOM_LOCK_HELPER, "hold", storePath("data"), "shared", "150"});
    ASSERT_TRUE(test::waitForFile(storePath("data.held")));
    TimeRecordWriter waiting(realFiles, [this] { return folder; });
    EXPECT_EQ(waiting.AppendTimeRecord("r1"), RecordPlace::Store);
    EXPECT_EQ(waiting.AppendTimeRecord("r2"), RecordPlace::Store);
    EXPECT_EQ(holder.wait(), 0);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\n");
}

// For every faultable call of a record write with a buffer waiting, fail it, then start again:
// every record must be in the store exactly once, in order, and no line torn.
TEST_F(TimeRecordWriterTest, EveryFaultPointOfAWriteEndsWithEachRecordInTheStoreOnce)
{
    useStore();
    auto scenario = [&] {
        test::writeFile(storePath("data"), "old\r\n");
        test::writeFile(bufferPath(), "b1\r\nb2\r\n");
    };
    scenario();
    files.clear();
    TimeRecordWriter counting(files, [this] { return folder; });
    ASSERT_EQ(counting.AppendTimeRecord("r1"), RecordPlace::Store);
    const int points = files.points();
    ASSERT_GT(points, 8);

    for (int point = 1; point <= points; ++point) {
        scenario();
        files.clear();
        files.failAtPoint(point);
        TimeRecordWriter faulty(files, [this] { return folder; });
        faulty.AppendTimeRecord("r1");
        files.clear();
        faulty.flushHeld();
        // The next start replays whatever the buffer holds.
        Panel(settings, files, clock, host).load();
        EXPECT_EQ(dataFile(), "old\r\nb1\r\nb2\r\nr1\r\n") << "fault at point " << point;
        EXPECT_FALSE(test::fileExists(bufferPath())) << "fault at point " << point;
    }
}

} // namespace
} // namespace shiftloom
