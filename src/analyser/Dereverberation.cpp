#include "analyser/Dereverberation.h"

#include "analyser/SignalTools.h"

#include <algorithm>
#include <cmath>
#include <numbers>

float RoomDecayRate(const std::vector<PitchFrame>& levels, float loudDb, int lagFrames)
{
    // However abruptly the voice stops, its echoes die away no faster than
    // the room lets them: the room's decay bounds every fall of the level.
    // The steepest falls, taken where the level starts high above the
    // background (a noise floor would stop a fall early), measure it: in a
    // dry recording they reach several hundred dB per second, in a living
    // room about a hundred.
    std::vector<float> levelValues;
    for (const PitchFrame& frame : levels)
        levelValues.push_back(frame.LevelDb);
    const float floorDb = Percentile(levelValues, 0.10f);
    std::vector<float> falls;
    for (size_t k = lagFrames; k < levels.size(); ++k) {
        const float from = levels[k - lagFrames].LevelDb;
        if (from > floorDb + 25 && from > loudDb - 30) falls.push_back(from - levels[k].LevelDb);
    }
    if (falls.size() < 20) return 0;
    return Percentile(falls, 0.95f) / (lagFrames * 0.01f);
}

float ReverberantDecayRate(const std::vector<PitchFrame>& levels, float loudDb,
                           const PitchSettings& settings)
{
    const int lagFrames =
        std::max(1, static_cast<int>(std::lround(settings.TailDelaySeconds * 100)));
    const float decayRate = RoomDecayRate(levels, loudDb, lagFrames);
    return decayRate > 0 && 60 / decayRate >= settings.ReverberantSeconds ? decayRate : 0.0f;
}

std::vector<float> SuppressLateReverberation(const std::vector<float>& samples, double rate,
                                             float decayDbPerSecond, float delaySeconds,
                                             float floorDb, float echoScale)
{
    // Frames of about 50 ms, a quarter apart: square-root Hann windows for
    // analysis and synthesis add up to one at that overlap.
    int size = 16;
    while (size < 0.05 * rate)
        size *= 2;
    const int hop = size / 4;
    const int bins = size / 2 + 1;
    const int delay = std::max(1, static_cast<int>(std::lround(delaySeconds * rate / hop)));
    const float echo = echoScale * std::pow(10.0f, -decayDbPerSecond * delay * hop /
                                                       static_cast<float>(rate) / 10);
    const float floorGain = std::pow(10.0f, floorDb / 20);
    std::vector<float> window(size), cosines, sines;
    for (int i = 0; i < size; ++i)
        window[i] =
            static_cast<float>(std::sqrt(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / size)));
    FourierTwiddles(size, cosines, sines);

    const long count = static_cast<long>(samples.size());
    const long frames = (count + size) / hop + 1;
    std::vector<float> out(count + 2 * size, 0.0f);
    std::vector<float> re(size), im(size), gains(2 * static_cast<size_t>(bins));
    // The power spectra of the last `delay` frames, a ring.
    std::vector<float> history(static_cast<size_t>(delay) * bins, 0.0f);
    auto sample = [&](long n) { return n >= 0 && n < count ? samples[n] : 0.0f; };
    // Two frames share one complex transform, the first in the real part
    // and the second in the imaginary part: their spectra are each
    // symmetric, so they part again by their even and odd halves.
    for (long f = 0; f < frames; f += 2) {
        const long start = f * hop - size;
        for (int i = 0; i < size; ++i) {
            re[i] = sample(start + i) * window[i];
            im[i] = f + 1 < frames ? sample(start + hop + i) * window[i] : 0.0f;
        }
        FourierTransform(re, im, cosines, sines);
        for (int pair = 0; pair < 2; ++pair) {
            float* past = history.data() + static_cast<size_t>((f + pair) % delay) * bins;
            float* gain = gains.data() + static_cast<size_t>(pair) * bins;
            for (int b = 0; b < bins; ++b) {
                const int mirror = (size - b) % size;
                // The first frame's bin is (Z[b] + conj Z[-b]) / 2, the
                // second's (Z[b] - conj Z[-b]) / 2i.
                const float partRe = pair == 0 ? re[b] + re[mirror] : im[b] + im[mirror];
                const float partIm = pair == 0 ? im[b] - im[mirror] : re[mirror] - re[b];
                const float power = 0.25f * (partRe * partRe + partIm * partIm);
                const float late = echo * past[b];
                gain[b] = power > 0
                              ? std::max(std::sqrt(std::max(0.0f, 1 - late / power)), floorGain)
                              : 0.0f;
                past[b] = power;
            }
        }
        // Each frame's spectrum times its gains, joined again as first +
        // i second, and conjugated, so that the forward transform below is
        // the inverse one.
        for (int b = 0; b < bins; ++b) {
            const int mirror = (size - b) % size;
            const float firstRe = 0.5f * (re[b] + re[mirror]),
                        firstIm = 0.5f * (im[b] - im[mirror]);
            const float secondRe = 0.5f * (im[b] + im[mirror]),
                        secondIm = 0.5f * (re[mirror] - re[b]);
            const float g1 = gains[b], g2 = gains[bins + b];
            // Bin b, and its mirror, whose parts are the conjugates.
            const float yRe = g1 * firstRe - g2 * secondIm, yIm = g1 * firstIm + g2 * secondRe;
            const float mRe = g1 * firstRe + g2 * secondIm, mIm = -g1 * firstIm + g2 * secondRe;
            re[b] = yRe;
            im[b] = -yIm;
            if (mirror != b) {
                re[mirror] = mRe;
                im[mirror] = -mIm;
            }
        }
        FourierTransform(re, im, cosines, sines);
        for (int i = 0; i < size; ++i) {
            const long n = start + i + size;
            if (n >= 0 && n < static_cast<long>(out.size())) out[n] += re[i] / size * window[i];
            const long m = n + hop;
            if (f + 1 < frames && m >= 0 && m < static_cast<long>(out.size()))
                out[m] -= im[i] / size * window[i];
        }
    }
    // Four square-root Hann windows squared overlap to two.
    std::vector<float> result(count);
    for (long n = 0; n < count; ++n)
        result[n] = out[n + size] * 0.5f;
    return result;
}
