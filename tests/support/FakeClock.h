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

private:
    platform::LocalDateTime m_now;
};

} // namespace shiftloom::test
