#include "analyser/HumRemoval.h"

#include "analyser/SignalTools.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The recording's average power spectrum (Welch: Hann windows, half
// overlap). Bins are lowRate / size apart.
std::vector<double> AveragePowerSpectrum(const std::vector<float>& low, int size)
{
    std::vector<double> power(size / 2 + 1, 0.0);
    if (static_cast<int>(low.size()) < size) return power;
    std::vector<float> window(size), cosines(size / 2), sines(size / 2);
    for (int i = 0; i < size; ++i)
        window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / size));
    FourierTwiddles(size, cosines, sines);
    std::vector<float> re(size), im(size);
    // Half a block on, and never less than a sample: a block of one sample
    // must still move.
    const size_t step = std::max(1, size / 2);
    for (size_t start = 0; start + size <= low.size(); start += step) {
        for (int i = 0; i < size; ++i) {
            re[i] = low[start + i] * window[i];
            im[i] = 0;
        }
        FourierTransform(re, im, cosines, sines);
        for (int b = 0; b <= size / 2; ++b)
            power[b] += static_cast<double>(re[b]) * re[b] + static_cast<double>(im[b]) * im[b];
    }
    return power;
}

// How far a line at `frequency` stands above the spectrum around it: the
// strongest bin within one bin of it over the median of the bins 4 to 12
// bins away on both sides.
double LineProminence(const std::vector<double>& power, double binHz, double frequency)
{
    const long centre = std::lround(frequency / binHz);
    const long last = static_cast<long>(power.size()) - 1;
    if (centre - 12 < 1 || centre + 12 > last) return 0;
    double peak = 0;
    for (long b = centre - 1; b <= centre + 1; ++b)
        peak = std::max(peak, power[b]);
    std::vector<double> around;
    for (long d = 4; d <= 12; ++d) {
        around.push_back(power[centre - d]);
        around.push_back(power[centre + d]);
    }
    std::nth_element(around.begin(), around.begin() + around.size() / 2, around.end());
    const double background = around[around.size() / 2];
    if (peak <= 0) return 0;
    return background > peak * 1e-9 ? peak / background : 1e9;
}

} // namespace

void RemoveDcOffset(std::vector<float>& samples, int rate)
{
    if (samples.empty()) return;
    const double r = std::exp(-2 * std::numbers::pi * 20.0 / rate);
    // Starting from the first sample as if it had always been there keeps
    // an offset from turning into a click at the start.
    double previousIn = samples[0], previousOut = 0;
    for (float& sample : samples) {
        const double out = sample - previousIn + r * previousOut;
        previousIn = sample;
        previousOut = out;
        sample = static_cast<float>(out);
    }
}

std::vector<double> FindHumLines(const std::vector<float>& low, double lowRate)
{
    std::vector<double> lines;
    // About 1.3 Hz a bin: mains lines are far narrower than that, voice
    // harmonics move with the pitch and smear over many bins.
    // The bound keeps the doubling finite whatever rate it is given.
    int size = 1;
    while (size < lowRate / 1.3 && size < (1 << 24))
        size *= 2;
    // A short phrase (a word or two, under a second and a half) holds no
    // block that long; coarser bins, down to about 2.7 Hz, still tell a
    // mains line from the bins 11 Hz and more around it.
    const int coarsest = std::max(1, static_cast<int>(std::lround(lowRate / 2.7)));
    while (static_cast<size_t>(size) > low.size() && size / 2 >= coarsest)
        size /= 2;
    const std::vector<double> power = AveragePowerSpectrum(low, size);
    const double binHz = lowRate / size;
    for (double mains : {50.0, 60.0}) {
        std::vector<double> found;
        int clear = 0;
        double strongest = 0, fundamental = 0;
        for (int k = 1; k <= 10 && k * mains < 0.4 * lowRate; ++k) {
            const double prominence = LineProminence(power, binHz, k * mains);
            if (k == 1) fundamental = prominence;
            if (prominence > 10 && k <= 6) ++clear;
            strongest = std::max(strongest, prominence);
            if (prominence > 4) found.push_back(k * mains);
        }
        // Hum: the mains frequency itself present (6 dB), two clear lines
        // (10 dB) among the first six harmonics, one of them towering
        // (20 dB). A voice held on one pitch makes lines too, but it has
        // nothing at the mains frequency, which lies below any voice.
        if (fundamental > 4 && clear >= 2 && strongest > 100)
            lines.insert(lines.end(), found.begin(), found.end());
    }
    return lines;
}

void RemoveLines(std::vector<float>& samples, int rate, const std::vector<double>& lines)
{
    for (double frequency : lines) {
        const double w0 = 2 * std::numbers::pi * frequency / rate;
        const double q = frequency / 3.0;
        const double alpha = std::sin(w0) / (2 * q);
        const double a0 = 1 + alpha;
        const Biquad notch{1 / a0, -2 * std::cos(w0) / a0, 1 / a0, -2 * std::cos(w0) / a0,
                           (1 - alpha) / a0};
        // A notch this narrow takes a tenth of a second to settle, letting
        // the hum through meanwhile. Run forward and then backward, each pass
        // settled where the other is not, the hum goes at both ends, and the
        // phase of what stays is untouched.
        Filter(samples, notch);
        std::reverse(samples.begin(), samples.end());
        Filter(samples, notch);
        std::reverse(samples.begin(), samples.end());
    }
}

bool FindRumble(const std::vector<float>& low, double lowRate)
{
    const int hop = std::max(1, static_cast<int>(std::lround(lowRate / 100)));
    const size_t frames = low.size() / static_cast<size_t>(hop);
    // At least this many pause frames: a phrase spoken without a breath
    // shows nothing of the background.
    constexpr size_t fewestPauseFrames = 10;
    if (frames < fewestPauseFrames) return false;
    std::vector<float> under = low;
    LowPass(under, static_cast<int>(std::lround(lowRate)), 100);
    std::vector<float> vowel = low;
    Filter(vowel, HighPassSection(300, lowRate, std::sqrt(0.5)));
    Filter(vowel, HighPassSection(300, lowRate, std::sqrt(0.5)));
    const std::vector<double> underEnergy = RunningEnergy(under);
    const std::vector<double> vowelEnergy = RunningEnergy(vowel);
    std::vector<float> underLevels(frames), vowelLevels(frames);
    for (size_t k = 0; k < frames; ++k) {
        const long start = static_cast<long>(k) * hop;
        underLevels[k] = WindowLevelDb(underEnergy, start, hop);
        vowelLevels[k] = WindowLevelDb(vowelEnergy, start, hop);
    }
    const float loud = Percentile(vowelLevels, 0.95f);
    std::vector<float> pauses;
    for (size_t k = 0; k < frames; ++k) {
        if (vowelLevels[k] < loud - 30) pauses.push_back(underLevels[k]);
    }
    if (pauses.size() < fewestPauseFrames) return false;
    // The quieter pause frames: a nasal or a voiced closure, loud under
    // 100 Hz and faint above 300 Hz, passes for a pause now and then.
    return Percentile(pauses, 0.25f) > loud + RumbleLevelDb;
}

void RemoveRumble(std::vector<float>& samples, int rate)
{
    // The two sections of a fourth-order Butterworth response.
    Filter(samples, HighPassSection(RumbleCutoffHz, rate, 0.5412));
    Filter(samples, HighPassSection(RumbleCutoffHz, rate, 1.3066));
}
