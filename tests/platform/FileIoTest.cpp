// SPDX-License-Identifier: MIT
#include "platform/FileIo.h"
#include "support/FaultFileOps.h"
#include "support/HostFileOps.h"
#include "support/Spawn.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>

namespace shiftloom::platform {
namespace {

using test::FileOp;
using test::readFile;
using test::writeFile;

class FileIo : public ::testing::Test
{
protected:
    test::TempDir dir;
    IdentityPathMapper identity;
    test::HostFileOps real{identity};
    test::FaultFileOps faulty{real};
    std::string path = dir.file("data");
};

TEST(SplitLines, HandlesCrLfLfAndALastLineWithoutEnd)
{
    EXPECT_EQ(splitLines(""), std::vector<std::string>{});
    EXPECT_EQ(splitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitLines("\n"), std::vector<std::string>{""});
    EXPECT_EQ(splitLines("x\ry\r\n"), std::vector<std::string>{"x\ry"}) << "a lone CR is part of the line";
}

TEST_F(FileIo, CanOpenForReadingIsFalseForEveryFailure)
{
    writeFile(path, "x");
    EXPECT_TRUE(canOpenForReading(real, path));
    EXPECT_FALSE(canOpenForReading(real, dir.file("missing")));
    EXPECT_FALSE(canOpenForReading(real, dir.path())) << "a folder is not a file";
    EXPECT_FALSE(canOpenForReading(real, dir.file("no/such/folder/file")));
}

TEST_F(FileIo, AppendCreatesTheFileAndKeepsEarlierLines)
{
    ASSERT_TRUE(appendLocked(real, path, "1\r\n").ok());
    ASSERT_TRUE(appendLocked(real, path, "2\r\n").ok());
    EXPECT_EQ(readFile(path), "1\r\n2\r\n");
}

TEST_F(FileIo, AppendStartsANewLineAfterATornOne)
{
    writeFile(path, "old\r\n0120261205");
    ASSERT_TRUE(appendLocked(real, path, "new\r\n").ok());
    EXPECT_EQ(readFile(path), "old\r\n0120261205\r\nnew\r\n");

    writeFile(path, "old\r");
    ASSERT_TRUE(appendLocked(real, path, "new\r\n").ok());
    EXPECT_EQ(readFile(path), "old\r\nnew\r\n") << "a line cut between CR and LF gets only its LF";
}

TEST_F(FileIo, AFailedAppendNeverCutsTheFileAndSaysWhatReachedIt)
{
    writeFile(path, "old\r\n");
    faulty.shortWriteNth(1, 3);
    AppendResult result = appendLocked(faulty, path, "line\r\n");
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.written, 3u);
    EXPECT_EQ(result.plan.sizeBefore, 5u);
    EXPECT_EQ(readFile(path), "old\r\nlin");
    EXPECT_EQ(faulty.count(FileOp::Truncate), 0);

    faulty.clear();
    faulty.failNth(FileOp::Lock, 1);
    result = appendLocked(faulty, path, "line\r\n");
    EXPECT_FALSE(result.started);

    faulty.clear();
    faulty.failNth(FileOp::Flush, 1);
    EXPECT_FALSE(appendLocked(faulty, path, "line\r\n").ok()) << "a write not forced to the disk is no success";
}

// Where workers may append to the data file but not read it, the record still goes in, without
// the look at the last line.
TEST_F(FileIo, AFileThatMayNotBeReadIsAppendedToWithoutTheTornLineCheck)
{
    writeFile(path, "old\r\n0120");
    faulty.failNth(FileOp::Open, 1, FileError::AccessDenied);
    const AppendResult result = appendLocked(faulty, path, "new\r\n");
    ASSERT_TRUE(result.ok());
    EXPECT_FALSE(result.plan.readable);
    EXPECT_EQ(readFile(path), "old\r\n0120new\r\n");
}

// Another process (tests/platform/LockHelperMain.cpp) takes the whole-file lock and holds it for `hold`.
std::unique_ptr<test::Spawned> holdLockElsewhere(const std::string& path, std::chrono::milliseconds hold)
{
    auto holder = std::make_unique<test::Spawned>(
        std::vector<std::string>{SHIFTLOOM_LOCK_HELPER, "hold", path, "exclusive", std::to_string(hold.count())});
    EXPECT_TRUE(test::waitForFile(path + ".held"));
    return holder;
}

TEST_F(FileIo, AnAppendWaitsForALockHeldForAMoment)
{
    const auto holder = holdLockElsewhere(path, std::chrono::milliseconds(120));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(appendLocked(real, path, "mine\r\n").ok());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(holder->wait(), 0);
    EXPECT_EQ(readFile(path), "mine\r\n");
}

TEST_F(FileIo, AnAppendGivesUpOnALockHeldLongerThanItWaits)
{
    const auto holder = holdLockElsewhere(path, std::chrono::milliseconds(800));
    const AppendResult result = appendLocked(real, path, "mine\r\n", LockWait{std::chrono::milliseconds(100)});
    EXPECT_EQ(result.error, FileError::Busy);
    EXPECT_EQ(holder->wait(), 0);
    EXPECT_EQ(readFile(path), "");
}

// A Card-Warden that deletes the data file between our open and our lock: the record must go
// into the file that the path names afterwards, not into the deleted one.
class DeletingFileOps final : public FileOps
{
public:
    explicit DeletingFileOps(FileOps& real, std::string path)
        : m_real(real)
        , m_path(std::move(path))
    {
    }
    FileError open(std::string_view p, OpenMode m, FileHandle& h) override { return m_real.open(p, m, h); }
    FileError tryLock(FileHandle h, LockKind k) override
    {
        if (!m_deleted) {
            m_deleted = true;
            m_real.remove(m_path);
        }
        return m_real.tryLock(h, k);
    }
    void unlock(FileHandle h) override { m_real.unlock(h); }
    FileError size(FileHandle h, std::uint64_t& s) override { return m_real.size(h, s); }
    FileError readAt(FileHandle h, std::uint64_t o, char* b, std::size_t n, std::size_t& g) override
    {
        return m_real.readAt(h, o, b, n, g);
    }
    FileError append(FileHandle h, const char* d, std::size_t n, std::size_t& w) override
    {
        return m_real.append(h, d, n, w);
    }
    FileError truncate(FileHandle h, std::uint64_t n) override { return m_real.truncate(h, n); }
    FileError flush(FileHandle h) override { return m_real.flush(h); }
    FileError identity(FileHandle h, std::string& out) override { return m_real.identity(h, out); }
    bool detached(FileHandle h, std::string_view p) override { return m_real.detached(h, p); }
    void close(FileHandle h) override { m_real.close(h); }
    FileError remove(std::string_view p) override { return m_real.remove(p); }
    FileError replace(std::string_view a, std::string_view b) override { return m_real.replace(a, b); }
    bool sameFile(std::string_view a, std::string_view b) override { return m_real.sameFile(a, b); }
    void pause(std::chrono::milliseconds) override { }

private:
    FileOps& m_real;
    std::string m_path;
    bool m_deleted = false;
};

TEST_F(FileIo, AFileDeletedWhileWaitingForTheLockIsOpenedAgain)
{
    writeFile(path, "taken by Card-Warden\r\n");
    DeletingFileOps deleting(real, path);
    ASSERT_TRUE(appendLocked(deleting, path, "mine\r\n").ok());
    EXPECT_EQ(readFile(path), "mine\r\n");
}

TEST_F(FileIo, TwoProcessesAppendingAtOnceLoseNoLineAndTearNone)
{
    constexpr int kLines = 400;
    auto writer = [&](const char* tag) {
        return std::vector<std::string>{SHIFTLOOM_LOCK_HELPER, "append", path, tag, std::to_string(kLines)};
    };
    test::Spawned a(writer("a"));
    test::Spawned b(writer("b"));
    EXPECT_EQ(a.wait(), 0);
    EXPECT_EQ(b.wait(), 0);

    const std::string text = readFile(path);
    std::map<char, int> next{{'a', 1000}, {'b', 1000}};
    std::size_t begin = 0;
    int lines = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find("\r\n", begin);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(begin, end - begin);
        ASSERT_EQ(line.size(), 64u) << line;
        ASSERT_EQ(line.find_first_not_of(line[0]), 60u) << line;
        EXPECT_EQ(std::stoi(line.substr(60)), next[line[0]]++) << "each writer's lines in the order written";
        ++lines;
        begin = end + 2;
    }
    EXPECT_EQ(lines, 2 * kLines);
}

} // namespace
} // namespace shiftloom::platform
