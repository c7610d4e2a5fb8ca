// SPDX-License-Identifier: MIT
#include "WaitingPlaces.h"

#include "platform/FileIo.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>

namespace shiftloom::delivery {

using platform::FileError;

namespace {

constexpr std::size_t kStampDigits = 20;
constexpr std::string_view kSuffix = ".rec";

std::string inBuffer(std::string_view name)
{
    return std::string(kBufferFolder) + "\\" + std::string(name);
}

/** The moment in a record file's name; 0 for a name of another kind. */
std::uint64_t stampOf(std::string_view name)
{
    std::uint64_t stamp = 0;
    const auto parsed = std::from_chars(name.data(), name.data() + std::min(name.size(), kStampDigits), stamp);
    return parsed.ec == std::errc{} && parsed.ptr == name.data() + kStampDigits ? stamp : 0;
}

bool isRecordFile(std::string_view name)
{
    return !name.starts_with('.') && name.ends_with(kSuffix) && stampOf(name) != 0;
}

} // namespace

RecordBuffer::RecordBuffer(platform::FileOps& files, std::uint64_t nonce)
    : m_files(files)
    , m_nonce(nonce)
{
}

std::string RecordBuffer::nextName()
{
    // Nanoseconds of the wall clock, never less than a name given before: a clock set back keeps
    // the order of this run's records and of those left waiting by an earlier one.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const auto nanoseconds =
        static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    m_lastStamp = std::max(m_lastStamp + 1, nanoseconds);
    char name[64];
    std::snprintf(name,
        sizeof name,
        "%020llu-%016llx%s",
        static_cast<unsigned long long>(m_lastStamp),
        static_cast<unsigned long long>(m_nonce),
        kSuffix.data());
    return name;
}

FileError RecordBuffer::put(std::string_view lines)
{
    const std::lock_guard lock(m_mutex);
    if (!m_ready) {
        if (const FileError error = m_files.makeFolder(kBufferFolder); error != FileError::None)
            return error;
        // The names already there come first: a record named before it knows them could go
        // before older ones once the clock was set back. Until they are read, records wait.
        std::vector<std::string> names;
        if (const FileError error = m_files.listFolder(kBufferFolder, names); error != FileError::None)
            return error;
        for (const std::string& name : names)
            m_lastStamp = std::max(m_lastStamp, isRecordFile(name) ? stampOf(name) : 0);
        m_ready = true;
    }
    const std::string name = nextName();
    const std::string hidden = inBuffer("." + name);
    platform::OpenFile file(m_files);
    FileError error = file.open(hidden, platform::OpenMode::CreateNew);
    if (error == FileError::NotFound)
        m_ready = false; // the folder went away: made again at the next record
    if (error != FileError::None)
        return error;
    std::size_t written = 0;
    error = m_files.append(file.handle(), lines.data(), lines.size(), written);
    if (error == FileError::None && written != lines.size())
        error = FileError::NoSpace;
    if (error == FileError::None)
        error = m_files.flush(file.handle());
    file.close();
    if (error == FileError::None)
        error = m_files.replace(hidden, inBuffer(name));
    if (error != FileError::None) {
        m_files.remove(hidden);
        return error;
    }
    // Named but perhaps not on the disk yet: taken back when it can be, so the caller may keep the
    // record; a file that stays is in the buffer, and must not be put a second time.
    if (error = m_files.flushFolder(kBufferFolder);
        error != FileError::None && m_files.remove(inBuffer(name)) != FileError::None)
        return FileError::None;
    return error;
}

FileError RecordBuffer::waiting(std::vector<std::string>& paths)
{
    paths.clear();
    std::vector<std::string> names;
    const FileError error = m_files.listFolder(kBufferFolder, names);
    if (error == FileError::NotFound)
        return FileError::None;
    std::erase_if(names, [](const std::string& name) { return !isRecordFile(name); });
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        paths.push_back(inBuffer(name));
    return error;
}

} // namespace shiftloom::delivery
