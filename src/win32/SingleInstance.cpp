// SPDX-License-Identifier: MIT
#include "SingleInstance.h"

namespace shiftloom::win32 {
namespace {

constexpr wchar_t kMutexName[] = L"Local\\Ovix_Shift-Loom.Panel";
constexpr DWORD kHandOverMs = 5000;
constexpr DWORD kRetryMs = 100;

} // namespace

SingleInstance::~SingleInstance()
{
    if (m_mutex)
        CloseHandle(m_mutex);
}

UINT SingleInstance::showRequest()
{
    static const UINT message = RegisterWindowMessageW(L"Ovix_Shift-Loom.ShowPanel");
    return message;
}

SingleInstance::Claim SingleInstance::claim(const wchar_t* panelClass)
{
    // The first panel may still be making its window, be busy in its start-up, or be ending: it
    // is asked again until it answers, its mutex is gone, or the time is up.
    const ULONGLONG deadline = GetTickCount64() + kHandOverMs;
    for (;;) {
        m_mutex = CreateMutexW(nullptr, FALSE, kMutexName);
        // Without a mutex (no rights in the namespace: not to be expected) the panel runs unguarded.
        if (!m_mutex || GetLastError() != ERROR_ALREADY_EXISTS)
            return Claim::First;
        CloseHandle(m_mutex);
        m_mutex = nullptr;
        if (HWND panel = FindWindowW(panelClass, nullptr)) {
            // This start was the worker's own act, so it may pass the foreground on to the panel.
            DWORD process = 0;
            GetWindowThreadProcessId(panel, &process);
            AllowSetForegroundWindow(process);
            DWORD_PTR answer = 0;
            if (SendMessageTimeoutW(panel, showRequest(), 0, 0, SMTO_ABORTIFHUNG, kHandOverMs, &answer)
                && static_cast<LRESULT>(answer) == kShown)
                return Claim::HandedOver;
        }
        if (GetTickCount64() >= deadline)
            return Claim::NoAnswer;
        Sleep(kRetryMs);
    }
}

} // namespace shiftloom::win32
