// Whether a recording can be analysed, and why not, and the chunk contents
// of an analysed one.
#include "analyser/PhraseAnalysis.h"
#include "support/SyntheticVoice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int Rate = 22050;

PcmSamples Samples(std::vector<float> mono, double clipped = 0)
{
    PcmSamples samples;
    samples.Mono = std::move(mono);
    samples.Rate = Rate;
    samples.ClippedShare = clipped;
    return samples;
}

std::vector<float> Phrase(double amplitude = 0.5)
{
    return SynthesiseVoice({{0.3, 0, 0, 0},
                            {0.2, 130, 150, amplitude},
                            {0.08, 0, 0, 0},
                            {0.25, 150, 120, amplitude},
                            {0.3, 0, 0, 0}},
                           Rate)
        .Samples;
}

std::vector<int32_t> Values(const std::vector<char>& bytes)
{
    std::vector<int32_t> values(bytes.size() / 4);
    std::memcpy(values.data(), bytes.data(), values.size() * 4); // little-endian host
    return values;
}

} // namespace

TEST(PhraseUsability, AcceptsAVeryQuietPhrase)
{
    // Peaking 60 dB below full scale: a few bits of a 16-bit recording.
    std::vector<float> quiet;
    for (float s : Phrase(0.001))
        quiet.push_back(std::round(s * 32768) / 32768);
    EXPECT_TRUE(AnalysePhrase(Samples(quiet)).Good);
}

TEST(PhraseUsability, AcceptsASpokenPhrase)
{
    const PhraseAnalysis analysis = AnalysePhrase(Samples(Phrase()));
    EXPECT_TRUE(analysis.Good) << analysis.Reason;
    EXPECT_EQ(analysis.Steps.Steps.size(), 2u);
    const int hop = PitchHop(Rate);
    ASSERT_EQ(analysis.Pitch.size(), (Phrase().size() + hop - 1) / hop);
    EXPECT_EQ(analysis.Pitch[3].Position, 3 * hop);
    // Tenths of a hertz inside the voice, 0 in the silence before it.
    EXPECT_EQ(analysis.Pitch[5].Value, 0);
    const PitchPoint& inside = analysis.Pitch[(Rate * 4 / 10) / hop];
    EXPECT_NEAR(inside.Value, 1400, 100);
}

TEST(PhraseUsability, GivesAReasonForEveryUnusableRecording)
{
    EXPECT_EQ(AnalysePhrase(Samples(std::vector<float>(Rate, 0.0f))).Reason, ReasonTooQuiet);
    EXPECT_EQ(AnalysePhrase(Samples(Phrase(0.0002))).Reason, ReasonTooQuiet);
    EXPECT_EQ(AnalysePhrase(Samples({})).Reason, ReasonTooQuiet);
    EXPECT_EQ(AnalysePhrase(Samples(WhiteNoise(2 * Rate, 0.1, 9))).Reason, ReasonTooNoisy);
    // The faint hiss of a quiet room with nobody speaking is no noise: the
    // learner is to speak up, not to look for a quieter room.
    EXPECT_EQ(AnalysePhrase(Samples(WhiteNoise(2 * Rate, 0.001, 9))).Reason, ReasonTooQuiet);
    EXPECT_EQ(AnalysePhrase(Samples(Phrase(), 0.3)).Reason, ReasonClipped);
    // A hum without a voice: steady, so no louder frames stand out.
    EXPECT_EQ(AnalysePhrase(Samples(std::vector<float>(101 * Rate, 0.1f))).Reason, ReasonTooLong);
    // Voice-like bursts too short to carry a syllable's pitch.
    std::vector<float> clicks(Rate, 0.0f);
    for (size_t i = 2000; i < clicks.size(); i += 4000)
        clicks[i] = 0.9f;
    const PhraseAnalysis analysis = AnalysePhrase(Samples(clicks));
    EXPECT_FALSE(analysis.Good);
    EXPECT_EQ(analysis.Reason, ReasonNoVoice);
    // Deep rumbling noise (a fan, wind) evened out as the tutor stores a
    // take: the tracker finds pitches in it, but none it holds. Brown noise:
    // a random walk kept within full scale.
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        const std::vector<float> white = WhiteNoise(4 * Rate, 0.5, seed);
        std::vector<float> rumble(white.size());
        float level = 0;
        float peak = 0;
        for (size_t i = 0; i < white.size(); ++i) {
            const float next = level + std::clamp(white[i], -1.0f, 1.0f) / 16;
            level = std::fabs(next) > 1 ? level - (next - level) : next;
            rumble[i] = level;
            peak = std::max(peak, std::fabs(level));
        }
        for (float& sample : rumble)
            sample *= 0.8f / peak;
        EXPECT_EQ(AnalysePhrase(Samples(rumble)).Reason, ReasonNoVoice) << "seed " << seed;
    }
}

TEST(PhraseUsability, AcceptsAClippedRecordingThatStillCarriesAVoice)
{
    // Eight times too loud: a good share of the values hit the limits, but
    // the pitch and the syllables are still there to find.
    std::vector<float> loud = Phrase();
    size_t clipped = 0;
    for (float& s : loud) {
        s = std::clamp(s * 8, -1.0f, 1.0f);
        clipped += std::fabs(s) >= 1.0f ? 1 : 0;
    }
    const PhraseAnalysis analysis =
        AnalysePhrase(Samples(loud, static_cast<double>(clipped) / loud.size()));
    EXPECT_TRUE(analysis.Good) << analysis.Reason;
    EXPECT_EQ(analysis.Steps.Steps.size(), 2u);
}

TEST(PhraseUsability, StoresStepsAndPitchAsLittleEndianValues)
{
    PhraseSteps steps;
    steps.PhraseStart = 100;
    steps.PhraseEnd = 900;
    steps.Steps.push_back({100, 401, 150, 500, 300, 1234, 30000});
    steps.Steps.push_back({501, 400, 500, 850, 700, 0, 7});
    EXPECT_EQ(Values(StepChunkBytes(steps)),
              (std::vector<int32_t>{100, 900, 100, 500, 150, 500, 300, 1234, 30000, 501, 900, 500,
                                    850, 700, 0, 7}));
    EXPECT_EQ(Values(PitchChunkBytes({{0, 0}, {221, 1205}})),
              (std::vector<int32_t>{0, 0, 221, 1205}));
    EXPECT_EQ(StepChunkBytes(PhraseSteps{}).size(), 8u);
    EXPECT_TRUE(PitchChunkBytes({}).empty());
}
