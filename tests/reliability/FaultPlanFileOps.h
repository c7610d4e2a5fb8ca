// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileOps.h"

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace shiftloom::test {

/** What happens at one planned fault point. */
enum class FaultAction
{
    Fail, ///< the call fails with the planned error, doing nothing
    Short, ///< a write writes half its bytes and reports them; another call fails with Io
    KillBefore, ///< the process dies (SIGKILL) before the call is made
    KillAfter, ///< the call is made, then the process dies (SIGKILL) before it returns
    ShortThenKill, ///< a write writes half its bytes, then the process dies; another call dies before it is made
};

/**
 * File operations that pass every call through, except at the fault points a plan names. A fault
 * point is one call of open, lock, size, read, write, truncate, flush, remove or replace,
 * counted from 1 across all kinds. Unlike `FaultyFileOps`, any number of points can fail, a point
 * can kill the process, and waits for a lock really wait, so that driver processes can run
 * against other processes under a plan given as text:
 *
 *     plan   := item ("," item)*
 *     item   := point (":" action)?
 *     action := "io" | "nospace" | "denied" | "busy" | "notfound" | "short" | "kill" | "killafter"
 *             | "shortkill"
 *
 * The default action is "io". An empty plan injects nothing and only counts.
 */
class FaultPlanFileOps final : public platform::FileOps
{
public:
    enum Op
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
        OpCount
    };
    static const char* opName(int op);

    explicit FaultPlanFileOps(platform::FileOps& real);

    /** Parses `plan` (see above); false, and nothing planned, when it does not parse. */
    bool setPlan(std::string_view plan);
    void planPoint(int point, FaultAction action, platform::FileError error = platform::FileError::Io);

    /**
     * Traces every faultable call to `fd` as it happens, for a test that kills this process at a
     * random moment and wants to know where the kill fell: before each call a line of two letters,
     * the file's role (j the journal c:\data.journal, b the buffer c:\data, s the spool, d the
     * store's data file) and the kind of call (see DriverReport.h), and "." after it.
     */
    void setTrace(int fd) { m_trace = fd; }

    /** Fault points passed so far. */
    int points() const { return m_points; }
    /** Faults injected so far, by kind of call. */
    const std::array<int, OpCount>& injected() const { return m_injected; }
    /** The kind of call at each fault point passed so far (1-based), for reports. */
    const std::map<int, int>& pointKinds() const { return m_pointKinds; }

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
    };
    /** Counts a call; the plan for it, if any. KillBefore does not return. */
    const Planned* enter(Op op);
    /** After the real call: KillAfter does not return. */
    static void leave(const Planned* planned);
    /** One faultable call: the plan's failure, or the real call. */
    template<class Call> platform::FileError call(Op op, Call&& real)
    {
        const Planned* planned = enter(op);
        if (planned && planned->action == FaultAction::Fail)
            return planned->error;
        if (planned && planned->action == FaultAction::Short)
            return platform::FileError::Io;
        const platform::FileError result = real();
        leave(planned);
        traceAfter();
        return result;
    }

    static char roleOf(std::string_view path);
    void traceAfter() const;

    platform::FileOps& m_real;
    int m_trace = -1;
    char m_role = 'd'; ///< the role of the file of the call being made
    std::map<std::intptr_t, char> m_roles; ///< of each open handle
    std::map<int, Planned> m_plan;
    std::map<int, int> m_pointKinds;
    std::array<int, OpCount> m_injected{};
    int m_points = 0;
};

/** Parses an error word of a plan ("io", "nospace", …); false when it is none. */
bool parseFaultError(std::string_view word, platform::FileError& error);

} // namespace shiftloom::test
