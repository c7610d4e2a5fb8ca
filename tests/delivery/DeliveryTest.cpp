// SPDX-License-Identifier: MIT
#include "delivery/TimeRecordWriter.h"
#include "platform/HostFiles.h"
#include "support/CoreFixture.h"
#include "support/Spawn.h"

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace shiftloom {
namespace {

using namespace std::chrono_literals;
using test::FileOp;
namespace fs = std::filesystem;

class DeliveryTest : public test::CoreFixture
{
protected:
    TimeRecordWriter writer{files, TimeRecordWriter::Mode::Inline, {}, [this] { return clock.steadyNow(); }};
    void SetUp() override
    {
        makeStore();
        writer.setStore(store());
    }
    void away() { fs::rename(store(), store() + ".away"); }
    void back() { fs::rename(store() + ".away", store()); }
    /** Ticks once a second until `done`, for at most `limit` seconds; the seconds it took. */
    template<class Done> int secondsUntil(Done done, int limit = 120)
    {
        int seconds = 0;
        for (; !done() && seconds < limit; ++seconds) {
            clock.advance(1s);
            writer.poll();
        }
        return seconds;
    }
    void append(std::string_view text)
    {
        std::ofstream(storePath(kDataFileName), std::ios::app | std::ios::binary) << text;
    }
};

// Every record is on the disk in the buffer before it goes to the store; while the store is away
// the records wait there, private to the account, and reach it in order once it is back.
TEST_F(DeliveryTest, RecordsWaitInThePrivateBufferWhileTheStoreIsAwayAndFollowInOrder)
{
    EXPECT_EQ(writer.write("r1"), RecordPlace::Store);
    away();
    EXPECT_EQ(writer.write("r2"), RecordPlace::Buffer);
    EXPECT_EQ(writer.write("r3"), RecordPlace::Buffer);
    EXPECT_EQ(writer.storeState(), StoreState::Away);
    EXPECT_EQ(buffer(), "r2\r\nr3\r\n");
#ifndef _WIN32
    struct stat folder = {};
    ASSERT_EQ(::stat(bufferPath().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    for (const auto& entry : fs::directory_iterator(bufferPath()))
        EXPECT_EQ(fs::status(entry).permissions(), fs::perms::owner_read | fs::perms::owner_write);
#endif
    back();
    append("card-warden\r\n");
    EXPECT_EQ(writer.write("r4"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\ncard-warden\r\nr2\r\nr3\r\nr4\r\n");
    EXPECT_EQ(buffer(), "");
}

// An empty mount point where the store's share is not mounted is no store: nothing is written
// into it. The records wait, tried again after a growing pause that never exceeds 30 s, so
// that after an hour away they arrive within 30 s of the store coming back.
TEST_F(DeliveryTest, AFolderWithoutTheMarkerGetsNothingAndTheStoreIsTriedAtLeastEvery30Seconds)
{
    fs::remove_all(store());
    fs::create_directories(store());
    EXPECT_EQ(writer.write("r1"), RecordPlace::Buffer);
    EXPECT_EQ(writer.storeState(), StoreState::Away);
    const int opensBefore = files.count(FileOp::Open);
    EXPECT_EQ(secondsUntil([] { return false; }, 3600), 3600);
    EXPECT_LE(files.count(FileOp::Open) - opensBefore, 3 * (3600 / 30 + 6)) << "tries back off";
    EXPECT_FALSE(test::fileExists(storePath(kDataFileName))) << "an empty folder is not the store";
    makeStore();
    EXPECT_LE(secondsUntil([this] { return !writer.pending(); }), 30);
    EXPECT_EQ(dataFile(), "r1\r\n");
}

// A record the buffer refuses (its folder cannot be made) is held in memory, newer ones behind
// it; with the store there they go straight to it, in order. A write to the store that fails
// half-way is left to the journal, and the records after it wait behind it, so each goes once.
TEST_F(DeliveryTest, RecordsTheBufferRefusesAreHeldInOrderAndAWriteLeftToTheJournalStaysFirst)
{
    test::writeFile(bufferPath(), "not a folder");
    away();
    EXPECT_EQ(writer.write("r1"), RecordPlace::Held);
    EXPECT_EQ(writer.write("r2"), RecordPlace::Held);
    EXPECT_EQ(writer.heldCount(), 2u);
    back();
    EXPECT_EQ(writer.write("r3"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\n");

    files.shortWriteNthOn("\\data", 1, 1); // r4 cut short
    files.failNthOn(FileOp::Write, "\\data", 2); // and its completion
    EXPECT_EQ(writer.write("r4"), RecordPlace::Buffer) << "in the journal, on the disk";
    fs::remove(bufferPath());
    files.failNthOn(FileOp::Write, "\\data", 1); // the completion fails again at r5's delivery
    EXPECT_EQ(writer.write("r5"), RecordPlace::Buffer);
    EXPECT_EQ(writer.write("r6"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\nr4\r\nr5\r\nr6\r\n");
}

// A store whose data file may be appended to but not read: a write whose flush failed (as a
// kill right after it would leave it) is settled from the file's size under the lock, and not
// written a second time.
TEST_F(DeliveryTest, AnAppendOnlyStoreTakesRecordsOnceWhenAWriteIsSettledFromItsSize)
{
    test::writeFile(storePath(kDataFileName), "old\r\n");
    files.refuseOpens(storeFile(store(), kDataFileName), false);
    // Windows locks a file only for a handle that may read or write its data: the records wait,
    // and the reason is told (not a silent fall-back). Elsewhere the fault layer plays Windows.
    if (!platform::kWindowsHost) {
        EXPECT_EQ(writer.write("r1"), RecordPlace::Store);
        files.failNthOn(FileOp::Flush, "\\data", 1);
        writer.write("r2");
        EXPECT_EQ(writer.write("r3"), RecordPlace::Store);
        EXPECT_EQ(dataFile(), "old\r\nr1\r\nr2\r\nr3\r\n");
        EXPECT_EQ(writer.counts().presumedWhole, 1u);
        files.failAllOn(FileOp::Lock, "\\data", platform::FileError::AccessDenied);
    }
    EXPECT_EQ(writer.write("r4"), RecordPlace::Buffer);
    EXPECT_EQ(writer.storeError(), platform::FileError::LockRefused);
}

// A writer that died half-way through a record leaves a fragment. Another worker's panel (its
// own folder and journal) starts its record on a line of its own, and the first writes its record
// whole again on the next delivery: the fragment is at worst a line of its own, never glued to a
// record.
TEST_F(DeliveryTest, AFragmentLeftByOneWriterIsNeverGluedToAnotherWorkersRecord)
{
    test::writeFile(storePath(kDataFileName), "old\r\n");
    files.shortWriteNthOn("\\data", 1, 5);
    files.failNthOn(FileOp::Write, "\\data", 2);
    writer.write("0120261205080700r1");
    test::HostPathMapper otherPaths = test::hostPaths(home.file("other"), home.file("other/own"));
    test::HostFileOps otherFiles{otherPaths};
    TimeRecordWriter other(otherFiles);
    other.setStore(store());
    EXPECT_EQ(other.write("0120261205080700other"), RecordPlace::Store);
    writer.write("0120261205080700r2");
    EXPECT_EQ(test::recordLines(dataFile()),
        (std::vector<std::string>{
            "old", "01202", "0120261205080700other", "0120261205080700r1", "0120261205080700r2"}));
    EXPECT_EQ(writer.counts().refragments, 1u);
}

// Files of earlier versions: the single-file buffer c:\data, its journal and the spool. They go
// first, in their order, once, even after a hand-over stopped half-way and a data file replaced
// before the next start (only the batch in doubt goes again). A c:\data this account cannot
// read (another account's) is left alone and never holds the account's own records back.
TEST_F(DeliveryTest, FilesOfEarlierVersionsGoFirstOnceAndAnotherAccountsBufferIsNotInTheWay)
{
    test::writeFile(earlierBufferPath(), "b1\r\nb2\r\nb3\r\n");
    test::writeFile(paths.toHost(delivery::kEarlierSpool), "s1\r\n");
    writer.setBatchBytes(1);
    files.failNthOn(FileOp::Write, "\\data", 2); // the second batch, and its completion
    files.failNthOn(FileOp::Write, "\\data", 3);
    EXPECT_EQ(writer.write("r1"), RecordPlace::Buffer);
    EXPECT_EQ(dataFile(), "b1\r\n");
    fs::rename(storePath(kDataFileName), storePath("data.read")); // Card-Warden took the file away
    EXPECT_EQ(writer.write("r2"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "b2\r\nb3\r\ns1\r\nr1\r\nr2\r\n");
    for (const char* gone : {delivery::kEarlierBuffer.data(), delivery::kEarlierSpool.data(), "c:\\data.journal"})
        EXPECT_FALSE(test::fileExists(paths.toHost(gone))) << gone;

    test::writeFile(earlierBufferPath(), "theirs\r\n");
    files.refuseOpens(std::string(delivery::kEarlierBuffer), true);
    EXPECT_EQ(writer.write("r3"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "b2\r\nb3\r\ns1\r\nr1\r\nr2\r\nr3\r\n");
    EXPECT_EQ(test::readFile(earlierBufferPath()), "theirs\r\n");
}

// A folder flush that fails leaves no record twice: a record file not surely named on the disk
// is taken back (and put again), and the journal is not emptied before the files handed over
// are surely gone.
TEST_F(DeliveryTest, ARecordIsOnTheDiskOnlyWithItsFolderAndNeverTwice)
{
    away();
    files.failNthOn(FileOp::Flush, "<own>\\buffer", 1);
    EXPECT_EQ(writer.write("r1"), RecordPlace::Buffer);
    EXPECT_EQ(buffer(), "r1\r\n");
    back();
    files.failNthOn(FileOp::Flush, "<own>\\buffer", 2); // after the hand-over
    EXPECT_EQ(writer.write("r2"), RecordPlace::Store);
    EXPECT_EQ(writer.write("r3"), RecordPlace::Store);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\n");
    // A file that went but cannot be deleted (a scanner holds it), after its batch and again at
    // the next delivery: its intent stays until it is gone, and it never goes a second time.
    files.failNthOn(FileOp::Remove, ".rec", 1);
    files.failNthOn(FileOp::Remove, ".rec", 2);
    EXPECT_EQ(writer.write("r4"), RecordPlace::Buffer);
    EXPECT_EQ(writer.write("r5"), RecordPlace::Buffer);
    EXPECT_LE(secondsUntil([this] { return !writer.pending(); }), 30);
    EXPECT_EQ(dataFile(), "r1\r\nr2\r\nr3\r\nr4\r\nr5\r\n");
}

// Card-Warden holding the data file's lock longer than a writer waits, or (Windows) holding the
// file open for itself alone: the store counts as there (the run stays on it, never turned away)
// and the records follow at the tick after it lets go.
TEST_F(DeliveryTest, CardWardenHoldingTheDataFileDelaysButNeverTurnsTheStoreAway)
{
    for (const char* hold : {"exclusive", "noshare"}) {
        if (std::string_view(hold) == "noshare" && !platform::kWindowsHost)
            continue;
        SCOPED_TRACE(hold);
        test::writeFile(storePath(kDataFileName), "old\r\n");
        fs::remove(storePath("data.held"));
        test::Spawned holder({SHIFTLOOM_LOCK_HELPER, "hold", storePath(kDataFileName), hold, "3000"});
        ASSERT_TRUE(test::waitForFile(storePath("data.held")));
        EXPECT_EQ(writer.write("r1"), RecordPlace::Buffer);
        EXPECT_EQ(writer.storeState(), StoreState::Busy);
        EXPECT_EQ(holder.wait(), 0);
        EXPECT_LE(secondsUntil([this] { return !writer.pending(); }), 2);
        EXPECT_EQ(dataFile(), "old\r\nr1\r\n");
    }
}

// A store that does not answer (every call on it waits 20 s) holds up nothing of the panel: a
// press, the clock tick and a tray click answer, the stop record at the end is on the disk at
// once, and the end waits its budget and no longer. Once the share answers, both records arrive.
TEST_F(DeliveryTest, AShareThatDoesNotAnswerHoldsUpNeitherThePanelNorTheEndOfTheRun)
{
    useStore();
    settings.write(keys::button(0), "JOB1");
    settings.write(keys::card(0), "11");
    std::optional<Panel> panel(std::in_place, settings, files, clock, host, TimeRecordWriter::Mode::Background);
    ASSERT_EQ(panel->load(), LoadOutcome::Normal);
    files.delayPaths(store(), 20s);
    panel->pressJobButton(0);
    EXPECT_EQ(test::recordLines(buffer()).size(), 1u) << "the start record is on the disk";
    panel->tick();
    EXPECT_EQ(panel->slot(0).elapsed, 1s);
    panel->showFromTray();
    panel->endOfRun();
    EXPECT_EQ(test::recordLines(buffer()).size(), 2u) << "the stop record is on the disk";
    EXPECT_GE(files.delayedCalls(), 1);
    EXPECT_EQ(files.delaysRunOut(), 0) << "nothing waited for the share";
    files.releaseDelays();
    EXPECT_TRUE(panel->recordWriter().settle(std::chrono::steady_clock::now() + 10s));
    panel.reset();
    EXPECT_EQ(test::recordLines(dataFile()).size(), 2u);
}

} // namespace
} // namespace shiftloom
