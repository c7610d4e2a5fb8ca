// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>

namespace shiftloom {

/**
 * The program's icon in the desktop's notification area, on `QSystemTrayIcon`.
 *
 * A left click calls the click handler. From the click until `kLatchInterval` after the handler
 * has returned, further clicks are dropped, not queued, so that a handler that opens a window is
 * not entered again by a worker clicking twice.
 *
 * At login the panel may start before the desktop's notification area: while none is there, the
 * icon is shown again every `kRetryInterval`, or a hidden panel could not come back.
 */
class TrayIcon final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kLatchInterval = 15; ///< milliseconds
    static constexpr int kRetryInterval = 3000; ///< milliseconds

    /** `toolTip` as the worker sees it on the icon; `leftClick` runs for a left click. */
    TrayIcon(const QIcon& icon, const QString& toolTip, std::function<void()> leftClick, QObject* parent = nullptr);

    /** Shows the icon (true) or removes it (false). */
    void show(bool visible);
    /** A click on the icon as the notification area reports it. */
    void activate(QSystemTrayIcon::ActivationReason reason);

private:
    QSystemTrayIcon m_icon;
    QTimer m_latch;
    QTimer m_retry;
    std::function<void()> m_leftClick;
};

} // namespace shiftloom
