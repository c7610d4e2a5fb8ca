// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

namespace shiftloom::platform {

/** A local date and time of day, all fields from one reading of the clock. */
struct LocalDateTime
{
    int year = 1970;
    int month = 1; ///< 1 to 12
    int day = 1; ///< 1 to 31
    int hour = 0; ///< 0 to 23
    int minute = 0;
    int second = 0;
    bool operator==(const LocalDateTime&) const = default;
};

/** The local date and time; tests put a fixed or stepping clock in its place. */
class Clock
{
public:
    virtual ~Clock() = default;
    virtual LocalDateTime now() const = 0;
    /** A clock that only goes forward, for pauses between tries (not for the time of day). */
    virtual std::chrono::steady_clock::time_point steadyNow() const { return std::chrono::steady_clock::now(); }
};

/** The machine's clock in the local time zone. */
class SystemClock final : public Clock
{
public:
    LocalDateTime now() const override;
};

} // namespace shiftloom::platform
