// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"

#include <map>
#include <string>
#include <string_view>

namespace shiftloom::fuzz {

/**
 * Files held in memory, so that the readers of the store's files run on a fuzzer's input
 * without touching the disk. Paths are compared as given. Only what the readers need: open,
 * size, readAt, close; writes append to the file; locks always succeed.
 */
class MemoryFileOps final : public platform::FileOps
{
public:
    void put(std::string path, std::string_view bytes) { m_files[std::move(path)] = std::string(bytes); }

    platform::FileError open(std::string_view path, platform::OpenMode mode, platform::FileHandle& out) override;
    platform::FileError tryLock(platform::FileHandle, platform::LockKind) override { return platform::FileError::None; }
    void unlock(platform::FileHandle) override { }
    platform::FileError size(platform::FileHandle file, std::uint64_t& out) override;
    platform::FileError readAt(
        platform::FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) override;
    platform::FileError append(
        platform::FileHandle file, const char* data, std::size_t length, std::size_t& written) override;
    platform::FileError truncate(platform::FileHandle file, std::uint64_t length) override;
    platform::FileError flush(platform::FileHandle) override { return platform::FileError::None; }
    platform::FileError identity(platform::FileHandle file, std::string& out) override
    {
        const std::string* name = fileOf(file) ? &m_handles[file.value] : nullptr;
        out = name ? *name : std::string();
        return name ? platform::FileError::None : platform::FileError::Other;
    }
    bool detached(platform::FileHandle, std::string_view) override { return false; }
    void close(platform::FileHandle) override { }
    platform::FileError remove(std::string_view path) override;
    platform::FileError replace(std::string_view from, std::string_view to) override;
    bool sameFile(std::string_view a, std::string_view b) override { return a == b; }
    void pause(std::chrono::milliseconds) override { }

private:
    std::string* fileOf(platform::FileHandle file);

    std::map<std::string, std::string, std::less<>> m_files;
    std::map<std::intptr_t, std::string> m_handles;
    std::intptr_t m_next = 3;
};

} // namespace shiftloom::fuzz
