// SPDX-License-Identifier: MIT
#include "MemoryFileOps.h"

namespace shiftloom::fuzz {

using platform::FileError;

FileError MemoryFileOps::open(std::string_view path, platform::OpenMode mode, platform::FileHandle& out)
{
    out = platform::FileHandle{};
    auto it = m_files.find(path);
    if (it == m_files.end()) {
        if (mode == platform::OpenMode::Read || mode == platform::OpenMode::ReadWrite)
            return FileError::NotFound;
        it = m_files.emplace(std::string(path), std::string()).first;
    }
    out.value = m_next++;
    m_handles[out.value] = it->first;
    return FileError::None;
}

std::string* MemoryFileOps::fileOf(platform::FileHandle file)
{
    const auto handle = m_handles.find(file.value);
    if (handle == m_handles.end())
        return nullptr;
    const auto it = m_files.find(handle->second);
    return it == m_files.end() ? nullptr : &it->second;
}

FileError MemoryFileOps::size(platform::FileHandle file, std::uint64_t& out)
{
    const std::string* bytes = fileOf(file);
    if (!bytes)
        return FileError::Io;
    out = bytes->size();
    return FileError::None;
}

FileError MemoryFileOps::readAt(
    platform::FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got)
{
    got = 0;
    const std::string* bytes = fileOf(file);
    if (!bytes)
        return FileError::Io;
    if (offset >= bytes->size())
        return FileError::None;
    got = bytes->copy(buffer, length, static_cast<std::size_t>(offset));
    return FileError::None;
}

FileError MemoryFileOps::append(platform::FileHandle file, const char* data, std::size_t length, std::size_t& written)
{
    written = 0;
    std::string* bytes = fileOf(file);
    if (!bytes)
        return FileError::Io;
    bytes->append(data, length);
    written = length;
    return FileError::None;
}

FileError MemoryFileOps::truncate(platform::FileHandle file, std::uint64_t length)
{
    std::string* bytes = fileOf(file);
    if (!bytes)
        return FileError::Io;
    bytes->resize(static_cast<std::size_t>(length));
    return FileError::None;
}

FileError MemoryFileOps::remove(std::string_view path)
{
    const auto it = m_files.find(path);
    if (it == m_files.end())
        return FileError::NotFound;
    m_files.erase(it);
    return FileError::None;
}

FileError MemoryFileOps::replace(std::string_view from, std::string_view to)
{
    const auto it = m_files.find(from);
    if (it == m_files.end())
        return FileError::NotFound;
    std::string bytes = std::move(it->second);
    m_files.erase(it);
    m_files[std::string(to)] = std::move(bytes);
    return FileError::None;
}

} // namespace shiftloom::fuzz
