// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Clock.h"

namespace shiftloom::test {

/** A clock that stands where the test puts it. */
class FakeClock final : public platform::Clock
{
public:
    explicit FakeClock(platform::LocalDateTime now = {2026, 12, 5, 8, 7, 59})
        : m_now(now)
    {
    }
    platform::LocalDateTime now() const override { return m_now; }
    void set(platform::LocalDateTime now) { m_now = now; }
    /** The steady clock stands too, until a test moves it on. */
    std::chrono::steady_clock::time_point steadyNow() const override { return m_steady; }
    void advance(std::chrono::steady_clock::duration by) { m_steady += by; }

private:
    platform::LocalDateTime m_now;
    std::chrono::steady_clock::time_point m_steady = std::chrono::steady_clock::now();
};

} // namespace shiftloom::test
