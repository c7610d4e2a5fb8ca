// SPDX-License-Identifier: MIT
#include "SecondCounter.h"

#include <algorithm>

namespace shiftloom {

std::int64_t SecondCounter::due(Milliseconds now)
{
    constexpr Milliseconds second{1000};
    if (now + kEarly < m_counted + second)
        return 0;
    const std::int64_t seconds = (now + kEarly - m_counted) / second;
    m_counted += seconds * second;
    return seconds;
}

SecondCounter::Milliseconds SecondCounter::untilNext(Milliseconds now) const
{
    return std::clamp(m_counted + Milliseconds(1000) - now, kShortest, Milliseconds(1000));
}

} // namespace shiftloom
