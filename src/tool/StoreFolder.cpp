// SPDX-License-Identifier: MIT
#include "StoreFolder.h"

#include "platform/Cp1252.h"
#include "platform/FileIo.h"
#include "tool/ToolError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <system_error>

namespace shiftloom::tool {

std::string absoluteFolder(std::string_view argument)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(std::filesystem::path(argument), error);
    if (error)
        throw ToolError(std::string(argument) + ": " + error.message());
    std::string text = path.lexically_normal().string();
    const char separator = platform::kWindowsHost ? '\\' : '/';
    while (text.size() > 1 && text.back() == separator && text[text.size() - 2] != ':')
        text.pop_back();
    return text;
}

void requireFolder(const std::string& folder)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (status.type() == std::filesystem::file_type::not_found)
        throw ToolError(folder + ": no such folder");
    if (status.type() != std::filesystem::file_type::directory)
        throw ToolError(folder + ": " + (error ? error.message() : "a file, not a folder")
            + " (FOLDER is the data store's folder, the one that holds cardward.ini)");
}

StoreReader::StoreReader(std::string_view folderArgument)
    : m_folder(absoluteFolder(folderArgument))
{
    requireFolder(m_folder);
    // Store paths are Windows texts, in which a backslash separates folders.
    if (!platform::kWindowsHost && m_folder.find('\\') != std::string::npos)
        throw ToolError(m_folder + ": a backslash in the folder's path would be read as a separator");
    requirePanelText(m_folder);
    if (!platform::canOpenForReading(files(), storePath(kStoreMarkerName)))
        throw ToolError(m_folder + ": not a data store (it holds no " + std::string(kStoreMarkerName)
            + "; shift-loom-store init makes one)");
}

std::string StoreReader::storePath(std::string_view name) const
{
    return storeFile(platform::utf8ToCp1252(m_folder), name);
}

void requirePanelText(const std::string& folder)
{
    // The panel keeps paths in its 8-bit text; a name it cannot spell would name another folder.
    if (platform::cp1252ToUtf8(platform::utf8ToCp1252(folder)) != folder)
        throw ToolError(folder + ": the path has characters the panel's 8-bit text cannot hold");
}

std::string StoreReader::hostPath(std::string_view name) const
{
    return m_host.paths().toHost(storePath(name));
}

std::optional<std::string> StoreReader::readDataFile()
{
    const std::string path = storePath(kDataFileName);
    platform::OpenFile file(m_host.files());
    platform::FileError error = file.open(path, platform::OpenMode::Read);
    if (error == platform::FileError::NotFound)
        return std::nullopt;
    if (error == platform::FileError::None) {
        file.lock(platform::LockKind::Shared, std::chrono::milliseconds(500), std::chrono::milliseconds(10));
        std::string bytes;
        error = platform::readAll(m_host.files(), file.handle(), bytes);
        if (error == platform::FileError::None)
            return bytes;
    }
    throw ToolError(hostPath(kDataFileName) + ": cannot read (" + std::string(platform::describe(error)) + ")");
}

std::optional<std::uint64_t> StoreReader::scanDataPieces(
    const std::function<void(std::string_view, bool final)>& visit, std::uint64_t limit)
{
    const std::string path = storePath(kDataFileName);
    platform::OpenFile file(m_host.files());
    platform::FileError error = file.open(path, platform::OpenMode::Read);
    if (error == platform::FileError::NotFound && limit == std::numeric_limits<std::uint64_t>::max())
        return std::nullopt;
    constexpr std::size_t kPiece = 1 << 20;
    // The piece after the unfinished line of the one before (`kept` bytes); the lines handed to
    // `visit` view this buffer, which is never filled with anything but the file.
    std::unique_ptr<char[]> buffer;
    std::size_t capacity = 0;
    std::size_t kept = 0;
    std::uint64_t offset = 0;
    while (error == platform::FileError::None && offset < limit) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, limit - offset));
        if (kept + want > capacity) {
            // A line longer than a piece: the buffer grows to hold it.
            capacity = std::max(kept + want, 2 * capacity);
            auto larger = std::make_unique_for_overwrite<char[]>(capacity);
            if (kept > 0)
                std::memcpy(larger.get(), buffer.get(), kept);
            buffer = std::move(larger);
        }
        std::size_t got = 0;
        file.lock(platform::LockKind::Shared, std::chrono::milliseconds(500), std::chrono::milliseconds(10));
        error = m_host.files().readAt(file.handle(), offset, buffer.get() + kept, want, got);
        file.unlock();
        offset += got;
        if (error != platform::FileError::None || got == 0)
            break;
        const std::string_view bytes(buffer.get(), kept + got);
        const std::size_t lineEnd = bytes.rfind('\n');
        const std::size_t whole = lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
        if (whole > 0)
            visit(bytes.substr(0, whole), false);
        kept = bytes.size() - whole;
        if (kept > 0 && whole > 0)
            std::memmove(buffer.get(), buffer.get() + whole, kept);
    }
    if (error != platform::FileError::None)
        throw ToolError(hostPath(kDataFileName) + ": cannot read (" + std::string(platform::describe(error)) + ")");
    if (limit != std::numeric_limits<std::uint64_t>::max() && offset < limit)
        throw ToolError(hostPath(kDataFileName) + ": became shorter while it was read (read it again)");
    visit(std::string_view(buffer.get(), kept), true);
    return offset;
}

std::optional<std::uint64_t> StoreReader::scanDataFile(
    const std::function<void(const DataLine&)>& visit, std::uint64_t limit)
{
    std::size_t number = 0;
    DataLine line;
    return scanDataPieces(
        [&](std::string_view piece, bool final) {
            forEachDataLine(piece, final, [&](std::string_view text, LineEnd end) {
                decodeDataLine(text, ++number, end, line);
                visit(line);
            });
        },
        limit);
}

std::string readHostFile(const std::string& path)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw ToolError(path + ": is a folder, not a file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ToolError(path + ": cannot read (" + std::strerror(errno) + ")");
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        throw ToolError(path + ": cannot read");
    return content.str();
}

void writeHostFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            throw ToolError(temporary + ": cannot write (" + std::strerror(errno) + ")");
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw ToolError(temporary + ": cannot write");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw ToolError(path + ": cannot write (" + error.message() + ")");
    }
}

} // namespace shiftloom::tool
