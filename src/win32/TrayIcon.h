// SPDX-License-Identifier: MIT
#pragma once

#include "win32/Gdi.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace shiftloom::win32 {

/**
 * The tooltip field of the notification record for `toolTip` (8-bit text, `trayToolTip`): the
 * text and a NUL, left-justified in the 64-byte field and padded with blanks after the NUL.
 */
std::array<char, 64> trayTipField(std::string_view toolTip);

/**
 * The program's icon in the notification area of the Windows shell, through Shell_NotifyIconW in
 * the shell's fourth way of talking to an icon (NOTIFYICON_VERSION_4). The icon belongs to a
 * hidden message-only window, to which the shell sends what happens to the icon.
 *
 * The click handler runs at a left button press (not its release), and when the worker selects
 * the icon with the keyboard (Windows+B, the arrows, then Enter or Space). From then until
 * `kLatchInterval` after the handler has returned, further presses are dropped, not queued, so
 * that a handler that opens a window is not entered again by a worker clicking twice.
 *
 * At log-on the panel may start before the shell's notification area: while the icon cannot be
 * added it is tried again every `kRetryInterval`, `kRetries` times; and it is added again
 * whenever the notification area starts anew (the shell's "TaskbarCreated" message, which the
 * panel window receives and passes on to `restore`). The icon is taken out of the notification
 * area with `show(false)` or when the object goes.
 */
class TrayIcon final
{
public:
    static constexpr UINT kLatchInterval = 15; ///< milliseconds
    static constexpr UINT kRetryInterval = 3000; ///< milliseconds
    static constexpr int kRetries = 40;

    TrayIcon(std::string_view toolTip, std::function<void()> leftClick);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    /** Shows the icon (adds it, or updates it when it is there) or removes it. */
    void show(bool visible);
    /** The notification area started anew: an icon that should show is added again. */
    void restore();
    /**
     * Loads the icon again at the size the notification area asks for now (it follows the scale
     * of the main monitor) and shows it where it is shown.
     */
    void reloadIcon();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool notify(DWORD message);
    void add();
    void event(UINT what);
    void click();

    HWND m_window = nullptr;
    IconHandle m_icon;
    int m_iconSize = 0;
    std::string m_toolTip;
    std::function<void()> m_leftClick;
    bool m_wanted = false;
    bool m_shown = false;
    bool m_latched = false;
    bool m_pressSelects = false; ///< a left press was taken as the click: the selection after it is not
    int m_triesLeft = 0;
};

} // namespace shiftloom::win32
