// SPDX-License-Identifier: MIT
#include "DialogWindow.h"

#include <algorithm>

namespace shiftloom::win32 {
namespace {

constexpr char kClassName[] = "ShiftLoomDialog";

} // namespace

DialogWindow::DialogWindow()
    : m_scale(TwipsScale::ofScreen())
    , m_gdi(m_scale)
{
}

DialogWindow::~DialogWindow()
{
    m_names.reset();
    if (m_window) {
        SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

void DialogWindow::create(
    std::string_view title, DWORD style, DWORD exStyle, HWND owner, int left, int top, int width, int height)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    static const bool registered = [instance] {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExA(&windowClass) != 0;
    }();
    (void)registered;
    RECT frame{0, 0, m_scale.x(width), m_scale.y(height)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    if (left != CW_USEDEFAULT) {
        x = m_scale.x(left) + frame.left;
        y = m_scale.y(top) + frame.top;
    }
    const std::string text(title);
    CreateWindowExA(exStyle,
        kClassName,
        text.c_str(),
        style,
        x,
        y,
        frame.right - frame.left,
        frame.bottom - frame.top,
        owner,
        nullptr,
        instance,
        this);
}

HWND DialogWindow::addControl(const char* windowClass,
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
    const std::string caption(text);
    HWND control = CreateWindowExA(exStyle,
        windowClass,
        caption.c_str(),
        WS_CHILD | WS_VISIBLE | style,
        r.left,
        r.top,
        r.right - r.left,
        r.bottom - r.top,
        m_window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleA(nullptr),
        nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont()), FALSE);
    return control;
}

void DialogWindow::setAccessibleText(HWND control, const AccessibleText& text)
{
    m_names->set(control ? control : m_window, text);
}

void DialogWindow::centreOn(HWND over)
{
    RECT area{};
    if (over && IsWindowVisible(over))
        GetWindowRect(over, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
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
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* self = static_cast<DialogWindow*>(create->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
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
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_window, &ps);
        paint(dc);
        EndPaint(m_window, &ps);
        return 0;
    }
    return DefWindowProcA(m_window, message, wParam, lParam);
}

void runModal(HWND dialog, HWND owner, const std::function<bool()>& done)
{
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    MSG message;
    while (!done()) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0)
            break;
        if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
}

std::string windowText(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    const int length = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
}

} // namespace shiftloom::win32
