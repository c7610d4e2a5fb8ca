// SPDX-License-Identifier: MIT
#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/WindowsPath.h"

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

} // namespace shiftloom::platform
