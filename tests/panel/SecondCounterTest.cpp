// SPDX-License-Identifier: MIT
// The clock tick's seconds, counted on a monotonic clock: timer messages early, late, far apart.
#include "panel/SecondCounter.h"

#include <gtest/gtest.h>

namespace shiftloom {
namespace {

TEST(SecondCounterTest, CountsTheWholeSecondsThatPassedAndSetsTheTimerToTheNextOne)
{
    using ms = std::chrono::milliseconds;
    // When a message comes, the seconds it counts, and when the timer is to come next.
    const long long messages[][3] = {{1970, 0, 30}, // too early for its second: the timer comes back for it
        {1990, 1, 1000}, // a little early: counted, and the next second waits its whole length
        {3015, 1, 985}, // late: the next second comes sooner, so lateness never adds up
        {12000, 9, 1000}, // nine seconds without a message (asleep, held up): all of them
        {11000, 0, 1000}}; // a clock that went back counts nothing
    SecondCounter counter(ms(1000));
    for (const auto& [at, due, next] : messages) {
        EXPECT_EQ(counter.due(ms(at)), due) << at;
        EXPECT_EQ(counter.untilNext(ms(at)), ms(next)) << at;
    }
}

} // namespace
} // namespace shiftloom
