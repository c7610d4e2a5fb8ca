// SPDX-License-Identifier: MIT
#include "Tray.h"

#include <algorithm>

namespace shiftloom {
namespace {

constexpr std::uint32_t kIconId = 1;
constexpr std::uint32_t kRecordFlags = kNotifyFlagMessage | kNotifyFlagIcon | kNotifyFlagTip;
// The longest tooltip that fits the field with a blank on each side and the terminator.
constexpr std::size_t kMaxTipText = kTipFieldSize - 3;

} // namespace

std::array<char, kTipFieldSize> trayTipField(std::string_view toolTip)
{
    std::array<char, kTipFieldSize> field;
    field.fill(' ');
    std::size_t at = 0;
    if (!toolTip.empty()) {
        // The field must keep its terminator; a tooltip that would push it out is cut at the end.
        const std::string_view text = toolTip.substr(0, kMaxTipText);
        field[at++] = ' ';
        at = static_cast<std::size_t>(std::copy(text.begin(), text.end(), field.begin() + 1) - field.begin());
        field[at++] = ' ';
    }
    field[at] = '\0';
    return field;
}

Tray::Tray(NotifyIconService& service, IntervalTimer& timer1)
    : m_service(service)
    , m_timer1(timer1)
{
    m_timer1.setInterval(std::chrono::milliseconds{0});
    m_timer1.setHandler([this] { Timer1_Timer(); });
    m_service.setNotificationHandler([this](std::uint32_t mouseMessage) { receiveNotification(mouseMessage); });
}

Tray::~Tray()
{
    // The icon stays in the notification area (see the class comment); only the links back to
    // this object are cut, so that a late timer tick or notification finds nothing.
    m_service.setNotificationHandler({});
    m_timer1.setHandler({});
    m_timer1.setInterval(std::chrono::milliseconds{0});
}

TrayError Tray::Show(bool UpDateData)
{
    if (!UpDateData) {
        if (!m_isVisible)
            return TrayError::None;
        const bool removed = m_service.notifyIcon(NotifyMessage::Delete, m_record, m_picture.get());
        m_isVisible = false;
        return removed ? TrayError::None : TrayError::ServiceFailed;
    }

    m_record.cbSize = kNotifyIconDataSize;
    m_record.hWnd = m_service.ownerWindow();
    m_record.uID = kIconId;
    m_record.uFlags = kRecordFlags;
    m_record.uCallbackMessage = kMouseMove;
    if (!m_picture)
        return TrayError::NoImage;
    m_record.hIcon = m_picture->handle();
    m_record.szTip = trayTipField(m_toolTip);

    if (m_isVisible)
        return m_service.notifyIcon(NotifyMessage::Modify, m_record, m_picture.get()) ? TrayError::None
                                                                                      : TrayError::ServiceFailed;
    // Set the flag only when the icon really went in: a desktop whose notification area is not
    // up yet (early in a session) refuses the add, and a later Show(true) must add it again
    // rather than change an icon that is not there.
    if (!m_service.notifyIcon(NotifyMessage::Add, m_record, m_picture.get()))
        return TrayError::ServiceFailed;
    m_isVisible = true;
    return TrayError::None;
}

void Tray::setTrayImage(PicturePtr picture)
{
    if (!picture || picture->type() == PictureType::Icon) {
        m_picture = std::move(picture);
    } else {
        // Bitmaps, metafiles and the like: the image list scales the picture into one 32 x 32
        // item and makes an icon of it; the list is emptied again at once.
        m_imgList.clear();
        m_imgList.setImageSize(kIconPixels, kIconPixels);
        m_imgList.add(1, "dummy", *picture);
        m_picture = m_imgList.ExtractIcon(1);
        m_imgList.clear();
    }
    propertyChanged(trayprops::TrayImage);
}

void Tray::setTrayToolTip(std::string_view text)
{
    m_toolTip = std::string(text);
    propertyChanged(trayprops::TrayToolTip);
}

void Tray::setEventMode(std::int32_t mode)
{
    m_eventMode = std::clamp(mode, 0, 1);
    propertyChanged(trayprops::EventMode);
}

void Tray::ReadProperties(const PropertyBag& bag)
{
    m_picture = bag.ReadPicture(trayprops::TrayImage);
    m_toolTip = bag.ReadText(trayprops::TrayToolTip, trayprops::DefaultToolTip);
    m_eventMode = bag.ReadInteger(trayprops::EventMode, trayprops::DefaultEventMode);
}

void Tray::WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty(trayprops::TrayImage, m_picture);
    bag.WriteProperty(trayprops::TrayToolTip, m_toolTip);
    bag.WriteProperty(trayprops::EventMode, m_eventMode);
}

void Tray::receiveNotification(std::uint32_t mouseMessage)
{
    if (m_clickLatch)
        return;
    if (mouseMessage != kLeftButtonDown && mouseMessage != kRightButtonDown)
        return;
    m_clickLatch = true;

    // Arm the latch timer once the handler has returned, also when it leaves by an exception:
    // otherwise the latch would stay held and the icon would never answer a click again.
    struct ArmLatchTimer
    {
        IntervalTimer& timer;
        ~ArmLatchTimer() { timer.setInterval(kLatchInterval); }
    } arm{m_timer1};
    raise(mouseMessage);
}

void Tray::raise(std::uint32_t mouseMessage)
{
    const bool left = mouseMessage == kLeftButtonDown;
    if (m_eventMode == 0) {
        // A copy, so that a handler may replace itself while it runs.
        const std::function<void()> handler = left ? m_leftClick : m_rightClick;
        if (handler)
            handler();
        return;
    }
    std::int32_t Button = left ? 1 : 2;
    if (const std::function<void(std::int32_t&)> handler = m_mouseClick)
        handler(Button);
}

void Tray::Timer1_Timer()
{
    m_timer1.setInterval(std::chrono::milliseconds{0});
    m_clickLatch = false;
}

void Tray::propertyChanged(std::string_view name)
{
    if (m_propertyChanged)
        m_propertyChanged(name);
}

} // namespace shiftloom
