// SPDX-License-Identifier: MIT
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/WindowsPath.h"
#include "platform/win32/WideText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <windows.h>
// After windows.h:
#include <knownfolders.h>
#include <shlobj.h>

namespace shiftloom::platform {

LocalDateTime SystemClock::now() const
{
    SYSTEMTIME local = {};
    GetLocalTime(&local);
    return LocalDateTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

void endProcessNow(int exitCode)
{
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    ExitProcess(static_cast<UINT>(exitCode));
}

namespace {

// The Windows directory as a text of the program, as the Windows call of that name gives it: into
// `buffer` (at most `size` - 1 characters and a NUL), returning the number of its characters; when
// the buffer is too small, the size it needs, NUL included, writing nothing.
std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size)
{
    // The folder as a text of the program: Windows-1252, and only when it has no other character.
    // The system's own Windows directory, where Card-Warden puts cwv5.ini: on a Remote Desktop
    // host a program not marked terminal-server aware is given a private one by GetWindowsDirectory.
    wchar_t wide[MAX_PATH + 1];
    const UINT length = GetSystemWindowsDirectoryW(wide, MAX_PATH + 1);
    std::string text;
    if (length == 0 || length > MAX_PATH || !toPathText({wide, length}, text))
        return 0;
    if (buffer == nullptr || size <= text.size())
        return static_cast<std::uint32_t>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<std::uint32_t>(text.size());
}

} // namespace

std::vector<std::string> registrationFiles(std::string_view name)
{
    // The Windows directory in a buffer of 145 characters, with a backslash at its end.
    std::array<char, 145> buffer{};
    const std::uint32_t length = GetWindowsDirectoryA(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    std::string folder(buffer.data(), std::min<std::size_t>(length, buffer.size() - 1));
    if (folder.empty() || folder.back() != '\\')
        folder.push_back('\\');
    return {folder + std::string(name)};
}

namespace {

/** True when the file can be opened for appending, or, when it is missing, created. */
bool takesRecords(const std::string& path, DWORD disposition)
{
    const HANDLE file = CreateFileW(widePath(path).c_str(),
        FILE_APPEND_DATA,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr,
        disposition,
        disposition == CREATE_NEW ? FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE : FILE_ATTRIBUTE_NORMAL,
        nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

/** An environment variable as UTF-8, of any length; empty when unset. */
std::string environment(const wchar_t* name)
{
    std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    const DWORD length =
        value.empty() ? 0 : GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    return length == 0 || length >= value.size() ? std::string() : toUtf8({value.data(), length});
}

std::string localAppData()
{
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = toUtf8(path);
    CoTaskMemFree(path);
    // A LOCALAPPDATA that names another absolute folder is where this run was pointed to on
    // purpose: a test, or an administrator's script; Windows itself sets it to the known folder.
    const std::string set = environment(L"LOCALAPPDATA");
    const bool absolute = set.size() > 2 && (set[1] == ':' || set.starts_with("\\\\"));
    return absolute && CompareStringOrdinal(toWide(set).c_str(), -1, toWide(folder).c_str(), -1, TRUE) != CSTR_EQUAL
        ? set
        : folder;
}

} // namespace

// The user's own folder, from the known folder (any length, any characters, as UTF-8); never
// from the narrow environment, which spells a name outside the code page with "?".
std::string ownStateFolder()
{
    const std::string folder = localAppData();
    return folder.empty() ? folder : folder + "\\Ovix\\Shift-Loom";
}

std::string localRootFolder()
{
    // A buffer already in the root of C: that this user can write stays in use, so that records
    // left there are handed over; otherwise the root is used when it takes a new file.
    if (takesRecords("c:\\data", OPEN_EXISTING))
        return {};
    if (takesRecords("c:\\shift-loom-" + std::to_string(GetCurrentProcessId()) + ".tmp", CREATE_NEW))
        return {};
    const std::string folder = ownStateFolder();
    if (!folder.empty())
        makeFolderTree(folder);
    return folder;
}

} // namespace shiftloom::platform
