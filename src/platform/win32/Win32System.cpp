// SPDX-License-Identifier: MIT
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/WindowsPath.h"

#include <string>
#include <windows.h>

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

std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size)
{
    return ::GetWindowsDirectoryA(buffer, size);
}

namespace {

/** True when the file can be opened for appending, or, when it is missing, created. */
bool takesRecords(const char* path, DWORD disposition)
{
    const HANDLE file = CreateFileA(path,
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

std::string environment(const char* name)
{
    char value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(name, value, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(value, length);
}

} // namespace

std::string ownStateFolder()
{
    std::string folder = environment("LOCALAPPDATA");
    return folder.empty() ? folder : folder + "\\Ovix\\Shift-Loom";
}

std::string localRootFolder()
{
    // A buffer already in the root of C: that this user can write stays in use, so that records
    // left there are handed over; otherwise the root is used when it takes a new file.
    if (takesRecords("c:\\data", OPEN_EXISTING))
        return {};
    const std::string probe = "c:\\shift-loom-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    if (takesRecords(probe.c_str(), CREATE_NEW))
        return {};
    std::string folder = environment("LOCALAPPDATA");
    if (folder.empty()) {
        folder = environment("USERPROFILE");
        if (folder.empty())
            return {};
        folder += "\\AppData\\Local";
    }
    for (const char* part : {"\\Ovix", "\\Shift-Loom"}) {
        folder += part;
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    return folder;
}

} // namespace shiftloom::platform
