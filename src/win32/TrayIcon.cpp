// SPDX-License-Identifier: MIT
#include "TrayIcon.h"

#include "win32/EdgeText.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <shellapi.h>
#include <shellscalingapi.h>

namespace shiftloom::win32 {
namespace {

constexpr wchar_t kClassName[] = L"ShiftLoomTrayIcon";
constexpr UINT kIconId = 1;
constexpr UINT kIconMessage = WM_APP + 1;
constexpr UINT_PTR kLatchTimer = 1;
constexpr UINT_PTR kRetryTimer = 2;

/** The size of a small icon on the main monitor, whose taskbar holds the notification area. */
int notificationIconSize()
{
    UINT dpiX = 0;
    UINT dpiY = 0;
    HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    if (FAILED(GetDpiForMonitor(primary, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) || dpiY == 0)
        dpiY = GetDpiForSystem();
    return GetSystemMetricsForDpi(SM_CXSMICON, dpiY);
}

} // namespace

std::array<char, 64> trayTipField(std::string_view toolTip)
{
    std::array<char, 64> field;
    field.fill(' ');
    const std::string_view text = toolTip.substr(0, field.size() - 1);
    std::memcpy(field.data(), text.data(), text.size());
    field[text.size()] = '\0';
    return field;
}

TrayIcon::TrayIcon(std::string_view toolTip, std::function<void()> leftClick)
    : m_toolTip(toolTip)
    , m_leftClick(std::move(leftClick))
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (m_window)
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_iconSize = notificationIconSize();
    m_icon = programIcon(m_iconSize);
}

TrayIcon::~TrayIcon()
{
    show(false);
    if (m_window) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

bool TrayIcon::notify(DWORD message)
{
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof(record);
    record.hWnd = m_window;
    record.uID = kIconId;
    // In version 4 the shell shows the tip only when asked to (NIF_SHOWTIP).
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    record.uCallbackMessage = kIconMessage;
    record.hIcon = m_icon.get();
    // The tip as the program's 64-character field, NUL and padding included.
    const std::array<char, 64> tip = trayTipField(m_toolTip);
    const std::wstring text = wide(std::string_view(tip.data(), tip.size()));
    std::copy_n(text.begin(), std::min(text.size(), std::size(record.szTip)), record.szTip);
    record.uVersion = NOTIFYICON_VERSION_4;
    return Shell_NotifyIconW(message, &record) != FALSE;
}

void TrayIcon::add()
{
    KillTimer(m_window, kRetryTimer);
    // An icon already there is updated; one the shell lost (or never had) is added.
    if (!(m_shown && notify(NIM_MODIFY))) {
        const bool added = notify(NIM_ADD);
        // One that the shell still has from before (it was said to be lost, but was not) is updated.
        m_shown = added || notify(NIM_MODIFY);
        if (added)
            notify(NIM_SETVERSION);
    }
    if (m_shown) {
        m_triesLeft = kRetries;
    } else if (m_triesLeft-- > 0) {
        SetTimer(m_window, kRetryTimer, kRetryInterval, nullptr);
    }
}

void TrayIcon::show(bool visible)
{
    m_wanted = visible;
    if (visible) {
        m_triesLeft = kRetries;
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
    reloadIcon();
    if (m_wanted) {
        m_triesLeft = kRetries;
        add();
    }
}

void TrayIcon::reloadIcon()
{
    const int size = notificationIconSize();
    if (size == m_iconSize && m_icon.get())
        return;
    IconHandle icon = programIcon(size);
    std::swap(m_icon, icon);
    m_iconSize = size;
    if (m_shown)
        notify(NIM_MODIFY);
}

void TrayIcon::click()
{
    if (m_latched)
        return;
    m_latched = true;
    if (m_leftClick)
        m_leftClick();
    SetTimer(m_window, kLatchTimer, kLatchInterval, nullptr);
}

void TrayIcon::event(UINT what)
{
    switch (what) {
    case WM_LBUTTONDOWN:
        // The press is the click; the shell's selection that follows the release is the same one.
        m_pressSelects = true;
        click();
        break;
    case NIN_SELECT:
        if (!std::exchange(m_pressSelects, false))
            click();
        break;
    case NIN_KEYSELECT:
        click();
        break;
    default:
        break;
    }
}

LRESULT CALLBACK TrayIcon::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TrayIcon*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kIconMessage) {
        // Version 4: what happened in the low word, the icon's id in the high word.
        if (HIWORD(lParam) == kIconId)
            self->event(LOWORD(lParam));
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
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace shiftloom::win32
