// SPDX-License-Identifier: MIT
#include "DialogWindow.h"

#include <algorithm>

namespace shiftloom::win32 {
namespace {

constexpr wchar_t kClassName[] = L"ShiftLoomDialog";

} // namespace

DialogWindow::DialogWindow()
    : m_scale(scaleOfWindow(nullptr))
    , m_gdi(m_scale)
{
}

DialogWindow::~DialogWindow()
{
    m_names.reset();
    if (m_window) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

void DialogWindow::create(
    std::string_view title, DWORD style, DWORD exStyle, HWND owner, int left, int top, int width, int height)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    static const bool registered = [instance] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
    // Made where its owner is, at the scale of that monitor (it goes to another with its owner).
    if (owner)
        m_scale = scaleOfWindow(owner);
    m_gdi = GdiCache(m_scale);
    m_clientTwips = SIZE{width, height};
    m_style = style;
    m_exStyle = exStyle;
    const RECT frame = windowFrame(m_scale, RECT{0, 0, m_scale.pixels(width), m_scale.pixels(height)}, style, exStyle);
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    if (left != CW_USEDEFAULT) {
        x = m_scale.pixels(left) + frame.left;
        y = m_scale.pixels(top) + frame.top;
    }
    CreateWindowExW(exStyle,
        kClassName,
        wide(title).c_str(),
        style,
        x,
        y,
        frame.right - frame.left,
        frame.bottom - frame.top,
        owner,
        nullptr,
        instance,
        this);
    // Placed by the system on a monitor of another scale: sized again for it, before any control.
    const TwipsScale placed = scaleOfWindow(m_window);
    if (m_window && placed.dpi() != m_scale.dpi()) {
        m_scale = placed;
        m_gdi = GdiCache(m_scale);
        const RECT sized =
            windowFrame(m_scale, RECT{0, 0, m_scale.pixels(width), m_scale.pixels(height)}, style, exStyle);
        SetWindowPos(m_window,
            nullptr,
            0,
            0,
            sized.right - sized.left,
            sized.bottom - sized.top,
            SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HWND DialogWindow::addControl(const wchar_t* windowClass,
    std::string_view text,
    DWORD style,
    DWORD exStyle,
    int id,
    int left,
    int top,
    int width,
    int height)
{
    const RECT r = twipsRect(left, top, width, height);
    HWND control = CreateWindowExW(exStyle,
        windowClass,
        wide(text).c_str(),
        WS_CHILD | WS_VISIBLE | style,
        r.left,
        r.top,
        r.right - r.left,
        r.bottom - r.top,
        m_window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleW(nullptr),
        nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont()), FALSE);
    m_placed.push_back({control, RECT{left, top, width, height}});
    return control;
}

void DialogWindow::showProgramIcons()
{
    m_icons.emplace();
    m_icons->apply(m_window, m_scale);
}

void DialogWindow::rescale(int dpi, const RECT& suggested)
{
    m_scale = TwipsScale(dpi);
    // The controls take the new fonts before the old ones go with the old cache.
    GdiCache fresh(m_scale);
    std::swap(m_gdi, fresh);
    const RECT frame = windowFrame(
        m_scale, RECT{0, 0, m_scale.pixels(m_clientTwips.cx), m_scale.pixels(m_clientTwips.cy)}, m_style, m_exStyle);
    SetWindowPos(m_window,
        nullptr,
        suggested.left,
        suggested.top,
        frame.right - frame.left,
        frame.bottom - frame.top,
        SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Placed& placed : m_placed) {
        const RECT r = twipsRect(placed.twips.left, placed.twips.top, placed.twips.right, placed.twips.bottom);
        SetWindowPos(
            placed.control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(placed.control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont()), TRUE);
    }
    if (m_icons)
        m_icons->apply(m_window, m_scale);
    scaleChanged();
    InvalidateRect(m_window, nullptr, TRUE);
}

void DialogWindow::setAccessibleText(HWND control, const AccessibleText& text)
{
    m_names->set(control ? control : m_window, text);
}

void DialogWindow::centreOn(HWND over)
{
    RECT area{};
    if (over && IsWindowVisible(over)) {
        GetWindowRect(over, &area);
    } else {
        // The work area of the monitor the window is on, beside the taskbar.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY), &monitor);
        area = monitor.rcWork;
    }
    RECT own{};
    GetWindowRect(m_window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(m_window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::bringForward()
{
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
}

LRESULT CALLBACK DialogWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<DialogWindow*>(create->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT DialogWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    return defaultHandling(message, wParam, lParam);
}

LRESULT DialogWindow::defaultHandling(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ACTIVATE) {
        // As a dialog does: the focus leaves with the window and comes back to the same control,
        // or to the first one the first time.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(m_window, focus))
                m_focus = focus;
        } else {
            if (!m_focus || !IsWindow(m_focus))
                m_focus = GetNextDlgTabItem(m_window, nullptr, FALSE);
            if (m_focus)
                SetFocus(m_focus);
        }
        return 0;
    }
    if (message == WM_DPICHANGED) {
        rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_window, &ps);
        paint(dc);
        EndPaint(m_window, &ps);
        return 0;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void runModal(HWND dialog, HWND owner, const std::function<bool()>& done)
{
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    MSG message;
    while (!done()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0)
            break;
        if (dialog && IsWindow(dialog) && IsDialogMessageW(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
}

} // namespace shiftloom::win32
