// SPDX-License-Identifier: MIT
#pragma once

#include "tray/NotifyIconService.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <memory>

namespace shiftloom {

/**
 * The notification area through QSystemTrayIcon: a StatusNotifierItem where the desktop has a
 * watcher for them on the session bus, otherwise an XEmbed icon in a freedesktop system tray
 * (such as the one of `trayer`). The record's image handle selects the picture passed with it;
 * the tooltip is the record's tip field up to its NUL, converted from the 8-bit code page.
 */
class QtNotifyIconService final : public QObject, public NotifyIconService
{
    Q_OBJECT

public:
    explicit QtNotifyIconService(QObject* parent = nullptr);
    ~QtNotifyIconService() override;

    bool notifyIcon(NotifyMessage message, const NotifyIconData& data, const Picture* icon) override;
    std::uint32_t ownerWindow() const override { return 0; }
    void setNotificationHandler(std::function<void(std::uint32_t mouseMessage)> handler) override;

    /** The icon while it is added, or none; for tests, which trigger it by emitting `activated`. */
    QSystemTrayIcon* trayIcon() const { return m_icon.get(); }

    /** The mouse message that an activation of the icon stands for. */
    static std::uint32_t mouseMessageFor(QSystemTrayIcon::ActivationReason reason);
    /** The tooltip text of a record's tip field: up to the NUL, as UTF-8 text. */
    static QString toolTipOf(const NotifyIconData& data);

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::function<void(std::uint32_t)> m_handler;
};

} // namespace shiftloom
