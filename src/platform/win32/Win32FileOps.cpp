// SPDX-License-Identifier: MIT
#include "Win32FileOps.h"

#include "platform/win32/WideText.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>
#include <windows.h>
#include <winternl.h>

// What Windows refuses on a handle opened without the access a call needs, and where that is
// written down. Wine 8 allows the calls marked (Wine), which is why the rules are applied here,
// before each call, on every system: on Windows the call would be refused all the same.
//
// - ReadFile needs FILE_READ_DATA: the ReadFile page ("must have been created with read
//   access"); MS-SMB2 3.3.5.12 (a server refuses a read without FILE_READ_DATA).
// - WriteFile needs FILE_WRITE_DATA or FILE_APPEND_DATA: MS-SMB2 3.3.5.13 (FILE_APPEND_DATA for a
//   write that extends the file, which every write here does).
// - Setting the end of the file needs FILE_WRITE_DATA (Wine): ZwSetInformationFile,
//   FileEndOfFileInformation; MS-SMB2 3.3.5.21.1.
// - LockFileEx needs read or write data access (Wine): the LockFileEx page asks for GENERIC_READ
//   or GENERIC_WRITE, as FsRtlFastLock does of the file object. The pages name the generic
//   rights; what is kept here is the narrower reading, FILE_READ_DATA or FILE_WRITE_DATA, under
//   which a handle with FILE_APPEND_DATA alone (a part of GENERIC_WRITE too) does not lock. Erring
//   that way costs nothing: the store's append-only handle is then reported as a store that
//   refuses the lock, never taken for a lock that holds.
// - FlushFileBuffers needs write access: the FlushFileBuffers page (GENERIC_WRITE); MS-SMB2
//   3.3.5.11 (FILE_WRITE_DATA or FILE_APPEND_DATA).
// - GetFileInformationByHandle needs FILE_READ_ATTRIBUTES (Wine): it reads FileBasicInformation,
//   which ZwQueryInformationFile and MS-FSA 2.1.5.12.6 give only to a handle with that right.
// - GetFileSizeEx and the "delete pending" flag read FileStandardInformation, which
//   ZwQueryInformationFile gives "without any particular requirements for DesiredAccess": no rule.

namespace shiftloom::platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr auto kNameNotFound = static_cast<NTSTATUS>(0xC0000034u);
constexpr auto kPathNotFound = static_cast<NTSTATUS>(0xC000003Au);
constexpr auto kIsADirectory = static_cast<NTSTATUS>(0xC00000BAu);

/** What each mode asks of Windows: just the access its operations need. */
struct ModeAccess
{
    DWORD access;
    DWORD disposition; ///< for CreateFileW
    ULONG ntDisposition; ///< the same for NtCreateFile
};

ModeAccess accessFor(OpenMode mode)
{
    constexpr DWORD read = FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    constexpr DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
    switch (mode) {
    case OpenMode::Read:
        return {read, OPEN_EXISTING, FILE_OPEN};
    case OpenMode::ReadWrite:
        return {readWrite, OPEN_EXISTING, FILE_OPEN};
    case OpenMode::AppendCreate:
        // The store's data file: the last byte read, appends, the lock, identity, size, flush.
        return {read | FILE_APPEND_DATA, OPEN_ALWAYS, FILE_OPEN_IF};
    case OpenMode::ReadCreate:
        return {read, OPEN_ALWAYS, FILE_OPEN_IF};
    case OpenMode::AppendOnly:
        // A share that lets workers append but not read: no read or write data access, so no
        // lock on Windows (see above).
        return {FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, OPEN_ALWAYS, FILE_OPEN_IF};
    case OpenMode::ReadWriteCreate:
        return {readWrite, OPEN_ALWAYS, FILE_OPEN_IF};
    case OpenMode::CreateNew:
        return {readWrite, CREATE_NEW, FILE_CREATE};
    }
    return {read, OPEN_EXISTING, FILE_OPEN};
}

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
    case ERROR_DIRECTORY:
        return FileError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileError::AccessDenied;
    // Another process (Card-Warden) holds the file open without sharing, or holds a lock on the
    // bytes asked for: a busy file to try again, never an unreachable one.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_IO_PENDING:
        return FileError::Busy;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileError::NoSpace;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return FileError::Exists;
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

bool identityOfPath(std::string_view path, BY_HANDLE_FILE_INFORMATION& info)
{
    const HANDLE handle = CreateFileW(widePath(path).c_str(),
        FILE_READ_ATTRIBUTES,
        kShareAll,
        nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    return ok;
}

bool sameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh
        && a.nFileIndexLow == b.nFileIndexLow;
}

bool renamePosix(const std::string& from, const std::string& to)
{
    constexpr DWORD kReplaceIfExists = 0x1;
    constexpr DWORD kPosixSemantics = 0x2;
    constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    const std::wstring target = widePath(to, true);
    std::vector<char> storage(sizeof(FILE_RENAME_INFO) + (target.size() + 1) * sizeof(WCHAR));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(storage.data());
    info->Flags = kReplaceIfExists | kPosixSemantics;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(WCHAR));
    std::copy(target.begin(), target.end(), info->FileName);
    const HANDLE file = CreateFileW(widePath(from).c_str(),
        DELETE | SYNCHRONIZE,
        kShareAll,
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

/** Opens `name` (UTF-8, no "/") in the open folder `folder`, the way CreateFileW opens a path. */
NTSTATUS openIn(HANDLE folder, std::string_view name, DWORD access, ULONG disposition, HANDLE& out)
{
    std::wstring wide = toWide(name);
    if (wide.size() * sizeof(WCHAR) >= USHRT_MAX)
        return kNameNotFound;
    const auto bytes = static_cast<USHORT>(wide.size() * sizeof(WCHAR));
    UNICODE_STRING text = {bytes, bytes, wide.data()};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status = {};
    return NtCreateFile(&out,
        access,
        &attributes,
        &status,
        nullptr,
        FILE_ATTRIBUTE_NORMAL,
        kShareAll,
        disposition,
        FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT,
        nullptr,
        0);
}

} // namespace

Win32FileOps::Win32FileOps(const PathMapper& paths)
    : m_paths(paths)
{
}

FileError Win32FileOps::opened(void* handle, std::uint32_t access, FileHandle& out)
{
    // GENERIC_READ and GENERIC_WRITE stand for the file rights they grant.
    GENERIC_MAPPING generic = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    DWORD granted = access;
    MapGenericMask(&granted, &generic);
    out.value = reinterpret_cast<std::intptr_t>(handle);
    const std::lock_guard lock(m_mutex);
    m_access[out.value] = granted;
    return FileError::None;
}

bool Win32FileOps::grants(FileHandle file, std::uint32_t anyOf) const
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_access.find(file.value);
    return found != m_access.end() && (found->second & anyOf) != 0;
}

FileError Win32FileOps::open(std::string_view windowsPath, OpenMode mode, FileHandle& out)
{
    out = FileHandle{};
    const std::wstring path = widePath(m_paths.toHost(windowsPath));
    const ModeAccess how = accessFor(mode);
    const HANDLE handle =
        CreateFileW(path.c_str(), how.access, kShareAll, nullptr, how.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_ACCESS_DENIED && (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0
            ? FileError::IsDirectory
            : errorFrom(code);
    }
    return opened(handle, how.access, out);
}

// The folder is opened once, and the marker and the file are both looked up through that handle
// (NtCreateFile relative to it, as openat on POSIX): a drive mapped anew or a folder put in the
// place of another between the two look-ups cannot mix them. The folder may still be renamed
// while held (FILE_SHARE_DELETE, which Card-Warden needs); both look-ups then still happen in that
// one folder, wherever it went. A share that is not connected names nothing on Windows (no empty
// local folder stands in for it as a mount point does on Linux): it gives NotFound, and nothing
// is created.
FileError Win32FileOps::openGuarded(
    std::string_view windowsPath, std::string_view marker, OpenMode mode, FileHandle& out)
{
    out = FileHandle{};
    const std::string host = m_paths.toHost(windowsPath);
    const std::size_t cut = host.find_last_of("\\/");
    std::string folderPath = cut == std::string::npos ? "." : host.substr(0, std::max<std::size_t>(cut, 1));
    if (folderPath.size() == 2 && folderPath[1] == ':')
        folderPath.push_back('\\'); // "c:" alone would be the current folder of drive C:
    const std::string name = cut == std::string::npos ? host : host.substr(cut + 1);
    const HANDLE folder = CreateFileW(widePath(folderPath).c_str(),
        FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
        kShareAll,
        nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return lastError();
    BY_HANDLE_FILE_INFORMATION info = {};
    FileError error = FileError::NotFound;
    if (GetFileInformationByHandle(folder, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        HANDLE found = nullptr;
        NTSTATUS status = openIn(folder, m_paths.toHost(marker), FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_OPEN, found);
        if (NT_SUCCESS(status)) {
            CloseHandle(found);
            const ModeAccess how = accessFor(mode);
            HANDLE file = nullptr;
            status = openIn(folder, name, how.access, how.ntDisposition, file);
            error = NT_SUCCESS(status)    ? opened(file, how.access, out)
                : status == kIsADirectory ? FileError::IsDirectory
                                          : errorFrom(RtlNtStatusToDosError(status));
        } else {
            const bool missing = status == kNameNotFound || status == kPathNotFound || status == kIsADirectory;
            error = missing ? FileError::NotAStore : errorFrom(RtlNtStatusToDosError(status));
        }
    }
    CloseHandle(folder);
    return error;
}

FileError Win32FileOps::tryLock(FileHandle file, LockKind kind)
{
    if (!grants(file, FILE_READ_DATA | FILE_WRITE_DATA))
        return FileError::AccessDenied;
    OVERLAPPED whole = {};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (kind == LockKind::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(handleOf(file), flags, 0, MAXDWORD, MAXDWORD, &whole))
        return FileError::None;
    return lastError();
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
    if (!grants(file, FILE_READ_DATA))
        return FileError::AccessDenied;
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
    if (!grants(file, FILE_WRITE_DATA | FILE_APPEND_DATA))
        return FileError::AccessDenied;
    // Both offsets all ones: at the end of the file, whoever wrote meanwhile, whatever the handle.
    OVERLAPPED atEnd = {};
    atEnd.Offset = 0xFFFFFFFFu;
    atEnd.OffsetHigh = 0xFFFFFFFFu;
    DWORD count = 0;
    if (!WriteFile(handleOf(file), data, static_cast<DWORD>(std::min<std::size_t>(length, 1u << 30)), &count, &atEnd))
        return lastError();
    written = count;
    return FileError::None;
}

FileError Win32FileOps::truncate(FileHandle file, std::uint64_t length)
{
    if (!grants(file, FILE_WRITE_DATA))
        return FileError::AccessDenied;
    FILE_END_OF_FILE_INFO end = {};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end))
        return lastError();
    return FileError::None;
}

FileError Win32FileOps::flush(FileHandle file)
{
    if (!grants(file, FILE_WRITE_DATA | FILE_APPEND_DATA))
        return FileError::AccessDenied;
    if (!FlushFileBuffers(handleOf(file)))
        return lastError();
    return FileError::None;
}

FileError Win32FileOps::identity(FileHandle file, std::string& out)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!grants(file, FILE_READ_ATTRIBUTES))
        return FileError::AccessDenied;
    if (!GetFileInformationByHandle(handleOf(file), &info))
        return lastError();
    out = std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":"
        + std::to_string(info.nFileIndexLow);
    return FileError::None;
}

bool Win32FileOps::detached(FileHandle file, std::string_view path)
{
    BY_HANDLE_FILE_INFORMATION open = {};
    BY_HANDLE_FILE_INFORMATION named = {};
    // Without the right to read the identity nothing shows the file is still the one named.
    if (!grants(file, FILE_READ_ATTRIBUTES) || !GetFileInformationByHandle(handleOf(file), &open)
        || open.nNumberOfLinks == 0)
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
    {
        const std::lock_guard lock(m_mutex);
        m_access.erase(file.value);
    }
    CloseHandle(handleOf(file));
}

FileError Win32FileOps::remove(std::string_view path)
{
    if (!DeleteFileW(widePath(m_paths.toHost(path)).c_str()))
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
    if (!MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastError();
    return FileError::None;
}

// The names come as UTF-8, as the host spells them (the program's own names are ASCII, the same
// in every code page); a name outside Windows-1252 is kept whole rather than made a "?".
FileError Win32FileOps::listFolder(std::string_view windowsFolder, std::vector<std::string>& names)
{
    names.clear();
    const std::string named = m_paths.toHost(windowsFolder);
    std::string folder = named;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
        folder.push_back('\\');
    WIN32_FIND_DATAW entry = {};
    const HANDLE search =
        FindFirstFileExW(widePath(folder + "*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        // No entry at all (not even "." and "..", as in the root of a drive) is an empty folder.
        const DWORD code = GetLastError();
        const DWORD attributes = GetFileAttributesW(widePath(named).c_str());
        const bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (code == ERROR_FILE_NOT_FOUND && isFolder)
            return FileError::None;
        // A file where the folder should be: no such folder, as POSIX says (ENOTDIR).
        return attributes != INVALID_FILE_ATTRIBUTES && !isFolder ? FileError::NotFound : errorFrom(code);
    }
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(toUtf8(name));
    } while (FindNextFileW(search, &entry));
    const DWORD code = GetLastError();
    FindClose(search);
    return code == ERROR_NO_MORE_FILES ? FileError::None : errorFrom(code);
}

// A new folder takes the permissions its parent passes on. The user's own folders lie under
// %LOCALAPPDATA%, whose permissions (the user, SYSTEM and the administrators) every folder below
// inherits: private already, and no other account but an administrator can make a folder there
// first, so no owner is checked (an elevated installer's folder belongs to the administrators
// group and is still the user's own).
FileError Win32FileOps::makeFolder(std::string_view folder)
{
    return errorFrom(makeFolderTree(m_paths.toHost(folder)));
}

// NTFS logs a change of a folder (a file created, renamed or removed) but writes its log out
// later; Windows documents no point at which such a change is on the disk. A flush of the open
// folder is what forces it: MS-FSA 2.1.5.7 has a flush of a directory flush the file system's
// data of that directory, NtFlushBuffersFileEx takes directory handles, and a server asks a
// directory handle for the right to add files (MS-SMB2 3.3.5.11). A file system that cannot flush
// a folder at all (ERROR_INVALID_FUNCTION) has nothing left to force: that is no failure.
FileError Win32FileOps::flushFolder(std::string_view windowsFolder)
{
    const HANDLE folder = CreateFileW(widePath(m_paths.toHost(windowsFolder)).c_str(),
        FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | SYNCHRONIZE,
        kShareAll,
        nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return lastError();
    const DWORD code = FlushFileBuffers(folder) ? ERROR_SUCCESS : GetLastError();
    CloseHandle(folder);
    return code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED ? FileError::None : errorFrom(code);
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
