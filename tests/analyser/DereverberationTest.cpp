// Taking a room's late reverberation out of a recording: what the room did
// not add comes through unchanged, and an echo that outlasts its sound is
// taken down while the sound itself keeps its level.
#include "analyser/Dereverberation.h"
#include "support/SyntheticVoice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int Rate = 22050;

double LevelDb(const std::vector<float>& samples, size_t from, size_t to)
{
    double power = 0;
    for (size_t i = from; i < to; ++i)
        power += samples[i] * samples[i];
    return 10 * std::log10(power / static_cast<double>(to - from) + 1e-20);
}

} // namespace

TEST(Dereverberation, PassesADryRecordingThroughAndTakesATailDown)
{
    // A room so dead that no echo is expected: every sample comes back, for
    // an even and an odd number of analysis frames alike.
    for (const size_t count : {size_t(Rate), size_t(Rate) + 700}) {
        const std::vector<float> dry = WhiteNoise(count, 0.1, 3);
        const std::vector<float> out = SuppressLateReverberation(dry, Rate, 2000, 0.05f, -25, 1);
        ASSERT_EQ(out.size(), dry.size());
        double worst = 0;
        for (size_t i = 0; i < count; ++i)
            worst = std::max(worst, static_cast<double>(std::fabs(out[i] - dry[i])));
        EXPECT_LT(worst, 1e-4) << count;
    }

    // Short bursts of noise, like syllables, in a living room: their echoes
    // fill the gaps between them. Taking the late reverberation out opens
    // the gaps again.
    const size_t burst = Rate * 12 / 100, gap = Rate / 4;
    std::vector<float> dry(Rate / 5, 0.0f);
    for (int i = 0; i < 6; ++i) {
        const std::vector<float> noise = WhiteNoise(burst, 0.1, 7 + i);
        dry.insert(dry.end(), noise.begin(), noise.end());
        dry.insert(dry.end(), gap, 0.0f);
    }
    const std::vector<float> room = InALivingRoom(dry, Rate);
    const std::vector<float> out = SuppressLateReverberation(room, Rate, 75, 0.05f, -25, 6);
    // The gaps' level against the bursts', from the third burst on, when
    // the room is full.
    auto gapsBelowBursts = [&](const std::vector<float>& samples) {
        double bursts = 0, gaps = 0;
        for (int i = 2; i < 6; ++i) {
            const size_t start = Rate / 5 + i * (burst + gap);
            bursts += LevelDb(samples, start, start + burst);
            gaps += LevelDb(samples, start + burst + Rate / 20, start + burst + gap);
        }
        return (bursts - gaps) / 4;
    };
    EXPECT_GT(gapsBelowBursts(out), gapsBelowBursts(room) + 6);
}
