// SPDX-License-Identifier: MIT
#include "FileIo.h"

#include <algorithm>

namespace shiftloom::platform {

std::string_view describe(FileError error)
{
    switch (error) {
    case FileError::None:
        return "no error";
    case FileError::NotFound:
        return "not found";
    case FileError::AccessDenied:
        return "access denied";
    case FileError::IsDirectory:
        return "is a folder";
    case FileError::Busy:
        return "locked by another process";
    case FileError::NoSpace:
        return "no space left";
    case FileError::Io:
        return "input/output error";
    case FileError::Exists:
        return "exists already";
    case FileError::NotAStore:
        return "not a data store (no cardward.ini)";
    case FileError::LockRefused:
        return "may be appended to but not locked";
    case FileError::Other:
        break;
    }
    return "failed";
}

FileError OpenFile::open(std::string_view path, OpenMode mode)
{
    close();
    return m_ops.open(path, mode, m_handle);
}

FileError OpenFile::openGuarded(std::string_view path, std::string_view marker, OpenMode mode)
{
    close();
    return marker.empty() ? m_ops.open(path, mode, m_handle) : m_ops.openGuarded(path, marker, mode, m_handle);
}

FileError OpenFile::tryLock(LockKind kind)
{
    const FileError error = m_ops.tryLock(m_handle, kind);
    m_locked = error == FileError::None;
    return error;
}

FileError OpenFile::lock(LockKind kind, std::chrono::milliseconds budget, std::chrono::milliseconds interval)
{
    std::chrono::milliseconds waited{0};
    for (;;) {
        const FileError error = tryLock(kind);
        if (error != FileError::Busy || waited >= budget)
            return error;
        m_ops.pause(interval);
        waited += interval;
    }
}

void OpenFile::unlock()
{
    if (m_locked) {
        m_ops.unlock(m_handle);
        m_locked = false;
    }
}

void OpenFile::close()
{
    if (!m_handle.valid())
        return;
    unlock();
    m_ops.close(m_handle);
    m_handle = FileHandle{};
}

bool canOpenForReading(FileOps& ops, std::string_view path)
{
    OpenFile file(ops);
    return file.open(path, OpenMode::Read) == FileError::None;
}

FileError readAll(FileOps& ops, FileHandle file, std::string& out)
{
    out.clear();
    std::uint64_t size = 0;
    if (const FileError error = ops.size(file, size); error != FileError::None)
        return error;
    // The size is a hint: the file may grow or shrink while it is read.
    constexpr std::size_t kChunk = 1 << 20;
    std::uint64_t offset = 0;
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, kChunk)) + 1;
    for (;;) {
        const std::size_t start = out.size();
        out.resize(start + want);
        std::size_t got = 0;
        if (const FileError error = ops.readAt(file, offset, out.data() + start, want, got); error != FileError::None) {
            out.clear();
            return error;
        }
        out.resize(start + got);
        offset += got;
        if (got < want)
            return FileError::None;
        want = kChunk;
    }
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        const bool last = end == std::string_view::npos;
        if (last)
            end = text.size();
        std::size_t stop = end;
        if (!last && stop > begin && text[stop - 1] == '\r')
            --stop;
        lines.emplace_back(text.substr(begin, stop - begin));
        begin = last ? end : end + 1;
    }
    return lines;
}

FileError readTextLines(FileOps& ops, std::string_view path, std::vector<std::string>& lines)
{
    lines.clear();
    OpenFile file(ops);
    if (const FileError error = file.open(path, OpenMode::Read); error != FileError::None)
        return error;
    std::string text;
    if (const FileError error = readAll(ops, file.handle(), text); error != FileError::None)
        return error;
    lines = splitLines(text);
    return FileError::None;
}

namespace {

// What must come before new lines so that they start on a line of their own.
FileError lineStartPrefix(FileOps& ops, FileHandle file, std::uint64_t size, std::string_view& prefix)
{
    prefix = {};
    if (size == 0)
        return FileError::None;
    char last = 0;
    std::size_t got = 0;
    if (const FileError error = ops.readAt(file, size - 1, &last, 1, got); error != FileError::None)
        return error;
    if (got == 1 && last == '\r')
        prefix = "\n";
    else if (got == 1 && last != '\n')
        prefix = "\r\n";
    return FileError::None;
}

} // namespace

FileError openLockedForAppend(
    OpenFile& file, std::string_view path, LockWait wait, bool& readable, std::string_view marker)
{
    // A Card-Warden that takes the data file away (delete or rename) between our open and our
    // lock leaves us holding a lock on a file nobody reads: open the path again.
    constexpr int kReopenAttempts = 5;
    std::chrono::milliseconds waited{0};
    for (int attempt = 0;; ++attempt) {
        readable = true;
        FileError error = file.openGuarded(path, marker, OpenMode::AppendCreate);
        if (error == FileError::AccessDenied) {
            readable = false;
            error = file.openGuarded(path, marker, OpenMode::AppendOnly);
        }
        // Another process that holds the file open without sharing it (Windows) is a busy file.
        if (error == FileError::Busy && waited < wait.budget) {
            file.ops().pause(wait.interval);
            waited += wait.interval;
            --attempt;
            continue;
        }
        if (error != FileError::None)
            return error;
        if (error = file.lock(LockKind::Exclusive, wait.budget, wait.interval); error != FileError::None)
            return error == FileError::AccessDenied && !readable ? FileError::LockRefused : error;
        if (!file.ops().detached(file.handle(), path))
            return FileError::None;
        if (attempt + 1 == kReopenAttempts)
            return FileError::Busy;
    }
}

AppendResult appendLocked(FileOps& ops,
    std::string_view path,
    std::string_view text,
    LockWait wait,
    const std::function<FileError(const AppendPlan&)>& beforeWrite,
    AppendOptions options)
{
    AppendResult result;
    OpenFile file(ops);
    if (result.error = openLockedForAppend(file, path, wait, result.plan.readable, options.marker); !result.ok())
        return result;
    if (result.error = ops.size(file.handle(), result.plan.sizeBefore); !result.ok())
        return result;
    if (ops.identity(file.handle(), result.plan.identity) != FileError::None)
        result.plan.identity.clear();
    if (result.plan.readable) {
        result.error = lineStartPrefix(ops, file.handle(), result.plan.sizeBefore, result.plan.prefix);
        if (!result.ok())
            return result;
    } else if (options.lineStart && result.plan.sizeBefore > 0) {
        result.plan.prefix = "\r\n";
    }
    if (beforeWrite) {
        if (result.error = beforeWrite(result.plan); !result.ok())
            return result;
    }

    std::string bytes;
    bytes.reserve(result.plan.prefix.size() + text.size());
    bytes.append(result.plan.prefix);
    bytes.append(text);
    result.started = true;
    result.error = ops.append(file.handle(), bytes.data(), bytes.size(), result.written);
    if (result.ok() && result.written != bytes.size())
        result.error = FileError::NoSpace;
    if (result.ok())
        result.error = ops.flush(file.handle());
    return result;
}

} // namespace shiftloom::platform
