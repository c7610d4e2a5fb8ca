// SPDX-License-Identifier: MIT
#include "FaultyFileOps.h"

#include <algorithm>

namespace shiftloom::test {

using platform::FileError;

const char* fileOpName(FileOp op)
{
    static constexpr std::array<const char*, kFileOpCount> names = {
        "open", "lock", "size", "read", "write", "truncate", "flush", "remove", "replace"};
    return names[static_cast<std::size_t>(op)];
}

FaultyFileOps::FaultyFileOps(platform::FileOps& real)
    : m_real(real)
{
}

void FaultyFileOps::failNth(FileOp op, int n, FileError error)
{
    m_plans.push_back({op, count(op) + n, error});
}

void FaultyFileOps::failAtPoint(int point, FileError error)
{
    m_failPoint = m_points + point;
    m_failPointError = error;
}

void FaultyFileOps::failAll(FileOp op, FileError error)
{
    m_always[static_cast<std::size_t>(op)] = error;
}

void FaultyFileOps::shortWriteNth(int n, std::size_t bytes)
{
    m_shortWrites.emplace_back(count(FileOp::Write) + n, bytes);
}

void FaultyFileOps::clear()
{
    m_counts.fill(0);
    m_always.fill(std::nullopt);
    m_plans.clear();
    m_shortWrites.clear();
    m_points = 0;
    m_failPoint = 0;
    m_lastFault.reset();
}

FileError FaultyFileOps::next(FileOp op)
{
    const auto index = static_cast<std::size_t>(op);
    const int n = ++m_counts[index];
    ++m_points;
    m_shortAtPoint = false;
    FileError error = FileError::None;
    if (m_always[index])
        error = *m_always[index];
    for (const Plan& plan : m_plans) {
        if (plan.op == op && plan.atCount == n)
            error = plan.error;
    }
    if (m_failPoint != 0 && m_points == m_failPoint) {
        if (op == FileOp::Write)
            m_shortAtPoint = true;
        else
            error = m_failPointError;
    }
    if (error != FileError::None)
        m_lastFault = op;
    return error;
}

FileError FaultyFileOps::open(std::string_view path, platform::OpenMode mode, platform::FileHandle& out)
{
    out = platform::FileHandle{};
    if (const FileError error = next(FileOp::Open); error != FileError::None)
        return error;
    if (const auto refused = m_refused.find(path);
        refused != m_refused.end() && (refused->second || mode != platform::OpenMode::AppendOnly))
        return FileError::AccessDenied;
    return m_real.open(path, mode, out);
}

FileError FaultyFileOps::tryLock(platform::FileHandle file, platform::LockKind kind)
{
    if (const FileError error = next(FileOp::Lock); error != FileError::None)
        return error;
    return m_real.tryLock(file, kind);
}

void FaultyFileOps::unlock(platform::FileHandle file)
{
    m_real.unlock(file);
}

FileError FaultyFileOps::size(platform::FileHandle file, std::uint64_t& out)
{
    if (const FileError error = next(FileOp::Size); error != FileError::None)
        return error;
    return m_real.size(file, out);
}

FileError FaultyFileOps::readAt(
    platform::FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got)
{
    got = 0;
    if (const FileError error = next(FileOp::Read); error != FileError::None)
        return error;
    return m_real.readAt(file, offset, buffer, length, got);
}

FileError FaultyFileOps::append(platform::FileHandle file, const char* data, std::size_t length, std::size_t& written)
{
    written = 0;
    const FileError error = next(FileOp::Write);
    if (error != FileError::None)
        return error;
    std::size_t limit = length;
    if (m_shortAtPoint) {
        limit = length / 2;
        m_lastFault = FileOp::Write;
    }
    const int n = count(FileOp::Write);
    for (const auto& [at, bytes] : m_shortWrites) {
        if (at == n) {
            limit = std::min(limit, bytes);
            m_lastFault = FileOp::Write;
        }
    }
    if (limit == 0 && length > 0)
        return FileError::NoSpace;
    return m_real.append(file, data, limit, written);
}

FileError FaultyFileOps::truncate(platform::FileHandle file, std::uint64_t length)
{
    if (const FileError error = next(FileOp::Truncate); error != FileError::None)
        return error;
    return m_real.truncate(file, length);
}

FileError FaultyFileOps::flush(platform::FileHandle file)
{
    if (const FileError error = next(FileOp::Flush); error != FileError::None)
        return error;
    return m_real.flush(file);
}

platform::FileError FaultyFileOps::identity(platform::FileHandle file, std::string& out)
{
    return m_real.identity(file, out);
}

bool FaultyFileOps::detached(platform::FileHandle file, std::string_view path)
{
    return m_real.detached(file, path);
}

void FaultyFileOps::close(platform::FileHandle file)
{
    m_real.close(file);
}

FileError FaultyFileOps::remove(std::string_view path)
{
    if (const FileError error = next(FileOp::Remove); error != FileError::None)
        return error;
    return m_real.remove(path);
}

FileError FaultyFileOps::replace(std::string_view from, std::string_view to)
{
    if (const FileError error = next(FileOp::Replace); error != FileError::None)
        return error;
    return m_real.replace(from, to);
}

bool FaultyFileOps::sameFile(std::string_view a, std::string_view b)
{
    return m_real.sameFile(a, b);
}

void FaultyFileOps::pause(std::chrono::milliseconds) { }

} // namespace shiftloom::test
