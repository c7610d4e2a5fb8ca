// SPDX-License-Identifier: MIT
#include "DesktopSession.h"

#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QWidget>
#include <QWindow>

namespace shiftloom::desktop {

void preferXWayland()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    // A list: Qt tries X first and takes Wayland when the X display cannot be opened.
    qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

bool nativeWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool notificationAreaAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool startCompositorMove(QWidget& window)
{
    if (!nativeWayland())
        return false;
    QWindow* handle = window.windowHandle();
    return handle && handle->startSystemMove();
}

} // namespace shiftloom::desktop
