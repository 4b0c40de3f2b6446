// The step finder on synthetic syllables: one step per syllable, phrase
// bounds without the silence around, prominence, and the pitch windows the
// tutor groups.
#include "analyser/StepFinder.h"
#include "analyser/PitchTracker.h"
#include "analyser/SignalTools.h"
#include "support/SyntheticVoice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int Rate = 22050;

PhraseSteps Analyse(const SyntheticVoice& voice)
{
    return FindSteps(voice.Samples, Rate, TrackPitch(voice.Samples, Rate));
}

int32_t End(const StepRecord& step)
{
    return step.Start + step.Length - 1;
}

// Sample ranges [start, end] of the voiced stretches of a voice.
std::vector<std::pair<int32_t, int32_t>> VoicedRanges(const SyntheticVoice& voice)
{
    std::vector<std::pair<int32_t, int32_t>> ranges;
    for (size_t i = 0; i < voice.TrueHz.size(); ++i) {
        if (voice.TrueHz[i] <= 0) continue;
        if (ranges.empty() || ranges.back().second != static_cast<int32_t>(i) - 1)
            ranges.push_back({static_cast<int32_t>(i), static_cast<int32_t>(i)});
        else
            ranges.back().second = static_cast<int32_t>(i);
    }
    return ranges;
}

} // namespace

TEST(StepFinder, FindsOneStepPerSyllableInsideThePhrase)
{
    const SyntheticVoice voice = SynthesiseVoice({{0.4, 0, 0, 0},
                                                  {0.18, 130, 140, 0.5},
                                                  {0.08, 0, 0, 0},
                                                  {0.22, 140, 125, 0.6},
                                                  {0.08, 0, 0, 0},
                                                  {0.16, 125, 120, 0.4},
                                                  {0.08, 0, 0, 0},
                                                  {0.25, 120, 105, 0.5},
                                                  {0.5, 0, 0, 0}},
                                                 Rate);
    const PhraseSteps found = Analyse(voice);
    const auto syllables = VoicedRanges(voice);
    ASSERT_EQ(found.Steps.size(), syllables.size());
    for (size_t i = 0; i < syllables.size(); ++i) {
        const int32_t middle = (syllables[i].first + syllables[i].second) / 2;
        EXPECT_LE(found.Steps[i].Start, middle) << i;
        EXPECT_GE(End(found.Steps[i]), middle) << i;
        EXPECT_GE(found.Steps[i].Length, 1);
        if (i > 0) {
            EXPECT_GT(found.Steps[i].Start, End(found.Steps[i - 1]));
        }
    }
    // The phrase starts and ends with the voice, not with the silence.
    const int32_t tolerance = Rate * 3 / 100;
    EXPECT_NEAR(found.PhraseStart, syllables.front().first, tolerance);
    EXPECT_NEAR(found.PhraseEnd, syllables.back().second, tolerance);
    EXPECT_GE(found.Steps.front().Start, found.PhraseStart);
    EXPECT_LE(End(found.Steps.back()), found.PhraseEnd);
}

TEST(StepFinder, GivesTheLouderLongerHigherSyllableTheTopHeight)
{
    const SyntheticVoice voice = SynthesiseVoice({{0.3, 0, 0, 0},
                                                  {0.14, 120, 118, 0.25},
                                                  {0.08, 0, 0, 0},
                                                  {0.28, 150, 165, 0.8},
                                                  {0.08, 0, 0, 0},
                                                  {0.14, 118, 112, 0.25},
                                                  {0.4, 0, 0, 0}},
                                                 Rate);
    const PhraseSteps found = Analyse(voice);
    ASSERT_EQ(found.Steps.size(), 3u);
    EXPECT_EQ(found.Steps[1].Height, MaxStepHeight);
    EXPECT_LT(found.Steps[0].Height, MaxStepHeight / 2);
    EXPECT_LT(found.Steps[2].Height, MaxStepHeight / 2);
    for (const StepRecord& step : found.Steps) {
        EXPECT_GE(step.Height, 1);
        EXPECT_LE(step.Height, MaxStepHeight);
    }
}

TEST(StepFinder, RanksTheSyllableWithTheFlatterSpectrumHigher)
{
    // Three syllables alike in pitch, length and vowel-band loudness; the
    // middle one gets its band over 3 kHz raised, as a stressed vowel's
    // stronger glottal closure raises it.
    const SyntheticVoice voice = SynthesiseVoice({{0.3, 0, 0, 0},
                                                  {0.2, 130, 130, 0.5},
                                                  {0.1, 0, 0, 0},
                                                  {0.2, 130, 130, 0.5},
                                                  {0.1, 0, 0, 0},
                                                  {0.2, 130, 130, 0.5},
                                                  {0.3, 0, 0, 0}},
                                                 Rate);
    const auto syllables = VoicedRanges(voice);
    ASSERT_EQ(syllables.size(), 3u);
    std::vector<float> bright = voice.Samples;
    std::vector<float> high = voice.Samples;
    for (int i = 0; i < 4; ++i)
        Filter(high, HighPassSection(3000, Rate, 0.70710678));
    for (int32_t i = syllables[1].first; i <= syllables[1].second; ++i)
        bright[i] += 10 * high[i];
    const std::vector<PitchFrame> pitch = TrackPitch(bright, Rate);
    // The middle syllable against the first, which the brightening leaves
    // alone (where in the phrase a syllable stands counts too, so the two
    // are not alike to begin with).
    auto middleAgainstFirst = [&](const std::vector<float>& samples, const StepSettings& settings) {
        const PhraseSteps found = FindSteps(samples, Rate, pitch, settings);
        EXPECT_EQ(found.Steps.size(), 3u);
        if (found.Steps.size() != 3) return 0.0;
        return static_cast<double>(found.Steps[1].Height) / found.Steps[0].Height;
    };
    const double plain = middleAgainstFirst(voice.Samples, {});
    const double brightened = middleAgainstFirst(bright, {});
    EXPECT_GT(brightened, plain * 1.05);

    // Without the spectral balance the brightening counts for nothing: the
    // balance, not the loudness, raised the middle one.
    StepSettings noBalance;
    noBalance.TiltWeight = 0;
    const double ignored = middleAgainstFirst(bright, noBalance);
    EXPECT_NEAR(ignored / middleAgainstFirst(voice.Samples, noBalance), 1.0, 0.05);
}

TEST(StepFinder, JoinsPitchWindowsAcrossContinuousVoicingOnly)
{
    // Two syllables in one breath (the voice dips but goes on), a pause,
    // then a third.
    const SyntheticVoice voice = SynthesiseVoice({{0.3, 0, 0, 0},
                                                  {0.2, 140, 150, 0.6},
                                                  {0.07, 150, 145, 0.06},
                                                  {0.2, 145, 130, 0.6},
                                                  {0.3, 0, 0, 0},
                                                  {0.22, 130, 115, 0.6},
                                                  {0.3, 0, 0, 0}},
                                                 Rate);
    const PhraseSteps found = Analyse(voice);
    ASSERT_EQ(found.Steps.size(), 3u);
    const StepRecord& a = found.Steps[0];
    const StepRecord& b = found.Steps[1];
    const StepRecord& c = found.Steps[2];
    // Touching bars (the tutor joins them when the gap is under 10 samples)
    // and touching pitch windows (grouped when under 10 samples apart).
    EXPECT_LT(b.Start - (a.Start + a.Length), 10);
    EXPECT_LT(b.PitchStart, a.PitchEnd + 10);
    // Across the pause neither.
    EXPECT_GE(c.Start - (b.Start + b.Length), 10);
    EXPECT_GE(c.PitchStart, b.PitchEnd + 10);
    for (const StepRecord& step : found.Steps) {
        EXPECT_LE(step.PitchStart, step.PitchEnd);
        EXPECT_GE(step.PitchStart, step.Start - 1);
        EXPECT_LE(step.PitchEnd, End(step));
        // The reserved values: the nucleus lies in the step, the mean pitch
        // (tenths of a hertz) in the voice's range.
        EXPECT_GE(step.Reserved1, step.Start);
        EXPECT_LE(step.Reserved1, End(step));
        EXPECT_GT(step.Reserved2, 1100);
        EXPECT_LT(step.Reserved2, 1560);
    }
}

TEST(StepFinder, KeepsSyllablesWholeInLoudNoise)
{
    // Four syllables whose onsets and codas are 6 dB softer than their
    // vowels, with short breaks between them, in white noise 5 dB below the
    // voice: the vowels rise only about 9 dB above the noise, and the soft
    // edges stay part of their syllables instead of reading as pauses that
    // cut each step down to its vowel.
    std::vector<VoiceSegment> segments{{0.4, 0, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        const double hz = 150.0 - 8 * i;
        segments.push_back({0.07, hz, hz, 0.25});
        segments.push_back({0.12, hz, hz - 4, 0.5});
        segments.push_back({0.07, hz - 4, hz - 6, 0.25});
        segments.push_back({0.04, 0, 0, 0});
    }
    segments.push_back({0.4, 0, 0, 0});
    const SyntheticVoice voice = SynthesiseVoice(segments, Rate);
    double power = 0;
    size_t voicedSamples = 0;
    for (size_t i = 0; i < voice.Samples.size(); ++i) {
        if (voice.TrueHz[i] <= 0) continue;
        power += voice.Samples[i] * voice.Samples[i];
        ++voicedSamples;
    }
    const double noiseRms = std::sqrt(power / voicedSamples) / std::pow(10.0, 5.0 / 20);
    std::vector<float> noisy = voice.Samples;
    const std::vector<float> noise = WhiteNoise(noisy.size(), noiseRms, 11);
    for (size_t i = 0; i < noisy.size(); ++i)
        noisy[i] += noise[i];

    const PhraseSteps found = FindSteps(noisy, Rate, TrackPitch(noisy, Rate));
    const auto syllables = VoicedRanges(voice);
    ASSERT_EQ(found.Steps.size(), syllables.size());
    const int32_t slack = Rate * 3 / 100;
    for (size_t i = 0; i < syllables.size(); ++i) {
        EXPECT_LE(found.Steps[i].Start, syllables[i].first + slack) << i;
        EXPECT_GE(End(found.Steps[i]), syllables[i].second - slack) << i;
        // No pause inside the phrase: each step ends where the next begins.
        if (i > 0) {
            EXPECT_EQ(found.Steps[i].Start, End(found.Steps[i - 1]) + 1) << i;
        }
    }
}

TEST(StepFinder, KeepsTheEchoOfALoudSyllableOutOfTheNextInARoom)
{
    // Loud syllables each followed closely by a quiet one. In the room the
    // loud one's echo fills the dip before the quiet one, which measured on
    // the recording as it is would vanish into its step.
    std::vector<VoiceSegment> segments{{0.4, 0, 0, 0}};
    for (int i = 0; i < 5; ++i) {
        segments.push_back({0.2, 140, 150, 0.6});
        segments.push_back({0.08, 0, 0, 0});
        segments.push_back({0.14, 125, 120, 0.15});
        segments.push_back({0.12, 0, 0, 0});
    }
    segments.push_back({0.6, 0, 0, 0});
    const SyntheticVoice voice = SynthesiseVoice(segments, Rate);
    const std::vector<float> room = InALivingRoom(voice.Samples, Rate);
    const PhraseSteps found = FindSteps(room, Rate, TrackPitch(room, Rate));

    // The step holding each syllable's middle, -1 for none.
    const auto syllables = VoicedRanges(voice);
    ASSERT_EQ(syllables.size(), 10u);
    std::vector<int> holder;
    for (const auto& [first, last] : syllables) {
        const int32_t middle = (first + last) / 2;
        const auto step =
            std::find_if(found.Steps.begin(), found.Steps.end(), [&](const StepRecord& s) {
                return s.Start <= middle && middle <= End(s);
            });
        holder.push_back(step == found.Steps.end() ? -1
                                                   : static_cast<int>(step - found.Steps.begin()));
    }
    int pairsApart = 0;
    for (size_t i = 0; i + 1 < holder.size(); i += 2) {
        if (holder[i] < 0 || holder[i + 1] < 0 || holder[i] == holder[i + 1]) continue;
        ++pairsApart;
        EXPECT_GT(found.Steps[holder[i]].Height, 2 * found.Steps[holder[i + 1]].Height) << i;
    }
    EXPECT_GE(pairsApart, 4);
}

TEST(StepFinder, FindsNothingInSilenceOrNoise)
{
    EXPECT_TRUE(FindSteps(std::vector<float>(Rate, 0.0f), Rate,
                          TrackPitch(std::vector<float>(Rate, 0.0f), Rate))
                    .Steps.empty());
    const std::vector<float> noise = WhiteNoise(Rate, 0.1, 5);
    EXPECT_LE(FindSteps(noise, Rate, TrackPitch(noise, Rate)).Steps.size(), 1u);
}

TEST(StepFinder, KeepsTheStepTableWithinWhatReadersAccept)
{
    // 400 short syllables: more than a step chunk may hold.
    std::vector<VoiceSegment> segments{{0.2, 0, 0, 0}};
    for (int i = 0; i < 400; ++i) {
        segments.push_back({0.12, 120.0 + i % 7 * 5, 125.0 + i % 5 * 4, 0.5});
        segments.push_back({0.06, 0, 0, 0});
    }
    const SyntheticVoice voice = SynthesiseVoice(segments, Rate);
    const PhraseSteps found = Analyse(voice);
    EXPECT_LE(found.Steps.size(), static_cast<size_t>(MaxFoundSteps));
    EXPECT_GE(found.Steps.size(), 200u);
}
