// The pitch movement at the end of a phrase: rise, fall or level by the
// documented rule in semitones, on contours of known shape.
#include "SpokenPhrase.h"
#include "compare/ProsodyContour.h"

#include <gtest/gtest.h>

namespace {

// One point every 10 ms: 0.5 s at level start, then a straight glide to
// end over the last glide seconds.
std::vector<ContourPoint> Glide(double start, double end, double glide = 0.3)
{
    std::vector<ContourPoint> points;
    for (int k = 0; k <= 50 + int(glide * 100); ++k) {
        const double t = k * 0.01;
        const double along = std::max(0.0, (t - 0.5) / glide);
        points.push_back({t, start + (end - start) * along});
    }
    return points;
}

} // namespace

TEST(EndingRule, RisingContourRisesByItsSize)
{
    const EndingMeasure ending = MeasureEnding(Glide(0, 5));
    EXPECT_EQ(ending.Kind, Ending::Rise);
    // The end level is the median of the last 30 ms, a little short of the
    // very end on a steep glide.
    EXPECT_NEAR(ending.Semitones, 5, 0.5);
}

TEST(EndingRule, FallingContourFalls)
{
    const EndingMeasure ending = MeasureEnding(Glide(2, -4));
    EXPECT_EQ(ending.Kind, Ending::Fall);
    EXPECT_NEAR(ending.Semitones, -6, 0.5);
}

TEST(EndingRule, FlatOrSmallMovementsStayLevel)
{
    std::vector<ContourPoint> wobbly = Glide(0, 0);
    for (size_t k = 0; k < wobbly.size(); ++k)
        wobbly[k].Semitones = (k % 2 == 0 ? 0.6 : -0.6);
    EXPECT_EQ(MeasureEnding(wobbly).Kind, Ending::Level);
    EXPECT_EQ(MeasureEnding(Glide(0, 1.5)).Kind, Ending::Level);
    EXPECT_EQ(MeasureEnding(Glide(0, -1.5)).Kind, Ending::Level);
    EXPECT_EQ(MeasureEnding({{0, 0}, {0.01, 5}, {0.02, 9}}).Kind, Ending::Level);
}

TEST(EndingRule, AFallThenARiseAtTheVeryEndIsARiseFromTheBottom)
{
    // A question's fall-rise: down 4 semitones, then up 3 in the last 0.15 s.
    std::vector<ContourPoint> points = Glide(2, -2, 0.3);
    const double last = points.back().Seconds;
    for (int k = 1; k <= 15; ++k)
        points.push_back({last + k * 0.01, -2 + 3.0 * k / 15});
    const EndingMeasure ending = MeasureEnding(points);
    EXPECT_EQ(ending.Kind, Ending::Rise);
    EXPECT_NEAR(ending.Semitones, 3, 0.7);
}

TEST(EndingRule, OctaveErrorsOfTheTrackerDoNotTurnAFallIntoARise)
{
    // A statement falling from 200 to 140 Hz whose last frames the tracker
    // took an octave up.
    SpokenPhrase spoken = Speak({{0.3, 200, 200}, {0.3, 200, 140}});
    int doubled = 0;
    for (auto point = spoken.Pitch.rbegin(); point != spoken.Pitch.rend() && doubled < 4; ++point) {
        if (point->Value > 0 && point->Position <= spoken.Phrase.PhraseEnd) {
            point->Value *= 2;
            ++doubled;
        }
    }
    const SpeakerContour contour =
        ExtractContour(spoken.Phrase, spoken.Pitch, spoken.Format.SamplesPerSec);
    EXPECT_NEAR(contour.MedianHz, 200, 15);
    const EndingMeasure ending = MeasureEnding(contour.Points);
    EXPECT_EQ(ending.Kind, Ending::Fall);
    EXPECT_LT(ending.Semitones, -4.5);
}
