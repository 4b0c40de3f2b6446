// A DC offset, mains hum and low rumble are taken out before the analysis:
// none is a voice, though hum and rumble lie in the range of voice pitches.
#include "analyser/HumRemoval.h"
#include "analyser/PitchTracker.h"
#include "analyser/SignalTools.h"
#include "support/SyntheticVoice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr int Rate = 22050;

std::vector<float> Hum(size_t count, double mains, double amplitude)
{
    std::vector<float> hum(count);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / Rate;
        hum[i] = static_cast<float>(amplitude *
                                    (std::sin(2 * std::numbers::pi * mains * t) +
                                     0.5 * std::sin(2 * std::numbers::pi * 3 * mains * t + 1) +
                                     0.3 * std::sin(2 * std::numbers::pi * 5 * mains * t)));
    }
    return hum;
}

double Rms(const std::vector<float>& samples)
{
    double sum = 0;
    for (float s : samples)
        sum += double(s) * s;
    return std::sqrt(sum / double(samples.size()));
}

// Noise between 20 and 90 Hz (wind, traffic, a desk knocked) at the given
// root-mean-square level.
std::vector<float> Rumble(size_t count, double rms)
{
    std::mt19937 generator(7);
    std::normal_distribution<float> normal;
    std::vector<float> rumble(count);
    for (float& s : rumble)
        s = normal(generator);
    LowPass(rumble, Rate, 90);
    Filter(rumble, HighPassSection(20, Rate, std::sqrt(0.5)));
    const double scale = rms / Rms(rumble);
    for (float& s : rumble)
        s = static_cast<float>(s * scale);
    return rumble;
}

void Add(std::vector<float>& to, const std::vector<float>& disturbance)
{
    for (size_t i = 0; i < to.size() && i < disturbance.size(); ++i)
        to[i] += disturbance[i];
}

// Frames within 2 % of the voice's true pitch.
int RightFrames(const std::vector<PitchFrame>& frames, const SyntheticVoice& voice, size_t from,
                size_t to)
{
    int right = 0;
    for (size_t k = from; k < std::min(to, frames.size()); ++k) {
        const float truth = voice.TrueHz[frames[k].Position];
        right += std::fabs(frames[k].Frequency / truth - 1) < 0.02 ? 1 : 0;
    }
    return right;
}

int VoicedFrames(const std::vector<PitchFrame>& frames, size_t from, size_t to)
{
    int voiced = 0;
    for (size_t k = from; k < std::min(to, frames.size()); ++k)
        voiced += frames[k].Frequency > 0 ? 1 : 0;
    return voiced;
}

} // namespace

TEST(SteadyDisturbance, FindsMainsHumAndItsHarmonicsOnly)
{
    for (double mains : {50.0, 60.0}) {
        const std::vector<float> hum = Hum(3 * Rate, mains, 0.05);
        const PreparedSignal signal = PrepareSignal(hum, Rate);
        EXPECT_TRUE(signal.HumRemoved) << mains;
        // Past the notches' settling time, less than a hundredth of the
        // hum's energy is left.
        double before = 0, after = 0;
        for (size_t i = Rate / 2; i < hum.size(); ++i) {
            before += hum[i] * hum[i];
            after += signal.Samples[i] * signal.Samples[i];
        }
        EXPECT_LT(after, 0.01 * before) << mains;
    }
    // A voice alone, even one held on one pitch (180 samples a period), is
    // no hum.
    const SyntheticVoice voice =
        SynthesiseVoice({{0.2, 0, 0, 0}, {2.0, 122.5, 122.5, 0.5}, {0.2, 0, 0, 0}}, Rate);
    EXPECT_FALSE(PrepareSignal(voice.Samples, Rate).HumRemoved);
}

TEST(SteadyDisturbance, HumDoesNotReadAsAVoice)
{
    SyntheticVoice voice =
        SynthesiseVoice({{0.6, 0, 0, 0}, {0.6, 140, 170, 0.5}, {0.6, 0, 0, 0}}, Rate);
    Add(voice.Samples, Hum(voice.Samples.size(), 60, 0.08));
    const std::vector<PitchFrame> frames = TrackPitch(voice.Samples, Rate);
    EXPECT_LE(VoicedFrames(frames, 0, 55), 2);    // the hum before the voice
    EXPECT_LE(VoicedFrames(frames, 125, 180), 2); // and after it
    EXPECT_GE(RightFrames(frames, voice, 65, 115), 45);
}

TEST(SteadyDisturbance, HumUnderAShortPhraseIsFoundToo)
{
    // A word or two: shorter than the long-term spectrum's finest block.
    SyntheticVoice voice =
        SynthesiseVoice({{0.3, 0, 0, 0}, {0.5, 150, 180, 0.5}, {0.3, 0, 0, 0}}, Rate);
    Add(voice.Samples, Hum(voice.Samples.size(), 60, 0.08));
    EXPECT_TRUE(PrepareSignal(voice.Samples, Rate).HumRemoved);
    const std::vector<PitchFrame> frames = TrackPitch(voice.Samples, Rate);
    EXPECT_LE(VoicedFrames(frames, 0, 25), 2);
    EXPECT_LE(VoicedFrames(frames, 85, 110), 2);
}

TEST(SteadyDisturbance, ADcOffsetChangesNothing)
{
    const SyntheticVoice voice =
        SynthesiseVoice({{0.4, 0, 0, 0}, {0.6, 140, 170, 0.4}, {0.4, 0, 0, 0}}, Rate);
    std::vector<float> shifted = voice.Samples;
    for (float& s : shifted)
        s += 0.2f;
    const std::vector<PitchFrame> plain = TrackPitch(voice.Samples, Rate);
    const std::vector<PitchFrame> offset = TrackPitch(shifted, Rate);
    ASSERT_EQ(plain.size(), offset.size());
    int same = 0;
    for (size_t k = 0; k < plain.size(); ++k) {
        const bool bothUnvoiced = plain[k].Frequency == 0 && offset[k].Frequency == 0;
        const bool close = plain[k].Frequency > 0 && offset[k].Frequency > 0 &&
                           std::fabs(offset[k].Frequency / plain[k].Frequency - 1) < 0.01;
        same += bothUnvoiced || close ? 1 : 0;
    }
    EXPECT_GE(same, static_cast<int>(plain.size()) - 3);
}

TEST(SteadyDisturbance, HumSearchEndsAtEveryRate)
{
    // At the lowest rates the spectrum's block is a single sample; the
    // search must still step forward through the recording.
    for (double lowRate : {0.5, 1.0, 2.0, 3.0})
        EXPECT_TRUE(FindHumLines(std::vector<float>(64, 0.1f), lowRate).empty()) << lowRate;
}

TEST(SteadyDisturbance, RumbleNeitherReadsAsAVoiceNorHidesOne)
{
    SyntheticVoice voice =
        SynthesiseVoice({{0.6, 0, 0, 0}, {0.6, 140, 170, 0.5}, {0.6, 0, 0, 0}}, Rate);
    // As loud as the voice: under 100 Hz the ear hardly minds it, so a
    // recording that sounds fine can hold this much.
    std::vector<float> noisy = voice.Samples;
    Add(noisy, Rumble(voice.Samples.size(), Rms(voice.Samples)));
    EXPECT_TRUE(PrepareSignal(noisy, Rate).RumbleRemoved);
    const std::vector<PitchFrame> frames = TrackPitch(noisy, Rate);
    EXPECT_LE(VoicedFrames(frames, 0, 55), 2);
    EXPECT_LE(VoicedFrames(frames, 125, 180), 2);
    EXPECT_GE(RightFrames(frames, voice, 65, 115), 45);

    // A low voice between pauses keeps its fundamental: it is no rumble.
    const SyntheticVoice low =
        SynthesiseVoice({{0.6, 0, 0, 0}, {0.8, 62, 75, 0.5}, {0.6, 0, 0, 0}}, Rate);
    EXPECT_FALSE(PrepareSignal(low.Samples, Rate).RumbleRemoved);
}
