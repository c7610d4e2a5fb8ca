// SPDX-License-Identifier: MIT
#include "platform/FileIo.h"
#include "platform/HostFiles.h"
#include "support/FaultFileOps.h"
#include "support/HostFileOps.h"
#include "support/Spawn.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <tuple>

#ifdef _WIN32
#include "platform/win32/WideText.h"

#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

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
        // On Windows a handle that may append but not read cannot lock either: the append is refused.
        {"may not be read",
            "1\r\n01",
            FileOp::Open,
            FileError::AccessDenied,
            kWindowsHost ? FileError::LockRefused : FileError::None,
            kWindowsHost ? 0u : 5u,
            kWindowsHost ? "1\r\n01" : "1\r\n01new\r\n"},
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

// Each mode's handle may do what its files need, by the rules of the system: on Windows the store's data file is never
// cut back, and a handle that may only append can neither read nor lock (Wine would allow the cut and the lock); a
// file held without sharing is busy.
TEST_F(FileIo, EachHandleMayDoWhatItsModeNeedsAndNoMore)
{
    const std::tuple<OpenMode, FileOp, FileError, FileError> cases[] = {
        {OpenMode::AppendCreate, FileOp::Truncate, FileError::AccessDenied, FileError::None},
        {OpenMode::AppendOnly, FileOp::Lock, FileError::AccessDenied, FileError::None},
        {OpenMode::AppendOnly, FileOp::Read, FileError::AccessDenied, FileError::Other},
        {OpenMode::AppendOnly, FileOp::Write, FileError::None, FileError::None},
        {OpenMode::ReadWriteCreate, FileOp::Truncate, FileError::None, FileError::None},
    };
    for (const auto& [mode, op, windows, posix] : cases) {
        SCOPED_TRACE(testing::Message() << fileOpName(op) << " in mode " << static_cast<int>(mode));
        FileHandle file;
        ASSERT_EQ(real.open(path, mode, file), FileError::None);
        char byte = 0;
        std::size_t done = 0;
        EXPECT_EQ(op == FileOp::Truncate ? real.truncate(file, 0)
                : op == FileOp::Lock     ? real.tryLock(file, LockKind::Exclusive)
                : op == FileOp::Read     ? real.readAt(file, 0, &byte, 1, done)
                                         : real.append(file, "x", 1, done),
            kWindowsHost ? windows : posix);
        real.close(file);
    }
#ifdef _WIN32
    // Card-Warden holding the data file open without sharing: a busy file to try again, never a refused one.
    const HANDLE held = CreateFileW(toWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    FileHandle file;
    EXPECT_EQ(real.open(path, OpenMode::AppendCreate, file), FileError::Busy);
    EXPECT_EQ(real.openGuarded(path, "data", OpenMode::Read, file), FileError::Busy);
    CloseHandle(held);
#endif
}

// A data file beside the store's marker, beside none, beside a folder of the marker's name, in no folder: only the
// first is opened, and nothing is made anywhere else.
TEST_F(FileIo, AGuardedOpenOpensOrMakesAFileOnlyBesideTheMarker)
{
    const std::tuple<const char*, const char*, FileError> cases[] = {
        {"store", "store/cardward.ini", FileError::None},
        {"empty", "empty", FileError::NotAStore},
        {"odd", "odd/cardward.ini/", FileError::NotAStore},
        {"missing/folder", nullptr, FileError::NotFound},
    };
    for (const auto& [folder, made, result] : cases) {
        SCOPED_TRACE(folder);
        if (made && std::string_view(made).ends_with(".ini"))
            test::writeFile(dir.file(made), "");
        else if (made)
            std::filesystem::create_directories(dir.file(made));
        FileHandle file;
        EXPECT_EQ(real.openGuarded(dir.file(folder) + "/data", "cardward.ini", OpenMode::AppendCreate, file), result);
        if (file.valid())
            real.close(file);
        EXPECT_EQ(test::fileExists(dir.file(folder) + "/data"), result == FileError::None) << "made only in a store";
    }
}

// The user's own folder, named outside Windows-1252 or longer than MAX_PATH, made with its parents (private on POSIX):
// a file made, listed, renamed and removed.
TEST_F(FileIo, TheOwnFolderTakesFilesWhateverItsNameAndLength)
{
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
    const std::string dvorak = dir.file("Dvo\xC5\x99\xC3\xA1k");
    const std::string deep = dvorak + "/" + std::string(120, 'a') + "/" + std::string(120, 'b');
    for (const std::string& own : {dvorak + "/" + japanese, deep}) {
        SCOPED_TRACE(own.size());
#ifdef _WIN32
        const Win32PathMapper paths("", own);
#else
        const PosixPathMapper paths({.own = own});
#endif
        test::HostFileOps files(paths);
        std::vector<std::string> names;
        FileHandle file;
        ASSERT_EQ(files.makeFolder("<own>"), FileError::None);
        ASSERT_EQ(files.open("<own>\\journal.new", OpenMode::CreateNew, file), FileError::None);
        files.close(file);
        EXPECT_EQ(files.open("<own>\\journal.new", OpenMode::CreateNew, file), FileError::Exists);
        EXPECT_EQ(files.replace("<own>\\journal.new", "<own>\\journal"), FileError::None);
        EXPECT_EQ(files.flushFolder("<own>"), FileError::None);
        EXPECT_TRUE(
            files.listFolder("<own>", names) == FileError::None && names == std::vector<std::string>{"journal"});
        EXPECT_EQ(files.remove("<own>\\journal"), FileError::None);
        EXPECT_TRUE(files.listFolder("<own>", names) == FileError::None && names.empty());
        EXPECT_EQ(files.flushFolder("<own>\\missing"), FileError::NotFound);
    }
    std::vector<std::string> names;
    EXPECT_TRUE(real.listFolder(dvorak, names) == FileError::None && std::count(names.begin(), names.end(), japanese))
        << "a name in full, as the system spells it";
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(std::u8string(deep.begin(), deep.end()))));
    test::writeFile(path, "");
    EXPECT_EQ(real.makeFolder(path), FileError::AccessDenied) << "a file in the place of the folder";
#ifndef _WIN32
    struct stat info = {};
    EXPECT_TRUE(::stat(dvorak.c_str(), &info) == 0 && (info.st_mode & 0777) == 0700) << "a new folder is private";
    ::chmod(dvorak.c_str(), 0755);
    EXPECT_TRUE(real.makeFolder(dvorak) == FileError::None && ::stat(dvorak.c_str(), &info) == 0
        && (info.st_mode & 0777) == 0700)
        << "the user's own folder made private";
    if (::geteuid() == 0 && ::chown(dvorak.c_str(), 65534, 65534) == 0) {
        EXPECT_EQ(real.makeFolder(dvorak), FileError::AccessDenied) << "someone else's folder";
    }
#endif
}

} // namespace
} // namespace shiftloom::platform
