// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::platform {

/** Why a file operation failed. */
enum class FileError
{
    None,
    NotFound, ///< the file or a folder of its path does not exist
    AccessDenied, ///< no permission, or a read-only file system
    IsDirectory, ///< the path names a folder
    Busy, ///< another process holds the lock
    NoSpace, ///< the disk or quota is full
    Io, ///< the device or network share failed
    Exists, ///< a new file was asked for and the name is taken
    NotAStore, ///< the folder does not hold the file that marks it as Card-Warden's data store
    LockRefused, ///< the file may be written but not locked (Windows locks only for read or write access)
    Other,
};

/** A short English name of the error, for messages of the store tool and the tests. */
std::string_view describe(FileError error);

enum class OpenMode
{
    Read, ///< an existing file, read only
    ReadWrite, ///< an existing file, read and write (needed for an exclusive lock)
    AppendCreate, ///< write at the end; a missing file is created empty
    ReadCreate, ///< an existing file read only; a missing one is created empty first
    AppendOnly, ///< write at the end, no read (a share that lets workers append but not read); creates
    /** Read, and write anywhere (the file may be cut back); a missing file is created, private to
     *  the user. For the program's own files. */
    ReadWriteCreate,
    /** A new file, read and write, private to the user; Exists when the name is taken. */
    CreateNew,
};

enum class LockKind
{
    Shared, ///< readers: any number at once, none while a writer holds the lock
    Exclusive, ///< one writer, no reader
};

/** An open file; `value` is the descriptor (POSIX) or handle (Windows). */
struct FileHandle
{
    std::intptr_t value = -1;
    bool valid() const { return value >= 0; }
};

/**
 * The file operations that the program needs of the platform: one call per system call, so that
 * tests can make any one of them fail (see the fault-injecting implementation under tests/).
 * Paths are Windows path texts; the implementation maps them to host paths.
 *
 * Locks are whole-file byte-range locks held by the open file (on Linux an open-file-description
 * lock, which no other handle of the same process can drop and which a network share carries as
 * a byte-range lock; on Windows `LockFileEx`). They lock against other processes and other open
 * handles alike.
 */
class FileOps
{
public:
    virtual ~FileOps() = default;

    virtual FileError open(std::string_view path, OpenMode mode, FileHandle& out) = 0;
    /**
     * Opens `path` as `open` does, but only while the folder of `path` (its text before the last
     * separator) holds a file named `marker`: NotAStore otherwise, and nothing is created. The
     * marker and the file are looked up in one and the same folder (on POSIX through one
     * descriptor of it), so that a share mounted or unmounted meanwhile cannot make the marker of
     * the one count for the other: an empty mount point never receives a file.
     */
    virtual FileError openGuarded(std::string_view path, std::string_view marker, OpenMode mode, FileHandle& out) = 0;
    /** Takes the whole-file lock if it is free; Busy when another handle holds it. Never waits. */
    virtual FileError tryLock(FileHandle file, LockKind kind) = 0;
    virtual void unlock(FileHandle file) = 0;
    virtual FileError size(FileHandle file, std::uint64_t& out) = 0;
    /** Reads up to `length` bytes at `offset`; `got` < `length` only at the end of the file. */
    virtual FileError readAt(
        FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) = 0;
    /** Writes at the end of a file opened with AppendCreate; `written` may be short. */
    virtual FileError append(FileHandle file, const char* data, std::size_t length, std::size_t& written) = 0;
    /** Cuts the file to `length` bytes; only ever used on the program's own files, never on the store. */
    virtual FileError truncate(FileHandle file, std::uint64_t length) = 0;
    /** Forces the written bytes to the disk (fsync, FlushFileBuffers). */
    virtual FileError flush(FileHandle file) = 0;
    /** The identity of the open file (device and file number), as text; two paths of one file give one identity. */
    virtual FileError identity(FileHandle file, std::string& out) = 0;
    /** True when `path` no longer names the open file: it was deleted or replaced meanwhile. */
    virtual bool detached(FileHandle file, std::string_view path) = 0;
    virtual void close(FileHandle file) = 0;
    virtual FileError remove(std::string_view path) = 0;
    /** Puts the file `from` in the place of `to` in one step (rename; replaces `to`). */
    virtual FileError replace(std::string_view from, std::string_view to) = 0;
    /** The names of the entries of a folder (without "." and ".."), in no particular order. */
    virtual FileError listFolder(std::string_view folder, std::vector<std::string>& names) = 0;
    /**
     * Makes a folder and its missing parents, private to the user (0700 on POSIX). An existing
     * folder is kept; where it is the user's, it is made private. Fails (AccessDenied) when the
     * folder exists but belongs to someone else.
     */
    virtual FileError makeFolder(std::string_view folder) = 0;
    /** Forces the entries of a folder (files created, renamed or removed in it) to the disk. */
    virtual FileError flushFolder(std::string_view folder) = 0;
    /** True when both path texts name one file (the same host path, or the same file by identity). */
    virtual bool sameFile(std::string_view a, std::string_view b) = 0;
    /** Waits before the next attempt at a lock; tests replace it to run without waiting. */
    virtual void pause(std::chrono::milliseconds duration) = 0;
};

} // namespace shiftloom::platform
