// SPDX-License-Identifier: MIT
#pragma once

#include "ImageList.h"
#include "IntervalTimer.h"
#include "NotifyIconService.h"
#include "Picture.h"
#include "PropertyBag.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace shiftloom {

/** Why `Tray::Show` failed. */
enum class TrayError
{
    None,
    NoImage, ///< `Show(true)` without a `TrayImage`: nothing was sent to the service
    ServiceFailed, ///< the notification area refused the add, change or removal
};

/** The names under which the control's properties are stored, and their defaults. */
namespace trayprops {
inline constexpr std::string_view TrayImage = "TrayImage";
inline constexpr std::string_view TrayToolTip = "TrayToolTip";
inline constexpr std::string_view EventMode = "EventMode";
inline constexpr std::string_view DefaultToolTip = "  ";
inline constexpr std::int32_t DefaultEventMode = 0;
} // namespace trayprops

/**
 * The tooltip field of the notification record for `toolTip` (8-bit text): one blank, the text,
 * one blank and a NUL, left-justified in the 64-byte field and padded with blanks after the NUL;
 * an empty tooltip gives a lone NUL, then blanks. The field holds at most 61 characters of text
 * with its two blanks and terminator, so a longer tooltip is cut to its first 61 characters.
 */
std::array<char, kTipFieldSize> trayTipField(std::string_view toolTip);

/**
 * The tray icon control: one icon in the desktop's notification area with its image and tooltip,
 * and the left and right button presses on it turned into events.
 *
 * Presses reach the control as mouse messages from the service (see `receiveNotification`). The
 * first press raises its event; from then until 15 ms after the event handler has returned, the
 * click latch is held and further notifications are dropped, not queued, so that a handler that
 * opens a modal window is not entered again.
 *
 * The icon is only added, changed or removed by `Show`; setting the image or the tooltip alone
 * does not touch an icon already shown. Destroying the control leaves the icon where it is: the
 * host removes it with `Show(false)` before it ends.
 *
 * The control must not be destroyed from inside one of its own event handlers.
 */
class Tray final
{
public:
    /** The latch timer's interval after each event. */
    static constexpr std::chrono::milliseconds kLatchInterval{15};
    /** The control's own face is always this many pixels square, whatever size the host asks for. */
    static constexpr int kFacePixels = 36;
    /** The image list turns other pictures into icons of this many pixels square. */
    static constexpr int kIconPixels = 32;

    /**
     * A control with the properties of a new instance (no image, tooltip "  ", EventMode 0).
     * `service` and `timer1` must outlive it; it takes over their handlers.
     */
    Tray(NotifyIconService& service, IntervalTimer& timer1);
    ~Tray();
    Tray(const Tray&) = delete;
    Tray& operator=(const Tray&) = delete;

    /**
     * True: adds the icon to the notification area, or changes it to the current image and
     * tooltip when it is already there. False: removes the icon if it is there; nothing otherwise.
     *
     * Fails with NoImage when asked to show without an image: the record then keeps the fields
     * filled before the image (size, window, identifier, flags, message), the service is not
     * called and `IsVisible` does not change. Fails with ServiceFailed when the service refuses:
     * a refused add leaves `IsVisible` false (so the next `Show(true)` adds again), a refused
     * change leaves it true, and after a removal it is false whatever the service answered.
     */
    [[nodiscard]] TrayError Show(bool UpDateData);

    const PicturePtr& TrayImage() const { return m_picture; }
    /**
     * Sets the image: none clears it; an icon is taken as it is; any other picture is turned into
     * a 32 x 32 icon through the image list, which is left empty again.
     */
    void setTrayImage(PicturePtr picture);

    /** The tooltip as set (8-bit text), without the padding of the record. */
    const std::string& TrayToolTip() const { return m_toolTip; }
    /** Sets the tooltip; no length check here (see `trayTipField`). */
    void setTrayToolTip(std::string_view text);

    /** 0: separate LeftClick and RightClick events; any other value: one MouseClick event. */
    std::int32_t EventMode() const { return m_eventMode; }
    /** Stores `mode`, brought into 0 to 1 (above 1 becomes 1, below 0 becomes 0). */
    void setEventMode(std::int32_t mode);

    /** True while the icon is in the notification area. */
    bool IsVisible() const { return m_isVisible; }

    void onLeftClick(std::function<void()> handler) { m_leftClick = std::move(handler); }
    void onRightClick(std::function<void()> handler) { m_rightClick = std::move(handler); }
    /** `Button` is 1 for the left button, 2 for the right one; the handler may change it. */
    void onMouseClick(std::function<void(std::int32_t& Button)> handler) { m_mouseClick = std::move(handler); }
    /** Called with the property's name whenever the image, tooltip or event mode is set. */
    void onPropertyChanged(std::function<void(std::string_view name)> handler)
    {
        m_propertyChanged = std::move(handler);
    }

    /**
     * Loads stored properties: the picture as stored (no conversion), the tooltip, and the event
     * mode as stored (no clamping, so a stored 7 stays 7); absent keys take the defaults.
     */
    void ReadProperties(const PropertyBag& bag);
    /** Stores the three properties with their current values. */
    void WriteProperties(PropertyBag& bag) const;

    /**
     * One mouse message from the notification area. A left or right press raises its event
     * unless the click latch is held; everything else is ignored.
     */
    void receiveNotification(std::uint32_t mouseMessage);
    /** The latch timer has fired: stop it and free the latch. */
    void Timer1_Timer();

    /** The record last passed to the service (kept between calls). */
    const NotifyIconData& notifyRecord() const { return m_record; }
    bool clickLatched() const { return m_clickLatch; }
    const ImageList& ImgList() const { return m_imgList; }

private:
    void raise(std::uint32_t mouseMessage);
    void propertyChanged(std::string_view name);

    NotifyIconService& m_service;
    IntervalTimer& m_timer1;

    bool m_clickLatch = false;
    bool m_isVisible = false;
    NotifyIconData m_record{};
    std::int32_t m_eventMode = trayprops::DefaultEventMode;
    std::string m_toolTip{trayprops::DefaultToolTip};
    PicturePtr m_picture;
    ImageList m_imgList;

    std::function<void()> m_leftClick;
    std::function<void()> m_rightClick;
    std::function<void(std::int32_t&)> m_mouseClick;
    std::function<void(std::string_view)> m_propertyChanged;
};

} // namespace shiftloom
