#pragma once
// Small signal helpers shared by the pitch tracker and the step finder:
// running energies, window levels, a dot product, and the low-pass filter
// used before decimation.
#include <cstddef>
#include <vector>

// Sum of a[i] * b[i] for i < count, accumulated in several lanes.
double DotProduct(const float* a, const float* b, int count);

// The value below which the given fraction of values lie (nearest rank);
// -120 for no values. A robust level reference: the level the louder or the
// quieter frames of a recording reach.
float Percentile(std::vector<float> values, float fraction);

// Energy[i] = sum of squares of samples[0..i), so any window's energy is
// one subtraction. Double precision keeps long recordings exact enough.
std::vector<double> RunningEnergy(const std::vector<float>& samples);

// Mean-square level in dB (full scale = 0 dB) of the window [start,
// start + width), clipped to the recording; -120 dB for silence.
float WindowLevelDb(const std::vector<double>& energy, long start, long width);

// A sixth-order Butterworth low-pass at `cutoff` Hz, in place.
void LowPass(std::vector<float>& samples, int rate, double cutoff);

// Every factor-th sample of the signal low-passed at `cutoff` (a fraction
// of the sample rate) by a linear-phase filter, so the output sample m
// stands for input sample m * factor exactly. Only the kept samples are
// computed.
std::vector<float> LowPassDecimate(const std::vector<float>& samples, int factor, double cutoff);

// In-place radix-2 Fourier transform of `re` + i `im` (a power of two
// long) with the twiddle factors FourierTwiddles gives for that size. The
// analyser needs a handful of small transforms per recording; a library's
// planning would cost more than they do in a process that lives a few
// milliseconds.
void FourierTransform(std::vector<float>& re, std::vector<float>& im,
                      const std::vector<float>& cosines, const std::vector<float>& sines);
void FourierTwiddles(int size, std::vector<float>& cosines, std::vector<float>& sines);

// A recording prepared once for the pitch tracker and the step finder: the
// samples freed of a DC offset and of mains hum, their running energy, and a
// copy low-passed below about 2.3 kHz and decimated to about 5 kHz, where
// the fundamental and the vowel formants lie.
struct PreparedSignal
{
    std::vector<float> Samples; // mono, [-1, 1]
    bool HumRemoved = false;
    bool RumbleRemoved = false;
    int Rate = 0;
    std::vector<double> Energy; // RunningEnergy of the samples
    int Factor = 1;             // decimation factor
    double LowRate = 0;         // Rate / Factor
    std::vector<float> Low;
};

PreparedSignal PrepareSignal(const std::vector<float>& samples, int rate);

// Second-order sections in direct form; Filter runs them in place.
struct Biquad
{
    double B0 = 1, B1 = 0, B2 = 0, A1 = 0, A2 = 0;
};
Biquad LowPassSection(double cutoff, double rate, double q);
Biquad HighPassSection(double cutoff, double rate, double q);
Biquad BandPassSection(double centre, double rate, double q);
void Filter(std::vector<float>& samples, const Biquad& section);

// Flattens the spectral envelope of a signal so that a periodicity measure
// sees the excitation rather than the resonances of the vocal tract: a
// noise-excited vowel rings at its formants and correlates well at the
// formant's period, while its inverse-filtered version does not. Each
// stretch of `hop` samples is filtered with A(z) / A(z / gamma), A the
// linear predictor of order `order` fitted to a Hann window of `window`
// samples around it. gamma = 0 whitens fully; values towards 1 whiten less,
// which keeps more weight on the strong low harmonics when the recording is
// noisy. `smoothing` is the width of the spectral smoothing as a fraction
// of the sample rate, so that widely spaced harmonics are not taken for
// resonances.
std::vector<float> FlattenSpectrum(const std::vector<float>& samples, double hop, int order,
                                   int window, float gamma, double smoothing);
