// The learner's steps against the model's when the learner adds, drops,
// hurries or lowers: each model step keeps its counterpart.
#include "compare/StepAlignment.h"
#include "SpokenPhrase.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {

// Four syllables: a rise onto an accented second one, then a fall.
std::vector<SpokenStep> ModelSteps()
{
    return {{0.18, 150, 170}, {0.26, 190, 210}, {0.16, 170, 150}, {0.24, 140, 120}};
}

std::vector<std::pair<int, int>> Alignment(const std::vector<SpokenStep>& model,
                                           const std::vector<SpokenStep>& learner)
{
    const SpokenPhrase m = Speak(model);
    const SpokenPhrase l = Speak(learner);
    const SpeakerProsody a = DescribeSpeaker(m.Phrase, m.Pitch, m.Samples, m.Format);
    const SpeakerProsody b = DescribeSpeaker(l.Phrase, l.Pitch, l.Samples, l.Format);
    std::vector<std::pair<int, int>> pairs;
    for (const StepPair& pair : AlignSteps(a.Steps, b.Steps))
        pairs.push_back({pair.Model + 1, pair.Learner + 1});
    return pairs;
}

using Pairs = std::vector<std::pair<int, int>>;

} // namespace

TEST(StepAlignment, SameStepsPairOneForOne)
{
    EXPECT_EQ(Alignment(ModelSteps(), ModelSteps()), (Pairs{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST(StepAlignment, InsertedStepJoinsANeighbourAndTheRestStayPaired)
{
    std::vector<SpokenStep> learner = ModelSteps();
    learner.insert(learner.begin() + 2, SpokenStep{0.12, 185, 180});
    const Pairs pairs = Alignment(ModelSteps(), learner);
    ASSERT_EQ(pairs.size(), 5u);
    EXPECT_EQ(pairs.front(), std::make_pair(1, 1));
    EXPECT_EQ(pairs[1], std::make_pair(2, 2));
    // The extra step 3 answers model step 2 or 3.
    EXPECT_TRUE(pairs[2] == std::make_pair(2, 3) || pairs[2] == std::make_pair(3, 3));
    EXPECT_EQ(pairs[3], std::make_pair(3, 4));
    EXPECT_EQ(pairs[4], std::make_pair(4, 5));
}

TEST(StepAlignment, SwallowedStepLeavesItsModelStepOnANeighbour)
{
    std::vector<SpokenStep> learner = ModelSteps();
    learner.erase(learner.begin() + 2);
    const Pairs pairs = Alignment(ModelSteps(), learner);
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[0], std::make_pair(1, 1));
    EXPECT_EQ(pairs[1], std::make_pair(2, 2));
    EXPECT_TRUE(pairs[2] == std::make_pair(3, 2) || pairs[2] == std::make_pair(3, 3));
    EXPECT_EQ(pairs[3], std::make_pair(4, 3));
}

TEST(StepAlignment, TwiceTheRateWithAPauseStillPairsStepForStep)
{
    std::vector<SpokenStep> learner;
    for (SpokenStep step : ModelSteps()) {
        step.Seconds /= 2;
        learner.push_back(step);
    }
    learner.insert(learner.begin() + 2, Pause(0.3));
    EXPECT_EQ(Alignment(ModelSteps(), learner), (Pairs{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST(StepAlignment, AVoiceAnOctaveLowerPairsStepForStepWithTheSamePitchFigures)
{
    std::vector<SpokenStep> learner;
    for (SpokenStep step : ModelSteps()) {
        step.StartHz /= 2;
        step.EndHz /= 2;
        learner.push_back(step);
    }
    EXPECT_EQ(Alignment(ModelSteps(), learner), (Pairs{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));

    const Comparison comparison =
        ComparePhrases(Speak(ModelSteps()).Speaker(), Speak(learner).Speaker());
    ASSERT_TRUE(comparison.Problem.isEmpty());
    EXPECT_TRUE(comparison.StressMatch);
    EXPECT_EQ(comparison.ModelStress, 2);
    EXPECT_TRUE(comparison.EndingMatch);
    for (const StepComparison& step : comparison.Steps)
        EXPECT_NEAR(step.PitchSemitones, 0, 0.3);
    EXPECT_GE(comparison.Score, 90);
}

// Two steps the learner says almost alike are not a stress elsewhere, while
// a clearly stronger other step is.
TEST(StepAlignment, ANearTieWithTheModelsStressIsNoStressElsewhere)
{
    const std::vector<SpokenStep> model = {{0.25, 150, 150, 0.15}, {0.3, 210, 190, 0.3}};
    const std::vector<SpokenStep> alike = {{0.25, 171, 171, 0.25}, {0.25, 170, 170, 0.25}};
    const Comparison tied = ComparePhrases(Speak(model).Speaker(), Speak(alike).Speaker());
    ASSERT_TRUE(tied.Problem.isEmpty());
    EXPECT_EQ(tied.ModelStress, 2);
    EXPECT_TRUE(tied.StressMatch);
    EXPECT_EQ(tied.LearnerStress, 2);

    const std::vector<SpokenStep> first = {{0.3, 210, 190, 0.3}, {0.25, 150, 150, 0.15}};
    const Comparison elsewhere = ComparePhrases(Speak(model).Speaker(), Speak(first).Speaker());
    ASSERT_TRUE(elsewhere.Problem.isEmpty());
    EXPECT_FALSE(elsewhere.StressMatch);
    EXPECT_EQ(elsewhere.LearnerStress, 1);
}

// A damaged file's steps may reach far outside the sound. Such a step is
// measured where it overlaps the sound: wholly before it, it is as quiet as
// can be, not as loud as the phrase's first syllable.
TEST(SpeakerProsody, StepsReachingOutsideTheSoundAreMeasuredOnlyWhereItIs)
{
    SpokenPhrase spoken = Speak({{0.3, 150, 150, 0.5}, Pause(0.1), {0.3, 150, 150, 0.02}}, 0);
    PhraseData& phrase = spoken.Phrase;
    phrase.StepCount = 4;
    phrase.Steps[3] = phrase.Steps[1];
    phrase.Steps[3].Start = std::numeric_limits<int32_t>::min();
    phrase.Steps[3].Length = std::numeric_limits<int32_t>::max();
    phrase.Steps[4] = phrase.Steps[2];
    phrase.Steps[4].Length = std::numeric_limits<int32_t>::max();

    const SpeakerProsody speaker =
        DescribeSpeaker(phrase, spoken.Pitch, spoken.Samples, spoken.Format);
    ASSERT_EQ(speaker.Steps.size(), 4u);
    EXPECT_EQ(speaker.Steps[0].LoudnessDb, 0);
    EXPECT_LT(speaker.Steps[1].LoudnessDb, -20);
    EXPECT_LT(speaker.Steps[2].LoudnessDb, speaker.Steps[1].LoudnessDb - 20);
    EXPECT_NEAR(speaker.Steps[3].LoudnessDb, speaker.Steps[1].LoudnessDb, 0.1);
}

// Where the stress lies is judged on the steps' places in time: weighing
// prominence, the alignment would pair the two accents however far apart.
TEST(StepAlignment, AStressOneSyllableOffInALongPhraseIsNoMatch)
{
    const auto accentedAt = [](int accent) {
        std::vector<SpokenStep> steps(12, SpokenStep{0.15, 150, 150, 0.15});
        steps[size_t(accent - 1)] = {0.15, 210, 190, 0.3};
        return steps;
    };
    const Comparison late =
        ComparePhrases(Speak(accentedAt(10)).Speaker(), Speak(accentedAt(11)).Speaker());
    ASSERT_TRUE(late.Problem.isEmpty());
    EXPECT_EQ(late.ModelStress, 10);
    EXPECT_EQ(late.LearnerStress, 11);
    EXPECT_FALSE(late.StressMatch);
    EXPECT_TRUE(late.Advice.contains("The model stresses the 10th beat; you stressed the 11th."))
        << late.Advice.join(" | ").toStdString();

    const Comparison same =
        ComparePhrases(Speak(accentedAt(10)).Speaker(), Speak(accentedAt(10)).Speaker());
    EXPECT_TRUE(same.StressMatch);
    EXPECT_EQ(same.Score, 100);
}
