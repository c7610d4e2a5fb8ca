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

// Files held in memory, read only, for the fuzzers: what the readers of the store's files need.
class FaultFileOps::Memory final : public platform::FileOps
{
public:
    std::map<std::string, std::string, std::less<>> files;

    FileError open(std::string_view path, platform::OpenMode, FileHandle& out) override
    {
        const auto it = files.find(path);
        if (it == files.end())
            return FileError::NotFound;
        out.value = static_cast<std::intptr_t>(m_open.size());
        m_open.push_back(&it->second);
        return FileError::None;
    }
    FileError size(FileHandle file, std::uint64_t& out) override
    {
        out = m_open.at(static_cast<std::size_t>(file.value))->size();
        return FileError::None;
    }
    FileError readAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) override
    {
        const std::string& bytes = *m_open.at(static_cast<std::size_t>(file.value));
        got = offset < bytes.size() ? bytes.copy(buffer, length, static_cast<std::size_t>(offset)) : 0;
        return FileError::None;
    }
    FileError tryLock(FileHandle, platform::LockKind) override { return FileError::None; }
    void unlock(FileHandle) override { }
    FileError append(FileHandle, const char*, std::size_t, std::size_t&) override { return FileError::AccessDenied; }
    FileError truncate(FileHandle, std::uint64_t) override { return FileError::AccessDenied; }
    FileError flush(FileHandle) override { return FileError::None; }
    bool detached(FileHandle, std::string_view) override { return false; }
    void close(FileHandle) override { }
    FileError remove(std::string_view) override { return FileError::AccessDenied; }
    FileError replace(std::string_view, std::string_view) override { return FileError::AccessDenied; }
    bool sameFile(std::string_view a, std::string_view b) override { return a == b; }
    void pause(std::chrono::milliseconds) override { }

private:
    std::vector<const std::string*> m_open; ///< by handle; a file's bytes stay put while it is open
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

FaultFileOps::Planned FaultFileOps::enter(FileOp op)
{
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
    return call(FileOp::Open, [&] {
        if (const auto refused = m_refused.find(path); refused != m_refused.end()
            && (refused->second || mode == platform::OpenMode::Read || mode == platform::OpenMode::ReadWrite
                || mode == platform::OpenMode::ReadCreate))
            return FileError::AccessDenied;
        return m_real.open(path, mode, out);
    });
}

FileError FaultFileOps::tryLock(FileHandle file, platform::LockKind kind)
{
    return call(FileOp::Lock, [&] { return m_real.tryLock(file, kind); });
}

void FaultFileOps::unlock(FileHandle file)
{
    m_real.unlock(file);
}

FileError FaultFileOps::size(FileHandle file, std::uint64_t& out)
{
    return call(FileOp::Size, [&] { return m_real.size(file, out); });
}

FileError FaultFileOps::readAt(
    FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got)
{
    got = 0;
    return call(FileOp::Read, [&] { return m_real.readAt(file, offset, buffer, length, got); });
}

FileError FaultFileOps::append(FileHandle file, const char* data, std::size_t length, std::size_t& written)
{
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
    return result;
}

FileError FaultFileOps::truncate(FileHandle file, std::uint64_t length)
{
    return call(FileOp::Truncate, [&] { return m_real.truncate(file, length); });
}

FileError FaultFileOps::flush(FileHandle file)
{
    return call(FileOp::Flush, [&] { return m_real.flush(file); });
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
    return call(FileOp::Remove, [&] { return m_real.remove(path); });
}

FileError FaultFileOps::replace(std::string_view from, std::string_view to)
{
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
