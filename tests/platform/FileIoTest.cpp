// SPDX-License-Identifier: MIT
#include "platform/FileIo.h"
#include "support/FaultFileOps.h"
#include "support/HostFileOps.h"
#include "support/Spawn.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace shiftloom::platform {
namespace {

using namespace std::chrono_literals;
using test::FileOp;

class FileIo : public ::testing::Test
{
protected:
    test::TempDir dir;
    IdentityPathMapper identity;
    test::HostFileOps real{identity};
    std::string path = dir.file("data");

    // tests/platform/LockHelperMain.cpp in a process of its own, on `path`.
    std::unique_ptr<test::Spawned> helper(const std::string& command, std::vector<std::string> rest = {})
    {
        rest.insert(rest.begin(), {SHIFTLOOM_LOCK_HELPER, command, path});
        auto process = std::make_unique<test::Spawned>(rest);
        EXPECT_TRUE(command != "hold" || test::waitForFile(path + ".held")) << "the holder took the lock";
        return process;
    }
};

TEST(SplitLines, HandlesCrLfLfAndALastLineWithoutEnd)
{
    EXPECT_EQ(splitLines(""), std::vector<std::string>{});
    EXPECT_EQ(splitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(splitLines("x\ry\r\n"), std::vector<std::string>{"x\ry"}) << "a lone CR is part of the line";
}

TEST_F(FileIo, CanOpenForReadingIsFalseForEveryFailure)
{
    test::writeFile(path, "x");
    EXPECT_TRUE(canOpenForReading(real, path));
    EXPECT_FALSE(canOpenForReading(real, dir.file("missing")));
    EXPECT_FALSE(canOpenForReading(real, dir.path())) << "a folder is not a file";
}

// An append never cuts the file: after a failed write or flush what reached it stays, and the
// caller learns how much that was.
TEST_F(FileIo, AppendStartsOnANewLineAndNeverTakesBackWhatReachedTheFile)
{
    struct Case
    {
        const char* what;
        const char* before;
        FileOp op; ///< the call that fails with `error`; a write writes 2 bytes of 5 instead
        FileError error;
        FileError result;
        std::size_t written;
        const char* after;
    };
    const Case cases[] = {
        {"a torn line", "1\r\n01202", FileOp::Open, FileError::None, FileError::None, 7, "1\r\n01202\r\nnew\r\n"},
        {"cut after CR", "1\r", FileOp::Open, FileError::None, FileError::None, 6, "1\r\nnew\r\n"},
        {"may not be read", "1\r\n01", FileOp::Open, FileError::AccessDenied, FileError::None, 5, "1\r\n01new\r\n"},
        {"a short write", "1\r\n", FileOp::Write, FileError::None, FileError::NoSpace, 2, "1\r\nne"},
        {"a failed flush", "1\r\n", FileOp::Flush, FileError::Io, FileError::Io, 5, "1\r\nnew\r\n"},
        {"a failed lock", "1\r\n", FileOp::Lock, FileError::Io, FileError::Io, 0, "1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::writeFile(path, c.before);
        test::FaultFileOps faulty(real);
        if (c.op == FileOp::Write)
            faulty.shortWriteNth(1, 2);
        else if (c.error != FileError::None)
            faulty.failNth(c.op, 1, c.error);
        const AppendResult result = appendLocked(faulty, path, "new\r\n");
        EXPECT_EQ(result.error, c.result);
        EXPECT_EQ(result.written, c.written);
        EXPECT_EQ(test::readFile(path), c.after);
    }
}

TEST_F(FileIo, TheWholeFileLockKeepsOtherProcessesOutBothWays)
{
    {
        OpenFile mine(real);
        ASSERT_EQ(mine.open(path, OpenMode::AppendCreate), FileError::None);
        ASSERT_EQ(mine.tryLock(LockKind::Exclusive), FileError::None);
        EXPECT_EQ(helper("probe")->wait(), 3) << "ours keeps theirs out";
    }
    EXPECT_EQ(helper("probe")->wait(), 0) << "and lets it in once given up";

    const auto holder = helper("hold", {"exclusive", "800"});
    EXPECT_EQ(appendLocked(real, path, "lost\r\n", LockWait{100ms}).error, FileError::Busy) << "theirs keeps ours out";
    EXPECT_TRUE(appendLocked(real, path, "mine\r\n", LockWait{10s}).ok()) << "until it lets go";
    EXPECT_EQ(holder->wait(), 0);
    EXPECT_EQ(test::readFile(path), "mine\r\n");
}

// A Card-Warden that deletes the data file while we wait for its lock: the record must go into
// the file that the path names afterwards, not into the deleted one.
TEST_F(FileIo, AFileDeletedWhileWaitingForTheLockIsOpenedAgain)
{
    test::writeFile(path, "taken by Card-Warden\r\n");
    const auto holder = helper("hold", {"exclusive", "300", "delete"});
    ASSERT_TRUE(appendLocked(real, path, "mine\r\n", LockWait{10s}).ok());
    EXPECT_EQ(holder->wait(), 0);
    EXPECT_EQ(test::readFile(path), "mine\r\n");
}

TEST_F(FileIo, TwoProcessesAppendingAtOnceLoseNoLineAndTearNone)
{
    const auto a = helper("append", {"a", "400"});
    const auto b = helper("append", {"b", "400"});
    EXPECT_EQ(a->wait(), 0);
    EXPECT_EQ(b->wait(), 0);
    EXPECT_EQ(helper("check", {"400"})->wait(), 0) << "every line whole, each writer's in order, none lost";
}

} // namespace
} // namespace shiftloom::platform
