#include "audio/HeardPosition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

// A server that plays evenly but reports in steps of 20 ms: between the
// reports, the heard position goes on with the clock.
TEST(HeardPosition, SteppingReportsAreFollowedWithTheClock)
{
    HeardPosition position;
    position.Restart(2000000);
    int64_t worst = 0;
    int64_t last = 0;
    for (int64_t now = 0; now <= 1500000; now += 1000) {
        const int64_t truth = now; // heard from the start, without lag
        const int64_t reported = now / 20000 * 20000;
        const int64_t heard = position.Update(reported, now, true);
        EXPECT_GE(heard, last) << "never back";
        last = heard;
        if (now > 60000) worst = std::max(worst, std::abs(truth - heard));
    }
    EXPECT_LE(worst, 1000) << "within a millisecond of the sound, against 20 ms for the reports";
}

// A server that reports every millisecond and then stops reporting has
// stopped playing: the position does not run on into silence.
TEST(HeardPosition, ASmoothReporterThatStopsIsNotFollowedIntoSilence)
{
    HeardPosition position;
    position.Restart(2000000);
    for (int64_t now = 0; now <= 100000; now += 1000)
        position.Update(now, now, true);
    EXPECT_LE(position.Update(100000, 130000, true), 101000);
}

TEST(HeardPosition, NothingBeforeTheFirstReportOrPastTheEnd)
{
    HeardPosition position;
    position.Restart(50000);
    EXPECT_EQ(position.Update(0, 20000, true), 0) << "the sound has not started yet";
    position.Update(40000, 30000, true);
    EXPECT_EQ(position.Update(40000, 90000, true), 50000) << "not past the end";
    EXPECT_EQ(position.Update(30000, 95000, false), 50000) << "never back";
}
