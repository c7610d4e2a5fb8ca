// SPDX-License-Identifier: MIT
#include "Win32NotifyIconService.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <shellapi.h>

namespace shiftloom::win32 {
namespace {

constexpr char kWindowClass[] = "ShiftLoomTrayOwner";

LRESULT CALLBACK ownerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kMouseMove) {
        // The owner is a message-only window, so every WM_MOUSEMOVE it gets is the icon's
        // callback: the real mouse message travels in the low word of lParam.
        auto* service = reinterpret_cast<Win32NotifyIconService*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (service)
            service->deliver(static_cast<std::uint32_t>(LOWORD(lParam)));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/** An icon from one image of a picture: 32-bit colour with alpha. */
HICON makeIcon(const PictureImage& image)
{
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(header);
    header.bV5Width = image.width;
    header.bV5Height = -image.height; // top-down rows
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP colour =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!colour)
        return nullptr;
    std::memcpy(bits, image.argb.data(), image.argb.size() * sizeof(std::uint32_t));
    // An all-clear mask (rows of 16-bit words): the alpha channel of the colour image decides.
    const std::vector<BYTE> clear(static_cast<std::size_t>((image.width + 15) / 16 * 2 * image.height), 0);
    HBITMAP mask = CreateBitmap(image.width, image.height, 1, 1, clear.data());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = colour;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

} // namespace

Win32NotifyIconService::Win32NotifyIconService()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ownerWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass); // fails harmlessly when a second service registers it again
    HWND window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
}

Win32NotifyIconService::~Win32NotifyIconService()
{
    if (m_window)
        DestroyWindow(static_cast<HWND>(m_window));
    for (auto& [handle, icon] : m_icons)
        DestroyIcon(static_cast<HICON>(icon));
}

std::uint32_t Win32NotifyIconService::ownerWindow() const
{
    // Window handles are 32-bit values even in a 64-bit process, so the record's field holds it.
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(m_window));
}

void Win32NotifyIconService::setNotificationHandler(std::function<void(std::uint32_t)> handler)
{
    m_handler = std::move(handler);
}

void Win32NotifyIconService::deliver(std::uint32_t mouseMessage)
{
    if (m_handler)
        m_handler(mouseMessage);
}

void Win32NotifyIconService::adoptIcon(const Picture& picture, HICON icon)
{
    m_icons[picture.handle()] = icon;
}

void* Win32NotifyIconService::iconFor(const Picture& picture)
{
    const auto found = m_icons.find(picture.handle());
    if (found != m_icons.end())
        return found->second;
    // The image nearest the small-icon size of the system, larger ones first.
    const int wanted = GetSystemMetrics(SM_CXSMICON);
    const PictureImage* best = nullptr;
    for (const PictureImage& image : picture.images()) {
        if (!best || std::abs(image.width - wanted) < std::abs(best->width - wanted)
            || (std::abs(image.width - wanted) == std::abs(best->width - wanted) && image.width > best->width))
            best = &image;
    }
    void* icon = best ? makeIcon(*best) : nullptr;
    if (icon)
        m_icons.emplace(picture.handle(), icon);
    return icon;
}

bool Win32NotifyIconService::notifyIcon(NotifyMessage message, const NotifyIconData& data, const Picture* icon)
{
    NOTIFYICONDATAA record{};
    // The first form of the record: up to and including the 64-byte tooltip. That is 88 bytes
    // in a 32-bit program; in a 64-bit one the window and icon handles widen it to 104, and the
    // shell tells the forms apart by the size of the program's own kind.
    static_assert(NOTIFYICONDATAA_V1_SIZE == offsetof(NOTIFYICONDATAA, szTip) + kTipFieldSize);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = static_cast<HWND>(m_window);
    record.uID = data.uID;
    record.uFlags = data.uFlags;
    record.uCallbackMessage = data.uCallbackMessage;
    record.hIcon = icon ? static_cast<HICON>(iconFor(*icon)) : nullptr;
    std::memcpy(record.szTip, data.szTip.data(), std::min(sizeof(record.szTip), data.szTip.size()));
    return Shell_NotifyIconA(static_cast<DWORD>(message), &record) != FALSE;
}

} // namespace shiftloom::win32
