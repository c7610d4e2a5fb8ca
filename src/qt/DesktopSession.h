// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace shiftloom {

/**
 * What the panel needs to know of the desktop session it runs in: which window system to talk
 * to, whether a notification area is there to hide into, and how a borderless window is moved.
 */
namespace desktop {

/**
 * Before the application object exists: on a Wayland session that also offers an X display
 * (XWayland), the panel runs on X, where a window may place and move itself. Wayland stays the
 * fallback, and a worker's own QT_QPA_PLATFORM is kept.
 */
void preferXWayland();

/** True when the panel talks to a Wayland compositor directly. */
bool nativeWayland();

/**
 * True when the desktop shows tray icons now: a StatusNotifier host on the session bus, or an
 * XEmbed system tray. Asked each time, so that a tray that comes later counts from then on.
 */
bool notificationAreaAvailable();

/**
 * On a native Wayland session a window cannot move itself: the compositor moves it, following
 * the pointer, from a press on the window until the button is released. Starts that move; false
 * elsewhere, where the window moves itself.
 */
bool startCompositorMove(QWidget& window);

} // namespace desktop
} // namespace shiftloom
