// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>

namespace shiftloom {

/**
 * The seconds of the clock tick, counted on a monotonic clock rather than by the timer's
 * messages: a timer message comes a little late or early, and none come while the computer
 * sleeps or the window's thread is held up, but the seconds it stands for are those that passed.
 * At each timer message the front end asks how many whole seconds are `due`, calls `Panel::tick`
 * for one and `Panel::catchUp` for the rest, and sets its timer to fire `untilNext`.
 */
class SecondCounter final
{
public:
    using Milliseconds = std::chrono::milliseconds;
    /** A message this much before its second counts that second already. */
    static constexpr Milliseconds kEarly{20};
    /** The shortest interval a window timer takes. */
    static constexpr Milliseconds kShortest{10};

    /** Counts from `now`, a reading of the monotonic clock. */
    explicit SecondCounter(Milliseconds now)
        : m_counted(now)
    {
    }
    /** The whole seconds from the last second counted to `now`; 0 for a message too early. */
    std::int64_t due(Milliseconds now);
    /** From `now` to the next second, between `kShortest` and one second. */
    Milliseconds untilNext(Milliseconds now) const;

private:
    Milliseconds m_counted; ///< the monotonic time of the last second counted
};

} // namespace shiftloom
