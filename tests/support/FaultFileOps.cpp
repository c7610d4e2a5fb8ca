// SPDX-License-Identifier: MIT
#include "FaultFileOps.h"

#include "delivery/WaitingPlaces.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace shiftloom::test {

using Error = platform::FileError;
using Handle = platform::FileHandle;

namespace {

/** Writes `text` to the trace `fd`, if any (POSIX only). */
void trace([[maybe_unused]] int fd, [[maybe_unused]] std::string_view text)
{
#ifndef _WIN32
    if (fd >= 0) [[maybe_unused]]
        const auto n = ::write(fd, text.data(), text.size());
#endif
}

} // namespace

char FaultFileOps::roleOf(std::string_view path)
{
    static constexpr std::pair<std::string_view, char> exact[] = {{delivery::kJournal, 'j'},
        {delivery::kEarlierBuffer, 'B'},
        {delivery::kEarlierJournal, 'J'},
        {delivery::kEarlierSpool, 's'}};
    for (const auto& [name, role] : exact) {
        if (path == name)
            return role;
    }
    if (path.starts_with("<own>\\buffer"))
        return 'b';
    static constexpr std::pair<std::string_view, char> endings[] = {
        {"\\data", 'd'}, {"\\dep.dat", 'p'}, {"\\activities.txt", 'a'}, {"\\cardward.ini", 'm'}};
    for (const auto& [ending, role] : endings) {
        if (path.ends_with(ending))
            return role;
    }
    return 'o';
}

const char* fileOpName(FileOp op)
{
    static constexpr std::array<const char*, kFileOpCount> names = {
        "open", "lock", "size", "read", "write", "truncate", "flush", "remove", "replace", "list"};
    return names[static_cast<std::size_t>(op)];
}

// Files held in memory, for the fuzzers: paths compared as given, locks always free, the
// identity of a file its path. A handle is the index of its open in `m_open`.
class FaultFileOps::Memory final : public platform::FileOps
{
public:
    std::map<std::string, std::string, std::less<>> files;

    Error open(std::string_view path, platform::OpenMode mode, Handle& out) override
    {
        if (!files.contains(path) && (mode == platform::OpenMode::Read || mode == platform::OpenMode::ReadWrite))
            return Error::NotFound;
        if (files.contains(path) && mode == platform::OpenMode::CreateNew)
            return Error::Exists;
        files.try_emplace(std::string(path));
        out.value = static_cast<std::intptr_t>(m_open.size());
        m_open.emplace_back(path);
        return Error::None;
    }
    Error tryLock(Handle, platform::LockKind) override { return Error::None; }
    void unlock(Handle) override { }
    Error size(Handle file, std::uint64_t& out) override
    {
        return with(file, [&](std::string& bytes) { out = bytes.size(); });
    }
    Error readAt(Handle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got) override
    {
        return with(file, [&](std::string& bytes) {
            got = offset < bytes.size() ? bytes.copy(buffer, length, static_cast<std::size_t>(offset)) : 0;
        });
    }
    Error append(Handle file, const char* data, std::size_t length, std::size_t& written) override
    {
        return with(file, [&](std::string& bytes) {
            bytes.append(data, length);
            written = length;
        });
    }
    Error truncate(Handle file, std::uint64_t length) override
    {
        return with(file, [&](std::string& bytes) { bytes.resize(static_cast<std::size_t>(length)); });
    }
    Error flush(Handle) override { return Error::None; }
    Error identity(Handle file, std::string& out) override
    {
        out = pathOf(file);
        return Error::None;
    }
    bool detached(Handle file, std::string_view) override { return !files.contains(pathOf(file)); }
    void close(Handle) override { }
    Error remove(std::string_view path) override
    {
        return files.erase(std::string(path)) ? Error::None : Error::NotFound;
    }
    Error replace(std::string_view from, std::string_view to) override
    {
        auto file = files.extract(std::string(from));
        if (file.empty())
            return Error::NotFound;
        files.insert_or_assign(std::string(to), std::move(file.mapped()));
        return Error::None;
    }
    Error openGuarded(std::string_view path, std::string_view marker, platform::OpenMode mode, Handle& out) override
    {
        const std::string_view folder = path.substr(0, path.rfind('\\') + 1);
        return files.contains(std::string(folder) + std::string(marker)) ? open(path, mode, out) : Error::NotAStore;
    }
    Error listFolder(std::string_view folder, std::vector<std::string>& names) override
    {
        const std::string prefix = std::string(folder) + "\\";
        for (auto it = files.lower_bound(prefix); it != files.end() && it->first.starts_with(prefix); ++it) {
            if (it->first.find('\\', prefix.size()) == std::string::npos)
                names.push_back(it->first.substr(prefix.size()));
        }
        return Error::None;
    }
    Error makeFolder(std::string_view) override { return Error::None; }
    Error flushFolder(std::string_view) override { return Error::None; }
    bool sameFile(std::string_view a, std::string_view b) override { return a == b; }
    void pause(std::chrono::milliseconds) override { }

private:
    const std::string& pathOf(Handle file) const { return m_open.at(static_cast<std::size_t>(file.value)); }
    template<class Use> Error with(Handle file, Use&& use)
    {
        const auto it = files.find(pathOf(file));
        if (it == files.end())
            return Error::Io;
        use(it->second);
        return Error::None;
    }

    std::vector<std::string> m_open;
};

FaultFileOps::FaultFileOps()
    : m_memory(std::make_unique<Memory>())
    , m_real(*m_memory)
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

bool FaultFileOps::setPlan(std::string_view plan)
{
    const std::lock_guard lock(m_mutex);
    static constexpr std::pair<std::string_view, std::pair<Action, Error>> words[] = {{"io", {Action::Fail, Error::Io}},
        {"nospace", {Action::Fail, Error::NoSpace}},
        {"denied", {Action::Fail, Error::AccessDenied}},
        {"busy", {Action::Fail, Error::Busy}},
        {"notfound", {Action::Fail, Error::NotFound}},
        {"short", {Action::Short, Error::Io}},
        {"kill", {Action::KillBefore, Error::Io}},
        {"killafter", {Action::KillAfter, Error::Io}},
        {"shortkill", {Action::ShortThenKill, Error::Io}}};
    std::vector<Fault> parsed;
    while (!plan.empty()) {
        const std::string_view item = plan.substr(0, plan.find(','));
        plan.remove_prefix(std::min(plan.size(), item.size() + 1));
        const std::string_view number = item.substr(0, item.find(':'));
        const std::string_view word = number.size() < item.size() ? item.substr(number.size() + 1) : "io";
        const auto found =
            std::find_if(std::begin(words), std::end(words), [&](const auto& entry) { return entry.first == word; });
        int point = 0;
        const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), point);
        if (ec != std::errc{} || end != number.data() + number.size() || point < 1 || found == std::end(words))
            return false;
        parsed.push_back({std::nullopt, m_points + point, found->second.first, found->second.second});
    }
    m_faults.insert(m_faults.end(), parsed.begin(), parsed.end());
    return true;
}

void FaultFileOps::delayPaths(std::string prefix, std::chrono::milliseconds delay)
{
    const std::lock_guard lock(m_delayMutex);
    m_delayPrefix = std::move(prefix);
    m_delay = delay;
    m_delaysReleased = false;
}

void FaultFileOps::releaseDelays()
{
    {
        const std::lock_guard lock(m_delayMutex);
        m_delaysReleased = true;
        m_delayPrefix.clear();
    }
    m_delayReleased.notify_all();
}

int FaultFileOps::delayedCalls() const
{
    const std::lock_guard lock(m_delayMutex);
    return m_delayedCalls;
}

void FaultFileOps::delay(std::string_view path)
{
    std::unique_lock lock(m_delayMutex);
    if (m_delayPrefix.empty() || !path.starts_with(m_delayPrefix))
        return;
    ++m_delayedCalls;
    if (!m_delayReleased.wait_for(lock, m_delay, [this] { return m_delaysReleased; }))
        ++m_delaysRunOut;
}

int FaultFileOps::delaysRunOut() const
{
    const std::lock_guard lock(m_delayMutex);
    return m_delaysRunOut;
}

std::string FaultFileOps::pathOf(Handle file)
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_paths.find(file.value);
    return found == m_paths.end() ? std::string() : found->second;
}

Error FaultFileOps::call(FileOp op, std::string_view path, const std::function<Error()>& real)
{
    delay(path);
    const std::lock_guard lock(m_mutex);
    return fails(op, path) ? m_error : done(real());
}

void FaultFileOps::close(Handle f)
{
    {
        const std::lock_guard lock(m_mutex);
        m_paths.erase(f.value);
    }
    m_real.close(f);
}

void FaultFileOps::clear()
{
    const std::lock_guard lock(m_mutex);
    m_counts.fill(0);
    m_faults.clear();
    m_pointKinds.clear();
    m_points = 0;
}

bool FaultFileOps::fails(FileOp op, std::string_view path)
{
    const char line[3] = {roleOf(path), "olsrwtfdpL"[static_cast<std::size_t>(op)], '\n'};
    trace(m_trace, {line, sizeof line});
    const auto index = static_cast<std::size_t>(op);
    const int n = ++m_counts[index];
    m_pointKinds[++m_points] = op;
    m_now.reset(); // the last fault planned for this call
    for (Fault& planned : m_faults) {
        if (!planned.ending.empty()) {
            if (planned.op == op && path.ends_with(planned.ending) && (planned.at == 0 || ++planned.seen == planned.at))
                m_now = planned;
        } else if (planned.op ? *planned.op == op && (planned.at == 0 || planned.at == n) : planned.at == m_points) {
            m_now = planned;
        }
    }
    const Action action = m_now ? m_now->action : Action::Fail;
    if (action == Action::KillBefore || (action == Action::ShortThenKill && op != Write))
        std::_Exit(137); // as a kill -9 would: no destructor, no flush, no unlock but the system's
    if (!m_now || (action != Action::Fail && action != Action::Short))
        return false;
    ++m_injected[index];
    m_error = action == Action::Fail ? m_now->error : Error::Io;
    return action == Action::Fail || op != Write;
}

Error FaultFileOps::done(Error result)
{
    if (m_now && (m_now->action == Action::KillAfter || m_now->action == Action::ShortThenKill))
        std::_Exit(137);
    trace(m_trace, ".\n");
    return result;
}

Error FaultFileOps::open(std::string_view path, platform::OpenMode mode, Handle& out)
{
    return openWith(path, mode, out, [&] { return m_real.open(path, mode, out); });
}

Error FaultFileOps::openGuarded(std::string_view path, std::string_view marker, platform::OpenMode mode, Handle& out)
{
    return openWith(path, mode, out, [&] { return m_real.openGuarded(path, marker, mode, out); });
}

Error FaultFileOps::openWith(
    std::string_view path, platform::OpenMode mode, Handle& out, const std::function<Error()>& real)
{
    out = Handle{};
    if (fails(Open, path))
        return m_error;
    const auto refused = m_refused.find(path);
    if (refused != m_refused.end() && (refused->second || mode != platform::OpenMode::AppendOnly))
        return done(Error::AccessDenied);
    const Error error = done(real());
    if (out.valid())
        m_paths[out.value] = path;
    return error;
}

Error FaultFileOps::append(Handle f, const char* data, std::size_t length, std::size_t& written)
{
    written = 0;
    const std::string path = pathOf(f);
    delay(path);
    const std::lock_guard lock(m_mutex);
    if (fails(Write, path))
        return m_error;
    std::size_t limit = length;
    if (m_now && (m_now->action == Action::Short || m_now->action == Action::ShortThenKill))
        limit = std::min(length, m_now->bytes == SIZE_MAX ? length / 2 : m_now->bytes);
    return done(limit == 0 && length > 0 ? Error::NoSpace : m_real.append(f, data, limit, written));
}

} // namespace shiftloom::test
