// SPDX-License-Identifier: MIT
#pragma once

#include "Picture.h"

#include <array>
#include <cstdint>
#include <functional>

namespace shiftloom {

/**
 * What the notification-area service is asked to do with an icon. The values are those of the
 * Windows shell (NIM_ADD, NIM_MODIFY, NIM_DELETE), so that its backend passes them through.
 */
enum class NotifyMessage : std::uint32_t
{
    Add = 0,
    Modify = 1,
    Delete = 2,
};

/** Which fields of the record are valid (NIF_MESSAGE, NIF_ICON, NIF_TIP). */
inline constexpr std::uint32_t kNotifyFlagMessage = 1;
inline constexpr std::uint32_t kNotifyFlagIcon = 2;
inline constexpr std::uint32_t kNotifyFlagTip = 4;

/**
 * Mouse messages as the service reports them for the icon (WM_MOUSEMOVE, WM_LBUTTONDOWN,
 * WM_RBUTTONDOWN). The service sends the icon's callback message with the real mouse message as
 * its argument; only the two presses mean anything to the tray control.
 */
inline constexpr std::uint32_t kMouseMove = 0x200;
inline constexpr std::uint32_t kLeftButtonDown = 0x201;
inline constexpr std::uint32_t kRightButtonDown = 0x204;

/** The size of the tooltip field of the record, terminator included. */
inline constexpr std::size_t kTipFieldSize = 64;

/**
 * The record that describes the icon to the service: the first, 88-byte form of the shell's
 * notify-icon data (cbSize, owner window, identifier, flags, callback message, icon handle and a
 * 64-byte tooltip in the single-byte code page). Window and icon handles are 32-bit in that form.
 */
struct NotifyIconData
{
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    std::array<char, kTipFieldSize> szTip{};
    bool operator==(const NotifyIconData&) const = default;
};

/** cbSize of the record: six 32-bit fields and the tooltip field. */
inline constexpr std::uint32_t kNotifyIconDataSize = 6 * 4 + kTipFieldSize;
static_assert(kNotifyIconDataSize == 88);

/**
 * The desktop's notification area: puts an icon there, changes it, removes it, and reports mouse
 * activity on it. One service serves one icon (one tray control).
 */
class NotifyIconService
{
public:
    virtual ~NotifyIconService() = default;

    /**
     * Adds, changes or removes the icon that `data` describes. `icon` is the picture whose handle
     * `data.hIcon` holds (none for a removal after the picture was cleared). Returns true when
     * the service carried it out.
     */
    virtual bool notifyIcon(NotifyMessage message, const NotifyIconData& data, const Picture* icon) = 0;

    /** The window that receives the icon's notifications: the record's owner window. */
    virtual std::uint32_t ownerWindow() const = 0;

    /**
     * Where the service delivers each mouse message on the icon (kLeftButtonDown,
     * kRightButtonDown, or any other number), on the user-interface thread. An empty function
     * stops the delivery.
     */
    virtual void setNotificationHandler(std::function<void(std::uint32_t mouseMessage)> handler) = 0;
};

} // namespace shiftloom
