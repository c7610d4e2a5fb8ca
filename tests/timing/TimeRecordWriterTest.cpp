// SPDX-License-Identifier: MIT
#include "timing/TimeRecordWriter.h"
#include "support/CoreFixture.h"
#include "timing/TimeRecord.h"

#include <filesystem>

namespace shiftloom {
namespace {

using test::FileOp;

// The three layouts as Card-Warden reads them: fields by the number rule, a number too long for
// its field kept whole (the line grows), date and time of one reading without its seconds.
TEST(TimeRecordTest, TheThreeLayoutsAndTheirFields)
{
    const platform::LocalDateTime at{2026, 12, 5, 8, 7, 59};
    const std::pair<std::string, std::string> cases[] = {
        {MakeStartRecord(at, "1234", "567", "3"), "0120261205080700000000000000123400000000000005670000000000000003"},
        {MakeStopRecord(at, "1234"), "0120261205080701000000000000123400000000000000000000000000000000"},
        {MakeInRecord(at, "4711"), "012026120508070000471100"},
        {MakeStartRecord(at, " 12 34", "", "AB1"), "0120261205080700000000000000123400000000000000000000000000000000"},
        {MakeStopRecord(at, std::string(25, '9')), "0120261205080701" + std::string(25, '9') + std::string(32, '0')},
        {MakeInRecord(at, "123456789"), "0120261205080712345678900"},
        {MakeInRecord(at, "-5"), "01202612050807-0000000500"},
        {recordTimeStamp({2027, 1, 1, 0, 0, 0}), "202701010000"},
        {recordTimeStamp({999, 2, 3, 4, 5, 6}), "099902030405"}};
    for (const auto& [made, expected] : cases)
        EXPECT_EQ(made, expected);
}

class TimeRecordWriterTest : public test::CoreFixture
{
protected:
    std::string folder = store();
    TimeRecordWriter writer{files, [this] { return folder; }};
    void SetUp() override { makeStore(); }
};

// The first record makes the data file and later ones follow what is there; while the store is
// gone, records go to the buffer, which goes into the store before the next record. In a fallback
// run the buffer is the data file, however drive C's root is written.
TEST_F(TimeRecordWriterTest, RecordsFollowInOrderAndGoToTheBufferWhileTheStoreIsGone)
{
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\n");
    std::filesystem::rename(store(), store() + ".away");
    EXPECT_EQ(writer.AppendTimeRecord("r2"), RecordPlace::Buffer);
    EXPECT_EQ(writer.AppendTimeRecord("r3"), RecordPlace::Buffer);
    EXPECT_EQ(buffer(), "r2\r\nr3\r\n");
    std::filesystem::rename(store() + ".away", store());
    test::writeFile(storePath("data"), "r1\r\ncard-warden\r\n");
    EXPECT_EQ(writer.AppendTimeRecord("r4"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\ncard-warden\r\nr2\r\nr3\r\nr4\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));

    test::writeFile(bufferPath(), "earlier\r\n");
    for (const std::string& root :
        {std::string("c:"), std::string("c:\\"), std::string("C:\\\\"), paths.toHost("c:")}) {
        folder = root; // a fallback run: the buffer is the data file, and is not copied into itself
        EXPECT_EQ(writer.AppendTimeRecord("r5"), RecordPlace::Store) << root;
    }
    EXPECT_EQ(buffer(), "earlier\r\nr5\r\nr5\r\nr5\r\nr5\r\n");
}

TEST_F(TimeRecordWriterTest, RecordsThatCannotBePlacedAnywhereWaitInMemoryInOrderAndAreTriedAgainAtTheEnd)
{
    files.failAll(FileOp::Open);
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Held);
    const int opensOfATry = files.count(FileOp::Open);
    EXPECT_EQ(writer.AppendTimeRecord("r2"), RecordPlace::Held);
    EXPECT_EQ(writer.heldCount(), 2u);
    files.clear();
    EXPECT_EQ(writer.AppendTimeRecord("r3"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\n");

    // At the end of the run a record that no place takes at the first try is tried again.
    files.failAll(FileOp::Open);
    EXPECT_EQ(writer.AppendTimeRecord("r4"), RecordPlace::Held);
    files.clear();
    for (int n = 1; n <= opensOfATry; ++n)
        files.failNth(FileOp::Open, n);
    EXPECT_TRUE(writer.flushHeldWithin(std::chrono::seconds(2)));
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\nr4\r\n");
}

// When neither the store nor the buffer takes a record, the per-user spool does; it goes over
// before any newer record, also at the end of a run (nothing is given up while it can be kept).
TEST_F(TimeRecordWriterTest, TheSpoolKeepsWhatStoreAndBufferRefuseAndHandsItOverInOrder)
{
    std::filesystem::rename(store(), store() + ".away");
    std::filesystem::create_directories(bufferPath()); // c:\data is a folder: no buffer can be made
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Spool);
    writer.AppendTimeRecord("r2");
    EXPECT_TRUE(writer.flushHeldWithin(std::chrono::milliseconds(0))) << "nothing held at the end";
    EXPECT_EQ(test::readFile(paths.toHost("<own>\\spool")), "r1\r\nr2\r\n");

    std::filesystem::rename(store() + ".away", store());
    TimeRecordWriter nextRun(files, [this] { return folder; });
    nextRun.handOverPending(std::chrono::steady_clock::now());
    EXPECT_EQ(nextRun.AppendTimeRecord("r3"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\n");
    EXPECT_FALSE(test::fileExists(paths.toHost("<own>\\spool")));
}

// A share where workers may append to the data file but not read it: the run starts on the store
// and its records reach it.
TEST_F(TimeRecordWriterTest, AStoreThatMayBeAppendedToButNotReadTakesTheRecords)
{
    useStore();
    test::writeFile(storePath("data"), "old\r\n");
    files.refuseOpens(store() + "\\data", false);
    EXPECT_EQ(startUp(), store());
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "old\r\nr1\r\n");
}

// The clock tick's hand-over: spaced with a growing pause while the store refuses, and no file
// touched at all once nothing waits.
TEST_F(TimeRecordWriterTest, HandOverOnTheTickBacksOffAndIsFreeWhenNothingWaits)
{
    using namespace std::chrono_literals;
    const auto t0 = std::chrono::steady_clock::now();
    writer.handOverPending(t0); // the first look finds nothing
    files.clear();
    for (int tick = 1; tick <= 5; ++tick)
        writer.handOverPending(t0 + tick * 1s);
    EXPECT_EQ(files.points(), 0);

    files.failAll(FileOp::Lock, platform::FileError::Busy);
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Held);
    int tries = 0;
    for (int tick = 6; tick <= 66; ++tick) {
        const int before = files.count(FileOp::Open);
        writer.handOverPending(t0 + tick * 1s);
        tries += files.count(FileOp::Open) > before;
    }
    EXPECT_GE(tries, 3);
    EXPECT_LE(tries, 7) << "tries back off to one every 30 s";
    files.clear();
    writer.handOverPending(t0 + 200s);
    EXPECT_EQ(dataFile(), "r1\r\n");
    EXPECT_FALSE(writer.pending());
}

} // namespace
} // namespace shiftloom
