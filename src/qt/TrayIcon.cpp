// SPDX-License-Identifier: MIT
#include "TrayIcon.h"

namespace shiftloom {

TrayIcon::TrayIcon(const QIcon& icon, const QString& toolTip, std::function<void()> leftClick, QObject* parent)
    : QObject(parent)
    , m_leftClick(std::move(leftClick))
{
    m_icon.setIcon(icon);
    m_icon.setToolTip(toolTip);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &TrayIcon::activate);
    m_latch.setSingleShot(true);
    m_latch.setInterval(kLatchInterval);
    m_retry.setInterval(kRetryInterval);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            m_retry.stop();
            m_icon.show();
        }
    });
}

void TrayIcon::show(bool visible)
{
    m_retry.stop();
    m_icon.setVisible(visible);
    // Qt docks a shown icon as soon as a notification area appears; asking again covers the
    // desktops where it does not.
    if (visible && !QSystemTrayIcon::isSystemTrayAvailable())
        m_retry.start();
}

void TrayIcon::activate(QSystemTrayIcon::ActivationReason reason)
{
    // Qt reports the left button as Trigger: on the press with an XEmbed tray, on the click with a
    // StatusNotifierItem host. Double clicks, the middle and the right button do nothing here.
    if (reason != QSystemTrayIcon::Trigger || m_latch.isActive() || !m_leftClick)
        return;
    // Held while the handler runs too: the timer only starts once it has returned.
    m_latch.start(60 * 60 * 1000);
    struct ReleaseLater
    {
        QTimer& latch;
        ~ReleaseLater() { latch.start(kLatchInterval); }
    } release{m_latch};
    m_leftClick();
}

} // namespace shiftloom
