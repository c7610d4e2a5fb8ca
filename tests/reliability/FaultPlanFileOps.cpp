// SPDX-License-Identifier: MIT
#include "FaultPlanFileOps.h"

#include <charconv>
#include <csignal>
#include <unistd.h>

namespace shiftloom::test {

using platform::FileError;

namespace {

[[noreturn]] void dieNow()
{
    // As a power cut or a kill -9 would: no destructor, no flush, no unlock but the kernel's.
    ::kill(::getpid(), SIGKILL);
    ::_exit(137);
}

} // namespace

const char* FaultPlanFileOps::opName(int op)
{
    static constexpr std::array<const char*, OpCount> names = {
        "open", "lock", "size", "read", "write", "truncate", "flush", "remove", "replace"};
    return op >= 0 && op < OpCount ? names[static_cast<std::size_t>(op)] : "?";
}

bool parseFaultError(std::string_view word, FileError& error)
{
    if (word == "io")
        error = FileError::Io;
    else if (word == "nospace")
        error = FileError::NoSpace;
    else if (word == "denied")
        error = FileError::AccessDenied;
    else if (word == "busy")
        error = FileError::Busy;
    else if (word == "notfound")
        error = FileError::NotFound;
    else
        return false;
    return true;
}

FaultPlanFileOps::FaultPlanFileOps(platform::FileOps& real)
    : m_real(real)
{
}

bool FaultPlanFileOps::setPlan(std::string_view plan)
{
    m_plan.clear();
    while (!plan.empty()) {
        const std::size_t comma = plan.find(',');
        const std::string_view item = plan.substr(0, comma);
        plan = comma == std::string_view::npos ? std::string_view{} : plan.substr(comma + 1);
        const std::size_t colon = item.find(':');
        const std::string_view number = item.substr(0, colon);
        const std::string_view word = colon == std::string_view::npos ? "io" : item.substr(colon + 1);
        int point = 0;
        const auto parsed = std::from_chars(number.data(), number.data() + number.size(), point);
        if (parsed.ec != std::errc{} || parsed.ptr != number.data() + number.size() || point < 1) {
            m_plan.clear();
            return false;
        }
        FileError error = FileError::Io;
        if (word == "short")
            planPoint(point, FaultAction::Short);
        else if (word == "kill")
            planPoint(point, FaultAction::KillBefore);
        else if (word == "killafter")
            planPoint(point, FaultAction::KillAfter);
        else if (word == "shortkill")
            planPoint(point, FaultAction::ShortThenKill);
        else if (parseFaultError(word, error))
            planPoint(point, FaultAction::Fail, error);
        else {
            m_plan.clear();
            return false;
        }
    }
    return true;
}

void FaultPlanFileOps::planPoint(int point, FaultAction action, FileError error)
{
    m_plan[point] = Planned{action, error};
}

char FaultPlanFileOps::roleOf(std::string_view path)
{
    if (path.ends_with("data.journal"))
        return 'j';
    if (path == "c:\\data" || path.ends_with("drive_c/data"))
        return 'b';
    if (path.ends_with("spool"))
        return 's';
    return 'd';
}

void FaultPlanFileOps::traceAfter() const
{
    if (m_trace >= 0) [[maybe_unused]]
        const auto n = ::write(m_trace, ".\n", 2);
}

const FaultPlanFileOps::Planned* FaultPlanFileOps::enter(Op op)
{
    if (m_trace >= 0) {
        static constexpr std::string_view kLetters = "olsrwtfdp";
        const char line[3] = {m_role, kLetters[static_cast<std::size_t>(op)], '\n'};
        [[maybe_unused]] const auto n = ::write(m_trace, line, sizeof line);
    }
    ++m_points;
    m_pointKinds[m_points] = op;
    const auto it = m_plan.find(m_points);
    if (it == m_plan.end())
        return nullptr;
    if (it->second.action == FaultAction::KillBefore
        || (it->second.action == FaultAction::ShortThenKill && op != Write))
        dieNow();
    if (it->second.action == FaultAction::Fail || it->second.action == FaultAction::Short)
        ++m_injected[static_cast<std::size_t>(op)];
    return &it->second;
}

void FaultPlanFileOps::leave(const Planned* planned)
{
    if (planned && (planned->action == FaultAction::KillAfter || planned->action == FaultAction::ShortThenKill))
        dieNow();
}

FileError FaultPlanFileOps::open(std::string_view path, platform::OpenMode mode, platform::FileHandle& out)
{
    out = platform::FileHandle{};
    m_role = roleOf(path);
    const FileError error = call(Open, [&] { return m_real.open(path, mode, out); });
    if (out.valid())
        m_roles[out.value] = m_role;
    return error;
}

FileError FaultPlanFileOps::tryLock(platform::FileHandle file, platform::LockKind kind)
{
    m_role = m_roles[file.value];
    return call(Lock, [&] { return m_real.tryLock(file, kind); });
}

void FaultPlanFileOps::unlock(platform::FileHandle file)
{
    m_real.unlock(file);
}

FileError FaultPlanFileOps::size(platform::FileHandle file, std::uint64_t& out)
{
    m_role = m_roles[file.value];
    return call(Size, [&] { return m_real.size(file, out); });
}

FileError FaultPlanFileOps::readAt(
    platform::FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got)
{
    got = 0;
    m_role = m_roles[file.value];
    return call(Read, [&] { return m_real.readAt(file, offset, buffer, length, got); });
}

FileError FaultPlanFileOps::append(
    platform::FileHandle file, const char* data, std::size_t length, std::size_t& written)
{
    written = 0;
    m_role = m_roles[file.value];
    const Planned* planned = enter(Write);
    if (planned && planned->action == FaultAction::Fail)
        return planned->error;
    std::size_t limit = length;
    if (planned && (planned->action == FaultAction::Short || planned->action == FaultAction::ShortThenKill))
        limit = length / 2;
    const FileError result = limit == 0 && length > 0 ? FileError::NoSpace : m_real.append(file, data, limit, written);
    leave(planned);
    traceAfter();
    return result;
}

FileError FaultPlanFileOps::truncate(platform::FileHandle file, std::uint64_t length)
{
    m_role = m_roles[file.value];
    return call(Truncate, [&] { return m_real.truncate(file, length); });
}

FileError FaultPlanFileOps::flush(platform::FileHandle file)
{
    m_role = m_roles[file.value];
    return call(Flush, [&] { return m_real.flush(file); });
}

platform::FileError FaultPlanFileOps::identity(platform::FileHandle file, std::string& out)
{
    return m_real.identity(file, out);
}

bool FaultPlanFileOps::detached(platform::FileHandle file, std::string_view path)
{
    return m_real.detached(file, path);
}

void FaultPlanFileOps::close(platform::FileHandle file)
{
    m_real.close(file);
}

FileError FaultPlanFileOps::remove(std::string_view path)
{
    m_role = roleOf(path);
    return call(Remove, [&] { return m_real.remove(path); });
}

FileError FaultPlanFileOps::replace(std::string_view from, std::string_view to)
{
    m_role = roleOf(to);
    return call(Replace, [&] { return m_real.replace(from, to); });
}

bool FaultPlanFileOps::sameFile(std::string_view a, std::string_view b)
{
    return m_real.sameFile(a, b);
}

void FaultPlanFileOps::pause(std::chrono::milliseconds duration)
{
    m_real.pause(duration);
}

} // namespace shiftloom::test
