// The prominence model as shipped: its weight table ranks syllables the way
// the cues of English prominence say, and its heights keep the tutor's
// scale (the top syllable MaxStepHeight, the strong-step line at half).
#include "analyser/Prominence.h"
#include "analyser/ProminenceWeights.h"
#include "analyser/StepFinder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// An ordinary unstressed vowel of a phrase.
SyllableMeasures PlainVowel()
{
    SyllableMeasures s;
    s.NucleusDb = -28;
    s.EnergyDb = -16;
    s.VoicedSeconds = 0.09f;
    s.Seconds = 0.16f;
    s.Voiced = true;
    s.MeanSemitones = -0.5f;
    s.PeakSemitones = 0;
    s.RiseSemitones = -0.5f;
    s.TiltDb = -12;
    s.BalanceDb = 18;
    return s;
}

void MakeProminent(SyllableMeasures& s)
{
    s.NucleusDb += 6;
    s.EnergyDb += 8;
    s.VoicedSeconds *= 1.8f;
    s.Seconds *= 1.6f;
    s.MeanSemitones += 3;
    s.PeakSemitones += 4;
    s.RiseSemitones = 2;
}

} // namespace

TEST(ProminenceModel, WeightTableIsFiniteAndUsesLoudnessLengthAndPitch)
{
    int used = 0;
    for (float w : ProminenceWeights) {
        ASSERT_TRUE(std::isfinite(w));
        used += w != 0;
    }
    EXPECT_TRUE(std::isfinite(ProminenceBias));
    EXPECT_GE(used, ProminenceFeatureCount / 2);
}

TEST(ProminenceModel, RanksTheLouderLongerHigherVowelFirstWhereverItStands)
{
    for (size_t where = 0; where < 5; ++where) {
        std::vector<SyllableMeasures> vowels(5, PlainVowel());
        vowels.back().BeforePause = true;
        MakeProminent(vowels[where]);
        const std::vector<int32_t> heights =
            HeightsFromScores(ScoreSyllables(vowels), MaxStepHeight);
        ASSERT_EQ(heights.size(), vowels.size());
        EXPECT_EQ(heights[where], MaxStepHeight) << where;
        for (size_t i = 0; i < heights.size(); ++i) {
            if (i == where) continue;
            // The tutor's strong-step rule singles out the prominent vowel.
            EXPECT_LE(heights[i], 15000) << where << " " << i;
            EXPECT_GE(heights[i], 1);
        }
    }
}

TEST(ProminenceModel, EachMainCueAloneRaisesAVowelAboveItsTwin)
{
    auto louder = [](SyllableMeasures& s) {
        s.NucleusDb += 5;
        s.EnergyDb += 5;
    };
    auto longer = [](SyllableMeasures& s) {
        s.VoicedSeconds *= 1.7f;
        s.Seconds *= 1.5f;
        s.EnergyDb += 2.3f; // the same loudness over a longer vowel
    };
    auto higher = [](SyllableMeasures& s) {
        s.MeanSemitones += 3;
        s.PeakSemitones += 3;
    };
    for (auto cue : {+louder, +longer, +higher}) {
        std::vector<SyllableMeasures> vowels(4, PlainVowel());
        vowels.back().BeforePause = true;
        cue(vowels[1]);
        const std::vector<float> scores = ScoreSyllables(vowels);
        EXPECT_GT(scores[1], scores[2]);
        EXPECT_GT(scores[1], scores[0]);
    }
}

TEST(ProminenceModel, HeightsOfAlikeScoresAreAlikeAndOfNoSyllablesEmpty)
{
    EXPECT_TRUE(HeightsFromScores({}, MaxStepHeight).empty());
    const std::vector<int32_t> same = HeightsFromScores({2.0f, 2.0f, 2.0f}, MaxStepHeight);
    EXPECT_EQ(same, std::vector<int32_t>(3, MaxStepHeight));
    // Scores far below the best still get a height the readers accept.
    const std::vector<int32_t> spread = HeightsFromScores({40.0f, -60.0f}, MaxStepHeight);
    EXPECT_EQ(spread[0], MaxStepHeight);
    EXPECT_EQ(spread[1], 1);
}

TEST(ProminenceModel, PitchCountsForLessWhereThePhrasesPitchGoesAgainstItsLoudness)
{
    // Two phrases alike but for one loud syllable: higher than most in the
    // first, so that pitch rises with loudness there; lower in the second,
    // where pitch goes its own way. Neither changes the pitch range the
    // phrase spans nor the neighbours of the syllables compared, yet the
    // syllable that is only higher gains less in the second.
    auto margin = [](float loudSyllablePitch) {
        std::vector<SyllableMeasures> vowels(8, PlainVowel());
        vowels.back().BeforePause = true;
        vowels[1].MeanSemitones += 3;
        vowels[1].PeakSemitones += 3;
        vowels[4].NucleusDb += 6;
        vowels[4].EnergyDb += 6;
        vowels[4].MeanSemitones += loudSyllablePitch;
        vowels[4].PeakSemitones += loudSyllablePitch;
        vowels[6].MeanSemitones -= 4;
        vowels[6].PeakSemitones -= 4;
        vowels[7].MeanSemitones += 5;
        vowels[7].PeakSemitones += 5;
        const std::vector<float> scores = ScoreSyllables(vowels);
        return scores[1] - scores[0];
    };
    const float agreeing = margin(2), opposed = margin(-2);
    EXPECT_GT(agreeing, 0);
    EXPECT_GT(agreeing, opposed + 0.1f) << agreeing << " " << opposed;
}
