// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>

namespace shiftloom {

/**
 * A window-system timer on the user-interface thread: an interval of 0 stops it; any other
 * interval (re)starts it, and it then calls its handler every interval until the interval is
 * changed. The Qt layer runs it on a QTimer; tests fire it by hand.
 */
class IntervalTimer
{
public:
    virtual ~IntervalTimer() = default;
    virtual void setInterval(std::chrono::milliseconds interval) = 0;
    virtual std::chrono::milliseconds interval() const = 0;
    /** The function called when the timer fires; an empty one calls nothing. */
    virtual void setHandler(std::function<void()> handler) = 0;
};

} // namespace shiftloom
