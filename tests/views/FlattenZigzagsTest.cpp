#include "views/PitchProcessing.h"

#include <gtest/gtest.h>

using Values = std::vector<int32_t>;

TEST(FlattenZigzags, StraightensTheRunFromThePointBeforeToThePointAfter)
{
    // Indices 2 and 3 zigzag (1 is never tested); the run spans 1..4.
    Values values{100, 120, 100, 120, 100, 100};
    FlattenZigzags(values);
    EXPECT_EQ(values, (Values{100, 120, 113, 107, 100, 100}));
}

TEST(FlattenZigzags, RunNeverCrossesAnUnvoicedPoint)
{
    // The zigzag at 5 is cut off from the one before by the 0 at 3; its run
    // reaches the table's last index.
    Values values{100, 120, 100, 0, 100, 120, 100};
    FlattenZigzags(values);
    EXPECT_EQ(values, (Values{100, 120, 100, 0, 100, 100, 100}));
}

TEST(FlattenZigzags, ValuesWhoseDifferencesExceed32BitsAreStraightenedExactly)
{
    // (2e9 - 1) * (2e9 - 1) does not fit in 32 bits; the run is still found
    // and replaced by the line from (1, 1) to (4, 2e9).
    Values values{2000000000, 1, 2000000000, 1, 2000000000};
    FlattenZigzags(values);
    EXPECT_EQ(values, (Values{2000000000, 1, 666666667, 1333333334, 2000000000}));
}

TEST(FitLineSegment, SplitsWhereNeighboursFallOnTheSameSideOfTheLine)
{
    // The flat line 100..100 leaves 200, 200 both above it, so the segment
    // ends at index 2 and a second one runs from there.
    Values values{100, 200, 200, 100};
    FitLineSegment(values, 0, 3);
    EXPECT_EQ(values, (Values{100, 150, 200, 100}));
}

TEST(FitLineSegment, FewerThanThreePointsOrIndicesOutsideTheTableChangeNothing)
{
    Values values{100, 200, 100, 200};
    FitLineSegment(values, 1, 2);
    FitLineSegment(values, 2, 5);
    FitLineSegment(values, -1, 2);
    EXPECT_EQ(values, (Values{100, 200, 100, 200}));
}
