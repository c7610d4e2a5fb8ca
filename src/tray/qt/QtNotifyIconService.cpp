// SPDX-License-Identifier: MIT
#include "QtNotifyIconService.h"

#include "PictureConversion.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <string_view>

namespace shiftloom {

// Mouse messages of the notifications that the tray control ignores.
namespace {
constexpr std::uint32_t kLeftButtonDoubleClick = 0x203;
constexpr std::uint32_t kMiddleButtonDown = 0x207;
} // namespace

QtNotifyIconService::QtNotifyIconService(QObject* parent)
    : QObject(parent)
{
}

QtNotifyIconService::~QtNotifyIconService() = default;

void QtNotifyIconService::setNotificationHandler(std::function<void(std::uint32_t)> handler)
{
    m_handler = std::move(handler);
}

std::uint32_t QtNotifyIconService::mouseMessageFor(QSystemTrayIcon::ActivationReason reason)
{
    // Qt reports activations, not raw button events: Trigger for the left button and Context
    // for the right one, on the press with an XEmbed tray and on the click with a
    // StatusNotifierItem host, which sends nothing on the press. Either way they stand for the
    // presses the tray control acts on. A double click's second press and the middle button are
    // passed on as what they are, which the control ignores.
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return kLeftButtonDown;
    case QSystemTrayIcon::Context:
        return kRightButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return kLeftButtonDoubleClick;
    case QSystemTrayIcon::MiddleClick:
        return kMiddleButtonDown;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return kMouseMove;
}

QString QtNotifyIconService::toolTipOf(const NotifyIconData& data)
{
    const auto end = std::find(data.szTip.begin(), data.szTip.end(), '\0');
    const std::string_view tip(data.szTip.data(), static_cast<std::size_t>(end - data.szTip.begin()));
    return QString::fromStdString(platform::cp1252ToUtf8(tip));
}

bool QtNotifyIconService::notifyIcon(NotifyMessage message, const NotifyIconData& data, const Picture* icon)
{
    switch (message) {
    case NotifyMessage::Add:
        if (m_icon)
            return false; // the icon is there already
        m_icon = std::make_unique<QSystemTrayIcon>();
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, &QtNotifyIconService::onActivated);
        break;
    case NotifyMessage::Modify:
        if (!m_icon)
            return false;
        break;
    case NotifyMessage::Delete:
        if (!m_icon)
            return false;
        // Deleted later, not here: a click handler may remove the icon while the icon is still
        // delivering that click.
        m_icon->disconnect(this);
        m_icon->hide();
        m_icon.release()->deleteLater();
        return true;
    }
    if (icon)
        m_icon->setIcon(iconFromPicture(*icon));
    m_icon->setToolTip(toolTipOf(data));
    // Qt docks the icon as soon as a tray appears, also when none is there yet at login; so an
    // add counts as done even when isSystemTrayAvailable() is still false.
    m_icon->show();
    return true;
}

void QtNotifyIconService::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (const std::function<void(std::uint32_t)> handler = m_handler)
        handler(mouseMessageFor(reason));
}

} // namespace shiftloom
