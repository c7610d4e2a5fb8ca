// SPDX-License-Identifier: MIT
#include "app/OfflineBuffer.h"
#include "support/CoreFixture.h"
#include "support/Spawn.h"
#include "timing/TimeRecordWriter.h"

#include <filesystem>
#include <fstream>

namespace shiftloom {
namespace {

using test::FileOp;

class OfflineBufferTest : public test::CoreFixture
{
protected:
    OfflineBuffer offline{files};
    TimeRecordWriter writer{files, [this] { return store(); }};
    std::string dataPath() const { return store() + "\\data"; }
    std::string journalPath() const { return paths.toHost(DeliveryJournalPath); }
    void SetUp() override
    {
        makeStore();
        useStore();
    }
};

TEST_F(OfflineBufferTest, BufferedLinesFollowTheStoresLinesUnchangedAndTheBufferAndJournalGo)
{
    test::writeFile(storePath("data"), "old1\r\nold2\r\n");
    test::writeFile(bufferPath(), "b1\r\n\r\nb2\nlast");
    EXPECT_TRUE(offline.replayInto(dataPath()).ok());
    EXPECT_EQ(dataFile(), "old1\r\nold2\r\nb1\r\n\r\nb2\r\nlast\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));
    EXPECT_EQ(test::readFile(journalPath()), "");
}

// Card-Warden holding the data file's lock a moment longer than the start-up waits does not
// switch the run: the buffer waits, and reaches the store at the clock tick after the release.
TEST_F(OfflineBufferTest, ALockHeldAtStartUpKeepsTheRunOnTheStoreAndTheBufferFollowsSoon)
{
    test::writeFile(storePath("data"), "old\r\n");
    test::writeFile(bufferPath(), "b1\r\n");
    test::Spawned holder({SHIFTLOOM_LOCK_HELPER, "hold", storePath("data"), "exclusive", "3000"});
    ASSERT_TRUE(test::waitForFile(storePath("data.held")));
    EXPECT_EQ(startUp(), store());
    EXPECT_EQ(buffer(), "b1\r\n");
    const auto now = std::chrono::steady_clock::now();
    writer.handOverPending(now);
    EXPECT_TRUE(writer.pending());
    EXPECT_EQ(holder.wait(), 0);
    writer.handOverPending(now + std::chrono::seconds(1));
    EXPECT_FALSE(writer.pending());
    EXPECT_EQ(dataFile(), "old\r\nb1\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));
}

// A buffer that cannot be read is left as it is; the run uses the store, and newer records wait
// behind the buffer (in the spool) so that they keep their order once it can be read.
TEST_F(OfflineBufferTest, AnUnreadableBufferIsLeftAloneAndNewerRecordsWaitBehindIt)
{
    test::writeFile(bufferPath(), "b1\r\n");
    files.refuseOpens(std::string(OfflineBufferPath), true);
    EXPECT_EQ(startUp(), store());
    EXPECT_EQ(writer.AppendTimeRecord("r1"), RecordPlace::Spool);
    EXPECT_EQ(buffer(), "b1\r\n");
    EXPECT_EQ(dataFile(), "");

    files.allowOpens(std::string(OfflineBufferPath)); // readable again
    EXPECT_EQ(writer.AppendTimeRecord("r2"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "b1\r\nr1\r\nr2\r\n");
}

// A hand-over stopped after a batch (here by a failing lock) goes on after it the next time:
// nothing is copied twice, the buffer is never rewritten, and a record that joined it meanwhile
// follows. A journal whose last entry is torn, that names another data file, or a longer file than
// the store is now loses no buffered line (in doubt, lines are copied again). Journals of
// arbitrary bytes are the fuzzer's.
TEST_F(OfflineBufferTest, AStoppedHandOverGoesOnWhereItStoppedAndABadJournalLosesNoLine)
{
    const std::function<void()> spoils[] = {
        [] {}, // the journal as the stopped hand-over left it
        [&] {
            const std::string journal = test::readFile(journalPath());
            test::writeFile(journalPath(), journal.substr(0, journal.size() - 3));
        },
        [&] {
            std::filesystem::rename(storePath("data"), storePath("data.old"));
            test::writeFile(storePath("data"), "");
        },
        [&] { std::filesystem::resize_file(storePath("data"), 0); }, // Card-Warden emptied it
    };
    for (std::size_t i = 0; i < std::size(spoils); ++i) {
        SCOPED_TRACE(i);
        test::writeFile(storePath("data"), "");
        std::filesystem::remove(journalPath());
        test::writeFile(bufferPath(), "b1\r\nb2\r\nb3\r\n");
        offline.setBatchBytes(1);
        files.failNth(FileOp::Lock, 4); // the journal's, the buffer's, the store's for each batch
        EXPECT_FALSE(offline.replayInto(dataPath()).ok());
        files.clear();
        offline.setBatchBytes(1 << 20);
        EXPECT_EQ(dataFile(), "b1\r\n");
        EXPECT_EQ(buffer(), "b1\r\nb2\r\nb3\r\n");
        spoils[i]();
        test::writeFile(bufferPath(), "b1\r\nb2\r\nb3\r\nb4\r\n"); // a record of a fallback run joined them
        EXPECT_TRUE(offline.replayInto(dataPath()).ok());
        if (i == 0) { // nothing is copied twice
            EXPECT_EQ(dataFile(), "b1\r\nb2\r\nb3\r\nb4\r\n");
        }
        for (const char* line : {"b1\r\n", "b2\r\n", "b3\r\n", "b4\r\n"})
            EXPECT_NE(dataFile().find(line), std::string::npos) << line << " lost";
        EXPECT_FALSE(test::fileExists(bufferPath()));
    }
}

// A batch cut short (a short write) is completed by its missing rest: no half record stays. The
// one thing the journal cannot mend: another writer appended after a fragment of a batch. The
// fragment stays where it is, the batch is written whole on a new line, and this is counted.
TEST_F(OfflineBufferTest, AWriteCutShortIsCompletedUnlessAnotherWritersLineFollowsItsFragment)
{
    test::writeFile(storePath("data"), "old\r\n");
    test::writeFile(bufferPath(), "b1\r\nb2\r\n");
    files.shortWriteNth(2, 5); // the journal's intent, then the batch
    EXPECT_TRUE(offline.replayInto(dataPath()).ok());
    EXPECT_EQ(dataFile(), "old\r\nb1\r\nb2\r\n");

    test::writeFile(storePath("data"), "old\r\n");
    test::writeFile(bufferPath(), "b1\r\nbb2\r\n");
    files.shortWriteNth(2, 6);
    files.failNth(FileOp::Write, 3); // the completion fails too
    EXPECT_FALSE(offline.replayInto(dataPath()).ok());
    files.clear();
    EXPECT_EQ(dataFile(), "old\r\nb1\r\nbb");
    std::ofstream(storePath("data"), std::ios::app | std::ios::binary)
        << "\r\nother\r\n"; // another writer, on a new line
    EXPECT_TRUE(offline.replayInto(dataPath()).ok());
    EXPECT_EQ(dataFile(), "old\r\nb1\r\nbb\r\nother\r\nbb2\r\n");
    EXPECT_EQ(offline.refragments(), 1u);
}

// A write of records into the store left to the journal (its completion failed) keeps the buffer
// where it is until that write is settled: records written into the buffer meanwhile settle
// against the buffer, so a buffer handed over and made anew before then would have them copied
// a second time.
TEST_F(OfflineBufferTest, TheBufferWaitsBehindAnUnsettledWriteSoThatItsRecordsGoOnce)
{
    test::writeFile(storePath("data"), "old\r\n");
    HandOverResult result;
    const auto place = [&](std::string lines) { return offline.place(dataPath(), lines, result); };
    files.shortWriteNth(2, 1); // the journal's intent, then r1 cut short
    files.failNth(FileOp::Write, 3); // and its completion
    EXPECT_EQ(place("r1\r\n"), Placed::Journal);
    for (const char* lines : {"r2\r\n", "r3\r\n"}) {
        files.failNth(FileOp::Write, 1); // r1's completion fails again
        EXPECT_EQ(place(lines), Placed::Buffer) << lines;
    }
    files.clear();
    EXPECT_EQ(place("r4\r\n"), Placed::Store);
    EXPECT_EQ(dataFile(), "old\r\nr1\r\nr2\r\nr3\r\nr4\r\n");
    EXPECT_FALSE(test::fileExists(bufferPath()));
}

} // namespace
} // namespace shiftloom
