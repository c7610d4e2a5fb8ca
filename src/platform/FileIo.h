// SPDX-License-Identifier: MIT
#pragma once

#include "FileOps.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shiftloom::platform {

/**
 * Opens a file and closes it again when it goes out of scope (unlocking it first when it was
 * locked through this object).
 */
class OpenFile final
{
public:
    explicit OpenFile(FileOps& ops)
        : m_ops(ops)
    {
    }
    ~OpenFile() { close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    FileError open(std::string_view path, OpenMode mode);
    /** Opens `path` only beside `marker` (see `FileOps::openGuarded`); as `open` when `marker` is empty. */
    FileError openGuarded(std::string_view path, std::string_view marker, OpenMode mode);
    FileError tryLock(LockKind kind);
    /**
     * Takes the lock, trying again every `interval` until `budget` has passed.
     * Returns Busy when the lock stayed taken by another holder.
     */
    FileError lock(LockKind kind, std::chrono::milliseconds budget, std::chrono::milliseconds interval);
    void unlock();
    void close();

    FileHandle handle() const { return m_handle; }
    bool isOpen() const { return m_handle.valid(); }
    /** Exchanges the open files (and their locks) of two objects over the same FileOps. */
    void swap(OpenFile& other) noexcept
    {
        std::swap(m_handle, other.m_handle);
        std::swap(m_locked, other.m_locked);
    }
    FileOps& ops() const { return m_ops; }

private:
    FileOps& m_ops;
    FileHandle m_handle;
    bool m_locked = false;
};

/**
 * The can-it-be-opened test: true exactly when `path` can be opened for reading now. Every
 * failure (missing file, folder, no permission, unreachable share) gives false.
 */
bool canOpenForReading(FileOps& ops, std::string_view path);

/** Reads every byte of an open file, in as few reads as its size allows. */
FileError readAll(FileOps& ops, FileHandle file, std::string& out);

/**
 * Splits text into lines. A line ends at LF; a CR right before the LF belongs to the line end.
 * A last line without an end counts as a line; an empty text has no lines.
 */
std::vector<std::string> splitLines(std::string_view text);

/** Reads a whole text file as lines (see `splitLines`). */
FileError readTextLines(FileOps& ops, std::string_view path, std::vector<std::string>& lines);

/** How long an append waits for the whole-file lock that another process holds. */
struct LockWait
{
    std::chrono::milliseconds budget{300};
    std::chrono::milliseconds interval{10};
};

/** How `appendLocked` opens and begins its write. */
struct AppendOptions
{
    /** When not empty, the file is opened (and created) only beside this file (`FileOps::openGuarded`). */
    std::string_view marker;
    /** Starts the text on a new line even where the file cannot be read to see whether it needs one. */
    bool lineStart = false;
};

/**
 * Opens `path` for appending (creating it when missing) and takes its exclusive whole-file lock,
 * waiting at most `wait.budget` for the lock (and for an open that another process refuses by
 * sharing). Where the file may be appended to but not read, it is opened for appending only and
 * `readable` is false. A file deleted or replaced by another process between the open and the
 * lock is opened again. With a `marker`, see `AppendOptions`.
 */
FileError openLockedForAppend(
    OpenFile& file, std::string_view path, LockWait wait, bool& readable, std::string_view marker = {});

/** What `appendLocked` found before it wrote: where the text goes and what comes before it. */
struct AppendPlan
{
    std::uint64_t sizeBefore = 0;
    /** A line end written before the text when the file does not end with one (a writer died half-way). */
    std::string_view prefix;
    std::string identity; ///< of the file written (see `FileOps::identity`); empty when unknown
    bool readable = true; ///< false: the file may not be read, so its last line was not looked at
};

/** The outcome of `appendLocked`. */
struct AppendResult
{
    FileError error = FileError::None;
    bool started = false; ///< the write was made (whatever came of it)
    std::size_t written = 0; ///< bytes of prefix and text that the write reported
    AppendPlan plan;
    bool ok() const { return error == FileError::None; }
};

/**
 * Appends `text` (whole lines, each ended by CR LF) to the file at `path` under its exclusive
 * whole-file lock: opens and locks it (`openLockedForAppend`); where the file can be read and does
 * not end with a line end, starts the text on a new line; calls `beforeWrite` with the plan (an
 * error from it stops the append before anything is written); writes prefix and text in one
 * write and forces them to the disk. Nothing is ever cut off the file: after a failed write or
 * flush, what reached it stays, and the caller learns it from `started` and `written`.
 */
AppendResult appendLocked(FileOps& ops,
    std::string_view path,
    std::string_view text,
    LockWait wait = {},
    const std::function<FileError(const AppendPlan&)>& beforeWrite = {},
    AppendOptions options = {});

} // namespace shiftloom::platform
