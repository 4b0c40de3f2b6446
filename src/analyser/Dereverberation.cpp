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
    std::vector<float> re(size), im(size);
    // The power spectra of the last `delay` frames, a ring.
    std::vector<float> history(static_cast<size_t>(delay) * bins, 0.0f);
    for (long f = 0; f < frames; ++f) {
        const long start = f * hop - size;
        for (int i = 0; i < size; ++i) {
            const long n = start + i;
            re[i] = n >= 0 && n < count ? samples[n] * window[i] : 0.0f;
            im[i] = 0;
        }
        FourierTransform(re, im, cosines, sines);
        float* past = history.data() + static_cast<size_t>(f % delay) * bins;
        for (int b = 0; b < bins; ++b) {
            const float power = re[b] * re[b] + im[b] * im[b];
            const float late = echo * past[b];
            const float gain =
                power > 0 ? std::max(std::sqrt(std::max(0.0f, 1 - late / power)), floorGain) : 0;
            past[b] = power;
            // The gain is real and the same for a bin and its mirror, so the
            // frame stays real. Conjugating here makes the forward transform
            // below the inverse one.
            re[b] *= gain;
            im[b] *= -gain;
            if (b > 0 && b < size - b) {
                re[size - b] *= gain;
                im[size - b] *= -gain;
            }
        }
        FourierTransform(re, im, cosines, sines);
        for (int i = 0; i < size; ++i) {
            const long n = start + i + size;
            if (n >= 0 && n < static_cast<long>(out.size())) out[n] += re[i] / size * window[i];
        }
    }
    // Four square-root Hann windows squared overlap to two.
    std::vector<float> result(count);
    for (long n = 0; n < count; ++n)
        result[n] = out[n + size] * 0.5f;
    return result;
}
