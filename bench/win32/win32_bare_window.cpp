// SPDX-License-Identifier: MIT
// The floor for the Windows panel's start-up: the least a Win32 panel with a tray icon does,
// built as the panel is (mingw-w64, static runtime, the program's icon resource). A borderless
// 192 x 395 tool window without a taskbar button and a Shell_NotifyIconA icon, shown; nothing
// read, nothing else created. With --exit-after-paint it ends after its first paint (exit code
// 0), or after 20 s without one (1).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <cstring>

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;
bool g_exitAfterPaint = false;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        FillRect(dc, &paint.rcPaint, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        EndPaint(window, &paint);
        if (g_exitAfterPaint)
            PostQuitMessage(0);
        return 0;
    }
    case WM_TIMER: // no paint within the time: the smoke run fails
        PostQuitMessage(1);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    g_exitAfterPaint = std::strstr(commandLine, "--exit-after-paint") != nullptr;
    const HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(1));

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.lpszClassName = "ShiftLoomBareWindow";
    RegisterClassA(&windowClass);
    const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW,
        windowClass.lpszClassName,
        "bare window",
        WS_POPUP | WS_THICKFRAME,
        100,
        100,
        192,
        395,
        nullptr,
        nullptr,
        instance,
        nullptr);

    // The first, 88-byte form of the icon data, as the panel uses.
    NOTIFYICONDATAA tray = {};
    tray.cbSize = NOTIFYICONDATAA_V1_SIZE;
    tray.hWnd = window;
    tray.uID = 1;
    tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    tray.uCallbackMessage = kTrayMessage;
    tray.hIcon = icon;
    std::strcpy(tray.szTip, "bare window");
    Shell_NotifyIconA(NIM_ADD, &tray);

    if (g_exitAfterPaint)
        SetTimer(window, 1, 20000, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Shell_NotifyIconA(NIM_DELETE, &tray);
    return window ? static_cast<int>(message.wParam) : 1;
}
