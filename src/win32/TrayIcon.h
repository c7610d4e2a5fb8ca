// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/**
 * The tooltip field of the notification record for `toolTip` (8-bit text): one blank, the text,
 * one blank and a NUL, left-justified in the 64-byte field and padded with blanks after the NUL;
 * an empty tooltip gives a lone NUL, then blanks. A tooltip longer than 61 characters is cut there.
 */
std::array<char, 64> trayTipField(std::string_view toolTip);

/**
 * The program's icon in the notification area of the Windows shell, through Shell_NotifyIconA
 * with the first form of the notification record. The icon belongs to a hidden message-only
 * window, to which the shell sends the icon's mouse activity as WM_MOUSEMOVE messages carrying
 * the real mouse message in the low word of lParam.
 *
 * A left button press (not its release) calls the click handler. From the press until
 * `kLatchInterval` after the handler has returned, further presses are dropped, not queued, so
 * that a handler that opens a window is not entered again by a worker clicking twice.
 *
 * At log-on the panel may start before the shell's notification area: while the icon cannot be
 * added it is tried again every `kRetryInterval`, and it is added again whenever the
 * notification area starts anew (the shell's "TaskbarCreated" message, which the panel window
 * receives and passes on to `restore`).
 */
class TrayIcon final
{
public:
    static constexpr UINT kLatchInterval = 15; ///< milliseconds
    static constexpr UINT kRetryInterval = 3000; ///< milliseconds

    TrayIcon(HICON icon, std::string_view toolTip, std::function<void()> leftClick);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    /** Shows the icon (adds it, or updates it when it is there) or removes it. */
    void show(bool visible);
    /** The notification area started anew: an icon that should show is added again. */
    void restore();
    bool isShown() const { return m_shown; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool notify(DWORD message);
    void add();
    void mouse(UINT mouseMessage);

    HWND m_window = nullptr;
    HICON m_icon;
    std::string m_toolTip;
    std::function<void()> m_leftClick;
    bool m_wanted = false;
    bool m_shown = false;
    bool m_latched = false;
};

} // namespace shiftloom::win32
