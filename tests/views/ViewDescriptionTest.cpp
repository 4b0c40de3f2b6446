#include "views/ViewDescription.h"

#include <gtest/gtest.h>

namespace {

PhraseData Phrase(int steps)
{
    PhraseData phrase;
    phrase.PhraseStart = 0;
    phrase.PhraseEnd = 22049;
    phrase.StepCount = static_cast<int16_t>(steps);
    for (int i = 1; i <= steps; ++i)
        phrase.Steps[i] = {2000 * i, 1500, 2000 * i, 2000 * i + 1400, 0, 0, i == 2 ? 9000 : 3000};
    return phrase;
}

PitchTrack Glide(double from, double to, int voicedPoints, int trailingUnvoiced)
{
    PitchTrack track;
    for (int k = 0; k < voicedPoints; ++k)
        track.push_back({220 * k, int32_t(10 * (from + (to - from) * k / (voicedPoints - 1)))});
    for (int k = 0; k < trailingUnvoiced; ++k)
        track.push_back({220 * (voicedPoints + k), 0});
    return track;
}

} // namespace

TEST(ViewDescriptions, ContourEndRisesFallsOrStaysLevel)
{
    const PhraseData phrase = Phrase(4);
    EXPECT_EQ(EndingOf(phrase, Glide(180, 260, 40, 0)), PhraseEnding::Rises);
    EXPECT_EQ(EndingOf(phrase, Glide(260, 150, 40, 5)), PhraseEnding::Falls); // unvoiced tail
    EXPECT_EQ(EndingOf(phrase, Glide(200, 202, 40, 0)), PhraseEnding::Level);
    EXPECT_EQ(EndingOf(phrase, Glide(200, 300, 2, 0)), PhraseEnding::Unknown);
    EXPECT_EQ(DescribePitchView("Native speaker", phrase, Glide(180, 260, 40, 0)),
              "Native speaker intonation: 4 steps; the voice rises at the end.");
}

TEST(ViewDescriptions, StressNamesTheStrongestStepAndSignalTheLength)
{
    EXPECT_EQ(DescribeStressView("Student", Phrase(3)),
              "Student stress: 3 steps; the strongest is step 2.");
    EXPECT_EQ(DescribeStressView("Student", Phrase(0)), "Student stress: no steps.");
    EXPECT_EQ(DescribeSignalView("Student", Phrase(1), WaveFormat{}),
              "Student waveform: 1.0 seconds of speech.");
}
