// SPDX-License-Identifier: MIT
#pragma once

#include "FileOps.h"

#include <chrono>
#include <cstdint>
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

/** The outcome of `appendLocked`. */
struct AppendResult
{
    FileError error = FileError::None;
    /**
     * How many bytes of the text stand in the file after the call: all of them on success; after a
     * failure, 0 when nothing reached the file or what did was taken back, otherwise the length of
     * the part that stayed.
     */
    std::size_t bytesKept = 0;
    bool ok() const { return error == FileError::None; }
};

/**
 * Appends `text` (whole lines, each ended by CR LF) to the file at `path` under an exclusive
 * whole-file lock:
 *  1. open (creating the file when missing) and take the lock, waiting at most `wait.budget`;
 *     a file deleted or replaced by another process meanwhile is opened again;
 *  2. when the file does not end with a line end (a writer died half-way through a line), start
 *     the text on a new line, so that it stays whole;
 *  3. write it in one write, force it to the disk, unlock, close.
 * When the write or the flush fails, the bytes of this call are cut off again, so that the file
 * ends as it began; what could not be cut off is reported in `bytesKept`.
 */
AppendResult appendLocked(FileOps& ops, std::string_view path, std::string_view text, LockWait wait = {});

} // namespace shiftloom::platform
