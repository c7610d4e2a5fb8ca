// SPDX-License-Identifier: MIT
#include "Win32FileOps.h"

#include <algorithm>
#include <string>
#include <vector>
#include <windows.h>

namespace shiftloom::platform {
namespace {

HANDLE handleOf(FileHandle file)
{
    return reinterpret_cast<HANDLE>(file.value);
}

FileError errorFrom(DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS:
        return FileError::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return FileError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
        return FileError::AccessDenied;
    case ERROR_LOCK_VIOLATION:
    case ERROR_IO_PENDING:
        return FileError::Busy;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileError::NoSpace;
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_SEM_TIMEOUT:
    case ERROR_CRC:
        return FileError::Io;
    default:
        return FileError::Other;
    }
}

FileError lastError()
{
    return errorFrom(GetLastError());
}

bool fileInformation(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info)
{
    return GetFileInformationByHandle(handle, &info) != 0;
}

bool identityOfPath(std::string_view path, BY_HANDLE_FILE_INFORMATION& info)
{
    const HANDLE handle = CreateFileA(std::string(path).c_str(),
        0,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = fileInformation(handle, info);
    CloseHandle(handle);
    return ok;
}

bool sameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh
        && a.nFileIndexLow == b.nFileIndexLow;
}

bool renamePosix(const std::string& from, const std::string& target)
{
    char full[MAX_PATH];
    const DWORD fullLength = GetFullPathNameA(target.c_str(), MAX_PATH, full, nullptr);
    if (fullLength == 0 || fullLength >= MAX_PATH)
        return false;
    const std::string to(full, fullLength);
    constexpr DWORD kReplaceIfExists = 0x1;
    constexpr DWORD kPosixSemantics = 0x2;
    constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, to.c_str(), -1, nullptr, 0);
    if (wideLength <= 0)
        return false;
    std::vector<char> storage(sizeof(FILE_RENAME_INFO) + static_cast<std::size_t>(wideLength) * sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
    info->Flags = kReplaceIfExists | kPosixSemantics;
    info->FileNameLength = static_cast<DWORD>((wideLength - 1) * static_cast<int>(sizeof(WCHAR)));
    MultiByteToWideChar(CP_ACP, 0, to.c_str(), -1, info->FileName, wideLength);
    const HANDLE file = CreateFileA(from.c_str(),
        DELETE | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr,
        OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool renamed =
        SetFileInformationByHandle(file, kFileRenameInfoEx, info, static_cast<DWORD>(storage.size())) != 0;
    CloseHandle(file);
    return renamed;
}

} // namespace

Win32FileOps::Win32FileOps(const PathMapper& paths)
    : m_paths(paths)
{
}

FileError Win32FileOps::open(std::string_view windowsPath, OpenMode mode, FileHandle& out)
{
    const std::string path = m_paths.toHost(windowsPath);
    out = FileHandle{};
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
    case OpenMode::Read:
        break;
    case OpenMode::ReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        break;
    case OpenMode::AppendCreate:
        // Appending only: every write goes to the end of the file, whoever else wrote meanwhile.
        access = GENERIC_READ | FILE_APPEND_DATA;
        disposition = OPEN_ALWAYS;
        break;
    case OpenMode::ReadCreate:
        disposition = OPEN_ALWAYS;
        break;
    case OpenMode::AppendOnly:
        access = FILE_APPEND_DATA | SYNCHRONIZE;
        disposition = OPEN_ALWAYS;
        break;
    }
    const HANDLE handle = CreateFileA(path.c_str(),
        access,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr,
        disposition,
        FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_ACCESS_DENIED && (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0
            ? FileError::IsDirectory
            : errorFrom(code);
    }
    out.value = reinterpret_cast<std::intptr_t>(handle);
    return FileError::None;
}

FileError Win32FileOps::tryLock(FileHandle file, LockKind kind)
{
    OVERLAPPED whole = {};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (kind == LockKind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(handleOf(file), flags, 0, MAXDWORD, MAXDWORD, &whole))
        return FileError::None;
    return GetLastError() == ERROR_LOCK_VIOLATION ? FileError::Busy : lastError();
}

void Win32FileOps::unlock(FileHandle file)
{
    OVERLAPPED whole = {};
    UnlockFileEx(handleOf(file), 0, MAXDWORD, MAXDWORD, &whole);
}

FileError Win32FileOps::size(FileHandle file, std::uint64_t& out)
{
    LARGE_INTEGER value = {};
    if (!GetFileSizeEx(handleOf(file), &value))
        return lastError();
    out = static_cast<std::uint64_t>(value.QuadPart);
    return FileError::None;
}

FileError Win32FileOps::readAt(
    FileHandle file, std::uint64_t offset, char* buffer, std::size_t length, std::size_t& got)
{
    got = 0;
    while (got < length) {
        OVERLAPPED at = {};
        const std::uint64_t position = offset + got;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length - got, 1u << 30));
        DWORD read = 0;
        if (!ReadFile(handleOf(file), buffer + got, want, &read, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF)
                break;
            return lastError();
        }
        if (read == 0)
            break;
        got += read;
    }
    return FileError::None;
}

FileError Win32FileOps::append(FileHandle file, const char* data, std::size_t length, std::size_t& written)
{
    written = 0;
    DWORD count = 0;
    if (!WriteFile(handleOf(file), data, static_cast<DWORD>(length), &count, nullptr))
        return lastError();
    written = count;
    return FileError::None;
}

FileError Win32FileOps::truncate(FileHandle file, std::uint64_t length)
{
    FILE_END_OF_FILE_INFO end = {};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end))
        return lastError();
    return FileError::None;
}

FileError Win32FileOps::flush(FileHandle file)
{
    if (!FlushFileBuffers(handleOf(file)))
        return lastError();
    return FileError::None;
}

FileError Win32FileOps::identity(FileHandle file, std::string& out)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!fileInformation(handleOf(file), info))
        return lastError();
    out = std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":"
        + std::to_string(info.nFileIndexLow);
    return FileError::None;
}

bool Win32FileOps::detached(FileHandle file, std::string_view path)
{
    BY_HANDLE_FILE_INFORMATION open = {};
    BY_HANDLE_FILE_INFORMATION named = {};
    if (!fileInformation(handleOf(file), open) || open.nNumberOfLinks == 0)
        return true;
    // A file deleted while open keeps its name until its last handle closes: "delete pending".
    FILE_STANDARD_INFO standard = {};
    if (GetFileInformationByHandleEx(handleOf(file), FileStandardInfo, &standard, sizeof standard)
        && standard.DeletePending)
        return true;
    return !identityOfPath(m_paths.toHost(path), named) || !sameIdentity(open, named);
}

void Win32FileOps::close(FileHandle file)
{
    CloseHandle(handleOf(file));
}

FileError Win32FileOps::remove(std::string_view path)
{
    if (!DeleteFileA(m_paths.toHost(path).c_str()))
        return lastError();
    return FileError::None;
}

FileError Win32FileOps::replace(std::string_view windowsFrom, std::string_view windowsTo)
{
    const std::string from = m_paths.toHost(windowsFrom);
    const std::string to = m_paths.toHost(windowsTo);
    // The target may be open (the offline buffer, held by its replay): a rename with POSIX
    // semantics replaces it all the same (NTFS on Windows 10 1809 and later); where that is not
    // known, the classic rename, which an open target refuses.
    if (renamePosix(from, to))
        return FileError::None;
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastError();
    return FileError::None;
}

bool Win32FileOps::sameFile(std::string_view windowsA, std::string_view windowsB)
{
    const std::string a = m_paths.toHost(windowsA);
    const std::string b = m_paths.toHost(windowsB);
    BY_HANDLE_FILE_INFORMATION infoA = {};
    BY_HANDLE_FILE_INFORMATION infoB = {};
    if (identityOfPath(a, infoA) && identityOfPath(b, infoB))
        return sameIdentity(infoA, infoB);
    // Where either file is missing, compare the texts with doubled separators folded.
    auto fold = [](std::string_view text) {
        std::string out;
        for (char c : text) {
            const char lower = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            if (lower == '\\' && !out.empty() && out.back() == '\\')
                continue;
            out.push_back(lower == '/' ? '\\' : lower);
        }
        return out;
    };
    return fold(a) == fold(b);
}

void Win32FileOps::pause(std::chrono::milliseconds duration)
{
    Sleep(static_cast<DWORD>(duration.count()));
}

} // namespace shiftloom::platform
