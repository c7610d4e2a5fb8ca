// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"
#include "platform/WindowsPath.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace shiftloom::platform {

/**
 * File operations on Windows, through the wide calls. Files are opened with every share mode
 * (read, write and delete), so that Card-Warden and other workstations keep their access, and
 * whole-file locks are `LockFileEx` over the largest range, which a network share carries to the
 * server. Paths go through a `Win32PathMapper`, which gives UTF-8 host paths; they become UTF-16
 * here, once per call.
 *
 * Each handle is opened with exactly the access its mode needs, and that access is kept with the
 * handle: a call that Windows refuses on such a handle is refused here before it is made
 * (AccessDenied), so that Wine, which allows more, behaves as Windows does (see the rules in
 * Win32FileOps.cpp).
 */
class Win32FileOps final : public FileOps
{
public:
    explicit Win32FileOps(const PathMapper& paths);

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
    /** Keeps `file` with the access it was granted (generic rights mapped to the file rights). */
    FileError opened(void* handle, std::uint32_t access, FileHandle& out);
    /** True when `file` was opened with at least one of the rights `anyOf`. */
    bool grants(FileHandle file, std::uint32_t anyOf) const;

    const PathMapper& m_paths;
    mutable std::mutex m_mutex;
    std::unordered_map<std::intptr_t, std::uint32_t> m_access;
};

} // namespace shiftloom::platform
