// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
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
    List
};
inline constexpr std::size_t kFileOpCount = 10;
const char* fileOpName(FileOp op);

/**
 * The one fault-injecting file layer of the tests, the reliability drivers and the fuzzers. It
 * passes every call to real file operations, or, built without them, to files held in memory
 * (paths compared as given, locks always free). Calls fail where a test plans it:
 *  - the nth call of one kind, or every call of a kind;
 *  - fault points (the nth faultable call of any kind, counted from the last `clear()`), given
 *    as text:
 *        plan   := item ("," item)*      item := point (":" action)?
 *        action := "io" | "nospace" | "denied" | "busy" | "notfound"   the call fails (default io)
 *                | "short"        a write writes half its bytes; another call fails with io
 *                | "kill" | "killafter"   the process dies (SIGKILL) before / after the call
 *                | "shortkill"    a write writes half its bytes, then the process dies
 *  - a short write of a given size; opens of a path refused as by permissions.
 * Waits for a lock return at once unless built with `Waits::Real` (driver processes that run
 * against other processes). Calls may come from several threads; a call on a path that a test
 * delays (`delayPaths`) waits outside of the others.
 */
class FaultFileOps final : public platform::FileOps
{
    using Error = platform::FileError;
    using Handle = platform::FileHandle;

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
    void failNth(FileOp op, int n, Error error = Error::Io)
    {
        m_faults.push_back({op, count(op) + n, Action::Fail, error});
    }
    /** The `n`th call of `op` from now on a path that ends with `ending` fails with `error`. */
    void failNthOn(FileOp op, std::string ending, int n, Error error = Error::Io)
    {
        m_faults.push_back({op, n, Action::Fail, error, SIZE_MAX, std::move(ending)});
    }
    /** Every call of `op` on a path that ends with `ending` fails until `clear()`. */
    void failAllOn(FileOp op, std::string ending, Error error = Error::Io)
    {
        failNthOn(op, std::move(ending), 0, error);
    }
    /** The `n`th write from now on a path that ends with `ending` writes only `bytes` bytes. */
    void shortWriteNthOn(std::string ending, int n, std::size_t bytes)
    {
        m_faults.push_back({Write, n, Action::Short, Error::Io, bytes, std::move(ending)});
    }
    /** Every call of `op` fails until `clear()`. */
    void failAll(FileOp op, Error error = Error::Io) { m_faults.push_back({op, 0, Action::Fail, error}); }
    /** Plans the points of `plan` (see above); false, and nothing planned, when it does not parse. */
    bool setPlan(std::string_view plan);
    /** The `n`th write from now writes only `bytes` bytes and reports it as a short write. */
    void shortWriteNth(int n, std::size_t bytes)
    {
        m_faults.push_back({Write, count(Write) + n, Action::Short, Error::Io, bytes});
    }
    /** Opens of `path` are refused (AccessDenied); with `readToo` false only those that would read.
     *  Kept across `clear()`. */
    void refuseOpens(std::string path, bool readToo) { m_refused[std::move(path)] = readToo; }
    void allowOpens(const std::string& path) { m_refused.erase(path); }
    /**
     * Traces every faultable call to `fd` as it happens, for a test that kills this process at a
     * random moment and wants to know where the kill fell: before each call a line of two letters,
     * the file's role (`roleOf`) and the kind of call (the first letter of its name, L for list),
     * and "." after it. POSIX only.
     */
    void setTrace(int fd) { m_trace = fd; }
    /**
     * The role of a file in a trace: j the journal, b a file of the offline buffer, d the store's
     * data file, p its job file, a its activity list, m its marker; of earlier versions B the
     * buffer c:\data, J its journal, s the spool; o anything else.
     */
    static char roleOf(std::string_view path);
    /**
     * Every call on a path that begins with `prefix` (a share that does not answer) waits `delay`
     * before it is made, or until `releaseDelays`.
     */
    void delayPaths(std::string prefix, std::chrono::milliseconds delay);
    void releaseDelays();
    /** Calls that waited for a delay so far (made or still waiting), and those whose delay ran out. */
    int delayedCalls() const;
    int delaysRunOut() const;
    /** Forgets every planned failure and restarts the counters. */
    void clear();

    /** Fault points passed since the last `clear()`. */
    int points() const { return m_points; }
    int count(FileOp op) const { return m_counts[static_cast<std::size_t>(op)]; }
    /** Faults injected, by kind of call. */
    const std::array<int, kFileOpCount>& injected() const { return m_injected; }
    /** The kind of call at each fault point passed (1-based), for reports. */
    const std::map<int, FileOp>& pointKinds() const { return m_pointKinds; }

    Error open(std::string_view path, platform::OpenMode mode, Handle& out) override;
    Error openGuarded(std::string_view path, std::string_view marker, platform::OpenMode mode, Handle& out) override;
    Error tryLock(Handle f, platform::LockKind kind) override
    {
        return call(Lock, pathOf(f), [&] { return m_real.tryLock(f, kind); });
    }
    void unlock(Handle f) override { m_real.unlock(f); }
    Error size(Handle f, std::uint64_t& out) override
    {
        return call(Size, pathOf(f), [&] { return m_real.size(f, out); });
    }
    Error readAt(Handle f, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) override
    {
        got = 0;
        return call(Read, pathOf(f), [&] { return m_real.readAt(f, offset, buffer, length, got); });
    }
    Error append(Handle f, const char* data, std::size_t length, std::size_t& written) override;
    Error truncate(Handle f, std::uint64_t n) override
    {
        return call(Truncate, pathOf(f), [&] { return m_real.truncate(f, n); });
    }
    Error flush(Handle f) override
    {
        return call(Flush, pathOf(f), [&] { return m_real.flush(f); });
    }
    Error identity(Handle f, std::string& out) override { return m_real.identity(f, out); }
    bool detached(Handle f, std::string_view path) override { return m_real.detached(f, path); }
    void close(Handle f) override;
    Error remove(std::string_view path) override
    {
        return call(Remove, path, [&] { return m_real.remove(path); });
    }
    Error replace(std::string_view from, std::string_view to) override
    {
        return call(Replace, to, [&] { return m_real.replace(from, to); });
    }
    Error listFolder(std::string_view folder, std::vector<std::string>& names) override
    {
        names.clear();
        return call(List, folder, [&] { return m_real.listFolder(folder, names); });
    }
    Error makeFolder(std::string_view folder) override { return m_real.makeFolder(folder); }
    Error flushFolder(std::string_view folder) override
    {
        return call(Flush, folder, [&] { return m_real.flushFolder(folder); });
    }
    bool sameFile(std::string_view a, std::string_view b) override { return m_real.sameFile(a, b); }
    void pause(std::chrono::milliseconds duration) override
    {
        if (m_waits == Waits::Real)
            m_real.pause(duration);
    }

private:
    enum class Action
    {
        Fail,
        Short,
        KillBefore,
        KillAfter,
        ShortThenKill
    };
    /** A planned fault: at the `at`th call of `op` (every call when 0), or at fault point `at`. */
    struct Fault
    {
        std::optional<FileOp> op;
        int at;
        Action action;
        Error error;
        std::size_t bytes = SIZE_MAX; ///< what a short write writes; SIZE_MAX: half
        std::string ending{}; ///< only calls on paths that end so count, from the moment it was planned
        int seen = 0;
    };
    class Memory;
    using enum FileOp;
    /**
     * Counts a call of `op` on the file (a path or a handle), traces it and kills before it where
     * planned; true when a planned fault fails it, with `m_error`.
     */
    bool fails(FileOp op, std::string_view path);
    Error openWith(std::string_view path, platform::OpenMode mode, Handle& out, const std::function<Error()>& real);
    /** One faultable call of `op` on `path`: delayed where planned, then failed or made. */
    Error call(FileOp op, std::string_view path, const std::function<Error()>& real);
    std::string pathOf(Handle file);
    void delay(std::string_view path);
    /** Traces the end of a call that was made, kills after it where planned, and gives its `result`. */
    Error done(Error result);

    std::unique_ptr<Memory> m_memory;
    platform::FileOps& m_real;
    Waits m_waits = Waits::None;
    std::array<int, kFileOpCount> m_counts{};
    std::array<int, kFileOpCount> m_injected{};
    std::vector<Fault> m_faults;
    std::optional<Fault> m_now; ///< the fault of the call being made
    Error m_error = Error::None; ///< what a failed call gives
    std::map<int, FileOp> m_pointKinds;
    int m_points = 0;
    std::map<std::string, bool, std::less<>> m_refused;
    int m_trace = -1;
    std::map<std::intptr_t, std::string> m_paths; ///< the path of each open file, for the trace
    mutable std::recursive_mutex m_mutex; ///< everything above, for calls from several threads
    mutable std::mutex m_delayMutex;
    std::condition_variable m_delayReleased;
    std::string m_delayPrefix;
    std::chrono::milliseconds m_delay{0};
    bool m_delaysReleased = false;
    int m_delayedCalls = 0;
    int m_delaysRunOut = 0;
};

} // namespace shiftloom::test
