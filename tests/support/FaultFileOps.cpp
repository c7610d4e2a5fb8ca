// SPDX-License-Identifier: MIT
#include "FaultFileOps.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#ifndef _WIN32
#include <csignal>
#include <unistd.h>
#endif

namespace shiftloom::test {

using platform::FileError;
using platform::FileHandle;

namespace {

[[noreturn]] void dieNow()
{
    // As a power cut or a kill -9 would: no destructor, no flush, no unlock but the system's.
#ifndef _WIN32
    ::kill(::getpid(), SIGKILL);
#endif
    std::_Exit(137);
}

} // namespace

const char* fileOpName(FileOp op)
{
    static constexpr std::array<const char*, kFileOpCount> names = {
        "open", "lock", "size", "read", "write", "truncate", "flush", "remove", "replace"};
    return names[static_cast<std::size_t>(op)];
}

bool parseFaultError(std::string_view word, FileError& error)
{
    static constexpr std::pair<std::string_view, FileError> words[] = {{"io", FileError::Io},
        {"nospace", FileError::NoSpace},
        {"denied", FileError::AccessDenied},
        {"busy", FileError::Busy},
        {"notfound", FileError::NotFound}};
    for (const auto& [name, value] : words) {
        if (word == name) {
            error = value;
            return true;
        }
    }
    return false;
}

// Files held in memory, for the fuzzers: paths compared as given, locks always free, the
// identity of a file its path.
class FaultFileOps::Memory final : public platform::FileOps
{
public:
    std::map<std::string, std::string, std::less<>> files;

    FileError open(std::string_view path, platform::OpenMode mode, FileHandle& out) override
    {
        auto it = files.find(path);
        if (it == files.end()) {
            if (mode == platform::OpenMode::Read || mode == platform::OpenMode::ReadWrite)
                return FileError::NotFound;
            it = files.emplace(std::string(path), std::string()).first;
        }
        out.value = m_next++;
        m_handles[out.value] = it->first;
        return FileError::None;
    }
    FileError tryLock(FileHandle, platform::LockKind) override { return FileError::None; }
    void unlock(FileHandle) override { }
    FileError size(FileHandle file, std::uint64_t& out) override
    {
        const std::string* bytes = of(file);
        out = bytes ? bytes->size() : 0;
        return bytes ? FileError::None : FileError::Io;
    }
    FileError readAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) override
    {
        const std::string* bytes = of(file);
        if (!bytes)
            return FileError::Io;
        got = offset < bytes->size() ? bytes->copy(buffer, length, static_cast<std::size_t>(offset)) : 0;
        return FileError::None;
    }
    FileError append(FileHandle file, const char* data, std::size_t length, std::size_t& written) override
    {
        std::string* bytes = of(file);
        if (!bytes)
            return FileError::Io;
        bytes->append(data, length);
        written = length;
        return FileError::None;
    }
    FileError truncate(FileHandle file, std::uint64_t length) override
    {
        std::string* bytes = of(file);
        if (!bytes)
            return FileError::Io;
        bytes->resize(static_cast<std::size_t>(length));
        return FileError::None;
    }
    FileError flush(FileHandle) override { return FileError::None; }
    FileError identity(FileHandle file, std::string& out) override
    {
        const auto handle = m_handles.find(file.value);
        out = handle == m_handles.end() ? std::string() : handle->second;
        return handle == m_handles.end() ? FileError::Other : FileError::None;
    }
    bool detached(FileHandle file, std::string_view) override { return of(file) == nullptr; }
    void close(FileHandle file) override { m_handles.erase(file.value); }
    FileError remove(std::string_view path) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return FileError::NotFound;
        files.erase(it);
        return FileError::None;
    }
    FileError replace(std::string_view from, std::string_view to) override
    {
        const auto it = files.find(from);
        if (it == files.end())
            return FileError::NotFound;
        std::string bytes = std::move(it->second);
        files.erase(it);
        files[std::string(to)] = std::move(bytes);
        return FileError::None;
    }
    bool sameFile(std::string_view a, std::string_view b) override { return a == b; }
    void pause(std::chrono::milliseconds) override { }

private:
    std::string* of(FileHandle file)
    {
        const auto handle = m_handles.find(file.value);
        const auto it = handle == m_handles.end() ? files.end() : files.find(handle->second);
        return it == files.end() ? nullptr : &it->second;
    }

    std::map<std::intptr_t, std::string> m_handles;
    std::intptr_t m_next = 3;
};

FaultFileOps::FaultFileOps()
    : m_memory(std::make_unique<Memory>())
    , m_real(*m_memory)
    , m_waits(Waits::None)
{
}

FaultFileOps::FaultFileOps(platform::FileOps& real, Waits waits)
    : m_real(real)
    , m_waits(waits)
{
}

FaultFileOps::~FaultFileOps() = default;

void FaultFileOps::put(std::string path, std::string_view bytes)
{
    if (m_memory)
        m_memory->files[std::move(path)] = std::string(bytes);
}

void FaultFileOps::failNth(FileOp op, int n, FileError error)
{
    m_nth.push_back({{op, count(op) + n}, error});
}

void FaultFileOps::failAll(FileOp op, FileError error)
{
    m_always[static_cast<std::size_t>(op)] = error;
}

void FaultFileOps::planPoint(int point, FaultAction action, FileError error)
{
    m_plan[m_points + point] = Planned{action, error, false};
}

void FaultFileOps::failAtPoint(int point, FileError error)
{
    m_plan[m_points + point] = Planned{FaultAction::Fail, error, true};
}

bool FaultFileOps::setPlan(std::string_view plan)
{
    std::map<int, Planned> parsed;
    while (!plan.empty()) {
        const std::size_t comma = plan.find(',');
        const std::string_view item = plan.substr(0, comma);
        plan = comma == std::string_view::npos ? std::string_view{} : plan.substr(comma + 1);
        const std::size_t colon = item.find(':');
        const std::string_view number = item.substr(0, colon);
        const std::string_view word = colon == std::string_view::npos ? "io" : item.substr(colon + 1);
        int point = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), point);
        if (ec != std::errc{} || end != number.data() + number.size() || point < 1)
            return false;
        static constexpr std::pair<std::string_view, FaultAction> actions[] = {{"short", FaultAction::Short},
            {"kill", FaultAction::KillBefore},
            {"killafter", FaultAction::KillAfter},
            {"shortkill", FaultAction::ShortThenKill}};
        Planned planned{FaultAction::Fail, FileError::Io, false};
        const auto action = std::find_if(
            std::begin(actions), std::end(actions), [&](const auto& entry) { return entry.first == word; });
        if (action != std::end(actions))
            planned.action = action->second;
        else if (!parseFaultError(word, planned.error))
            return false;
        parsed[m_points + point] = planned;
    }
    m_plan.merge(parsed);
    return true;
}

void FaultFileOps::shortWriteNth(int n, std::size_t bytes)
{
    m_shortWrites.emplace_back(count(FileOp::Write) + n, bytes);
}

void FaultFileOps::clear()
{
    m_counts.fill(0);
    m_always.fill(std::nullopt);
    m_nth.clear();
    m_plan.clear();
    m_shortWrites.clear();
    m_pointKinds.clear();
    m_points = 0;
    m_lastFault.reset();
}

void FaultFileOps::about(std::string_view path)
{
    if (path.ends_with("data.journal"))
        m_role = 'j';
    else if (path == "c:\\data" || path.ends_with("drive_c/data"))
        m_role = 'b';
    else
        m_role = path.ends_with("spool") ? 's' : 'd';
}

void FaultFileOps::traceAfter() const
{
#ifndef _WIN32
    if (m_trace >= 0) [[maybe_unused]]
        const auto n = ::write(m_trace, ".\n", 2);
#endif
}

FaultFileOps::Planned FaultFileOps::enter(FileOp op)
{
#ifndef _WIN32
    if (m_trace >= 0) {
        static constexpr std::string_view kLetters = "olsrwtfdp";
        const char line[3] = {m_role, kLetters[static_cast<std::size_t>(op)], '\n'};
        [[maybe_unused]] const auto n = ::write(m_trace, line, sizeof line);
    }
#endif
    const auto index = static_cast<std::size_t>(op);
    const int n = ++m_counts[index];
    ++m_points;
    m_pointKinds[m_points] = op;
    Planned planned{FaultAction::Fail, FileError::None, false};
    if (m_always[index])
        planned.error = *m_always[index];
    for (const auto& [when, error] : m_nth) {
        if (when.first == op && when.second == n)
            planned.error = error;
    }
    if (const auto it = m_plan.find(m_points); it != m_plan.end()) {
        planned = it->second;
        if (planned.cutWrite && op == FileOp::Write)
            planned.action = FaultAction::Short;
    }
    const bool dies = planned.action == FaultAction::KillBefore || planned.action == FaultAction::KillAfter
        || planned.action == FaultAction::ShortThenKill;
    if (planned.action == FaultAction::KillBefore
        || (planned.action == FaultAction::ShortThenKill && op != FileOp::Write))
        dieNow();
    if (!dies && (planned.action == FaultAction::Short || planned.error != FileError::None)) {
        ++m_injected[index];
        m_lastFault = op;
    }
    return planned;
}

void FaultFileOps::leave(const Planned& planned)
{
    if (planned.action == FaultAction::KillAfter || planned.action == FaultAction::ShortThenKill)
        dieNow();
}

FileError FaultFileOps::open(std::string_view path, platform::OpenMode mode, FileHandle& out)
{
    out = FileHandle{};
    about(path);
    const FileError error = call(FileOp::Open, [&] {
        if (const auto refused = m_refused.find(path);
            refused != m_refused.end() && (refused->second || mode != platform::OpenMode::AppendOnly))
            return FileError::AccessDenied;
        return m_real.open(path, mode, out);
    });
    if (out.valid())
        m_roles[out.value] = m_role;
    return error;
}

FileError FaultFileOps::tryLock(FileHandle file, platform::LockKind kind)
{
    about(file);
    return call(FileOp::Lock, [&] { return m_real.tryLock(file, kind); });
}

void FaultFileOps::unlock(FileHandle file)
{
    m_real.unlock(file);
}

FileError FaultFileOps::size(FileHandle file, std::uint64_t& out)
{
    about(file);
    return call(FileOp::Size, [&] { return m_real.size(file, out); });
}

FileError FaultFileOps::readAt(
    FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got)
{
    about(file);
    got = 0;
    return call(FileOp::Read, [&] { return m_real.readAt(file, offset, buffer, length, got); });
}

FileError FaultFileOps::append(FileHandle file, const char* data, std::size_t length, std::size_t& written)
{
    about(file);
    written = 0;
    const Planned planned = enter(FileOp::Write);
    if (planned.action == FaultAction::Fail && planned.error != FileError::None)
        return planned.error;
    std::size_t limit = length;
    if (planned.action == FaultAction::Short || planned.action == FaultAction::ShortThenKill)
        limit = length / 2;
    for (const auto& [at, bytes] : m_shortWrites) {
        if (at == count(FileOp::Write)) {
            limit = std::min(limit, bytes);
            m_lastFault = FileOp::Write;
        }
    }
    const FileError result = limit == 0 && length > 0 ? FileError::NoSpace : m_real.append(file, data, limit, written);
    leave(planned);
    traceAfter();
    return result;
}

FileError FaultFileOps::truncate(FileHandle file, std::uint64_t length)
{
    about(file);
    return call(FileOp::Truncate, [&] { return m_real.truncate(file, length); });
}

FileError FaultFileOps::flush(FileHandle file)
{
    about(file);
    return call(FileOp::Flush, [&] { return m_real.flush(file); });
}

FileError FaultFileOps::identity(FileHandle file, std::string& out)
{
    return m_real.identity(file, out);
}

bool FaultFileOps::detached(FileHandle file, std::string_view path)
{
    return m_real.detached(file, path);
}

void FaultFileOps::close(FileHandle file)
{
    m_real.close(file);
}

FileError FaultFileOps::remove(std::string_view path)
{
    about(path);
    return call(FileOp::Remove, [&] { return m_real.remove(path); });
}

FileError FaultFileOps::replace(std::string_view from, std::string_view to)
{
    about(to);
    return call(FileOp::Replace, [&] { return m_real.replace(from, to); });
}

bool FaultFileOps::sameFile(std::string_view a, std::string_view b)
{
    return m_real.sameFile(a, b);
}

void FaultFileOps::pause(std::chrono::milliseconds duration)
{
    if (m_waits == Waits::Real)
        m_real.pause(duration);
}

} // namespace shiftloom::test
