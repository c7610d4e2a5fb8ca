// SPDX-License-Identifier: MIT
#pragma once

#include "tray/NotifyIconService.h"

#include <map>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/**
 * The notification area of the Windows shell, through Shell_NotifyIconA. The service owns a
 * hidden message-only window that is the icon's owner: the shell sends it the icon's callback
 * message with the mouse message in the low word of lParam, which the service hands to the
 * notification handler. Icon handles are made from the pictures' pixels and kept per picture.
 */
class Win32NotifyIconService final : public NotifyIconService
{
public:
    Win32NotifyIconService();
    ~Win32NotifyIconService() override;
    Win32NotifyIconService(const Win32NotifyIconService&) = delete;
    Win32NotifyIconService& operator=(const Win32NotifyIconService&) = delete;

    bool notifyIcon(NotifyMessage message, const NotifyIconData& data, const Picture* icon) override;
    std::uint32_t ownerWindow() const override;
    void setNotificationHandler(std::function<void(std::uint32_t mouseMessage)> handler) override;

    /** Shows `icon` (which the service then owns) for `picture` instead of one made from its pixels. */
    void adoptIcon(const Picture& picture, HICON icon);

    /** Called by the window procedure. */
    void deliver(std::uint32_t mouseMessage);

private:
    void* iconFor(const Picture& picture);

    void* m_window = nullptr; ///< HWND
    std::map<std::uint32_t, void*> m_icons; ///< HICON by picture handle
    std::function<void(std::uint32_t)> m_handler;
};

} // namespace shiftloom::win32
