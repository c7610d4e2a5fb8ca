// SPDX-License-Identifier: MIT
// The clock tick's seconds, counted on a monotonic clock: timer messages early, late, far apart.
#include "panel/SecondCounter.h"

#include <gtest/gtest.h>

namespace shiftloom {
namespace {

using std::chrono::milliseconds;

TEST(SecondCounterTest, CountsTheWholeSecondsThatPassedAndSetsTheTimerToTheNextOne)
{
    struct Message
    {
        long long at; ///< milliseconds of the monotonic clock
        std::int64_t due;
        long long next;
    };
    const Message messages[] = {
        {1970, 0, 30}, // too early for its second: the timer comes back for it
        {1990, 1, 1000}, // a little early: counted, and the next second waits its whole length
        {3015, 1, 985}, // late: the next second comes sooner, so lateness never adds up
        {3900, 0, 100},
        {12000, 9, 1000}, // nine seconds without a message (asleep, held up): all of them
        {11000, 0, 1000}, // a clock that went back counts nothing
    };
    SecondCounter counter(milliseconds(1000));
    for (const Message& m : messages) {
        EXPECT_EQ(counter.due(milliseconds(m.at)), m.due) << "at " << m.at;
        EXPECT_EQ(counter.untilNext(milliseconds(m.at)), milliseconds(m.next)) << "at " << m.at;
    }
}

} // namespace
} // namespace shiftloom
