// SPDX-License-Identifier: MIT
// Panels appending to one store at once, with Card-Warden reading it under its lock; the store
// going through what a network share does; a store that comes late, or is an empty folder.
#include "ReliabilityFixture.h"

#include "platform/FileIo.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace shiftloom::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using ConcurrencyTest = ReliabilityFixture;
using RealFaultTest = ReliabilityFixture;

// Writers at full speed while Card-Warden now and then holds the lock longer than they wait, so
// that records wait in the buffer and follow: every record arrives once, whole, in order.
TEST_F(ConcurrencyTest, EveryRecordOfEveryWriterArrivesOnceWholeAndInOrderWhileCardWardenReads)
{
    const auto writers = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_WRITERS", 8));
    const auto records = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_RECORDS", 500));
    startReader("shared");
    Tally result = settleWriters(runWriters(writers, records, 0, [] {}));
    EXPECT_EQ(result["sent"], writers * records);
    result["writers"] = writers;
    result.report("concurrency");
}

/** Sets or clears the immutable flag, which binds root too; false where the file system does not have it. */
bool setImmutable(const std::string& path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd); // if any
    return ok;
}

/**
 * Makes a folder and its data file unwritable for a while: by permission bits, or for root, whom
 * they do not stop, by the immutable flag, or where there is none, by a plain file in its place.
 */
void unwritableFor(const std::string& folder, std::chrono::milliseconds time)
{
    const bool root = ::geteuid() == 0, immutable = root && setImmutable(folder, true);
    const auto writable = [&](bool on) {
        for (const std::string& path : {folder + "/data", folder}) {
            std::error_code none; // the data file may not be there
            if (immutable)
                setImmutable(path, !on);
            else if (!root)
                fs::permissions(
                    path, fs::perms::owner_write, on ? fs::perm_options::add : fs::perm_options::remove, none);
        }
    };
    if (root && !immutable) {
        fs::rename(folder, folder + ".aside");
        writeFile(folder, "not a folder");
    }
    writable(false);
    std::this_thread::sleep_for(time);
    writable(true);
    if (root && !immutable) {
        fs::remove(folder);
        fs::rename(folder + ".aside", folder);
    }
}

// Panels write at a worker's pace while the store is renamed away and back, removed and made
// again (its data file saved under Card-Warden's lock first), made read-only, and a worker's own
// folder is unwritable while the store is away (its records held in memory for a moment): every
// record reaches the store once.
TEST_F(RealFaultTest, RecordsSurviveAStoreThatGoesAwayIsRemovedOrTurnsReadOnly)
{
    const auto records = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REAL_RECORDS", 600));
    const auto pause = [] { std::this_thread::sleep_for(400ms); };
    const auto awayAndBack = [&](const std::function<void()>& meanwhile) {
        fs::rename(store(), store() + ".away");
        meanwhile();
        fs::rename(store() + ".away", store());
        pause();
    };
    std::string removed;
    const std::vector<WriterRun> runs = runWriters(3, records, 10, [&] {
        for (int round = 0; round < 2; ++round) {
            pause();
            awayAndBack(pause);
            {
                platform::OpenFile data(realFiles);
                std::string saved;
                ASSERT_EQ(data.open(store() + "\\data", platform::OpenMode::ReadWrite), platform::FileError::None);
                ASSERT_EQ(data.lock(platform::LockKind::Exclusive, 30s, 5ms), platform::FileError::None);
                platform::readAll(realFiles, data.handle(), saved);
                removed += saved;
                fs::remove_all(store());
            }
            pause();
            writeFile(store() + "/cardward.ini", "[cardward]\r\n");
            pause();
            unwritableFor(store(), 400ms);
            pause();
            awayAndBack([&] { unwritableFor(ownOf(1) + "/buffer", 400ms); });
        }
    });
    Tally result = settleWriters(runs, removed);
    EXPECT_EQ(result["sent"], 3 * records);
    EXPECT_GT(result["to_buffer"], 0) << "the faults should have kept records waiting";
    result["faults"] = 8;
    result.report("real_faults");
}

class LateStore : public ReliabilityFixture, public ::testing::WithParamInterface<bool>
{
};

// The panel starts before the store's share is there: the store folder is missing, or an empty
// folder stands in its place (a mount point without its share: no marker). Nothing is written
// into that folder; the records wait in the buffer, and once the store is there they reach it
// without a restart, at the clock tick, within 60 s.
TEST_P(LateStore, RecordsReachAStoreThatComesLateWithoutARestart)
{
    const bool emptyFolder = GetParam();
    const auto lateBy = std::chrono::seconds(runSize("SHIFTLOOM_RELIABILITY_LATE_SECONDS", 3));
    constexpr int kRecords = 20;
    fs::remove_all(store());
    if (emptyFolder)
        fs::create_directories(store());
    const WriterRun run{.account = 1, .count = kRecords, .pauseMs = 100, .options = "tick=90"};
    const auto writer = startWriter(run);
    std::this_thread::sleep_for(lateBy);
    Tally tally;
    tally["files_in_the_folder_before_the_store"] =
        emptyFolder ? static_cast<double>(std::distance(fs::directory_iterator(store()), {})) : 0;
    const auto madeAt = std::chrono::steady_clock::now();
    writeFile(store() + "/cardward.ini.new", "[cardward]\r\n");
    fs::rename(store() + "/cardward.ini.new", store() + "/cardward.ini");
    while (RecordCheck(readFile(dataPath())).lost(kRunWriter, 0, kRecords - 1) > 0
        && std::chrono::steady_clock::now() < madeAt + 60s)
        std::this_thread::sleep_for(20ms);
    tally["seconds_to_arrive"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - madeAt).count();
    tally["late_by_seconds"] = static_cast<double>(lateBy.count());
    EXPECT_EQ(writer->wait(), 0);
    EXPECT_EQ(tally["files_in_the_folder_before_the_store"], 0) << "a folder without the marker got a file";
    EXPECT_LT(tally["seconds_to_arrive"], 60);
    const RecordCheck check(readFile(dataPath()));
    const WriterLog log(readFile(logPath(run)), 0);
    EXPECT_EQ(log.places.at("buffer"), static_cast<std::size_t>(kRecords));
    tally.add(check,
        static_cast<std::size_t>(log.lastSent + 1),
        check.counts.size(),
        check.lost(kRunWriter, 0, log.lastSent),
        "late store");
    tally.report(emptyFolder ? "empty_folder" : "late_store");
}

INSTANTIATE_TEST_SUITE_P(ConcurrencyTest, LateStore, ::testing::Bool(), [](const auto& emptyFolder) {
    return emptyFolder.param ? "AnEmptyFolderInItsPlace" : "ItsFolderMissing";
});

} // namespace
} // namespace shiftloom::test
