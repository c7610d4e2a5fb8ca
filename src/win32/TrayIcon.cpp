// SPDX-License-Identifier: MIT
#include "TrayIcon.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <shellapi.h>

namespace shiftloom::win32 {
namespace {

constexpr char kClassName[] = "ShiftLoomTrayIcon";
constexpr UINT kIconId = 1;
constexpr UINT_PTR kLatchTimer = 1;
constexpr UINT_PTR kRetryTimer = 2;
constexpr std::size_t kTipLength = 61;

} // namespace

std::array<char, 64> trayTipField(std::string_view toolTip)
{
    std::array<char, 64> field;
    field.fill(' ');
    std::size_t at = 0;
    if (!toolTip.empty()) {
        const std::string_view text = toolTip.substr(0, kTipLength);
        field[at++] = ' ';
        std::memcpy(field.data() + at, text.data(), text.size());
        at += text.size();
        field[at++] = ' ';
    }
    field[at] = '\0';
    return field;
}

TrayIcon::TrayIcon(HICON icon, std::string_view toolTip, std::function<void()> leftClick)
    : m_icon(icon)
    , m_toolTip(toolTip)
    , m_leftClick(std::move(leftClick))
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (m_window)
        SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TrayIcon::~TrayIcon()
{
    if (m_window) {
        SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

bool TrayIcon::notify(DWORD message)
{
    NOTIFYICONDATAA record{};
    // The first form of the record, up to and including the 64-byte tooltip: 88 bytes in a 32-bit
    // program; in a 64-bit one the window and icon handles widen it to 104, and the shell tells
    // the forms apart by the sizes of the program's own kind.
    static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + 64);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = m_window;
    record.uID = kIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = WM_MOUSEMOVE;
    record.hIcon = m_icon;
    const std::array<char, 64> tip = trayTipField(m_toolTip);
    std::memcpy(record.szTip, tip.data(), tip.size());
    return Shell_NotifyIconA(message, &record) != FALSE;
}

void TrayIcon::add()
{
    KillTimer(m_window, kRetryTimer);
    m_shown = notify(m_shown ? NIM_MODIFY : NIM_ADD) || (m_shown && notify(NIM_ADD));
    if (!m_shown)
        SetTimer(m_window, kRetryTimer, kRetryInterval, nullptr);
}

void TrayIcon::show(bool visible)
{
    m_wanted = visible;
    if (visible) {
        add();
        return;
    }
    KillTimer(m_window, kRetryTimer);
    if (m_shown)
        notify(NIM_DELETE);
    m_shown = false;
}

void TrayIcon::restore()
{
    // A new notification area knows no icon; one that merely says so again still has it.
    if (m_shown)
        notify(NIM_DELETE);
    m_shown = false;
    if (m_wanted)
        add();
}

void TrayIcon::mouse(UINT mouseMessage)
{
    if (m_latched || mouseMessage != WM_LBUTTONDOWN)
        return;
    m_latched = true;
    if (m_leftClick)
        m_leftClick();
    SetTimer(m_window, kLatchTimer, kLatchInterval, nullptr);
}

LRESULT CALLBACK TrayIcon::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TrayIcon*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_MOUSEMOVE) {
        // The window is message-only, so every WM_MOUSEMOVE it gets is the icon's.
        self->mouse(LOWORD(lParam));
        return 0;
    }
    if (self && message == WM_TIMER) {
        KillTimer(window, wParam);
        if (wParam == kLatchTimer)
            self->m_latched = false;
        else if (wParam == kRetryTimer && self->m_wanted && !self->m_shown)
            self->add();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace shiftloom::win32
