// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

namespace shiftloom {

/**
 * The window system can go before the panel is told that the session ends: at a logout the X
 * server, or the Wayland compositor with its XWayland server, may end first. Qt's X11 platform
 * then ends the process with exit() from inside the event loop, and the unload step, which
 * writes the stop record of a running job, would never run.
 *
 * While a guard lives, such an exit runs its step first (from a handler registered with atexit,
 * while main's objects still exist), and so does Qt's report that the Wayland compositor is gone,
 * after which its Wayland platform ends the process at once. A guard that is destroyed (main
 * returned) runs nothing. One guard at a time.
 */
class DisplayLossGuard final
{
public:
    explicit DisplayLossGuard(std::function<void()> unload);
    ~DisplayLossGuard();
    DisplayLossGuard(const DisplayLossGuard&) = delete;
    DisplayLossGuard& operator=(const DisplayLossGuard&) = delete;

    /** Runs the step of the living guard, once; nothing without one. */
    static void runNow();

private:
    static void atExit();

    std::function<void()> m_unload;
};

} // namespace shiftloom
