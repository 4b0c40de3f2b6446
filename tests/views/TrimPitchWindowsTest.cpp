#include "ViewTestSupport.h"
#include "views/PitchProcessing.h"

#include <gtest/gtest.h>

namespace {

// Ten points every 100 samples from 50, then two more past the windows.
std::vector<int32_t> Flat(size_t count, int32_t value = 100)
{
    return std::vector<int32_t>(count, value);
}

} // namespace

TEST(TrimPitchWindows, TrackOfOnePointChangesNothing)
{
    PhraseData phrase = MakePhrase(0, 5000, {{0, 999, 0, 1000, 40000}});
    phrase.MaxHeight = 7;
    phrase.TotalLength = 3;
    TrimPitchWindows(phrase, EvenTrack(50, 100, {100}));
    EXPECT_EQ(phrase.StepCount, 1);
    EXPECT_EQ(phrase.MaxHeight, 7);
    EXPECT_EQ(phrase.TotalLength, 3);
}

TEST(TrimPitchWindows, JumpOfMoreThanAFifthOfTheMeanCutsTheFront)
{
    // With V(m) = V(m-1) = 100, 120 at m - 2 is no jump and 121 is one.
    for (int32_t outlier : {120, 121}) {
        std::vector<int32_t> values = Flat(12);
        values[0] = outlier;
        PhraseData phrase = MakePhrase(0, 1200, {{0, 1000, 0, 1000, 100}});
        TrimPitchWindows(phrase, EvenTrack(50, 100, values));
        EXPECT_EQ(phrase.Steps[1].PitchStart, outlier == 121 ? 51 : 0) << outlier;
        EXPECT_EQ(phrase.Steps[1].PitchEnd, 1000);
    }
}

TEST(TrimPitchWindows, StretchOfSixPointsIsExaminedAndOfFiveIsNot)
{
    std::vector<int32_t> values = Flat(8);
    values[0] = 200;
    PhraseData five = MakePhrase(0, 1000, {{0, 500, 0, 450, 100}});
    TrimPitchWindows(five, EvenTrack(50, 100, values));
    EXPECT_EQ(five.Steps[1].PitchStart, 0);
    PhraseData six = MakePhrase(0, 1000, {{0, 600, 0, 550, 100}});
    TrimPitchWindows(six, EvenTrack(50, 100, values));
    EXPECT_EQ(six.Steps[1].PitchStart, 51);
}

TEST(TrimPitchWindows, WindowsNineSamplesApartShareAGroupAndTenApartDoNot)
{
    // A jump at the point in the gap (position 245) lies before the second
    // window: in one group the first step goes and the second starts just
    // after its own start; as two groups both stay.
    const PitchTrack track = [] {
        PitchTrack points = EvenTrack(50, 100, Flat(12));
        points[2] = PitchPoint{245, 200};
        return points;
    }();
    PhraseData joined = MakePhrase(0, 1200, {{0, 240, 0, 240, 100}, {249, 1000, 249, 1000, 100}});
    TrimPitchWindows(joined, track);
    ASSERT_EQ(joined.StepCount, 1);
    EXPECT_EQ(joined.Steps[1].Start, 249);
    EXPECT_EQ(joined.Steps[1].PitchStart, 250);
    EXPECT_EQ(joined.Steps[1].PitchEnd, 1000);
    EXPECT_EQ(joined.TotalLength, 752);
    EXPECT_EQ(joined.Steps[2].Start, 0); // vacated entry cleared

    PhraseData apart = MakePhrase(0, 1200, {{0, 240, 0, 240, 100}, {250, 1000, 250, 1000, 100}});
    TrimPitchWindows(apart, track);
    ASSERT_EQ(apart.StepCount, 2);
    EXPECT_EQ(apart.Steps[1].PitchStart, 0);
    EXPECT_EQ(apart.Steps[2].PitchStart, 250);
}

TEST(TrimPitchWindows, ScanStartsFromTheMiddleOfTheFirstStrongStep)
{
    // The pitch doubles between points 10 and 11. From the stretch's middle
    // (point 9) the front scan never sees it, the end scan does; from the
    // strong second step's middle (point 12) the front scan finds it first.
    std::vector<int32_t> values = Flat(21);
    for (size_t i = 11; i < values.size(); ++i)
        values[i] = 200;
    const PitchTrack track = EvenTrack(50, 100, values);

    PhraseData weak = MakePhrase(0, 2100, {{0, 500, 0, 500, 100}, {505, 1505, 505, 2000, 100}});
    TrimPitchWindows(weak, track);
    ASSERT_EQ(weak.StepCount, 2);
    EXPECT_EQ(weak.Steps[2].PitchStart, 505);
    EXPECT_EQ(weak.Steps[2].PitchEnd, 1050);

    PhraseData strong = MakePhrase(0, 3600, {{0, 500, 0, 500, 100}, {505, 3505, 505, 2000, 100}});
    TrimPitchWindows(strong, track);
    ASSERT_EQ(strong.StepCount, 1);
    EXPECT_EQ(strong.Steps[1].PitchStart, 1051);
    EXPECT_EQ(strong.Steps[1].PitchEnd, 2000);
}

TEST(TrimPitchWindows, EndCutRemovesTheStepsAfterIt)
{
    // A drop between points 6 and 7 (inside the first window) cuts off the
    // second step; the first ends at the last point before the drop.
    std::vector<int32_t> values = Flat(14);
    for (size_t i = 7; i < values.size(); ++i)
        values[i] = 50;
    PhraseData phrase = MakePhrase(0, 1400, {{0, 800, 0, 800, 300}, {805, 1200, 805, 1200, 200}});
    TrimPitchWindows(phrase, EvenTrack(50, 100, values));
    ASSERT_EQ(phrase.StepCount, 1);
    EXPECT_EQ(phrase.Steps[1].PitchEnd, 650);
    EXPECT_EQ(phrase.MaxHeight, 300);
    EXPECT_EQ(phrase.TotalLength, 801);
}

TEST(TrimPitchWindows, TrackLastPointNeverJoinsAStretch)
{
    // The jump to the last point is not seen; one point later it is.
    std::vector<int32_t> values = Flat(7);
    values[6] = 300;
    PhraseData phrase = MakePhrase(0, 10000, {{0, 10000, 0, 10000, 100}});
    TrimPitchWindows(phrase, EvenTrack(50, 100, values));
    EXPECT_EQ(phrase.Steps[1].PitchEnd, 10000);

    values.push_back(100);
    TrimPitchWindows(phrase, EvenTrack(50, 100, values));
    EXPECT_EQ(phrase.Steps[1].PitchEnd, 550);
}

TEST(TrimPitchWindows, HeightAbove16BitsSaturatesMaxHeight)
{
    PhraseData phrase = MakePhrase(0, 3000, {{0, 999, 0, 999, 40000}, {1000, 2000, 1000, 2000, 7}});
    phrase.MaxHeight = 0;
    TrimPitchWindows(phrase, EvenTrack(50, 100, Flat(3)));
    EXPECT_EQ(phrase.StepCount, 2);
    EXPECT_EQ(phrase.MaxHeight, 32767);
    EXPECT_EQ(phrase.TotalLength, 2001);
}

TEST(TrimPitchWindows, ExtremePitchValuesAndPositionsDoNotWrap)
{
    std::vector<int32_t> values = Flat(12, 2147483647);
    values[0] = 1;
    PhraseData phrase = MakePhrase(0, 2147483647, {{0, 2147483646, 0, 2147483647, 100}});
    TrimPitchWindows(phrase, EvenTrack(50, 100, values));
    EXPECT_EQ(phrase.Steps[1].PitchStart, 51);
    EXPECT_EQ(phrase.Steps[1].PitchEnd, 2147483647);
}
