// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace shiftloom::test {

/** The operations a FaultyFileOps can make fail. */
enum class FileOp
{
    Open,
    Lock,
    Size,
    Read,
    Write,
    Truncate,
    Flush,
    Remove,
    Replace,
};
inline constexpr std::size_t kFileOpCount = 9;
const char* fileOpName(FileOp op);

/**
 * File operations that pass every call to real ones, except the calls a test marks to fail: the
 * nth call of one kind, the nth call of any kind (a "fault point"), or every call of a kind. A
 * write can also be cut short. Waits for a lock return at once.
 */
class FaultyFileOps final : public platform::FileOps
{
public:
    explicit FaultyFileOps(platform::FileOps& real);

    /** The `n`th call of `op` from now (1 = the next) fails with `error`. */
    void failNth(FileOp op, int n, platform::FileError error = platform::FileError::Io);
    /** The `point`th faultable call of any kind from now fails (a short write, for a write). */
    void failAtPoint(int point, platform::FileError error = platform::FileError::Io);
    /** Every call of `op` fails until `clear()`. */
    void failAll(FileOp op, platform::FileError error = platform::FileError::Io);
    /** The `n`th write from now writes only `bytes` bytes and reports it as a short write. */
    void shortWriteNth(int n, std::size_t bytes);
    /**
     * Every open of the path text `path` is refused with AccessDenied, as by permissions; with
     * `readToo` false only opens that would read (a file that may be appended to but not read).
     * Kept across `clear()`.
     */
    void refuseOpens(std::string path, bool readToo) { m_refused[std::move(path)] = readToo; }
    void allowOpens(const std::string& path) { m_refused.erase(path); }
    /** Forgets every planned failure and restarts the counters. */
    void clear();

    /** Faultable calls made since the last `clear()`. */
    int points() const { return m_points; }
    int count(FileOp op) const { return m_counts[static_cast<std::size_t>(op)]; }
    /** The kind of the call that failed on purpose last, if any. */
    std::optional<FileOp> lastFault() const { return m_lastFault; }

    platform::FileError open(std::string_view path, platform::OpenMode mode, platform::FileHandle& out) override;
    platform::FileError tryLock(platform::FileHandle file, platform::LockKind kind) override;
    void unlock(platform::FileHandle file) override;
    platform::FileError size(platform::FileHandle file, std::uint64_t& out) override;
    platform::FileError readAt(
        platform::FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) override;
    platform::FileError append(
        platform::FileHandle file, const char* data, std::size_t length, std::size_t& written) override;
    platform::FileError truncate(platform::FileHandle file, std::uint64_t length) override;
    platform::FileError flush(platform::FileHandle file) override;
    platform::FileError identity(platform::FileHandle file, std::string& out) override;
    bool detached(platform::FileHandle file, std::string_view path) override;
    void close(platform::FileHandle file) override;
    platform::FileError remove(std::string_view path) override;
    platform::FileError replace(std::string_view from, std::string_view to) override;
    bool sameFile(std::string_view a, std::string_view b) override;
    void pause(std::chrono::milliseconds duration) override;

private:
    struct Plan
    {
        FileOp op;
        int atCount; ///< fail when the op's counter reaches this
        platform::FileError error;
    };
    /** Counts a call of `op`; the error planned for it, or None. */
    platform::FileError next(FileOp op);

    platform::FileOps& m_real;
    std::array<int, kFileOpCount> m_counts{};
    std::array<std::optional<platform::FileError>, kFileOpCount> m_always{};
    std::vector<Plan> m_plans;
    std::vector<std::pair<int, std::size_t>> m_shortWrites; ///< write counter, bytes
    int m_points = 0;
    int m_failPoint = 0;
    platform::FileError m_failPointError = platform::FileError::Io;
    bool m_shortAtPoint = false;
    std::optional<FileOp> m_lastFault;
    std::map<std::string, bool, std::less<>> m_refused;
};

} // namespace shiftloom::test
