// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"
#include "platform/WindowsPath.h"

namespace shiftloom::platform {

/**
 * File operations on POSIX. Whole-file locks are open-file-description locks (F_OFD_SETLK) over
 * the range 0 to the end of all time, so that other handles of this process cannot drop them and
 * an SMB mount carries them to the server as byte-range locks.
 */
class PosixFileOps final : public FileOps
{
public:
    explicit PosixFileOps(const PathMapper& paths);

    FileError open(std::string_view path, OpenMode mode, FileHandle& out) override;
    FileError openGuarded(std::string_view path, std::string_view marker, OpenMode mode, FileHandle& out) override;
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
    FileError listFolder(std::string_view folder, std::vector<std::string>& names) override;
    FileError makeFolder(std::string_view folder) override;
    FileError flushFolder(std::string_view folder) override;
    bool sameFile(std::string_view a, std::string_view b) override;
    void pause(std::chrono::milliseconds duration) override;

private:
    const PathMapper& m_paths;
};

/** Maps an errno value to a FileError. */
FileError fileErrorFromErrno(int error);

} // namespace shiftloom::platform
