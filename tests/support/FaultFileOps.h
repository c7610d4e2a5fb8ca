// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shiftloom::test {

/** The kinds of call a FaultFileOps can make fail; each call of one of them is a fault point. */
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

/** What happens at a planned fault point. */
enum class FaultAction
{
    Fail, ///< the call fails with the planned error, doing nothing
    Short, ///< a write writes half its bytes and reports them; another call fails with Io
    KillBefore, ///< the process dies (SIGKILL) before the call is made
    KillAfter, ///< the call is made, then the process dies before it returns
    ShortThenKill, ///< a write writes half its bytes, then the process dies; another call dies before it is made
};

/** Parses an error word of a plan ("io", "nospace", "denied", "busy", "notfound"). */
bool parseFaultError(std::string_view word, platform::FileError& error);

/**
 * The one fault-injecting file layer of the tests, the reliability drivers and the fuzzers. It
 * passes every call to real file operations, or, built without them, to files held in memory
 * (paths compared as given, locks always free). Calls fail where a test plans it:
 *  - the nth call of one kind, or every call of a kind;
 *  - any number of fault points (the nth faultable call of any kind, counted from the last
 *    `clear()`), failing, cut short or killing the process; a plan can be given as text,
 *        plan   := item ("," item)*      item := point (":" action)?
 *        action := "io" | "nospace" | "denied" | "busy" | "notfound" | "short" | "kill"
 *                | "killafter" | "shortkill"          (default "io")
 *  - a short write of a given size; opens of a path refused as by permissions.
 * Waits for a lock return at once unless built with `Waits::Real` (driver processes that run
 * against other processes).
 */
class FaultFileOps final : public platform::FileOps
{
public:
    enum class Waits
    {
        None,
        Real
    };
    /** Over files held in memory; `put` fills them. */
    FaultFileOps();
    explicit FaultFileOps(platform::FileOps& real, Waits waits = Waits::None);
    ~FaultFileOps() override;

    /** A file held in memory (only without real file operations). */
    void put(std::string path, std::string_view bytes);

    /** The `n`th call of `op` from now (1 = the next) fails with `error`. */
    void failNth(FileOp op, int n, platform::FileError error = platform::FileError::Io);
    /** Every call of `op` fails until `clear()`. */
    void failAll(FileOp op, platform::FileError error = platform::FileError::Io);
    /** The `point`th fault point from now: `action` (and `error` for Fail). */
    void planPoint(int point, FaultAction action, platform::FileError error = platform::FileError::Io);
    /** The `point`th fault point from now fails; a write there is cut short instead. */
    void failAtPoint(int point, platform::FileError error = platform::FileError::Io);
    /** Plans the points of `plan` (see above); false, and nothing planned, when it does not parse. */
    bool setPlan(std::string_view plan);
    /** The `n`th write from now writes only `bytes` bytes and reports it as a short write. */
    void shortWriteNth(int n, std::size_t bytes);
    /** Opens of `path` are refused (AccessDenied); with `readToo` false only those that would read.
     *  Kept across `clear()`. */
    void refuseOpens(std::string path, bool readToo) { m_refused[std::move(path)] = readToo; }
    void allowOpens(const std::string& path) { m_refused.erase(path); }
    /**
     * Traces every faultable call to `fd` as it happens, for a test that kills this process at a
     * random moment and wants to know where the kill fell: before each call a line of two letters,
     * the file's role (j the journal c:\data.journal, b the buffer c:\data, s the spool, d the
     * store's data file) and the kind of call (see tests/reliability/DriverReport.h), and "."
     * after it. POSIX only.
     */
    void setTrace(int fd) { m_trace = fd; }
    /** Forgets every planned failure and restarts the counters. */
    void clear();

    /** Fault points passed since the last `clear()`. */
    int points() const { return m_points; }
    int count(FileOp op) const { return m_counts[static_cast<std::size_t>(op)]; }
    /** Faults injected, by kind of call. */
    const std::array<int, kFileOpCount>& injected() const { return m_injected; }
    /** The kind of call that failed on purpose last, if any. */
    std::optional<FileOp> lastFault() const { return m_lastFault; }
    /** The kind of call at each fault point passed (1-based), for reports. */
    const std::map<int, FileOp>& pointKinds() const { return m_pointKinds; }

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
    struct Planned
    {
        FaultAction action;
        platform::FileError error;
        bool cutWrite; ///< a write at the point is cut short instead
    };
    class Memory;
    /** Counts a call of `op`; what is planned for it (Fail with None: nothing). Kills before the call. */
    Planned enter(FileOp op);
    /** After the real call: the kills planned after it. */
    static void leave(const Planned& planned);
    template<class Call> platform::FileError call(FileOp op, Call&& real)
    {
        const Planned planned = enter(op);
        if (planned.action == FaultAction::Fail && planned.error != platform::FileError::None)
            return planned.error;
        if (planned.action == FaultAction::Short)
            return platform::FileError::Io;
        const platform::FileError result = real();
        leave(planned);
        traceAfter();
        return result;
    }
    /** The role of the file a call is about, for the trace. */
    void about(std::string_view path);
    void about(platform::FileHandle file) { m_role = m_roles[file.value]; }
    void traceAfter() const;

    std::unique_ptr<Memory> m_memory;
    platform::FileOps& m_real;
    Waits m_waits;
    std::array<int, kFileOpCount> m_counts{};
    std::array<int, kFileOpCount> m_injected{};
    std::array<std::optional<platform::FileError>, kFileOpCount> m_always{};
    std::vector<std::pair<std::pair<FileOp, int>, platform::FileError>> m_nth; ///< (op, count) fails
    std::map<int, Planned> m_plan; ///< by fault point
    std::vector<std::pair<int, std::size_t>> m_shortWrites; ///< write count, bytes
    std::map<int, FileOp> m_pointKinds;
    int m_points = 0;
    std::optional<FileOp> m_lastFault;
    std::map<std::string, bool, std::less<>> m_refused;
    int m_trace = -1;
    char m_role = 'd'; ///< the role of the file of the call being made
    std::map<std::intptr_t, char> m_roles; ///< of each open handle
};

} // namespace shiftloom::test
