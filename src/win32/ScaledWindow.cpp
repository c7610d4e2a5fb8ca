// SPDX-License-Identifier: MIT
#include "ScaledWindow.h"

#include "win32/EdgeText.h"

#include <utility>

namespace shiftloom::win32 {

ScaledWindow::ScaledWindow()
    : m_scale(scaleOfWindow(nullptr))
    , m_gdi(m_scale)
{
}

ScaledWindow::~ScaledWindow()
{
    m_names.reset();
    if (m_window) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

void ScaledWindow::create(const WindowClass& windowClass,
    std::wstring_view title,
    DWORD style,
    DWORD exStyle,
    HWND owner,
    SIZE clientTwips,
    POINT atTwips)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW registered{};
    registered.cbSize = sizeof(registered);
    registered.style = windowClass.style;
    registered.lpfnWndProc = windowProc;
    registered.hInstance = instance;
    registered.hCursor = LoadCursor(nullptr, IDC_ARROW);
    registered.hbrBackground = windowClass.background;
    registered.lpszClassName = windowClass.name;
    RegisterClassExW(&registered); // the class of an earlier window of its kind stays
    m_clientTwips = clientTwips;
    m_style = style;
    m_exStyle = exStyle;
    // Made where its owner is, at the scale of that monitor (it goes to another with its owner).
    if (owner)
        m_scale = scaleOfWindow(owner);
    m_gdi = GdiCache(m_scale);
    const RECT frame = frameAtScale();
    const bool placed = atTwips.x >= 0;
    CreateWindowExW(exStyle,
        windowClass.name,
        std::wstring(title).c_str(),
        style,
        placed ? m_scale.pixels(atTwips.x) + frame.left : CW_USEDEFAULT,
        placed ? m_scale.pixels(atTwips.y) + frame.top : CW_USEDEFAULT,
        frame.right - frame.left,
        frame.bottom - frame.top,
        owner,
        nullptr,
        instance,
        this);
    // Placed by the system on a monitor of another scale: sized again for it, before any control.
    if (m_window && scaleOfWindow(m_window).dpi() != m_scale.dpi()) {
        m_scale = scaleOfWindow(m_window);
        m_gdi = GdiCache(m_scale);
        fitFrame();
    }
    if (m_icons)
        m_icons->apply(m_window, m_scale);
}

HWND ScaledWindow::createChild(const wchar_t* windowClass, std::string_view caption, DWORD style, DWORD exStyle, int id)
{
    return CreateWindowExW(exStyle,
        windowClass,
        wide(caption).c_str(),
        style,
        0,
        0,
        0,
        0,
        m_window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleW(nullptr),
        nullptr);
}

RECT ScaledWindow::frameAtScale() const
{
    return windowFrame(
        m_scale, RECT{0, 0, m_scale.pixels(m_clientTwips.cx), m_scale.pixels(m_clientTwips.cy)}, m_style, m_exStyle);
}

void ScaledWindow::fitFrame()
{
    const RECT frame = frameAtScale();
    SetWindowPos(m_window,
        nullptr,
        0,
        0,
        frame.right - frame.left,
        frame.bottom - frame.top,
        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ScaledWindow::rescale(int dpi, const RECT& suggested)
{
    // Every place from its twips at the new scale, every font at its new size; the controls take
    // the new fonts before the old ones go with the old cache.
    m_scale = TwipsScale(dpi);
    GdiCache fresh(m_scale);
    std::swap(m_gdi, fresh);
    const RECT frame = frameAtScale();
    SetWindowPos(m_window,
        nullptr,
        suggested.left,
        suggested.top,
        frame.right - frame.left,
        frame.bottom - frame.top,
        SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_icons)
        m_icons->apply(m_window, m_scale);
    placeControls();
    InvalidateRect(m_window, nullptr, TRUE);
}

LRESULT CALLBACK ScaledWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ScaledWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ScaledWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT ScaledWindow::defaultHandling(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        // As a dialog does: the focus leaves with the window and comes back to the same control,
        // or to the first one the first time.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            m_focus = focus && IsChild(m_window, focus) ? focus : nullptr;
        } else {
            if (!m_focus || !IsWindow(m_focus))
                m_focus = firstFocus();
            if (m_focus)
                SetFocus(m_focus);
        }
        return 0;
    case WM_DPICHANGED:
        rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_window, &ps);
        paint(dc, ps.rcPaint);
        EndPaint(m_window, &ps);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace shiftloom::win32
