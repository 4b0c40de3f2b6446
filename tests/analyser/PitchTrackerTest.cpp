// The pitch tracker on voices of known pitch: glides, low and high voices,
// clipped and noisy versions, silence and noise without a voice.
#include "analyser/PitchTracker.h"
#include "support/SyntheticVoice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int Rate = 22050;

struct Score
{
    int VoicedTruth = 0; // frames well inside the voice (away from its edges)
    int VoicedFound = 0; // ... of those found voiced
    int WithinTwoPercent = 0;
    int FalseVoiced = 0; // frames well outside the voice found voiced
    int Silent = 0;
};

// Compares frames with the true pitch, leaving out the 30 ms around each
// voice edge, where a frame's window holds both.
Score Compare(const std::vector<PitchFrame>& frames, const std::vector<float>& truth)
{
    Score score;
    const long margin = static_cast<long>(0.03 * Rate);
    for (const PitchFrame& frame : frames) {
        const long at = frame.Position;
        const long from = std::max(0L, at - margin);
        const long to = std::min(static_cast<long>(truth.size()) - 1, at + margin);
        bool allVoiced = true, noneVoiced = true;
        for (long i = from; i <= to; ++i) {
            allVoiced = allVoiced && truth[i] > 0;
            noneVoiced = noneVoiced && truth[i] <= 0;
        }
        if (allVoiced) {
            ++score.VoicedTruth;
            if (frame.Frequency > 0) {
                ++score.VoicedFound;
                if (std::fabs(frame.Frequency / truth[at] - 1) < 0.02) ++score.WithinTwoPercent;
            }
        } else if (noneVoiced) {
            ++score.Silent;
            if (frame.Frequency > 0) ++score.FalseVoiced;
        }
    }
    return score;
}

void ExpectTracked(const SyntheticVoice& voice, double voicedShare = 0.95)
{
    const Score score = Compare(TrackPitch(voice.Samples, Rate), voice.TrueHz);
    ASSERT_GT(score.VoicedTruth, 0);
    EXPECT_GE(score.VoicedFound, voicedShare * score.VoicedTruth);
    EXPECT_GE(score.WithinTwoPercent, 0.95 * score.VoicedFound);
    EXPECT_LE(score.FalseVoiced, 0.02 * std::max(score.Silent, 50));
}

} // namespace

TEST(PitchTracker, FollowsAGlideAcrossTwoOctaves)
{
    ExpectTracked(SynthesiseVoice({{0.2, 0, 0, 0}, {2.0, 100, 400, 0.5}, {0.2, 0, 0, 0}}, Rate));
}

TEST(PitchTracker, FindsTheContourOfAVowelSequence)
{
    // Rise, fall, then a question-like rise, with pauses between.
    ExpectTracked(SynthesiseVoice({{0.3, 0, 0, 0},
                                   {0.25, 120, 160, 0.4},
                                   {0.12, 0, 0, 0},
                                   {0.3, 160, 110, 0.6},
                                   {0.12, 0, 0, 0},
                                   {0.35, 110, 190, 0.5},
                                   {0.3, 0, 0, 0}},
                                  Rate));
}

TEST(PitchTracker, TracksLowAndHighVoices)
{
    ExpectTracked(SynthesiseVoice({{0.2, 0, 0, 0}, {0.8, 62, 70, 0.5}, {0.2, 0, 0, 0}}, Rate));
    ExpectTracked(SynthesiseVoice({{0.2, 0, 0, 0}, {0.8, 520, 640, 0.5}, {0.2, 0, 0, 0}}, Rate));
}

TEST(PitchTracker, KeepsThePitchOfClippedAndNoisyVoices)
{
    SyntheticVoice voice =
        SynthesiseVoice({{0.3, 0, 0, 0}, {1.0, 150, 120, 0.5}, {0.3, 0, 0, 0}}, Rate);
    SyntheticVoice clipped = voice;
    for (float& s : clipped.Samples)
        s = std::clamp(s * 8, -1.0f, 1.0f);
    ExpectTracked(clipped);

    SyntheticVoice noisy = voice;
    const std::vector<float> noise = WhiteNoise(noisy.Samples.size(), 0.02, 7);
    for (size_t i = 0; i < noise.size(); ++i)
        noisy.Samples[i] += noise[i];
    ExpectTracked(noisy, 0.9);
}

TEST(PitchTracker, MarksSilenceAndNoiseUnvoiced)
{
    for (const PitchFrame& frame : TrackPitch(std::vector<float>(Rate, 0.0f), Rate))
        EXPECT_EQ(frame.Frequency, 0);
    int voiced = 0;
    const std::vector<PitchFrame> frames = TrackPitch(WhiteNoise(2 * Rate, 0.1, 3), Rate);
    for (const PitchFrame& frame : frames)
        voiced += frame.Frequency > 0 ? 1 : 0;
    EXPECT_LE(voiced, static_cast<int>(frames.size() / 50));
}

TEST(PitchTracker, PutsOneFrameOnEveryHopFromTheFirstSample)
{
    for (int rate : {8000, 22050, 44100}) {
        const int hop = PitchHop(rate);
        EXPECT_EQ(hop, static_cast<int>(std::lround(rate / 100.0)));
        const size_t count = 12345;
        const std::vector<PitchFrame> frames = TrackPitch(std::vector<float>(count, 0.0f), rate);
        ASSERT_EQ(frames.size(), (count + hop - 1) / hop) << rate;
        for (size_t k = 0; k < frames.size(); ++k)
            EXPECT_EQ(frames[k].Position, static_cast<int32_t>(k * hop));
    }
    EXPECT_TRUE(TrackPitch({}, Rate).empty());
}

TEST(PitchTracker, WorksAtOtherSampleRates)
{
    for (int rate : {8000, 16000, 44100}) {
        SyntheticVoice voice =
            SynthesiseVoice({{0.2, 0, 0, 0}, {0.8, 140, 180, 0.5}, {0.2, 0, 0, 0}}, rate);
        const std::vector<PitchFrame> frames = TrackPitch(voice.Samples, rate);
        int good = 0, voicedTruth = 0;
        for (const PitchFrame& frame : frames) {
            const float truth =
                voice.TrueHz[std::min<size_t>(frame.Position, voice.TrueHz.size() - 1)];
            if (truth <= 0) continue;
            ++voicedTruth;
            good += frame.Frequency > 0 && std::fabs(frame.Frequency / truth - 1) < 0.02 ? 1 : 0;
        }
        EXPECT_GE(good, 0.85 * voicedTruth) << rate;
    }
}

// Fed in uneven blocks, read part-way and at the end, the front gives the
// whole-recording frames; a read before the end is no stale answer later.
TEST(PitchTrackerFront, FedInBlocksGivesTheWholeRecordingsFrames)
{
    const SyntheticVoice voice =
        SynthesiseVoice({{0.2, 0, 0, 0}, {0.6, 120, 180, 0.5}, {0.2, 0, 0, 0}}, Rate);
    const std::vector<PitchFrame> whole = TrackPitch(voice.Samples, Rate);
    ASSERT_GT(whole.size(), 50u);

    PitchTrackerFront front(Rate);
    EXPECT_TRUE(front.Frames().empty());
    const size_t half = voice.Samples.size() / 2;
    size_t fed = 0;
    for (size_t block = 1; fed < voice.Samples.size(); block = block * 3 % 4097 + 1) {
        const size_t count = std::min(block, voice.Samples.size() - fed);
        front.Feed(voice.Samples.data() + fed, count);
        fed += count;
        if (fed >= half && fed - count < half) {
            const std::vector<float> firstHalf(voice.Samples.begin(), voice.Samples.begin() + fed);
            EXPECT_EQ(front.Frames().size(), TrackPitch(firstHalf, Rate).size());
        }
    }
    const std::vector<PitchFrame>& frames = front.Frames();
    ASSERT_EQ(frames.size(), whole.size());
    for (size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(frames[i].Position, whole[i].Position) << i;
        EXPECT_EQ(frames[i].Frequency, whole[i].Frequency) << i;
        EXPECT_EQ(frames[i].Periodicity, whole[i].Periodicity) << i;
        EXPECT_EQ(frames[i].LevelDb, whole[i].LevelDb) << i;
    }
}
