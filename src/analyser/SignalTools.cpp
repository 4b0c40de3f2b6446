#include "analyser/SignalTools.h"

#include "analyser/HumRemoval.h"

#include <algorithm>
#include <cmath>
#include <numbers>

double DotProduct(const float* a, const float* b, int count)
{
    // Eight independent lanes let the compiler keep the multiply-adds in
    // vector registers without reordering a single floating-point sum.
    float lanes[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        for (int j = 0; j < 8; ++j)
            lanes[j] += a[i + j] * b[i + j];
    }
    double sum = 0;
    for (float lane : lanes)
        sum += lane;
    for (; i < count; ++i)
        sum += static_cast<double>(a[i]) * b[i];
    return sum;
}

std::vector<double> RunningEnergy(const std::vector<float>& samples)
{
    std::vector<double> energy(samples.size() + 1);
    energy[0] = 0;
    for (size_t i = 0; i < samples.size(); ++i)
        energy[i + 1] = energy[i] + static_cast<double>(samples[i]) * samples[i];
    return energy;
}

float WindowLevelDb(const std::vector<double>& energy, long start, long width)
{
    const long size = static_cast<long>(energy.size()) - 1;
    const long from = std::clamp(start, 0L, size);
    const long to = std::clamp(start + width, 0L, size);
    if (to <= from) return -120;
    const double meanSquare = (energy[to] - energy[from]) / static_cast<double>(to - from);
    return static_cast<float>(10.0 * std::log10(std::max(meanSquare, 1e-12)));
}

Biquad LowPassSection(double cutoff, double rate, double q)
{
    const double w0 = 2 * std::numbers::pi * cutoff / rate;
    const double alpha = std::sin(w0) / (2 * q);
    const double cosw = std::cos(w0);
    const double a0 = 1 + alpha;
    return {(1 - cosw) / 2 / a0, (1 - cosw) / a0, (1 - cosw) / 2 / a0, -2 * cosw / a0,
            (1 - alpha) / a0};
}

Biquad HighPassSection(double cutoff, double rate, double q)
{
    const double w0 = 2 * std::numbers::pi * cutoff / rate;
    const double alpha = std::sin(w0) / (2 * q);
    const double cosw = std::cos(w0);
    const double a0 = 1 + alpha;
    return {(1 + cosw) / 2 / a0, -(1 + cosw) / a0, (1 + cosw) / 2 / a0, -2 * cosw / a0,
            (1 - alpha) / a0};
}

Biquad BandPassSection(double centre, double rate, double q)
{
    const double w0 = 2 * std::numbers::pi * centre / rate;
    const double alpha = std::sin(w0) / (2 * q);
    const double cosw = std::cos(w0);
    const double a0 = 1 + alpha;
    return {alpha / a0, 0, -alpha / a0, -2 * cosw / a0, (1 - alpha) / a0};
}

void Filter(std::vector<float>& samples, const Biquad& s)
{
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (float& sample : samples) {
        const double x0 = sample;
        const double y0 = s.B0 * x0 + s.B1 * x1 + s.B2 * x2 - s.A1 * y1 - s.A2 * y2;
        x2 = x1;
        x1 = x0;
        y2 = y1;
        y1 = y0;
        sample = static_cast<float>(y0);
    }
}

void LowPass(std::vector<float>& samples, int rate, double cutoff)
{
    // Butterworth poles of a sixth-order filter as three sections.
    for (double q : {0.51763809, 0.70710678, 1.93185165})
        Filter(samples, LowPassSection(cutoff, rate, q));
}

std::vector<float> LowPassDecimate(const std::vector<float>& samples, int factor, double cutoff)
{
    factor = std::max(1, factor);
    // Windowed sinc, Kaiser window (beta 6: about 60 dB stop band).
    const int half = 6 * factor;
    const int taps = 2 * half + 1;
    std::vector<float> kernel(taps);
    const double beta = 6.0;
    auto bessel0 = [](double x) {
        double sum = 1, term = 1;
        for (int k = 1; k < 30; ++k) {
            term *= (x / (2 * k)) * (x / (2 * k));
            sum += term;
        }
        return sum;
    };
    double total = 0;
    for (int i = 0; i < taps; ++i) {
        const double t = i - half;
        const double sinc =
            t == 0 ? 2 * cutoff
                   : std::sin(2 * std::numbers::pi * cutoff * t) / (std::numbers::pi * t);
        const double ratio = t / half;
        const double window =
            bessel0(beta * std::sqrt(std::max(0.0, 1 - ratio * ratio))) / bessel0(beta);
        kernel[i] = static_cast<float>(sinc * window);
        total += kernel[i];
    }
    for (float& k : kernel)
        k = static_cast<float>(k / total);

    const long n = static_cast<long>(samples.size());
    std::vector<float> low((samples.size() + factor - 1) / factor);
    for (size_t m = 0; m < low.size(); ++m) {
        const long first = static_cast<long>(m) * factor - half;
        // Near the ends only the part of the kernel over the recording counts.
        const long from = std::max(0L, -first);
        const long to = std::min<long>(taps, n - first);
        low[m] = static_cast<float>(DotProduct(samples.data() + first + from, kernel.data() + from,
                                               static_cast<int>(to - from)));
    }
    return low;
}

namespace {

// Levinson-Durbin recursion: the predictor x[n] ~ sum of a[j] x[n - j],
// j = 1..order, from the autocorrelation r[0..order]. Stops early, keeping
// a stable predictor, when the prediction error would vanish.
void SolvePredictor(const std::vector<double>& r, std::vector<double>& a)
{
    const int order = static_cast<int>(r.size()) - 1;
    a.assign(order + 1, 0.0);
    a[0] = 1;
    double error = r[0];
    std::vector<double> previous(order + 1);
    for (int i = 1; i <= order && error > r[0] * 1e-9; ++i) {
        double acc = r[i];
        for (int j = 1; j < i; ++j)
            acc -= a[j] * r[i - j];
        const double k = acc / error;
        previous = a;
        a[i] = k;
        for (int j = 1; j < i; ++j)
            a[j] = previous[j] - k * previous[i - j];
        error *= 1 - k * k;
    }
}

} // namespace

std::vector<float> FlattenSpectrum(const std::vector<float>& samples, double hop, int order,
                                   int window, float gamma, double smoothing)
{
    std::vector<double> lagWindow(order + 1);
    for (int lag = 0; lag <= order; ++lag)
        lagWindow[lag] = std::exp(-0.5 * std::pow(2 * std::numbers::pi * smoothing * lag, 2));
    const long n = static_cast<long>(samples.size());
    std::vector<float> out(samples.size(), 0.0f);
    // Frames less than a sample apart would be no frames at all; the bound
    // on k keeps the walk finite whatever the hop.
    if (n == 0 || !(hop >= 1)) return out;
    std::vector<double> hann(window);
    for (int i = 0; i < window; ++i)
        hann[i] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * (i + 0.5) / window);
    std::vector<double> segment(window), r(order + 1), a, poles(order + 1);
    // Past inputs and outputs of the filter, newest first.
    std::vector<double> pastIn(order, 0.0), pastOut(order, 0.0);
    const long lastFrame = static_cast<long>(std::ceil(n / hop)) + 1;
    for (long k = 0; k <= lastFrame; ++k) {
        const long centre = std::lround(k * hop);
        const long from = std::lround((k - 0.5) * hop);
        const long to = std::min(n, std::lround((k + 0.5) * hop));
        if (from >= n) break;
        const long start = centre - window / 2;
        for (int i = 0; i < window; ++i) {
            const long index = start + i;
            segment[i] = index >= 0 && index < n ? samples[index] * hann[i] : 0.0;
        }
        for (int lag = 0; lag <= order; ++lag) {
            double acc = 0;
            for (int i = lag; i < window; ++i)
                acc += segment[i] * segment[i - lag];
            r[lag] = acc;
        }
        if (r[0] <= 0) {
            a.assign(order + 1, 0.0);
            a[0] = 1;
        } else {
            // A touch of white noise keeps the predictor well-conditioned;
            // the Gaussian lag window smooths the spectrum so that the
            // predictor follows the envelope, not the harmonics of a high voice.
            r[0] *= 1.0001;
            for (int lag = 1; lag <= order; ++lag)
                r[lag] *= lagWindow[lag];
            SolvePredictor(r, a);
        }
        double weight = 1;
        for (int j = 0; j <= order; ++j, weight *= gamma)
            poles[j] = a[j] * weight;
        for (long i = std::max(0L, from); i < to; ++i) {
            const double x = samples[i];
            double y = x;
            for (int j = 1; j <= order; ++j)
                y += poles[j] * pastOut[j - 1] - a[j] * pastIn[j - 1];
            for (int j = order - 1; j > 0; --j) {
                pastIn[j] = pastIn[j - 1];
                pastOut[j] = pastOut[j - 1];
            }
            if (order > 0) {
                pastIn[0] = x;
                pastOut[0] = y;
            }
            out[i] = static_cast<float>(y);
        }
    }
    return out;
}

PreparedSignal PrepareSignal(const std::vector<float>& samples, int rate)
{
    PreparedSignal signal;
    signal.Samples = samples;
    signal.Rate = rate;
    if (rate <= 0) return signal;
    RemoveDcOffset(signal.Samples, rate);
    signal.Factor = std::max(1, static_cast<int>(std::lround(rate / 5000.0)));
    signal.LowRate = static_cast<double>(rate) / signal.Factor;
    signal.Low = LowPassDecimate(signal.Samples, signal.Factor, 0.42 / signal.Factor);
    const std::vector<double> hum = FindHumLines(signal.Low, signal.LowRate);
    if (!hum.empty()) {
        RemoveLines(signal.Samples, rate, hum);
        signal.Low = LowPassDecimate(signal.Samples, signal.Factor, 0.42 / signal.Factor);
        signal.HumRemoved = true;
    }
    if (FindRumble(signal.Low, signal.LowRate)) {
        RemoveRumble(signal.Samples, rate);
        signal.Low = LowPassDecimate(signal.Samples, signal.Factor, 0.42 / signal.Factor);
        signal.RumbleRemoved = true;
    }
    signal.Energy = RunningEnergy(signal.Samples);
    return signal;
}

float Percentile(std::vector<float> values, float fraction)
{
    if (values.empty()) return -120;
    const size_t index =
        std::min(values.size() - 1, static_cast<size_t>(fraction * (values.size() - 1) + 0.5f));
    std::nth_element(values.begin(), values.begin() + index, values.end());
    return values[index];
}

void FourierTransform(std::vector<float>& re, std::vector<float>& im,
                      const std::vector<float>& cosines, const std::vector<float>& sines)
{
    const size_t size = re.size();
    for (size_t i = 1, j = 0; i < size; ++i) {
        size_t bit = size >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    for (size_t length = 2; length <= size; length <<= 1) {
        const size_t half = length / 2;
        const size_t stride = size / length;
        for (size_t start = 0; start < size; start += length) {
            for (size_t k = 0; k < half; ++k) {
                const float c = cosines[k * stride], s = sines[k * stride];
                const size_t a = start + k, b = a + half;
                const float oddRe = re[b] * c - im[b] * s;
                const float oddIm = re[b] * s + im[b] * c;
                re[b] = re[a] - oddRe;
                im[b] = im[a] - oddIm;
                re[a] += oddRe;
                im[a] += oddIm;
            }
        }
    }
}

void FourierTwiddles(int size, std::vector<float>& cosines, std::vector<float>& sines)
{
    cosines.resize(size / 2);
    sines.resize(size / 2);
    for (int k = 0; k < size / 2; ++k) {
        cosines[k] = static_cast<float>(std::cos(2 * std::numbers::pi * k / size));
        sines[k] = static_cast<float>(-std::sin(2 * std::numbers::pi * k / size));
    }
}
