// SPDX-License-Identifier: MIT
#include "ReliabilityFixture.h"

#include "platform/FileIo.h"
#include "platform/WindowsPath.h"
#include "platform/posix/PosixFileOps.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace shiftloom::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

/** Sets or clears the immutable flag of a file or folder (which binds root too); false where the file system or the
 * rights do not allow it. */
bool setImmutable(const std::string& path, bool on)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

/**
 * Makes a folder (and the data file in it) unwritable for the time of a fault: by permission bits
 * for a normal user; for root, whom they do not stop, by the immutable flag, or, where that is not
 * available, by putting a plain file in the folder's place.
 */
class Unwritable final
{
public:
    Unwritable(std::string folder, std::string how)
        : m_folder(std::move(folder))
    {
        const std::string file = m_folder + "/data";
        if (!permissionBitsDoNotBind()) {
            m_how = "permission bits";
            fs::permissions(m_folder, fs::perms::owner_read | fs::perms::owner_exec);
            if (fs::exists(file))
                fs::permissions(file, fs::perms::owner_read);
        } else if (setImmutable(m_folder, true)) {
            m_how = "immutable flag (root)";
            m_immutableFile = fs::exists(file) && setImmutable(file, true);
        } else {
            m_how = "folder replaced by a file (root, no immutable flag)";
            fs::rename(m_folder, m_folder + ".aside");
            writeFile(m_folder, "not a folder");
        }
        std::cout << "[real fault] " << how << " unwritable by " << m_how << std::endl;
    }
    ~Unwritable()
    {
        const std::string file = m_folder + "/data";
        if (m_how == "permission bits") {
            fs::permissions(m_folder, fs::perms::owner_all);
            if (fs::exists(file))
                fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
        } else if (m_how.starts_with("immutable")) {
            if (m_immutableFile)
                setImmutable(file, false);
            setImmutable(m_folder, false);
        } else {
            fs::remove(m_folder);
            fs::rename(m_folder + ".aside", m_folder);
        }
    }
    Unwritable(const Unwritable&) = delete;
    Unwritable& operator=(const Unwritable&) = delete;

private:
    std::string m_folder;
    std::string m_how;
    bool m_immutableFile = false;
};

class RealFaultTest : public ReliabilityFixture
{
protected:
    /** Takes the store away for good: its data file is saved under Card-Warden's lock first, so no record is lost with
     * it. */
    std::string removeStore()
    {
        platform::PosixPathMapper paths(home.path());
        platform::PosixFileOps files(paths);
        platform::OpenFile data(files);
        std::string saved;
        if (data.open(store() + "\\data", platform::OpenMode::ReadWrite) == platform::FileError::None
            && data.lock(platform::LockKind::Exclusive, std::chrono::seconds(30), milliseconds(5))
                == platform::FileError::None)
            platform::readAll(files, data.handle(), saved);
        fs::remove_all(store());
        return saved;
    }
};

// Panels write at a worker's pace while the data store goes through what a network share does:
// it is renamed away and back, removed and made again empty, made read-only, and the local
// buffer's folder is made unwritable while the store is away. Every record reaches the store
// once, after the next start; none is held when the panels end.
TEST_F(RealFaultTest, RecordsSurviveAStoreThatGoesAwayIsRemovedOrTurnsReadOnly)
{
    constexpr int kWriters = 3;
    const auto records = static_cast<int>(runSize("SHIFTLOOM_RELIABILITY_REAL_RECORDS", 1200));
    writeFile(dataPath(), "");
    std::vector<WriterRun> runs;
    std::vector<ChildProcess> processes;
    for (int w = 1; w <= kWriters; ++w) {
        runs.push_back(WriterRun{.writer = w, .first = 0, .count = records, .delayMs = 3, .jitterMs = 4, .faults = {}});
        processes.push_back(startWriter(runs.back()));
    }
    auto pause = [] { std::this_thread::sleep_for(milliseconds(400)); };
    std::vector<std::string> removed;
    int faults = 0;
    for (int round = 0; round < 2; ++round) {
        pause();
        fs::rename(store(), store() + ".away"); // the share is gone
        pause();
        fs::rename(store() + ".away", store());
        ++faults;
        pause();
        removed.push_back(removeStore()); // the store folder is deleted
        pause();
        writeFile(store() + "/cardward.ini", "[cardward]\r\n");
        ++faults;
        pause();
        {
            const Unwritable readOnly(store(), "the store");
            pause();
        }
        ++faults;
        pause();
        fs::rename(store(), store() + ".away");
        {
            const Unwritable readOnly(bufferFolder(), "the buffer's folder, with the store away,");
            pause();
        }
        pause();
        fs::rename(store() + ".away", store());
        ++faults;
    }
    for (ChildProcess& process : processes)
        EXPECT_EQ(process.wait(), 0) << "a writer ended with records held";
    EXPECT_NE(runStartup().find("outcome normal"), std::string::npos);
    EXPECT_FALSE(fileExists(bufferPath()));

    std::vector<WriterLog> logs;
    std::size_t toBuffer = 0, held = 0;
    int lateExits = 0; // writers whose held records a single try at the end would have lost
    for (const WriterRun& run : runs) {
        logs.push_back(readLog(run));
        EXPECT_TRUE(logs.back().ended);
        toBuffer += logs.back().toBuffer;
        held += logs.back().held;
        lateExits += logs.back().exitTries > 1;
    }
    const RecordCheck check = checkStore(removed);
    const RecordVerdict verdict = compareWithLogs(check, logs);
    EXPECT_EQ(verdict.expected, static_cast<std::size_t>(kWriters * records));
    EXPECT_EQ(verdict.lost, 0u);
    EXPECT_EQ(verdict.duplicated, 0u);
    EXPECT_EQ(check.torn + check.unterminated, 0u);
    EXPECT_EQ(check.outOfOrder, 0u);
    for (const std::string& problem : verdict.problems)
        ADD_FAILURE() << problem;
    EXPECT_GT(toBuffer, 0u) << "the faults should have sent records to the buffer";

    reportFigure("real_faults.faults", faults);
    reportFigure("real_faults.records", static_cast<double>(verdict.expected));
    reportFigure("real_faults.to_buffer", static_cast<double>(toBuffer));
    reportFigure("real_faults.held", static_cast<double>(held));
    reportFigure("real_faults.exits_needing_more_than_one_try", lateExits);
    reportFigure("real_faults.lost", static_cast<double>(verdict.lost));
    reportFigure("real_faults.duplicated", static_cast<double>(verdict.duplicated));
    reportFigure("real_faults.torn", static_cast<double>(check.torn + check.unterminated));
}

} // namespace
} // namespace shiftloom::test
