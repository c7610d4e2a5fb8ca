// SPDX-License-Identifier: MIT
// Panels appending to one store at once, with Card-Warden reading it under its lock; the store
// going through what a network share does.
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
// that records go through the buffer and come back: every record arrives once, whole, in order.
TEST_F(ConcurrencyTest, EveryRecordOfEveryWriterArrivesOnceWholeAndInOrderWhileCardWardenReads)
{
    const auto writers = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_WRITERS", 8));
    const auto records = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_RECORDS", 1000));
    startReader("shared");
    Tally result = settleWriters(runWriters(writers, records, 0, [] {}));
    EXPECT_EQ(result["records"], writers * records);
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
// again (its data file saved under Card-Warden's lock first), made read-only, and the buffer's
// folder is unwritable while the store is away: every record reaches the store once.
TEST_F(RealFaultTest, RecordsSurviveAStoreThatGoesAwayIsRemovedOrTurnsReadOnly)
{
    const auto records = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REAL_RECORDS", 1200));
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
            awayAndBack([&] { unwritableFor(bufferFolder(), 400ms); });
        }
    });
    Tally result = settleWriters(runs, removed);
    EXPECT_EQ(result["records"], 3 * records);
    EXPECT_GT(result["to_buffer"], 0) << "the faults should have sent records to the buffer";
    result["faults"] = 8;
    result.report("real_faults");
}

} // namespace
} // namespace shiftloom::test
