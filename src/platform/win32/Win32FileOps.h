// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"
#include "platform/WindowsPath.h"

namespace shiftloom::platform {

/**
 * File operations on Windows. Files are opened with every share mode (read, write and delete), so
 * that Card-Warden and other workstations keep their access, and whole-file locks are
 * `LockFileEx` over the largest range, which a network share carries to the server. Paths go
 * through a `Win32PathMapper`, which moves the files of the root of C: where the user cannot
 * write there.
 */
class Win32FileOps final : public FileOps
{
public:
    explicit Win32FileOps(const PathMapper& paths);

    FileError open(std::string_view path, OpenMode mode, FileHandle& out) override;
    FileError tryLock(FileHandle file, LockKind kind) override;
    void unlock(FileHandle file) override;
    FileError size(FileHandle file, std::uint64_t& out) override;
    FileError readAt(
        FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) override;
    FileError append(FileHandle file, const char* data, std::size_t length, std::size_t& written) override;
    FileError truncate(FileHandle file, std::uint64_t length) override;
    FileError flush(FileHandle file) override;
    FileError identity(FileHandle file, std::string& out) override;
    bool detached(FileHandle file, std::string_view path) override;
    void close(FileHandle file) override;
    FileError remove(std::string_view path) override;
    FileError replace(std::string_view from, std::string_view to) override;
    bool sameFile(std::string_view a, std::string_view b) override;
    void pause(std::chrono::milliseconds duration) override;

private:
    const PathMapper& m_paths;
};

} // namespace shiftloom::platform
