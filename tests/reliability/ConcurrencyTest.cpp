// SPDX-License-Identifier: MIT
// Panels writing while the store goes through what a network share does; a store that comes
// late, or is an empty folder.
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

using RealFaultTest = ReliabilityFixture;

/**
 * Makes a folder and its data file unwritable for a while: by permission bits, or for root, whom
 * they do not stop, by the immutable flag.
 */
void unwritableFor(const std::string& folder, std::chrono::milliseconds time)
{
    const auto writable = [&](bool on) {
        for (const std::string& path : {folder + "/data", folder}) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            int flags = 0;
            if (fd >= 0 && ::geteuid() == 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags = on ? (flags & ~FS_IMMUTABLE_FL) : (flags | FS_IMMUTABLE_FL);
                EXPECT_EQ(::ioctl(fd, FS_IOC_SETFLAGS, &flags), 0) << "no immutable flag here for " << path;
            } else if (fd >= 0) {
                fs::permissions(path, fs::perms::owner_write, on ? fs::perm_options::add : fs::perm_options::remove);
            }
            ::close(fd); // if any: the data file may not be there
        }
    };
    writable(false);
    std::this_thread::sleep_for(time);
    writable(true);
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
    std::vector<WriterRun> runs;
    std::vector<std::unique_ptr<Spawned>> writers;
    for (int w = 1; w <= 3; ++w)
        writers.push_back(
            startWriter(runs.emplace_back(WriterRun{.account = w, .writer = w, .count = records, .pauseMs = 10})));
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
    for (const auto& writer : writers)
        EXPECT_EQ(writer->wait(), 0) << "a writer ended with records held in memory";
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
    // What is not there 60 s after the store came counts as lost.
    RecordCheck check("");
    while ((check = RecordCheck(readFile(dataPath()))).lost(kRunWriter, 0, kRecords - 1) > 0
        && std::chrono::steady_clock::now() < madeAt + 60s)
        std::this_thread::sleep_for(20ms);
    tally["seconds_to_arrive"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - madeAt).count();
    tally["late_by_seconds"] = static_cast<double>(lateBy.count());
    tally.add(check, kRecords, check.counts.size(), check.lost(kRunWriter, 0, kRecords - 1), "late store");
    EXPECT_EQ(tally["files_in_the_folder_before_the_store"], 0) << "a folder without the marker got a file";
    for (const auto& [place, records] : WriterLog(readFile(logPath(run)), 0).places)
        tally["to_" + place] += static_cast<double>(records);
    EXPECT_EQ(tally["to_buffer"], kRecords) << "the records waited on this computer";
    EXPECT_EQ(writer->wait(), 0);
    tally.report(emptyFolder ? "empty_folder" : "late_store");
}

INSTANTIATE_TEST_SUITE_P(ConcurrencyTest, LateStore, ::testing::Bool(), [](const auto& emptyFolder) {
    return emptyFolder.param ? "AnEmptyFolderInItsPlace" : "ItsFolderMissing";
});

} // namespace
} // namespace shiftloom::test
